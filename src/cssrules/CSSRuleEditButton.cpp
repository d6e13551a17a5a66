#include "CSSRuleEditButton.h"

#include <QApplication>
#include <QHash>
#include <QPainter>
#include <QStyle>
#include <QStyleOptionViewItem>

namespace {

constexpr int kRuleEditButtonSize = 14;

// The arrow's palette, one kept per colour: the style caches a picture of the
// arrow per palette, and a palette changed on every paint is a new one each
// time, which would fill the application's picture cache with copies.
const QPalette &arrowPalette(const QPalette &row, const QColor &colour)
{
    static QHash<QRgb, QPalette> kept;
    auto it = kept.find(colour.rgba());
    if (it == kept.end()) {
        if (kept.size() >= 8)
            kept.clear(); // colours of themes no longer shown
        QPalette palette = row;
        palette.setColor(QPalette::ButtonText, colour);
        it = kept.insert(colour.rgba(), palette);
    }
    return *it;
}

} // namespace

bool CSSRuleEditButton::isShownOn(const CSSRule &row)
{
    if (!row.styleDeclaration() && row.type() != RuleType::Keyframe)
        return false;
    if (row.isWebKitStyle() || row.computedStyleDec())
        return false;
    const CSSRulePtr owner = row.ownerRule();
    return !owner || owner.get() == &row || !owner->computedStyleDec();
}

int CSSRuleEditButton::tagOf(const CSSRule &row)
{
    return row.type() == RuleType::Keyframe ? 1 : 0;
}

QRect CSSRuleEditButton::frameInCell(const QRect &cell)
{
    return QRect(cell.right() - kRuleEditButtonSize - 1, cell.top() + (cell.height() - kRuleEditButtonSize) / 2,
                 kRuleEditButtonSize, kRuleEditButtonSize);
}

void CSSRuleEditButton::paint(QPainter *painter, const QStyleOptionViewItem &option)
{
    // A pull-down's arrow, in the colour of the row's text.
    QStyleOption arrow;
    arrow.rect = frameInCell(option.rect).adjusted(3, 3, -3, -3);
    arrow.state = QStyle::State_Enabled;
    arrow.palette = arrowPalette(option.palette, option.state & QStyle::State_Selected
                                                     ? option.palette.color(QPalette::HighlightedText)
                                                     : option.palette.color(QPalette::Disabled, QPalette::Text));
    const QWidget *widget = option.widget;
    QStyle *style = widget ? widget->style() : QApplication::style();
    style->drawPrimitive(QStyle::PE_IndicatorArrowDown, &arrow, painter, widget);
}

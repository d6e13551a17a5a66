#include "CSSRuleRowCell.h"
#include "CSSRules_p.h"

#include "CSSOutlineDelegate.h"
#include "CSSRuleEditButton.h"
#include "CSSTextVauleInput.h"

#include "platform/foundation/NotificationCenter.h"
#include "platform/kit/DesktopColors.h"
#include "platform/kit/NamedImage.h"
#include "platform/kit/OutlineView.h"
#include "platform/web/cssom/DOMCSSRule.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QFontDatabase>
#include <QHelpEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QToolTip>

namespace {

constexpr int kNameX = 16;

CSSRule *rowAt(const QModelIndex &index)
{
    return static_cast<CSSRule *>(OutlineView::itemForIndex(index));
}

using CSSRulesPrivate::hasLiveType;

// The row, its owner or its owner's owner answers.
template<typename Test>
bool inOwnerChain(const CSSRule &row, Test test)
{
    if (test(row))
        return true;
    const CSSRulePtr owner = row.ownerRule();
    if (!owner || owner.get() == &row)
        return false;
    if (test(*owner))
        return true;
    const CSSRulePtr ownerOwner = owner->ownerRule();
    return ownerOwner && ownerOwner != owner && test(*ownerOwner);
}

// Whether the view shows the cell's row selected; the options the view gives
// with mouse events do not say.
bool isSelectedRow(const QStyleOptionViewItem &option, const QModelIndex &index)
{
    if (option.state & QStyle::State_Selected)
        return true;
    const auto *view = qobject_cast<const QAbstractItemView *>(option.widget);
    return view && view->selectionModel() && view->selectionModel()->isSelected(index);
}

bool isComputed(const CSSRule &row)
{
    return inOwnerChain(row, [](const CSSRule &r) { return bool(r.computedStyleDec()); });
}

bool isUserAgent(const CSSRule &row)
{
    const CSSRulePtr owner = row.ownerRule();
    if (!owner || owner.get() == &row)
        return false;
    const CSSRulePtr ownerOwner = owner->ownerRule();
    return owner->isWebKitStyle() || (ownerOwner && ownerOwner->isWebKitStyle());
}

bool isDeclarationRow(const CSSRule &row)
{
    return !row.decLine().isNull() && !row.isRule();
}

// The style-editor badge of a selected declaration: 12 by 12 at the cell's right.
constexpr int kBadgeSize = 12;

QRect badgeRect(const QRect &cell)
{
    return QRect(cell.right() - kBadgeSize - 1, cell.top() + (cell.height() - kBadgeSize) / 2, kBadgeSize, kBadgeSize);
}

} // namespace

CSSRuleRowCell::CSSRuleRowCell(CSSOutlineDelegate *panel, QObject *parent) : QStyledItemDelegate(parent), m_panel(panel) {}

CSSRuleRowCell::~CSSRuleRowCell() = default;

QStringList CSSRuleRowCell::identifiers()
{
    return {QStringLiteral("RuleCell"), QStringLiteral("DecralationCell"), QStringLiteral("ShortHandCell"),
            QStringLiteral("KeyframeCell"), QStringLiteral("KeyframeDecrarationCell")};
}

QString CSSRuleRowCell::identifierOf(const CSSRule &row)
{
    QString identifier;
    if (row.isShortHandChild())
        identifier = QStringLiteral("ShortHandCell");
    else if (row.isRule() || row.isWebKitStyle())
        identifier = QStringLiteral("RuleCell");
    else
        identifier = row.decLine().isNull() ? QStringLiteral("RuleCell") : QStringLiteral("DecralationCell");
    if (hasLiveType(row.ownerRule(), DOMCSSRule::KEYFRAMES_RULE))
        identifier = hasLiveType(row.animationOwner(), DOMCSSRule::KEYFRAME_RULE) ? QStringLiteral("KeyframeDecrarationCell")
                                                                                    : QStringLiteral("KeyframeCell");
    if (row.rule() && row.rule()->type() == DOMCSSRule::KEYFRAMES_RULE && row.decLine().isNull())
        identifier = QStringLiteral("RuleCell");
    return identifier;
}

QFont CSSRuleRowCell::cellFont()
{
    QFont font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    font.setPixelSize(11);
    return font;
}

int CSSRuleRowCell::valueOffset(const CSSRule &row)
{
    const QFontMetrics metrics(cellFont());
    return kNameX + metrics.horizontalAdvance(row.propName()) + metrics.horizontalAdvance(QStringLiteral(": "));
}

QRect CSSRuleRowCell::checkBoxRect(const QRect &cell)
{
    return QRect(cell.left() + 2, cell.center().y() - 5, 11, 11);
}

CSSRuleRowCell::Look CSSRuleRowCell::lookOf(CSSRule &row, bool selected, const QPalette &palette) const
{
    Look look;
    const QColor text = palette.color(QPalette::Text);
    const QColor grey = palette.color(QPalette::Disabled, QPalette::Text);
    const QColor lightGrey = DesktopColors::adapted(QColor(192, 192, 192), palette);
    const QColor magenta = DesktopColors::adapted(QColor::fromRgbF(0.7254901960784313f, 0.00784313725490196f, 0.5607843137254902f), palette);
    const QColor blue = DesktopColors::adapted(QColor::fromRgbF(0.2196078431372549f, 0.4196078431372549f, 0.8549019607843137f), palette);

    // The check box follows the declaration's enabled flag, and so does the row.
    if (const CSSPropertyPtr property = row.property()) {
        look.checked = property->isEnabled();
        row.setShouldIncludInRule(property->isEnabled());
    }
    const bool computed = isComputed(row);
    const bool userAgent = isUserAgent(row) || row.isWebKitStyle();
    const bool keyframeDeclaration = hasLiveType(row.ownerRule(), DOMCSSRule::KEYFRAMES_RULE) && row.animationOwner();
    look.valueEditable = m_panel ? m_panel->isValueEditable(row.shared_from_this()) : false;
    look.checkBoxShown = isDeclarationRow(row) && !computed && !userAgent && !row.isVenderPrefix() && !keyframeDeclaration
                         && (selected || !look.checked);

    if (selected) {
        const QColor highlighted = palette.color(QPalette::HighlightedText);
        look.name = look.value = look.colon = look.selector = look.fileName = highlighted;
        return look;
    }
    look.colon = text;
    look.selector = text;
    look.fileName = grey;
    look.name = magenta;
    look.value = blue;
    if (computed || userAgent)
        look.name = look.value = look.colon = grey;
    if (row.propName().startsWith(u'-'))
        look.name = look.value = grey;
    if (hasLiveType(row.shared_from_this(), DOMCSSRule::MEDIA_RULE) && row.decLine().isNull())
        look.selector = magenta;

    // Switched off, or overridden in the cascade (a rule that does not apply
    // now, as one of a state, keeps no marks, and so is not dimmed).
    const CSSRulePtr owner = row.ownerRule();
    bool dimmed = false;
    if (isDeclarationRow(row) && !keyframeDeclaration) {
        if (!row.shouldIncludInRule() && !row.isShortHandChild())
            dimmed = true;
        if (row.isShortHandChild()) {
            const CSSRulePtr shorthand = row.shortHandOwner();
            dimmed = dimmed || (shorthand && shorthand->property() && !shorthand->property()->isEnabled());
        }
        if (!row.isFirstAssigned() && owner && owner->isInCascade())
            dimmed = true;
    }
    if (dimmed && !userAgent && !computed && !row.propName().startsWith(u'-')) {
        look.name = look.value = look.colon = lightGrey;
        look.dimmed = true;
    }
    return look;
}

void CSSRuleRowCell::checBoxChange(CSSRule &row, bool on)
{
    row.setShouldIncludInRule(on);
    if (const CSSPropertyPtr property = row.property())
        property->setEnabled(on);
    NotificationCenter::defaultCenter().postNotificationName(
        QStringLiteral("enabledStyle"), this, {{QStringLiteral("rule"), QVariant::fromValue(row.shared_from_this())}});
}

void CSSRuleRowCell::paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const
{
    CSSRule *row = rowAt(index);
    if (!row)
        return;
    const bool selected = option.state & QStyle::State_Selected;
    const Look look = lookOf(*row, selected, option.palette);
    const QRect rect = option.rect;
    painter->save();
    painter->setFont(cellFont());
    const QFontMetrics metrics(cellFont());
    const int baseline = rect.top() + (rect.height() + metrics.ascent() - metrics.descent()) / 2;

    if (!isDeclarationRow(*row)) {
        // A rule: its selector, and its file and line at the right.
        QString selector = row->displayName();
        if (row->computedStyleDec())
            selector = QStringLiteral("computed");
        QString file = row->fileName();
        if (row->computedStyleDec())
            file.clear();
        // The rule menu's button ends the row; the file stands before it.
        const bool menuButton = CSSRuleEditButton::isShownOn(*row);
        const int buttonWidth = menuButton ? rect.right() - CSSRuleEditButton::frameInCell(rect).left() + 2 : 0;
        const int fileWidth = (file.isEmpty() ? 0 : metrics.horizontalAdvance(file) + 8) + buttonWidth;
        QFont bold = cellFont();
        bold.setBold(!row->computedStyleDec());
        painter->setFont(bold);
        painter->setPen(look.selector);
        const QFontMetrics boldMetrics(bold);
        const int available = std::max(0, rect.width() - fileWidth - 6);
        painter->drawText(QPoint(rect.left() + 4, baseline), boldMetrics.elidedText(selector, Qt::ElideRight, available));
        if (!file.isEmpty()) {
            painter->setFont(cellFont());
            painter->setPen(look.fileName);
            painter->drawText(QPoint(rect.right() - fileWidth + 4, baseline), file);
        }
        if (menuButton)
            CSSRuleEditButton::paint(painter, option);
        painter->restore();
        return;
    }

    if (look.checkBoxShown) {
        QStyleOptionButton box;
        box.rect = checkBoxRect(rect);
        box.state = QStyle::State_Enabled | (look.checked ? QStyle::State_On : QStyle::State_Off);
        box.palette = option.palette;
        const QWidget *widget = option.widget;
        QStyle *style = widget ? widget->style() : QApplication::style();
        style->drawPrimitive(QStyle::PE_IndicatorCheckBox, &box, painter, widget);
    }
    const QString name = row->propName();
    const int nameX = rect.left() + kNameX;
    painter->setPen(look.name);
    painter->drawText(QPoint(nameX, baseline), name);
    const int colonX = nameX + metrics.horizontalAdvance(name);
    painter->setPen(look.colon);
    painter->drawText(QPoint(colonX, baseline), QStringLiteral(":"));
    const int valueX = rect.left() + valueOffset(*row);
    const bool badge = hasBadge(*row, selected);
    const int valueRight = badge ? badgeRect(rect).left() - 2 : rect.right();
    painter->setPen(look.value);
    painter->drawText(QPoint(valueX, baseline),
                      metrics.elidedText(row->valueName(), Qt::ElideRight, std::max(0, valueRight - valueX - 2)));
    if (badge) {
        // Monochrome art in the colour of the selected row's text.
        const QPixmap art = NamedImage::tinted(NamedImage::imageNamed(QStringLiteral("edit_badge.pdf")), look.name);
        painter->drawPixmap(badgeRect(rect), art);
    }
    painter->restore();
}

QWidget *CSSRuleRowCell::createEditor(QWidget *parent, const QStyleOptionViewItem &, const QModelIndex &index) const
{
    CSSRule *row = rowAt(index);
    if (!row || !m_panel)
        return nullptr;
    auto *field = new CSSTextVauleInput(parent);
    field->setFont(cellFont());
    QPalette palette = field->palette();
    palette.setColor(QPalette::Text, DesktopColors::adapted(QColor::fromRgbF(0.2196078431372549f, 0.4196078431372549f, 0.8549019607843137f), palette));
    field->setPalette(palette);
    const CSSRulePtr held = row->shared_from_this();
    CSSOutlineDelegate *panel = m_panel;
    field->setAction([panel](CSSTextVauleInput *input) { panel->enterd(input); });
    field->setAbandonHandler([panel, held](CSSTextVauleInput *) { panel->abandonValueEdit(held); });
    auto *cell = const_cast<CSSRuleRowCell *>(this);
    field->setCloseHandler([cell](CSSTextVauleInput *input) { Q_EMIT cell->closeEditor(input, QAbstractItemDelegate::NoHint); });
    return field;
}

void CSSRuleRowCell::setEditorData(QWidget *editor, const QModelIndex &index) const
{
    auto *field = qobject_cast<CSSTextVauleInput *>(editor);
    CSSRule *row = rowAt(index);
    if (!field || !row)
        return;
    field->setText(row->valueName());
    field->filterOwnEvents();
}

void CSSRuleRowCell::setModelData(QWidget *, QAbstractItemModel *, const QModelIndex &) const {}

void CSSRuleRowCell::updateEditorGeometry(QWidget *editor, const QStyleOptionViewItem &option, const QModelIndex &index) const
{
    CSSRule *row = rowAt(index);
    if (!row)
        return;
    const int x = option.rect.left() + valueOffset(*row) - 2;
    // The badge beside the field stays there to be clicked.
    const int right = hasBadge(*row, true) ? badgeRect(option.rect).left() - 2 : option.rect.right();
    editor->setGeometry(QRect(x, option.rect.top(), std::max(40, right - x), option.rect.height()));
}

bool CSSRuleRowCell::editorEvent(QEvent *event, QAbstractItemModel *model, const QStyleOptionViewItem &option,
                                 const QModelIndex &index)
{
    CSSRule *row = rowAt(index);
    if (row && event->type() == QEvent::MouseButtonPress && !isDeclarationRow(*row) && CSSRuleEditButton::isShownOn(*row)) {
        const auto *mouse = static_cast<QMouseEvent *>(event);
        const QRect button = CSSRuleEditButton::frameInCell(option.rect);
        if (mouse->button() == Qt::LeftButton && button.adjusted(-2, -2, 2, 2).contains(mouse->position().toPoint())) {
            if (m_panel)
                m_panel->poptMenu(CSSRuleEditButton(row->shared_from_this(), CSSRuleEditButton::tagOf(*row), button));
            return true;
        }
    }
    const bool mouse = event->type() == QEvent::MouseButtonPress || event->type() == QEvent::MouseButtonRelease
                       || event->type() == QEvent::MouseButtonDblClick;
    if (row && mouse && isDeclarationRow(*row)) {
        const auto *click = static_cast<QMouseEvent *>(event);
        const QPoint point = click->position().toPoint();
        const bool left = click->button() == Qt::LeftButton;
        // The view gives mouse events without the selected state: the check
        // box and the badge of a selected row were never hit (#72).
        const bool selected = isSelectedRow(option, index);
        const Look look = lookOf(*row, selected, option.palette);
        // The check box switches on the release, as a check box does; its
        // press and double click are its own too, or the view would take the
        // click on a selected row for one that opens the value editor.
        if (look.checkBoxShown && checkBoxRect(option.rect).adjusted(-2, -2, 2, 2).contains(point)) {
            if (event->type() == QEvent::MouseButtonRelease && left)
                checBoxChange(*row, !look.checked);
            return true;
        }
        if (hasBadge(*row, selected) && badgeRect(option.rect).adjusted(-2, -2, 2, 2).contains(point)) {
            if (event->type() == QEvent::MouseButtonPress && left)
                showStyleEditorPopover();
            return true;
        }
    }
    return QStyledItemDelegate::editorEvent(event, model, option, index);
}

bool CSSRuleRowCell::helpEvent(QHelpEvent *event, QAbstractItemView *view, const QStyleOptionViewItem &, const QModelIndex &index)
{
    CSSRule *row = rowAt(index);
    if (!row || event->type() != QEvent::ToolTip)
        return false;
    QString tip;
    if (isDeclarationRow(*row))
        tip = QString(row->propName() + u':' + row->valueName()).remove(u' ');
    else if (!row->computedStyleDec())
        tip = row->displayName() + QStringLiteral("\n") + row->fileName();
    QToolTip::showText(event->globalPos(), tip, view);
    return true;
}

bool CSSRuleRowCell::hasBadge(const CSSRule &row, bool selected) const
{
    return selected && m_panel && m_panel->hasStyleEditorBadge(row);
}

void CSSRuleRowCell::showStyleEditorPopover()
{
    if (m_panel)
        m_panel->showStyleEditor();
}

#include "StyleSheetsManagerListCell.h"

#include "PatchingButton.h"

#include "platform/kit/NamedImage.h"
#include "platform/kit/OutlineView.h"
#include "workspace/File.h"

#include <QApplication>
#include <QLineEdit>
#include <QPainter>

namespace {

using Row = StyleSheetsManagerDelegate::Row;

constexpr int kImageSize = 14;
constexpr int kPadding = 3;

const Row *rowAt(const QModelIndex &index)
{
    return static_cast<const Row *>(OutlineView::itemForIndex(index));
}

bool isStyleRule(int type)
{
    return type == RuleType::Style || type == RuleType::MediaStyle;
}

QString imageName(int type)
{
    switch (type) {
    case RuleType::Style:
    case RuleType::MediaStyle:
        return QStringLiteral("Selector_Template.pdf");
    case RuleType::Media:
        return QStringLiteral("Ruler_Template.pdf");
    case RuleType::Keyframes:
        return QStringLiteral("Keyframe_Template.pdf");
    default:
        return {};
    }
}

// A kind's colour, lighter on a dark palette so that it stays readable.
QColor kindColor(int r, int g, int b, const QPalette &palette)
{
    const QColor color(r, g, b);
    return palette.color(QPalette::Base).lightness() < 128 ? color.lighter(160) : color;
}

} // namespace

StyleSheetsManagerListCell::StyleSheetsManagerListCell(StyleSheetsManagerDelegate *styleSheetDelegate)
    : QStyledItemDelegate(styleSheetDelegate), m_styleSheetDelegate(styleSheetDelegate)
{
}

bool StyleSheetsManagerListCell::isLoneClass(const QString &selector)
{
    // One compound only, and that down to a single class: ".a:hover" is, ".a:hover .b" is not.
    const QStringList parts = selector.trimmed().split(QLatin1Char(' '));
    return parts.size() == 1 && parts.first().startsWith(QLatin1Char('.')) && PatchingButton::patchesClass(selector);
}

StyleSheetsManagerListCell::Look StyleSheetsManagerListCell::lookOf(const Row &row, bool selected,
                                                                    const QPalette &palette) const
{
    Look look;
    look.text = palette.color(selected ? QPalette::HighlightedText : QPalette::Text);
    if (!row.declaration)
        return look;
    const StyleDeclaration &rule = *row.declaration;
    const int type = rule.type();
    look.count = m_styleSheetDelegate->countText(rule);
    look.patchingShown = isStyleRule(type) && isLoneClass(rule.selector());
    // A rule matching nothing offers its class in the faint image.
    look.showButton = look.count != QLatin1String("(0)");
    if (selected)
        return look;
    switch (type) {
    case RuleType::Comment:
        look.text = kindColor(2, 164, 143, palette);
        break;
    case RuleType::Charset:
        look.text = kindColor(166, 0, 20, palette);
        break;
    case RuleType::Media:
        look.text = kindColor(185, 2, 143, palette);
        break;
    case RuleType::FontFace:
        look.text = kindColor(255, 2, 145, palette);
        break;
    case RuleType::Import:
        look.text = kindColor(180, 180, 180, palette);
        break;
    case RuleType::Keyframes:
    case RuleType::Keyframe:
        look.text = kindColor(57, 107, 218, palette);
        break;
    default:
        if (!look.showButton)
            look.text = palette.color(QPalette::Disabled, QPalette::Text);
        break;
    }
    return look;
}

QRect StyleSheetsManagerListCell::patchingButtonRect(const QRect &cell)
{
    return QRect(cell.right() - kImageSize - kPadding, cell.center().y() - kImageSize / 2, kImageSize, kImageSize);
}

void StyleSheetsManagerListCell::paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const
{
    const Row *row = rowAt(index);
    if (!row) {
        QStyledItemDelegate::paint(painter, option, index);
        return;
    }
    const bool selected = option.state & QStyle::State_Selected;
    const Look look = lookOf(*row, selected, option.palette);
    painter->save();
    QRect rect = option.rect.adjusted(kPadding, 0, -kPadding, 0);

    // The image of the kind, or the style sheet's icon.
    const QRect imageRect(rect.left(), rect.center().y() - kImageSize / 2, kImageSize, kImageSize);
    if (row->file) {
        row->file->icon().paint(painter, imageRect);
    } else if (const QString name = imageName(row->declaration->type()); !name.isEmpty()) {
        const QPixmap image = NamedImage::tinted(NamedImage::imageNamed(name), look.text);
        if (!image.isNull())
            painter->drawPixmap(imageRect, image);
    }
    rect.setLeft(imageRect.right() + kPadding + 1);

    if (look.patchingShown) {
        // The live button stands over the row under the pointer; the others are drawn.
        const QRect button = patchingButtonRect(option.rect);
        QPalette palette = option.palette;
        palette.setColor(QPalette::Text, option.palette.color(selected ? QPalette::HighlightedText : QPalette::Text));
        const qreal ratio = painter->device() ? painter->device()->devicePixelRatioF() : 1.0;
        const QPixmap image =
            PatchingButton::image(look.showButton ? PatchingButton::State::Up : PatchingButton::State::None, palette, ratio);
        if (!image.isNull())
            painter->drawPixmap(button, image);
        rect.setRight(button.left() - kPadding);
    }

    painter->setFont(option.font);
    const QFontMetrics metrics(option.font);
    if (!look.count.isEmpty()) {
        const int width = metrics.horizontalAdvance(look.count);
        painter->setPen(look.text);
        painter->drawText(QRect(rect.right() - width, rect.top(), width, rect.height()), Qt::AlignVCenter | Qt::AlignRight,
                          look.count);
        rect.setRight(rect.right() - width - kPadding * 2);
    }
    const QString text = index.data(Qt::DisplayRole).toString();
    painter->setPen(look.text);
    painter->drawText(rect, Qt::AlignVCenter | Qt::AlignLeft, metrics.elidedText(text, Qt::ElideMiddle, rect.width()));
    painter->restore();
}

QSize StyleSheetsManagerListCell::sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const
{
    QSize size = QStyledItemDelegate::sizeHint(option, index);
    size.setHeight(std::max(size.height(), kImageSize + 4));
    return size;
}

QWidget *StyleSheetsManagerListCell::createEditor(QWidget *parent, const QStyleOptionViewItem &option,
                                                  const QModelIndex &index) const
{
    QWidget *editor = QStyledItemDelegate::createEditor(parent, option, index);
    if (auto *line = qobject_cast<QLineEdit *>(editor))
        line->setFrame(false);
    return editor;
}

void StyleSheetsManagerListCell::updateEditorGeometry(QWidget *editor, const QStyleOptionViewItem &option,
                                                      const QModelIndex &) const
{
    // The field takes the selector's place, after the image.
    editor->setGeometry(option.rect.adjusted(kImageSize + kPadding * 2 + 1, 0, 0, 0));
}

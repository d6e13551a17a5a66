#include "KeyframeThumb.h"

#include "platform/kit/DesktopColors.h"
#include "platform/kit/NamedImage.h"
#include "stylesheet/StyleDeclaration.h"

#include <QPainter>
#include <QRegularExpression>

KeyframeThumb::KeyframeThumb(QWidget *parent)
    : ThumbView(parent)
{
}

KeyframeThumb::~KeyframeThumb() = default;

StyleDeclaration *KeyframeThumb::keyframe() const
{
    const auto *offset = static_cast<const KeyframeOffset *>(item().get());
    return offset ? offset->keyframe.get() : nullptr;
}

int KeyframeThumb::offsetIndex() const
{
    const auto *offset = static_cast<const KeyframeOffset *>(item().get());
    return offset ? offset->index : 0;
}

QStringList KeyframeThumb::offsetsOf(const QString &selector)
{
    QStringList offsets = selector.split(u',');
    for (QString &offset : offsets)
        offset = offset.trimmed();
    return offsets;
}

QString KeyframeThumb::offsetOf(const QString &selector, int index)
{
    return offsetsOf(selector).value(index);
}

QString KeyframeThumb::withOffset(const QString &selector, int index, const QString &offset)
{
    QStringList pieces = selector.split(u',');
    if (index < 0 || index >= pieces.size())
        return selector;
    const auto leadingBlanks = [](const QString &piece) {
        qsizetype count = 0;
        while (count < piece.size() && piece.at(count).isSpace())
            ++count;
        return count;
    };
    if (offset.isNull()) {
        // The offset goes with the comma before it; the first one leaves its
        // leading blanks to the next.
        const QString removed = pieces.takeAt(index);
        if (index == 0 && !pieces.isEmpty())
            pieces.first() = removed.left(leadingBlanks(removed)) + pieces.first().mid(leadingBlanks(pieces.first()));
        return pieces.join(u',');
    }
    QString &piece = pieces[index];
    const qsizetype start = leadingBlanks(piece);
    piece.replace(start, piece.trimmed().size(), offset);
    return pieces.join(u',');
}

double KeyframeThumb::ratioOfSelector(const QString &selector)
{
    const QString key = selector.trimmed().toLower();
    if (key == QLatin1String("from"))
        return 0;
    if (key == QLatin1String("to"))
        return 1;
    return qBound(0.0, leadingNumber(selector).value_or(0) / 100, 1.0);
}

std::optional<double> KeyframeThumb::leadingNumber(const QString &selector)
{
    static const QRegularExpression number(QStringLiteral("^\\s*[-+]?(\\d+\\.?\\d*|\\.\\d+)([eE][-+]?\\d+)?"));
    const QRegularExpressionMatch match = number.match(selector);
    if (!match.hasMatch())
        return std::nullopt;
    return match.captured(0).trimmed().toDouble();
}

QString KeyframeThumb::selectorOfRatio(double ratio)
{
    // The small addend keeps 0.29 from reading as 28.999...
    return QString::number(int(ratio * 100 + 1e-9)) + u'%';
}

double KeyframeThumb::ratio() const
{
    StyleDeclaration *declaration = keyframe();
    return declaration ? ratioOfSelector(offsetOf(declaration->selector(), offsetIndex())) : 0;
}

void KeyframeThumb::setRatio(double ratio)
{
    StyleDeclaration *declaration = keyframe();
    if (!declaration)
        return;
    const QString offset = selectorOfRatio(ratio);
    if (m_heldRatio >= 0 && selectorOfRatio(m_heldRatio) == offset)
        declaration->setSelector(m_heldSelector);
    else
        declaration->setSelector(
            withOffset(m_heldRatio >= 0 ? m_heldSelector : declaration->selector(), offsetIndex(), offset));
}

void KeyframeThumb::holdPlace()
{
    StyleDeclaration *declaration = keyframe();
    m_heldSelector = declaration ? declaration->selector() : QString();
    m_heldRatio = declaration ? ratio() : -1;
}

void KeyframeThumb::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
    if (selected() && dropInvalid()) {
        painter.drawPixmap(rect(), NamedImage::imageNamed(QStringLiteral("Key_Cancel_Template.pdf")));
        return;
    }
    // The selected key stands out on any row, a selected one too; the plain
    // key is drawn in the desktop's colours.
    if (selected()) {
        painter.drawPixmap(rect(), NamedImage::imageNamed(QStringLiteral("Key_Selected_Template.pdf")));
        return;
    }
    const QColor colour = DesktopColors::adapted(QColor(96, 96, 96), palette());
    painter.drawPixmap(rect(), NamedImage::tinted(NamedImage::imageNamed(QStringLiteral("Key_Template.pdf")), colour));
}

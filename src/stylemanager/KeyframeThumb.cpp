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
    return static_cast<StyleDeclaration *>(item().get());
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
    return declaration ? ratioOfSelector(declaration->selector()) : 0;
}

void KeyframeThumb::setRatio(double ratio)
{
    StyleDeclaration *declaration = keyframe();
    if (!declaration)
        return;
    const QString selector = selectorOfRatio(ratio);
    if (m_heldRatio >= 0 && selectorOfRatio(m_heldRatio) == selector)
        declaration->setSelector(m_heldSelector);
    else
        declaration->setSelector(selector);
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

#include "PathComponentCell.h"

#include "File.h"

#include "platform/kit/DesktopColors.h"
#include "platform/kit/FontRBLFallbackAdditions.h"

#include <QFontMetrics>
#include <QGuiApplication>
#include <QPainter>

PathComponentCell::PathComponentCell()
{
    // Every file node has a cell: build the font once.
    static const QFont s_font = [] {
        QFont font = FontRBLFallbackAdditions::rbl_fontWithName(
                         QStringLiteral("LucidaGrande"), 10.0,
                         {QStringLiteral("Lucida Grande"), QGuiApplication::font().family()})
                         .value_or(QGuiApplication::font());
        font.setPointSizeF(10.0);
        return font;
    }();
    setFont(s_font);
}

PathComponentCell::~PathComponentCell() = default;

File *PathComponentCell::file() const
{
    return m_file.data();
}

void PathComponentCell::setFile(File *file)
{
    m_file = file;
}

QIcon PathComponentCell::image() const
{
    const QIcon own = PathCell::image();
    if (!own.isNull() || !m_file)
        return own;
    return m_file->icon();
}

QUrl PathComponentCell::url() const
{
    const QUrl own = PathCell::url();
    if (own.isValid() || !m_file)
        return own;
    return m_file->pathURL();
}

const Shadow &PathComponentCell::textShadow()
{
    // White at half strength one point below the text; on a dark desktop the
    // same shadow in the palette's turned-over white.
    static Shadow s_shadow = [] {
        Shadow shadow;
        shadow.offset = QPointF(0, 1);
        QColor color = DesktopColors::adapted(QColor(Qt::white), QGuiApplication::palette());
        color.setAlphaF(0.5f);
        shadow.color = color;
        return shadow;
    }();
    return s_shadow;
}

void PathComponentCell::drawWithFrame(QPainter &painter, const QRect &frame, const QColor &textColor) const
{
    if (!image().isNull())
        image().paint(&painter, QRect(frame.left(), frame.center().y() - s_imageSize / 2 + 1, s_imageSize, s_imageSize));
    painter.setFont(font());
    const QRect textRect = titleRect(frame);
    const QString text = shownTitle(frame);
    const int flags = Qt::AlignVCenter | Qt::AlignLeft;
    textShadow().drawTextShadow(painter, QRectF(textRect), flags, text);
    painter.setPen(textColor);
    painter.drawText(textRect, flags, text);
}

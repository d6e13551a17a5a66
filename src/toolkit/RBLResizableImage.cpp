#include "RBLResizableImage.h"

#include <QBuffer>
#include <QPainter>

#include <cmath>

RBLResizableImage::RBLResizableImage(const QPixmap &image, const EdgeInsets &capInsets)
    : m_image(image)
    , m_capInsets(capInsets)
{
}

QSizeF RBLResizableImage::size() const
{
    return QSizeF(m_image.size()) / m_image.devicePixelRatio();
}

std::optional<RBLResizableImage::Pieces> RBLResizableImage::piecesForSource(const QRectF &source) const
{
    const QSizeF whole = size();
    Pieces pieces;
    pieces.source = QRectF(QPointF(0, 0), whole);
    double top = m_capInsets.top;
    double left = m_capInsets.left;
    double bottom = m_capInsets.bottom;
    double right = m_capInsets.right;
    if (!source.isEmpty()) {
        if (!QRectF(QPointF(0, 0), whole).contains(source))
            return std::nullopt;
        // The insets shrink to the part of the source they cover.
        left = qMax(0.0, left - source.left());
        top = qMax(0.0, top - source.top());
        right = qMax(0.0, right - (whole.width() - source.right()));
        bottom = qMax(0.0, bottom - (whole.height() - source.bottom()));
        pieces.source = source;
    }
    // The pieces are cut from the source, so its size is the one they share.
    const double w = pieces.source.width();
    const double h = pieces.source.height();
    const double midH = qMax(0.0, h - top - bottom);
    const double midW = qMax(0.0, w - left - right);
    auto piece = [&](Slot slot, bool made, double x, double y, double pw, double ph) {
        if (made)
            pieces.slots[slot] = QRectF(x, y, pw, ph);
    };
    piece(TopLeft, left > 0 && top > 0, 0, 0, left, top);
    piece(Top, midW > 0 && top > 0, left, 0, midW, top);
    piece(TopRight, right > 0 && top > 0, w - right, 0, right, top);
    piece(Left, left > 0 && midH > 0, 0, top, left, midH);
    piece(Centre, midW > 0 && midH > 0, left, top, midW, midH);
    piece(Right, right > 0 && midH > 0, w - right, top, right, midH);
    piece(BottomLeft, left > 0 && bottom > 0, 0, h - bottom, left, bottom);
    piece(Bottom, midW > 0 && bottom > 0, left, h - bottom, midW, bottom);
    piece(BottomRight, right > 0 && bottom > 0, w - right, h - bottom, right, bottom);

    if (pieces.slots[TopLeft] || pieces.slots[BottomRight])
        pieces.drawing = Drawing::NinePart;
    else if (pieces.slots[Left])
        pieces.drawing = Drawing::ThreePartHorizontal;
    else
        pieces.drawing = Drawing::ThreePartVertical;
    return pieces;
}

void RBLResizableImage::drawInRect(QPainter &painter, const QRectF &destination, const QRectF &source,
                                   double fraction) const
{
    QRectF d = destination;
    if (d.isEmpty())
        d = painter.hasClipping() ? painter.clipBoundingRect() : QRectF(painter.viewport());
    const std::optional<Pieces> pieces = piecesForSource(source);
    if (!pieces || m_image.isNull())
        return;
    const double ratio = m_image.devicePixelRatio();
    auto draw = [&](const std::optional<QRectF> &piece, const QRectF &target) {
        if (!piece || target.isEmpty())
            return;
        const QRectF cut = piece->translated(pieces->source.topLeft());
        painter.drawPixmap(target, m_image,
                           QRectF(cut.x() * ratio, cut.y() * ratio, cut.width() * ratio, cut.height() * ratio));
    };
    const auto &s = pieces->slots;
    auto width = [&](Slot slot) { return s[slot] ? s[slot]->width() : 0.0; };
    auto height = [&](Slot slot) { return s[slot] ? s[slot]->height() : 0.0; };

    painter.save();
    painter.setOpacity(painter.opacity() * fraction);
    switch (pieces->drawing) {
    case Drawing::NinePart: {
        const double l = qMax(width(TopLeft), qMax(width(Left), width(BottomLeft)));
        const double r = qMax(width(TopRight), qMax(width(Right), width(BottomRight)));
        const double t = qMax(height(TopLeft), qMax(height(Top), height(TopRight)));
        const double b = qMax(height(BottomLeft), qMax(height(Bottom), height(BottomRight)));
        const double xs[] = {d.left(), d.left() + l, d.right() - r, d.right()};
        const double ys[] = {d.top(), d.top() + t, d.bottom() - b, d.bottom()};
        for (int row = 0; row < 3; ++row) {
            for (int column = 0; column < 3; ++column) {
                const QRectF target(QPointF(xs[column], ys[row]), QPointF(xs[column + 1], ys[row + 1]));
                draw(s[row * 3 + column], target.normalized());
            }
        }
        break;
    }
    case Drawing::ThreePartHorizontal: {
        const double l = width(Left);
        const double r = width(Right);
        draw(s[Left], QRectF(d.left(), d.top(), l, d.height()));
        draw(s[Centre], QRectF(d.left() + l, d.top(), qMax(0.0, d.width() - l - r), d.height()));
        draw(s[Right], QRectF(d.right() - r, d.top(), r, d.height()));
        break;
    }
    case Drawing::ThreePartVertical: {
        const double t = height(Top);
        const double b = height(Bottom);
        draw(s[Top], QRectF(d.left(), d.top(), d.width(), t));
        draw(s[Centre], QRectF(d.left(), d.top() + t, d.width(), qMax(0.0, d.height() - t - b)));
        draw(s[Bottom], QRectF(d.left(), d.bottom() - b, d.width(), b));
        break;
    }
    }
    painter.restore();
}

bool RBLResizableImage::isEqual(const RBLResizableImage &other) const
{
    if (this == &other)
        return true;
    const bool sameImage = m_image.cacheKey() == other.m_image.cacheKey()
        || m_image.toImage() == other.m_image.toImage();
    return sameImage && std::abs(m_capInsets.top - other.m_capInsets.top) <= 0.1
        && std::abs(m_capInsets.left - other.m_capInsets.left) <= 0.1
        && std::abs(m_capInsets.bottom - other.m_capInsets.bottom) <= 0.1
        && std::abs(m_capInsets.right - other.m_capInsets.right) <= 0.1;
}

QVariantMap RBLResizableImage::encode() const
{
    QVariantMap archive;
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    m_image.save(&buffer, "PNG");
    archive.insert(QStringLiteral("image"), png);
    archive.insert(QStringLiteral("capInsetTop"), m_capInsets.top);
    archive.insert(QStringLiteral("capInsetLeft"), m_capInsets.left);
    archive.insert(QStringLiteral("capInsetBottom"), m_capInsets.bottom);
    archive.insert(QStringLiteral("capInsetRight"), m_capInsets.right);
    return archive;
}

RBLResizableImage RBLResizableImage::decode(const QVariantMap &archive)
{
    QPixmap image;
    image.loadFromData(archive.value(QStringLiteral("image")).toByteArray(), "PNG");
    EdgeInsets insets;
    insets.top = archive.value(QStringLiteral("capInsetTop")).toDouble();
    insets.left = archive.value(QStringLiteral("capInsetLeft")).toDouble();
    insets.bottom = archive.value(QStringLiteral("capInsetBottom")).toDouble();
    insets.right = archive.value(QStringLiteral("capInsetRight")).toDouble();
    return RBLResizableImage(image, insets);
}

QString RBLResizableImage::description() const
{
    const QSizeF s = size();
    return QString::asprintf("<RBLResizableImage: %p>{ size = {%g, %g}, capInsets = (%f, %f, %f, %f) }",
                             static_cast<const void *>(this), s.width(), s.height(), m_capInsets.top,
                             m_capInsets.left, m_capInsets.bottom, m_capInsets.right);
}

namespace ImageRBLResizableImageAdditions {

RBLResizableImage rbl_resizableImageWithCapInsets(const QPixmap &image, const EdgeInsets &insets)
{
    return RBLResizableImage(image, insets);
}

} // namespace ImageRBLResizableImageAdditions

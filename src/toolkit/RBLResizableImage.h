#pragma once

#include <QPixmap>
#include <QRectF>
#include <QString>
#include <QVariantMap>

#include <array>
#include <optional>

class QPainter;

// Widths of the fixed borders of a resizable image, in points.
struct EdgeInsets
{
    double top = 0.0;
    double left = 0.0;
    double bottom = 0.0;
    double right = 0.0;
};

// An image that stretches to any rectangle while its edges and corners keep
// their natural size: the cap insets cut it into up to nine pieces, drawn as
// a nine-part image, or as a three-part one when it has no corners. The
// pieces are cut anew at every draw.
class RBLResizableImage
{
public:
    enum class Drawing { NinePart, ThreePartHorizontal, ThreePartVertical };
    enum Slot {
        TopLeft, Top, TopRight,
        Left, Centre, Right,
        BottomLeft, Bottom, BottomRight,
    };

    // The pieces of one drawing: for each slot the rectangle of the image it
    // is cut from (in points, y downwards), when that piece exists.
    struct Pieces
    {
        Drawing drawing = Drawing::ThreePartVertical;
        std::array<std::optional<QRectF>, 9> slots;
        // The part of the image the pieces come from.
        QRectF source;
    };

    RBLResizableImage() = default;
    RBLResizableImage(const QPixmap &image, const EdgeInsets &capInsets);

    QPixmap image() const { return m_image; }
    // The size in points.
    QSizeF size() const;
    EdgeInsets capInsets() const { return m_capInsets; }
    void setCapInsets(const EdgeInsets &insets) { m_capInsets = insets; }

    // The pieces for a source rectangle (empty: the whole image). A source
    // reaching outside the image gives no pieces.
    std::optional<Pieces> piecesForSource(const QRectF &source) const;

    // Draws into the destination (empty: the painter's clip); an empty
    // source is the whole image.
    void drawInRect(QPainter &painter, const QRectF &destination, const QRectF &source = {},
                    double fraction = 1.0) const;

    // Equal when the images are equal and no inset differs by more than 0.1.
    bool isEqual(const RBLResizableImage &other) const;

    // The archive: the image as PNG under "image" and the insets under
    // "capInsetTop", "capInsetLeft", "capInsetBottom", "capInsetRight".
    QVariantMap encode() const;
    static RBLResizableImage decode(const QVariantMap &archive);

    QString description() const;

private:
    QPixmap m_image;
    EdgeInsets m_capInsets;
};

// Makes a resizable image of any image.
namespace ImageRBLResizableImageAdditions {

RBLResizableImage rbl_resizableImageWithCapInsets(const QPixmap &image, const EdgeInsets &insets);

} // namespace ImageRBLResizableImageAdditions

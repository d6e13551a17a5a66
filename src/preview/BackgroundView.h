#pragma once

#include <QColor>
#include <QList>
#include <QPointF>
#include <QPointer>
#include <QRectF>
#include <QSizeF>
#include <QVariantMap>
#include <QWidget>

#include <memory>

class DOMNode;
class ExWebView;
class LabelButton;
class QLabel;
class QPropertyAnimation;
class QPushButton;

// The box-model overlay the preview lays over the page to show the picked
// element: a tinted box with its border, padding (selection colour) and
// dashed content outlines, a label with the tag name, id and classes above
// its top-left corner, and its size under its bottom-right corner. It can
// also outline related elements lightly, draw one box around the element
// and its sub-elements, and, in resize mode, let a drag of the element's
// bottom-right corner report a new size ("elementResized"). A click on the
// label asks the DOM tree for the enclosing element ("detectToOuter").
//
// The view covers the web view (its elementDelegate, which owns it) and
// paints nothing but these; only the label and the resize handle keep the
// mouse, every other event (moves without a button too: it tracks the mouse)
// goes on to the page. `rect` is in the web view's
// coordinates (y growing downwards); drawingRect, resizeRect and the label
// origins are in the kit's numbers with y growing upwards from the bottom
// edge, as the static geometry functions below compute them.
class BackgroundView : public QWidget
{
    Q_OBJECT

public:
    explicit BackgroundView(QWidget *parent = nullptr);
    ~BackgroundView() override;

    // --- Colours -------------------------------------------------------------
    static QColor outlineBlue();
    static QColor relatedFill();
    static QColor elementFill();
    QColor selectionColor() const;

    // --- State (setting it does not redraw: the web view asks) ---------------
    QRectF rect() const { return m_rect; }
    void setRect(const QRectF &rect) { m_rect = rect; }
    DOMNode *element() const { return m_element.get(); }
    const std::shared_ptr<DOMNode> &sharedElement() const { return m_element; }
    void setElement(std::shared_ptr<DOMNode> element) { m_element = std::move(element); }
    QVariantMap dimension() const { return m_dimension; }
    void setDimension(const QVariantMap &dimension) { m_dimension = dimension; }
    QList<std::shared_ptr<DOMNode>> subElements() const { return m_subElements; }
    void setSubElements(const QList<std::shared_ptr<DOMNode>> &elements) { m_subElements = elements; }
    QList<std::shared_ptr<DOMNode>> relatedElements() const { return m_relatedElements; }
    void setRelatedElements(const QList<std::shared_ptr<DOMNode>> &elements) { m_relatedElements = elements; }
    ExWebView *elementDelegate() const { return m_elementDelegate; }
    void setElementDelegate(ExWebView *delegate) { m_elementDelegate = delegate; }

    // The box last painted (y-up), and the three labels.
    QRectF drawingRect() const { return m_drawingRect; }
    QLabel *sizeText() const { return m_sizeText; }
    LabelButton *elementText() const { return m_elementText; }
    QPushButton *toOuterButton() const { return m_toOuterButton; }
    bool isDragging() const { return m_dragging; }
    bool isResizable() const { return m_resizable; }

    // Lays the box and labels out for the state above and repaints.
    void refresh();
    // Places and fills the labels for a box whose size they show.
    void showElementInformation(const QRectF &shownRect);
    // Hides the size label only.
    void hideElementInformation();
    // Posts "detectToOuter" with the label's frame and the element.
    void toOuter();
    // Resize mode; turning it on outside a drag fades the overlay out.
    void setDetectResizable(bool resizable);
    // Hides the overlay without taking it out of the web view.
    void doNotify();
    // The resize handle (y-up), 16 x 16 at the element's bottom-right corner.
    QRectF resizeRect() const { return resizeRect(m_rect, height()); }

    // --- Geometry and texts, plain -------------------------------------------
    // r with y measured upwards in a view of that height.
    static QRectF flipped(const QRectF &rect, qreal height);
    // The picked box: rect grown by half a point to the left and top and one
    // point wider, half a point taller, then flipped.
    static QRectF pickedBox(const QRectF &rect, qreal height);
    // The padding and content boxes of the box model (flipped), from the
    // widths of the dimension ("padding-top" ... "border-bottom-width"; a
    // missing one is 0).
    static QRectF paddingBox(const QRectF &rect, const QVariantMap &dimension, qreal height);
    static QRectF contentBox(const QRectF &rect, const QVariantMap &dimension, qreal height);
    // The element label: "▼ " and the lower-cased node name of a text or
    // comment node, else the tag name with "#id" and ".classes".
    static QString elementLabelText(const DOMNode *node);
    static QString sizeLabelText(const QSizeF &size);
    // Where the size label stands (y-up): right-aligned under the painted
    // box, never left of or below the view's edge.
    static QPointF sizeTextOrigin(const QRectF &drawingRect, const QSizeF &labelSize);
    // Where the element label stands (y-up): on the element's top edge, held
    // 14 points under the view's top.
    static QPointF labelOrigin(const QRectF &rect, qreal height);
    static QRectF resizeRect(const QRectF &rect, qreal height);
    // The rectangle a resize drag by (dx, dy) gives (dy upwards: dragging down
    // makes the element taller); the content box never becomes negative.
    static QRectF resizedRect(const QRectF &startRect, const QPointF &delta, const QVariantMap &dimension);

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;

private:
    QRectF elementRect(const DOMNode *node) const;
    QFont labelFont() const;
    void fitLabel(QWidget *label, const QString &text);
    void placeLabel(QWidget *label, const QPointF &originUp);

    QRectF m_rect;
    QRectF m_drawingRect;
    QRectF m_startRect;
    QPointF m_dragStartPoint;
    bool m_dragging = false;
    bool m_resizable = false;
    QLabel *m_sizeText;               // Owned (child).
    LabelButton *m_elementText;       // Owned (child).
    QPushButton *m_toOuterButton;     // Owned (child).
    std::shared_ptr<DOMNode> m_element;
    QVariantMap m_dimension;
    QList<std::shared_ptr<DOMNode>> m_relatedElements;
    QList<std::shared_ptr<DOMNode>> m_subElements;
    QPointer<ExWebView> m_elementDelegate;
    QPointer<QPropertyAnimation> m_fade;
};

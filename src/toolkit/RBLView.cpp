#include "RBLView.h"

#include <QEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QPainterPath>

RBLView::RBLView(QWidget *parent, Drawing drawing)
    : QWidget(parent)
    , m_drawing(drawing)
    , m_redrawPolicy(drawing == Drawing::Custom ? RedrawPolicy::DuringViewResize : RedrawPolicy::Never)
{
    // A view that never redraws keeps what it drew when it grows and paints
    // only what is newly exposed.
    setAttribute(Qt::WA_StaticContents, m_redrawPolicy == RedrawPolicy::Never);
    applyLayerProperties();
}

RBLView::~RBLView() = default;

void RBLView::setBackgroundColor(const QColor &color)
{
    m_backgroundColor = color;
    applyLayerProperties();
}

void RBLView::setClipsToBounds(bool clips)
{
    m_clipsToBounds = clips;
    applyLayerProperties();
}

void RBLView::setCornerRadius(double radius)
{
    m_cornerRadius = radius;
    applyLayerProperties();
}

void RBLView::setOpaque(bool opaque)
{
    m_opaque = opaque;
    applyLayerProperties();
}

void RBLView::setFlipped(bool flipped)
{
    if (m_flipped == flipped)
        return;
    m_flipped = flipped;
    updateGeometry();
    update();
}

void RBLView::setContents(const QPixmap &contents)
{
    m_contents = contents;
    update();
}

void RBLView::applyLayerProperties()
{
    setAttribute(Qt::WA_OpaquePaintEvent, m_opaque);
    if (m_clipsToBounds && m_cornerRadius > 0.0) {
        QPainterPath path;
        path.addRoundedRect(QRectF(rect()), m_cornerRadius, m_cornerRadius);
        setMask(QRegion(path.toFillPolygon().toPolygon()));
    } else {
        clearMask();
    }
    update();
}

void RBLView::drawRect(QPainter &, const QRect &) {}

void RBLView::paintEvent(QPaintEvent *event)
{
    // Qt composes a view that is not opaque over what its parent drew, so
    // the rectangle is clear before anything is drawn.
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    if (m_backgroundColor.isValid()) {
        QPainterPath path;
        path.addRoundedRect(QRectF(rect()), m_cornerRadius, m_cornerRadius);
        painter.fillPath(path, m_backgroundColor);
    }
    if (!m_contents.isNull()) {
        painter.setCompositionMode(m_opaque ? QPainter::CompositionMode_Source
                                            : QPainter::CompositionMode_SourceOver);
        painter.drawPixmap(QRectF(rect()), m_contents, QRectF(m_contents.rect()));
        painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
    }
    drawRect(painter, event->rect());
}

void RBLView::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    if (m_clipsToBounds && m_cornerRadius > 0.0)
        applyLayerProperties();
}

void RBLView::changeEvent(QEvent *event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::ParentChange)
        applyLayerProperties();
}

QString RBLView::description() const
{
    const QRect f = geometry();
    return QString::asprintf("<%s: %p>{ frame = {{%d, %d}, {%d, %d}}, layer = <%s: %p>, contents = %s }",
                             metaObject()->className(), static_cast<const void *>(this), f.x(), f.y(),
                             f.width(), f.height(), "QWidget", static_cast<const void *>(this),
                             m_contents.isNull() ? "(null)" : "QPixmap");
}

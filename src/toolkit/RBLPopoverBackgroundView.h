#pragma once

#include "RectEdge.h"

#include <QColor>
#include <QPainterPath>
#include <QPointer>
#include <QWidget>

#include <functional>

class RBLPopoverBackgroundView;

// What a popover asks of the kind of background view it uses: the window size
// for a content size, the content frame inside it, and a new background view.
struct RBLPopoverBackgroundViewClass
{
    std::function<QSizeF(const QSizeF &contentSize, RectEdge edge)> sizeForBackgroundViewWithContentSize;
    std::function<QRectF(const QRectF &backgroundFrame, RectEdge edge)> contentViewFrameForBackgroundFrame;
    std::function<RBLPopoverBackgroundView *(const QSizeF &contentSize, RectEdge edge,
                                             const QRectF &originScreenRect)>
        backgroundViewForContentSize;
};

// The content view of a popover's window: fills its background, knows the
// sizes around the content and the outline of the popover. It lays the
// content view out over its area when it is resized.
class RBLPopoverBackgroundView : public QWidget
{
    Q_OBJECT

public:
    static constexpr double s_cornerRadius = 5.0;
    static constexpr double s_border = 1.0;
    // The outline shows no arrow: its vertices lie on the edge line.
    static constexpr double s_arrowHeight = 0.0;
    static constexpr double s_arrowWidth = 0.0;

    RBLPopoverBackgroundView(const QRectF &frame, RectEdge popoverEdge, const QRectF &originScreenRect,
                             QWidget *parent = nullptr);
    ~RBLPopoverBackgroundView() override;

    static QSizeF sizeForBackgroundViewWithContentSize(const QSizeF &contentSize, RectEdge edge);
    static QRectF contentViewFrameForBackgroundFrame(const QRectF &backgroundFrame, RectEdge edge);
    static RBLPopoverBackgroundView *backgroundViewForContentSize(const QSizeF &contentSize, RectEdge edge,
                                                                  const QRectF &originScreenRect);
    // This class's answers, the default of every popover.
    static RBLPopoverBackgroundViewClass viewClass();

    // The side the arrow is on: the one facing the positioning rectangle.
    static RectEdge arrowEdgeForPopoverEdge(RectEdge edge);

    // The outline of the popover in a frame of this view.
    QPainterPath newPopoverPathForEdge(RectEdge edge, const QRectF &frame) const;

    RectEdge popoverEdge() const { return m_popoverEdge; }
    void setPopoverEdge(RectEdge edge) { m_popoverEdge = edge; }
    // The background; the palette's base colour unless set.
    QColor fillColor() const;
    void setFillColor(const QColor &color);
    QRectF screenOriginRect() const { return m_screenOriginRect; }
    void setScreenOriginRect(const QRectF &rect) { m_screenOriginRect = rect; }

    // The content laid out by this view; not owned.
    void setContentView(QWidget *contentView);
    QWidget *contentView() const { return m_contentView; }

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    RectEdge m_popoverEdge;
    QColor m_fillColor;
    QRectF m_screenOriginRect;
    QPointer<QWidget> m_contentView;
};

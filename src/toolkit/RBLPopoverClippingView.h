#pragma once

#include <QPainterPath>
#include <QWidget>

// Laid over a popover's content: makes every pixel outside the popover's
// outline transparent, so the content takes the outline's rounded shape, and
// draws a thin edge along the outline where the desktop draws no window shadow.
class RBLPopoverClippingView : public QWidget
{
    Q_OBJECT

public:
    explicit RBLPopoverClippingView(QWidget *parent = nullptr);
    ~RBLPopoverClippingView() override;

    QPainterPath clippingPath() const { return m_clippingPath; }
    void setClippingPath(const QPainterPath &path);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QPainterPath m_clippingPath;
};

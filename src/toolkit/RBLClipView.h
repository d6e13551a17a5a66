#pragma once

#include <QColor>
#include <QWidget>

// The clip view of an RBLScrollView: its background colour (clear at first)
// and its opacity.
class RBLClipView : public QWidget
{
    Q_OBJECT

public:
    explicit RBLClipView(QWidget *parent = nullptr);
    ~RBLClipView() override;

    QColor backgroundColor() const { return m_backgroundColor; }
    void setBackgroundColor(const QColor &color);
    bool isOpaque() const { return m_opaque; }
    void setOpaque(bool opaque);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QColor m_backgroundColor = Qt::transparent;
    bool m_opaque = false;
};

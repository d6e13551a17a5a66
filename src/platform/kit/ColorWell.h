#pragma once

#include <QColor>
#include <QWidget>

#include <optional>

// The kit's colour well: a bordered button filled with a colour (empty when
// there is none). A click or Space opens the shared colour panel with the
// well as its target; every colour picked there becomes the well's colour
// and sends the action (colorChanged()). setColor() shows a colour without
// sending it.
class ColorWell : public QWidget
{
    Q_OBJECT

public:
    explicit ColorWell(QWidget *parent = nullptr);
    ~ColorWell() override;

    std::optional<QColor> color() const { return m_color; }
    void setColor(const std::optional<QColor> &color);
    // Opens the shared colour panel on the well's colour.
    void activate();
    bool isActive() const;

    QSize sizeHint() const override;

Q_SIGNALS:
    void colorChanged();

protected:
    void paintEvent(QPaintEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    std::optional<QColor> m_color;
};

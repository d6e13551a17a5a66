#pragma once

#include <QColor>
#include <QAbstractButton>

// One swatch of the colour palette: a box filled with its colour inside a
// frame drawn when the swatch is selected. A click or Space chooses it.
class ColorPalletTip : public QAbstractButton
{
    Q_OBJECT

public:
    explicit ColorPalletTip(QWidget *parent = nullptr);

    // The swatch map {"color": colour}.
    void setRepresentedObject(const QVariantMap &object);
    QColor color() const { return m_color; }
    bool isSelected() const { return m_selected; }
    void setSelected(bool selected);

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QColor m_color;
    bool m_selected = false;
};

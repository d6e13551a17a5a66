#pragma once

#include "stylesheet/RGBAColor.h"

#include <QWidget>

#include <optional>

class ColorPalletViewController;
class QToolButton;
class RBLPopover;

// The compact colour control of the editors: a rounded box showing the
// colour (empty for no colour). A click on the swatch opens the palette in
// a transient popover; the small button opens the shared colour panel. Every
// choice updates the swatch, posts "QuickColorPickerChanged" (object the
// picker, {"color"} or no user info for no colour) and sends the action
// (colorAction()). setColor() does neither.
class QuickColorPicker : public QWidget
{
    Q_OBJECT

public:
    explicit QuickColorPicker(QWidget *parent = nullptr);
    ~QuickColorPicker() override;

    void setColor(const std::optional<RGBAColor> &color);
    std::optional<RGBAColor> getColor() const { return m_color; }
    // No colour the picker can show, but a text that stands for one (a
    // var(), "currentcolor"): drawn as a "?" with the text as its tool tip,
    // until the next colour set or chosen.
    void setUnknownText(const QString &text);
    const QString &unknownText() const { return m_unknownText; }

    void showColorPallet();
    void showColorPanel();
    // The palette popover and its controller; null before the first opening.
    RBLPopover *popover() const { return m_popover; }
    ColorPalletViewController *colorPalletViewController() const { return m_colorPalletViewController; }
    QToolButton *colorPalletButton() const { return m_colorPalletButton; }
    QToolButton *colorPickerButton() const { return m_colorPickerButton; }

    QSize sizeHint() const override;

Q_SIGNALS:
    void colorAction();

protected:
    void paintEvent(QPaintEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    void colorPalletChanged(const QVariantMap &userInfo, bool hasColor);
    void colorPanelChanged(const QColor &color);
    void colorChanged();

    void clearUnknownText();

    std::optional<RGBAColor> m_color;
    QString m_unknownText;
    QToolButton *m_colorPalletButton = nullptr;                   // Owned (child).
    QToolButton *m_colorPickerButton = nullptr;                   // Owned (child).
    RBLPopover *m_popover = nullptr;                              // Owned (child object).
    ColorPalletViewController *m_colorPalletViewController = nullptr; // Owned (child object).
};

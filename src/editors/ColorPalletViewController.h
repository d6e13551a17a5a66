#pragma once

#include "platform/kit/ViewController.h"

#include <QColor>
#include <QList>
#include <QVariantMap>

class ColorPalletTip;
class QPushButton;

// The palette of fixed swatches that a QuickColorPicker opens in a
// popover: 112 colours in eight rows of fourteen and a "No Color" button.
// A choice posts "ColorPalletChanged" (object this controller) with
// {"color": the colour}, or without user info for no colour.
class ColorPalletViewController : public ViewController
{
    Q_OBJECT

public:
    explicit ColorPalletViewController(QObject *parent = nullptr);

    const QList<QVariantMap> &colorList() const { return m_colorList; }
    // Each time the popover is about to show.
    void onOpen();
    // The no-colour button's action.
    void noColor();
    // A swatch's action.
    void selectColorAt(int index);
    QList<ColorPalletTip *> tips() const { return m_tips; }
    QPushButton *noColorButton() const { return m_noColorButton; }

protected:
    void loadView() override;

private:
    QList<QVariantMap> m_colorList;
    QList<ColorPalletTip *> m_tips;        // Not owned (the view's children).
    QPushButton *m_noColorButton = nullptr; // Not owned (the view's child).
};

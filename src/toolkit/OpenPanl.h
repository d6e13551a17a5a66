#pragma once

#include <QFileDialog>

// The open panel of the program: instead of centring itself it stands flush
// with the right edge of the screen's visible area, at the bottom of the
// screen, half the visible height tall.
class OpenPanl : public QFileDialog
{
    Q_OBJECT

public:
    explicit OpenPanl(QWidget *parent = nullptr);
    ~OpenPanl() override;

    void center();

    // The frame center() gives a panel of that width on a screen: x flush
    // right in the visible area, height half the visible height (a half
    // rounded up), the bottom on the screen's bottom.
    static QRect centeredFrame(const QRect &screenFrame, const QRect &visibleFrame, int panelWidth);
};

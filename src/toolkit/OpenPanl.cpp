#include "OpenPanl.h"

#include <QScreen>

#include <cmath>

OpenPanl::OpenPanl(QWidget *parent)
    : QFileDialog(parent)
{
    setFileMode(QFileDialog::ExistingFile);
    setAcceptMode(QFileDialog::AcceptOpen);
}

OpenPanl::~OpenPanl() = default;

QRect OpenPanl::centeredFrame(const QRect &screenFrame, const QRect &visibleFrame, int panelWidth)
{
    const int height = int(std::floor(visibleFrame.height() * 0.5 + 0.5));
    const int x = visibleFrame.left() + visibleFrame.width() - panelWidth;
    const int y = screenFrame.top() + screenFrame.height() - height;
    return QRect(x, y, panelWidth, height);
}

void OpenPanl::center()
{
    QScreen *screen = this->screen();
    if (!screen)
        return;
    setGeometry(centeredFrame(screen->geometry(), screen->availableGeometry(), width()));
}

#include "MainView.h"

#include "platform/foundation/NotificationCenter.h"

#include <QResizeEvent>

MainView::MainView(QWidget *parent)
    : PatternView(QStringLiteral("linen_blue_light.png"), ThenDraw::Inherited, parent)
{
}

MainView::~MainView() = default;

void MainView::resizeEvent(QResizeEvent *event)
{
    PatternView::resizeEvent(event);
    NotificationCenter::defaultCenter().postNotificationName(QStringLiteral("mainResized"), this);
}

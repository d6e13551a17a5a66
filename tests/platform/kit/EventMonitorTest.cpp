#include "platform/kit/EventMonitor.h"

#include <QKeyEvent>
#include <QTest>
#include <QWidget>

#include <gtest/gtest.h>

namespace {

// Ignores mouse presses, so that Qt hands them on to its parent.
class PassingChild : public QWidget
{
public:
    using QWidget::QWidget;
    int presses = 0;

protected:
    void mousePressEvent(QMouseEvent *event) override
    {
        ++presses;
        event->ignore();
    }
};

class Parent : public QWidget
{
public:
    int presses = 0;
    int keys = 0;

protected:
    void mousePressEvent(QMouseEvent *) override { ++presses; }
    void keyPressEvent(QKeyEvent *) override { ++keys; }
};

TEST(EventMonitor, SeesAnEventOnceHoweverFarItTravels)
{
    Parent parent;
    parent.resize(200, 200);
    auto *child = new PassingChild(&parent);
    child->setGeometry(10, 10, 50, 50);
    parent.show();
    QList<int> seen;
    const int token = EventMonitor::addLocalMonitorForEventsMatchingMask(
        EventMonitor::maskFor(EventMonitor::LeftMouseDown) | EventMonitor::maskFor(EventMonitor::KeyUp),
        [&](QEvent *event) {
            seen << EventMonitor::eventType(event);
            return true;
        });
    QTest::mouseClick(child, Qt::LeftButton, {}, QPoint(5, 5));
    QTest::keyClick(&parent, Qt::Key_Escape);
    EventMonitor::removeMonitor(token);
    EXPECT_EQ(seen, (QList<int>{EventMonitor::LeftMouseDown, EventMonitor::KeyUp}));
    EXPECT_EQ(child->presses, 1);
    EXPECT_EQ(parent.presses, 1);
    EXPECT_EQ(EventMonitor::monitorCount(), 0);
}

TEST(EventMonitor, AHandlerAnsweringFalseSwallowsTheEvent)
{
    Parent parent;
    parent.show();
    const int token = EventMonitor::addLocalMonitorForEventsMatchingMask(
        EventMonitor::maskFor(EventMonitor::KeyDown), [](QEvent *) { return false; });
    QTest::keyClick(&parent, Qt::Key_A);
    EventMonitor::removeMonitor(token);
    QTest::keyClick(&parent, Qt::Key_A);
    EXPECT_EQ(parent.keys, 1);
}

TEST(EventMonitor, AHandlerMayRemoveItsOwnMonitor)
{
    Parent parent;
    parent.show();
    int calls = 0;
    int token = 0;
    token = EventMonitor::addLocalMonitorForEventsMatchingMask(EventMonitor::maskFor(EventMonitor::KeyDown),
                                                               [&](QEvent *) {
                                                                   ++calls;
                                                                   EventMonitor::removeMonitor(token);
                                                                   return true;
                                                               });
    QTest::keyClick(&parent, Qt::Key_A);
    QTest::keyClick(&parent, Qt::Key_B);
    EXPECT_EQ(calls, 1);
    EventMonitor::removeMonitor(0);
}

TEST(EventMonitor, TellsModifierKeysAsFlagChanges)
{
    QKeyEvent shift(QEvent::KeyPress, Qt::Key_Shift, Qt::ShiftModifier);
    QKeyEvent letter(QEvent::KeyRelease, Qt::Key_A, {});
    QMouseEvent right(QEvent::MouseButtonPress, QPointF(1, 1), QPointF(1, 1), Qt::RightButton,
                      Qt::RightButton, {});
    EXPECT_EQ(EventMonitor::eventType(&shift), EventMonitor::FlagsChanged);
    EXPECT_EQ(EventMonitor::eventType(&letter), EventMonitor::KeyUp);
    EXPECT_EQ(EventMonitor::eventType(&right), EventMonitor::RightMouseDown);
}

} // namespace

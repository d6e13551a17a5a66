#include "ShellTestSupport.h"

#include "app/EXWindow.h"
#include "app/MainMenu.h"
#include "app/PanePlaceholder.h"

#include "platform/foundation/NotificationCenter.h"
#include "platform/kit/SplitView.h"

#include "TestUtil.h"

#include <QAction>
#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPropertyAnimation>
#include <QScreen>
#include <QToolButton>
#include <QWindow>

namespace {

class InspectorTest : public ShellTest
{
protected:
    void SetUp() override
    {
        ShellTest::SetUp();
        launch();
    }

    QWidget *panel() { return ui().cssInspector; }

    // Waits until the docking animation and whatever the window system does
    // after it are over.
    bool settled()
    {
        QRect last;
        int stableTurns = 0;
        return TestUtil::waitUntil([&] {
            const bool animating = !panel()->findChildren<QPropertyAnimation *>().isEmpty();
            stableTurns = (!animating && panel()->geometry() == last) ? stableTurns + 1 : 0;
            last = panel()->geometry();
            return stableTurns > 20;
        }, 3000);
    }
};

// Window systems may nudge a frame they were given by a point or two.
bool nearly(const QRect &a, const QRect &b)
{
    return qAbs(a.left() - b.left()) <= 2 && qAbs(a.top() - b.top()) <= 2 && qAbs(a.right() - b.right()) <= 2
        && qAbs(a.bottom() - b.bottom()) <= 2;
}

TEST_F(InspectorTest, TheDockedLayoutPutsThePanelBesideTheMainWindow)
{
    delegate->toggleDetectionMode();
    EXPECT_EQ(delegate->detectionMode(), 1);
    ASSERT_TRUE(settled());
    EXPECT_TRUE(nearly(panel()->geometry(), delegate->dockedInspectorFrame()));
    EXPECT_TRUE(nearly(ui().window->geometry(), delegate->dockedMainWindowFrame()));
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    // Decorations included, both windows stay on the screen.
    EXPECT_TRUE(nearly(panel()->frameGeometry(), QRect(screen.right() - 299, screen.top(), 300, screen.height())));
    EXPECT_EQ(ui().window->frameGeometry().width(), screen.width() - 302);
    EXPECT_TRUE(TestUtil::waitUntil([&] { return delegate->detectionMode() == 1; }, 1000));
    EXPECT_EQ(ui().deepDetectionButton->property("imageName").toString(), QStringLiteral("layout1_Template"));

    delegate->toggleDetectionMode();
    EXPECT_EQ(delegate->detectionMode(), 0);
    ASSERT_TRUE(settled());
    EXPECT_TRUE(nearly(panel()->geometry(), delegate->hoverInspectorFrame()));
    EXPECT_TRUE(nearly(ui().window->geometry(), delegate->hoverMainWindowFrame()));
    // Floating, the panel stands at the screen's top right beside the main window.
    EXPECT_EQ(panel()->frameGeometry().topRight(), screen.topRight());
    EXPECT_GE(panel()->frameGeometry().height(), qMin(400, screen.height()));
    EXPECT_FALSE(panel()->frameGeometry().intersects(ui().window->frameGeometry()));
    EXPECT_EQ(ui().deepDetectionButton->property("imageName").toString(), QStringLiteral("layout2_Template"));
}

TEST_F(InspectorTest, MovingTheDockedPanelByOnePointLeavesTheDockedModeAtTheNextTurn)
{
    delegate->layoutTwocolumns();
    ASSERT_TRUE(settled());
    TestUtil::spin(400); // Past the time the window system may take to adjust the frame.
    ASSERT_EQ(delegate->detectionMode(), 1);
    panel()->move(panel()->pos() + QPoint(-1, 0));
    EXPECT_EQ(delegate->detectionMode(), 1);
    EXPECT_TRUE(TestUtil::waitUntil([&] { return delegate->detectionMode() == 0; }, 1000));
    EXPECT_FALSE(ui().deepDetectionButton->isChecked());
}

TEST_F(InspectorTest, TheWindowSystemsPlaceForTheDockedPanelReadsAsDockedHoweverLateItIsReported)
{
    delegate->layoutTwocolumns();
    ASSERT_TRUE(settled());
    ASSERT_EQ(delegate->detectionMode(), 1);
    // The window system may keep the panel's border on the screen; a loaded
    // machine reports that place long after the animation ended.
    const QRect placed = panel()->windowHandle()->geometry();
    TestUtil::spin(400);
    panel()->setGeometry(placed);
    EXPECT_TRUE(TestUtil::waitUntil([&] { return panel()->geometry() == placed; }, 1000));
    TestUtil::spin(50);
    EXPECT_EQ(delegate->detectionMode(), 1);
}

TEST_F(InspectorTest, FadingTwiceStartsOneFadeAndFadingInWithoutAFadeOutDoesNothing)
{
    delegate->visibleCSSInspector();
    EXPECT_EQ(panel()->findChildren<QPropertyAnimation *>().size(), 0);
    delegate->invisibleCSSInspector();
    delegate->invisibleCSSInspector();
    EXPECT_TRUE(delegate->isInspectorFaded());
    EXPECT_EQ(panel()->findChildren<QPropertyAnimation *>().size(), 1);
    EXPECT_TRUE(TestUtil::waitUntil([&] { return panel()->windowOpacity() == 0.0; }, 1000));
    delegate->visibleCSSInspector();
    EXPECT_FALSE(delegate->isInspectorFaded());
    EXPECT_TRUE(TestUtil::waitUntil([&] { return panel()->windowOpacity() == 1.0; }, 1000));
}

TEST_F(InspectorTest, HoldingAltAndCtrlFadesThePanelOutAndReleasingEitherBringsItBack)
{
    quint64 time = 1000;
    auto key = [&](QEvent::Type type, int code, Qt::KeyboardModifiers modifiers) {
        QKeyEvent event(type, code, modifiers);
        event.setTimestamp(++time);
        QApplication::sendEvent(ui().fileTreePane, &event);
    };
    key(QEvent::KeyPress, Qt::Key_Control, Qt::ControlModifier);
    EXPECT_FALSE(delegate->isInspectorFaded());
    key(QEvent::KeyPress, Qt::Key_Alt, Qt::ControlModifier); // the flags of the moment before
    EXPECT_TRUE(delegate->isInspectorFaded());
    key(QEvent::KeyRelease, Qt::Key_Alt, Qt::ControlModifier | Qt::AltModifier);
    EXPECT_FALSE(delegate->isInspectorFaded());
    key(QEvent::KeyPress, Qt::Key_Alt, Qt::ControlModifier | Qt::AltModifier);
    EXPECT_TRUE(delegate->isInspectorFaded());
    key(QEvent::KeyRelease, Qt::Key_Control, Qt::AltModifier);
    EXPECT_FALSE(delegate->isInspectorFaded());
}

TEST_F(InspectorTest, ClosingThePanelTurnsTheInspectorButtonOffALittleLater)
{
    ASSERT_TRUE(ui().styleInspectorButton->isChecked());
    panel()->close();
    EXPECT_TRUE(ui().styleInspectorButton->isChecked());
    EXPECT_TRUE(TestUtil::waitUntil([&] { return !ui().styleInspectorButton->isChecked(); }, 1000));
}

TEST_F(InspectorTest, TheInspectorButtonShowsAndHidesThePanelAndRemembersIt)
{
    UserDefaults &defaults = UserDefaults::standardUserDefaults();
    ui().styleInspectorButton->click();
    EXPECT_FALSE(panel()->isVisible());
    EXPECT_FALSE(defaults.boolForKey(QStringLiteral("inspectorVisible")));
    ui().styleInspectorButton->click();
    EXPECT_TRUE(panel()->isVisible());
    EXPECT_TRUE(defaults.boolForKey(QStringLiteral("inspectorVisible")));

    // Nothing happens while the main window is not shown.
    ui().window->hide();
    ui().styleInspectorButton->click();
    EXPECT_TRUE(panel()->isVisible());
    EXPECT_TRUE(defaults.boolForKey(QStringLiteral("inspectorVisible")));
}

TEST_F(InspectorTest, TheNavigatorItemAlwaysNamesTheNextAction)
{
    QAction *item = ui().navigatorItem;
    EXPECT_EQ(item->text(), QStringLiteral("Show Navigator"));
    // With nothing to show, the window is not offered in the menu.
    EXPECT_TRUE(item->associatedObjects().isEmpty());
    item->trigger();
    EXPECT_TRUE(ui().navigator->isVisible());
    EXPECT_EQ(item->text(), QStringLiteral("Hide Navigator"));
    item->trigger();
    EXPECT_FALSE(ui().navigator->isVisible());
    EXPECT_EQ(item->text(), QStringLiteral("Show Navigator"));
    item->trigger();
    ui().navigator->close();
    EXPECT_EQ(item->text(), QStringLiteral("Show Navigator"));
}

TEST_F(InspectorTest, BecomingKeyAttachesThePanelAgain)
{
    panel()->setParent(nullptr, Qt::Tool);
    ASSERT_FALSE(delegate->isInspectorAttached());
    delegate->windowDidBecomeKey(panel());
    EXPECT_TRUE(delegate->isInspectorAttached());
}

TEST_F(InspectorTest, LosingKeyStatusEndsTheEditingOfATextField)
{
    auto *field = new QLineEdit(ui().fileTreePane);
    field->show();
    QApplication::setActiveWindow(ui().window);
    field->setFocus();
    ASSERT_TRUE(field->hasFocus());
    delegate->windowDidResignKey(ui().window);
    EXPECT_FALSE(field->hasFocus());
}

TEST_F(InspectorTest, ClicksInTheOutlinesGoToTheirWindows)
{
    FakeDomTree domTree;
    FakeRulesPanel rules;
    FakeStyleManager manager;
    QWidget fileTree;
    project.tree = &fileTree;
    delegate->setDomTreeController(&domTree);
    delegate->setCssOutlineDelegate(&rules);
    delegate->setStyleSheetsManager(&manager);
    project.calls.clear();

    auto click = [](QObject *outline) {
        QMouseEvent event(QEvent::MouseButtonPress, QPointF(1, 1), QPointF(1, 1), Qt::LeftButton, Qt::LeftButton, {});
        NotificationCenter::defaultCenter().postNotificationName(
            QStringLiteral("outlineviewActuallyMouseDown"), outline,
            {{QStringLiteral("outlineview"), QVariant::fromValue(outline)},
             {QStringLiteral("event"), QVariant::fromValue(&event)}});
    };
    click(&domTree.outline);
    EXPECT_EQ(domTree.calls, QStringList{QStringLiteral("reselectNodeWithClickedNode")});
    click(&manager.selectors);
    EXPECT_EQ(manager.reselected, 1);
    click(&fileTree);
    EXPECT_EQ(project.calls, QStringList{QStringLiteral("fileNameTextFieldDisable:YES")});
    click(&rules.outline);
    QWidget other;
    click(&other);
    EXPECT_EQ(domTree.calls.size(), 1);
    EXPECT_EQ(manager.reselected, 1);
    EXPECT_EQ(project.calls.size(), 1);
}

} // namespace

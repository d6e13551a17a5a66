// The style-inspector panel (docked beside the main window or floating over
// it, faded while Alt and Ctrl are held), the navigator window, and the
// routing of clicks in the program's outlines to their windows.

#include "AppDelegate.h"
#include "EXWindow.h"
#include "SplitViewDelegation.h"
#include "WindowPlacement.h"

#include "interfaces/CSSOutlineDelegateInterface.h"
#include "interfaces/DomTreeDelegateInterface.h"
#include "interfaces/ProjectDelegateInterface.h"
#include "interfaces/StyleSheetsManagerDelegateInterface.h"
#include "platform/foundation/DelayedPerform.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/kit/AnimationContext.h"
#include "platform/kit/NamedImage.h"
#include "platform/kit/SplitView.h"
#include "toolkit/OutlineViewEx.h"

#include <QAction>
#include <QApplication>
#include <QGuiApplication>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPropertyAnimation>
#include <QScreen>
#include <QToolButton>
#include <QWindow>

// The frames below are measured in the part of the primary screen that
// windows may use (the screen less the desktop's panels), so that the frame
// the docked layout gives the panel is exactly the frame that reads as docked.
static QRect usableScreen(const QRect &given = {})
{
    if (!given.isEmpty())
        return given;
    const QScreen *screen = QGuiApplication::primaryScreen();
    return screen ? screen->availableGeometry() : QRect();
}

static constexpr qint64 kDockSettlingMs = 300;

// The width the docked panel takes from the screen, and the floating one.
static constexpr int kDockedInspectorWidth = 300;
static constexpr int kHoverInspectorWidth = 280;

QRect AppDelegate::dockedInspectorOuterFrame(const QRect &given)
{
    const QRect screen = usableScreen(given);
    return QRect(screen.x() + screen.width() - kDockedInspectorWidth, screen.y(), kDockedInspectorWidth, screen.height());
}

QRect AppDelegate::dockedMainWindowOuterFrame(const QRect &given)
{
    const QRect screen = usableScreen(given);
    return QRect(screen.x(), screen.y(), screen.width() - kDockedInspectorWidth - 2, screen.height());
}

bool AppDelegate::isDockedLayout(const QRect &main, const QRect &panel, const QRect &screen)
{
    // The part of that screen windows could use is not known: the panel
    // stands at its right edge, the main window from its left edge beside
    // the panel, both as high as each other.
    return panel.width() == kDockedInspectorWidth && panel.right() == screen.right() && main.left() == screen.left()
        && main.right() + 3 == panel.left() && main.top() == panel.top() && main.height() == panel.height();
}

// Beside the preview, at the screen's top right, rather than over it: at
// least 400 high, and over half the screen where there is room.
static QRect hoverInspectorOuterFrame(const QRect &given = {})
{
    const QRect screen = usableScreen(given);
    const int height = qMin(screen.height(), qMax(400, screen.height() * 3 / 5));
    return QRect(screen.x() + screen.width() - kHoverInspectorWidth, screen.y(), kHoverInspectorWidth, height);
}

static QRect hoverMainWindowOuterFrame(const QRect &given = {})
{
    const QRect screen = usableScreen(given);
    return QRect(screen.x(), screen.y(), screen.width() - kHoverInspectorWidth - 2, screen.height());
}

QRect AppDelegate::dockedInspectorFrame(const QRect &given) const
{
    return WindowPlacement::insideDecoration(inspectorPanel(), dockedInspectorOuterFrame(given));
}

QRect AppDelegate::dockedMainWindowFrame(const QRect &given) const
{
    return WindowPlacement::insideDecoration(m_ui.window, dockedMainWindowOuterFrame(given));
}

QRect AppDelegate::hoverInspectorFrame(const QRect &given) const
{
    return WindowPlacement::insideDecoration(inspectorPanel(), hoverInspectorOuterFrame(given));
}

QRect AppDelegate::hoverMainWindowFrame(const QRect &given) const
{
    return WindowPlacement::insideDecoration(m_ui.window, hoverMainWindowOuterFrame(given));
}

void AppDelegate::animateFrame(QWidget *window, const QRect &frame, std::function<void()> completion)
{
    // A window not on the screen yet has no decoration to measure: it is
    // placed, and sized once it shows.
    if (window && !(window->isVisible() && window->windowHandle() && window->windowHandle()->isExposed())) {
        WindowPlacement::place(window, frame);
        window = nullptr;
    }
    const QRect geometry = WindowPlacement::insideDecoration(window, frame);
    AnimationContext::runAnimationGroup(
        [window, geometry](AnimationContext &context) {
            if (window)
                context.animate(window, "geometry", geometry);
        },
        std::move(completion));
}

void AppDelegate::layoutTwocolumns(const QRect &screen)
{
    if (!m_ui.window)
        return;
    animateFrame(m_ui.window, dockedMainWindowOuterFrame(screen));
    QPointer<QWidget> panel = inspectorPanel();
    animateFrame(panel, dockedInspectorOuterFrame(screen), [this, panel] {
        // The desktop may adjust the frame it was given (for the window's
        // border); the frame it settled at reads as docked too.
        if (!panel)
            return;
        m_settledDockedFrame = panel->geometry();
        m_placedDockedFrame = panel->windowHandle() ? panel->windowHandle()->geometry() : QRect();
        m_dockSettling.start();
        moveOrResizeInspectorCheck();
    });
    SplitViewDelegation::setPositionOfDividerAtIndex(m_ui.styleSplitView, dockedInspectorFrame(screen).height() / 3.0, 0);
}

void AppDelegate::layoutHover(const QRect &screen)
{
    m_dockSettling.invalidate();
    if (!m_ui.window)
        return;
    animateFrame(m_ui.window, hoverMainWindowOuterFrame(screen));
    animateFrame(inspectorPanel(), hoverInspectorOuterFrame(screen));
    SplitViewDelegation::setPositionOfDividerAtIndex(m_ui.styleSplitView, 0, 0);
}

void AppDelegate::toggleDetectionMode()
{
    if (m_detectionMode != 1) {
        m_detectionMode = 1;
        layoutTwocolumns();
    } else {
        m_detectionMode = 0;
        layoutHover();
    }
    updateDetectionButtonState();
}

void AppDelegate::moveOrResizeInspector()
{
    DelayedPerform::cancel(this, "moveOrResizeInspectorCheck", {});
    DelayedPerform::perform(this, "moveOrResizeInspectorCheck", {}, 0.0, [this] { moveOrResizeInspectorCheck(); });
}

void AppDelegate::moveOrResizeInspectorCheck()
{
    const QRect frame = inspectorPanel() ? inspectorPanel()->geometry() : QRect();
    // Window systems may deliver their own adjustment of a docked frame a
    // little after the animation ended; that adjustment is the docked frame.
    if (inspectorPanel() && m_dockSettling.isValid() && m_dockSettling.elapsed() < kDockSettlingMs)
        m_settledDockedFrame = frame;
    const bool docked = inspectorPanel()
        && (frame == dockedInspectorFrame() || frame == dockedInspectorOuterFrame()
            || (!m_settledDockedFrame.isNull() && frame == m_settledDockedFrame)
            || (!m_placedDockedFrame.isNull() && frame == m_placedDockedFrame));
    m_detectionMode = docked ? 1 : 0;
    updateDetectionButtonState();
}

void AppDelegate::updateDetectionButtonState()
{
    QToolButton *button = m_ui.deepDetectionButton;
    if (!button)
        return;
    const bool docked = m_detectionMode == 1;
    button->setCheckable(true);
    button->setChecked(docked);
    const QString image = docked ? QStringLiteral("layout1_Template") : QStringLiteral("layout2_Template");
    button->setIcon(NamedImage::templateImage({}, image));
    button->setProperty("imageName", image);
}

void AppDelegate::invisibleCSSInspector()
{
    if (m_inspectorFaded || !inspectorPanel())
        return;
    m_inspectorFaded = true;
    auto *fade = new QPropertyAnimation(inspectorPanel(), "windowOpacity", inspectorPanel());
    fade->setDuration(200);
    fade->setEndValue(0.0);
    fade->start(QAbstractAnimation::DeleteWhenStopped);
}

void AppDelegate::visibleCSSInspector()
{
    if (!m_inspectorFaded || !inspectorPanel())
        return;
    m_inspectorFaded = false;
    auto *fade = new QPropertyAnimation(inspectorPanel(), "windowOpacity", inspectorPanel());
    fade->setDuration(200);
    fade->setEndValue(1.0);
    fade->start(QAbstractAnimation::DeleteWhenStopped);
}

void AppDelegate::updateStyleInspectorButtonState()
{
    if (m_ui.styleInspectorButton && inspectorPanel())
        m_ui.styleInspectorButton->setChecked(inspectorPanel()->isVisible());
}

void AppDelegate::lockMainWindowForStyleManager(bool lock)
{
    if (m_ui.styleInspectorButton)
        m_ui.styleInspectorButton->setEnabled(!lock);
}

void AppDelegate::attachInspectorToMainWindow()
{
    QWidget *panel = inspectorPanel();
    if (!panel || !m_ui.window)
        return;
    if (panel->parentWidget() != m_ui.window) {
        const bool visible = panel->isVisible();
        const QRect frame = panel->geometry();
        panel->setParent(m_ui.window, Qt::Tool);
        panel->setGeometry(frame);
        if (visible)
            panel->show();
    }
    if (panel->windowHandle() && m_ui.window->windowHandle())
        panel->windowHandle()->setTransientParent(m_ui.window->windowHandle());
    if (panel->isVisible())
        panel->raise();
}

bool AppDelegate::isInspectorAttached() const
{
    return inspectorPanel() && inspectorPanel()->parentWidget() == m_ui.window
        && inspectorPanel()->isWindow();
}

// --- Window events ----------------------------------------------------------------------------------

void AppDelegate::windowWillClose(QWidget *window)
{
    if (window == inspectorPanel()) {
        DelayedPerform::perform(this, "updateStyleInspectorButtonState", {}, 0.1,
                                [this] { updateStyleInspectorButtonState(); });
    } else if (window == m_ui.navigator) {
        m_ui.navigator->hide();
        m_ui.navigatorItem->setText(QStringLiteral("Show Navigator"));
    }
}

void AppDelegate::windowDidMove(QWidget *window)
{
    if (window == inspectorPanel())
        moveOrResizeInspector();
}

void AppDelegate::windowDidBecomeKey(QWidget *window)
{
    // A window with a panel open over it gives the keyboard to the panel,
    // which the window system may have activated first or not (#79).
    if (window == m_ui.window) {
        QWidget *panel = QApplication::activeModalWidget();
        if (panel && panel != window && panel->parentWidget() && panel->parentWidget()->window() == window) {
            panel->raise();
            panel->activateWindow();
        }
        return;
    }
    if (window != inspectorPanel())
        return;
    updateStyleInspectorButtonState();
    attachInspectorToMainWindow();
}

void AppDelegate::windowDidResignKey(QWidget *window)
{
    // Text being typed into a field is taken as entered when its window
    // stops being the key window.
    QWidget *focus = window->focusWidget();
    if (qobject_cast<QLineEdit *>(focus) && focus->hasFocus())
        focus->clearFocus();
}

// --- The project controller's window commands --------------------------------------------------------

void AppDelegate::openCSSInspector(QAbstractButton *button)
{
    if (!button || !m_ui.window || !m_ui.window->isVisible())
        return;
    QWidget *panel = inspectorPanel();
    const bool show = button->isChecked();
    if (show) {
        panel->show();
        panel->raise();
        panel->activateWindow();
    } else {
        panel->hide();
    }
    UserDefaults &defaults = UserDefaults::standardUserDefaults();
    defaults.setInteger(show ? 1 : 0, QStringLiteral("inspectorVisible"));
    defaults.synchronize();
}

void AppDelegate::openSidewebview()
{
    if (m_ui.navigatorItem->text() == QLatin1String("Hide Navigator")) {
        m_ui.navigator->hide();
        m_ui.navigatorItem->setText(QStringLiteral("Show Navigator"));
    } else {
        m_ui.navigator->show();
        m_ui.navigator->raise();
        m_ui.navigator->activateWindow();
        m_ui.navigatorItem->setText(QStringLiteral("Hide Navigator"));
    }
}

void AppDelegate::outlineviewActuallyMouseDown(const Notification &notification)
{
    auto *outline = notification.userInfo.value(QStringLiteral("outlineview")).value<QObject *>();
    if (!outline)
        return;
    auto makeKey = [](QWidget *window) {
        if (!window)
            return;
        window->raise();
        window->activateWindow();
    };
    if (m_cssOutlineDelegate && outline == m_cssOutlineDelegate->outlineView()) {
        makeKey(inspectorPanel());
    } else if (m_styleSheetsManager && outline == m_styleSheetsManager->selectorListView()) {
        makeKey(inspectorPanel());
        m_styleSheetsManager->reselectSelectorWithClickedSelector();
    } else if (m_domTreeController && outline == m_domTreeController->outlineView()) {
        makeKey(m_ui.window);
        m_domTreeController->reselectNodeWithClickedNode(
            notification.userInfo.value(QStringLiteral("event")).value<QMouseEvent *>());
    } else if (m_projectController && outline == m_projectController->finderView()) {
        m_projectController->fileNameTextFieldDisable(true);
    }
}

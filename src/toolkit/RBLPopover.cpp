#include "RBLPopover.h"

#include "RBLPopoverClippingView.h"
#include "RBLPopoverWindow.h"
#include "ViewRBLAnimationAdditions.h"

#include "platform/kit/ColorPanel.h"
#include "platform/kit/EventMonitor.h"
#include "platform/kit/KeyCodes.h"
#include "platform/kit/ViewController.h"
#include "platform/kit/ViewController.h"
#include "platform/kit/WheelFocusGuard.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QScreen>

#include <algorithm>
#include <cmath>

using namespace ViewRBLAnimationAdditions;

RBLPopover::RBLPopover(ViewController *contentViewController, QObject *parent)
    : QObject(parent)
    , m_contentViewController(contentViewController)
    , m_backgroundViewClass(RBLPopoverBackgroundView::viewClass())
{
}

RBLPopover::~RBLPopover()
{
    removeEventMonitor();
    // The content view belongs to its controller, not to the window.
    if (QWidget *content = contentView(); content && m_popoverWindow && m_popoverWindow->isAncestorOf(content))
        content->setParent(nullptr);
    delete m_popoverWindow.data();
}

QWidget *RBLPopover::contentView() const
{
    return m_contentViewController ? m_contentViewController->view() : nullptr;
}

RBLPopoverWindow *RBLPopover::popoverWindow() const
{
    return m_popoverWindow;
}

bool RBLPopover::isShown() const
{
    return m_popoverWindow && m_popoverWindow->isVisible();
}

// Geometry

QRectF RBLPopover::popoverFrameForEdge(RectEdge edge, const QRectF &screenRect, const QSizeF &size)
{
    const double midX = screenRect.x() + screenRect.width() * 0.5;
    const double midY = screenRect.y() + screenRect.height() * 0.5;
    const double width = size.width();
    const double height = size.height();
    switch (edge) {
    case RectEdge::Left:
        return QRectF(screenRect.left() - width, midY - std::floor(height / 2), width, height);
    case RectEdge::Below:
        return QRectF(midX - std::floor(width / 2), screenRect.top() + screenRect.height(), width, height);
    case RectEdge::Right:
        return QRectF(screenRect.left() + screenRect.width(), midY - std::floor(height / 2), width, height);
    case RectEdge::Above:
        return QRectF(midX - std::floor(width / 2), screenRect.top() - height, width, height);
    }
    return QRectF();
}

RectEdge RBLPopover::nextEdgeToTry(RectEdge edge, RectEdge preferred)
{
    switch (edge) {
    case RectEdge::Left: return preferred == RectEdge::Right ? RectEdge::Above : RectEdge::Right;
    case RectEdge::Below: return preferred == RectEdge::Above ? RectEdge::Right : RectEdge::Above;
    case RectEdge::Right: return preferred == RectEdge::Left ? RectEdge::Above : RectEdge::Left;
    case RectEdge::Above: return preferred == RectEdge::Below ? RectEdge::Right : RectEdge::Below;
    }
    return edge;
}

bool RBLPopover::fits(const QRectF &frame, const QRectF &visibleFrame)
{
    if (frame.isEmpty() || visibleFrame.isEmpty())
        return false;
    return frame.left() >= visibleFrame.left() && frame.top() >= visibleFrame.top()
        && frame.left() + frame.width() <= visibleFrame.left() + visibleFrame.width()
        && frame.top() + frame.height() <= visibleFrame.top() + visibleFrame.height();
}

RBLPopover::Placement RBLPopover::placement(const QRectF &screenRect, const QRectF &visibleFrame,
                                            RectEdge preferred, const SizeForEdge &sizeForEdge)
{
    auto frameFor = [&](RectEdge edge) {
        return popoverFrameForEdge(edge, screenRect, sizeForEdge(edge));
    };
    RectEdge edge = preferred;
    QRectF frame = frameFor(edge);
    if (fits(frame, visibleFrame))
        return {edge, frame};
    for (int attempt = 0; attempt < 4; ++attempt) {
        edge = nextEdgeToTry(edge, preferred);
        frame = frameFor(edge);
        if (fits(frame, visibleFrame))
            return {edge, frame};
    }

    // Nothing fits: the preferred side, pushed into the visible frame. The
    // corrections towards the top and the right come last and win.
    frame = frameFor(preferred);
    const double visibleBottom = visibleFrame.top() + visibleFrame.height();
    const double visibleRight = visibleFrame.left() + visibleFrame.width();
    if (frame.top() + frame.height() > visibleBottom)
        frame.moveTop(visibleBottom - frame.height());
    if (frame.left() < visibleFrame.left())
        frame.moveLeft(visibleFrame.left());
    if (frame.top() < visibleFrame.top())
        frame.moveTop(visibleFrame.top());
    if (frame.left() + frame.width() > visibleRight)
        frame.moveLeft(visibleRight - frame.width());
    return {preferred, frame};
}

// Showing

void RBLPopover::showRelativeToRect(const QRectF &rect, QWidget *positioningView, RectEdge preferredEdge)
{
    // A popover still fading out is closed at once before it shows again;
    // otherwise the end of the fade would hide the popover just shown.
    if (m_closing)
        finishClosing();

    QRectF positioningRect = rect;
    if (rect == QRectF(0, 0, 0, 0) && positioningView)
        positioningRect = QRectF(positioningView->rect());
    QRectF screenRect;
    QRectF visibleFrame;
    if (positioningView) {
        screenRect = QRectF(positioningView->mapToGlobal(positioningRect.topLeft()), positioningRect.size());
        if (QScreen *screen = positioningView->window()->screen())
            visibleFrame = QRectF(screen->availableGeometry());
    }

    QWidget *content = contentView();
    m_originalViewSize = content ? QSizeF(content->size()) : QSizeF();
    const QSizeF contentSize = m_contentSize.width() == 0 && m_contentSize.height() == 0
        ? m_originalViewSize
        : m_contentSize;

    const Placement place = placement(screenRect, visibleFrame, preferredEdge, [&](RectEdge edge) {
        return m_backgroundViewClass.sizeForBackgroundViewWithContentSize(contentSize, edge);
    });

    if (isShown()) {
        if (m_backgroundView && m_backgroundView->popoverEdge() == place.edge) {
            m_popoverWindow->setGeometry(place.frame.toRect());
            return;
        }
        closeNow();
    }

    if (m_willShowBlock)
        m_willShowBlock(this);

    if (m_behavior != ApplicationDefined) {
        removeEventMonitor();
        m_transientEventMonitor = EventMonitor::addLocalMonitorForEventsMatchingMask(
            EventMonitor::maskFor(EventMonitor::LeftMouseDown) | EventMonitor::maskFor(EventMonitor::RightMouseDown)
                | EventMonitor::maskFor(EventMonitor::KeyDown) | EventMonitor::maskFor(EventMonitor::KeyUp),
            [this](QEvent *event) { return handleTransientEvent(event); });
    }

    RBLPopoverWindow *oldWindow = m_popoverWindow;
    auto *window = new RBLPopoverWindow(positioningView ? positioningView->window() : nullptr);
    window->setCanBeKey(m_canBecomeKey);
    // Scrolling a popover never changes a value under the pointer.
    WheelFocusGuard::guard(window);

    RBLPopoverBackgroundView *background =
        m_backgroundViewClass.backgroundViewForContentSize(contentSize, place.edge, screenRect);
    background->setParent(window);
    background->setGeometry(QRect(QPoint(0, 0), place.frame.size().toSize()));
    if (content) {
        content->setParent(background);
        background->setContentView(content);
        content->show();
    }
    m_backgroundView = background;

    auto *clipping = new RBLPopoverClippingView(background);
    clipping->setGeometry(background->rect());
    window->setGeometry(place.frame.toRect());
    clipping->setClippingPath(background->newPopoverPathForEdge(place.edge, QRectF(clipping->rect())));
    clipping->raise();

    // The content view has moved into the new window; the old one can go.
    if (oldWindow && oldWindow != window)
        oldWindow->deleteLater();
    m_popoverWindow = window;

    if (m_animates)
        window->setWindowOpacity(0.0);
    window->makeKeyAndOrderFront();

    if (m_animates) {
        QPointer<RBLPopover> self(this);
        rbl_animateWithDuration(
            m_fadeDuration, [window] { rbl_animator(window).setProperty("windowOpacity", 1.0); },
            [self] {
                if (self && self->m_didShowBlock)
                    self->m_didShowBlock(self);
            });
    } else if (m_didShowBlock) {
        m_didShowBlock(this);
    }
}

// Closing

void RBLPopover::closeNow()
{
    // A window replaced while shown goes without fading and without the
    // close blocks.
    if (m_popoverWindow)
        m_popoverWindow->hide();
}

void RBLPopover::close()
{
    if (!isShown() || m_closing)
        return;
    removeEventMonitor();
    if (m_willCloseBlock)
        m_willCloseBlock(this);
    if (!m_animates || !m_popoverWindow) {
        finishClosing();
        return;
    }
    m_closing = true;
    const quint64 generation = ++m_closeGeneration;
    QPointer<RBLPopover> self(this);
    RBLPopoverWindow *window = m_popoverWindow;
    rbl_animateWithDuration(
        m_fadeDuration, [window] { rbl_animator(window).setProperty("windowOpacity", 0.0); },
        [self, generation] {
            if (self && self->m_closing && self->m_closeGeneration == generation)
                self->finishClosing();
        });
}

void RBLPopover::finishClosing()
{
    m_closing = false;
    ++m_closeGeneration;
    if (m_popoverWindow)
        m_popoverWindow->hide();
    if (m_didCloseBlock)
        m_didCloseBlock(this);
    if (QWidget *content = contentView(); content && m_originalViewSize.isValid())
        content->resize(m_originalViewSize.toSize());
}

void RBLPopover::performClose(QObject *)
{
    close();
}

void RBLPopover::removeEventMonitor()
{
    if (m_transientEventMonitor == 0)
        return;
    EventMonitor::removeMonitor(m_transientEventMonitor);
    m_transientEventMonitor = 0;
}

bool RBLPopover::handleTransientEvent(QEvent *event)
{
    if (!m_popoverWindow)
        return true;
    const int type = EventMonitor::eventType(event);
    const auto shouldClose = [this] { return !m_shouldCloseBlock || m_shouldCloseBlock(this); };
    if (type == EventMonitor::LeftMouseDown || type == EventMonitor::RightMouseDown) {
        // Where the click happened, rather than where the pointer is now: the
        // same place for a real click, and the only one for a synthetic one.
        const QPoint global = static_cast<QMouseEvent *>(event)->globalPosition().toPoint();
        if (!m_popoverWindow->frameGeometry().contains(global) && m_behavior == Transient
            && !isClickInOwnedWindow(global) && shouldClose())
            close();
    } else if (event->type() == QEvent::KeyPress
               && KeyCodes::keyCode(static_cast<QKeyEvent *>(event)) == KeyCodes::Escape) {
        // Escape closes the innermost popover: one opened from this one's
        // content goes first (its own monitor closes it).
        m_escapeClosesNested = hasShownNestedWindow();
    } else if (event->type() == QEvent::KeyRelease
               && KeyCodes::keyCode(static_cast<QKeyEvent *>(event)) == KeyCodes::Escape) {
        if (!m_escapeClosesNested && shouldClose())
            close();
        m_escapeClosesNested = false;
    }
    // The click or key still reaches its own target.
    return true;
}

bool RBLPopover::isNestedWindow(const QWidget *window) const
{
    if (!m_popoverWindow || !window || window == m_popoverWindow)
        return false;
    for (const QWidget *w = window->parentWidget(); w; w = w->parentWidget()) {
        if (w == m_popoverWindow)
            return true;
    }
    return false;
}

bool RBLPopover::hasShownNestedWindow() const
{
    const QWidgetList windows = QApplication::topLevelWidgets();
    return std::any_of(windows.cbegin(), windows.cend(),
                       [this](const QWidget *window) { return window->isVisible() && isNestedWindow(window); });
}

bool RBLPopover::isClickInOwnedWindow(const QPoint &global) const
{
    // The shared colour panel serves the controls of the content; a popover
    // opened from the content (a colour palette) is part of the same task.
    if (ColorPanel::sharedColorPanel().containsGlobalPoint(global))
        return true;
    const QWidgetList windows = QApplication::topLevelWidgets();
    for (const QWidget *window : windows) {
        if (window->isVisible() && window->frameGeometry().contains(global) && isNestedWindow(window))
            return true;
    }
    return false;
}

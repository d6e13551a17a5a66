#pragma once

#include "RBLPopoverBackgroundView.h"
#include "RectEdge.h"

#include "platform/kit/ViewController.h"

#include <QObject>
#include <QPointer>
#include <QRectF>
#include <QSizeF>

#include <functional>

class QPropertyAnimation;
class RBLPopoverWindow;

// Shows the view of a view controller in a small borderless window beside a
// rectangle of another view, on the side where it fits on the screen. It may
// fade in and out, and close itself on a click outside or on Escape. It is
// made once by its owner and shown and closed many times; each show that is
// not a mere move builds a new window, into which the content view moves.
//
// Geometry is in screen coordinates as Qt gives them (y grows downwards).
class RBLPopover : public QObject
{
    Q_OBJECT

public:
    // Closing behaviours (any other value behaves as Semitransient).
    enum Behavior : quint64 {
        ApplicationDefined = 0, // closes only when asked to
        Transient = 1,          // also on a mouse-down outside its window and on Escape
        Semitransient = 2,      // also on Escape
    };

    using Block = std::function<void(RBLPopover *)>;

    // The content view controller is not owned.
    explicit RBLPopover(ViewController *contentViewController, QObject *parent = nullptr);
    ~RBLPopover() override;

    ViewController *contentViewController() const { return m_contentViewController; }
    void setContentViewController(ViewController *controller) { m_contentViewController = controller; }
    RBLPopoverBackgroundViewClass backgroundViewClass() const { return m_backgroundViewClass; }
    void setBackgroundViewClass(const RBLPopoverBackgroundViewClass &viewClass) { m_backgroundViewClass = viewClass; }
    RBLPopoverBackgroundView *backgroundView() const { return m_backgroundView; }
    // Zero means the content view's own size.
    QSizeF contentSize() const { return m_contentSize; }
    void setContentSize(const QSizeF &size) { m_contentSize = size; }
    bool animates() const { return m_animates; }
    void setAnimates(bool animates) { m_animates = animates; }
    quint64 behavior() const { return m_behavior; }
    void setBehavior(quint64 behavior) { m_behavior = behavior; }
    bool isShown() const;
    double fadeDuration() const { return m_fadeDuration; }
    void setFadeDuration(double seconds) { m_fadeDuration = seconds; }
    bool canBecomeKey() const { return m_canBecomeKey; }
    void setCanBecomeKey(bool canBecomeKey) { m_canBecomeKey = canBecomeKey; }
    RBLPopoverWindow *popoverWindow() const;
    int transientEventMonitor() const { return m_transientEventMonitor; }
    QSizeF originalViewSize() const { return m_originalViewSize; }

    void setWillShowBlock(Block block) { m_willShowBlock = std::move(block); }
    void setDidShowBlock(Block block) { m_didShowBlock = std::move(block); }
    void setWillCloseBlock(Block block) { m_willCloseBlock = std::move(block); }
    void setDidCloseBlock(Block block) { m_didCloseBlock = std::move(block); }
    // Asked before a click outside or Escape closes a transient popover; false keeps it open.
    void setShouldCloseBlock(std::function<bool(RBLPopover *)> block) { m_shouldCloseBlock = std::move(block); }

    // Shows the popover beside a rectangle of the positioning view (its
    // bounds when the rectangle is the zero rectangle), or moves it there.
    void showRelativeToRect(const QRectF &rect, QWidget *positioningView, RectEdge preferredEdge);
    void close();
    void performClose(QObject *sender);
    void removeEventMonitor();

    // The placement of a popover: its side of the rectangle and its frame.
    struct Placement
    {
        RectEdge edge = RectEdge::Below;
        QRectF frame;
    };
    using SizeForEdge = std::function<QSizeF(RectEdge)>;

    // The frame beside the screen rectangle on one side; the zero rectangle
    // for edge numbers outside the four.
    static QRectF popoverFrameForEdge(RectEdge edge, const QRectF &screenRect, const QSizeF &size);
    // The side tried after another one, given the preferred side.
    static RectEdge nextEdgeToTry(RectEdge edge, RectEdge preferred);
    // The preferred side when its frame fits in the visible frame, else the
    // first of the next four tried that fits, else the preferred side with
    // its frame pushed into the visible frame (the top and right winning).
    static Placement placement(const QRectF &screenRect, const QRectF &visibleFrame,
                               RectEdge preferred, const SizeForEdge &sizeForEdge);
    static bool fits(const QRectF &frame, const QRectF &visibleFrame);

private:
    void closeNow();
    void finishClosing();
    bool handleTransientEvent(QEvent *event);
    // A window opened from the content: its parent chain reaches this popover's window.
    bool isNestedWindow(const QWidget *window) const;
    // A click in the shared colour panel or in a nested window keeps the popover open.
    bool isClickInOwnedWindow(const QPoint &global) const;
    bool hasShownNestedWindow() const;
    QWidget *contentView() const;

    QPointer<ViewController> m_contentViewController;
    RBLPopoverBackgroundViewClass m_backgroundViewClass;
    QPointer<RBLPopoverBackgroundView> m_backgroundView;
    QSizeF m_contentSize{0, 0};
    bool m_animates = true;
    quint64 m_behavior = ApplicationDefined;
    Block m_willCloseBlock;
    Block m_didCloseBlock;
    Block m_willShowBlock;
    Block m_didShowBlock;
    std::function<bool(RBLPopover *)> m_shouldCloseBlock;
    double m_fadeDuration = 0.3;
    bool m_canBecomeKey = false;
    QPointer<RBLPopoverWindow> m_popoverWindow;
    int m_transientEventMonitor = 0;
    QSizeF m_originalViewSize;
    // Set from the start of an animated close to its end.
    bool m_closing = false;
    // The Escape pressed is for a popover opened from the content.
    bool m_escapeClosesNested = false;
    quint64 m_closeGeneration = 0;
};

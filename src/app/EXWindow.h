#pragma once

#include <QMainWindow>
#include <QPointF>

class DomTreeDelegateInterface;
class ProjectDelegateInterface;
class QMouseEvent;

// The main window. Before a mouse event reaches the widget under the pointer
// the window sees it once (sendEvent): every mouse-down is announced as
// "windowMouseDown", and clicks on the page shown in the preview (not on a
// message over it) drive the preview's element-detect mode; sendEvent
// answers whether the event was consumed there.
class EXWindow : public QMainWindow
{
    Q_OBJECT

public:
    explicit EXWindow(QWidget *parent = nullptr);
    ~EXWindow() override;

    ProjectDelegateInterface *projectDelegate() const { return m_projectDelegate; }
    void setProjectDelegate(ProjectDelegateInterface *delegate) { m_projectDelegate = delegate; }
    DomTreeDelegateInterface *domtreeDelegate() const { return m_domtreeDelegate; }
    void setDomtreeDelegate(DomTreeDelegateInterface *delegate) { m_domtreeDelegate = delegate; }
    QObject *rollbackDelegate() const { return m_rollbackDelegate; }
    void setRollbackDelegate(QObject *delegate) { m_rollbackDelegate = delegate; }

    // Routes a mouse event; answers true when it is consumed and must not be
    // dispatched.
    bool sendEvent(QMouseEvent *event);

    // Whether the point lies strictly inside the rectangle: points on its
    // border are outside.
    static bool includeInRect(const QRectF &rect, const QPointF &point);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    bool isFirstDelivery(const QObject *receiver, const QMouseEvent *event);

    ProjectDelegateInterface *m_projectDelegate = nullptr; // Not owned.
    DomTreeDelegateInterface *m_domtreeDelegate = nullptr; // Not owned.
    QObject *m_rollbackDelegate = nullptr;                 // Not owned.

    // The last event routed, to let its deliveries to the parents of the
    // widget under the pointer pass.
    int m_lastType = 0;
    quint64 m_lastTimestamp = 0;
    QPointF m_lastGlobal;
    Qt::MouseButton m_lastButton = Qt::NoButton;
};

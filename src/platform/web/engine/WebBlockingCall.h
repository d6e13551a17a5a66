#pragma once

#include <QEventLoop>
#include <QList>
#include <QObject>
#include <QPointer>

class QTimer;

// The one blocking wait of the web layer: a local event loop that takes no
// user input and ends when finish() is called or the time-out passes. While it
// runs, the program's delayed performs (DelayedPerform) are held back and run
// after it returns, so that no handler runs inside another.
class WebBlockingCall : public QObject
{
    Q_OBJECT

public:
    explicit WebBlockingCall(QObject *parent = nullptr);
    ~WebBlockingCall() override;

    // Answers true when finish() came before the time-out.
    bool exec(int timeoutMs);
    void finish();

    static bool isWaiting() { return s_depth > 0; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void releaseHeldTimers();

    QEventLoop m_loop;
    bool m_finished = false;
    QList<QPointer<QTimer>> m_heldTimers;
    static inline int s_depth = 0;
};

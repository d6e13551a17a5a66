#pragma once

#include <QWidget>

// The borderless window of a popover, kept above the window it belongs to and
// moved along with it. A window that may not become key never takes the
// keyboard focus, so typing stays where it was.
class RBLPopoverWindow : public QWidget
{
    Q_OBJECT

public:
    explicit RBLPopoverWindow(QWidget *parentWindow = nullptr);
    ~RBLPopoverWindow() override;

    bool canBeKey() const { return m_canBeKey; }
    void setCanBeKey(bool canBeKey);
    bool canBecomeKeyWindow() const { return m_canBeKey; }

    // Shows the window; it takes the focus only when it may become key.
    void makeKeyAndOrderFront();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    bool m_canBeKey = false;
    QPoint m_parentPosition;
};

#pragma once

#include "platform/kit/OutlineView.h"

#include <QMetaType>
#include <QMouseEvent>

#include <optional>


// The outline view the program's panels share: it hands mouse-downs, keys and
// the edit commands (the Edit menu's and their keys) to its delegate, announces every mouse-down as
// "outlineviewActuallyMouseDown", and lets label buttons in its rows act as
// buttons.
class OutlineViewEx : public OutlineView
{
    Q_OBJECT

public:
    explicit OutlineViewEx(QWidget *parent = nullptr);
    ~OutlineViewEx() override;

    // While set, a click neither changes the selection nor reaches the
    // delegate; it is still announced.
    bool disableDownToSelect() const { return m_disableDownToSelect; }
    void setDisableDownToSelect(bool disable) { m_disableDownToSelect = disable; }

    // The edit commands, handed to the delegate when it answers them.
    void cut(QObject *sender);
    void copy(QObject *sender);
    void paste(QObject *sender);
    void delete_(QObject *sender);
    // Handed to the delegate as saveOutlineview.
    void save(QObject *sender);

public Q_SLOTS:
    // The Edit menu's commands, which reach the focused widget's slots: the
    // same with this view as sender.
    void cut();
    void copy();
    void paste();

public:
    // Whether the delegate answers the edit command ("cut", "copy", "paste"):
    // the Edit menu enables the command for the focused view by it.
    Q_INVOKABLE bool answersEditCommand(const QString &command) const;

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    bool m_disableDownToSelect = false;
    // The selection mode put aside from a press to its release while a click
    // may not select.
    std::optional<QAbstractItemView::SelectionMode> m_setAsideMode;
};

Q_DECLARE_METATYPE(QMouseEvent *)

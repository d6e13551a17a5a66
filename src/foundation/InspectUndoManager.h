#pragma once

#include "TargetRef.h"

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QString>

#include <functional>
#include <utility>

// The undo manager of the application (one shared instance, reached through
// AppDelegate::sharedUndoManager). An edit registers its inverse as a closure
// with a TargetRef; all registrations between the opening of a group and its
// closing form one undo step. A group opens by itself when an inverse is
// prepared or an action named while none is open (and the manager is neither
// undoing nor redoing); reserveCloseGroupingAtEndOfRunLoop() closes every open
// group at the end of the current event-loop turn. Inverses registered while
// undoing become the redo step, and those registered while redoing the undo
// step. An action whose target has been destroyed is skipped, never run; a
// step left without any action whose target lives is not offered, nor is
// one whose conditions (offerStepWhile()) do not all hold, nor one with an
// action that would not apply. Steps chain by target: one acting on a
// target a newer step not offered acts on is not offered either, since it
// was recorded before that step's edit.
class InspectUndoManager : public QObject
{
    Q_OBJECT

public:
    using Action = std::function<void()>;
    using Condition = std::function<bool()>;

    explicit InspectUndoManager(QObject *parent = nullptr);
    ~InspectUndoManager() override;

    // Records the inverse of an edit on the target, opening a group first
    // when needed. With `applies`, its step is offered only while that holds
    // (the target is still as the edit left it).
    void prepareWithInvocationTarget(const TargetRef &target, Action action, Condition applies = {});
    // Records the inverse without opening a group, and logs the target and the
    // selector. Outside any group the action becomes an undo step of its own.
    void registerUndoWithTarget(const TargetRef &target, const QByteArray &selector, Action action);
    // Names the outermost open group (opening one first when needed): the last
    // name set before the group closes is the one the user sees.
    void setActionName(const QString &name);
    // The open step (opened first when needed) is offered, and run, only
    // while the condition holds; the opposite step its undo or redo makes
    // keeps it. An edit made through a view holds while the view names
    // what it edited.
    void offerStepWhile(Condition condition);

    void autoBeginGroupingIfNeeded();
    // Closes every open group at the end of the current event-loop turn; further
    // calls in the same turn do nothing more.
    void reserveCloseGroupingAtEndOfRunLoop();
    bool isReservedCloseGrouping() const { return m_reservedCloseGrouping; }
    // Closes every open group and clears the reservation.
    void loopEnd();
    // Undoes the newest group once the current event-loop turn is done (its
    // open groups closed first): how an edit the user cancelled half-way,
    // after parts of it were made, is taken back whole.
    void reserveUndoAtEndOfRunLoop();
    // The same for an edit that could not be made whole: it is undone and
    // leaves no step to redo.
    void reserveRefusalAtEndOfRunLoop();

    void beginUndoGrouping();
    void endUndoGrouping();
    int groupingLevel() const { return int(m_openGroups.size()); }

    bool canUndo() const;
    bool canRedo() const;
    QString undoActionName() const;
    QString redoActionName() const;
    bool isUndoing() const { return m_state == State::Undoing; }
    bool isRedoing() const { return m_state == State::Redoing; }

    // Undoes the last step; an open group is closed first.
    void undo();
    void redo();

    void removeAllActions();
    void removeAllActionsWithTarget(const TargetRef &target);
    // Drops, from both histories, every step holding an action on the
    // target, the step's other actions with it: what is left of a step
    // would take back only part of its edit. A step still open that holds
    // one goes the same way, with what its edit registers until it closes.
    // Answers how many steps went.
    int removeAllStepsWithTarget(const TargetRef &target);
    // Drops every step holding an action whose target is gone. Only for
    // when no such target can come back (a page replaced by the next).
    int removeStepsOfDestroyedTargets();
    // Takes every step holding an action the test picks as its change of
    // the texts it changed: for a page about to be loaded again from its
    // texts, whose nodes or rules the picked actions hold. Those actions go;
    // the step keeps its actions on each text `markOf` gives a mark for,
    // gains that mark on it (run with them as the step is undone or redone)
    // and is offered only while `shown` holds. A step with no action on
    // such a text goes whole. Answers how many steps were kept so.
    using TextMark = std::function<Action(const TargetRef &)>;
    int keepStepsOnText(const std::function<bool(const TargetRef &)> &picks, const TextMark &markOf, const Condition &shown);

Q_SIGNALS:
    void checkpoint();
    void didOpenUndoGroup();
    void willCloseUndoGroup();
    void didCloseUndoGroup();
    void willUndoChange();
    void didUndoChange();
    void willRedoChange();
    void didRedoChange();
    // canUndo() or canRedo() changed outside the signals above: the first
    // action of an open group, a cleared redo history, removed actions.
    void undoAvailabilityChanged();

private:
    enum class State { Normal, Undoing, Redoing };

    struct Entry
    {
        TargetRef target;
        QByteArray selector;
        Action action;
        Condition applies;
    };
    struct Group
    {
        QList<Entry> entries;
        QString actionName;
        QList<Condition> conditions;
        // Dropped while open: nothing of it becomes a step.
        bool dropped = false;
    };

    using Availability = std::pair<bool, bool>; // canUndo(), canRedo()

    void record(Entry entry);
    Availability availability() const;
    void notifyIfChanged(Availability before);
    void openGroup(const QString &actionName);
    void closeGroup();
    void closeGroupsDownTo(int level);
    // Drops the closed steps, and the open groups' actions, the test picks.
    int removeSteps(const std::function<bool(const Entry &)> &picks);
    void replay(State state, QList<Group> &from);
    // The newest steps not offered go: they would do nothing, or act on
    // what is no longer shown; so do the older steps on their targets,
    // which were recorded after their edits.
    static void dropStepsDoingNothing(QList<Group> &stack);

    QList<Group> m_undoStack;
    QList<Group> m_redoStack;
    // The open groups, outermost first; their number is the grouping level.
    QList<Group> m_openGroups;
    State m_state = State::Normal;
    bool m_reservedCloseGrouping = false;
};

#include "InspectUndoManager.h"

#include "platform/foundation/Assert.h"
#include "platform/foundation/DelayedPerform.h"
#include "platform/foundation/Log.h"

#include <QSet>

#include <algorithm>

static const QByteArray kLoopEndSelector = QByteArrayLiteral("loopEnd:");

static QString describeAction(const TargetRef &target, const QByteArray &selector)
{
    return QStringLiteral("0x%1:%2")
        .arg(quintptr(target.identity()), 0, 16)
        .arg(QString::fromLatin1(selector));
}

namespace {

// Whether a step would do anything (an action whose target is gone is
// skipped) and may: what it acts on is still shown, and as its edit left it.
// Of a target's actions in a step only the newest is asked whether it
// applies: the older ones run after it, on what it puts back.
template<typename Group>
QSet<const void *> targetsNotApplying(const Group &group)
{
    QSet<const void *> asked;
    QSet<const void *> failing;
    for (auto it = group.entries.crbegin(); it != group.entries.crend(); ++it) {
        const void *identity = it->target.identity();
        if (!it->applies || asked.contains(identity) || !it->target.isAlive())
            continue;
        asked.insert(identity);
        if (!it->applies())
            failing.insert(identity);
    }
    return failing;
}

template<typename Group>
bool hasLiveAction(const Group &group)
{
    return std::any_of(group.entries.cbegin(), group.entries.cend(), [](const auto &entry) { return entry.target.isAlive(); })
        && targetsNotApplying(group).isEmpty()
        && std::all_of(group.conditions.cbegin(), group.conditions.cend(), [](const auto &holds) { return holds(); });
}

template<typename Group>
bool actsOnAny(const Group &group, const QSet<const void *> &targets)
{
    return !targets.isEmpty() && std::any_of(group.entries.cbegin(), group.entries.cend(), [&targets](const auto &entry) {
        return targets.contains(entry.target.identity());
    });
}

// What a step not offered holds back: the targets of its actions that
// would not apply, or all its live targets when it is not shown.
template<typename Group>
void addHeldTargets(const Group &group, QSet<const void *> &targets)
{
    const bool shown = std::all_of(group.conditions.cbegin(), group.conditions.cend(), [](const auto &holds) { return holds(); });
    if (shown) {
        targets.unite(targetsNotApplying(group));
        return;
    }
    for (const auto &entry : group.entries) {
        if (entry.target.isAlive())
            targets.insert(entry.target.identity());
    }
}

// The newest step offered; null for none. A step on a target that a newer
// step not offered holds back was recorded before that step's edit: it is
// not offered either.
template<typename Group>
const Group *newestLiveStep(const QList<Group> &stack)
{
    QSet<const void *> held;
    for (auto it = stack.crbegin(); it != stack.crend(); ++it) {
        if (actsOnAny(*it, held))
            continue;
        if (hasLiveAction(*it))
            return &*it;
        addHeldTargets(*it, held);
    }
    return nullptr;
}

} // namespace

InspectUndoManager::InspectUndoManager(QObject *parent) : QObject(parent) {}

InspectUndoManager::~InspectUndoManager() = default;

void InspectUndoManager::prepareWithInvocationTarget(const TargetRef &target, Action action, Condition applies)
{
    QM_ASSERT(!target.isNull() && action, return);
    autoBeginGroupingIfNeeded();
    record({target, QByteArray(), std::move(action), std::move(applies)});
}

void InspectUndoManager::registerUndoWithTarget(const TargetRef &target, const QByteArray &selector,
                                                Action action)
{
    QM_ASSERT(!target.isNull() && action, return);
    record({target, selector, std::move(action), {}});
    QM_DEBUG(describeAction(target, selector));
}

void InspectUndoManager::setActionName(const QString &name)
{
    autoBeginGroupingIfNeeded();
    if (!m_openGroups.isEmpty())
        m_openGroups.first().actionName = name;
}

void InspectUndoManager::offerStepWhile(Condition condition)
{
    QM_ASSERT(condition, return);
    autoBeginGroupingIfNeeded();
    if (!m_openGroups.isEmpty())
        m_openGroups.first().conditions.append(std::move(condition));
}

void InspectUndoManager::autoBeginGroupingIfNeeded()
{
    if (m_openGroups.isEmpty() && m_state == State::Normal)
        beginUndoGrouping();
}

void InspectUndoManager::reserveCloseGroupingAtEndOfRunLoop()
{
    if (m_reservedCloseGrouping)
        return;
    m_reservedCloseGrouping = true;
    DelayedPerform::cancel(this, kLoopEndSelector, {});
    // A zero delay runs once the events already queued for this turn are done.
    DelayedPerform::perform(this, kLoopEndSelector, {}, 0.0, [this] { loopEnd(); });
}

void InspectUndoManager::reserveUndoAtEndOfRunLoop()
{
    DelayedPerform::perform(this, QByteArrayLiteral("undoCancelledEdit:"), {}, 0.0, [this] {
        if (canUndo())
            undo();
    });
}

void InspectUndoManager::reserveRefusalAtEndOfRunLoop()
{
    DelayedPerform::perform(this, QByteArrayLiteral("refuseEdit:"), {}, 0.0, [this] {
        if (!canUndo())
            return;
        undo();
        const Availability before = availability();
        if (!m_redoStack.isEmpty())
            m_redoStack.removeLast();
        notifyIfChanged(before);
    });
}

void InspectUndoManager::loopEnd()
{
    DelayedPerform::cancel(this, kLoopEndSelector, {});
    while (!m_openGroups.isEmpty())
        endUndoGrouping();
    m_reservedCloseGrouping = false;
}

void InspectUndoManager::beginUndoGrouping()
{
    openGroup(QString());
    Q_EMIT didOpenUndoGroup();
    Q_EMIT checkpoint();
}

void InspectUndoManager::endUndoGrouping()
{
    QM_ASSERT(!m_openGroups.isEmpty(), return);
    Q_EMIT willCloseUndoGroup();
    closeGroup();
    Q_EMIT didCloseUndoGroup();
    Q_EMIT checkpoint();
}

bool InspectUndoManager::canUndo() const
{
    // An open group with actions is undone by closing it first. A step all
    // of whose targets are gone would do nothing, and is not offered.
    return newestLiveStep(m_undoStack)
        || (m_state == State::Normal && !m_openGroups.isEmpty()
            && std::any_of(m_openGroups.cbegin(), m_openGroups.cend(),
                           [](const Group &group) { return !group.entries.isEmpty(); }));
}

bool InspectUndoManager::canRedo() const
{
    return newestLiveStep(m_redoStack);
}

QString InspectUndoManager::undoActionName() const
{
    if (m_state == State::Normal && !m_openGroups.isEmpty())
        return m_openGroups.first().actionName;
    const Group *step = newestLiveStep(m_undoStack);
    return step ? step->actionName : QString();
}

QString InspectUndoManager::redoActionName() const
{
    const Group *step = newestLiveStep(m_redoStack);
    return step ? step->actionName : QString();
}

void InspectUndoManager::undo()
{
    if (m_state != State::Normal) {
        QM_DEBUG(QStringLiteral("undo requested while undoing or redoing; ignored"));
        return;
    }
    loopEnd();
    dropStepsDoingNothing(m_undoStack);
    if (m_undoStack.isEmpty())
        return;
    Q_EMIT checkpoint();
    Q_EMIT willUndoChange();
    replay(State::Undoing, m_undoStack);
    Q_EMIT didUndoChange();
}

void InspectUndoManager::redo()
{
    if (m_state != State::Normal) {
        QM_DEBUG(QStringLiteral("redo requested while undoing or redoing; ignored"));
        return;
    }
    loopEnd();
    dropStepsDoingNothing(m_redoStack);
    if (m_redoStack.isEmpty())
        return;
    Q_EMIT checkpoint();
    Q_EMIT willRedoChange();
    replay(State::Redoing, m_redoStack);
    Q_EMIT didRedoChange();
}

void InspectUndoManager::removeAllActions()
{
    const Availability before = availability();
    m_undoStack.clear();
    m_redoStack.clear();
    // Open groups stay open, so the callers' begin and end calls still pair up.
    for (Group &group : m_openGroups)
        group.entries.clear();
    notifyIfChanged(before);
}

void InspectUndoManager::removeAllActionsWithTarget(const TargetRef &target)
{
    const Availability before = availability();
    const auto sameTarget = [&target](const Entry &entry) { return entry.target == target; };
    for (QList<Group> *stack : {&m_undoStack, &m_redoStack}) {
        for (Group &group : *stack)
            group.entries.removeIf(sameTarget);
        stack->removeIf([](const Group &group) { return group.entries.isEmpty(); });
    }
    for (Group &group : m_openGroups)
        group.entries.removeIf(sameTarget);
    notifyIfChanged(before);
}

int InspectUndoManager::removeAllStepsWithTarget(const TargetRef &target)
{
    return removeSteps([&target](const Entry &entry) { return entry.target == target; });
}

int InspectUndoManager::removeStepsOfDestroyedTargets()
{
    return removeSteps([](const Entry &entry) { return !entry.target.isAlive(); });
}

int InspectUndoManager::keepStepsOnText(const std::function<bool(const TargetRef &)> &picks, const TextMark &markOf,
                                        const Condition &shown)
{
    QM_ASSERT(picks && markOf && shown, return 0);
    const Availability before = availability();
    const auto picked = [&picks](const Entry &entry) { return picks(entry.target); };
    const auto holds = [](const Group &group, const auto &test) {
        return std::any_of(group.entries.cbegin(), group.entries.cend(), test);
    };
    // The marks of the texts a group changed, one for each text.
    const auto marksOf = [&markOf](const QList<Entry> &entries) {
        QList<Entry> marks;
        for (const Entry &entry : entries) {
            const bool marked = std::any_of(marks.cbegin(), marks.cend(), [&entry](const Entry &mark) { return mark.target == entry.target; });
            if (marked || entry.selector == QByteArrayLiteral("followText:"))
                continue;
            if (Action mark = markOf(entry.target))
                marks.append({entry.target, QByteArrayLiteral("followText:"), std::move(mark), {}});
        }
        return marks;
    };
    int kept = 0;
    for (QList<Group> *stack : {&m_undoStack, &m_redoStack}) {
        for (qsizetype i = stack->size() - 1; i >= 0; --i) {
            Group &group = (*stack)[i];
            if (!holds(group, picked))
                continue;
            group.entries.removeIf(picked);
            const QList<Entry> marks = marksOf(group.entries);
            if (marks.isEmpty()) {
                stack->removeAt(i);
                continue;
            }
            group.entries.append(marks);
            group.conditions.append(shown);
            ++kept;
        }
    }
    // The open groups are one step once closed (its text written already).
    const auto anyOpen = [this](const auto &test) {
        return std::any_of(m_openGroups.cbegin(), m_openGroups.cend(), test);
    };
    if (anyOpen([&](const Group &group) { return holds(group, picked); })) {
        QList<Entry> changed;
        for (Group &group : m_openGroups) {
            group.entries.removeIf(picked);
            changed.append(group.entries);
        }
        const QList<Entry> marks = marksOf(changed);
        for (Group &group : m_openGroups) {
            if (marks.isEmpty()) {
                group.entries.clear();
                group.dropped = true;
            }
        }
        if (!marks.isEmpty()) {
            m_openGroups.last().entries.append(marks);
            m_openGroups.first().conditions.append(shown);
            ++kept;
        }
    }
    notifyIfChanged(before);
    return kept;
}

void InspectUndoManager::dropStepsDoingNothing(QList<Group> &stack)
{
    QSet<const void *> held;
    qsizetype i = stack.size() - 1;
    for (; i >= 0; --i) {
        const Group &step = stack.at(i);
        if (actsOnAny(step, held))
            continue;
        if (hasLiveAction(step))
            break;
        addHeldTargets(step, held);
    }
    stack.remove(i + 1, stack.size() - i - 1);
    // The older steps on what the dropped ones held back were recorded
    // before their edits: they would act on a state no longer there.
    stack.removeIf([&held](const Group &step) { return actsOnAny(step, held); });
}

int InspectUndoManager::removeSteps(const std::function<bool(const Entry &)> &picks)
{
    const Availability before = availability();
    qsizetype removed = 0;
    for (QList<Group> *stack : {&m_undoStack, &m_redoStack}) {
        removed += stack->removeIf([&picks](const Group &group) {
            return std::any_of(group.entries.cbegin(), group.entries.cend(), picks);
        });
    }
    // A group still open is an edit under way, one step once closed: it
    // goes whole too, with what the edit registers until it closes (#78).
    const bool picksOpen = std::any_of(m_openGroups.cbegin(), m_openGroups.cend(), [&picks](const Group &group) {
        return std::any_of(group.entries.cbegin(), group.entries.cend(), picks);
    });
    if (picksOpen) {
        ++removed;
        for (Group &group : m_openGroups) {
            group.entries.clear();
            group.dropped = true;
        }
    }
    notifyIfChanged(before);
    return int(removed);
}

void InspectUndoManager::record(Entry entry)
{
    const Availability before = availability();
    // A new edit makes the redo history meaningless.
    if (m_state == State::Normal)
        m_redoStack.clear();
    if (!m_openGroups.isEmpty() && m_openGroups.first().dropped) {
        notifyIfChanged(before);
        return;
    }
    if (m_openGroups.isEmpty()) {
        // There is no group to add to: the action is a step by itself.
        openGroup(QString());
        m_openGroups.last().entries.append(std::move(entry));
        closeGroup();
    } else {
        m_openGroups.last().entries.append(std::move(entry));
    }
    // A replay announces itself with didUndoChange or didRedoChange.
    if (m_state == State::Normal)
        notifyIfChanged(before);
}

InspectUndoManager::Availability InspectUndoManager::availability() const
{
    return {canUndo(), canRedo()};
}

void InspectUndoManager::notifyIfChanged(Availability before)
{
    if (availability() != before)
        Q_EMIT undoAvailabilityChanged();
}

void InspectUndoManager::openGroup(const QString &actionName)
{
    Group group;
    group.actionName = actionName;
    m_openGroups.append(std::move(group));
}

void InspectUndoManager::closeGroup()
{
    Group group = m_openGroups.takeLast();
    if (!m_openGroups.isEmpty()) {
        Group &parent = m_openGroups.last();
        parent.entries.append(group.entries);
        parent.conditions.append(group.conditions);
        parent.dropped = parent.dropped || group.dropped;
        if (parent.actionName.isEmpty())
            parent.actionName = group.actionName;
        return;
    }
    // An outermost group without actions is no undo step.
    if (group.entries.isEmpty() || group.dropped)
        return;
    if (m_state == State::Undoing)
        m_redoStack.append(std::move(group));
    else
        m_undoStack.append(std::move(group));
}

void InspectUndoManager::closeGroupsDownTo(int level)
{
    while (groupingLevel() > level)
        closeGroup();
}

void InspectUndoManager::replay(State state, QList<Group> &from)
{
    const Group group = from.takeLast();
    m_state = state;
    // The inverses the actions register form the opposite step, under the
    // same name and conditions.
    openGroup(group.actionName);
    m_openGroups.last().conditions = group.conditions;
    for (auto it = group.entries.crbegin(); it != group.entries.crend(); ++it) {
        if (!it->target.isAlive()) {
            QM_DEBUG(QStringLiteral("skipped the action of a destroyed target %1")
                         .arg(describeAction(it->target, it->selector)));
            continue;
        }
        it->action();
    }
    // Groups an action opened and left open end with the step.
    closeGroupsDownTo(0);
    m_state = State::Normal;
}

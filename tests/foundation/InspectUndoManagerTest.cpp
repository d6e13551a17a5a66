#include "TestUtil.h"

#include "foundation/InspectUndoManager.h"

#include <gtest/gtest.h>

namespace {

// A model value edited with undo, the way the panels edit nodes and rules.
class Counter : public QObject
{
public:
    Counter(InspectUndoManager &undo) : m_undo(undo) {}

    void setValue(int value)
    {
        const int old = m_value;
        m_undo.prepareWithInvocationTarget(this, [this, old] { setValue(old); });
        m_value = value;
    }
    int value() const { return m_value; }

private:
    InspectUndoManager &m_undo;
    int m_value = 0;
};

void finishTurn()
{
    TestUtil::spin(20);
}

} // namespace

TEST(InspectUndoManager, RegistrationsOfOneTurnFormOneStepThatRedoes)
{
    InspectUndoManager undo;
    Counter a(undo), b(undo);
    a.setValue(1);
    undo.setActionName("Edit Attributes");
    b.setValue(2);
    a.setValue(3);
    EXPECT_EQ(undo.groupingLevel(), 1);
    undo.reserveCloseGroupingAtEndOfRunLoop();
    finishTurn();
    EXPECT_EQ(undo.groupingLevel(), 0);
    EXPECT_FALSE(undo.isReservedCloseGrouping());
    EXPECT_EQ(undo.undoActionName(), QStringLiteral("Edit Attributes"));

    undo.undo();
    EXPECT_EQ(a.value(), 0);
    EXPECT_EQ(b.value(), 0);
    EXPECT_FALSE(undo.canUndo());
    ASSERT_TRUE(undo.canRedo());
    EXPECT_EQ(undo.redoActionName(), QStringLiteral("Edit Attributes"));

    undo.redo();
    EXPECT_EQ(a.value(), 3);
    EXPECT_EQ(b.value(), 2);
    EXPECT_TRUE(undo.canUndo());
    EXPECT_FALSE(undo.canRedo());

    undo.undo();
    EXPECT_EQ(a.value(), 0);
}

TEST(InspectUndoManager, GroupOpenedSeveralLevelsDeepClosesAtTheEndOfTheTurn)
{
    InspectUndoManager undo;
    Counter a(undo);
    undo.setActionName("Wrap Element");
    undo.beginUndoGrouping();
    a.setValue(1);
    undo.beginUndoGrouping();
    a.setValue(2);
    EXPECT_EQ(undo.groupingLevel(), 3);
    int closes = 0;
    QObject::connect(&undo, &InspectUndoManager::didCloseUndoGroup, [&closes] { ++closes; });
    undo.reserveCloseGroupingAtEndOfRunLoop();
    undo.reserveCloseGroupingAtEndOfRunLoop();
    finishTurn();
    EXPECT_EQ(undo.groupingLevel(), 0);
    EXPECT_EQ(closes, 3);

    // A group opened in a later turn stays open until a close is reserved again.
    a.setValue(5);
    finishTurn();
    EXPECT_EQ(undo.groupingLevel(), 1);
    undo.undo();
    EXPECT_EQ(a.value(), 2);
    undo.undo();
    EXPECT_EQ(a.value(), 0);
    EXPECT_FALSE(undo.canUndo());
}


TEST(InspectUndoManager, UndoingOpensNoGroupOfItsOwnAndANewEditDropsTheRedo)
{
    InspectUndoManager undo;
    Counter a(undo);
    a.setValue(1);
    undo.loopEnd();

    bool sawUndoing = false;
    int levelDuringUndo = -1;
    Counter probe(undo);
    undo.prepareWithInvocationTarget(&probe, [&] {
        sawUndoing = undo.isUndoing();
        undo.setActionName("renamed while undoing");
        levelDuringUndo = undo.groupingLevel();
    });
    undo.loopEnd();
    undo.undo();
    EXPECT_TRUE(sawUndoing);
    EXPECT_EQ(levelDuringUndo, 1);
    EXPECT_FALSE(undo.isUndoing());
    EXPECT_EQ(undo.groupingLevel(), 0);

    undo.undo();
    EXPECT_EQ(a.value(), 0);
    EXPECT_TRUE(undo.canRedo());
    a.setValue(5);
    EXPECT_FALSE(undo.canRedo());
}

TEST(InspectUndoManager, UndoClosesAGroupLeftOpen)
{
    InspectUndoManager undo;
    Counter a(undo);
    a.setValue(4);
    EXPECT_TRUE(undo.canUndo());
    undo.undo();
    EXPECT_EQ(a.value(), 0);
    EXPECT_EQ(undo.groupingLevel(), 0);
}

TEST(InspectUndoManager, ActionOfADestroyedTargetIsSkipped)
{
    InspectUndoManager undo;
    Counter kept(undo);
    auto gone = std::make_unique<Counter>(undo);
    kept.setValue(1);
    gone->setValue(1);
    undo.loopEnd();
    gone.reset();
    undo.undo();
    EXPECT_EQ(kept.value(), 0);
    EXPECT_FALSE(undo.canUndo());
}

// A step would do nothing once every target of its actions is gone: Undo
// and Redo offer the newest one that would do something.
TEST(InspectUndoManager, AStepWhoseTargetsAreAllGoneIsNotOffered)
{
    InspectUndoManager undo;
    Counter kept(undo);
    kept.setValue(1);
    undo.setActionName(QStringLiteral("kept"));
    undo.loopEnd();
    {
        Counter gone(undo);
        gone.setValue(1);
        undo.setActionName(QStringLiteral("gone"));
        undo.loopEnd();
        EXPECT_EQ(undo.undoActionName(), QStringLiteral("gone"));
    }
    EXPECT_TRUE(undo.canUndo());
    EXPECT_EQ(undo.undoActionName(), QStringLiteral("kept"));
    undo.undo();
    EXPECT_EQ(kept.value(), 0);
    EXPECT_FALSE(undo.canUndo());
    EXPECT_EQ(undo.redoActionName(), QStringLiteral("kept"));

    // Redone and undone again with a step of a target that went between.
    undo.redo();
    {
        Counter gone(undo);
        gone.setValue(1);
        undo.loopEnd();
        undo.undo();
        EXPECT_TRUE(undo.canRedo());
    }
    EXPECT_FALSE(undo.canRedo());
    EXPECT_EQ(undo.redoActionName(), QString());
    undo.undo();
    EXPECT_EQ(kept.value(), 0);
}

TEST(InspectUndoManager, SharedPointerTargetsAreCheckedToo)
{
    InspectUndoManager undo;
    int runs = 0;
    auto node = std::make_shared<int>(7);
    undo.prepareWithInvocationTarget(node, [&runs] { ++runs; });
    undo.loopEnd();
    node.reset();
    undo.undo();
    EXPECT_EQ(runs, 0);
}

TEST(InspectUndoManager, RemovingATargetsActionsKeepsTheOthers)
{
    InspectUndoManager undo;
    Counter a(undo), b(undo);
    a.setValue(1);
    b.setValue(1);
    undo.loopEnd();
    b.setValue(2);
    undo.loopEnd();

    undo.removeAllActionsWithTarget(&b);
    ASSERT_TRUE(undo.canUndo());
    undo.undo();
    EXPECT_EQ(a.value(), 0);
    EXPECT_EQ(b.value(), 2);
    EXPECT_FALSE(undo.canUndo());
}


TEST(InspectUndoManager, RemovingATargetsStepsTakesTheirOtherActionsWithThem)
{
    InspectUndoManager undo;
    Counter panel(undo), file(undo), typed(undo);
    typed.setValue(1);
    undo.loopEnd();
    // One edit of the panel that wrote a file's text too.
    panel.setValue(1);
    file.setValue(1);
    undo.loopEnd();
    // Undone once already: its redo step holds both as well.
    panel.setValue(2);
    file.setValue(2);
    undo.loopEnd();
    undo.undo();

    undo.removeAllStepsWithTarget(&panel);
    EXPECT_FALSE(undo.canRedo());
    ASSERT_TRUE(undo.canUndo());
    undo.undo();
    EXPECT_EQ(typed.value(), 0);
    EXPECT_EQ(file.value(), 1);
    EXPECT_FALSE(undo.canUndo());
}

// #78: the page dropped while its edit is still under way (a write-back of
// the file's text comes after, in the same turn) leaves no half of it.
TEST(InspectUndoManager, AStepStillOpenGoesWholeWithWhatItsEditRegistersAfterwards)
{
    InspectUndoManager undo;
    Counter panel(undo), file(undo);
    panel.setValue(1);
    undo.setActionName(QStringLiteral("Edit Attributes"));
    file.setValue(1);
    undo.removeAllStepsWithTarget(&panel);
    file.setValue(2);
    undo.reserveCloseGroupingAtEndOfRunLoop();
    finishTurn();
    EXPECT_FALSE(undo.canUndo());
    EXPECT_EQ(file.value(), 2);
    // The next edit is a step of its own again.
    file.setValue(3);
    undo.loopEnd();
    ASSERT_TRUE(undo.canUndo());
    undo.undo();
    EXPECT_EQ(file.value(), 2);
}

TEST(InspectUndoManager, AStepIsOfferedOnlyWhileItsConditionHoldsAndItsRedoKeepsIt)
{
    InspectUndoManager undo;
    Counter older(undo), typed(undo);
    older.setValue(1);
    undo.loopEnd();
    bool shown = true;
    typed.setValue(1);
    undo.setActionName(QStringLiteral("type"));
    undo.offerStepWhile([&shown] { return shown; });
    undo.loopEnd();
    EXPECT_EQ(undo.undoActionName(), QStringLiteral("type"));

    undo.undo();
    EXPECT_EQ(typed.value(), 0);
    shown = false;
    EXPECT_FALSE(undo.canRedo());
    EXPECT_EQ(undo.redoActionName(), QString());
    shown = true;
    ASSERT_TRUE(undo.canRedo());
    undo.redo();
    EXPECT_EQ(typed.value(), 1);

    // Not offered, it is passed over for the step before it.
    shown = false;
    ASSERT_TRUE(undo.canUndo());
    undo.undo();
    EXPECT_EQ(older.value(), 0);
    EXPECT_EQ(typed.value(), 1);
}

// A text edited by two views: the older steps on it come after the newer
// in the text's own history, so one not offered holds them back (#84).
TEST(InspectUndoManager, AStepNotOfferedHoldsBackTheOlderStepsOnItsTargets)
{
    InspectUndoManager undo;
    Counter other(undo), text(undo), node(undo);
    other.setValue(1);
    undo.loopEnd();
    // A panel's edit of a node and of the text, then typing into the text.
    node.setValue(1);
    text.setValue(1);
    undo.loopEnd();
    bool shown = true;
    text.setValue(2);
    undo.offerStepWhile([&shown] { return shown; });
    undo.loopEnd();

    shown = false;
    // The panel's step would act on a text the typing changed since.
    ASSERT_TRUE(undo.canUndo());
    undo.undo();
    EXPECT_EQ(other.value(), 0);
    EXPECT_EQ(text.value(), 2);
    EXPECT_EQ(node.value(), 1);
    EXPECT_FALSE(undo.canUndo());
}

// An action that would not apply is not offered, and is never run (#84).
TEST(InspectUndoManager, AStepWhoseActionWouldNotApplyIsNotOfferedNorRun)
{
    InspectUndoManager undo;
    Counter older(undo), text(undo);
    older.setValue(1);
    undo.loopEnd();
    int version = 1;
    int runs = 0;
    undo.prepareWithInvocationTarget(&text, [&runs] { ++runs; }, [&version] { return version == 1; });
    undo.setActionName(QStringLiteral("type"));
    undo.loopEnd();
    EXPECT_EQ(undo.undoActionName(), QStringLiteral("type"));
    version = 2;
    EXPECT_NE(undo.undoActionName(), QStringLiteral("type"));
    ASSERT_TRUE(undo.canUndo());
    undo.undo();
    EXPECT_EQ(runs, 0);
    EXPECT_EQ(older.value(), 0);
    version = 1;
    EXPECT_FALSE(undo.canUndo());

    // Two edits of one text in one step: the older applies to the text the
    // newer's undo gives back, so only the newer's is asked.
    version = 3;
    runs = 0;
    undo.prepareWithInvocationTarget(&text, [&] { ++runs; version = 1; }, [&version] { return version == 2; });
    undo.prepareWithInvocationTarget(&text, [&] { ++runs; version = 2; }, [&version] { return version == 3; });
    undo.setActionName(QStringLiteral("type twice"));
    undo.loopEnd();
    EXPECT_EQ(undo.undoActionName(), QStringLiteral("type twice"));
    undo.undo();
    EXPECT_EQ(runs, 2);
    EXPECT_EQ(version, 1);
}

TEST(InspectUndoManager, StepsOfDestroyedTargetsAreDroppedWhole)
{
    InspectUndoManager undo;
    Counter kept(undo), file(undo);
    kept.setValue(1);
    undo.loopEnd();
    {
        Counter gone(undo);
        gone.setValue(1);
        file.setValue(1);
        undo.loopEnd();
    }
    undo.removeStepsOfDestroyedTargets();
    ASSERT_TRUE(undo.canUndo());
    undo.undo();
    EXPECT_EQ(file.value(), 1);
    EXPECT_EQ(kept.value(), 0);
    EXPECT_FALSE(undo.canUndo());
}

TEST(InspectUndoManager, RemoveAllActionsKeepsOpenGroupsBalanced)
{
    InspectUndoManager undo;
    Counter a(undo);
    undo.beginUndoGrouping();
    a.setValue(1);
    undo.removeAllActions();
    EXPECT_EQ(undo.groupingLevel(), 1);
    undo.endUndoGrouping();
    EXPECT_FALSE(undo.canUndo());
}


TEST(InspectUndoManager, AnEditCancelledHalfWayIsUndoneWholeOnceItsTurnIsDone)
{
    InspectUndoManager undo;
    Counter earlier(undo);
    earlier.setValue(1);
    undo.reserveCloseGroupingAtEndOfRunLoop();
    finishTurn();
    // An edit whose last part was refused: what was made of it goes back,
    // the step before it stays.
    Counter counter(undo);
    counter.setValue(5);
    counter.setValue(6);
    undo.reserveUndoAtEndOfRunLoop();
    EXPECT_EQ(counter.value(), 6);
    finishTurn();
    EXPECT_EQ(counter.value(), 0);
    EXPECT_EQ(earlier.value(), 1);
    EXPECT_TRUE(undo.canUndo());
}

// #84: a page loaded again keeps its tree's steps as their changes of the
// text: the node actions go, the text's stay with a mark run at each undo
// and redo, offered while the page is shown; a step that changed no text
// goes, and the typing before the tree's steps is still reached.
TEST(InspectUndoManager, StepsKeptOnTheTextLoseTheirNodeActionsAndMarkEachReplay)
{
    InspectUndoManager undo;
    Counter node(undo), text(undo);
    int owner = 0;
    const auto nodeTarget = TargetRef::withCheck(&node, [] { return true; }, &owner);
    int nodeRuns = 0;
    text.setValue(1); // typed
    undo.loopEnd();
    undo.prepareWithInvocationTarget(nodeTarget, [&nodeRuns] { ++nodeRuns; });
    text.setValue(2); // a tree edit written into the text
    undo.loopEnd();
    undo.prepareWithInvocationTarget(nodeTarget, [&nodeRuns] { ++nodeRuns; }); // an edit of the page only
    undo.loopEnd();
    undo.prepareWithInvocationTarget(nodeTarget, [&nodeRuns] { ++nodeRuns; });
    text.setValue(3); // an edit under way, its text written

    int marks = 0;
    bool shown = false;
    std::function<void()> mark = [&] {
        ++marks;
        undo.prepareWithInvocationTarget(&text, mark);
    };
    const TargetRef onText(&text);
    const int kept = undo.keepStepsOnText([&owner](const TargetRef &target) { return target.owner() == &owner; },
                                          [&](const TargetRef &target) { return target == onText ? mark : InspectUndoManager::Action(); },
                                          [&shown] { return shown; });
    EXPECT_EQ(kept, 2);
    undo.loopEnd();
    EXPECT_FALSE(undo.canUndo());
    shown = true;
    for (const int value : {2, 1, 0}) {
        ASSERT_TRUE(undo.canUndo());
        undo.undo();
        EXPECT_EQ(text.value(), value);
    }
    EXPECT_FALSE(undo.canUndo());
    while (undo.canRedo())
        undo.redo();
    EXPECT_EQ(text.value(), 3);
    EXPECT_EQ(nodeRuns, 0);
    EXPECT_EQ(marks, 4);
}

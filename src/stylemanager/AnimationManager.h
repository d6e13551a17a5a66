#pragma once

#include "MultiThumbSliderDelegate.h"
#include "TimelineListView.h"

#include "interfaces/AnimationManagerInterface.h"
#include "platform/kit/OutlineDataSource.h"
#include "stylesheet/StyleDeclaration.h"

#include <QFrame>
#include <QList>
#include <QObject>
#include <QPointer>

#include <functional>

class CSSOutlineDelegate;
class InspectUndoManager;
class OutlineView;
class QMenu;
class TimelineCell;

// The keyframe timeline: the page's keyframe animations, one row each, with
// the name on the left and a track of keyframes on the right under a
// percentage ruler, and the playhead (the capo) at the selected keyframe.
// Data source and delegate of the list and delegate of every row's track;
// each keyframe edit (re-time, add, remove) and each replay is carried out by
// the rules panel, which edits page, model and file with undo and refreshes
// the timeline. One object for the life of the application, built and wired
// in src/app/Controllers.cpp; it owns its view until a pane takes it.
//
// The operations are spread over topic files:
//   AnimationManager.cpp        the list, its selection, the playhead
//   AnimationManagerTrack.cpp   the tracks' delegate: select, move, add, remove
class AnimationManager : public QObject,
                         public AnimationManagerInterface,
                         public OutlineDataSource,
                         public MultiThumbSliderDelegate
{
    Q_OBJECT

public:
    explicit AnimationManager(QObject *parent = nullptr);
    ~AnimationManager() override;

    // --- Wiring (the composition point) ---------------------------------------------------------
    void setCssOutlineDelegate(CSSOutlineDelegate *rules) { m_cssOutlineDelegate = rules; }
    CSSOutlineDelegate *cssOutlineDelegate() const { return m_cssOutlineDelegate; }
    // Builds the view and the list's menu; only the first call does anything.
    void awakeFromNib();
    // The list in its view, for the keyframe pane.
    QWidget *view() const { return m_view; }
    TimelineListView *animationListView() const { return m_animationListView; }
    QFrame *capo() const { return m_capo; }
    QMenu *animationMenu() const { return m_animationMenu; }
    // The shared undo manager (the File model's provider).
    InspectUndoManager *undoManager() const;

    // --- AnimationManagerInterface ----------------------------------------------------------------
    void reset() override;
    void refresh() override;
    void setIgnoreSelectionChange(bool ignore) override { m_ignoreSelectionChange = ignore; }
    bool ignoreSelectionChange() const override { return m_ignoreSelectionChange; }
    void resetDomSelection() override;

    // --- The list (AnimationManager.cpp) ----------------------------------------------------------
    // The page's keyframes rules, one per animation name and style sheet:
    // the "-webkit-" rule where the sheet has one, else the unprefixed one;
    // a rule without a name has a row of its own.
    QList<StyleDeclarationPtr> animations() const;
    // The rows, as the list shows them.
    const QList<StyleDeclarationPtr> &rows() const { return m_animations; }
    // The name column's text: the animation's name, or "no name".
    static QString nameOfRule(const StyleDeclaration &rule);
    void outlineViewSelectionDidChange();
    // A click in the list or on a track outside its thumbs.
    void didClickTableColumn(OutlineView *list, int column);
    void outlineViewColumnDidResize();
    // "Play Animation": the clicked row's animation runs again in the page.
    void playAnimation();
    // Moves the playhead to the last selected keyframe, or hides it.
    void drawCapo();
    // The list redraws 0.1 s later.
    void displayListLater();
    // The track cell of a rule in the timeline column (the one shown, set up
    // afresh, or a new one); null for other columns.
    TimelineCell *viewForTableColumn(int column, const StyleDeclarationPtr &rule, TimelineCell *shown);
    // The track cell of a row, null while it has none.
    TimelineCell *cellOfRow(int row) const;
    // The selected row's keyframes rule, or null.
    StyleDeclarationPtr selectedRule() const;

    const StyleDeclarationPtr &lastSelection() const { return m_lastSelection; }
    // Which offset of the last selected keyframe was chosen (its thumb).
    int lastSelectedOffset() const { return m_lastSelectedOffset; }
    const StyleDeclarationPtr &lastSelectedKeyframes() const { return m_lastSelectedKeyframes; }
    const StyleDeclarationPtr &currentSelection() const { return m_currentSelection; }
    QString oldKeyName() const { return m_oldKeyName; }

    // OutlineDataSource
    int numberOfChildrenOfItem(OutlineView *outlineView, void *item) override;
    void *childOfItem(OutlineView *outlineView, int index, void *item) override;
    bool isItemExpandable(OutlineView *outlineView, void *item) override;
    QVariant objectValueForTableColumn(OutlineView *outlineView, int column, void *item, int role) override;

    // --- The tracks (AnimationManagerTrack.cpp) ---------------------------------------------------
    void itemDidChanged(MultiThumbSlider *slider, const Item &item) override;
    void itemIsChanging(MultiThumbSlider *slider) override;
    void itemDidRemoved(MultiThumbSlider *slider, const Item &item) override;
    void itemDidAdded(MultiThumbSlider *slider, const Item &item) override;
    void selectionChanged(MultiThumbSlider *slider, const Item &item) override;
    ThumbView *thumbViewOfItem(MultiThumbSlider *slider, const Item &item) override;
    QString toolTipOfItem(MultiThumbSlider *slider, const Item &item) override;
    Item createItemAtRatio(MultiThumbSlider *slider, double ratio) override;

    // A reload's tracks are yet to be filled (at the end of the turn).
    bool isSettingUpTracks() const { return m_tracksPending; }

Q_SIGNALS:
    // The tracks were filled again after a reload.
    void tracksSetUp();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void buildView();
    // Lists the animations again; the rows' tracks are filled at the end of
    // the turn, so a track that asked for the change is not emptied under
    // its own event.
    void reloadList();
    void setUpTracks();
    void selectRowOf(const StyleDeclarationPtr &rule);
    // The keyframes rule a track shows.
    static StyleDeclarationPtr ruleOfSlider(MultiThumbSlider *slider);
    static StyleDeclarationPtr keyframeOf(const Item &item);
    static int offsetIndexOf(const Item &item);
    // Names the undo step of a keyframe edit the track asks for.
    void nameUndoStep(const QString &name);

    CSSOutlineDelegate *m_cssOutlineDelegate = nullptr; // Not owned.
    QPointer<QWidget> m_view; // Owned until a pane takes it.
    QPointer<TimelineListView> m_animationListView; // Owned by m_view.
    QPointer<QFrame> m_capo; // Owned by the list's viewport.
    QMenu *m_animationMenu = nullptr; // Owned by m_view.
    QString m_oldKeyName;
    StyleDeclarationPtr m_lastSelection;
    int m_lastSelectedOffset = 0;
    StyleDeclarationPtr m_lastSelectedKeyframes;
    StyleDeclarationPtr m_currentSelection;
    bool m_ignoreSelectionChange = false;
    // The list is being reloaded: its selection changes are its own.
    bool m_reloading = false;
    bool m_tracksPending = false;
    QList<StyleDeclarationPtr> m_animations;
};

#pragma once

#include "stylesheet/StyleDeclaration.h"

#include <QPointF>
#include <QPointer>
#include <QWidget>

class AnimationManager;
class MultiThumbSlider;
class OutlineView;
class QMenu;

// The track cell of a row of the keyframe timeline: a MultiThumbSlider with
// one thumb per offset of each keyframe of the row's keyframes rule (its
// object value), the manager as the slider's delegate, and the "Add Keyframe
// At" menu. The slider's track runs from 10 points in at either end, under
// the ruler.
class TimelineCell : public QWidget
{
    Q_OBJECT

public:
    TimelineCell(AnimationManager *manager, QWidget *parent = nullptr);
    ~TimelineCell() override;

    const StyleDeclarationPtr &objectValue() const { return m_rule; }
    void setObjectValue(const StyleDeclarationPtr &rule) { m_rule = rule; }
    OutlineView *ownerListView() const { return m_ownerListView; }
    void setOwnerListView(OutlineView *list) { m_ownerListView = list; }
    MultiThumbSlider *timelineSlider() const { return m_timelineSlider; }
    QPointF rightClickPoint() const { return m_rightClickPoint; }

    // Fills the slider with the offsets of the rule's keyframes in file
    // order, the manager's last selected one marked.
    void setup();
    void initMenu();
    // The menu opens: where it was asked for is kept, and the row selected.
    void menuWillOpen();
    // "Add Keyframe At": a keyframe where the menu was asked for.
    void createKeyframeAt();
    void clearSelection();

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    // The slider's item of a keyframe's offset; null when it has none.
    std::shared_ptr<void> shownItem(const StyleDeclaration *keyframe, int index) const;
    // Selects the cell's row in the list when another row is selected.
    void selectOwnRow();

    // The list may outlive the manager while the windows close.
    QPointer<AnimationManager> m_manager;
    MultiThumbSlider *m_timelineSlider; // Owned (child).
    QMenu *m_menu = nullptr; // Owned (child).
    QPointF m_rightClickPoint;
    QPointer<OutlineView> m_ownerListView;
    StyleDeclarationPtr m_rule;
};

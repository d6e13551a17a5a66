#pragma once

#include "platform/kit/OutlineView.h"

class TimelineHeaderCell;

// The list of the keyframe timeline: one row per animation, the name in the
// column "AnimationNameColumn" and the track in "TimelineColumn", under the
// ruler header. Up and Down move through the rows; Delete removes the
// selected keyframe of the selected row's track.
class TimelineListView : public OutlineView
{
    Q_OBJECT

public:
    explicit TimelineListView(QWidget *parent = nullptr);
    ~TimelineListView() override;

    TimelineHeaderCell *headerCell() const { return m_headerCell; }

    // Stored and redrawn; the playhead shown is the manager's capo.
    double capoPosition() const { return m_capoPosition; }
    void setCapoPosition(double position);

    // Delete with the list's keys: the selected row's track takes it.
    std::function<void()> deleteKeyframe;

protected:
    void keyPressEvent(QKeyEvent *event) override;

private:
    TimelineHeaderCell *m_headerCell; // Owned (the header view, a child).
    double m_capoPosition = -1.0;
};

#pragma once

#include <QPointer>
#include <QStyledItemDelegate>

class OutlineView;

// The name cell of a row of the keyframe timeline's list ("AnimationNameCell"):
// the animation's name, or "no name".
class TimelineLeftCell : public QStyledItemDelegate
{
    Q_OBJECT

public:
    explicit TimelineLeftCell(QObject *parent = nullptr);
    ~TimelineLeftCell() override;

    OutlineView *ownerListView() const { return m_ownerListView; }
    void setOwnerListView(OutlineView *list) { m_ownerListView = list; }

private:
    QPointer<OutlineView> m_ownerListView;
};

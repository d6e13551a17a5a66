#pragma once

#include "toolkit/OutlineViewEx.h"

class DOMNodeEx;

// The outline of the DOM tree: an OutlineViewEx whose closing rows stand one
// indentation step to the left (under their opening rows), and which knows
// whether a drag is over it. A collapsed row under a drag is
// asked at once whether it expands (the controller times it), and again
// when Ctrl is pressed over it.
class DomTreeOutlineView : public OutlineViewEx
{
    Q_OBJECT

public:
    explicit DomTreeOutlineView(QWidget *parent = nullptr);
    ~DomTreeOutlineView() override;

    // Every row's height may have changed.
    void updateHeight();
    // A drag is over the view.
    bool isDropProcess() const { return m_isDropProcess; }
    // The keys held during the drag over the view.
    Qt::KeyboardModifiers dragModifiers() const { return m_dragModifiers; }
    // The item under the drag, null for none.
    void *dragHoverItem() const { return m_isDropProcess ? itemForIndex(m_dragHoverIndex) : nullptr; }
    // How far left a row's cell stands of where its level puts it: one
    // indentation step for a closing row, none for the others.
    static int cellShiftOfItem(const DOMNodeEx *row, int indentation);

    QRect visualRect(const QModelIndex &index) const override;

protected:
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dragMoveEvent(QDragMoveEvent *event) override;
    void dragLeaveEvent(QDragLeaveEvent *event) override;
    void dropEvent(QDropEvent *event) override;

private:
    bool m_isDropProcess = false;
    Qt::KeyboardModifiers m_dragModifiers;
    QPersistentModelIndex m_dragHoverIndex;
};

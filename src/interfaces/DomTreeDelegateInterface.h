#pragma once

class PathControl;
class QMouseEvent;
class QWidget;

// What the shell asks of the DOM tree panel. Implemented by the DOM tree
// controller (src/domtree); called by the shell (AppDelegate), which
// Controllers::install() hands the controller.
class DomTreeDelegateInterface
{
public:
    virtual ~DomTreeDelegateInterface() = default;

    // The DOM tree outline.
    virtual QWidget *outlineView() = 0;
    // Ends in-place attribute editing of the selected row.
    virtual void escapeEdit() = 0;
    // A click on the selected row: the rules panel and the preview's overlay
    // follow the selected element again.
    virtual void reselectNodeWithClickedNode(QMouseEvent *event) = 0;
    // The breadcrumb of the selected node's ancestors; the file tree empties
    // it when the chosen file changes.
    virtual PathControl *dombreadcramb() = 0;
};

#pragma once

#include <QList>

class DOMNode;
class File;
class QWidget;

// What the shell and the DOM tree ask of the CSS rules panel. Implemented by
// the rules panel controller (src/cssrules); called by the shell
// (AppDelegate) and the DOM tree (DomTreeDelegate), which
// Controllers::install() hands the controller.
class CSSOutlineDelegateInterface
{
public:
    virtual ~CSSOutlineDelegateInterface() = default;

    // The rules outline.
    virtual QWidget *outlineView() = 0;
    // The style sheets of the previewed page.
    virtual QList<File *> styleFiles() = 0;
    // The image files of the project shown, offered as image values.
    virtual void setProjectImages(const QList<File *> &images) = 0;

    // Lists the rules of the element (null empties the list).
    virtual void updateRulesByElement(DOMNode *element) = 0;
    // Which list the panel shows: 0, the rules of the selected element.
    virtual void setDisplaySelectorType(int type) = 0;
    // Runs the last update of the list again; mode 1 also keeps the
    // panel's scroll point and selected row.
    virtual void reloadRuleList(int mode) = 0;
};

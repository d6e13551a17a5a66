#pragma once

#include <QList>

#include <memory>

class File;
class QWidget;
class StyleDeclaration;

// What the shell, the DOM tree and the rules panel ask of the style-sheet
// manager. Implemented by the manager controller (src/stylemanager); called by
// the shell (AppDelegate), the DOM tree (DomTreeDelegate) and the rules panel
// (CSSOutlineDelegate), which
// Controllers::install() hands the controller.
class StyleSheetsManagerDelegateInterface
{
public:
    virtual ~StyleSheetsManagerDelegateInterface() = default;

    // The manager's selector outline.
    virtual QWidget *selectorListView() = 0;
    // Selects again the selector under the last click in that outline.
    virtual void reselectSelectorWithClickedSelector() = 0;

    // Set around a refresh asked for from outside the manager.
    virtual void setInChange(bool inChange) = 0;
    // Lists the selectors again, keeping the scroll point and selection.
    virtual void refreshSelectorList() = 0;

    // The style sheets the manager's filter lets through; empty when it
    // filters nothing.
    virtual QList<File *> filterFiles() = 0;
    virtual void clearFileFilter() = 0;
    // Adds the style sheet to the filter, or takes it out when it is in;
    // null empties the filter.
    virtual void setFileFilter(File *file) = 0;
    // Selects the rule in the manager's list (the rules panel selected it).
    virtual void selectItemFromRule(const std::shared_ptr<StyleDeclaration> &rule) = 0;
};

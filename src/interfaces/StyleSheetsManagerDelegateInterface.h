#pragma once

class QWidget;

// What the shell and the DOM tree ask of the style-sheet manager. Implemented
// by the manager controller (src/stylemanager); called by the shell
// (AppDelegate) and the DOM tree (DomTreeDelegate), which
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
};

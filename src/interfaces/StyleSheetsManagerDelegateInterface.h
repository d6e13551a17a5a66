#pragma once

class QWidget;

// What the shell asks of the style-sheet manager. Implemented by the manager
// controller (src/stylemanager); called by the shell (AppDelegate), which
// Controllers::install() hands the controller.
class StyleSheetsManagerDelegateInterface
{
public:
    virtual ~StyleSheetsManagerDelegateInterface() = default;

    // The manager's selector outline.
    virtual QWidget *selectorListView() = 0;
    // Selects again the selector under the last click in that outline.
    virtual void reselectSelectorWithClickedSelector() = 0;
};

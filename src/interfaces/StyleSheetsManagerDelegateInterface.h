#pragma once

class QWidget;

// What the shell asks of the style-sheet manager.
class StyleSheetsManagerDelegateInterface
{
public:
    virtual ~StyleSheetsManagerDelegateInterface() = default;

    // The manager's selector outline.
    virtual QWidget *selectorListView() = 0;
    // Selects again the selector under the last click in that outline.
    virtual void reselectSelectorWithClickedSelector() = 0;
};

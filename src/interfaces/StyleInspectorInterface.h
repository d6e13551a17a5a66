#pragma once

// What the rules panel asks of the shell's style inspector, which holds the
// style-sheet manager above the rules outline. Implemented by
// StyleInspectorPanes (src/app); called by the rules panel
// (CSSOutlineDelegate), which Controllers::install() hands the object.
class StyleInspectorInterface
{
public:
    virtual ~StyleInspectorInterface() = default;

    // Opens the style-sheet manager over half of the inspector's height.
    virtual void showStyleSheetsManager() = 0;
};

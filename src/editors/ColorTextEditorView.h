#pragma once

// One page of a ColorTextEditor: shows the editor's colour in its form.
class ColorTextEditorView
{
public:
    virtual ~ColorTextEditorView() = default;
    virtual void displayColor() = 0;
};

#pragma once

#include <QString>

class QWidget;

// The popover editors of one declaration's value (shadows, gradients,
// transforms and the like), opened by the rules panel from a declaration's
// badge or by a double click. Implemented by the popover style editor
// (src/editors); called by the rules panel (CSSOutlineDelegate), which
// Controllers::install() hands the editor. While none is set every property
// answers "noEditor". An editor posts each change as "cssValueChanged"
// {"value"}; it never writes to the page or the model itself.
class StyleEditorInterface
{
public:
    virtual ~StyleEditorInterface() = default;

    // The editor type of a property, "noEditor" when there is none.
    virtual QString typeByProp(const QString &property) const = 0;
    // Whether the type of the property is not "noEditor".
    virtual bool isEditable(const QString &property) const = 0;
    // Installs a fresh editor for the property, showing the value text.
    virtual void initializeEditorView(const QString &property, const QString &value) = 0;
    // The view the popover shows, sized to the current editor.
    virtual QWidget *view() = 0;
};

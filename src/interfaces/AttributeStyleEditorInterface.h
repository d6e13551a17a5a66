#pragma once

class DOMNode;
class QString;
class QWidget;

// The visual editor of an element's inline style, shown by the DOM tree in a
// popover beside the element's row ("Format Style Attribution"). Implemented
// by the style-attribute panel (src/editors); called by the DOM tree
// (DomTreeDelegate), which Controllers::install() hands the editor. While
// none is set the command does nothing.
class AttributeStyleEditorInterface
{
public:
    virtual ~AttributeStyleEditorInterface() = default;

    // The editor's view, which the popover shows at 240 x 385.
    virtual QWidget *view() = 0;
    // The element whose "style" attribute is edited.
    virtual void setStyledObject(DOMNode *element) = 0;
    // Puts the keyboard on the field of one property.
    virtual void focusWithProperty(const QString &property) = 0;
};

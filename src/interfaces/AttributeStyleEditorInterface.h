#pragma once

#include "platform/web/cssom/DOMCSSRuleList.h"

class DOMNode;
class QString;
class QWidget;

// The visual editor of an element's inline style, shown by the DOM tree in a
// popover beside the element's row ("Format Style Attribution"), and of a
// whole style rule, shown by the rules panel beside the rule's row.
// Implemented by the style-attribute panel (src/editors); called by the DOM
// tree (DomTreeDelegate) and the rules panel (CSSOutlineDelegate), which
// Controllers::install() hands the editor. While none is set the commands do
// nothing.
class AttributeStyleEditorInterface
{
public:
    virtual ~AttributeStyleEditorInterface() = default;

    // The editor's view, which the popover shows at 240 x 385.
    virtual QWidget *view() = 0;
    // The element whose "style" attribute is edited.
    virtual void setStyledObject(DOMNode *element) = 0;
    // The style rule whose declarations are edited; the edits are announced
    // with "StyleEditChange" and "StyleEditEnd" for the rules panel to apply.
    virtual void setStyledObject(const DOMCSSRulePtr &rule) = 0;
    // Puts the keyboard on the field of one property.
    virtual void focusWithProperty(const QString &property) = 0;
};

#pragma once

#include <QVariantList>

#include <memory>

class CSSRule;
class QWidget;

// What the rules panel asks of the add property panel. Implemented by
// AddStylePropertyViewController (src/stylemanager); called by the rules
// panel (CSSOutlineDelegate), which Controllers::install() hands the panel
// and which places its view below the rules.
class AddStylePropertyInterface
{
public:
    virtual ~AddStylePropertyInterface() = default;

    virtual QWidget *view() = 0;
    // The rule the declarations go to; null for none.
    virtual void setTargetSelector(const std::shared_ptr<CSSRule> &rule) = 0;
    // Whether the shown row takes declarations: the field's state and placeholder.
    virtual void setPropertyCanAdd(bool canAdd) = 0;
    // 0 one property ("Single"), 1 a snippet's declarations ("Preset").
    virtual int type() const = 0;
    // Property names for "Single", CSSPropertyPtr values for "Preset".
    virtual QVariantList selectedElements() const = 0;
};

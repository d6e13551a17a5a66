#pragma once

#include "AttributeEditor.h"

class PopUpButton;

// A keyword from a pop-up: "-" (no value) first, then the property's
// suggested values. Any text read is kept and written back, also one that
// is not in the menu (shown as the pop-up's title).
class EnumEditor : public AttributeEditor
{
    Q_OBJECT

public:
    explicit EnumEditor(QWidget *parent = nullptr);

    // Fills the menu with the property's keywords.
    void setProperty(const QString &property) override;
    PopUpButton *getPopupButton() const { return m_popupButton; }

    void readStyle(StyleValueMap &map) override;
    void reset() override;
    virtual void setValue(const std::optional<QString> &value);
    std::optional<QString> value() const override;
    QWidget *firstControl() const override;

    // The pop-up's action: "-" clears the value.
    void valueChanged(const QString &title);

protected:
    std::optional<QString> m_val;

private:
    PopUpButton *m_popupButton = nullptr; // Owned (child).
};

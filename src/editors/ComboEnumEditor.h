#pragma once

#include "AttributeEditor.h"

class QComboBox;

// A value typed or chosen in a combo box ("font-weight"). A typed text that
// is not among the valid values (when there are any) clears the value.
class ComboEnumEditor : public AttributeEditor
{
    Q_OBJECT

public:
    explicit ComboEnumEditor(QWidget *parent = nullptr);

    QStringList validValues() const { return m_validValues; }
    void setValidValues(const QStringList &values);
    bool isValid(const QString &text) const;

    void readStyle(StyleValueMap &map) override;
    void reset() override;
    void setValue(const std::optional<QString> &value);
    std::optional<QString> value() const override;
    QWidget *firstControl() const override;
    QComboBox *combo() const { return m_combo; }

    // The combo box's action.
    void valueChanged();

private:
    std::optional<QString> m_val;
    QComboBox *m_combo = nullptr; // Owned (child).
    QStringList m_validValues;
};

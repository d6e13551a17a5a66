#pragma once

#include "AttributeEditor.h"

// A declaration no editor took, kept as written: its name and its value
// text, the priority included. It has no control.
class NoEditor : public AttributeEditor
{
    Q_OBJECT

public:
    explicit NoEditor(QWidget *parent = nullptr);

    void setValue(const QString &value) { m_val = value; }
    void reset() override;
    std::optional<QString> value() const override;
    // A piece without a name is written as it was.
    std::optional<QString> styleRepresentation() const override;

private:
    std::optional<QString> m_val;
};

#pragma once

#include "AttributeEditor.h"

class SegmentedControl;

// "text-align" as four segments: left, center, right, justify. Choosing the
// selected segment again clears the value; any other text read is kept and
// written back with no segment shown.
class AlignEditor : public AttributeEditor
{
    Q_OBJECT

public:
    explicit AlignEditor(QWidget *parent = nullptr);

    void readStyle(StyleValueMap &map) override;
    void reset() override;
    void setValue(const std::optional<QString> &value);
    std::optional<QString> value() const override;
    QWidget *firstControl() const override;
    SegmentedControl *control() const { return m_control; }

    // The control's action.
    void valueChanged();

private:
    static const QStringList &keywords();

    std::optional<QString> m_val;
    SegmentedControl *m_control = nullptr; // Owned (child).
};

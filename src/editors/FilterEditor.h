#pragma once

#include "AttributeEditor.h"
#include "FilterValue.h"

#include <array>

class QLabel;
class QSlider;

// The panel's filter: eight sliders, one per filter function, each with its
// value beside it. It reads "filter" (or "-webkit-filter" when no "filter"
// is given) and writes "filter"; a slider drag is announced at every move
// (the panel makes the drag one step).
class FilterEditor : public AttributeEditor
{
    Q_OBJECT

public:
    explicit FilterEditor(QWidget *parent = nullptr);

    void readStyle(StyleValueMap &map) override;
    void reset() override;
    std::optional<QString> value() const override;
    std::optional<QString> styleRepresentation() const override;
    QWidget *firstControl() const override;

    QSlider *slider(FilterValue::Function function) const { return m_sliders[function]; }
    const FilterValue &filter() const { return m_filter; }

private:
    void valueChanged(FilterValue::Function function);
    void showValues();

    FilterValue m_filter;
    std::array<QSlider *, FilterValue::FunctionCount> m_sliders{}; // Owned (children).
    std::array<QLabel *, FilterValue::FunctionCount> m_labels{};   // Owned (children).
};

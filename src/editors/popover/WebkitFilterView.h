#pragma once

#include "StyleEditorView.h"

#include "editors/FilterValue.h"

#include <array>

class QSlider;

// The popover editor of "filter" ("filter"): one slider for each of eight
// filter functions, read and written as the panel's filter editor does
// (brightness and contrast neutral at 100, unit-less factors read as
// fractions, other functions and decimals kept). Moving a slider writes the
// whole list again.
class WebkitFilterView : public StyleEditorView
{
    Q_OBJECT

public:
    explicit WebkitFilterView(QWidget *parent = nullptr);

    void parseValue() override;
    // A slider's action.
    void propChange(FilterValue::Function function);

    QSlider *slider(FilterValue::Function function) const { return m_sliders[function]; }

private:
    FilterValue m_filter;
    std::array<QSlider *, FilterValue::FunctionCount> m_sliders{}; // Owned (children).
};

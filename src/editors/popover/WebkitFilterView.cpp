#include "WebkitFilterView.h"

#include <QFormLayout>
#include <QSignalBlocker>
#include <QSlider>

#include <cmath>

namespace {

struct SliderRow
{
    FilterValue::Function function;
    const char *label;
    int maximum;
};

// Shown in the order the value is written.
constexpr SliderRow kRows[] = {
    {FilterValue::Blur, "Blur", 50},           {FilterValue::Brightness, "Brightness", 300},
    {FilterValue::Contrast, "Contrast", 300},  {FilterValue::Grayscale, "Grayscale", 100},
    {FilterValue::Hue, "Hue rotate", 360},     {FilterValue::Invert, "Invert", 100},
    {FilterValue::Saturate, "Saturate", 300},  {FilterValue::Sepia, "Sepia", 100},
};

} // namespace

WebkitFilterView::WebkitFilterView(QWidget *parent)
    : StyleEditorView(QStringLiteral("filter"), parent), m_filter(FilterValue::popoverOptions())
{
    auto *layout = new QFormLayout(this);
    layout->setContentsMargins(10, 10, 10, 10);
    for (const SliderRow &row : kRows) {
        auto *slider = new QSlider(Qt::Horizontal, this);
        slider->setRange(0, row.maximum);
        slider->setFixedWidth(180);
        slider->setAccessibleName(QString::fromLatin1(row.label));
        slider->setObjectName(FilterValue::functionName(row.function));
        m_sliders[row.function] = slider;
        layout->addRow(QString::fromLatin1(row.label), slider);
        const FilterValue::Function function = row.function;
        connect(slider, &QSlider::valueChanged, this, [this, function] { propChange(function); });
    }
    setFixedSize(sizeHint());
}

void WebkitFilterView::parseValue()
{
    m_filter.read(value());
    for (int f = 0; f < FilterValue::FunctionCount; ++f) {
        const QSignalBlocker blocker(m_sliders[f]);
        const double read = m_filter.value(FilterValue::Function(f));
        m_sliders[f]->setValue(int(std::lround(std::clamp(read, -1e9, 1e9))));
    }
}

void WebkitFilterView::propChange(FilterValue::Function function)
{
    m_filter.setValue(function, m_sliders[function]->value());
    setValue(m_filter.write());
    notifyChange(value());
}

#include "FilterEditor.h"

#include "StyleValueMap.h"
#include "ValueFunctionList.h"

#include <QGridLayout>
#include <QLabel>
#include <QSignalBlocker>
#include <QSlider>

#include <cmath>

namespace {

struct SliderRange
{
    const char *title;
    int maximum;
    // Slider steps per unit of the value.
    int scale;
};

SliderRange rangeOf(FilterValue::Function function)
{
    switch (function) {
    case FilterValue::Contrast:
        return {"Contrast", 200, 1};
    case FilterValue::Brightness:
        return {"Brightness", 200, 1};
    case FilterValue::Grayscale:
        return {"Grayscale", 100, 1};
    case FilterValue::Saturate:
        return {"Saturate", 200, 1};
    case FilterValue::Hue:
        return {"Hue", 360, 1};
    case FilterValue::Sepia:
        return {"Sepia", 100, 1};
    case FilterValue::Invert:
        return {"Invert", 100, 1};
    default:
        return {"Blur", 20, 10};
    }
}

} // namespace

FilterEditor::FilterEditor(QWidget *parent)
    : AttributeEditor(parent)
{
    auto *grid = new QGridLayout(this);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->setHorizontalSpacing(6);
    grid->setVerticalSpacing(2);
    for (int f = 0; f < FilterValue::FunctionCount; ++f) {
        const auto function = FilterValue::Function(f);
        const SliderRange range = rangeOf(function);
        auto *title = new QLabel(QString::fromLatin1(range.title), this);
        auto *slider = new QSlider(Qt::Horizontal, this);
        slider->setObjectName(FilterValue::functionName(function));
        slider->setAccessibleName(QString::fromLatin1(range.title));
        slider->setRange(0, range.maximum * range.scale);
        slider->setSingleStep(1);
        slider->setPageStep(10 * range.scale);
        slider->setFocusPolicy(Qt::StrongFocus);
        title->setBuddy(slider);
        auto *label = new QLabel(this);
        label->setMinimumWidth(label->fontMetrics().horizontalAdvance(QStringLiteral("360deg ")));
        label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        grid->addWidget(title, f, 0);
        grid->addWidget(slider, f, 1);
        grid->addWidget(label, f, 2);
        m_sliders[f] = slider;
        m_labels[f] = label;
        connect(slider, &QSlider::valueChanged, this, [this, function] { valueChanged(function); });
    }
    showValues();
}

void FilterEditor::readStyle(StyleValueMap &map)
{
    const auto accept = [](const QList<StyleValueMap::Value> &) { return true; };
    auto values = map.takeIfHeld({QStringLiteral("filter")}, accept);
    if (!values && map.lookup(QStringLiteral("filter")).state == StyleValueMap::State::Absent)
        values = map.takeIfHeld({QStringLiteral("-webkit-filter")}, accept);
    if (!values)
        return;
    setImportant(values->first().important);
    m_filter.read(values->first().text);
    showValues();
}

void FilterEditor::reset()
{
    AttributeEditor::reset();
    m_filter.reset();
    showValues();
}

std::optional<QString> FilterEditor::value() const
{
    const QString text = m_filter.write();
    if (text.isEmpty())
        return std::nullopt;
    return text;
}

std::optional<QString> FilterEditor::styleRepresentation() const
{
    const std::optional<QString> text = value();
    if (!text)
        return std::nullopt;
    // The list ends with a blank; before the priority one is enough.
    return declaration(QStringLiteral("filter"), isImportant() ? text->trimmed() : *text);
}

QWidget *FilterEditor::firstControl() const
{
    return m_sliders[FilterValue::Contrast];
}

void FilterEditor::valueChanged(FilterValue::Function function)
{
    m_filter.setValue(function, double(m_sliders[function]->value()) / rangeOf(function).scale);
    showValues();
    notifyChange();
}

void FilterEditor::showValues()
{
    for (int f = 0; f < FilterValue::FunctionCount; ++f) {
        const auto function = FilterValue::Function(f);
        const double value = m_filter.value(function);
        const QSignalBlocker blocker(m_sliders[f]);
        m_sliders[f]->setValue(int(std::lround(value * rangeOf(function).scale)));
        m_labels[f]->setText(ValueFunctionList::formatShortest(value) + FilterValue::unit(function));
    }
}

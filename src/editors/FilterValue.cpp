#include "FilterValue.h"

#include "ValueFunctionList.h"

#include <cmath>
#include <numbers>

namespace {

const std::array<const char *, FilterValue::FunctionCount> &names()
{
    static const std::array<const char *, FilterValue::FunctionCount> list{
        "contrast", "brightness", "grayscale", "saturate", "hue-rotate", "sepia", "invert", "blur"};
    return list;
}

int functionIndex(const QString &lowerName)
{
    for (int f = 0; f < FilterValue::FunctionCount; ++f) {
        if (lowerName == QLatin1String(names()[f]))
            return f;
    }
    return -1;
}

// A converted number without the binary rest of the conversion: 1.1 as a
// fraction is 110, not 110.00000000000001.
double rounded(double value)
{
    return std::round(value * 1e9) / 1e9;
}

// The slider value of one argument, or nothing when the slider cannot hold
// it as written.
std::optional<double> sliderValue(FilterValue::Function function, const QString &argument)
{
    ValueFunctionList::Number number;
    if (!ValueFunctionList::readNumber(argument, &number))
        return std::nullopt;
    bool ok = false;
    const double value = number.number.toDouble(&ok);
    if (!ok || !std::isfinite(value))
        return std::nullopt;
    const QString &unit = number.unit;
    switch (function) {
    case FilterValue::Blur:
        if (unit == QLatin1String("px") || (unit.isEmpty() && value == 0))
            return value;
        return std::nullopt;
    case FilterValue::Hue:
        if (unit == QLatin1String("deg") || (unit.isEmpty() && value == 0))
            return value;
        if (unit == QLatin1String("turn"))
            return rounded(value * 360);
        if (unit == QLatin1String("grad"))
            return rounded(value * 0.9);
        if (unit == QLatin1String("rad"))
            return rounded(value * 180 / std::numbers::pi);
        return std::nullopt;
    default:
        if (unit == QLatin1String("%"))
            return value;
        if (unit.isEmpty())
            return rounded(value * 100);
        return std::nullopt;
    }
}

} // namespace

FilterValue::Options FilterValue::panelOptions()
{
    return {{Hue, Saturate, Brightness, Grayscale, Contrast, Invert, Sepia, Blur}};
}

FilterValue::Options FilterValue::popoverOptions()
{
    return {{Blur, Brightness, Contrast, Grayscale, Hue, Invert, Saturate, Sepia}};
}

FilterValue::FilterValue(Options options)
    : m_options(std::move(options))
{
    reset();
}

QString FilterValue::functionName(Function function)
{
    return QLatin1String(names()[function]);
}

QString FilterValue::unit(Function function)
{
    switch (function) {
    case Hue:
        return QStringLiteral("deg");
    case Blur:
        return QStringLiteral("px");
    default:
        return QStringLiteral("%");
    }
}

double FilterValue::neutralValue(Function function)
{
    switch (function) {
    case Contrast:
    case Brightness:
    case Saturate:
        return 100;
    default:
        return 0;
    }
}

void FilterValue::reset()
{
    for (int f = 0; f < FunctionCount; ++f)
        m_values[f] = neutralValue(Function(f));
    m_kept.clear();
    m_keywords.clear();
}

void FilterValue::read(const QString &text)
{
    reset();
    std::array<bool, FunctionCount> seen{};
    for (const ValueFunctionList::Item &item : ValueFunctionList::split(text)) {
        const int f = item.closed ? functionIndex(item.name) : -1;
        if (f >= 0 && !seen[f]) {
            if (const std::optional<double> value = sliderValue(Function(f), item.arguments)) {
                // A neutral function changes nothing and is not written: a
                // later one of its kind takes the slider, or it would come
                // back as the slider's once its first was dropped.
                m_values[f] = *value;
                seen[f] = *value != neutralValue(Function(f));
                continue;
            }
        }
        // A bare word ("none", "inherit") stands only while nothing else does.
        if (item.isFunction() || !item.closed)
            m_kept.append(item.text);
        else
            m_keywords.append(item.text);
    }
}

QString FilterValue::write() const
{
    QString text;
    for (Function f : m_options.writeOrder) {
        const double value = m_values[f];
        if (value == neutralValue(f))
            continue;
        text += functionName(f) + u'(' + ValueFunctionList::formatShortest(value) + unit(f) + QStringLiteral(") ");
    }
    for (const QString &kept : m_kept)
        text += kept + u' ';
    return text.isEmpty() ? m_keywords.join(u' ') : text;
}

QString FilterValue::debugDump() const
{
    QStringList out;
    for (int f = 0; f < FunctionCount; ++f)
        out.append(functionName(Function(f)) + u'=' + ValueFunctionList::formatShortest(m_values[f]));
    return out.join(u' ') + QStringLiteral(" kept=[") + m_kept.join(u'|') + u']';
}

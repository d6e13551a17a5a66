#pragma once

#include <QList>
#include <QString>
#include <QStringList>

#include <array>

// Reads a filter list into the eight slider values of the filter editors and
// writes them back. Percentages are read as they stand and unit-less factors
// as fractions (contrast(1.5) is 150); hue-rotate() in any angle unit is read
// in degrees. A slider at its neutral value writes nothing; brightness and
// contrast are neutral at 100. A neutral function read leaves its slider to a
// later function of its kind. Functions without a slider, repeated ones and
// arguments the sliders cannot hold are kept verbatim after the slider ones.
// Numbers keep their decimals. Used by the panel's filter editor and the
// filter popover, which differ in the order they write.
class FilterValue
{
public:
    // The panel's declaration order.
    enum Function { Contrast, Brightness, Grayscale, Saturate, Hue, Sepia, Invert, Blur, FunctionCount };

    struct Options
    {
        QList<Function> writeOrder;
    };
    static Options panelOptions();
    static Options popoverOptions();

    explicit FilterValue(Options options = panelOptions());

    // Reads a filter list: the functions found set their sliders; the others
    // go back to their reset values.
    void read(const QString &text);
    // Every slider to its reset value; nothing kept.
    void reset();
    // Each function away from its neutral value, followed by one blank, then
    // the kept ones; a bare word read ("none") when there is nothing else;
    // else empty.
    QString write() const;

    double value(Function function) const { return m_values[function]; }
    void setValue(Function function, double value) { m_values[function] = value; }
    const QStringList &keptFunctions() const { return m_kept; }

    static QString functionName(Function function);
    static QString unit(Function function);
    static double neutralValue(Function function);

    QString debugDump() const;

private:
    Options m_options;
    std::array<double, FunctionCount> m_values{};
    QStringList m_kept;
    QStringList m_keywords;
};

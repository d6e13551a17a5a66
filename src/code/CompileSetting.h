#pragma once

#include <QString>
#include <QStringList>

#include <optional>

// One row of the compile pane's option table: the option word (or
// "Compiler" for the row that picks the compressor), its choices in menu
// order and the chosen one. A flag (excludeWithNoValue) is written alone
// when "YES" is chosen and left out otherwise.
class CompileSetting
{
public:
    CompileSetting() = default;
    CompileSetting(QString label, QStringList values, std::optional<int> selectedindex, bool excludeWithNoValue);

    QString label() const { return m_label; }
    void setLabel(const QString &label) { m_label = label; }
    QStringList values() const { return m_values; }
    void setValues(const QStringList &values) { m_values = values; }
    // Absent reads as index 0 and is stored absent.
    std::optional<int> selectedindex() const { return m_selectedindex; }
    void setSelectedindex(std::optional<int> index) { m_selectedindex = index; }
    bool excludeWithNoValue() const { return m_excludeWithNoValue; }
    void setExcludeWithNoValue(bool exclude) { m_excludeWithNoValue = exclude; }

    // The position of the first value equal to the text, -1 when none;
    // changes nothing.
    int setSelectedIndexWithValue(const QString &value) const;
    // The chosen value; empty when the index lies outside the values.
    QString getValueOfSelectedIndex() const;
    // The option's words on the command line.
    QStringList genOptionStatement() const;

    bool operator==(const CompileSetting &other) const = default;

private:
    QString m_label;
    QStringList m_values;
    std::optional<int> m_selectedindex;
    bool m_excludeWithNoValue = false;
};

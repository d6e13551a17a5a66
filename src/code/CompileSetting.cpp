#include "CompileSetting.h"

#include "platform/foundation/Log.h"

CompileSetting::CompileSetting(QString label, QStringList values, std::optional<int> selectedindex,
                               bool excludeWithNoValue)
    : m_label(std::move(label))
    , m_values(std::move(values))
    , m_selectedindex(selectedindex)
    , m_excludeWithNoValue(excludeWithNoValue)
{
}

int CompileSetting::setSelectedIndexWithValue(const QString &value) const
{
    return int(m_values.indexOf(value));
}

QString CompileSetting::getValueOfSelectedIndex() const
{
    const int index = m_selectedindex.value_or(0);
    return index >= 0 && index < m_values.size() ? m_values.at(index) : QString();
}

QStringList CompileSetting::genOptionStatement() const
{
    const QString value = getValueOfSelectedIndex();
    QM_DEBUG(QStringLiteral("%1 %2").arg(m_label, value));
    if (m_excludeWithNoValue)
        return value == QLatin1String("YES") ? QStringList{m_label} : QStringList{};
    return {m_label, value};
}

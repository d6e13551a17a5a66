#include "VendarPrefixSettings.h"

#include <QVariantList>

#include "app/ProjectUtil.h"

VendarPrefixSettings VendarPrefixSettings::fromConfig(const QVariantMap &config)
{
    VendarPrefixSettings settings;
    if (!config.value(ProjectUtil::kOverrideCSS).toBool())
        return settings;
    // The answer depends only on whether some entry is on: the first entry that
    // is on decides, and every entry looks at the same property list.
    const QVariantList entries = config.value(ProjectUtil::kVendarPrefix).toList();
    for (const QVariant &entry : entries) {
        if (entry.toMap().value(QStringLiteral("on")).toBool()) {
            settings.m_enabled = true;
            break;
        }
    }
    if (settings.m_enabled)
        settings.m_properties = config.value(ProjectUtil::kVendarPrefixProperties).toMap();
    return settings;
}

VendarPrefixSettings VendarPrefixSettings::current()
{
    return fromConfig(ProjectUtil::getCurrentProjectConfig());
}

VendarPrefixSettings VendarPrefixSettings::indexed() const
{
    VendarPrefixSettings settings = *this;
    if (!m_enabled || m_indexed)
        return settings;
    settings.m_names.reserve(m_properties.size());
    for (auto it = m_properties.cbegin(); it != m_properties.cend(); ++it)
        settings.m_names.insert(it.key());
    settings.m_indexed = true;
    return settings;
}

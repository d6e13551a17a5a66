#include "VendarPrefixSettings.h"

#include <QVariantList>

#if __has_include("app/ProjectUtil.h")
#include "app/ProjectUtil.h"
#define QUILLMARK_HAS_PROJECT_UTIL 1
#endif

VendarPrefixSettings VendarPrefixSettings::fromConfig(const QVariantMap &config)
{
    VendarPrefixSettings settings;
    if (!config.value(QStringLiteral("overrideCSS")).toBool())
        return settings;
    // The answer depends only on whether some entry is on: the first entry that
    // is on decides, and every entry looks at the same property list.
    const QVariantList entries = config.value(QStringLiteral("vendarPrefix")).toList();
    for (const QVariant &entry : entries) {
        if (entry.toMap().value(QStringLiteral("on")).toBool()) {
            settings.m_enabled = true;
            break;
        }
    }
    if (settings.m_enabled)
        settings.m_properties = config.value(QStringLiteral("vendarPrefixProperties")).toMap();
    return settings;
}

VendarPrefixSettings VendarPrefixSettings::current()
{
#ifdef QUILLMARK_HAS_PROJECT_UTIL
    return fromConfig(ProjectUtil::getCurrentProjectConfig());
#else
    return {};
#endif
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

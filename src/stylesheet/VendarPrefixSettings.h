#pragma once

#include <QLatin1String>
#include <QSet>
#include <QString>
#include <QVariantMap>

#include <unordered_set>

// A snapshot of the vendor-prefix part of a project's settings ("overrideCSS",
// "vendarPrefix", "vendarPrefixProperties"): which formal property names get
// prefixed copies. Cheap to copy; the parser takes one per style sheet so that
// a large sheet does not read the settings once per declaration.
class VendarPrefixSettings
{
public:
    // The keys of a project's settings dictionary that this reads.
    static constexpr QLatin1String kOverrideCSS{"overrideCSS"};
    static constexpr QLatin1String kVendarPrefix{"vendarPrefix"};
    static constexpr QLatin1String kVendarPrefixProperties{"vendarPrefixProperties"};

    // Answers the current project's settings dictionary. The workspace, which
    // knows the current project, installs it; without one nothing is prefixed.
    using ConfigProvider = QVariantMap (*)();
    static void setConfigProvider(ConfigProvider provider);

    VendarPrefixSettings() = default;

    // From a project settings dictionary.
    static VendarPrefixSettings fromConfig(const QVariantMap &config);
    // From the current project's settings, read now.
    static VendarPrefixSettings current();
    // The formal names that get prefixed copies by default, each mapped to YES.
    static QVariantMap defaultProperties();

    // The same answers, with a hash of the names for many lookups in a row.
    VendarPrefixSettings indexed() const;

    // NO when "overrideCSS" is off or no prefix entry is on; otherwise whether
    // "vendarPrefixProperties" holds the name as a key.
    bool isPrefixed(const QString &formalName) const
    {
        if (!m_enabled)
            return false;
        return m_indexed ? m_names.count(formalName) > 0 : m_properties.contains(formalName);
    }

private:
    bool m_enabled = false;
    bool m_indexed = false;
    QVariantMap m_properties;
    struct NameHash
    {
        size_t operator()(const QString &name) const;
    };
    std::unordered_set<QString, NameHash> m_names;
};

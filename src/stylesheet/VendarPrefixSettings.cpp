#include "VendarPrefixSettings.h"

#include "CSSText_p.h"

#include <QVariantList>

#include <atomic>

namespace {

// Set once a project is current; parsing on a worker thread reads it.
std::atomic<VendarPrefixSettings::ConfigProvider> s_configProvider{nullptr};

} // namespace

VendarPrefixSettings VendarPrefixSettings::fromConfig(const QVariantMap &config)
{
    VendarPrefixSettings settings;
    if (!config.value(kOverrideCSS).toBool())
        return settings;
    // The answer depends only on whether some entry is on: the first entry that
    // is on decides, and every entry looks at the same property list.
    const QVariantList entries = config.value(kVendarPrefix).toList();
    for (const QVariant &entry : entries) {
        if (entry.toMap().value(QStringLiteral("on")).toBool()) {
            settings.m_enabled = true;
            break;
        }
    }
    if (settings.m_enabled)
        settings.m_properties = config.value(kVendarPrefixProperties).toMap();
    return settings;
}

VendarPrefixSettings VendarPrefixSettings::current()
{
    const ConfigProvider provider = s_configProvider.load();
    return provider ? fromConfig(provider()) : VendarPrefixSettings();
}

void VendarPrefixSettings::setConfigProvider(ConfigProvider provider)
{
    s_configProvider.store(provider);
}

size_t VendarPrefixSettings::NameHash::operator()(const QString &name) const
{
    return CSSText::nameHash(name);
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

QVariantMap VendarPrefixSettings::defaultProperties()
{
    // Stored exactly as listed, including the names that are no standard
    // property names: saved settings and the style-sheet model depend on them.
    static const char *const kNames[] = {
        "animation", "animation-name", "animation-duration", "animation-iteration-count",
        "animation-delay", "animation-timing-function", "animation-direction", "animation-play-state",
        "animation-fill-mode", "aspect-ratio", "app-region", "appearance", "backface-visibility",
        "background-blend-mode", "background-composite", "background-inline-policy", "binding",
        "blend-mode", "border-image", "border-image-outset", "border-image-repeat",
        "border-image-slice", "border-image-source", "border-image-width", "border-after",
        "border-after-color", "border-after-style", "border-after-width", "border-before",
        "border-before-color", "border-before-style", "border-before-width", "border-start",
        "border-start-color", "border-start-style", "border-start-width", "border-end",
        "border-end-color", "border-end-style", "border-end-width", "border-fit",
        "border-horizontal-spacing", "border-vertical-spacing", "box-align", "box-orient", "box-flex",
        "box-direction", "box-flex-group", "box-lines", "box-ordinal-group", "box-pack", "columns",
        "column-fill", "column-count", "column-gap", "column-width", "column-rule", "column-rule-width",
        "column-rule-style", "column-rule-color", "column-columns", "column-column-span", "column-axis",
        "column-break-after", "column-break-before", "column-break-inside", "column-progression",
        "column-span", "dashboard-region", "device-pixel-ratio", "filter", "font-smoothing",
        "font-feature-settings", "font-kerning", "font-size-delta", "font-variant-ligatures",
        "flow-from", "flow-into", "grid-after", "grid-auto-columns", "grid-auto-flow", "grid-auto-rows",
        "grid-brefore", "grid-column-align", "grid-column-span", "grid-start", "grid-column",
        "grid-columns", "grid-row", "grid-rows", "hyphens", "highlight", "hyphenate-character",
        "hyphenate-charset", "hyphenate-limit-after", "hyphenate-limit-before", "hyphenate-limit-lines",
        "hyphenate-limit-chars", "hyphenate-limit-zone", "line-align", "line-box-contain", "line-break",
        "line-clamp", "line-grid", "locale", "logical-height", "logical-width", "marquee",
        "marquee-dir", "marquee-direction", "marquee-increment", "marquee-loop", "marquee-repetition",
        "marquee-speed", "marquee-style", "margin-after", "margin-after-collapse", "margin-before",
        "margin-before-collapse", "margin-bottom-collapse", "margin-end", "margin-start",
        "margin-top-collapse", "mask", "mask-attachment", "mask-box-image", "mask-box-image-outset",
        "mask-box-image-repeat", "mask-box-image-slice", "mask-box-image-source",
        "mask-box-image-width", "mask-clip", "mask-composite", "mask-image", "mask-origin",
        "mask-origin-x", "mask-origin-y", "mask-repeat", "mask-repeat-x", "mask-repeat-y", "mask-size",
        "mask-type", "mask-position-x", "mask-position-y", "match-nearest-mail-blockquote-color",
        "min-logical-height", "min-logical-width", "maxlogical-height", "max-logical-width",
        "min-device-pixel-ratio", "max-device-pixel-ratio", "nbsp-mode", "overflow-scrolling",
        "padding-after", "padding-before", "padding-end", "padding-start", "print-color-adjust",
        "perspective", "perspective-origin", "perspective-origin-x", "perspective-origin-y",
        "region-break-after", "region-break-before", "region-break-inside", "rtl-ordering",
        "shape-insided", "webkit-shape-outside", "svg-shadow", "tab-size", "transition",
        "transition-property", "transition-delay", "transition-duration", "transition-timing-function",
        "transform", "transform-origin", "transform-origin-x", "transform-origin-y",
        "transform-origin-z", "transform-style", "tap-highlight-color", "text-combine",
        "text-decorations-in-effect", "text-emphasis", "text-emphasis-color", "text-emphasis-position",
        "text-emphasis-style", "text-fill-color", "text-orientation", "text-security",
        "text-size-adjust", "text-size-stroke", "text-size-stroke-color", "text-size-stroke-width",
        "text-touch-callout", "user-select",
    };
    QVariantMap properties;
    for (const char *name : kNames)
        properties.insert(QString::fromLatin1(name), true);
    return properties;
}

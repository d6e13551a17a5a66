#include "DictionaryCSSDefinition.h"

#include <algorithm>

namespace DictionaryCSSDefinition {

namespace {

const QString kVendarPrefixes = QStringLiteral("vendarPrefixes");

} // namespace

QStringList findAllPropertyName(const QVariantMap &definition)
{
    QStringList names = definition.keys();
    std::sort(names.begin(), names.end(), [](const QString &a, const QString &b) {
        return QString::localeAwareCompare(a, b) < 0;
    });
    return names;
}

std::optional<QVariantMap> findPropertyDefinition(const QVariantMap &definition,
                                                  const QString &property)
{
    const auto it = definition.constFind(property);
    if (it == definition.constEnd())
        return std::nullopt;
    return it->toMap();
}

std::optional<QStringList> vendarPrefixNamesOf(const QVariantMap &definition,
                                               const QString &property)
{
    const std::optional<QVariantMap> entry = findPropertyDefinition(definition, property);
    if (!entry || !entry->contains(kVendarPrefixes))
        return std::nullopt;
    return entry->value(kVendarPrefixes).toMap().keys();
}

QVariant supportBrowsersOfProperty(const QVariantMap &definition, const QString &property,
                                   const QString &prefix)
{
    const std::optional<QVariantMap> entry = findPropertyDefinition(definition, property);
    if (!entry)
        return QVariant();
    return entry->value(kVendarPrefixes).toMap().value(prefix);
}

QStringList findVendarPrefixPropertyNames(const QVariantMap &definition)
{
    QStringList names;
    for (auto it = definition.cbegin(); it != definition.cend(); ++it) {
        const QStringList prefixes
            = vendarPrefixNamesOf(definition, it.key()).value_or(QStringList());
        if (prefixes.size() == 1 && prefixes.first() == u"W3C")
            continue;
        names.append(it.key());
    }
    return names;
}

QStringList findVendarPrefixPropertyNamesOf(const QVariantMap &, const QString &)
{
    return {};
}

std::optional<QVariantMap> computedSupport(const QVariantMap &definition, const QString &property,
                                           float)
{
    if (!definition.contains(property))
        return std::nullopt;
    return QVariantMap();
}

} // namespace DictionaryCSSDefinition

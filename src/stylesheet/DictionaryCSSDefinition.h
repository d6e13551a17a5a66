#pragma once

#include <QStringList>
#include <QVariant>
#include <QVariantMap>

#include <optional>

// Lookups on the CSS definition dictionary (WebCoreObjects::cssDefinition()):
// property name -> {"vendarPrefixes": {prefix name -> support value}}.
namespace DictionaryCSSDefinition {

// All property names, sorted with the locale-aware comparison.
QStringList findAllPropertyName(const QVariantMap &definition);
// The property's entry; absent when the name is not a key.
std::optional<QVariantMap> findPropertyDefinition(const QVariantMap &definition,
                                                  const QString &property);
// The prefix names of the entry's "vendarPrefixes" ("W3C" for the standard
// form); absent when the property or its "vendarPrefixes" object is missing.
std::optional<QStringList> vendarPrefixNamesOf(const QVariantMap &definition,
                                               const QString &property);
// The support value stored for the prefix; invalid when absent.
QVariant supportBrowsersOfProperty(const QVariantMap &definition, const QString &property,
                                   const QString &prefix);
// Every property whose prefix names are not exactly "W3C" alone (an entry
// without prefixes counts as prefixed), in key order.
QStringList findVendarPrefixPropertyNames(const QVariantMap &definition);
// Always an empty list.
QStringList findVendarPrefixPropertyNamesOf(const QVariantMap &definition, const QString &property);
// An empty map when the property exists, absent otherwise.
std::optional<QVariantMap> computedSupport(const QVariantMap &definition, const QString &property,
                                           float version);

} // namespace DictionaryCSSDefinition

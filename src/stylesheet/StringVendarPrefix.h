#pragma once

#include <QString>

// Vendor-prefix operations on property names and values. A vendor prefix is
// written "-webkit-": a dash, the vendor word, a dash; a formal name is a name
// without it. Custom properties ("--name") and negative numbers ("-1px") carry
// no vendor prefix.
namespace StringVendarPrefix {

// True when the text starts with a dash followed by a letter, the shape of a
// vendor-prefixed name or value.
bool hasVendarPrefix(QStringView text);

// "-webkit-box-shadow" gives "box-shadow"; a vendor-prefixed value loses its
// prefix the same way ("-webkit-transform 1s" gives "transform 1s"); any text
// without a vendor prefix comes back unchanged.
QString formalPropertyName(const QString &text);

// "-moz-transition" gives "-moz-"; empty for a text without a vendor prefix.
QString prefix(const QString &text);

// Whether the current project writes prefixed copies of the formal name.
// Reads the current project's settings on every call.
bool isVenderPrefixOfProject(const QString &formalName);

} // namespace StringVendarPrefix

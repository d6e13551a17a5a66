#pragma once

#include <QHash>
#include <QList>
#include <QString>

#include <functional>
#include <optional>

// Changes attributes inside the text of a start tag as the author wrote it:
// an attribute set gets its new value between its own quotes (an unquoted
// value that cannot stay unquoted gets the quotes the tag uses), one removed
// leaves with the white space before it, one added goes after the last
// attribute with the tag's quotes. Everything else of the tag stays as it is.
namespace StartTagText {

// The tag's text with the changes made: attribute name (any letter case)
// to its new value, or none to remove it. Added names follow the order of
// added. escape turns a value into its text (character references).
QString withAttributes(const QString &tag, const QHash<QString, std::optional<QString>> &changes,
                       const QList<QString> &added, const std::function<QString(const QString &)> &escape);

} // namespace StartTagText

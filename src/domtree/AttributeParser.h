#pragma once

#include <QList>
#include <QString>
#include <QVariantMap>

// Reads the attribute text typed after a tag name in the DOM tree's row editor
// ("class=\"a b\" title='x' hidden") into an attribute list: one {"name",
// "value"} map per attribute, in order; a name without a value has "". Values
// are quoted with either quote kind or unquoted up to the next space; "=" and
// spaces inside quotes belong to the value; there are no escapes. It never
// fails: text that does not fit gives fewer entries or odd names, which the
// caller's name check refuses.
class AttributeParser
{
public:
    static QList<QVariantMap> parseAttributes(const QString &text);
};

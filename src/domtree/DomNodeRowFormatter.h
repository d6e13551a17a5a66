#pragma once

#include <QString>
#include <QVariant>

// The formatter of a DOM tree row's text: it passes the text through
// unchanged, in both directions, and accepts any partial text.
class DomNodeRowFormatter
{
public:
    // The value when it is a string, else "".
    static QString stringForObjectValue(const QVariant &value);
    static QString editingStringForObjectValue(const QVariant &value) { return stringForObjectValue(value); }
    static bool getObjectValue(QVariant *value, const QString &string);
    static bool isPartialStringValid(const QString &) { return true; }
};

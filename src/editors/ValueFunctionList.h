#pragma once

#include <QList>
#include <QString>

// Splits a value such as a transform or filter list into its top-level
// items: functions (with nested parentheses kept inside their arguments) and
// bare words. An unclosed function takes the rest of the text. Qt widgets
// are not needed, so the popover editors share it.
class ValueFunctionList
{
public:
    struct Item
    {
        // Lower case; empty for a bare word.
        QString name;
        // Between the outer parentheses; empty for a word.
        QString arguments;
        // The item as written.
        QString text;
        qsizetype location = 0;
        bool closed = true;

        bool isFunction() const { return !name.isEmpty(); }
    };

    static QList<Item> split(const QString &text);

    // A number with an optional unit ("12.5px", "-3", "45DEG"); the unit is
    // answered in lower case.
    struct Number
    {
        QString number;
        QString unit;
    };
    static bool readNumber(const QString &piece, Number *out);
    // The number a text begins with, white space skipped; 0 without one.
    static double leadingNumber(const QString &text, bool *ok = nullptr);
    // The shortest exact form with one decimal at least: 45 gives "45.0",
    // 0.25 "0.25", 12.345 "12.345".
    static QString formatDecimal(double value);
    // The shortest exact form: 45 gives "45", 0.5 "0.5".
    static QString formatShortest(double value);
};

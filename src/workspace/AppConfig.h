#pragma once

#include <QString>
#include <QStringList>

// The formatting constants shared by the writers of style-sheet text: the
// indent unit and the vendor prefixes, in the order copies are written.
class AppConfig
{
public:
    static AppConfig *getInstance();

    int indentCount() const { return 4; }
    QString indentChar() const { return QStringLiteral(" "); }
    // indentChar() repeated indentCount() times.
    QString indent() const;
    // indent() twice.
    QString indent2() const;
    // "-webkit", "-moz", "-o", "-ms": a new list on every call.
    QStringList vendarPrefixes() const;

private:
    AppConfig() = default;
};

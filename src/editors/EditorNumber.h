#pragma once

#include <QString>
#include <QStringView>

#include <optional>

// Numbers of the style-attribute editors as CSS writes them: C locale, the
// shortest text that reads back exactly, never an exponent, zero as "0".
namespace EditorNumber {

QString cssNumber(double value);

// A number at the start of the text (an optional sign, digits with an
// optional fraction; no exponent) and the text after it.
struct Scanned
{
    double value = 0;
    QString rest;
};
std::optional<Scanned> scanNumber(QStringView text);

// The units of the editors' unit menus; "none" stands for no unit.
const QStringList &lengthUnits();
// "none" for the empty unit, the unit itself otherwise.
QString unitTitle(const QString &unit);
// The empty unit for "none".
QString unitFromTitle(const QString &title);
// A unit the menus hold ("" included).
bool isKnownUnit(const QString &unit);

// The stepper's sum without the binary rest of decimal steps (0.1 + 0.2).
double stepped(double value);

} // namespace EditorNumber

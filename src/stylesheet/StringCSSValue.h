#pragma once

#include <QStringList>

// Word splitting of CSS values.
namespace StringCSSValue {

// The words of a value, split at single blanks (two blanks in a row give an
// empty word), with a parenthesised group such as "rgb(0, 0, 0)" kept as one
// word. A group still open at the end is dropped.
QStringList getValues(const QString &value);

} // namespace StringCSSValue

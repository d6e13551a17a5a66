#pragma once

#include <QStringList>

// Word splitting of CSS values.
namespace StringCSSValue {

// The words of a value, split at single blanks (two blanks in a row give an
// empty word), with a parenthesised group such as "rgb(0, 0, 0)" kept as one
// word. A group still open at the end is dropped.
QStringList getValues(const QString &value);

// The components of a value as CSS reads them: split at white space outside
// parentheses, brackets and quotes, with a "/" there standing alone ("calc(1px
// + 2px)  0/1px" gives "calc(1px + 2px)", "0", "/", "1px"); no empty ones.
QStringList components(const QString &value);

// Whether the value holds a substitution (var(), env(), attr()), which may
// stand for any number of components: such a value cannot be split.
bool hasSubstitution(const QString &value);

// The value after an edit as a minified sheet writes it: in the part that
// differs from the value before, the blanks CSS does not need (around a
// comma, after "(", before ")" and before "!important") are left out;
// quoted text, and the rest of the value, stay as they are ("rgb(1, 2, 3)"
// gives "rgb(1,2,3)").
QString compactedEdit(const QString &before, const QString &after);

} // namespace StringCSSValue

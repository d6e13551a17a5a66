#pragma once

#include <QList>
#include <QString>

// A scanned CSS value made of function calls: a word ("red", "45deg"), a list
// (a word list such as "to right", or a node list: a function node followed by
// the words after its ")", as in "rgba(0,0,0,0.5) 10%"), or a function node
// with its name and arguments. Plain values; callers rewrite them in place.
struct CSSStructure
{
    enum class Kind { Word, List, Function };

    Kind kind = Kind::Word;
    QString text;              // the word, or the function's name
    QList<CSSStructure> items; // the list's elements, or the function's arguments

    static CSSStructure word(const QString &text) { return CSSStructure{Kind::Word, text, {}}; }
    static CSSStructure list(const QList<CSSStructure> &items)
    {
        return CSSStructure{Kind::List, {}, items};
    }
    static CSSStructure function(const QString &name, const QList<CSSStructure> &arguments = {})
    {
        return CSSStructure{Kind::Function, name, arguments};
    }

    bool isWord() const { return kind == Kind::Word; }
    bool isList() const { return kind == Kind::List; }
    bool isFunction() const { return kind == Kind::Function; }

    friend bool operator==(const CSSStructure &, const CSSStructure &) = default;
};

// Turns a CSS value built from function calls, such as
// "linear-gradient(to right, rgba(0,0,0,0.5) 10%, red)", into a tree of
// function nodes and prints such a tree back. A scanner, not a grammar: it
// cuts the text at "(", ")" and ",". Top-level calls after the first are
// not split into layers.
namespace NSScannerUtil {

// The outermost function node of the text, or the text itself as a word when
// it holds no function call or nests calls more than 64 deep.
CSSStructure cssFunctionStructure(const QString &text);
// A word as it is; a function as "name(arg, arg)"; a list's elements joined
// by one blank.
QString cssStructureToString(const CSSStructure &structure);
// Adds a piece of text to the arguments: ignored when invalid; its words
// follow a last function node as a node list; otherwise one word, or a word
// list of several.
void mergeArguments(QList<CSSStructure> &arguments, const QString &piece);
// True for exactly "(", ")", "," and " ".
bool isInvalidValue(const QString &piece);

} // namespace NSScannerUtil

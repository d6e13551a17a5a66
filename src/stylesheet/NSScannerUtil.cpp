#include "NSScannerUtil.h"

#include "foundation/ScannerUtils.h"
#include "platform/foundation/Scanner.h"

namespace NSScannerUtil {

namespace {

// Calls nested deeper are no value this program rewrites.
constexpr qsizetype kMaxDepth = 64;

// The words of a piece; runs of white space separate them.
QStringList wordsOf(const QString &piece)
{
    return piece.split(u' ', Qt::SkipEmptyParts);
}

// Adds the piece that ends at a ")" as the last argument of its call.
// `previous` is the delimiter that came before the piece.
void addLastArgument(QList<CSSStructure> &arguments, const QString &piece, const QString &previous)
{
    if (previous == u")" && !arguments.isEmpty()) {
        // Words after a nested call belong to it: "rgba(0,0,0,0.5) 10%".
        CSSStructure &last = arguments.last();
        if (last.isList()) {
            for (const QString &word : wordsOf(piece)) {
                if (!isInvalidValue(word))
                    last.items.append(CSSStructure::word(word));
            }
            return;
        }
        mergeArguments(arguments, piece);
        return;
    }
    if (isInvalidValue(piece))
        return;
    const QStringList words = wordsOf(piece);
    if (words.size() == 1) {
        arguments.append(CSSStructure::word(words.first()));
    } else if (words.size() > 1) {
        QList<CSSStructure> list;
        for (const QString &word : words)
            list.append(CSSStructure::word(word));
        arguments.append(CSSStructure::list(list));
    }
}

} // namespace

bool isInvalidValue(const QString &piece)
{
    return piece == u"(" || piece == u")" || piece == u"," || piece == u" ";
}

void mergeArguments(QList<CSSStructure> &arguments, const QString &piece)
{
    if (isInvalidValue(piece))
        return;
    const QStringList words = wordsOf(piece);
    if (words.isEmpty())
        return;
    if (!arguments.isEmpty() && arguments.last().isFunction()) {
        QList<CSSStructure> list{arguments.last()};
        for (const QString &word : words)
            list.append(CSSStructure::word(word));
        arguments.last() = CSSStructure::list(list);
        return;
    }
    if (words.size() == 1) {
        arguments.append(CSSStructure::word(words.first()));
        return;
    }
    QList<CSSStructure> list;
    for (const QString &word : words)
        list.append(CSSStructure::word(word));
    arguments.append(CSSStructure::list(list));
}

CSSStructure cssFunctionStructure(const QString &text)
{
    if (!text.contains(u'('))
        return CSSStructure::word(text);
    QList<CSSStructure> stack; // the open calls, outermost first
    bool outermostClosed = false;
    QStringList trailingWords; // after the outermost call's ")"
    bool tooDeep = false;
    Scanner scanner(text);
    ScannerUtils::scanWithCharacterSet(
        scanner, CharacterSet::characterSetWithCharactersInString(QStringLiteral("(),")),
        [&](const QString &character, const QString &previous, QString &piece, bool) {
            if (tooDeep)
                return;
            if (character == u"(") {
                if (stack.size() >= kMaxDepth) {
                    tooDeep = true;
                    return;
                }
                // Two delimiters in a row pass the first as the piece: no name.
                stack.append(CSSStructure::function(isInvalidValue(piece) ? QString() : piece));
                return;
            }
            if (stack.isEmpty())
                return;
            if (character == u",") {
                mergeArguments(stack.last().items, piece);
            } else if (character == u")") {
                addLastArgument(stack.last().items, piece, previous);
                if (stack.size() >= 2) {
                    CSSStructure call = stack.takeLast();
                    stack.last().items.append(call);
                } else {
                    outermostClosed = true;
                }
            } else if (outermostClosed && stack.size() == 1) {
                if (!isInvalidValue(piece))
                    trailingWords += wordsOf(piece);
            } else {
                // Text after the last delimiter of an unclosed call.
                mergeArguments(stack.last().items, piece);
            }
        });
    // No value nests calls this deep; it is kept as one word.
    if (stack.isEmpty() || tooDeep)
        return CSSStructure::word(text);
    // Calls left open at the end are closed where they stand.
    while (stack.size() >= 2) {
        CSSStructure call = stack.takeLast();
        stack.last().items.append(call);
    }
    if (trailingWords.isEmpty())
        return stack.first();
    // Words after the call: "url(a.png) no-repeat" is a node list.
    QList<CSSStructure> list{stack.first()};
    for (const QString &word : std::as_const(trailingWords))
        list.append(CSSStructure::word(word));
    return CSSStructure::list(list);
}

QString cssStructureToString(const CSSStructure &structure)
{
    switch (structure.kind) {
    case CSSStructure::Kind::Word:
        return structure.text;
    case CSSStructure::Kind::Function: {
        QString text = structure.text + u'(';
        for (qsizetype i = 0; i < structure.items.size(); ++i) {
            if (i > 0)
                text += QStringLiteral(", ");
            text += cssStructureToString(structure.items[i]);
        }
        return text + u')';
    }
    case CSSStructure::Kind::List: {
        QString text;
        for (qsizetype i = 0; i < structure.items.size(); ++i) {
            if (i > 0)
                text += u' ';
            text += cssStructureToString(structure.items[i]);
        }
        return text;
    }
    }
    return QString();
}

} // namespace NSScannerUtil

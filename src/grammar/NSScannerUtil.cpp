#include "NSScannerUtil.h"

#if __has_include("foundation/ScannerUtils.h")
#include "foundation/ScannerUtils.h"
#include "platform/foundation/Scanner.h"
#define QUILLMARK_HAS_SCANNER_UTILS 1
#endif

namespace NSScannerUtil {

namespace {

// The words of a piece; runs of white space separate them.
QStringList wordsOf(const QString &piece)
{
    return piece.split(u' ', Qt::SkipEmptyParts);
}

// Adds the piece that ends at a ")" as the last argument of its call.
// `previous` is the delimiter that came before the piece.
[[maybe_unused]] void addLastArgument(QList<CSSStructure> &arguments, const QString &piece, const QString &previous)
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
#ifdef QUILLMARK_HAS_SCANNER_UTILS
    QList<CSSStructure> stack; // the open calls, outermost first
    bool outermostClosed = false;
    QStringList trailingWords; // after the outermost call's ")"
    Scanner scanner(text);
    ScannerUtils::scanWithCharacterSet(
        scanner, CharacterSet::characterSetWithCharactersInString(QStringLiteral("(),")),
        [&](const QString &character, const QString &previous, QString &piece, bool) {
            if (character == u"(") {
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
    if (stack.isEmpty())
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
#else
    return CSSStructure::word(text);
#endif
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

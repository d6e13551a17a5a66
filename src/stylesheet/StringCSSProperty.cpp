#include "StringCSSProperty.h"

#include "CSSScan_p.h"
#include "CSSText_p.h"

#include <algorithm>

namespace StringCSSProperty {

namespace {

// The text without its leading and trailing blanks and tabs, shared when
// there is nothing to trim.
QString trimmedShared(const QString &text)
{
    const qsizetype length = text.size();
    if (length == 0
        || (text[0] != u' ' && text[0] != u'\t' && text[length - 1] != u' '
            && text[length - 1] != u'\t'))
        return text;
    return CSSText::trimmedBlanks(text);
}

} // namespace

QString cleanBody(const QString &body)
{
    const QChar *text = body.constData();
    const qsizetype length = body.size();
    // Most bodies have nothing to change: share them.
    bool needsWork = false;
    for (qsizetype i = 0; i < length && !needsWork; ++i) {
        const char16_t c = text[i].unicode();
        needsWork = c == u'\n' || c == u'\r' || c == u'\t' || c == u'\f'
                    || (c == u'/' && i + 1 < length && text[i + 1] == u'*');
    }
    if (!needsWork)
        return trimmedShared(body);

    QString out;
    out.reserve(length);
    qsizetype runStart = 0; // start of the run of text still to copy
    bool noCloseAhead = false;
    for (qsizetype i = 0; i < length; ++i) {
        const QChar c = text[i];
        if (CSSText::isWhiteSpace(c)) {
            // White space that holds a line break or a tab becomes one blank:
            // it separates, as any white space does in CSS.
            qsizetype runEnd = i;
            bool breaks = false;
            while (runEnd < length && CSSText::isWhiteSpace(text[runEnd])) {
                breaks = breaks || text[runEnd] != u' ';
                ++runEnd;
            }
            if (breaks) {
                out.append(text + runStart, i - runStart);
                out += u' ';
                runStart = runEnd;
            }
            i = runEnd - 1;
            continue;
        }
        if (c == u'"' || c == u'\'' || c == u'\\' || c == u'(') {
            // Strings, escaped characters and url() stay as written.
            i = std::max(i, CSSText::opaqueEnd(body, i) - 1);
        } else if (c == u'/' && i + 1 < length && text[i + 1] == u'*' && !noCloseAhead) {
            const qsizetype close = body.indexOf(QLatin1String("*/"), i + 2);
            // Without a "*/" ahead no later comment can close either.
            noCloseAhead = close < 0;
            if (close >= 0) {
                out.append(text + runStart, i - runStart);
                i = close + 1;
                runStart = close + 2;
            }
        }
    }
    out.append(text + runStart, length - runStart);
    return CSSText::trimmedBlanks(out);
}

namespace {

// The piece begins, after blanks and comments, with "--": a custom property,
// whose value may hold a {} block.
bool isCustomProperty(QStringView piece)
{
    qsizetype i = 0;
    while (i < piece.size()) {
        if (CSSText::isWhiteSpace(piece[i])) {
            ++i;
        } else if (piece.mid(i, 2) == u"/*") {
            const qsizetype close = piece.indexOf(u"*/", i + 2);
            if (close < 0)
                return false;
            i = close + 2;
        } else {
            return piece.mid(i, 2) == u"--";
        }
    }
    return false;
}

// A nested at-rule ("@media ... { }", "@apply ...;") is no declaration.
bool isAtRule(QStringView piece)
{
    for (const QChar c : piece) {
        if (!CSSText::isWhiteSpace(c))
            return c == u'@';
    }
    return false;
}

} // namespace

DeclarationViews declarationViews(QStringView text)
{
    DeclarationViews pieces;
    const QChar *data = text.data();
    const qsizetype length = text.size();
    qsizetype pieceStart = 0;
    // Closers of the brackets open in the current piece.
    QVarLengthArray<char16_t, 16> nest;
    // The piece is a nested rule: it ends with the "}" of its block.
    bool nestedRule = false;
    bool noCloseAhead = false;
    const auto endPiece = [&](qsizetype end) {
        const QStringView piece = text.mid(pieceStart, end - pieceStart);
        if (!isAtRule(piece))
            pieces.append(piece);
    };
    for (qsizetype i = 0; i < length; ++i) {
        i = CSSScan::findFirstOf<u'"', u'\'', u'/', u'\\', u'(', u')', u'[', u']', u'{', u'}', u';'>(
                data + i, data + length)
            - data;
        if (i >= length)
            break;
        const char16_t c = data[i].unicode();
        switch (c) {
        case u'"':
        case u'\'':
        case u'\\':
        case u'(': {
            // Strings, escaped characters and unquoted url() are opaque.
            const qsizetype after = CSSText::opaqueEnd(text, i);
            if (after > i) {
                i = after - 1;
                break;
            }
            nest.append(u')');
            break;
        }
        case u'/':
            // A closed comment is skipped; an unclosed one is plain text.
            if (i + 1 < length && data[i + 1] == u'*' && !noCloseAhead) {
                const qsizetype close = text.indexOf(u"*/", i + 2);
                noCloseAhead = close < 0;
                if (close >= 0)
                    i = close + 1;
            }
            break;
        case u'[':
            nest.append(u']');
            break;
        case u'{':
            if (nest.isEmpty() && !isCustomProperty(text.mid(pieceStart, i - pieceStart)))
                nestedRule = true;
            nest.append(u'}');
            break;
        case u')':
        case u']':
        case u'}':
            // A closer that does not match the open bracket is plain text.
            if (!nest.isEmpty() && nest.last() == c) {
                nest.removeLast();
                if (nest.isEmpty() && nestedRule) {
                    // A nested rule stays text of the body: no declaration.
                    nestedRule = false;
                    pieceStart = i + 1;
                }
            }
            break;
        case u';':
            if (nest.isEmpty()) {
                endPiece(i);
                pieceStart = i + 1;
            }
            break;
        default:
            break;
        }
    }
    // The text after the last ";": the last declaration written without one,
    // or what an unclosed string or group holds.
    if (pieceStart < length && !nestedRule)
        endPiece(length);
    return pieces;
}

QStringList cssProperties(const QString &body)
{
    const QString text = cleanBody(body);
    QStringList pieces;
    for (const QStringView piece : declarationViews(text))
        pieces.append(piece.toString());
    return pieces;
}

} // namespace StringCSSProperty

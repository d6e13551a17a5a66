#include "StringCSSProperty.h"

#include "CSSScan_p.h"
#include "CSSText_p.h"

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
    // Most bodies have nothing to delete: share them.
    bool needsWork = false;
    for (qsizetype i = 0; i < length && !needsWork; ++i) {
        const char16_t c = text[i].unicode();
        needsWork = c == u'\n' || c == u'\r' || c == u'\t'
                    || (c == u'/' && i + 1 < length && text[i + 1] == u'*');
    }
    if (!needsWork)
        return trimmedShared(body);

    QString out;
    out.reserve(length);
    qsizetype runStart = 0; // start of the run of text still to copy
    QChar quote;
    bool noCloseAhead = false;
    for (qsizetype i = 0; i < length; ++i) {
        const QChar c = text[i];
        if (c == u'\n' || c == u'\r' || c == u'\t') {
            out.append(text + runStart, i - runStart);
            runStart = i + 1;
            continue;
        }
        if (!quote.isNull()) {
            if (c == u'\\' && i + 1 < length && text[i + 1] != u'\n' && text[i + 1] != u'\r'
                && text[i + 1] != u'\t')
                ++i;
            else if (c == quote)
                quote = QChar();
            continue;
        }
        if (c == u'"' || c == u'\'') {
            quote = c;
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

DeclarationViews declarationViews(QStringView text)
{
    DeclarationViews pieces;
    const QChar *data = text.data();
    const qsizetype length = text.size();
    qsizetype pieceStart = 0;
    int depth = 0;
    QChar quote;
    bool noCloseAhead = false;
    qsizetype noUrlEndBefore = 0;
    for (qsizetype i = 0; i < length; ++i) {
        if (quote.isNull()) {
            i = CSSScan::findFirstOf<u'"', u'\'', u'/', u'(', u')', u';'>(data + i, data + length)
                - data;
            if (i >= length)
                break;
        }
        const QChar c = data[i];
        if (!quote.isNull()) {
            if (c == u'\\')
                ++i;
            else if (c == quote)
                quote = QChar();
            continue;
        }
        switch (c.unicode()) {
        case u'"':
        case u'\'':
            quote = c;
            break;
        case u'/':
            // A closed comment is skipped; an unclosed one is plain text.
            if (i + 1 < length && data[i + 1] == u'*' && !noCloseAhead) {
                const qsizetype close = text.indexOf(u"*/", i + 2);
                noCloseAhead = close < 0;
                if (close >= 0)
                    i = close + 1;
            }
            break;
        case u'(':
            // An unquoted url() is one opaque run up to its ")".
            if (i >= noUrlEndBefore && CSSText::isUrlOpening(text, i)) {
                const qsizetype close = CSSText::unquotedUrlEnd(text, i);
                if (close > 0) {
                    i = close;
                    break;
                }
                noUrlEndBefore = CSSText::lineEnd(text, i);
            }
            ++depth;
            break;
        case u')':
            // A stray ")" changes nothing.
            if (depth > 0)
                --depth;
            break;
        case u';':
            if (depth == 0) {
                pieces.append(text.mid(pieceStart, i - pieceStart));
                pieceStart = i + 1;
            }
            break;
        default:
            break;
        }
    }
    // The text after the last ";": the last declaration written without one,
    // or what an unclosed string or group holds.
    if (pieceStart < length)
        pieces.append(text.mid(pieceStart));
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

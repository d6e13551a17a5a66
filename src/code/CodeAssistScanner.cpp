#include "CodeAssistScanner.h"

namespace {

bool isLineBreak(QChar c)
{
    return c == u'\n' || c == u'\r' || c == QChar::ParagraphSeparator || c == QChar::LineSeparator;
}

bool isSpaceOrTab(QChar c)
{
    return c == u' ' || c == u'\t';
}

QString trimmedOfSpacesAndTabs(QStringView text)
{
    qsizetype start = 0;
    qsizetype end = text.size();
    while (start < end && isSpaceOrTab(text.at(start)))
        ++start;
    while (end > start && isSpaceOrTab(text.at(end - 1)))
        --end;
    return text.mid(start, end - start).toString();
}

int clampCaret(QStringView text, int caret)
{
    return std::clamp(caret, 0, int(text.size()));
}

enum class Stop { Here, Empty, Go };

// Scans back from the caret; the word runs from just after the stop to the
// caret, and is empty when the scan reaches the start.
template<typename Rule>
QString scanWord(QStringView text, int caret, Rule rule, bool keepStop)
{
    caret = clampCaret(text, caret);
    for (int i = caret - 1; i >= 0; --i) {
        switch (rule(text.at(i))) {
        case Stop::Empty:
            return {};
        case Stop::Here:
            return text.mid(keepStop ? i : i + 1, caret - (keepStop ? i : i + 1)).toString();
        case Stop::Go:
            break;
        }
    }
    return {};
}

} // namespace

QString CodeAssistScanner::word(QStringView text, int caret)
{
    return scanWord(text, caret, [](QChar c) {
        if (c == u'>')
            return Stop::Empty;
        if (c == u' ' || c == u'\t' || isLineBreak(c) || c == u'"' || c == u';' || c == u'<' || c == u'{'
            || c == u'}' || c == u'#') {
            return Stop::Here;
        }
        return Stop::Go;
    }, false);
}

QString CodeAssistScanner::cssWord(QStringView text, int caret)
{
    caret = clampCaret(text, caret);
    for (int i = caret - 1; i >= 0; --i) {
        const QChar c = text.at(i);
        if (c == u'#')
            return trimmedOfSpacesAndTabs(text.mid(i, caret - i));
        if (c == u'\t' || isLineBreak(c) || c == u'"' || c == u';' || c == u'>' || c == u'<' || c == u'{'
            || c == u'}') {
            return trimmedOfSpacesAndTabs(text.mid(i + 1, caret - i - 1));
        }
    }
    return {};
}

QString CodeAssistScanner::valueWord(QStringView text, int caret)
{
    return scanWord(text, caret, [](QChar c) {
        if (c == u'\t' || isLineBreak(c) || c == u'"' || c == u':' || c == u';' || c == u'>' || c == u'<'
            || c == u'{' || c == u'}' || c == u'#') {
            return Stop::Here;
        }
        return Stop::Go;
    }, false);
}

QString CodeAssistScanner::headForInsertionPoint(QStringView text, int caret)
{
    caret = clampCaret(text, caret);
    int open = -1;
    for (int i = caret - 1; i >= 0; --i) {
        if (text.at(i) == u'{')
            return {};
        if (text.at(i) == u'<') {
            open = i;
            break;
        }
    }
    if (open < 0)
        return {};
    int end = open + 1;
    while (end < text.size() && text.at(end) != u'>' && !isSpaceOrTab(text.at(end)) && !isLineBreak(text.at(end)))
        ++end;
    if (end >= text.size())
        return {};
    const QString name = trimmedOfSpacesAndTabs(text.mid(open + 1, end - open - 1));
    return name.startsWith(u'/') ? QString() : name;
}

QString CodeAssistScanner::parentTagText(QStringView text, int caret)
{
    caret = clampCaret(text, caret);
    for (int i = caret - 1; i >= 0; --i) {
        if (text.at(i) == u'>')
            return {};
        if (text.at(i) == u'<') {
            const qsizetype close = text.indexOf(u'>', i);
            return close < 0 ? QString() : text.mid(i, close - i + 1).toString();
        }
    }
    return {};
}

CodeAssistScanner::Classification CodeAssistScanner::classify(QStringView text, int caret, bool styleSheet)
{
    Classification result;
    const int length = int(text.size());
    if (caret < 0 || caret > length)
        return result;

    // The caret's line and its indent.
    int lineStart = caret;
    while (lineStart > 0 && !isLineBreak(text.at(lineStart - 1)))
        --lineStart;
    int lineEnd = caret;
    while (lineEnd < length && !isLineBreak(text.at(lineEnd)))
        ++lineEnd;
    if (lineEnd < length)
        ++lineEnd;
    if (lineEnd == lineStart)
        return result;
    int indent = 0;
    for (int i = lineStart; i < lineEnd; ++i) {
        if (!isSpaceOrTab(text.at(i)) && !isLineBreak(text.at(i))) {
            indent = i - lineStart;
            break;
        }
    }
    if (caret == 0)
        return result;

    // In a tag: a tag name before the caret, a "<" just typed, or a "<"
    // somewhere before a caret at the end of the text.
    const QString currentTag = headForInsertionPoint(text, caret);
    bool inTag = !currentTag.isEmpty();
    if (!inTag) {
        if (text.at(caret - 1) == u'<') {
            inTag = true;
        } else {
            qsizetype lead = 0;
            while (lead < length && isSpaceOrTab(text.at(lead)))
                ++lead;
            qsizetype trail = 0;
            while (trail < length - lead && isSpaceOrTab(text.at(length - 1 - trail)))
                ++trail;
            inTag = caret == length - lead - trail && text.left(caret).contains(u'<');
        }
    }

    if (inTag && !styleSheet) {
        result.tagText = parentTagText(text, caret);
        result.currentTag = currentTag;
        result.parentTag = currentTag;

        // The attribute whose quoted value the caret follows.
        const qsizetype quote = text.left(caret).lastIndexOf(u'"');
        if (quote >= 1 && text.at(quote - 1) == u'=') {
            qsizetype blank = quote - 2;
            while (blank > 0 && text.at(blank) != u' ')
                --blank;
            blank = std::max<qsizetype>(blank, 0);
            result.attributeName = text.mid(blank, quote - 1 - blank).toString();
        }

        for (int pos = caret; pos < length; ++pos) {
            if (pos > 0 && text.at(pos - 1) == u'<') {
                result.codeType = 1;
                break;
            }
            if (text.at(pos) == u'>') {
                result.codeType = 2;
                break;
            }
            if (text.at(pos) == u'<' && pos + 1 < length && text.at(pos + 1) == u'/') {
                for (int back = pos - 1; back >= 0; --back) {
                    if (text.at(back) == u'<') {
                        result.codeType = 1;
                        break;
                    }
                    if (text.at(back) == u'>')
                        break;
                }
                break;
            }
        }
        if (caret == length)
            result.codeType = 1;
    } else {
        // Inside braces: the properties of a rule, or a script's object.
        int before = caret - 1;
        while (before >= 0 && text.at(before) != u'{' && text.at(before) != u'}')
            --before;
        int after = caret - 1;
        while (after < length && text.at(after) != u'{' && text.at(after) != u'}')
            ++after;
        if (before >= 0 && after < length && text.at(before) == u'{' && text.at(after) == u'}') {
            const QStringView head = text.mid(std::max(0, before - 4), before - std::max(0, before - 4) + 1);
            result.codeType = head.contains(u'=') ? 6 : 4;
        } else if (indent == 0) {
            result.codeType = -1;
        }
    }

    if (result.codeType == 1 && (result.parentTag == QLatin1String("style") || result.parentTag == QLatin1String("script")))
        result.codeType = -1;
    return result;
}

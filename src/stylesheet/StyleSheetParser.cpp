#include "StyleSheetParser.h"

#include "CSSScan_p.h"
#include "CSSText_p.h"
#include "StyleComment.h"
#include "StyleSheetScanner_p.h"
#include "StyleSheetLogging.h"
#include "VendarPrefixSettings.h"

#include <algorithm>

namespace {

void logProblems(const StyleSheetScanner &scanner)
{
    const auto &problems = scanner.problems();
    QStringList notes;
    if (problems.unclosedBlocks > 0)
        notes.append(QStringLiteral("%1 block(s) left open, kept to the end of the text")
                         .arg(problems.unclosedBlocks));
    if (problems.unclosedComment)
        notes.append(QStringLiteral("a comment left open, kept to the end of the text"));
    if (problems.tooDeep)
        notes.append(QStringLiteral("at-rule blocks nested more than %1 deep, kept as text of their outer block")
                         .arg(StyleSheetScanner::s_maxItemDepth));
    if (problems.unendedStatement)
        notes.append(QStringLiteral("a statement without \";\""));
    if (problems.trailingText)
        notes.append(QStringLiteral("text after the last rule, kept as an item of its own"));
    if (!notes.isEmpty())
        qCWarning(lcStyleSheet).noquote()
            << "Broken style sheet:" << notes.join(QStringLiteral("; "));
}

// Every piece after the first line break is empty: one line of text.
bool isSingleLine(QStringView text)
{
    qsizetype i = 0;
    const qsizetype length = text.size();
    auto isBreak = [](QChar c) {
        const char16_t u = c.unicode();
        return (u >= 0x0A && u <= 0x0D) || u == 0x85 || u == 0x2028 || u == 0x2029;
    };
    while (i < length && !isBreak(text[i]))
        ++i;
    for (; i < length; ++i) {
        if (!isBreak(text[i]))
            return false;
    }
    return true;
}

} // namespace

QList<StyleDeclarationPtr> StyleSheetParser::parseStyleSheet(const QString &text, File *parentFile)
{
    if (text.isEmpty())
        return {};
    return parseStyleSheet(text, parentFile, VendarPrefixSettings::current());
}

QList<StyleDeclarationPtr> StyleSheetParser::parseStyleSheet(const QString &text, File *parentFile,
                                                             const VendarPrefixSettings &settings)
{
    QList<StyleDeclarationPtr> items;
    if (text.isEmpty())
        return items;

    StyleSheetScanner scanner(text);
    const std::vector<StyleSheetSpan> spans = scanner.scan();
    logProblems(scanner);

    const VendarPrefixSettings prefixSettings = settings.indexed();
    const bool singleLine = isSingleLine(text);
    const QStringView view(text);
    items.reserve(qsizetype(spans.size()));

    // The start and the range end of the last item emitted that is no comment.
    qsizetype lastStart = 0;
    qsizetype lastEnd = 0;
    // The line of the last item and where it starts: items come in text
    // order, so lines are counted from one item to the next.
    qsizetype line = 1;
    qsizetype lineCountedTo = 0;

    for (const StyleSheetSpan &span : spans) {
        const qsizetype s = span.start;
        const Range range{s, span.rangeEnd - s};

        if (span.kind == StyleSheetSpan::Kind::Comment) {
            // Comments inside the last item (its body, its statement, or
            // before the first child of a block) are part of it.
            if (lastStart < s && span.rangeEnd <= lastEnd)
                continue;
            auto comment = std::make_shared<StyleComment>();
            comment->setRange(range);
            comment->setCommentBody(text.mid(s, range.length));
            comment->setParentFile(parentFile);
            items.append(std::move(comment));
            continue;
        }

        auto item = std::make_shared<StyleDeclaration>();
        switch (span.kind) {
        case StyleSheetSpan::Kind::Block:
            // Comments before the "{" are items of their own.
            item->setSelector(CSSText::planeText(view.mid(span.preludeStart, s - span.preludeStart),
                                                 CSSText::Comments::Remove));
            break;
        case StyleSheetSpan::Kind::Namespace:
            item->setSelector(CSSText::planeText(view.mid(span.preludeStart, s - span.preludeStart),
                                                 CSSText::Comments::Remove));
            break;
        default:
            // A statement's comments are no items: they stay in its text.
            item->setSelector(CSSText::planeText(view.mid(s, span.contentEnd - s), CSSText::Comments::Keep));
            break;
        }
        item->setRange(range);
        item->setType(span.type);
        if (span.kind == StyleSheetSpan::Kind::Block || span.kind == StyleSheetSpan::Kind::Namespace)
            item->setBody(text.mid(s + 1, std::max<qsizetype>(0, span.contentEnd - s - 1)), prefixSettings);
        if (span.childIndex >= 0) {
            item->setChildIndex(span.childIndex);
            item->setInBraket(true);
        }
        // The line of the selector's first character, wherever the "{" stands (#86).
        const qsizetype first = span.kind == StyleSheetSpan::Kind::Block || span.kind == StyleSheetSpan::Kind::Namespace
                                    ? selectorStart(text, span.preludeStart, s)
                                    : s;
        if (!singleLine) {
            const QChar *data = text.constData();
            const QChar *end = data + text.size();
            if (first >= lineCountedTo)
                line += CSSScan::countLineBreaks(data + lineCountedTo, data + first, end);
            else
                line -= CSSScan::countLineBreaks(data + first, data + lineCountedTo, end);
            lineCountedTo = first;
        }
        item->setLineNumber(line);
        item->setParentFile(parentFile);
        items.append(std::move(item));

        lastStart = s;
        lastEnd = span.rangeEnd;
    }
    return items;
}

QList<qsizetype> StyleSheetParser::lineEnds(QStringView text)
{
    QList<qsizetype> ends;
    const qsizetype length = text.size();
    ends.reserve(length / 32 + 1);
    // Most texts end their lines with "\n" alone: find those with the
    // vectorised search.
    if (!text.contains(u'\r') && !text.contains(QChar(0x85)) && !text.contains(QChar(0x2028))
        && !text.contains(QChar(0x2029))) {
        for (qsizetype i = text.indexOf(u'\n'); i >= 0; i = text.indexOf(u'\n', i + 1))
            ends.append(i + 1);
        if (ends.isEmpty() || ends.last() < length)
            ends.append(length);
        return ends;
    }
    const QChar *data = text.data();
    for (qsizetype i = 0; i < length; ++i) {
        const char16_t c = data[i].unicode();
        if (c > u'\r' && c != 0x85 && c < 0x2028)
            continue;
        if (c == u'\r') {
            if (i + 1 < length && text[i + 1] == u'\n')
                ++i;
            ends.append(i + 1);
        } else if (c == u'\n' || c == 0x85 || c == 0x2028 || c == 0x2029) {
            ends.append(i + 1);
        }
    }
    if (ends.isEmpty() || ends.last() < length)
        ends.append(length);
    return ends;
}

bool StyleSheetParser::endsAtTopLevel(QStringView text)
{
    StyleSheetScanner scanner(text);
    scanner.scan();
    const StyleSheetScanner::Problems &problems = scanner.problems();
    return problems.unclosedBlocks == 0 && !problems.unclosedComment && !problems.tooDeep && !problems.unendedStatement
           && !problems.trailingText;
}

qsizetype StyleSheetParser::selectorStart(QStringView text, qsizetype boundary, qsizetype blockStart)
{
    qsizetype start = std::clamp<qsizetype>(boundary, 0, blockStart);
    // White space and comments come before it.
    while (start < blockStart) {
        const char16_t c = text[start].unicode();
        if (c == u' ' || c == u'\t' || c == u'\n' || c == u'\r' || c == u'\f') {
            ++start;
        } else if (c == u'/' && start + 1 < blockStart && text[start + 1] == u'*') {
            const qsizetype close = text.indexOf(u"*/", start + 2);
            if (close < 0 || close + 2 > blockStart)
                break;
            start = close + 2;
        } else {
            break;
        }
    }
    return start;
}

qsizetype StyleSheetParser::getLineNum(const QList<qsizetype> &lineEnds,
                                       const StyleDeclaration &declaration)
{
    const qsizetype location = declaration.range().location;
    const auto it = std::upper_bound(lineEnds.cbegin(), lineEnds.cend(), location);
    return qsizetype(it - lineEnds.cbegin()) + 1;
}

bool StyleSheetParser::isRule(QStringView text, QStringView ruleName, qsizetype index)
{
    if (index + ruleName.size() + 1 >= text.size())
        return false;
    return text.mid(index + 1, ruleName.size()).compare(ruleName, Qt::CaseInsensitive) == 0;
}

QString StyleSheetParser::planeSelector(const QString &selector)
{
    return CSSText::planeText(selector, CSSText::Comments::Keep);
}

QString StyleSheetParser::removeComment(const QString &text)
{
    qsizetype open = text.indexOf(QLatin1String("/*"));
    if (open < 0)
        return text;
    QString out;
    out.reserve(text.size());
    qsizetype copied = 0;
    const qsizetype length = text.size();
    // The nearest "*/" and line break at or after a position, kept while
    // they still lie ahead, so that many unclosed comments cost one search.
    qsizetype nextClose = -1;
    qsizetype nextBreak = -1;
    while (open >= 0) {
        if (nextClose != length && nextClose < open + 2) {
            nextClose = text.indexOf(QLatin1String("*/"), open + 2);
            if (nextClose < 0)
                nextClose = length;
        }
        if (nextBreak < open + 2) {
            nextBreak = open + 2;
            while (nextBreak < length && !CSSText::isLineBreak(text[nextBreak]))
                ++nextBreak;
        }
        // The comment must close before the next line break.
        const qsizetype close = nextClose < nextBreak ? nextClose : -1;
        if (close < 0) {
            open = text.indexOf(QLatin1String("/*"), open + 1);
            continue;
        }
        out += QStringView(text).mid(copied, open - copied);
        copied = close + 2;
        open = text.indexOf(QLatin1String("/*"), copied);
    }
    out += QStringView(text).mid(copied);
    return out;
}

QString StyleSheetParser::planeBody(const QString &text)
{
    QString out = text;
    out.remove(u'\n');
    out.remove(u'\r');
    out.remove(u'\t');
    return CSSText::trimmedBlanks(removeComment(out));
}

QString StyleSheetParser::preInitialize(const QString &text)
{
    QString out = text;
    out.remove(u'\n');
    out.remove(u'\t');
    return removeComment(out);
}

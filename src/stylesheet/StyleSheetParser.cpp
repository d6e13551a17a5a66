#include "StyleSheetParser.h"

#include "CSSScan_p.h"
#include "CSSText_p.h"
#include "StyleComment.h"
#include "StyleSheetLogging.h"
#include "VendarPrefixSettings.h"

#include <QRegularExpression>

#include <algorithm>
#include <deque>
#include <vector>

namespace {

// A closed block, ended statement or closed comment of the first pass.
struct Span
{
    qsizetype start = 0; // "{", the statement's at-sign, or the "/" opening a comment
    qsizetype end = 0;   // "}", ";", or the "/" closing a comment
    int type = RuleType::Style;
    qsizetype childIndex = -1; // >= 0 only for spans closed inside a nesting block
};

enum class AtRuleKind { Statement, Nesting, Plain };

struct AtRule
{
    QStringView name;
    int type;
    AtRuleKind kind;
};

// Tried in this order; the first whose name prefixes the at-rule decides.
constexpr AtRule kAtRules[] = {
    {u"charset", RuleType::Charset, AtRuleKind::Statement},
    {u"import", RuleType::Import, AtRuleKind::Statement},
    {u"namespace", RuleType::Other, AtRuleKind::Statement},
    {u"media", RuleType::Media, AtRuleKind::Nesting},
    {u"page", RuleType::Page, AtRuleKind::Nesting},
    {u"font-face", RuleType::FontFace, AtRuleKind::Plain},
    {u"-webkit-keyframes", RuleType::Keyframes, AtRuleKind::Nesting},
    {u"keyframes", RuleType::Keyframes, AtRuleKind::Nesting},
    {u"-moz-keyframes", RuleType::Keyframes, AtRuleKind::Nesting},
    {u"-o-keyframes", RuleType::Keyframes, AtRuleKind::Nesting},
    {u"-ms-keyframes", RuleType::Keyframes, AtRuleKind::Nesting},
    {u"-moz-document", RuleType::Other, AtRuleKind::Nesting},
};

template<typename T>
T popOr(std::vector<T> &stack, T fallback)
{
    if (stack.empty())
        return fallback;
    T value = stack.back();
    stack.pop_back();
    return value;
}

constexpr int kMaxItemDepth = 32;
constexpr int kMaxOpenStatements = 32;

// The first pass: the spans of the text, unsorted.
class SpanScanner
{
public:
    explicit SpanScanner(QStringView text)
        : m_text(text)
    {}

    std::deque<Span> scan()
    {
        const qsizetype length = m_text.size();
        const QChar *t = m_text.data();
        const QChar *end = t + length;
        for (qsizetype i = 0; i < length; ++i) {
            // Only these characters matter to the first pass.
            i = CSSScan::findFirstOf<u'/', u'"', u'\'', u'(', u'{', u'}', u'@', u';'>(t + i, end) - t;
            if (i >= length)
                break;
            const char16_t c = t[i].unicode();
            const char16_t n = i + 1 < length ? t[i + 1].unicode() : 0;
            if (c == u'/' && n == u'*') {
                // The search starts at the "*", so "/*/" opens and closes.
                const qsizetype close = m_text.indexOf(u"*/", i + 1);
                if (close < 0) {
                    // An unclosed comment holds the rest of the text; keep it.
                    m_spans.push_back(Span{i, length - 1, RuleType::Comment});
                    m_problems.unclosedComment = true;
                    break;
                }
                m_spans.push_back(Span{i, close + 1, RuleType::Comment});
                i = close;
                continue;
            }
            switch (c) {
            case u'"':
            case u'\'':
                i = CSSText::quotedStringEnd(m_text, i) - 1;
                break;
            case u'(':
                if (i >= m_noUrlEndBefore && CSSText::isUrlOpening(m_text, i)) {
                    const qsizetype close = CSSText::unquotedUrlEnd(m_text, i);
                    if (close > 0)
                        i = close;
                    else
                        m_noUrlEndBefore = CSSText::lineEnd(m_text, i);
                }
                break;
            case u'{':
                openBlock(i);
                break;
            case u'}':
                if (m_depth > 0)
                    closeBlock(i);
                break;
            case u'@':
                atSign(i, n);
                break;
            case u';':
                if (m_depth == 0 && m_statementCount > 0)
                    endStatement(i);
                break;
            default:
                break;
            }
        }
        // A block still open at the end reaches to the end of the text.
        m_problems.unclosedBlocks = m_depth;
        while (m_depth > 0)
            closeBlock(length);
        // A statement the text ends in without its ";" ends with the text,
        // unless rules follow it, which would then be written twice.
        if (m_statementCount > 0 && !m_positions.empty()
            && std::none_of(m_spans.cbegin(), m_spans.cend(), [this](const Span &span) {
                   return span.type != RuleType::Comment && span.start > m_positions.back();
               })) {
            m_problems.unendedStatement = true;
            endStatement(length);
        }
        return std::move(m_spans);
    }

    // What the text got wrong, for one log line per sheet.
    struct Problems
    {
        int unclosedBlocks = 0;
        bool unclosedComment = false;
        bool tooDeep = false;
        bool tooManyStatements = false;
        bool unendedStatement = false;
    };
    const Problems &problems() const { return m_problems; }

private:
    void openBlock(qsizetype i)
    {
        ++m_depth;
        m_positions.push_back(i);
        if (m_nestingCount == 0) {
            m_types.push_back(m_pendingType);
        } else if (!m_ownBrace && !m_types.empty()) {
            // The nesting at-rule pushed its type at its at-sign.
            m_ownBrace = true;
        } else if (m_types.empty()) {
            m_types.push_back(m_pendingType);
        } else {
            m_types.push_back(m_types.back() == RuleType::Keyframes ? RuleType::Keyframe
                                                                    : RuleType::Style);
        }
    }

    // i is the index of the "}", or the length of the text for a block left open.
    void closeBlock(qsizetype i)
    {
        // Blocks nested deeper than any real sheet nests stay text of the
        // block around them: every character then lies in a bounded number
        // of bodies, whatever the input.
        const bool tooDeep = m_depth > kMaxItemDepth;
        m_problems.tooDeep = m_problems.tooDeep || tooDeep;
        --m_depth;
        Span span;
        span.start = popOr<qsizetype>(m_positions, 0);
        span.end = i;
        span.type = popOr<int>(m_types, RuleType::Style);
        if (m_depth == 0 && m_nestingCount > 0) {
            --m_nestingCount;
            m_ownBrace = false;
        }
        if (m_nestingCount > 0)
            span.childIndex = m_childCounter++;
        else
            m_pendingType = RuleType::Style;
        if (!tooDeep)
            m_spans.push_back(span);
    }

    void atSign(qsizetype i, char16_t next)
    {
        if (m_depth > 0) {
            // A vendor at-rule inside a block makes the block, and a media
            // block holding it, an other at-rule.
            if (next == u'-') {
                if (!m_types.empty())
                    m_types.back() = RuleType::Other;
                m_pendingType = RuleType::Other;
            }
            return;
        }
        for (const AtRule &rule : kAtRules) {
            if (!StyleSheetParser::isRule(m_text, rule.name, i))
                continue;
            m_pendingType = rule.type;
            switch (rule.kind) {
            case AtRuleKind::Statement:
                // Statements left open nest their ranges; a bound keeps every
                // character in a bounded number of them.
                if (m_statementCount >= kMaxOpenStatements) {
                    m_problems.tooManyStatements = true;
                    break;
                }
                m_types.push_back(rule.type);
                m_positions.push_back(i);
                ++m_statementCount;
                break;
            case AtRuleKind::Nesting:
                m_types.push_back(rule.type);
                ++m_nestingCount;
                m_childCounter = 0;
                break;
            case AtRuleKind::Plain:
                break;
            }
            return;
        }
        m_pendingType = RuleType::Other;
    }

    void endStatement(qsizetype i)
    {
        Span span;
        span.start = popOr<qsizetype>(m_positions, 0);
        span.end = i;
        span.type = popOr<int>(m_types, RuleType::Style);
        --m_statementCount;
        m_pendingType = RuleType::Style;
        m_ownBrace = false;
        m_spans.push_back(span);
    }

    QStringView m_text;
    std::deque<Span> m_spans;
    std::vector<qsizetype> m_positions;
    std::vector<int> m_types;
    int m_depth = 0;
    int m_pendingType = RuleType::Style;
    int m_nestingCount = 0;
    bool m_ownBrace = false;
    qsizetype m_childCounter = 0;
    int m_statementCount = 0;
    // A url() that found no ")" before its line ended: no later one on that
    // line will, so do not search again.
    qsizetype m_noUrlEndBefore = 0;
    Problems m_problems;
};

void logProblems(const SpanScanner &scanner)
{
    const auto &problems = scanner.problems();
    QStringList notes;
    if (problems.unclosedBlocks > 0)
        notes.append(QStringLiteral("%1 block(s) left open, kept to the end of the text")
                         .arg(problems.unclosedBlocks));
    if (problems.unclosedComment)
        notes.append(QStringLiteral("a comment left open, kept to the end of the text"));
    if (problems.tooDeep)
        notes.append(
            QStringLiteral("blocks nested more than %1 deep, kept as text of their outer block")
                .arg(kMaxItemDepth));
    if (problems.unendedStatement)
        notes.append(QStringLiteral("a statement without \";\" at the end"));
    if (problems.tooManyStatements)
        notes.append(
            QStringLiteral("more than %1 statements without \";\"").arg(kMaxOpenStatements));
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

// The selector source with line breaks and tabs deleted, not replaced, and
// blanks trimmed.
QString withoutLineBreaksAndTabs(QStringView text)
{
    const QChar *data = text.data();
    qsizetype start = 0;
    qsizetype end = text.size();
    auto isDropped = [](QChar c) {
        return c == u'\n' || c == u'\r' || c == u'\t' || c == u' ';
    };
    while (start < end && isDropped(data[start]))
        ++start;
    while (end > start && isDropped(data[end - 1]))
        --end;
    QString out;
    out.reserve(end - start);
    qsizetype runStart = start;
    for (qsizetype i = start; i < end; ++i) {
        const QChar c = data[i];
        if (c == u'\n' || c == u'\r' || c == u'\t') {
            out.append(data + runStart, i - runStart);
            runStart = i + 1;
        }
    }
    out.append(data + runStart, end - runStart);
    return out;
}

QString cleanSelector(QStringView source)
{
    QString text = withoutLineBreaksAndTabs(source);
    if (text.contains(u'/') && text.contains(QLatin1String("/*")))
        text = CSSText::trimmedBlanks(StyleSheetParser::removeComment(text));
    return StyleSheetParser::planeSelector(text);
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

    SpanScanner scanner(text);
    std::deque<Span> spans = scanner.scan();
    logProblems(scanner);
    std::sort(spans.begin(), spans.end(),
              [](const Span &a, const Span &b) { return a.start < b.start; });

    const VendarPrefixSettings prefixSettings = settings.indexed();
    const bool singleLine = isSingleLine(text);
    const qsizetype textLength = text.size();
    // The items are gathered in small chunks and copied into the list at the
    // end: a large block early on makes the allocator merge every chunk freed
    // before the parse, and the many small allocations then lose their fast path.
    std::deque<StyleDeclarationPtr> gathered;

    // S and E: the start and the end + 1 of the last item emitted that is no
    // comment; Q: the last prelude start; P: the end of a nesting block whose
    // first child was emitted, so the next top-level item starts after it.
    qsizetype lastStart = 0;
    qsizetype lastEnd = 0;
    qsizetype preludeStart = 0;
    qsizetype blockEnd = 0;
    // The line of the last item and where it starts: items come in text
    // order, so lines are counted from one item to the next.
    qsizetype line = 1;
    qsizetype lineCountedTo = 0;

    for (const Span &span : spans) {
        const qsizetype s = span.start;
        const qsizetype e = span.end;
        // A block left open at the end has no "}" inside the text.
        const qsizetype rangeLength = std::min(e - s + 1, textLength - s);

        if (span.type == RuleType::Comment) {
            // Comments inside the last item (its body, or before the first
            // child of a nesting block) are part of it.
            if (lastStart < s && e < lastEnd)
                continue;
            auto comment = std::make_shared<StyleComment>();
            comment->setRange(Range{s, rangeLength});
            comment->setCommentBody(text.mid(s, rangeLength));
            comment->setParentFile(parentFile);
            gathered.push_back(std::move(comment));
            continue;
        }

        qsizetype p;
        if (s < lastEnd) {
            // The first child inside the block emitted last. Deeper blocks
            // end inside the outer one: the next top-level item starts after
            // the outermost "}".
            p = lastStart + 1;
            blockEnd = std::max(blockEnd, lastEnd);
        } else if (blockEnd > 0 && span.childIndex < 0) {
            // The first top-level item after a nesting block.
            p = blockEnd;
            blockEnd = 0;
        } else {
            p = std::max(preludeStart, lastEnd);
        }
        preludeStart = p;

        const bool isStatement = span.type == RuleType::Charset || span.type == RuleType::Import;
        auto item = std::make_shared<StyleDeclaration>();
        if (isStatement) {
            item->setSelector(StyleSheetParser::planeSelector(
                CSSText::trimmedBlanks(removeComment(text.mid(s, e - s)))));
        } else {
            item->setSelector(
                cleanSelector(QStringView(text).mid(p, std::max<qsizetype>(0, s - p))));
        }
        item->setRange(Range{s, rangeLength});
        item->setType(span.type);
        if (!isStatement)
            item->setBody(text.mid(s + 1, std::max<qsizetype>(0, e - s - 1)), prefixSettings);
        if (span.childIndex >= 0) {
            item->setChildIndex(span.childIndex);
            item->setInBraket(true);
        }
        if (!singleLine) {
            line += CSSScan::countLineBreaks(text.constData() + lineCountedTo, text.constData() + s,
                                             text.constData() + textLength);
            lineCountedTo = s;
        }
        item->setLineNumber(line);
        item->setParentFile(parentFile);
        gathered.push_back(std::move(item));

        lastStart = s;
        lastEnd = e + 1;
    }
    items.reserve(qsizetype(gathered.size()));
    for (StyleDeclarationPtr &item : gathered)
        items.append(std::move(item));
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

namespace {

// One blank after each comma: ", " becomes "," and then "," becomes ", ".
QString withCommaSpacing(QStringView text)
{
    QString out;
    out.reserve(text.size() + 8);
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] != u',') {
            out += text[i];
            continue;
        }
        out += QLatin1String(", ");
        if (i + 1 < text.size() && text[i + 1] == u' ')
            ++i;
    }
    return out;
}

// One blank on each side of ">": " >" becomes ">", then "> " becomes ">",
// then ">" becomes " > ". In one pass: a blank right before a ">" or right
// after one goes (once), and each ">" is written " > ".
QString withChildCombinatorSpacing(QStringView text)
{
    QString out;
    out.reserve(text.size() + 8);
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c == u'>') {
            out += QLatin1String(" > ");
        } else if (c == u' '
                   && ((i + 1 < text.size() && text[i + 1] == u'>')
                       || (i > 0 && text[i - 1] == u'>'))) {
            continue;
        } else {
            out += c;
        }
    }
    return out;
}

} // namespace

QString StyleSheetParser::planeSelector(const QString &selector)
{
    // Most selectors need few of the rewrites below: look once.
    bool hasSlash = false;
    bool hasComma = false;
    bool hasGreater = false;
    bool hasAt = false;
    for (const QChar c : selector) {
        switch (c.unicode()) {
        case u'/':
            hasSlash = true;
            break;
        case u',':
            hasComma = true;
            break;
        case u'>':
            hasGreater = true;
            break;
        case u'@':
            hasAt = true;
            break;
        default:
            break;
        }
    }
    QString text = selector;
    if (hasSlash) {
        const qsizetype commentEnd = text.indexOf(QLatin1String("*/"));
        if (commentEnd >= 0)
            text.remove(0, commentEnd + 2);
    }
    if (hasComma)
        text = withCommaSpacing(text);
    if (hasGreater)
        text = withChildCombinatorSpacing(text);
    if (hasAt && text.contains(QLatin1String("@charset"))) {
        static const QRegularExpression charset(QStringLiteral("@charset[^;]*?;"));
        text.remove(charset);
    }
    const qsizetype length = text.size();
    if (length > 0
        && (text[0] == u' ' || text[0] == u'\t' || text[length - 1] == u' '
            || text[length - 1] == u'\t'))
        return CSSText::trimmedBlanks(text);
    return text;
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

#include "StyleSheetScanner_p.h"

#include "CSSScan_p.h"
#include "CSSText_p.h"
#include "StyleDeclaration.h"
#include "StyleSheetParser.h"

#include <algorithm>

namespace {

bool isWhiteSpace(char16_t c)
{
    return c == u' ' || c == u'\t' || c == u'\n' || c == u'\r' || c == u'\f';
}

} // namespace

qsizetype StyleSheetScanner::nextChildIndex()
{
    if (m_frames.empty() || m_frames.back().kind != FrameKind::Rules)
        return -1;
    return m_frames.back().children++;
}

// i is at "/*"; answers the index after the comment's "*/", or the length.
qsizetype StyleSheetScanner::skipComment(qsizetype i)
{
    StyleSheetSpan span;
    span.start = i;
    span.type = RuleType::Comment;
    span.kind = StyleSheetSpan::Kind::Comment;
    // The search starts at the "*", so "/*/" opens and closes.
    const qsizetype close = m_text.indexOf(u"*/", i + 1);
    if (close < 0) {
        // An unclosed comment holds the rest of the text; keep it.
        span.contentEnd = span.rangeEnd = m_text.size();
        m_spans.push_back(span);
        m_problems.unclosedComment = true;
        return m_text.size();
    }
    span.contentEnd = close + 1;
    span.rangeEnd = close + 2;
    m_spans.push_back(span);
    return close + 2;
}

void StyleSheetScanner::retypeInnermostBlock()
{
    // A vendor at-rule inside a block makes the block, and a media block
    // holding it, an other at-rule.
    if (!m_frames.empty())
        m_spans[size_t(m_frames.back().span)].type = RuleType::Other;
}

// i is at an at-sign that begins an item.
void StyleSheetScanner::startAtRule(qsizetype i)
{
    struct Listed
    {
        QStringView name;
        AtRuleTypes types;
    };
    // Tried in this order; the first whose name prefixes the at-rule decides.
    static const Listed listed[] = {
        {u"charset", {RuleType::Charset, RuleType::Other, FrameKind::Rules, false}},
        {u"import", {RuleType::Import, RuleType::Other, FrameKind::Rules, false}},
        {u"namespace", {RuleType::Other, RuleType::Other, FrameKind::Rules, true}},
        {u"media", {RuleType::Other, RuleType::Media, FrameKind::Rules, false}},
        {u"page", {RuleType::Other, RuleType::Page, FrameKind::Rules, false}},
        {u"font-face", {RuleType::Other, RuleType::FontFace, FrameKind::Declarations, false}},
        {u"-webkit-keyframes", {RuleType::Other, RuleType::Keyframes, FrameKind::Rules, false}},
        {u"keyframes", {RuleType::Other, RuleType::Keyframes, FrameKind::Rules, false}},
        {u"-moz-keyframes", {RuleType::Other, RuleType::Keyframes, FrameKind::Rules, false}},
        {u"-o-keyframes", {RuleType::Other, RuleType::Keyframes, FrameKind::Rules, false}},
        {u"-ms-keyframes", {RuleType::Other, RuleType::Keyframes, FrameKind::Rules, false}},
        {u"-moz-document", {RuleType::Other, RuleType::Other, FrameKind::Rules, false}},
        {u"supports", {RuleType::Other, RuleType::Supports, FrameKind::Rules, false}},
    };
    m_prelude = Prelude::AtRule;
    m_preludeFirst = i;
    m_atRule = {RuleType::Other, RuleType::Other, FrameKind::Rules, false};
    for (const Listed &rule : listed) {
        if (StyleSheetParser::isRule(m_text, rule.name, i)) {
            m_atRule = rule.types;
            break;
        }
    }
    if (!m_frames.empty() && i + 1 < m_text.size() && m_text[i + 1] == u'-')
        retypeInnermostBlock();
}

// i is at a "{" that opens an item: a style rule, a keyframe or an at-rule block.
void StyleSheetScanner::openBlock(qsizetype i)
{
    StyleSheetSpan span;
    span.start = i;
    span.preludeStart = m_preludeStart;
    FrameKind kind = FrameKind::Declarations;
    if (m_prelude == Prelude::AtRule) {
        span.type = m_atRule.blockType;
        kind = m_atRule.blockKind;
    } else {
        const bool inKeyframes = !m_frames.empty()
                                 && m_spans[size_t(m_frames.back().span)].type == RuleType::Keyframes;
        span.type = inKeyframes ? RuleType::Keyframe : RuleType::Style;
    }
    // Blocks nested deeper than any real sheet nests keep their blocks as
    // text: every character then lies in a bounded number of bodies.
    if (kind == FrameKind::Rules && m_frames.size() + 1 >= size_t(s_maxItemDepth)) {
        kind = FrameKind::Declarations;
        m_problems.tooDeep = true;
    }
    span.childIndex = nextChildIndex();
    m_frames.push_back(Frame{qsizetype(m_spans.size()), kind});
    m_spans.push_back(span);
    m_prelude = Prelude::None;
    m_preludeStart = i + 1;
}

void StyleSheetScanner::closeBlock(qsizetype contentEnd, qsizetype rangeEnd)
{
    StyleSheetSpan &span = m_spans[size_t(m_frames.back().span)];
    span.contentEnd = contentEnd;
    span.rangeEnd = rangeEnd;
    m_frames.pop_back();
    m_nest.clear();
    m_prelude = Prelude::None;
    m_preludeStart = rangeEnd;
}

void StyleSheetScanner::endStatement(qsizetype contentEnd, qsizetype rangeEnd)
{
    StyleSheetSpan span;
    span.start = m_preludeFirst;
    span.preludeStart = m_preludeStart;
    span.contentEnd = contentEnd;
    span.rangeEnd = rangeEnd;
    span.type = m_atRule.statementType;
    span.kind = m_atRule.isNamespace ? StyleSheetSpan::Kind::Namespace : StyleSheetSpan::Kind::Statement;
    span.childIndex = nextChildIndex();
    m_spans.push_back(span);
    m_prelude = Prelude::None;
    m_preludeStart = rangeEnd;
}

void StyleSheetScanner::finish()
{
    const qsizetype length = m_text.size();
    if (m_prelude == Prelude::AtRule) {
        // A statement the text ends in without its ";" ends with the text.
        m_problems.unendedStatement = true;
        endStatement(length, length);
    } else if (m_prelude == Prelude::Qualified && m_frames.empty()) {
        // Text after the last rule that CSS ignores: kept as an item, so that
        // it is written back.
        m_problems.trailingText = true;
        StyleSheetSpan span;
        span.start = m_preludeFirst;
        span.preludeStart = m_preludeStart;
        span.contentEnd = span.rangeEnd = length;
        span.type = RuleType::Other;
        span.kind = StyleSheetSpan::Kind::Trailing;
        m_spans.push_back(span);
    }
    // A block still open at the end reaches to the end of the text.
    m_problems.unclosedBlocks = int(m_frames.size());
    while (!m_frames.empty())
        closeBlock(length, length);
}

std::vector<StyleSheetSpan> StyleSheetScanner::scan()
{
    const qsizetype length = m_text.size();
    const QChar *t = m_text.data();
    const QChar *end = t + length;
    qsizetype i = 0;
    while (i < length) {
        if (m_prelude == Prelude::None && atRuleLevel()) {
            // Between items: blanks and comments, then what begins the next one.
            const char16_t c = t[i].unicode();
            if (isWhiteSpace(c)) {
                ++i;
                continue;
            }
            if (c == u'/' && i + 1 < length && t[i + 1] == u'*') {
                i = skipComment(i);
                continue;
            }
            if (!m_frames.empty() && c == u'}') {
                closeBlock(i, i + 1);
                ++i;
                continue;
            }
            if (!m_frames.empty() && c == u';') {
                // A stray ";" inside a block ends nothing; it stays body text.
                ++i;
                m_preludeStart = i;
                continue;
            }
            if (c == u'@') {
                startAtRule(i);
                ++i;
                continue;
            }
            m_prelude = Prelude::Qualified;
            m_preludeFirst = i;
            // The character itself is read below.
        }

        // Only these characters matter to the structure; a ";" only where it
        // may end a statement or what is no rule.
        if (m_nest.empty() && atRuleLevel()) {
            i = CSSScan::findFirstOf<u'/', u'"', u'\'', u'\\', u'(', u')', u'[', u']', u'{', u'}', u';',
                                     u'@'>(t + i, end)
                - t;
        } else {
            i = CSSScan::findFirstOf<u'/', u'"', u'\'', u'\\', u'(', u')', u'[', u']', u'{', u'}', u'@'>(
                    t + i, end)
                - t;
        }
        if (i >= length)
            break;
        const char16_t c = t[i].unicode();
        switch (c) {
        case u'/':
            if (i + 1 < length && t[i + 1] == u'*')
                i = skipComment(i);
            else
                ++i;
            break;
        case u'"':
        case u'\'':
        case u'\\':
        case u'(': {
            // Strings, escaped characters and unquoted url() are opaque, as
            // CSS reads them; a url() without its ")" holds the rest.
            const qsizetype after = CSSText::opaqueEnd(m_text, i);
            if (after > i) {
                i = after;
                break;
            }
            m_nest.push_back(u')');
            ++i;
            break;
        }
        case u'[':
            m_nest.push_back(u']');
            ++i;
            break;
        case u')':
        case u']':
            // A closer that does not match the open bracket is plain text.
            if (!m_nest.empty() && m_nest.back() == c)
                m_nest.pop_back();
            ++i;
            break;
        case u'{':
            if (m_nest.empty() && atRuleLevel())
                openBlock(i);
            else
                m_nest.push_back(u'}');
            ++i;
            break;
        case u'}':
            if (!m_nest.empty()) {
                // Inside () or [] a "}" is plain text, as CSS reads it.
                if (m_nest.back() == u'}')
                    m_nest.pop_back();
            } else if (!m_frames.empty()) {
                if (m_prelude == Prelude::AtRule)
                    endStatement(i, i); // a statement that the block's end ends
                closeBlock(i, i + 1);
            }
            // At the top level a stray "}" belongs to the next selector.
            ++i;
            break;
        case u';':
            if (m_nest.empty() && m_prelude == Prelude::AtRule) {
                endStatement(i, i + 1);
            } else if (m_nest.empty() && m_prelude == Prelude::Qualified && !m_frames.empty()) {
                // Inside a block a ";" ends what is no rule; it stays body text.
                m_prelude = Prelude::None;
                m_preludeStart = i + 1;
            }
            ++i;
            break;
        case u'@':
            if (!m_frames.empty() && i + 1 < length && t[i + 1] == u'-')
                retypeInnermostBlock();
            ++i;
            break;
        default:
            ++i;
            break;
        }
    }
    finish();
    // Spans are made in text order but for comments inside statements.
    const auto byStart = [](const StyleSheetSpan &a, const StyleSheetSpan &b) { return a.start < b.start; };
    if (!std::is_sorted(m_spans.begin(), m_spans.end(), byStart))
        std::stable_sort(m_spans.begin(), m_spans.end(), byStart);
    return std::move(m_spans);
}

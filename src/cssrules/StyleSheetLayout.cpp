#include "StyleSheetLayout.h"

#include "CSSRules_p.h"
#include "StyleSheetSource.h"

#include <QHash>
#include <QRegularExpression>

#include <algorithm>

namespace {

bool isSpaceOrTab(QChar c)
{
    return c == u' ' || c == u'\t';
}

using CSSRulesPrivate::lineStart;
using CSSRulesPrivate::onlyBlanksBetween;

// The most frequent of the texts seen, or fallback when none was.
QString mostSeen(const QHash<QString, int> &seen, const QString &fallback)
{
    QString best = fallback;
    int count = 0;
    for (auto it = seen.cbegin(); it != seen.cend(); ++it) {
        if (it.value() > count || (it.value() == count && it.key() == fallback)) {
            best = it.key();
            count = it.value();
        }
    }
    return best;
}

// What the layout is read from, item by item: each feature from the items
// nearest the place until enough of it was seen.
struct Seen
{
    static constexpr int kEnough = 16;

    QHash<QString, int> colons;
    QHash<QString, int> braces;
    // What a declaration on a line of its own is indented by beyond its
    // rule, and a rule on a line of its own beyond its block.
    QHash<QString, int> indents;
    int withSemicolon = 0;
    int withoutSemicolon = 0;
    int blankLines = 0;
    int lineBreaks = 0;
    int crlfLines = 0;
    int lfLines = 0;
    qsizetype lastBlock = -1;

    static int total(const QHash<QString, int> &counts)
    {
        int sum = 0;
        for (const int count : counts)
            sum += count;
        return sum;
    }
    static void note(QHash<QString, int> &counts, const QString &seen)
    {
        if (total(counts) < kEnough)
            ++counts[seen];
    }
    bool isEnough() const
    {
        return total(colons) >= kEnough && total(braces) >= kEnough && total(indents) >= kEnough
               && withSemicolon + withoutSemicolon >= kEnough && blankLines + lineBreaks >= kEnough / 2
               && crlfLines + lfLines >= kEnough;
    }

    // What a line's indentation holds beyond that of the line of an item
    // that holds it, both lines starting with what they hold.
    void noteIndent(const QString &text, qsizetype outer, qsizetype inner)
    {
        const qsizetype outerLine = lineStart(text, outer);
        const qsizetype innerLine = lineStart(text, inner);
        if (innerLine <= outerLine || !onlyBlanksBetween(text, outerLine, outer) || !onlyBlanksBetween(text, innerLine, inner))
            return;
        if (crlfLines + lfLines < kEnough)
            ++(innerLine >= 2 && text.at(innerLine - 2) == u'\r' ? crlfLines : lfLines);
        const QStringView outerIndent = QStringView(text).mid(outerLine, outer - outerLine);
        const QStringView innerIndent = QStringView(text).mid(innerLine, inner - innerLine);
        if (innerIndent.size() > outerIndent.size() && innerIndent.startsWith(outerIndent))
            note(indents, innerIndent.sliced(outerIndent.size()).toString());
    }

    void read(const StyleSheetSource &source, qsizetype i)
    {
        const QString &text = source.text();
        const StyleSheetSource::Items &items = source.items();
        const StyleSheetSource::ItemText &item = items.at(i);
        const StyleDeclaration &declaration = *item.declaration;
        if (declaration.type() == RuleType::Comment || item.range.length < 2 || text.at(item.range.location) != u'{')
            return;
        // What stands between the selector and its "{" on its line.
        qsizetype blanks = item.range.location;
        while (blanks > item.whole.location && isSpaceOrTab(text.at(blanks - 1)))
            --blanks;
        if (blanks > item.whole.location && text.at(blanks - 1) != u'\n' && text.at(blanks - 1) != u'\r')
            note(braces, text.mid(blanks, item.range.location - blanks));
        // A rule inside a block: its indentation beyond the block's (the
        // block of the rule read before it, most often).
        const auto holds = [&](qsizetype j) {
            const StyleSheetSource::ItemText &block = items.at(j);
            return block.range.location < item.whole.location && item.whole.end() <= block.range.end();
        };
        if (declaration.isInBraket() && !(lastBlock >= 0 && lastBlock < i && holds(lastBlock))) {
            lastBlock = -1;
            for (qsizetype j = i - 1; j >= 0 && j >= i - 256 && lastBlock < 0; --j)
                lastBlock = holds(j) ? j : -1;
        }
        if (declaration.isInBraket() && lastBlock >= 0)
            noteIndent(text, items.at(lastBlock).whole.location, item.whole.location);
        // Between each name and its value, whether the last declaration has
        // its ";", and a declaration's indentation beyond its rule's.
        const StyleSheetSource::Piece *last = nullptr;
        for (const StyleSheetSource::PropertyText &property : item.properties) {
            if (property.pieces.isEmpty())
                continue;
            const StyleSheetSource::Piece piece = item.placed(property.pieces.constLast());
            // A custom property's blank after the colon is part of its value
            // to the tools that write minified sheets: it tells nothing.
            const QString colon = text.mid(piece.name.end(), piece.value.location - piece.name.end());
            if (colon.contains(u':') && !colon.contains(u'\n') && !QStringView(text).sliced(piece.name.location).startsWith(u"--"))
                note(colons, colon);
            last = &property.pieces.constLast();
            noteIndent(text, item.whole.location, piece.name.location);
        }
        if (last && withSemicolon + withoutSemicolon < kEnough) {
            qsizetype after = item.placed(*last).whole.end();
            while (after < item.range.end() && text.at(after).isSpace())
                ++after;
            if (after < text.size() && text.at(after) == u';')
                ++withSemicolon;
            else if (after < text.size() && text.at(after) == u'}')
                ++withoutSemicolon;
        }
        // Between two top-level rules: a line break, or an empty line too.
        if (!declaration.isInBraket() && i + 1 < items.size() && !items.declarationAt(i + 1)->isInBraket()
            && items.declarationAt(i + 1)->type() != RuleType::Comment && blankLines + lineBreaks < kEnough / 2) {
            const qsizetype next = items.wholeLocation(i + 1);
            const qsizetype breaks = QStringView(text).mid(item.whole.end(), next - item.whole.end()).count(u'\n');
            if (breaks >= 2)
                ++blankLines;
            else if (breaks == 1)
                ++lineBreaks;
        }
    }
};

} // namespace

StyleSheetLayout StyleSheetLayout::generated(bool minify, const QString &indent)
{
    StyleSheetLayout layout;
    layout.minified = minify;
    layout.indent = indent;
    layout.keyframeColon = QStringLiteral(" :");
    layout.unprefixedKeyframesBrace = QString();
    return layout;
}

StyleSheetLayout StyleSheetLayout::of(const StyleSheetSource &source, qsizetype near, const QString &fallbackIndent)
{
    StyleSheetLayout layout;
    layout.minified = source.isMinified();

    // The items nearest the place, taken in turn on either side of it.
    const StyleSheetSource::Items &items = source.items();
    qsizetype after = 0;
    qsizetype high = items.size();
    while (after < high) {
        const qsizetype middle = after + (high - after) / 2;
        if (items.wholeLocation(middle) <= near)
            after = middle + 1;
        else
            high = middle;
    }
    qsizetype before = after - 1;
    Seen seen;
    for (int looked = 0; looked < 512 && (before >= 0 || after < items.size()) && !seen.isEnough(); ++looked) {
        if (before >= 0 && (looked % 2 == 0 || after >= items.size()))
            seen.read(source, before--);
        else
            seen.read(source, after++);
    }
    // Read from the rules and their declarations, never from comments,
    // whose lines are laid out as their writers please (#86).
    layout.indent = layout.minified ? fallbackIndent : mostSeen(seen.indents, fallbackIndent);
    const QString &text = source.text();
    const qsizetype firstBreak = text.indexOf(u'\n');
    if (seen.crlfLines + seen.lfLines == 0 ? firstBreak > 0 && text.at(firstBreak - 1) == u'\r'
                                           : seen.crlfLines > seen.lfLines)
        layout.lineBreak = QStringLiteral("\r\n");
    layout.colon = mostSeen(seen.colons, QStringLiteral(":"));
    layout.beforeBrace = mostSeen(seen.braces, layout.minified ? QString() : QStringLiteral(" "));
    layout.lastSemicolon = seen.withSemicolon + seen.withoutSemicolon == 0 ? !layout.minified
                                                                          : seen.withSemicolon >= seen.withoutSemicolon;
    layout.ruleGap = seen.lineBreaks > seen.blankLines ? QStringLiteral("\n") : QStringLiteral("\n\n");
    layout.keyframeColon = layout.colon;
    layout.unprefixedKeyframesBrace = layout.beforeBrace;
    return layout;
}

bool StyleSheetLayout::isMinified(const QString &text)
{
    // The text without its comments: a minified sheet keeps its licence
    // in a comment of many short lines.
    qsizetype characters = 0;
    qsizetype breaks = 0;
    qsizetype breaksAfterText = 0;
    bool spaced = false;
    QChar quote;
    QChar previous;
    const qsizetype size = text.size();
    for (qsizetype i = 0; i < size; ++i) {
        const QChar c = text.at(i);
        if (quote.isNull() && c == u'/' && i + 1 < size && text.at(i + 1) == u'*') {
            const qsizetype end = text.indexOf(QLatin1String("*/"), i + 2);
            i = end < 0 ? size : end + 1;
            continue;
        }
        if (!quote.isNull()) {
            if (c == u'\\')
                ++i;
            else if (c == quote)
                quote = QChar();
        } else if (c == u'"' || c == u'\'') {
            quote = c;
        }
        if (c == u'\n') {
            // Breaks before the first text and after the last are no part of it.
            if (characters > 0)
                ++breaks;
        } else if (!c.isSpace()) {
            breaksAfterText = breaks;
            ++characters;
        }
        if (c.isSpace() && quote.isNull() && (previous == u'{' || previous == u':' || previous == u';'))
            spaced = true;
        previous = c;
    }
    if (characters == 0)
        return false;
    breaks = breaksAfterText;
    // Lines far longer than a person writes, or one line without the blanks
    // a person puts after "{", ":" and ";".
    return characters / (breaks + 1) > 400 || (breaks == 0 && !spaced);
}

QString StyleSheetLayout::indentOfLine(const QString &text, qsizetype position)
{
    position = std::clamp<qsizetype>(position, 0, text.size());
    qsizetype start = position;
    while (start > 0 && text.at(start - 1) != u'\n' && text.at(start - 1) != u'\r')
        --start;
    qsizetype end = start;
    while (end < text.size() && isSpaceOrTab(text.at(end)))
        ++end;
    return text.mid(start, end - start);
}

QString StyleSheetLayout::closed(const QString &body) const
{
    if (minified && !lastSemicolon && body.endsWith(u';'))
        return body.chopped(1);
    return body;
}

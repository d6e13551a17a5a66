#include "StyleSheetLayout.h"

#include "StyleSheetSource.h"

#include <QHash>
#include <QRegularExpression>

#include <algorithm>

namespace {

bool isSpaceOrTab(QChar c)
{
    return c == u' ' || c == u'\t';
}

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

// What the layout is read from, item by item.
struct Seen
{
    QHash<QString, int> colons;
    QHash<QString, int> braces;
    int withSemicolon = 0;
    int withoutSemicolon = 0;
    int blankLines = 0;
    int lineBreaks = 0;

    // Enough of everything to tell.
    bool isEnough() const
    {
        const auto total = [](const QHash<QString, int> &counts) {
            int sum = 0;
            for (const int count : counts)
                sum += count;
            return sum;
        };
        return total(colons) >= 16 && total(braces) >= 16 && withSemicolon + withoutSemicolon >= 16
               && blankLines + lineBreaks >= 8;
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
            ++braces[text.mid(blanks, item.range.location - blanks)];
        // Between each name and its value, and whether the last declaration has its ";".
        const StyleSheetSource::Piece *last = nullptr;
        for (const StyleSheetSource::PropertyText &property : item.properties) {
            if (property.pieces.isEmpty())
                continue;
            const StyleSheetSource::Piece piece = item.placed(property.pieces.constLast());
            const QString colon = text.mid(piece.name.end(), piece.value.location - piece.name.end());
            if (colon.contains(u':') && !colon.contains(u'\n'))
                ++colons[colon];
            last = &property.pieces.constLast();
        }
        if (last) {
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
            && items.declarationAt(i + 1)->type() != RuleType::Comment) {
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
    const QString &text = source.text();
    StyleSheetLayout layout;
    layout.minified = isMinified(text, source.lineBreaks());
    layout.indent = layout.minified ? fallbackIndent : indentUnitOf(text, fallbackIndent);
    const qsizetype firstBreak = text.indexOf(u'\n');
    if (firstBreak > 0 && text.at(firstBreak - 1) == u'\r')
        layout.lineBreak = QStringLiteral("\r\n");

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
    layout.colon = mostSeen(seen.colons, QStringLiteral(":"));
    layout.beforeBrace = mostSeen(seen.braces, layout.minified ? QString() : QStringLiteral(" "));
    layout.lastSemicolon = seen.withSemicolon + seen.withoutSemicolon == 0 ? !layout.minified
                                                                          : seen.withSemicolon >= seen.withoutSemicolon;
    layout.ruleGap = seen.lineBreaks > seen.blankLines ? QStringLiteral("\n") : QStringLiteral("\n\n");
    layout.keyframeColon = layout.colon;
    layout.unprefixedKeyframesBrace = layout.beforeBrace;
    return layout;
}

bool StyleSheetLayout::isMinified(const QString &text, qsizetype lineBreaks)
{
    const QStringView trimmed = QStringView(text).trimmed();
    if (trimmed.isEmpty())
        return false;
    // The breaks trimmed off are no part of it.
    const qsizetype leading = trimmed.data() - text.constData();
    const qsizetype trailing = text.size() - leading - trimmed.size();
    const qsizetype breaks = lineBreaks - QStringView(text).first(leading).count(u'\n')
                             - QStringView(text).last(trailing).count(u'\n');
    if (trimmed.size() / (breaks + 1) > 400)
        return true;
    static const QRegularExpression spaced(QStringLiteral("[{:;]\\s"));
    return breaks == 0 && !trimmed.toString().contains(spaced);
}

QString StyleSheetLayout::indentUnitOf(const QString &text, const QString &fallback)
{
    // Comment lines and closing braces do not count.
    qsizetype tabbed = 0;
    qsizetype spaced = 0;
    qsizetype fewest = 0;
    for (qsizetype line = 0; line < text.size();) {
        qsizetype at = line;
        while (at < text.size() && text.at(at) == u' ')
            ++at;
        const qsizetype spaces = at - line;
        while (at < text.size() && text.at(at) == u'\t')
            ++at;
        const QChar first = at < text.size() ? text.at(at) : QChar(u'\n');
        const bool counts = at > line && first != u'\n' && first != u'\r' && first != u'*' && first != u'/'
                            && first != u'}';
        if (counts && spaces == 0) {
            ++tabbed;
        } else if (counts) {
            ++spaced;
            fewest = fewest == 0 ? spaces : std::min(fewest, spaces);
        }
        const qsizetype next = text.indexOf(u'\n', at);
        // The first lines decide: a long sheet is not read to its end on every write.
        if (next < 0 || tabbed + spaced >= 1000)
            break;
        line = next + 1;
    }
    if (tabbed == 0 && spaced == 0)
        return fallback;
    return tabbed >= spaced ? QStringLiteral("\t") : QString(fewest, u' ');
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

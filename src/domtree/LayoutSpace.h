#pragma once

#include <QChar>
#include <QString>
#include <QStringList>
#include <QStringView>

#include <algorithm>
#include <utility>

// White space as the page text's layout counts it: ASCII white space and the
// Unicode space separators, but never the no-break spaces, which HTML does
// not collapse and which must reach the file as they are.
namespace LayoutSpace {

inline bool isSpace(QChar c)
{
    const char16_t u = c.unicode();
    if (u == u' ' || (u >= 0x09 && u <= 0x0D))
        return true;
    if (u < 0x80 || u == 0xA0 || u == 0x2007 || u == 0x202F || u == 0xFEFF)
        return false;
    return c.isSpace();
}

// The text without white space at either end.
inline QString trimmed(const QString &text)
{
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && isSpace(text.at(begin)))
        ++begin;
    while (end > begin && isSpace(text.at(end - 1)))
        --end;
    return begin == 0 && end == text.size() ? text : text.mid(begin, end - begin);
}

// Every run of white space written as its first character.
inline QString collapsedToFirst(const QString &text)
{
    QString out;
    out.reserve(text.size());
    bool inRun = false;
    for (const QChar c : text) {
        const bool space = isSpace(c);
        if (!space || !inRun)
            out += c;
        inRun = space;
    }
    return out;
}

// The leading run of white space written as its first character.
inline QString leadingRunToFirst(const QString &text)
{
    if (text.isEmpty() || !isSpace(text.at(0)))
        return text;
    qsizetype end = 1;
    while (end < text.size() && isSpace(text.at(end)))
        ++end;
    return text.at(0) + text.mid(end);
}

// The run of white space the text ends with; empty when none.
inline qsizetype trailingRunLength(const QString &text)
{
    qsizetype length = 0;
    while (length < text.size() && isSpace(text.at(text.size() - 1 - length)))
        ++length;
    return length;
}

inline qsizetype leadingRunLength(const QString &text)
{
    qsizetype length = 0;
    while (length < text.size() && isSpace(text.at(length)))
        ++length;
    return length;
}

// "[\S]([\s]+)$": white space at the end, after other text.
inline bool endsInSpaceAfterText(const QString &text)
{
    const qsizetype run = trailingRunLength(text);
    return run > 0 && run < text.size();
}

// "([\s]*)?\n([\s]*)?$": the white space at the end holds a line break.
inline bool endsInSpaceWithLineBreak(const QString &text)
{
    const qsizetype run = trailingRunLength(text);
    for (qsizetype i = text.size() - run; i < text.size(); ++i) {
        if (text.at(i) == QLatin1Char('\n'))
            return true;
    }
    return false;
}

// "^([\s]+)[\S]": white space at the start, before other text.
inline bool beginsWithSpaceBeforeText(const QString &text)
{
    const qsizetype run = leadingRunLength(text);
    return run > 0 && run < text.size();
}

// "^([\s]*)?\n([\s]*)?[\S]": the white space at the start holds a line break
// and other text follows.
inline bool beginsWithLineBreakBeforeText(const QString &text)
{
    const qsizetype run = leadingRunLength(text);
    if (run == text.size())
        return false;
    for (qsizetype i = 0; i < run; ++i) {
        if (text.at(i) == QLatin1Char('\n'))
            return true;
    }
    return false;
}

// The indentation of a line in levels of unit (a tab counting as four
// columns where the unit is one), and the columns left over.
inline std::pair<qsizetype, qsizetype> indentLevel(QStringView indent, const QString &unit)
{
    const qsizetype width = unit == QLatin1String("\t") ? 4 : std::max<qsizetype>(1, unit.size());
    qsizetype columns = 0;
    for (const QChar c : indent)
        columns += c == u'\t' ? width : 1;
    return {columns / width, columns % width};
}

// The text without the indentation all its lines share (spaces or tabs,
// blank lines not counted) and without line breaks at either end.
inline QString withoutCommonIndent(const QString &text)
{
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && (text.at(begin) == u'\n' || text.at(begin) == u'\r'))
        ++begin;
    while (end > begin && (text.at(end - 1) == u'\n' || text.at(end - 1) == u'\r'))
        --end;
    const QStringList lines = text.mid(begin, end - begin).split(u'\n');
    QString common;
    bool first = true;
    for (const QString &line : lines) {
        qsizetype run = 0;
        while (run < line.size() && (line.at(run) == u' ' || line.at(run) == u'\t'))
            ++run;
        if (run == line.size())
            continue;
        if (first) {
            common = line.left(run);
            first = false;
            continue;
        }
        qsizetype same = 0;
        while (same < common.size() && same < run && common.at(same) == line.at(same))
            ++same;
        common.truncate(same);
    }
    QStringList out;
    out.reserve(lines.size());
    for (const QString &line : lines)
        out.append(line.startsWith(common) ? line.mid(common.size()) : trimmed(line));
    return out.join(u'\n');
}

} // namespace LayoutSpace

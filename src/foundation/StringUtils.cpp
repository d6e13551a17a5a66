#include "StringUtils.h"

#include "StringHTMLAdditions.h"

#include "platform/foundation/Scanner.h"

#include <QDir>

#include <cstring>
#include <limits>

namespace StringUtils {

namespace {

bool isLineTerminator(QChar c)
{
    const char16_t u = c.unicode();
    return u == u'\n' || u == u'\r' || u == 0x85 || u == 0x2028 || u == 0x2029;
}

} // namespace

bool isIncludeString(const QString &text, const QString &other)
{
    return !other.isEmpty() && text.contains(other);
}

bool isStartWithString(const QString &text, const QString &other)
{
    return !other.isEmpty() && text.indexOf(other) == 0;
}

Range allRange(const QString &text)
{
    return Range{0, text.size()};
}

uint countOfString(const QString &text, const QString &other)
{
    if (other.isEmpty())
        return 0;
    Scanner scanner(text);
    uint count = 0;
    while (!scanner.isAtEnd()) {
        const qsizetype before = scanner.scanLocation();
        scanner.scanUpToString(other);
        if (scanner.scanString(other))
            ++count;
        else if (scanner.scanLocation() == before)
            break; // A needle that starts with a skipped character never matches.
    }
    return count;
}

uint countOfChar(const QString &text, const CharacterSet &set)
{
    uint count = 0;
    for (QChar c : text) {
        if (set.characterIsMember(c))
            ++count;
    }
    return count;
}

QStringList pathComponents(const QString &path)
{
    QStringList components;
    if (path.startsWith(u'/'))
        components << QStringLiteral("/");
    const auto parts = QStringView(path).split(u'/', Qt::SkipEmptyParts);
    for (QStringView part : parts)
        components << part.toString();
    return components;
}

QString stringByAppendingPathComponent(const QString &path, const QString &component)
{
    if (path.isEmpty())
        return component;
    if (component.isEmpty())
        return path;
    QString result = path;
    if (!result.endsWith(u'/'))
        result += u'/';
    result += component.startsWith(u'/') ? component.mid(1) : component;
    return result;
}

QString stringByDeletingLastPathComponent(const QString &path)
{
    QString trimmed = path;
    while (trimmed.size() > 1 && trimmed.endsWith(u'/'))
        trimmed.chop(1);
    const qsizetype slash = trimmed.lastIndexOf(u'/');
    if (slash < 0)
        return QString();
    if (slash == 0)
        return QStringLiteral("/");
    QString result = trimmed.left(slash);
    while (result.size() > 1 && result.endsWith(u'/'))
        result.chop(1);
    return result;
}

QString stringByExpandingTildeInPath(const QString &path)
{
    if (path == u"~")
        return QDir::homePath();
    if (path.startsWith(QStringLiteral("~/")))
        return QDir::homePath() + path.mid(1);
    return path;
}

static QString joinPathComponents(const QStringList &components)
{
    QString result;
    for (const QString &component : components)
        result = stringByAppendingPathComponent(result, component);
    return result;
}

QString relativePathFrom(const QString &path, const QString &baseFilePath)
{
    QStringList target = pathComponents(stringByExpandingTildeInPath(path));
    QStringList base = pathComponents(stringByExpandingTildeInPath(baseFilePath));
    // Only the file name goes: a folder higher up may carry the same name.
    if (!base.isEmpty())
        base.removeLast();
    while (!target.isEmpty() && !base.isEmpty() && target.first() == base.first()) {
        target.removeFirst();
        base.removeFirst();
    }
    for (qsizetype i = 0; i < base.size(); ++i)
        target.prepend(QStringLiteral(".."));
    return target.isEmpty() ? QStringLiteral(".") : joinPathComponents(target);
}

QString relativePathForBasePath(const QString &path, const QString &basePath)
{
    const QStringList target = pathComponents(path);
    const QStringList base = pathComponents(basePath);
    if (base.isEmpty())
        return path;
    qsizetype common = 0;
    const qsizetype shorter = qMin(target.size(), base.size());
    while (common < shorter && target.at(common) == base.at(common))
        ++common;
    if (common == 0)
        return path;
    QString result = QStringLiteral("../").repeated(base.size() - common);
    for (qsizetype i = common; i < target.size(); ++i)
        result = stringByAppendingPathComponent(result, target.at(i));
    return result;
}

bool isIncludeInPathFrom(const QString &path, const QString &ancestor)
{
    QString current = path;
    while (!current.isEmpty()) {
        if (current == ancestor)
            return true;
        const QString parent = stringByDeletingLastPathComponent(current);
        // The root is its own parent: stop there instead of looping for ever.
        if (parent == current)
            break;
        current = parent;
    }
    return false;
}

QStringList lineStrings(const QString &text)
{
    QStringList lines;
    const qsizetype size = text.size();
    qsizetype start = 0;
    qsizetype i = 0;
    while (i < size) {
        const QChar c = text.at(i);
        if (!isLineTerminator(c)) {
            ++i;
            continue;
        }
        lines << text.mid(start, i - start);
        i += (c == u'\r' && i + 1 < size && text.at(i + 1) == u'\n') ? 2 : 1;
        start = i;
    }
    if (start < size)
        lines << text.mid(start);
    return lines;
}

std::optional<QList<int>> lineNumbersForRange(const QString &text, Range range)
{
    if (range.location < 0 || range.length < 0 || range.end() > text.size())
        return std::nullopt;
    if (text.isEmpty())
        return QList<int>();
    int line = 1;
    for (qsizetype i = 0; i < range.location; ++i) {
        const QChar c = text.at(i);
        if (!isLineTerminator(c))
            continue;
        // A CR LF pair ends one line.
        if (c == u'\r' && i + 1 < text.size() && text.at(i + 1) == u'\n')
            ++i;
        ++line;
    }
    return QList<int>{line};
}

QString stringByRemoveIndentToTop(const QString &text)
{
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && CharacterSet::isNewline(text.at(begin)))
        ++begin;
    while (end > begin && CharacterSet::isNewline(text.at(end - 1)))
        --end;
    const QStringList lines = lineStrings(text.mid(begin, end - begin));
    if (lines.isEmpty())
        return QString();

    qint32 indent = std::numeric_limits<qint32>::max();
    for (const QString &line : lines)
        indent = qMin(indent, countHeadContinuousString(line, QStringLiteral("\t")));

    QString result;
    for (const QString &line : lines) {
        result += QStringView(line).mid(indent);
        result += u'\n';
    }
    return result;
}

qint32 countHeadContinuousString(const QString &text, const QString &character)
{
    if (character.size() != 1)
        return 0;
    const QChar c = character.at(0);
    qint32 count = 0;
    while (count < text.size() && text.at(count) == c)
        ++count;
    return count;
}

qint32 countTailContinuousString(const QString &text, const QString &character)
{
    if (character.size() != 1)
        return 0;
    const QChar c = character.at(0);
    qint32 count = 0;
    while (count < text.size() && text.at(text.size() - 1 - count) == c)
        ++count;
    return count;
}

bool isEmptyWithIgnoreWhiteSpace(const QString &text, bool ignoreWhiteSpace)
{
    if (text.isEmpty())
        return true;
    if (!ignoreWhiteSpace)
        return false;
    for (QChar c : text) {
        if (!CharacterSet::isWhitespace(c) && !CharacterSet::isNewline(c))
            return false;
    }
    return true;
}

bool isKindOfTextOfExtension(const QString &extension)
{
    static const QStringList kinds = {QStringLiteral("html"), QStringLiteral("css"), QStringLiteral("js"),
                                      QStringLiteral("scss"), QStringLiteral("less"), QStringLiteral("ngdoc")};
    return kinds.contains(extension, Qt::CaseSensitive);
}

QString htmlEscape(const QString &text)
{
    // Unescape first so that text already escaped is not escaped twice.
    QString escaped = StringHTMLAdditions::gtm_stringByEscapingForHTML(
        StringHTMLAdditions::gtm_stringByUnescapingFromHTML(text));
    escaped.replace(QChar(0x00A0), QStringLiteral("&nbsp;"));
    return escaped;
}

QString NFCString(const QString &text)
{
    return QString::fromUtf8(text.toUtf8()).normalized(QString::NormalizationForm_C);
}

qint64 minDigits(const QString &text)
{
    const qsizetype point = text.indexOf(u'.');
    if (point < 0)
        return 0;
    return 1 - qint64(text.size() - point);
}

QString withMiddle(QStringView text, qsizetype prefix, QStringView middle, qsizetype suffix)
{
    QString joined;
    joined.reserve(prefix + middle.size() + suffix);
    joined += text.first(prefix);
    joined += middle;
    joined += text.last(suffix);
    return joined;
}

std::pair<qsizetype, qsizetype> commonEnds(QStringView a, QStringView b)
{
    const qsizetype shorter = std::min(a.size(), b.size());
    qsizetype prefix = 0;
    // Whole chunks compare with memcmp first: typing into a large text
    // changes one place, and the rest should cost no more than a copy.
    constexpr qsizetype kChunk = 256;
    while (prefix + kChunk <= shorter
           && std::memcmp(a.data() + prefix, b.data() + prefix, kChunk * sizeof(QChar)) == 0)
        prefix += kChunk;
    while (prefix < shorter && a[prefix] == b[prefix])
        ++prefix;
    const qsizetype rest = shorter - prefix;
    qsizetype suffix = 0;
    while (suffix + kChunk <= rest
           && std::memcmp(a.data() + a.size() - suffix - kChunk, b.data() + b.size() - suffix - kChunk,
                          kChunk * sizeof(QChar)) == 0)
        suffix += kChunk;
    while (suffix < rest && a[a.size() - suffix - 1] == b[b.size() - suffix - 1])
        ++suffix;
    return {prefix, suffix};
}

} // namespace StringUtils

QString StringUtils::firstLineEnding(QStringView text)
{
    const qsizetype feed = text.indexOf(u'\n');
    const qsizetype carriage = text.indexOf(u'\r');
    if (carriage >= 0 && (feed < 0 || carriage < feed))
        return feed == carriage + 1 ? QStringLiteral("\r\n") : QStringLiteral("\r");
    return QStringLiteral("\n");
}

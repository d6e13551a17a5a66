#include "DOMCSSParser.h"

#include "platform/web/dom/DOMSelectorEngine.h"
#include "platform/web/dom/DOMStrings.h"

#include <QHash>

namespace {

enum RuleType { Unknown = 0, Style = 1, Charset = 2, Import = 3, Media = 4, FontFace = 5, Page = 6,
                Keyframes = 7, Keyframe = 8, Namespace = 10, CounterStyle = 11, Supports = 12,
                FontFeatureValues = 14 };

// What the body of an at-rule holds.
enum class Body { None, Rules, Keyframes, Declarations };

struct AtRuleKind
{
    int type = Unknown;
    Body body = Body::None;
    bool statement = false; // ends with ";" instead of a block
};

std::optional<AtRuleKind> atRuleKind(const QString &lowerName, bool statement)
{
    static const QHash<QString, AtRuleKind> blocks = {
        {QStringLiteral("media"), {Media, Body::Rules}},
        {QStringLiteral("supports"), {Supports, Body::Rules}},
        {QStringLiteral("keyframes"), {Keyframes, Body::Keyframes}},
        {QStringLiteral("-webkit-keyframes"), {Keyframes, Body::Keyframes}},
        {QStringLiteral("font-face"), {FontFace, Body::Declarations}},
        {QStringLiteral("page"), {Page, Body::Declarations}},
        {QStringLiteral("counter-style"), {CounterStyle, Body::Declarations}},
        {QStringLiteral("font-feature-values"), {FontFeatureValues, Body::Rules}},
        {QStringLiteral("property"), {Unknown, Body::Declarations}},
        {QStringLiteral("layer"), {Unknown, Body::Rules}},
        {QStringLiteral("container"), {Unknown, Body::Rules}},
    };
    static const QHash<QString, AtRuleKind> statements = {
        {QStringLiteral("import"), {Import, Body::None, true}},
        {QStringLiteral("namespace"), {Namespace, Body::None, true}},
        {QStringLiteral("charset"), {Charset, Body::None, true}},
        {QStringLiteral("layer"), {Unknown, Body::None, true}},
    };
    const auto &table = statement ? statements : blocks;
    const auto it = table.constFind(lowerName);
    return it == table.cend() ? std::nullopt : std::optional(it.value());
}

bool isSpace(QChar c)
{
    return DOMStrings::isAsciiWhitespace(c);
}

class Scanner
{
public:
    explicit Scanner(const QString &text) : m_text(text) {}

    qsizetype size() const { return m_text.size(); }
    QChar at(qsizetype i) const { return i < m_text.size() ? m_text.at(i) : QChar(); }

    // Past white space and comments.
    qsizetype skipSpace(qsizetype i) const
    {
        while (i < size()) {
            if (isSpace(at(i))) {
                ++i;
            } else if (at(i) == u'/' && at(i + 1) == u'*') {
                const qsizetype end = m_text.indexOf(QLatin1String("*/"), i + 2);
                i = end < 0 ? size() : end + 2;
            } else {
                break;
            }
        }
        return i;
    }

    // Past one unit starting at i: a string, a comment, an escape or one character.
    qsizetype skipUnit(qsizetype i) const
    {
        const QChar c = at(i);
        if (c == u'"' || c == u'\'') {
            ++i;
            while (i < size() && at(i) != c) {
                if (at(i) == u'\\')
                    ++i;
                else if (at(i) == u'\n')
                    return i; // a bad string ends at the line's end
                ++i;
            }
            return qMin(i + 1, size());
        }
        if (c == u'/' && at(i + 1) == u'*') {
            const qsizetype end = m_text.indexOf(QLatin1String("*/"), i + 2);
            return end < 0 ? size() : end + 2;
        }
        if (c == u'\\')
            return qMin(i + 2, size());
        return i + 1;
    }

    // The first of the stop characters at bracket depth 0 from i, or size().
    qsizetype findTopLevel(qsizetype i, QStringView stops) const
    {
        int depth = 0;
        while (i < size()) {
            const QChar c = at(i);
            if (depth == 0 && stops.contains(c))
                return i;
            if (c == u'(' || c == u'[' || c == u'{')
                ++depth;
            else if ((c == u')' || c == u']' || c == u'}') && depth > 0)
                --depth;
            else if (c == u'}' && depth == 0 && stops.contains(u'}'))
                return i;
            i = skipUnit(i);
        }
        return size();
    }

    // The index of the "}" that closes the block opened at open; size() when
    // the text ends first (the block is closed there).
    qsizetype blockEnd(qsizetype open) const
    {
        int depth = 0;
        qsizetype i = open;
        while (i < size()) {
            const QChar c = at(i);
            if (c == u'{' || c == u'(' || c == u'[') {
                ++depth;
            } else if (c == u'}' || c == u')' || c == u']') {
                --depth;
                if (depth == 0)
                    return i;
            }
            i = skipUnit(i);
        }
        return size();
    }

    QString mid(qsizetype from, qsizetype to) const { return m_text.mid(from, to - from); }

private:
    const QString &m_text;
};

QString stripComments(const QString &text)
{
    if (!text.contains(QLatin1String("/*")))
        return text;
    Scanner scanner(text);
    QString out;
    qsizetype i = 0;
    while (i < scanner.size()) {
        const qsizetype next = scanner.skipUnit(i);
        if (!(scanner.at(i) == u'/' && scanner.at(i + 1) == u'*'))
            out += scanner.mid(i, next);
        else
            out += QLatin1Char(' ');
        i = next;
    }
    return out;
}

QString collapseSpace(const QString &text)
{
    return stripComments(text).simplified();
}

struct ReadResult
{
    std::optional<DOMCSSParsedRule> rule;
    QString error;
    qsizetype end = 0;
};

ReadResult readRule(const QString &text, qsizetype start, bool inKeyframes);

QList<DOMCSSParsedRule> readList(const QString &text, bool inKeyframes)
{
    QList<DOMCSSParsedRule> rules;
    Scanner scanner(text);
    qsizetype i = scanner.skipSpace(0);
    while (i < scanner.size()) {
        const ReadResult read = readRule(text, i, inKeyframes);
        if (read.rule && read.rule->type != Charset)
            rules.append(*read.rule);
        i = scanner.skipSpace(qMax(read.end, i + 1));
    }
    return rules;
}

ReadResult readRule(const QString &text, qsizetype start, bool inKeyframes)
{
    Scanner scanner(text);
    ReadResult result;
    const qsizetype preludeEnd = scanner.findTopLevel(start, u"{;");
    const bool statement = preludeEnd < scanner.size() && scanner.at(preludeEnd) == u';';
    const bool hasBlock = preludeEnd < scanner.size() && scanner.at(preludeEnd) == u'{';
    const qsizetype blockClose = hasBlock ? scanner.blockEnd(preludeEnd) : preludeEnd;
    result.end = hasBlock ? qMin(blockClose + 1, scanner.size()) : qMin(preludeEnd + 1, scanner.size());
    const QString body = hasBlock ? scanner.mid(preludeEnd + 1, blockClose) : QString();

    DOMCSSParsedRule rule;
    rule.text = scanner.mid(start, result.end).trimmed();

    if (scanner.at(start) == u'@') {
        qsizetype nameEnd = start + 1;
        while (nameEnd < preludeEnd && !isSpace(scanner.at(nameEnd)) && scanner.at(nameEnd) != u'('
               && scanner.at(nameEnd) != u'"' && scanner.at(nameEnd) != u'\'' && scanner.at(nameEnd) != u'/')
            ++nameEnd;
        rule.atName = DOMStrings::asciiLower(scanner.mid(start + 1, nameEnd));
        rule.prelude = collapseSpace(scanner.mid(nameEnd, preludeEnd));
        if (!statement && !hasBlock) {
            // A statement cut off by the end of the text still ends there.
            if (const auto kind = atRuleKind(rule.atName, true)) {
                rule.type = kind->type;
                result.rule = rule;
                return result;
            }
            result.error = QStringLiteral("the at-rule @%1 has no block").arg(rule.atName);
            return result;
        }
        const std::optional<AtRuleKind> kind = atRuleKind(rule.atName, statement);
        if (!kind || inKeyframes) {
            result.error = QStringLiteral("@%1 is not a rule here").arg(rule.atName);
            return result;
        }
        rule.type = kind->type;
        switch (kind->body) {
        case Body::Rules:
            rule.children = readList(body, false);
            break;
        case Body::Keyframes:
            if (rule.prelude.isEmpty() || rule.prelude.contains(QLatin1Char(' '))) {
                result.error = QStringLiteral("@%1 needs one name").arg(rule.atName);
                return result;
            }
            rule.children = readList(body, true);
            break;
        case Body::Declarations:
            if (rule.type == FontFace && !rule.prelude.isEmpty()) {
                result.error = QStringLiteral("@font-face takes no prelude");
                return result;
            }
            rule.declarations = DOMCSSParser::parseDeclarations(body);
            break;
        case Body::None:
            break;
        }
        result.rule = rule;
        return result;
    }

    if (!hasBlock) {
        result.error = QStringLiteral("a rule needs a block");
        return result;
    }
    rule.prelude = collapseSpace(scanner.mid(start, preludeEnd));
    if (inKeyframes) {
        if (!DOMCSSParser::isValidKeyText(rule.prelude)) {
            result.error = QStringLiteral("\"%1\" is not a keyframe selector").arg(rule.prelude);
            return result;
        }
        rule.type = Keyframe;
        rule.prelude = DOMCSSParser::normalizedKeyText(rule.prelude);
    } else {
        const auto parsed = DOMSelectorEngine::parse(rule.prelude);
        if (!parsed) {
            result.error = QStringLiteral("\"%1\" is not a valid selector: %2").arg(rule.prelude, parsed.error());
            return result;
        }
        rule.type = Style;
    }
    rule.declarations = DOMCSSParser::parseDeclarations(body);
    result.rule = rule;
    return result;
}

bool isIdentStart(QChar c)
{
    return c.isLetter() || c == u'_' || c == u'-' || c.unicode() >= 0x80;
}

} // namespace

namespace DOMCSSParser {

std::optional<DOMCSSParsedRule> parseRule(const QString &text, QString *error)
{
    Scanner scanner(text);
    const qsizetype start = scanner.skipSpace(0);
    if (start >= scanner.size()) {
        if (error)
            *error = QStringLiteral("the rule text is empty");
        return std::nullopt;
    }
    const ReadResult read = readRule(text, start, false);
    if (!read.rule) {
        if (error)
            *error = read.error;
        return std::nullopt;
    }
    if (scanner.skipSpace(read.end) < scanner.size()) {
        if (error)
            *error = QStringLiteral("the text holds more than one rule");
        return std::nullopt;
    }
    return read.rule;
}

QList<DOMCSSParsedRule> parseRuleList(const QString &text)
{
    return readList(text, false);
}

QList<DOMCSSDeclaration> parseDeclarations(const QString &text)
{
    QList<DOMCSSDeclaration> declarations;
    for (const QString &piece : splitTopLevel(text, QLatin1Char(';'))) {
        const QString declaration = stripComments(piece).trimmed();
        if (declaration.isEmpty())
            continue;
        const qsizetype colon = declaration.indexOf(QLatin1Char(':'));
        if (colon <= 0)
            continue;
        QString name = declaration.left(colon).trimmed();
        if (name.isEmpty() || !isIdentStart(name.at(0)) || name.contains(QLatin1Char(' ')))
            continue;
        if (!name.startsWith(QLatin1String("--")))
            name = DOMStrings::asciiLower(name);
        QString value = declaration.mid(colon + 1).trimmed();
        QString priority;
        // "!important", also written "! important" in any case.
        const qsizetype bang = value.lastIndexOf(QLatin1Char('!'));
        if (bang >= 0 && value.mid(bang + 1).trimmed().compare(QLatin1String("important"), Qt::CaseInsensitive) == 0) {
            priority = QStringLiteral("important");
            value = value.left(bang).trimmed();
        }
        if (value.isEmpty() && !name.startsWith(QLatin1String("--")))
            continue;
        declarations.append({name, value, priority});
    }
    return declarations;
}

QStringList splitTopLevel(const QString &text, QChar separator)
{
    QStringList pieces;
    Scanner scanner(text);
    const QString stops(separator);
    qsizetype from = 0;
    while (from <= scanner.size()) {
        const qsizetype at = scanner.findTopLevel(from, stops);
        pieces.append(scanner.mid(from, at));
        if (at >= scanner.size())
            break;
        from = at + 1;
    }
    return pieces;
}

bool isValidKeyText(const QString &keyText)
{
    const QStringList keys = keyText.split(QLatin1Char(','));
    for (const QString &raw : keys) {
        const QString key = DOMStrings::asciiLower(raw.trimmed());
        if (key == QLatin1String("from") || key == QLatin1String("to"))
            continue;
        if (!key.endsWith(QLatin1Char('%')))
            return false;
        bool ok = false;
        const double percent = key.chopped(1).toDouble(&ok);
        if (!ok || percent < 0 || percent > 100)
            return false;
    }
    return !keys.isEmpty();
}

QString normalizedKeyText(const QString &keyText)
{
    QStringList keys;
    for (const QString &raw : keyText.split(QLatin1Char(','))) {
        const QString key = DOMStrings::asciiLower(raw.trimmed());
        if (key == QLatin1String("from"))
            keys.append(QStringLiteral("0%"));
        else if (key == QLatin1String("to"))
            keys.append(QStringLiteral("100%"));
        else
            keys.append(QString::number(key.chopped(1).toDouble(), 'g', 6) + QLatin1Char('%'));
    }
    return keys.join(QLatin1String(", "));
}

QString serializeDeclarations(const QList<DOMCSSDeclaration> &declarations)
{
    QStringList parts;
    parts.reserve(declarations.size());
    for (const DOMCSSDeclaration &declaration : declarations) {
        QString part = declaration.name + QLatin1String(": ") + declaration.value;
        if (!declaration.priority.isEmpty())
            part += QLatin1String(" !") + declaration.priority;
        parts.append(part + QLatin1Char(';'));
    }
    return parts.join(QLatin1Char(' '));
}

} // namespace DOMCSSParser

// StyleSheetWriter: the text of single items, as the formatted and the
// minified layout write them.

#include "StyleSheetWriter.h"
#include "CSSRules_p.h"

#include "platform/web/cssom/DOMCSSParser.h"
#include "stylesheet/GradientColorParser.h"
#include "stylesheet/StringVendarPrefix.h"
#include "stylesheet/StyleComment.h"
#include "workspace/AppConfig.h"
#include "workspace/File.h"

#include <QRegularExpression>

#include <algorithm>
#include <limits>

namespace {

using StringVendarPrefix::formalPropertyName;

QString spaces(int count)
{
    return QString(std::max(0, count), u' ');
}

// The second of exactly two blank-separated words.
QString animationName(const QString &selector)
{
    const QStringList words = selector.split(u' ');
    return words.size() == 2 ? words.at(1) : QString();
}

bool isWebkitKeyframes(const StyleDeclaration &declaration)
{
    return declaration.type() == RuleType::Keyframes && declaration.selector().startsWith(QLatin1String("@-webkit"));
}

// "-webkit" as "-webkit-": a dash, the word after the first dash up to the next, a dash.
QString dashed(const QString &prefix)
{
    const QString word = prefix.mid(1).section(u'-', 0, 0);
    return QLatin1Char('-') + word + QLatin1Char('-');
}

double keyPercent(const QString &key)
{
    if (key == QLatin1String("from"))
        return 0;
    if (key == QLatin1String("to"))
        return 100;
    qsizetype end = 0;
    while (end < key.size() && (key.at(end).isDigit() || key.at(end) == u'.'))
        ++end;
    bool ok = false;
    const double number = key.left(end).toDouble(&ok);
    return ok ? number : -1;
}

QList<StyleDeclarationPtr> sortedByKey(QList<StyleDeclarationPtr> keyframes)
{
    std::stable_sort(keyframes.begin(), keyframes.end(), [](const StyleDeclarationPtr &a, const StyleDeclarationPtr &b) {
        return keyPercent(a->selector().trimmed()) < keyPercent(b->selector().trimmed());
    });
    return keyframes;
}

// Runs of white space made one blank, trimmed: minified text keeps the
// blank between two words.
QString collapsedWhiteSpace(const QString &text)
{
    return text.simplified();
}

using CSSRulesPrivate::isWhite;
using CSSRulesPrivate::isWritten;

// The rules nested in a style rule's body (the model keeps them as text):
// each top-level piece of the body that opens a block, through its "}".
QStringList nestedRuleTexts(const QString &body)
{
    QStringList rules;
    qsizetype pieceStart = 0;
    int depth = 0;
    bool block = false;
    for (qsizetype i = 0; i < body.size(); ++i) {
        const QChar c = body.at(i);
        if (c == u'"' || c == u'\'') {
            const qsizetype close = body.indexOf(c, i + 1);
            i = close < 0 ? body.size() : close;
        } else if (c == u'/' && i + 1 < body.size() && body.at(i + 1) == u'*') {
            const qsizetype close = body.indexOf(QLatin1String("*/"), i + 2);
            i = close < 0 ? body.size() : close + 1;
        } else if (c == u'(' || c == u'[') {
            ++depth;
        } else if ((c == u')' || c == u']') && depth > 0) {
            --depth;
        } else if (c == u'{' && depth == 0) {
            // A custom property's value may hold a block: "--x: {a; b}".
            const QString head = body.mid(pieceStart, i - pieceStart).trimmed();
            if (!head.startsWith(QLatin1String("--")))
                block = true;
            ++depth;
            while (++i < body.size() && depth > 0) {
                if (body.at(i) == u'{')
                    ++depth;
                else if (body.at(i) == u'}')
                    --depth;
            }
            if (block)
                rules.append(body.mid(pieceStart, i - pieceStart).trimmed());
            block = false;
            pieceStart = i;
            --i;
        } else if (c == u';' && depth == 0) {
            pieceStart = i + 1;
        }
    }
    return rules;
}

} // namespace

StyleSheetWriterSettings StyleSheetWriterSettings::fromConfig(const QVariantMap &config)
{
    StyleSheetWriterSettings settings;
    if (config.isEmpty())
        return settings;
    settings.hasSettings = true;
    settings.overrideCSS = config.value(QStringLiteral("overrideCSS")).toBool();
    settings.minify = config.value(QStringLiteral("minifyCSS")).toBool();
    for (const QVariant &entry : config.value(QStringLiteral("vendarPrefix")).toList()) {
        const QVariantMap map = entry.toMap();
        if (map.value(QStringLiteral("on")).toBool())
            settings.prefixesOn.append(map.value(QStringLiteral("prefix")).toString());
    }
    settings.prefixes = VendarPrefixSettings::fromConfig(config).indexed();
    return settings;
}

StyleSheetWriter::StyleSheetWriter(StyleSheetWriterSettings settings)
    : m_settings(std::move(settings))
    , m_layout(StyleSheetLayout::generated(m_settings.minify, AppConfig::getInstance()->indent()))
{
}

int StyleSheetWriter::venderPrefixIndentCount(const QString &prefix)
{
    qsizetype longest = 0;
    for (const QString &each : AppConfig::getInstance()->vendarPrefixes())
        longest = std::max(longest, each.size());
    return int(longest - prefix.size());
}

QString StyleSheetWriter::replaceVendarPrefixWithKeyframes(const QString &text, const QString &prefix)
{
    return QString(text).replace(QLatin1String("-webkit-"), prefix);
}

QString StyleSheetWriter::selectorAsWritten(const QString &selector)
{
    QString joined = selector;
    joined.remove(u'\r');
    joined.remove(u'\n');
    // Only the commas between selectors break the line: not those inside
    // :is(a, b) or an attribute's quoted value.
    const QStringList parts = DOMCSSParser::splitTopLevel(joined, u',');
    QString written;
    for (qsizetype i = 0; i < parts.size(); ++i) {
        QString part = parts.at(i);
        if (i > 0) {
            // One blank after the comma is taken up by the line break.
            if (!part.isEmpty() && isWhite(part.at(0)))
                part.remove(0, 1);
            written += QStringLiteral(",\n");
        }
        written += part;
    }
    return written;
}

QList<StyleDeclarationPtr> StyleSheetWriter::childrenOf(const StyleDeclaration &declaration) const
{
    File *file = declaration.parentFile();
    return file ? file->getMediaChildren(declaration) : QList<StyleDeclarationPtr>();
}

bool StyleSheetWriter::isSuppressedTwin(const StyleDeclaration &declaration) const
{
    if (declaration.type() != RuleType::Keyframes || isWebkitKeyframes(declaration))
        return false;
    const QString name = animationName(declaration.selector());
    // A removed twin is no twin: it suppresses nothing.
    if (m_keyframesOf) {
        m_tempKeyframeDeclarations = m_keyframesOf->keyframesDeclarations();
        m_keyframesOf = nullptr;
    }
    return std::any_of(m_tempKeyframeDeclarations.cbegin(), m_tempKeyframeDeclarations.cend(),
                       [&name](const StyleDeclarationPtr &other) {
                           return !other->isRemoved() && isWebkitKeyframes(*other)
                                  && animationName(other->selector()) == name;
                       });
}

QString StyleSheetWriter::wrapped(const StyleDeclaration &declaration, const QString &body) const
{
    if (m_layout.minified)
        return m_layout.opening(declaration.selector()) + m_layout.closed(body) + QLatin1Char('}');
    return m_layout.opening(selectorAsWritten(declaration.selector())) + body + QStringLiteral("\n}") + m_layout.ruleGap;
}

QString StyleSheetWriter::valueForPrefix(const QString &name, const QString &value, const QString &prefix) const
{
    if (prefix.isEmpty())
        return value;
    if (name == QLatin1String("transition-property") && m_settings.prefixes.isPrefixed(formalPropertyName(value)))
        return prefix + QLatin1Char('-') + value;
    if (name == QLatin1String("transition")) {
        // The properties a transition names stand between commas and blanks.
        static const QRegularExpression words(QStringLiteral("[^\\s,]+"));
        QString written;
        qsizetype last = 0;
        for (const QRegularExpressionMatch &match : words.globalMatch(value)) {
            written += value.mid(last, match.capturedStart() - last);
            const QString word = match.captured();
            written += m_settings.prefixes.isPrefixed(word) ? prefix + QLatin1Char('-') + word : word;
            last = match.capturedEnd();
        }
        return written + value.mid(last);
    }
    return value;
}

QStringList StyleSheetWriter::copyPrefixesOf(const CSSProperty &property) const
{
    if (!m_copiesOfRule)
        return m_settings.prefixesOn;
    // An edit writes a prefixed copy only where the rule already has that
    // pattern, never a copy the file did not ask for.
    const QStringList own = property.vendorPrefixes().value_or(QStringList());
    QStringList prefixes;
    for (const QString &prefix : m_settings.prefixesOn) {
        if (m_copiesOfRule->contains(prefix) || own.contains(prefix + u'-'))
            prefixes.append(prefix);
    }
    return prefixes;
}

QList<StyleSheetWriter::Line> StyleSheetWriter::linesOf(const CSSProperty &property) const
{
    const QString name = property.property().trimmed();
    const QString value = property.value().trimmed();
    QList<Line> lines;
    if (name == QLatin1String("background-image")) {
        if (!value.startsWith(QLatin1String("url")) && value != QLatin1String("none")) {
            for (const QString &prefix : copyPrefixesOf(property)) {
                // A value with no gradient to prefix has no copy: it would be the plain line again.
                const QString copy = GradientColorParser::convertFormalToVendarPrefix(value, prefix + u'-');
                if (copy != value)
                    lines.append({prefix, name, copy});
            }
        }
    } else if (m_settings.prefixes.isPrefixed(name)) {
        for (const QString &prefix : copyPrefixesOf(property))
            lines.append({prefix, prefix + u'-' + name, valueForPrefix(name, value, prefix)});
    }
    lines.append({QString(), name, value});
    return lines;
}

QString StyleSheetWriter::generatePropertyText(const StyleDeclaration &declaration, const QString &indent) const
{
    QString text;
    for (const CSSPropertyPtr &property : declaration.properties()) {
        if (property->property().isNull() || !isWritten(*property))
            continue;
        const QList<Line> lines = linesOf(*property);
        const bool prefixedGroup = lines.size() > 1 && property->property().trimmed() != QLatin1String("background-image");
        for (const Line &line : lines) {
            QString lineIndent = indent;
            if (!m_layout.minified && prefixedGroup)
                lineIndent += spaces(line.prefix.isEmpty() ? venderPrefixIndentCount(QString()) + 1
                                                           : venderPrefixIndentCount(line.prefix));
            if (!m_layout.minified)
                text += QLatin1Char('\n');
            text += lineIndent + m_layout.declaration(line.name, line.value);
            if (!line.value.endsWith(u';'))
                text += QLatin1Char(';');
        }
    }
    // Rules nested in a style rule stay as they were written.
    if (declaration.type() == RuleType::Style) {
        for (const QString &nested : nestedRuleTexts(declaration.body())) {
            if (m_layout.minified)
                text += collapsedWhiteSpace(nested);
            else
                text += QLatin1Char('\n') + indent + nested;
        }
    }
    return text;
}

QString StyleSheetWriter::mediaBody(const StyleDeclaration &declaration) const
{
    const bool minify = m_layout.minified;
    const QString indent = m_layout.indent;
    const QString indent2 = indent + indent;
    // The block's rules, with the comments between them kept as written.
    QList<StyleDeclarationPtr> items = childrenOf(declaration);
    if (File *file = declaration.parentFile(); file && file->styleDeclarations()) {
        const QList<StyleDeclarationPtr> &all = *file->styleDeclarations();
        const Range block = declaration.range();
        QList<StyleDeclarationPtr> withComments;
        for (const StyleDeclarationPtr &entry : all) {
            const bool child = items.contains(entry);
            const Range range = entry->range();
            const bool comment = entry->type() == RuleType::Comment && block.length > 0
                                 && block.location < range.location && range.end() <= block.end()
                                 && std::none_of(items.cbegin(), items.cend(), [&range](const StyleDeclarationPtr &c) {
                                        return c->range().location < range.location && range.end() <= c->range().end();
                                    });
            if (child || comment)
                withComments.append(entry);
        }
        items = withComments;
    }
    // Comments that stood between the rules of the block stay where they stood.
    QList<std::pair<qsizetype, QString>> comments = commentsInside(declaration);
    QString body;
    const auto writeComments = [&](qsizetype before) {
        while (!comments.isEmpty() && comments.constFirst().first < before) {
            const QString comment = comments.takeFirst().second;
            body += minify ? comment : QLatin1Char('\n') + indent + comment;
        }
    };
    for (const StyleDeclarationPtr &item : std::as_const(items)) {
        if (item->isRemoved())
            continue;
        if (const StyleSheetSource::ItemText *was = m_previous ? m_previous->itemText(item.get()) : nullptr)
            writeComments(was->whole.location);
        if (item->type() == RuleType::Comment) {
            const QString comment = static_cast<const StyleComment &>(*item).commentBody();
            body += minify ? comment : QLatin1Char('\n') + indent + comment;
            continue;
        }
        if (item->type() == RuleType::Media || item->type() == RuleType::Supports
            || (item->type() == RuleType::Other && item->hasBody())) {
            // A block inside the block: its own rules one level deeper.
            const QString inner = mediaBody(*item);
            body += minify ? m_layout.opening(item->selector()) + inner + QLatin1Char('}')
                           : QLatin1Char('\n') + indent + m_layout.opening(item->selector())
                                 + QString(inner).replace(QLatin1Char('\n'), QLatin1Char('\n') + indent) + QLatin1Char('\n')
                                 + indent + QLatin1Char('}');
            continue;
        }
        if (item->type() == RuleType::Other && !item->hasBody()) {
            body += minify ? item->selector() + QLatin1Char(';') : QLatin1Char('\n') + indent + item->selector() + QLatin1Char(';');
            continue;
        }
        const QString declarations = generatePropertyText(*item, minify ? QString() : indent2);
        if (minify)
            body += m_layout.opening(item->selector()) + m_layout.closed(declarations) + QLatin1Char('}');
        else
            body += QLatin1Char('\n') + indent + m_layout.opening(item->selector()) + declarations + QLatin1Char('\n')
                    + indent + QLatin1Char('}');
    }
    writeComments(std::numeric_limits<qsizetype>::max());
    return body;
}

QString StyleSheetWriter::blockAtRuleText(const StyleDeclaration &declaration) const
{
    if (m_layout.minified)
        return m_layout.opening(declaration.selector()) + mediaBody(declaration) + QLatin1Char('}');
    return m_layout.opening(declaration.selector()) + mediaBody(declaration) + QStringLiteral("\n}") + m_layout.ruleGap;
}

QString StyleSheetWriter::innerRuleText(const StyleDeclaration &rule, const QString &indent, bool oneLine) const
{
    if (m_layout.minified)
        return m_layout.opening(rule.selector()) + m_layout.closed(generatePropertyText(rule, QString())) + QLatin1Char('}');
    if (!oneLine)
        return indent + m_layout.opening(rule.selector()) + generatePropertyText(rule, indent + m_layout.indent) + QLatin1Char('\n')
               + indent + QLatin1Char('}');
    QStringList declarations;
    for (const CSSPropertyPtr &property : rule.properties()) {
        if (property->property().isNull() || property->isRemoved())
            continue;
        for (const Line &line : linesOf(*property))
            declarations.append(m_layout.declaration(line.name, line.value) + QLatin1Char(';'));
    }
    const QString inside = declarations.isEmpty() ? QString() : u' ' + declarations.join(u' ') + u' ';
    return indent + m_layout.opening(rule.selector()) + inside + QLatin1Char('}');
}

QString StyleSheetWriter::keyframesBody(const StyleDeclaration &declaration) const
{
    const bool minify = m_layout.minified;
    const QString indent = m_layout.indent;
    const QString indent2 = indent + indent;
    QString body;
    for (const StyleDeclarationPtr &keyframe : sortedByKey(childrenOf(declaration))) {
        QString lines;
        for (const CSSPropertyPtr &property : keyframe->properties()) {
            if (!isWritten(*property))
                continue;
            const QString formal = formalPropertyName(property->property());
            const QString name = m_settings.prefixes.isPrefixed(formal) ? QStringLiteral("-webkit-") + formal : formal;
            if (minify)
                lines += name + m_layout.keyframeColon + property->value() + QLatin1Char(';');
            else
                lines += QLatin1Char('\n') + indent2 + name + m_layout.keyframeColon + property->value() + QLatin1Char(';');
        }
        const QString key = keyframe->selector().trimmed();
        if (minify)
            body += m_layout.opening(key) + m_layout.closed(lines) + QLatin1Char('}');
        else
            body += QLatin1Char('\n') + indent + m_layout.opening(key) + lines + QLatin1Char('\n') + indent + QLatin1Char('}');
    }
    return body;
}

QString StyleSheetWriter::keyframesBodyAsWritten(const StyleDeclaration &declaration) const
{
    const QString indent = m_layout.indent;
    const QString indent2 = indent + indent;
    QString body;
    for (const StyleDeclarationPtr &keyframe : sortedByKey(childrenOf(declaration))) {
        const QString key = keyframe->selector().trimmed();
        if (m_layout.minified)
            body += m_layout.opening(key) + m_layout.closed(generatePropertyText(*keyframe, QString())) + QLatin1Char('}');
        else
            body += QLatin1Char('\n') + indent + m_layout.opening(key) + generatePropertyText(*keyframe, indent2)
                    + QLatin1Char('\n') + indent + QLatin1Char('}');
    }
    return body;
}

QString StyleSheetWriter::generateSelector(const StyleDeclaration &declaration) const
{
    const bool minify = m_layout.minified;
    if (declaration.type() == RuleType::Comment)
        return static_cast<const StyleComment &>(declaration).commentBody() + QLatin1Char('\n');
    if (declaration.isRemoved() || declaration.isInBraket())
        return {};
    switch (declaration.type()) {
    case RuleType::Keyframes: {
        if (isWebkitKeyframes(declaration))
            return wrapped(declaration, keyframesBody(declaration));
        if (isSuppressedTwin(declaration))
            return {};
        // The keyframes as the model has them now (an edit changes them, not
        // the body text they were read from).
        if (!childrenOf(declaration).isEmpty())
            return wrapped(declaration, keyframesBodyAsWritten(declaration));
        const QString body = minify ? collapsedWhiteSpace(declaration.body()) : declaration.body();
        return wrapped(declaration, body);
    }
    case RuleType::Media:
        return wrapped(declaration, mediaBody(declaration));
    case RuleType::Charset:
    case RuleType::Import:
        return declaration.selector() + QLatin1Char(';') + (minify ? QString() : QStringLiteral("\n"));
    case RuleType::Supports:
        return blockAtRuleText(declaration);
    case RuleType::Other:
        if (declaration.selector().startsWith(QLatin1String("@-moz-document"))) {
            const QString text = declaration.cssText();
            return minify ? QString(text).remove(u'\n') : text + m_layout.ruleGap;
        }
        // A statement at-rule ("@namespace", "@layer a, b") has no block to write.
        if (!declaration.hasBody())
            return declaration.selector() + QLatin1Char(';') + (minify ? QString() : QStringLiteral("\n"));
        if (!childrenOf(declaration).isEmpty())
            return blockAtRuleText(declaration);
        break;
    default:
        break;
    }
    return wrapped(declaration, generatePropertyText(declaration, minify ? QString() : m_layout.indent));
}

QString StyleSheetWriter::genKeyframeSelectorString(const StyleDeclaration &keyframe, const QString &prefix) const
{
    const QString indent = m_layout.indent;
    const QString indent2 = indent + indent;
    QString lines;
    for (const CSSPropertyPtr &property : keyframe.properties()) {
        if (!isWritten(*property))
            continue;
        const QString formal = formalPropertyName(property->property());
        QString name = m_settings.prefixes.isPrefixed(formal) ? QStringLiteral("-webkit-") + formal : formal;
        QString value = property->value();
        if (formal == QLatin1String("background-image")) {
            value = GradientColorParser::convertVendarPrefixToFormal(value);
            if (!prefix.isEmpty())
                value = GradientColorParser::convertFormalToVendarPrefix(value, prefix);
        }
        if (formal == QLatin1String("transition-property")
            && m_settings.prefixes.isPrefixed(formalPropertyName(value)))
            value = prefix + formalPropertyName(value);
        name = replaceVendarPrefixWithKeyframes(name, prefix);
        value = replaceVendarPrefixWithKeyframes(value, prefix);
        if (m_layout.minified)
            lines += m_layout.declaration(name, value) + QLatin1Char(';');
        else
            lines += indent2 + name + m_layout.keyframeColon + value + QStringLiteral(";\n");
    }
    const QString key = keyframe.selector().trimmed();
    if (m_layout.minified)
        return m_layout.opening(key) + m_layout.closed(lines) + QLatin1Char('}');
    return indent + m_layout.opening(key) + QStringLiteral("\n") + lines + indent + QStringLiteral("}\n");
}

QString StyleSheetWriter::duplicateVendarPrefixKeyframes(const StyleDeclaration &declaration) const
{
    const bool minify = m_layout.minified;
    const QString name = animationName(declaration.selector());
    const QList<StyleDeclarationPtr> keyframes = sortedByKey(childrenOf(declaration));
    const auto block = [&](const QString &head, const QString &prefix) {
        QString text = head + (minify ? QString() : QStringLiteral("\n"));
        for (const StyleDeclarationPtr &keyframe : keyframes)
            text += genKeyframeSelectorString(*keyframe, prefix);
        return text + (minify ? QStringLiteral("}") : QStringLiteral("}") + m_layout.ruleGap);
    };
    QString text;
    for (const QString &prefix : m_settings.prefixesOn) {
        const QString dash = dashed(prefix);
        text += block(m_layout.opening(QLatin1Char('@') + dash + QStringLiteral("keyframes ") + name), dash);
    }
    return text + block(QStringLiteral("@keyframes ") + name + m_layout.unprefixedKeyframesBrace + QLatin1Char('{'), QString());
}

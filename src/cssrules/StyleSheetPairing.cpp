#include "StyleSheetPairing.h"

#include "platform/web/cssom/DOMCSSParser.h"
#include "platform/web/cssom/DOMCSSRule.h"
#include "platform/web/cssom/DOMCSSStyleSheet.h"
#include "platform/web/cssom/DOMMediaList.h"
#include "workspace/File.h"

#include <QRegularExpression>

namespace {

QList<DOMCSSRulePtr> rulesOf(const DOMCSSRuleList &list)
{
    QList<DOMCSSRulePtr> rules;
    rules.reserve(list.length());
    for (int i = 0; i < list.length(); ++i)
        rules.append(list.item(i));
    return rules;
}

// The text with runs of white space made one blank, none around the
// characters given, and none just inside brackets.
QString tightened(const QString &text, const QString &tightAround)
{
    const QString simple = text.simplified();
    QString out;
    out.reserve(simple.size());
    for (qsizetype i = 0; i < simple.size(); ++i) {
        const QChar c = simple.at(i);
        if (c == u' ') {
            const QChar before = out.isEmpty() ? QChar() : out.back();
            const QChar after = i + 1 < simple.size() ? simple.at(i + 1) : QChar();
            if (tightAround.contains(before) || tightAround.contains(after) || before == u'(' || after == u')'
                || before == u'[' || after == u']')
                continue;
        }
        out += c;
    }
    return out;
}

QString withoutHead(const QString &text, QLatin1String head)
{
    return text.startsWith(head, Qt::CaseInsensitive) ? text.mid(head.size()) : text;
}

} // namespace

File *StyleSheetPairing::file() const
{
    return m_file.data();
}

QString StyleSheetPairing::normalizedSelector(const QString &selector)
{
    // A pairing made again after an edit meets the same selectors: each is
    // normalised once.
    thread_local QHash<QString, QString> known;
    if (const auto it = known.constFind(selector); it != known.cend())
        return *it;
    if (known.size() > 100000)
        known.clear();
    return *known.insert(selector, normalizedSelectorOf(selector));
}

QString StyleSheetPairing::normalizedSelectorOf(const QString &selector)
{
    QString text = selector.toLower();
    text.replace(u'\'', u'"');
    text.replace(QLatin1String("::"), QLatin1String(":"));
    text = tightened(text, QStringLiteral(",>+~"));
    // The engine writes an attribute's value quoted, and drops a universal
    // selector that stands before others.
    static const QRegularExpression attribute(QStringLiteral("\\[([^\\]=\"]+?)([~|^$*]?=)([^\\]\"\\s]+)(\\s+[is])?\\]"));
    text.replace(attribute, QStringLiteral("[\\1\\2\"\\3\"\\4]"));
    // And the keywords of :nth-child() as numbers.
    text.replace(QLatin1String("(odd)"), QLatin1String("(2n+1)"));
    text.replace(QLatin1String("(even)"), QLatin1String("(2n)"));
    static const QRegularExpression universal(QStringLiteral("(^|[\\s,>+~(])\\*(?=[:.#\\[])"));
    text.replace(universal, QStringLiteral("\\1"));
    return text;
}

QString StyleSheetPairing::normalizedMedia(const QString &media)
{
    thread_local QHash<QString, QString> known;
    if (const auto it = known.constFind(media); it != known.cend())
        return *it;
    if (known.size() > 100000)
        known.clear();
    return *known.insert(media, tightened(media.toLower(), QStringLiteral(":,")));
}

QString StyleSheetPairing::keyOfRule(const DOMCSSRule &rule)
{
    switch (rule.type()) {
    case DOMCSSRule::STYLE_RULE:
        return QStringLiteral("1|") + normalizedSelector(rule.selectorText());
    case DOMCSSRule::MEDIA_RULE:
        return QStringLiteral("4|") + normalizedMedia(rule.media() ? rule.media()->mediaText() : QString());
    case DOMCSSRule::KEYFRAMES_RULE:
        return QStringLiteral("7|") + (rule.isPrefixed() ? QStringLiteral("-webkit-") : QString()) + rule.name();
    case DOMCSSRule::KEYFRAME_RULE:
        return QStringLiteral("8|") + DOMCSSParser::normalizedKeyText(rule.keyText()).remove(u' ');
    case DOMCSSRule::SUPPORTS_RULE:
        return QStringLiteral("12|") + normalizedMedia(rule.conditionText());
    case DOMCSSRule::FONT_FACE_RULE:
        return QStringLiteral("5|");
    case DOMCSSRule::PAGE_RULE:
        return QStringLiteral("6|") + normalizedSelector(rule.selectorText());
    case DOMCSSRule::IMPORT_RULE:
        return QStringLiteral("3|");
    case DOMCSSRule::NAMESPACE_RULE:
        return QStringLiteral("10|");
    default: {
        // Other at-rules ("@layer", "@container") by their prelude.
        const QString text = rule.cssText();
        const qsizetype end = std::min(text.indexOf(u'{') < 0 ? text.size() : text.indexOf(u'{'),
                                       text.indexOf(u';') < 0 ? text.size() : text.indexOf(u';'));
        return QStringLiteral("0|") + normalizedMedia(text.left(end));
    }
    }
}

QString StyleSheetPairing::keyOfDeclaration(const StyleDeclaration &declaration)
{
    const QString selector = declaration.selector().trimmed();
    switch (declaration.type()) {
    case RuleType::Style:
        return QStringLiteral("1|") + normalizedSelector(selector);
    case RuleType::Media:
        return QStringLiteral("4|") + normalizedMedia(withoutHead(selector, QLatin1String("@media")));
    case RuleType::Keyframes: {
        const QString name = selector.section(u' ', 1).trimmed();
        if (selector.startsWith(QLatin1String("@-webkit-keyframes")))
            return QStringLiteral("7|-webkit-") + name;
        if (selector.startsWith(QLatin1String("@keyframes")))
            return QStringLiteral("7|") + name;
        // Other prefixes are no live rules.
        return QStringLiteral("7?|") + selector;
    }
    case RuleType::Keyframe:
        return QStringLiteral("8|") + DOMCSSParser::normalizedKeyText(selector).remove(u' ');
    case RuleType::Supports:
        return QStringLiteral("12|") + normalizedMedia(withoutHead(selector, QLatin1String("@supports")));
    case RuleType::FontFace:
        return QStringLiteral("5|");
    case RuleType::Page:
        return QStringLiteral("6|") + normalizedSelector(withoutHead(selector, QLatin1String("@page")).trimmed());
    case RuleType::Import:
        return QStringLiteral("3|");
    case RuleType::Charset:
        return QStringLiteral("2|");
    default:
        // The model keeps a namespace statement with its text as its body.
        if (selector.startsWith(QLatin1String("@namespace"))
            || (selector.isEmpty() && declaration.body().trimmed().startsWith(QLatin1String("namespace"))))
            return QStringLiteral("10|");
        return QStringLiteral("0|") + normalizedMedia(selector);
    }
}

StyleSheetPairing::StyleSheetPairing(const DOMCSSStyleSheetPtr &sheet, File *file,
                                     const QList<StyleDeclarationPtr> &declarations)
    : m_sheet(sheet)
    , m_file(file)
    , m_sheetSignature(signatureOf(sheet))
    , m_fileSignature(signatureOf(declarations))
{
    QList<StyleDeclarationPtr> topLevel;
    for (const StyleDeclarationPtr &declaration : declarations) {
        // A removed item has no rule in the page, whatever its key.
        if (!declaration->isInBraket() && declaration->type() != RuleType::Comment && !declaration->isRemoved())
            topLevel.append(declaration);
    }
    if (sheet)
        pairLists(rulesOf(sheet->cssRules()), topLevel);
}

quint64 StyleSheetPairing::signatureOf(const DOMCSSStyleSheetPtr &sheet)
{
    // The rule objects of the sheet in tree order, those of imported sheets
    // included: a rule inserted, deleted or replaced anywhere changes it.
    quint64 signature = 1469598103934665603ull;
    const std::function<void(const DOMCSSRuleList &)> walk = [&](const DOMCSSRuleList &list) {
        signature = (signature ^ quint64(list.length())) * 1099511628211ull;
        for (int i = 0; i < list.length(); ++i) {
            const DOMCSSRulePtr rule = list.item(i);
            signature = (signature ^ quint64(quintptr(rule.get()))) * 1099511628211ull;
            if (rule->type() != DOMCSSRule::IMPORT_RULE)
                walk(rule->cssRules());
            else if (const DOMCSSStyleSheetPtr imported = rule->styleSheet())
                walk(imported->cssRules());
        }
    };
    if (sheet)
        walk(sheet->cssRules());
    return signature;
}

quint64 StyleSheetPairing::signatureOf(const QList<StyleDeclarationPtr> &declarations)
{
    quint64 signature = 1469598103934665603ull ^ quint64(declarations.size());
    for (const StyleDeclarationPtr &declaration : declarations)
        signature = (signature ^ quint64(quintptr(declaration.get())) ^ quint64(declaration->isRemoved()))
                    * 1099511628211ull;
    return signature;
}

bool StyleSheetPairing::isCurrent(const DOMCSSStyleSheetPtr &sheet, const QList<StyleDeclarationPtr> &declarations) const
{
    return sheet == m_sheet && signatureOf(sheet) == m_sheetSignature && signatureOf(declarations) == m_fileSignature;
}

void StyleSheetPairing::pair(const DOMCSSRulePtr &rule, const StyleDeclarationPtr &declaration)
{
    m_declarationOf.insert(rule.get(), declaration);
    m_ruleOf.insert(declaration.get(), rule);
    if (rule->type() == DOMCSSRule::IMPORT_RULE || !m_file)
        return;
    const DOMCSSRuleList children = rule->cssRules();
    if (children.length() > 0)
        pairLists(rulesOf(children), m_file->getMediaChildren(*declaration));
}

void StyleSheetPairing::pairLists(const QList<DOMCSSRulePtr> &rules, const QList<StyleDeclarationPtr> &declarations)
{
    // Items of each key, in text order.
    QHash<QString, QList<qsizetype>> byKey;
    for (qsizetype i = 0; i < declarations.size(); ++i)
        byKey[keyOfDeclaration(*declarations.at(i))].append(i);
    QList<qsizetype> pairedWith(rules.size(), -1);
    QList<bool> used(declarations.size(), false);
    for (qsizetype r = 0; r < rules.size(); ++r) {
        auto it = byKey.find(keyOfRule(*rules.at(r)));
        if (it == byKey.end() || it->isEmpty())
            continue;
        const qsizetype d = it->takeFirst();
        pairedWith[r] = d;
        used[d] = true;
    }
    // A rule between two paired neighbours, with an item between theirs, of
    // its kind: the same rule written in a way the keys do not see as equal.
    for (qsizetype r = 0; r < rules.size(); ++r) {
        if (pairedWith.at(r) >= 0)
            continue;
        const qsizetype before = r > 0 ? pairedWith.at(r - 1) : -1;
        if (r > 0 && before < 0)
            continue;
        const qsizetype candidate = before + 1;
        if (candidate >= declarations.size() || used.at(candidate))
            continue;
        const qsizetype after = r + 1 < rules.size() ? pairedWith.at(r + 1) : declarations.size();
        if (after >= 0 && after != candidate + 1 && r + 1 < rules.size())
            continue;
        if (keyOfRule(*rules.at(r)).section(u'|', 0, 0) != keyOfDeclaration(*declarations.at(candidate)).section(u'|', 0, 0))
            continue;
        pairedWith[r] = candidate;
        used[candidate] = true;
    }
    for (qsizetype r = 0; r < rules.size(); ++r) {
        if (pairedWith.at(r) >= 0)
            pair(rules.at(r), declarations.at(pairedWith.at(r)));
        else
            ++m_unpaired;
    }
    // What the page never had a rule for: a @charset, prefixes of other
    // engines, and rules it could not read.
    for (qsizetype d = 0; d < declarations.size(); ++d) {
        const QString key = keyOfDeclaration(*declarations.at(d));
        if (!used.at(d) && !key.startsWith(QLatin1String("2|")) && !key.startsWith(QLatin1String("7?|"))
            && !declarations.at(d)->isRemoved())
            ++m_dropped;
    }
}

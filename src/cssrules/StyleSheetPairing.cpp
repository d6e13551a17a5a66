#include "StyleSheetPairing.h"

#include "platform/web/cssom/DOMCSSParser.h"
#include "platform/web/cssom/DOMCSSRule.h"
#include "platform/web/cssom/DOMCSSStyleSheet.h"
#include "platform/web/cssom/DOMMediaList.h"
#include "workspace/File.h"

#include <QRegularExpression>

#include <algorithm>
#include <atomic>

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

quint64 nextPairingStamp()
{
    static std::atomic<quint64> s_next{0};
    return ++s_next;
}

// Items the page never has a rule for: "@charset", and keyframes under the
// prefixes of other engines. They take no part in the pairing.
bool hasLiveRule(const StyleDeclaration &declaration)
{
    if (declaration.type() == RuleType::Charset)
        return false;
    if (declaration.type() != RuleType::Keyframes)
        return true;
    const QString selector = declaration.selector().trimmed();
    return selector.startsWith(QLatin1String("@-webkit-keyframes")) || selector.startsWith(QLatin1String("@keyframes"));
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
    // Most selectors have neither attributes nor universal selectors.
    if (text.contains(u'['))
        text.replace(attribute, QStringLiteral("[\\1\\2\"\\3\"\\4]"));
    // And the keywords of :nth-child() as numbers.
    text.replace(QLatin1String("(odd)"), QLatin1String("(2n+1)"));
    text.replace(QLatin1String("(even)"), QLatin1String("(2n)"));
    static const QRegularExpression universal(QStringLiteral("(^|[\\s,>+~(])\\*(?=[:.#\\[])"));
    if (text.contains(u'*'))
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
    , m_stamp(nextPairingStamp())
{
    update(declarations);
}

bool StyleSheetPairing::isCurrent(const DOMCSSStyleSheetPtr &sheet, const QList<StyleDeclarationPtr> &declarations) const
{
    // The file's list is replaced, never changed in place, and the pairing
    // holds the one it was made from: the same data is the same list.
    return sheet == m_sheet && m_rulesStamp != 0 && (sheet ? sheet->rulesStamp() : 1) == m_rulesStamp
           && declarations.constData() == m_declarations.constData() && declarations.size() == m_declarations.size()
           && StyleDeclaration::removalStamp() == m_removalStamp;
}

bool StyleSheetPairing::update(const QList<StyleDeclarationPtr> &declarations)
{
    if (isCurrent(m_sheet, declarations))
        return false;
    m_rulesStamp = m_sheet ? m_sheet->rulesStamp() : 1;
    m_declarations = declarations;
    m_removalStamp = StyleDeclaration::removalStamp();
    m_changed = false;

    QList<StyleDeclarationPtr> items;
    QList<qsizetype> positions;
    for (qsizetype i = 0; i < declarations.size(); ++i) {
        // A removed item has no rule in the page, whatever its key.
        const StyleDeclarationPtr &declaration = declarations.at(i);
        if (!declaration->isInBraket() && declaration->type() != RuleType::Comment && !declaration->isRemoved()
            && hasLiveRule(*declaration)) {
            items.append(declaration);
            positions.append(i);
        }
    }
    QSet<const DOMCSSRule *> kept;
    updateLevel(nullptr, m_sheet ? rulesOf(m_sheet->cssRules()) : QList<DOMCSSRulePtr>(), items, positions, kept);
    // The levels of blocks that lost their pair or all their rules.
    for (auto it = m_levels.begin(); it != m_levels.end();) {
        if (it.key() && !kept.contains(it.key())) {
            unpair(*it, 0, it->rules.size());
            it = m_levels.erase(it);
        } else {
            ++it;
        }
    }
    m_unpaired = 0;
    m_dropped = 0;
    for (const Level &level : std::as_const(m_levels)) {
        m_unpaired += level.unpaired;
        m_dropped += level.dropped;
    }
    if (m_changed)
        m_stamp = nextPairingStamp();
    return m_changed;
}

void StyleSheetPairing::updateLevel(const DOMCSSRulePtr &owner, const QList<DOMCSSRulePtr> &rules,
                                    const QList<StyleDeclarationPtr> &items, const QList<qsizetype> &positions,
                                    QSet<const DOMCSSRule *> &kept)
{
    if (owner)
        kept.insert(owner.get());
    // The blocks to go into, found before: the level is not held across the
    // levels below it, which may move it.
    QList<std::pair<DOMCSSRulePtr, qsizetype>> blocks;
    {
        Level &level = m_levels[owner.get()];
        level.owner = owner;
        if (level.rules != rules || level.items != items) {
            if (!level.inPlace || !pairInPlace(level, rules, items)) {
                unpair(level, 0, level.rules.size());
                level.rules = rules;
                level.items = items;
                pairLists(level);
            }
        }
        if (!m_file)
            return;
        for (qsizetype r = 0; r < level.rules.size(); ++r) {
            const qsizetype at = level.pairedWith.at(r);
            const DOMCSSRulePtr &rule = level.rules.at(r);
            // An imported sheet pairs on its own.
            if (at >= 0 && rule->type() != DOMCSSRule::IMPORT_RULE && rule->cssRules().length() > 0)
                blocks.append({rule, positions.at(at)});
        }
    }
    for (const auto &[rule, position] : std::as_const(blocks)) {
        QList<StyleDeclarationPtr> childItems;
        QList<qsizetype> childPositions;
        for (const qsizetype child : File::childPositionsOf(m_declarations, position)) {
            if (hasLiveRule(*m_declarations.at(child))) {
                childItems.append(m_declarations.at(child));
                childPositions.append(child);
            }
        }
        updateLevel(rule, rulesOf(rule->cssRules()), childItems, childPositions, kept);
    }
}

bool StyleSheetPairing::pairInPlace(Level &level, const QList<DOMCSSRulePtr> &rules, const QList<StyleDeclarationPtr> &items)
{
    // The stretch between what stayed at either end, if it pairs in place
    // too: a new pairing would pair each rule with the item at its place,
    // as every key stands at the same place on both sides.
    const qsizetype before = level.rules.size();
    const qsizetype now = rules.size();
    if (items.size() != now)
        return false;
    const auto same = [&](qsizetype old, qsizetype at) {
        return rules.at(at) == level.rules.at(old) && items.at(at) == level.items.at(old);
    };
    qsizetype head = 0;
    while (head < before && head < now && same(head, head))
        ++head;
    qsizetype tail = 0;
    while (tail < before - head && tail < now - head && same(before - 1 - tail, now - 1 - tail))
        ++tail;
    for (qsizetype i = head; i < now - tail; ++i) {
        if (keyOfRule(*rules.at(i)) != keyOfDeclaration(*items.at(i)))
            return false;
    }
    unpair(level, head, before - tail);
    level.rules = rules;
    level.items = items;
    level.pairedWith.resize(now);
    for (qsizetype i = 0; i < now; ++i)
        level.pairedWith[i] = i;
    for (qsizetype i = head; i < now - tail; ++i)
        pair(rules.at(i), items.at(i));
    return true;
}

void StyleSheetPairing::pair(const DOMCSSRulePtr &rule, const StyleDeclarationPtr &declaration)
{
    m_declarationOf.insert(rule.get(), declaration);
    m_ruleOf.insert(declaration.get(), rule);
    m_changed = true;
}

void StyleSheetPairing::unpair(const Level &level, qsizetype from, qsizetype to)
{
    // Only the pairs that still stand: a rule or an item may have been
    // paired again in another level already.
    for (qsizetype r = from; r < to; ++r) {
        const qsizetype at = level.pairedWith.value(r, -1);
        if (at < 0)
            continue;
        const DOMCSSRule *rule = level.rules.at(r).get();
        const StyleDeclaration *item = level.items.at(at).get();
        if (const auto it = m_declarationOf.constFind(rule); it != m_declarationOf.cend() && it->get() == item) {
            m_declarationOf.erase(it);
            m_changed = true;
        }
        if (const auto it = m_ruleOf.constFind(item); it != m_ruleOf.cend() && it->get() == rule) {
            m_ruleOf.erase(it);
            m_changed = true;
        }
    }
}

void StyleSheetPairing::pairLists(Level &level)
{
    const QList<DOMCSSRulePtr> &rules = level.rules;
    const QList<StyleDeclarationPtr> &declarations = level.items;
    // Items of each key, in text order.
    QList<QString> itemKeys;
    itemKeys.reserve(declarations.size());
    QHash<QString, QList<qsizetype>> byKey;
    for (qsizetype i = 0; i < declarations.size(); ++i) {
        itemKeys.append(keyOfDeclaration(*declarations.at(i)));
        byKey[itemKeys.constLast()].append(i);
    }
    QList<QString> ruleKeys;
    ruleKeys.reserve(rules.size());
    QList<qsizetype> pairedWith(rules.size(), -1);
    QList<bool> used(declarations.size(), false);
    for (qsizetype r = 0; r < rules.size(); ++r) {
        ruleKeys.append(keyOfRule(*rules.at(r)));
        auto it = byKey.find(ruleKeys.constLast());
        if (it == byKey.end() || it->isEmpty())
            continue;
        const qsizetype d = it->takeFirst();
        pairedWith[r] = d;
        used[d] = true;
    }
    // A rule between two paired neighbours, with an item between theirs, of
    // its kind: the same rule written in a way the keys do not see as equal.
    const auto kindOf = [](const QString &key) { return QStringView(key).left(key.indexOf(u'|')); };
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
        if (kindOf(ruleKeys.at(r)) != kindOf(itemKeys.at(candidate)))
            continue;
        pairedWith[r] = candidate;
        used[candidate] = true;
    }
    level.unpaired = 0;
    level.inPlace = rules.size() == declarations.size();
    for (qsizetype r = 0; r < rules.size(); ++r) {
        if (pairedWith.at(r) >= 0)
            pair(rules.at(r), declarations.at(pairedWith.at(r)));
        else
            ++level.unpaired;
        level.inPlace = level.inPlace && pairedWith.at(r) == r;
    }
    // What the page never had a rule for: rules it could not read.
    level.dropped = int(std::count(used.cbegin(), used.cend(), false));
    level.pairedWith = pairedWith;
}

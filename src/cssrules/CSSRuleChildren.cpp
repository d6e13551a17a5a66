// CSSRule: the child rows of a rules-outline row, built on first demand.

#include "CSSRule.h"

#include "platform/foundation/Log.h"
#include "platform/web/cssom/DOMCSSRule.h"
#include "platform/web/cssom/DOMCSSStyleDeclaration.h"
#include "stylesheet/GradientColorParser.h"
#include "stylesheet/StringVendarPrefix.h"
#include "stylesheet/VendarPrefixSettings.h"
#include "workspace/File.h"

#include <QRegularExpression>

#include <algorithm>

namespace {

using StringVendarPrefix::formalPropertyName;

// The number at the start of a keyframe's key ("12.5%" gives 12.5); keys
// without one sort first.
double keyNumber(const QString &key)
{
    qsizetype end = 0;
    while (end < key.size() && (key.at(end).isDigit() || key.at(end) == u'.' || key.at(end) == u'-'))
        ++end;
    bool ok = false;
    const double number = key.left(end).toDouble(&ok);
    return ok ? number : -1;
}

QString keyOfSelector(const QString &selector)
{
    if (selector == QLatin1String("from"))
        return QStringLiteral("0%");
    if (selector == QLatin1String("to"))
        return QStringLiteral("100%");
    return selector;
}

QString withoutImportant(QString value)
{
    return value.remove(QLatin1String("!important")).trimmed();
}

bool isKeyframesRule(const CSSRulePtr &row)
{
    return row && row->type() == RuleType::Keyframes;
}

} // namespace

QList<CSSRulePtr> CSSRule::children()
{
    if (!m_children)
        m_children = parseChildren();
    return *m_children;
}

void CSSRule::reloadChildren()
{
    m_children = parseChildren();
}

void CSSRule::setChildren(const QList<CSSRulePtr> &children)
{
    m_children = children;
}

bool CSSRule::isLeaf() const
{
    const CSSRulePtr owner = ownerRule();
    if (!m_property || (owner && owner.get() != this && isKeyframesRule(owner)))
        return !m_decLine.isNull();
    // Only what the file holds is shown under a declaration (#77): the
    // longhands of a shorthand that splits, the prefixed copies it wrote.
    if (m_property->isShartHand())
        return !m_property->valueMap();
    return m_property->vendorPrefixes().value_or(QStringList()).isEmpty();
}

QList<CSSRulePtr> CSSRule::parseChildren()
{
    QList<CSSRulePtr> list;
    const CSSRulePtr owner = ownerRule();
    if (m_property && !isKeyframesRule(owner))
        list = propertyChildren();
    else if (m_computedStyleDec)
        list = computedStyleChildren();
    else if (m_elementStyleDec)
        list = elementStyleChildren();
    else if (m_rule && m_isShortHand)
        list = liveShorthandChildren();
    else if (m_rule) {
        if (m_styleDeclaration || m_rule->type() == DOMCSSRule::KEYFRAME_RULE)
            list = getChildrenFromStyleDeclaration();
        else
            list = liveRuleChildren();
    } else if (m_decLine.isNull()) {
        list = m_rules;
    }
    for (const CSSRulePtr &child : std::as_const(list))
        child->setFile(relatedFile());
    return list;
}

QList<CSSRulePtr> CSSRule::propertyChildren()
{
    QList<CSSRulePtr> list;
    const CSSRulePtr parent = ownerRule();
    const auto addChild = [&](const QString &name, const QString &value, bool prefixed) {
        auto property = std::make_shared<CSSProperty>(name, value);
        property->setEnabled(m_property->isEnabled());
        property->setVisible(true);
        CSSRulePtr row = initWithCSSProperty(property, parent);
        row->m_isShortHandChild = true;
        row->m_shortHandOwner = shared_from_this();
        row->m_isVenderPrefix = prefixed;
        list.append(row);
    };
    if (m_property->isShartHand()) {
        // A value that does not split (var(), more than the parser reads)
        // has no longhands to show.
        const std::optional<CSSValueMap> values = m_property->valueMap();
        for (const QString &longhand : values ? CSSProperty::shortHandMap().value(m_property->property()) : QStringList())
            addChild(longhand, withoutImportant(values->value(longhand)), false);
        return list;
    }
    // The prefixed copies the file holds of the declaration, each under its
    // own name: a copy itself has none, and none are made up from the
    // project's prefixes (#77).
    const QString formal = m_property->formalName();
    const VendarPrefixSettings settings = prefixSettingsOf(relatedFile());
    for (const QString &prefix : m_property->vendorPrefixes().value_or(QStringList())) {
        QString value = m_property->value();
        if (formal == QLatin1String("transition-property") && settings.isPrefixed(formalPropertyName(value)))
            value = prefix + formalPropertyName(value);
        addChild(prefix + formal, value, true);
    }
    return list;
}

CSSRulePtr CSSRule::declarationLine(const QString &name, const QString &value)
{
    CSSRulePtr row = initWithPropertyText(name + QStringLiteral(": ") + value);
    row->m_ownerRule = weak_from_this();
    row->m_level = 1;
    row->m_isFirstAssigned = true;
    return row;
}

QList<CSSRulePtr> CSSRule::computedStyleChildren()
{
    QList<CSSRulePtr> list;
    for (int i = 0; i < m_computedStyleDec->length(); ++i) {
        const QString name = m_computedStyleDec->item(i);
        list.append(declarationLine(name, m_computedStyleDec->getPropertyValue(name)));
    }
    return list;
}

QList<CSSRulePtr> CSSRule::elementStyleChildren()
{
    StyleDeclaration scratch;
    scratch.setType(RuleType::DeclarationList);
    scratch.setBody(m_elementStyleDec->cssText());
    QList<CSSRulePtr> list;
    for (const CSSPropertyPtr &property : scratch.properties())
        list.append(declarationLine(property->property(), property->value()));
    return list;
}

QList<CSSRulePtr> CSSRule::liveRuleChildren()
{
    QList<CSSRulePtr> list;
    static const QRegularExpression bodyExpression(QStringLiteral("\\{.+\\}"));
    const QRegularExpressionMatch match = bodyExpression.match(m_rule->cssText());
    if (!match.hasMatch() || match.capturedLength() < 5)
        return list;
    const QString matched = match.captured();
    const QStringList pieces = matched.mid(2, matched.size() - 4).split(QStringLiteral("; "));
    QStringList declaredNames;
    for (const QString &piece : pieces)
        declaredNames.append(piece.section(QStringLiteral(": "), 0, 0).trimmed());

    const DOMCSSStyleDeclarationPtr style = m_rule->style();
    if (!style)
        return list;
    // Items of a shorthand, by shorthand name, in order of first appearance.
    QStringList shorthandOrder;
    QHash<QString, QStringList> shorthandValues;
    for (int i = 0; i < style->length(); ++i) {
        const QString name = style->item(i);
        const QString shorthand = getPropertyShorthand(name, declaredNames);
        if (shorthand.isEmpty()) {
            CSSRulePtr row = initWithPropertyText(name + QStringLiteral(": ") + style->getPropertyValue(name));
            row->m_ownerRule = weak_from_this();
            list.append(row);
            continue;
        }
        if (!shorthandValues.contains(shorthand))
            shorthandOrder.append(shorthand);
        shorthandValues[shorthand].append(style->getPropertyValue(name));
    }
    for (const QString &shorthand : std::as_const(shorthandOrder)) {
        CSSRulePtr row = initWithShortHand(shorthand, m_rule);
        std::optional<QString> value;
        for (const QString &piece : pieces) {
            const qsizetype separator = piece.indexOf(QStringLiteral(": "));
            if (separator < 0)
                continue;
            const QString name = piece.left(separator).trimmed();
            if (name == shorthand || getPropertyShorthand(name, declaredNames) == shorthand) {
                value = piece.mid(separator + 2).remove(QLatin1Char(';'));
                break;
            }
        }
        if (!value) {
            QM_DEBUG(QStringLiteral("nil"));
            value = shorthandValues.value(shorthand).join(QLatin1Char(' '));
        }
        row->m_decLine = shorthand + QStringLiteral(": ") + *value;
        row->m_ownerRule = weak_from_this();
        row->m_backup = *value;
        list.append(row);
    }
    return list;
}

QList<CSSRulePtr> CSSRule::liveShorthandChildren()
{
    // A shorthand read from the page: its longhands as the page has them,
    // never the rule's declarations again.
    QList<CSSRulePtr> list;
    const DOMCSSStyleDeclarationPtr style = m_rule->style();
    for (int i = 0; style && i < style->length(); ++i) {
        const QString name = style->item(i);
        if (getPropertyShorthand(name, {m_shortHandName}) != m_shortHandName)
            continue;
        CSSRulePtr row = initWithPropertyText(name + QStringLiteral(": ") + style->getPropertyValue(name));
        row->m_ownerRule = m_ownerRule;
        row->m_isShortHandChild = true;
        row->m_shortHandOwner = weak_from_this();
        list.append(row);
    }
    return list;
}

QList<CSSRulePtr> CSSRule::getChildrenFromStyleDeclaration()
{
    QList<CSSRulePtr> list;
    const CSSRulePtr self = shared_from_this();
    switch (m_rule->type()) {
    case DOMCSSRule::KEYFRAMES_RULE: {
        const QList<StyleDeclarationPtr> keyframes = relatedFile() && m_styleDeclaration
            ? relatedFile()->getMediaChildren(*m_styleDeclaration)
            : QList<StyleDeclarationPtr>();
        const DOMCSSRuleList rules = m_rule->cssRules();
        for (int i = 0; i < rules.length(); ++i) {
            CSSRulePtr row = initWithRule(rules.item(i));
            row->m_ownerRule = self;
            row->m_animationOwner = self;
            const QString key = row->propName();
            for (const StyleDeclarationPtr &keyframe : keyframes) {
                if (keyOfSelector(keyframe->selector()) == key)
                    row->m_styleDeclaration = keyframe;
            }
            list.append(row);
        }
        std::stable_sort(list.begin(), list.end(), [](const CSSRulePtr &a, const CSSRulePtr &b) {
            return keyNumber(a->propName()) < keyNumber(b->propName());
        });
        return list;
    }
    case DOMCSSRule::KEYFRAME_RULE: {
        if (!m_styleDeclaration)
            return list;
        const DOMCSSStyleDeclarationPtr style = m_rule->style();
        const VendarPrefixSettings settings = prefixSettingsOf(relatedFile());
        const QList<CSSPropertyPtr> &properties = m_styleDeclaration->properties();
        for (qsizetype index = 0; index < properties.size(); ++index) {
            const CSSPropertyPtr &property = properties.at(index);
            // The page holds one value for the declarations of a name that
            // the engine takes for one ("-webkit-mask-position" and
            // "mask-position"): the last of them in the file shows it, the
            // others show their own, each under its name (#72).
            const bool overridden = std::any_of(properties.cbegin() + index + 1, properties.cend(), [&property](const CSSPropertyPtr &later) {
                return !later->isRemoved() && later->formalName() == property->formalName();
            });
            if (overridden) {
                CSSRulePtr row = initWithPropertyText(property->property() + QStringLiteral(": ") + property->value());
                row->m_ownerRule = m_ownerRule;
                row->m_animationOwner = self;
                row->m_property = property;
                list.append(row);
                continue;
            }
            std::optional<std::pair<QString, QString>> found;
            for (int i = 0; style && i < style->length(); ++i) {
                const QString item = style->item(i);
                QString name = item;
                name.remove(QLatin1String("-webkit-"));
                if (name != property->formalName())
                    continue;
                QString value = style->getPropertyValue(item);
                if (name == QLatin1String("background-image"))
                    value = GradientColorParser::convertVendarPrefixToFormal(value);
                if (formalPropertyName(name) == QLatin1String("transition-property")
                    && settings.isPrefixed(formalPropertyName(value)))
                    value = formalPropertyName(value);
                found = std::pair(name, value);
                break;
            }
            // A shorthand is no item of its own: the engine folds its longhands back.
            if (!found && style && !style->getPropertyValue(property->formalName()).isEmpty())
                found = std::pair(property->formalName(), style->getPropertyValue(property->formalName()));
            if (!found)
                continue;
            // Under the name the file gives it.
            CSSRulePtr row = initWithPropertyText(property->property() + QStringLiteral(": ") + found->second);
            row->m_ownerRule = m_ownerRule;
            row->m_animationOwner = self;
            row->m_property = property;
            list.append(row);
        }
        return list;
    }
    case DOMCSSRule::MEDIA_RULE: {
        const DOMCSSRuleList rules = m_rule->cssRules();
        for (int i = 0; i < rules.length(); ++i) {
            CSSRulePtr row = initWithRule(rules.item(i));
            row->m_ownerRule = self;
            row->m_mediaOwner = self;
            list.prepend(row);
        }
        return list;
    }
    default:
        break;
    }
    const CSSRulePtr mediaRow = mediaOwner();
    if (!mediaRow) {
        const CSSRulePtr owner = ownerRule() ? ownerRule() : self;
        if (!owner->m_styleDeclaration)
            return list;
        for (const CSSPropertyPtr &property : owner->m_styleDeclaration->properties()) {
            if (property->isVisible() && !property->isRemoved())
                list.append(initWithCSSProperty(property, owner));
        }
        return list;
    }
    if (!m_styleDeclaration)
        return list;
    for (const CSSPropertyPtr &property : m_styleDeclaration->properties()) {
        if (!property->isVisible() || property->isRemoved())
            continue;
        CSSRulePtr row = initWithCSSProperty(property, self);
        row->m_mediaOwner = mediaRow;
        list.append(row);
    }
    return list;
}

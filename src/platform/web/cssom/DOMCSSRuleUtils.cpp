// DOMCSSRule(Utils): reading a live rule's selector and body, and finding and
// removing a rule inside a media rule.

#include "DOMCSSRule.h"


QString DOMCSSRule::selector() const
{
    switch (m_type) {
    case STYLE_RULE:
        return selectorText();
    case MEDIA_RULE: {
        const QString text = cssText();
        const qsizetype brace = text.indexOf(QLatin1Char('{'));
        if (brace < 0)
            return {};
        // Without the "@media " head.
        return text.left(brace).trimmed().mid(7);
    }
    case KEYFRAMES_RULE:
        return QStringLiteral("@-webkit-keyframes %1").arg(name());
    case KEYFRAME_RULE:
        return keyText();
    default:
        return {};
    }
}

QString DOMCSSRule::cssBody() const
{
    QString body = cssText().mid(selector().size());
    body.remove(QLatin1Char('{'));
    body.remove(QLatin1Char('}'));
    return body.trimmed();
}

QString DOMCSSRule::animationName() const
{
    return m_type == KEYFRAMES_RULE ? name() : QString();
}

int DOMCSSRule::indexOfRule(const DOMCSSRulePtr &rule) const
{
    if (!rule || m_rules.isEmpty())
        return -1;
    const QString text = rule->cssText();
    for (int i = 0; i < m_rules.size(); ++i) {
        if (m_rules.at(i)->cssText() == text)
            return i;
    }
    return -1;
}

void DOMCSSRule::removeRuleByRule(const DOMCSSRulePtr &rule)
{
    if (m_type != MEDIA_RULE)
        return;
    const int index = indexOfRule(rule);
    if (index >= 0)
        deleteRule(index);
}

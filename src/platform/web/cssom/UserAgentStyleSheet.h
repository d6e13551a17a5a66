#pragma once

#include "DOMCSSStyleSheet.h"

#include "platform/web/dom/DOMEngineQueries.h"

#include <QList>

class DOMElement;

// The browser's default rules, which the engine does not show to script: our
// own small table after the rendering section of the HTML Standard (display,
// margins, fonts and the like of the common elements), matched against the
// mirror in C++. Its rules carry ids of their own range.
class UserAgentStyleSheet
{
public:
    static const UserAgentStyleSheet &instance();

    DOMCSSStyleSheetPtr sheet() const { return m_sheet; }
    // The default rules that match the element, in the table's order. With a
    // pseudo-element ("before", "::marker"), the rules written for it.
    QList<DOMMatchedRule> matchedRules(const DOMElement &element, const QString &pseudoElement) const;
    // A rule of the table by id; null when the id is not one of them.
    DOMCSSRulePtr ruleForId(qint64 ruleId) const;

private:
    UserAgentStyleSheet();

    DOMCSSStyleSheetPtr m_sheet;
};

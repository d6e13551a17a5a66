#pragma once

#include <QList>
#include <QString>

#include <utility>

class DOMElement;

// A style rule of the page as the engine matched it: the id the bridge gave the
// rule in the style-sheet mirror, and its cssText.
struct DOMMatchedRule
{
    qint64 ruleId = 0;
    QString cssText;

    bool operator==(const DOMMatchedRule &other) const = default;
};

// A computed style as (property, value) pairs in the engine's order.
using DOMComputedStyle = QList<std::pair<QString, QString>>;

// The questions about a page that only the web engine can answer. The live
// page fills them from its batched answers; a document without one answers
// nothing (DOMDocument::setEngineQueries()).
class DOMEngineQueries
{
public:
    virtual ~DOMEngineQueries() = default;

    // Empty when the engine has no answer for the element.
    virtual DOMComputedStyle computedStyle(const DOMElement &element, const QString &pseudoElement) = 0;
    // The rules matching the element in cascade order; all origins, or the
    // page's own style sheets only.
    enum class Origin { All, AuthorOnly };
    virtual QList<DOMMatchedRule> matchedCSSRules(const DOMElement &element, const QString &pseudoElement,
                                                  Origin origin) = 0;
};

#pragma once

#include <QList>
#include <QMarginsF>
#include <QPointF>
#include <QRectF>
#include <QString>

#include <optional>

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

// The layout box of an element, in CSS pixels: its border box in its own
// document (scrolling included) and in the top-level view, and the widths of
// its borders and paddings.
struct DOMElementBox
{
    QRectF boundingBox;
    QRectF viewRect;
    QMarginsF border;
    QMarginsF padding;
};

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

    // Whether the media query holds in the page's view.
    virtual std::optional<bool> matchMedia(const QString &query) { return std::nullopt; }
    // Whether the page takes the value for the property (CSS.supports).
    virtual std::optional<bool> supports(const QString &property, const QString &value) { return std::nullopt; }
    // The same answer when it is at hand, without asking the page.
    virtual std::optional<bool> knownSupports(const QString &property, const QString &value) { return std::nullopt; }
    // The name the engine lists the property under: its own name, the
    // standard name of an alias ("-webkit-transition" is "transition"), or
    // empty for a name the engine does not know.
    virtual std::optional<QString> propertyName(const QString &name) { return std::nullopt; }
    virtual std::optional<DOMElementBox> elementBox(const DOMElement &element) { return std::nullopt; }
    // The element under a point of the view, in CSS pixels; null for none.
    virtual DOMElement *elementAtPoint(const QPointF &point) { return nullptr; }
};

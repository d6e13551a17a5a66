#pragma once

#include "platform/web/dom/DOMEngineQueries.h"

#include <QHash>
#include <QJsonObject>
#include <QPointF>
#include <QStringList>

#include <functional>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

class DOMDocument;
class DOMElement;
class DOMNode;
class WebBridge;
class WebFrameMirror;

// Questions for the engine, asked together in one round trip.
struct WebEngineQuestions
{
    QList<std::pair<const DOMElement *, QString>> computedStyles; // element, pseudo-element
    QList<const DOMNode *> boxes;                                  // elements and text nodes
    QList<std::pair<const DOMElement *, QString>> matchedRules;    // element, pseudo-element
    QStringList mediaQueries;
    QList<std::pair<QString, QString>> values;                     // property, value (CSS.supports)
    QStringList conditions;                                        // of @supports rules (CSS.supports)
    QStringList propertyNames;                                     // as written (propertyName())
    bool longhandTable = false;                                    // longhandsOf()
    std::optional<QPointF> point;

    bool isEmpty() const
    {
        return computedStyles.isEmpty() && boxes.isEmpty() && matchedRules.isEmpty() && mediaQueries.isEmpty()
            && values.isEmpty() && conditions.isEmpty() && propertyNames.isEmpty() && !longhandTable && !point;
    }
};

// The engine's answers about one frame, asked in batches ahead of the work
// that needs them and kept until the next mutation (media answers until the
// view is resized; value validity and property names for the program's life). The synchronous
// questions of the mirror (DOMEngineQueries) are answered from here; a
// question nobody foresaw falls back to one blocking round trip, and is logged.
class WebEngineCache : public DOMEngineQueries
{
public:
    WebEngineCache(WebBridge &bridge, WebFrameMirror &frame);

    // One round trip for what is not known yet; done runs when the answers are
    // in (at once when nothing needed asking), or after timeoutMs without
    // them, logged: what was not answered stays unknown, and the page is
    // silent until it answers again.
    static constexpr int kAnswerTimeoutMs = 10000;
    void prefetch(const WebEngineQuestions &questions, std::function<void()> done = {},
                  int timeoutMs = kAnswerTimeoutMs);
    // What the panels need when an element is selected: its computed style,
    // box and matching rules, the given media queries and value pairs.
    void prefetchElement(const DOMElement &element, const QStringList &mediaQueries,
                         const QList<std::pair<QString, QString>> &values, std::function<void()> done = {});

    // After a change of the document or its style sheets. A change of a
    // rule's declarations alone keeps the elements' matched rules, which it
    // cannot change (their texts are read from the mirror as they are asked).
    enum class Change { Structure, Declarations };
    void invalidate(Change change = Change::Structure);
    // After a resize or zoom (media answers too) / a scroll (boxes and points).
    void invalidateLayout();
    void invalidateScroll();

    DOMComputedStyle computedStyle(const DOMElement &element, const QString &pseudoElement) override;
    // In cascade order: the browser's default rules first, then the page's
    // rules from the least to the most specific (later rules after earlier
    // ones of the same specificity).
    QList<DOMMatchedRule> matchedCSSRules(const DOMElement &element, const QString &pseudoElement,
                                          Origin origin) override;
    std::optional<bool> matchMedia(const QString &query) override;
    std::optional<bool> supports(const QString &property, const QString &value) override;
    std::optional<bool> knownSupports(const QString &property, const QString &value) override;
    // Whether the condition of an @supports rule holds.
    std::optional<bool> supportsCondition(const QString &condition);
    std::optional<QString> propertyName(const QString &name) override;
    // The properties the engine sets for a declaration of the name: a
    // shorthand's longhands, an alias's standard property, else the name
    // itself (whether the engine knows it is the validity of its value).
    // Unknown until the table was asked for (WebEngineQuestions::longhandTable).
    static std::optional<QStringList> longhandsOf(const QString &name);
    std::optional<DOMElementBox> elementBox(const DOMElement &element) override;
    DOMElement *elementAtPoint(const QPointF &point) override;
    // The box of an element or of a text node (the box of its text, with no
    // borders or paddings); asked at once when it was not asked ahead.
    std::optional<DOMElementBox> nodeBox(const DOMNode &node);
    // The same, only when it is at hand: never asks the page.
    std::optional<DOMElementBox> knownNodeBox(const DOMNode &node);

    // Whether the answers of these questions are at hand.
    bool hasAnswers(const WebEngineQuestions &questions) const;
    // The page left questions unanswered past their time-out and has not
    // answered since: asking again would only wait again, and a question
    // nobody foresaw gets no answer at once instead of blocking.
    bool isSilent() const { return m_silent; }

    // The browser's DOM node ids of this frame's session became void.
    void forgetProtocolNodes() { m_protocolNodes.clear(); }

private:
    struct Keys
    {
        QList<QString> computed;
        QList<qint64> boxes;
        QList<QString> matched;
        QStringList media;
        QList<QString> values;
        QStringList conditions;
        QStringList names;
        bool longhandTable = false;
        bool point = false;
        QPointF pointAt;
    };

    // A question on its way to the page, and what waits for its answer
    // besides the caller: a question asked again before the answer comes
    // waits for that answer instead of going to the page twice (#81).
    struct Asked
    {
        Keys keys;
        std::vector<std::function<void()>> waiting;
    };

    static QString elementKey(const DOMElement &element, const QString &pseudoElement);
    static QString valueKey(const QString &property, const QString &value);
    WebEngineQuestions missing(const WebEngineQuestions &questions) const;
    // The questions less those on their way; the asks that carry them go to asked.
    WebEngineQuestions notAsked(const WebEngineQuestions &questions, QList<std::shared_ptr<Asked>> &asked) const;
    QJsonObject questionJson(const WebEngineQuestions &questions, Keys &keys) const;
    void takeAnswers(const QJsonObject &reply, const Keys &keys, quint64 generation, quint64 layoutGeneration);
    void askNow(const WebEngineQuestions &questions);
    QList<DOMMatchedRule> sortedRules(const QJsonArray &entries) const;
    // The browser's own default rules that match an element, as the
    // browser reports them, in cascade order (WebEngineCacheDefaults.cpp).
    enum class Wait { No, Yes };
    void fetchDefaultRules(const DOMElement &element, Wait wait, std::function<void()> done);
    static QList<DOMMatchedRule> defaultRulesOf(const QJsonObject &matchedStyles);
    static QString defaultRulesKey(const DOMElement &element);
    const QList<DOMMatchedRule> *knownDefaultRules(const DOMElement &element);
    // Where the frame's view begins in the top-level view, in CSS pixels;
    // without waiting, nullopt while the frame element's box is not at hand.
    std::optional<QPointF> frameOffset(Wait wait);
    void prefetchOwnerBox(std::function<void()> done);

    WebBridge &m_bridge;
    WebFrameMirror &m_frame;
    quint64 m_generation = 0;       // mutations
    quint64 m_layoutGeneration = 0; // resizes
    bool m_silent = false;

    QHash<QString, DOMComputedStyle> m_computed;
    QHash<qint64, DOMElementBox> m_boxes;
    QHash<QString, QList<DOMMatchedRule>> m_matched;
    QHash<QString, bool> m_media;
    std::optional<std::pair<QPointF, qint64>> m_point; // point, node id (0 for none)
    // The browser's default rules by what they depend on (defaultRulesKey()):
    // elements of the same kind share them, and edits elsewhere keep them.
    QHash<QString, QList<DOMMatchedRule>> m_defaultRules;
    const DOMDocument *m_defaultRulesDocument = nullptr; // Not owned; whose rules those are.
    QHash<qint64, int> m_protocolNodes;                  // element id -> the browser's DOM node id
    // Until their answers come: the page's (dropped at a mutation, whose
    // answers are stale) and the browser's default rules by defaultRulesKey().
    QList<std::shared_ptr<Asked>> m_asked;
    QHash<QString, std::shared_ptr<std::vector<std::function<void()>>>> m_defaultsAsked;

    // Answers that come after the frame is gone find this expired.
    std::shared_ptr<bool> m_alive = std::make_shared<bool>(true);

    static QHash<QString, bool> s_values;
    static QHash<QString, bool> s_conditions;
    static QHash<QString, QString> s_propertyNames;
    static std::optional<QHash<QString, QStringList>> s_longhands;
};

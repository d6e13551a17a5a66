#include "WebEngineCache.h"

#include "WebBridge.h"
#include "WebFrameMirror.h"

#include "platform/foundation/Log.h"
#include "platform/web/cssom/DOMSelectorSpecificity.h"
#include "platform/web/cssom/DOMStyleSheetList.h"
#include "platform/web/cssom/UserAgentStyleSheet.h"
#include "platform/web/dom/DOMElement.h"
#include "platform/web/dom/DOMLog.h"

#include <QJsonArray>
#include <QTimer>

#include <algorithm>

QHash<QString, bool> WebEngineCache::s_values;
QHash<QString, bool> WebEngineCache::s_conditions;
QHash<QString, QString> WebEngineCache::s_propertyNames;
std::optional<QHash<QString, QStringList>> WebEngineCache::s_longhands;

namespace {

QJsonArray elementList(const QList<std::pair<const DOMElement *, QString>> &list)
{
    QJsonArray array;
    for (const auto &[element, pseudo] : list)
        array.append(QJsonObject{{QStringLiteral("node"), double(element->nodeId())}, {QStringLiteral("pseudo"), pseudo}});
    return array;
}

QMarginsF sides(const QJsonValue &value)
{
    const QJsonArray list = value.toArray();
    // Top, right, bottom, left.
    return QMarginsF(list.at(3).toDouble(), list.at(0).toDouble(), list.at(1).toDouble(), list.at(2).toDouble());
}

} // namespace

WebEngineCache::WebEngineCache(WebBridge &bridge, WebFrameMirror &frame) : m_bridge(bridge), m_frame(frame) {}

QString WebEngineCache::elementKey(const DOMElement &element, const QString &pseudoElement)
{
    return QString::number(element.nodeId()) + QLatin1Char('|') + pseudoElement;
}

QString WebEngineCache::valueKey(const QString &property, const QString &value)
{
    return property + QLatin1Char(':') + value;
}

void WebEngineCache::invalidate(Change change)
{
    ++m_generation;
    m_asked.clear();
    m_computed.clear();
    m_boxes.clear();
    if (change == Change::Structure)
        m_matched.clear();
    m_point.reset();
}

void WebEngineCache::invalidateLayout()
{
    invalidate();
    ++m_layoutGeneration;
    m_media.clear();
}

void WebEngineCache::invalidateScroll()
{
    m_asked.clear();
    m_boxes.clear();
    m_point.reset();
}

WebEngineQuestions WebEngineCache::missing(const WebEngineQuestions &questions) const
{
    WebEngineQuestions rest;
    for (const auto &entry : questions.computedStyles) {
        if (entry.first && !m_computed.contains(elementKey(*entry.first, entry.second)))
            rest.computedStyles.append(entry);
    }
    for (const DOMNode *node : questions.boxes) {
        if (node && !m_boxes.contains(node->nodeId()))
            rest.boxes.append(node);
    }
    for (const auto &entry : questions.matchedRules) {
        if (entry.first && !m_matched.contains(elementKey(*entry.first, entry.second)))
            rest.matchedRules.append(entry);
    }
    for (const QString &query : questions.mediaQueries) {
        if (!m_media.contains(query) && !rest.mediaQueries.contains(query))
            rest.mediaQueries.append(query);
    }
    for (const auto &pair : questions.values) {
        if (!s_values.contains(valueKey(pair.first, pair.second)))
            rest.values.append(pair);
    }
    for (const QString &condition : questions.conditions) {
        if (!s_conditions.contains(condition) && !rest.conditions.contains(condition))
            rest.conditions.append(condition);
    }
    for (const QString &name : questions.propertyNames) {
        if (!s_propertyNames.contains(name) && !rest.propertyNames.contains(name))
            rest.propertyNames.append(name);
    }
    rest.longhandTable = questions.longhandTable && !s_longhands;
    if (questions.point && !(m_point && m_point->first == *questions.point))
        rest.point = questions.point;
    return rest;
}

WebEngineQuestions WebEngineCache::notAsked(const WebEngineQuestions &questions,
                                            QList<std::shared_ptr<Asked>> &asked) const
{
    // Whether an ask on its way carries the key: it is waited for then.
    const auto onItsWay = [&](const auto &listOf, const auto &key) {
        for (const std::shared_ptr<Asked> &ask : m_asked) {
            if (listOf(ask->keys).contains(key)) {
                if (!asked.contains(ask))
                    asked.append(ask);
                return true;
            }
        }
        return false;
    };
    WebEngineQuestions rest;
    for (const auto &entry : questions.computedStyles) {
        if (!onItsWay([](const Keys &keys) { return keys.computed; }, elementKey(*entry.first, entry.second)))
            rest.computedStyles.append(entry);
    }
    for (const DOMNode *node : questions.boxes) {
        if (!onItsWay([](const Keys &keys) { return keys.boxes; }, node->nodeId()))
            rest.boxes.append(node);
    }
    for (const auto &entry : questions.matchedRules) {
        if (!onItsWay([](const Keys &keys) { return keys.matched; }, elementKey(*entry.first, entry.second)))
            rest.matchedRules.append(entry);
    }
    for (const QString &query : questions.mediaQueries) {
        if (!onItsWay([](const Keys &keys) { return keys.media; }, query))
            rest.mediaQueries.append(query);
    }
    for (const auto &pair : questions.values) {
        if (!onItsWay([](const Keys &keys) { return keys.values; }, valueKey(pair.first, pair.second)))
            rest.values.append(pair);
    }
    for (const QString &name : questions.propertyNames) {
        if (!onItsWay([](const Keys &keys) { return keys.names; }, name))
            rest.propertyNames.append(name);
    }
    for (const QString &condition : questions.conditions) {
        if (!onItsWay([](const Keys &keys) { return keys.conditions; }, condition))
            rest.conditions.append(condition);
    }
    if (questions.longhandTable) {
        const auto at = std::find_if(m_asked.cbegin(), m_asked.cend(),
                                     [](const std::shared_ptr<Asked> &ask) { return ask->keys.longhandTable; });
        if (at == m_asked.cend())
            rest.longhandTable = true;
        else if (!asked.contains(*at))
            asked.append(*at);
    }
    if (questions.point) {
        const auto at = std::find_if(m_asked.cbegin(), m_asked.cend(), [&](const std::shared_ptr<Asked> &ask) {
            return ask->keys.point && ask->keys.pointAt == *questions.point;
        });
        if (at == m_asked.cend())
            rest.point = questions.point;
        else if (!asked.contains(*at))
            asked.append(*at);
    }
    return rest;
}

bool WebEngineCache::hasAnswers(const WebEngineQuestions &questions) const
{
    return missing(questions).isEmpty();
}

QJsonObject WebEngineCache::questionJson(const WebEngineQuestions &questions, Keys &keys) const
{
    QJsonObject json;
    if (!questions.computedStyles.isEmpty()) {
        json.insert(QStringLiteral("computed"), elementList(questions.computedStyles));
        for (const auto &[element, pseudo] : questions.computedStyles)
            keys.computed.append(elementKey(*element, pseudo));
    }
    if (!questions.boxes.isEmpty()) {
        QJsonArray boxes;
        for (const DOMNode *node : questions.boxes) {
            boxes.append(double(node->nodeId()));
            keys.boxes.append(node->nodeId());
        }
        json.insert(QStringLiteral("boxes"), boxes);
    }
    if (!questions.matchedRules.isEmpty()) {
        json.insert(QStringLiteral("matched"), elementList(questions.matchedRules));
        for (const auto &[element, pseudo] : questions.matchedRules)
            keys.matched.append(elementKey(*element, pseudo));
    }
    if (!questions.mediaQueries.isEmpty()) {
        json.insert(QStringLiteral("media"), QJsonArray::fromStringList(questions.mediaQueries));
        keys.media = questions.mediaQueries;
    }
    if (!questions.values.isEmpty()) {
        QJsonArray values;
        for (const auto &[property, value] : questions.values) {
            values.append(QJsonArray{property, value});
            keys.values.append(valueKey(property, value));
        }
        json.insert(QStringLiteral("supports"), values);
    }
    if (!questions.conditions.isEmpty()) {
        json.insert(QStringLiteral("conditions"), QJsonArray::fromStringList(questions.conditions));
        keys.conditions = questions.conditions;
    }
    if (!questions.propertyNames.isEmpty()) {
        json.insert(QStringLiteral("names"), QJsonArray::fromStringList(questions.propertyNames));
        keys.names = questions.propertyNames;
    }
    if (questions.longhandTable) {
        json.insert(QStringLiteral("longhands"), true);
        keys.longhandTable = true;
    }
    if (questions.point) {
        json.insert(QStringLiteral("point"), QJsonArray{questions.point->x(), questions.point->y()});
        keys.point = true;
        keys.pointAt = *questions.point;
    }
    return json;
}

QList<DOMMatchedRule> WebEngineCache::sortedRules(const QJsonArray &entries) const
{
    struct Entry
    {
        DOMMatchedRule rule;
        DOMSelectorSpecificity specificity;
    };
    QList<Entry> list;
    const DOMStyleSheetList &sheets = m_frame.document()->styleSheets();
    for (const QJsonValue &value : entries) {
        const QJsonObject entry = value.toObject();
        Entry made;
        made.rule.ruleId = qint64(entry.value(QStringLiteral("rule")).toDouble());
        const DOMCSSRulePtr mirrored = sheets.ruleForId(made.rule.ruleId);
        made.rule.cssText = mirrored ? mirrored->cssText() : entry.value(QStringLiteral("text")).toString();
        for (const QJsonValue &part : entry.value(QStringLiteral("parts")).toArray())
            made.specificity = std::max(made.specificity, DOMSelectorSpecificity::of(part.toString()));
        list.append(made);
    }
    // The page lists them in style-sheet order; the cascade puts the more specific later.
    std::stable_sort(list.begin(), list.end(),
                     [](const Entry &a, const Entry &b) { return a.specificity < b.specificity; });
    QList<DOMMatchedRule> rules;
    rules.reserve(list.size());
    for (const Entry &entry : list)
        rules.append(entry.rule);
    return rules;
}

void WebEngineCache::takeAnswers(const QJsonObject &reply, const Keys &keys, quint64 generation,
                                 quint64 layoutGeneration)
{
    if (reply.isEmpty() || !m_frame.document())
        return;
    const QJsonArray values = reply.value(QStringLiteral("supports")).toArray();
    for (int i = 0; i < keys.values.size() && i < values.size(); ++i)
        s_values.insert(keys.values.at(i), values.at(i).toBool());
    const QJsonArray conditions = reply.value(QStringLiteral("conditions")).toArray();
    for (int i = 0; i < keys.conditions.size() && i < conditions.size(); ++i) {
        if (conditions.at(i).isBool())
            s_conditions.insert(keys.conditions.at(i), conditions.at(i).toBool());
    }
    const QJsonArray names = reply.value(QStringLiteral("names")).toArray();
    for (int i = 0; i < keys.names.size() && i < names.size(); ++i) {
        if (names.at(i).isString())
            s_propertyNames.insert(keys.names.at(i), names.at(i).toString());
    }
    if (keys.longhandTable && reply.value(QStringLiteral("longhands")).isObject()) {
        QHash<QString, QStringList> table;
        const QJsonObject longhands = reply.value(QStringLiteral("longhands")).toObject();
        for (auto it = longhands.constBegin(); it != longhands.constEnd(); ++it) {
            QStringList names;
            for (const QJsonValue &name : it.value().toArray())
                names.append(name.toString());
            table.insert(it.key(), names);
        }
        s_longhands = std::move(table);
    }
    if (layoutGeneration == m_layoutGeneration) {
        const QJsonArray media = reply.value(QStringLiteral("media")).toArray();
        for (int i = 0; i < keys.media.size() && i < media.size(); ++i) {
            if (!media.at(i).isNull())
                m_media.insert(keys.media.at(i), media.at(i).toBool());
        }
    }
    // Answers about elements that changed meanwhile are stale.
    if (generation != m_generation)
        return;
    const QJsonArray computed = reply.value(QStringLiteral("computed")).toArray();
    for (int i = 0; i < keys.computed.size() && i < computed.size(); ++i) {
        DOMComputedStyle style;
        for (const QJsonValue &pair : computed.at(i).toArray())
            style.append({pair.toArray().at(0).toString(), pair.toArray().at(1).toString()});
        m_computed.insert(keys.computed.at(i), style);
    }
    const QJsonArray boxes = reply.value(QStringLiteral("boxes")).toArray();
    for (int i = 0; i < keys.boxes.size() && i < boxes.size(); ++i) {
        const QJsonObject box = boxes.at(i).toObject();
        if (box.isEmpty())
            continue;
        DOMElementBox made;
        made.boundingBox = QRectF(box.value(QStringLiteral("x")).toDouble(), box.value(QStringLiteral("y")).toDouble(),
                                  box.value(QStringLiteral("w")).toDouble(), box.value(QStringLiteral("h")).toDouble());
        made.viewRect = QRectF(box.value(QStringLiteral("vx")).toDouble(), box.value(QStringLiteral("vy")).toDouble(),
                               made.boundingBox.width(), made.boundingBox.height());
        made.border = sides(box.value(QStringLiteral("border")));
        made.padding = sides(box.value(QStringLiteral("padding")));
        m_boxes.insert(keys.boxes.at(i), made);
    }
    const QJsonArray matched = reply.value(QStringLiteral("matched")).toArray();
    for (int i = 0; i < keys.matched.size() && i < matched.size(); ++i)
        m_matched.insert(keys.matched.at(i), sortedRules(matched.at(i).toArray()));
    if (keys.point) {
        // A point over a frame answers the frame element: the caller asks that frame next.
        const QJsonObject hit = reply.value(QStringLiteral("point")).toObject();
        m_point = std::pair(keys.pointAt, qint64(hit.value(QStringLiteral("node")).toDouble()));
    }
}

void WebEngineCache::prefetch(const WebEngineQuestions &questions, std::function<void()> done, int timeoutMs)
{
    // The browser's default rules come from the browser itself, beside the
    // page's answers; those on their way already are waited for.
    QList<const DOMElement *> defaults;
    QList<std::shared_ptr<std::vector<std::function<void()>>>> defaultsAsked;
    QStringList defaultKeys;
    for (const auto &[element, pseudo] : questions.matchedRules) {
        if (!element || !pseudo.isEmpty() || knownDefaultRules(*element))
            continue;
        const QString key = defaultRulesKey(*element);
        if (defaultKeys.contains(key))
            continue;
        defaultKeys.append(key);
        if (const auto asked = m_defaultsAsked.value(key))
            defaultsAsked.append(asked);
        else
            defaults.append(element);
    }
    QList<std::shared_ptr<Asked>> asked;
    const WebEngineQuestions rest = notAsked(missing(questions), asked);
    if (rest.isEmpty() && defaults.isEmpty() && asked.isEmpty() && defaultsAsked.isEmpty()) {
        if (done)
            done();
        return;
    }
    // Boxes of a frame's elements need the frame element's box in the parent
    // too: everything is asked at once, and done runs once, when all is in
    // or at the time-out.
    struct Pending
    {
        qsizetype waiting = 0;
        std::function<void()> done;
    };
    const auto pending = std::make_shared<Pending>(
        Pending{(rest.isEmpty() ? 0 : 1) + (rest.boxes.isEmpty() ? 0 : 1) + defaults.size() + asked.size()
                    + defaultsAsked.size(),
                std::move(done)});
    const auto finish = [pending] {
        if (--pending->waiting == 0) {
            if (const std::function<void()> run = std::exchange(pending->done, {}))
                run();
        }
    };
    for (const std::shared_ptr<Asked> &ask : std::as_const(asked))
        ask->waiting.push_back(finish);
    for (const auto &waiting : std::as_const(defaultsAsked))
        waiting->push_back(finish);
    const std::weak_ptr<bool> alive = m_alive;
    for (const DOMElement *element : std::as_const(defaults)) {
        const QString key = defaultRulesKey(*element);
        const auto waiting = std::make_shared<std::vector<std::function<void()>>>();
        m_defaultsAsked.insert(key, waiting);
        fetchDefaultRules(*element, Wait::No, [this, alive, key, waiting, finish] {
            if (!alive.expired() && m_defaultsAsked.value(key) == waiting)
                m_defaultsAsked.remove(key);
            finish();
            for (const std::function<void()> &then : *waiting)
                then();
        });
    }
    if (!rest.isEmpty()) {
        if (!rest.boxes.isEmpty())
            prefetchOwnerBox(finish);
        auto ask = std::make_shared<Asked>();
        const QJsonObject json = questionJson(rest, ask->keys);
        m_asked.append(ask);
        const quint64 generation = m_generation;
        const quint64 layoutGeneration = m_layoutGeneration;
        m_bridge.ask(m_frame, json, [this, alive, ask, generation, layoutGeneration, finish](const QJsonObject &reply) {
            if (!alive.expired()) {
                m_asked.removeOne(ask);
                m_silent = false;
                takeAnswers(reply, ask->keys, generation, layoutGeneration);
            }
            finish();
            for (const std::function<void()> &then : std::exchange(ask->waiting, {}))
                then();
        });
    }
    // No question waits for ever on the browser: the caller goes on
    // with what is known, and a question asked later asks the page again.
    if (!pending->done)
        return;
    QTimer::singleShot(timeoutMs, &m_bridge, [this, alive, pending, timeoutMs] {
        const std::function<void()> run = std::exchange(pending->done, {});
        if (!run)
            return;
        QM_ERROR(QStringLiteral("the page did not answer the program's questions within %1 ms; they stay unanswered")
                     .arg(timeoutMs));
        if (!alive.expired()) {
            m_silent = true;
            m_asked.clear();
            m_defaultsAsked.clear();
        }
        run();
    });
}

void WebEngineCache::prefetchElement(const DOMElement &element, const QStringList &mediaQueries,
                                     const QList<std::pair<QString, QString>> &values, std::function<void()> done)
{
    WebEngineQuestions questions;
    questions.computedStyles.append({&element, QString()});
    questions.boxes.append(&element);
    questions.matchedRules.append({&element, QString()});
    questions.mediaQueries = mediaQueries;
    questions.values = values;
    prefetch(questions, std::move(done));
}

void WebEngineCache::askNow(const WebEngineQuestions &questions)
{
    const WebEngineQuestions rest = missing(questions);
    if (rest.isEmpty() || !m_frame.document())
        return;
    if (m_silent) {
        qCDebug(lcWeb) << "an engine question was not asked ahead, and the page is silent: it stays unanswered";
        return;
    }
    qCDebug(lcWeb) << "an engine question was not asked ahead; asking it now and waiting";
    Keys keys;
    const QJsonObject json = questionJson(rest, keys);
    const quint64 generation = m_generation;
    const quint64 layoutGeneration = m_layoutGeneration;
    if (const std::optional<QJsonObject> reply = m_bridge.askAndWait(m_frame, json)) {
        m_silent = false;
        takeAnswers(*reply, keys, generation, layoutGeneration);
    }
}

DOMComputedStyle WebEngineCache::computedStyle(const DOMElement &element, const QString &pseudoElement)
{
    const QString key = elementKey(element, pseudoElement);
    if (!m_computed.contains(key)) {
        WebEngineQuestions questions;
        questions.computedStyles.append({&element, pseudoElement});
        askNow(questions);
    }
    return m_computed.value(key);
}

QList<DOMMatchedRule> WebEngineCache::matchedCSSRules(const DOMElement &element, const QString &pseudoElement,
                                                      Origin origin)
{
    const QString key = elementKey(element, pseudoElement);
    if (!m_matched.contains(key)) {
        WebEngineQuestions questions;
        questions.matchedRules.append({&element, pseudoElement});
        askNow(questions);
    }
    QList<DOMMatchedRule> rules;
    if (origin == Origin::All) {
        // The browser's own list where it gives one; the table for the rest
        // (pseudo-elements, or a browser that did not answer).
        if (pseudoElement.isEmpty() && !knownDefaultRules(element) && !m_silent)
            fetchDefaultRules(element, Wait::Yes, [] {});
        if (const QList<DOMMatchedRule> *known = knownDefaultRules(element))
            rules = *known;
        if (rules.isEmpty() || !pseudoElement.isEmpty())
            rules = UserAgentStyleSheet::instance().matchedRules(element, pseudoElement);
    }
    // The mirror's rules with their texts as they are now: a declaration
    // changed since the answer keeps the answer.
    const DOMStyleSheetList *sheets = m_frame.document() ? &m_frame.document()->styleSheets() : nullptr;
    for (DOMMatchedRule rule : m_matched.value(key)) {
        if (const DOMCSSRulePtr mirrored = sheets ? sheets->ruleForId(rule.ruleId) : nullptr)
            rule.cssText = mirrored->cssText();
        rules.append(rule);
    }
    return rules;
}

std::optional<bool> WebEngineCache::matchMedia(const QString &query)
{
    if (!m_media.contains(query)) {
        WebEngineQuestions questions;
        questions.mediaQueries.append(query);
        askNow(questions);
    }
    const auto it = m_media.constFind(query);
    return it == m_media.cend() ? std::nullopt : std::optional(it.value());
}

std::optional<bool> WebEngineCache::knownSupports(const QString &property, const QString &value)
{
    const auto it = s_values.constFind(valueKey(property, value));
    return it == s_values.cend() ? std::nullopt : std::optional(it.value());
}

std::optional<bool> WebEngineCache::supports(const QString &property, const QString &value)
{
    if (const std::optional<bool> known = knownSupports(property, value))
        return known;
    WebEngineQuestions questions;
    questions.values.append({property, value});
    askNow(questions);
    return knownSupports(property, value);
}

std::optional<bool> WebEngineCache::supportsCondition(const QString &condition)
{
    if (!s_conditions.contains(condition)) {
        WebEngineQuestions questions;
        questions.conditions.append(condition);
        askNow(questions);
    }
    const auto it = s_conditions.constFind(condition);
    return it == s_conditions.cend() ? std::nullopt : std::optional(it.value());
}

std::optional<QString> WebEngineCache::propertyName(const QString &name)
{
    if (!s_propertyNames.contains(name)) {
        WebEngineQuestions questions;
        questions.propertyNames.append(name);
        askNow(questions);
    }
    const auto it = s_propertyNames.constFind(name);
    return it == s_propertyNames.cend() ? std::nullopt : std::optional(it.value());
}

std::optional<QStringList> WebEngineCache::longhandsOf(const QString &name)
{
    if (!s_longhands)
        return std::nullopt;
    const auto it = s_longhands->constFind(name.startsWith(QLatin1String("--")) ? name : name.toLower());
    return it == s_longhands->cend() ? QStringList{name.startsWith(QLatin1String("--")) ? name : name.toLower()} : *it;
}

std::optional<DOMElementBox> WebEngineCache::elementBox(const DOMElement &element)
{
    return nodeBox(element);
}

std::optional<DOMElementBox> WebEngineCache::nodeBox(const DOMNode &node)
{
    if (!m_boxes.contains(node.nodeId())) {
        WebEngineQuestions questions;
        questions.boxes.append(&node);
        askNow(questions);
    }
    const auto it = m_boxes.constFind(node.nodeId());
    if (it == m_boxes.cend())
        return std::nullopt;
    DOMElementBox box = it.value();
    box.viewRect.translate(frameOffset(Wait::Yes).value_or(QPointF()));
    return box;
}

std::optional<DOMElementBox> WebEngineCache::knownNodeBox(const DOMNode &node)
{
    const auto it = m_boxes.constFind(node.nodeId());
    const std::optional<QPointF> offset = frameOffset(Wait::No);
    if (it == m_boxes.cend() || !offset)
        return std::nullopt;
    DOMElementBox box = it.value();
    box.viewRect.translate(*offset);
    return box;
}

std::optional<QPointF> WebEngineCache::frameOffset(Wait wait)
{
    // A frame's page knows only its own view: where the frame's content
    // sits in the top-level view comes from its frame element in the parent.
    if (m_frame.isMainFrame())
        return QPointF();
    WebFrameMirror *parent = m_bridge.frame(m_frame.parentFrameId());
    DOMNode *owner = parent && parent->document() ? parent->document()->nodeForId(m_frame.ownerNodeId()) : nullptr;
    if (!owner || !owner->isElement())
        return QPointF();
    const std::optional<DOMElementBox> ownerBox =
        wait == Wait::Yes ? parent->engine()->nodeBox(*owner) : parent->engine()->knownNodeBox(*owner);
    if (!ownerBox)
        return wait == Wait::Yes ? std::optional(QPointF()) : std::nullopt;
    return ownerBox->viewRect.topLeft() + QPointF(ownerBox->border.left() + ownerBox->padding.left(),
                                                  ownerBox->border.top() + ownerBox->padding.top());
}

void WebEngineCache::prefetchOwnerBox(std::function<void()> done)
{
    WebFrameMirror *parent = m_frame.isMainFrame() ? nullptr : m_bridge.frame(m_frame.parentFrameId());
    DOMNode *owner = parent && parent->document() ? parent->document()->nodeForId(m_frame.ownerNodeId()) : nullptr;
    if (!owner || !owner->isElement()) {
        done();
        return;
    }
    WebEngineQuestions questions;
    questions.boxes.append(static_cast<const DOMElement *>(owner));
    parent->engine()->prefetch(questions, std::move(done));
}

DOMElement *WebEngineCache::elementAtPoint(const QPointF &point)
{
    if (!(m_point && m_point->first == point)) {
        WebEngineQuestions questions;
        questions.point = point;
        askNow(questions);
    }
    if (!m_point || !m_frame.document())
        return nullptr;
    DOMNode *node = m_frame.document()->nodeForId(m_point->second);
    return node && node->isElement() ? static_cast<DOMElement *>(node) : nullptr;
}

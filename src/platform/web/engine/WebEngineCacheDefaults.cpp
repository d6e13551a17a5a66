// WebEngineCache: the browser's own default rules of an element, from the
// browser's CSS domain, and the browser's node ids behind the mirror's.

#include "WebEngineCache.h"

#include "DevToolsConnection.h"
#include "WebBridge.h"
#include "WebFrameMirror.h"
#include "WebPage.h"

#include "platform/web/cssom/DOMCSSRule.h"
#include "platform/web/cssom/DOMCSSRuleList.h"
#include "platform/web/cssom/UserAgentStyleSheet.h"
#include "platform/web/dom/DOMAttr.h"
#include "platform/web/dom/DOMElement.h"

#include <QJsonArray>
#include <QSet>

namespace {

const int s_timeoutMs = 1000;

// The table's rule with the same selectors, whose id the panels know.
qint64 tableRuleId(const QString &selectorText)
{
    const DOMCSSRuleList rules = UserAgentStyleSheet::instance().sheet()->cssRules();
    for (int i = 0; i < rules.length(); ++i) {
        if (rules.item(i)->selectorText() == selectorText)
            return rules.item(i)->ruleId();
    }
    return 0;
}

// An attribute whose value no default rule of the browser tests.
bool isUnreadByDefaultRules(const QString &name)
{
    static const QSet<QString> names{QStringLiteral("class"), QStringLiteral("id"),   QStringLiteral("style"),
                                     QStringLiteral("href"),  QStringLiteral("src"),  QStringLiteral("title"),
                                     QStringLiteral("alt")};
    return names.contains(name) || name.startsWith(QLatin1String("data-")) || name.startsWith(QLatin1String("aria-"));
}

} // namespace

QString WebEngineCache::defaultRulesKey(const DOMElement &element)
{
    // What the browser's default rules look at: the element's name and
    // attributes, and the names of its ancestors. Of the attributes that
    // only name, style, link or describe an element they test at most
    // whether it has one: elements of a kind share their answer (#81).
    QString key = element.namespaceURI() + QLatin1Char('|') + element.localName();
    for (int i = 0; i < element.attributeCount(); ++i) {
        const DOMAttr *attribute = element.attributeAt(i);
        const QString &name = attribute->name();
        key += QLatin1Char(' ') + name;
        if (!isUnreadByDefaultRules(name))
            key += QLatin1Char('=') + attribute->value();
    }
    for (const DOMElement *ancestor = element.parentElement(); ancestor; ancestor = ancestor->parentElement())
        key += QLatin1Char('<') + ancestor->localName();
    return key;
}

const QList<DOMMatchedRule> *WebEngineCache::knownDefaultRules(const DOMElement &element)
{
    if (m_defaultRulesDocument != m_frame.document()) {
        m_defaultRules.clear();
        m_defaultRulesDocument = m_frame.document();
    }
    const auto it = m_defaultRules.constFind(defaultRulesKey(element));
    return it == m_defaultRules.cend() ? nullptr : &it.value();
}

QList<DOMMatchedRule> WebEngineCache::defaultRulesOf(const QJsonObject &matchedStyles)
{
    QList<DOMMatchedRule> rules;
    for (const QJsonValue &value : matchedStyles.value(QStringLiteral("matchedCSSRules")).toArray()) {
        const QJsonObject rule = value.toObject().value(QStringLiteral("rule")).toObject();
        if (rule.value(QStringLiteral("origin")).toString() != QLatin1String("user-agent"))
            continue;
        const QString selector = rule.value(QStringLiteral("selectorList")).toObject().value(QStringLiteral("text")).toString();
        QStringList declarations;
        for (const QJsonValue &property : rule.value(QStringLiteral("style")).toObject().value(QStringLiteral("cssProperties")).toArray()) {
            const QJsonObject declaration = property.toObject();
            declarations.append(declaration.value(QStringLiteral("name")).toString() + QStringLiteral(": ")
                                + declaration.value(QStringLiteral("value")).toString()
                                + (declaration.value(QStringLiteral("important")).toBool() ? QStringLiteral(" !important") : QString())
                                + QLatin1Char(';'));
        }
        rules.append({tableRuleId(selector), selector + QStringLiteral(" { ") + declarations.join(QLatin1Char(' ')) + QStringLiteral(" }")});
    }
    return rules;
}

void WebEngineCache::fetchDefaultRules(const DOMElement &element, Wait wait, std::function<void()> done)
{
    const std::optional<WebBridge::Target> target = m_bridge.targetOf(m_frame.frameId());
    WebPage *page = m_bridge.page();
    if (!target || !page || !page->connection()) {
        done();
        return;
    }
    // Edits go first, so that the answer sees them; the browser's CSS domain
    // may answer before the page has run them, so a call in the page's own
    // order comes between.
    const bool edited = m_bridge.hasPendingCommands();
    m_bridge.flushCommands();
    const QString session = target->session;
    const qint64 elementId = element.nodeId();
    const QString key = defaultRulesKey(element);
    const std::weak_ptr<bool> alive = m_alive;
    // One step of the chain: waiting on the pipe, or in the background.
    const auto call = [page, session, wait](const QString &method, const QJsonObject &params,
                                            std::function<void(const QJsonObject &)> next) {
        if (wait == Wait::Yes) {
            next(page->sendAndWait(session, method, params, s_timeoutMs).value_or(QJsonObject()));
            return;
        }
        page->connection()->send(method, params, session,
                                 [next](const DevToolsReply &reply) { next(reply.isOk() ? reply.result : QJsonObject()); }, page);
    };
    const auto askRules = [this, alive, key, call, done](int nodeId) {
        if (alive.expired() || nodeId == 0) {
            done();
            return;
        }
        call(QStringLiteral("CSS.getMatchedStylesForNode"), {{QStringLiteral("nodeId"), nodeId}},
             [this, alive, key, done](const QJsonObject &result) {
                 // Kept under what the element was when it was asked about.
                 if (!alive.expired() && !result.isEmpty())
                     m_defaultRules.insert(key, defaultRulesOf(result));
                 done();
             });
    };
    if (const auto known = m_protocolNodes.constFind(elementId); known != m_protocolNodes.cend()) {
        const int nodeId = known.value();
        if (!edited) {
            askRules(nodeId);
            return;
        }
        call(QStringLiteral("Runtime.evaluate"),
             {{QStringLiteral("expression"), QStringLiteral("0")}, {QStringLiteral("contextId"), target->contextId}},
             [askRules, nodeId](const QJsonObject &) { askRules(nodeId); });
        return;
    }
    // The mirror's id to the browser's: the element as an object of the
    // bridge's world, then the browser's node for that object, kept per node.
    const auto resolve = [this, alive, elementId, call, askRules, context = target->contextId](bool documentKnown) {
        if (!documentKnown || alive.expired()) {
            askRules(0);
            return;
        }
        call(QStringLiteral("Runtime.evaluate"),
             {{QStringLiteral("expression"), QStringLiteral("quillmark.nodeOf(%1)").arg(elementId)},
              {QStringLiteral("contextId"), context}},
             [this, alive, elementId, call, askRules](const QJsonObject &evaluated) {
                 const QString object = evaluated.value(QStringLiteral("result")).toObject().value(QStringLiteral("objectId")).toString();
                 if (object.isEmpty() || alive.expired()) {
                     askRules(0);
                     return;
                 }
                 call(QStringLiteral("DOM.requestNode"), {{QStringLiteral("objectId"), object}},
                      [this, alive, elementId, askRules](const QJsonObject &requested) {
                          const int nodeId = requested.value(QStringLiteral("nodeId")).toInt();
                          if (nodeId && !alive.expired())
                              m_protocolNodes.insert(elementId, nodeId);
                          askRules(nodeId);
                      });
             });
    };
    if (wait == Wait::Yes)
        resolve(page->requestDomDocumentNow(session, s_timeoutMs));
    else
        page->requestDomDocument(session, resolve);
}

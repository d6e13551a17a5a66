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
#include "platform/web/dom/DOMElement.h"

#include <QJsonArray>

namespace {

const int s_timeoutMs = 1000;

// The table's rule with the same selectors, whose id the panels know.
qint64 tableRuleId(const QString &selectorText)
{
    const DOMCSSRuleList rules = UserAgentStyleSheet::instance().sheet().cssRules();
    for (int i = 0; i < rules.length(); ++i) {
        if (rules.item(i)->selectorText() == selectorText)
            return rules.item(i)->ruleId();
    }
    return 0;
}

} // namespace

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
    const QString session = target->session;
    const qint64 elementId = element.nodeId();
    const std::weak_ptr<bool> alive = m_alive;
    const quint64 generation = m_generation;
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
    const auto askRules = [this, alive, generation, elementId, call, done](int nodeId) {
        if (alive.expired() || nodeId == 0) {
            done();
            return;
        }
        call(QStringLiteral("CSS.getMatchedStylesForNode"), {{QStringLiteral("nodeId"), nodeId}},
             [this, alive, generation, elementId, done](const QJsonObject &result) {
                 // Answers about a document that changed meanwhile are stale.
                 if (!alive.expired() && !result.isEmpty() && generation == m_generation)
                     m_defaultRules.insert(elementId, defaultRulesOf(result));
                 done();
             });
    };
    if (const auto known = m_protocolNodes.constFind(elementId); known != m_protocolNodes.cend()) {
        askRules(known.value());
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

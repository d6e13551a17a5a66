#pragma once

#include "WebTestFixture.h"

#include "platform/web/engine/WebBridge.h"
#include "platform/web/engine/WebPage.h"
#include "platform/web/engine/WebView.h"

#include <QJsonArray>
#include <QJsonObject>
#include <QMap>

#include <functional>

// The page's own rules that the engine applies to an element, as its CSS
// domain answers: those of the element, of its pseudo-elements, and of the
// parts the engine builds inside it (a field's placeholder, a range's
// thumb), which only its inspector sees. Keyed by where each rule stands
// (sheet and position), so a rule met twice counts once; the values are
// the rules' selector texts.
inline QMap<QString, QString> engineMatchedRules(WebTestFixture &fixture, const QString &elementId)
{
    QMap<QString, QString> rules;
    WebPage *page = fixture.view().bridge().page();
    const QString session = page->sessionId();
    const auto ask = [&](const QString &method, const QJsonObject &params) {
        return page->sendAndWait(session, method, params, 5000).value_or(QJsonObject());
    };
    const QJsonObject document = ask(QStringLiteral("DOM.getDocument"), {{QStringLiteral("depth"), 0}})
                                     .value(QStringLiteral("root")).toObject();
    const auto take = [&](const QJsonArray &matches) {
        for (const QJsonValue &match : matches) {
            const QJsonObject rule = match.toObject().value(QStringLiteral("rule")).toObject();
            // Not the browser's rules, nor those of its own shadow trees' style elements.
            const QJsonValue scope = rule.value(QStringLiteral("originTreeScopeNodeId"));
            if (rule.value(QStringLiteral("origin")).toString() != QLatin1String("regular")
                || (!scope.isUndefined() && scope != document.value(QStringLiteral("backendNodeId"))))
                continue;
            const QJsonObject range = rule.value(QStringLiteral("style")).toObject().value(QStringLiteral("range")).toObject();
            const QString key = rule.value(QStringLiteral("styleSheetId")).toString() + u':'
                + QString::number(range.value(QStringLiteral("startLine")).toInt()) + u':'
                + QString::number(range.value(QStringLiteral("startColumn")).toInt());
            rules.insert(key, rule.value(QStringLiteral("selectorList")).toObject().value(QStringLiteral("text")).toString());
        }
    };
    const auto takeMatchesOf = [&](int nodeId, bool withPseudoElements) {
        const QJsonObject matched = ask(QStringLiteral("CSS.getMatchedStylesForNode"), {{QStringLiteral("nodeId"), nodeId}});
        take(matched.value(QStringLiteral("matchedCSSRules")).toArray());
        if (!withPseudoElements)
            return;
        for (const QJsonValue &pseudo : matched.value(QStringLiteral("pseudoElements")).toArray())
            take(pseudo.toObject().value(QStringLiteral("matches")).toArray());
    };
    const int root = document.value(QStringLiteral("nodeId")).toInt();
    const int node = ask(QStringLiteral("DOM.querySelector"),
                         {{QStringLiteral("nodeId"), root}, {QStringLiteral("selector"), u'#' + elementId}})
                         .value(QStringLiteral("nodeId")).toInt();
    if (!node)
        return rules;
    takeMatchesOf(node, true);
    // The elements of the engine's own shadow tree of the element.
    const QJsonObject described = ask(QStringLiteral("DOM.describeNode"), {{QStringLiteral("nodeId"), node},
                                                                           {QStringLiteral("depth"), -1},
                                                                           {QStringLiteral("pierce"), true}});
    const std::function<void(const QJsonObject &, bool)> walk = [&](const QJsonObject &each, bool inShadow) {
        if (inShadow && each.value(QStringLiteral("nodeType")).toInt() == 1) {
            const QJsonArray pushed = ask(QStringLiteral("DOM.pushNodesByBackendIdsToFrontend"),
                                          {{QStringLiteral("backendNodeIds"), QJsonArray{each.value(QStringLiteral("backendNodeId"))}}})
                                          .value(QStringLiteral("nodeIds")).toArray();
            if (!pushed.isEmpty())
                takeMatchesOf(pushed.first().toInt(), false);
        }
        for (const QJsonValue &shadowRoot : each.value(QStringLiteral("shadowRoots")).toArray()) {
            if (shadowRoot.toObject().value(QStringLiteral("shadowRootType")).toString() != QLatin1String("user-agent"))
                continue;
            for (const QJsonValue &child : shadowRoot.toObject().value(QStringLiteral("children")).toArray())
                walk(child.toObject(), true);
        }
        if (inShadow) {
            for (const QJsonValue &child : each.value(QStringLiteral("children")).toArray())
                walk(child.toObject(), true);
        }
    };
    walk(described.value(QStringLiteral("node")).toObject(), false);
    return rules;
}

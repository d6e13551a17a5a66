#include "WebNewTargets.h"

#include "DevToolsConnection.h"
#include "WebFileAccess.h"

#include "platform/foundation/Log.h"

#include <QJsonArray>

WebNewTargets &WebNewTargets::of(DevToolsConnection *browser)
{
    if (auto *targets = browser->findChild<WebNewTargets *>(QString(), Qt::FindDirectChildrenOnly))
        return *targets;
    return *new WebNewTargets(browser);
}

WebNewTargets::WebNewTargets(DevToolsConnection *browser) : QObject(browser), m_browser(browser)
{
    connect(browser, &DevToolsConnection::eventReceived, this,
            [this](const QString &sessionId, const QString &method, const QJsonObject &params, const QByteArray &) {
                handleEvent(sessionId, method, params);
            });
    // Each new one waits for its first command from here.
    const QJsonArray filter{QJsonObject{{QStringLiteral("type"), QStringLiteral("page")}},
                            QJsonObject{{QStringLiteral("type"), QStringLiteral("shared_worker")}}};
    browser->send(QStringLiteral("Target.setAutoAttach"), {{QStringLiteral("autoAttach"), true},
                                                           {QStringLiteral("waitForDebuggerOnStart"), true},
                                                           {QStringLiteral("flatten"), true},
                                                           {QStringLiteral("filter"), filter}});
}

void WebNewTargets::handleEvent(const QString &sessionId, const QString &method, const QJsonObject &params)
{
    // Only new targets of the browser's own session wait: the pages' attaches
    // to their own targets and to the targets that were there are let be.
    if (!sessionId.isEmpty() || method != QLatin1String("Target.attachedToTarget")
        || !params.value(QStringLiteral("waitingForDebugger")).toBool())
        return;
    const QString session = params.value(QStringLiteral("sessionId")).toString();
    const QJsonObject target = params.value(QStringLiteral("targetInfo")).toObject();
    // A page attaching to its new target may find it still waiting: each
    // target is judged once, when it is made.
    const QString targetId = target.value(QStringLiteral("targetId")).toString();
    if (m_judged.contains(targetId))
        return;
    m_judged.insert(targetId);
    const QString type = target.value(QStringLiteral("type")).toString();
    const QString run = QStringLiteral("Runtime.runIfWaitingForDebugger");
    if (type == QLatin1String("shared_worker")) {
        m_browser->send(QStringLiteral("Network.enable"), {{QStringLiteral("maxTotalBufferSize"), 1024},
                                                           {QStringLiteral("maxResourceBufferSize"), 1024}},
                        session);
        m_browser->send(QStringLiteral("Network.setBlockedURLs"), WebFileAccess::blockedUrlsOfEveryPage(), session);
        m_browser->send(run, {}, session);
        return;
    }
    const bool opened = !target.value(QStringLiteral("openerId")).toString().isEmpty();
    if (!opened && m_ownPagesExpected > 0) {
        --m_ownPagesExpected;
        m_browser->send(run, {}, session);
        m_browser->send(QStringLiteral("Target.detachFromTarget"), {{QStringLiteral("sessionId"), session}});
        return;
    }
    // A window shares its opener's renderer, which waits with it: it runs,
    // with everything it asks for held back here and never let go, until it
    // is closed right after.
    QM_INFO(QStringLiteral("a window the previewed page opened (%1) is closed")
                .arg(target.value(QStringLiteral("url")).toString()));
    m_browser->send(QStringLiteral("Fetch.enable"), {{QStringLiteral("patterns"), QJsonArray{QJsonObject{{QStringLiteral("urlPattern"), QStringLiteral("*")}}}}},
                    session);
    m_browser->send(QStringLiteral("Network.enable"), {}, session);
    m_browser->send(QStringLiteral("Network.setBlockedURLs"), WebFileAccess::blockedUrlsOf({}), session);
    m_browser->send(run, {}, session);
    m_browser->send(QStringLiteral("Target.closeTarget"), {{QStringLiteral("targetId"), targetId}});
}

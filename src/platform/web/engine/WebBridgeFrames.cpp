// WebBridge: the browser's execution contexts and frames, and which copy of
// the bridge script serves which frame.

#include "WebBridge.h"

#include "DevToolsConnection.h"
#include "WebEngineCache.h"
#include "WebPage.h"

#include "platform/web/dom/DOMLog.h"

#include <QJsonDocument>

namespace {

QString contextKey(const QString &session, int contextId)
{
    return session + QLatin1Char('/') + QString::number(contextId);
}

} // namespace

std::optional<WebBridge::Target> WebBridge::targetOf(qint64 frameId) const
{
    const Context *context = contextOfFrame(frameId);
    if (!context)
        return std::nullopt;
    return Target{context->session, context->id, context->browserFrame};
}

const WebBridge::Context *WebBridge::contextOfFrame(qint64 frameId) const
{
    const auto key = m_contextOfFrame.constFind(frameId);
    if (key == m_contextOfFrame.cend())
        return nullptr;
    const auto context = m_contexts.constFind(key.value());
    return context == m_contexts.cend() ? nullptr : &context.value();
}

int WebBridge::mainContextId() const
{
    const Context *context = m_mainFrame ? contextOfFrame(m_mainFrame->frameId()) : nullptr;
    return context ? context->id : 0;
}

bool WebBridge::isBridgeContext(const QString &session, int contextId) const
{
    return m_contexts.contains(contextKey(session, contextId));
}

bool WebBridge::isMainContext(const Context &context) const
{
    return context.session == m_page->sessionId() && !m_parentOfBrowserFrame.contains(context.browserFrame);
}

qint64 WebBridge::parentFrameOf(const Context &context) const
{
    const QString parent = m_parentOfBrowserFrame.value(context.browserFrame);
    const auto key = m_contextOfBrowserFrame.constFind(parent);
    if (parent.isEmpty() || key == m_contextOfBrowserFrame.cend())
        return 0;
    return m_contexts.value(key.value()).frameId;
}

void WebBridge::frameAttached(const QString &browserFrame, const QString &parentBrowserFrame)
{
    m_parentOfBrowserFrame.insert(browserFrame, parentBrowserFrame);
}

void WebBridge::contextCreated(const QString &session, int contextId, const QString &browserFrame)
{
    // Each document gets a context of its own: a frame id of its own too.
    Context context{session, contextId, browserFrame, m_nextFrameId++};
    const QString key = contextKey(session, contextId);
    m_contexts.insert(key, context);
    m_contextOfBrowserFrame.insert(browserFrame, key);
    m_contextOfFrame.insert(context.frameId, key);
}

void WebBridge::contextDestroyed(const QString &session, int contextId)
{
    const QString key = contextKey(session, contextId);
    const auto it = m_contexts.find(key);
    if (it == m_contexts.end())
        return;
    const Context context = it.value();
    m_contexts.erase(it);
    m_contextOfFrame.remove(context.frameId);
    // A text whose last part never comes is dropped with its context.
    m_textParts.remove(context.frameId);
    if (m_contextOfBrowserFrame.value(context.browserFrame) == key)
        m_contextOfBrowserFrame.remove(context.browserFrame);
    // The main frame keeps showing its document until the next one is ready.
    if (!(m_mainFrame && m_mainFrame->frameId() == context.frameId))
        removeFrame(context.frameId);
    else
        forgetFrameCommands(context.frameId);
}

void WebBridge::contextsCleared(const QString &session)
{
    const QList<QString> keys = m_contexts.keys();
    for (const QString &key : keys) {
        const Context &context = m_contexts.value(key);
        if (context.session == session)
            contextDestroyed(session, context.id);
    }
}

void WebBridge::sessionDetached(const QString &session)
{
    contextsCleared(session);
}

void WebBridge::browserRestarted()
{
    // Nothing of the old browser answers any more; the main frame keeps its
    // document until the page is loaded again.
    const QList<QString> sessions = [this] {
        QSet<QString> set;
        for (const Context &context : std::as_const(m_contexts))
            set.insert(context.session);
        return QList<QString>(set.begin(), set.end());
    }();
    for (const QString &session : sessions)
        contextsCleared(session);
    m_parentOfBrowserFrame.clear();
    m_pendingDocuments.clear();
    m_textParts.clear();
    resetPage();
}

void WebBridge::domDocumentUpdated(const QString &session)
{
    for (WebFrameMirror *mirror : frames()) {
        const Context *context = contextOfFrame(mirror->frameId());
        if (context && context->session == session)
            mirror->engine()->forgetProtocolNodes();
    }
}

void WebBridge::receive(const QString &session, int contextId, const QByteArray &text)
{
    const auto context = m_contexts.constFind(contextKey(session, contextId));
    if (context == m_contexts.cend())
        return;
    const qsizetype split = text.indexOf('\n');
    const QByteArray message = split < 0 ? text : text.left(split);
    const QByteArray payload = split < 0 ? QByteArray() : text.sliced(split + 1);
    QJsonObject json = QJsonDocument::fromJson(message).object();
    if (json.isEmpty()) {
        qCWarning(lcWeb) << "the bridge sent a message that is not a JSON object";
        return;
    }
    // The script knows only its own document: the frame is the context's.
    json.insert(QStringLiteral("frame"), double(context->frameId));
    dispatch(json, payload);
}

void WebBridge::findOwner(qint64 frameId)
{
    // The frame element in the parent's document, as the parent's bridge
    // named it: found by the browser, then asked of the parent's bridge.
    const Context *context = contextOfFrame(frameId);
    const Context *parent = context ? contextOfFrame(parentFrameOf(*context)) : nullptr;
    DevToolsConnection *browser = m_page->connection();
    const auto settle = [this, frameId](qint64 owner) {
        const auto pending = m_pendingDocuments.find(frameId);
        if (pending == m_pendingDocuments.end())
            return;
        pending->second.owner = owner;
        finishPendingDocuments();
    };
    if (!context || !parent || !browser) {
        settle(0);
        return;
    }
    const QString session = parent->session;
    const int parentContext = parent->id;
    browser->send(QStringLiteral("DOM.getFrameOwner"), {{QStringLiteral("frameId"), context->browserFrame}}, session,
                  [this, browser, session, parentContext, settle](const DevToolsReply &reply) {
        if (!reply.isOk()) {
            settle(0);
            return;
        }
        browser->send(QStringLiteral("DOM.resolveNode"),
                      {{QStringLiteral("backendNodeId"), reply.result.value(QStringLiteral("backendNodeId"))},
                       {QStringLiteral("executionContextId"), parentContext}},
                      session, [this, browser, session, settle](const DevToolsReply &resolved) {
            const QString object = resolved.result.value(QStringLiteral("object")).toObject().value(QStringLiteral("objectId")).toString();
            if (object.isEmpty()) {
                settle(0);
                return;
            }
            browser->send(QStringLiteral("Runtime.callFunctionOn"),
                          {{QStringLiteral("objectId"), object},
                           {QStringLiteral("functionDeclaration"), QStringLiteral("function () { return quillmark.idOf(this) || 0; }")},
                           {QStringLiteral("returnByValue"), true}},
                          session, [browser, session, object, settle](const DevToolsReply &called) {
                browser->send(QStringLiteral("Runtime.releaseObject"), {{QStringLiteral("objectId"), object}}, session);
                settle(qint64(called.result.value(QStringLiteral("result")).toObject().value(QStringLiteral("value")).toDouble()));
            }, this);
        }, this);
    }, this);
}

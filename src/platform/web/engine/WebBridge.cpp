#include "WebBridge.h"

#include "WebBlockingCall.h"
#include "WebBridgeEndpoint.h"
#include "WebEngineCache.h"

#include "platform/foundation/Bundle.h"
#include "platform/foundation/Log.h"
#include "platform/web/cssom/DOMStyleSheetList.h"
#include "platform/web/dom/DOMLog.h"
#include "platform/web/dom/DOMSnapshot.h"

#include <QDateTime>
#include <QElapsedTimer>
#include <QFile>
#include <QJsonDocument>
#include <QTimer>
#include <QWebChannel>
#include <QWebEnginePage>
#include <QWebEngineScript>
#include <QWebEngineScriptCollection>

Q_LOGGING_CATEGORY(lcWebBridge, "quillmark.web.bridge", QtWarningMsg)

namespace {

const QString s_scriptName = QStringLiteral("quillmark-bridge");

QString readText(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        QM_ERROR(QStringLiteral("cannot read %1: %2").arg(path, file.errorString()));
        return {};
    }
    return QString::fromUtf8(file.readAll());
}

qint64 idOf(const QJsonValue &value)
{
    return qint64(value.toDouble());
}

} // namespace

QString WebBridge::scriptSource()
{
    static const QString source = [] {
        const QString channel = readText(QStringLiteral(":/qtwebchannel/qwebchannel.js"));
        const QString bridge = readText(Bundle::pathForResource(QStringLiteral("bridge"), QStringLiteral("js"),
                                                                QStringLiteral("bridge")));
        if (bridge.isEmpty())
            QM_ERROR(QStringLiteral("the bridge script is missing: the preview will not be mirrored"));
        return channel + QLatin1String("\n;\n") + bridge;
    }();
    return source;
}

WebBridge::WebBridge(QWebEnginePage *page, QObject *parent)
    : QObject(parent), m_page(page), m_channel(new QWebChannel(this)), m_endpoint(new WebBridgeEndpoint(this))
{
    m_channel->registerObject(QStringLiteral("quillmark"), m_endpoint);
    m_page->setWebChannel(m_channel, QWebEngineScript::ApplicationWorld);
    connect(m_endpoint, &WebBridgeEndpoint::received, this, &WebBridge::receive);

    QWebEngineScript script;
    script.setName(s_scriptName);
    script.setSourceCode(scriptSource());
    script.setInjectionPoint(QWebEngineScript::DocumentCreation);
    script.setWorldId(QWebEngineScript::ApplicationWorld);
    // Frames are reached from the top frame: the channel exists only there.
    script.setRunsOnSubFrames(false);
    m_page->scripts().insert(script);

}

WebBridge::~WebBridge() = default;

WebFrameMirror *WebBridge::mainFrame() const
{
    return m_mainFrame && m_mainFrame->document() ? m_mainFrame.get() : nullptr;
}

WebFrameMirror &WebBridge::mainFrameRecord()
{
    if (!m_mainFrame) {
        m_mainFrame = std::make_unique<WebFrameMirror>(1, 0);
        m_mainFrame->m_engine = std::make_unique<WebEngineCache>(*this, *m_mainFrame);
    }
    return *m_mainFrame;
}

WebFrameMirror *WebBridge::frame(qint64 frameId) const
{
    if (m_mainFrame && m_mainFrame->frameId() == frameId)
        return m_mainFrame.get();
    const auto it = m_subframes.find(frameId);
    return it == m_subframes.end() ? nullptr : it->second.get();
}

QList<WebFrameMirror *> WebBridge::frames() const
{
    QList<WebFrameMirror *> list;
    if (mainFrame())
        list.append(m_mainFrame.get());
    for (const auto &[id, subframe] : m_subframes)
        list.append(subframe.get());
    return list;
}

void WebBridge::resetPage()
{
    // A new top document: edits and questions for the old one have nowhere to
    // go (a page that began loading may still be the one shown, so this waits
    // for the new document rather than the start of a load).
    m_outgoing = {};
    m_ruleLastBatch.clear();
    m_resyncWanted.clear();
    m_pendingDocuments.clear();
    m_lastAcked = m_nextBatch - 1;
    const auto answers = std::exchange(m_answers, {});
    for (const auto &answer : answers)
        answer({});
    for (const auto &[id, subframe] : m_subframes)
        Q_EMIT frameRemoved(id);
    m_subframes.clear();
}

void WebBridge::receive(const QString &message, const QString &payload)
{
    if (!m_awaited.isEmpty()) {
        // A blocking question waits for its answer; everything else, other
        // answers too, waits for it.
        const QJsonObject json = QJsonDocument::fromJson(message.toUtf8()).object();
        if (json.value(QStringLiteral("kind")).toString() == QLatin1String("answer")
            && idOf(json.value(QStringLiteral("id"))) == m_awaited.constLast()) {
            readAnswer(json);
            return;
        }
        m_held.append({message, payload});
        return;
    }
    const QJsonDocument document = QJsonDocument::fromJson(message.toUtf8());
    if (!document.isObject()) {
        qCWarning(lcWeb) << "the bridge sent a message that is not a JSON object";
        return;
    }
    dispatch(document.object(), payload);
}

void WebBridge::dispatch(const QJsonObject &message, const QString &payload)
{
    const QString kind = message.value(QStringLiteral("kind")).toString();
    if (kind == QLatin1String("document")) {
        readDocument(message, payload);
    } else if (kind == QLatin1String("mutations")) {
        if (WebFrameMirror *target = frame(idOf(message.value(QStringLiteral("frame"))));
            target && target->document() && target->m_token == message.value(QStringLiteral("token")).toString()) {
            applyMutations(*target, message);
        }
    } else if (kind == QLatin1String("resync")) {
        const qint64 frameId = idOf(message.value(QStringLiteral("frame")));
        WebFrameMirror *target = frame(frameId);
        if (!target || !target->document() || target->m_token != message.value(QStringLiteral("token")).toString())
            return;
        // Edits sent after the request are not in this state: ask again after them.
        if (hasPendingCommands())
            return;
        m_resyncWanted.remove(frameId);
        resynchronize(*target, payload);
    } else if (kind == QLatin1String("styleSheets")) {
        readStyleSheets(message);
    } else if (kind == QLatin1String("ack")) {
        readAck(message);
    } else if (kind == QLatin1String("answer")) {
        readAnswer(message);
    } else if (kind == QLatin1String("frameGone")) {
        removeFrame(idOf(message.value(QStringLiteral("frame"))));
    } else if (kind == QLatin1String("log")) {
        const QString text = QStringLiteral("preview bridge: ") + message.value(QStringLiteral("message")).toString();
        if (message.value(QStringLiteral("level")).toString() == QLatin1String("error"))
            QM_ERROR(text);
        else
            QM_INFO(text);
    } else {
        qCWarning(lcWeb) << "the bridge sent an unknown message" << kind;
    }
}

void WebBridge::readDocument(const QJsonObject &message, const QString &payload)
{
    QElapsedTimer timer;
    timer.start();
    Result<DOMDocumentPtr> document = DOMSnapshot::readDocument(payload.toUtf8());
    if (!document) {
        QM_ERROR(QStringLiteral("the page's document could not be mirrored: %1").arg(document.error()));
        return;
    }
    // The page reads its style sheets meanwhile; they come next.
    m_pendingDocuments[idOf(message.value(QStringLiteral("frame")))] = {message, document.value()};
    qCDebug(lcWeb) << "read the snapshot of" << document.value()->nodeCount() << "nodes in" << timer.elapsed() << "ms";
}

void WebBridge::finishDocument(const QJsonObject &message, const DOMDocumentPtr &document)
{
    const qint64 frameId = idOf(message.value(QStringLiteral("frame")));
    const qint64 parentId = idOf(message.value(QStringLiteral("parent")));
    WebFrameMirror *target = nullptr;
    if (parentId == 0) {
        resetPage();
        target = &mainFrameRecord();
        target->m_frameId = frameId;
    } else {
        if (!frame(parentId)) {
            qCWarning(lcWeb) << "a frame arrived for the unknown parent frame" << parentId;
            return;
        }
        auto made = std::make_unique<WebFrameMirror>(frameId, parentId);
        made->m_engine = std::make_unique<WebEngineCache>(*this, *made);
        target = made.get();
        m_subframes[frameId] = std::move(made);
    }
    target->m_ownerNodeId = idOf(message.value(QStringLiteral("owner")));
    target->m_url = QUrl(message.value(QStringLiteral("url")).toString());
    target->m_title = message.value(QStringLiteral("title")).toString();
    target->m_token = message.value(QStringLiteral("token")).toString();
    target->m_snapshotStartedAt = message.value(QStringLiteral("started")).toDouble();
    attachMirror(*target, *document);
    qCDebug(lcWeb) << "mirrored frame" << frameId << "with" << document->nodeCount() << "nodes,"
                   << (QDateTime::currentMSecsSinceEpoch() - target->m_snapshotStartedAt)
                   << "ms after the page's DOMContentLoaded";
    target->setDocument(document);
    Q_EMIT documentLoaded(target);
}

void WebBridge::releaseHeld()
{
    if (!m_awaited.isEmpty())
        return;
    const auto held = std::exchange(m_held, {});
    for (const auto &[message, payload] : held)
        receive(message, payload);
}

void WebBridge::attachMirror(WebFrameMirror &frame, DOMDocument &document)
{
    const qint64 frameId = frame.frameId();
    DOMDocument *source = &document;
    document.replayLog().setAppendedHandler([this, frameId, source] {
        const QList<DOMReplayCommand> commands = source->replayLog().takeCommands();
        WebFrameMirror *target = this->frame(frameId);
        // Edits of a document the page no longer shows go nowhere.
        if (!target || target->document() != source)
            return;
        for (const DOMReplayCommand &command : commands)
            queueCommand(*target, command.toJson());
    });
    document.styleSheets().setCommandHandler([this, frameId, source](const QJsonObject &command) {
        WebFrameMirror *target = this->frame(frameId);
        if (target && target->document() == source)
            queueCommand(*target, command);
    });
    document.styleSheets().setRefusalHandler([this](const QString &text, const QString &error) {
        Q_EMIT ruleRefused(text, error);
    });
}

void WebBridge::readStyleSheets(const QJsonObject &message)
{
    const qint64 frameId = idOf(message.value(QStringLiteral("frame")));
    if (const auto pending = m_pendingDocuments.find(frameId); pending != m_pendingDocuments.end()) {
        const auto [documentMessage, document] = std::move(pending->second);
        m_pendingDocuments.erase(pending);
        if (documentMessage.value(QStringLiteral("token")) != message.value(QStringLiteral("token")))
            return;
        document->styleSheets().readFromEngine(message.value(QStringLiteral("sheets")).toArray());
        finishDocument(documentMessage, document);
        return;
    }
    WebFrameMirror *target = frame(idOf(message.value(QStringLiteral("frame"))));
    if (!target || !target->document() || target->m_token != message.value(QStringLiteral("token")).toString())
        return;
    target->document()->styleSheets().readFromEngine(message.value(QStringLiteral("sheets")).toArray());
    target->engine()->invalidate();
    Q_EMIT mirrorChanged(target);
}

void WebBridge::removeFrame(qint64 frameId)
{
    if (m_subframes.erase(frameId) > 0)
        Q_EMIT frameRemoved(frameId);
}

void WebBridge::queueCommand(WebFrameMirror &frame, QJsonObject command)
{
    command.insert(QStringLiteral("frame"), double(frame.frameId()));
    command.insert(QStringLiteral("token"), frame.m_token);
    for (const char *key : {"rule", "parent"}) {
        const qint64 ruleId = idOf(command.value(QLatin1String(key)));
        if (ruleId != 0 && command.contains(QStringLiteral("op"))
            && !command.value(QStringLiteral("op")).toString().startsWith(QLatin1String("create")))
            m_ruleLastBatch.insert(ruleId, m_nextBatch);
    }
    m_outgoing.append(command);
    frame.engine()->invalidate();
    Q_EMIT mirrorChanged(&frame);
    scheduleFlush();
}

void WebBridge::scheduleFlush()
{
    if (m_flushScheduled)
        return;
    m_flushScheduled = true;
    QTimer::singleShot(0, this, [this] { flushCommands(); });
}

void WebBridge::flushCommands()
{
    m_flushScheduled = false;
    if (m_outgoing.isEmpty())
        return;
    const QJsonObject batch{{QStringLiteral("kind"), QStringLiteral("batch")},
                            {QStringLiteral("seq"), double(m_nextBatch++)},
                            {QStringLiteral("commands"), std::exchange(m_outgoing, {})}};
    sendToPage(batch);
}

bool WebBridge::hasPendingCommands() const
{
    return !m_outgoing.isEmpty() || m_lastAcked + 1 < m_nextBatch;
}

void WebBridge::sendToPage(const QJsonObject &message)
{
    qCDebug(lcWebBridge).noquote() << "to the page" << QJsonDocument(message).toJson(QJsonDocument::Compact);
    Q_EMIT m_endpoint->message(QString::fromUtf8(QJsonDocument(message).toJson(QJsonDocument::Compact)));
}

void WebBridge::readAck(const QJsonObject &message)
{
    qCDebug(lcWebBridge).noquote() << "ack" << QJsonDocument(message).toJson(QJsonDocument::Compact);
    const quint64 batch = quint64(message.value(QStringLiteral("seq")).toDouble());
    m_lastAcked = qMax(m_lastAcked, batch);
    for (const QJsonValue &value : message.value(QStringLiteral("errors")).toArray()) {
        const QJsonObject error = value.toObject();
        const QString op = error.value(QStringLiteral("op")).toString();
        const QString text = error.value(QStringLiteral("error")).toString();
        const qint64 ruleId = idOf(error.value(QStringLiteral("rule")));
        WebFrameMirror *target = frame(idOf(error.value(QStringLiteral("frame"))));
        if ((op == QLatin1String("insertRule") || op == QLatin1String("appendRule")) && ruleId && target
            && target->document()) {
            target->document()->styleSheets().ruleRefused(ruleId, text);
        } else if (text != QLatin1String("stale document")) {
            QM_ERROR(QStringLiteral("the page refused the edit %1: %2; the mirror may differ from the page").arg(op, text));
        }
    }
    for (const QJsonValue &diverged : message.value(QStringLiteral("diverged")).toArray())
        m_resyncWanted.insert(idOf(diverged));
    for (const QJsonValue &value : message.value(QStringLiteral("rules")).toArray()) {
        const QJsonObject rule = value.toObject();
        const qint64 ruleId = idOf(rule.value(QStringLiteral("id")));
        // A later write of the same rule is on its way: its answer will come.
        if (m_ruleLastBatch.value(ruleId) > batch)
            continue;
        m_ruleLastBatch.remove(ruleId);
        for (WebFrameMirror *target : frames()) {
            if (target->document()->styleSheets().ruleForId(ruleId)) {
                target->document()->styleSheets().updateRuleFromEngine(rule);
                break;
            }
        }
    }
    requestResyncs();
}

void WebBridge::requestResyncs()
{
    if (hasPendingCommands())
        return;
    for (const qint64 frameId : std::as_const(m_resyncWanted)) {
        if (frame(frameId))
            sendToPage({{QStringLiteral("kind"), QStringLiteral("resync")}, {QStringLiteral("frame"), double(frameId)}});
    }
}

void WebBridge::ask(WebFrameMirror &frame, QJsonObject questions, std::function<void(const QJsonObject &)> answer)
{
    // Edits go first, so that the answers see them.
    flushCommands();
    const qint64 id = m_nextQuestion++;
    questions.insert(QStringLiteral("kind"), QStringLiteral("ask"));
    questions.insert(QStringLiteral("id"), double(id));
    questions.insert(QStringLiteral("frame"), double(frame.frameId()));
    questions.insert(QStringLiteral("token"), frame.m_token);
    m_answers.insert(id, std::move(answer));
    ++m_roundTrips;
    sendToPage(questions);
}

std::optional<QJsonObject> WebBridge::askAndWait(WebFrameMirror &frame, QJsonObject questions, int timeoutMs)
{
    ++m_blockingCalls;
    std::optional<QJsonObject> reply;
    WebBlockingCall call;
    ask(frame, std::move(questions), [&reply, &call](const QJsonObject &answer) {
        reply = answer;
        call.finish();
    });
    const qint64 id = m_nextQuestion - 1;
    m_awaited.append(id);
    const bool answered = call.exec(timeoutMs);
    m_awaited.removeLast();
    if (!answered) {
        m_answers.remove(id);
        QM_ERROR(QStringLiteral("the page did not answer within %1 ms").arg(timeoutMs));
        reply.reset();
    }
    if (m_awaited.isEmpty() && !m_held.isEmpty()) {
        // The page's messages that came meanwhile run in the next turn, in order.
        QTimer::singleShot(0, this, [this] { releaseHeld(); });
    }
    return reply;
}

void WebBridge::readAnswer(const QJsonObject &message)
{
    const qint64 id = idOf(message.value(QStringLiteral("id")));
    const auto answer = m_answers.take(id);
    if (!answer)
        return;
    if (message.contains(QStringLiteral("error"))) {
        qCWarning(lcWeb) << "the page could not answer:" << message.value(QStringLiteral("error")).toString();
        answer({});
        return;
    }
    answer(message);
}

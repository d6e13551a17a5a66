#include "WebBridge.h"
#include "WebBridge_p.h"

#include "DevToolsConnection.h"
#include "WebEngineCache.h"
#include "WebPage.h"

#include "platform/foundation/Bundle.h"
#include "platform/foundation/Log.h"
#include "platform/web/cssom/DOMCSSRule.h"
#include "platform/web/cssom/DOMStyleSheetList.h"
#include "platform/web/dom/DOMLog.h"
#include "platform/web/dom/DOMSnapshot.h"

#include <QDateTime>
#include <QElapsedTimer>
#include <QFile>
#include <QJsonDocument>
#include <QSet>
#include <QTimer>

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

} // namespace

using WebBridgePrivate::idOf;

QString WebBridge::scriptSource()
{
    static const QString source = [] {
        const QString bridge = readText(Bundle::pathForResource(QStringLiteral("bridge"), QStringLiteral("js"),
                                                                QStringLiteral("bridge")));
        if (bridge.isEmpty())
            QM_ERROR(QStringLiteral("the bridge script is missing: the preview will not be mirrored"));
        return bridge;
    }();
    return source;
}

WebBridge::WebBridge(WebPage *page, QObject *parent) : QObject(parent), m_page(page) {}

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
    // A new top document: edits for the old one have nowhere to go (a page
    // that began loading may still be the one shown, so this waits for the
    // new document rather than the start of a load).
    m_outgoing.clear();
    m_textsInFlight.clear();
    m_heldTexts.clear();
    m_ruleLastBatch.clear();
    m_resyncWanted.clear();
    m_released.clear();
    m_unacked.clear();
    for (const auto &[id, subframe] : m_subframes)
        Q_EMIT frameRemoved(id);
    m_subframes.clear();
}

void WebBridge::dispatch(const QJsonObject &message, const QByteArray &payload)
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
    } else if (kind == QLatin1String("part")) {
        TextParts &parts = m_textParts[idOf(message.value(QStringLiteral("frame")))];
        const double id = message.value(QStringLiteral("of")).toDouble();
        if (parts.id != id) {
            parts.id = id;
            parts.text.clear();
        }
        parts.text.append(payload);
    } else if (kind == QLatin1String("styleSheets")) {
        readStyleSheets(message, joinParts(idOf(message.value(QStringLiteral("frame"))),
                                           message.value(QStringLiteral("parts")), payload));
    } else if (kind == QLatin1String("ack")) {
        readAck(message);
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

void WebBridge::readDocument(const QJsonObject &message, const QByteArray &payload)
{
    QElapsedTimer timer;
    timer.start();
    Result<DOMDocumentPtr> document = DOMSnapshot::readDocument(payload);
    if (!document) {
        QM_ERROR(QStringLiteral("the page's document could not be mirrored: %1").arg(document.error()));
        return;
    }
    // The page reads its style sheets meanwhile; they come next.
    PendingDocument &pending = m_pendingDocuments[idOf(message.value(QStringLiteral("frame")))];
    pending = {};
    pending.message = message;
    pending.document = document.value();
    qCDebug(lcWeb) << "read the snapshot of" << document.value()->nodeCount() << "nodes in" << timer.elapsed() << "ms";
}

void WebBridge::finishPendingDocuments()
{
    // Finishing one document may let a frame's document, which waited for
    // it as its parent, finish too.
    bool finished = true;
    while (finished) {
        finished = false;
        for (auto it = m_pendingDocuments.begin(); it != m_pendingDocuments.end(); ++it) {
            const qint64 frameId = it->first;
            if (tryFinish(frameId, it->second)) {
                PendingDocument pending = std::move(it->second);
                m_pendingDocuments.erase(it);
                finishDocument(pending.message, pending.document, pending.owner.value_or(0));
                finished = true;
                break;
            }
        }
    }
}

bool WebBridge::tryFinish(qint64 frameId, PendingDocument &pending)
{
    if (!pending.hasSheets)
        return false;
    const Context *context = contextOfFrame(frameId);
    if (!context)
        return false;
    if (isMainContext(*context))
        return true;
    const qint64 parent = parentFrameOf(*context);
    WebFrameMirror *parentFrame = frame(parent);
    if (!parentFrame || !parentFrame->document())
        return false;
    if (pending.owner)
        return true;
    if (!pending.askingOwner) {
        pending.askingOwner = true;
        findOwner(frameId);
    }
    return false;
}

void WebBridge::finishDocument(const QJsonObject &message, const DOMDocumentPtr &document, qint64 owner)
{
    const qint64 frameId = idOf(message.value(QStringLiteral("frame")));
    const Context *context = contextOfFrame(frameId);
    if (!context)
        return;
    WebFrameMirror *target = nullptr;
    if (isMainContext(*context)) {
        resetPage();
        target = &mainFrameRecord();
        target->m_frameId = frameId;
        target->m_parentFrameId = 0;
    } else {
        auto made = std::make_unique<WebFrameMirror>(frameId, parentFrameOf(*context));
        made->m_engine = std::make_unique<WebEngineCache>(*this, *made);
        target = made.get();
        m_subframes[frameId] = std::move(made);
    }
    target->m_ownerNodeId = owner;
    target->m_url = QUrl(message.value(QStringLiteral("url")).toString());
    target->m_title = message.value(QStringLiteral("title")).toString();
    target->m_token = message.value(QStringLiteral("token")).toString();
    target->m_snapshotStartedAt = message.value(QStringLiteral("started")).toDouble();
    attachMirror(*target, *document);
    qCDebug(lcWeb) << "mirrored frame" << frameId << "with" << document->nodeCount() << "nodes,"
                   << (QDateTime::currentMSecsSinceEpoch() - target->m_snapshotStartedAt)
                   << "ms after the page's DOMContentLoaded";
    // Tearing the old mirror down takes as long as reading a large page:
    // it waits until whoever waits for the new one has it.
    if (DOMDocumentPtr previous = target->sharedDocument())
        QTimer::singleShot(0, this, [previous = std::move(previous)] {});
    target->setDocument(document);
    Q_EMIT documentLoaded(target);
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
    document.setNodeReleasedHandler([this, frameId, source](qint64 nodeId) {
        WebFrameMirror *target = this->frame(frameId);
        if (target && target->document() == source)
            queueRelease(frameId, nodeId);
    });
}

QByteArray WebBridge::joinParts(qint64 frameId, const QJsonValue &parts, const QByteArray &rest)
{
    const auto it = m_textParts.find(frameId);
    if (it == m_textParts.end())
        return rest;
    TextParts ahead = std::move(it.value());
    m_textParts.erase(it);
    // Parts of another text (one the page never finished) are dropped.
    if (ahead.id != parts.toDouble()) {
        qCWarning(lcWeb) << "the bridge sent parts of a text that never came whole";
        return rest;
    }
    ahead.text.append(rest);
    return ahead.text;
}

void WebBridge::readStyleSheets(const QJsonObject &message, const QByteArray &text)
{
    const qint64 frameId = idOf(message.value(QStringLiteral("frame")));
    if (const auto pending = m_pendingDocuments.find(frameId); pending != m_pendingDocuments.end()) {
        if (pending->second.message.value(QStringLiteral("token")) != message.value(QStringLiteral("token")))
            return;
        // A document waits for its sheets: unreadable ones (logged) count as none.
        pending->second.document->styleSheets().readFromEngine(text);
        pending->second.hasSheets = true;
        finishPendingDocuments();
        return;
    }
    WebFrameMirror *target = frame(frameId);
    if (!target || !target->document() || target->m_token != message.value(QStringLiteral("token")).toString()
        || !target->document()->styleSheets().readFromEngine(text))
        return;
    target->engine()->invalidate();
    Q_EMIT styleSheetsChanged(target);
    Q_EMIT mirrorChanged(target);
}

void WebBridge::removeFrame(qint64 frameId)
{
    m_pendingDocuments.erase(frameId);
    m_textParts.remove(frameId);
    forgetFrameCommands(frameId);
    if (m_subframes.erase(frameId) > 0)
        Q_EMIT frameRemoved(frameId);
}

void WebBridge::forgetFrameCommands(qint64 frameId)
{
    m_outgoing.removeIf([frameId](const QJsonObject &command) { return idOf(command.value(QStringLiteral("frame"))) == frameId; });
    m_unacked.removeIf([frameId](const auto &entry) { return entry.value() == frameId; });
    m_resyncWanted.remove(frameId);
    m_released.remove(frameId);
    m_textsInFlight.removeIf([frameId](const auto &entry) { return entry.key().first == frameId; });
    m_heldTexts.removeIf([frameId](const auto &entry) { return entry.key().first == frameId; });
}

void WebBridge::releaseHeldTexts(qint64 frameId)
{
    for (auto it = m_heldTexts.begin(); it != m_heldTexts.end();) {
        if (it.key().first != frameId) {
            ++it;
            continue;
        }
        m_textsInFlight.insert(it.key(), 0);
        m_outgoing.append(it.value());
        it = m_heldTexts.erase(it);
    }
}

void WebBridge::queueCommand(WebFrameMirror &frame, QJsonObject command)
{
    command.insert(QStringLiteral("frame"), double(frame.frameId()));
    command.insert(QStringLiteral("token"), frame.m_token);
    const bool writesRules = command.contains(QStringLiteral("op"))
                             && !command.value(QStringLiteral("op")).toString().startsWith(QLatin1String("create"));
    if (command.value(QStringLiteral("op")).toString() == QLatin1String("followText")) {
        const SheetOfFrame sheet{frame.frameId(), idOf(command.value(QStringLiteral("sheet")))};
        if (m_textsInFlight.contains(sheet)) {
            m_heldTexts.insert(sheet, command);
            frame.engine()->invalidate(WebEngineCache::Change::Structure);
            Q_EMIT mirrorChanged(&frame);
            return;
        }
        m_textsInFlight.insert(sheet, 0);
    } else {
        releaseHeldTexts(frame.frameId());
    }
    for (const char *key : {"rule", "parent"}) {
        const qint64 ruleId = idOf(command.value(QLatin1String(key)));
        if (ruleId == 0 || !writesRules)
            continue;
        m_ruleLastBatch.insert({frame.frameId(), ruleId}, m_nextBatch);
        // The blocks around it change with it: an answer to an earlier write
        // of one of them would put back what this changes inside (#77).
        const DOMCSSRulePtr rule = frame.document() ? frame.document()->styleSheets().ruleForId(ruleId) : nullptr;
        for (DOMCSSRulePtr block = rule ? rule->parentRule() : nullptr; block; block = block->parentRule())
            m_ruleLastBatch.insert({frame.frameId(), block->ruleId()}, m_nextBatch);
    }
    m_outgoing.append(command);
    // What matches an element changes with rules and elements, not with
    // the declarations of a rule (#81).
    static const QSet<QString> declarationOps{QStringLiteral("setProperty"), QStringLiteral("removeProperty"),
                                              QStringLiteral("setStyleText")};
    frame.engine()->invalidate(declarationOps.contains(command.value(QStringLiteral("op")).toString())
                                   ? WebEngineCache::Change::Declarations
                                   : WebEngineCache::Change::Structure);
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

void WebBridge::queueRelease(qint64 frameId, qint64 nodeId)
{
    m_released[frameId].append(nodeId);
    scheduleFlush();
}

void WebBridge::flushCommands()
{
    m_flushScheduled = false;
    // One batch for each frame, each in the order its edits were made.
    QList<qint64> order;
    QHash<qint64, QJsonArray> batches;
    for (const QJsonObject &command : std::as_const(m_outgoing)) {
        const qint64 frameId = idOf(command.value(QStringLiteral("frame")));
        if (!batches.contains(frameId))
            order.append(frameId);
        batches[frameId].append(command);
    }
    m_outgoing.clear();
    for (const qint64 frameId : std::as_const(order)) {
        const quint64 seq = m_nextBatch++;
        m_unacked.insert(seq, frameId);
        for (const QJsonValue &command : batches.value(frameId)) {
            if (command.toObject().value(QStringLiteral("op")).toString() == QLatin1String("followText"))
                m_textsInFlight.insert({frameId, idOf(command.toObject().value(QStringLiteral("sheet")))}, seq);
        }
        const QJsonObject batch{{QStringLiteral("kind"), QStringLiteral("batch")},
                                {QStringLiteral("seq"), double(seq)},
                                {QStringLiteral("commands"), batches.value(frameId)}};
        sendToFrame(frameId, batch, [this, seq](const QJsonObject &, const QString &error) {
            // A document that is gone confirms nothing.
            if (!error.isEmpty()) {
                m_unacked.remove(seq);
                textsAnswered(seq);
            }
        });
    }
    for (auto it = m_released.constBegin(); it != m_released.constEnd(); ++it) {
        QJsonArray ids;
        for (const qint64 id : it.value())
            ids.append(double(id));
        sendToFrame(it.key(), {{QStringLiteral("kind"), QStringLiteral("release")}, {QStringLiteral("nodes"), ids}});
    }
    m_released.clear();
}

bool WebBridge::hasPendingCommands() const
{
    return !m_outgoing.isEmpty() || !m_unacked.isEmpty() || !m_heldTexts.isEmpty();
}

QJsonObject WebBridge::evaluateParams(const Context &context, const QJsonObject &message) const
{
    // JSON is a JavaScript expression: the message goes as an object literal.
    const QString expression = QStringLiteral("quillmark.receive(")
        + QString::fromUtf8(QJsonDocument(message).toJson(QJsonDocument::Compact)) + QLatin1Char(')');
    return {{QStringLiteral("expression"), expression},
            {QStringLiteral("contextId"), context.id},
            {QStringLiteral("returnByValue"), true}};
}

void WebBridge::sendToFrame(qint64 frameId, const QJsonObject &message,
                            std::function<void(const QJsonObject &, const QString &)> done)
{
    const Context *context = contextOfFrame(frameId);
    DevToolsConnection *browser = m_page->connection();
    if (!context || !browser) {
        if (done)
            QTimer::singleShot(0, this, [done] { done({}, QStringLiteral("the frame is gone")); });
        return;
    }
    qCDebug(lcWebBridge).noquote() << "to the page" << QJsonDocument(message).toJson(QJsonDocument::Compact);
    DevToolsConnection::Callback callback;
    if (done)
        callback = [done](const DevToolsReply &reply) { done(reply.result, reply.error); };
    browser->send(QStringLiteral("Runtime.evaluate"), evaluateParams(*context, message), context->session,
                  std::move(callback), this);
}

std::optional<QJsonObject> WebBridge::answerOf(const QJsonObject &result, const QString &error)
{
    if (!error.isEmpty() || result.contains(QStringLiteral("exceptionDetails")))
        return std::nullopt;
    const QString text = result.value(QStringLiteral("result")).toObject().value(QStringLiteral("value")).toString();
    const QJsonObject answer = QJsonDocument::fromJson(text.toUtf8()).object();
    if (answer.isEmpty() || answer.contains(QStringLiteral("error"))) {
        if (answer.value(QStringLiteral("error")).toString() != QLatin1String("stale document"))
            qCWarning(lcWeb) << "the page could not answer:" << answer.value(QStringLiteral("error")).toString();
        return std::nullopt;
    }
    return answer;
}

void WebBridge::readAck(const QJsonObject &message)
{
    qCDebug(lcWebBridge).noquote() << "ack" << QJsonDocument(message).toJson(QJsonDocument::Compact);
    const quint64 batch = quint64(message.value(QStringLiteral("seq")).toDouble());
    const qint64 frameId = idOf(message.value(QStringLiteral("frame")));
    m_unacked.remove(batch);
    textsAnswered(batch);
    for (const QJsonValue &value : message.value(QStringLiteral("errors")).toArray()) {
        const QJsonObject error = value.toObject();
        const QString op = error.value(QStringLiteral("op")).toString();
        const QString text = error.value(QStringLiteral("error")).toString();
        const qint64 ruleId = idOf(error.value(QStringLiteral("rule")));
        WebFrameMirror *target = frame(frameId);
        if ((op == QLatin1String("insertRule") || op == QLatin1String("appendRule")) && ruleId && target
            && target->document()) {
            target->document()->styleSheets().ruleRefused(ruleId, text);
        } else if (text != QLatin1String("stale document")) {
            QM_ERROR(QStringLiteral("the page refused the edit %1: %2; the mirror may differ from the page").arg(op, text));
        }
    }
    if (!message.value(QStringLiteral("diverged")).toArray().isEmpty())
        m_resyncWanted.insert(frameId);
    for (const QJsonValue &value : message.value(QStringLiteral("rules")).toArray()) {
        const QJsonObject rule = value.toObject();
        const qint64 ruleId = idOf(rule.value(QStringLiteral("id")));
        // A later write of the same rule is on its way: its answer will come.
        if (m_ruleLastBatch.value({frameId, ruleId}) > batch)
            continue;
        m_ruleLastBatch.remove({frameId, ruleId});
        WebFrameMirror *target = frame(frameId);
        if (target && target->document() && target->document()->styleSheets().ruleForId(ruleId))
            target->document()->styleSheets().updateRuleFromEngine(rule);
    }
    // Writes up to this batch are answered, reported or not.
    m_ruleLastBatch.removeIf([frameId, batch](const auto &entry) { return entry.key().first == frameId && entry.value() <= batch; });
    requestResyncs();
}

void WebBridge::textsAnswered(quint64 batch)
{
    // The newest text held for a sheet the page has read goes now.
    bool queued = false;
    for (auto it = m_textsInFlight.begin(); it != m_textsInFlight.end();) {
        if (it.value() != batch) {
            ++it;
            continue;
        }
        const auto held = m_heldTexts.constFind(it.key());
        if (held == m_heldTexts.cend()) {
            it = m_textsInFlight.erase(it);
            continue;
        }
        m_outgoing.append(held.value());
        m_heldTexts.erase(held);
        it.value() = 0;
        ++it;
        queued = true;
    }
    if (queued)
        scheduleFlush();
}

void WebBridge::requestResyncs()
{
    if (hasPendingCommands())
        return;
    for (const qint64 frameId : std::as_const(m_resyncWanted)) {
        if (frame(frameId))
            sendToFrame(frameId, {{QStringLiteral("kind"), QStringLiteral("resync")}});
    }
}

void WebBridge::ask(WebFrameMirror &frame, QJsonObject questions, std::function<void(const QJsonObject &)> answer)
{
    // Edits go first, so that the answers see them.
    flushCommands();
    questions.insert(QStringLiteral("kind"), QStringLiteral("ask"));
    questions.insert(QStringLiteral("id"), double(m_nextQuestion++));
    questions.insert(QStringLiteral("token"), frame.m_token);
    ++m_roundTrips;
    sendToFrame(frame.frameId(), questions, [answer](const QJsonObject &result, const QString &error) {
        answer(answerOf(result, error).value_or(QJsonObject()));
    });
}

std::optional<QJsonObject> WebBridge::askAndWait(WebFrameMirror &frame, QJsonObject questions, int timeoutMs)
{
    flushCommands();
    ++m_blockingCalls;
    ++m_roundTrips;
    const Context *context = contextOfFrame(frame.frameId());
    if (!context)
        return std::nullopt;
    questions.insert(QStringLiteral("kind"), QStringLiteral("ask"));
    questions.insert(QStringLiteral("id"), double(m_nextQuestion++));
    questions.insert(QStringLiteral("token"), frame.m_token);
    const std::optional<QJsonObject> result = m_page->sendAndWait(context->session, QStringLiteral("Runtime.evaluate"),
                                                                  evaluateParams(*context, questions), timeoutMs);
    if (!result) {
        QM_ERROR(QStringLiteral("the page did not answer within %1 ms").arg(timeoutMs));
        return std::nullopt;
    }
    return answerOf(*result, {});
}

#pragma once

#include "WebFrameMirror.h"

#include <QHash>
#include <QJsonArray>
#include <QJsonObject>
#include <QList>
#include <QObject>
#include <QSet>

#include <functional>
#include <map>
#include <memory>
#include <optional>

class DOMNode;
class QWebChannel;
class QWebEnginePage;
class WebBridgeEndpoint;

// The program's end of the preview bridge: the bridge script (resources/bridge/
// bridge.js, injected at document creation into an isolated world of the top
// frame) and the web channel it talks over, and the mirror of every frame it
// reports.
//
// Page to program: a snapshot of each ready document, then its style sheets,
// which the page reads while the program builds the document's mirror (then
// the frame has a new document and its DOMContentLoaded listeners run); the
// page's own mutations as records (applied to the mirror, which fires its
// events); changes of the style-sheet list; answers to questions. The ids of
// ps/ns in a record are null for "none" and 0 for a node the bridge never named.
// Program to page: the mirror's replay logs (DOM and CSSOM writes) in one
// ordered queue, flushed at the end of the event-loop turn; the script drops
// the mutation records its own edits cause, so nothing echoes back.
//
// Message JSON: see bridge.js; "mutations" are
//   {"kind": "mutations", "frame", "records": [{"t": "c", "p", "a": [ids], "r": [ids], "ps", "ns"},
//    {"t": "a", "n", "name", "local", "ns", "v"}, {"t": "d", "n", "v"}], "nodes": [snapshot records],
//    "finals": {parent id: [child ids]}, "attrs": [element ids, one per attribute record]}
// After the page refused one of the program's edits (both sides edited the
// same nodes), the program asks, once none of its edits is under way, for the
// whole state of the frame's document ("resync", in the snapshot form), and
// the mirror follows it.
// The mutation handling is in WebBridgeMutations.cpp.
class WebBridge : public QObject
{
    Q_OBJECT

public:
    // Installs the script and the channel on the page (not owned).
    explicit WebBridge(QWebEnginePage *page, QObject *parent = nullptr);
    ~WebBridge() override;

    QWebEnginePage *page() const { return m_page; }
    // Null until the main frame's first document is ready.
    WebFrameMirror *mainFrame() const;
    WebFrameMirror *frame(qint64 frameId) const;
    QList<WebFrameMirror *> frames() const;
    // The main frame's record, made before its document arrives so that
    // listeners can be attached early.
    WebFrameMirror &mainFrameRecord();

    // Sends the queued edits now (otherwise at the end of the turn).
    void flushCommands();
    // Whether edits were sent that the page has not confirmed yet, or wait to be sent.
    bool hasPendingCommands() const;

    // One round trip: answer is called with the reply (an empty object when
    // the page is gone or could not answer).
    void ask(WebFrameMirror &frame, QJsonObject questions, std::function<void(const QJsonObject &)> answer);
    // The last resort: the same, waiting in a local event loop that takes no
    // user input, holding the page's other messages and the program's delayed
    // performs until it returns. nullopt after timeoutMs.
    std::optional<QJsonObject> askAndWait(WebFrameMirror &frame, QJsonObject questions, int timeoutMs = 1000);

    int roundTrips() const { return m_roundTrips; }
    int blockingCalls() const { return m_blockingCalls; }

    // The bridge script as injected (the channel's client script, then ours).
    static QString scriptSource();

Q_SIGNALS:
    // A frame has a new document (the main frame's first).
    void documentLoaded(WebFrameMirror *frame);
    void frameRemoved(qint64 frameId);
    // The page changed attributes: one entry per record, in order.
    void attributesChanged(WebFrameMirror *frame, const QList<DOMNode *> &elements);
    // Anything in a frame's document or style sheets changed (either side).
    void mirrorChanged(WebFrameMirror *frame);
    // The engine refused a rule that the mirror had accepted.
    void ruleRefused(const QString &ruleText, const QString &message);

private:
    void receive(const QString &message, const QString &payload);
    void dispatch(const QJsonObject &message, const QString &payload);
    void readDocument(const QJsonObject &message, const QString &payload);
    void finishDocument(const QJsonObject &message, const DOMDocumentPtr &document);
    void releaseHeld();
    void readStyleSheets(const QJsonObject &message);
    void readAck(const QJsonObject &message);
    void readAnswer(const QJsonObject &message);
    void removeFrame(qint64 frameId);
    void attachMirror(WebFrameMirror &frame, DOMDocument &document);
    void queueCommand(WebFrameMirror &frame, QJsonObject command);
    void scheduleFlush();
    void resetPage();
    void sendToPage(const QJsonObject &message);

    // WebBridgeMutations.cpp
    void applyMutations(WebFrameMirror &frame, const QJsonObject &message);
    void resynchronize(WebFrameMirror &frame, const QString &payload);
    void reconcileChildren(DOMDocument &document, DOMNode &parent, const QJsonArray &childIds,
                           QList<DOMNodePtr> &held);

    QWebEnginePage *m_page; // Not owned.
    QWebChannel *m_channel; // Owned (QObject child).
    WebBridgeEndpoint *m_endpoint; // Owned (QObject child).
    std::unique_ptr<WebFrameMirror> m_mainFrame;
    std::map<qint64, std::unique_ptr<WebFrameMirror>> m_subframes;

    QJsonArray m_outgoing;
    bool m_flushScheduled = false;
    quint64 m_nextBatch = 1;
    quint64 m_lastAcked = 0;
    QHash<qint64, quint64> m_ruleLastBatch; // rule id -> batch that last wrote it
    QSet<qint64> m_resyncWanted;            // frames whose mirror differs from the page
    void requestResyncs();

    qint64 m_nextQuestion = 1;
    QHash<qint64, std::function<void(const QJsonObject &)>> m_answers;
    int m_roundTrips = 0;
    int m_blockingCalls = 0;
    QList<qint64> m_awaited; // blocking questions, innermost last
    // Documents read from their snapshot, waiting for their style sheets.
    std::map<qint64, std::pair<QJsonObject, DOMDocumentPtr>> m_pendingDocuments;
    QList<std::pair<QString, QString>> m_held;
};

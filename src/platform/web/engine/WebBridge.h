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
class WebPage;

// The program's end of the preview bridge: the bridge script (resources/bridge/
// bridge.js), which the page installs in every new document of every frame in
// an isolated world of its own, and the mirror of every frame it reports. Each
// copy of the script serves one document and posts through the world's
// binding; the program tells the copies apart by their execution context and
// gives each document a frame id of its own.
//
// Page to program: a snapshot of each ready document, then its style sheets,
// which the page reads while the program builds the document's mirror (then
// the frame has a new document and its DOMContentLoaded listeners run; a
// frame's document waits for its parent's); the page's own mutations as
// records (applied to the mirror, which fires its events; posted at most once
// a frame, an attribute's or a text's records merged into one with the value
// it has then, a large batch in several messages); changes of the
// style-sheet list. The ids of ps/ns in a record are null for "none" and 0 for
// a node the bridge never named.
// Program to page: the mirror's replay logs (DOM and CSSOM writes) in one
// ordered queue, flushed at the end of the event-loop turn as one batch per
// frame; the script drops the mutation records its own edits cause, so
// nothing echoes back. Questions are answered as the result of the call.
//
// A long text comes in parts: "part" messages ({"of": n} and a piece of it
// as payload) ahead of the message it belongs to, which names them ("parts":
// n) and carries the rest; the style sheets come so, as their JSON text.
// Message JSON: see bridge.js; "mutations" are
//   {"kind": "mutations", "frame", "records": [{"t": "c", "p", "a": [ids], "r": [ids], "ps", "ns"},
//    {"t": "a", "n", "name", "local", "ns", "v"}, {"t": "d", "n", "v"}], "nodes": [snapshot records],
//    "finals": {parent id: [child ids]}, "attrs": [element ids, one per attribute record]}
// After the page refused one of the program's edits (both sides edited the
// same nodes), the program asks, once none of its edits is under way, for the
// whole state of the frame's document ("resync", in the snapshot form), and
// the mirror follows it.
// Nodes of the mirror that nobody holds any more (neither the document nor an
// undo step) are released in the page too ("release"), so that a page that
// keeps making and dropping nodes does not grow the bridge's table.
// The mutation handling is in WebBridgeMutations.cpp, the contexts and frames
// of the browser in WebBridgeFrames.cpp.
class WebBridge : public QObject
{
    Q_OBJECT

public:
    // Installs nothing itself: the page (not owned) installs the script and
    // hands over what the script posts.
    explicit WebBridge(WebPage *page, QObject *parent = nullptr);
    ~WebBridge() override;

    WebPage *page() const { return m_page; }
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
    // The last resort: the same, blocking on the browser's pipe; the page's
    // other messages wait until it returns. nullopt after timeoutMs.
    std::optional<QJsonObject> askAndWait(WebFrameMirror &frame, QJsonObject questions, int timeoutMs = 1000);

    int roundTrips() const { return m_roundTrips; }
    int blockingCalls() const { return m_blockingCalls; }

    // The bridge script as installed.
    static QString scriptSource();

    // Where a frame's document lives in the browser: its session, the
    // bridge's execution context and the browser's id of the frame.
    struct Target
    {
        QString session;
        int contextId = 0;
        QString frame;
    };
    std::optional<Target> targetOf(qint64 frameId) const;
    // The execution context of the main frame's bridge; 0 before there is one.
    int mainContextId() const;
    bool isBridgeContext(const QString &session, int contextId) const;

    // From the page: the browser's reports (WebBridgeFrames.cpp).
    // text: what the script posted, as UTF-8.
    void receive(const QString &session, int contextId, const QByteArray &text);
    void contextCreated(const QString &session, int contextId, const QString &browserFrame);
    void contextDestroyed(const QString &session, int contextId);
    void contextsCleared(const QString &session);
    void sessionDetached(const QString &session);
    void frameAttached(const QString &browserFrame, const QString &parentBrowserFrame);
    void browserRestarted();
    void domDocumentUpdated(const QString &session);

Q_SIGNALS:
    // A frame has a new document (the main frame's first).
    void documentLoaded(WebFrameMirror *frame);
    void frameRemoved(qint64 frameId);
    // The page changed attributes: one entry per record, in order.
    void attributesChanged(WebFrameMirror *frame, const QList<DOMNode *> &elements);
    // Anything in a frame's document or style sheets changed (either side).
    void mirrorChanged(WebFrameMirror *frame);
    // The page's list of style sheets of a shown document changed: a sheet
    // came (linked ones come after the document), went, or its scripts
    // changed its rules.
    void styleSheetsChanged(WebFrameMirror *frame);
    // The engine refused a rule that the mirror had accepted.
    void ruleRefused(const QString &ruleText, const QString &message);

private:
    struct Context
    {
        QString session;
        int id = 0;
        QString browserFrame;
        qint64 frameId = 0;
    };
    struct PendingDocument
    {
        QJsonObject message;
        DOMDocumentPtr document;
        bool hasSheets = false;
        std::optional<qint64> owner; // the frame element's id in the parent document
        bool askingOwner = false;
    };

    void dispatch(const QJsonObject &message, const QByteArray &payload);
    void readDocument(const QJsonObject &message, const QByteArray &payload);
    void finishPendingDocuments();
    bool tryFinish(qint64 frameId, PendingDocument &pending);
    void findOwner(qint64 frameId);
    void finishDocument(const QJsonObject &message, const DOMDocumentPtr &document, qint64 owner);
    void readStyleSheets(const QJsonObject &message, const QByteArray &text);
    QByteArray joinParts(qint64 frameId, const QJsonValue &parts, const QByteArray &rest);
    void readAck(const QJsonObject &message);
    void removeFrame(qint64 frameId);
    void forgetFrameCommands(qint64 frameId);
    void attachMirror(WebFrameMirror &frame, DOMDocument &document);
    void queueCommand(WebFrameMirror &frame, QJsonObject command);
    void queueRelease(qint64 frameId, qint64 nodeId);
    void scheduleFlush();
    void resetPage();
    void sendToFrame(qint64 frameId, const QJsonObject &message,
                     std::function<void(const QJsonObject &result, const QString &error)> done = {});
    QJsonObject evaluateParams(const Context &context, const QJsonObject &message) const;
    static std::optional<QJsonObject> answerOf(const QJsonObject &result, const QString &error);
    const Context *contextOfFrame(qint64 frameId) const;
    qint64 parentFrameOf(const Context &context) const;
    bool isMainContext(const Context &context) const;
    void requestResyncs();

    // WebBridgeMutations.cpp
    void applyMutations(WebFrameMirror &frame, const QJsonObject &message);
    void resynchronize(WebFrameMirror &frame, const QByteArray &payload);
    void reconcileChildren(DOMDocument &document, DOMNode &parent, const QJsonArray &childIds,
                           QList<DOMNodePtr> &held);

    WebPage *m_page; // Not owned.
    std::unique_ptr<WebFrameMirror> m_mainFrame;
    std::map<qint64, std::unique_ptr<WebFrameMirror>> m_subframes;

    // Execution contexts of the bridge's world by "session/id"; the context
    // that shows each browser frame now; the browser frames' parents.
    QHash<QString, Context> m_contexts;
    QHash<QString, QString> m_contextOfBrowserFrame;
    QHash<QString, QString> m_parentOfBrowserFrame;
    QHash<qint64, QString> m_contextOfFrame;
    qint64 m_nextFrameId = 1;

    QList<QJsonObject> m_outgoing;
    bool m_flushScheduled = false;
    quint64 m_nextBatch = 1;
    QHash<quint64, qint64> m_unacked;                  // batch -> frame
    QHash<std::pair<qint64, qint64>, quint64> m_ruleLastBatch; // (frame, rule id) -> batch that last wrote it
    QSet<qint64> m_resyncWanted;                       // frames whose mirror differs from the page
    // A sheet's new text waits while the page still reads the one before it
    // (a long sheet takes a while), a newer one taking its place: the keys
    // typed meanwhile reach the page as one text.
    using SheetOfFrame = std::pair<qint64, qint64>;    // (frame, sheet id)
    QHash<SheetOfFrame, quint64> m_textsInFlight;      // -> its batch, 0 while queued
    QHash<SheetOfFrame, QJsonObject> m_heldTexts;
    // The texts held for the frame go out, before a write that follows them.
    void releaseHeldTexts(qint64 frameId);
    // The page answered (or could not take) the batch: the texts held behind it go.
    void textsAnswered(quint64 batch);
    QHash<qint64, QList<qint64>> m_released;           // frame -> node ids the mirror let go

    qint64 m_nextQuestion = 1;
    int m_roundTrips = 0;
    int m_blockingCalls = 0;
    // The parts of a long text that came ahead of their message, by frame.
    struct TextParts
    {
        double id = 0;
        QByteArray text;
    };
    QHash<qint64, TextParts> m_textParts;
    // Documents read from their snapshot, waiting for their style sheets, their parent and owner.
    std::map<qint64, PendingDocument> m_pendingDocuments;
};

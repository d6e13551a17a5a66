#pragma once

#include "platform/web/dom/DOMDocument.h"
#include "platform/web/dom/DOMMutationEvent.h"

#include <QList>
#include <QString>
#include <QUrl>

#include <memory>

class WebEngineCache;

// One frame of the page shown, as the mirror holds it: the frame's document
// (rebuilt from the bridge's snapshot each time a new document is ready),
// where it sits (its parent frame and the frame element there) and the cache
// of the engine's answers about it.
//
// Listeners of "DOMContentLoaded" hear of each new document (the event's
// target is the document); listeners of the mirror's mutation events
// ("DOMSubtreeModified" ...) stay attached across documents.
class WebFrameMirror
{
public:
    WebFrameMirror(qint64 frameId, qint64 parentFrameId);
    ~WebFrameMirror();
    WebFrameMirror(const WebFrameMirror &) = delete;
    WebFrameMirror &operator=(const WebFrameMirror &) = delete;

    qint64 frameId() const { return m_frameId; }
    qint64 parentFrameId() const { return m_parentFrameId; }
    bool isMainFrame() const { return m_parentFrameId == 0; }
    // The frame element in the parent frame's document; 0 for the main frame.
    qint64 ownerNodeId() const { return m_ownerNodeId; }
    QUrl url() const { return m_url; }
    QString title() const { return m_title; }
    // Null until the first document is ready.
    DOMDocument *document() const { return m_document.get(); }
    const DOMDocumentPtr &sharedDocument() const { return m_document; }
    WebEngineCache *engine() const { return m_engine.get(); }
    // When the page began the snapshot of the present document (at its
    // DOMContentLoaded), in milliseconds since the epoch.
    double snapshotStartedAt() const { return m_snapshotStartedAt; }

    static inline const QString s_contentLoaded = QStringLiteral("DOMContentLoaded");

    // Adding the same owner for the same type twice has no further effect.
    void addEventListener(const QString &type, const void *owner, DOMEventListener listener);
    void removeEventListener(const QString &type, const void *owner);

private:
    friend class WebBridge;

    void setDocument(DOMDocumentPtr document);

    struct Listener
    {
        QString type;
        const void *owner = nullptr;
        DOMEventListener handler;
    };

    qint64 m_frameId;
    qint64 m_parentFrameId;
    qint64 m_ownerNodeId = 0;
    QUrl m_url;
    QString m_title;
    QString m_token;
    double m_snapshotStartedAt = 0;
    DOMDocumentPtr m_document;
    std::unique_ptr<WebEngineCache> m_engine;
    QList<Listener> m_listeners;
};

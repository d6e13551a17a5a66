#include "WebFrameMirror.h"

#include "WebEngineCache.h"

WebFrameMirror::WebFrameMirror(qint64 frameId, qint64 parentFrameId)
    : m_frameId(frameId), m_parentFrameId(parentFrameId)
{
}

WebFrameMirror::~WebFrameMirror()
{
    if (m_document)
        m_document->setEngineQueries(nullptr);
}

void WebFrameMirror::addEventListener(const QString &type, const void *owner, DOMEventListener listener)
{
    for (const Listener &existing : std::as_const(m_listeners)) {
        if (existing.type == type && existing.owner == owner)
            return;
    }
    m_listeners.append({type, owner, listener});
    if (m_document && type != s_contentLoaded)
        m_document->addEventListener(type, owner, std::move(listener));
}

void WebFrameMirror::removeEventListener(const QString &type, const void *owner)
{
    m_listeners.removeIf([&](const Listener &l) { return l.type == type && l.owner == owner; });
    if (m_document)
        m_document->removeEventListener(type, owner);
}

void WebFrameMirror::setDocument(DOMDocumentPtr document)
{
    if (m_document) {
        // Whoever still holds the old document hears nothing more through us.
        m_document->setEngineQueries(nullptr);
        for (const Listener &listener : std::as_const(m_listeners))
            m_document->removeEventListener(listener.type, listener.owner);
    }
    m_document = std::move(document);
    if (!m_document)
        return;
    if (m_engine) {
        m_engine->invalidate();
        m_document->setEngineQueries(m_engine.get());
    }
    for (const Listener &listener : std::as_const(m_listeners)) {
        if (listener.type != s_contentLoaded)
            m_document->addEventListener(listener.type, listener.owner, listener.handler);
    }
    DOMMutationEvent loaded;
    loaded.type = s_contentLoaded;
    loaded.target = m_document.get();
    loaded.currentTarget = m_document.get();
    // A listener may remove itself.
    const QList<Listener> listeners = m_listeners;
    for (const Listener &listener : listeners) {
        if (listener.type == s_contentLoaded)
            listener.handler(loaded);
    }
}

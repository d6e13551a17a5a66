#pragma once

#include "platform/web/engine/WebNetworkEvents.h"

#include <QObject>
#include <QPointer>
#include <QStringList>

class BypassMap;
class WebPage;

// Answers the page's requests for remote resources that are tied to local
// files (their local substitutes, kept by BypassMap) with the files' bytes,
// as if the server had sent them (status 200, the file's MIME type). Only the
// tied addresses are held back, one pattern each, in every frame's session;
// the patterns follow the ties whenever they change. A tie whose file is gone
// or cannot be read lets the request go on to the network. Nothing but a
// tied file is ever served: no path the page names is looked up on disk.
class BypassResponder : public QObject
{
    Q_OBJECT

public:
    // Serves the page's requests from the map's ties (neither is owned; the
    // responder is the page's child or outlives it not).
    BypassResponder(WebPage *page, BypassMap *map, QObject *parent = nullptr);
    ~BypassResponder() override;

    // The patterns the page holds back now.
    QStringList patterns() const { return m_patterns; }
    // How many requests were answered from files, and let go on.
    int servedCount() const { return m_served; }
    int passedCount() const { return m_passed; }

    // Takes the ties again.
    void renewPatterns();

private:
    void answer(const WebInterceptedRequest &request);

    QPointer<WebPage> m_page;
    BypassMap *m_map; // Not owned.
    QStringList m_patterns;
    int m_served = 0;
    int m_passed = 0;
};

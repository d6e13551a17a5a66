#pragma once

#include "platform/web/engine/WebNetworkEvents.h"

#include <QByteArray>
#include <QObject>
#include <QPointer>
#include <QStringList>

#include <functional>
#include <optional>

class BypassMap;
class WebPage;

// Answers the page's requests with the program's texts, as if the disk or the
// server had sent them (status 200, the file's MIME type), so that the preview
// shows what a save would write:
// - a local file whose text holds edits not yet saved gets the bytes a save
//   of it would write (any other local file is read by the browser itself);
// - a remote resource tied to a local file (its local substitute, kept by
//   BypassMap) gets that file's unsaved bytes, else its bytes on disk.
// Only those addresses are held back, one pattern each, in every frame's
// session; the patterns follow the ties whenever they change, and the
// unsaved files whenever renewPatterns() is called. A tie whose file is gone
// or cannot be read lets the request go on to the network. Nothing but a tied
// file, or a project file's text the program holds, is ever served: no path
// the page names is looked up on disk.
class BypassResponder : public QObject
{
    Q_OBJECT

public:
    // Serves the page's requests from the map's ties (neither is owned; the
    // responder is the page's child or outlives it not).
    BypassResponder(WebPage *page, BypassMap *map, QObject *parent = nullptr);
    ~BypassResponder() override;

    // Where the unsaved texts come from: the paths of the local files whose
    // text holds edits not on disk, and the bytes a save of a file would
    // write (nullopt for a file without such edits).
    using UnsavedPaths = std::function<QStringList()>;
    using UnsavedBytes = std::function<std::optional<QByteArray>(const QString &path)>;
    void setUnsavedTexts(UnsavedPaths paths, UnsavedBytes bytes);

    // The patterns the page holds back now.
    QStringList patterns() const { return m_patterns; }
    // How many requests were answered from files, and let go on.
    int servedCount() const { return m_served; }
    int passedCount() const { return m_passed; }

    // Takes the ties and the unsaved files again.
    void renewPatterns();

private:
    void answer(const WebInterceptedRequest &request);
    void serve(const QString &interceptId, const QByteArray &bytes, const QString &path);

    QPointer<WebPage> m_page;
    BypassMap *m_map; // Not owned.
    UnsavedPaths m_unsavedPaths;
    UnsavedBytes m_unsavedBytes;
    QStringList m_patterns;
    int m_served = 0;
    int m_passed = 0;
};

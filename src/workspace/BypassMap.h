#pragma once

#include <QHash>
#include <QMutex>
#include <QString>
#include <QThreadPool>
#include <QUrl>
#include <QVariantMap>

class UserDefaults;

// The ties from remote resources of previewed pages to the local files that
// stand in for them. The table lives in the user default "bypassMap": absolute
// URL text to the local file's path (kept where a bookmark of the file would
// be kept). Resolved files are cached; the cache is filled at creation on a
// private serial queue, and one lock guards the cache and the table, as the
// preview's background operations set ties while the main thread looks them up.
class BypassMap
{
public:
    static BypassMap *getInstance();

    // A map over the given defaults, for tests and tools.
    explicit BypassMap(UserDefaults &defaults);
    ~BypassMap();
    BypassMap(const BypassMap &) = delete;
    BypassMap &operator=(const BypassMap &) = delete;

    // The stored table (empty when there is none).
    QVariantMap bypassMap() const;

    // Ties the web URL to the local file, or removes its tie when the local
    // URL is empty. A file that does not exist cannot be tied: the failure is
    // logged and answered false. The table is written back in every case.
    bool setBypass(const QUrl &webURL, const QUrl &localFileURL);

    // The local file tied to the web URL, with symbolic links resolved; empty
    // when there is no tie or its file no longer exists.
    QUrl bypassPathWithURL(const QUrl &webURL);

    // The table key of a URL: its whole absolute text, query included.
    static QString keyForURL(const QUrl &url);

private:
    static QUrl resolve(const QVariant &stored);
    void fillCache();

    UserDefaults &m_defaults;
    mutable QMutex m_lock;
    QHash<QString, QUrl> m_cache;
    // Declared last: destroyed first, so the fill ends before the cache goes.
    QThreadPool m_serialQueue;
};

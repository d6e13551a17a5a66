#pragma once

#include <QHash>
#include <QList>
#include <QMutex>
#include <QObject>
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
// changed() tells when the table changed; it may be emitted on any thread,
// so receivers connect with a context object of their own thread.
class BypassMap : public QObject
{
    Q_OBJECT

public:
    static BypassMap *getInstance();

    // A map over the given defaults, for tests and tools.
    explicit BypassMap(UserDefaults &defaults);
    ~BypassMap() override;

    // The stored table (empty when there is none).
    QVariantMap bypassMap() const;

    // Ties the web URL to the local file, or removes its tie when the local
    // URL is empty. A file that does not exist cannot be tied: the failure is
    // logged and answered false. The table is written back in every case.
    bool setBypass(const QUrl &webURL, const QUrl &localFileURL);
    // Many ties at once (an empty local URL removes that tie), with one write
    // of the table; answers how many were made or removed.
    int setBypasses(const QList<std::pair<QUrl, QUrl>> &ties);

    // The local file tied to the web URL, with symbolic links resolved; empty
    // when there is no tie or its file no longer exists.
    QUrl bypassPathWithURL(const QUrl &webURL);

    // The table key of a URL: its whole absolute text, query included.
    static QString keyForURL(const QUrl &url);

Q_SIGNALS:
    // A tie was made or removed.
    void changed();

private:
    // Changes the table and the cache under the lock; false when a local
    // file cannot be tied.
    bool applyTie(QVariantMap &table, const QUrl &webURL, const QUrl &localFileURL);
    static QUrl resolve(const QVariant &stored);
    void fillCache();

    UserDefaults &m_defaults;
    mutable QMutex m_lock;
    QHash<QString, QUrl> m_cache;
    // Declared last: destroyed first, so the fill ends before the cache goes.
    QThreadPool m_serialQueue;
};

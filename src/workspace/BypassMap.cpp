#include "BypassMap.h"

#include "platform/foundation/Log.h"
#include "platform/foundation/UserDefaults.h"

#include <QFileInfo>

static const QString kBypassMapKey = QStringLiteral("bypassMap");

BypassMap *BypassMap::getInstance()
{
    // A function-local static is made once even when first asked from two threads.
    static BypassMap s_instance(UserDefaults::standardUserDefaults());
    return &s_instance;
}

BypassMap::BypassMap(UserDefaults &defaults) : m_defaults(defaults)
{
    m_serialQueue.setMaxThreadCount(1);
    m_serialQueue.start([this] { fillCache(); });
}

BypassMap::~BypassMap()
{
    m_serialQueue.waitForDone();
}

QString BypassMap::keyForURL(const QUrl &url)
{
    return url.toString(QUrl::FullyEncoded);
}

QVariantMap BypassMap::bypassMap() const
{
    QMutexLocker locker(&m_lock);
    return m_defaults.dictionaryForKey(kBypassMapKey);
}

bool BypassMap::applyTie(QVariantMap &table, const QUrl &webURL, const QUrl &localFileURL)
{
    const QString key = keyForURL(webURL);
    if (localFileURL.isEmpty()) {
        m_cache.remove(key);
        table.remove(key);
        return true;
    }
    const QString path = localFileURL.toLocalFile();
    if (!localFileURL.isLocalFile() || !QFileInfo::exists(path)) {
        QM_ERROR(QStringLiteral("cannot tie %1 to %2: no such local file").arg(key, localFileURL.toString()));
        return false;
    }
    table.insert(key, QFileInfo(path).absoluteFilePath());
    m_cache.insert(key, localFileURL);
    return true;
}

bool BypassMap::setBypass(const QUrl &webURL, const QUrl &localFileURL)
{
    return setBypasses({{webURL, localFileURL}}) == 1;
}

int BypassMap::setBypasses(const QList<std::pair<QUrl, QUrl>> &ties)
{
    int applied = 0;
    {
        // The lock is held from reading the table to writing it back, so two
        // setters never lose each other's change.
        QMutexLocker locker(&m_lock);
        QVariantMap table = m_defaults.dictionaryForKey(kBypassMapKey);
        for (const auto &[webURL, localFileURL] : ties) {
            if (applyTie(table, webURL, localFileURL))
                ++applied;
        }
        m_defaults.setObject(table, kBypassMapKey);
        m_defaults.synchronize();
    }
    Q_EMIT changed();
    return applied;
}

QUrl BypassMap::bypassPathWithURL(const QUrl &webURL)
{
    const QString key = keyForURL(webURL);
    QVariant stored;
    {
        QMutexLocker locker(&m_lock);
        const auto cached = m_cache.constFind(key);
        if (cached != m_cache.cend())
            return *cached;
        stored = m_defaults.dictionaryForKey(kBypassMapKey).value(key);
    }
    if (!stored.isValid())
        return {};
    // Resolved outside the lock; a file that no longer exists is not cached.
    const QUrl resolved = resolve(stored);
    if (resolved.isEmpty())
        return {};
    QMutexLocker locker(&m_lock);
    if (m_defaults.dictionaryForKey(kBypassMapKey).value(key) == stored)
        m_cache.insert(key, resolved);
    return resolved;
}

QUrl BypassMap::resolve(const QVariant &stored)
{
    if (stored.typeId() != QMetaType::QString)
        return {};
    const QString canonical = QFileInfo(stored.toString()).canonicalFilePath();
    if (canonical.isEmpty())
        return {};
    return QUrl::fromLocalFile(canonical);
}

void BypassMap::fillCache()
{
    const QVariantMap table = bypassMap();
    for (auto it = table.cbegin(); it != table.cend(); ++it) {
        const QUrl resolved = resolve(it.value());
        if (resolved.isEmpty())
            continue;
        QMutexLocker locker(&m_lock);
        // A tie changed meanwhile keeps what its setter cached.
        if (!m_cache.contains(it.key())
            && m_defaults.dictionaryForKey(kBypassMapKey).value(it.key()) == it.value())
            m_cache.insert(it.key(), resolved);
    }
}

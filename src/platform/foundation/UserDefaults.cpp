#include "UserDefaults.h"

#include "FileAside.h"
#include "Log.h"
#include "PropertyList.h"

#include <QCoreApplication>
#include <QFile>
#include <QMutexLocker>
#include <QSettings>
#include <QStandardPaths>

static bool readPlistSettings(QIODevice &device, QSettings::SettingsMap &map)
{
    const QByteArray data = device.readAll();
    if (data.trimmed().isEmpty())
        return true;
    Result<QVariant> root = PropertyList::fromXml(data);
    if (!root || root->typeId() != QMetaType::QVariantMap) {
        QM_ERROR(QStringLiteral("user defaults are not a readable property list; starting empty"));
        return false;
    }
    const QVariantMap values = root->toMap();
    for (auto it = values.cbegin(); it != values.cend(); ++it)
        map.insert(it.key(), it.value());
    return true;
}

static bool writePlistSettings(QIODevice &device, const QSettings::SettingsMap &map)
{
    QVariantMap values;
    for (auto it = map.cbegin(); it != map.cend(); ++it)
        values.insert(it.key(), it.value());
    const QByteArray xml = PropertyList::toXml(values);
    return device.write(xml) == xml.size();
}

static QSettings::Format plistFormat()
{
    static const QSettings::Format format =
        QSettings::registerFormat(QStringLiteral("plist"), readPlistSettings, writePlistSettings);
    return format;
}

UserDefaults &UserDefaults::standardUserDefaults()
{
    static UserDefaults defaults;
    return defaults;
}

// A file that cannot be read is moved aside rather than overwritten by the next
// write, so the user can still recover what it held.
static std::unique_ptr<QSettings> openSettings(const QString &path)
{
    auto settings = std::make_unique<QSettings>(path, plistFormat());
    if (settings->status() == QSettings::FormatError) {
        if (const Result<QString> aside = FileAside::moveAside(path))
            QM_ERROR(QStringLiteral("unreadable user defaults kept as %1").arg(*aside));
        settings = std::make_unique<QSettings>(path, plistFormat());
    }
    return settings;
}

UserDefaults::UserDefaults()
{
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    m_settings = openSettings(folder + QStringLiteral("/Quillmark/Quillmark.plist"));
}

UserDefaults::UserDefaults(const QString &filePath) : m_settings(openSettings(filePath)) {}

UserDefaults::~UserDefaults() = default;

void UserDefaults::registerDefaults(const QVariantMap &defaults)
{
    QMutexLocker locker(&m_mutex);
    for (auto it = defaults.cbegin(); it != defaults.cend(); ++it)
        m_registered.insert(it.key(), it.value());
}

QVariantMap UserDefaults::registeredDefaults() const
{
    QMutexLocker locker(&m_mutex);
    return m_registered;
}

QVariant UserDefaults::objectForKey(const QString &key) const
{
    QMutexLocker locker(&m_mutex);
    const QVariant stored = m_settings->value(key);
    if (stored.isValid())
        return stored;
    return m_registered.value(key);
}

bool UserDefaults::hasStoredValue(const QString &key) const
{
    QMutexLocker locker(&m_mutex);
    return m_settings->contains(key);
}

void UserDefaults::setObject(const QVariant &value, const QString &key)
{
    if (!value.isValid()) {
        removeObjectForKey(key);
        return;
    }
    QMutexLocker locker(&m_mutex);
    m_settings->setValue(key, value);
}

void UserDefaults::removeObjectForKey(const QString &key)
{
    QMutexLocker locker(&m_mutex);
    m_settings->remove(key);
}

bool UserDefaults::boolForKey(const QString &key) const
{
    const QVariant value = objectForKey(key);
    if (value.typeId() == QMetaType::QString) {
        const QString text = value.toString().trimmed().toLower();
        return text == QLatin1String("yes") || text == QLatin1String("true") || text.toInt() != 0;
    }
    return value.toBool();
}

qint64 UserDefaults::integerForKey(const QString &key) const
{
    return objectForKey(key).toLongLong();
}

float UserDefaults::floatForKey(const QString &key) const
{
    return float(objectForKey(key).toDouble());
}

double UserDefaults::doubleForKey(const QString &key) const
{
    return objectForKey(key).toDouble();
}

QString UserDefaults::stringForKey(const QString &key) const
{
    const QVariant value = objectForKey(key);
    if (value.typeId() == QMetaType::QVariantMap || value.typeId() == QMetaType::QVariantList)
        return QString();
    return value.toString();
}

QVariantMap UserDefaults::dictionaryForKey(const QString &key) const
{
    return objectForKey(key).toMap();
}

QVariantList UserDefaults::arrayForKey(const QString &key) const
{
    return objectForKey(key).toList();
}

bool UserDefaults::synchronize()
{
    QMutexLocker locker(&m_mutex);
    m_settings->sync();
    if (m_settings->status() != QSettings::NoError) {
        QM_ERROR(QStringLiteral("cannot write user defaults to %1").arg(m_settings->fileName()));
        return false;
    }
    return true;
}

QString UserDefaults::filePath() const
{
    QMutexLocker locker(&m_mutex);
    return m_settings->fileName();
}

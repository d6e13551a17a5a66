#include "UserDefaults.h"

#include "Log.h"
#include "PropertyList.h"
#include "SettingsFile.h"

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
    if (!root || root->typeId() != QMetaType::QVariantMap)
        return false;
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

// A damaged file is moved aside rather than overwritten by the next write, so
// the user can still recover what it held; one that cannot be read is left
// alone: the defaults are then kept in memory only (null).
static std::unique_ptr<QSettings> openSettings(const QString &path)
{
    const QString what = QStringLiteral("Quillmark's settings file");
    const QString instead = QStringLiteral("Quillmark starts with its default settings, as at a first launch, "
                                           "without the projects it had");
    const SettingsFile::Contents contents = SettingsFile::read(path);
    if (contents.state == SettingsFile::Contents::State::Unreadable) {
        SettingsFile::leaveAlone(path, what, contents.reason, instead);
        return nullptr;
    }
    auto settings = std::make_unique<QSettings>(path, plistFormat());
    if (settings->status() == QSettings::FormatError) {
        settings.reset();
        SettingsFile::setAside(path, what, QStringLiteral("it is no property list of settings"), instead);
        if (SettingsFile::isLeftAlone(path))
            return nullptr;
        settings = std::make_unique<QSettings>(path, plistFormat());
    }
    return settings;
}

UserDefaults::UserDefaults()
{
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    m_path = folder + QStringLiteral("/Quillmark/Quillmark.plist");
    m_settings = openSettings(m_path);
}

UserDefaults::UserDefaults(const QString &filePath) : m_path(filePath), m_settings(openSettings(filePath)) {}

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
    const QVariant stored = m_settings ? m_settings->value(key) : m_unsaved.value(key);
    if (stored.isValid())
        return stored;
    return m_registered.value(key);
}

bool UserDefaults::hasStoredValue(const QString &key) const
{
    QMutexLocker locker(&m_mutex);
    return m_settings ? m_settings->contains(key) : m_unsaved.contains(key);
}

void UserDefaults::setObject(const QVariant &value, const QString &key)
{
    if (!value.isValid()) {
        removeObjectForKey(key);
        return;
    }
    QMutexLocker locker(&m_mutex);
    if (m_settings)
        m_settings->setValue(key, value);
    else
        m_unsaved.insert(key, value);
}

void UserDefaults::removeObjectForKey(const QString &key)
{
    QMutexLocker locker(&m_mutex);
    if (m_settings)
        m_settings->remove(key);
    else
        m_unsaved.remove(key);
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
    if (!m_settings)
        return false;
    m_settings->sync();
    if (m_settings->status() == QSettings::NoError)
        return true;
    // Said once, with the cause, however often the settings are written (#85).
    if (!std::exchange(m_unwritableTold, true)) {
        QString reason = SettingsFile::whyUnwritable(m_path);
        if (reason.isEmpty())
            reason = QStringLiteral("the file could not be written");
        SettingsFile::cannotWrite(m_path, QStringLiteral("Quillmark's settings file"), reason,
                                  QStringLiteral("The settings of this session (the projects added, the places of "
                                                 "the windows and panes) will not be kept when Quillmark quits"));
    }
    return false;
}

QString UserDefaults::filePath() const
{
    QMutexLocker locker(&m_mutex);
    return m_path;
}

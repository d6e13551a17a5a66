#pragma once

#include <QMutex>
#include <QString>
#include <QVariant>
#include <QVariantList>
#include <QVariantMap>

#include <memory>

class QSettings;

// The application's user defaults: stored values over registered fallbacks.
// Safe to use from several threads: project loading reads them in the background.
// Stored in "~/.config/Quillmark/Quillmark.plist" (an XML property list kept by
// QSettings), so booleans, numbers, lists and maps keep their kinds. A damaged
// file is set aside and one that cannot be read left alone (SettingsFile):
// then the values are kept in memory only, and synchronize() answers false.
class UserDefaults
{
public:
    static UserDefaults &standardUserDefaults();

    // Defaults kept in the given file, for tests and tools.
    explicit UserDefaults(const QString &filePath);
    ~UserDefaults();
    UserDefaults(const UserDefaults &) = delete;
    UserDefaults &operator=(const UserDefaults &) = delete;

    // Fallbacks answered for keys without a stored value; never written to disk.
    void registerDefaults(const QVariantMap &defaults);
    QVariantMap registeredDefaults() const;

    QVariant objectForKey(const QString &key) const;
    bool hasStoredValue(const QString &key) const;
    void setObject(const QVariant &value, const QString &key);
    void removeObjectForKey(const QString &key);

    bool boolForKey(const QString &key) const;
    qint64 integerForKey(const QString &key) const;
    float floatForKey(const QString &key) const;
    double doubleForKey(const QString &key) const;
    QString stringForKey(const QString &key) const;
    QVariantMap dictionaryForKey(const QString &key) const;
    QVariantList arrayForKey(const QString &key) const;

    void setBool(bool value, const QString &key) { setObject(value, key); }
    void setInteger(qint64 value, const QString &key) { setObject(value, key); }
    void setFloat(float value, const QString &key) { setObject(double(value), key); }
    void setDouble(double value, const QString &key) { setObject(value, key); }

    // Writes pending changes and reads changes made by other processes.
    // False when the file cannot be written; the user is told once why
    // (SettingsFile::cannotWrite()).
    bool synchronize();

    QString filePath() const;

private:
    UserDefaults();

    mutable QMutex m_mutex; // Guards the members below.
    QString m_path;
    std::unique_ptr<QSettings> m_settings; // null while the file is left alone
    QVariantMap m_unsaved;                 // the values while it is
    QVariantMap m_registered;
    bool m_unwritableTold = false;
};

#include "SettingsFile.h"

#include "FileAside.h"
#include "Log.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMutex>
#include <QMutexLocker>
#include <QSet>
#include <QStringList>

namespace {

// Readers run on project loading's thread too.
struct SettingsFileState
{
    QMutex lock;
    QSet<QString> leftAlone;
    QStringList undelivered;
    std::function<void(const QString &)> listener;
};

SettingsFileState &settingsFileState()
{
    static SettingsFileState s_state;
    return s_state;
}

QString shown(const QString &path)
{
    return QDir::toNativeSeparators(path);
}

void deliver()
{
    SettingsFileState &state = settingsFileState();
    QMutexLocker locker(&state.lock);
    if (!state.listener)
        return;
    const QStringList messages = std::exchange(state.undelivered, {});
    const auto listener = state.listener;
    locker.unlock();
    for (const QString &message : messages)
        listener(message);
}

void tell(const QString &message)
{
    QM_ERROR(message);
    SettingsFileState &state = settingsFileState();
    {
        QMutexLocker locker(&state.lock);
        state.undelivered.append(message);
        if (!state.listener)
            return;
    }
    // Never inside the reader's own call: the listener may show an alert.
    if (QCoreApplication *app = QCoreApplication::instance())
        QMetaObject::invokeMethod(app, &deliver, Qt::QueuedConnection);
}

// Keeps every writer off the file for the program's life; the user is told
// the first time.
QString leaveAloneSaying(const QString &path, const QString &message)
{
    {
        QMutexLocker locker(&settingsFileState().lock);
        if (settingsFileState().leftAlone.contains(path))
            return message;
        settingsFileState().leftAlone.insert(path);
    }
    tell(message);
    return message;
}

} // namespace

SettingsFile::Contents SettingsFile::read(const QString &path)
{
    Contents contents;
    const QFileInfo info(path);
    if (!info.exists() && !info.isSymLink())
        return contents;
    QFile file(path);
    if (info.isDir()) {
        contents.state = Contents::State::Unreadable;
        contents.reason = QStringLiteral("a folder has its name");
        return contents;
    }
    if (!file.open(QIODevice::ReadOnly)) {
        // A link to nothing is no file.
        if (!file.exists())
            return contents;
        contents.state = Contents::State::Unreadable;
        contents.reason = file.errorString();
        return contents;
    }
    contents.bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        contents.state = Contents::State::Unreadable;
        contents.reason = file.errorString();
        contents.bytes.clear();
        return contents;
    }
    contents.state = Contents::State::Read;
    return contents;
}

QString SettingsFile::setAside(const QString &path, const QString &what, const QString &problem,
                               const QString &instead)
{
    const Result<QString> aside = FileAside::moveAside(path);
    if (!aside) {
        // Where it stays, nothing may replace it.
        return leaveAloneSaying(path, QStringLiteral("%1 %2 is damaged (%3) and could not be kept aside (%4). It is "
                                                     "left as it is and nothing is saved over it; %5.")
                                          .arg(what, shown(path), problem, aside.error(), instead));
    }
    const QString message = QStringLiteral("%1 %2 is damaged (%3). It was kept as %4; %5.")
                                .arg(what, shown(path), problem, shown(*aside), instead);
    tell(message);
    return message;
}

QString SettingsFile::leaveAlone(const QString &path, const QString &what, const QString &reason,
                                 const QString &instead)
{
    return leaveAloneSaying(
        path, QStringLiteral("%1 %2 cannot be read (%3). It is left as it is and nothing is saved over it; %4.")
                  .arg(what, shown(path), reason, instead));
}

bool SettingsFile::isLeftAlone(const QString &path)
{
    QMutexLocker locker(&settingsFileState().lock);
    return settingsFileState().leftAlone.contains(path);
}

QString SettingsFile::leftAloneError(const QString &path)
{
    return QStringLiteral("%1 could not be read, so nothing is saved over it").arg(shown(path));
}

void SettingsFile::setListener(std::function<void(const QString &)> listener)
{
    {
        QMutexLocker locker(&settingsFileState().lock);
        settingsFileState().listener = std::move(listener);
    }
    if (QCoreApplication *app = QCoreApplication::instance())
        QMetaObject::invokeMethod(app, &deliver, Qt::QueuedConnection);
}

void SettingsFile::resetForTesting()
{
    QMutexLocker locker(&settingsFileState().lock);
    settingsFileState().leftAlone.clear();
    settingsFileState().undelivered.clear();
}

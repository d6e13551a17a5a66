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

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Readers run on project loading's thread too.
struct SettingsFileState
{
    QMutex lock;
    QSet<QString> leftAlone;
    QSet<QString> unwritable;
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

// Tells the message the first time the path joins the set, for the
// program's life.
QString tellOnce(QSet<QString> SettingsFileState::*told, const QString &path, const QString &message)
{
    {
        QMutexLocker locker(&settingsFileState().lock);
        QSet<QString> &paths = settingsFileState().*told;
        if (paths.contains(path))
            return message;
        paths.insert(path);
    }
    tell(message);
    return message;
}

// Keeps every writer off the file for the program's life; the user is told
// the first time.
QString leaveAloneSaying(const QString &path, const QString &message)
{
    return tellOnce(&SettingsFileState::leftAlone, path, message);
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

QString SettingsFile::cannotWrite(const QString &path, const QString &what, const QString &reason,
                                  const QString &consequence)
{
    return tellOnce(&SettingsFileState::unwritable, path,
                    QStringLiteral("%1 %2 cannot be written: %3. %4.").arg(what, shown(path), reason, consequence));
}

QString SettingsFile::whyUnwritable(const QString &path)
{
    // Down from the root: the first folder that is not there and cannot be made.
    const QString folder = QFileInfo(path).absolutePath();
    qsizetype slash = 0;
    while (slash >= 0) {
        slash = folder.indexOf(QLatin1Char('/'), slash + 1);
        const QString walked = slash < 0 ? folder : folder.left(slash);
        const QByteArray native = QFile::encodeName(walked);
        struct stat st;
        if (::stat(native.constData(), &st) == 0) {
            if (!S_ISDIR(st.st_mode))
                return QStringLiteral("%1 is no folder").arg(shown(walked));
            continue;
        }
        if (errno != ENOENT || ::mkdir(native.constData(), 0700) != 0)
            return QStringLiteral("the folder %1 cannot be made: %2")
                .arg(shown(walked), QString::fromLocal8Bit(std::strerror(errno)));
    }
    // Tried as the writer does, by the program's own rights: the file is
    // opened for writing, and a new file made beside it to take its place.
    const QByteArray native = QFile::encodeName(path);
    const auto failed = [](const QString &what) {
        return QStringLiteral("%1 (%2)").arg(QString::fromLocal8Bit(std::strerror(errno)), what);
    };
    struct stat st;
    if (::stat(native.constData(), &st) == 0) {
        if (S_ISDIR(st.st_mode))
            return QStringLiteral("a folder has its name");
        const int fd = ::open(native.constData(), O_WRONLY | O_CLOEXEC | O_NONBLOCK);
        if (fd < 0)
            return failed(QStringLiteral("the file cannot be written"));
        ::close(fd);
    }
    QByteArray probe = QFile::encodeName(folder) + "/.quillmark-write-XXXXXX";
    const int fd = ::mkstemp(probe.data());
    if (fd < 0)
        return failed(QStringLiteral("no new file can be made in %1").arg(shown(folder)));
    ::close(fd);
    ::unlink(probe.constData());
    return {};
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
    settingsFileState().unwritable.clear();
    settingsFileState().undelivered.clear();
}

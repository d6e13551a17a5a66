#include "Log.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMutex>
#include <QMutexLocker>
#include <QtGlobal>

#include <cstdio>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace Log {

static const char *levelWord(LogLevel level)
{
    switch (level) {
    case LogLevel::Debug:
        return "DEBUG";
    case LogLevel::Info:
        return "info";
    case LogLevel::Warning:
        return "WARNING";
    case LogLevel::Error:
        return "ERROR";
    }
    return "DEBUG";
}

namespace {

// The log file standard error was reopened on; guarded by logMutex().
struct LogFile
{
    QByteArray path; // Empty while standard error is not the log file.
    qint64 sizeLimit = 0;
    dev_t device = 0;
    ino_t inode = 0;
};

LogFile &logFile()
{
    static LogFile file;
    return file;
}

QMutex &logMutex()
{
    static QMutex mutex;
    return mutex;
}

// Notes the file standard error now writes to.
void noteLogFile(const QByteArray &path, qint64 sizeLimit)
{
    struct stat status = {};
    if (::fstat(STDERR_FILENO, &status) != 0)
        return;
    LogFile &file = logFile();
    file.path = path;
    file.sizeLimit = sizeLimit;
    file.device = status.st_dev;
    file.inode = status.st_ino;
}

// Sets the full log aside as "<name>.1" and points standard error at a new
// one, when `incoming` more bytes would take it past its limit. Anything
// that fails leaves the log where it was, writing on.
void rotateLogIfFull(qint64 incoming)
{
    LogFile &file = logFile();
    if (file.path.isEmpty() || file.sizeLimit <= 0)
        return;
    struct stat status = {};
    // Standard error may have been pointed elsewhere since: that file is not ours.
    if (::fstat(STDERR_FILENO, &status) != 0 || !S_ISREG(status.st_mode) || status.st_dev != file.device
        || status.st_ino != file.inode)
        return;
    if (status.st_size == 0 || status.st_size + incoming <= file.sizeLimit)
        return;
    std::fflush(stderr);
    const QByteArray old = file.path + ".1";
    if (::rename(file.path.constData(), old.constData()) != 0)
        return;
    const int fresh = ::open(file.path.constData(), O_WRONLY | O_APPEND | O_CREAT, 0666);
    if (fresh < 0 || ::dup2(fresh, STDERR_FILENO) < 0) {
        if (fresh >= 0) {
            ::close(fresh);
            ::unlink(file.path.constData());
        }
        ::rename(old.constData(), file.path.constData());
        return;
    }
    ::close(fresh);
    noteLogFile(file.path, file.sizeLimit);
}

} // namespace

void write(LogLevel level, const char *function, int line, const QString &message)
{
    const QByteArray text = QByteArray("[") + levelWord(level) + "] " + (function ? function : "") + "[Line "
                            + QByteArray::number(line) + "] " + message.toUtf8() + '\n';
    QMutexLocker locker(&logMutex());
    rotateLogIfFull(text.size());
    std::fwrite(text.constData(), 1, size_t(text.size()), stderr);
    std::fflush(stderr);
}

QString logFilePath()
{
    QString state = qEnvironmentVariable("XDG_STATE_HOME");
    if (state.isEmpty() || !QDir::isAbsolutePath(state))
        state = QDir::homePath() + QStringLiteral("/.local/state");
    return state + QStringLiteral("/Quillmark/Quillmark.log");
}

bool redirectStandardError(qint64 sizeLimit)
{
    const QString path = logFilePath();
    const QByteArray encoded = QFile::encodeName(path);
    QDir().mkpath(QFileInfo(path).absolutePath());
    // Open first, so a failure leaves the old standard error working.
    std::FILE *probe = std::fopen(encoded.constData(), "a+");
    if (!probe)
        return false;
    std::fclose(probe);
    QMutexLocker locker(&logMutex());
    if (!std::freopen(encoded.constData(), "a+", stderr))
        return false;
    noteLogFile(encoded, sizeLimit);
    return true;
}

static void messageHandler(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    LogLevel level = LogLevel::Error;
    if (type == QtDebugMsg)
        level = LogLevel::Debug;
    else if (type == QtInfoMsg)
        level = LogLevel::Info;
    else if (type == QtWarningMsg)
        level = LogLevel::Warning;
    QString text = message;
    if (context.category && qstrcmp(context.category, "default") != 0)
        text = QStringLiteral("%1: %2").arg(QString::fromLatin1(context.category), message);
    write(level, context.function, context.line, text);
    if (type == QtFatalMsg)
        std::abort();
}

void installMessageHandler()
{
    qInstallMessageHandler(messageHandler);
}

} // namespace Log

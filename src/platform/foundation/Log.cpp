#include "Log.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMutex>
#include <QMutexLocker>
#include <QtGlobal>

#include <cstdio>

namespace Log {

static const char *levelWord(LogLevel level)
{
    switch (level) {
    case LogLevel::Debug:
        return "DEBUG";
    case LogLevel::Info:
        return "info";
    case LogLevel::Error:
        return "ERROR";
    }
    return "DEBUG";
}

void write(LogLevel level, const char *function, int line, const QString &message)
{
    static QMutex mutex;
    const QByteArray text = message.toUtf8();
    QMutexLocker locker(&mutex);
    std::fprintf(stderr, "[%s] %s[Line %d] %s\n", levelWord(level), function ? function : "", line,
                 text.constData());
    std::fflush(stderr);
}

QString logFilePath()
{
    QString state = qEnvironmentVariable("XDG_STATE_HOME");
    if (state.isEmpty() || !QDir::isAbsolutePath(state))
        state = QDir::homePath() + QStringLiteral("/.local/state");
    return state + QStringLiteral("/Quillmark/Quillmark.log");
}

bool redirectStandardError()
{
    const QString path = logFilePath();
    QDir().mkpath(QFileInfo(path).absolutePath());
    // Open first, so a failure leaves the old standard error working.
    std::FILE *probe = std::fopen(QFile::encodeName(path).constData(), "a+");
    if (!probe)
        return false;
    std::fclose(probe);
    return std::freopen(QFile::encodeName(path).constData(), "a+", stderr) != nullptr;
}

static void messageHandler(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    LogLevel level = LogLevel::Error;
    if (type == QtDebugMsg)
        level = LogLevel::Debug;
    else if (type == QtInfoMsg)
        level = LogLevel::Info;
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

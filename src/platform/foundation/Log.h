#pragma once

#include <QString>

// The one log-line format of the program: "[level] function[Line n] message".
// Lines go to standard error, which main() reopens in append mode on the log
// file, kept under a size limit.

enum class LogLevel { Debug, Info, Warning, Error };

namespace Log {

void write(LogLevel level, const char *function, int line, const QString &message);

// "<XDG state folder>/Quillmark/Quillmark.log"; the folder is created on demand.
QString logFilePath();

// How large the log file grows before it is set aside.
inline constexpr qint64 kLogSizeLimit = 10 * 1024 * 1024;

// Reopens standard error on the log file in append mode. Answers false when the
// file cannot be opened; standard error is then left as it was. A line that
// would take the file past sizeLimit first moves it to "Quillmark.log.1" (in
// place of the one there) and starts the log afresh; lines are never split.
bool redirectStandardError(qint64 sizeLimit = kLogSizeLimit);

// Routes qDebug/qWarning and friends through write(), so Qt's own messages and
// the subsystems' logging categories share the format: a warning is a
// "WARNING" line, a critical or fatal message an "ERROR" one.
void installMessageHandler();

} // namespace Log

#define QM_DEBUG(message) ::Log::write(LogLevel::Debug, Q_FUNC_INFO, __LINE__, (message))
#define QM_INFO(message) ::Log::write(LogLevel::Info, Q_FUNC_INFO, __LINE__, (message))
#define QM_ERROR(message) ::Log::write(LogLevel::Error, Q_FUNC_INFO, __LINE__, (message))

#include "CommandLineManager.h"

#include "platform/foundation/Log.h"

CommandLineManager::CommandLineManager(QObject *parent) : QObject(parent) { }

CommandLineManager::~CommandLineManager() = default;

void CommandLineManager::execute(const QString &launchPath, const QStringList &args,
                                 OutputBlock stdBlock, OutputBlock errBlock, bool async)
{
    if (async)
        executeAsync(launchPath, args, std::move(stdBlock), std::move(errBlock));
    else
        executeSync(launchPath, args, stdBlock, errBlock);
}

void CommandLineManager::executeSync(const QString &launchPath, const QStringList &args,
                                     const OutputBlock &stdBlock, const OutputBlock &errBlock)
{
    m_lastRunSucceeded = false;
    // QProcess drains both pipes while waiting, so a program that fills its
    // error pipe before closing its output cannot stall the run.
    QProcess process;
    process.start(launchPath, args);
    if (!process.waitForStarted()) {
        const QString message
            = QStringLiteral("cannot run %1: %2").arg(launchPath, process.errorString());
        QM_ERROR(message);
        if (errBlock)
            errBlock(message);
        return;
    }
    process.closeWriteChannel();
    if (!process.waitForFinished(m_timeoutMs)) {
        process.kill();
        process.waitForFinished();
        const QString message = QStringLiteral("%1 did not finish within %2 ms and was stopped")
                                    .arg(launchPath)
                                    .arg(m_timeoutMs);
        QM_ERROR(message);
        if (errBlock)
            errBlock(message);
        return;
    }
    m_lastRunSucceeded = process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
    const QByteArray out = process.readAllStandardOutput();
    if (!out.isEmpty()) {
        if (stdBlock)
            stdBlock(QString::fromUtf8(out));
        return;
    }
    const QByteArray err = process.readAllStandardError();
    if (!err.isEmpty()) {
        if (errBlock)
            errBlock(QString::fromUtf8(err));
        return;
    }
    if (stdBlock)
        stdBlock(QString());
}

void CommandLineManager::executeAsync(const QString &launchPath, const QStringList &args,
                                      OutputBlock stdBlock, OutputBlock errBlock)
{
    auto *process = new QProcess(this);
    connect(process, &QProcess::errorOccurred, this,
            [process, launchPath, errBlock](QProcess::ProcessError error) {
                if (error != QProcess::FailedToStart)
                    return;
                const QString message
                    = QStringLiteral("cannot run %1: %2").arg(launchPath, process->errorString());
                QM_ERROR(message);
                process->deleteLater();
                if (errBlock)
                    errBlock(message);
            });
    connect(process, &QProcess::finished, this, [process, stdBlock, errBlock] {
        process->deleteLater();
        const QByteArray out = process->readAllStandardOutput();
        if (!out.isEmpty()) {
            const QString text = QString::fromUtf8(out);
            QM_DEBUG(QStringLiteral("stdOut:%1").arg(text));
            if (stdBlock)
                stdBlock(text);
            return;
        }
        const QByteArray err = process->readAllStandardError();
        if (!err.isEmpty()) {
            const QString text = QString::fromUtf8(err);
            QM_DEBUG(QStringLiteral("errorOut:%1").arg(text));
            if (errBlock)
                errBlock(text);
        }
    });
    process->start(launchPath, args);
    process->closeWriteChannel();
}

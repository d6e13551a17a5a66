// The compressor runs of CompilerViewController: the queue, one process at
// a time, and what each run leaves in its package and the console.

#include "CompilerViewController.h"

#include "PackageController.h"
#include "ProjectSetting.h"

#include "platform/foundation/Log.h"

#include <algorithm>

#include <QFileInfo>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryFile>

namespace {

// Every package, depth first, whose children are all source files.
void collectPackages(const QList<PackItemPtr> &items, QList<PackItemPtr> &queue)
{
    for (const PackItemPtr &item : items) {
        const QList<PackItemPtr> *children = item->children();
        if (!children)
            continue;
        const bool sources = !children->isEmpty() && item->isPack()
                             && std::all_of(children->cbegin(), children->cend(),
                                            [](const PackItemPtr &child) { return child->filePath().has_value(); });
        if (sources)
            queue.append(item);
        else
            collectPackages(*children, queue);
    }
}

} // namespace

bool CompilerViewController::isRunning() const
{
    return m_task || (m_compileStack && !m_compileStack->isEmpty()) || m_currentPack;
}

void CompilerViewController::execute()
{
    if (isRunning()) {
        appendConsole(QStringLiteral("A run is under way: Execute waits until it ends.\n"));
        return;
    }
    if (m_console)
        m_console->clear();
    if (!m_projectSetting || !m_projectSetting->compilerInfo()) {
        appendConsole(QStringLiteral("Error:\nNo project is open.\n"));
        return;
    }
    if (std::optional<QString> missing = m_projectSetting->compilerInfo()->missingToolMessage()) {
        appendConsole(QStringLiteral("Error:\n%1\n").arg(*missing));
        QM_ERROR(*missing);
        return;
    }
    QList<PackItemPtr> queue;
    collectPackages(m_projectSetting->packages(), queue);
    if (queue.isEmpty()) {
        appendConsole(QStringLiteral("No package holds source files: drop .js files on a package first.\n"));
        return;
    }
    m_compileStack = queue;
    m_runSetting = m_projectSetting;
    updateButtons();
    compile();
}

void CompilerViewController::compile()
{
    if (!m_compileStack || m_compileStack->isEmpty()) {
        m_currentPack.reset();
        m_runSetting.reset();
        updateButtons();
        Q_EMIT runFinished();
        return;
    }
    m_currentPack = m_compileStack->takeFirst();
    CompilerInfo *compiler = m_runSetting->compilerInfo();
    QStringList sources;
    for (const PackItemPtr &child : *m_currentPack->children()) {
        const QString source = *child->filePath();
        if (!QFileInfo(source).isReadable())
            return stopQueue(QStringLiteral("%1 could not be read.").arg(source));
        sources.append(source);
    }
    Result<QStringList> inputs = compiler->genSrcStatement(sources, m_joinedInput);
    if (!inputs)
        return stopQueue(inputs.error());
    const QStringList arguments = compiler->genCommandStatement().value_or(QStringList()) + *inputs;
    const QString launchPath = compiler->commandPath().value_or(QString());
    QM_DEBUG(QStringLiteral("Compiler:%1\nOptions:%2").arg(launchPath, arguments.join(QLatin1Char(' '))));
    doTask(launchPath, arguments);
}

void CompilerViewController::doTask(const QString &launchPath, const QStringList &arguments)
{
    QM_DEBUG(arguments.join(QLatin1Char(' ')));
    m_standardOutput.clear();
    m_errorOutput.clear();
    m_launchProblem.clear();
    m_timedOut = false;
    m_task = std::make_unique<QProcess>();
    QProcess *task = m_task.get();
    task->setProgram(launchPath);
    task->setArguments(arguments);
    task->setStandardInputFile(QProcess::nullDevice());
    // Both streams are read as they come, so neither pipe fills up.
    connect(task, &QProcess::readyReadStandardOutput, this, [this, task] { m_standardOutput += task->readAllStandardOutput(); });
    connect(task, &QProcess::readyReadStandardError, this, [this, task] { m_errorOutput += task->readAllStandardError(); });
    connect(task, &QProcess::finished, this, [this] { taskEnded(); });
    connect(task, &QProcess::errorOccurred, this, [this, task](QProcess::ProcessError error) {
        if (error != QProcess::FailedToStart)
            return;
        m_launchProblem = QStringLiteral("%1 could not be started: %2").arg(task->program(), task->errorString());
        taskEnded();
    });
    m_timeout.start(m_timeoutMs);
    task->start();
}

void CompilerViewController::taskEnded()
{
    if (!m_task)
        return;
    m_timeout.stop();
    // The process object may still be inside its own signal: let it go later.
    QProcess *task = m_task.release();
    task->disconnect(this);
    m_standardOutput += task->readAllStandardOutput();
    m_errorOutput += task->readAllStandardError();
    const bool succeeded = m_launchProblem.isEmpty() && !m_timedOut && task->exitStatus() == QProcess::NormalExit
                           && task->exitCode() == 0;
    const int exitCode = task->exitCode();
    task->deleteLater();
    m_joinedInput.reset();

    const QString output = QString::fromUtf8(m_standardOutput);
    const QString errors = QString::fromUtf8(m_errorOutput).trimmed();
    if (!errors.isEmpty())
        QM_DEBUG(QStringLiteral("errorOut:%1").arg(errors));
    if (!succeeded) {
        QString reason = errors;
        if (!m_launchProblem.isEmpty())
            reason = m_launchProblem;
        else if (m_timedOut)
            reason = QStringLiteral("The compiler did not finish within %1 s and was stopped.").arg(m_timeoutMs / 1000.0);
        else if (reason.isEmpty())
            reason = QStringLiteral("The compiler ended with status %1 and gave no reason.").arg(exitCode);
        return stopQueue(reason);
    }
    if (m_currentPack->isPack()) {
        const qint64 sourceSize = m_currentPack->childrenSumSize();
        const qint64 compressedSize = m_standardOutput.size();
        QM_DEBUG(QStringLiteral("%1 -> %2").arg(sourceSize).arg(compressedSize));
        m_currentPack->setContent(genHeader(m_runSetting->compilerInfo()->name(), sourceSize, compressedSize) + output);
        m_packageController->reloadText();
        m_packageController->storeContents();
        m_runSetting->saveOrAlert(view());
    }
    appendConsole(genConsoleResult(*m_currentPack));
    if (!errors.isEmpty())
        appendConsole(QStringLiteral("Warning:\n%1\n").arg(errors));
    compile();
}

void CompilerViewController::stopQueue(const QString &error)
{
    QM_ERROR(error);
    appendConsole(QStringLiteral("Error:\n%1\n").arg(error));
    m_compileStack.reset();
    m_currentPack.reset();
    m_runSetting.reset();
    m_joinedInput.reset();
    updateButtons();
    Q_EMIT runFinished();
}

QStringList CompilerViewController::runSynchronously(const QString &launchPath, const QStringList &arguments)
{
    QProcess process;
    process.setProgram(launchPath);
    process.setArguments(arguments);
    process.setStandardInputFile(QProcess::nullDevice());
    process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process.start();
    if (!process.waitForStarted())
        return {};
    process.waitForFinished(-1);
    return QString::fromUtf8(process.readAllStandardOutput()).split(QLatin1Char('\n'));
}

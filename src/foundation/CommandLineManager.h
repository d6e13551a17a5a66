#pragma once

#include <QObject>
#include <QProcess>
#include <QString>
#include <QStringList>

#include <functional>

// Runs an external program and hands its output, as text, to one of two
// blocks: the standard output when there is any, else the error output.
// Synchronously the caller waits (up to timeoutMs()) and the block runs before
// execute() returns; asynchronously both streams are read while the program
// runs and the block runs on this object's thread once it has ended.
class CommandLineManager : public QObject
{
    Q_OBJECT

public:
    using OutputBlock = std::function<void(const QString &)>;

    explicit CommandLineManager(QObject *parent = nullptr);
    ~CommandLineManager() override;

    // Synchronously exactly one block is called: the output block with the
    // standard output (or the empty text when neither stream has any), else
    // the error block with the error output, or with a message when the
    // program could not run or timed out. Asynchronously at most one is
    // called: nothing when both streams stay empty.
    void execute(const QString &launchPath, const QStringList &args, OutputBlock stdBlock,
                 OutputBlock errBlock, bool async);

    // Whether the last synchronous run started, ended by itself and exited with 0.
    bool lastRunSucceeded() const { return m_lastRunSucceeded; }

    int timeoutMs() const { return m_timeoutMs; }
    void setTimeoutMs(int ms) { m_timeoutMs = ms; }

private:
    void executeSync(const QString &launchPath, const QStringList &args, const OutputBlock &stdBlock,
                     const OutputBlock &errBlock);
    void executeAsync(const QString &launchPath, const QStringList &args, OutputBlock stdBlock,
                      OutputBlock errBlock);

    bool m_lastRunSucceeded = false;
    int m_timeoutMs = 30000;
};

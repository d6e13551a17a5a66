#include "ChromiumProcess.h"

#include "DevToolsConnection.h"

#include "platform/foundation/Log.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonObject>
#include <QPointer>
#include <QStandardPaths>
#include <QThread>

#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <utility>
#include <vector>

namespace {

ChromiumProcess *s_instance = nullptr;

void endInstance()
{
    delete s_instance;
    s_instance = nullptr;
}

QString profileRoot()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation) + QStringLiteral("/Quillmark");
}

// The browser makes a socket in its temporary folder, and a socket's path
// holds at most 107 bytes: ".org.chromium.Chromium.XXXXXX/SingletonSocket"
// in our "quillmark-browser-<pid>-XXXXXX" leaves 28 for the folder above.
constexpr qsizetype kTemporaryBaseRoom = 28;

// The folders the browser's temporary folder may go in, the program's own
// temporary folder first: one whose path is short enough, whatever TMPDIR says.
QStringList temporaryBases()
{
    QStringList bases{QDir::tempPath(), QStringLiteral("/tmp")};
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (!runtime.isEmpty())
        bases.append(runtime);
    bases.append(QStringLiteral("/dev/shm"));
    bases.removeDuplicates();
    return bases;
}

QString shortTemporaryBase()
{
    const QStringList bases = temporaryBases();
    for (const QString &base : bases) {
        const QFileInfo info(base);
        if (base.toLocal8Bit().size() <= kTemporaryBaseRoom && info.isDir() && info.isWritable())
            return base;
    }
    return bases.first();
}

// The processor time the processes of the group have had so far, in clock
// ticks (a browser starts in several: its own, the zygote, the GPU and
// network services); -1 when none can be read.
qint64 processorTicksOfGroup(qint64 group)
{
    if (group <= 0)
        return -1;
    qint64 ticks = -1;
    const QStringList entries = QDir(QStringLiteral("/proc")).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    for (const QString &entry : entries) {
        if (!entry.front().isDigit())
            continue;
        QFile stat(QStringLiteral("/proc/%1/stat").arg(entry));
        if (!stat.open(QIODevice::ReadOnly))
            continue;
        // "pid (name) state ppid pgrp ...": the name may hold anything. The
        // user and system times are the 12th and 13th fields after it.
        const QByteArray text = stat.readAll();
        const QList<QByteArray> fields = text.mid(text.lastIndexOf(')') + 2).split(' ');
        if (fields.size() < 13 || fields.at(2).toLongLong() != group)
            continue;
        ticks = std::max<qint64>(ticks, 0) + fields.at(11).toLongLong() + fields.at(12).toLongLong();
    }
    return ticks;
}

QStringList browserArguments(const QString &profile)
{
    QStringList arguments = {
        QStringLiteral("--headless=new"),
        QStringLiteral("--remote-debugging-pipe"),
        QStringLiteral("--user-data-dir=") + profile,
        // Nothing but the pages shown goes to the network (it may be closed),
        // and nothing is kept on disk between loads.
        QStringLiteral("--no-first-run"),
        QStringLiteral("--no-default-browser-check"),
        QStringLiteral("--disable-background-networking"),
        QStringLiteral("--disable-component-update"),
        QStringLiteral("--disable-sync"),
        QStringLiteral("--disable-quic"),
        QStringLiteral("--disable-extensions"),
        QStringLiteral("--disable-default-apps"),
        QStringLiteral("--password-store=basic"),
        QStringLiteral("--disk-cache-size=1"),
        QStringLiteral("--media-cache-size=1"),
        // A page gone back to is loaded again, never brought back whole from
        // a cache: its document must be mirrored anew.
        QStringLiteral("--disable-features=Translate,MediaRouter,OptimizationHints,DialMediaRouteProvider,BackForwardCache"),
        // Every frame of another site is a target of its own, with its own bridge.
        QStringLiteral("--site-per-process"),
        QStringLiteral("--hide-crash-restore-bubble"),
        QStringLiteral("--mute-audio"),
        // Local pages read their own local style sheets and frames; no
        // other local file (WebFileAccess).
        QStringLiteral("--allow-file-access-from-files"),
        // A page that failed to load stays failed: the browser's error page
        // does not load the address again by itself.
        QStringLiteral("--disable-auto-reload"),
    };
    // The browser's sandbox refuses to run as root.
    if (::geteuid() == 0)
        arguments.append(QStringLiteral("--no-sandbox"));
    arguments.append(QStringLiteral("about:blank"));
    return arguments;
}

} // namespace

ChromiumProcess &ChromiumProcess::instance()
{
    if (!s_instance) {
        s_instance = new ChromiumProcess();
        qAddPostRoutine(endInstance);
    }
    return *s_instance;
}

ChromiumProcess::ChromiumProcess() : m_answerCheck(new QTimer(this))
{
    m_answerCheck->setInterval(kAskEveryMs);
    connect(m_answerCheck, &QTimer::timeout, this, &ChromiumProcess::askIfAnswering);
}

ChromiumProcess::~ChromiumProcess()
{
    stop();
}

QString ChromiumProcess::executable()
{
    const QString configured = qEnvironmentVariable("QUILLMARK_CHROMIUM");
    return configured.isEmpty() ? QStringLiteral("/usr/bin/chromium") : configured;
}

bool ChromiumProcess::isRunning() const
{
    return m_connection && m_connection->isOpen();
}

bool ChromiumProcess::start()
{
    if (isRunning())
        return true;
    if (launch()) {
        // The browser had stopped being started again: the pages open anew.
        if (std::exchange(m_restartsStopped, false)) {
            m_quickDeaths = 0;
            m_quickUnanswered = 0;
            m_lastStart = Start::AsAsked;
            QM_INFO(QStringLiteral("the preview's browser is started again"));
            Q_EMIT restarted();
        }
        return true;
    }
    if (!m_failureAnnounced) {
        // One message for the program's life: the views show the same.
        m_failureAnnounced = true;
        QM_ERROR(m_error);
        Q_EMIT failedToStart(m_error);
    }
    return false;
}

void ChromiumProcess::removeStaleProfiles(const QString &root, const QString &pattern, int ownerField)
{
    // Folders of runs that crashed: their process is gone.
    const QStringList names = QDir(root).entryList({pattern}, QDir::Dirs | QDir::NoDotAndDotDot);
    for (const QString &name : names) {
        const qint64 owner = name.section(QLatin1Char('-'), ownerField, ownerField).toLongLong();
        if (owner > 0 && owner != QCoreApplication::applicationPid() && ::kill(pid_t(owner), 0) != 0 && errno == ESRCH)
            QDir(root + QLatin1Char('/') + name).removeRecursively();
    }
}

bool ChromiumProcess::launch()
{
    m_error.clear();
    const QString program = executable();
    const QFileInfo info(program);
    if (!info.exists()) {
        m_error = QStringLiteral("The preview needs the web browser %1, which is not installed: install Debian's "
                                 "\"chromium\" package (./run.sh installs it).")
                      .arg(program);
        return false;
    }
    // A file that is there but cannot be run is said to be so (#85).
    if (info.isDir()) {
        m_error = QStringLiteral("The preview's browser %1 cannot be run: it is a folder, not a program.").arg(program);
        return false;
    }
    if (!info.isExecutable()) {
        m_error = QStringLiteral("The preview's browser %1 cannot be run: it is not executable (its permissions do "
                                 "not let it run).")
                      .arg(program);
        return false;
    }
    const QString root = profileRoot();
    removeStaleProfiles(root);
    for (const QString &base : temporaryBases())
        removeStaleProfiles(base, QStringLiteral("quillmark-browser-*"), 2);
    static int runs = 0;
    m_profile = QStringLiteral("%1/browser-%2-%3").arg(root).arg(QCoreApplication::applicationPid()).arg(++runs);
    QDir(m_profile).removeRecursively();
    if (!QDir().mkpath(m_profile)) {
        m_error = QStringLiteral("The preview's browser profile folder %1 cannot be made.").arg(m_profile);
        return false;
    }

    // Everything the child needs is made before the fork: after it, only
    // calls that are safe in a forked copy of a threaded program are made.
    const QByteArray path = QFile::encodeName(program);
    QList<QByteArray> arguments = {path};
    for (const QString &argument : browserArguments(m_profile))
        arguments.append(argument.toLocal8Bit());
    std::vector<char *> argv;
    for (QByteArray &argument : arguments)
        argv.push_back(argument.data());
    argv.push_back(nullptr);
    // The browser's own temporary folders (one a start) go into a folder of
    // ours, removed when it ends. Its path is short: the browser makes a
    // socket in there, and socket paths are short.
    m_temporary = std::make_unique<QTemporaryDir>(
        shortTemporaryBase() + QStringLiteral("/quillmark-browser-%1-XXXXXX").arg(QCoreApplication::applicationPid()));
    QList<QByteArray> environment;
    if (m_temporary->isValid())
        environment.append("TMPDIR=" + QFile::encodeName(m_temporary->path()));
    for (char **entry = environ; *entry; ++entry) {
        if (environment.isEmpty() || std::strncmp(*entry, "TMPDIR=", 7) != 0)
            environment.append(*entry);
    }
    std::vector<char *> envp;
    for (QByteArray &entry : environment)
        envp.push_back(entry.data());
    envp.push_back(nullptr);

    int toBrowser[2];
    int fromBrowser[2];
    // The child writes why its exec failed here; an exec that works closes it.
    int execFailure[2];
    if (::pipe2(toBrowser, O_CLOEXEC) != 0)
        return false;
    if (::pipe2(fromBrowser, O_CLOEXEC) != 0) {
        ::close(toBrowser[0]);
        ::close(toBrowser[1]);
        return false;
    }
    if (::pipe2(execFailure, O_CLOEXEC) != 0) {
        for (int fd : {toBrowser[0], toBrowser[1], fromBrowser[0], fromBrowser[1]})
            ::close(fd);
        return false;
    }
    const pid_t parent = ::getpid();
    const pid_t pid = ::fork();
    if (pid < 0) {
        m_error = QStringLiteral("The preview's browser could not be started: %1").arg(QString::fromLocal8Bit(strerror(errno)));
        for (int fd : {toBrowser[0], toBrowser[1], fromBrowser[0], fromBrowser[1], execFailure[0], execFailure[1]})
            ::close(fd);
        return false;
    }
    if (pid == 0) {
        // The child: a process group of its own, killed with our main thread.
        ::setpgid(0, 0);
        ::prctl(PR_SET_PDEATHSIG, SIGKILL);
        if (::getppid() != parent)
            ::_exit(1);
        // The pipe ends go to 3 (commands) and 4 (answers); moved above both
        // first, so that neither is overwritten by the other.
        const int commands = ::fcntl(toBrowser[0], F_DUPFD, 10);
        const int answers = ::fcntl(fromBrowser[1], F_DUPFD, 10);
        const int failure = ::fcntl(execFailure[1], F_DUPFD_CLOEXEC, 10);
        ::dup2(commands, 3);
        ::dup2(answers, 4);
        const int null = ::open("/dev/null", O_RDWR);
        ::dup2(null, 0);
        ::dup2(null, 1);
        ::dup2(null, 2);
        ::execve(argv[0], argv.data(), envp.data());
        const int error = errno;
        [[maybe_unused]] const ssize_t told = ::write(failure, &error, sizeof error);
        ::_exit(127);
    }
    ::close(toBrowser[0]);
    ::close(fromBrowser[1]);
    ::close(execFailure[1]);
    // Answered at once: the end of the pipe when the exec worked, its errno
    // when it did not.
    int execError = 0;
    ssize_t got;
    do {
        got = ::read(execFailure[0], &execError, sizeof execError);
    } while (got < 0 && errno == EINTR);
    ::close(execFailure[0]);
    if (got == ssize_t(sizeof execError)) {
        m_error = QStringLiteral("The preview's browser %1 cannot be run (%2).")
                      .arg(program, QString::fromLocal8Bit(strerror(execError)));
        ::close(toBrowser[1]);
        ::close(fromBrowser[0]);
        ::waitpid(pid, nullptr, 0);
        return false;
    }
    m_pid = pid;
    m_sinceLaunch.start();
    m_connection = new DevToolsConnection(toBrowser[1], fromBrowser[0], this);
    connect(m_connection, &DevToolsConnection::closed, this, &ChromiumProcess::browserClosed);
    closeStartingTabs();
    // Asked at once: the question waits in the pipe until the browser is up.
    m_questionAsked.invalidate();
    m_silentSince = -1;
    m_neverAnswered = false;
    m_ticksSeen = -1;
    askIfAnswering();
    m_answerCheck->start();
    QM_INFO(QStringLiteral("started the preview's browser %1 (process %2)").arg(program).arg(pid));
    return true;
}

void ChromiumProcess::closeStartingTabs()
{
    // The tab the browser starts with is never shown, and its renderer would
    // stay for the browser's life. Asked before any page of ours is made,
    // the list holds only what the browser opened by itself.
    m_connection->send(QStringLiteral("Target.getTargets"), {}, {},
                       [connection = QPointer<DevToolsConnection>(m_connection)](const DevToolsReply &reply) {
        if (!connection)
            return;
        for (const QJsonValue &value : reply.result.value(QStringLiteral("targetInfos")).toArray()) {
            const QJsonObject target = value.toObject();
            if (target.value(QStringLiteral("type")).toString() == QLatin1String("page"))
                connection->send(QStringLiteral("Target.closeTarget"),
                                 {{QStringLiteral("targetId"), target.value(QStringLiteral("targetId"))}});
        }
    }, this);
}

void ChromiumProcess::browserClosed()
{
    m_answerCheck->stop();
    if (m_connection)
        m_connection->deleteLater();
    m_connection = nullptr;
    reap(500);
    QDir(m_profile).removeRecursively();
    m_temporary.reset();
    // A browser that keeps dying at once is not started for ever; the next
    // page the user opens starts it again (start()). One ended for its
    // silence died when it fell silent.
    const bool silent = m_silentSince >= 0;
    // One that never said a word did not start as a browser should (#80).
    const bool unanswered = silent && m_neverAnswered;
    const qint64 lived = silent ? m_silentSince : m_sinceLaunch.isValid() ? m_sinceLaunch.elapsed() : kQuickDeathMs;
    const bool quick = lived < kQuickDeathMs;
    m_quickDeaths = quick ? m_quickDeaths + 1 : 0;
    m_quickUnanswered = quick && unanswered ? m_quickUnanswered + 1 : 0;
    if (m_quickDeaths >= kQuickDeaths) {
        m_restartsStopped = true;
        const QString what = m_quickUnanswered >= kQuickDeaths
                                 ? QStringLiteral("did not answer after any of its last %1 starts").arg(kQuickDeaths)
                                 : QStringLiteral("%1 right after each of its last %2 starts")
                                       .arg(silent ? QStringLiteral("stopped answering") : QStringLiteral("ended"))
                                       .arg(kQuickDeaths);
        const QString message =
            QStringLiteral("The preview's browser %1, so it is not started again by itself. Opening a page or Reload "
                           "(Ctrl+R) starts it again.")
                .arg(what);
        QM_ERROR(message);
        Q_EMIT restartsStopped(message);
        return;
    }
    if (unanswered) {
        QM_ERROR(QStringLiteral("the preview's browser said nothing at all in the %1 s after its start; it was ended "
                                "and is started again, and every preview reloads")
                     .arg(kSilenceMs / 1000));
    } else if (silent) {
        QM_ERROR(QStringLiteral("the preview's browser did not answer for %1 s; it was ended and is started again, "
                                "and every preview reloads")
                     .arg(kSilenceMs / 1000));
    } else {
        QM_ERROR(QStringLiteral("the preview's browser ended unexpectedly; it is started again and every preview reloads"));
    }
    if (launch()) {
        m_lastStart = unanswered ? Start::AfterNoAnswer : silent ? Start::AfterSilence : Start::AfterCrash;
        Q_EMIT restarted();
    } else if (!m_error.isEmpty()) {
        QM_ERROR(m_error);
    }
}

void ChromiumProcess::askIfAnswering()
{
    DevToolsConnection *connection = m_connection;
    if (!connection || !connection->isOpen() || m_silentSince >= 0)
        return;
    if (!m_questionAsked.isValid()) {
        const int question = ++m_questions;
        m_questionAsked.start();
        // The cheapest question the browser's own main thread answers.
        connection->send(QStringLiteral("Browser.getVersion"), {}, {}, [this, question](const DevToolsReply &) {
            if (question == m_questions)
                m_questionAsked.invalidate();
        }, this);
        return;
    }
    // Before its first word: whether the browser had the processor since
    // the last look.
    bool worked = false;
    if (!connection->hasBrowserWritten()) {
        const qint64 ticks = processorTicksOfGroup(m_pid);
        // (A helper that ended takes its time along: a change either way.)
        worked = ticks >= 0 && ticks != m_ticksSeen;
        m_ticksSeen = ticks;
    }
    if (m_questionAsked.elapsed() < kSilenceMs)
        return;
    // A program that was busy elsewhere reads what came meanwhile before it
    // judges: a browser that wrote anything lately, or whose answer may be
    // among what waits to be handled, answers.
    connection->readWaiting();
    if (connection->msSinceBrowserWrote() < kSilenceMs || connection->hasUnhandledMessages())
        return;
    // One that has not said its first word but works is still starting: on
    // a loaded machine that takes longer than the silence limit (#80).
    if (!connection->hasBrowserWritten() && worked && m_sinceLaunch.elapsed() < kStartMs)
        return;
    endSilentBrowser();
}

void ChromiumProcess::endSilentBrowser()
{
    // The question the browser never answered was asked this long after its start.
    m_silentSince = std::max<qint64>(0, m_sinceLaunch.elapsed() - m_questionAsked.elapsed());
    m_neverAnswered = m_connection && !m_connection->hasBrowserWritten();
    m_answerCheck->stop();
    // A stopped browser cannot close its end of the pipe: it is killed, with
    // its helpers, and the pipe's end tells the rest (browserClosed()).
    if (m_pid > 0) {
        ::kill(-pid_t(m_pid), SIGKILL);
        ::kill(pid_t(m_pid), SIGKILL);
    }
}

void ChromiumProcess::reap(int graceMs)
{
    if (m_pid <= 0)
        return;
    const pid_t pid = pid_t(m_pid);
    m_pid = 0;
    int status = 0;
    for (int waited = 0; waited < graceMs; waited += 10) {
        if (::waitpid(pid, &status, WNOHANG) == pid) {
            // Its helpers may still run in its group.
            ::kill(-pid, SIGKILL);
            return;
        }
        QThread::msleep(10);
    }
    ::kill(-pid, SIGKILL);
    ::kill(pid, SIGKILL);
    ::waitpid(pid, &status, 0);
}

void ChromiumProcess::stop()
{
    m_answerCheck->stop();
    if (m_connection) {
        disconnect(m_connection, nullptr, this, nullptr);
        // Closing the pipe asks the browser to end.
        delete m_connection;
        m_connection = nullptr;
    }
    if (m_pid > 0) {
        ::kill(pid_t(m_pid), SIGTERM);
        reap(2000);
    }
    if (!m_profile.isEmpty())
        QDir(m_profile).removeRecursively();
    m_temporary.reset();
}

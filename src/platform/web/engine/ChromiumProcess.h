#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QString>
#include <QTemporaryDir>
#include <QTimer>

#include <memory>

class DevToolsConnection;

// The one browser of the program: Debian's chromium, headless, driven over
// its debugging pipe (DevToolsConnection), with a private profile folder under
// the XDG cache that is made fresh for each run and removed when the browser
// ends, as is the temporary folder it is given (its TMPDIR). It is started in
// the background (start() returns at once; commands written before the
// browser is up wait in the pipe) and ends with the program: it is in a
// process group of its own and is killed when the program's main thread
// ends, so no browser outlives a crash of ours.
//
// When the browser dies, one ERROR line says so, a new one is started and
// restarted() tells the views to open their pages again. The browser is asked
// a question of its own every second: one that says nothing at all for
// kSilenceMs while a question waits (stopped, or hung) is ended and replaced
// the same way; one that has not spoken since its start but works is still
// starting, for up to kStartMs. A browser that dies (or falls silent) right after each of
// its last starts is not started again by itself (restartsStopped()): the
// next start() asked for, when the user opens or reloads a page, starts it
// and tells the views the same.
class ChromiumProcess : public QObject
{
    Q_OBJECT

public:
    // Made on first use; ended with the application object.
    static ChromiumProcess &instance();
    ~ChromiumProcess() override;

    // Starts the browser unless it runs; answers whether it does. A start
    // after the browser ended announces restarted().
    bool start();
    bool isRunning() const;
    // The running browser's connection; null when it could not be started.
    DevToolsConnection *connection() const { return m_connection; }
    qint64 processId() const { return m_pid; }
    QString profileFolder() const { return m_profile; }
    // The folder the browser makes its temporary files in; empty when it does not run.
    QString temporaryFolder() const { return m_temporary ? m_temporary->path() : QString(); }
    // Why the browser could not be started; empty when it runs.
    QString errorString() const { return m_error; }

    // The browser's program: QUILLMARK_CHROMIUM when set, else /usr/bin/chromium.
    static QString executable();
    // Ends the browser and its helpers and removes the profile folder.
    void stop();

    // A browser that dies within this long of its start died at once; after
    // that many such deaths in a row it is not started again by itself. One
    // that fell silent died when it last answered.
    static constexpr qint64 kQuickDeathMs = 5000;
    static constexpr int kQuickDeaths = 3;

    // How often the browser is asked whether it answers, and how long it may
    // say nothing while a question waits before it is ended: some five times
    // the longest silence bench/web2/web2_answer_bench saw (1.7 s, a page of
    // 100,000 items loaded on a quarter of a core). The program's own delay
    // does not count: answers waited up to 19 s for the sanitizer build
    // to handle them while the browser had long since spoken.
    static constexpr int kAskEveryMs = 1000;
    static constexpr int kSilenceMs = 8000;
    // A browser that has not said a word since its start, but has had the
    // processor since the last question, is still starting, up to this
    // long: two cores shared with other work take longer than kSilenceMs.
    static constexpr int kStartMs = 60000;

    // Why the running browser was started: the one before it crashed, fell
    // silent, or never said anything at all after its start.
    enum class Start { First, AfterCrash, AfterSilence, AfterNoAnswer, AsAsked };
    Start lastStart() const { return m_lastStart; }

    // Removes the folders under root named by pattern whose owner (the
    // process id in the name's ownerField-th "-" field) has ended.
    static void removeStaleProfiles(const QString &root, const QString &pattern = QStringLiteral("browser-*"),
                                    int ownerField = 1);

Q_SIGNALS:
    // The browser died and a new one runs: pages must be opened again.
    void restarted();
    // The browser could not be started; message names what is missing.
    void failedToStart(const QString &message);
    // The browser died right after each of its last kQuickDeaths starts: it
    // is not started again until start() is asked for.
    void restartsStopped(const QString &message);

private:
    ChromiumProcess();
    bool launch();
    void browserClosed();
    void closeStartingTabs();
    void reap(int graceMs);
    void askIfAnswering();
    void endSilentBrowser();

    qint64 m_pid = 0;
    QString m_profile;
    std::unique_ptr<QTemporaryDir> m_temporary; // the browser's TMPDIR
    QString m_error;
    DevToolsConnection *m_connection = nullptr; // Owned (QObject child).
    QElapsedTimer m_sinceLaunch;
    int m_quickDeaths = 0;
    int m_quickUnanswered = 0; // of those in a row, the ones that never answered
    bool m_restartsStopped = false;
    bool m_failureAnnounced = false;
    Start m_lastStart = Start::First;
    QTimer *m_answerCheck = nullptr; // Owned (QObject child).
    QElapsedTimer m_questionAsked;   // the browser's own question waiting, if valid
    int m_questions = 0;             // the number of the last question asked
    qint64 m_silentSince = -1;       // ms after its start: when the browser ended for silence asked last
    bool m_neverAnswered = false;    // the browser ended for silence had said nothing at all
    qint64 m_ticksSeen = -1;         // the processor time of the browser's processes at the last question
};

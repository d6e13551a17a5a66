#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QString>

class DevToolsConnection;

// The one browser of the program: Debian's chromium, headless, driven over
// its debugging pipe (DevToolsConnection), with a private profile folder under
// the XDG cache that is made fresh for each run and removed when the browser
// ends. It is started in the background (start() returns at once; commands
// written before the browser is up wait in the pipe) and ends with the
// program: it is in a process group of its own and is killed when the
// program's main thread ends, so no browser outlives a crash of ours.
//
// When the browser dies, one ERROR line says so, a new one is started and
// restarted() tells the views to open their pages again.
class ChromiumProcess : public QObject
{
    Q_OBJECT

public:
    // Made on first use; ended with the application object.
    static ChromiumProcess &instance();
    ~ChromiumProcess() override;

    // Starts the browser unless it runs; answers whether it does.
    bool start();
    bool isRunning() const;
    // The running browser's connection; null when it could not be started.
    DevToolsConnection *connection() const { return m_connection; }
    qint64 processId() const { return m_pid; }
    QString profileFolder() const { return m_profile; }
    // Why the browser could not be started; empty when it runs.
    QString errorString() const { return m_error; }

    // The browser's program: QUILLMARK_CHROMIUM when set, else /usr/bin/chromium.
    static QString executable();
    // Ends the browser and its helpers and removes the profile folder.
    void stop();

Q_SIGNALS:
    // The browser died and a new one runs: pages must be opened again.
    void restarted();
    // The browser could not be started; message names what is missing.
    void failedToStart(const QString &message);

private:
    ChromiumProcess();
    bool launch();
    void browserClosed();
    void reap(int graceMs);
    static void removeStaleProfiles(const QString &root);

    qint64 m_pid = 0;
    QString m_profile;
    QString m_error;
    DevToolsConnection *m_connection = nullptr; // Owned (QObject child).
    QElapsedTimer m_sinceLaunch;
    int m_quickDeaths = 0;
    bool m_failureAnnounced = false;
};

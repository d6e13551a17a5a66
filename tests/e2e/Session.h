#pragma once

#include <QByteArray>
#include <QColor>
#include <QJsonObject>
#include <QLocalSocket>
#include <QMap>
#include <QProcess>
#include <QRect>
#include <QString>
#include <QTemporaryDir>
#include <QVariant>

#include <functional>
#include <map>

// One run of the real program on the X display of the suite: its own home
// folder and a copy of the fixture projects, input through the window
// system (xdotool), and the program's probe socket to see where things are
// and what the panels show.
class Session
{
public:
    Session();
    ~Session();

    // A new home (the first launch's question dismissed, or left open for
    // the scenario), or the home of the run before; or Asking: until the
    // program asks something (an alert or a panel), which the test answers,
    // then waitForMainWindow().
    enum class Launch { First, FirstWithQuestion, Again, Asking };
    // Starts the program and waits until its probe answers and the main
    // window is up with its panes placed; the first launch's tutorial panel
    // is dismissed, or waited for and left open.
    bool launch(Launch launch = Launch::First);
    // Until the main window is up and active, with the preview shown.
    bool waitForMainWindow();
    // Until a panel is up, with its name field clicked.
    bool waitForModal();
    // From the next launch on, the program is stopped by file permissions
    // as any user is: run by root, it runs without root's override of them.
    void obeyFilePermissions() { m_obeyFilePermissions = true; }
    // Whether the running program is stopped by file permissions: no
    // capability of its process overrides them (checked at every launch
    // that asked for it).
    bool obeysFilePermissions() const;
    // From the next launch on, the program runs with that environment variable.
    void setEnvironment(const QString &name, const QString &value) { m_environment.insert(name, value); }
    // Ends the program as a crash would; its home stays for the next launch.
    void stop();
    // Quits through the window's close and its question's "Quit"; the home
    // stays for the next launch (Launch::Again).
    bool quit();
    // Waits for the alert whose text holds the words, clicks its button,
    // again while it stays up; false when it is not asked, or stays.
    bool answerQuestion(const QString &words, const QString &button);
    // Waits until the program has ended by itself (quit by the user); the
    // home stays for the next launch.
    bool waitForEnd();
    bool isRunning() const;
    qint64 processId() const { return m_program.processId(); }
    // The user defaults file of the program's home.
    QString defaultsPath() const;
    // Sets a value of the user defaults (a text, or a number as the program
    // keeps a pane's size) while the program is not running, as a run would
    // have saved it.
    bool setDefault(const QString &key, const QVariant &value) const;
    // The log the program wrote, for a failure message.
    QString logTail(int lines = 40) const;

    QJsonObject ask(const QJsonObject &question);
    QJsonObject state() { return ask({{QStringLiteral("q"), QStringLiteral("state")}}); }
    // Polls the state until the condition holds (false after the timeout).
    bool waitFor(const std::function<bool(const QJsonObject &state)> &condition, int timeoutMs = 20000);

    // Global rectangles, invalid when the program does not show the thing.
    QRect widget(const QString &objectName);
    QRect row(const QString &viewName, const QString &text);
    QRect element(const QString &selector);
    QStringList rows(const QString &viewName);

    // Input as a user gives it.
    void moveTo(const QPoint &point);
    void click(const QPoint &point, int count = 1);
    // Presses the left button at one point, moves to the other through the
    // way between, and lets go there.
    void drag(const QPoint &from, const QPoint &to);
    // Turns the mouse wheel over the point, one notch down at a time.
    void wheel(const QPoint &point, int notches);
    // Keys as xdotool names them, one after another: "ctrl+s", "Right Down".
    void key(const QString &keys);
    void type(const QString &text);
    bool clickWidget(const QString &objectName, int count = 1);
    // Clicks the widget until the keyboard is in the one the probe names
    // focusName (the widget itself, or a field inside it).
    bool clickUntilFocused(const QString &objectName, const QString &focusName, int timeoutMs = 10000);
    bool clickRow(const QString &viewName, const QString &text, int count = 1);
    // Selects the field's text and types over it.
    bool fill(const QString &objectName, const QString &text);
    // Sizes the program's window of that title again, as the window manager
    // does when asked; its place stays.
    void resizeWindow(const QString &title, const QSize &size);

    // The designer's first steps: add the fixture folder (or another one)
    // as a project (File > Add Project...) and open one of its pages from
    // the file tree.
    bool addProject();
    bool addProject(const QString &folder);
    bool openPage(const QString &fileName);

    // The fixture project's files: as copied, and now on disk.
    QString projectPath() const;
    QByteArray original(const QString &relative) const;
    QByteArray onDisk(const QString &relative) const;
    // A second project beside the fixture's, made of the files given
    // (relative path and bytes); answers its folder.
    QString makeProject(const QString &name, const std::map<QString, QByteArray> &files) const;
    // Writes a project file as another program would, in place.
    bool writeOnDisk(const QString &relative, const QByteArray &bytes) const;
    // Relative paths whose bytes differ from the fixture, and new or gone
    // files (but for the project settings the program keeps there).
    QStringList changedFiles() const;

    // A PNG of the whole screen.
    bool screenshot(const QString &path) const;
    // The middle of what the screen shows in that colour within the
    // rectangle, as a user sees it; null when it shows none of it.
    QPoint whereShown(const QColor &colour, const QRect &within) const;
    // What a failed scenario leaves: the screen as <name>.png among the
    // suite's shots, the program's state and the end of its log on stderr.
    void reportFailure(const QString &name);

private:
    // Starts the program and waits until its probe answers.
    bool start();
    void run(const QStringList &arguments);

    QTemporaryDir m_scratch;
    QProcess m_program;
    QLocalSocket m_probe;
    std::map<QString, QByteArray> m_fixture;
    QPoint m_pointer{-1, -1};
    bool m_obeyFilePermissions = false;
    QMap<QString, QString> m_environment;
};

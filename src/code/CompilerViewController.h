#pragma once

#include "PackItem.h"

#include "workspace/File.h"

#include "CodeView.h"

#include "toolkit/ExOutlineView.h"

#include <QList>
#include <QObject>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QPointer>
#include <QProcess>
#include <QTimer>

#include <memory>
#include <optional>

class PackageController;
class ProjectSetting;
class QTemporaryFile;
class QWidget;

// The Script Packages pane: the option table of the chosen compressor, the
// package tree (PackageController), a text view for an item's text and a
// console. Execute compresses every package of the project's tree whose
// children are source files, one run of the compressor at a time; each
// result is stored with a header in its package and kept in the project's
// ".kem". CompilerViewControllerRun.cpp holds the runs.
class CompilerViewController : public QObject
{
    Q_OBJECT

public:
    explicit CompilerViewController(QObject *parent = nullptr);
    ~CompilerViewController() override;

    // Builds the pane's view; the caller places (and owns) it.
    void awakeFromNib();
    QWidget *view() const { return m_view; }

    // Opens the project's settings: its ".kem", or the defaults saved at once.
    void setup(File *projectRoot);
    File *projectRoot() const { return m_projectRoot; }
    ProjectSetting *projectSetting() const { return m_projectSetting.get(); }
    PackageController *packageController() const { return m_packageController; }

    // Actions.
    void execute();
    void createIncludeFile();
    void exportToFile() {}
    void addTarget();
    void addPackage();
    // The include lines of the selected package's files; empty without one.
    QString genIncludeFile() const;
    // A value chosen in an option's menu: a compiler replaces the current one
    // with its defaults; an option stores its index. The settings are saved.
    void menuDidClose(const QString &category, const QString &title);

    // "date path Compile Succeeded." (or "Syntax Check OK." for no package).
    static QString genConsoleResult(const PackItem &item);
    // The header above a package's compressed text.
    static QString genHeader(const QString &compilerName, qint64 sourceSize, qint64 compressedSize);
    // A run is under way: packages queued or a compressor running.
    bool isRunning() const;
    // How long a compressor may run before it is stopped.
    void setTimeoutMs(int milliseconds) { m_timeoutMs = milliseconds; }

    // Views, for the window's keys and tests.
    QTableWidget *tableView() const { return m_tableView; }
    ExOutlineView *outlineView() const { return m_outlineView; }
    CodeView *textView() const { return m_textView; }
    QPlainTextEdit *console() const { return m_console; }
    QPushButton *executeButton() const { return m_executeButton; }

    // Runs a program to its end and answers its standard output as lines.
    static QStringList runSynchronously(const QString &launchPath, const QStringList &arguments);

Q_SIGNALS:
    // The queue ran out, or a run failed.
    void runFinished();

private:
    void reloadOptions();
    void appendConsole(const QString &text);
    void updateButtons();
    // Run topics (CompilerViewControllerRun.cpp).
    void compile();
    void doTask(const QString &launchPath, const QStringList &arguments);
    void taskEnded();
    void stopQueue(const QString &error);

    QPointer<QWidget> m_view;
    // In the view, which the pane may delete first.
    QPointer<QTableWidget> m_tableView;
    QPointer<ExOutlineView> m_outlineView;
    QPointer<CodeView> m_textView;
    QPointer<QPlainTextEdit> m_console;
    QPointer<QPushButton> m_executeButton;
    QPointer<QPushButton> m_addPackageButton;
    PackageController *m_packageController; // Owned (child).

    QPointer<File> m_projectRoot;
    std::shared_ptr<ProjectSetting> m_projectSetting;

    // The run: the settings it stores into, what is left, the running package.
    std::shared_ptr<ProjectSetting> m_runSetting;
    std::optional<QList<PackItemPtr>> m_compileStack;
    PackItemPtr m_currentPack;
    std::unique_ptr<QProcess> m_task;
    std::unique_ptr<QTemporaryFile> m_joinedInput;
    QByteArray m_standardOutput;
    QByteArray m_errorOutput;
    QString m_launchProblem;
    bool m_timedOut = false;
    QTimer m_timeout;
    int m_timeoutMs = 120000;
};

#pragma once

#include "ShellTestSupport.h"
#include "TestUtil.h"

#include "app/FileViewController.h"
#include "app/MainInterface.h"
#include "app/ProjectDelegate.h"
#include "code/CodeView.h"
#include "interfaces/PreviewHalfInterface.h"
#include "platform/foundation/OperationQueue.h"
#include "platform/kit/FilePanel.h"
#include "toolkit/OutlineViewEx.h"
#include "workspace/File.h"

#include <QDateTime>
#include <QDir>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

#include <memory>
#include <optional>

// The pointer moved onto a point of the widget as the window system reports
// it: to the widget's window, which hands the move to the widget under the
// pointer. It comes from the point beside it: Qt drops a move to where the
// pointer already is.
inline void movePointer(QWidget *widget, const QPoint &point)
{
    QWidget *window = widget->window();
    const QPoint inWindow = widget->mapTo(window, point);
    QTest::mouseMove(window->windowHandle(), inWindow - QPoint(1, 1));
    QTest::mouseMove(window->windowHandle(), inWindow);
}

// A left click on a point of the widget, through its window.
inline void clickPointer(QWidget *widget, const QPoint &point)
{
    QWidget *window = widget->window();
    QTest::mouseClick(window->windowHandle(), Qt::LeftButton, {}, widget->mapTo(window, point));
}

// The preview half as a recorder: what the project controller asked, and a
// resource tree the test builds.
class FakePreviewHalf : public PreviewHalfInterface
{
public:
    FakePreview preview;
    QStringList calls;
    bool reloadOnly = false;
    bool detectOn = false;
    QStringList changedFolders; // folders where a file of the page came or went
    std::vector<std::unique_ptr<File>> resources;
    // The jobs handed out; a job waits for `release` before it ends.
    std::shared_ptr<bool> release = std::make_shared<bool>(true);
    QList<std::shared_ptr<Operation>> jobs;

    // A resource of the page shown: a node whose path is the file's path.
    File *addResource(const QString &path)
    {
        auto node = std::make_unique<File>();
        node->setPath(path);
        node->setDisplayName(QFileInfo(path).fileName());
        resources.push_back(std::move(node));
        return resources.back().get();
    }

    void initWebView(QWidget *) override { calls << QStringLiteral("initWebView"); }
    ExWebViewInterface *webview() override { return &preview; }
    void doSetPreviewSize(int, bool) override {}
    void doSetPreviewWithLastIndex() override {}
    void activateResponsiveRuler(bool) override {}
    void startJavascript() override { calls << QStringLiteral("startJavascript"); }
    void setURL(File *) override { calls << QStringLiteral("setURL"); }
    void refreshWebview() override { calls << QStringLiteral("refreshWebview"); }
    bool isReloadOnly() const override { return reloadOnly; }
    void reloadPage() override { calls << QStringLiteral("reloadPage"); }
    void reloadChangedPage() override { calls << QStringLiteral("reloadChangedPage"); }
    void urlEnter(const QString &address) override { calls << QStringLiteral("urlEnter ") + address; }
    void setMainFrameURL(const QString &address) override { calls << QStringLiteral("setMainFrameURL ") + address; }
    void setDownloadButtonsEnabled(bool) override {}
    void clearDetectLayer() override { calls << QStringLiteral("clearDetectLayer"); }
    void doDetectPreview(bool on) override
    {
        detectOn = on;
        calls << (on ? QStringLiteral("doDetectPreview on") : QStringLiteral("doDetectPreview off"));
    }
    bool isDetectButtonOn() const override { return detectOn; }
    void checkAndEnableNextURL() override { calls << QStringLiteral("checkAndEnableNextURL"); }
    void invalidateElementInformation() override { calls << QStringLiteral("invalidateElementInformation"); }
    bool pageFileCameOrWent(const QString &folder) override
    {
        calls << QStringLiteral("pageFileCameOrWent");
        return changedFolders.contains(folder);
    }
    QList<File *> resourceRoots() override
    {
        QList<File *> roots;
        for (const auto &node : resources)
            roots.append(node.get());
        return roots;
    }
    void detectLockDownHandler(QMouseEvent *) override { calls << QStringLiteral("detectLockDownHandler"); }
    void detectLockCommitHandler(QMouseEvent *) override {}
    void updateDetectLayer() override { calls << QStringLiteral("updateDetectLayer"); }
    std::shared_ptr<Operation> removeBypassOperation(File *) override { return job(); }
    std::shared_ptr<Operation> autoBypassOperation(File *) override { return job(); }

private:
    std::shared_ptr<Operation> job()
    {
        std::shared_ptr<bool> wait = release;
        auto made = std::make_shared<BlockOperation>([wait](const Operation &operation) {
            while (!*wait && !operation.isCancelled())
                QThread::msleep(1);
        });
        jobs.append(made);
        return made;
    }
};

// Answers the open panels with the given folders (nullopt: Cancel).
class PanelAnswers
{
public:
    explicit PanelAnswers(std::optional<QStringList> answer)
    {
        FilePanel::setResponder([this, answer](const FilePanel &panel) {
            ++asked;
            sheetShownWhileAsking = ProjectDelegate::panelSheetShown();
            canChooseDirectories = panel.canChooseDirectories();
            return answer;
        });
    }
    ~PanelAnswers() { FilePanel::setResponder({}); }

    int asked = 0;
    bool sheetShownWhileAsking = false;
    bool canChooseDirectories = false;
};

// The real controllers over a temporary home of projects: the user defaults
// of the workspace are cleared before and after.
class WorkspaceTest : public ::testing::Test
{
protected:
    static void clearWorkspaceDefaults()
    {
        UserDefaults &defaults = UserDefaults::standardUserDefaults();
        for (const char *key : {"rootPathes", "expandedFilePaths", "lastURL", "lastSelectedMainFilePath",
                                "lastSelectedProjectPath", "firstLaunch", "inspectorVisible", "lastRightPaneHeight",
                                "lastAttributePaneHeight", "lastStyleAttributePaneHeight"})
            defaults.removeObjectForKey(QString::fromLatin1(key));
        defaults.setInteger(0, QStringLiteral("firstLaunch"));
        defaults.setInteger(0, QStringLiteral("inspectorVisible"));
        defaults.synchronize();
    }

    void SetUp() override
    {
        clearWorkspaceDefaults();
        AppDelegate::initialize();
        QDir(home.path()).mkpath(QStringLiteral("site/css/deep"));
        QDir(home.path()).mkpath(QStringLiteral("site/js"));
        QDir(home.path()).mkpath(QStringLiteral("other"));
        TestUtil::writeFile(path("site/index.html"), "<p>hello</p>");
        TestUtil::writeFile(path("site/css/main.css"), "p { color: red; }");
        TestUtil::writeFile(path("site/css/deep/theme.css"), "a { color: blue; }");
        TestUtil::writeFile(path("site/js/app.js"), "var a = 1;");
        TestUtil::writeFile(path("other/notes.txt"), "notes");
    }

    void TearDown() override
    {
        quit();
        clearWorkspaceDefaults();
    }

    QString path(const char *relative) const
    {
        return QFileInfo(home.filePath(QString::fromLatin1(relative))).absoluteFilePath();
    }

    // Remembers the folders as projects, as a previous run would have.
    void remember(const QStringList &folders)
    {
        QVariantMap rootPathes;
        for (const QString &folder : folders)
            rootPathes.insert(folder, folder);
        UserDefaults::standardUserDefaults().setObject(rootPathes, QStringLiteral("rootPathes"));
        UserDefaults::standardUserDefaults().synchronize();
    }

    // Starts the program's controllers and waits for the projects to load.
    void launch(PreviewHalfInterface *preview = nullptr)
    {
        delegate = std::make_unique<AppDelegate>();
        if (preview) {
            // The preview half is handed over before the interface loads,
            // as the composition point does.
            pendingPreview = preview;
        }
        delegate->loadInterface();
        if (pendingPreview) {
            controller()->setPreviewHalf(pendingPreview);
        }
        delegate->applicationDidFinishLaunching();
        ASSERT_TRUE(TestUtil::waitUntil([this] { return !controller()->isLoading(); }));
        TestUtil::spin(20);
    }

    void quit() { delegate.reset(); }

    ProjectDelegate *controller() const { return delegate->ui().projectController; }
    FileViewController *viewer() const { return delegate->ui().fileViewController; }
    OutlineViewEx *tree() const { return controller()->finderOutlineView(); }

    File *node(const char *relative) const
    {
        const QString wanted = path(relative);
        File *found = controller()->searchDirectory(wanted, controller()->projects());
        if (found)
            found->setOpenDate(QDateTime::currentDateTimeUtc().addSecs(-10));
        return found;
    }

    QStringList shownRows() const
    {
        QStringList names;
        for (int row = 0; row < tree()->numberOfRows(); ++row)
            names << static_cast<File *>(tree()->itemAtRow(row))->displayName();
        return names;
    }

    void select(File *file)
    {
        controller()->openAllParent(file->parentFile());
        const int row = tree()->rowForItem(file);
        ASSERT_GE(row, 0);
        tree()->selectRowIndexes({row}, false);
    }

    // The file's code view in the pane, its caret after the first `after`.
    CodeView *codeViewAfter(const char *file, const QString &after)
    {
        File *shown = node(file);
        select(shown);
        CodeView *view = viewer()->mainCodeView();
        if (!view || !TestUtil::waitUntil([&] { return view->file() == shown && view->string() == shown->currentContent(); }))
            return nullptr;
        view->setFocus();
        const qsizetype at = view->string().indexOf(after);
        if (at < 0)
            return nullptr;
        QTextCursor cursor = view->textCursor();
        cursor.setPosition(int(at + after.size()));
        view->setTextCursor(cursor);
        return view;
    }

    // Keys into the view, each a turn of its own; "\b" is Backspace, "\x7f" Delete.
    static void keys(CodeView *view, const QString &typed)
    {
        for (const QChar c : typed) {
            if (c == u'\b')
                QTest::keyClick(view, Qt::Key_Backspace);
            else if (c == u'\x7f')
                QTest::keyClick(view, Qt::Key_Delete);
            else if (c == u'\n')
                QTest::keyClick(view, Qt::Key_Return);
            else
                QTest::keyClicks(view, QString(c));
            TestUtil::spin(2);
        }
    }

    QVariantMap rootPathes() const
    {
        UserDefaults::standardUserDefaults().synchronize();
        return UserDefaults::standardUserDefaults().dictionaryForKey(QStringLiteral("rootPathes"));
    }

    QTemporaryDir home;
    std::unique_ptr<AppDelegate> delegate;
    PreviewHalfInterface *pendingPreview = nullptr;
};

#include "SaveFaults.h"
#include "ShellTestSupport.h"
#include "TestUtil.h"

#include "app/EXWindow.h"
#include "app/ProjectDelegate.h"
#include "workspace/File.h"

#include <QApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <cerrno>
#include <cstring>

namespace ProjectDelegateTest {

namespace {

// A project folder on disk with a page, a style sheet in a sub-folder and a
// second project beside it.
class ProjectDelegateTest : public ShellTest
{
protected:
    void SetUp() override
    {
        ShellTest::SetUp();
        QDir(folder.path()).mkpath(QStringLiteral("site/css"));
        QDir(folder.path()).mkpath(QStringLiteral("other"));
        TestUtil::writeFile(path("site/index.html"), "<p>hello</p>");
        TestUtil::writeFile(path("site/css/main.css"), "p { color: red; }");
        TestUtil::writeFile(path("other/notes.txt"), "notes");
    }

    QString path(const char *relative) const { return folder.filePath(QString::fromLatin1(relative)); }

    // Opens both projects in the interface's project controller.
    ProjectDelegate *openProjects()
    {
        // Not a first launch: that would offer the tutorial in a real panel.
        UserDefaults::standardUserDefaults().setBool(false, QStringLiteral("firstLaunch"));
        delegate = std::make_unique<AppDelegate>();
        delegate->loadInterface();
        delegate->applicationDidFinishLaunching();
        ProjectDelegate *controller = ui().projectController;
        EXPECT_EQ(delegate->projectController(), controller);
        controller->appendProject(std::make_unique<File>(path("site"), true, nullptr));
        controller->appendProject(std::make_unique<File>(path("other"), true, nullptr));
        return controller;
    }

    // The node of a path, found by walking the trees as the file tree
    // would; it reads as taken from the disk a while ago, so that new text
    // set now counts as an edit.
    File *node(ProjectDelegate *controller, const char *relative)
    {
        const QString wanted = path(relative);
        std::function<File *(const QList<File *> &)> find = [&](const QList<File *> &nodes) -> File * {
            for (File *node : nodes) {
                if (node->path() == wanted) {
                    node->setOpenDate(QDateTime::currentDateTimeUtc().addSecs(-10));
                    return node;
                }
                if (wanted.startsWith(node->path() + QLatin1Char('/')))
                    return find(node->children());
            }
            return nullptr;
        };
        return find(controller->projects());
    }

    QTemporaryDir folder;
};

TEST_F(ProjectDelegateTest, FindsAnUnsavedFileAnywhereInTheProjects)
{
    ProjectDelegate *controller = openProjects();
    EXPECT_FALSE(controller->hasModified());
    File *sheet = node(controller, "site/css/main.css");
    ASSERT_NE(sheet, nullptr);
    sheet->setContent(QStringLiteral("p { color: blue; }"));
    EXPECT_TRUE(controller->hasModified());
    // Asking changes nothing on disk.
    EXPECT_EQ(TestUtil::readFile(path("site/css/main.css")), QByteArray("p { color: red; }"));
}

TEST_F(ProjectDelegateTest, SymbolicLinksBackUpEndTheImageListAndTheSearches)
{
    QDir(folder.path()).mkpath(QStringLiteral("site/img"));
    TestUtil::writeFile(path("site/img/logo.png"), "png");
    ASSERT_TRUE(QFile::link(QStringLiteral("."), path("site/loop1")));
    ASSERT_TRUE(QFile::link(QStringLiteral("."), path("site/loop2")));
    ASSERT_TRUE(QFile::link(QStringLiteral(".."), path("site/css/up")));
    ProjectDelegate *controller = openProjects();
    File *site = node(controller, "site");
    ASSERT_NE(site, nullptr);
    controller->setLastPreviewedFile(node(controller, "site/index.html"));

    QStringList images;
    for (File *image : controller->getImages())
        images.append(image->relativePathFromRoot());
    EXPECT_EQ(images, QStringList{QStringLiteral("/img/logo.png")});
    // index.html, css/main.css, css/up, img/logo.png, loop1 and loop2.
    EXPECT_EQ(ProjectDelegate::getAllChildrenCount(site), 6);
    QList<File *> found;
    controller->searchFile(site, QStringLiteral("file:///nowhere.html"), found);
    EXPECT_TRUE(found.isEmpty());
}

TEST_F(ProjectDelegateTest, SaveAndQuitWritesEveryModifiedFileOfEveryProject)
{
    ProjectDelegate *controller = openProjects();
    File *page = node(controller, "site/index.html");
    File *notes = node(controller, "other/notes.txt");
    ASSERT_TRUE(page && notes);
    page->setContent(QStringLiteral("<p>bye</p>"));
    page->setLastContentChangeReason(File::CodeViewChange);
    notes->setContent(QStringLiteral("more notes"));

    AlertAnswers answers({QStringLiteral("Save And Quit")});
    EXPECT_TRUE(ui().window->close());
    EXPECT_EQ(answers.buttons, QStringList{QStringLiteral("Quit|Save And Quit|Cancel")});
    EXPECT_EQ(TestUtil::readFile(path("site/index.html")), QByteArray("<p>bye</p>"));
    EXPECT_EQ(TestUtil::readFile(path("other/notes.txt")), QByteArray("more notes"));
    EXPECT_EQ(TestUtil::readFile(path("site/css/main.css")), QByteArray("p { color: red; }"));
    EXPECT_EQ(page->lastContentChangeReason(), File::NoPendingChange);
    EXPECT_FALSE(controller->hasModified());
    Q_EMIT qApp->lastWindowClosed();
    EXPECT_TRUE(delegate->isTerminating());
}

TEST_F(ProjectDelegateTest, SaveAndQuitThatCannotWriteAFileStaysOpenAndNamesItWithTheReason)
{
    ProjectDelegate *controller = openProjects();
    File *page = node(controller, "site/index.html");
    ASSERT_NE(page, nullptr);
    page->setContent(QStringLiteral("<p>bye</p>"));

    AlertAnswers answers({QStringLiteral("Save And Quit"), QStringLiteral("OK")});
    {
        InjectedFault full(AtomicFileWriter::Step::Write, ENOSPC);
        EXPECT_FALSE(ui().window->close());
    }
    // The question, then one alert with the file and the reason; never the question again.
    ASSERT_EQ(answers.messages.size(), 2);
    EXPECT_TRUE(answers.informativeTexts[1].contains(QStringLiteral("index.html: ")
                                                     + QString::fromLocal8Bit(std::strerror(ENOSPC))))
        << answers.informativeTexts[1].toStdString();
    EXPECT_TRUE(ui().window->isVisible());
    EXPECT_EQ(TestUtil::readFile(path("site/index.html")), QByteArray("<p>hello</p>"));
    EXPECT_TRUE(controller->hasModified());
    EXPECT_FALSE(delegate->isTerminating());

    // Once the disk takes it, the same answer saves and quits.
    AlertAnswers again({QStringLiteral("Save And Quit")});
    EXPECT_TRUE(ui().window->close());
    EXPECT_EQ(TestUtil::readFile(path("site/index.html")), QByteArray("<p>bye</p>"));
}

TEST_F(ProjectDelegateTest, CancelLeavesTheEditsUnsaved)
{
    ProjectDelegate *controller = openProjects();
    File *page = node(controller, "site/index.html");
    ASSERT_NE(page, nullptr);
    page->setContent(QStringLiteral("<p>bye</p>"));
    AlertAnswers answers({QStringLiteral("Cancel")});
    EXPECT_FALSE(ui().window->close());
    EXPECT_EQ(TestUtil::readFile(path("site/index.html")), QByteArray("<p>hello</p>"));
    EXPECT_TRUE(controller->hasModified());
}

} // namespace

} // namespace ProjectDelegateTest

#include "FileCommandsSupport.h"
#include "LoopbackArchiveServer.h"

#include "app/ProjectDownload.h"
#include "platform/foundation/Bundle.h"

#include <QDir>
#include <QFile>
#include <QLocalServer>
#include <QProgressDialog>
#include <QPushButton>

namespace NewProjectsTest {

namespace {

class NewProjects : public FileCommandsTest
{
protected:
    void SetUp() override
    {
        FileCommandsTest::SetUp();
        const QByteArray sample = TestUtil::readFile(
            Bundle::pathForResource(QStringLiteral("sample"), QStringLiteral("zip"), QStringLiteral("download")));
        ASSERT_FALSE(sample.isEmpty());
        TestUtil::writeFile(served.filePath(QStringLiteral("whole/sample.zip")), sample);
        TestUtil::writeFile(served.filePath(QStringLiteral("truncated/sample.zip")), sample.left(sample.size() / 2));
        ASSERT_TRUE(server.start());
    }

    void TearDown() override
    {
        FileCommandsTest::TearDown();
        ProjectDelegate::setDownloadEndpoint({});
        ProjectDelegate::setDownloadTransferTimeout(ProjectDownload::kTransferTimeoutMs);
    }

    File *project(const QString &folder) const
    {
        for (File *root : controller()->projects()) {
            if (root->path() == folder)
                return root;
        }
        return nullptr;
    }

    // Whatever a download or a copy left beside the folders of the home.
    QStringList leftovers() const
    {
        QStringList found;
        for (const QString &name : QDir(home.path()).entryList(QDir::Hidden | QDir::Dirs | QDir::NoDotAndDotDot)) {
            if (name.startsWith(QLatin1Char('.')) && name != QLatin1String(".qttest"))
                found << name;
        }
        return found;
    }

    TemporaryHome temporaryHome{home.path()};
    QTemporaryDir served;
    LoopbackArchiveServer server{served.path()};
};

} // namespace

// --- User templates ---------------------------------------------------------------------------------

TEST_F(NewProjects, ATemplateIsSavedReplacedAndMakesANewProjectThatOpensTheIndexOfItsSubFolder)
{
    TestUtil::writeFile(path("tpl/pages/index.html"), "<p>template</p>");
    TestUtil::writeFile(path("tpl/css/a.css"), "a {}");
    remember({path("site"), path("tpl")});
    launch();
    // The temporary home had no cache folder: the program made it for its
    // templates.
    const QString saved = ProjectDelegate::templatesPath() + QStringLiteral("/tpl");

    select(node("tpl/css/a.css"));
    item("saveProjectAsTemplate:")->trigger();
    EXPECT_EQ(ProjectDelegate::getUserTemplates(), QStringList{QStringLiteral("tpl")});
    EXPECT_EQ(TestUtil::readFile(saved + QStringLiteral("/pages/index.html")), "<p>template</p>");

    // Saved again: asked first; Cancel keeps the old one, OK replaces it.
    TestUtil::writeFile(path("tpl/new.txt"), "new");
    {
        AlertAnswers answers({QStringLiteral("Cancel")});
        item("saveProjectAsTemplate:")->trigger();
        EXPECT_EQ(answers.messages, QStringList{QStringLiteral("A template with the same name already exists.")});
        EXPECT_EQ(answers.informativeTexts, QStringList{QStringLiteral("Do you want to replace the existing template?")});
        EXPECT_EQ(answers.buttons, QStringList{QStringLiteral("OK|Cancel")});
    }
    EXPECT_FALSE(QFileInfo::exists(saved + QStringLiteral("/new.txt")));
    {
        AlertAnswers answers({QStringLiteral("OK")});
        item("saveProjectAsTemplate:")->trigger();
    }
    EXPECT_EQ(TestUtil::readFile(saved + QStringLiteral("/new.txt")), "new");

    // A copy that fails puts the old template back and says why.
    {
        QLocalServer socket;
        ASSERT_TRUE(socket.listen(path("tpl/socket")));
        AlertAnswers answers({QStringLiteral("OK"), QStringLiteral("OK")});
        item("saveProjectAsTemplate:")->trigger();
        ASSERT_EQ(answers.messages.size(), 2);
        EXPECT_FALSE(answers.messages.last().isEmpty());
    }
    EXPECT_EQ(TestUtil::readFile(saved + QStringLiteral("/new.txt")), "new");
    EXPECT_FALSE(QFileInfo::exists(saved + QStringLiteral("/socket")));
    EXPECT_EQ(QDir(ProjectDelegate::templatesPath()).entryList(QDir::Hidden | QDir::AllEntries | QDir::NoDotAndDotDot),
              QStringList{QStringLiteral("tpl")});

    // The File menu lists it; a new project from it opens its first page.
    Q_EMIT menu().menuTitled(QStringLiteral("File"))->aboutToShow();
    QMenu *templates = delegate->ui().userTemplateMenu;
    ASSERT_EQ(templates->actions().size(), 1);
    EXPECT_EQ(templates->actions().first()->text(), QStringLiteral("tpl"));
    EXPECT_TRUE(templates->menuAction()->isEnabled());
    PanelAnswers answers(QStringList{path("made")});
    templates->actions().first()->trigger();
    EXPECT_EQ(answers.asked, 1);
    ASSERT_NE(project(path("made")), nullptr);
    EXPECT_EQ(controller()->selectedFile()->path(), path("made/pages/index.html"));
    EXPECT_EQ(viewer()->mainFile(), controller()->selectedFile());
    EXPECT_EQ(TestUtil::readFile(path("made/new.txt")), "new");
    EXPECT_TRUE(leftovers().isEmpty()) << leftovers().join(u' ').toStdString();
}

// --- Downloaded projects ----------------------------------------------------------------------------

TEST_F(NewProjects, NewProjectDownloadsUnpacksImportsAndOpensItsPageWhileTheInterfaceRuns)
{
    server.setMode(LoopbackArchiveServer::Mode::Throttled);
    server.setThrottle(128, 5);
    ProjectDelegate::setDownloadEndpoint(server.url(QStringLiteral("whole/")));
    launch();
    int ticks = 0;
    QTimer timer;
    QObject::connect(&timer, &QTimer::timeout, [&ticks] { ++ticks; });
    timer.start(5);

    PanelAnswers answers(QStringList{path("made")});
    item("createProjectSelected:")->trigger();
    ASSERT_NE(controller()->currentDownload(), nullptr);
    QProgressDialog *sheet = controller()->currentDownload()->progressSheet();
    ASSERT_NE(sheet, nullptr);
    EXPECT_TRUE(sheet->isVisible());
    EXPECT_EQ(sheet->windowModality(), Qt::WindowModal);

    ASSERT_TRUE(TestUtil::waitUntil([this] { return project(path("made")) != nullptr; }, 10000));
    EXPECT_GE(ticks, 5);
    EXPECT_EQ(server.requestCount(), 1);
    EXPECT_EQ(TestUtil::readFile(path("made/index.html")),
              TestUtil::readFile(Bundle::resourcePath() + QStringLiteral("/projects/sample/index.html")));
    EXPECT_TRUE(QFileInfo::exists(path("made/css/style.css")));
    EXPECT_EQ(controller()->selectedFile()->path(), path("made/index.html"));
    EXPECT_EQ(viewer()->mainFile(), controller()->selectedFile());
    EXPECT_TRUE(rootPathes().contains(path("made")));
    EXPECT_TRUE(TestUtil::waitUntil([this] { return controller()->currentDownload() == nullptr; }));
    EXPECT_TRUE(leftovers().isEmpty()) << leftovers().join(u' ').toStdString();
}

TEST_F(NewProjects, TheTutorialComesFromTheProgramsOwnArchivesWithoutANetwork)
{
    launch();
    QString message;
    QString proposed;
    FilePanel::setResponder([&](const FilePanel &panel) {
        message = panel.message();
        proposed = panel.nameFieldStringValue();
        return std::optional<QStringList>(QStringList{path("Tutorial")});
    });
    item("downloadTurtrialProject:")->trigger();
    FilePanel::setResponder({});
    EXPECT_EQ(message, QStringLiteral("Download Tutorial Project. Please choose directory to download."));
    EXPECT_EQ(proposed, QStringLiteral("Tutorial"));
    ASSERT_TRUE(TestUtil::waitUntil([this] { return project(path("Tutorial")) != nullptr; }));
    EXPECT_EQ(controller()->selectedFile()->path(), path("Tutorial/index.html"));
    EXPECT_TRUE(QFileInfo::exists(path("Tutorial/images/quill.svg")));
}

TEST_F(NewProjects, AFailedDownloadAlertsAndLeavesTheDestinationAsItWas)
{
    struct Case
    {
        const char *name;
        const char *endpoint;
        LoopbackArchiveServer::Mode mode;
        bool cancel;
    };
    const Case cases[] = {
        {"not found", "missing/", LoopbackArchiveServer::Mode::Whole, false},
        {"a truncated archive", "truncated/", LoopbackArchiveServer::Mode::Whole, false},
        {"Cancel", "whole/", LoopbackArchiveServer::Mode::Throttled, true},
        {"a time-out", "whole/", LoopbackArchiveServer::Mode::Stalling, false},
    };
    TestUtil::writeFile(path("made/keep.txt"), "mine");
    ProjectDelegate::setDownloadTransferTimeout(300);
    server.setThrottle(64, 50);
    launch();
    for (const Case &each : cases) {
        server.setMode(each.mode);
        ProjectDelegate::setDownloadEndpoint(server.url(QString::fromLatin1(each.endpoint)));
        AlertAnswers alerts({QStringLiteral("OK")});
        PanelAnswers answers(QStringList{path("made")});
        item("createProjectSelected:")->trigger();
        ProjectDownload *download = controller()->currentDownload();
        ASSERT_NE(download, nullptr) << each.name;
        if (each.cancel) {
            auto *cancel = download->progressSheet()->findChild<QPushButton *>();
            ASSERT_NE(cancel, nullptr);
            EXPECT_EQ(cancel->text(), QStringLiteral("Cancel"));
            cancel->click();
        }
        ASSERT_TRUE(TestUtil::waitUntil([this] { return controller()->currentDownload() == nullptr; })) << each.name;
        EXPECT_EQ(alerts.messages.size(), 1) << each.name;
        EXPECT_EQ(QDir(path("made")).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
                  QStringList{QStringLiteral("keep.txt")})
            << each.name;
        EXPECT_EQ(TestUtil::readFile(path("made/keep.txt")), "mine") << each.name;
        EXPECT_EQ(project(path("made")), nullptr) << each.name;
        EXPECT_TRUE(leftovers().isEmpty()) << each.name << ": " << leftovers().join(u' ').toStdString();
    }
}

TEST_F(NewProjects, ADownloadReplacesAnExistingFolderOnlyOnceItIsUnpackedAndTheOldOneGoesToTheTrash)
{
    TestUtil::writeFile(path("made/keep.txt"), "mine");
    ProjectDelegate::setDownloadEndpoint(server.url(QStringLiteral("whole/")));
    launch();
    PanelAnswers answers(QStringList{path("made")});
    item("createProjectSelected:")->trigger();
    ASSERT_TRUE(TestUtil::waitUntil([this] { return project(path("made")) != nullptr; }));
    EXPECT_FALSE(QFileInfo::exists(path("made/keep.txt")));
    EXPECT_TRUE(QFileInfo::exists(path("made/index.html")));
    EXPECT_EQ(TestUtil::readFile(TemporaryHome::trashed(QStringLiteral("made")) + QStringLiteral("/keep.txt")), "mine");
}

} // namespace NewProjectsTest

#include "DragTestSupport.h"
#include "WorkspaceTestSupport.h"

#include "app/EXWindow.h"
#include "platform/kit/Alert.h"
#include "toolkit/FileDragPasteboard.h"

#include <QCoreApplication>
#include <QDir>
#include <QDirIterator>
#include <QDragEnterEvent>
#include <QMimeData>
#include <QStandardPaths>
#include <QUrl>

#include <unistd.h>

namespace ProjectDelegateDragTest {

namespace {

// Answers alerts in place of the user and keeps what they said.
class AlertAnswers
{
public:
    explicit AlertAnswers(int answer = Alert::FirstButtonReturn)
    {
        Alert::setResponder([this, answer](const Alert &alert) {
            messages << alert.messageText();
            details << alert.informativeText();
            return answer;
        });
    }
    ~AlertAnswers() { Alert::setResponder({}); }

    QStringList messages;
    QStringList details;
};

// The Trash of the tests' home, and what lands in it during a test.
class TrashWatch
{
public:
    TrashWatch() : m_before(entries()) {}
    ~TrashWatch()
    {
        for (const QString &name : added())
            QDir(folder() + u'/' + name).removeRecursively(), QFile::remove(folder() + u'/' + name);
    }
    static QString folder()
    {
        return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + QStringLiteral("/Trash/files");
    }
    QStringList added() const
    {
        QStringList now = entries();
        now.removeIf([this](const QString &name) { return m_before.contains(name); });
        return now;
    }

private:
    static QStringList entries() { return QDir(folder()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden); }
    QStringList m_before;
};

class TreeDrag : public WorkspaceTest
{
protected:
    void TearDown() override
    {
        DropSink::takeLastDrag();
        WorkspaceTest::TearDown();
    }

    void SetUp() override
    {
        WorkspaceTest::SetUp();
        QDir(home.path()).mkpath(QStringLiteral("outside/folderA"));
        QDir(home.path()).mkpath(QStringLiteral("outside/folderB"));
        TestUtil::writeFile(path("outside/photo.txt"), "from outside");
        TestUtil::writeFile(path("outside/main.css"), "outside main");
        TestUtil::writeFile(path("outside/folderA/a.html"), "<p>a</p>");
        remember({path("site"), path("other")});
        launch();
        delegate->ui().window->resize(1280, 800);
        TestUtil::spin(20);
    }

    // Rows of the tree, as a drag of them carries them.
    static std::unique_ptr<QMimeData> rows(const QStringList &paths)
    {
        auto data = std::make_unique<QMimeData>();
        data->setData(FileDragPasteboard::kInnerFileDragMove, FileDragPasteboard::archivePaths(paths));
        return data;
    }
    // Files of another program.
    static std::unique_ptr<QMimeData> files(const QStringList &paths)
    {
        auto data = std::make_unique<QMimeData>();
        FileDragPasteboard::setFileNames(data.get(), paths);
        return data;
    }

    // The middle of a node's row: onto the node.
    QPoint onto(File *node)
    {
        controller()->openAllParent(node->parentFile());
        const int row = tree()->rowForItem(node);
        EXPECT_GE(row, 0);
        return tree()->rectOfRow(row).center();
    }
    // The top edge of a project's row: the gap above it.
    QPoint gapAbove(File *project)
    {
        const int row = tree()->rowForItem(project);
        EXPECT_GE(row, 0);
        return tree()->rectOfRow(row).topLeft() + QPoint(40, 1);
    }

    // What the tree answers a drag held over the point.
    Qt::DropAction answer(const QMimeData &data, const QPoint &point)
    {
        QDragEnterEvent enter(point, Qt::CopyAction | Qt::MoveAction, &data, Qt::LeftButton, {});
        QCoreApplication::sendEvent(tree()->viewport(), &enter);
        QDragMoveEvent move(point, Qt::CopyAction | Qt::MoveAction, &data, Qt::LeftButton, {});
        QCoreApplication::sendEvent(tree()->viewport(), &move);
        return move.isAccepted() ? move.dropAction() : Qt::IgnoreAction;
    }
    // Drops at the point; answers whether the tree took the drop.
    bool drop(const QMimeData &data, const QPoint &point)
    {
        answer(data, point);
        QDropEvent dropped(point, Qt::CopyAction | Qt::MoveAction, &data, Qt::LeftButton, {});
        QCoreApplication::sendEvent(tree()->viewport(), &dropped);
        TestUtil::spin(20);
        return dropped.isAccepted();
    }

    bool exists(const char *relative) const { return QFileInfo::exists(path(relative)); }
    QByteArray text(const char *relative) const { return TestUtil::readFile(path(relative)); }
};

TEST_F(TreeDrag, RefusesAFolderIntoItsOwnSubFolderOntoAFileAndAboveTheFirstProject)
{
    EXPECT_EQ(answer(*rows({path("site/css")}), onto(node("site/css/deep"))), Qt::IgnoreAction);
    EXPECT_EQ(answer(*rows({path("site/js/app.js")}), onto(node("site/index.html"))), Qt::IgnoreAction);
    EXPECT_EQ(answer(*rows({path("site/js/app.js")}), gapAbove(controller()->projects().first())), Qt::IgnoreAction);
    // A folder elsewhere is a place to go.
    EXPECT_EQ(answer(*rows({path("site/js/app.js")}), onto(node("site/css/deep"))), Qt::MoveAction);
}

TEST_F(TreeDrag, MovesOnlyTheRowsThatComeFromElsewhere)
{
    File *css = node("site/css");
    EXPECT_EQ(answer(*rows({path("site/css/main.css")}), onto(css)), Qt::IgnoreAction);

    const auto both = rows({path("site/css/main.css"), path("site/js/app.js")});
    EXPECT_EQ(answer(*both, onto(css)), Qt::MoveAction);
    EXPECT_TRUE(drop(*both, onto(node("site/css"))));
    EXPECT_TRUE(exists("site/css/main.css"));
    EXPECT_TRUE(exists("site/css/app.js"));
    EXPECT_FALSE(exists("site/js/app.js"));
    // The moved file is the one selected, and the tree shows it.
    ASSERT_NE(controller()->selectedFile(), nullptr);
    EXPECT_EQ(controller()->selectedFile()->path(), path("site/css/app.js"));
    EXPECT_TRUE(shownRows().contains(QStringLiteral("app.js")));
}

TEST_F(TreeDrag, LeavesAFolderOutOfItselfEvenAmongRowsThatMay)
{
    const auto mixed = rows({path("site/css"), path("site/js/app.js")});
    EXPECT_EQ(answer(*mixed, onto(node("site/css/deep"))), Qt::MoveAction);
    EXPECT_TRUE(drop(*mixed, onto(node("site/css/deep"))));
    EXPECT_TRUE(exists("site/css/deep/theme.css"));
    EXPECT_FALSE(exists("site/css/deep/css"));
    EXPECT_TRUE(exists("site/css/deep/app.js"));
}

TEST_F(TreeDrag, TheGapBetweenProjectsMovesNothing)
{
    const QList<File *> projects = controller()->projects();
    ASSERT_EQ(projects.size(), 2);
    const auto moved = rows({path("site/js/app.js")});
    EXPECT_EQ(answer(*moved, gapAbove(projects[1])), Qt::MoveAction);
    EXPECT_TRUE(drop(*moved, gapAbove(controller()->projects()[1])));
    EXPECT_TRUE(exists("site/js/app.js"));
    EXPECT_EQ(controller()->projects().size(), 2);
}

TEST_F(TreeDrag, CopiesAFileFromOutsideAndMovesOneFromTheSameProject)
{
    const auto outside = files({path("outside/photo.txt")});
    EXPECT_EQ(answer(*outside, onto(node("site/css"))), Qt::CopyAction);
    EXPECT_TRUE(drop(*outside, onto(node("site/css"))));
    EXPECT_EQ(text("site/css/photo.txt"), "from outside");
    EXPECT_TRUE(exists("outside/photo.txt"));

    const auto inside = files({path("site/index.html")});
    EXPECT_EQ(answer(*inside, onto(node("site/css"))), Qt::MoveAction);
    EXPECT_TRUE(drop(*inside, onto(node("site/css"))));
    EXPECT_EQ(text("site/css/index.html"), "<p>hello</p>");
    EXPECT_FALSE(exists("site/index.html"));
}

TEST_F(TreeDrag, RefusesAddressesThatAreNoLocalFiles)
{
    QMimeData remote;
    remote.setUrls({QUrl(QStringLiteral("https://example.com/photo.png"))});
    EXPECT_EQ(answer(remote, onto(node("site/css"))), Qt::IgnoreAction);
    EXPECT_FALSE(drop(remote, onto(node("site/css"))));
    EXPECT_FALSE(exists("site/css/photo.png"));
}

TEST_F(TreeDrag, CancelOnANameClashLeavesBothFiles)
{
    AlertAnswers answers(Alert::SecondButtonReturn);
    EXPECT_TRUE(drop(*files({path("outside/main.css")}), onto(node("site/css"))));
    EXPECT_EQ(answers.messages, QStringList{QStringLiteral("\"main.css\" already exists. Do you want to replace it?")});
    EXPECT_EQ(text("site/css/main.css"), "p { color: red; }");
    EXPECT_EQ(text("outside/main.css"), "outside main");
}

TEST_F(TreeDrag, ReplaceSendsTheOldFileToTheTrash)
{
    TrashWatch trash;
    AlertAnswers answers(Alert::FirstButtonReturn);
    EXPECT_TRUE(drop(*files({path("outside/main.css")}), onto(node("site/css"))));
    EXPECT_EQ(text("site/css/main.css"), "outside main");
    ASSERT_EQ(trash.added().size(), 1);
    EXPECT_EQ(TestUtil::readFile(TrashWatch::folder() + u'/' + trash.added().first()), "p { color: red; }");
}

TEST_F(TreeDrag, AReplaceWhoseCopyFailsPutsTheOldFileBackAndSaysSo)
{
    // The dragged file went before the drop: the copy fails whoever runs it.
    TrashWatch trash;
    QFile::remove(path("outside/main.css"));
    AlertAnswers answers(Alert::FirstButtonReturn);
    EXPECT_TRUE(drop(*files({path("outside/main.css")}), onto(node("site/css"))));
    EXPECT_EQ(text("site/css/main.css"), "p { color: red; }");
    EXPECT_TRUE(trash.added().isEmpty());
    ASSERT_EQ(answers.messages.size(), 2);
    EXPECT_TRUE(answers.messages[1].contains(QStringLiteral("could not be placed")));
    EXPECT_TRUE(answers.details[1].contains(QStringLiteral("put back")));

    if (::geteuid() != 0) {
        // Without the right to read it, likewise.
        TestUtil::writeFile(path("outside/main.css"), "outside main");
        QFile::setPermissions(path("outside/main.css"), {});
        EXPECT_TRUE(drop(*files({path("outside/main.css")}), onto(node("site/css"))));
        EXPECT_EQ(text("site/css/main.css"), "p { color: red; }");
        QFile::setPermissions(path("outside/main.css"), QFile::ReadOwner | QFile::WriteOwner);
    }
}

TEST_F(TreeDrag, ACopyThatFailsForAnotherReasonIsNoNameClash)
{
    AlertAnswers answers;
    EXPECT_TRUE(drop(*files({path("outside/gone.txt")}), onto(node("site/css"))));
    ASSERT_EQ(answers.messages.size(), 1);
    EXPECT_FALSE(answers.messages.first().contains(QStringLiteral("already exists")));
    EXPECT_TRUE(answers.details.first().contains(QStringLiteral("gone.txt")));
    EXPECT_FALSE(exists("site/css/gone.txt"));
}

TEST_F(TreeDrag, FoldersOnTheTopLevelBecomeProjectsAndASingleFileIsRefused)
{
    const QList<File *> projects = controller()->projects();
    EXPECT_FALSE(drop(*files({path("outside/photo.txt")}), gapAbove(projects[1])));
    EXPECT_EQ(controller()->projects().size(), 2);

    const auto folders = files({path("outside/folderA"), path("outside/folderB")});
    EXPECT_EQ(answer(*folders, gapAbove(controller()->projects()[1])), Qt::CopyAction);
    EXPECT_TRUE(drop(*folders, gapAbove(controller()->projects()[1])));
    EXPECT_EQ(controller()->projects().size(), 4);
    EXPECT_TRUE(rootPathes().contains(path("outside/folderA")));
    EXPECT_TRUE(rootPathes().contains(path("outside/folderB")));
    ASSERT_TRUE(TestUtil::waitUntil([this] {
        return controller()->selectedFile() && controller()->selectedFile()->path() == path("outside/folderB");
    }));
    EXPECT_EQ(controller()->selectedItem(), controller()->selectedFile());
}

TEST_F(TreeDrag, AMovedFileKeepsItsUnsavedEdits)
{
    File *sheet = node("site/css/main.css");
    sheet->currentContent();
    sheet->setContent(QStringLiteral("p { color: green; }"));
    ASSERT_TRUE(sheet->isModified());
    EXPECT_TRUE(drop(*rows({path("site/css/main.css")}), onto(node("site/js"))));
    File *moved = node("site/js/main.css");
    ASSERT_NE(moved, nullptr);
    EXPECT_EQ(moved->content(), QStringLiteral("p { color: green; }"));
    EXPECT_TRUE(moved->isModified());
    EXPECT_EQ(text("site/js/main.css"), "p { color: red; }");
}

} // namespace

} // namespace ProjectDelegateDragTest

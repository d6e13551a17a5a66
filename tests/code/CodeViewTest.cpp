#include "TestPrinters.h"
#include "TestUtil.h"

#include "code/CodeView.h"
#include "code/LineNumberScrollView.h"
#include "code/NoodleLineNumberView.h"
#include "foundation/InspectUndoManager.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/kit/Alert.h"
#include "workspace/File.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

namespace {

// A style sheet of a project on disk, shown in a code view, with an undo
// manager of its own standing in for the application's.
class CodeViewTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        File::setUndoManagerProvider([this] { return &undo; });
        ASSERT_TRUE(TestUtil::writeFile(dir.filePath(QStringLiteral("site/a.css")), "a { top: 0; }"));
        root = std::make_unique<File>(dir.filePath(QStringLiteral("site")), true, nullptr);
        file = root->children().value(0);
        ASSERT_TRUE(file);
        // Opened a while ago: what is typed now is an edit.
        file->setOpenDate(file->openDate().addSecs(-10));
        view.setFile(file);
        view.setTextSilently(file->currentContent().value_or(QString()));
        view.moveCursor(QTextCursor::End);
        view.resize(400, 300);
    }

    void TearDown() override { File::setUndoManagerProvider({}); }

    // Lets the event loop end its turn, which closes the open undo group.
    static void endTurn() { TestUtil::spin(5); }

    QStringList postedBy(const std::function<void()> &action, const QStringList &names)
    {
        QStringList posted;
        QObject owner;
        for (const QString &name : names) {
            NotificationCenter::defaultCenter().addObserver(&owner, name, nullptr,
                                                            [&posted](const Notification &n) { posted << n.name; });
        }
        action();
        return posted;
    }

    InspectUndoManager undo;
    QTemporaryDir dir;
    std::unique_ptr<File> root;
    File *file = nullptr;
    CodeView view;
};

} // namespace

TEST_F(CodeViewTest, TypingStoresTheTextInTheFileWithOneUndoStepPerTurn)
{
    const QStringList posted = postedBy([this] { QTest::keyClicks(&view, QStringLiteral("ab")); },
                                        {QStringLiteral("refreshFileContent")});
    EXPECT_EQ(posted.size(), 2);
    endTurn();
    QTest::keyClicks(&view, QStringLiteral("c"));
    endTurn();
    EXPECT_EQ(file->content(), QStringLiteral("a { top: 0; }abc"));
    EXPECT_EQ(undo.undoActionName(), QStringLiteral("type"));
    EXPECT_TRUE(file->isModified());

    undo.undo();
    EXPECT_EQ(view.toPlainText(), QStringLiteral("a { top: 0; }ab"));
    undo.undo();
    EXPECT_EQ(view.toPlainText(), QStringLiteral("a { top: 0; }"));
    EXPECT_FALSE(undo.canUndo());
    EXPECT_FALSE(file->isModified());
    undo.redo();
    EXPECT_EQ(view.toPlainText(), QStringLiteral("a { top: 0; }ab"));
}

TEST_F(CodeViewTest, TextSetElsewhereReachesTheViewAndKeepsASelectionThatStillFits)
{
    QTextCursor cursor = view.textCursor();
    cursor.setPosition(2);
    cursor.setPosition(5, QTextCursor::KeepAnchor);
    view.setTextCursor(cursor);
    file->setContent(QStringLiteral("b { left: 1px; }"));
    EXPECT_EQ(view.toPlainText(), QStringLiteral("b { left: 1px; }"));
    EXPECT_EQ(view.textCursor().selectionStart(), 2);
    EXPECT_EQ(view.textCursor().selectionEnd(), 5);

    cursor.setPosition(0);
    cursor.setPosition(16, QTextCursor::KeepAnchor);
    view.setTextCursor(cursor);
    file->setContent(QStringLiteral("b {}"));
    EXPECT_EQ(view.toPlainText(), QStringLiteral("b {}"));
    EXPECT_FALSE(view.textCursor().hasSelection());
    // Setting the text from the view is no edit of its own.
    EXPECT_EQ(file->content(), QStringLiteral("b {}"));
}

TEST_F(CodeViewTest, SaveWritesTheTextAndAnnouncesItWithShiftAlsoTheRefresh)
{
    QTest::keyClicks(&view, QStringLiteral(" b{}"));
    QStringList posted = postedBy([this] { EXPECT_TRUE(view.save()); },
                                  {QStringLiteral("fileSavedByCommandS"), QStringLiteral("saveAndRefresh")});
    EXPECT_EQ(posted, QStringList{QStringLiteral("fileSavedByCommandS")});
    EXPECT_EQ(TestUtil::readFile(file->path()), QByteArray("a { top: 0; } b{}"));
    EXPECT_FALSE(file->isModified());

    posted = postedBy([this] { EXPECT_TRUE(view.save(Qt::ShiftModifier)); },
                      {QStringLiteral("fileSavedByCommandS"), QStringLiteral("saveAndRefresh")});
    EXPECT_EQ(posted, (QStringList{QStringLiteral("fileSavedByCommandS"), QStringLiteral("saveAndRefresh")}));
}

TEST_F(CodeViewTest, ASaveThatFailsNamesTheFileAndAnnouncesNothing)
{
    QTest::keyClicks(&view, QStringLiteral(" x"));
    ASSERT_TRUE(QDir(dir.filePath(QStringLiteral("site"))).removeRecursively());
    QStringList alerts;
    Alert::setResponder([&alerts](const Alert &alert) {
        alerts << alert.messageText();
        return int(Alert::FirstButtonReturn);
    });
    const QStringList posted = postedBy([this] { EXPECT_FALSE(view.save()); }, {QStringLiteral("fileSavedByCommandS")});
    Alert::setResponder({});
    EXPECT_TRUE(posted.isEmpty());
    ASSERT_EQ(alerts.size(), 1);
    EXPECT_TRUE(alerts.first().contains(QStringLiteral("a.css")));
}

TEST_F(CodeViewTest, UndoAndRedoKeysAreLeftToTheMenu)
{
    QKeyEvent undoKey(QEvent::ShortcutOverride, Qt::Key_Z, Qt::ControlModifier);
    QCoreApplication::sendEvent(&view, &undoKey);
    EXPECT_FALSE(undoKey.isAccepted());
    // Without a menu the keys still undo the shared history.
    QTest::keyClicks(&view, QStringLiteral("q"));
    endTurn();
    QTest::keyClick(&view, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(file->content(), QStringLiteral("a { top: 0; }"));
}

TEST_F(CodeViewTest, TheFocusMakesItTheSaveTarget)
{
    QVariantMap info;
    QObject owner;
    NotificationCenter::defaultCenter().addObserver(&owner, QStringLiteral("codeViewBecameFirstResponder"), &view,
                                                    [&info](const Notification &n) { info = n.userInfo; });
    view.show();
    view.activateWindow();
    view.setFocus(Qt::OtherFocusReason);
    ASSERT_TRUE(TestUtil::waitUntil([&info] { return !info.isEmpty(); }, 2000));
    EXPECT_EQ(info.value(QStringLiteral("file")).value<File *>(), file);
    EXPECT_EQ(info.value(QStringLiteral("textView")).value<QObject *>(), &view);
}

TEST(LineNumberScrollView, TheRulerComesWhenAskedAndWidensWithTheLineCount)
{
    LineNumberScrollView frame;
    auto *view = new CodeView;
    frame.setDocumentView(view);
    frame.setLineNumberVisible(false);
    EXPECT_EQ(frame.lineNumberView(), nullptr);
    frame.setLineNumberVisible(true);
    NoodleLineNumberView *ruler = frame.lineNumberView();
    ASSERT_TRUE(ruler);
    EXPECT_EQ(ruler->clientView(), view);
    view->setTextSilently(QStringLiteral("a\nb\nc"));
    const int narrow = ruler->width();
    view->setTextSilently(QString(QStringLiteral("x\n")).repeated(12000));
    EXPECT_GT(ruler->width(), narrow);
}

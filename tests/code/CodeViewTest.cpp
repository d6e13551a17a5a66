#include "TestPrinters.h"
#include "TestUtil.h"

#include "code/CSSSyntax.h"
#include "code/CodeView.h"
#include "foundation/InspectUndoManager.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/kit/Alert.h"
#include "toolkit/DragPayload.h"
#include "workspace/File.h"

#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QLineEdit>
#include <QMimeData>
#include <QSignalSpy>
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
        show(file);
    }

    void TearDown() override
    {
        Alert::setResponder({});
        File::setUndoManagerProvider({});
    }

    // The file in the view, the caret at the end, as the file viewer does.
    void show(File *shown)
    {
        view.setFile(shown);
        view.setString(shown->currentContent());
        view.moveCursor(QTextCursor::End);
        view.resize(400, 300);
    }

    // Answers like the project controller: a code view's edit stamps its file.
    void stampCodeViewEdits()
    {
        NotificationCenter::defaultCenter().addObserver(&owner, QStringLiteral("refreshFileContent"), &view,
                                                        [this](const Notification &) {
                                                            file->setLastContentChangeReason(File::CodeViewChange);
                                                        });
    }

    // Lets the event loop end its turn, which closes the open undo group.
    static void endTurn() { TestUtil::spin(5); }

    QStringList postedBy(const std::function<void()> &action, const QStringList &names)
    {
        QStringList posted;
        QObject listener;
        for (const QString &name : names) {
            NotificationCenter::defaultCenter().addObserver(&listener, name, nullptr,
                                                            [&posted](const Notification &n) { posted << n.name; });
        }
        action();
        return posted;
    }

    QStringList alertsDuring(const std::function<void()> &action)
    {
        QStringList alerts;
        Alert::setResponder([&alerts](const Alert &alert) {
            alerts << alert.messageText() + QLatin1Char('|') + alert.informativeText();
            return int(Alert::FirstButtonReturn);
        });
        action();
        Alert::setResponder({});
        return alerts;
    }

    // The point of a character of the view, as a drag over it would give it.
    QPoint pointOf(int position)
    {
        QTextCursor cursor(view.document());
        cursor.setPosition(position);
        return view.cursorRect(cursor).center();
    }

    // A drag that enters the view, moves to the character and drops there.
    void drop(QMimeData *mime, int position)
    {
        const QPoint point = pointOf(position);
        QDragEnterEvent enter(point, Qt::CopyAction, mime, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(view.viewport(), &enter);
        QDragMoveEvent move(point, Qt::CopyAction, mime, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(view.viewport(), &move);
        EXPECT_EQ(view.textCursor().position(), position);
        QDropEvent event(QPointF(point), Qt::CopyAction, mime, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(view.viewport(), &event);
    }

    InspectUndoManager undo;
    QTemporaryDir dir;
    std::unique_ptr<File> root;
    File *file = nullptr;
    QObject owner;
    CodeView view;
};

} // namespace

TEST_F(CodeViewTest, TypingStoresTheWholeTextUnderTypeWithOneRefreshPerKeyAndOneStepPerTurn)
{
    stampCodeViewEdits();
    const QStringList posted = postedBy([this] { QTest::keyClicks(&view, QStringLiteral("ab")); },
                                        {QStringLiteral("refreshFileContent")});
    EXPECT_EQ(posted.size(), 2);
    EXPECT_EQ(file->content(), QStringLiteral("a { top: 0; }ab"));
    EXPECT_EQ(undo.undoActionName(), QStringLiteral("type"));
    endTurn();
    QTest::keyClicks(&view, QStringLiteral("c"));
    endTurn();
    EXPECT_TRUE(file->isModified());

    // Undo comes back through the File's "reloadContent": file and view alike.
    const QStringList reloads = postedBy([this] { undo.undo(); }, {QStringLiteral("reloadContent")});
    EXPECT_EQ(reloads.size(), 1);
    EXPECT_EQ(file->content(), QStringLiteral("a { top: 0; }ab"));
    EXPECT_EQ(view.toPlainText(), QStringLiteral("a { top: 0; }ab"));
    undo.undo();
    EXPECT_EQ(view.toPlainText(), QStringLiteral("a { top: 0; }"));
    EXPECT_FALSE(undo.canUndo());
    EXPECT_FALSE(file->isModified());
    undo.redo();
    EXPECT_EQ(view.toPlainText(), QStringLiteral("a { top: 0; }ab"));
    EXPECT_EQ(file->content(), QStringLiteral("a { top: 0; }ab"));
}

TEST_F(CodeViewTest, ReloadsAndColouringNeverReachTheFileOrTheUndoManager)
{
    CSSSyntax colorer;
    view.setTextStorageDelegate(&colorer);
    QSignalSpy colored(&colorer, &SyntaxColoring::colored);
    const QStringList posted = postedBy(
        [&] {
            view.setString(QStringLiteral("b { left: 1px; }"));
            colorer.doColor(&view);
            ASSERT_TRUE(TestUtil::waitUntil([&] { return colored.size() == 1; }));
            view.reloadContent();
            endTurn();
        },
        {QStringLiteral("refreshFileContent"), QStringLiteral("fileContentChanged")});
    EXPECT_TRUE(posted.isEmpty());
    EXPECT_FALSE(undo.canUndo());
    EXPECT_EQ(file->content(), QStringLiteral("a { top: 0; }"));
    // The colours are the lines' display formats.
    EXPECT_FALSE(view.document()->firstBlock().layout()->formats().isEmpty());
}

TEST_F(CodeViewTest, AnEditChangesTheFileOnlyWhereItWasMade)
{
    // Windows line ends, an old Mac one and non-breaking spaces: the view
    // shows them as plain line breaks and spaces, the file keeps them.
    const QString text = QStringLiteral("a {\r\n  top:\u00a00;\r\n}\rb {}\n");
    file->setContent(text);
    undo.removeAllActions();
    show(file);
    QTextCursor cursor = view.textCursor();
    cursor.setPosition(11); // after "top:" and its non-breaking space
    view.setTextCursor(cursor);
    QTest::keyClicks(&view, QStringLiteral("1"));
    EXPECT_EQ(file->content(), QStringLiteral("a {\r\n  top:\u00a010;\r\n}\rb {}\n"));
    // A new line takes the file's first line end.
    QTest::keyClick(&view, Qt::Key_Return);
    EXPECT_EQ(file->content(), QStringLiteral("a {\r\n  top:\u00a01\r\n0;\r\n}\rb {}\n"));
    // Deleting a line end deletes both of its characters.
    QTest::keyClick(&view, Qt::Key_Backspace);
    QTest::keyClick(&view, Qt::Key_End);
    QTest::keyClick(&view, Qt::Key_Delete);
    EXPECT_EQ(file->content(), QStringLiteral("a {\r\n  top:\u00a010;}\rb {}\n"));
    EXPECT_EQ(view.string(), file->content());
}

TEST_F(CodeViewTest, AReloadMovesTheCaretByTheChangeInLength)
{
    file->setContent(QStringLiteral("0123456789"));
    show(file);
    QTextCursor cursor = view.textCursor();
    cursor.setPosition(6);
    view.setTextCursor(cursor);
    file->setContent(QStringLiteral("xx0123456789"));
    EXPECT_EQ(view.toPlainText(), QStringLiteral("xx0123456789"));
    EXPECT_EQ(view.textCursor().position(), 8);
    // Shortened by more than the caret's offset: the start.
    file->setContent(QStringLiteral("9"));
    EXPECT_EQ(view.textCursor().position(), 0);
    // At or past the end of the new text: the end.
    view.moveCursor(QTextCursor::End);
    file->setContent(QStringLiteral("98"));
    EXPECT_EQ(view.textCursor().position(), 2);
    EXPECT_FALSE(view.textCursor().hasSelection());
    // A change after the caret leaves it where it is.
    file->setContent(QStringLiteral("0123456789"));
    cursor = view.textCursor();
    cursor.setPosition(3);
    view.setTextCursor(cursor);
    file->setContent(QStringLiteral("0123456xx789"));
    EXPECT_EQ(view.textCursor().position(), 3);
}

TEST_F(CodeViewTest, CtrlSWritesTheBytesAndWithShiftAlsoRefreshesThePreview)
{
    QTest::keyClicks(&view, QStringLiteral(" b{}"));
    QStringList posted = postedBy([this] { QTest::keyClick(&view, Qt::Key_S, Qt::ControlModifier); },
                                  {QStringLiteral("fileSavedByCommandS"), QStringLiteral("saveAndRefresh")});
    EXPECT_EQ(posted, QStringList{QStringLiteral("fileSavedByCommandS")});
    EXPECT_EQ(TestUtil::readFile(file->path()), QByteArray("a { top: 0; } b{}"));
    EXPECT_FALSE(file->isModified());

    QTest::keyClicks(&view, QStringLiteral("!"));
    posted = postedBy([this] { QTest::keyClick(&view, Qt::Key_S, Qt::ControlModifier | Qt::ShiftModifier); },
                      {QStringLiteral("fileSavedByCommandS"), QStringLiteral("saveAndRefresh")});
    EXPECT_EQ(posted, (QStringList{QStringLiteral("fileSavedByCommandS"), QStringLiteral("saveAndRefresh")}));
    EXPECT_EQ(TestUtil::readFile(file->path()), QByteArray("a { top: 0; } b{}!"));
}

TEST_F(CodeViewTest, ASaveIntoAFolderReplacedByAPlainFileAlertsWithTheReasonAndStaysModified)
{
    QTest::keyClicks(&view, QStringLiteral(" x"));
    const QString site = dir.filePath(QStringLiteral("site"));
    ASSERT_TRUE(QDir(site).removeRecursively());
    ASSERT_TRUE(TestUtil::writeFile(site, "not a folder"));
    QStringList posted;
    const QStringList alerts = alertsDuring([&] {
        posted = postedBy([this] { EXPECT_FALSE(view.save()); },
                          {QStringLiteral("fileSavedByCommandS"), QStringLiteral("saveAndRefresh")});
    });
    EXPECT_TRUE(posted.isEmpty());
    ASSERT_EQ(alerts.size(), 1);
    EXPECT_TRUE(alerts.first().contains(QStringLiteral("a.css")));
    EXPECT_FALSE(file->lastSaveError().isEmpty());
    EXPECT_TRUE(alerts.first().contains(file->lastSaveError()));
    EXPECT_TRUE(file->isModified());
    EXPECT_EQ(view.toPlainText(), QStringLiteral("a { top: 0; } x"));
    EXPECT_EQ(file->content(), QStringLiteral("a { top: 0; } x"));
    EXPECT_EQ(TestUtil::readFile(site), QByteArray("not a folder"));
}

TEST_F(CodeViewTest, ADocumentOfThePreviewsFramesIsNeitherSavedNorRefreshed)
{
    file->setIsWebframeFile(true);
    QTest::keyClicks(&view, QStringLiteral(" y"));
    const QStringList posted = postedBy(
        [this] {
            EXPECT_FALSE(view.doSaveAndRefresh());
            EXPECT_FALSE(view.saveCurrentFile());
        },
        {QStringLiteral("saveAndRefresh"), QStringLiteral("fileSavedByCommandS")});
    EXPECT_TRUE(posted.isEmpty());
    EXPECT_EQ(TestUtil::readFile(file->path()), QByteArray("a { top: 0; }"));
}

TEST_F(CodeViewTest, DroppedElementNamesAndSnippetsLandAtThePointer)
{
    file->setContent(QStringLiteral("<body>\n\n</body>"));
    show(file);
    undo.removeAllActions();
    const auto dropElement = [this](const QVariant &value, int position) {
        QMimeData mime;
        DragPayload::setDomNodeDragCopy(&mime, value);
        drop(&mime, position);
    };
    dropElement(QStringLiteral("br"), 7);
    EXPECT_EQ(file->content(), QStringLiteral("<body>\n<br />\n</body>"));
    dropElement(QStringLiteral("div"), 13);
    EXPECT_EQ(file->content(), QStringLiteral("<body>\n<br /><div></div>\n</body>"));
    dropElement(QStringLiteral("a href"), 7);
    EXPECT_EQ(file->content(), QStringLiteral("<body>\n<a href></a><br /><div></div>\n</body>"));
    dropElement(QVariantMap{{QStringLiteral("content"), QStringLiteral("<nav></nav>")}}, 0);
    EXPECT_EQ(file->content(), QStringLiteral("<nav></nav><body>\n<a href></a><br /><div></div>\n</body>"));
    endTurn();
    // Text, and the caret after what was dropped.
    QMimeData text;
    text.setText(QStringLiteral("hi"));
    drop(&text, 11);
    EXPECT_TRUE(file->content()->startsWith(QStringLiteral("<nav></nav>hi<body>")));
    EXPECT_EQ(view.textCursor().position(), 13);
    // Unusable data inserts nothing.
    QMimeData broken;
    broken.setData(QStringLiteral("DomNodeDragCopy"), QByteArray("\x01\x02"));
    const QString before = file->content().value();
    drop(&broken, 0);
    EXPECT_EQ(file->content(), before);
    // A drop is an edit, undone as one.
    endTurn();
    undo.undo();
    EXPECT_EQ(file->content(), QStringLiteral("<nav></nav><body>\n<a href></a><br /><div></div>\n</body>"));
}

TEST_F(CodeViewTest, PastingTakesThePlainTextOnly)
{
    QMimeData mime;
    mime.setHtml(QStringLiteral("<b>bold</b>"));
    mime.setText(QStringLiteral(" plain"));
    QMimeData *clip = new QMimeData;
    clip->setHtml(mime.html());
    clip->setText(mime.text());
    QApplication::clipboard()->setMimeData(clip);
    view.paste();
    EXPECT_EQ(file->content(), QStringLiteral("a { top: 0; } plain"));
    EXPECT_FALSE(view.document()->toHtml().contains(QStringLiteral("font-weight:700")));
}

TEST_F(CodeViewTest, AFileSavedElsewhereUpdatesOnlyAViewWithoutTheFocus)
{
    QWidget window;
    CodeView other(&window);
    other.setFile(file);
    other.setString(file->currentContent());
    auto *third = new QLineEdit(&window);
    window.show();
    const auto saved = [this](const QString &text) {
        NotificationCenter::defaultCenter().postNotificationName(
            QStringLiteral("fileSaved"), this,
            {{QStringLiteral("file"), QVariant::fromValue(file)}, {QStringLiteral("content"), text}});
    };
    other.setFocus();
    saved(QStringLiteral("a {}"));
    EXPECT_EQ(other.toPlainText(), QStringLiteral("a { top: 0; }"));
    third->setFocus();
    saved(QStringLiteral("a {}"));
    EXPECT_EQ(other.toPlainText(), QStringLiteral("a {}"));
    // Showing what was saved is no edit.
    EXPECT_EQ(file->content(), QStringLiteral("a { top: 0; }"));
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
    NotificationCenter::defaultCenter().addObserver(&owner, QStringLiteral("codeViewBecameFirstResponder"), &view,
                                                    [&info](const Notification &n) { info = n.userInfo; });
    view.show();
    view.activateWindow();
    view.setFocus(Qt::OtherFocusReason);
    ASSERT_TRUE(TestUtil::waitUntil([&info] { return !info.isEmpty(); }, 2000));
    EXPECT_EQ(info.value(QStringLiteral("file")).value<File *>(), file);
    EXPECT_EQ(info.value(QStringLiteral("textView")).value<QObject *>(), &view);
}

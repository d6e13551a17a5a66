#include "TestPrinters.h"
#include "TestUtil.h"

#include "code/CSSSyntax.h"
#include "code/LargeTextView.h"
#include "code/LineNumberScrollView.h"
#include "code/TextFinder.h"
#include "foundation/InspectUndoManager.h"
#include "platform/kit/Alert.h"
#include "workspace/File.h"

#include <QApplication>
#include <QClipboard>
#include <QRegularExpression>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>

namespace LargeTextViewTest {

namespace {

// A style sheet of many short rules with "\r\n" line ends, and a few lines
// longer than a row.
QByteArray sheetBytes(int rules)
{
    QByteArray bytes;
    for (int i = 0; i < rules; ++i) {
        bytes += QStringLiteral("/* rule %1 */\r\n.r%1 {\r\n  margin: %1px;\r\n}\r\n").arg(i).toUtf8();
        if (i % 1000 == 500)
            bytes += ".long { content: \"" + QByteArray(LargeTextView::kRowLength * 2 + 100, 'x') + "\"; }\r\n";
    }
    return bytes;
}

// The text's lines, each cut into rows as the view cuts them.
QStringList expectedRows(const QString &text)
{
    QStringList rows;
    for (const QString &line : text.split(QRegularExpression(QStringLiteral("\r\n|\r|\n")))) {
        for (qsizetype at = 0; at == 0 || at < line.size(); at += LargeTextView::kRowLength)
            rows.append(line.mid(at, LargeTextView::kRowLength));
    }
    return rows;
}

QStringList shownRows(const LargeTextView &view)
{
    QStringList rows;
    for (int row = 0; row < view.rowCount(); ++row)
        rows.append(view.rowText(row));
    return rows;
}

// A large text's view in its frame with its find bar, shown with the
// keyboard, over a file of a project on disk, with an undo manager of its own.
class LargeTextViewTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        File::setUndoManagerProvider([this] { return &undo; });
        view = new LargeTextView;
        frame.setLargeTextView(view);
        finder = new TextFinder(&frame);
        finder->setLargeClient(view);
        finder->setFindBarContainer(&frame);
        finder->setIncrementalSearchingEnabled(true);
        frame.resize(600, 400);
        frame.show();
        frame.activateWindow();
        view->setFocus();
        ASSERT_TRUE(TestUtil::waitUntil([this] { return view->hasFocus(); }, 2000));
    }

    void TearDown() override { File::setUndoManagerProvider({}); }

    // The file with those bytes, its text on its way to the view.
    File *load(const QByteArray &bytes)
    {
        bytesOnDisk = bytes;
        const QString site = dir.path() + QStringLiteral("/site");
        EXPECT_TRUE(TestUtil::writeFile(site + QStringLiteral("/large.css"), bytes));
        root = std::make_unique<File>(site, true, nullptr);
        File *sheet = root->children().value(0);
        if (!sheet)
            return nullptr;
        // Opened a while ago: what is typed now is an edit.
        sheet->setOpenDate(sheet->openDate().addSecs(-10));
        view->setFile(sheet);
        view->setColorer(&colorer);
        view->loadFileText();
        return sheet;
    }

    File *open(const QByteArray &bytes)
    {
        File *sheet = load(bytes);
        EXPECT_TRUE(TestUtil::waitUntil([this] { return !view->isLoadingText(); }, 30000));
        return sheet;
    }

    void key(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) { QTest::keyClick(view, key, modifiers); }
    void type(const QString &text) { QTest::keyClicks(view, text); }
    // Lets the event loop end its turn, which closes the open undo group.
    static void endTurn() { TestUtil::spin(5); }
    QByteArray saved(File *sheet) const { return sheet->save() ? TestUtil::readFile(sheet->path()) : QByteArray(); }
    QString statusText() const { return finder->statusText(); }

    InspectUndoManager undo;
    CSSSyntax colorer;
    QTemporaryDir dir;
    std::unique_ptr<File> root;
    QByteArray bytesOnDisk;
    LineNumberScrollView frame;
    LargeTextView *view = nullptr;
    TextFinder *finder = nullptr;
};

} // namespace

TEST_F(LargeTextViewTest, ShowsTheWholeTextInRowsAndSavesItByteIdenticalUnedited)
{
    File *sheet = open(sheetBytes(3000));
    ASSERT_TRUE(sheet);
    const QString text = QString::fromUtf8(bytesOnDisk);
    EXPECT_EQ(view->string(), text);
    EXPECT_EQ(shownRows(*view), expectedRows(text));
    EXPECT_EQ(view->lineCount(), int(text.count(QStringLiteral("\r\n"))) + 1);
    EXPECT_FALSE(sheet->isModified());
    EXPECT_EQ(saved(sheet), bytesOnDisk);
}

TEST_F(LargeTextViewTest, ColoursTheRowsInViewWhereverTheViewIs)
{
    ASSERT_TRUE(open(sheetBytes(3000)));
    ASSERT_TRUE(TestUtil::waitUntil([this] { return !view->rowColors(0).isEmpty(); }, 2000));
    view->verticalScrollBar()->setValue(view->verticalScrollBar()->maximum());
    const int last = view->visibleRows().second;
    // The last rule's property, before its brace and the empty last line.
    EXPECT_EQ(view->rowText(last - 1), QStringLiteral("}"));
    EXPECT_TRUE(TestUtil::waitUntil([&] { return !view->rowColors(last - 2).isEmpty(); }, 2000));
}

TEST_F(LargeTextViewTest, EditsChangeTheFileOnlyWhereMadeAndUndoGivesTheOriginalBytes)
{
    File *sheet = open(sheetBytes(3000));
    ASSERT_TRUE(sheet);
    const QString original = view->string();
    // Typing at the end of the first line, a new line, a character deleted
    // each way, and a line break taken out whole.
    view->select(12, 12);
    type(QStringLiteral(" new"));
    key(Qt::Key_Return);
    type(QStringLiteral("ab"));
    key(Qt::Key_Backspace);
    key(Qt::Key_Left);
    key(Qt::Key_Delete);
    key(Qt::Key_End);
    key(Qt::Key_Delete);
    endTurn();
    // The old line break went, the typed one stays.
    const QString expected = QString(original).insert(12, QStringLiteral(" new"));
    EXPECT_EQ(view->string(), expected);
    EXPECT_EQ(sheet->content(), expected);
    EXPECT_EQ(shownRows(*view), expectedRows(expected));
    EXPECT_TRUE(sheet->isModified());
    EXPECT_EQ(saved(sheet), expected.toUtf8());

    undo.undo();
    EXPECT_EQ(view->string(), original);
    EXPECT_EQ(shownRows(*view), expectedRows(original));
    EXPECT_EQ(saved(sheet), bytesOnDisk);
    undo.redo();
    EXPECT_EQ(view->string(), expected);
}

TEST_F(LargeTextViewTest, KeysLeaveTheTextAsReadWholeAndItsSnapshotsAndModifiedStateTrue)
{
    File *sheet = open(sheetBytes(3000));
    ASSERT_TRUE(sheet);
    // The file viewer's snapshot on opening.
    sheet->addHistory(FileHistory::Occasion::Opened);
    const QString original = view->string();
    view->select(20, 20);
    type(QStringLiteral("abc"));
    endTurn();
    // Kept in pieces over the text as read, which tell the modified state.
    ASSERT_TRUE(sheet->textPieces());
    EXPECT_TRUE(sheet->isModified());
    EXPECT_TRUE(sheet->textPieces());
    for (int i = 0; i < 3; ++i)
        key(Qt::Key_Backspace);
    endTurn();
    EXPECT_FALSE(sheet->isModified());
    EXPECT_EQ(view->string(), original);

    type(QStringLiteral("z"));
    endTurn();
    QString expected = QString(original).insert(20, u'z');
    EXPECT_EQ(sheet->histories().constFirst().content(), original);
    // A snapshot makes the text whole; keys go on after it.
    sheet->addHistory(FileHistory::Occasion::Opened);
    EXPECT_FALSE(sheet->textPieces());
    ASSERT_EQ(sheet->histories().size(), 2);
    EXPECT_EQ(sheet->histories().constFirst().content(), expected);
    EXPECT_EQ(sheet->histories().constLast().content(), original);
    view->select(0, 0);
    type(QStringLiteral("y"));
    endTurn();
    expected.prepend(u'y');
    EXPECT_EQ(view->string(), expected);
    EXPECT_EQ(shownRows(*view), expectedRows(expected));
    EXPECT_EQ(saved(sheet), expected.toUtf8());
    EXPECT_FALSE(sheet->isModified());
    // Undo goes back through the keys, in pieces as they were made.
    undo.undo();
    undo.undo();
    EXPECT_EQ(view->string(), original);
    EXPECT_EQ(shownRows(*view), expectedRows(original));
    EXPECT_EQ(saved(sheet), bytesOnDisk);
}

TEST_F(LargeTextViewTest, RowsFollowEditsAcrossLongLinesAndLineEnds)
{
    ASSERT_TRUE(open(sheetBytes(1200)));
    const int longLine = int(view->string().indexOf(QStringLiteral(".long")));
    ASSERT_GT(longLine, 0);
    // A line break into the long line, one taken out before it, and a
    // pasted one in the file's line end.
    view->select(longLine + 100, longLine + 100);
    key(Qt::Key_Return);
    view->select(longLine - 2, longLine - 2);
    key(Qt::Key_Delete);
    QApplication::clipboard()->setText(QStringLiteral("a\nb"));
    view->select(2, 2);
    key(Qt::Key_V, Qt::ControlModifier);
    endTurn();
    EXPECT_EQ(shownRows(*view), expectedRows(view->string()));
    EXPECT_TRUE(view->string().startsWith(QStringLiteral("/*a\r\nb rule 0")));

    // Lines that end each their own way; "\r" and "\n" that meet make one break.
    view->setString(QStringLiteral("a\rb\nc\r\nd"));
    view->select(2, 2);
    key(Qt::Key_Delete);
    EXPECT_EQ(view->string(), QStringLiteral("a\r\nc\r\nd"));
    EXPECT_EQ(shownRows(*view), QStringList({"a", "c", "d"}));
}

TEST_F(LargeTextViewTest, CopiesAndCutsTheSelectionAndPastesIt)
{
    File *sheet = open(sheetBytes(10));
    ASSERT_TRUE(sheet);
    const QString original = view->string();
    view->select(0, 15);
    key(Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(QApplication::clipboard()->text(), QStringLiteral("/* rule 0 */\n."));
    key(Qt::Key_X, Qt::ControlModifier);
    key(Qt::Key_End);
    key(Qt::Key_V, Qt::ControlModifier);
    endTurn();
    EXPECT_EQ(sheet->content(), QString(original.mid(15, 4) + original.left(15) + original.mid(19)));

    // A pasted line separator stays one, as in the code view; a line break
    // takes the file's line end.
    const QString before = *sheet->content();
    QApplication::clipboard()->setText(QStringLiteral("a\u2028b\nc"));
    key(Qt::Key_Home, Qt::ControlModifier);
    key(Qt::Key_V, Qt::ControlModifier);
    endTurn();
    EXPECT_EQ(sheet->content(), QStringLiteral("a\u2028b\r\nc") + before);
}

TEST_F(LargeTextViewTest, AnEditTheFilesEncodingCannotHoldAndTheUserCancelsLeavesTheFilesText)
{
    File *sheet = open("/* caf\xe9 */\r\n.a { margin: 0; }\r\n");
    ASSERT_TRUE(sheet);
    Alert::setResponder([](const Alert &) { return int(Alert::SecondButtonReturn); });
    // A text the view was given, not the File's own.
    view->setString(*sheet->content() + QString());
    const QString before = *sheet->content();
    // At the end, where rows the view counted for the edit would reach past the text.
    view->select(int(before.size()), int(before.size()));
    view->insertText(QStringLiteral("\u4e2d\r\n\r\n"));
    view->update();
    endTurn();
    endTurn();
    Alert::setResponder({});
    EXPECT_EQ(sheet->content(), before);
    EXPECT_EQ(view->string(), before);
    EXPECT_EQ(shownRows(*view), expectedRows(before));
    EXPECT_EQ(saved(sheet), bytesOnDisk);
}

TEST_F(LargeTextViewTest, FindsMatchesInTheTextAndSelectsThem)
{
    ASSERT_TRUE(open(sheetBytes(30)));
    finder->performAction(TextFinder::ShowFindInterface);
    finder->setSearchString(QStringLiteral("MARGIN: 2"));
    const int first = int(view->string().indexOf(QStringLiteral("margin: 2")));
    EXPECT_EQ(view->selectionStart(), first);
    EXPECT_EQ(view->selectedText(), QStringLiteral("margin: 2"));
    EXPECT_EQ(statusText(), QStringLiteral("1 of 11"));
    finder->performAction(TextFinder::PreviousMatch);
    EXPECT_EQ(statusText(), QStringLiteral("11 of 11"));
    finder->performAction(TextFinder::NextMatch);
    EXPECT_EQ(view->selectionStart(), first);
}

TEST_F(LargeTextViewTest, KeysTypedBeforeTheTextArrivesAreKeptAheadOfItAsOneStep)
{
    File *sheet = load(sheetBytes(40000));
    ASSERT_TRUE(sheet);
    ASSERT_TRUE(view->isLoadingText());
    type(QStringLiteral("/* mine */"));
    key(Qt::Key_Return);
    ASSERT_TRUE(TestUtil::waitUntil([this] { return !view->isLoadingText(); }, 30000));
    endTurn();
    const QString whole = QStringLiteral("/* mine */\n") + QString::fromUtf8(bytesOnDisk);
    EXPECT_EQ(view->string(), whole);
    EXPECT_EQ(sheet->content(), whole);
    undo.undo();
    EXPECT_EQ(view->string(), QString::fromUtf8(bytesOnDisk));
    EXPECT_EQ(saved(sheet), bytesOnDisk);
}

TEST_F(LargeTextViewTest, FollowsAChangeMadeOutsideUnlessItHoldsUnsavedEdits)
{
    File *sheet = open(sheetBytes(20));
    ASSERT_TRUE(sheet);
    const QByteArray theirs = sheetBytes(25);
    ASSERT_TRUE(TestUtil::writeFile(sheet->path(), theirs));
    root->setUpChildren();
    EXPECT_EQ(view->string(), QString::fromUtf8(theirs));
    EXPECT_EQ(shownRows(*view), expectedRows(view->string()));

    // Typed, then changed outside again: the edit stays, and is not saved
    // over the other program's version unasked.
    view->select(0, 0);
    type(QStringLiteral("x"));
    endTurn();
    const QByteArray later = sheetBytes(30);
    ASSERT_TRUE(TestUtil::writeFile(sheet->path(), later));
    root->setUpChildren();
    EXPECT_EQ(view->string(), QStringLiteral("x") + QString::fromUtf8(theirs));
    EXPECT_FALSE(sheet->save());
    EXPECT_EQ(TestUtil::readFile(sheet->path()), later);
}

} // namespace LargeTextViewTest

#include "CodeViewFixture.h"

#include "code/CodeViewController.h"

#include <QKeyEvent>
#include <QPlainTextEdit>

namespace {

using CodeViewKeys = CodeViewFixture;

} // namespace

TEST_F(CodeViewKeys, ReturnInAScriptKeepsTheLineTabsAndAddsOneAfterAnOpeningBrace)
{
    open(QStringLiteral("a.js"), QStringLiteral("\t\tif (a) {"));
    key(Qt::Key_Return);
    EXPECT_EQ(marked(), QStringLiteral("\t\tif (a) {\n\t\t\t|"));

    // A tab after the caret counts for one of them.
    open(QStringLiteral("b.js"), QStringLiteral("\t\tx|\ty"));
    key(Qt::Key_Return);
    EXPECT_EQ(marked(), QStringLiteral("\t\tx\n\t|\ty"));
}

TEST_F(CodeViewKeys, ReturnInAPageOrStyleSheetWithoutThePopupIsABareLineBreak)
{
    open(QStringLiteral("a.css"), QStringLiteral("\ta {"));
    key(Qt::Key_Return);
    EXPECT_EQ(marked(), QStringLiteral("\ta {\n|"));

    // An empty file too (Qt counts the document's closing mark in that edit).
    File *empty = open(QStringLiteral("b.html"), QString());
    key(Qt::Key_Return);
    EXPECT_EQ(marked(), QStringLiteral("\n|"));
    EXPECT_EQ(empty->content(), QStringLiteral("\n"));
}

TEST_F(CodeViewKeys, IndentTakesTheCaretLineAndMovesTheCaretAsOneUndoStep)
{
    File *file = open(QStringLiteral("a.css"), QStringLiteral("a {\nto|p: 0;\n}"));
    endTurn();
    key(Qt::Key_Backslash, Qt::ControlModifier);
    EXPECT_EQ(marked(), QStringLiteral("a {\n\tto|p: 0;\n}"));
    EXPECT_EQ(file->content(), QStringLiteral("a {\n\ttop: 0;\n}"));
    endTurn();
    undo.undo();
    EXPECT_EQ(file->currentContent(), QStringLiteral("a {\ntop: 0;\n}"));
}

TEST_F(CodeViewKeys, ASelectionEndingAtALineStartLeavesThatLineAlone)
{
    open(QStringLiteral("a.css"), QStringLiteral("one\ntwo\nthree"));
    select(0, 8);
    key(Qt::Key_Backslash, Qt::ControlModifier);
    EXPECT_EQ(marked(), QStringLiteral("\t[one\n\ttwo\n]three"));
    key(Qt::Key_BracketRight, Qt::ControlModifier);
    EXPECT_EQ(marked(), QStringLiteral("[one\ntwo\n]three"));
}

TEST_F(CodeViewKeys, OutdentOfMixedLinesMovesTheStartBackOnlyForATabBeforeIt)
{
    // The first line's tab is inside the selection: the start stays.
    open(QStringLiteral("a.css"), QStringLiteral("x\n\ta\nb\n\tc"));
    select(2, 9);
    key(Qt::Key_BracketRight, Qt::ControlModifier);
    EXPECT_EQ(marked(), QStringLiteral("x\n[a\nb\nc]"));

    // The tab stands before the start: the start moves back with it.
    open(QStringLiteral("b.css"), QStringLiteral("x\n\ta\nb\n\tc"));
    select(3, 9);
    key(Qt::Key_BracketRight, Qt::ControlModifier);
    EXPECT_EQ(marked(), QStringLiteral("x\n[a\nb\nc]"));

    // A caret at the head of an indented line stays at its head.
    open(QStringLiteral("c.css"), QStringLiteral("x\n|\ta"));
    key(Qt::Key_BracketRight, Qt::ControlModifier);
    EXPECT_EQ(marked(), QStringLiteral("x\n|a"));
}

TEST_F(CodeViewKeys, AnEmptyBlockIsLeftAlone)
{
    open(QStringLiteral("a.css"), QString());
    key(Qt::Key_Backslash, Qt::ControlModifier);
    EXPECT_EQ(marked(), QStringLiteral("|"));
    open(QStringLiteral("b.css"), QStringLiteral("a\n|"));
    key(Qt::Key_Backslash, Qt::ControlModifier);
    key(Qt::Key_BracketRight, Qt::ControlModifier);
    EXPECT_EQ(marked(), QStringLiteral("a\n|"));
}

TEST_F(CodeViewKeys, TheViewClaimsItsIndentKeysBeforeTheMenus)
{
    open(QStringLiteral("a.css"), QStringLiteral("a"));
    QKeyEvent outdent(QEvent::ShortcutOverride, Qt::Key_BracketRight, Qt::ControlModifier);
    outdent.ignore();
    QCoreApplication::sendEvent(&view, &outdent);
    EXPECT_TRUE(outdent.isAccepted());
}

TEST(CodeViewCloseTag, ClosesOnlyBeforeABlankALineBreakOrATag)
{
    EXPECT_EQ(CodeView::getCloseTag(u' ', QStringLiteral("p")), QStringLiteral("></p>"));
    EXPECT_EQ(CodeView::getCloseTag(u'\n', QStringLiteral("p")), QStringLiteral("></p>"));
    EXPECT_EQ(CodeView::getCloseTag(u'<', QStringLiteral("div")), QStringLiteral("></div>"));
    EXPECT_EQ(CodeView::getCloseTag(u'x', QStringLiteral("p")), QString());
    EXPECT_EQ(CodeView::getCloseTag(QChar(), QStringLiteral("p")), QString());
}

namespace {

// A plain text view with the block editing controller.
class CodeViewControllerTest : public ::testing::Test
{
protected:
    CodeViewControllerTest() { new CodeViewController(&edit); }

    void setMarked(QString text)
    {
        const qsizetype open = text.indexOf(u'[');
        const qsizetype close = text.indexOf(u']') - 1;
        text.remove(u'[').remove(u']');
        const qsizetype caret = text.indexOf(u'|');
        text.remove(u'|');
        edit.setPlainText(text);
        QTextCursor cursor = edit.textCursor();
        cursor.setPosition(int(open >= 0 ? open : caret));
        cursor.setPosition(int(open >= 0 ? close : caret), QTextCursor::KeepAnchor);
        edit.setTextCursor(cursor);
    }

    QString marked() const { return markedText(edit); }

    QPlainTextEdit edit;
};

} // namespace

TEST_F(CodeViewControllerTest, TabIndentsSelectedLinesAndIsAPlainTabWithoutASelection)
{
    setMarked(QStringLiteral("a|b\nc"));
    QTest::keyClick(&edit, Qt::Key_Tab);
    EXPECT_EQ(marked(), QStringLiteral("a\t|b\nc"));

    setMarked(QStringLiteral("o[ne\ntw]o\nthree"));
    QTest::keyClick(&edit, Qt::Key_Tab);
    EXPECT_EQ(marked(), QStringLiteral("[\tone\n\ttwo\n]three"));
    QTest::keyClick(&edit, Qt::Key_Backtab, Qt::ShiftModifier);
    EXPECT_EQ(marked(), QStringLiteral("[one\ntwo\n]three"));
    edit.undo();
    EXPECT_EQ(edit.toPlainText(), QStringLiteral("\tone\n\ttwo\nthree")) << "one undo step each";
}

TEST_F(CodeViewControllerTest, AltUpAndDownMoveTheLinesAndTheFirstLineStays)
{
    setMarked(QStringLiteral("o|ne\ntwo\nthree"));
    QTest::keyClick(&edit, Qt::Key_Up, Qt::AltModifier);
    EXPECT_EQ(edit.toPlainText(), QStringLiteral("one\ntwo\nthree"));

    setMarked(QStringLiteral("one\nt|wo\nthree"));
    QTest::keyClick(&edit, Qt::Key_Up, Qt::AltModifier);
    EXPECT_EQ(marked(), QStringLiteral("[two\n]one\nthree"));
    QTest::keyClick(&edit, Qt::Key_Down, Qt::AltModifier);
    EXPECT_EQ(marked(), QStringLiteral("one\n[two\n]three"));
    QTest::keyClick(&edit, Qt::Key_Down, Qt::AltModifier);
    EXPECT_EQ(marked(), QStringLiteral("one\nthree\n[two]"));
    QTest::keyClick(&edit, Qt::Key_Up, Qt::AltModifier);
    EXPECT_EQ(marked(), QStringLiteral("one\n[two\n]three"));
}

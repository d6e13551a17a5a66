#include "WorkspaceTestSupport.h"

#include "app/EXWindow.h"
#include "code/CodeAssistContext.h"
#include "code/CodeView.h"
#include "code/ReferenceView.h"
#include "platform/kit/ColorPanel.h"

#include <QColorDialog>

#include <QTest>

#include <gtest/gtest.h>

// Typing in a page and a style sheet of a project in the main window, as a
// new user does: the list follows the typing, Return completes, Ctrl+Z (the
// Edit menu's) takes the completion back, and the focus never leaves the
// editor. The editor's keys come before the menus' while it has the focus.
TEST_F(WorkspaceTest, TypingInAPageAndAStyleSheetCompletesAndUndoesWithTheMenusKeys)
{
    TestUtil::writeFile(path("site/index.html"), "<body>\n\n</body>\n");
    TestUtil::writeFile(path("site/css/a.css"), "p {\n\tcol\n}\n");
    remember({path("site")});
    FakePreviewHalf preview;
    launch(&preview);
    delegate->ui().window->show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(delegate->ui().window));
    ASSERT_TRUE(viewer()->popup());

    File *page = node("site/index.html");
    ASSERT_TRUE(page);
    select(page);
    CodeView *view = viewer()->mainCodeView();
    ASSERT_TRUE(view && view->file() == page);
    EXPECT_EQ(view->popup(), viewer()->popup());
    view->setFocus();
    ASSERT_TRUE(TestUtil::waitUntil([view] { return view->hasFocus(); }));
    QTextCursor cursor = view->textCursor();
    cursor.setPosition(7);
    view->setTextCursor(cursor);

    QTest::keyClicks(view, QStringLiteral("<div"));
    ASSERT_TRUE(CodeAssistContext::shared().popupShown);
    TestUtil::spin(5);
    QTest::keyClick(view, Qt::Key_Return);
    EXPECT_EQ(view->toPlainText(), QStringLiteral("<body>\n<div></div>\n</body>\n"));
    EXPECT_EQ(view->textCursor().position(), 12);
    EXPECT_TRUE(view->hasFocus());
    TestUtil::spin(5);
    QTest::keyClick(view, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(page->content(), QStringLiteral("<body>\n<div\n</body>\n"));
    EXPECT_EQ(view->toPlainText(), QStringLiteral("<body>\n<div\n</body>\n"));

    // A property, then its value list at once.
    File *sheet = node("site/css/a.css");
    ASSERT_TRUE(sheet);
    select(sheet);
    view = viewer()->mainCodeView();
    ASSERT_TRUE(view && view->file() == sheet);
    view->setFocus();
    ASSERT_TRUE(TestUtil::waitUntil([view] { return view->hasFocus(); }));
    cursor = view->textCursor();
    cursor.setPosition(8);
    view->setTextCursor(cursor);
    QTest::keyClick(view, Qt::Key_Space, Qt::ShiftModifier);
    ASSERT_TRUE(CodeAssistContext::shared().popupShown);
    QTest::keyClick(view, Qt::Key_Return);
    EXPECT_EQ(view->toPlainText(), QStringLiteral("p {\n\tcolor:\n}\n"));
    EXPECT_TRUE(CodeAssistContext::shared().popupShown);
    EXPECT_EQ(CodeAssistContext::shared().codeType, CodeAssistContext::PropertyValues);
    QTest::keyClick(view, Qt::Key_Escape);
    EXPECT_FALSE(CodeAssistContext::shared().popupShown);
    EXPECT_TRUE(view->hasFocus());

    // Ctrl+] (the Preview menu's Bigger Size elsewhere) outdents here.
    QTest::keyClick(view, Qt::Key_BracketRight, Qt::ControlModifier);
    EXPECT_EQ(view->toPlainText(), QStringLiteral("p {\ncolor:\n}\n"));
    QTest::keyClick(view, Qt::Key_Backslash, Qt::ControlModifier);
    EXPECT_EQ(view->toPlainText(), QStringLiteral("p {\n\tcolor:\n}\n"));
}

// A list opened on "#" after a colon shows the colour well, which opens the shared colour
// panel without taking the keyboard; a colour picked there replaces the word
// with six hex digits, and the panel goes when the list does.
TEST_F(WorkspaceTest, AColourPickedInTheColourPanelReplacesTheWordInTheStyleSheet)
{
    TestUtil::writeFile(path("site/css/a.css"), "p {\n\tcolor: \n}\n");
    remember({path("site")});
    FakePreviewHalf preview;
    launch(&preview);
    delegate->ui().window->show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(delegate->ui().window));
    File *sheet = node("site/css/a.css");
    ASSERT_TRUE(sheet);
    select(sheet);
    CodeView *view = viewer()->mainCodeView();
    ASSERT_TRUE(view && view->file() == sheet);
    view->setFocus();
    ASSERT_TRUE(TestUtil::waitUntil([view] { return view->hasFocus(); }));
    QTextCursor cursor = view->textCursor();
    cursor.setPosition(12);
    view->setTextCursor(cursor);

    QTest::keyClicks(view, QStringLiteral("#f0"));
    QTest::keyClick(view, Qt::Key_Space, Qt::ShiftModifier);
    ColorPanel &panel = ColorPanel::sharedColorPanel();
    ASSERT_TRUE(TestUtil::waitUntil([&panel] { return panel.isVisible(); }));
    EXPECT_EQ(panel.target(), viewer()->popup());
    EXPECT_TRUE(view->hasFocus());

    panel.dialog()->setCurrentColor(QColor(0x33, 0x66, 0x99));
    EXPECT_EQ(view->toPlainText(), QStringLiteral("p {\n\tcolor: #336699\n}\n"));

    QTest::keyClick(view, Qt::Key_Escape);
    EXPECT_FALSE(CodeAssistContext::shared().popupShown);
    EXPECT_FALSE(panel.isVisible());
    EXPECT_EQ(panel.target(), nullptr);
}

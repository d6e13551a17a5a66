#include "TestPrinters.h"
#include "TestUtil.h"

#include "code/CodeView.h"
#include "code/LineNumberScrollView.h"
#include "code/TextFinder.h"

#include <QApplication>
#include <QLineEdit>
#include <QTest>

#include <gtest/gtest.h>

namespace {

// A code view in its frame with its find bar, shown, the keyboard in the view.
class TextFinderTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        view = new CodeView;
        frame.setDocumentView(view);
        finder = new TextFinder(&frame);
        finder->setClient(view);
        finder->setFindBarContainer(&frame);
        finder->setIncrementalSearchingEnabled(true);
        view->setString(QStringLiteral("alpha beta\nGamma alpha\nbeta ALPHA"));
        frame.resize(500, 300);
        frame.show();
        frame.activateWindow();
        view->setFocus();
        ASSERT_TRUE(TestUtil::waitUntil([this] { return view->hasFocus(); }, 2000));
    }

    QLineEdit *field() const { return frame.findBarView()->findChild<QLineEdit *>(); }
    int selected() const { return view->textCursor().selectionStart(); }

    LineNumberScrollView frame;
    CodeView *view = nullptr;
    TextFinder *finder = nullptr;
};

} // namespace

TEST_F(TextFinderTest, CtrlFOpensTheBarAndTypingFindsAsItGoes)
{
    EXPECT_FALSE(frame.isFindBarVisible());
    QTest::keyClick(view, Qt::Key_F, Qt::ControlModifier);
    EXPECT_TRUE(frame.isFindBarVisible());
    ASSERT_TRUE(TestUtil::waitUntil([this] { return field()->hasFocus(); }, 2000));
    QTest::keyClicks(field(), QStringLiteral("al"));
    EXPECT_EQ(selected(), 0);
    EXPECT_EQ(view->textCursor().selectedText(), QStringLiteral("al"));
    QTest::keyClicks(field(), QStringLiteral("pha"));
    EXPECT_EQ(view->textCursor().selectedText(), QStringLiteral("alpha"));
    EXPECT_EQ(finder->statusText(), QStringLiteral("1 of 3"));
    QTest::keyClicks(field(), QStringLiteral("z"));
    EXPECT_EQ(finder->statusText(), QStringLiteral("Not found"));
    // The keyboard stayed in the bar, and the text is unchanged.
    EXPECT_TRUE(field()->hasFocus());
    EXPECT_EQ(view->string(), QStringLiteral("alpha beta\nGamma alpha\nbeta ALPHA"));
}

TEST_F(TextFinderTest, NextAndPreviousMatchesWrapAroundIgnoringCase)
{
    QTest::keyClick(view, Qt::Key_F, Qt::ControlModifier);
    QTest::keyClicks(field(), QStringLiteral("alpha"));
    QTest::keyClick(field(), Qt::Key_Return);
    EXPECT_EQ(selected(), 17);
    QTest::keyClick(field(), Qt::Key_G, Qt::ControlModifier);
    EXPECT_EQ(selected(), 28);
    EXPECT_EQ(finder->statusText(), QStringLiteral("3 of 3"));
    QTest::keyClick(field(), Qt::Key_Return);
    EXPECT_EQ(selected(), 0);
    QTest::keyClick(field(), Qt::Key_Return, Qt::ShiftModifier);
    EXPECT_EQ(selected(), 28);
    // From the view too, with the bar hidden.
    QTest::keyClick(field(), Qt::Key_Escape);
    EXPECT_FALSE(frame.isFindBarVisible());
    ASSERT_TRUE(TestUtil::waitUntil([this] { return view->hasFocus(); }, 2000));
    QTest::keyClick(view, Qt::Key_G, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(selected(), 17);
}

TEST_F(TextFinderTest, EscapeIsTheViewsWhileTheBarIsHidden)
{
    // With the bar showing, Escape in the view hides it too.
    QTest::keyClick(view, Qt::Key_F, Qt::ControlModifier);
    view->setFocus();
    ASSERT_TRUE(TestUtil::waitUntil([this] { return view->hasFocus(); }, 2000));
    QTest::keyClick(view, Qt::Key_Escape);
    EXPECT_FALSE(frame.isFindBarVisible());
    QTest::keyClick(view, Qt::Key_Escape);
    EXPECT_FALSE(frame.isFindBarVisible());
    EXPECT_TRUE(view->hasFocus());
    // The selection at the time the bar opens is where the search starts,
    // and the selected word is what it searches for.
    QTextCursor cursor = view->textCursor();
    cursor.setPosition(6);
    cursor.setPosition(10, QTextCursor::KeepAnchor);
    view->setTextCursor(cursor);
    QTest::keyClick(view, Qt::Key_F, Qt::ControlModifier);
    EXPECT_EQ(finder->searchString(), QStringLiteral("beta"));
    QTest::keyClick(field(), Qt::Key_Return);
    EXPECT_EQ(selected(), 23);
}

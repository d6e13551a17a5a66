#include "TestPrinters.h"
#include "TestUtil.h"

#include "code/CodeView.h"
#include "code/LineNumberScrollView.h"
#include "code/NoodleLineNumberMarker.h"
#include "code/NoodleLineNumberView.h"

#include <QTextBlock>
#include <QTextCursor>

#include <gtest/gtest.h>

namespace {

// A code view in its frame with the ruler installed.
class LineNumberViewTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        view = new CodeView;
        frame.setDocumentView(view);
        frame.setLineNumberVisible(true);
        ruler = frame.lineNumberView();
        ASSERT_TRUE(ruler);
        frame.resize(500, 400);
    }

    QList<int> indicesOf(const QString &text)
    {
        view->setString(text);
        return ruler->lineIndices();
    }

    void edit(int position, int removed, const QString &inserted)
    {
        QTextCursor cursor(view->document());
        cursor.setPosition(position);
        cursor.setPosition(position + removed, QTextCursor::KeepAnchor);
        cursor.insertText(inserted);
    }

    // Where each line starts, read from the document itself.
    QList<int> blockStarts() const
    {
        QList<int> starts;
        for (QTextBlock block = view->document()->begin(); block.isValid(); block = block.next())
            starts.append(block.position());
        return starts;
    }

    LineNumberScrollView frame;
    CodeView *view = nullptr;
    NoodleLineNumberView *ruler = nullptr;
};

} // namespace

TEST_F(LineNumberViewTest, EachLineHasItsStartAndAnEmptyLastLineToo)
{
    EXPECT_EQ(indicesOf(QString()), QList<int>{0});
    EXPECT_EQ(indicesOf(QStringLiteral("x\n")), (QList<int>{0, 2}));
    EXPECT_EQ(indicesOf(QStringLiteral("ab\r\ncd")), (QList<int>{0, 3}));
    // Deleted lines leave no entries behind.
    EXPECT_EQ(indicesOf(QStringLiteral("a\nb\nc\nd")), (QList<int>{0, 2, 4, 6}));
    edit(1, 4, QString());
    EXPECT_EQ(ruler->lineIndices(), (QList<int>{0, 2}));
    // A position at a line's start answers that line; inside, the same.
    EXPECT_EQ(ruler->lineNumberForCharacterIndex(2), 1);
    EXPECT_EQ(ruler->lineNumberForCharacterIndex(1), 0);
    EXPECT_EQ(ruler->lineNumberForCharacterIndex(3), 1);
}

TEST_F(LineNumberViewTest, AnEditDeepInALongTextRecomputesFromItsLineOnly)
{
    QString text;
    for (int i = 0; i < 10000; ++i)
        text += QStringLiteral("line %1\n").arg(i);
    const QList<int> before = indicesOf(text);
    ASSERT_EQ(before.size(), 10001);
    const int at = before.at(5000) + 2;
    edit(at, 0, QStringLiteral("xx\nyy"));
    EXPECT_FALSE(ruler->hasValidLineIndices());
    // The stored list still answers for the lines before the edit.
    EXPECT_EQ(ruler->lineNumberForCharacterIndex(at), 5000);
    const QList<int> after = ruler->lineIndices();
    EXPECT_TRUE(ruler->hasValidLineIndices());
    EXPECT_EQ(after, blockStarts());
    EXPECT_EQ(after.mid(0, 5001), before.mid(0, 5001));
    EXPECT_EQ(after.at(5001), at + 3);
    EXPECT_EQ(after.at(5002), before.at(5001) + 5);
}

TEST_F(LineNumberViewTest, TheRulerWidensForMoreDigitsOnTheNextTurn)
{
    view->setString(QStringLiteral("a\nb\nc"));
    TestUtil::spin(5);
    const int narrow = ruler->requiredThickness();
    EXPECT_EQ(narrow, 28);
    EXPECT_EQ(view->rulerThickness(), 28);
    EXPECT_EQ(ruler->width(), 28);
    view->setString(QString(QStringLiteral("x\n")).repeated(12000));
    ruler->lineIndices();
    // Not while the lines are counted (that may be while drawing).
    EXPECT_EQ(view->rulerThickness(), 28);
    ASSERT_TRUE(TestUtil::waitUntil([&] { return view->rulerThickness() > narrow; }));
    EXPECT_EQ(view->rulerThickness(), ruler->requiredThickness());
    EXPECT_EQ(ruler->width(), view->rulerThickness());
    EXPECT_EQ(view->viewport()->x(), view->rulerThickness());
}

TEST_F(LineNumberViewTest, HidingAndShowingTheRuler)
{
    NoodleLineNumberView *first = frame.lineNumberView();
    frame.setLineNumberVisible(false);
    EXPECT_EQ(frame.lineNumberView(), first);
    frame.removeLineNumber();
    EXPECT_EQ(view->rulerThickness(), 0);
    EXPECT_TRUE(first->isHidden());
    frame.setLineNumberVisible(true);
    EXPECT_NE(frame.lineNumberView(), nullptr);
    EXPECT_GT(view->rulerThickness(), 0);
    EXPECT_FALSE(frame.lineNumberView()->isHidden());
}

TEST_F(LineNumberViewTest, TheLineAtAHeightIsTheOneWhoseFirstRowHoldsIt)
{
    view->setString(QStringLiteral("one\ntwo\nthree"));
    frame.show();
    const QTextBlock third = view->document()->findBlockByNumber(2);
    const QRectF geometry = view->textBlockGeometry(third);
    EXPECT_EQ(ruler->lineNumberForLocation(geometry.top() + 1), 3);
    EXPECT_EQ(ruler->lineNumberForLocation(geometry.top() + geometry.height() / 2), 3);
    EXPECT_EQ(ruler->lineNumberForLocation(geometry.bottom() + 200), std::nullopt);
}

TEST_F(LineNumberViewTest, MarkersAreKeptByLineOneEach)
{
    QImage dot(6, 6, QImage::Format_ARGB32);
    dot.fill(Qt::red);
    ruler->addMarker(NoodleLineNumberMarker(ruler, 3.7, dot, QPointF(3, 3)));
    ASSERT_TRUE(ruler->markerAtLine(3));
    EXPECT_EQ(ruler->markerAtLine(3)->lineNumber(), 3u);
    EXPECT_EQ(ruler->markerAtLine(4), nullptr);
    // Another marker on the same line replaces it.
    ruler->addMarker(NoodleLineNumberMarker(ruler, 3, QImage(), QPointF()));
    EXPECT_TRUE(ruler->markerAtLine(3)->image().isNull());
    ruler->setMarkers({NoodleLineNumberMarker(ruler, 1, dot, {}), NoodleLineNumberMarker(ruler, 2, dot, {})});
    EXPECT_EQ(ruler->markerAtLine(3), nullptr);
    EXPECT_TRUE(ruler->markerAtLine(1));
    ruler->removeMarker(NoodleLineNumberMarker(ruler, 1, QImage(), {}));
    EXPECT_EQ(ruler->markerAtLine(1), nullptr);
    EXPECT_TRUE(ruler->markerAtLine(2));
    // A copy is a marker of its own.
    NoodleLineNumberMarker copy = *ruler->markerAtLine(2);
    copy.setLineNumber(9);
    EXPECT_EQ(ruler->markerAtLine(2)->lineNumber(), 2u);
    view->setString(QStringLiteral("a\nb\nc"));
    frame.show();
    EXPECT_FALSE(frame.grab().isNull());
}

TEST_F(LineNumberViewTest, AnArchiveBringsBackTheFontAndTheColours)
{
    ruler->setFont(QFont(QStringLiteral("DejaVu Sans Mono"), 13));
    ruler->setTextColor(QColor(10, 20, 30));
    ruler->setAlternateTextColor(QColor(200, 100, 50, 128));
    QVariantMap archive;
    ruler->encodeWithCoder(archive);
    EXPECT_EQ(archive.keys(),
              (QStringList{"alternateTextColor", "backgroundColor", "font", "textColor"}));

    LineNumberScrollView other;
    other.setDocumentView(new CodeView);
    other.setLineNumberVisible(true);
    NoodleLineNumberView *restored = other.lineNumberView();
    restored->initWithCoder(archive);
    EXPECT_EQ(restored->font().pointSize(), 13);
    EXPECT_EQ(restored->font().family(), ruler->font().family());
    EXPECT_EQ(restored->textColor(), QColor(10, 20, 30));
    EXPECT_EQ(restored->alternateTextColor(), QColor(200, 100, 50, 128));
    EXPECT_EQ(restored->backgroundColor(), ruler->backgroundColor());

    NoodleLineNumberMarker marker(ruler, 12, QImage(), {});
    QVariantMap markerArchive;
    marker.encodeWithCoder(markerArchive);
    NoodleLineNumberMarker back;
    back.initWithCoder(markerArchive);
    EXPECT_EQ(back.lineNumber(), 12u);
}

#include "CodeViewFixture.h"

#include "code/CSSSyntax.h"
#include "code/SyntaxColoring.h"

#include <QScrollBar>
#include <QSignalSpy>
#include <QTextBlock>
#include <QTextLayout>

namespace CodeViewLargeTextTest {

namespace {

class CodeViewLargeText : public CodeViewFixture
{
protected:
    // What the line should show: the spans of the whole text over it.
    QList<std::pair<int, int>> expectedRanges(const SyntaxSpans &spans, const QTextBlock &block) const
    {
        const int start = block.position();
        const int end = start + block.length() - 1;
        QList<std::pair<int, int>> ranges;
        for (const SyntaxSpan &span : spans) {
            const int from = std::max(span.start, start);
            const int to = std::min(span.end(), end);
            if (span.style > 0 && from < to)
                ranges.append({from - start, to - from});
        }
        return ranges;
    }

    QList<std::pair<int, int>> shownRanges(const QTextBlock &block) const
    {
        QList<std::pair<int, int>> ranges;
        if (block.layout()) {
            for (const QTextLayout::FormatRange &range : block.layout()->formats())
                ranges.append({range.start, range.length});
        }
        return ranges;
    }
};

} // namespace

TEST_F(CodeViewLargeText, ALongSheetComesInWholeAndColouredWhereverItIsShownKeepingKeysTypedMeanwhile)
{
    QString text;
    for (int i = 0; text.size() < 3 * CodeView::kSliceLength; ++i)
        text += QStringLiteral(".a%1 { margin: %1px; color: red; } /* rule %1 */\n").arg(i);
    const QString site = dir.path() + QStringLiteral("/site");
    ASSERT_TRUE(TestUtil::writeFile(site + QStringLiteral("/large.css"), text.toUtf8()));
    root = std::make_unique<File>(site, true, nullptr);
    File *sheet = root->children().value(0);
    ASSERT_TRUE(sheet);
    sheet->setOpenDate(sheet->openDate().addSecs(-10));
    CSSSyntax colorer;
    QSignalSpy colored(&colorer, &SyntaxColoring::colored);
    view.setFile(sheet);
    view.setTextStorageDelegate(&colorer);
    view.setString(sheet->currentContent());
    ASSERT_TRUE(view.isLoadingText());
    ASSERT_LT(view.document()->characterCount(), text.size());

    // Typed at the top while the rest comes in.
    QTextCursor cursor(view.document());
    view.setTextCursor(cursor);
    QTest::keyClicks(&view, QStringLiteral("/* mine */"));
    ASSERT_TRUE(TestUtil::waitUntil([&] { return !view.isLoadingText(); }, 30000));
    const QString expected = QStringLiteral("/* mine */") + text;
    EXPECT_EQ(view.string(), expected);
    EXPECT_EQ(view.toPlainText(), expected);
    EXPECT_EQ(sheet->content().value_or(QString()), expected);
    ASSERT_GT(view.document()->blockCount(), SyntaxColoring::kLayAllLines);

    ASSERT_TRUE(TestUtil::waitUntil([&] { return colored.size() == 1; }, 30000));
    const SyntaxSpans spans = CSSSyntax::colorSpans(expected);
    QScrollBar *bar = view.verticalScrollBar();
    for (const double share : {0.0, 0.5, 1.0}) {
        bar->setValue(int(bar->maximum() * share));
        const QTextBlock first = view.firstVisibleTextBlock();
        ASSERT_TRUE(TestUtil::waitUntil([&] { return !shownRanges(first).isEmpty(); })) << share;
        const auto [top, bottom] = view.visibleBlockNumbers();
        for (int line = top; line <= bottom; ++line) {
            const QTextBlock block = view.document()->findBlockByNumber(line);
            EXPECT_EQ(shownRanges(block), expectedRanges(spans, block)) << "line " << line;
        }
    }
}

TEST_F(CodeViewLargeText, ALongTextReplacedWhileItComesInShowsTheNewText)
{
    const QString first = QStringLiteral("first line\n").repeated(2 * CodeView::kSliceLength / 11);
    const QString second = QStringLiteral("second\n").repeated(2 * CodeView::kSliceLength / 7);
    view.setString(first);
    ASSERT_TRUE(view.isLoadingText());
    view.setString(second);
    ASSERT_TRUE(TestUtil::waitUntil([&] { return !view.isLoadingText(); }, 30000));
    EXPECT_EQ(view.toPlainText(), second);
    EXPECT_EQ(view.string(), second);
}

TEST_F(CodeViewLargeText, ALongTextKeepsItsOwnLineEndsAcrossSlices)
{
    // Windows line ends, and lines longer than a slice without any.
    const QString text = QStringLiteral("short line\r\n").repeated(CodeView::kSliceLength / 12)
                         + QString(CodeView::kSliceLength + 7, u'x') + QStringLiteral("\r\nlast\r\n");
    view.setString(text);
    ASSERT_TRUE(view.isLoadingText());
    ASSERT_TRUE(TestUtil::waitUntil([&] { return !view.isLoadingText(); }, 30000));
    EXPECT_EQ(view.string(), text);
    QString shown = text;
    shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    // The long line's slices read as one line.
    QString lines;
    for (QTextBlock block = view.document()->begin(); block.isValid(); block = block.next())
        lines += (block == view.document()->begin() || view.isContinuation(block) ? QString() : QStringLiteral("\n")) + block.text();
    EXPECT_EQ(lines, shown);
    EXPECT_EQ(view.stringIndexOf(view.document()->characterCount() - 1), text.size());
}

} // namespace CodeViewLargeTextTest

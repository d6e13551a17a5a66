#include "CodeViewFixture.h"

#include "code/CSSSyntax.h"
#include "code/LineNumberScrollView.h"
#include "code/SyntaxColoring.h"
#include "code/TextFinder.h"

#include <QApplication>
#include <QClipboard>
#include <QFile>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTextBlock>
#include <QTextLayout>

namespace CodeViewLongLineTest {

namespace {

// A minified style sheet: a comment line, then one line of some 30,000
// characters, then a short line, with "\r\n" line ends.
QString minifiedSheet()
{
    QString line;
    for (int i = 0; line.size() < 30000; ++i)
        line += QStringLiteral(".c%1{margin:%1px;color:#a%2}").arg(i).arg(i % 10);
    return QStringLiteral("/* min */\r\n") + line + QStringLiteral("\r\n.z{top:0}");
}

class CodeViewLongLine : public CodeViewFixture
{
protected:
    // The document's text as the lines of the file: the slices of a line
    // joined, its lines ended by a line feed.
    QString shownLines() const
    {
        QString text;
        for (QTextBlock block = view.document()->begin(); block.isValid(); block = block.next()) {
            if (block != view.document()->begin() && !view.isContinuation(block))
                text += u'\n';
            text += block.text();
        }
        return text;
    }

    static QString withLineFeeds(QString text) { return text.replace(QStringLiteral("\r\n"), QStringLiteral("\n")); }

    // The document place of the n-th slice's start (n from 1) of the long line.
    int sliceStart(int n) const
    {
        int seen = 0;
        for (QTextBlock block = view.document()->begin(); block.isValid(); block = block.next()) {
            if (view.isContinuation(block) && ++seen == n)
                return block.position();
        }
        return -1;
    }

    QByteArray onDisk(File *file) const
    {
        QFile disk(file->path());
        return disk.open(QIODevice::ReadOnly) ? disk.readAll() : QByteArray();
    }
};

} // namespace

TEST_F(CodeViewLongLine, ALongLineIsLaidOutInSlicesThatAreOneLineOfTheFile)
{
    const QString text = minifiedSheet();
    File *file = openBytes(QStringLiteral("min.css"), text.toUtf8());
    ASSERT_TRUE(file);
    EXPECT_EQ(view.string(), text);
    // No block of the document is much longer than a slice, and the slices
    // read as the file's three lines.
    EXPECT_GT(view.document()->blockCount(), 10);
    for (QTextBlock block = view.document()->begin(); block.isValid(); block = block.next())
        EXPECT_LE(block.length() - 1, CodeViewText::kLongestLine) << block.blockNumber();
    EXPECT_EQ(shownLines(), withLineFeeds(text));
    EXPECT_EQ(view.expectedLineCount(), 3);
    // A slice ends after a rule, where a reader would break the line.
    const int second = sliceStart(1);
    ASSERT_GT(second, 0);
    EXPECT_EQ(view.document()->characterAt(second - 2), u'}');

    // The ruler numbers the file's lines, beside their first slices.
    LineNumberScrollView frame;
    auto *shown = new CodeView;
    frame.setDocumentView(shown);
    frame.setLineNumberVisible(true);
    shown->setString(text);
    EXPECT_EQ(frame.lineNumberView()->lineIndices().size(), 3);
}

TEST_F(CodeViewLongLine, TheSlicesWrapAsTheWholeLineWouldAndAgainAfterAResize)
{
    const QString text = minifiedSheet();
    ASSERT_TRUE(openBytes(QStringLiteral("min.css"), text.toUtf8()));
    const QString line = text.section(QStringLiteral("\r\n"), 1, 1);
    const qsizetype lineStart = text.indexOf(line);
    // Where the rows of a text start, laid out at the view's width.
    const auto rowStarts = [this](const QString &part, qsizetype offset) {
        QTextLayout rows(part, view.document()->defaultFont());
        rows.setTextOption(view.document()->defaultTextOption());
        rows.beginLayout();
        QList<qsizetype> starts;
        for (QTextLine row = rows.createLine(); row.isValid(); row = rows.createLine()) {
            row.setLineWidth(view.viewport()->width() - 2 * view.document()->documentMargin());
            starts.append(offset + row.textStart());
        }
        rows.endLayout();
        return starts;
    };
    const auto slicedRowStarts = [&] {
        QList<qsizetype> starts;
        for (QTextBlock block = view.document()->begin(); block.isValid(); block = block.next()) {
            const qsizetype at = view.stringIndexOf(block.position());
            if (at >= lineStart && at < lineStart + line.size())
                starts += rowStarts(block.text(), at);
        }
        return starts;
    };
    for (const int width : {500, 380}) {
        view.resize(width, 300);
        endTurn();
        ASSERT_TRUE(TestUtil::waitUntil([&] { return slicedRowStarts() == rowStarts(line, lineStart); }, 2000)) << width;
    }
    EXPECT_GT(view.document()->blockCount(), 10);
    EXPECT_EQ(view.string(), text);
}

TEST_F(CodeViewLongLine, KeysAtASlicesEndsChangeTheFileOnlyWhereTypedAndItSavesAsTyped)
{
    const QString text = minifiedSheet();
    File *file = openBytes(QStringLiteral("min.css"), text.toUtf8());
    ASSERT_TRUE(file);
    const int second = sliceStart(1);
    const int at = view.stringIndexOf(second);
    ASSERT_GT(second, 0);
    QString expected = text;

    // Backspace at a slice's start takes the character before it; Delete at
    // the end of the slice before takes the one after it.
    select(second);
    key(Qt::Key_Backspace);
    expected.remove(at - 1, 1);
    EXPECT_EQ(view.string(), expected);
    select(view.documentPositionOf(at - 1) - 1);
    key(Qt::Key_Delete);
    expected.remove(at - 1, 1);
    EXPECT_EQ(view.string(), expected);
    // Keys typed across the cut land where the caret shows, and Right moves
    // over a character each time.
    select(view.documentPositionOf(at - 3));
    QTest::keyClicks(&view, QStringLiteral("ab"));
    key(Qt::Key_Right);
    key(Qt::Key_Right);
    QTest::keyClicks(&view, QStringLiteral("cd"));
    expected.insert(at - 3, QStringLiteral("ab"));
    expected.insert(at + 1, QStringLiteral("cd"));
    EXPECT_EQ(view.string(), expected);
    // A Return splits the long line where it is typed, with the file's line end.
    select(view.documentPositionOf(100 + 11));
    key(Qt::Key_Return);
    expected.insert(100 + 11, QStringLiteral("\r\n"));
    EXPECT_EQ(view.string(), expected);
    endTurn();
    EXPECT_EQ(file->content().value_or(QString()), expected);
    EXPECT_EQ(shownLines(), withLineFeeds(expected));

    ASSERT_TRUE(view.save());
    EXPECT_EQ(onDisk(file), expected.toUtf8());

    // Undo puts back the text it had, and the view shows it in slices again.
    while (undo.canUndo())
        undo.undo();
    EXPECT_EQ(file->content().value_or(QString()), text);
    EXPECT_EQ(view.string(), text);
    EXPECT_EQ(shownLines(), withLineFeeds(text));
}

TEST_F(CodeViewLongLine, TextTypedOrPastedIntoASliceIsCutAgain)
{
    const QString text = minifiedSheet();
    File *file = openBytes(QStringLiteral("min.css"), text.toUtf8());
    ASSERT_TRUE(file);
    const int at = view.stringIndexOf(sliceStart(2)) + 5;
    QString pasted;
    for (int i = 0; pasted.size() < 3 * CodeViewText::kSliceLength; ++i)
        pasted += QStringLiteral(".p%1{top:%1px}").arg(i);
    QApplication::clipboard()->setText(pasted);
    select(view.documentPositionOf(at));
    key(Qt::Key_V, Qt::ControlModifier);
    endTurn();
    QString expected = text;
    expected.insert(at, pasted);
    EXPECT_EQ(view.string(), expected);
    EXPECT_EQ(file->content().value_or(QString()), expected);
    for (QTextBlock block = view.document()->begin(); block.isValid(); block = block.next())
        EXPECT_LE(block.length() - 1, CodeViewText::kLongestLine) << block.blockNumber();
    EXPECT_EQ(shownLines(), withLineFeeds(expected));
    // The caret is still after what was pasted.
    EXPECT_EQ(view.stringIndexOf(view.textCursor().position()), at + pasted.size());
}

TEST_F(CodeViewLongLine, CopyAndFindSeeTheLineWhole)
{
    const QString text = minifiedSheet();
    ASSERT_TRUE(openBytes(QStringLiteral("min.css"), text.toUtf8()));
    const int second = sliceStart(1);
    const int at = view.stringIndexOf(second);

    // A selection over the cut copies the line's characters alone.
    select(second - 6, second + 6);
    key(Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(QApplication::clipboard()->text(), text.mid(at - 5, 11));

    // A triple click selects the whole line, with its line break.
    select(second + 100);
    const QPoint point = view.cursorRect().center();
    QTest::mouseDClick(view.viewport(), Qt::LeftButton, Qt::NoModifier, point);
    QTest::mouseClick(view.viewport(), Qt::LeftButton, Qt::NoModifier, point);
    key(Qt::Key_C, Qt::ControlModifier);
    const qsizetype lineStart = text.indexOf(u'\n') + 1;
    EXPECT_EQ(QApplication::clipboard()->text(), text.mid(lineStart, text.indexOf(u'\r', lineStart) - lineStart) + u'\n');

    // A word that runs over the cut is found, and selected whole.
    LineNumberScrollView frame;
    auto *shown = new CodeView;
    frame.setDocumentView(shown);
    auto *finder = new TextFinder(&frame);
    finder->setClient(shown);
    finder->setFindBarContainer(&frame);
    shown->setString(text);
    const int cut = shown->stringIndexOf([&] {
        for (QTextBlock block = shown->document()->begin(); block.isValid(); block = block.next()) {
            if (shown->isContinuation(block))
                return block.position();
        }
        return 0;
    }());
    // Through the next rule's "{": no other place holds it.
    const QString across = text.mid(cut - 4, text.indexOf(u'{', cut) - cut + 5);
    finder->setSearchString(across);
    finder->performAction(TextFinder::NextMatch);
    EXPECT_EQ(shown->stringIndexOf(shown->textCursor().selectionStart()), cut - 4);
    EXPECT_EQ(shown->stringIndexOf(shown->textCursor().selectionEnd()), cut - 4 + across.size());
    EXPECT_EQ(finder->statusText(), QStringLiteral("1 of 1"));
}

TEST_F(CodeViewLongLine, TheSlicesOfALineShowTheColoursOfTheWholeLine)
{
    const QString text = minifiedSheet();
    CSSSyntax colorer;
    QSignalSpy colored(&colorer, &SyntaxColoring::colored);
    view.setTextStorageDelegate(&colorer);
    ASSERT_TRUE(openBytes(QStringLiteral("min.css"), text.toUtf8()));
    colorer.doColor(&view);
    ASSERT_TRUE(TestUtil::waitUntil([&] { return !colored.isEmpty(); }, 10000));

    // Each slice shows the spans of the file's whole text over its characters.
    const QString lines = withLineFeeds(text);
    const SyntaxSpans spans = CSSSyntax::colorSpans(lines);
    int checked = 0;
    for (QTextBlock block = view.document()->begin(); block.isValid(); block = block.next()) {
        const int start = block.position() - view.softBreaksBefore(block.position());
        const int end = start + block.length() - 1;
        QList<std::pair<int, int>> expected;
        for (const SyntaxSpan &span : spans) {
            const int from = std::max(span.start, start);
            const int to = std::min(span.end(), end);
            if (span.style > 0 && from < to)
                expected.append({from - start, to - from});
        }
        QList<std::pair<int, int>> shown;
        for (const QTextLayout::FormatRange &range : block.layout()->formats())
            shown.append({range.start, range.length});
        EXPECT_EQ(shown, expected) << block.blockNumber();
        ++checked;
    }
    EXPECT_GT(checked, 10);
}

} // namespace CodeViewLongLineTest

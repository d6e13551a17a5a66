#include "CodeViewFixture.h"

#include <QSignalSpy>

namespace CodeViewFileArrivalTest {

namespace {

class CodeViewFileArrival : public CodeViewFixture
{
protected:
    // A style sheet larger than a file read at once, in "site" of the test's folder.
    File *largeSheet()
    {
        for (int i = 0; m_bytes.size() < 2 * File::kBackgroundReadBytes; ++i)
            m_bytes += QStringLiteral(".b%1 {\r\n  padding: %1px;\r\n}\r\n").arg(i).toUtf8();
        const QString site = dir.path() + QStringLiteral("/site");
        EXPECT_TRUE(TestUtil::writeFile(site + QStringLiteral("/large.css"), m_bytes));
        root = std::make_unique<File>(site, true, nullptr);
        File *sheet = root->children().value(0);
        if (sheet)
            sheet->setOpenDate(sheet->openDate().addSecs(-10));
        return sheet;
    }

    QByteArray m_bytes;
};

} // namespace

TEST_F(CodeViewFileArrival, ALargeFileComesInWholeAndSavesByteIdenticalUnedited)
{
    File *sheet = largeSheet();
    ASSERT_TRUE(sheet);
    QSignalSpy loaded(&view, &CodeView::textLoaded);
    bool arrived = false;
    view.setFile(sheet);
    view.loadFileText([&] { arrived = true; });
    EXPECT_TRUE(view.isLoadingText());
    EXPECT_FALSE(arrived);
    ASSERT_TRUE(TestUtil::waitUntil([&] { return !view.isLoadingText(); }, 30000));
    EXPECT_TRUE(arrived);
    EXPECT_EQ(loaded.size(), 1);
    const QString expected = QString::fromUtf8(m_bytes);
    EXPECT_EQ(view.string(), expected);
    EXPECT_EQ(view.document()->blockCount(), int(expected.count(u'\n')) + 1);
    EXPECT_FALSE(sheet->isModified());
    EXPECT_TRUE(view.saveCurrentFile());
    EXPECT_EQ(TestUtil::readFile(sheet->path()), m_bytes);
}

TEST_F(CodeViewFileArrival, KeysTypedBeforeTheTextArrivesAreKeptAheadOfIt)
{
    File *sheet = largeSheet();
    ASSERT_TRUE(sheet);
    view.setFile(sheet);
    view.loadFileText();
    QTest::keyClicks(&view, QStringLiteral("/* mine */"));
    key(Qt::Key_Return);
    // Nothing is the file's before its text is.
    EXPECT_FALSE(sheet->content().has_value());
    ASSERT_TRUE(TestUtil::waitUntil([&] { return !view.isLoadingText(); }, 30000));
    const QString expected = QStringLiteral("/* mine */\n") + QString::fromUtf8(m_bytes);
    EXPECT_EQ(view.string(), expected);
    EXPECT_EQ(sheet->content(), expected);
    EXPECT_TRUE(sheet->isModified());

    // The typing is one step: its undo leaves the file's own text.
    endTurn();
    undo.undo();
    EXPECT_EQ(sheet->content(), QString::fromUtf8(m_bytes));
}

TEST_F(CodeViewFileArrival, AFileAlreadyReadIsShownAtOnce)
{
    File *sheet = largeSheet();
    ASSERT_TRUE(sheet);
    ASSERT_TRUE(sheet->currentContent());
    view.setFile(sheet);
    view.loadFileText();
    EXPECT_EQ(view.string(), QString::fromUtf8(m_bytes));
}

} // namespace CodeViewFileArrivalTest

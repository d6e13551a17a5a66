#include "TestUtil.h"

#include "workspace/File.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>

namespace FileBackgroundReadTest {

namespace {

// A style sheet of about `bytes` bytes, its rules numbered so that no two are alike.
QByteArray largeSheet(qint64 bytes)
{
    QByteArray sheet;
    for (int i = 0; sheet.size() < bytes; ++i)
        sheet += QStringLiteral(".r%1 { margin: %1px; color: #c0ffee; } /* caf\u00e9 %1 */\n").arg(i).toUtf8();
    return sheet;
}

class FileBackgroundRead : public testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        const QString site = m_dir.filePath(QStringLiteral("site"));
        m_bytes = largeSheet(2 * File::kBackgroundReadBytes);
        ASSERT_TRUE(TestUtil::writeFile(site + QStringLiteral("/large.css"), m_bytes));
        m_root = std::make_unique<File>(site, true, nullptr);
        m_file = m_root->children().value(0);
        ASSERT_TRUE(m_file);
    }

    // Starts the read and waits for its answer; false when it came at once.
    bool readInBackground()
    {
        bool arrived = false;
        m_file->loadContentInBackground(&m_context, [&](const std::optional<QString> &text) {
            arrived = true;
            m_arrived = text;
        });
        const bool atOnce = arrived;
        EXPECT_TRUE(TestUtil::waitUntil([&] { return arrived; }, 30000));
        return !atOnce;
    }

    QTemporaryDir m_dir;
    QByteArray m_bytes;
    std::unique_ptr<File> m_root;
    File *m_file = nullptr;
    QObject m_context;
    std::optional<QString> m_arrived;
};

} // namespace

TEST_F(FileBackgroundRead, ALargeFileArrivesWholeAndSavesByteIdenticalUnedited)
{
    ASSERT_TRUE(readInBackground());
    EXPECT_EQ(m_arrived, QString::fromUtf8(m_bytes));
    EXPECT_EQ(m_file->content(), m_arrived);
    EXPECT_FALSE(m_file->isModified());
    EXPECT_TRUE(m_file->save());
    EXPECT_EQ(TestUtil::readFile(m_file->path()), m_bytes);
}

TEST_F(FileBackgroundRead, AnOutsideChangeOfTheSameSizeIsNoticed)
{
    ASSERT_TRUE(readInBackground());
    m_file->setContent(m_arrived->replace(0, 3, QStringLiteral(".x0")));
    // One character in the middle, the size kept: only the digest can tell.
    QByteArray theirs = m_bytes;
    theirs[theirs.size() / 2] = theirs[theirs.size() / 2] == 'a' ? 'b' : 'a';
    ASSERT_TRUE(TestUtil::writeFile(m_file->path(), theirs));
    EXPECT_FALSE(m_file->save());
    EXPECT_EQ(TestUtil::readFile(m_file->path()), theirs);
    EXPECT_TRUE(m_file->isModified());
}

TEST_F(FileBackgroundRead, ATextSetWhileTheReadIsOnItsWayWins)
{
    bool arrived = false;
    m_file->loadContentInBackground(&m_context, [&](const std::optional<QString> &text) {
        arrived = true;
        m_arrived = text;
    });
    ASSERT_FALSE(arrived);
    m_file->setContent(QStringLiteral("mine"));
    ASSERT_TRUE(TestUtil::waitUntil([&] { return arrived; }, 30000));
    EXPECT_EQ(m_arrived, QStringLiteral("mine"));
    EXPECT_EQ(m_file->content(), QStringLiteral("mine"));
}

TEST_F(FileBackgroundRead, NothingIsCalledOnceTheContextIsGone)
{
    auto context = std::make_unique<QObject>();
    bool called = false;
    m_file->loadContentInBackground(context.get(), [&](const std::optional<QString> &) { called = true; });
    context.reset();
    // The file still takes its text.
    ASSERT_TRUE(TestUtil::waitUntil([&] { return m_file->content().has_value(); }, 30000));
    EXPECT_FALSE(called);
    EXPECT_EQ(m_file->content(), QString::fromUtf8(m_bytes));
}

TEST_F(FileBackgroundRead, ASmallFileIsReadAtOnce)
{
    ASSERT_TRUE(TestUtil::writeFile(m_file->path(), "a { color: red; }"));
    bool arrived = false;
    m_file->loadContentInBackground(&m_context, [&](const std::optional<QString> &) { arrived = true; });
    EXPECT_TRUE(arrived);
    EXPECT_EQ(m_file->content(), QStringLiteral("a { color: red; }"));
}

} // namespace FileBackgroundReadTest

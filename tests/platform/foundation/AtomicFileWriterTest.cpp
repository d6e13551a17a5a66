#include "platform/foundation/AtomicFileWriter.h"
#include "platform/foundation/PropertyList.h"

#include "SaveFaults.h"
#include "TestUtil.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace AtomicFileWriterTest {

namespace {

using Step = AtomicFileWriter::Step;

class AtomicFileWriterFixture : public testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        ASSERT_TRUE(TestUtil::writeFile(path(), "the old text"));
    }

    QString path() const { return m_dir.filePath(QStringLiteral("page.html")); }
    // The file and nothing beside it: no new file was left behind.
    void expectUntouched()
    {
        EXPECT_EQ(TestUtil::readFile(path()), QByteArray("the old text"));
        EXPECT_EQ(entriesOf(m_dir.path()), QStringList{QStringLiteral("page.html")});
    }

    QTemporaryDir m_dir;
};

mode_t modeOf(const QString &path)
{
    struct stat st;
    return ::stat(QFile::encodeName(path).constData(), &st) == 0 ? st.st_mode & 07777 : 0;
}

} // namespace

TEST_F(AtomicFileWriterFixture, ReplacesTheFileWholeAndLeavesNothingBeside)
{
    ASSERT_TRUE(AtomicFileWriter::writeFile(path(), "the new text"));
    EXPECT_EQ(TestUtil::readFile(path()), QByteArray("the new text"));
    EXPECT_EQ(entriesOf(m_dir.path()), QStringList{QStringLiteral("page.html")});
}

TEST_F(AtomicFileWriterFixture, KeepsThePermissionsOfTheFile)
{
    ASSERT_EQ(::chmod(QFile::encodeName(path()).constData(), 0640), 0);
    ASSERT_TRUE(AtomicFileWriter::writeFile(path(), "the new text"));
    EXPECT_EQ(modeOf(path()), mode_t(0640));
}

TEST_F(AtomicFileWriterFixture, WritesThroughALinkAndKeepsTheLink)
{
    const QString link = m_dir.filePath(QStringLiteral("link.html"));
    ASSERT_EQ(::symlink("page.html", QFile::encodeName(link).constData()), 0);
    ASSERT_TRUE(AtomicFileWriter::writeFile(link, "through the link"));
    EXPECT_TRUE(QFileInfo(link).isSymLink());
    EXPECT_EQ(TestUtil::readFile(path()), QByteArray("through the link"));
}

TEST_F(AtomicFileWriterFixture, ALinkLoopIsAFailureNotAFile)
{
    const QString a = m_dir.filePath(QStringLiteral("a.css"));
    const QString b = m_dir.filePath(QStringLiteral("b.css"));
    ASSERT_EQ(::symlink("b.css", QFile::encodeName(a).constData()), 0);
    ASSERT_EQ(::symlink("a.css", QFile::encodeName(b).constData()), 0);
    const Result<void> written = AtomicFileWriter::writeFile(a, "x");
    ASSERT_FALSE(written);
    EXPECT_NE(written.error().indexOf(QString::fromLocal8Bit(std::strerror(ELOOP))), -1) << written.error().toStdString();
}

TEST_F(AtomicFileWriterFixture, ANewFileIsNeverWrittenOverOneThatIsThere)
{
    AtomicFileWriter writer(path(), AtomicFileWriter::Replace::No);
    EXPECT_FALSE(writer.open());
    EXPECT_FALSE(writer.errorString().isEmpty());
    expectUntouched();

    const QString made = m_dir.filePath(QStringLiteral("new.css"));
    AtomicFileWriter fresh(made, AtomicFileWriter::Replace::No);
    ASSERT_TRUE(fresh.open());
    ASSERT_TRUE(fresh.write(QByteArray("p {}")));
    // A file of that name appears meanwhile: it stays.
    ASSERT_TRUE(TestUtil::writeFile(made, "theirs"));
    EXPECT_FALSE(fresh.commit());
    EXPECT_EQ(TestUtil::readFile(made), QByteArray("theirs"));
}

TEST_F(AtomicFileWriterFixture, ADestroyedWriterLeavesNoTrace)
{
    {
        AtomicFileWriter writer(path());
        ASSERT_TRUE(writer.open());
        ASSERT_TRUE(writer.write(QByteArray("half")));
    }
    expectUntouched();
}

// Every step that can fail, each failing once: the old file stays whole,
// nothing is left beside it, and the reason is the system's.
TEST_F(AtomicFileWriterFixture, AFailureOfAnyStepLeavesTheFileAsItWas)
{
    const struct
    {
        const char *name;
        Step step;
        int error;
    } rows[] = {
        {"no new file", Step::Open, EACCES},
        {"the disk is full", Step::Write, ENOSPC},
        {"the sync fails", Step::Sync, EIO},
        {"the close fails", Step::Close, EIO},
        {"the rename fails", Step::Rename, EXDEV},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.name);
        InjectedFault fault(row.step, row.error);
        const Result<void> written = AtomicFileWriter::writeFile(path(), "the new text");
        ASSERT_FALSE(written);
        EXPECT_NE(written.error().indexOf(QString::fromLocal8Bit(std::strerror(row.error))), -1)
            << written.error().toStdString();
        EXPECT_NE(written.error().indexOf(path()), -1);
        EXPECT_GE(fault.calls(), 1);
        expectUntouched();
    }
}

TEST_F(AtomicFileWriterFixture, AWriteThatFailsPartWayLeavesTheFileAsItWas)
{
    // The second piece of a large text finds the disk full.
    InjectedFault fault(Step::Write, ENOSPC, 2);
    AtomicFileWriter writer(path());
    ASSERT_TRUE(writer.open());
    EXPECT_FALSE(writer.write(QByteArray(200 * 1024, 'x')));
    EXPECT_EQ(fault.calls(), 2);
    // A failed writer takes nothing more and commits nothing.
    EXPECT_FALSE(writer.write(QByteArray("more")));
    EXPECT_FALSE(writer.commit());
    EXPECT_EQ(writer.errorString(), QString::fromLocal8Bit(std::strerror(ENOSPC)));
    expectUntouched();
}

TEST(AtomicFileWriterOnAFullDisk, FailsWithNoSpaceAndKeepsTheSmallFile)
{
    SmallDisk disk;
    if (!disk.isMounted())
        GTEST_SKIP() << "mounting a tmpfs needs root";
    const QString path = disk.filePath(QStringLiteral("small.css"));
    ASSERT_TRUE(TestUtil::writeFile(path, "p { color: red; }"));
    ASSERT_TRUE(disk.fill());
    const QStringList before = entriesOf(disk.path());

    const Result<void> written = AtomicFileWriter::writeFile(path, "p { color: blue; }");
    ASSERT_FALSE(written);
    EXPECT_NE(written.error().indexOf(QString::fromLocal8Bit(std::strerror(ENOSPC))), -1) << written.error().toStdString();
    EXPECT_EQ(TestUtil::readFile(path), QByteArray("p { color: red; }"));
    EXPECT_EQ(entriesOf(disk.path()), before);

    // So does a property list (snippets, build settings).
    const QString settings = disk.filePath(QStringLiteral("Snippet.plist"));
    ASSERT_TRUE(disk.empty());
    ASSERT_TRUE(PropertyList::write(settings, QVariantMap{{"version", 1.7}}));
    const QByteArray saved = TestUtil::readFile(settings);
    ASSERT_TRUE(disk.fill());
    const Result<void> plist = PropertyList::write(settings, QVariantMap{{"version", 2.0}});
    ASSERT_FALSE(plist);
    EXPECT_NE(plist.error().indexOf(QString::fromLocal8Bit(std::strerror(ENOSPC))), -1);
    EXPECT_EQ(TestUtil::readFile(settings), saved);
}

TEST(AtomicFileWriterNames, ANameThatIsNotUtf8IsRefusedAndNeverDuplicated)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    // "caf\xe9.css": Latin-1 bytes, which the file tree reads as "caf\uFFFD.css".
    RawNamedFile file(dir.path(), "caf\xe9.css", "p {}");
    ASSERT_TRUE(file.isMade());
    ASSERT_TRUE(file.path().contains(QChar::ReplacementCharacter));
    const QList<QByteArray> before = rawNamesIn(dir.path());

    const std::optional<QString> problem = AtomicFileWriter::undecodableNameProblem(file.path());
    ASSERT_TRUE(problem.has_value());
    EXPECT_NE(problem->indexOf(QStringLiteral("not valid UTF-8")), -1);
    const Result<void> written = AtomicFileWriter::writeFile(file.path(), "p { top: 0; }");
    ASSERT_FALSE(written);
    EXPECT_NE(written.error().indexOf(QStringLiteral("not valid UTF-8")), -1);
    EXPECT_EQ(rawNamesIn(dir.path()), before);
    EXPECT_EQ(file.bytes(), QByteArray("p {}"));

    // A name that really holds U+FFFD is an ordinary name.
    const QString real = dir.filePath(QStringLiteral("real\uFFFD.css"));
    EXPECT_FALSE(AtomicFileWriter::undecodableNameProblem(real).has_value());
    ASSERT_TRUE(AtomicFileWriter::writeFile(real, "ok"));
    EXPECT_EQ(TestUtil::readFile(real), QByteArray("ok"));
}

} // namespace AtomicFileWriterTest

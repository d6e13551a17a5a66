#include "TestUtil.h"

#include "workspace/SSZipArchive.h"
#include "workspace/SSZipArchiveDelegate.h"

#include <minizip/zip.h>

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sys/stat.h>

namespace {

// 2021-03-04 05:06:08 as an MS-DOS date and time.
constexpr uLong kDosDate
    = (uLong(2021 - 1980) << 25) | (3u << 21) | (4u << 16) | (5u << 11) | (6u << 5) | 4u;
const QDateTime kDate(QDate(2021, 3, 4), QTime(5, 6, 8), Qt::LocalTime);

// Builds test archives entry by entry, with the names and attributes given.
class ArchiveBuilder
{
public:
    explicit ArchiveBuilder(const QString &path)
        : m_zip(zipOpen64(QFile::encodeName(path).constData(), APPEND_STATUS_CREATE))
    { }
    ~ArchiveBuilder()
    {
        if (m_zip)
            zipClose(m_zip, nullptr);
    }

    ArchiveBuilder &file(const char *name, const QByteArray &data, int method = Z_DEFLATED)
    {
        return add(name, data, 0100644u << 16, method);
    }
    ArchiveBuilder &folder(const char *name)
    {
        return add(name, {}, (040755u << 16) | 0x10, Z_DEFLATED);
    }
    ArchiveBuilder &link(const char *name, const QByteArray &target)
    {
        return add(name, target, 0120777u << 16, 0);
    }

    bool isValid() const { return m_zip != nullptr; }

private:
    ArchiveBuilder &add(const char *name, const QByteArray &data, uLong externalAttributes,
                        int method)
    {
        zip_fileinfo info = {};
        info.dosDate = kDosDate;
        info.external_fa = externalAttributes;
        const uLong madeOnUnix = (3u << 8) | 20u;
        zipOpenNewFileInZip4(m_zip, name, &info, nullptr, 0, nullptr, 0, nullptr, method,
                             method ? Z_DEFAULT_COMPRESSION : 0, 0, -MAX_WBITS, DEF_MEM_LEVEL,
                             Z_DEFAULT_STRATEGY, nullptr, 0, madeOnUnix, 0);
        zipWriteInFileInZip(m_zip, data.constData(), unsigned(data.size()));
        zipCloseFileInZip(m_zip);
        return *this;
    }

    zipFile m_zip;
};

class Counter : public SSZipArchiveDelegate
{
public:
    void zipArchiveWillUnzipArchiveAtPath(const QString &, const unz_global_info64 &info) override
    {
        total = qint64(info.number_entry);
    }
    void zipArchiveDidUnzipFileAtIndex(qint64 index, qint64, const QString &,
                                       const unz_file_info64 &) override
    {
        written.append(index);
    }
    void zipArchiveDidUnzipArchiveAtPath(const QString &, const unz_global_info64 &,
                                         const QString &) override
    {
        finished = true;
    }
    qint64 total = -1;
    QList<qint64> written;
    bool finished = false;
};

class SSZipArchiveTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        m_base = QDir(m_dir.path()).canonicalPath();
        m_destination = m_base + "/dest/inner";
        m_outside = m_base + "/outside";
        QDir().mkpath(m_destination);
        QDir().mkpath(m_outside);
        m_archive = m_base + "/test.zip";
    }

    QStringList outsideEntries() const
    {
        return QDir(m_outside).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden
                                         | QDir::System);
    }

    QTemporaryDir m_dir;
    QString m_base;
    QString m_destination;
    QString m_outside;
    QString m_archive;
};

} // namespace

TEST_F(SSZipArchiveTest, UnsafeEntriesAreRefusedAndTheRestIsUnpackedWithItsDates)
{
    const QByteArray absolute = (m_outside + "/abs.txt").toUtf8();
    {
        ArchiveBuilder zip(m_archive);
        ASSERT_TRUE(zip.isValid());
        zip.file("../evil.txt", "evil")
            .file("a/../../evil2.txt", "evil")
            .file(absolute.constData(), "evil")
            .file("win\\path\\b.txt", "backslash")
            .link("out", m_outside.toUtf8())
            .file("out/through.txt", "evil")
            .link("up", "../../outside")
            .folder("a/")
            .file("a/b.txt", "hello")
            .link("alias", "a")
            .file("alias/c.txt", "through an inside link");
    }
    SSZipArchiveError error;
    EXPECT_FALSE(SSZipArchive::unzipFileAtPath(m_archive, m_destination, true, QString(), &error));
    EXPECT_EQ(error.domain, QStringLiteral("SSZipArchiveErrorDomain"));
    EXPECT_EQ(error.code, SSZipArchiveError::RefusedUnsafeEntry);

    EXPECT_TRUE(outsideEntries().isEmpty());
    EXPECT_FALSE(QFileInfo::exists(m_base + "/dest/evil.txt"));
    EXPECT_FALSE(QFileInfo::exists(m_base + "/evil2.txt"));
    EXPECT_FALSE(QFileInfo(m_destination + "/out").isSymLink());
    EXPECT_FALSE(QFileInfo(m_destination + "/up").isSymLink());

    EXPECT_EQ(TestUtil::readFile(m_destination + "/win/path/b.txt"), QByteArray("backslash"));
    EXPECT_EQ(TestUtil::readFile(m_destination + "/a/b.txt"), QByteArray("hello"));
    EXPECT_TRUE(QFileInfo(m_destination + "/alias").isSymLink());
    EXPECT_EQ(QFileInfo(m_destination + "/alias").symLinkTarget(), m_destination + "/a");
    EXPECT_FALSE(QFileInfo::exists(m_destination + "/a/c.txt"));

    EXPECT_EQ(QFileInfo(m_destination + "/a/b.txt").lastModified(), kDate);
    EXPECT_EQ(QFileInfo(m_destination + "/a").lastModified(), kDate);
}

TEST_F(SSZipArchiveTest, FolderLinkAlreadyInTheDestinationIsNotWrittenThrough)
{
    ASSERT_TRUE(QFile::link(m_outside, m_destination + "/ext"));
    ASSERT_TRUE(TestUtil::writeFile(m_outside + "/target.txt", "keep"));
    ASSERT_TRUE(QFile::link(m_outside + "/target.txt", m_destination + "/f.txt"));
    {
        ArchiveBuilder zip(m_archive);
        zip.file("ext/x.txt", "evil").file("f.txt", "replaced");
    }
    EXPECT_FALSE(SSZipArchive::unzipFileAtPath(m_archive, m_destination));
    EXPECT_EQ(outsideEntries(), QStringList {"target.txt"});
    EXPECT_EQ(TestUtil::readFile(m_outside + "/target.txt"), QByteArray("keep"));
    // The link itself was replaced by the archived file.
    EXPECT_FALSE(QFileInfo(m_destination + "/f.txt").isSymLink());
    EXPECT_EQ(TestUtil::readFile(m_destination + "/f.txt"), QByteArray("replaced"));
}

TEST_F(SSZipArchiveTest, CleanArchiveUnpacksAndTellsTheDelegate)
{
    {
        ArchiveBuilder zip(m_archive);
        zip.folder("a/").file("a/b.txt", "hello").file("c.txt", "x");
    }
    Counter counter;
    EXPECT_TRUE(SSZipArchive::unzipFileAtPath(m_archive, m_destination, &counter));
    EXPECT_EQ(counter.total, 3);
    EXPECT_EQ(counter.written, QList<qint64>({0, 1, 2}));
    EXPECT_TRUE(counter.finished);
    EXPECT_TRUE(QFileInfo(m_destination + "/a").isDir());
    EXPECT_EQ(QFileInfo(m_destination + "/a").lastModified(), kDate);
}

TEST_F(SSZipArchiveTest, OverwriteDecidesWhetherExistingFilesAreReplaced)
{
    {
        ArchiveBuilder zip(m_archive);
        zip.file("keep.txt", "archived").file("new.txt", "new");
    }
    ASSERT_TRUE(TestUtil::writeFile(m_destination + "/keep.txt", "mine"));
    Counter counter;
    EXPECT_TRUE(SSZipArchive::unzipFileAtPath(m_archive, m_destination, false, QString(), nullptr,
                                              &counter));
    EXPECT_EQ(TestUtil::readFile(m_destination + "/keep.txt"), QByteArray("mine"));
    EXPECT_EQ(counter.written, QList<qint64>({0}));

    EXPECT_TRUE(SSZipArchive::unzipFileAtPath(m_archive, m_destination));
    EXPECT_EQ(TestUtil::readFile(m_destination + "/keep.txt"), QByteArray("archived"));
}

TEST_F(SSZipArchiveTest, DamagedEntryFailsWithoutLeavingAHalfWrittenFile)
{
    const QByteArray payload = QByteArray("DAMAGE-ME-").repeated(400);
    {
        ArchiveBuilder zip(m_archive);
        zip.file("first.txt", "fine").file("second.txt", payload, 0).file("third.txt", "after");
    }
    QByteArray bytes = TestUtil::readFile(m_archive);
    const qsizetype at = bytes.indexOf(payload);
    ASSERT_GE(at, 0);
    bytes[at + 2000] = 'X';
    ASSERT_TRUE(TestUtil::writeFile(m_archive, bytes));

    EXPECT_FALSE(SSZipArchive::unzipFileAtPath(m_archive, m_destination));
    EXPECT_EQ(TestUtil::readFile(m_destination + "/first.txt"), QByteArray("fine"));
    EXPECT_FALSE(QFileInfo::exists(m_destination + "/second.txt"));
    EXPECT_EQ(QDir(m_destination).entryList(QDir::Files | QDir::Hidden), QStringList {"first.txt"});
}

TEST_F(SSZipArchiveTest, UnreadableArchivesReportTheirErrorCodes)
{
    SSZipArchiveError error;
    EXPECT_FALSE(SSZipArchive::unzipFileAtPath(m_base + "/missing.zip", m_destination, true,
                                               QString(), &error));
    EXPECT_EQ(error.code, SSZipArchiveError::FailedToOpenZipFile);
    EXPECT_EQ(error.localizedDescription, QStringLiteral("failed to open zip file"));

    ASSERT_TRUE(TestUtil::writeFile(m_archive, "not a zip at all"));
    EXPECT_FALSE(SSZipArchive::unzipFileAtPath(m_archive, m_destination, true, QString(), &error));
    EXPECT_EQ(error.code, SSZipArchiveError::FailedToOpenZipFile);

    // An archive whose directory of entries is broken.
    {
        ArchiveBuilder zip(m_archive);
        zip.file("a.txt", "a");
    }
    QByteArray bytes = TestUtil::readFile(m_archive);
    const qsizetype directory = bytes.indexOf(QByteArray("PK\x01\x02", 4));
    ASSERT_GE(directory, 0);
    bytes[directory + 3] = 9;
    ASSERT_TRUE(TestUtil::writeFile(m_archive, bytes));
    EXPECT_FALSE(SSZipArchive::unzipFileAtPath(m_archive, m_destination, true, QString(), &error));
    EXPECT_EQ(error.code, SSZipArchiveError::FailedToOpenFirstFile);
    EXPECT_EQ(error.localizedDescription, QStringLiteral("failed to open first file in zip file"));
}

TEST_F(SSZipArchiveTest, WrittenArchiveUnpacksToTheSameContent)
{
    ASSERT_TRUE(TestUtil::writeFile(m_base + "/one.css", QByteArray("a{}").repeated(10000)));
    ASSERT_TRUE(SSZipArchive::createZipFileAtPath(m_archive, {m_base + "/one.css"}));
    SSZipArchive archive(m_base + "/two.zip");
    ASSERT_TRUE(archive.open());
    EXPECT_TRUE(archive.writeData("<p>", "index.html"));
    EXPECT_FALSE(archive.writeData(QByteArray(), "null.html"));
    EXPECT_FALSE(archive.writeFile(m_base + "/missing.css"));
    ASSERT_TRUE(archive.close());

    EXPECT_TRUE(SSZipArchive::unzipFileAtPath(m_archive, m_destination));
    EXPECT_TRUE(SSZipArchive::unzipFileAtPath(m_base + "/two.zip", m_destination));
    EXPECT_EQ(TestUtil::readFile(m_destination + "/one.css"),
              TestUtil::readFile(m_base + "/one.css"));
    EXPECT_EQ(TestUtil::readFile(m_destination + "/index.html"), QByteArray("<p>"));
    EXPECT_FALSE(QFileInfo::exists(m_destination + "/null.html"));
    EXPECT_LT(QFileInfo(m_destination + "/index.html")
                  .lastModified()
                  .secsTo(QDateTime::currentDateTime()),
              120);
}

TEST(SSZipArchiveDate, ReadsTheMSDOSFields)
{
    EXPECT_EQ(SSZipArchive::dateWithMSDOSFormat(quint32(kDosDate)), kDate);
}

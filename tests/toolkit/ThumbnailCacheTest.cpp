#include "TestUtil.h"

#include "toolkit/ThumbnailCache.h"

#include <QDateTime>
#include <QFile>
#include <QImageReader>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

QString picture(const QTemporaryDir &dir, const char *name, const QSize &size, const char *format = nullptr)
{
    const QString path = dir.filePath(QString::fromLatin1(name));
    QImage image(size, QImage::Format_RGB32);
    image.fill(Qt::darkCyan);
    EXPECT_TRUE(image.save(path, format));
    return path;
}

// Marks the file as changed later than now (the file must be open for it):
// a file made again within the same millisecond would read as unchanged.
bool markChangedLater(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadWrite)
        && file.setFileTime(QDateTime::currentDateTime().addSecs(5), QFileDevice::FileModificationTime);
}

} // namespace

TEST(ThumbnailCache, APictureIsReadNoLargerThanAsked)
{
    QTemporaryDir dir;
    EXPECT_EQ(ThumbnailCache::readThumbnail(picture(dir, "wide.png", {400, 300}), 128).size(), QSize(128, 96));
    EXPECT_EQ(ThumbnailCache::readThumbnail(picture(dir, "small.png", {40, 30}), 128).size(), QSize(40, 30));
}

TEST(ThumbnailCache, AHugePictureIsReadScaled)
{
    QTemporaryDir dir;
    const QString path = picture(dir, "huge.jpg", {2400, 1800}, "JPG");
    // Read whole it would take more memory than allowed.
    const int limit = QImageReader::allocationLimit();
    QImageReader::setAllocationLimit(4);
    EXPECT_TRUE(QImageReader(path).read().isNull());
    QString error;
    const QImage small = ThumbnailCache::readThumbnail(path, 256, &error);
    QImageReader::setAllocationLimit(limit);
    EXPECT_EQ(small.size(), QSize(256, 192)) << error.toStdString();
}

TEST(ThumbnailCache, AnUndecodableFileIsToldUnreadableUntilItChanges)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("broken.png"));
    TestUtil::writeFile(path, "no picture at all");
    QString error;
    EXPECT_TRUE(ThumbnailCache::readThumbnail(path, 128, &error).isNull());
    EXPECT_FALSE(error.isEmpty());

    ThumbnailCache cache;
    QStringList ready;
    QObject::connect(&cache, &ThumbnailCache::thumbnailReady, [&ready](const QString &path) { ready << path; });
    cache.setWanted({{path, 128}});
    cache.waitForDone();
    EXPECT_TRUE(cache.isUnreadable(path));
    EXPECT_TRUE(cache.thumbnail(path).isNull());
    // Asked again, it is not read again.
    cache.setWanted({{path, 128}});
    EXPECT_EQ(cache.pendingCount(), 0);

    // Made a picture, it is read anew.
    QFile::remove(path);
    QImage(20, 10, QImage::Format_RGB32).save(path, "PNG");
    ASSERT_TRUE(markChangedLater(path));
    cache.setWanted({{path, 128}});
    cache.waitForDone();
    EXPECT_FALSE(cache.isUnreadable(path));
    EXPECT_EQ(cache.thumbnail(path).size(), QSize(20, 10));
    EXPECT_EQ(ready.size(), 2);
}

TEST(ThumbnailCache, APictureIsReadAgainWhenItChangesOrALargerOneIsWanted)
{
    QTemporaryDir dir;
    const QString path = picture(dir, "photo.png", {600, 400});
    ThumbnailCache cache;
    cache.setWanted({{path, 100}});
    cache.waitForDone();
    EXPECT_EQ(cache.thumbnail(path).size(), QSize(600, 400).scaled(128, 128, Qt::KeepAspectRatio));
    cache.setWanted({{path, 120}});
    EXPECT_EQ(cache.pendingCount(), 0);

    cache.setWanted({{path, 200}});
    cache.waitForDone();
    EXPECT_EQ(cache.thumbnail(path).size(), QSize(600, 400).scaled(256, 256, Qt::KeepAspectRatio));

    QImage(300, 300, QImage::Format_RGB32).save(path, "PNG");
    ASSERT_TRUE(markChangedLater(path));
    cache.setWanted({{path, 200}});
    cache.waitForDone();
    EXPECT_EQ(cache.thumbnail(path).size(), QSize(256, 256));
}

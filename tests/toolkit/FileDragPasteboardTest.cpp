#include "toolkit/FileDragPasteboard.h"

#include <QDataStream>
#include <QIODevice>
#include <QMimeData>
#include <QUrl>

#include <gtest/gtest.h>

TEST(FileDragPasteboard, PathsComeBackAndWhatFollowsThemIsLeftToTheReader)
{
    const QStringList paths = {QStringLiteral("/site/a b.css"), QStringLiteral("/site/ü/100%.js")};
    EXPECT_EQ(FileDragPasteboard::unarchivePaths(FileDragPasteboard::archivePaths(paths)), paths);

    // A writer appends its own items after the paths.
    QByteArray data;
    {
        QDataStream stream(&data, QIODevice::WriteOnly);
        FileDragPasteboard::writePaths(stream, paths);
        stream << QStringLiteral("package item");
    }
    QDataStream stream(data);
    EXPECT_EQ(FileDragPasteboard::readPaths(stream), paths);
    QString item;
    stream >> item;
    EXPECT_EQ(item, QStringLiteral("package item"));
}

TEST(FileDragPasteboard, DataOfAnotherKindOrCutShortIsNoList)
{
    EXPECT_EQ(FileDragPasteboard::unarchivePaths(QByteArray()), std::nullopt);
    EXPECT_EQ(FileDragPasteboard::unarchivePaths(QByteArray("file:///etc/passwd")), std::nullopt);
    const QByteArray whole = FileDragPasteboard::archivePaths({QStringLiteral("/a"), QStringLiteral("/b")});
    EXPECT_EQ(FileDragPasteboard::unarchivePaths(whole.left(whole.size() - 3)), std::nullopt);
}

TEST(FileDragPasteboard, OnlyLocalFilesCountAmongDroppedAddresses)
{
    QMimeData data;
    EXPECT_FALSE(FileDragPasteboard::hasFileNames(&data));
    data.setUrls({QUrl::fromLocalFile(QStringLiteral("/tmp/a.png")), QUrl(QStringLiteral("https://example.com/b.png")),
                  QUrl::fromLocalFile(QStringLiteral("/tmp/c d.png"))});
    EXPECT_TRUE(FileDragPasteboard::hasFileNames(&data));
    EXPECT_EQ(FileDragPasteboard::fileNames(&data), (QStringList{QStringLiteral("/tmp/a.png"), QStringLiteral("/tmp/c d.png")}));

    QMimeData remote;
    remote.setUrls({QUrl(QStringLiteral("ftp://example.com/x"))});
    EXPECT_TRUE(FileDragPasteboard::fileNames(&remote).isEmpty());
    EXPECT_TRUE(FileDragPasteboard::fileNames(nullptr).isEmpty());
}

#include "FileDragPasteboard.h"

#include "platform/foundation/Log.h"

#include <QDataStream>
#include <QIODevice>
#include <QMimeData>
#include <QUrl>

namespace {

// The stream's own mark and format, so that data of another kind under the
// same type is refused rather than misread.
constexpr quint32 kMagic = 0x514d4644; // "QMFD"
constexpr quint16 kFormat = 1;
constexpr QDataStream::Version kPasteboardStreamVersion = QDataStream::Qt_6_0;

} // namespace

QByteArray FileDragPasteboard::archivePaths(const QStringList &paths)
{
    QByteArray data;
    QDataStream stream(&data, QIODevice::WriteOnly);
    writePaths(stream, paths);
    return data;
}

void FileDragPasteboard::writePaths(QDataStream &stream, const QStringList &paths)
{
    stream.setVersion(kPasteboardStreamVersion);
    stream << kMagic << kFormat << paths;
}

std::optional<QStringList> FileDragPasteboard::unarchivePaths(const QByteArray &data)
{
    QDataStream stream(data);
    return readPaths(stream);
}

std::optional<QStringList> FileDragPasteboard::readPaths(QDataStream &stream)
{
    stream.setVersion(kPasteboardStreamVersion);
    quint32 magic = 0;
    quint16 format = 0;
    QStringList paths;
    stream >> magic >> format;
    if (stream.status() != QDataStream::Ok || magic != kMagic || format != kFormat) {
        QM_INFO(QStringLiteral("the dragged data is no list of files of this program"));
        return std::nullopt;
    }
    stream >> paths;
    if (stream.status() != QDataStream::Ok) {
        QM_INFO(QStringLiteral("the dragged list of files is cut short"));
        return std::nullopt;
    }
    return paths;
}

bool FileDragPasteboard::hasFileNames(const QMimeData *pasteboard)
{
    return pasteboard && pasteboard->hasFormat(kFileNames);
}

QStringList FileDragPasteboard::fileNames(const QMimeData *pasteboard)
{
    QStringList paths;
    if (!hasFileNames(pasteboard))
        return paths;
    for (const QUrl &url : pasteboard->urls()) {
        if (url.isLocalFile() && !url.toLocalFile().isEmpty())
            paths.append(url.toLocalFile());
    }
    return paths;
}

void FileDragPasteboard::setFileNames(QMimeData *pasteboard, const QStringList &paths)
{
    QList<QUrl> urls;
    urls.reserve(paths.size());
    for (const QString &path : paths)
        urls.append(QUrl::fromLocalFile(path));
    pasteboard->setUrls(urls);
}

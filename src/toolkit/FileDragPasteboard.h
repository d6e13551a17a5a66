#pragma once

#include <QLatin1String>
#include <QStringList>

#include <optional>

class QDataStream;
class QMimeData;

// The program's own drag data of files, and the desktop's list of dropped
// files. "InnerFileDragMove" (rows of the file tree) and "InnerPackDragMove"
// (items of the script package list) carry a QDataStream that starts with the
// dragged paths; a writer may append more after them (the package list
// appends its items), and a reader that wants only the paths stops there.
// Files from other programs come as "text/uri-list"; only local file URLs
// count, any other address is left out.
class FileDragPasteboard
{
public:
    static constexpr QLatin1String kInnerFileDragMove{"InnerFileDragMove"};
    static constexpr QLatin1String kInnerPackDragMove{"InnerPackDragMove"};
    static constexpr QLatin1String kFileNames{"text/uri-list"};

    FileDragPasteboard() = delete;

    // The paths as the start of a stream; writePaths() is the same on a
    // stream the caller goes on writing.
    static QByteArray archivePaths(const QStringList &paths);
    static void writePaths(QDataStream &stream, const QStringList &paths);
    // The paths at the start of the data; nullopt (logged) when the data is
    // no such stream. readPaths() leaves the stream after them.
    static std::optional<QStringList> unarchivePaths(const QByteArray &data);
    static std::optional<QStringList> readPaths(QDataStream &stream);

    // Whether the drag offers the desktop's file list at all.
    static bool hasFileNames(const QMimeData *pasteboard);
    // The local paths of the drag's file list, in order; other addresses are
    // left out.
    static QStringList fileNames(const QMimeData *pasteboard);
    // Offers the paths as the desktop's file list.
    static void setFileNames(QMimeData *pasteboard, const QStringList &paths);
};

#pragma once

#include <minizip/unzip.h>

#include <QString>

// Receives the progress of an unpacking; every operation is optional.
class SSZipArchiveDelegate
{
public:
    virtual ~SSZipArchiveDelegate() = default;

    virtual void zipArchiveWillUnzipArchiveAtPath(const QString &path, const unz_global_info64 &zipInfo) {}
    // fileIndex counts the entries written so far; totalFiles is the archive's entry count.
    virtual void zipArchiveWillUnzipFileAtIndex(qint64 fileIndex, qint64 totalFiles,
                                                const QString &archivePath,
                                                const unz_file_info64 &fileInfo)
    {
    }
    virtual void zipArchiveDidUnzipFileAtIndex(qint64 fileIndex, qint64 totalFiles,
                                               const QString &archivePath,
                                               const unz_file_info64 &fileInfo)
    {
    }
    // Only after a successful unpacking.
    virtual void zipArchiveDidUnzipArchiveAtPath(const QString &path, const unz_global_info64 &zipInfo,
                                                 const QString &unzippedPath)
    {
    }
};

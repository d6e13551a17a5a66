#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <QStringList>

class SSZipArchiveDelegate;

// Why an unpacking failed.
struct SSZipArchiveError
{
    static constexpr const char *kDomain = "SSZipArchiveErrorDomain";
    enum Code {
        FailedToOpenZipFile = -1, // "failed to open zip file"
        FailedToOpenFirstFile = -2, // "failed to open first file in zip file"
        RefusedUnsafeEntry = -3, // an entry would have been written outside the destination
        FailedToWriteFile = -4, // an entry could not be written (a full disk); its file is not there
    };

    QString domain;
    int code = 0;
    QString localizedDescription;
};

// The program's zip front end over minizip: unpacks whole archives into a
// folder (the class operations) and builds archives from files or data (an
// instance). Unpacking never writes outside the destination: entries with
// ".." components or absolute names are refused, symbolic links must point
// inside the destination, and nothing is written through a link the archive
// made. A file is written completely or not at all.
class SSZipArchive
{
public:
    // Overwrites existing files; no password, no error, no delegate.
    static bool unzipFileAtPath(const QString &path, const QString &destination);
    static bool unzipFileAtPath(const QString &path, const QString &destination,
                                SSZipArchiveDelegate *delegate);
    static bool unzipFileAtPath(const QString &path, const QString &destination, bool overwrite,
                                const QString &password, SSZipArchiveError *error);
    // Answers false when the archive cannot be read, an entry is damaged or
    // cannot be written, or an unsafe entry was refused; what was written
    // before stays.
    static bool unzipFileAtPath(const QString &path, const QString &destination, bool overwrite,
                                const QString &password, SSZipArchiveError *error,
                                SSZipArchiveDelegate *delegate);

    // An archive at the path holding the files, each under its file name.
    static bool createZipFileAtPath(const QString &path, const QStringList &paths);

    // An MS-DOS date and time, read in the local time zone.
    static QDateTime dateWithMSDOSFormat(quint32 msdosDateTime);

    explicit SSZipArchive(const QString &path);
    ~SSZipArchive();
    SSZipArchive(const SSZipArchive &) = delete;
    SSZipArchive &operator=(const SSZipArchive &) = delete;

    bool open();
    // Adds the file under its last path component, undated.
    bool writeFile(const QString &path);
    // Adds the bytes under the name, dated now; false when not open or the data is null.
    bool writeData(const QByteArray &data, const QString &filename);
    bool close();

private:
    QString m_path;
    void *m_zip = nullptr; // Owned: the open minizip writer.
};

#pragma once

#include <QHash>
#include <QList>
#include <QObject>
#include <QString>
#include <QUrl>

#include <utility>

// The downloads of one page. The browser writes each download under its
// guid into a private staging folder (it never picks a name of its own
// there, so nothing is ever written over); a zip archive (by the MIME type
// of the answer that became the download) is moved, once complete, into the
// destination folder under a plain file name that is free there; any other
// download is cancelled and its part removed. The page reports the
// browser's events; the browser calls are the page's.
class WebDownloads : public QObject
{
    Q_OBJECT

public:
    explicit WebDownloads(QObject *parent = nullptr);
    ~WebDownloads() override;

    // Where accepted downloads go; empty leaves downloads to the browser's default.
    QString destination() const { return m_destination; }
    void setDestination(const QString &folder) { m_destination = folder; }
    // The private folder the browser downloads into, made on first use.
    static QString stagingFolder();

    // The MIME type accepted: only zip archives become files.
    static bool isAcceptedMimeType(const QString &mimeType);

    // The answer to a document request (a navigation that may become a download).
    void documentResponseReceived(const QUrl &url, const QString &mimeType);
    // A download of the page begins; answers whether it is to be cancelled
    // at once (its answer was seen and is no zip archive).
    bool downloadWillBegin(const QString &guid, const QUrl &url, const QString &suggestedFilename);
    // The browser's progress of a download; a guid that is not this page's is
    // ignored (answers false).
    bool downloadProgress(const QString &guid, const QString &state, const QString &filePath);
    bool isOwnDownload(const QString &guid) const { return m_downloads.contains(guid); }

    // The last path component of a suggested name with characters no file
    // name may hold replaced; "download" when nothing usable is left.
    static QString plainFileName(const QString &suggested);
    // The folder's path of the name, or "name (1).ext", "name (2).ext"...,
    // whichever is not taken yet.
    static QString freePath(const QString &folder, const QString &name);

Q_SIGNALS:
    // An accepted download is complete at that path, in the destination.
    void finished(const QString &path);
    // A download was refused (not a zip archive) or could not be put in place.
    void refused(const QUrl &url, const QString &reason);

private:
    struct Download
    {
        QUrl url;
        QString suggestedFilename;
        QString mimeType; // empty until known
    };

    void complete(const QString &guid, const Download &download, const QString &filePath);

    QString m_destination;
    QHash<QString, Download> m_downloads;           // by the browser's guid
    QList<std::pair<QUrl, QString>> m_documentTypes; // the latest document answers, newest last
};

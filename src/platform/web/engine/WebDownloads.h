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
// download is cancelled and its part removed. Unless the page's downloads
// are wanted as they come (Consent::Given: the library browser's), each
// zip archive is asked about first (questionAsked(), with its name, size and
// source) and moved only once answered yes. The staging folder goes with the
// program; one left by a run that crashed goes at the next start. The page
// reports the browser's events; the browser calls are the page's.
class WebDownloads : public QObject
{
    Q_OBJECT

public:
    explicit WebDownloads(QObject *parent = nullptr);
    ~WebDownloads() override;

    // Whether a download is taken as it comes, or asked about first.
    enum class Consent { AskFirst, Given };

    // Where accepted downloads go; empty leaves downloads to the browser's default.
    QString destination() const { return m_destination; }
    void setDestination(const QString &folder, Consent consent)
    {
        m_destination = folder;
        m_consent = consent;
    }
    Consent consent() const { return m_consent; }
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
    bool downloadProgress(const QString &guid, const QString &state, const QString &filePath,
                          qint64 totalBytes = 0, qint64 receivedBytes = 0);
    // The user's answer to questionAsked(); answers whether the browser is to
    // cancel the download (it is still under way and not taken).
    bool answer(const QString &guid, bool take);
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
    // A download was refused (not a zip archive, not taken) or could not be put in place.
    void refused(const QUrl &url, const QString &reason);
    // Whether to take the download: name as it would be saved, size in bytes
    // (-1 when not known), the address it comes from. Answer with answer().
    void questionAsked(const QString &guid, const QString &name, qint64 size, const QUrl &url);

private:
    struct Download
    {
        QUrl url;
        QString suggestedFilename;
        QString mimeType; // empty until known
        bool asked = false;
        bool taken = false;  // answered yes (or never to be asked)
        bool declined = false; // answered no while under way
        QString completedAt; // the staged file, when complete before the answer
    };

    void ask(const QString &guid, Download &download, qint64 size);
    QString nameOf(const Download &download) const;

    void complete(const QString &guid, const Download &download, const QString &filePath);

    QString m_destination;
    Consent m_consent = Consent::AskFirst;
    QHash<QString, Download> m_downloads;           // by the browser's guid
    QList<std::pair<QUrl, QString>> m_documentTypes; // the latest document answers, newest last
};

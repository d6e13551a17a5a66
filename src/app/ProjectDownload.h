#pragma once

#include <QFile>
#include <QNetworkAccessManager>
#include <QObject>
#include <QPointer>
#include <QProgressDialog>
#include <QString>
#include <QUrl>

#include <memory>

class OperationQueue;
class QNetworkReply;
class QWidget;
class StagedFolder;

// Fetches a project archive and makes a project folder of it without holding
// up the interface. The transfer runs on a network access manager behind a
// window-modal progress sheet with a Cancel button, and is given up when it
// sends nothing for the transfer time-out. The archive is written into a
// staging folder beside the destination and unpacked there on a worker
// thread; only a complete unpack takes the destination's place (what was
// there goes to the Trash). A failure, a time-out or Cancel alerts and leaves
// the destination as it was. The object deletes itself once it has finished.
class ProjectDownload : public QObject
{
    Q_OBJECT

public:
    static constexpr int kTransferTimeoutMs = 60000;
    static constexpr qint64 kReadBufferBytes = 512 * 1024;

    ProjectDownload(const QUrl &url, const QString &destination, QWidget *window, QObject *parent = nullptr);
    ~ProjectDownload() override;

    QUrl url() const { return m_url; }
    QString destination() const { return m_destination; }
    void setTransferTimeout(int milliseconds) { m_transferTimeout = milliseconds; }

    void start();
    // Stops the transfer or drops the unpacked files; the destination stays
    // as it was.
    void cancel();
    QProgressDialog *progressSheet() const { return m_sheet; }

Q_SIGNALS:
    // The destination now holds the project; page is its first
    // "index.html", found while it was unpacked (empty when none).
    void succeeded(const QString &destination, const QString &page);
    // Nothing changed at the destination; the user was told why.
    void failed(const QString &message);

private:
    void readAvailable();
    void transferFinished();
    void unpacked(bool ok, const QString &error, const QString &page);
    void fail(const QString &message);
    void finish();

    QUrl m_url;
    QString m_destination;
    QPointer<QWidget> m_window;
    int m_transferTimeout = kTransferTimeoutMs;
    QNetworkAccessManager m_manager;
    QPointer<QNetworkReply> m_reply;
    QPointer<QProgressDialog> m_sheet;
    // Shared with the unpacking, which may outlast a Cancel.
    std::shared_ptr<StagedFolder> m_staging;
    QFile m_archive;
    QString m_writeError;
    bool m_cancelled = false;
    bool m_finished = false;
    // Declared last: it finishes its work before the staging folder goes.
    std::unique_ptr<OperationQueue> m_queue;
};

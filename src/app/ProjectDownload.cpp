#include "ProjectDownload.h"

#include "FileOperations.h"
#include "StagedFolder.h"

#include "platform/foundation/Log.h"
#include "platform/foundation/OperationQueue.h"
#include "platform/kit/Alert.h"

#include <QFileInfo>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QProgressDialog>

ProjectDownload::ProjectDownload(const QUrl &url, const QString &destination, QWidget *window, QObject *parent)
    : QObject(parent)
    , m_url(url)
    , m_destination(QFileInfo(destination).absoluteFilePath())
    , m_window(window)
    , m_queue(std::make_unique<OperationQueue>(1))
{
}

ProjectDownload::~ProjectDownload()
{
    if (m_reply)
        m_reply->abort();
    // The unpacking finishes before the staging folder is removed.
    m_queue.reset();
    delete m_sheet;
}

void ProjectDownload::start()
{
    const QFileInfo destination(m_destination);
    m_staging = std::make_shared<StagedFolder>(destination.absolutePath(), destination.fileName() + QStringLiteral("-download"));
    if (!m_staging->isValid()) {
        fail(QStringLiteral("No room could be made for the download beside \"%1\": %2")
                 .arg(m_destination, m_staging->errorString()));
        return;
    }
    m_archive.setFileName(m_staging->path() + QLatin1Char('/') + destination.fileName() + QStringLiteral(".zip"));
    if (!m_archive.open(QIODevice::WriteOnly)) {
        fail(m_archive.errorString());
        return;
    }

    m_sheet = new QProgressDialog(m_window);
    m_sheet->setWindowTitle(QStringLiteral("Download"));
    m_sheet->setLabelText(QStringLiteral("Downloading \"%1\"...").arg(destination.fileName()));
    m_sheet->setCancelButtonText(QStringLiteral("Cancel"));
    m_sheet->setRange(0, 0);
    m_sheet->setMinimumDuration(0);
    m_sheet->setAutoClose(false);
    m_sheet->setAutoReset(false);
    m_sheet->setWindowModality(m_window ? Qt::WindowModal : Qt::ApplicationModal);
    connect(m_sheet, &QProgressDialog::canceled, this, &ProjectDownload::cancel);
    m_sheet->show();

    QNetworkRequest request(m_url);
    request.setTransferTimeout(m_transferTimeout);
    m_reply = m_manager.get(request);
    // A fast server would otherwise fill memory and hand the whole archive
    // over in one read: it is taken in bounded pieces.
    m_reply->setReadBufferSize(kReadBufferBytes);
    connect(m_reply, &QIODevice::readyRead, this, &ProjectDownload::readAvailable);
    connect(m_reply, &QNetworkReply::downloadProgress, this, [this](qint64 received, qint64 total) {
        if (!m_sheet || total <= 0)
            return;
        // The bar counts kilobytes: an int holds archives of any size then.
        m_sheet->setRange(0, int(total / 1024) + 1);
        m_sheet->setValue(int(received / 1024));
    });
    connect(m_reply, &QNetworkReply::finished, this, &ProjectDownload::transferFinished);
}

void ProjectDownload::readAvailable()
{
    if (!m_reply || !m_reply->isOpen())
        return;
    const QByteArray chunk = m_reply->readAll();
    if (m_writeError.isEmpty() && m_archive.write(chunk) != chunk.size()) {
        m_writeError = m_archive.errorString();
        m_reply->abort();
    }
}

void ProjectDownload::cancel()
{
    if (m_finished)
        return;
    m_cancelled = true;
    if (m_reply && m_reply->isRunning()) {
        m_reply->abort();
        return;
    }
    // Unpacking: its result is dropped when it comes.
    fail(QStringLiteral("The download was cancelled."));
}

void ProjectDownload::transferFinished()
{
    if (!m_reply || m_finished)
        return;
    readAvailable();
    // The last bytes wait in the file's buffer: a full disk shows only here.
    if (m_writeError.isEmpty() && !m_archive.flush())
        m_writeError = m_archive.errorString();
    m_archive.close();
    const QNetworkReply::NetworkError error = m_reply->error();
    const int status = m_reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    const QString errorText = m_reply->errorString();
    m_reply->deleteLater();
    if (m_cancelled) {
        fail(QStringLiteral("The download was cancelled."));
        return;
    }
    if (!m_writeError.isEmpty()) {
        fail(m_writeError);
        return;
    }
    if (error == QNetworkReply::OperationCanceledError || error == QNetworkReply::TimeoutError) {
        fail(QStringLiteral("The download of %1 stopped: nothing arrived for %2 seconds.")
                 .arg(m_url.toDisplayString())
                 .arg(m_transferTimeout / 1000.0, 0, 'g', 3));
        return;
    }
    if (error != QNetworkReply::NoError) {
        fail(errorText);
        return;
    }
    if (status >= 400) {
        fail(QStringLiteral("The server answered %1 for %2.").arg(status).arg(m_url.toDisplayString()));
        return;
    }

    if (m_sheet) {
        m_sheet->setLabelText(QStringLiteral("Unpacking \"%1\"...").arg(QFileInfo(m_destination).fileName()));
        m_sheet->setRange(0, 0);
    }
    std::shared_ptr<StagedFolder> staging = m_staging;
    const QString archive = m_archive.fileName();
    m_queue->addOperationWithBlock([this, staging, archive](const Operation &) {
        const Result<void> result = staging->unpack(archive);
        QFile::remove(archive);
        // The page to open is looked for here too: the tree then reads only
        // the folders on the way to it.
        const QString page = result ? FileOperations::firstItemNamed(staging->contentPath(), QStringLiteral("index.html"))
                                    : QString();
        const QString relative = page.isEmpty() ? QString() : page.mid(staging->contentPath().size());
        QMetaObject::invokeMethod(
            this, [this, ok = result.isOk(), error = result.error(), relative] { unpacked(ok, error, relative); },
            Qt::QueuedConnection);
    });
}

void ProjectDownload::unpacked(bool ok, const QString &error, const QString &page)
{
    if (m_finished)
        return;
    if (m_cancelled) {
        fail(QStringLiteral("The download was cancelled."));
        return;
    }
    if (!ok) {
        fail(error);
        return;
    }
    const Result<void> replaced = m_staging->replace(m_destination);
    if (!replaced) {
        fail(replaced.error());
        return;
    }
    finish();
    Q_EMIT succeeded(m_destination, page.isEmpty() ? QString() : m_destination + page);
}

void ProjectDownload::fail(const QString &message)
{
    if (m_finished)
        return;
    QM_ERROR(QStringLiteral("%1 could not be made from %2: %3").arg(m_destination, m_url.toDisplayString(), message));
    finish();
    Alert::runAlertPanel(message, QString(), QStringLiteral("OK"));
    Q_EMIT failed(message);
}

void ProjectDownload::finish()
{
    m_finished = true;
    // The staging folder goes now, or when an unpacking still under way ends.
    m_archive.close();
    m_staging.reset();
    if (m_sheet) {
        m_sheet->hide();
        m_sheet->deleteLater();
    }
    deleteLater();
}

// PreviewDelegate: the library download sheet.

#include "PreviewDelegate.h"

#include "DownloaderDelegate.h"

#include "interfaces/ProjectDelegateInterface.h"
#include "platform/foundation/Log.h"
#include "platform/kit/Alert.h"
#include "workspace/File.h"

#include <QDialog>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>

namespace {

// How long the index page may take to answer.
constexpr int kIndexTimeoutMs = 60000;

} // namespace

void PreviewDelegate::downloadLib()
{
    if (m_libraryRequestPending)
        return;
    File *target = nullptr;
    if (m_projectDelegate) {
        target = m_projectDelegate->clickedFile();
        if (!target)
            target = m_projectDelegate->selectedFile();
        if (!target && !m_projectDelegate->projects().isEmpty())
            target = m_projectDelegate->projects().first();
    }
    if (!target) {
        Alert alert;
        alert.setMessageText(QStringLiteral("Libraries are downloaded into a project: add a project first."));
        alert.addButtonWithTitle(QStringLiteral("OK"));
        alert.runModal(m_window);
        return;
    }
    // The index page is asked without blocking: the sheet opens when it answers.
    if (!m_libraryNetwork)
        m_libraryNetwork = new QNetworkAccessManager(this);
    QNetworkRequest request(DownloaderDelegate::startPage(0));
    request.setAttribute(QNetworkRequest::CacheLoadControlAttribute, QNetworkRequest::AlwaysNetwork);
    request.setTransferTimeout(kIndexTimeoutMs);
    m_libraryRequestPending = true;
    QNetworkReply *reply = m_libraryNetwork->get(request);
    const QPointer<File> guard(target);
    connect(reply, &QNetworkReply::finished, this, [this, reply, guard] {
        reply->deleteLater();
        m_libraryRequestPending = false;
        if (reply->error() != QNetworkReply::NoError) {
            QM_INFO(QStringLiteral("the library index %1 cannot be read: %2")
                        .arg(reply->url().toString(), reply->errorString()));
            Alert alert;
            alert.setMessageText(reply->errorString());
            alert.addButtonWithTitle(QStringLiteral("OK"));
            alert.runModal(m_window);
            return;
        }
        if (!guard)
            return;
        if (!m_downloaderDelegate) {
            m_downloaderDelegate = new DownloaderDelegate(m_window, this);
            m_downloaderDelegate->setCloseAction([this] { closeDownloadLib(); });
        }
        m_downloaderDelegate->setFile(guard);
        m_downloaderDelegate->downloadPanel()->open();
        m_downloaderDelegate->initLink();
    });
}

void PreviewDelegate::closeDownloadLib()
{
    if (m_downloaderDelegate)
        m_downloaderDelegate->downloadPanel()->hide();
}

// PreviewDelegate: the downloads the page starts, each asked about (name,
// size and source) before anything of it reaches a folder the user sees.

#include "PreviewDelegate.h"

#include "ExWebView.h"

#include "platform/foundation/Log.h"
#include "platform/kit/Alert.h"
#include "platform/web/engine/WebPage.h"

#include <QLocale>

void PreviewDelegate::connectDownloads()
{
    WebPage *page = m_webview->webPage();
    connect(page, &WebPage::downloadFinished, this, [this](const QString &path) {
        QM_INFO(QStringLiteral("downloaded %1").arg(path));
        setStatus(QStringLiteral("Downloaded %1").arg(path));
    });
    connect(page, &WebPage::downloadRefused, this, [this](const QUrl &url, const QString &reason) {
        QM_INFO(QStringLiteral("not downloaded %1: %2").arg(url.toString(), reason));
        m_downloadQuestions.removeIf([&url](const DownloadQuestion &question) { return question.url == url; });
    });
    connect(page, &WebPage::downloadQuestion, this,
            [this](const QString &guid, const QString &name, qint64 size, const QUrl &url) {
                m_downloadQuestions.append({guid, name, size, url});
                if (m_downloadQuestions.size() == 1)
                    askAboutDownload();
            });
}

void PreviewDelegate::askAboutDownload()
{
    if (m_downloadQuestions.isEmpty() || !m_webview)
        return;
    const DownloadQuestion question = m_downloadQuestions.first();
    const QString size = question.size < 0 ? QStringLiteral("size unknown")
                                           : QLocale::c().formattedDataSize(question.size, 1, QLocale::DataSizeSIFormat);
    Alert alert;
    alert.setAlertStyle(Alert::Style::Informational);
    alert.setMessageText(QStringLiteral("The page wants to download \"%1\" (%2).").arg(question.name, size));
    alert.setInformativeText(QStringLiteral("From %1").arg(question.url.toString()));
    alert.addButtonWithTitle(QStringLiteral("Download"));
    alert.addButtonWithTitle(QStringLiteral("Cancel"));
    // A page may ask many times: the rest can go at once.
    if (m_downloadQuestions.size() > 1)
        alert.addButtonWithTitle(QStringLiteral("Cancel All"));
    QPointer<PreviewDelegate> guard(this);
    QPointer<WebPage> page = m_webview->webPage();
    alert.beginSheetModalForWindow(m_window, [guard, page](int response) {
        if (!guard || !page)
            return;
        const QList<DownloadQuestion> answered = response == Alert::ThirdButtonReturn
            ? std::exchange(guard->m_downloadQuestions, {})
            : QList<DownloadQuestion>{guard->m_downloadQuestions.takeFirst()};
        for (const DownloadQuestion &each : answered)
            page->answerDownload(each.guid, response == Alert::FirstButtonReturn);
        guard->askAboutDownload();
    });
}

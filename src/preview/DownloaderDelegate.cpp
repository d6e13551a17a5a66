#include "DownloaderDelegate.h"

#include "DownloadLibView.h"

#include "platform/foundation/Bundle.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/kit/Alert.h"
#include "platform/kit/SegmentedControl.h"
#include "platform/web/engine/WebDownloads.h"
#include "platform/web/engine/WebPage.h"
#include "toolkit/SearchFieldEx.h"
#include "workspace/File.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QMenu>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

const QStringList s_segmentTitles = {QStringLiteral("Libraries"), QStringLiteral("Frameworks"),
                                     QStringLiteral("Plugins"), QStringLiteral("Icon Fonts")};

} // namespace

DownloaderDelegate::DownloaderDelegate(QWidget *window, QObject *parent)
    : QObject(parent)
    , m_window(window)
    , m_downloadPanel(new QDialog(window))
{
    m_downloadPanel->setObjectName(QStringLiteral("downloadSheet"));
    m_downloadPanel->setWindowTitle(QStringLiteral("Download Libraries"));
    m_downloadPanel->setWindowModality(Qt::WindowModal);
    m_downloadPanel->resize(900, 620);
    auto *layout = new QVBoxLayout(m_downloadPanel);
    layout->setContentsMargins(10, 10, 10, 10);
    layout->setSpacing(8);

    auto *bar = new QHBoxLayout;
    m_seg = new SegmentedControl(m_downloadPanel);
    m_seg->setObjectName(QStringLiteral("seg"));
    m_seg->setSegmentCount(int(s_segmentTitles.size()));
    for (int i = 0; i < s_segmentTitles.size(); ++i)
        m_seg->setLabel(s_segmentTitles.at(i), i);
    bar->addWidget(m_seg);
    m_urlText = new SearchFieldEx(m_downloadPanel);
    m_urlText->setObjectName(QStringLiteral("urlText"));
    m_urlText->setPlaceholderText(QStringLiteral("Address of a page or of a zip archive"));
    m_urlText->historyMenu()->setTitle(QStringLiteral("libHistory"));
    bar->addWidget(m_urlText, 1);
    m_indicator = new QProgressBar(m_downloadPanel);
    m_indicator->setObjectName(QStringLiteral("indicator"));
    m_indicator->setRange(0, 0);
    m_indicator->setTextVisible(false);
    m_indicator->setFixedSize(60, 10);
    m_indicator->hide();
    bar->addWidget(m_indicator);
    layout->addLayout(bar);

    m_downloadLibView = new DownloadLibView(m_downloadPanel);
    layout->addWidget(m_downloadLibView, 1);

    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Close, m_downloadPanel);
    layout->addWidget(buttons);
    // Close and Escape both close the sheet the way its owner says.
    connect(buttons, &QDialogButtonBox::rejected, m_downloadPanel, &QDialog::reject);
    connect(m_downloadPanel, &QDialog::rejected, this, [this] {
        if (m_close)
            m_close();
    });

    connect(m_seg, &SegmentedControl::activated, this, [this] { changeHtml(m_seg->selectedSegment()); });
    connect(m_urlText, &SearchFieldEx::activated, this, &DownloaderDelegate::changeURL);
    m_urlText->setSearchFieldDelegate({[this](SearchFieldEx *, QAction *item) { selectHistory(item); }});

    WebPage *page = m_downloadLibView->webPage();
    connect(page, &WebPage::loadStarted, this, [this] { showIndicator(true); });
    connect(page, &WebPage::loadFinished, this, [this](bool) { showIndicator(false); });
    connect(page, &WebPage::navigationFailed, this,
            [this](const QUrl &, const QString &errorText, const QString &) { loadFailed(errorText); });
    connect(page, &WebPage::downloadFinished, this, &DownloaderDelegate::downloadDidFinish);
    connect(page, &WebPage::downloadRefused, this, [this](const QUrl &url, const QString &reason) {
        QM_INFO(QStringLiteral("the library browser did not download %1: %2").arg(url.toString(), reason));
        showIndicator(false);
    });
    resetHistoryMenu();
}

DownloaderDelegate::~DownloaderDelegate()
{
    delete m_downloadPanel;
}

QUrl DownloaderDelegate::startPage(int segment)
{
    const UserDefaults &defaults = UserDefaults::standardUserDefaults();
    if (segment == 3) {
        const QString service = defaults.stringForKey(QStringLiteral("iconFontServiceURL"));
        return QUrl(service.isEmpty() ? QStringLiteral("https://fontello.com/") : service);
    }
    const QStringList pages = defaults.objectForKey(QStringLiteral("libraryIndexPages")).toStringList();
    if (segment >= 0 && segment < pages.size() && !pages.at(segment).isEmpty())
        return QUrl(pages.at(segment));
    static const QStringList names = {QStringLiteral("index.html"), QStringLiteral("index2.html"),
                                      QStringLiteral("index3.html")};
    return QUrl::fromLocalFile(Bundle::resourcePath() + QStringLiteral("/download/libslink/")
                               + names.value(qBound(0, segment, 2)));
}

File *DownloaderDelegate::file() const
{
    return m_file.data();
}

void DownloaderDelegate::setFile(File *file)
{
    m_file = file;
    // What the library browser downloads is what the user came for: taken unasked.
    m_downloadLibView->webPage()->setDownloadFolder(targetFolder(), WebDownloads::Consent::Given);
}

QString DownloaderDelegate::targetFolder() const
{
    if (!m_file)
        return {};
    const QString path = m_file->path();
    return QFileInfo(path).isDir() ? path : QFileInfo(path).path();
}

void DownloaderDelegate::initLink()
{
    showIndicator(false);
    // An address typed before stays, and is not loaded again.
    if (!m_urlText->text().isEmpty())
        return;
    m_seg->setSelectedSegment(0);
    load(startPage(0));
}

void DownloaderDelegate::changeHtml(int segment)
{
    if (segment < 0 || segment > 3)
        return;
    m_urlText->setText(QString());
    load(startPage(segment));
    showIndicator(false);
}

void DownloaderDelegate::changeURL()
{
    const QString text = m_urlText->text();
    if (text.isEmpty())
        return;
    // The address is loaded as typed: no scheme is added.
    load(QUrl(text));
    for (int i = 0; i < m_seg->segmentCount(); ++i)
        m_seg->setSelected(false, i);
    m_urlText->addHistory(text);
    resetHistoryMenu();
}

void DownloaderDelegate::resetHistoryMenu()
{
    m_urlText->refreshSearchMenu();
}

void DownloaderDelegate::selectHistory(QAction *item)
{
    if (!item)
        return;
    m_urlText->setText(item->text());
    changeURL();
}

void DownloaderDelegate::load(const QUrl &url)
{
    m_downloadLibView->load(url);
}

void DownloaderDelegate::showIndicator(bool shown)
{
    m_indicator->setVisible(shown);
}

void DownloaderDelegate::loadFailed(const QString &errorText)
{
    showIndicator(false);
    // Only a computer without a connection is told; other failures show
    // the browser's own page.
    if (errorText != QLatin1String("net::ERR_INTERNET_DISCONNECTED"))
        return;
    Alert alert;
    alert.setMessageText(QStringLiteral("The Internet connection appears to be offline."));
    alert.setInformativeText(QString());
    alert.addButtonWithTitle(QStringLiteral("OK"));
    alert.runModal(m_downloadPanel);
}

void DownloaderDelegate::downloadDidFinish(const QString &path)
{
    QM_INFO(QStringLiteral("library downloaded to %1").arg(path));
    File *folder = m_file && !QFileInfo(m_file->path()).isDir() ? m_file->parentFile() : m_file.data();
    NotificationCenter::defaultCenter().postNotificationName(QStringLiteral("didLoadedFromWeb"), this,
                                                             {{QStringLiteral("file"), QVariant::fromValue(folder)}});
    showIndicator(false);
}

#include "PreviewTestSupport.h"

#include "platform/foundation/NotificationCenter.h"
#include "platform/kit/Alert.h"
#include "preview/DownloadLibView.h"
#include "preview/DownloaderDelegate.h"

#include <QDialog>
#include <QDir>
#include <QTcpServer>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

// The library index pages pointed at the addresses given, forgotten afterwards.
class IndexPages
{
public:
    explicit IndexPages(const QStringList &pages)
    {
        UserDefaults::standardUserDefaults().setObject(pages, QStringLiteral("libraryIndexPages"));
    }
    ~IndexPages() { UserDefaults::standardUserDefaults().removeObjectForKey(QStringLiteral("libraryIndexPages")); }
};

// Keeps the alerts' messages, answering the first button.
class AlertRecorder
{
public:
    AlertRecorder()
    {
        Alert::setResponder([this](Alert &alert) {
            messages.append(alert.messageText());
            return int(Alert::FirstButtonReturn);
        });
    }
    ~AlertRecorder() { Alert::setResponder({}); }
    QStringList messages;
};

} // namespace

TEST(PreviewLibrary, AnUnreachableIndexPageShowsItsErrorAndNoSheetWhileTheEventLoopRuns)
{
    PreviewHarness harness;
    QTemporaryDir project;
    harness.projects.open(project.path());
    // A port nothing listens on.
    QTcpServer closed;
    ASSERT_TRUE(closed.listen(QHostAddress::LocalHost));
    const quint16 port = closed.serverPort();
    closed.close();
    IndexPages pages({QStringLiteral("http://127.0.0.1:%1/libslink/index.html").arg(port)});
    AlertRecorder alerts;

    harness.preview.downloadLib();
    // Nothing waits for the answer: the call returns before it, and the
    // event loop brings it.
    EXPECT_TRUE(alerts.messages.isEmpty());
    ASSERT_TRUE(TestUtil::waitUntil([&] { return !alerts.messages.isEmpty(); }, 10000));
    EXPECT_TRUE(alerts.messages.first().contains(QLatin1String("refused"), Qt::CaseInsensitive))
        << qPrintable(alerts.messages.first());
    EXPECT_EQ(harness.preview.downloaderDelegate(), nullptr);
}

TEST(PreviewLibrary, TheLibraryBrowserDownloadsAZipIntoTheProjectFolderAndNamesThatFoldersNode)
{
    PreviewHarness harness;
    QTemporaryDir project;
    QDir(project.path()).mkpath(QStringLiteral("vendor"));
    TestUtil::writeFile(project.filePath(QStringLiteral("vendor/readme.txt")), "libraries");
    harness.projects.open(project.path());
    File *readme = harness.projects.fileAt(project.filePath(QStringLiteral("vendor/readme.txt")));
    ASSERT_TRUE(readme);
    harness.projects.selected = readme;

    QTemporaryDir site;
    LoopbackHttpServer server(site.path());
    ASSERT_TRUE(server.start());
    static const char archive[] = "PK\x03\x04 library bytes";
    TestUtil::writeFile(QDir(site.path()).filePath(QStringLiteral("lib.zip")), QByteArray(archive, sizeof archive - 1));
    TestUtil::writeFile(QDir(site.path()).filePath(QStringLiteral("index.html")),
                        "<!DOCTYPE html><a id='zip' href='lib.zip'>lib</a>");
    IndexPages pages({server.url(QStringLiteral("index.html")).toString()});

    File *named = nullptr;
    NotificationCenter::defaultCenter().addObserver(&harness.preview, QStringLiteral("didLoadedFromWeb"), nullptr,
                                                    [&named](const Notification &notification) {
                                                        named = notification.userInfo.value(QStringLiteral("file"))
                                                                    .value<File *>();
                                                    });
    harness.preview.downloadLib();
    ASSERT_TRUE(TestUtil::waitUntil([&] { return harness.preview.downloaderDelegate() != nullptr; }, 10000));
    DownloaderDelegate &browser = *harness.preview.downloaderDelegate();
    EXPECT_TRUE(browser.downloadPanel()->isVisible());
    EXPECT_EQ(browser.targetFolder(), project.filePath(QStringLiteral("vendor")));

    // The index page loads; its zip link downloads into the folder.
    WebTestFixture fixture(*browser.downloadLibView());
    ASSERT_TRUE(TestUtil::waitUntil([&] {
        return fixture.evaluate(QStringLiteral("document.getElementById('zip') ? 1 : 0"), WebTestFixture::World::Page)
                   .toInt() == 1;
    }, 10000));
    fixture.evaluate(QStringLiteral("document.getElementById('zip').click()"), WebTestFixture::World::Page);
    ASSERT_TRUE(TestUtil::waitUntil([&] { return named != nullptr; }, 10000));
    NotificationCenter::defaultCenter().removeObserver(&harness.preview);
    EXPECT_EQ(named, readme->parentFile());
    EXPECT_EQ(TestUtil::readFile(project.filePath(QStringLiteral("vendor/lib.zip"))),
              QByteArray(archive, sizeof archive - 1));

    // Escape closes the sheet; opening it again keeps a typed address.
    browser.urlText()->setText(server.url(QStringLiteral("index.html")).toString());
    browser.downloadPanel()->reject();
    EXPECT_FALSE(browser.downloadPanel()->isVisible());
    harness.preview.downloadLib();
    ASSERT_TRUE(TestUtil::waitUntil([&] { return browser.downloadPanel()->isVisible(); }, 10000));
    EXPECT_FALSE(browser.urlText()->text().isEmpty());
    browser.downloadPanel()->reject();
}

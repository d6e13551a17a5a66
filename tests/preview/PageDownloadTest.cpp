// Saving a page shown in the real engine, with its resources, from the
// loopback server and from a project folder.

#include "PreviewTestSupport.h"

#include "platform/foundation/NotificationCenter.h"
#include "platform/kit/Alert.h"
#include "platform/kit/FilePanel.h"
#include "preview/PageDownloadManager.h"
#include "preview/ResourceBodyFetcher.h"
#include "toolkit/OutlineViewEx.h"

#include <QCheckBox>
#include <QDialog>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

#include <algorithm>

namespace {

// The preview with the page-saving sheet, the folder chooser answering with
// a folder of the test's, and every alert recorded and answered.
class SaveHarness : public PreviewHarness
{
public:
    SaveHarness() : manager(&container)
    {
        manager.setPreviewDelegate(&preview);
        FilePanel::setResponder([this](const FilePanel &panel) {
            EXPECT_EQ(panel.prompt(), QStringLiteral("Download"));
            EXPECT_TRUE(panel.canChooseDirectories());
            return std::optional<QStringList>(QStringList{target.path()});
        });
        Alert::setResponder([this](Alert &alert) {
            alerts.append(alert.messageText());
            details.append(alert.informativeText());
            if (!alert.showsSuppressionButton())
                return int(Alert::FirstButtonReturn);
            alert.setSuppressionButtonChecked(applyToAll);
            return int(overwrite ? Alert::FirstButtonReturn : Alert::SecondButtonReturn);
        });
        NotificationCenter::defaultCenter().addObserver(&manager, QStringLiteral("resourceDownloadComplete"), &manager,
                                                        [this](const Notification &n) {
                                                            completed.append(n.userInfo.value(QStringLiteral("path")).toString());
                                                        });
    }
    ~SaveHarness()
    {
        NotificationCenter::defaultCenter().removeObserver(&manager);
        FilePanel::setResponder({});
        Alert::setResponder({});
    }

    // Waits for the page's resources to be listed and, unless some are
    // meant to fail, for every one's bytes too.
    bool loadWithResources(const QUrl &url, int resources, bool allBodies = true)
    {
        if (!load(url))
            return false;
        return TestUtil::waitUntil([&] {
            manager.displayWindow();
            manager.closeWindow();
            // The bodies come after the records, a few at a time.
            const QList<File *> listed = manager.resourceList();
            return listed.size() == resources
                && (!allBodies || std::all_of(listed.cbegin(), listed.cend(), [](File *file) {
                       return !file->webResourceData().isEmpty();
                   }));
        }, 10000) || (dumpList(), false);
    }
    // Opens the sheet, presses its OK button and answers the folder chooser.
    void download()
    {
        manager.displayWindow();
        manager.okButton()->click();
    }
    // The same when bytes are fetched first: waits for the count.
    bool downloadAfterFetching()
    {
        alerts.clear();
        download();
        return TestUtil::waitUntil([&] { return !alerts.isEmpty(); }, 30000);
    }
    void dumpList() const
    {
        for (File *file : manager.resourceList())
            std::fprintf(stderr, "listed %s\n", qPrintable(file->path()));
        std::fprintf(stderr, "items %s\n", qPrintable(manager.allItems().join(QLatin1Char(' '))));
    }
    QString saved(const QString &path) const { return target.filePath(path); }

    PageDownloadManager manager;
    QTemporaryDir target;
    QStringList alerts;
    QStringList details;
    QStringList completed;
    bool overwrite = true;
    bool applyToAll = false;
};

} // namespace

TEST(PageDownload, SavedPathsKeepHostAndFoldersAndRefuseWaysOut)
{
    const auto path = [](const char *url, bool page = false) {
        return PageDownloadManager::relativePathOfURL(QUrl(QString::fromLatin1(url)), page).value_or(QStringLiteral("refused"));
    };
    EXPECT_EQ(path("http://example.com/", true), QStringLiteral("example.com/index.html"));
    EXPECT_EQ(path("http://example.com", true), QStringLiteral("example.com/index.html"));
    EXPECT_EQ(path("http://example.com/css/site.css"), QStringLiteral("example.com/css/site.css"));
    EXPECT_EQ(path("http://example.com/docs/", true), QStringLiteral("example.com/docs/index.html"));
    EXPECT_EQ(path("http://example.com/about", true), QStringLiteral("example.com/about/index.html"));
    EXPECT_EQ(path("http://example.com/api/data"), QStringLiteral("example.com/api/data"));
    EXPECT_EQ(path("http://example.com/a%20b/c.css"), QStringLiteral("example.com/a b/c.css"));
    EXPECT_EQ(path("http://example.com/a%2Fb.css"), QStringLiteral("example.com/a/b.css"));
    EXPECT_EQ(path("http://example.com/%2e%2e/%2e%2e/etc/passwd"), QStringLiteral("refused"));
    EXPECT_EQ(path("http://example.com/..%2f..%2fsecret.css"), QStringLiteral("refused"));
    EXPECT_EQ(path("http://example.com/a/%2E/b.css"), QStringLiteral("refused"));
    EXPECT_EQ(path("http://example.com/a%00.css"), QStringLiteral("refused"));

    EXPECT_EQ(PageDownloadManager::destinationIn(QStringLiteral("/tmp/out"), QStringLiteral("h/a.css")),
              QStringLiteral("/tmp/out/h/a.css"));
    EXPECT_FALSE(PageDownloadManager::destinationIn(QStringLiteral("/tmp/out"), QStringLiteral("h/../../a.css")));
    EXPECT_FALSE(PageDownloadManager::destinationIn(QStringLiteral("/tmp/out"), QStringLiteral("/etc/a.css")));
    EXPECT_FALSE(PageDownloadManager::destinationIn(QStringLiteral("/tmp/out"), QStringLiteral("../out2/a.css")));
}

TEST(PageDownload, ANetworkPageIsSavedUnderItsHostWithItsLinksMadeRelative)
{
    SaveHarness harness;
    Site site;
    const QByteArray css = "body { color: green }";
    site.write(QStringLiteral("css/site.css"), css);
    site.write(QStringLiteral("css2/other.css"), "p { margin: 0 }");
    site.write(QStringLiteral("js/app.js"), "var a = 1;");
    const QUrl page = site.server.url(QStringLiteral("index.html"));
    const QString origin = QStringLiteral("http://") + page.authority();
    const QString authority = QStringLiteral("//") + page.authority();
    site.write(QStringLiteral("index.html"),
               ("<!DOCTYPE html><html><head>"
                "<link rel=\"canonical\" href=\"" + origin + "/css/site.css\">"
                "<link rel=stylesheet href='" + origin + "/css/site.css'>"
                "<link rel=\"stylesheet\" href=\"/css2/other.css\">"
                "<script src=\"" + authority + "/js/app.js\"></script>"
                "</head><body><a href=\"\">here</a><a href=\"/js/app.js\">code</a></body></html>")
                   .toUtf8());
    ASSERT_TRUE(harness.loadWithResources(page, 4));

    // The tree: the site, its folders, and the page as the site's index.html,
    // in the order of the resource list (scripts before style sheets).
    const QString top = QStringLiteral("http://127.0.0.1");
    EXPECT_EQ(harness.manager.childrenOfItem(QString()), QStringList{top});
    EXPECT_EQ(harness.manager.childrenOfItem(top),
              (QStringList{top + QStringLiteral("/index.html"), top + QStringLiteral("/js"), top + QStringLiteral("/css"),
                           top + QStringLiteral("/css2")}));
    EXPECT_EQ(harness.manager.indexFile(), harness.manager.fileWithItem(top + QStringLiteral("/index.html")));

    // Unticking a folder leaves a sibling whose name begins the same way.
    harness.manager.displayWindow();
    EXPECT_EQ(harness.manager.indexLinkCount(), 4);
    harness.manager.checkChange(top + QStringLiteral("/css"), false);
    EXPECT_FALSE(harness.manager.isSelected(top + QStringLiteral("/css/site.css")));
    EXPECT_TRUE(harness.manager.isSelected(top + QStringLiteral("/css2/other.css")));
    EXPECT_EQ(harness.manager.indexLinkCount(), 3);
    harness.manager.checkChange(top + QStringLiteral("/css"), true);
    EXPECT_TRUE(harness.manager.isSelected(top + QStringLiteral("/css/site.css")));
    harness.manager.deselectAll();
    EXPECT_FALSE(harness.manager.okButton()->isEnabled());
    harness.manager.selectAll();
    EXPECT_TRUE(harness.manager.okButton()->isEnabled());
    harness.manager.closeWindow();

    harness.download();
    EXPECT_EQ(harness.alerts, QStringList{QStringLiteral("4 files downloaded.")});
    EXPECT_EQ(harness.completed, QStringList{harness.target.path()});
    EXPECT_EQ(TestUtil::readFile(harness.saved(QStringLiteral("127.0.0.1/css/site.css"))), css);
    EXPECT_TRUE(QFileInfo::exists(harness.saved(QStringLiteral("127.0.0.1/css2/other.css"))));
    EXPECT_TRUE(QFileInfo::exists(harness.saved(QStringLiteral("127.0.0.1/js/app.js"))));
    const QString index = QString::fromUtf8(TestUtil::readFile(harness.saved(QStringLiteral("127.0.0.1/index.html"))));
    EXPECT_TRUE(index.contains(QStringLiteral("<link rel=\"canonical\" href=\"") + origin + QStringLiteral("/css/site.css\">")))
        << index.toStdString();
    EXPECT_TRUE(index.contains(QStringLiteral("<link rel=stylesheet href='css/site.css'>"))) << index.toStdString();
    EXPECT_TRUE(index.contains(QStringLiteral("href=\"css2/other.css\""))) << index.toStdString();
    EXPECT_TRUE(index.contains(QStringLiteral("<script src=\"js/app.js\">"))) << index.toStdString();
    EXPECT_TRUE(index.contains(QStringLiteral("<a href=\"\">here</a><a href=\"js/app.js\">"))) << index.toStdString();

    // Saved again: "Ignore" for all asks once and keeps every file; nothing
    // was written, so nothing is announced.
    TestUtil::writeFile(harness.saved(QStringLiteral("127.0.0.1/js/app.js")), "mine");
    harness.alerts.clear();
    harness.overwrite = false;
    harness.applyToAll = true;
    harness.download();
    EXPECT_EQ(harness.alerts.size(), 2);
    EXPECT_TRUE(harness.alerts.value(0).startsWith(QStringLiteral("File exists at ")));
    EXPECT_EQ(harness.alerts.value(1), QStringLiteral("0 files downloaded."));
    EXPECT_EQ(harness.completed.size(), 1);
    EXPECT_EQ(TestUtil::readFile(harness.saved(QStringLiteral("127.0.0.1/js/app.js"))), QByteArray("mine"));

    // "Overwrite" without the box asks for each file.
    harness.alerts.clear();
    harness.overwrite = true;
    harness.applyToAll = false;
    harness.download();
    EXPECT_EQ(harness.alerts.size(), 5);
    EXPECT_EQ(harness.alerts.last(), QStringLiteral("4 files downloaded."));
    EXPECT_EQ(TestUtil::readFile(harness.saved(QStringLiteral("127.0.0.1/js/app.js"))), QByteArray("var a = 1;"));
}

TEST(PageDownload, APartlyFailedPageSavesWhatItHasAndLeavesNoWayOut)
{
    SaveHarness harness;
    Site site;
    site.write(QStringLiteral("a.css"), "a { color: red }");
    site.write(QStringLiteral("blocked/b.css"), "b { color: red }");
    site.write(QStringLiteral("index.html"),
               "<!DOCTYPE html><html><head><link rel=stylesheet href=a.css><link rel=stylesheet href=blocked/b.css>"
               "<link rel=stylesheet href=\"/..%2fsecret.css\"><script src=gone.js></script></head>"
               "<body>Text</body></html>");
    site.server.setClosesWithoutAnswer(QStringLiteral("gone.js"));
    ASSERT_TRUE(harness.loadWithResources(site.server.url(QStringLiteral("index.html")), 5, false));

    // The encoded way out is not listed at all.
    const QString top = QStringLiteral("http://127.0.0.1");
    for (const QString &item : harness.manager.allItems())
        EXPECT_FALSE(item.contains(QStringLiteral("secret"))) << item.toStdString();
    EXPECT_TRUE(harness.manager.isSelected(top + QStringLiteral("/gone.js")));

    // A file in the way of the "blocked" folder: that write fails; the
    // existing file stays as it was.
    QDir(harness.target.path()).mkpath(QStringLiteral("127.0.0.1"));
    TestUtil::writeFile(harness.saved(QStringLiteral("127.0.0.1/blocked")), "keep");
    // The script that never came is asked for again, and fails again.
    const int requests = site.server.requestCount();
    ASSERT_TRUE(harness.downloadAfterFetching());
    EXPECT_GT(site.server.requestCount(), requests);
    EXPECT_EQ(harness.alerts, QStringList{QStringLiteral("2 files downloaded.")});
    EXPECT_TRUE(harness.details.value(0).contains(QStringLiteral("gone.js")));
    EXPECT_TRUE(harness.details.value(0).contains(QStringLiteral("blocked/b.css")));
    EXPECT_EQ(TestUtil::readFile(harness.saved(QStringLiteral("127.0.0.1/blocked"))), QByteArray("keep"));
    EXPECT_TRUE(QFileInfo::exists(harness.saved(QStringLiteral("127.0.0.1/a.css"))));
    EXPECT_TRUE(QFileInfo::exists(harness.saved(QStringLiteral("127.0.0.1/index.html"))));
    EXPECT_FALSE(QFileInfo::exists(harness.saved(QStringLiteral("127.0.0.1/gone.js"))));
    QDir above(harness.target.path());
    above.cdUp();
    EXPECT_FALSE(QFileInfo::exists(above.filePath(QStringLiteral("secret.css"))));
}

TEST(PageDownload, AProjectPageKeepsItsFolderLayout)
{
    SaveHarness harness;
    QTemporaryDir project;
    TestUtil::writeFile(project.filePath(QStringLiteral("index.html")),
                        "<!DOCTYPE html><html><head><link rel=stylesheet href=css/a.css></head><body>Hi</body></html>");
    QDir(project.path()).mkpath(QStringLiteral("css"));
    TestUtil::writeFile(project.filePath(QStringLiteral("css/a.css")), "p { margin: 0 }");
    harness.projects.open(project.path());
    File *index = harness.projects.fileAt(project.filePath(QStringLiteral("index.html")));
    ASSERT_TRUE(index);
    const int before = harness.completions;
    harness.preview.setURL(index);
    ASSERT_TRUE(harness.waitForCompletion(before));
    ASSERT_TRUE(TestUtil::waitUntil([&] {
        harness.manager.displayWindow();
        harness.manager.closeWindow();
        return harness.manager.resourceList().size() == 2;
    }, 10000));
    EXPECT_EQ(harness.manager.childrenOfItem(QString()), QStringList{project.path()});

    harness.download();
    EXPECT_EQ(harness.alerts, QStringList{QStringLiteral("2 files downloaded.")});
    EXPECT_EQ(TestUtil::readFile(harness.saved(QStringLiteral("css/a.css"))), QByteArray("p { margin: 0 }"));
    EXPECT_TRUE(TestUtil::readFile(harness.saved(QStringLiteral("index.html"))).startsWith("<!DOCTYPE html>"));
}

TEST(PageDownload, BytesThePreviewDidNotKeepAreFetchedBeforeSavingAndTheirLinksRewritten)
{
    SaveHarness harness;
    Site site;
    // Scripts the page fetches itself: listed among the scripts, their bodies not kept.
    const QByteArray a = "var a = 1;";
    const QByteArray b = "var b = 2;";
    site.write(QStringLiteral("data/a.js"), a);
    site.write(QStringLiteral("data/b.js"), b);
    site.write(QStringLiteral("index.html"),
               "<!DOCTYPE html><html><head><script>fetch('data/a.js').then(r => r.text());"
               "fetch('data/b.js').then(r => r.text());</script></head>"
               "<body><a href=\"/data/a.js\">code</a></body></html>");
    ASSERT_TRUE(harness.loadWithResources(site.server.url(QStringLiteral("index.html")), 3, false));
    File *first = harness.manager.fileWithItem(QStringLiteral("http://127.0.0.1/data/a.js"));
    File *second = harness.manager.fileWithItem(QStringLiteral("http://127.0.0.1/data/b.js"));
    ASSERT_TRUE(first && second);
    EXPECT_TRUE(ResourceBodyFetcher::needsBody(first));
    EXPECT_TRUE(ResourceBodyFetcher::needsBody(second));

    // Without the browser to ask, the address is fetched again.
    ResourceBodyFetcher fetcher;
    bool finished = false;
    QObject::connect(&fetcher, &ResourceBodyFetcher::finished, [&] { finished = true; });
    fetcher.fetch({second});
    ASSERT_TRUE(TestUtil::waitUntil([&] { return finished; }, 20000));
    EXPECT_EQ(site.server.requestedPaths().count(QStringLiteral("data/b.js")), 2);
    EXPECT_FALSE(ResourceBodyFetcher::needsBody(second));
    EXPECT_EQ(second->webResourceData(), b);

    // The sheet brings the other one, showing its progress, then saves.
    harness.manager.displayWindow();
    harness.manager.okButton()->click();
    EXPECT_TRUE(harness.manager.isFetching());
    EXPECT_FALSE(harness.manager.okButton()->isEnabled());
    EXPECT_EQ(harness.manager.fetchProgress()->maximum(), 1);
    ASSERT_TRUE(TestUtil::waitUntil([&] { return !harness.alerts.isEmpty(); }, 30000));
    EXPECT_FALSE(harness.manager.isFetching());
    EXPECT_EQ(harness.alerts, QStringList{QStringLiteral("3 files downloaded.")});
    EXPECT_TRUE(harness.details.value(0).isEmpty()) << harness.details.value(0).toStdString();
    EXPECT_EQ(TestUtil::readFile(harness.saved(QStringLiteral("127.0.0.1/data/a.js"))), a);
    EXPECT_EQ(TestUtil::readFile(harness.saved(QStringLiteral("127.0.0.1/data/b.js"))), b);
    const QString index = QString::fromUtf8(TestUtil::readFile(harness.saved(QStringLiteral("127.0.0.1/index.html"))));
    EXPECT_TRUE(index.contains(QStringLiteral("<a href=\"data/a.js\">"))) << index.toStdString();
    EXPECT_FALSE(ResourceBodyFetcher::needsBody(first));
}

TEST(PageDownload, CancelWhileFetchingSavesNothing)
{
    SaveHarness harness;
    Site site;
    site.write(QStringLiteral("late.js"), "var late;");
    site.write(QStringLiteral("index.html"),
               "<!DOCTYPE html><html><head><script>fetch('late.js').then(r => r.text());</script></head>"
               "<body>x</body></html>");
    ASSERT_TRUE(harness.loadWithResources(site.server.url(QStringLiteral("index.html")), 2, false));
    // Asked again, the address never answers.
    site.server.setDelay(QStringLiteral("late.js"), -1);
    harness.manager.displayWindow();
    harness.manager.okButton()->click();
    ASSERT_TRUE(harness.manager.isFetching());
    harness.manager.closeWindow();
    EXPECT_FALSE(harness.manager.isFetching());
    EXPECT_FALSE(harness.manager.pageDownloadWindow()->isVisible());
    QTest::qWait(300);
    EXPECT_TRUE(harness.alerts.isEmpty());
    EXPECT_TRUE(QDir(harness.target.path()).isEmpty());
}

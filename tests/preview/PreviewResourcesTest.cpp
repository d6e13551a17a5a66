// The frames and resources of pages loaded into the real engine from the
// loopback server: their groups, bodies and headers, the resource list, and
// local files standing in for remote resources.

#include "PreviewTestSupport.h"

#include "platform/foundation/NotificationCenter.h"
#include "platform/kit/Alert.h"
#include "platform/kit/FilePanel.h"
#include "platform/web/dom/DOMDocument.h"
#include "platform/web/dom/DOMElement.h"
#include "platform/web/engine/WebBridge.h"
#include "platform/web/engine/WebEngineCache.h"
#include "platform/web/engine/WebFrameMirror.h"
#include "platform/web/engine/WebPage.h"
#include "preview/BypassResponder.h"
#include "preview/LoadedResource.h"
#include "preview/LoadedResourceDelegate.h"
#include "preview/WebFrameEx.h"
#include "toolkit/OutlineViewEx.h"
#include "toolkit/RBLPopover.h"
#include "workspace/BypassMap.h"

#include <QApplication>
#include <QBuffer>
#include <QFile>
#include <QImage>
#include <QKeyEvent>
#include <QMenu>

#include <gtest/gtest.h>

namespace {

// The preview with its resource list.
class ResourceHarness : public PreviewHarness
{
public:
    ResourceHarness()
    {
        list.view()->resize(300, 500);
        list.view()->show();
        preview.setLoadedResourceDelegate(&list);
    }
    ~ResourceHarness()
    {
        // Every tie a test made goes.
        BypassMap *map = BypassMap::getInstance();
        const QVariantMap ties = map->bypassMap();
        for (auto it = ties.cbegin(); it != ties.cend(); ++it)
            map->setBypass(QUrl(it.key()), QUrl());
        FilePanel::setResponder({});
        Alert::setResponder({});
    }

    // Loads the page and waits until the list shows it.
    bool loadAndList(const QUrl &url, const std::function<bool()> &until = {})
    {
        if (!load(url))
            return false;
        return TestUtil::waitUntil([&] {
            File *root = list.resources().value(0);
            return root && root == preview.resourceRoots().value(0) && (!until || until());
        }, 10000);
    }

    // The names of the groups under an index File.
    static QStringList groupsOf(File *index)
    {
        QStringList names;
        for (File *group : index ? index->tempChildren() : QList<File *>())
            names.append(group->displayName());
        return names;
    }
    // The frame record of an address.
    WebFrameEx *frameAt(const QUrl &url) const
    {
        for (WebFrameEx *frame : preview.webframes()) {
            if (frame->request() == url)
                return frame;
        }
        return nullptr;
    }
    // The resource of this name in the list.
    File *listed(const QString &name) const
    {
        for (int row = 0; row < list.resouceView()->numberOfRows(); ++row) {
            if (File *file = list.fileAtRow(row); file && file->displayName() == name)
                return file;
        }
        return nullptr;
    }
    void select(File *file) { list.resouceView()->selectRowIndexes({list.rowOfFile(file)}, false); }

    // The text colour of the body of a frame's document, as the engine has it.
    QString bodyColour(bool mainFrame)
    {
        WebView &shown = *preview.webview();
        for (WebFrameMirror *frame : shown.bridge().frames()) {
            if (frame->isMainFrame() != mainFrame || !frame->document())
                continue;
            DOMElement *body = frame->document()->querySelector(QStringLiteral("body"));
            if (!body)
                continue;
            for (const auto &[name, value] : frame->engine()->computedStyle(*body, QString())) {
                if (name == u"color")
                    return value;
            }
        }
        return {};
    }

    LoadedResourceDelegate list;
};

QByteArray pngBytes(const QColor &colour)
{
    QImage image(3, 2, QImage::Format_ARGB32);
    image.fill(colour);
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return buffer.data();
}

constexpr const char *kRed = "rgb(255, 0, 0)";
constexpr const char *kGreen = "rgb(0, 128, 0)";

} // namespace

TEST(PreviewResources, APageAndItsFramesGiveTheGroupsInOrderEachFrameWithItsOwnIndex)
{
    ResourceHarness harness;
    Site site;
    const QUrl cross = site.server.urlOnHost(QStringLiteral("localhost"), QStringLiteral("cross.html"));
    site.write(QStringLiteral("index.html"),
               "<!DOCTYPE html><html><head><link rel=stylesheet href=a.css><link rel=stylesheet href=a.css>"
               "<link rel=stylesheet href=b.css><script src=app.js></script>"
               "<style>@font-face { font-family: F; src: url(f.woff) } p { font-family: F }</style></head>"
               "<body><p>Text</p><img src=1.png><img src=2.png><iframe src=same.html></iframe>"
               "<iframe src='" + cross.toString().toUtf8() + "'></iframe></body></html>");
    site.write(QStringLiteral("a.css"), "body { margin: 0 }");
    site.write(QStringLiteral("b.css"), "p { color: navy }");
    site.write(QStringLiteral("app.js"), "var app = 1;");
    site.write(QStringLiteral("f.woff"), "not a font");
    site.write(QStringLiteral("1.png"), pngBytes(Qt::red));
    site.write(QStringLiteral("2.png"), pngBytes(Qt::blue));
    site.write(QStringLiteral("same.html"), "<!DOCTYPE html><link rel=stylesheet href=c.css><p>same</p>");
    site.write(QStringLiteral("c.css"), "p { color: teal }");
    site.write(QStringLiteral("cross.html"), "<!DOCTYPE html><link rel=stylesheet href=d.css><img src=3.png><p>cross</p>");
    site.write(QStringLiteral("d.css"), "p { color: olive }");
    site.write(QStringLiteral("3.png"), pngBytes(Qt::green));

    const QUrl page = site.server.url(QStringLiteral("index.html"));
    // The same-site frame's document and sheet are recorded after its frame.
    const auto sameFrameListed = [&] {
        WebFrameEx *same = harness.frameAt(site.server.url(QStringLiteral("same.html")));
        return same && same->indexFile() && !same->indexFile()->path().isEmpty()
            && ResourceHarness::groupsOf(same->indexFile()).size() == 1;
    };
    ASSERT_TRUE(harness.loadAndList(page, [&] {
        WebFrameEx *main = harness.preview.mainFrame();
        return main && ResourceHarness::groupsOf(main->indexFile()).contains(QStringLiteral("Frame(2)"))
            && harness.frameAt(cross) && ResourceHarness::groupsOf(harness.frameAt(cross)->indexFile()).size() == 2
            && main->fontArr().size() == 1 && sameFrameListed();
    })) << ResourceHarness::groupsOf(harness.preview.mainFrame() ? harness.preview.mainFrame()->indexFile() : nullptr)
               .join(QLatin1Char(' '))
               .toStdString();

    WebFrameEx *main = harness.preview.mainFrame();
    File *index = main->indexFile();
    EXPECT_EQ(harness.preview.resourceRoots(), QList<File *>{index});
    EXPECT_EQ(index->path(), page.toString());
    EXPECT_EQ(index->displayName(), QStringLiteral("index"));
    EXPECT_EQ(ResourceHarness::groupsOf(index),
              (QStringList{QStringLiteral("Script(1)"), QStringLiteral("Style(2)"), QStringLiteral("Image(2)"),
                           QStringLiteral("Font(1)"), QStringLiteral("Frame(2)")}));
    QStringList sheets;
    for (File *sheet : main->cssArr())
        sheets.append(sheet->displayName());
    EXPECT_EQ(sheets, (QStringList{QStringLiteral("a.css"), QStringLiteral("b.css")}));

    // Each frame stands for its own document, under the page's frame group.
    WebFrameEx *same = harness.frameAt(site.server.url(QStringLiteral("same.html")));
    WebFrameEx *other = harness.frameAt(cross);
    ASSERT_TRUE(same && other);
    EXPECT_EQ(main->frameArr(), (QList<File *>{same->indexFile(), other->indexFile()}));
    EXPECT_EQ(same->indexFile()->path(), site.server.url(QStringLiteral("same.html")).toString());
    EXPECT_EQ(ResourceHarness::groupsOf(same->indexFile()), QStringList{QStringLiteral("Style(1)")});
    EXPECT_EQ(ResourceHarness::groupsOf(other->indexFile()), (QStringList{QStringLiteral("Style(1)"), QStringLiteral("Image(1)")}));
    EXPECT_EQ(other->parentFrame(), main);
    // Its body comes from the engine after it is listed.
    EXPECT_TRUE(TestUtil::waitUntil([other] { return other->indexFile()->content().value_or(QString()).contains(QLatin1String("cross")); }));

    // The bodies came from the engine: texts, and pictures byte for byte.
    File *script = main->scriptArr().value(0);
    ASSERT_TRUE(script);
    EXPECT_EQ(script->content(), QStringLiteral("var app = 1;"));
    EXPECT_FALSE(script->isModified());
    EXPECT_EQ(main->imageArr().value(0)->webResourceData(), pngBytes(Qt::red));
    EXPECT_EQ(site.server.requestedPaths().count(QStringLiteral("app.js")), 1) << "nothing is fetched twice";
    EXPECT_GT(harness.preview.totalFileSize(), 0);
    // The DOM tree writes back to the page's index File.
    EXPECT_EQ(harness.tree.indexFile, index);

    // The list shows it all, opened, once it has caught up with the frames.
    EXPECT_TRUE(TestUtil::waitUntil([&] { return harness.listed(QStringLiteral("d.css")) && harness.listed(QStringLiteral("Frame(2)")); }));
    EXPECT_EQ(harness.list.fileAtRow(0), index);
}

TEST(PreviewResources, ARemoteSheetTiedToALocalFileShowsTheLocalColourInEveryFrameUntilUntied)
{
    ResourceHarness harness;
    Site site;
    const QUrl crossPage = site.server.urlOnHost(QStringLiteral("localhost"), QStringLiteral("cross.html"));
    const QUrl crossSheet = site.server.urlOnHost(QStringLiteral("localhost"), QStringLiteral("cross.css"));
    site.write(QStringLiteral("index.html"), "<!DOCTYPE html><link rel=stylesheet href=remote.css><body>main"
                                             "<iframe src='" + crossPage.toString().toUtf8() + "'></iframe></body>");
    site.write(QStringLiteral("cross.html"), "<!DOCTYPE html><link rel=stylesheet href=cross.css><body>cross</body>");
    site.write(QStringLiteral("remote.css"), "body { color: rgb(255, 0, 0) }");
    site.write(QStringLiteral("cross.css"), "body { color: rgb(255, 0, 0) }");
    QTemporaryDir local;
    const QString mainCopy = local.filePath(QStringLiteral("remote.css"));
    const QString crossCopy = local.filePath(QStringLiteral("cross.css"));
    TestUtil::writeFile(mainCopy, "body { color: rgb(0, 128, 0) }");
    TestUtil::writeFile(crossCopy, "body { color: rgb(0, 128, 0) }");

    BypassMap *map = BypassMap::getInstance();
    ASSERT_TRUE(map->setBypass(site.server.url(QStringLiteral("remote.css")), QUrl::fromLocalFile(mainCopy)));
    ASSERT_TRUE(map->setBypass(crossSheet, QUrl::fromLocalFile(crossCopy)));
    ASSERT_TRUE(TestUtil::waitUntil([&] { return harness.preview.bypassResponder()->patterns().size() == 2; }));
    const QUrl page = site.server.url(QStringLiteral("index.html"));
    ASSERT_TRUE(harness.loadAndList(page, [&] { return harness.bodyColour(false) == QLatin1String(kGreen); }))
        << harness.bodyColour(false).toStdString();
    EXPECT_EQ(harness.bodyColour(true), QLatin1String(kGreen));
    EXPECT_FALSE(site.server.requestedPaths().contains(QStringLiteral("remote.css")));
    EXPECT_FALSE(site.server.requestedPaths().contains(QStringLiteral("cross.css")));
    EXPECT_EQ(harness.preview.bypassResponder()->servedCount(), 2);
    // The list shows the tie.
    File *sheet = harness.preview.responseFileWithURL(site.server.url(QStringLiteral("remote.css")));
    ASSERT_TRUE(sheet);
    EXPECT_TRUE(sheet->hasBypass());
    EXPECT_EQ(sheet->content(), QStringLiteral("body { color: rgb(0, 128, 0) }"));

    // Untied, the network's sheets come back with the next load.
    map->setBypass(site.server.url(QStringLiteral("remote.css")), QUrl());
    map->setBypass(crossSheet, QUrl());
    ASSERT_TRUE(TestUtil::waitUntil([&] { return harness.preview.bypassResponder()->patterns().isEmpty(); }));
    const int before = harness.completions;
    harness.preview.reloadPage();
    ASSERT_TRUE(harness.waitForCompletion(before));
    ASSERT_TRUE(TestUtil::waitUntil([&] {
        return harness.bodyColour(true) == QLatin1String(kRed) && harness.bodyColour(false) == QLatin1String(kRed);
    }, 10000));
    EXPECT_EQ(site.server.requestedPaths().count(QStringLiteral("remote.css")), 1);
}

// The preview shows what a save would write: a page and its sheets with
// unsaved edits are given the program's texts; the other files the disk's.
TEST(PreviewResources, ALocalPageIsShownWithTheUnsavedTextsOfItsFiles)
{
    ResourceHarness harness;
    Site site;
    site.write(QStringLiteral("index.html"), "<!DOCTYPE html><title>disk</title><link rel=stylesheet href=a.css>"
                                             "<link rel=stylesheet href=b.css><body>x</body>");
    site.write(QStringLiteral("a.css"), "body { color: rgb(255, 0, 0) }");
    site.write(QStringLiteral("b.css"), "body { background: rgb(255, 0, 0) }");
    harness.projects.open(site.dir.path());
    File *page = harness.projects.fileAt(site.dir.filePath(QStringLiteral("index.html")));
    File *sheet = harness.projects.fileAt(site.dir.filePath(QStringLiteral("b.css")));
    ASSERT_TRUE(page && sheet);
    for (File *file : {page, sheet})
        file->setOpenDate(QDateTime::currentDateTimeUtc().addSecs(-10));
    page->setContent(QString(*page->currentContent()).replace(QLatin1String("disk"), QLatin1String("mine")));
    sheet->setContent(QStringLiteral("body { background: rgb(0, 128, 0) }"));
    ASSERT_TRUE(page->isModified() && sheet->isModified());

    ASSERT_TRUE(harness.load(site.fileUrl(QStringLiteral("index.html"))));
    DOMDocument *document = harness.view().mainFrameDocument();
    ASSERT_TRUE(document);
    EXPECT_EQ(document->querySelector(QStringLiteral("title"))->textContent(), QStringLiteral("mine"));
    DOMElement *body = document->querySelector(QStringLiteral("body"));
    QString colour;
    QString background;
    for (const auto &[name, value] : harness.view().mainFrame().engine()->computedStyle(*body, QString())) {
        if (name == u"color")
            colour = value;
        else if (name == u"background-color")
            background = value;
    }
    EXPECT_EQ(colour, QLatin1String(kRed));
    EXPECT_EQ(background, QLatin1String(kGreen));
    EXPECT_EQ(harness.preview.bypassResponder()->servedCount(), 2);
    // Nothing was written.
    EXPECT_EQ(TestUtil::readFile(site.dir.filePath(QStringLiteral("b.css"))), QByteArray("body { background: rgb(255, 0, 0) }"));
}

// The folder watcher asks, folder by folder, whether a file the page shown
// asked for came or went since: the page loads again for that, not for a
// file with unsaved edits, which the page is shown from the program's text.
TEST(PreviewResources, AFileOfThePageShownGoneBackOrNewIsToldByItsFolder)
{
    ResourceHarness harness;
    Site site;
    const QString folder = site.dir.path();
    const QString styles = site.dir.filePath(QStringLiteral("styles"));
    site.write(QStringLiteral("index.html"), "<!DOCTYPE html><title>page</title><link rel=stylesheet href=styles/a.css>"
                                             "<link rel=stylesheet href=b.css><script src=later.js></script><body>x</body>");
    site.write(QStringLiteral("styles/a.css"), "body { color: rgb(255, 0, 0) }");
    site.write(QStringLiteral("b.css"), "body { background: rgb(255, 0, 0) }");
    harness.projects.open(folder);
    ASSERT_TRUE(harness.load(site.fileUrl(QStringLiteral("index.html"))));
    PreviewDelegate &preview = harness.preview;
    EXPECT_FALSE(preview.pageFileCameOrWent(folder));
    EXPECT_FALSE(preview.pageFileCameOrWent(styles));

    // Gone, then back: only its own folder tells.
    ASSERT_TRUE(QFile::remove(site.dir.filePath(QStringLiteral("styles/a.css"))));
    EXPECT_TRUE(preview.pageFileCameOrWent(styles));
    EXPECT_FALSE(preview.pageFileCameOrWent(folder));
    site.write(QStringLiteral("styles/a.css"), "body { color: rgb(0, 0, 255) }");
    EXPECT_FALSE(preview.pageFileCameOrWent(styles));
    // A script it asked for and did not find, made now.
    site.write(QStringLiteral("later.js"), "document.title = 'later';");
    EXPECT_TRUE(preview.pageFileCameOrWent(folder));
    ASSERT_TRUE(QFile::remove(site.dir.filePath(QStringLiteral("later.js"))));
    EXPECT_FALSE(preview.pageFileCameOrWent(folder));
    // A sheet with unsaved edits, gone from disk, is shown all the same.
    File *sheet = harness.projects.fileAt(site.dir.filePath(QStringLiteral("b.css")));
    ASSERT_TRUE(sheet);
    sheet->setOpenDate(QDateTime::currentDateTimeUtc().addSecs(-10));
    sheet->setContent(QStringLiteral("body { background: rgb(0, 128, 0) }"));
    ASSERT_TRUE(QFile::remove(site.dir.filePath(QStringLiteral("b.css"))));
    EXPECT_FALSE(preview.pageFileCameOrWent(folder));

    // A page whose document was not found: once it is there, it is told.
    harness.load(site.fileUrl(QStringLiteral("missing.html")));
    ASSERT_TRUE(TestUtil::waitUntil([&] { return preview.isLoadFailed() && !preview.isLoading(); }));
    EXPECT_FALSE(preview.pageFileCameOrWent(folder));
    site.write(QStringLiteral("missing.html"), "<!DOCTYPE html><title>here now</title>");
    EXPECT_TRUE(preview.pageFileCameOrWent(folder));
}

TEST(PreviewResources, AnAddressNearATieReachesTheNetworkUnchanged)
{
    ResourceHarness harness;
    Site site;
    const QUrl otherHost = site.server.urlOnHost(QStringLiteral("localhost"), QStringLiteral("near.css?v=1"));
    site.write(QStringLiteral("index.html"), "<!DOCTYPE html><link rel=stylesheet href='near.css?v=2'>"
                                             "<link rel=stylesheet href='" + otherHost.toString().toUtf8() + "'><body>x</body>");
    site.write(QStringLiteral("near.css"), "body { color: rgb(255, 0, 0) }");
    QTemporaryDir local;
    const QString copy = local.filePath(QStringLiteral("near.css"));
    TestUtil::writeFile(copy, "body { color: rgb(0, 128, 0) }");
    // Tied: this address alone, with its query, on this host.
    ASSERT_TRUE(BypassMap::getInstance()->setBypass(site.server.url(QStringLiteral("near.css?v=1")), QUrl::fromLocalFile(copy)));
    ASSERT_TRUE(TestUtil::waitUntil([&] { return harness.preview.bypassResponder()->patterns().size() == 1; }));
    ASSERT_TRUE(harness.loadAndList(site.server.url(QStringLiteral("index.html")),
                                    [&] { return harness.preview.mainFrame()->cssArr().size() == 2; }));
    EXPECT_EQ(site.server.requestedPaths().count(QStringLiteral("near.css")), 2);
    EXPECT_EQ(harness.preview.bypassResponder()->servedCount(), 0);
    EXPECT_EQ(harness.bodyColour(true), QLatin1String(kRed));
}

TEST(PreviewResources, ATieWhoseFileIsGoneLoadsTheNetworksResource)
{
    ResourceHarness harness;
    Site site;
    site.write(QStringLiteral("index.html"), "<!DOCTYPE html><link rel=stylesheet href=remote.css><body>x</body>");
    site.write(QStringLiteral("remote.css"), "body { color: rgb(255, 0, 0) }");
    QTemporaryDir local;
    const QString copy = local.filePath(QStringLiteral("remote.css"));
    TestUtil::writeFile(copy, "body { color: rgb(0, 128, 0) }");
    ASSERT_TRUE(BypassMap::getInstance()->setBypass(site.server.url(QStringLiteral("remote.css")), QUrl::fromLocalFile(copy)));
    ASSERT_TRUE(TestUtil::waitUntil([&] { return harness.preview.bypassResponder()->patterns().size() == 1; }));
    ASSERT_TRUE(QFile::remove(copy));
    ASSERT_TRUE(harness.loadAndList(site.server.url(QStringLiteral("index.html")),
                                    [&] { return harness.bodyColour(true) == QLatin1String(kRed); }));
    EXPECT_EQ(harness.preview.bypassResponder()->passedCount(), 1);
    EXPECT_EQ(site.server.requestedPaths().count(QStringLiteral("remote.css")), 1);
}

TEST(PreviewResources, AnEditedRemoteSheetKeepsItsEditWhenThePageIsLoadedAgainAndReadsModified)
{
    ResourceHarness harness;
    Site site;
    site.write(QStringLiteral("index.html"), "<!DOCTYPE html><link rel=stylesheet href=remote.css><body>x</body>");
    site.write(QStringLiteral("remote.css"), "body { color: red }");
    const QUrl page = site.server.url(QStringLiteral("index.html"));
    const QUrl sheetAddress = site.server.url(QStringLiteral("remote.css"));
    ASSERT_TRUE(harness.loadAndList(page, [&] { return harness.preview.responseFileWithURL(sheetAddress); }));
    File *sheet = harness.preview.responseFileWithURL(sheetAddress);
    EXPECT_FALSE(sheet->isModified());
    sheet->setContent(QStringLiteral("body { color: blue }"));
    TestUtil::spin(150);
    EXPECT_TRUE(sheet->isModified());

    QPointer<File> before = sheet;
    ASSERT_TRUE(harness.loadAndList(page, [&] {
        File *again = harness.preview.responseFileWithURL(sheetAddress);
        return again && again != before;
    }));
    File *again = harness.preview.responseFileWithURL(sheetAddress);
    EXPECT_EQ(again->content(), QStringLiteral("body { color: blue }"));
    EXPECT_TRUE(again->isModified());
    // The list chose the page's sheet again by its name.
    EXPECT_TRUE(harness.list.resources().size() == 1);
}

TEST(PreviewResources, TheSamePathOnTwoSitesStaysApart)
{
    ResourceHarness harness;
    Site one;
    Site two;
    const QUrl otherSheet = two.server.urlOnHost(QStringLiteral("localhost"), QStringLiteral("css/site.css"));
    one.write(QStringLiteral("index.html"), "<!DOCTYPE html><link rel=stylesheet href=css/site.css>"
                                            "<link rel=stylesheet href='" + otherSheet.toString().toUtf8() + "'><body>x</body>");
    one.write(QStringLiteral("css/site.css"), "p { color: red }");
    two.write(QStringLiteral("css/site.css"), "p { color: blue }");
    const QUrl page = one.server.url(QStringLiteral("index.html"));
    const QUrl ownSheet = one.server.url(QStringLiteral("css/site.css"));
    ASSERT_TRUE(harness.loadAndList(page, [&] {
        return harness.preview.responseFileWithURL(ownSheet) && harness.preview.responseFileWithURL(otherSheet);
    }));
    harness.preview.responseFileWithURL(ownSheet)->setContent(QStringLiteral("p { color: green }"));
    ASSERT_TRUE(harness.loadAndList(page, [&] {
        File *own = harness.preview.responseFileWithURL(ownSheet);
        return own && own->content() == QStringLiteral("p { color: green }")
            && harness.preview.responseFileWithURL(otherSheet);
    }));
    File *other = harness.preview.responseFileWithURL(otherSheet);
    EXPECT_EQ(other->content(), QStringLiteral("p { color: blue }"));
    EXPECT_FALSE(other->isModified());
}

TEST(PreviewResources, ThePopoverListsTheHeadersTheServerSentSetCookieAmongThem)
{
    ResourceHarness harness;
    Site site;
    site.write(QStringLiteral("index.html"), "<!DOCTYPE html><link rel=stylesheet href=a.css><body>x</body>");
    site.write(QStringLiteral("a.css"), "body { margin: 0 }");
    site.server.setAnswer(QStringLiteral("a.css"), "200 OK",
                          {"Set-Cookie: first=1", "Set-Cookie: second=2", "X-Served-By: loopback"});
    ASSERT_TRUE(harness.loadAndList(site.server.url(QStringLiteral("index.html")),
                                    [&] { return harness.listed(QStringLiteral("a.css")); }));
    File *sheet = harness.listed(QStringLiteral("a.css"));
    harness.select(sheet);
    harness.list.showHttpInfo();
    ASSERT_TRUE(harness.list.httpInfo() && harness.list.httpInfo()->isShown());
    QStringList rows;
    for (const auto &info : harness.list.resouceDetailList())
        rows.append(info->title() + QLatin1String(": ") + info->displayName());
    EXPECT_TRUE(rows.contains(QStringLiteral("Set-Cookie: first=1"))) << rows.join(QLatin1Char('\n')).toStdString();
    EXPECT_TRUE(rows.contains(QStringLiteral("Set-Cookie: second=2")));
    EXPECT_TRUE(rows.contains(QStringLiteral("X-Served-By: loopback")));
    EXPECT_TRUE(rows.contains(QStringLiteral("Content-Length: 18(1 KB)"))) << rows.join(QLatin1Char('\n')).toStdString();
    harness.list.httpInfo()->close();
}

TEST(PreviewResources, ResourcesThatFailOrCannotBeReadAreListedWithWhatCame)
{
    ResourceHarness harness;
    harness.preview.setLoadingTimeoutInterval(1500);
    Site site;
    site.write(QStringLiteral("index.html"),
               "<!DOCTYPE html><link rel=stylesheet href=missing.css><link rel=stylesheet href=broken.css>"
               "<link rel=stylesheet href=odd.css><script src=failing.js></script><body><img src=dropped.png>"
               "<img src=never.png></body>");
    site.write(QStringLiteral("failing.js"), "var failing = 1;");
    site.write(QStringLiteral("odd.css"), QByteArray("\xff\xfe\x00\xd8", 4));
    site.server.setContentType(QStringLiteral("odd.css"), "text/css");
    site.server.setAnswer(QStringLiteral("failing.js"), "500 Internal Server Error");
    site.server.setAnswer(QStringLiteral("broken.css"), "500 Internal Server Error");
    site.server.setClosesWithoutAnswer(QStringLiteral("dropped.png"));
    site.server.setDelay(QStringLiteral("never.png"), -1);
    const QUrl page = site.server.url(QStringLiteral("index.html"));
    harness.preview.urlEnter(page.toString());
    const auto file = [&](const QString &name) { return harness.preview.responseFileWithURL(site.server.url(name)); };
    // What never answers is listed once the load timed out.
    ASSERT_TRUE(TestUtil::waitUntil([&] {
        return file(QStringLiteral("missing.css")) && file(QStringLiteral("failing.js")) && file(QStringLiteral("odd.css"))
            && file(QStringLiteral("dropped.png")) && file(QStringLiteral("never.png"))
            && harness.list.resources().value(0) == harness.preview.resourceRoots().value(0)
            && harness.list.rowOfFile(file(QStringLiteral("never.png"))) >= 0;
    }, 15000));

    const auto loadOf = [](File *node) { return std::dynamic_pointer_cast<LoadedResource>(node->webresource()); };
    EXPECT_EQ(loadOf(file(QStringLiteral("missing.css")))->status(), 404);
    // The browser dropped what it did not take: status and headers stay.
    EXPECT_EQ(file(QStringLiteral("missing.css"))->content(), std::nullopt);
    EXPECT_EQ(loadOf(file(QStringLiteral("failing.js")))->status(), 500);
    EXPECT_FALSE(loadOf(file(QStringLiteral("failing.js")))->headers().isEmpty());
    // The browser hands text bodies over decoded: what it could not read
    // comes as the text it made of it, never as a crash.
    EXPECT_TRUE(file(QStringLiteral("odd.css"))->content().has_value());
    EXPECT_EQ(loadOf(file(QStringLiteral("dropped.png")))->state(), LoadedResource::State::Failed);
    EXPECT_TRUE(file(QStringLiteral("dropped.png"))->webResourceData().isEmpty());
    EXPECT_EQ(loadOf(file(QStringLiteral("never.png")))->state(), LoadedResource::State::Loading);
    EXPECT_EQ(file(QStringLiteral("never.png"))->content(), std::nullopt);
    // Every one of them has a row, and its headers can be shown.
    for (const char *name : {"missing.css", "failing.js", "odd.css", "dropped.png", "never.png"}) {
        File *node = file(QString::fromLatin1(name));
        EXPECT_GE(harness.list.rowOfFile(node), 0) << name;
        harness.list.setResourceDetailListToFile(node);
    }
}

TEST(PreviewResources, ASaveDestinationThatCannotBeWrittenTiesNothingAndSaysSo)
{
    ResourceHarness harness;
    Site site;
    site.write(QStringLiteral("index.html"), "<!DOCTYPE html><link rel=stylesheet href=a.css><body>x</body>");
    site.write(QStringLiteral("a.css"), "body { margin: 0 }");
    ASSERT_TRUE(harness.loadAndList(site.server.url(QStringLiteral("index.html")),
                                    [&] { return harness.listed(QStringLiteral("a.css")); }));
    File *sheet = harness.listed(QStringLiteral("a.css"));
    harness.select(sheet);
    ASSERT_TRUE(harness.list.validateUserInterfaceItem(LoadedResourceDelegate::Action::SetSaveDestination));
    EXPECT_FALSE(harness.list.validateUserInterfaceItem(LoadedResourceDelegate::Action::RemoveSaveDestination));

    QTemporaryDir folder;
    // A folder no one may write into (a file standing where the folder
    // should be: not even the superuser writes there).
    const QString locked = folder.filePath(QStringLiteral("locked"));
    TestUtil::writeFile(locked, "a file, not a folder");
    const QString target = locked + QStringLiteral("/a.css");
    QString proposed;
    FilePanel::setResponder([&](const FilePanel &panel) {
        proposed = panel.nameFieldStringValue();
        EXPECT_EQ(panel.prompt(), QStringLiteral("Select"));
        return std::optional<QStringList>(QStringList{target});
    });
    QStringList alerts;
    Alert::setResponder([&](Alert &alert) {
        alerts.append(alert.messageText());
        return int(Alert::FirstButtonReturn);
    });
    harness.list.setSaveDestination();
    EXPECT_EQ(proposed, QStringLiteral("a.css"));
    EXPECT_FALSE(QFileInfo::exists(target));
    ASSERT_EQ(alerts.size(), 1);
    EXPECT_TRUE(alerts.first().contains(QLatin1String("a.css")));
    EXPECT_FALSE(sheet->hasBypass());
    EXPECT_TRUE(BypassMap::getInstance()->bypassMap().isEmpty());

    // Into a folder that takes it, the tie is made and the menu follows.
    const QString writable = folder.filePath(QStringLiteral("a.css"));
    FilePanel::setResponder([&](const FilePanel &) { return std::optional<QStringList>(QStringList{writable}); });
    harness.list.setSaveDestination();
    EXPECT_EQ(TestUtil::readFile(writable), QByteArray("body { margin: 0 }"));
    EXPECT_TRUE(sheet->hasBypass());
    EXPECT_TRUE(harness.list.validateUserInterfaceItem(LoadedResourceDelegate::Action::RemoveSaveDestination));
    harness.list.removeSaveDestination();
    EXPECT_FALSE(sheet->hasBypass());
}

TEST(PreviewResources, ADownloadedImageHasTheServedBytesAndAFailedDownloadIsShown)
{
    ResourceHarness harness;
    Site site;
    const QByteArray picture = pngBytes(QColor(10, 20, 30, 40));
    site.write(QStringLiteral("index.html"), "<!DOCTYPE html><body><img src=pic.png></body>");
    site.write(QStringLiteral("pic.png"), picture);
    ASSERT_TRUE(harness.loadAndList(site.server.url(QStringLiteral("index.html")),
                                    [&] { return harness.listed(QStringLiteral("pic.png")); }));
    File *image = harness.listed(QStringLiteral("pic.png"));
    harness.select(image);
    // A remote resource may be downloaded and shown; only a tie can be revealed.
    EXPECT_TRUE(harness.list.validateUserInterfaceItem(LoadedResourceDelegate::Action::DownloadFile));
    EXPECT_TRUE(harness.list.validateUserInterfaceItem(LoadedResourceDelegate::Action::ShowHttpInfo));
    EXPECT_FALSE(harness.list.validateUserInterfaceItem(LoadedResourceDelegate::Action::ShowInFinder));
    // A group stands for nothing loaded.
    EXPECT_FALSE(LoadedResourceDelegate::validateUserInterfaceItem(LoadedResourceDelegate::Action::DownloadFile,
                                                                   harness.listed(QStringLiteral("Image(1)"))));

    QTemporaryDir folder;
    const QString target = folder.filePath(QStringLiteral("saved.png"));
    FilePanel::setResponder([&](const FilePanel &panel) {
        EXPECT_EQ(panel.nameFieldStringValue(), QStringLiteral("pic.png"));
        return std::optional<QStringList>(QStringList{target});
    });
    QStringList refreshed;
    NotificationCenter::defaultCenter().addObserver(&harness.list, QStringLiteral("doRefreshProject"), nullptr,
                                                    [&](const Notification &n) {
                                                        refreshed.append(n.userInfo.value(QStringLiteral("path")).toString());
                                                    });
    harness.list.downloadFile();
    EXPECT_EQ(TestUtil::readFile(target), picture);
    EXPECT_EQ(refreshed, QStringList{target});

    // Into a folder that is not there: the user is told, nothing is written.
    QStringList alerts;
    Alert::setResponder([&](Alert &alert) {
        alerts.append(alert.messageText());
        return int(Alert::FirstButtonReturn);
    });
    const QString nowhere = folder.filePath(QStringLiteral("missing/saved.png"));
    FilePanel::setResponder([&](const FilePanel &) { return std::optional<QStringList>(QStringList{nowhere}); });
    harness.list.downloadFile();
    EXPECT_EQ(alerts.size(), 1);
    EXPECT_FALSE(QFileInfo::exists(nowhere));
    EXPECT_EQ(refreshed.size(), 1);
}

TEST(PreviewResources, TheListWorksByKeyboardAndChoosesTheSameResourceAfterAReload)
{
    ResourceHarness harness;
    Site site;
    site.write(QStringLiteral("index.html"), "<!DOCTYPE html><link rel=stylesheet href=a.css><script src=b.js></script><body>x</body>");
    site.write(QStringLiteral("a.css"), "body { margin: 0 }");
    site.write(QStringLiteral("b.js"), "var b;");
    const QUrl page = site.server.url(QStringLiteral("index.html"));
    ASSERT_TRUE(harness.loadAndList(page, [&] { return harness.listed(QStringLiteral("a.css")); }));
    QList<File *> opened;
    NotificationCenter::defaultCenter().addObserver(&harness.list, QStringLiteral("resouceViewDidChanged"), nullptr,
                                                    [&](const Notification &n) {
                                                        opened.append(n.userInfo.value(QStringLiteral("file")).value<File *>());
                                                    });
    OutlineViewEx *outline = harness.list.resouceView();
    outline->setFocus();
    // Rows: index, Script(1), b.js, Style(1), a.css.
    harness.select(harness.list.fileAtRow(0));
    for (int step = 0; step < 4; ++step) {
        QKeyEvent down(QEvent::KeyPress, Qt::Key_Down, Qt::NoModifier);
        QApplication::sendEvent(outline, &down);
    }
    File *sheet = harness.list.selectedTreeToFile();
    ASSERT_TRUE(sheet);
    EXPECT_EQ(sheet->displayName(), QStringLiteral("a.css"));
    EXPECT_EQ(opened.value(opened.size() - 1), sheet);
    EXPECT_EQ(harness.list.lastSelection(), sheet);

    // Loaded again, the page has new Files: the sheet is chosen by its name.
    ASSERT_TRUE(harness.loadAndList(page, [&] {
        File *chosen = harness.list.selectedTreeToFile();
        return chosen && chosen->displayName() == QLatin1String("a.css")
            && chosen == harness.preview.responseFileWithURL(site.server.url(QStringLiteral("a.css")));
    })) << (harness.list.selectedTreeToFile() ? harness.list.selectedTreeToFile()->displayName().toStdString() : "none")
        << " " << (harness.list.lastSelection() ? harness.list.lastSelection()->displayName().toStdString() : "none")
        << " " << harness.list.resouceView()->numberOfRows();
}

// A page that stops its renderer at each load is given up: nothing of the
// page before stays as if it were the page, neither its picture, nor its
// title, nor its resources (#80).
TEST(PreviewResources, APageGivenUpLeavesNoPictureTitleOrResourceListOfThePageBefore)
{
    ResourceHarness harness;
    QWidget window;
    harness.preview.setWindow(&window);
    Site site;
    site.write(QStringLiteral("index.html"), "<!DOCTYPE html><title>Before</title><p>the page before</p>");
    // Laying out 50,000 nested elements overflows the renderer's stack.
    site.write(QStringLiteral("deep.html"), "<!DOCTYPE html><body><script>let e = document.body;"
                                            "for (let i = 0; i < 50000; ++i) e = e.appendChild(document.createElement('div'));"
                                            "</script>");
    ASSERT_TRUE(harness.loadAndList(site.fileUrl(QStringLiteral("index.html"))));
    ASSERT_TRUE(TestUtil::waitUntil([&] {
        return window.windowTitle() == QLatin1String("Before") && !harness.view().currentFrame().isNull();
    }));
    const auto rows = [&] {
        QStringList names;
        for (int row = 0; row < harness.list.resouceView()->numberOfRows(); ++row)
            names.append(harness.list.fileAtRow(row)->displayName());
        return names;
    };
    ASSERT_EQ(rows(), QStringList{QStringLiteral("index")});

    int givenUp = 0;
    QObject::connect(harness.view().webPage(), &WebPage::crashLimitReached, &harness.preview, [&] { ++givenUp; });
    harness.preview.urlEnter(site.fileUrl(QStringLiteral("deep.html")).toString());
    ASSERT_TRUE(TestUtil::waitUntil([&] { return givenUp > 0; }, 60000));
    EXPECT_TRUE(harness.view().currentFrame().isNull());
    EXPECT_EQ(window.windowTitle(), QStringLiteral("Quillmark"));
    EXPECT_FALSE(rows().contains(QStringLiteral("index"))) << rows().join(u' ').toStdString();
}

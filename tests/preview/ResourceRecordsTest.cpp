// The records of a page's resources without a browser: the content map's
// keys, and the groups a frame record sorts its resources into.

#include "TestUtil.h"

#include "preview/LoadedResource.h"
#include "preview/WebContentMap.h"
#include "preview/WebFrameEx.h"
#include "workspace/File.h"

#include <QDir>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace {

// A finished load of the address, served as the type with these bytes.
std::shared_ptr<LoadedResource> loaded(const QString &address, const QString &type, const QByteArray &bytes,
                                       const QString &frame = QStringLiteral("F"))
{
    WebRequestInfo request;
    request.requestId = address;
    request.frameId = frame;
    request.url = QUrl(address);
    auto load = std::make_shared<LoadedResource>(request);
    WebResponseInfo response;
    response.requestId = address;
    response.url = QUrl(address);
    response.mimeType = type;
    response.status = 200;
    load->setResponse(response);
    load->finish(bytes.size());
    load->setBody(bytes);
    return load;
}

// A frame record with its own Files, as the preview keeps them.
struct FrameFixture
{
    std::shared_ptr<WebFrameEx> frame;
    std::vector<std::unique_ptr<File>> files;

    FrameFixture(const QString &documentAddress, const QString &id = QStringLiteral("F"), const QString &parent = {})
        : frame(std::make_shared<WebFrameEx>(id, parent))
    {
        frame->setDocument(loaded(documentAddress, QStringLiteral("text/html"), "<html></html>", id));
    }
    ~FrameFixture() { frame->releaseNodes(); }

    File *resource(const QString &address, const QString &type, const QByteArray &bytes = "x")
    {
        files.push_back(std::make_unique<File>(std::shared_ptr<WebResource>(loaded(address, type, bytes))));
        files.back()->setResponse(URLResponse(QUrl(address), type));
        return files.back().get();
    }
    QStringList groupNames() const
    {
        QStringList names;
        for (File *group : frame->indexFile()->tempChildren())
            names.append(group->displayName());
        return names;
    }
};

} // namespace

TEST(WebContentMap, KeysByHostPortAndPathWithoutTheQuery)
{
    WebContentMap *map = WebContentMap::getInstance();
    map->clear();
    map->setContent(QStringLiteral("one"), QUrl(QStringLiteral("http://a.test/css/site.css?v=1")));
    map->setSaved(QStringLiteral("one saved"), QUrl(QStringLiteral("http://a.test/css/site.css")));
    EXPECT_EQ(map->contentWithURL(QUrl(QStringLiteral("http://a.test/css/site.css?v=2#top"))), QStringLiteral("one"));
    EXPECT_EQ(map->savedContentWithURL(QUrl(QStringLiteral("http://a.test/css/site.css?v=3"))), QStringLiteral("one saved"));
    // Another site's sheet of the same path is another sheet.
    EXPECT_EQ(map->contentWithURL(QUrl(QStringLiteral("http://b.test/css/site.css"))), std::nullopt);
    EXPECT_EQ(map->contentWithURL(QUrl(QStringLiteral("http://a.test:8080/css/site.css"))), std::nullopt);
    EXPECT_EQ(map->contentWithURL(QUrl(QStringLiteral("https://a.test/css/site.css"))), std::nullopt);
    // An address without a path stores nothing.
    map->setContent(QStringLiteral("none"), QUrl(QStringLiteral("http://a.test")));
    EXPECT_EQ(map->contentWithURL(QUrl(QStringLiteral("http://a.test"))), std::nullopt);
    map->removeContentWithURL(QUrl(QStringLiteral("http://a.test/css/site.css")));
    EXPECT_EQ(map->contentWithURL(QUrl(QStringLiteral("http://a.test/css/site.css"))), std::nullopt);
    EXPECT_TRUE(map->savedContentWithURL(QUrl(QStringLiteral("http://a.test/css/site.css"))).has_value());
    map->clear();
    EXPECT_TRUE(map->contentMap().isEmpty());
    EXPECT_TRUE(map->savedMap().isEmpty());
}

TEST(WebFrameEx, GroupsComeInTheTableOrderWithTheirCountsAndATwiceListedResourceOnce)
{
    FrameFixture page(QStringLiteral("http://a.test/index.html"));
    File *sheetA = page.resource(QStringLiteral("http://a.test/a.css"), QStringLiteral("text/css"));
    File *sheetAAgain = page.resource(QStringLiteral("http://a.test/a.css"), QStringLiteral("text/css"));
    File *sheetB = page.resource(QStringLiteral("http://a.test/b.css"), QStringLiteral("text/css"));
    File *image = page.resource(QStringLiteral("http://a.test/logo.png"), QStringLiteral("image/png"), "\x89PNG");
    File *script = page.resource(QStringLiteral("http://a.test/app.js"), QStringLiteral("text/javascript"));
    File *html = page.resource(QStringLiteral("http://a.test/part.html"), QStringLiteral("text/html"));
    File *font = page.resource(QStringLiteral("http://a.test/f.woff"), QStringLiteral("font/woff"), "wOFF");
    page.frame->setResources({sheetA, sheetAAgain, sheetB, image, script, html, font});
    page.frame->createResouceGroup(nullptr);

    File *index = page.frame->indexFile();
    ASSERT_NE(index, nullptr);
    EXPECT_TRUE(index->isWebframeFile());
    EXPECT_EQ(index->displayName(), QStringLiteral("index"));
    EXPECT_EQ(index->path(), QStringLiteral("http://a.test/index.html"));
    EXPECT_EQ(page.groupNames(), (QStringList{QStringLiteral("Script(1)"), QStringLiteral("Style(2)"),
                                              QStringLiteral("Image(1)"), QStringLiteral("Font(1)")}));
    EXPECT_EQ(page.frame->cssArr(), (QList<File *>{sheetA, sheetB}));
    for (File *group : index->tempChildren()) {
        EXPECT_TRUE(group->isResourceGroup());
        EXPECT_EQ(group->parentFile(), index);
        EXPECT_FALSE(group->tempChildren().contains(html)) << "a page is in no group";
    }

    // Grouping again after more came keeps what was placed and the same nodes.
    File *late = page.resource(QStringLiteral("http://a.test/late.js"), QStringLiteral("application/javascript"));
    page.frame->setResources({sheetA, sheetB, image, script, html, font, late});
    page.frame->createResouceGroup(nullptr);
    EXPECT_EQ(page.frame->indexFile(), index);
    EXPECT_EQ(page.groupNames().first(), QStringLiteral("Script(2)"));
}

TEST(WebFrameEx, AFrameWithOnlyAChildFrameHasAFrameGroupHoldingTheChildsIndex)
{
    FrameFixture page(QStringLiteral("http://a.test/"));
    FrameFixture child(QStringLiteral("http://b.test/frame.html"), QStringLiteral("C"), QStringLiteral("F"));
    page.frame->addChild(child.frame.get());
    child.frame->createResouceGroup(nullptr);
    page.frame->createResouceGroup(nullptr);
    child.frame->createResouceGroup(nullptr);

    EXPECT_EQ(page.groupNames(), QStringList{QStringLiteral("Frame(1)")});
    ASSERT_NE(page.frame->frameResourceGroup(), nullptr);
    EXPECT_EQ(page.frame->frameArr(), QList<File *>{child.frame->indexFile()});
    EXPECT_EQ(child.frame->parentFrame(), page.frame.get());
    EXPECT_EQ(child.frame->indexFile()->parentFile(), page.frame->frameResourceGroup());
    EXPECT_EQ(child.frame->indexFile()->displayName(), QStringLiteral("frame"));
}

// The frame's node was made nameless, and stayed so, when the frame was
// grouped before its document's request came.
TEST(WebFrameEx, AFrameGroupedBeforeItsDocumentIsKnownIsNamedOnceItIs)
{
    FrameFixture page(QStringLiteral("http://a.test/"));
    auto child = std::make_shared<WebFrameEx>(QStringLiteral("C"), QStringLiteral("F"));
    page.frame->addChild(child.get());
    child->createResouceGroup(nullptr);
    page.frame->createResouceGroup(nullptr);
    EXPECT_EQ(child->indexFile(), nullptr);
    EXPECT_TRUE(page.frame->frameArr().isEmpty());

    child->setDocument(loaded(QStringLiteral("http://b.test/frame.html"), QStringLiteral("text/html"), "<p></p>",
                              QStringLiteral("C")));
    child->createResouceGroup(nullptr);
    page.frame->createResouceGroup(nullptr);
    ASSERT_NE(child->indexFile(), nullptr);
    EXPECT_EQ(child->indexFile()->displayName(), QStringLiteral("frame"));
    EXPECT_EQ(page.frame->frameArr(), QList<File *>{child->indexFile()});
    child->releaseNodes();
}

TEST(WebFrameEx, ALocalSubFrameStandsForItsOwnFileNotThePageShown)
{
    QTemporaryDir dir;
    const QString page = dir.filePath(QStringLiteral("index.html"));
    const QString inner = dir.filePath(QStringLiteral("inner/frame.html"));
    QDir().mkpath(dir.filePath(QStringLiteral("inner")));
    ASSERT_TRUE(TestUtil::writeFile(page, "<iframe src=inner/frame.html></iframe>"));
    ASSERT_TRUE(TestUtil::writeFile(inner, "<p>inner</p>"));
    File root(dir.path(), true, nullptr);
    File *previewed = root.pathForFile(page);
    if (!previewed) {
        root.setUpChildren();
        previewed = root.pathForFile(page);
    }
    ASSERT_NE(previewed, nullptr);

    FrameFixture main(QUrl::fromLocalFile(page).toString());
    FrameFixture child(QUrl::fromLocalFile(inner).toString(), QStringLiteral("C"), QStringLiteral("F"));
    main.frame->addChild(child.frame.get());
    for (int pass = 0; pass < 2; ++pass) {
        main.frame->createResouceGroup(previewed);
        child.frame->createResouceGroup(previewed);
    }
    File *index = child.frame->indexFile();
    ASSERT_NE(index, nullptr);
    EXPECT_TRUE(index->isLocalFile());
    EXPECT_EQ(index->path(), inner);
    EXPECT_EQ(index->displayName(), QStringLiteral("frame"));
    EXPECT_EQ(index->absolutePath(), QUrl::fromLocalFile(inner).toString(QUrl::FullyEncoded));
    EXPECT_EQ(main.frame->indexFile()->path(), page);
    EXPECT_EQ(index->codetFile(), previewed);
}

TEST(WebFrameEx, ARemotePageEditedBeforeItLoadedAgainReadsModified)
{
    WebContentMap *map = WebContentMap::getInstance();
    map->clear();
    const QUrl address(QStringLiteral("http://a.test/edited.html"));
    map->setSaved(QStringLiteral("<html></html>"), address);
    map->setContent(QStringLiteral("<html><p>edit</p></html>"), address);
    FrameFixture page(address.toString());
    page.frame->createResouceGroup(nullptr);
    File *index = page.frame->indexFile();
    EXPECT_EQ(index->content(), QStringLiteral("<html><p>edit</p></html>"));
    EXPECT_EQ(index->openDate().msecsTo(index->modDate()), 1000);
    EXPECT_TRUE(index->isModified());
    map->clear();
}

TEST(WebFrameEx, ALocalResourceOutsideTheProjectIsLeftOutOfTheGroups)
{
    QTemporaryDir dir;
    QTemporaryDir elsewhere;
    const QString outside = elsewhere.filePath(QStringLiteral("far.css"));
    ASSERT_TRUE(TestUtil::writeFile(outside, "a {}"));
    File root(dir.path(), true, nullptr);
    File sheet(outside, false, nullptr);
    FrameFixture page(QUrl::fromLocalFile(dir.filePath(QStringLiteral("index.html"))).toString());
    page.frame->setRootFile(&root);
    page.frame->setResources({&sheet});
    page.frame->createResouceGroup(nullptr);
    EXPECT_TRUE(page.frame->cssArr().isEmpty());
    EXPECT_TRUE(page.groupNames().isEmpty());
}

TEST(LoadedResource, AFailedLoadHasNoBytesAndItsNodeNoText)
{
    WebRequestInfo request;
    request.requestId = QStringLiteral("1");
    request.url = QUrl(QStringLiteral("http://a.test/gone.css"));
    auto load = std::make_shared<LoadedResource>(request);
    load->fail(QStringLiteral("net::ERR_EMPTY_RESPONSE"));
    WebContentMap::getInstance()->clear();
    File node{std::shared_ptr<WebResource>(load)};
    EXPECT_FALSE(load->hasData());
    EXPECT_EQ(node.content(), std::nullopt);
    EXPECT_EQ(node.fileSize(), 0);
    EXPECT_TRUE(WebContentMap::getInstance()->contentMap().isEmpty()) << "nothing stored that a later load takes for an edit";
}

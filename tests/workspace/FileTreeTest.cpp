#include "TestUtil.h"

#include "platform/foundation/NotificationCenter.h"
#include "workspace/BypassMap.h"
#include "workspace/File.h"
#include "workspace/ProjectUtil.h"
#include "workspace/SCEvent.h"
#include "workspace/WebContentStore.h"
#include "workspace/WebFrame.h"
#include "workspace/WebResource.h"

#include <QDir>
#include <QFile>
#include <QPointer>
#include <QTemporaryDir>
#include <QThread>
#include <QtConcurrent>

#include <gtest/gtest.h>

namespace {

QStringList namesOf(const QList<File *> &files)
{
    QStringList names;
    for (File *file : files)
        names.append(file->displayName());
    return names;
}

// A project folder on disk with its root node.
class FileTree : public ::testing::Test
{
protected:
    void write(const QString &relative, const QByteArray &data = "x")
    {
        ASSERT_TRUE(TestUtil::writeFile(m_dir.filePath(relative), data));
    }
    void mkdir(const QString &relative) { ASSERT_TRUE(QDir().mkpath(m_dir.filePath(relative))); }
    QString path(const QString &relative) const { return m_dir.filePath(relative); }
    std::unique_ptr<File> makeRoot() { return std::make_unique<File>(m_dir.path(), true, nullptr); }
    File *child(File *parent, const QString &name)
    {
        for (File *file : parent->children()) {
            if (file->displayName() == name)
                return file;
        }
        return nullptr;
    }

    QTemporaryDir m_dir;
};

class FakeResource : public WebResource
{
public:
    FakeResource(QString url, QByteArray data, QString mime)
        : m_url(std::move(url)), m_data(std::move(data)), m_mime(std::move(mime))
    {
    }
    QUrl url() const override { return m_url; }
    QByteArray data() const override { return m_data; }
    QString mimeType() const override { return m_mime; }

private:
    QUrl m_url;
    QByteArray m_data;
    QString m_mime;
};

class FakeFrame : public WebFrame
{
public:
    QUrl dataSourceRequestURL() const override { return QUrl(QStringLiteral("http://example.com/")); }
    QByteArray dataSourceData() const override { return "<p>"; }
    QString mimeType() const override { return QStringLiteral("application/xhtml+xml"); }
};

} // namespace

TEST_F(FileTree, ListsFoldersFirstThenFilesByPlainComparisonWithoutHiddenEntries)
{
    write(QStringLiteral(".git/config"));
    write(QStringLiteral("a.css"));
    write(QStringLiteral("B.html"));
    mkdir(QStringLiteral("Images"));
    mkdir(QStringLiteral("build"));
    auto root = makeRoot();

    EXPECT_EQ(namesOf(root->children()),
              (QStringList{"Images", "build", "B.html", "a.css"}));
    EXPECT_FALSE(root->isLeaf());
    EXPECT_EQ(root->numberOfChildren(), 4);
    File *images = child(root.get(), QStringLiteral("Images"));
    ASSERT_TRUE(images);
    EXPECT_TRUE(images->isLeaf());
    EXPECT_EQ(images->parentFile(), root.get());
    EXPECT_EQ(images->rootFile(), root.get());
    EXPECT_EQ(images->rootProject(), m_dir.path());
    // The hidden folder is no child, but the project map knows it.
    File *git = root->pathForFile(path(QStringLiteral(".git")));
    ASSERT_TRUE(git);
    EXPECT_EQ(git->displayName(), QStringLiteral(".git"));
    EXPECT_EQ(root->pathForFile(path(QStringLiteral("a.css"))), child(root.get(), QStringLiteral("a.css")));
    EXPECT_EQ(root->pathForFile(path(QStringLiteral("missing.css"))), nullptr);
}

TEST_F(FileTree, RefreshKeepsPresentNodesAddsNewOnesAndDropsDeletedOnes)
{
    write(QStringLiteral("a.css"));
    write(QStringLiteral("b.css"));
    auto root = makeRoot();
    QPointer<File> a = child(root.get(), QStringLiteral("a.css"));
    QPointer<File> b = child(root.get(), QStringLiteral("b.css"));
    const QString bPath = b->path();

    ASSERT_TRUE(QFile::remove(path(QStringLiteral("b.css"))));
    write(QStringLiteral("c.css"));
    root->setUpChildren();

    EXPECT_EQ(namesOf(root->children()), (QStringList{"a.css", "c.css"}));
    EXPECT_EQ(child(root.get(), QStringLiteral("a.css")), a.data());
    EXPECT_TRUE(b.isNull());
    EXPECT_EQ(root->pathForFile(bPath), nullptr);
    EXPECT_TRUE(root->pathForFile(path(QStringLiteral("c.css"))));

    // A folder that is gone has no children.
    ASSERT_TRUE(QDir(m_dir.path()).removeRecursively());
    EXPECT_TRUE(root->setUpChildren().isEmpty());
    EXPECT_TRUE(root->isLeaf());
    EXPECT_TRUE(a.isNull());
}

TEST_F(FileTree, AFolderThatLeadsBackUpIsAPlainEntryAndEveryWalkEnds)
{
    write(QStringLiteral("sub/a.css"));
    write(QStringLiteral("img.png"));
    ASSERT_TRUE(QFile::link(QStringLiteral("."), path(QStringLiteral("loop1"))));
    ASSERT_TRUE(QFile::link(QStringLiteral("."), path(QStringLiteral("loop2"))));
    ASSERT_TRUE(QFile::link(QStringLiteral(".."), path(QStringLiteral("sub/up"))));
    // A link to a folder beside it is no cycle: it is followed.
    ASSERT_TRUE(QFile::link(QStringLiteral("sub"), path(QStringLiteral("alias"))));

    testing::internal::CaptureStderr();
    auto root = makeRoot();
    EXPECT_EQ(namesOf(root->children()), (QStringList{"alias", "sub", "img.png", "loop1", "loop2"}));
    File *loop = child(root.get(), QStringLiteral("loop1"));
    ASSERT_TRUE(loop);
    EXPECT_TRUE(loop->isFolderCycle());
    EXPECT_TRUE(loop->isLeaf());
    EXPECT_TRUE(loop->setUpChildren().isEmpty());
    File *alias = child(root.get(), QStringLiteral("alias"));
    EXPECT_FALSE(alias->isFolderCycle());
    EXPECT_EQ(namesOf(alias->children()), (QStringList{"a.css", "up"}));
    EXPECT_TRUE(child(alias, QStringLiteral("up"))->isFolderCycle());

    // The walks over the tree end, each real folder met once on a way down.
    QStringList sheets;
    for (File *sheet : root->getFilesWithExt(QStringLiteral(".css")))
        sheets.append(sheet->relativePathFromRoot());
    EXPECT_EQ(sheets, (QStringList{"/alias/a.css", "/sub/a.css"}));

    // A refresh keeps the cycle a plain entry and says so only once.
    root->setUpChildren();
    EXPECT_EQ(child(root.get(), QStringLiteral("loop2"))->children(), QList<File *>());
    const QString log = QString::fromLocal8Bit(testing::internal::GetCapturedStderr());
    EXPECT_EQ(log.count(QStringLiteral("listed as a plain entry")), 4) << log.toStdString();
    EXPECT_TRUE(log.contains(path(QStringLiteral("loop1")))) << log.toStdString();

    // The watcher, which walks the folders on disk, is in place and reports.
    ASSERT_TRUE(TestUtil::waitUntil([&] { return root->directryWatcher() != nullptr; }));
    QObject owner;
    bool announced = false;
    NotificationCenter::defaultCenter().addObserver(&owner, QStringLiteral("directoryUpdated"), root.get(),
                                                    [&](const Notification &) { announced = true; });
    write(QStringLiteral("sub/b.css"));
    EXPECT_TRUE(TestUtil::waitUntil([&] { return announced; }, 3000));
}

TEST_F(FileTree, FolderNamesThatLookEscapedAreTakenLiterally)
{
    write(QStringLiteral("100%25/x.css"));
    auto root = makeRoot();
    File *folder = child(root.get(), QStringLiteral("100%25"));
    ASSERT_TRUE(folder);
    EXPECT_EQ(namesOf(folder->children()), QStringList{"x.css"});
}

TEST_F(FileTree, MapFindsAPathWhateverItsUnicodeComposition)
{
    const QString decomposed = QStringLiteral("cafe\u0301.css");
    write(decomposed);
    auto root = makeRoot();
    root->children();
    File *found = root->pathForFile(path(QStringLiteral("caf\u00e9.css")));
    ASSERT_TRUE(found);
    EXPECT_EQ(found->path(), path(decomposed));
}

TEST_F(FileTree, TypesFollowTheExactExtensionThenTheKindOfContent)
{
    const QStringList names = {"page.html", "page.htm", "site.css", "app.js",   "logo.png",
                               "font.woff", "font.otf", "notes.txt", "data.bin", "style.scss"};
    for (const QString &name : names)
        write(name);
    auto root = makeRoot();
    const QHash<QString, int> expected = {
        {"page.html", File::HTML},  {"page.htm", File::OtherText}, {"site.css", File::StyleSheet},
        {"app.js", File::Script},   {"logo.png", File::Image},     {"font.woff", File::Font},
        {"font.otf", File::Font},   {"notes.txt", File::OtherText}, {"data.bin", File::None},
        {"style.scss", File::OtherText},
    };
    for (const QString &name : names) {
        File *file = child(root.get(), name);
        ASSERT_TRUE(file) << qPrintable(name);
        EXPECT_EQ(file->fileType(), expected.value(name)) << qPrintable(name);
    }
    EXPECT_TRUE(child(root.get(), QStringLiteral("style.scss"))->isKindOfText());
    EXPECT_FALSE(child(root.get(), QStringLiteral("logo.png"))->isKindOfText());
    EXPECT_TRUE(child(root.get(), QStringLiteral("font.woff"))->isFont());
}

TEST(FileSize, TextsAre1024BasedWithTwoDecimals)
{
    EXPECT_EQ(File::readableValueWithBytes(0), QStringLiteral("1 KB"));
    EXPECT_EQ(File::readableValueWithBytes(1023), QStringLiteral("1 KB"));
    EXPECT_EQ(File::readableValueWithBytes(1024), QStringLiteral("1.00 KB"));
    EXPECT_EQ(File::readableValueWithBytes(1536), QStringLiteral("1.50 KB"));
    EXPECT_EQ(File::readableValueWithBytes(1048576), QStringLiteral("1.00 MB"));
    EXPECT_EQ(File::readableValueWithBytes(3.5 * 1024 * 1024 * 1024), QStringLiteral("3.50 GB"));
}

TEST_F(FileTree, AFolderSizeIsTheSumOfItsFiles)
{
    write(QStringLiteral("f/a.css"), QByteArray(1000, 'a'));
    write(QStringLiteral("f/b.css"), QByteArray(1048, 'b'));
    write(QStringLiteral("small.css"), QByteArray(1023, 'c'));
    auto root = makeRoot();
    EXPECT_EQ(child(root.get(), QStringLiteral("f"))->fileSizeReadable(), QStringLiteral("2.00 KB"));
    EXPECT_EQ(child(root.get(), QStringLiteral("small.css"))->fileSizeReadable(), QStringLiteral("1 KB"));
}

TEST_F(FileTree, RelativePathRemovesTheRootLiterally)
{
    for (const QString &folder : {QStringLiteral("a+b"), QStringLiteral("(x)"), QStringLiteral("s.t")}) {
        write(folder + QStringLiteral("/css/a.css"));
        File root(path(folder), true, nullptr);
        File *css = child(&root, QStringLiteral("css"));
        ASSERT_TRUE(css);
        EXPECT_EQ(child(css, QStringLiteral("a.css"))->relativePathFromRoot(), QStringLiteral("/css/a.css"))
            << qPrintable(folder);
    }
}

TEST_F(FileTree, WebProjectFilesHaveTheirAddressUnderTheMainURL)
{
    write(QStringLiteral("css/a b.css"));
    auto root = makeRoot();
    File *file = child(child(root.get(), QStringLiteral("css")), QStringLiteral("a b.css"));
    ASSERT_TRUE(file);
    ProjectUtil::resetForTesting();
    EXPECT_TRUE(file->webURLOfFile().isEmpty());

    QVariantMap config = ProjectUtil::getProjectConfig(m_dir.path());
    config.insert(ProjectUtil::kIsWebProject, true);
    config.insert(ProjectUtil::kWebMainURL, QStringLiteral("http://example.com/site"));
    ASSERT_TRUE(ProjectUtil::saveProjectConfig(config, m_dir.path()));
    EXPECT_EQ(file->webURLOfFile(), QStringLiteral("http://example.com/site/css/a%20b.css"));
    ProjectUtil::resetForTesting();
}

TEST_F(FileTree, OfflineALocalFileIsCheckedOnDiskAndANetworkFileIsGone)
{
    write(QStringLiteral("a.css"));
    write(QStringLiteral("b.css"));
    auto root = makeRoot();
    File *a = child(root.get(), QStringLiteral("a.css"));
    File *b = child(root.get(), QStringLiteral("b.css"));
    EXPECT_FALSE(a->isNetworkDrive());
    ASSERT_TRUE(QFile::remove(a->path()));

    File::setOnlineStateProvider([] { return false; });
    EXPECT_FALSE(a->exists());
    EXPECT_TRUE(b->exists());
    b->setIsNetworkDrive(true);
    EXPECT_FALSE(b->exists());
    File::setOnlineStateProvider({});
    EXPECT_TRUE(b->exists());
}

TEST_F(FileTree, RootAnnouncesFolderChangesFromItsWatcher)
{
    auto root = makeRoot();
    ASSERT_TRUE(TestUtil::waitUntil([&] { return root->directryWatcher() != nullptr; }));
    QStringList paths;
    QObject owner;
    NotificationCenter::defaultCenter().addObserver(&owner, QStringLiteral("directoryUpdated"), root.get(),
                                                    [&](const Notification &n) {
                                                        paths.append(n.userInfo.value("event").value<SCEvent>().eventPath());
                                                    });
    write(QStringLiteral("new.css"));
    ASSERT_TRUE(TestUtil::waitUntil([&] { return !paths.isEmpty(); }, 3000));
    EXPECT_EQ(paths.constFirst(), QDir::cleanPath(m_dir.path()));
    root->removeWatcher();
    EXPECT_EQ(root->directryWatcher(), nullptr);
}

TEST(FileWebNode, TypesComeFromTheMimeTypeAndFramesArePages)
{
    File script(std::make_shared<FakeResource>(QStringLiteral("http://example.com/js/app"), "var a;",
                                               QStringLiteral("text/javascript")));
    EXPECT_FALSE(script.isLocalFile());
    EXPECT_EQ(script.fileType(), File::Script);
    EXPECT_EQ(script.displayName(), QStringLiteral("app"));
    EXPECT_EQ(script.absolutePath(), QStringLiteral("http://example.com/js/app"));
    EXPECT_EQ(script.content(), QStringLiteral("var a;"));

    File image(std::make_shared<FakeResource>(QStringLiteral("http://example.com/a.png"), "",
                                              QStringLiteral("image/png")));
    EXPECT_EQ(image.fileType(), File::Image);

    File page(std::make_shared<FakeResource>(QStringLiteral("http://example.com/"), "<p>",
                                             QStringLiteral("application/xhtml+xml")));
    page.setWebframe(std::make_shared<FakeFrame>());
    EXPECT_EQ(page.fileType(), File::HTML);

    File font(std::make_shared<FakeResource>(QStringLiteral("http://example.com/f.woff"), "\x01\x02",
                                             QStringLiteral("application/octet-stream")));
    EXPECT_FALSE(font.isFont());
    font.setResponse(URLResponse(QUrl(QStringLiteral("http://example.com/f.woff")),
                                 QStringLiteral("application/octet-stream")));
    EXPECT_TRUE(font.isFont());
    EXPECT_EQ(font.fileType(), File::Font);

    File group;
    group.setIsResourceGroup(true);
    group.setTempChildren({&script, &image});
    EXPECT_EQ(group.numberOfChildren(), 2);
    EXPECT_FALSE(group.isLeaf());
}

TEST_F(FileTree, ARootMadeOnAWorkerThreadLivesAndWatchesOnTheMainThread)
{
    write(QStringLiteral("a.css"));
    std::unique_ptr<File> root(QtConcurrent::run([this] { return makeRoot().release(); }).result());
    EXPECT_EQ(root->thread(), QThread::currentThread());
    EXPECT_TRUE(TestUtil::waitUntil([&] { return root->directryWatcher() != nullptr; }));
    EXPECT_EQ(namesOf(root->children()), QStringList{"a.css"});
}

TEST_F(FileTree, AWebStyleSheetWithALocalSubstituteHasABypass)
{
    write(QStringLiteral("site.css"), "a {}");
    const QUrl remote(QStringLiteral("http://example.com/substitute-test/site.css"));
    File web(std::make_shared<FakeResource>(remote.toString(), "a {}", QStringLiteral("text/css")));
    EXPECT_FALSE(web.hasBypass());
    ASSERT_TRUE(BypassMap::getInstance()->setBypass(remote, QUrl::fromLocalFile(path(QStringLiteral("site.css")))));
    EXPECT_TRUE(web.hasBypass());
    EXPECT_EQ(web.bypassPath().toLocalFile(), QFileInfo(path(QStringLiteral("site.css"))).canonicalFilePath());
    EXPECT_EQ(web.iconSize(), QSize(20, 20));
    BypassMap::getInstance()->setBypass(remote, QUrl());
    EXPECT_FALSE(web.hasBypass());

    // A local file never has one.
    auto root = makeRoot();
    EXPECT_FALSE(child(root.get(), QStringLiteral("site.css"))->hasBypass());
}

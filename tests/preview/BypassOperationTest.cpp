// The substitution jobs of a web project: which files they tie to which
// addresses, on their queue while the main thread reads the ties.

#include "TestUtil.h"

#include "platform/foundation/OperationQueue.h"
#include "platform/foundation/UserDefaults.h"
#include "preview/AutoBypassOperation.h"
#include "preview/RemoveBypassOperation.h"
#include "workspace/BypassMap.h"
#include "workspace/File.h"
#include "workspace/ProjectUtil.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <atomic>

namespace {

class BypassOperationTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ProjectUtil::resetForTesting();
        m_defaults = std::make_unique<UserDefaults>(m_home.filePath(QStringLiteral("defaults.plist")));
        m_map = std::make_unique<BypassMap>(*m_defaults);
        for (const char *name : {"index.html", "about/index.html", "css/site.css", "js/app.js", "img/logo.png",
                                 "fonts/f.woff", "notes.txt", ".hidden/secret.css", "page.htm"})
            write(QString::fromLatin1(name));
        m_root = std::make_unique<File>(m_site.path(), true, nullptr);
    }
    void TearDown() override { ProjectUtil::resetForTesting(); }

    void write(const QString &name)
    {
        const QString path = m_site.filePath(name);
        QDir().mkpath(QFileInfo(path).path());
        TestUtil::writeFile(path, "x");
    }
    void makeWebProject(const QString &address, bool web = true)
    {
        QVariantMap config = ProjectUtil::getProjectConfig(m_site.path());
        config.insert(ProjectUtil::kIsWebProject, web);
        config.insert(ProjectUtil::kWebMainURL, address);
        ASSERT_TRUE(ProjectUtil::saveProjectConfig(config, m_site.path()));
    }
    template<typename Job>
    std::shared_ptr<Job> job()
    {
        auto made = std::make_shared<Job>(m_root.get());
        made->setBypassMap(m_map.get());
        return made;
    }
    QString tieOf(const QString &address) { return m_map->bypassPathWithURL(QUrl(address)).toLocalFile(); }
    QString file(const QString &name) { return QFileInfo(m_site.filePath(name)).canonicalFilePath(); }

    QTemporaryDir m_home;
    QTemporaryDir m_site;
    std::unique_ptr<UserDefaults> m_defaults;
    std::unique_ptr<BypassMap> m_map;
    std::unique_ptr<File> m_root;
};

} // namespace

TEST_F(BypassOperationTest, AutoTiesPagesSheetsAndScriptsAndTheFolderOfEachIndexButNoImages)
{
    makeWebProject(QStringLiteral("http://site.test/"));
    job<AutoBypassOperation>()->main();
    EXPECT_EQ(tieOf(QStringLiteral("http://site.test/index.html")), file(QStringLiteral("index.html")));
    EXPECT_EQ(tieOf(QStringLiteral("http://site.test/")), file(QStringLiteral("index.html")));
    EXPECT_EQ(tieOf(QStringLiteral("http://site.test/about/index.html")), file(QStringLiteral("about/index.html")));
    EXPECT_EQ(tieOf(QStringLiteral("http://site.test/about/")), file(QStringLiteral("about/index.html")));
    EXPECT_EQ(tieOf(QStringLiteral("http://site.test/css/site.css")), file(QStringLiteral("css/site.css")));
    EXPECT_EQ(tieOf(QStringLiteral("http://site.test/js/app.js")), file(QStringLiteral("js/app.js")));
    EXPECT_TRUE(tieOf(QStringLiteral("http://site.test/img/logo.png")).isEmpty());
    EXPECT_TRUE(tieOf(QStringLiteral("http://site.test/fonts/f.woff")).isEmpty());
    EXPECT_TRUE(tieOf(QStringLiteral("http://site.test/notes.txt")).isEmpty());
    EXPECT_TRUE(tieOf(QStringLiteral("http://site.test/page.htm")).isEmpty());
    EXPECT_TRUE(tieOf(QStringLiteral("http://site.test/.hidden/secret.css")).isEmpty());
    EXPECT_EQ(m_map->bypassMap().size(), 6);
}

TEST_F(BypassOperationTest, AProjectThatIsNoWebProjectGetsNoTie)
{
    makeWebProject(QStringLiteral("http://site.test/"), false);
    job<AutoBypassOperation>()->main();
    EXPECT_TRUE(m_map->bypassMap().isEmpty());
}

TEST_F(BypassOperationTest, RemoveTakesTheTiesOfTheAddressItWasMadeFor)
{
    makeWebProject(QStringLiteral("http://old.test/"));
    job<AutoBypassOperation>()->main();
    ASSERT_EQ(m_map->bypassMap().size(), 6);
    // The job is made before the address changes and runs after.
    auto remove = job<RemoveBypassOperation>();
    makeWebProject(QStringLiteral("http://new.test/"));
    remove->main();
    EXPECT_TRUE(m_map->bypassMap().isEmpty());
    job<AutoBypassOperation>()->main();
    EXPECT_EQ(tieOf(QStringLiteral("http://new.test/")), file(QStringLiteral("index.html")));
    EXPECT_TRUE(tieOf(QStringLiteral("http://old.test/")).isEmpty());
}

TEST_F(BypassOperationTest, ACancelledJobTiesNothingMore)
{
    makeWebProject(QStringLiteral("http://site.test/"));
    auto auto_ = job<AutoBypassOperation>();
    auto_->cancel();
    auto_->main();
    EXPECT_TRUE(m_map->bypassMap().isEmpty());
}

TEST_F(BypassOperationTest, TheJobRunsOnItsQueueWhileTheMainThreadReadsTheTies)
{
    // A larger site, so that the job and the reads overlap.
    for (int i = 0; i < 300; ++i)
        write(QStringLiteral("pages/p%1/index.html").arg(i));
    makeWebProject(QStringLiteral("http://site.test/"));
    OperationQueue queue(1);
    std::atomic<int> changes{0};
    QObject::connect(m_map.get(), &BypassMap::changed, m_map.get(), [&changes] { ++changes; });
    queue.addOperation(job<AutoBypassOperation>());
    int reads = 0;
    while (!queue.operations().isEmpty() || reads < 100) {
        m_map->bypassPathWithURL(QUrl(QStringLiteral("http://site.test/pages/p7/")));
        m_map->bypassMap();
        ++reads;
    }
    queue.waitUntilAllOperationsAreFinished();
    EXPECT_EQ(tieOf(QStringLiteral("http://site.test/pages/p299/")), file(QStringLiteral("pages/p299/index.html")));
    EXPECT_EQ(m_map->bypassMap().size(), 6 + 600);
    TestUtil::waitUntil([&] { return changes > 0; }, 2000);
    EXPECT_EQ(changes, 1) << "the ties are written at once";
}

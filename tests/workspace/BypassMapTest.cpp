#include "TestUtil.h"

#include "platform/foundation/UserDefaults.h"
#include "workspace/BypassMap.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtConcurrent>

#include <gtest/gtest.h>

namespace {

class BypassMapTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        m_defaults = std::make_unique<UserDefaults>(m_dir.filePath("defaults.plist"));
        m_site = QDir(m_dir.path()).canonicalPath() + "/site";
        QDir().mkpath(m_site);
        ASSERT_TRUE(TestUtil::writeFile(m_site + "/style.css", "a{}"));
    }

    QTemporaryDir m_dir;
    std::unique_ptr<UserDefaults> m_defaults;
    QString m_site;
};

const QUrl kRemote("https://example.org/css/style.css");

} // namespace

TEST_F(BypassMapTest, TieIsAnsweredAtOnceAndResolvedInALaterRun)
{
    ASSERT_TRUE(QFile::link(m_site + "/style.css", m_site + "/link.css"));
    {
        BypassMap map(*m_defaults);
        EXPECT_TRUE(map.setBypass(kRemote, QUrl::fromLocalFile(m_site + "/link.css")));
        EXPECT_EQ(map.bypassPathWithURL(kRemote), QUrl::fromLocalFile(m_site + "/link.css"));
    }
    BypassMap later(*m_defaults);
    EXPECT_EQ(later.bypassPathWithURL(kRemote), QUrl::fromLocalFile(m_site + "/style.css"));
}

TEST_F(BypassMapTest, UrlsDifferingInTheQueryAreSeparateTies)
{
    BypassMap map(*m_defaults);
    ASSERT_TRUE(TestUtil::writeFile(m_site + "/other.css", "b{}"));
    const QUrl withQuery("https://example.org/css/style.css?v=2");
    map.setBypass(kRemote, QUrl::fromLocalFile(m_site + "/style.css"));
    map.setBypass(withQuery, QUrl::fromLocalFile(m_site + "/other.css"));
    EXPECT_EQ(map.bypassMap().size(), 2);
    EXPECT_EQ(map.bypassPathWithURL(withQuery).toLocalFile(), m_site + "/other.css");

    map.setBypass(withQuery, QUrl());
    EXPECT_TRUE(map.bypassPathWithURL(withQuery).isEmpty());
    EXPECT_EQ(map.bypassPathWithURL(kRemote).toLocalFile(), m_site + "/style.css");
}


TEST_F(BypassMapTest, MissingLocalFileMakesNoTie)
{
    BypassMap map(*m_defaults);
    EXPECT_FALSE(map.setBypass(kRemote, QUrl::fromLocalFile(m_site + "/missing.css")));
    EXPECT_TRUE(map.bypassMap().isEmpty());
    EXPECT_TRUE(map.bypassPathWithURL(kRemote).isEmpty());
}

TEST_F(BypassMapTest, TieToADeletedFileAnswersNothingButStaysInTheTable)
{
    {
        BypassMap map(*m_defaults);
        map.setBypass(kRemote, QUrl::fromLocalFile(m_site + "/style.css"));
    }
    QFile::remove(m_site + "/style.css");
    BypassMap later(*m_defaults);
    EXPECT_TRUE(later.bypassPathWithURL(kRemote).isEmpty());
    EXPECT_EQ(later.bypassMap().size(), 1);
}

TEST_F(BypassMapTest, ConcurrentSettersKeepEachOthersTies)
{
    BypassMap map(*m_defaults);
    QList<int> indexes;
    for (int i = 0; i < 24; ++i)
        indexes.append(i);
    QtConcurrent::blockingMap(indexes, [&](int i) {
        map.setBypass(QUrl(QStringLiteral("https://example.org/%1.css").arg(i)),
                      QUrl::fromLocalFile(m_site + "/style.css"));
        map.bypassPathWithURL(QUrl(QStringLiteral("https://example.org/%1.css").arg((i + 5) % 24)));
    });
    EXPECT_EQ(map.bypassMap().size(), 24);
}

#include "PreviewTestSupport.h"

#include "platform/web/engine/ChromiumProcess.h"
#include "platform/web/engine/WebPage.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>

// What the preview says when its browser had to be started again (#80): that
// the page is shown again only once it is, and what happened to a browser
// that never answered.
namespace PreviewBrowserRestartTest {

namespace {

// Runs the event loop until the condition holds, noting every notice shown
// on the way.
bool waitNoting(PreviewHarness &harness, QStringList &notices, const std::function<bool()> &condition, int timeoutMs)
{
    return TestUtil::waitUntil([&] {
        const QString notice = harness.view().notice();
        if (!notice.isEmpty() && (notices.isEmpty() || notices.last() != notice))
            notices.append(notice);
        return condition();
    }, timeoutMs);
}

// Whether the last notice noted holds the words.
std::function<bool()> lastSays(const QStringList &notices, const char *words)
{
    return [&notices, words] { return !notices.isEmpty() && notices.last().contains(QLatin1String(words)); };
}

} // namespace

TEST(PreviewBrowserRestart, ThePageIsSaidToBeShownAgainOnlyOnceItIs)
{
    PreviewHarness harness;
    Site site;
    site.write(QStringLiteral("index.html"), "<!DOCTYPE html><p id=here>shown</p>");
    ASSERT_TRUE(harness.load(site.fileUrl(QStringLiteral("index.html"))));
    const int before = harness.completions;
    const qint64 browser = ChromiumProcess::instance().processId();
    ASSERT_GT(browser, 0);
    ::kill(pid_t(browser), SIGKILL);

    QStringList notices;
    ASSERT_TRUE(waitNoting(harness, notices, [&] { return !notices.isEmpty(); }, 15000));
    EXPECT_TRUE(notices.first().contains(QLatin1String("ended unexpectedly and was started again")))
        << qPrintable(notices.first());
    EXPECT_FALSE(notices.first().contains(QLatin1String("shown again"))) << qPrintable(notices.first());
    ASSERT_TRUE(waitNoting(harness, notices, [&] { return harness.completions > before; }, 20000));
    EXPECT_TRUE(harness.view().notice().contains(QLatin1String("The page is shown again.")))
        << qPrintable(harness.view().notice());
}

class PreviewBrowserRestartAlone : public ::testing::Test
{
protected:
    void SetUp() override { GTEST_FLAG_SET(death_test_style, "threadsafe"); }
};

// A browser that starts and says nothing at all (a copy of this test program
// of its own runs it): the preview says so, never that the page is shown,
// and after its last start that it is not started again by itself.
TEST_F(PreviewBrowserRestartAlone, ABrowserThatNeverAnswersIsSaidSoAndThePageNeverSaidToBeShown)
{
    QTemporaryDir folder;
    const QString silent = folder.filePath(QStringLiteral("silent-browser"));
    ASSERT_TRUE(TestUtil::writeFile(silent, "#!/bin/sh\nexec sleep 600\n"));
    ASSERT_TRUE(QFile::setPermissions(silent, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
    EXPECT_EXIT(
        {
            qputenv("QUILLMARK_CHROMIUM", QFile::encodeName(silent));
            PreviewHarness harness;
            Site site;
            site.write(QStringLiteral("index.html"), "<!DOCTYPE html><p>never shown</p>");
            harness.preview.urlEnter(site.fileUrl(QStringLiteral("index.html")).toString());
            QStringList notices;
            if (!waitNoting(harness, notices, lastSays(notices, "did not answer after it was started"),
                            ChromiumProcess::kSilenceMs + 20000))
                std::exit(2);
            if (!waitNoting(harness, notices, lastSays(notices, "did not answer after any of its last 3 starts"),
                            ChromiumProcess::kQuickDeaths * (ChromiumProcess::kSilenceMs + 20000)))
                std::exit(3);
            for (const QString &notice : std::as_const(notices)) {
                if (notice.contains(QLatin1String("shown again")))
                    std::exit(4);
            }
            std::exit(harness.status.text() == notices.last() ? 0 : 5);
        },
        ::testing::ExitedWithCode(0), "");
}

} // namespace PreviewBrowserRestartTest

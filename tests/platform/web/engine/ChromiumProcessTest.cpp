#include "TestUtil.h"
#include "WebTestFixture.h"
#include "WebTestUtil.h"

#include "platform/web/dom/DOMDocument.h"
#include "platform/web/dom/DOMElement.h"
#include "platform/web/engine/ChromiumProcess.h"
#include "platform/web/engine/DevToolsConnection.h"
#include "platform/web/engine/WebBlockingCall.h"
#include "platform/web/engine/WebBridge.h"
#include "platform/web/engine/WebDownloads.h"
#include "platform/web/engine/WebFrameMirror.h"
#include "platform/web/engine/WebView.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QJsonArray>
#include <QJsonObject>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QThread>

#include <csignal>
#include <cstdlib>
#include <unistd.h>

#include <gtest/gtest.h>

namespace {

// The processes of a process group that still run (the dead ones may wait
// a while for whoever reaps orphans).
int runningInGroup(qint64 group)
{
    int running = 0;
    const QStringList entries = QDir(QStringLiteral("/proc")).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    for (const QString &entry : entries) {
        QFile stat(QStringLiteral("/proc/%1/stat").arg(entry));
        if (!stat.open(QIODevice::ReadOnly))
            continue;
        const QByteArray text = stat.readAll();
        // "pid (name) state ppid pgrp ...": the name may hold anything.
        const QList<QByteArray> fields = text.mid(text.lastIndexOf(')') + 2).split(' ');
        if (fields.size() > 2 && fields.at(2).toLongLong() == group && fields.at(0) != "Z")
            ++running;
    }
    return running;
}

} // namespace

// Events and answers come in the order the browser sent them; what arrives
// while a blocking call reads the pipe waits until it returns.
TEST(DevToolsConnection, EventsComeInOrderAndWaitOutABlockingCall)
{
    WebTestFixture fixture(WebTestFixture::sharedView());
    fixture.writeFile(QStringLiteral("index.html"), "<!DOCTYPE html><p>console</p>");
    ASSERT_TRUE(fixture.loadPage(QStringLiteral("index.html")));
    WebPage *page = fixture.view().webPage();
    QStringList lines;
    bool deliveredDuringWait = false;
    const auto connection = QObject::connect(page, &WebPage::consoleMessage, page, [&](int, const QString &message) {
        lines.append(message);
        deliveredDuringWait = deliveredDuringWait || WebBlockingCall::isWaiting();
    });
    page->runJavaScript(QStringLiteral("for (let i = 0; i < 50; ++i) console.log(String(i));"));
    // The page's lines are on their way while this waits for its own answer.
    TestUtil::spin(30);
    const std::optional<QJsonObject> version =
        page->sendAndWait(page->sessionId(), QStringLiteral("Runtime.evaluate"),
                          {{QStringLiteral("expression"), QStringLiteral("1 + 1")}, {QStringLiteral("returnByValue"), true}}, 5000);
    ASSERT_TRUE(version);
    EXPECT_EQ(version->value(QStringLiteral("result")).toObject().value(QStringLiteral("value")).toInt(), 2);
    ASSERT_TRUE(TestUtil::waitUntil([&] { return lines.size() == 50; }));
    QStringList expected;
    for (int i = 0; i < 50; ++i)
        expected.append(QString::number(i));
    EXPECT_EQ(lines, expected);
    EXPECT_FALSE(deliveredDuringWait);
    QObject::disconnect(connection);

    // A command the browser does not know answers with its error; a blocking one with nothing.
    DevToolsConnection *browser = ChromiumProcess::instance().connection();
    std::optional<DevToolsReply> reply;
    browser->send(QStringLiteral("No.suchMethod"), {}, {}, [&](const DevToolsReply &answer) { reply = answer; });
    ASSERT_TRUE(TestUtil::waitUntil([&] { return reply.has_value(); }));
    EXPECT_FALSE(reply->isOk());
    EXPECT_FALSE(browser->sendAndWait(QStringLiteral("No.suchMethod")));
}

// A page that never answers (a script in an endless loop) is given up on
// after the time-out; the program goes on.
TEST(DevToolsConnection, QuestionToAPageThatNeverAnswersEndsAfterItsTimeOut)
{
    WebView view;
    view.resize(400, 300);
    WebTestFixture fixture(view);
    fixture.writeFile(QStringLiteral("index.html"), "<!DOCTYPE html><p id='x'>busy</p>");
    ASSERT_TRUE(fixture.loadPage(QStringLiteral("index.html")));
    DOMElement *p = fixture.mainFrame().document()->getElementById(QStringLiteral("x"));
    // The loop runs before anything asked after it: the renderer takes
    // the page's commands in order.
    view.webPage()->runJavaScript(QStringLiteral("for (;;) {}"));
    StandardErrorCapture log;
    EXPECT_TRUE(fixture.mainFrame().document()->getComputedStyle(p, QString()).isEmpty());
    EXPECT_TRUE(log.text().contains(QLatin1String("did not answer")));
    view.webPage()->send(QStringLiteral("Runtime.terminateExecution"));
}

// The browser killed in the middle of a session: one ERROR line, a new
// browser, and the page with its mirror back.
TEST(ChromiumProcess, KilledBrowserComesBackWithThePageAndItsMirror)
{
    WebTestFixture fixture(WebTestFixture::sharedView());
    fixture.writeFile(QStringLiteral("index.html"), "<!DOCTYPE html><p id='back'>back again</p>");
    ASSERT_TRUE(fixture.loadPage(QStringLiteral("index.html")));
    ChromiumProcess &browser = ChromiumProcess::instance();
    const qint64 first = browser.processId();
    const QString firstProfile = browser.profileFolder();
    ASSERT_GT(first, 0);
    QSignalSpy restarted(&browser, &ChromiumProcess::restarted);
    WebBridge &bridge = fixture.view().bridge();
    bool reloaded = false;
    const auto connection = QObject::connect(&bridge, &WebBridge::documentLoaded, &bridge,
                                             [&](WebFrameMirror *frame) { reloaded = reloaded || frame->isMainFrame(); });
    StandardErrorCapture log;
    ::kill(pid_t(first), SIGKILL);
    ASSERT_TRUE(TestUtil::waitUntil([&] { return restarted.count() == 1 && reloaded; }, 15000));
    QObject::disconnect(connection);
    EXPECT_NE(browser.processId(), first);
    EXPECT_FALSE(QDir(firstProfile).exists());
    EXPECT_EQ(log.text().count(QLatin1String("[ERROR]")), 1) << qPrintable(log.text());
    EXPECT_EQ(fixture.view().mainFrameURL(), fixture.urlOf(QStringLiteral("index.html")).toString());
    DOMElement *p = fixture.mainFrame().document()->getElementById(QStringLiteral("back"));
    ASSERT_TRUE(p);
    EXPECT_FALSE(fixture.mainFrame().document()->getComputedStyle(p, QString()).isEmpty());
    p->setAttribute(QStringLiteral("class"), QStringLiteral("edited"));
    ASSERT_TRUE(fixture.settle());
    EXPECT_EQ(fixture.evaluate(QStringLiteral("document.getElementById('back').className")).toString(), QStringLiteral("edited"));
}

// A browser that dies right after each start is left after a few starts; the
// page is then not opened again by itself, but the next page the user opens
// starts the browser again.
TEST(ChromiumProcess, BrowserLeftAfterQuickDeathsStartsAgainForTheNextPage)
{
    WebTestFixture fixture(WebTestFixture::sharedView());
    fixture.writeFile(QStringLiteral("index.html"), "<!DOCTYPE html><p>first</p>");
    fixture.writeFile(QStringLiteral("next.html"), "<!DOCTYPE html><p id='next'>next</p>");
    ASSERT_TRUE(fixture.loadPage(QStringLiteral("index.html")));
    ChromiumProcess &browser = ChromiumProcess::instance();
    WebPage *page = fixture.view().webPage();
    QSignalSpy stopped(&browser, &ChromiumProcess::restartsStopped);
    QSignalSpy leftAlone(page, &WebPage::crashLimitReached);
    StandardErrorCapture log;
    // Each death within moments of the start before it. The first comes
    // after a start long ago or a moment ago (the test before restarted the
    // browser): it counts as quick or not, so one more may be needed.
    for (int death = 0; death <= ChromiumProcess::kQuickDeaths && stopped.isEmpty(); ++death) {
        const qint64 pid = browser.processId();
        ASSERT_GT(pid, 0);
        ::kill(pid_t(pid), SIGKILL);
        ASSERT_TRUE(TestUtil::waitUntil([&] { return browser.processId() != pid; }, 15000));
    }
    ASSERT_EQ(stopped.count(), 1);
    EXPECT_FALSE(browser.isRunning());
    ASSERT_EQ(leftAlone.count(), 1);
    // The page hands on what happened and what starts the browser again.
    const QString message = leftAlone.first().first().toString();
    EXPECT_TRUE(message.contains(QLatin1String("ended right after each of its last 3 starts"))
                && message.contains(QLatin1String("Opening a page or Reload")))
        << qPrintable(message);

    ASSERT_TRUE(fixture.loadPage(QStringLiteral("next.html")));
    EXPECT_TRUE(browser.isRunning());
    EXPECT_TRUE(fixture.mainFrame().document()->getElementById(QStringLiteral("next")));
    EXPECT_TRUE(log.text().contains(message)) << qPrintable(log.text());
    EXPECT_EQ(browser.lastStart(), ChromiumProcess::Start::AsAsked);
}

// A program that was busy for longer than the browser may be silent finds
// the browser's answers waiting: the browser is not taken for a stopped one.
TEST(ChromiumProcess, AProgramBusyLongerThanTheSilenceLimitKeepsItsBrowser)
{
    WebTestFixture fixture(WebTestFixture::sharedView());
    fixture.writeFile(QStringLiteral("index.html"), "<!DOCTYPE html><p id='kept'>kept</p>");
    ASSERT_TRUE(fixture.loadPage(QStringLiteral("index.html")));
    ChromiumProcess &browser = ChromiumProcess::instance();
    const qint64 pid = browser.processId();
    QSignalSpy restarted(&browser, &ChromiumProcess::restarted);
    // A question of the browser's watch waits, held up a moment, when the
    // program stalls; the browser answers meanwhile.
    ::kill(pid_t(pid), SIGSTOP);
    TestUtil::spin(ChromiumProcess::kAskEveryMs + 500);
    ::kill(pid_t(pid), SIGCONT);
    QThread::msleep(ChromiumProcess::kSilenceMs + 1000);
    TestUtil::spin(2 * ChromiumProcess::kAskEveryMs + 500);
    EXPECT_EQ(restarted.count(), 0);
    EXPECT_EQ(browser.processId(), pid);
    EXPECT_TRUE(browser.isRunning());
}

// The checks below run in a fresh copy of the test program, which has its own browser.
class ChromiumProcessAlone : public ::testing::Test
{
protected:
    void SetUp() override { GTEST_FLAG_SET(death_test_style, "threadsafe"); }
};

// Its temporary folders too: the browser makes them in a folder of its own.
TEST_F(ChromiumProcessAlone, StopEndsTheBrowserWithItsHelpersAndRemovesItsProfile)
{
    EXPECT_EXIT(
        {
            ChromiumProcess &browser = ChromiumProcess::instance();
            if (!browser.start())
                std::exit(2);
            // Up and answering, with its helpers started.
            if (!browser.connection()->sendAndWait(QStringLiteral("Browser.getVersion"), {}, {}, 30000))
                std::exit(3);
            const qint64 pid = browser.processId();
            const QString profile = browser.profileFolder();
            const QString temporary = browser.temporaryFolder();
            const auto madeTemporaryFolder = [&] {
                return !QDir(temporary)
                            .entryList({QStringLiteral("org.chromium.Chromium.*")}, QDir::AllEntries | QDir::NoDotAndDotDot)
                            .isEmpty();
            };
            if (!QDir(profile).exists() || !TestUtil::waitUntil(madeTemporaryFolder, 15000))
                std::exit(4);
            browser.stop();
            // Nothing of its process group is left, once the helpers killed
            // with it have ended (a loaded machine may take a moment).
            if (QDir(profile).exists() || QDir(temporary).exists()
                || !TestUtil::waitUntil([pid] { return runningInGroup(pid) == 0; }, 15000))
                std::exit(5);
            std::exit(0);
        },
        ::testing::ExitedWithCode(0), "");
}

// The tab the browser opens with is closed: its renderer would stay for the
// browser's life. The browser goes on without a tab and makes the next one.
TEST_F(ChromiumProcessAlone, TheTabTheBrowserStartsWithIsClosed)
{
    EXPECT_EXIT(
        {
            ChromiumProcess &browser = ChromiumProcess::instance();
            if (!browser.start())
                std::exit(2);
            const auto pages = [&] {
                const std::optional<QJsonObject> targets =
                    browser.connection()->sendAndWait(QStringLiteral("Target.getTargets"), {}, {}, 30000);
                if (!targets)
                    return -1;
                int count = 0;
                for (const QJsonValue &target : targets->value(QStringLiteral("targetInfos")).toArray())
                    count += target.toObject().value(QStringLiteral("type")).toString() == QLatin1String("page");
                return count;
            };
            if (!TestUtil::waitUntil([&] { return pages() == 0; }, 15000))
                std::exit(3);
            if (!browser.connection()->sendAndWait(QStringLiteral("Target.createTarget"),
                                                   {{QStringLiteral("url"), QStringLiteral("about:blank")}}, {}, 30000)
                || pages() != 1)
                std::exit(4);
            std::exit(0);
        },
        ::testing::ExitedWithCode(0), "");
}

TEST_F(ChromiumProcessAlone, BrowserDiesWithTheProgramAfterACrash)
{
    // The child is a new run of this test: it takes the file's name from the
    // environment its parent gave it (one name per parent, as copies of the
    // suite may run at once).
    QString pidFile = qEnvironmentVariable("QUILLMARK_TEST_PID_FILE");
    if (pidFile.isEmpty()) {
        pidFile = QDir::temp().filePath(
            QStringLiteral("quillmark-crashed-browser-pid-%1").arg(QCoreApplication::applicationPid()));
        qputenv("QUILLMARK_TEST_PID_FILE", pidFile.toLocal8Bit());
    }
    QFile::remove(pidFile);
    EXPECT_DEATH(
        {
            ChromiumProcess &browser = ChromiumProcess::instance();
            browser.start();
            browser.connection()->sendAndWait(QStringLiteral("Browser.getVersion"), {}, {}, 30000);
            QFile file(pidFile);
            file.open(QIODevice::WriteOnly);
            file.write(QByteArray::number(browser.processId()));
            file.close();
            std::abort();
        },
        "");
    qunsetenv("QUILLMARK_TEST_PID_FILE");
    QFile file(pidFile);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const qint64 pid = file.readAll().toLongLong();
    file.remove();
    ASSERT_GT(pid, 0);
    EXPECT_TRUE(TestUtil::waitUntil([&] { return runningInGroup(pid) == 0; }, 10000));
}

// A browser that stops answering (stopped, as a hung one is still) is ended
// and replaced within the silence limit, with the page and its mirror back,
// and no word that the page does not respond; its death counts towards the
// quick deaths from when it fell silent.
TEST_F(ChromiumProcessAlone, AStoppedBrowserIsReplacedAndCountsAsAQuickDeath)
{
    EXPECT_EXIT(
        {
            ChromiumProcess &browser = ChromiumProcess::instance();
            const bool wasRunning = browser.isRunning();
            QElapsedTimer sinceStart;
            sinceStart.start();
            WebView view;
            view.resize(400, 300);
            WebTestFixture fixture(view);
            fixture.writeFile(QStringLiteral("index.html"), "<!DOCTYPE html><p id='back'>back again</p>");
            if (!fixture.loadPage(QStringLiteral("index.html"), 30000))
                std::exit(2);
            int restarts = 0;
            int stopped = 0;
            bool saidNotResponding = false;
            QObject::connect(&browser, &ChromiumProcess::restarted, [&] { ++restarts; });
            QObject::connect(&browser, &ChromiumProcess::restartsStopped, [&] { ++stopped; });
            QObject::connect(view.webPage(), &WebPage::respondingChanged,
                             [&](bool responding) { saidNotResponding = saidNotResponding || !responding; });
            StandardErrorCapture log;
            const qint64 first = browser.processId();
            // The question it leaves unanswered is asked within a round of
            // the stop; on a loaded machine the start and load alone may
            // take longer than a quick death.
            const bool silentQuickly =
                !wasRunning && sinceStart.elapsed() + ChromiumProcess::kAskEveryMs < ChromiumProcess::kQuickDeathMs;
            ::kill(pid_t(first), SIGSTOP);
            QElapsedTimer timer;
            timer.start();
            if (!TestUtil::waitUntil([&] { return restarts == 1; }, ChromiumProcess::kSilenceMs + 15000))
                std::exit(3);
            if (timer.elapsed() < ChromiumProcess::kSilenceMs - ChromiumProcess::kAskEveryMs
                || browser.lastStart() != ChromiumProcess::Start::AfterSilence || browser.processId() == first
                || ::kill(pid_t(first), 0) == 0)
                std::exit(4);
            const QString text = log.text();
            if (text.count(QLatin1String("[ERROR]")) != 1 || !text.contains(QLatin1String("did not answer")))
                std::exit(5);
            if (saidNotResponding)
                std::exit(6);
            if (!TestUtil::waitUntil([&] {
                    DOMDocument *document = fixture.mainFrame().document();
                    return document && document->getElementById(QStringLiteral("back"));
                }, 20000))
                std::exit(7);
            // Two more deaths right after their starts: with the silent one,
            // the browser is left.
            int deaths = 0;
            while (stopped == 0 && deaths < ChromiumProcess::kQuickDeaths) {
                const qint64 pid = browser.processId();
                ::kill(pid_t(pid), SIGKILL);
                ++deaths;
                if (!TestUtil::waitUntil([&] { return browser.processId() != pid; }, 15000))
                    std::exit(8);
            }
            const bool counted = deaths == ChromiumProcess::kQuickDeaths - 1
                              || (!silentQuickly && deaths == ChromiumProcess::kQuickDeaths);
            std::exit(stopped == 1 && counted && !browser.isRunning() ? 0 : 9);
        },
        ::testing::ExitedWithCode(0), "");
}

// A browser that works longer than the silence limit before its first word,
// as one does on two cores shared with other work, is starting, not silent:
// it is not ended (#80).
TEST_F(ChromiumProcessAlone, ABrowserThatWorksPastTheSilenceLimitBeforeItsFirstWordIsNotEnded)
{
    QTemporaryDir folder;
    const QString slow = folder.filePath(QStringLiteral("slow-browser"));
    ASSERT_TRUE(TestUtil::writeFile(slow, "#!/bin/bash\nend=$((SECONDS + "
                                              + QByteArray::number(ChromiumProcess::kSilenceMs / 1000 + 3)
                                              + "))\nwhile [ $SECONDS -lt $end ]; do :; done\n"
                                                "exec /usr/bin/chromium \"$@\"\n"));
    ASSERT_TRUE(QFile::setPermissions(slow, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
    EXPECT_EXIT(
        {
            qputenv("QUILLMARK_CHROMIUM", QFile::encodeName(slow));
            ChromiumProcess &browser = ChromiumProcess::instance();
            int restarts = 0;
            QObject::connect(&browser, &ChromiumProcess::restarted, [&] { ++restarts; });
            WebView view;
            view.resize(400, 300);
            WebTestFixture fixture(view);
            fixture.writeFile(QStringLiteral("index.html"), "<!DOCTYPE html><p id='late'>late</p>");
            if (!fixture.loadPage(QStringLiteral("index.html"), ChromiumProcess::kStartMs))
                std::exit(2);
            std::exit(restarts == 0 && browser.lastStart() == ChromiumProcess::Start::First ? 0 : 3);
        },
        ::testing::ExitedWithCode(0), "");
}

TEST_F(ChromiumProcessAlone, MissingBrowserIsAnnouncedOnceAndTheViewSaysWhatToInstall)
{
    EXPECT_EXIT(
        {
            qputenv("QUILLMARK_CHROMIUM", "/nonexistent/chromium");
            int announced = 0;
            QObject::connect(&ChromiumProcess::instance(), &ChromiumProcess::failedToStart, [&] { ++announced; });
            WebView first;
            WebView second;
            first.webPage()->load(QUrl(QStringLiteral("about:blank")));
            const QImage shown = first.grab().toImage();
            // The rest of the program goes on: the view draws, the mirror is empty.
            const bool ok = announced == 1 && !shown.isNull() && !first.mainFrameDocument()
                && ChromiumProcess::instance().errorString().contains(QLatin1String("\"chromium\" package"));
            std::exit(ok ? 0 : 1);
        },
        ::testing::ExitedWithCode(0), "not installed");
}

// The downloads' staging folder goes with the program; one a crashed run
// left behind goes at the next start (#65).
TEST_F(ChromiumProcessAlone, StagingFolderOfACrashedRunGoesAtTheNextStart)
{
    // Each child is a new run of this test up to its own step: it takes the
    // file's name from the environment, and only the parent starts afresh.
    QString pathFile = qEnvironmentVariable("QUILLMARK_TEST_STAGING_FILE");
    if (pathFile.isEmpty()) {
        pathFile = QDir::temp().filePath(QStringLiteral("quillmark-staging-path-%1").arg(QCoreApplication::applicationPid()));
        qputenv("QUILLMARK_TEST_STAGING_FILE", pathFile.toLocal8Bit());
        QFile::remove(pathFile);
    }
    EXPECT_DEATH(
        {
            const QString staging = WebDownloads::stagingFolder();
            TestUtil::writeFile(staging + QStringLiteral("/part"), "half a download");
            TestUtil::writeFile(pathFile, staging.toLocal8Bit());
            std::abort();
        },
        "");
    const QString left = QString::fromLocal8Bit(TestUtil::readFile(pathFile));
    ASSERT_FALSE(left.isEmpty());
    ASSERT_TRUE(QDir(left).exists());
    // On a busy machine the crashed run's number may have gone to another
    // process meanwhile (each thread takes one): its folder then stays, as
    // that of a run still going does.
    const pid_t owner = pid_t(QFileInfo(left).fileName().section(QLatin1Char('-'), 2, 2).toLongLong());
    const auto numberTaken = [owner] { return ::kill(owner, 0) == 0; };
    EXPECT_EXIT(
        {
            const QString staging = WebDownloads::stagingFolder();
            std::exit((QDir(left).exists() && !numberTaken()) || staging.isEmpty() ? 1 : 0);
        },
        ::testing::ExitedWithCode(0), "");
    qunsetenv("QUILLMARK_TEST_STAGING_FILE");
    QFile::remove(pathFile);
    EXPECT_TRUE(!QDir(left).exists() || numberTaken());
    QDir(left).removeRecursively();
}

// The browser's socket goes in its temporary folder, and socket paths are short.
TEST_F(ChromiumProcessAlone, BrowserStartsWhateverTheTemporaryFolderPath)
{
    const QString longFolder = QDir::temp().filePath(
        QStringLiteral("quillmark-a-temporary-folder-with-a-rather-long-name-%1").arg(QCoreApplication::applicationPid()));
    ASSERT_TRUE(QDir().mkpath(longFolder));
    EXPECT_EXIT(
        {
            qputenv("TMPDIR", longFolder.toLocal8Bit());
            ChromiumProcess &browser = ChromiumProcess::instance();
            if (!browser.start())
                std::exit(2);
            // A browser that cannot make its socket ends at once.
            if (!browser.connection()->sendAndWait(QStringLiteral("Browser.getVersion"), {}, {}, 30000))
                std::exit(3);
            QThread::msleep(500);
            if (!browser.isRunning())
                std::exit(4);
            std::exit(browser.temporaryFolder().startsWith(longFolder) ? 5 : 0);
        },
        ::testing::ExitedWithCode(0), "");
    QDir(longFolder).removeRecursively();
}

TEST(DevToolsConnection, WritingToABrowserThatEndedClosesTheConnectionAndTheProgramGoesOn)
{
    int toBrowser[2];
    int fromBrowser[2];
    ASSERT_EQ(::pipe(toBrowser), 0);
    ASSERT_EQ(::pipe(fromBrowser), 0);
    DevToolsConnection connection(toBrowser[1], fromBrowser[0]);
    // The browser's ends are gone.
    ::close(toBrowser[0]);
    ::close(fromBrowser[1]);
    connection.send(QStringLiteral("Browser.getVersion"), {});
    EXPECT_FALSE(connection.isOpen());
}

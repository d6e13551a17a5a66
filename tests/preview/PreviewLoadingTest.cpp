#include "PreviewTestSupport.h"

#include "foundation/InspectUndoManager.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/kit/Alert.h"
#include "platform/kit/SegmentedControl.h"
#include "platform/web/dom/DOMDocument.h"
#include "platform/web/engine/WebDownloads.h"
#include "platform/web/engine/WebFrameMirror.h"
#include "platform/web/engine/WebPage.h"
#include "toolkit/ProgressAnimation.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QTimer>

#include <gtest/gtest.h>

namespace {

// Answers the alerts with the responses in turn, ticking the suppression box
// where asked, and keeps their messages.
class AlertScript
{
public:
    struct Answer
    {
        int response;
        bool suppress = false;
    };
    explicit AlertScript(const QList<Answer> &answers) : m_answers(answers)
    {
        Alert::setResponder([this](Alert &alert) {
            messages.append(alert.messageText());
            informative.append(alert.informativeText());
            buttons = alert.buttonTitles();
            const Answer answer = m_answers.isEmpty() ? Answer{Alert::SecondButtonReturn} : m_answers.takeFirst();
            alert.setSuppressionButtonChecked(answer.suppress);
            return answer.response;
        });
    }
    ~AlertScript() { Alert::setResponder({}); }

    QStringList messages;
    QStringList informative;
    QStringList buttons;

private:
    QList<Answer> m_answers;
};

// A port nothing listens on.
quint16 closedPort()
{
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost, 0);
    const quint16 port = probe.serverPort();
    probe.close();
    return port;
}

} // namespace

TEST(PreviewLoading, DelayedResourcesGiveRisingProgressThatNeverMovesBackAndOneCompletion)
{
    PreviewHarness harness;
    Site site;
    site.write(QStringLiteral("index.html"),
               "<!DOCTYPE html><html><head><link rel=stylesheet href=a.css></head><body>"
               "<img src=1.png><img src=2.png><img src=3.png><script src=late.js></script></body></html>");
    site.write(QStringLiteral("a.css"), "body { margin: 0 }");
    site.write(QStringLiteral("late.js"), "var late = 1;");
    for (const char *image : {"1.png", "2.png", "3.png"})
        site.write(QString::fromLatin1(image), "not really a picture");
    site.server.setDelay(QStringLiteral("a.css"), 150);
    site.server.setDelay(QStringLiteral("1.png"), 300);
    site.server.setDelay(QStringLiteral("2.png"), 450);
    site.server.setDelay(QStringLiteral("3.png"), 600);

    QList<qint64> reached;
    QStringList statuses;
    harness.preview.urlEnter(site.server.url(QStringLiteral("index.html")).toString());
    ASSERT_TRUE(TestUtil::waitUntil([&] {
        if (reached.isEmpty() || reached.last() != harness.box->reached())
            reached.append(harness.box->reached());
        if (statuses.isEmpty() || statuses.last() != harness.status.text())
            statuses.append(harness.status.text());
        return harness.completions > 0;
    }, 15000));
    // Late answers (the browser's icon request among them) complete nothing again.
    TestUtil::spin(800);
    EXPECT_EQ(harness.completions, 1);
    EXPECT_TRUE(std::is_sorted(reached.cbegin(), reached.cend())) << ::testing::PrintToString(reached);
    EXPECT_GE(reached.size(), 3) << "the bar rose in steps";
    EXPECT_EQ(harness.box->reached(), 100);
    EXPECT_EQ(harness.preview.resourceCount(), 6);
    EXPECT_EQ(harness.preview.resourceCompletedCount(), 6);
    EXPECT_EQ(harness.status.text(), QStringLiteral("6 / 6 Files"));
    EXPECT_GE(statuses.size(), 3);
    EXPECT_EQ(harness.preview.frameCount(), 1);
    EXPECT_EQ(harness.preview.frameCompleteCount(), 1);
    ASSERT_EQ(harness.tree.documents.size(), 1);
    EXPECT_TRUE(harness.preview.downloadButtonsEnabled());
}

// The files done never outnumber the files counted, and a page loaded again
// counts the same: the icons the browser asks for (of any type, failing or
// not) are no files of the page.
TEST(PreviewLoading, TheFileCountLeavesOutIconsAndNeverPassesItsTotal)
{
    PreviewHarness harness;
    Site site;
    const QString icon = QStringLiteral("http://127.0.0.1:%1/favicon.ico").arg(closedPort());
    site.write(QStringLiteral("index.html"),
               "<!DOCTYPE html><html><head><link rel=icon href='" + icon.toUtf8() + "'>"
               "<link rel=icon href=icon.svg type='image/svg+xml'><link rel=stylesheet href=a.css></head>"
               "<body><img src=1.png><script src=b.js></script></body></html>");
    site.write(QStringLiteral("a.css"), "body { margin: 0 }");
    site.write(QStringLiteral("b.js"), "var b = 1;");
    site.write(QStringLiteral("1.png"), "not really a picture");
    site.write(QStringLiteral("icon.svg"), "<svg xmlns='http://www.w3.org/2000/svg'/>");
    QStringList passed;
    QTimer watcher;
    QObject::connect(&watcher, &QTimer::timeout, [&] {
        const int done = harness.preview.resourceCompletedCount() + harness.preview.resourceFailedCount();
        if (done > harness.preview.resourceCount())
            passed << QStringLiteral("%1 / %2").arg(done).arg(harness.preview.resourceCount());
    });
    watcher.start(1);
    for (int load = 0; load < 2; ++load) {
        const int before = harness.completions;
        if (load == 0)
            harness.preview.urlEnter(site.server.url(QStringLiteral("index.html")).toString());
        else
            harness.preview.reloadPage();
        ASSERT_TRUE(harness.waitForCompletion(before));
        // The icons come after the page.
        ASSERT_TRUE(TestUtil::waitUntil([&] { return site.server.requestedPaths().count(QStringLiteral("icon.svg")) > load; }, 5000));
        TestUtil::spin(300);
        EXPECT_EQ(harness.preview.resourceCount(), 4);
        EXPECT_EQ(harness.status.text(), QStringLiteral("4 / 4 Files"));
    }
    EXPECT_TRUE(passed.isEmpty()) << passed.join(u' ').toStdString();
}

TEST(PreviewLoading, SubFrameRequestsAreNotCountedButEveryFrameIs)
{
    PreviewHarness harness;
    Site site;
    const QUrl cross = site.server.urlOnHost(QStringLiteral("localhost"), QStringLiteral("cross.html"));
    site.write(QStringLiteral("index.html"),
               "<!DOCTYPE html><link rel=stylesheet href=main.css><p>main</p>"
               "<iframe src=same.html></iframe><iframe src='" + cross.toString().toUtf8() + "'></iframe>");
    site.write(QStringLiteral("main.css"), "p { color: navy }");
    site.write(QStringLiteral("same.html"), "<!DOCTYPE html><link rel=stylesheet href=frame.css><img src=frame.png><p>same</p>");
    site.write(QStringLiteral("cross.html"), "<!DOCTYPE html><link rel=stylesheet href=frame.css><img src=frame.png><p>cross</p>");
    site.write(QStringLiteral("frame.css"), "p { color: teal }");
    site.write(QStringLiteral("frame.png"), "x");
    site.server.setDelay(QStringLiteral("cross.html"), 200);
    ASSERT_TRUE(harness.load(site.server.url(QStringLiteral("index.html"))));
    EXPECT_EQ(harness.preview.resourceCount(), 2);
    EXPECT_EQ(harness.preview.resourceCompletedCount(), 2);
    EXPECT_EQ(harness.preview.frameCount(), 3);
    EXPECT_EQ(harness.preview.frameCompleteCount(), 3);
    // Both frames loaded what they asked for.
    EXPECT_GE(site.server.requestedPaths().count(QStringLiteral("frame.css")), 2);
}

TEST(PreviewLoading, ARequestThatNeverAnswersEndsInTheTimeOutWhileTheWindowStaysResponsive)
{
    PreviewHarness harness;
    harness.preview.setLoadingTimeoutInterval(300);
    Site site;
    site.write(QStringLiteral("index.html"), "<!DOCTYPE html><p>waiting</p><img src=never.png>");
    site.server.setDelay(QStringLiteral("never.png"), -1);
    int ticks = 0;
    QTimer ticker;
    QObject::connect(&ticker, &QTimer::timeout, [&ticks] { ++ticks; });
    ticker.start(10);
    harness.preview.urlEnter(site.server.url(QStringLiteral("index.html")).toString());
    ASSERT_TRUE(TestUtil::waitUntil([&] { return harness.preview.lateResourceLoaded(); }, 10000));
    EXPECT_EQ(harness.completions, 0);
    EXPECT_EQ(harness.status.text(), QStringLiteral("1 / 2 Files"));
    // The bar slid out, fading.
    EXPECT_TRUE(harness.box->animation()->fadesOut());
    EXPECT_EQ(harness.box->animation()->endFrame().x(), harness.field.width() + 1);
    EXPECT_GT(ticks, 20);
    // The page is there all the same.
    EXPECT_TRUE(TestUtil::waitUntil([&] { return harness.tree.documents.size() == 1; }));
}

TEST(PreviewLoading, AFolderAddressLoadsItsIndexPage)
{
    PreviewHarness harness;
    Site site;
    site.write(QStringLiteral("site/index.html"), "<!DOCTYPE html><title>Index</title><p id=here>index</p>");
    ASSERT_TRUE(harness.load(site.fileUrl(QStringLiteral("site"))));
    EXPECT_TRUE(harness.view().mainFrameURL().endsWith(QLatin1String("/site/index.html")));
    ASSERT_EQ(harness.tree.documents.size(), 1);
    EXPECT_TRUE(harness.tree.documents.first()->getElementById(QStringLiteral("here")));
    EXPECT_TRUE(harness.field.text().endsWith(QLatin1String("/site/index.html")));
    EXPECT_TRUE(harness.field.recentSearches().contains(harness.field.text()));
}

TEST(PreviewLoading, AFailedLoadBuildsNoDomTreeAndSaysWhatFailed)
{
    const QList<QPair<QString, QString>> cases{
        {QStringLiteral("http://127.0.0.1:%1/page.html").arg(closedPort()), QStringLiteral("connection refused")},
        {QStringLiteral("file:///nonexistent-quillmark-folder/page.html"), QStringLiteral("file not found")},
        {QStringLiteral("http://nonexistent-quillmark-host.invalid/"), QStringLiteral("name not resolved")},
    };
    for (const auto &[address, reason] : cases) {
        SCOPED_TRACE(address.toStdString());
        PreviewHarness harness;
        StandardErrorCapture log;
        harness.preview.urlEnter(address);
        ASSERT_TRUE(TestUtil::waitUntil([&] { return !harness.failures.isEmpty(); }, 15000));
        // Whatever the browser shows about it, no tree is built from it.
        TestUtil::spin(500);
        EXPECT_TRUE(harness.preview.isLoadFailed());
        EXPECT_TRUE(harness.tree.documents.isEmpty());
        EXPECT_FALSE(harness.preview.domTreeInitialised());
        EXPECT_TRUE(harness.status.text().contains(reason)) << qPrintable(harness.status.text());
        // The inspectors let the page before go, saying why.
        ASSERT_FALSE(harness.tree.dropped.isEmpty());
        EXPECT_EQ(harness.tree.dropped.last(), harness.status.text());
        EXPECT_TRUE(log.text().contains(QLatin1String("[ERROR]"))) << qPrintable(log.text());
        EXPECT_TRUE(log.text().contains(QLatin1String("could not load"))) << qPrintable(log.text());
    }
}

TEST(PreviewLoading, APageThatKillsItsRendererIsReloadedThreeTimesThenDropped)
{
    PreviewHarness harness;
    Site site;
    site.write(QStringLiteral("index.html"), "<!DOCTYPE html><p id=here>shown</p>");
    ASSERT_TRUE(harness.load(site.fileUrl(QStringLiteral("index.html"))));
    ASSERT_EQ(harness.tree.documents.size(), 1);

    WebPage *page = harness.view().webPage();
    int loads = 0;
    int givenUp = 0;
    QObject::connect(page, &WebPage::loadStarted, &harness.preview, [&] { ++loads; });
    QObject::connect(page, &WebPage::crashLimitReached, &harness.preview, [&] { ++givenUp; });
    // Laying out 50,000 nested elements overflows the renderer's stack.
    site.write(QStringLiteral("deep.html"), "<!DOCTYPE html><body><script>let e = document.body;"
                                            "for (let i = 0; i < 50000; ++i) e = e.appendChild(document.createElement('div'));"
                                            "</script>");
    StandardErrorCapture log;
    harness.preview.urlEnter(site.fileUrl(QStringLiteral("deep.html")).toString());
    ASSERT_TRUE(TestUtil::waitUntil([&] { return givenUp > 0; }, 60000)) << qPrintable(log.text());
    // The load and three reloads, each crashed at once; no fourth reload follows.
    TestUtil::spin(3000);
    EXPECT_EQ(loads, 1 + WebPage::kCrashReloads);
    EXPECT_EQ(givenUp, 1);
    EXPECT_EQ(log.text().count(QLatin1String("crashed; it is loaded again")), WebPage::kCrashReloads);

    // The preview says so over the page, and how to load it again; the log
    // and the status in the same words. The DOM tree lets the page go.
    const QString notice = harness.view().notice();
    EXPECT_TRUE(notice.contains(QLatin1String("stops the preview's browser each time it is loaded"))
                && notice.contains(QLatin1String("not loaded again")) && notice.contains(QLatin1String("Reload")))
        << qPrintable(notice);
    EXPECT_TRUE(log.text().contains(notice)) << qPrintable(log.text());
    EXPECT_EQ(harness.status.text(), notice);
    ASSERT_FALSE(harness.tree.dropped.isEmpty());
    EXPECT_EQ(harness.tree.dropped.last(), notice);
    EXPECT_FALSE(harness.preview.domTreeInitialised());
    EXPECT_EQ(harness.preview.selectedElement(), nullptr);

    // A page loaded afterwards is shown as usual, without the message.
    ASSERT_TRUE(harness.load(site.fileUrl(QStringLiteral("index.html"))));
    EXPECT_TRUE(harness.preview.domTreeInitialised());
    EXPECT_TRUE(harness.tree.documents.last()->getElementById(QStringLiteral("here")));
    EXPECT_EQ(harness.view().notice(), QString());
}

TEST(PreviewLoading, AZipNavigationLandsInTheDownloadFolderUnderAFreeNameAndOtherTypesNowhere)
{
    PreviewHarness harness;
    QTemporaryDir downloads;
    harness.preview.setDownloadFolder(downloads.path());
    const QString taken = QDir(downloads.path()).filePath(QStringLiteral("library.zip"));
    TestUtil::writeFile(taken, "the user's own file");
    Site site;
    site.write(QStringLiteral("index.html"), "<!DOCTYPE html><p>before</p>");
    static const char archive[] = "PK\x03\x04 not a real archive";
    const QByteArray zip(archive, sizeof archive - 1);
    site.write(QStringLiteral("library.zip"), zip);
    site.write(QStringLiteral("data.bin"), QByteArray("\x01\x02 some bytes", 14));
    ASSERT_TRUE(harness.load(site.server.url(QStringLiteral("index.html"))));

    // A zip archive, once the user says yes: a name of its own beside the
    // file that has its name.
    AlertScript alerts({AlertScript::Answer{Alert::FirstButtonReturn}});
    QString finished;
    QObject::connect(harness.view().webPage(), &WebPage::downloadFinished, &harness.preview,
                     [&finished](const QString &path) { finished = path; });
    harness.preview.urlEnter(site.server.url(QStringLiteral("library.zip")).toString());
    ASSERT_TRUE(TestUtil::waitUntil([&] { return !finished.isEmpty(); }, 10000));
    ASSERT_EQ(alerts.messages.size(), 1);
    EXPECT_EQ(alerts.messages.first() + QLatin1Char('|') + alerts.informative.first(),
              QStringLiteral("The page wants to download \"library.zip\" (%1 bytes).|From %2")
                                 .arg(zip.size())
                                 .arg(site.server.url(QStringLiteral("library.zip")).toString()));
    EXPECT_EQ(QFileInfo(finished).fileName(), QStringLiteral("library (1).zip"));
    EXPECT_EQ(QFileInfo(finished).dir().canonicalPath(), QDir(downloads.path()).canonicalPath());
    EXPECT_EQ(TestUtil::readFile(finished), zip);
    EXPECT_EQ(TestUtil::readFile(taken), QByteArray("the user's own file"));
    EXPECT_TRUE(harness.status.text().contains(finished)) << qPrintable(harness.status.text());
    EXPECT_TRUE(harness.failures.isEmpty()) << qPrintable(harness.failures.join(u'\n'));
    EXPECT_FALSE(harness.preview.isLoadFailed());
    // The page stays, and the inspectors have it again.
    ASSERT_FALSE(harness.tree.documents.isEmpty());
    EXPECT_EQ(harness.tree.documents.last(), harness.view().mainFrameDocument());
    EXPECT_TRUE(harness.preview.domTreeInitialised());

    // Anything else is cancelled and written nowhere.
    QUrl refused;
    QObject::connect(harness.view().webPage(), &WebPage::downloadRefused, &harness.preview,
                     [&refused](const QUrl &url, const QString &) { refused = url; });
    harness.preview.urlEnter(site.server.url(QStringLiteral("data.bin")).toString());
    ASSERT_TRUE(TestUtil::waitUntil([&] { return !refused.isEmpty(); }, 10000));
    EXPECT_EQ(refused, site.server.url(QStringLiteral("data.bin")));
    TestUtil::spin(300);
    // Nor is the user asked about it.
    EXPECT_EQ(alerts.messages.size(), 1) << qPrintable(alerts.messages.join(u'\n'));
    EXPECT_EQ(QDir(downloads.path()).entryList(QDir::Files, QDir::Name),
              (QStringList{QStringLiteral("library (1).zip"), QStringLiteral("library.zip")}));
    EXPECT_TRUE(QDir(WebDownloads::stagingFolder()).entryList(QDir::Files).isEmpty());
}

TEST(PreviewLoading, TypedTextLoadsOrSaysWhyNot)
{
    PreviewHarness harness;
    StandardErrorCapture log;
    for (const QString &typed : {QStringLiteral("hello world"), QStringLiteral("javascript:alert(1)"),
                                 QStringLiteral("http://"), QStringLiteral("ftp://example.com/")}) {
        SCOPED_TRACE(typed.toStdString());
        const qsizetype before = harness.failures.size();
        harness.preview.urlEnter(typed);
        ASSERT_TRUE(TestUtil::waitUntil([&] { return harness.failures.size() > before; }, 15000));
        EXPECT_TRUE(harness.tree.documents.isEmpty());
    }
    EXPECT_TRUE(log.text().contains(QLatin1String("[ERROR]")));
    // Nothing typed loads nothing.
    const qsizetype failed = harness.failures.size();
    harness.preview.urlEnter(QStringLiteral("   "));
    EXPECT_EQ(harness.failures.size(), failed);

    // A bare host gets "http://" in front; Return in the field loads it.
    Site site;
    site.write(QStringLiteral("index.html"), "<!DOCTYPE html><p id=typed>typed</p>");
    const int before = harness.completions;
    harness.field.setText(QStringLiteral("127.0.0.1:%1/index.html").arg(site.server.serverPort()));
    Q_EMIT harness.field.activated();
    ASSERT_TRUE(harness.waitForCompletion(before));
    EXPECT_EQ(harness.view().mainFrameURL(), site.server.url(QStringLiteral("index.html")).toString());
}

TEST(PreviewLoading, BackAndForwardFollowTheHistoryAndRememberThePageGoneTo)
{
    PreviewHarness harness;
    SegmentedControl control;
    control.setSegmentCount(2);
    harness.preview.setBackForwardControl(&control);
    Site site;
    site.write(QStringLiteral("a.html"), "<!DOCTYPE html><title>A</title>");
    site.write(QStringLiteral("b.html"), "<!DOCTYPE html><title>B</title>");
    ASSERT_TRUE(harness.load(site.fileUrl(QStringLiteral("a.html"))));
    ASSERT_TRUE(harness.load(site.fileUrl(QStringLiteral("b.html"))));
    // The history tells of b.html once the browser answered.
    WebPage *page = harness.view().webPage();
    ASSERT_TRUE(TestUtil::waitUntil([&] {
        return page->currentHistoryIndex() >= 0 && page->history().value(page->currentHistoryIndex()).url.fileName() == QLatin1String("b.html");
    }));
    EXPECT_TRUE(control.isEnabledForSegment(0));
    EXPECT_FALSE(control.isEnabledForSegment(1));

    int before = harness.completions;
    harness.preview.goAndBackcontrol(0);
    ASSERT_TRUE(harness.waitForCompletion(before));
    EXPECT_TRUE(harness.view().mainFrameURL().endsWith(QLatin1String("/a.html")));
    EXPECT_EQ(UserDefaults::standardUserDefaults().stringForKey(QStringLiteral("lastURL")),
              site.fileUrl(QStringLiteral("a.html")).toString(QUrl::FullyEncoded));
    ASSERT_TRUE(TestUtil::waitUntil([&] { return control.isEnabledForSegment(1); }));

    before = harness.completions;
    harness.preview.goAndBackcontrol(1);
    ASSERT_TRUE(harness.waitForCompletion(before));
    EXPECT_TRUE(harness.view().mainFrameURL().endsWith(QLatin1String("/b.html")));
}

TEST(PreviewLoading, AProjectWithLinksBackUpLoadsAndItsStyleSheetsAreReadAnew)
{
    PreviewHarness harness;
    Site site;
    const QString page = site.write(QStringLiteral("index.html"),
                                    "<!DOCTYPE html><link rel=stylesheet href=css/a.css><p>page</p>");
    const QString css = site.write(QStringLiteral("css/a.css"), "p { color: red }");
    ASSERT_TRUE(QFile::link(QStringLiteral("."), site.dir.filePath(QStringLiteral("loop1"))));
    ASSERT_TRUE(QFile::link(QStringLiteral("."), site.dir.filePath(QStringLiteral("loop2"))));
    ASSERT_TRUE(QFile::link(QStringLiteral(".."), site.dir.filePath(QStringLiteral("css/up"))));
    harness.projects.open(QFileInfo(site.dir.path()).canonicalFilePath());
    File *file = harness.projects.fileAt(QFileInfo(page).canonicalFilePath());
    File *sheet = harness.projects.fileAt(QFileInfo(css).canonicalFilePath());
    ASSERT_TRUE(file && sheet);
    harness.projects.selected = file;
    sheet->setStyleDeclarations(QList<StyleDeclarationPtr>());

    const int before = harness.completions;
    harness.preview.refreshWebview();
    ASSERT_TRUE(harness.waitForCompletion(before));
    EXPECT_FALSE(sheet->styleDeclarations().has_value());
}

TEST(PreviewLoading, ReloadOfAModifiedProjectGoesThroughEachAnswerOfTheAlert)
{
    PreviewHarness harness;
    Site site;
    const QString page = site.write(QStringLiteral("index.html"), "<!DOCTYPE html><p>page</p>");
    harness.projects.open(QFileInfo(site.dir.path()).canonicalFilePath());
    File *file = harness.projects.fileAt(QFileInfo(page).canonicalFilePath());
    ASSERT_TRUE(file);
    harness.projects.selected = file;
    harness.projects.modified = true;
    // The selected page is loaded the first time, and remembered.
    {
        AlertScript answers(QList<AlertScript::Answer>{{Alert::FirstButtonReturn}});
        const int before = harness.completions;
        harness.preview.refreshWebview();
        ASSERT_TRUE(harness.waitForCompletion(before));
        EXPECT_FALSE(harness.preview.isReloadOnly());
        EXPECT_EQ(answers.messages, QStringList{QStringLiteral("Reload HTML File")});
        EXPECT_EQ(answers.buttons, (QStringList{QStringLiteral("OK"), QStringLiteral("Cancel")}));
        EXPECT_EQ(answers.informative.value(0),
                  QStringLiteral("Once you reload the preview, all your history will be lost.\nDo you want to reload the preview?"));
    }
    // Cancel leaves the page as it is.
    {
        AlertScript answers(QList<AlertScript::Answer>{{Alert::SecondButtonReturn}});
        const int before = harness.completions;
        harness.preview.refreshWebview();
        TestUtil::spin(600);
        EXPECT_EQ(answers.messages.size(), 1);
        EXPECT_EQ(harness.completions, before);
    }
    // OK with the box ticked reloads in place, and the question is not asked again.
    {
        AlertScript answers(QList<AlertScript::Answer>{{Alert::FirstButtonReturn, true}});
        int before = harness.completions;
        harness.preview.refreshWebview();
        ASSERT_TRUE(harness.waitForCompletion(before));
        EXPECT_TRUE(harness.preview.isReloadOnly())
            << qPrintable(harness.view().mainFrameURL()) << " / " << qPrintable(file->absolutePath()) << " / "
            << qPrintable(UserDefaults::standardUserDefaults().stringForKey(QStringLiteral("lastURL")));
        EXPECT_EQ(answers.messages.size(), 1);
        EXPECT_TRUE(UserDefaults::standardUserDefaults().boolForKey(QStringLiteral("clearUndoAlert")));

        before = harness.completions;
        harness.preview.refreshWebview();
        ASSERT_TRUE(harness.waitForCompletion(before));
        EXPECT_EQ(answers.messages.size(), 1);
    }
}

// Undo never reaches a page no longer shown: one left through a link of its
// own loses the panels' steps, and an address typed while a project has
// unsaved changes is asked about first.
TEST(PreviewLoading, AnotherPageDropsThePanelsUndoStepsAndATypedAddressAsksFirst)
{
    PreviewHarness harness;
    Site site;
    site.write(QStringLiteral("a.html"), "<!DOCTYPE html><title>a</title><a id=go href=b.html>b</a>");
    site.write(QStringLiteral("b.html"), "<!DOCTYPE html><title>b</title><p>b</p>");
    InspectUndoManager undo;
    File::setUndoManagerProvider([&undo] { return &undo; });
    QObject panel;
    harness.preview.addClearUndoTarget(&panel);
    ASSERT_TRUE(harness.load(site.fileUrl(QStringLiteral("a.html"))));
    undo.prepareWithInvocationTarget(&panel, [] {});
    undo.loopEnd();
    ASSERT_TRUE(undo.canUndo());

    const int before = harness.completions;
    harness.view().webPage()->runJavaScript(QStringLiteral("document.getElementById('go').click()"));
    ASSERT_TRUE(harness.waitForCompletion(before));
    EXPECT_EQ(harness.view().webPage()->url(), site.fileUrl(QStringLiteral("b.html")));
    EXPECT_FALSE(undo.canUndo());

    harness.projects.modified = true;
    {
        AlertScript answers(QList<AlertScript::Answer>{{Alert::SecondButtonReturn}});
        harness.preview.urlEnter(site.fileUrl(QStringLiteral("a.html")).toString());
        TestUtil::spin(300);
        EXPECT_EQ(answers.messages, QStringList{QStringLiteral("Reload HTML File")});
        EXPECT_EQ(harness.view().webPage()->url(), site.fileUrl(QStringLiteral("b.html")));
    }
    File::setUndoManagerProvider({});
}

// A page of a project reads every file of its project, from whatever folder
// of it the page is in; a page in no project reads its own folder (#65).
TEST(PreviewLoading, APageReadsTheFilesOfItsWholeProjectAndNoMore)
{
    PreviewHarness harness;
    Site site;
    const QString root = QFileInfo(site.dir.path()).canonicalFilePath();
    site.write(QStringLiteral("project/data.txt"), "project data");
    site.write(QStringLiteral("secret.txt"), "not the project's");
    site.write(QStringLiteral("loose/data.txt"), "beside the page's folder");
    const QString script = QStringLiteral(
        "<!DOCTYPE html><script>function read(url) { const x = new XMLHttpRequest();"
        " try { x.open('GET', url, false); x.send(); return x.responseText; } catch (e) { return 'refused'; } }"
        " document.title = read('../data.txt') + ' / ' + read('../../secret.txt');</script>");
    site.write(QStringLiteral("project/pages/index.html"), script.toUtf8());
    site.write(QStringLiteral("loose/pages/index.html"), script.toUtf8());
    harness.projects.open(root + QStringLiteral("/project"));
    WebPage *page = harness.view().webPage();

    ASSERT_TRUE(harness.load(QUrl::fromLocalFile(root + QStringLiteral("/project/pages/index.html"))));
    EXPECT_EQ(page->readableFolders().first(), root + QStringLiteral("/project/"));
    EXPECT_TRUE(TestUtil::waitUntil([&] { return page->title() == QLatin1String("project data / refused"); }))
        << qPrintable(page->title());

    ASSERT_TRUE(harness.load(QUrl::fromLocalFile(root + QStringLiteral("/loose/pages/index.html"))));
    EXPECT_EQ(page->readableFolders().first(), root + QStringLiteral("/loose/pages/"));
    EXPECT_TRUE(TestUtil::waitUntil([&] { return page->title() == QLatin1String("refused / refused"); }))
        << qPrintable(page->title());
}

// Downloads a page starts by itself are each asked about, and one the user
// does not take leaves nothing, in the download folder or the staging one (#65).
TEST(PreviewLoading, DownloadsThePageStartsAreAskedAboutAndLeaveNothingWhenRefused)
{
    PreviewHarness harness;
    QTemporaryDir downloads;
    harness.preview.setDownloadFolder(downloads.path());
    Site site;
    static const char archive[] = "PK\x03\x04 not a real archive";
    QByteArray page = "<!DOCTYPE html><p>zips</p><script>onload = function () {";
    for (int i = 1; i <= 3; ++i) {
        site.write(QStringLiteral("part%1.zip").arg(i), QByteArray(archive, sizeof archive - 1));
        page += "const f" + QByteArray::number(i) + " = document.createElement('iframe'); f" + QByteArray::number(i)
            + ".src = 'part" + QByteArray::number(i) + ".zip'; document.body.appendChild(f" + QByteArray::number(i) + ");";
    }
    site.write(QStringLiteral("index.html"), page + "};</script>");
    AlertScript alerts(QList<AlertScript::Answer>{});
    int refused = 0;
    QObject::connect(harness.view().webPage(), &WebPage::downloadRefused, &harness.preview,
                     [&refused](const QUrl &, const QString &) { ++refused; });
    ASSERT_TRUE(harness.load(site.server.url(QStringLiteral("index.html"))));
    ASSERT_TRUE(TestUtil::waitUntil([&] { return refused == 3; }, 10000)) << qPrintable(alerts.messages.join(u'\n'));
    EXPECT_EQ(alerts.messages.size(), 3);
    EXPECT_TRUE(TestUtil::waitUntil([] { return QDir(WebDownloads::stagingFolder()).entryList(QDir::Files).isEmpty(); }));
    EXPECT_TRUE(QDir(downloads.path()).entryList(QDir::Files).isEmpty());
}

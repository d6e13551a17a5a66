#include "TestUtil.h"
#include "WebTestFixture.h"
#include "WebTestUtil.h"

#include "platform/web/dom/DOMDocument.h"
#include "platform/web/engine/ChromiumProcess.h"
#include "platform/web/engine/WebFrameMirror.h"
#include "platform/web/engine/WebView.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QDir>
#include <QMessageBox>
#include <QSignalSpy>
#include <QTimer>

#include <gtest/gtest.h>

#include <csignal>

namespace {

// The renderers of the running browser (its process group).
QList<pid_t> renderers()
{
    const qint64 browser = ChromiumProcess::instance().processId();
    QList<pid_t> found;
    for (const QString &entry : QDir(QStringLiteral("/proc")).entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        QFile stat(QStringLiteral("/proc/%1/stat").arg(entry));
        QFile command(QStringLiteral("/proc/%1/cmdline").arg(entry));
        if (!stat.open(QIODevice::ReadOnly) || !command.open(QIODevice::ReadOnly))
            continue;
        const QByteArray text = stat.readAll();
        const QList<QByteArray> fields = text.mid(text.lastIndexOf(')') + 2).split(' ');
        if (fields.size() > 2 && fields.at(2).toLongLong() == browser && command.readAll().contains("--type=renderer"))
            found.append(pid_t(entry.toInt()));
    }
    return found;
}

} // namespace

// A renderer that shows no page yet runs no script of a page: one held up
// past the answer time (a loaded machine) is waited for, not ended, and the
// first page opened shows.
TEST(WebHostilePage, ABlankTabsSlowRendererIsWaitedForAndTheFirstPageShows)
{
    WebView view;
    view.resize(400, 300);
    WebTestFixture fixture(view);
    fixture.writeFile(QStringLiteral("first.html"), "<!DOCTYPE html><p id=first>first</p>");
    ASSERT_TRUE(TestUtil::waitUntil([&] { return view.webPage()->isAttached(); }));
    const QList<pid_t> held = renderers();
    ASSERT_FALSE(held.isEmpty());
    for (const pid_t pid : held)
        ::kill(pid, SIGSTOP);
    QTimer::singleShot(WebPage::kAnswerMs + 2000, [held] {
        for (const pid_t pid : held)
            ::kill(pid, SIGCONT);
    });
    StandardErrorCapture log;
    ASSERT_TRUE(fixture.loadPage(QStringLiteral("first.html"), 30000)) << qPrintable(log.text());
    EXPECT_TRUE(fixture.mainFrame().document()->getElementById(QStringLiteral("first")));
    EXPECT_FALSE(log.text().contains(QLatin1String("it is ended"))) << qPrintable(log.text());
}

// The browser's own page about a load that failed runs no page's script: a
// renderer of it held up (a loaded machine) is not said not to respond, and
// the page opened next, asked for before that page came or after, shows
// without a renderer ended.
TEST(WebHostilePage, TheBrowsersPageAboutAFailedLoadIsNotTakenForABusyOne)
{
    WebTestFixture fixture(WebTestFixture::sharedView());
    fixture.writeFile(QStringLiteral("next.html"), "<!DOCTYPE html><p id=next>next</p>");
    WebPage *page = fixture.view().webPage();
    StandardErrorCapture log;
    QSignalSpy finished(page, &WebPage::loadFinished);
    page->load(QUrl(QStringLiteral("http://127.0.0.1:6000/")));
    ASSERT_TRUE(TestUtil::waitUntil([&] { return !finished.isEmpty(); }));
    ASSERT_FALSE(finished.first().first().toBool());
    // Asked for while the browser's page is still on its way.
    ASSERT_TRUE(fixture.loadPage(QStringLiteral("next.html"), 30000)) << qPrintable(log.text());
    page->load(QUrl(QStringLiteral("http://127.0.0.1:6000/")));
    ASSERT_TRUE(TestUtil::waitUntil([&] { return page->url().scheme() == QLatin1String("chrome-error"); }));
    const QList<pid_t> held = renderers();
    for (const pid_t pid : held)
        ::kill(pid, SIGSTOP);
    TestUtil::spin(WebPage::kAnswerMs + 2 * WebPage::kAskEveryMs);
    EXPECT_TRUE(page->isResponding());
    QTimer::singleShot(WebPage::kAnswerMs + 1000, [held] {
        for (const pid_t pid : held)
            ::kill(pid, SIGCONT);
    });
    ASSERT_TRUE(fixture.loadPage(QStringLiteral("next.html"), 30000)) << qPrintable(log.text());
    EXPECT_TRUE(fixture.mainFrame().document()->getElementById(QStringLiteral("next")));
    EXPECT_FALSE(log.text().contains(QLatin1String("does not respond"))) << qPrintable(log.text());
    EXPECT_FALSE(log.text().contains(QLatin1String("it is ended"))) << qPrintable(log.text());
}

// A page whose script never ends after it loaded: the view says it does not
// respond, and the next page opened (of another folder) ends its renderer
// and shows (#65).
TEST(WebHostilePage, ABusyPageIsSaidNotToRespondAndTheNextPageEndsIt)
{
    WebTestFixture fixture(WebTestFixture::sharedView());
    fixture.writeFile(QStringLiteral("busy.html"),
                      "<!DOCTYPE html><p>busy</p><script>onload = function () { setTimeout(function () { for (;;) {} }, 0); };</script>");
    fixture.writeFile(QStringLiteral("next/next.html"), "<!DOCTYPE html><link rel=stylesheet href=next.css><p id=next>next</p>");
    fixture.writeFile(QStringLiteral("next/next.css"), "p { color: green; }\n");
    WebView &view = fixture.view();
    ASSERT_TRUE(fixture.loadPage(QStringLiteral("busy.html")));
    QWidget *bar = view.notRespondingBar();
    ASSERT_TRUE(TestUtil::waitUntil([&] { return bar->isVisible(); }));
    EXPECT_FALSE(view.webPage()->isResponding());

    StandardErrorCapture log;
    ASSERT_TRUE(fixture.loadPage(QStringLiteral("next/next.html"))) << qPrintable(log.text());
    EXPECT_TRUE(fixture.mainFrame().document()->getElementById(QStringLiteral("next")));
    // Its folder is the one the new renderer reads.
    EXPECT_TRUE(TestUtil::waitUntil([&] {
        return fixture.evaluate(QStringLiteral("document.styleSheets.length ? document.styleSheets[0].cssRules.length : 0")).toInt() == 1;
    }, 5000));
    EXPECT_FALSE(bar->isVisible());
    EXPECT_TRUE(log.text().contains(QLatin1String("it is ended"))) << qPrintable(log.text());
}

// A page that never gets past its script is stopped from the bar and stays
// stopped; Reload loads it again.
TEST(WebHostilePage, APageThatNeverLoadsIsStoppedFromTheBarAndReloadedAtWill)
{
    WebTestFixture fixture(WebTestFixture::sharedView());
    fixture.writeFile(QStringLiteral("stuck.html"), "<!DOCTYPE html><p>stuck</p><script>for (;;) {}</script>");
    WebView &view = fixture.view();
    WebPage *page = view.webPage();
    QSignalSpy stopped(page, &WebPage::stoppedUnresponsive);
    QSignalSpy loads(page, &WebPage::loadStarted);
    page->load(fixture.urlOf(QStringLiteral("stuck.html")));
    QWidget *bar = view.notRespondingBar();
    ASSERT_TRUE(TestUtil::waitUntil([&] { return bar->isVisible(); }));
    bar->findChild<QAbstractButton *>(QStringLiteral("stopPage"))->click();
    ASSERT_TRUE(TestUtil::waitUntil([&] { return stopped.count() == 1; }, 5000));
    EXPECT_FALSE(bar->isVisible());
    // Its renderer's end is not taken for a crash: nothing loads it again.
    EXPECT_EQ(loads.count(), 1);

    fixture.writeFile(QStringLiteral("stuck.html"), "<!DOCTYPE html><p id=mended>mended</p>");
    // The reload first waits out the renderer's 2 s, then a new one starts:
    // a loaded machine under the sanitizers takes a while.
    page->reload();
    ASSERT_TRUE(TestUtil::waitUntil([&] {
        DOMDocument *document = fixture.mainFrame().document();
        return document && document->getElementById(QStringLiteral("mended"));
    }, 30000));
}

namespace {

// Loads a page that runs the script once loaded (and writes "next/next.html"
// beside it); answers whether the page's first dialog came.
bool loadPageThatAsks(WebTestFixture &fixture, const char *script)
{
    fixture.writeFile(QStringLiteral("ask.html"), QByteArray("<!DOCTYPE html><p>ask</p><script>onload = function () {"
                                                             " setTimeout(function () { ")
                                                      + script + " }, 0); };</script>");
    fixture.writeFile(QStringLiteral("next/next.html"), "<!DOCTYPE html><p id=next>next</p>");
    return fixture.loadPage(QStringLiteral("ask.html"))
        && TestUtil::waitUntil([&] { return fixture.view().pageDialog() != nullptr; });
}

} // namespace

// A page asking dialog after dialog: from the second one on, the dialog offers
// to stop them; once stopped, none is shown, and the next page loads.
TEST(WebHostilePage, DialogsOneAfterAnotherCanBeStoppedAndTheNextPageLoads)
{
    WebTestFixture fixture(WebTestFixture::sharedView());
    ASSERT_TRUE(loadPageThatAsks(fixture, "for (let i = 1; ; ++i) alert('again ' + i);"));
    WebView &view = fixture.view();
    auto *first = qobject_cast<QMessageBox *>(view.pageDialog());
    ASSERT_TRUE(first);
    EXPECT_EQ(first->text(), QStringLiteral("again 1"));
    EXPECT_FALSE(first->checkBox());
    // The window is not held by it.
    EXPECT_EQ(first->windowModality(), Qt::NonModal);
    first->button(QMessageBox::Ok)->click();

    ASSERT_TRUE(TestUtil::waitUntil([&] { return view.pageDialog() && view.pageDialog() != first; }));
    auto *second = qobject_cast<QMessageBox *>(view.pageDialog());
    ASSERT_TRUE(second && second->checkBox());
    EXPECT_EQ(second->text(), QStringLiteral("again 2"));
    second->checkBox()->setChecked(true);
    second->button(QMessageBox::Ok)->click();
    // The page goes on asking, and is answered unseen: it no longer responds.
    ASSERT_TRUE(TestUtil::waitUntil([&] { return view.notRespondingBar()->isVisible(); }));
    EXPECT_FALSE(view.pageDialog());

    ASSERT_TRUE(fixture.loadPage(QStringLiteral("next/next.html")));
    EXPECT_FALSE(view.pageDialog());
}

// A dialog still open when another page is opened is closed, unanswered by
// the user, and the page goes.
TEST(WebHostilePage, OpeningAnotherPageDismissesThePendingDialog)
{
    WebTestFixture fixture(WebTestFixture::sharedView());
    ASSERT_TRUE(loadPageThatAsks(fixture, "confirm('Sure?');"));
    WebView &view = fixture.view();
    ASSERT_TRUE(fixture.loadPage(QStringLiteral("next/next.html")));
    EXPECT_FALSE(view.pageDialog());
    EXPECT_TRUE(fixture.mainFrame().document()->getElementById(QStringLiteral("next")));
}

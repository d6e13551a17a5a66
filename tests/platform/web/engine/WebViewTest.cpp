#include "TestUtil.h"
#include "WebTestFixture.h"
#include "WebTestUtil.h"

#include "platform/web/cssom/DOMCSSRule.h"
#include "platform/web/cssom/DOMCSSStyleDeclaration.h"
#include "platform/web/cssom/DOMCSSStyleSheet.h"
#include "platform/web/cssom/DOMStyleSheetList.h"
#include "platform/web/dom/DOMDocument.h"
#include "platform/web/dom/DOMElement.h"
#include "platform/web/engine/WebEngineCache.h"
#include "platform/web/engine/WebFrameMirror.h"
#include "platform/web/engine/WebView.h"

#include <QFileDialog>
#include <QInputDialog>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QScopeGuard>
#include <QTest>

#include <gtest/gtest.h>

#include <cmath>
#include <memory>

namespace {

// The colour the view shows at a point of the page, in its latest frame.
QColor shownColor(const WebView &view, QPoint point)
{
    const QImage &frame = view.currentFrame();
    const QPoint pixel = point * frame.devicePixelRatio();
    return frame.valid(pixel) ? frame.pixelColor(pixel) : QColor();
}

QPoint centreOf(WebTestFixture &fixture, const QString &id)
{
    DOMElement *element = fixture.mainFrame().document()->getElementById(id);
    const std::optional<DOMElementBox> box = element ? fixture.mainFrame().engine()->elementBox(*element) : std::nullopt;
    return box ? box->viewRect.center().toPoint() : QPoint();
}

} // namespace

TEST(WebView, StyleChangeShowsInTheNextFrame)
{
    WebTestFixture fixture(WebTestFixture::sharedView());
    fixture.writeFile(QStringLiteral("index.html"),
                      "<!DOCTYPE html><html><head><style>body { background: rgb(255, 0, 0); margin: 0 }</style></head>"
                      "<body><p>colour</p></body></html>");
    ASSERT_TRUE(fixture.loadPage(QStringLiteral("index.html")));
    WebView &view = fixture.view();
    ASSERT_TRUE(TestUtil::waitUntil([&] { return shownColor(view, {400, 500}) == QColor(255, 0, 0); }));
    const DOMCSSRulePtr rule = fixture.mainFrame().document()->styleSheets().item(0)->cssRules().item(0);
    const int before = view.framesShown();
    rule->style()->setProperty(QStringLiteral("background"), QStringLiteral("rgb(0, 128, 0)"));
    // A loaded machine can take seconds to render and send the frame.
    ASSERT_TRUE(TestUtil::waitUntil([&] { return shownColor(view, {400, 500}) == QColor(0, 128, 0); }, 20000));
    EXPECT_GT(view.framesShown(), before);
    // The frame is the size of the view, which is the page's viewport.
    EXPECT_EQ(view.currentFrame().deviceIndependentSize().toSize(), view.size());
    EXPECT_EQ(fixture.evaluate(QStringLiteral("innerWidth + 'x' + innerHeight"), WebTestFixture::World::Page).toString(),
              QStringLiteral("%1x%2").arg(view.width()).arg(view.height()));
}

TEST(WebView, TypingIntoATextFieldAndWheelScrollingReachThePage)
{
    WebTestFixture fixture(WebTestFixture::sharedView());
    fixture.writeFile(QStringLiteral("index.html"),
                      "<!DOCTYPE html><html><body style='margin: 0'><input id='field' style='width: 200px; height: 30px'>"
                      "<div style='height: 5000px'></div></body></html>");
    ASSERT_TRUE(fixture.loadPage(QStringLiteral("index.html")));
    WebView &view = fixture.view();
    const QPoint field = centreOf(fixture, QStringLiteral("field"));
    ASSERT_FALSE(field.isNull());
    QTest::mouseClick(&view, Qt::LeftButton, {}, field);
    ASSERT_TRUE(TestUtil::waitUntil([&] {
        return fixture.evaluate(QStringLiteral("document.activeElement.id"), WebTestFixture::World::Page).toString()
            == QLatin1String("field");
    }));
    QTest::keyClicks(&view, QStringLiteral("Hi there"));
    QTest::keyClick(&view, Qt::Key_Backspace);
    // Text from an input method goes in as it is.
    QInputMethodEvent commit;
    commit.setCommitString(QStringLiteral("ä"));
    QCoreApplication::sendEvent(&view, &commit);
    ASSERT_TRUE(TestUtil::waitUntil([&] {
        return fixture.evaluate(QStringLiteral("document.getElementById('field').value"), WebTestFixture::World::Page).toString()
            == QStringLiteral("Hi therä");
    }));

    QWheelEvent wheel(QPointF(300, 300), view.mapToGlobal(QPointF(300, 300)), QPoint(), QPoint(0, -240), Qt::NoButton,
                      Qt::NoModifier, Qt::NoScrollPhase, false);
    QCoreApplication::sendEvent(&view, &wheel);
    ASSERT_TRUE(TestUtil::waitUntil([&] {
        return fixture.evaluate(QStringLiteral("window.scrollY"), WebTestFixture::World::Page).toDouble() > 0;
    }));
    // The frames on screen carry where the page was scrolled to.
    ASSERT_TRUE(TestUtil::waitUntil([&] { return view.frameMetadata().scrollY > 0; }));
}

TEST(WebView, PageDialogsAreAnsweredWithQtDialogs)
{
    WebTestFixture fixture(WebTestFixture::sharedView());
    fixture.writeFile(QStringLiteral("index.html"), "<!DOCTYPE html><title>Dialogs</title><p>dialogs</p>");
    ASSERT_TRUE(fixture.loadPage(QStringLiteral("index.html")));
    WebView &view = fixture.view();
    view.webPage()->runJavaScript(QStringLiteral("setTimeout(function () { alert('Hello'); window.step = 1;"
                                                 " window.sure = confirm('Sure?');"
                                                 " window.name1 = prompt('Name?', 'Ann'); }, 0)"));
    ASSERT_TRUE(TestUtil::waitUntil([&] { return view.pageDialog() != nullptr; }));
    auto *alert = qobject_cast<QMessageBox *>(view.pageDialog());
    ASSERT_TRUE(alert);
    EXPECT_EQ(alert->text(), QStringLiteral("Hello"));
    alert->button(QMessageBox::Ok)->click();

    ASSERT_TRUE(TestUtil::waitUntil([&] { return view.pageDialog() && view.pageDialog() != alert; }));
    auto *confirm = qobject_cast<QMessageBox *>(view.pageDialog());
    ASSERT_TRUE(confirm);
    EXPECT_EQ(confirm->text(), QStringLiteral("Sure?"));
    confirm->button(QMessageBox::Cancel)->click();

    ASSERT_TRUE(TestUtil::waitUntil([&] { return qobject_cast<QInputDialog *>(view.pageDialog()) != nullptr; }));
    auto *prompt = qobject_cast<QInputDialog *>(view.pageDialog());
    EXPECT_EQ(prompt->textValue(), QStringLiteral("Ann"));
    prompt->setTextValue(QStringLiteral("Bob"));
    prompt->accept();
    ASSERT_TRUE(TestUtil::waitUntil([&] {
        return fixture.evaluate(QStringLiteral("window.step + '/' + window.sure + '/' + window.name1"), WebTestFixture::World::Page)
                   .toString()
            == QLatin1String("1/false/Bob");
    }));
}

// However long, a message over the page takes two lines at most at its
// top, read whole in its tool tip; what is laid over the page afterwards
// (the element overlay) stays under it, and its Close takes the click (#79,
// #88).
TEST(WebView, AMessageTakesTwoLinesAtMostAtTheTopOfThePageAboveWhatIsLaidOverIt)
{
    QWidget window;
    window.resize(245, 86);
    WebView view(&window);
    view.resize(245, 86);
    window.show();
    const QString message = QStringLiteral("The preview's browser ended unexpectedly and was started again. The page is "
                                           "shown again. The edits made in the page before can no longer be undone.");
    view.showNotice(message);
    auto *bar = view.findChild<QWidget *>(QStringLiteral("previewNotice"));
    auto *text = view.findChild<QLabel *>(QStringLiteral("previewNoticeText"));
    auto *close = view.findChild<QPushButton *>(QStringLiteral("closePreviewNotice"));
    ASSERT_TRUE(bar && text && close);
    EXPECT_EQ(view.notice(), message);
    EXPECT_EQ(bar->y(), 0);
    EXPECT_LE(text->height(), 2 * text->fontMetrics().lineSpacing() + 2);
    EXPECT_LE(text->text().count(QLatin1Char('\n')), 1);
    EXPECT_LT(bar->height(), view.height() / 2 + 4);
    EXPECT_EQ(text->toolTip(), message);

    QWidget overlay(&view);
    overlay.setGeometry(view.rect());
    overlay.show();
    overlay.raise();
    const QPoint onClose = close->mapTo(&view, close->rect().center());
    EXPECT_EQ(view.childAt(onClose), close);
    QTest::mouseClick(close, Qt::LeftButton);
    EXPECT_EQ(view.notice(), QString());
}

// Where a message does not fit its two lines, its last sentence (what the
// user is left with) stays readable: on the second line, the sentences
// before it cut short on the first; or alone on both where it needs them.
TEST(WebView, AMessageTooLongForTwoLinesKeepsItsLastSentence)
{
    const QFontMetricsF metrics(QApplication::font());
    const QString what = QStringLiteral("The preview's browser ended unexpectedly and was started again.");
    const QString back = QStringLiteral("The page is shown again with your unsaved changes.");
    const QString undone = QStringLiteral("The edits made in the page before can no longer be undone.");
    const QString message = what + u' ' + back + u' ' + undone;
    const double wide = metrics.horizontalAdvance(message) * 0.6;
    EXPECT_EQ(WebView::noticeShown(message, metrics, wide), message);

    const double medium = metrics.horizontalAdvance(undone) + 20;
    const QString shown = WebView::noticeShown(message, metrics, medium);
    const QStringList lines = shown.split(QLatin1Char('\n'));
    ASSERT_EQ(lines.size(), 2) << shown.toStdString();
    EXPECT_TRUE(lines[0].startsWith(QStringLiteral("The preview's browser"))) << shown.toStdString();
    EXPECT_TRUE(lines[0].endsWith(QChar(0x2026)));
    EXPECT_LE(metrics.horizontalAdvance(lines[0]), medium);
    EXPECT_EQ(lines[1], undone);

    const double narrow = metrics.horizontalAdvance(undone) * 0.6;
    const QStringList alone = WebView::noticeShown(message, metrics, narrow).split(QLatin1Char('\n'));
    ASSERT_EQ(alone.size(), 2);
    EXPECT_EQ(alone.join(u' '), undone);
    for (const QString &line : alone)
        EXPECT_LE(metrics.horizontalAdvance(line), narrow);
}

TEST(WebView, HistoryFollowsTheLoadsAndGoesBack)
{
    WebTestFixture fixture(WebTestFixture::sharedView());
    fixture.writeFile(QStringLiteral("one.html"), "<!DOCTYPE html><p id='one'>one</p>");
    fixture.writeFile(QStringLiteral("two.html"), "<!DOCTYPE html><p id='two'>two</p>");
    ASSERT_TRUE(fixture.loadPage(QStringLiteral("one.html")));
    ASSERT_TRUE(fixture.loadPage(QStringLiteral("two.html")));
    WebPage *page = fixture.view().webPage();
    ASSERT_TRUE(TestUtil::waitUntil([&] {
        return page->canGoBack() && page->history().at(page->currentHistoryIndex()).url == fixture.urlOf(QStringLiteral("two.html"));
    }));
    page->back();
    ASSERT_TRUE(TestUtil::waitUntil([&] {
        return fixture.mainFrame().document() && fixture.mainFrame().document()->getElementById(QStringLiteral("one"));
    }));
    EXPECT_EQ(page->url(), fixture.urlOf(QStringLiteral("one.html")));
    ASSERT_TRUE(TestUtil::waitUntil([&] { return page->canGoForward(); }));
}

TEST(WebView, WholePageCaptureReachesBeyondTheViewport)
{
    WebTestFixture fixture(WebTestFixture::sharedView());
    fixture.writeFile(QStringLiteral("index.html"), "<!DOCTYPE html><body style='margin: 0'><div style='height: 2000px'></div></body>");
    ASSERT_TRUE(fixture.loadPage(QStringLiteral("index.html")));
    QImage captured;
    fixture.view().webPage()->capture(WebPage::Capture::WholePage, [&](const QImage &image) { captured = image; });
    ASSERT_TRUE(TestUtil::waitUntil([&] { return !captured.isNull(); }));
    EXPECT_EQ(captured.height(), 2000);
}

// A slideshow that fits its deck to the window and then stands still: after
// each resize the view draws the page at its new size. A frame of another
// shape, stretched over the view, would show the page where it is not, and
// the user would pick what is not under the pointer (#64).
TEST(WebView, AfterEachResizeTheViewDrawsOnlyFramesOfThePagesShapeEndingAtItsSize)
{
    WebTestFixture fixture(WebTestFixture::sharedView());
    WebView &view = fixture.view();
    const QSize shared = view.size();
    const auto restore = qScopeGuard([&] { view.resize(shared); });
    fixture.writeFile(QStringLiteral("index.html"),
                      "<!DOCTYPE html><body style='margin: 0'>"
                      "<div id='deck' style='position: absolute; left: 50%; top: 50%; width: 1024px; height: 768px'>"
                      "<h1 style='font-size: 96px; margin: 100px 80px'>Low Tide</h1></div><script>"
                      "function fit() { var scale = Math.min(innerWidth / 1024, innerHeight / 768);"
                      " document.getElementById('deck').style.transform = 'translate(-50%, -50%) scale(' + scale + ')'; }"
                      "addEventListener('resize', fit); fit();</script></body>");
    ASSERT_TRUE(fixture.loadPage(QStringLiteral("index.html")));
    QStringList misshapen;
    QObject watching;
    QObject::connect(&view, &WebView::frameShown, &watching, [&](const WebFrameMetadata &metadata) {
        const QImage &frame = view.currentFrame();
        // Its pixels a CSS pixel across and down, a pixel off at most.
        const double across = frame.width() / metadata.deviceWidth;
        const double down = frame.height() / metadata.deviceHeight;
        if (std::abs(across - down) * std::min(metadata.deviceWidth, metadata.deviceHeight) > 1)
            misshapen.append(QStringLiteral("%1x%2 for %3x%4")
                                 .arg(frame.width())
                                 .arg(frame.height())
                                 .arg(metadata.deviceWidth)
                                 .arg(metadata.deviceHeight));
    });
    for (const QSize size : {QSize(560, 300), QSize(700, 400), QSize(540, 340), QSize(700, 400), QSize(600, 280),
                             QSize(700, 400), QSize(560, 300), QSize(800, 600)}) {
        view.resize(size);
        ASSERT_TRUE(TestUtil::waitUntil([&] { return view.currentFrame().deviceIndependentSize().toSize() == size; }, 10000))
            << misshapen.join(QStringLiteral(", ")).toStdString();
    }
    EXPECT_TRUE(misshapen.isEmpty()) << misshapen.join(QStringLiteral(", ")).toStdString();
}

// A second browser window: its own context, with cookies of its own.
TEST(WebView, ViewInAContextOfItsOwnKeepsItsOwnCookies)
{
    WebTestFixture shared(WebTestFixture::sharedView());
    shared.writeFile(QStringLiteral("index.html"), "<!DOCTYPE html><p>cookies</p>");
    LoopbackHttpServer site(shared.folder());
    ASSERT_TRUE(site.start());
    ASSERT_TRUE(shared.loadUrl(site.url(QStringLiteral("index.html"))));
    shared.evaluate(QStringLiteral("document.cookie = 'who=shared'"), WebTestFixture::World::Page);

    WebView own(nullptr, WebPage::BrowserContext::Own);
    own.resize(400, 300);
    WebTestFixture fixture(own);
    ASSERT_TRUE(fixture.loadUrl(site.url(QStringLiteral("index.html"))));
    EXPECT_EQ(fixture.evaluate(QStringLiteral("document.cookie"), WebTestFixture::World::Page).toString(), QString());
    EXPECT_EQ(shared.evaluate(QStringLiteral("document.cookie"), WebTestFixture::World::Page).toString(), QStringLiteral("who=shared"));
}

TEST(WebView, FileInputOpensAFileDialogAndPointerFollowsTheElement)
{
    WebTestFixture fixture(WebTestFixture::sharedView());
    const QString chosen = fixture.writeFile(QStringLiteral("chosen.txt"), "chosen");
    fixture.writeFile(QStringLiteral("index.html"),
                      "<!DOCTYPE html><body style='margin: 0'><input id='file' type='file' style='width: 200px; height: 30px'>"
                      "<p><a id='link' href='#x' style='font-size: 40px'>a link</a></p></body>");
    ASSERT_TRUE(fixture.loadPage(QStringLiteral("index.html")));
    WebView &view = fixture.view();
    QTest::mouseClick(&view, Qt::LeftButton, {}, centreOf(fixture, QStringLiteral("file")));
    QFileDialog *dialog = nullptr;
    ASSERT_TRUE(TestUtil::waitUntil([&] { return (dialog = view.findChild<QFileDialog *>(QStringLiteral("pageFileDialog"))); }));
    // As the dialog does when the user picks the file.
    Q_EMIT dialog->filesSelected({chosen});
    dialog->close();
    ASSERT_TRUE(TestUtil::waitUntil([&] {
        return fixture.evaluate(QStringLiteral("document.getElementById('file').files.length ? document.getElementById('file').files[0].name : ''"),
                                WebTestFixture::World::Page).toString()
            == QLatin1String("chosen.txt");
    }));

    QTest::mouseMove(&view, centreOf(fixture, QStringLiteral("link")));
    ASSERT_TRUE(TestUtil::waitUntil([&] { return view.cursor().shape() == Qt::PointingHandCursor; }));
    QTest::mouseMove(&view, QPoint(700, 500));
    ASSERT_TRUE(TestUtil::waitUntil([&] { return view.cursor().shape() == Qt::ArrowCursor; }));
}

#include "PreviewTestSupport.h"

#include "platform/foundation/NotificationCenter.h"
#include "platform/web/dom/DOMDocument.h"
#include "platform/web/dom/DOMElement.h"
#include "platform/web/dom/DOMNodeList.h"
#include "platform/web/engine/WebBridge.h"
#include "platform/web/engine/WebFrameMirror.h"
#include "platform/web/engine/WebPreferences.h"
#include "platform/web/html/HTMLParser.h"
#include "preview/ExWebView.h"
#include "preview/PreviewDelegate.h"

#include <QPointer>
#include <QPushButton>
#include <QRegularExpression>
#include <QWidget>

#include <gtest/gtest.h>

namespace {

PreviewDelegate *s_delegate = nullptr;
QWidget *s_container = nullptr;

class DelegateEnvironment : public ::testing::Environment
{
public:
    void TearDown() override
    {
        delete s_delegate;
        delete s_container;
    }
};

// One preview for the executable, with JavaScript on and the listeners set.
PreviewDelegate &delegate()
{
    if (!s_delegate) {
        s_container = new QWidget();
        s_container->resize(800, 600);
        s_container->show();
        s_delegate = new PreviewDelegate();
        s_delegate->initWebView(s_container);
        s_delegate->initDomListeners();
        ::testing::AddGlobalTestEnvironment(new DelegateEnvironment);
    }
    s_delegate->startJavascript();
    return *s_delegate;
}

const QByteArray s_page = R"(<!DOCTYPE html><html><head><title>Preview</title></head>
<body><div id="box" class="a">box</div>
<script>console.log('hello from the page');</script></body></html>)";

} // namespace

TEST(PreviewDelegate, ReadyDocumentBuildsTheTreeAndPageChangesReachIt)
{
    PreviewDelegate &preview = delegate();
    RecordingDomTree tree;
    preview.setDomTreeDelegate(&tree);
    preview.setDomTreeInitialised(false);
    WebTestFixture fixture(*preview.webview());
    fixture.writeFile(QStringLiteral("index.html"), s_page);
    ASSERT_TRUE(fixture.loadPage(QStringLiteral("index.html")));
    ASSERT_EQ(tree.documents.size(), 1);
    EXPECT_EQ(tree.documents.first(), preview.webview()->mainFrameDocument());
    EXPECT_TRUE(preview.domTreeInitialised());

    fixture.evaluate(QStringLiteral("document.body.appendChild(document.createElement('hr'))"), WebTestFixture::World::Page);
    ASSERT_TRUE(TestUtil::waitUntil([&] { return !tree.modified.isEmpty(); }));
    EXPECT_EQ(tree.modified.first(), QStringLiteral("DOMSubtreeModified"));

    // A second document (a reload) builds the tree again.
    ASSERT_TRUE(fixture.loadPage(QStringLiteral("index.html")));
    EXPECT_EQ(tree.documents.size(), 2);
    preview.setDomTreeDelegate(nullptr);
}

TEST(PreviewDelegate, ConsoleLineOfThePageIsLoggedAtDebug)
{
    PreviewDelegate &preview = delegate();
    WebTestFixture fixture(*preview.webview());
    fixture.writeFile(QStringLiteral("index.html"), s_page);
    StandardErrorCapture log;
    ASSERT_TRUE(fixture.loadPage(QStringLiteral("index.html")));
    ASSERT_TRUE(TestUtil::waitUntil([&] { return log.text().contains(QLatin1String("hello from the page")); }));
    EXPECT_TRUE(log.text().contains(QRegularExpression(
        QStringLiteral("\\[DEBUG\\] [^\\n]*consoleFromJS[^\\n]*\\[Line \\d+\\] hello from the page\\n"))))
        << qPrintable(log.text());
}

TEST(PreviewDelegate, ClassChangeByPageScriptSendsOneAttributeModified)
{
    PreviewDelegate &preview = delegate();
    RecordingDomTree tree;
    preview.setDomTreeDelegate(&tree);
    WebTestFixture fixture(*preview.webview());
    fixture.writeFile(QStringLiteral("index.html"), s_page);
    ASSERT_TRUE(fixture.loadPage(QStringLiteral("index.html")));
    DOMElement *box = preview.webview()->mainFrameDocument()->getElementById(QStringLiteral("box"));
    fixture.evaluate(QStringLiteral("document.getElementById('box').className = 'b'"), WebTestFixture::World::Page);
    ASSERT_TRUE(TestUtil::waitUntil([&] { return !tree.attributes.isEmpty(); }));
    ASSERT_TRUE(fixture.settle());
    ASSERT_EQ(tree.attributes.size(), 1);
    EXPECT_EQ(tree.attributes.first(), box);
    // The mirror has the new value when the tree hears of it.
    EXPECT_EQ(box->className(), QStringLiteral("b"));

    // The program's own attribute edits are not reported back.
    box->setAttribute(QStringLiteral("title"), QStringLiteral("mine"));
    ASSERT_TRUE(fixture.settle());
    EXPECT_EQ(tree.attributes.size(), 1);

    // Records other than attribute records, and an empty list, send nothing.
    preview.domAttributeChangeListener({});
    preview.domAttributeChangeListener({{QStringLiteral("childList"), box}});
    EXPECT_EQ(tree.attributes.size(), 1);
    preview.setDomTreeDelegate(nullptr);
}

TEST(PreviewDelegate, JavaScriptSwitchStopsPageScriptsWhileTheBridgeStillWorks)
{
    PreviewDelegate &preview = delegate();
    QPushButton first;
    QPushButton second;
    preview.setJavascriptStatusButtons(&first, &second);
    WebTestFixture fixture(*preview.webview());
    const QByteArray ticks = "<!DOCTYPE html><body><p id='n'>0</p><noscript><b>off</b></noscript>"
                             "<script>var n = 0; setInterval(function () {"
                             " document.getElementById('n').textContent = ++n; }, 5);</script></body>";
    fixture.writeFile(QStringLiteral("ticks.html"), ticks);
    ASSERT_TRUE(fixture.loadPage(QStringLiteral("ticks.html")));
    DOMDocument *document = preview.webview()->mainFrameDocument();
    // The program parses the page's markup as the page was parsed: noscript
    // content is text while scripts run.
    const auto noscriptElements = [](DOMDocument &parsed) {
        return parsed.querySelectorAll(QStringLiteral("noscript b")).length();
    };
    EXPECT_EQ(document->scripting(), Scripting::Enabled);
    EXPECT_EQ(noscriptElements(*document), 0);
    EXPECT_EQ(noscriptElements(*HTMLParser::parseDocument(QString::fromUtf8(ticks), document->scripting())), 0);
    DOMElement *counter = document->getElementById(QStringLiteral("n"));
    ASSERT_TRUE(TestUtil::waitUntil([&] { return counter->textContent().toInt() > 2; }));

    preview.chageJavascriptStatus();
    EXPECT_FALSE(preview.javascriptEnable());
    EXPECT_FALSE(preview.webview()->preferences().isJavaScriptEnabled());
    EXPECT_FALSE(first.isChecked());
    EXPECT_FALSE(second.isChecked());
    EXPECT_EQ(first.property("imageName").toString(), QStringLiteral("jsOff_Template"));
    EXPECT_EQ(second.property("imageName").toString(), QStringLiteral("jsOff2_Template"));
    ASSERT_TRUE(fixture.settle());
    const QString stopped = fixture.evaluate(QStringLiteral("document.getElementById('n').textContent")).toString();
    TestUtil::spin(60);
    EXPECT_EQ(fixture.evaluate(QStringLiteral("document.getElementById('n').textContent")).toString(), stopped);

    // The bridge still carries edits and answers.
    counter->setAttribute(QStringLiteral("data-edit"), QStringLiteral("yes"));
    ASSERT_TRUE(fixture.settle());
    EXPECT_EQ(fixture.evaluate(QStringLiteral("document.getElementById('n').dataset.edit")).toString(), QStringLiteral("yes"));
    EXPECT_FALSE(document->getComputedStyle(counter, QString()).isEmpty());

    // A page loaded while the switch is off is mirrored too, its noscript
    // content as elements.
    ASSERT_TRUE(fixture.loadPage(QStringLiteral("ticks.html")));
    DOMDocument *withoutScripts = preview.webview()->mainFrameDocument();
    EXPECT_TRUE(withoutScripts->getElementById(QStringLiteral("n")));
    EXPECT_EQ(withoutScripts->scripting(), Scripting::Disabled);
    EXPECT_EQ(noscriptElements(*withoutScripts), 1);
    EXPECT_EQ(
        noscriptElements(*HTMLParser::parseDocument(QString::fromUtf8(ticks), withoutScripts->scripting())), 1);

    preview.chageJavascriptStatus();
    EXPECT_TRUE(preview.javascriptEnable());
    EXPECT_TRUE(first.isChecked());
    EXPECT_EQ(second.property("imageName").toString(), QStringLiteral("jsOn2_Template"));
    preview.setJavascriptStatusButtons(nullptr, nullptr);
}

TEST(PreviewDelegate, OnlyTheTwoListenerSelectorsAreOpenToScript)
{
    EXPECT_FALSE(PreviewDelegate::isSelectorExcludedFromWebScript("consoleFromJS:"));
    EXPECT_FALSE(PreviewDelegate::isSelectorExcludedFromWebScript("domAttributeChangeListener:"));
    EXPECT_TRUE(PreviewDelegate::isSelectorExcludedFromWebScript("initDomTree:"));
    EXPECT_TRUE(PreviewDelegate::isSelectorExcludedFromWebScript("consoleFromJS"));
}

TEST(PreviewDelegate, PageScriptsCannotSeeTheBridge)
{
    PreviewDelegate &preview = delegate();
    WebTestFixture fixture(*preview.webview());
    fixture.writeFile(QStringLiteral("index.html"), s_page);
    ASSERT_TRUE(fixture.loadPage(QStringLiteral("index.html")));
    EXPECT_EQ(fixture.evaluate(QStringLiteral("typeof quillmark + '/' + typeof quillmarkBridgePost"),
                               WebTestFixture::World::Page).toString(),
              QStringLiteral("undefined/undefined"));
    EXPECT_EQ(fixture.evaluate(QStringLiteral("typeof quillmark.receive + '/' + typeof quillmarkBridgePost")).toString(),
              QStringLiteral("function/function"));
}

TEST(PreviewDelegate, NewViewReplacesTheOldOne)
{
    QWidget container;
    PreviewDelegate preview;
    preview.initWebView(&container);
    QPointer<ExWebView> first = preview.webview();
    preview.initWebView(&container);
    EXPECT_TRUE(first.isNull());
    ASSERT_TRUE(preview.webview());
    // The preview lies in the main view, over the grid, in the container.
    EXPECT_EQ(preview.webview()->parentWidget(), preview.mainView());
    EXPECT_EQ(preview.mainView()->parentWidget(), &container);
    EXPECT_EQ(container.findChildren<ExWebView *>().size(), 1);
    EXPECT_TRUE(preview.webview()->preferences().allowFileAccessFromFileURLs());
}

TEST(PreviewDelegate, PointsOnARectanglesEdgeAreOutsideIt)
{
    const QRectF rect(10, 20, 100, 50);
    EXPECT_TRUE(PreviewDelegate::includeInRect(rect, QPointF(11, 21)));
    EXPECT_FALSE(PreviewDelegate::includeInRect(rect, QPointF(10, 40)));
    EXPECT_FALSE(PreviewDelegate::includeInRect(rect, QPointF(110, 40)));
    EXPECT_FALSE(PreviewDelegate::includeInRect(rect, QPointF(50, 70)));
}

TEST(PreviewDelegate, AddressTextsAreEscapedAndToldApart)
{
    EXPECT_EQ(PreviewDelegate::encodeURIComponent(QStringLiteral("a b&c=d/é!")), QStringLiteral("a%20b%26c%3Dd%2F%C3%A9%21"));
    PreviewDelegate preview;
    QStringList told;
    NotificationCenter &center = NotificationCenter::defaultCenter();
    for (const char *name : {"viewWebFile", "viewLocalFile"})
        center.addObserver(&preview, QString::fromLatin1(name), nullptr, [&told](const Notification &n) { told << n.name; });
    preview.wanlanCheck(QStringLiteral("see ftp://example.com/a"));
    preview.wanlanCheck(QStringLiteral("file:///tmp/a.html"));
    center.removeObserver(&preview);
    EXPECT_EQ(told, (QStringList{QStringLiteral("viewWebFile"), QStringLiteral("viewLocalFile")}));
}

TEST(PreviewDelegate, ATextNodeStandsForItsElementWhenTheSelectionIsCleared)
{
    PreviewDelegate &preview = delegate();
    RecordingDomTree tree;
    preview.setDomTreeDelegate(&tree);
    const DOMDocumentPtr document = HTMLParser::parseDocument(QStringLiteral("<p id=a>text</p><p id=b><b>x</b></p>"));
    DOMElement *a = document->getElementById(QStringLiteral("a"));
    DOMNode *text = a->firstChild();
    ExWebView &view = *preview.webview();

    view.setSelectedElement(a->shared_from_this());
    EXPECT_TRUE(preview.elementIsEditable());
    view.setSelectedElement(text->shared_from_this());
    EXPECT_TRUE(preview.elementIsEditable());
    view.setSelectedElement(document->getElementById(QStringLiteral("b"))->shared_from_this());
    EXPECT_FALSE(preview.elementIsEditable());

    // The same element through its text: kept, now as the text.
    view.setSelectedElement(a->shared_from_this());
    preview.clearDetectLayerWithNode(text);
    EXPECT_EQ(preview.selectedElement(), text);
    EXPECT_TRUE(tree.selected.isEmpty());
    // Another element: the selection goes, in the DOM tree too.
    preview.clearDetectLayerWithNode(document->getElementById(QStringLiteral("b")));
    EXPECT_EQ(preview.selectedElement(), nullptr);
    ASSERT_EQ(tree.selected.size(), 1);
    EXPECT_EQ(tree.selected.first(), nullptr);
    preview.setDomTreeDelegate(nullptr);
}

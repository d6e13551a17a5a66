#include "PreviewTestSupport.h"

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
    EXPECT_EQ(preview.webview()->parentWidget(), &container);
    EXPECT_TRUE(preview.webview()->preferences().allowFileAccessFromFileURLs());
}

#include "TestPrinters.h"
#include "TestUtil.h"
#include "WebTestFixture.h"

#include "DomTreeTestSupport.h"

#include "platform/web/engine/WebFrameMirror.h"
#include "platform/web/engine/WebView.h"

#include <QUrl>

#include <gtest/gtest.h>

namespace DomTreeLiveTest {

namespace {

// A page in its author's own style, in the real preview: two-space indent,
// single quotes, upper-case tags, entities, a comment before the root, an
// async script, noscript and a template. Its script marks the body and adds
// a node, as pages do.
const QByteArray s_foreign =
    "<!DOCTYPE html>\n"
    "<!-- kept by hand -->\n"
    "<HTML lang='en'>\n"
    "  <HEAD>\n"
    "    <META charset='utf-8'>\n"
    "    <TITLE>Caf&eacute; &amp; Co</TITLE>\n"
    "    <SCRIPT async src='missing.js'></SCRIPT>\n"
    "  </HEAD>\n"
    "\n"
    "  <BODY class='page'>\n"
    "    <DIV id='main'>\n"
    "      <P class='intro'>Hello&nbsp;world &mdash; hi</P>\n"
    "      <P id='second'>Second</P>\n"
    "      <UL id='list'>\n"
    "        <LI>one</LI>\n"
    "        <LI id='two'>two</LI>\n"
    "      </UL>\n"
    "    </DIV>\n"
    "    <noscript><P>No scripts</P></noscript>\n"
    "    <template id='row'><LI class='t'>row</LI></template>\n"
    "    <SCRIPT>\n"
    "      document.body.classList.add('js');\n"
    "      var made = document.createElement('div');\n"
    "      made.id = 'made';\n"
    "      document.body.appendChild(made);\n"
    "    </SCRIPT>\n"
    "  </BODY>\n"
    "</HTML>\n";

struct LivePage : DomTreeHarness
{
    LivePage()
        : DomTreeHarness(s_foreign)
        , fixture(WebTestFixture::sharedView())
    {
        loaded = fixture.loadUrl(QUrl::fromLocalFile(file->path()));
        if (loaded)
            show(fixture.mainFrame().sharedDocument());
    }
    QVariant inPage(const QString &script) { return fixture.evaluate(script); }

    WebTestFixture fixture;
    bool loaded = false;
};

} // namespace

TEST(DomTreeLive, AnUneditedPageSavesByteForByteAndPageScriptsNeverReachTheFile)
{
    LivePage page;
    ASSERT_TRUE(page.loaded);
    // The page's script ran: the live page differs from the file.
    ASSERT_TRUE(page.byId("made"));
    ASSERT_TRUE(page.document->body()->classList().contains(QStringLiteral("js")));
    EXPECT_TRUE(page.tree->pairing().isPaired());
    EXPECT_EQ(page.tree->writtenText(false, false), QString::fromUtf8(s_foreign));

    // Save without edits writes nothing.
    page.tree->saveHTML();
    EXPECT_EQ(page.saves, 0);
    EXPECT_EQ(TestUtil::readFile(page.file->path()), s_foreign);
}

TEST(DomTreeLive, AnInspectorEditAndARemovalChangeOnlyTheirLinesAndUndoRestoresTheText)
{
    LivePage page;
    ASSERT_TRUE(page.loaded);
    page.select(page.byId("second"));
    page.inspector->attrName()->setText(QStringLiteral("title"));
    page.inspector->attrValue()->setText(QStringLiteral("caf\u00e9 & \"more\""));
    page.inspector->addAttr();
    page.settle();
    QString expected = QString::fromUtf8(s_foreign);
    expected.replace(QStringLiteral("<P id='second'>"),
                     QStringLiteral("<P id='second' title='caf\u00e9 &amp; \"more\"'>"));
    EXPECT_EQ(page.text(), expected);
    // The live page has the attribute too.
    ASSERT_TRUE(page.fixture.settle());
    EXPECT_EQ(page.inPage(QStringLiteral("document.getElementById('second').title")).toString(),
              QStringLiteral("caf\u00e9 & \"more\""));

    page.select(page.byId("two"));
    page.tree->removeNode();
    page.settle();
    expected.remove(QStringLiteral("\n        <LI id='two'>two</LI>"));
    EXPECT_EQ(page.text(), expected);
    ASSERT_TRUE(page.fixture.settle());
    EXPECT_FALSE(page.inPage(QStringLiteral("!!document.getElementById('two')")).toBool());

    // Save: the file on disk changes only there.
    page.tree->saveHTML();
    EXPECT_EQ(page.saves, 1);
    EXPECT_EQ(page.text(), expected);

    // Undo both: the text is the author's again, the page has its node back.
    page.undo.undo();
    page.undo.undo();
    EXPECT_EQ(page.text(), QString::fromUtf8(s_foreign));
    ASSERT_TRUE(page.fixture.settle());
    EXPECT_TRUE(page.inPage(QStringLiteral("!!document.getElementById('two')")).toBool());
    EXPECT_EQ(page.inPage(QStringLiteral("document.getElementById('second').hasAttribute('title')")).toBool(), false);
}

} // namespace DomTreeLiveTest

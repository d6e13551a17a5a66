#include "TestUtil.h"

#include "platform/web/dom/DOMDocument.h"
#include "platform/web/dom/DOMDocumentFragment.h"
#include "platform/web/dom/DOMDocumentType.h"
#include "platform/web/dom/DOMElement.h"
#include "platform/web/dom/DOMNodeList.h"
#include "platform/web/html/HTMLParser.h"
#include "platform/web/html/HTMLPreflight.h"
#include "platform/web/html/HTMLSerializer.h"


#include "WebTestUtil.h"

#include <gtest/gtest.h>

namespace {

QString dumpOf(const QString &html)
{
    return HTMLParser::parseDocument(html)->debugDump();
}

QString fragmentDump(const QString &markup, const QString &context, DOMNamespace ns = DOMNamespace::HTML)
{
    const std::shared_ptr<DOMDocument> document = DOMDocument::create();
    return HTMLParser::parseFragment(*document, markup, context, ns)->debugDump();
}

int depthOf(const DOMNode &root)
{
    int deepest = 0;
    for (const DOMNodePtr &node : root.querySelectorAll(QStringLiteral("*"))) {
        int depth = 0;
        for (const DOMNode *n = node.get(); n; n = n->parentNode())
            ++depth;
        deepest = std::max(deepest, depth);
    }
    return deepest;
}

} // namespace

TEST(HTMLParser, BuildsTheTreeABrowserBuilds)
{
    EXPECT_EQ(dumpOf(QStringLiteral("<!-- first --><!DOCTYPE html><title>T</title><p class=a>1<p>2 &amp;amp; 3"
                                    "<table><td>c</table><svg viewbox='0 0 1 1'><foreignobject/>"
                                    "<use xlink:href='#a' xml:lang=en /></svg><template><b>t</b></template>")),
              QStringLiteral("#document\n"
                             "  <!--  first  -->\n"
                             "  <!DOCTYPE html>\n"
                             "  <html>\n"
                             "    <head>\n"
                             "      <title>\n"
                             "        \"T\"\n"
                             "    <body>\n"
                             "      <p class=\"a\">\n"
                             "        \"1\"\n"
                             "      <p>\n"
                             "        \"2 &amp; 3\"\n"
                             "      <table>\n"
                             "        <tbody>\n"
                             "          <tr>\n"
                             "            <td>\n"
                             "              \"c\"\n"
                             "      <svg svg viewBox=\"0 0 1 1\">\n"
                             "        <svg foreignObject>\n"
                             "        <svg use xlink href=\"#a\" xml lang=\"en\">\n"
                             "      <template>\n"
                             "        content\n"
                             "          <b>\n"
                             "            \"t\"\n"));
}

TEST(HTMLParser, KnowsQuirksModeAndTheDoctypeIdentifiers)
{
    const std::shared_ptr<DOMDocument> quirks = HTMLParser::parseDocument(QStringLiteral("<p>x"));
    EXPECT_TRUE(quirks->isQuirksMode());
    EXPECT_EQ(quirks->doctype(), nullptr);
    const std::shared_ptr<DOMDocument> strict = HTMLParser::parseDocument(
        QStringLiteral("<!DOCTYPE html PUBLIC \"-//W3C//DTD XHTML 1.0 Strict//EN\" "
                       "\"http://www.w3.org/TR/xhtml1/DTD/xhtml1-strict.dtd\"><p>x"));
    EXPECT_FALSE(strict->isQuirksMode());
    ASSERT_TRUE(strict->doctype());
    EXPECT_EQ(strict->doctype()->publicId(), QStringLiteral("-//W3C//DTD XHTML 1.0 Strict//EN"));
    EXPECT_EQ(strict->doctype(), strict->firstChild());
    EXPECT_EQ(strict->head()->nextElementSibling(), strict->body());
}

TEST(HTMLParser, ParsesFragmentsInTheirContext)
{
    EXPECT_EQ(fragmentDump(QStringLiteral("<tr><td>1</td></tr>"), QStringLiteral("tbody")),
              QStringLiteral("#document-fragment\n  <tr>\n    <td>\n      \"1\"\n"));
    EXPECT_EQ(fragmentDump(QStringLiteral("<td>1"), QStringLiteral("tr")),
              QStringLiteral("#document-fragment\n  <td>\n    \"1\"\n"));
    // Out of context the table parts are dropped, as a browser drops them.
    EXPECT_EQ(fragmentDump(QStringLiteral("<tr><td>1</td></tr>"), QStringLiteral("div")),
              QStringLiteral("#document-fragment\n  \"1\"\n"));
    EXPECT_EQ(fragmentDump(QStringLiteral("<body class=a><p>x</body>"), QStringLiteral("html")),
              QStringLiteral("#document-fragment\n  <head>\n  <body class=\"a\">\n    <p>\n      \"x\"\n"));
    EXPECT_EQ(fragmentDump(QStringLiteral("<circle/><linearGradient/>"), QStringLiteral("svg"), DOMNamespace::SVG),
              QStringLiteral("#document-fragment\n  <svg circle>\n  <svg linearGradient>\n"));
    EXPECT_EQ(fragmentDump(QStringLiteral("<p>x</p>"), QStringLiteral("template")),
              QStringLiteral("#document-fragment\n  <p>\n    \"x\"\n"));
}

TEST(HTMLParser, FragmentNodesAreRecordedForThePage)
{
    const std::shared_ptr<DOMDocument> document = DOMDocument::create();
    document->replayLog().clear();
    const DOMDocumentFragmentPtr fragment =
        HTMLParser::parseFragment(*document, QStringLiteral("<a href=x>y</a>"), QStringLiteral("div"), DOMNamespace::HTML);
    QStringList commands;
    for (const DOMReplayCommand &command : document->replayLog().commands())
        commands.append(command.toString());
    const DOMNode *link = fragment->firstChild();
    EXPECT_EQ(commands, (QStringList{
        QStringLiteral("createDocumentFragment node=%1").arg(fragment->nodeId()),
        QStringLiteral("createElement node=%1 name=a ns=%2").arg(link->nodeId()).arg(DOMNamespaces::html),
        QStringLiteral("setAttribute node=%1 name=href value=\"x\"").arg(link->nodeId()),
        QStringLiteral("insertBefore parent=%1 node=%2 ref=0").arg(fragment->nodeId()).arg(link->nodeId()),
        QStringLiteral("createTextNode node=%1 value=\"y\"").arg(link->firstChild()->nodeId()),
        QStringLiteral("insertBefore parent=%1 node=%2 ref=0").arg(link->nodeId()).arg(link->firstChild()->nodeId()),
    }));
}

TEST(HTMLParser, EntitiesAreDecodedOnceAndWrittenBackOnce)
{
    const std::shared_ptr<DOMDocument> document =
        HTMLParser::parseDocument(QStringLiteral("<!DOCTYPE html><p title='&amp;quot;'>&amp;lt; &nbsp;&copy;</p>"));
    DOMElement *paragraph = document->body()->firstElementChild();
    EXPECT_EQ(paragraph->textContent(), QStringLiteral("&lt; \u00a0\u00a9"));
    EXPECT_EQ(paragraph->getAttribute(QStringLiteral("title")), QStringLiteral("&quot;"));
    EXPECT_EQ(paragraph->outerHTML(), QStringLiteral("<p title=\"&amp;quot;\">&amp;lt; &nbsp;\u00a9</p>"));
}

// Without the limit the parse takes minutes (its time is bench/'s to measure).
TEST(HTMLParser, HundredThousandNestedElementsParseShallow)
{
    QString html = QStringLiteral("<!DOCTYPE html>");
    for (int i = 0; i < 100000; ++i)
        html += QStringLiteral("<div>");
    html += QStringLiteral("deep");
    const std::shared_ptr<DOMDocument> document = HTMLParser::parseDocument(html);
    EXPECT_EQ(document->getElementsByTagName(QStringLiteral("div")).length(), 100000);
    EXPECT_EQ(document->body()->textContent(), QStringLiteral("deep"));
    // Like the browser's parser, nesting stops near 512 levels and the rest
    // become siblings.
    const int depth = depthOf(*document);
    EXPECT_GE(depth, 500);
    EXPECT_LE(depth, 520);
}

TEST(HTMLParser, UnclosedFormattingAndTablesStayBounded)
{
    QString html;
    for (int i = 0; i < 20000; ++i)
        html += QStringLiteral("<b id=%1><table><tr><td><font>x").arg(i);
    const std::shared_ptr<DOMDocument> document = HTMLParser::parseDocument(html);
    // Reopened formatting elements add some levels the limiter cannot foresee.
    EXPECT_LE(depthOf(*document), 1024);
    EXPECT_GT(document->getElementsByTagName(QStringLiteral("td")).length(), 0);
}

TEST(HTMLPreflight, LeavesOrdinaryPagesByteForByte)
{
    QByteArray page = TestUtil::readFile(QStringLiteral(QUILLMARK_TEST_DATA "/selectors.html"));
    ASSERT_FALSE(page.isEmpty());
    // Hundreds of list items and paragraphs that close each other.
    for (int i = 0; i < 2000; ++i)
        page += "<li>x<p>y<td>z<option>o";
    const QByteArray limited = HTMLPreflight::prepare(page, HTMLPreflight::Input::Document);
    EXPECT_EQ(limited.constData(), page.constData()); // not even copied
}

TEST(HTMLPreflight, ClosesTheInnermostElementBeyondTheLimit)
{
    EXPECT_EQ(HTMLPreflight::prepare("<a><b><i><u>x", HTMLPreflight::Input::Document, 3), QByteArray("<a><b><i></i><u>x"));
    EXPECT_EQ(HTMLPreflight::prepare("<a><br><img/><b><i>x", HTMLPreflight::Input::Document, 3), QByteArray("<a><br><img/><b><i>x"));
    // Tags inside comments, scripts and attribute values do not count.
    EXPECT_EQ(HTMLPreflight::prepare("<a><!-- <b><i> --><script>'<b><i>'</script><b title='<i><u>'>x", HTMLPreflight::Input::Document, 3),
              QByteArray("<a><!-- <b><i> --><script>'<b><i>'</script><b title='<i><u>'>x"));
    EXPECT_EQ(HTMLPreflight::prepare("<svg><g/><g/><g/><g/></svg>", HTMLPreflight::Input::Document, 2), QByteArray("<svg><g/><g/><g/><g/></svg>"));
}

// Regression: the parser library aborted the whole program on these fragments.
TEST(HTMLParser, FragmentsThatCrashedTheParserLibraryParse)
{
    const std::shared_ptr<DOMDocument> document = DOMDocument::create();
    for (const QString &markup : {QStringLiteral("<svg><head><title><select><textarea></body>x"),
                                  QStringLiteral("<math><p></html></BODY >x")}) {
        for (const QString &context : {QStringLiteral("div"), QStringLiteral("body"), QStringLiteral("html")}) {
            const DOMDocumentFragmentPtr fragment =
                HTMLParser::parseFragment(*document, markup, context, DOMNamespace::HTML);
            EXPECT_TRUE(fragment->textContent().contains(QLatin1Char('x'))) << qPrintable(markup);
        }
    }
    // A text that trips the library's assertions even after the preflight:
    // the parse is abandoned, the fragment stays empty, the program goes on.
    const QString aborting = QString::fromUtf8(TestUtil::readFile(QStringLiteral(QUILLMARK_TEST_DATA "/parser-abort.html")));
    ASSERT_FALSE(aborting.isEmpty());
    for (int i = 0; i < 3; ++i) {
        const DOMDocumentFragmentPtr fragment =
            HTMLParser::parseFragment(*document, aborting, QStringLiteral("div"), DOMNamespace::HTML);
        EXPECT_FALSE(fragment->hasChildNodes());
    }
    // The same text parses as a document.
    const std::shared_ptr<DOMDocument> parsed = HTMLParser::parseDocument(aborting);
    ASSERT_TRUE(parsed->body());
    EXPECT_GT(parsed->body()->querySelectorAll(QStringLiteral("*")).length(), 10);
}

TEST(HTMLPreflight, DropsDocumentEndTagsFromFragmentsOnly)
{
    const QByteArray text = "<p>a</body>b</HTML >c<textarea></body></textarea><!-- </body> -->";
    EXPECT_EQ(HTMLPreflight::prepare(text, HTMLPreflight::Input::Fragment),
              QByteArray("<p>abc<textarea></body></textarea><!-- </body> -->"));
    EXPECT_EQ(HTMLPreflight::prepare(text, HTMLPreflight::Input::Document), text);
}

// Files and fragments used to be parsed as with scripts off, so a noscript
// element's content became elements while the preview, running the page's
// scripts, reads it as text; and its text was written back unescaped where
// scripts are off, which turned "&lt;p&gt;" into an element.
TEST(HTMLParser, NoscriptIsRawTextWhereScriptsRunAndMarkupWhereTheyDoNot)
{
    const QString page = QStringLiteral(
        "<!DOCTYPE html><html><head><noscript><link rel=stylesheet href=a.css></noscript></head>"
        "<body><noscript><p>Enable &amp; <b>JavaScript</b></p></noscript><p>after</p></body></html>");
    const std::shared_ptr<DOMDocument> on = HTMLParser::parseDocument(page, Scripting::Enabled);
    EXPECT_EQ(on->scripting(), Scripting::Enabled);
    EXPECT_EQ(on->debugDump(), QStringLiteral("#document\n"
                                              "  <!DOCTYPE html>\n"
                                              "  <html>\n"
                                              "    <head>\n"
                                              "      <noscript>\n"
                                              "        \"<link rel=stylesheet href=a.css>\"\n"
                                              "    <body>\n"
                                              "      <noscript>\n"
                                              "        \"<p>Enable &amp; <b>JavaScript</b></p>\"\n"
                                              "      <p>\n"
                                              "        \"after\"\n"));
    // Written back as it was read.
    EXPECT_EQ(on->body()->innerHTML(),
              QStringLiteral("<noscript><p>Enable &amp; <b>JavaScript</b></p></noscript><p>after</p>"));

    const std::shared_ptr<DOMDocument> off = HTMLParser::parseDocument(page, Scripting::Disabled);
    EXPECT_EQ(off->debugDump(), QStringLiteral("#document\n"
                                               "  <!DOCTYPE html>\n"
                                               "  <html>\n"
                                               "    <head>\n"
                                               "      <noscript>\n"
                                               "        <link rel=\"stylesheet\" href=\"a.css\">\n"
                                               "    <body>\n"
                                               "      <noscript>\n"
                                               "        <p>\n"
                                               "          \"Enable & \"\n"
                                               "          <b>\n"
                                               "            \"JavaScript\"\n"
                                               "      <p>\n"
                                               "        \"after\"\n"));
    EXPECT_EQ(off->body()->innerHTML(),
              QStringLiteral("<noscript><p>Enable &amp; <b>JavaScript</b></p></noscript><p>after</p>"));

    // Text of a noscript element is escaped where scripts are off.
    const std::shared_ptr<DOMDocument> escaped
        = HTMLParser::parseDocument(QStringLiteral("<body><noscript>&lt;p&gt;</noscript>"), Scripting::Disabled);
    EXPECT_EQ(escaped->body()->innerHTML(), QStringLiteral("<noscript>&lt;p&gt;</noscript>"));

    // After the head, noscript opens the body as the browser does.
    EXPECT_EQ(HTMLParser::parseDocument(QStringLiteral("<head></head><noscript><i>x</i></noscript>"))->debugDump(),
              QStringLiteral("#document\n"
                             "  <html>\n"
                             "    <head>\n"
                             "    <body>\n"
                             "      <noscript>\n"
                             "        \"<i>x</i>\"\n"));
    // Inside svg it is an element like any other.
    EXPECT_EQ(HTMLParser::parseDocument(QStringLiteral("<svg><noscript><g/></noscript></svg>"))
                  ->querySelectorAll(QStringLiteral("g"))
                  .length(),
              1);
    // A noscript that holds the closing tag of the element read in its place
    // is read as markup.
    EXPECT_EQ(HTMLParser::parseDocument(QStringLiteral("<body><noscript></noembed><i>x</i></noscript>"))
                  ->querySelectorAll(QStringLiteral("noscript i"))
                  .length(),
              1);

    // Fragments take the scripting of their document.
    const QString markup = QStringLiteral("<noscript><img src=a.png></noscript>");
    EXPECT_EQ(HTMLParser::parseFragment(*on, markup, QStringLiteral("div"), DOMNamespace::HTML)->debugDump(),
              QStringLiteral("#document-fragment\n"
                             "  <noscript>\n"
                             "    \"<img src=a.png>\"\n"));
    EXPECT_EQ(HTMLParser::parseFragment(*off, markup, QStringLiteral("div"), DOMNamespace::HTML)->debugDump(),
              QStringLiteral("#document-fragment\n"
                             "  <noscript>\n"
                             "    <img src=\"a.png\">\n"));
    EXPECT_EQ(HTMLParser::parseFragment(*on, QStringLiteral("<b>x</b>"), QStringLiteral("noscript"),
                                        DOMNamespace::HTML)
                  ->debugDump(),
              QStringLiteral("#document-fragment\n"
                             "  \"<b>x</b>\"\n"));
}

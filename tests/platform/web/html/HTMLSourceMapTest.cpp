#include "TestPrinters.h"

#include "platform/web/dom/DOMDocument.h"
#include "platform/web/dom/DOMDocumentFragment.h"
#include "platform/web/dom/DOMElement.h"
#include "platform/web/html/HTMLParser.h"
#include "platform/web/html/HTMLPreflight.h"
#include "platform/web/html/HTMLSourceMap.h"

#include <gtest/gtest.h>

namespace {

// One line per node, depth first: its name and the text its range covers
// (start tag | content | end tag for elements), line ends as \n.
QString rangesOf(const QString &html, Scripting scripting = Scripting::Enabled)
{
    HTMLSourceMap map;
    const std::shared_ptr<DOMDocument> document = HTMLParser::parseDocument(html, scripting, &map);
    const auto shown = [&html](qsizetype from, qsizetype to) {
        return html.mid(from, to - from).replace(QLatin1String("\r"), QLatin1String("\\r")).replace(QLatin1String("\n"), QLatin1String("\\n"));
    };
    QString out;
    QList<std::pair<const DOMNode *, int>> pending;
    for (const DOMNode *child = document->lastChild(); child; child = child->previousSibling())
        pending.append({child, 0});
    while (!pending.isEmpty()) {
        const auto [node, depth] = pending.takeLast();
        out += QString(depth * 2, QLatin1Char(' ')) + node->nodeName() + QLatin1String(": ");
        if (const HTMLSourceRange *range = map.rangeOf(node)) {
            if (node->isElement())
                out += shown(range->start, range->startTagEnd) + QLatin1String(" | ") + shown(range->endTagStart, range->end);
            else
                out += shown(range->start, range->end);
        } else {
            out += QLatin1String("-");
        }
        out += QLatin1Char('\n');
        const DOMNode *parent = node->isElement() && static_cast<const DOMElement *>(node)->templateContent()
            ? static_cast<const DOMNode *>(static_cast<const DOMElement *>(node)->templateContent())
            : node;
        for (const DOMNode *child = parent->lastChild(); child; child = child->previousSibling())
            pending.append({child, depth + 1});
    }
    return out;
}

} // namespace

TEST(HTMLSourceMap, EachNodeKnowsItsOwnTextInUtf16Positions)
{
    const QString html = QStringLiteral("<!-- first -->\r\n<!DOCTYPE html>\r\n<HTML lang='\u00e9'><head><title>Caf&eacute; \U0001F600</title></head>"
                                        "<body><ul><li>one<li>two</ul><table><tr><td>1</td></tr></table>"
                                        "<template><b>t</b></template></body></html>");
    EXPECT_EQ(rangesOf(html).toStdString(), QStringLiteral(
        "#comment: <!-- first -->\n"
        "html: <!DOCTYPE html>\n"
        "HTML: <HTML lang='\u00e9'> | </html>\n"
        "  HEAD: <head> | </head>\n"
        "    TITLE: <title> | </title>\n"
        "      #text: Caf&eacute; \U0001F600\n"
        "  BODY: <body> | </body>\n"
        "    UL: <ul> | </ul>\n"
        "      LI: <li> | \n"
        "        #text: one\n"
        "      LI: <li> | \n"
        "        #text: two\n"
        "    TABLE: <table> | </table>\n"
        "      TBODY:  | \n"
        "        TR: <tr> | </tr>\n"
        "          TD: <td> | </td>\n"
        "            #text: 1\n"
        "    TEMPLATE: <template> | </template>\n"
        "      B: <b> | </b>\n"
        "        #text: t\n").toStdString());
}

TEST(HTMLSourceMap, PositionsSurviveThePreflightsChanges)
{
    // Scripts on: the preflight renames noscript for the parser library.
    const QString page = QStringLiteral("<html><head><noscript><link href=a></noscript></head><body><p>x</p></body></html>");
    EXPECT_EQ(rangesOf(page).toStdString(), QStringLiteral(
        "HTML: <html> | </html>\n"
        "  HEAD: <head> | </head>\n"
        "    NOSCRIPT: <noscript> | </noscript>\n"
        "      #text: <link href=a>\n"
        "  BODY: <body> | </body>\n"
        "    P: <p> | </p>\n"
        "      #text: x\n").toStdString());

    // Beyond the nesting limit the preflight closes elements: the end tags
    // it adds are no text of the file.
    QString deep;
    for (int i = 0; i < HTMLPreflight::s_maxDepth + 5; ++i)
        deep += QStringLiteral("<div>");
    deep += QStringLiteral("<p id=last>end</p>");
    HTMLSourceMap map;
    const std::shared_ptr<DOMDocument> document = HTMLParser::parseDocument(deep, Scripting::Enabled, &map);
    const HTMLSourceRange *last = map.rangeOf(document->getElementById(QStringLiteral("last")));
    ASSERT_TRUE(last);
    EXPECT_EQ(deep.mid(last->start, last->end - last->start), QStringLiteral("<p id=last>end</p>"));
}

TEST(HTMLSourceMap, AnSvgEndTagWithBlanksBeforeItsBracketClosesItsElement)
{
    // As a page written to keep blanks out of the text between inline svgs
    // has it: each svg closes, and its end tag is its whole text.
    const QString page = QStringLiteral("<html><head></head><body><div><svg class=a><circle></circle></svg\n  ><svg class=b></svg\n  >"
                                        "<div id=w>x</div></div></body></html>");
    EXPECT_EQ(rangesOf(page).toStdString(), QStringLiteral(
        "HTML: <html> | </html>\n"
        "  HEAD: <head> | </head>\n"
        "  BODY: <body> | </body>\n"
        "    DIV: <div> | </div>\n"
        "      svg: <svg class=a> | </svg\\n  >\n"
        "        circle: <circle> | </circle>\n"
        "      svg: <svg class=b> | </svg\\n  >\n"
        "      DIV: <div id=w> | </div>\n"
        "        #text: x\n").toStdString());
    // A fragment made from the same text, as the tree makes what the text
    // gains, is built alike.
    const std::shared_ptr<DOMDocument> document = HTMLParser::parseDocument(page);
    DOMElement *div = static_cast<DOMElement *>(document->body()->firstChild());
    const std::shared_ptr<DOMDocumentFragment> fragment = HTMLParser::parseFragment(
        *document, QStringLiteral("<svg><g></g></svg\n><p>after</p>"), QStringLiteral("div"), div->namespaceId());
    ASSERT_TRUE(fragment);
    ASSERT_EQ(fragment->childCount(), 2);
    EXPECT_EQ(fragment->lastChild()->nodeName(), QStringLiteral("P"));
}

TEST(HTMLSourceMap, ParsingWithoutAMapBuildsTheSameTree)
{
    const QString html = QStringLiteral("<p>a<b>b</p>c</b><table>x<tr><td>1</table>");
    HTMLSourceMap map;
    EXPECT_EQ(HTMLParser::parseDocument(html, Scripting::Enabled, &map)->debugDump(),
              HTMLParser::parseDocument(html)->debugDump());
    EXPECT_GT(map.size(), 8);
}

// The parser library closes a form apart from the other elements: the text
// before its end tag goes into it, as in a browser, and the end tag is its
// own, so that what goes after the form goes after "</form>".
TEST(HTMLSourceMap, AFormKeepsItsLastTextAndItsEndTag)
{
    EXPECT_EQ(rangesOf(QStringLiteral("<div><form id=f><p>x</p>\n</form>z</div>")).toStdString(), QStringLiteral(
        "HTML:  | \n"
        "  HEAD:  | \n"
        "  BODY:  | \n"
        "    DIV: <div> | </div>\n"
        "      FORM: <form id=f> | </form>\n"
        "        P: <p> | </p>\n"
        "          #text: x\n"
        "        #text: \\n\n"
        "      #text: z\n").toStdString());
    EXPECT_EQ(rangesOf(QStringLiteral("<div><form><p>x</p></FORM>\n</div><form></form>")).toStdString(), QStringLiteral(
        "HTML:  | \n"
        "  HEAD:  | \n"
        "  BODY:  | \n"
        "    DIV: <div> | </div>\n"
        "      FORM: <form> | </FORM>\n"
        "        P: <p> | </p>\n"
        "          #text: x\n"
        "      #text: \\n\n"
        "    FORM: <form> | </form>\n").toStdString());
}

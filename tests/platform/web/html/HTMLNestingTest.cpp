#include "TestUtil.h"

#include "platform/web/dom/DOMDocument.h"
#include "platform/web/dom/DOMElement.h"
#include "platform/web/html/HTMLNesting.h"
#include "platform/web/html/HTMLParser.h"

#include <gtest/gtest.h>

namespace HTMLNestingTest {

namespace {

const QString s_page = QStringLiteral("<!DOCTYPE html><html><head><title>t</title></head><body>"
                                      "<button id=outer>x</button>"
                                      "<p id=words>one <b id=bold>two</b> three</p>"
                                      "<div id=box><template id=kept><p>x</p></template></div>"
                                      "</body></html>");

} // namespace

// Where a page's script already made what the parser would not (a button in
// a button), the nodes are judged there alone; a move within its parent and
// the texts it leaves to join are kept; a template's content and an element
// out of the document are not judged.
TEST(HTMLNesting, APlaceTheParserWouldNotMakeJudgesTheNodesAloneAndTemplatesAreNotJudged)
{
    const std::shared_ptr<DOMDocument> page = HTMLParser::parseDocument(s_page);
    DOMElement *outer = page->getElementById(QStringLiteral("outer"));
    ASSERT_TRUE(outer);
    const DOMElementPtr inner = page->createElement(QStringLiteral("button"));
    ASSERT_TRUE(outer->appendChild(inner));
    const DOMElementPtr span = page->createElement(QStringLiteral("span"));
    const DOMElementPtr button = page->createElement(QStringLiteral("button"));
    EXPECT_TRUE(HTMLNesting::keepsInsertion(*outer, {span.get()}, nullptr));
    EXPECT_FALSE(HTMLNesting::keepsInsertion(*outer, {button.get()}, nullptr));

    DOMElement *words = page->getElementById(QStringLiteral("words"));
    DOMElement *bold = page->getElementById(QStringLiteral("bold"));
    EXPECT_TRUE(HTMLNesting::keepsInsertion(*words, {bold}, words->firstChild()));
    EXPECT_TRUE(HTMLNesting::keepsInsertion(*words, {bold}, nullptr));
    const DOMElementPtr block = page->createElement(QStringLiteral("div"));
    EXPECT_FALSE(HTMLNesting::keepsInsertion(*words, {block.get()}, bold));

    DOMElement *kept = page->getElementById(QStringLiteral("kept"));
    ASSERT_TRUE(kept);
    EXPECT_TRUE(HTMLNesting::keepsInsertion(*kept, {button.get()}, nullptr));
    EXPECT_TRUE(HTMLNesting::keepsInsertion(*span, {block.get()}, nullptr));
}

} // namespace HTMLNestingTest

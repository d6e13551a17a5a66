#include "TestPrinters.h"

#include "domtree/GivenMarkup.h"
#include "platform/web/dom/DOMDocument.h"
#include "platform/web/dom/DOMElement.h"

#include <gtest/gtest.h>

namespace GivenMarkupTest {

namespace {

// The part of the markup's node, indented for a place one level in.
std::string partOf(const GivenMarkup &markup, const DOMNode *node, const QString &indent = QStringLiteral("  "))
{
    const GivenText *part = markup.textOf(node);
    return part ? part->indented(indent).toStdString() : std::string("(none)");
}

} // namespace

TEST(GivenMarkup, EachNodeKeepsItsOwnTextWithItsLinesIndentedFromItsFirst)
{
    const std::shared_ptr<DOMDocument> document = DOMDocument::create();
    // Spaces in twos, single quotes, odd spacing and entities, a blank line.
    const GivenMarkup markup = GivenMarkup::parse(
        *document, QStringLiteral("\r\n    <ul  class='a'>\r\n      <li title = \"x&amp;y\">caf&eacute;</li>\r\n\r\n"
                                  "        <li>b</li>\r\n    </ul>\r\n    <p>t</p>  "));
    ASSERT_EQ(markup.nodes().size(), 3);
    const DOMNode *list = markup.nodes().at(0).get();
    EXPECT_EQ(partOf(markup, list),
              "<ul  class='a'>\n  \t<li title = \"x&amp;y\">caf&eacute;</li>\n\n  \t\t<li>b</li>\n  </ul>");
    EXPECT_EQ(partOf(markup, list->firstChild()->nextSibling()), "<li title = \"x&amp;y\">caf&eacute;</li>");
    EXPECT_EQ(partOf(markup, markup.nodes().at(2).get()), "<p>t</p>");
    // Without an indent the relative one stands alone.
    EXPECT_EQ(partOf(markup, list, QString()), "<ul  class='a'>\n\t<li title = \"x&amp;y\">caf&eacute;</li>\n\n\t\t<li>b</li>\n</ul>");
}

TEST(GivenMarkup, PreformattedTextTagsAndCommentsKeepTheirLinesAsTheyAre)
{
    const std::shared_ptr<DOMDocument> document = DOMDocument::create();
    const GivenMarkup markup = GivenMarkup::parse(
        *document, QStringLiteral("<div>\n\t<pre>\n  one\n\ttwo</pre>\n\t<a\n\t  href='x'>l</a><!--\n\tnote-->\n</div>"));
    ASSERT_EQ(markup.nodes().size(), 1);
    EXPECT_EQ(partOf(markup, markup.nodes().constFirst().get(), QStringLiteral("@")),
              "<div>\n@\t<pre>\n  one\n\ttwo</pre>\n@\t<a\n\t  href='x'>l</a><!--\n\tnote-->\n@</div>");
}

} // namespace GivenMarkupTest

#include "code/CodeSearch.h"
#include "domtree/DomNodeMap.h"
#include "platform/web/dom/DOMDocument.h"
#include "platform/web/dom/DOMElement.h"
#include "platform/web/html/HTMLParser.h"

#include <gtest/gtest.h>

namespace {

// A page parsed into the mirror, its DOM tree rows, and its source text.
struct Page
{
    explicit Page(const QString &source)
        : code(source)
    {
        document = HTMLParser::parseDocument(source);
        root = DOMNodeEx::initWithNode(document->documentElement()->shared_from_this(), nullptr);
    }
    ~Page() { DomNodeMap::getInstance().clearMap(); }

    DOMNodeEx *row(const char *id) const
    {
        return DomNodeMap::getInstance().nodeExforNode(document->getElementById(QString::fromLatin1(id))).get();
    }
    QString found(DOMNodeEx *node, Range (*strategy)(const QString &, DOMNodeEx *) = &CodeSearch::searchCode) const
    {
        const Range range = strategy(code, node);
        return range.location == NotFound ? QStringLiteral("<not found>") : code.mid(range.location, range.length);
    }

    QString code;
    std::shared_ptr<DOMDocument> document;
    DOMNodeExPtr root;
};

} // namespace

TEST(CodeSearch, AnElementIsFoundByItsPlaceInTheStructure)
{
    Page page(QStringLiteral("<html><head><title>T</title></head><body>\n<div><p>one</p>\n<p id=two class=x>two</p></div>"
                             "<p>three</p></body></html>"));
    EXPECT_EQ(page.found(page.row("two"), &CodeSearch::regSearch), QStringLiteral("<p id=two class=x>two</p>"));
    EXPECT_EQ(page.found(page.row("two")), QStringLiteral("<p id=two class=x>two</p>"));
}

TEST(CodeSearch, ATextNodeIsFoundByItsText)
{
    Page page(QStringLiteral("<html><body><p id=p>Hello there</p></body></html>"));
    DOMNodeEx *text = page.row("p")->children().first().get();
    ASSERT_TRUE(text->node()->isText());
    EXPECT_EQ(page.found(text, &CodeSearch::regSearch), QStringLiteral("<not found>"));
    EXPECT_EQ(page.found(text, &CodeSearch::xpathSearch), QStringLiteral("<not found>"));
    EXPECT_EQ(page.found(text), QStringLiteral("Hello there"));
}

TEST(CodeSearch, XPathStepsOverATableBodyTheSourceLeavesOut)
{
    Page page(QStringLiteral("<html><body><table>\n  <tr><td id=\"cell\">a</td></tr></table></body></html>"));
    DOMNodeEx *cell = page.row("cell");
    ASSERT_EQ(cell->parentNodeEx()->parentNodeEx()->node()->nodeName(), QStringLiteral("TBODY"));
    EXPECT_EQ(page.found(cell, &CodeSearch::xpathSearch), QStringLiteral("<td id=\"cell\">a</td>"));
}

TEST(CodeSearch, AttributeValuesWithBracketsAndDotsAreMatchedLiterally)
{
    Page page(QStringLiteral("<html><body><a id=x onclick=\"go(1.5)\">a</a><a id=y onclick=\"go(115)\">b</a></body></html>"));
    const QList<QRegularExpressionMatch> matches = CodeSearch::attributeSearch(page.code, page.row("x"));
    ASSERT_EQ(matches.size(), 1);
    EXPECT_EQ(matches.first().captured(), QStringLiteral("<a id=x onclick=\"go(1.5)\">"));
    EXPECT_EQ(CodeSearch::escapedStringWithString(QStringLiteral("a\\b.(c)[d]")), QStringLiteral("a\\\\b\\.\\(c\\)\\[d]"));
    EXPECT_EQ(CodeSearch::toRegExpSource(QStringLiteral("<a b>x</a><i>")), QStringLiteral("<a\\s*?b>x</a>\\s*?<i>"));
}

TEST(CodeSearch, WhatIsNotInTheSourceIsNotFound)
{
    Page page(QStringLiteral("<html><body><p id=p class=c>x</p></body></html>"));
    // The page's scripts changed the element since the source was written.
    static_cast<DOMElement *>(page.row("p")->node())->setAttribute(QStringLiteral("class"), QStringLiteral("changed"));
    page.code = QStringLiteral("<section>nothing of the kind</section>");
    const Range range = CodeSearch::searchCode(page.code, page.row("p"));
    EXPECT_EQ(range.location, NotFound);
}

TEST(CodeSearch, ADeeplyNestedPageWithoutTheElementEndsInNotFound)
{
    // Deep, unclosed nesting, and a source without the element.
    QString body;
    for (int i = 0; i < 1000; ++i)
        body += QStringLiteral("<div>");
    Page page(QStringLiteral("<html><body>") + body + QStringLiteral("<span id=s>x</span></body></html>"));
    page.code = QStringLiteral("<html><body>") + body.repeated(10) + QStringLiteral("</body></html>");
    const Range range = CodeSearch::searchCode(page.code, page.row("s"));
    EXPECT_EQ(range.location, NotFound);
}

TEST(CodeSearch, AnElementAfterThousandsOfSiblingsIsStillFoundByStructure)
{
    // Its pattern is far longer than the engine compiles in one piece.
    QString body;
    for (int i = 0; i < 4000; ++i)
        body += QStringLiteral("<section><h2>%1</h2></section>\n").arg(i);
    Page page(QStringLiteral("<html><head></head><body>") + body + QStringLiteral("<section><p id=last>end</p></section></body></html>"));
    EXPECT_EQ(page.found(page.row("last"), &CodeSearch::regSearch), QStringLiteral("<p id=last>end</p>"));
    EXPECT_GT(CodeSearch::chainParts(CodeSearch::getRegSourceWithNodeInfos(page.row("last")->getPathInfosWithNode())).size(),
              4000);
}

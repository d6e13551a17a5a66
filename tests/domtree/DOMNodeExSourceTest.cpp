#include "TestPrinters.h"

#include "domtree/DOMNodeEx.h"
#include "domtree/DomNodeMap.h"
#include "platform/web/dom/DOMDocument.h"
#include "platform/web/dom/DOMElement.h"
#include "platform/web/html/HTMLParser.h"
#include "workspace/ProjectUtil.h"

#include <gtest/gtest.h>

namespace DOMNodeExSourceTest {

namespace {

struct Page
{
    explicit Page(const QString &body)
    {
        DOMNodeEx::setIgnoreSettingsProvider([] { return DOMIgnoreSettings(); });
        document = HTMLParser::parseDocument(QStringLiteral("<html><head></head><body>") + body
                                             + QStringLiteral("</body></html>"));
        root = DOMNodeEx::initWithNode(document->documentElement()->shared_from_this(), nullptr);
    }
    ~Page()
    {
        DOMNodeEx::setIgnoreSettingsProvider({});
        DomNodeMap::getInstance().clearMap();
    }
    DOMNodeEx *row(const char *id) const
    {
        return DomNodeMap::getInstance().nodeExforNode(document->getElementById(QString::fromLatin1(id))).get();
    }
    DOMNodeEx *first() const { return DomNodeMap::getInstance().nodeExforNode(document->body()->firstChild()).get(); }

    std::shared_ptr<DOMDocument> document;
    DOMNodeExPtr root;
};

QStringList pieces(const DOMNodeEx *row)
{
    return row->concatNodeTree(row).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

} // namespace

TEST(DOMNodeExSource, EachRowWritesItsOwnPiece)
{
    struct Case
    {
        const char *name;
        const char *body;
        QStringList expected;
    };
    const QList<Case> cases = {
        {"empty element closes at once", "<p></p>", {"<p></p>"}},
        {"text between its tags", "<p>a</p>", {"<p>", "a", "</p>"}},
        {"void element", "<br>", {"<br />"}},
        {"bare attribute", "<input required>", {"<input required />"}},
        {"empty attribute dropped", "<div class></div>", {"<div></div>"}},
        {"text escaped and trimmed", "<p>\na &lt; b&nbsp;</p>", {"<p>", "a &lt; b&nbsp;", "</p>"}},
        {"attribute value quotes escaped", "<p title='say \"hi\" &amp; go'></p>",
         {"<p title=\"say &quot;hi&quot; &amp; go\"></p>"}},
        {"list", "<ul><li>x</li></ul>", {"<ul>", "<li>", "x", "</li>", "</ul>"}},
        {"comment", "<!--note-->", {"<!--note-->"}},
    };
    for (const Case &each : cases) {
        const Page page(QString::fromUtf8(each.body));
        EXPECT_EQ(pieces(page.first()), each.expected) << each.name;
    }
    const Page pre(QStringLiteral("<pre>a  <b>b</b>\n c </pre>"));
    EXPECT_EQ(pre.first()->children().at(0)->source(), QStringLiteral("a  "));
    EXPECT_EQ(pre.first()->children().at(2)->source(), QStringLiteral("\n c "));
    const Page textarea(QStringLiteral("<textarea>  keep  </textarea>"));
    EXPECT_EQ(textarea.first()->children().at(0)->source(), QStringLiteral("  keep  "));
}

TEST(DOMNodeExSource, WriteBackPiecesFollowTheIgnoreRules)
{
    const Page page(QStringLiteral("<p id=p class=a title=t>x</p><div id=d></div><div id=e class=''></div>"
                                   "<span id=s data-x=1></span>"));
    const QList<IgnoreOptionValue> rules = ProjectUtil::parseIgnoreOption(
        QStringLiteral("#p{class:null;lang:en;}\n#d{contentName:box;}\n#s{*:x;}"));
    EXPECT_EQ(page.row("p")->sourceWithIgnoreOption(rules, false), QStringLiteral("<p id=\"p\" title=\"t\" lang=\"en\">"));
    EXPECT_EQ(page.row("p")->source(), QStringLiteral("<p id=\"p\" class=\"a\" title=\"t\">"));
    // A named snippet fills the element: the end tag waits for it.
    EXPECT_EQ(page.row("d")->sourceWithIgnoreOption(rules, false), QStringLiteral("<div id=\"d\">"));
    // The write-back keeps an empty attribute that the plain piece drops.
    EXPECT_EQ(page.row("e")->sourceWithIgnoreOption(rules, false), QStringLiteral("<div id=\"e\" class=\"\"></div>"));
    EXPECT_EQ(page.row("s")->sourceWithIgnoreOption(rules, false), QStringLiteral("<span></span>"));
    EXPECT_EQ(page.row("p")->children().constLast()->sourceWithIgnoreOption(rules, false), QStringLiteral("</p>"));
    EXPECT_TRUE(page.row("d")->children().constLast()->sourceWithIgnoreOption(rules, false).isNull());
}

TEST(DOMNodeExSource, OnlyJavaScriptIsFormattedAndReindented)
{
    const Page page(QStringLiteral("<div><div><script id=js>a();\nb();\nc();</script>"
                                   "<script id=t type='text/template'>  <p>\n  x</p></script></div></div>"));
    const DOMNodeEx *script = page.row("js")->children().at(0).get();
    EXPECT_EQ(script->level(), 5);
    EXPECT_EQ(script->sourceWithIgnoreOption({}, true),
              QStringLiteral("\t\t\t\t\ta();\n\t\t\t\t\tb();\n\t\t\t\t\tc();"));
    EXPECT_EQ(script->sourceWithIgnoreOption({}, false), QStringLiteral("a();\nb();\nc();"));
    const DOMNodeEx *data = page.row("t")->children().at(0).get();
    EXPECT_EQ(data->sourceWithIgnoreOption({}, true), QStringLiteral("<p>\n  x</p>"));
    EXPECT_FALSE(DOMNodeEx::isJavaScriptElement(page.row("t")->node()));
    EXPECT_TRUE(DOMNodeEx::isJavaScriptElement(page.row("js")->node()));
}

} // namespace DOMNodeExSourceTest

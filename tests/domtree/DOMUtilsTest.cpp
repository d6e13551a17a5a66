#include "platform/web/html/StringDOM.h"
#include "platform/web/dom/DOMComment.h"
#include "platform/web/dom/DOMDocument.h"
#include "platform/web/dom/DOMDocumentFragment.h"
#include "platform/web/dom/DOMElement.h"
#include "platform/web/dom/DOMNodeList.h"
#include "platform/web/dom/DOMText.h"
#include "platform/web/html/HTMLParser.h"

#include <QHash>

#include <gtest/gtest.h>

namespace {

std::shared_ptr<DOMDocument> page(const QString &body)
{
    return HTMLParser::parseDocument(QStringLiteral("<!DOCTYPE html><html><head></head><body>") + body);
}

DOMElement *byId(const std::shared_ptr<DOMDocument> &document, const char *id)
{
    return document->getElementById(QString::fromLatin1(id));
}

// Engine answers given by the test: a computed style per element id and the
// matched rules of each origin.
class FakeEngine : public DOMEngineQueries
{
public:
    QHash<QString, DOMComputedStyle> styles;
    QList<DOMMatchedRule> allRules;
    QList<DOMMatchedRule> authorRules;
    QString lastPseudoElement;

    DOMComputedStyle computedStyle(const DOMElement &element, const QString &) override
    {
        return styles.value(element.idName());
    }
    QList<DOMMatchedRule> matchedCSSRules(const DOMElement &, const QString &pseudoElement, Origin origin) override
    {
        if (origin == Origin::All)
            lastPseudoElement = pseudoElement;
        return origin == Origin::All ? allRules : authorRules;
    }
};

QString sides(const QVariantMap &dimension, const char *kind)
{
    const QString prefix = QString::fromLatin1(kind);
    const bool border = prefix == QLatin1String("border");
    QStringList values;
    for (const char *side : {"top", "right", "bottom", "left"}) {
        const QString key = border ? QStringLiteral("border-%1-width").arg(QLatin1String(side))
                                   : QStringLiteral("padding-%1").arg(QLatin1String(side));
        values.append(QString::number(dimension.value(key).toDouble()));
    }
    return values.join(QLatin1Char(' '));
}

} // namespace

TEST(DOMUtils, GeneratesSelectorsFromTheNearestId)
{
    const std::shared_ptr<DOMDocument> document = page(QStringLiteral(
        "<div><p id=x1>a</p><p>b</p></div><div id=main><ul><li>1</li></ul><p>c</p></div>"
        "<section id='1st part'><b>x</b></section><i id=''><u>y</u></i>"));
    DOMElement *second = byId(document, "x1")->nextElementSibling();
    EXPECT_EQ(second->generateSelector(), QStringLiteral("html > body > div > p"));
    EXPECT_TRUE(second->matches(QStringLiteral("html > body > div > p")));
    EXPECT_EQ(byId(document, "main")->querySelector(QStringLiteral("li"))->generateSelector(),
              QStringLiteral("#main > ul > li"));
    EXPECT_EQ(byId(document, "main")->querySelector(QStringLiteral("p"))->generateSelector(),
              QStringLiteral("#main > p"));
    EXPECT_EQ(byId(document, "x1")->generateSelector(), QStringLiteral("#x1"));
    // Ids that are not identifiers are escaped so that the selector works.
    DOMElement *bold = document->querySelector(QStringLiteral("b"));
    EXPECT_EQ(bold->generateSelector(), QStringLiteral("#\\31 st\\ part > b"));
    EXPECT_EQ(document->querySelector(bold->generateSelector()), bold);
    // An empty id is no id.
    EXPECT_EQ(document->querySelector(QStringLiteral("u"))->generateSelector(), QStringLiteral("html > body > i > u"));
}

TEST(DOMUtils, FindsTheFirstTagName)
{
    EXPECT_EQ(StringDOM::firstNodeName(QStringLiteral("  <DIV class=\"a\">")), QStringLiteral("div"));
    EXPECT_EQ(StringDOM::firstNodeName(QStringLiteral("text <p\n>x</p>")), QStringLiteral("p"));
    EXPECT_EQ(StringDOM::firstNodeName(QStringLiteral("</P>")), QStringLiteral("/p"));
    EXPECT_EQ(StringDOM::firstNodeName(QStringLiteral("<br/>")), QStringLiteral("br"));
    EXPECT_EQ(StringDOM::firstNodeName(QStringLiteral("<circle/>")), QStringLiteral("circle"));
    EXPECT_EQ(StringDOM::firstNodeName(QStringLiteral("<td\tclass=a>")), QStringLiteral("td"));
    EXPECT_TRUE(StringDOM::firstNodeName(QStringLiteral("plain text")).isNull());
}

TEST(DOMUtils, ParsesMarkupInPlace)
{
    const std::shared_ptr<DOMDocument> document = page(QString());
    const DOMNodePtr row = document->createNodeFromString(QStringLiteral("<tr><td>1</td></tr>"));
    ASSERT_TRUE(row);
    EXPECT_EQ(static_cast<DOMElement &>(*row).outerHTML(), QStringLiteral("<tr><td>1</td></tr>"));

    for (const QString &markup : {QStringLiteral("<circle r='5'/>"), QStringLiteral("<circle/>")}) {
        const DOMNodePtr circle = document->createNodeFromString(markup);
        ASSERT_TRUE(circle && circle->isElement()) << qPrintable(markup);
        EXPECT_EQ(static_cast<DOMElement &>(*circle).namespaceId(), DOMNamespace::SVG) << qPrintable(markup);
        EXPECT_EQ(circle->nodeName(), QStringLiteral("circle"));
    }
    const DOMNodePtr gradient = document->createNodeFromString(QStringLiteral("<linearGradient id=g/>"));
    EXPECT_EQ(gradient->nodeName(), QStringLiteral("linearGradient"));

    const DOMNodePtr body = document->createNodeFromString(QStringLiteral("<body class='b'><p>x</p></body>"));
    ASSERT_TRUE(body);
    EXPECT_EQ(static_cast<DOMElement &>(*body).outerHTML(), QStringLiteral("<body class=\"b\"><p>x</p></body>"));

    for (const auto &[markup, name] : {std::pair{"<li>a</li>", "LI"}, std::pair{"<option>o</option>", "OPTION"},
                                       std::pair{"<dd>x</dd>", "DD"}, std::pair{"<th>h</th>", "TH"},
                                       std::pair{"<td>d</td>", "TD"}, std::pair{"<head><title>t</title></head>", "HEAD"},
                                       std::pair{"<title>t</title>", "TITLE"}, std::pair{"<meta charset=utf-8>", "META"}}) {
        const DOMNodePtr node = document->createNodeFromString(QString::fromLatin1(markup));
        ASSERT_TRUE(node) << markup;
        EXPECT_EQ(node->nodeName(), QString::fromLatin1(name)) << markup;
    }

    const DOMNodePtr svg = document->createNodeFromString(QStringLiteral("<svg><rect/></svg>"));
    EXPECT_EQ(static_cast<DOMElement &>(*svg).namespaceId(), DOMNamespace::SVG);

    const QList<DOMNodePtr> nodes =
        document->createNodesFromString(QStringLiteral("\n\t <li>a</li> text <!--c--><li>b</li>\t\n"));
    ASSERT_EQ(nodes.size(), 4);
    EXPECT_EQ(nodes.at(0)->nodeName(), QStringLiteral("LI"));
    EXPECT_EQ(nodes.at(1)->nodeValue(), QStringLiteral(" text "));
    EXPECT_TRUE(nodes.at(2)->isComment());

    const DOMNodePtr text = document->createNodeFromString(QStringLiteral("just text"));
    ASSERT_TRUE(text && text->isText());
    EXPECT_EQ(document->createNodeFromString(QStringLiteral("   ")), nullptr);

    // The void element closes at once and the rest is dropped, as palette
    // items rely on.
    const DOMNodePtr br = document->createNodeFromString(QStringLiteral("<br>br</br>"));
    EXPECT_EQ(static_cast<DOMElement &>(*br).outerHTML(), QStringLiteral("<br>"));
}

TEST(DOMUtils, SelectorQueriesAnswerNothingForStarAndInvalidText)
{
    const std::shared_ptr<DOMDocument> document = page(QStringLiteral("<p class=a></p><p></p>"));
    EXPECT_FALSE(document->nodeArrayFromSelector(QStringLiteral("*")));
    EXPECT_FALSE(document->nodeArrayFromSelector(QString()));
    EXPECT_EQ(document->nodeArrayFromSelector(QStringLiteral(".b"))->length(), 0);
    EXPECT_EQ(document->nodeArrayFromSelector(QStringLiteral("p"))->length(), 2);
    EXPECT_EQ(document->numberOfNodesFromSelector(QStringLiteral("p.a")), 1);
    EXPECT_EQ(document->numberOfNodesFromSelector(QStringLiteral("*")), 0);
    EXPECT_EQ(document->numberOfNodesFromSelector(QStringLiteral("p[")), 0);
    EXPECT_EQ(document->numberOfNodesFromSelector(QStringLiteral("p)")), 0);

    DOMElement *paragraph = document->querySelector(QStringLiteral("p.a"));
    EXPECT_TRUE(paragraph->selectorIsMatched(QStringLiteral("body > .a")));
    EXPECT_FALSE(paragraph->selectorIsMatched(QStringLiteral("@media print")));
    EXPECT_FALSE(paragraph->selectorIsMatched(QStringLiteral("p:not(")));
    EXPECT_FALSE(paragraph->selectorIsMatched(QStringLiteral("p]")));
    EXPECT_FALSE(document->createTextNode(QStringLiteral("x"))->selectorIsMatched(QStringLiteral("*")));
}

TEST(DOMUtils, ListsAttributesAndReadsThemFromElementsOnly)
{
    const std::shared_ptr<DOMDocument> document = page(QStringLiteral("<a z=1 href=x data-a=''>t</a>"));
    DOMElement *link = document->querySelector(QStringLiteral("a"));
    const QList<QVariantMap> list = link->attributeList();
    ASSERT_EQ(list.size(), 3);
    EXPECT_EQ(list.at(0).value(QStringLiteral("name")).toString(), QStringLiteral("z"));
    EXPECT_EQ(list.at(1).value(QStringLiteral("value")).toString(), QStringLiteral("x"));
    EXPECT_EQ(list.at(2).value(QStringLiteral("value")).toString(), QString());
    EXPECT_EQ(link->nodeAttributeValue(QStringLiteral("href")), QStringLiteral("x"));
    EXPECT_TRUE(link->nodeAttributeValue(QStringLiteral("id")).isNull());
    EXPECT_TRUE(link->firstChild()->nodeAttributeValue(QStringLiteral("id")).isNull());
    EXPECT_TRUE(link->firstChild()->attributeList().isEmpty());
}

// Regression: entities were decoded a second time before escaping, so a page
// that showed "&lt;" was written back as "<".
TEST(DOMUtils, EscapedTextContentDecodesEntitiesOnlyOnce)
{
    const std::shared_ptr<DOMDocument> document = page(QStringLiteral("<p>&amp;lt;b&amp;gt; &amp;amp; 1 &lt; 2&nbsp;</p>"));
    DOMElement *paragraph = document->querySelector(QStringLiteral("p"));
    EXPECT_EQ(paragraph->textContent(), QStringLiteral("&lt;b&gt; &amp; 1 < 2\u00a0"));
    EXPECT_EQ(paragraph->firstChild()->escapedTextContent(),
              QStringLiteral("&amp;lt;b&amp;gt; &amp;amp; 1 &lt; 2&nbsp;"));
}

TEST(DOMUtils, WhiteSpaceTextNodesKeepNoBreakSpaces)
{
    const std::shared_ptr<DOMDocument> document = DOMDocument::create();
    const auto isWhiteSpace = [&](const QString &text) { return document->createTextNode(text)->isWhiteSpaceTextNode(); };
    EXPECT_TRUE(isWhiteSpace(QString()));
    EXPECT_TRUE(isWhiteSpace(QStringLiteral(" \t\r\n\f")));
    EXPECT_TRUE(isWhiteSpace(QStringLiteral("\u2003\u3000")));
    EXPECT_FALSE(isWhiteSpace(QStringLiteral(" x ")));
    // Regression: a no-break space between two inline elements was taken for
    // layout white space, left without a tree row and lost on write-back.
    EXPECT_FALSE(isWhiteSpace(QStringLiteral("\u00a0")));
    EXPECT_FALSE(isWhiteSpace(QStringLiteral(" \u202f ")));
    EXPECT_FALSE(document->createComment(QStringLiteral(" "))->isWhiteSpaceTextNode());
}

TEST(DOMUtils, DimensionsSpreadShorthandsAndDefaultBorders)
{
    const std::shared_ptr<DOMDocument> document =
        page(QStringLiteral("<p id=a>x</p><p id=b></p><p id=c></p><p id=d></p><p id=e></p>"));
    FakeEngine engine;
    engine.styles.insert(QStringLiteral("a"), {{QStringLiteral("padding"), QStringLiteral("1px 2px 3px")},
                                               {QStringLiteral("border-width"), QStringLiteral("4px")},
                                               {QStringLiteral("color"), QStringLiteral("red")}});
    engine.styles.insert(QStringLiteral("b"), {{QStringLiteral("padding-top"), QStringLiteral("1.5px;")},
                                               {QStringLiteral("border-style"), QStringLiteral("solid")},
                                               {QStringLiteral("border-left-width"), QStringLiteral("auto")}});
    engine.styles.insert(QStringLiteral("c"), {{QStringLiteral("padding"), QStringLiteral("1px 2px 3px 4px 5px")},
                                               {QStringLiteral("padding-left"), QStringLiteral("9px")}});
    engine.styles.insert(QStringLiteral("d"), {{QStringLiteral("border-width"), QStringLiteral("1px 2px")},
                                               {QStringLiteral("padding"), QStringLiteral("-2.5e1px")}});
    engine.styles.insert(QStringLiteral("e"), {{QStringLiteral("display"), QStringLiteral("block")}});

    // Without an engine every side is 0.
    EXPECT_EQ(sides(document->dimensionWithElement(byId(document, "a")), "padding"), QStringLiteral("0 0 0 0"));
    document->setEngineQueries(&engine);
    const QVariantMap a = document->dimensionWithElement(byId(document, "a"));
    EXPECT_EQ(a.size(), 8);
    EXPECT_EQ(sides(a, "padding"), QStringLiteral("1 2 3 2"));
    EXPECT_EQ(sides(a, "border"), QStringLiteral("4 4 4 4"));
    const QVariantMap b = document->dimensionWithElement(byId(document, "b"));
    EXPECT_EQ(sides(b, "padding"), QStringLiteral("1.5 0 0 0"));
    EXPECT_EQ(sides(b, "border"), QStringLiteral("3 3 3 0"));
    const QVariantMap c = document->dimensionWithElement(byId(document, "c"));
    EXPECT_EQ(sides(c, "padding"), QStringLiteral("0 0 0 9"));
    const QVariantMap d = document->dimensionWithElement(byId(document, "d"));
    EXPECT_EQ(sides(d, "border"), QStringLiteral("1 2 1 2"));
    EXPECT_EQ(sides(d, "padding"), QStringLiteral("-2.5 -2.5 -2.5 -2.5"));
    EXPECT_EQ(sides(document->dimensionWithElement(byId(document, "e")), "border"), QStringLiteral("0 0 0 0"));
    EXPECT_EQ(sides(document->dimensionWithElement(byId(document, "a")->firstChild()), "padding"),
              QStringLiteral("0 0 0 0"));
    document->setEngineQueries(nullptr);
}

TEST(DOMUtils, NonAuthorRulesAreAllRulesLessTheFirstOfEachAuthorText)
{
    const std::shared_ptr<DOMDocument> document = page(QStringLiteral("<p>text</p>"));
    FakeEngine engine;
    engine.allRules = {{1, QStringLiteral("p { display: block; }")}, {2, QStringLiteral("p { color: red; }")},
                       {3, QStringLiteral("p { color: red; }")}, {4, QStringLiteral("b { }")}};
    engine.authorRules = {{2, QStringLiteral("p { color: red; }")}, {5, QStringLiteral("i { }")}};
    document->setEngineQueries(&engine);
    DOMElement *paragraph = document->querySelector(QStringLiteral("p"));
    const QList<DOMMatchedRule> rules = document->getNonAuthorMatchedCSSRules(paragraph->firstChild(), QStringLiteral("::before"));
    EXPECT_EQ(rules, (QList<DOMMatchedRule>{{1, QStringLiteral("p { display: block; }")},
                                            {3, QStringLiteral("p { color: red; }")},
                                            {4, QStringLiteral("b { }")}}));
    EXPECT_EQ(engine.lastPseudoElement, QStringLiteral("::before"));
    EXPECT_TRUE(document->getNonAuthorMatchedCSSRules(document.get(), QString()).isEmpty());
    document->setEngineQueries(nullptr);
}

TEST(DOMUtils, ValidatesAttributeNamesOneByOne)
{
    const std::shared_ptr<DOMDocument> document = DOMDocument::create();
    EXPECT_FALSE(document->validateAttribute(QStringLiteral("class=\"a b\" data-x=1 hidden")));
    EXPECT_FALSE(document->validateAttribute(QString()));
    for (const auto &[text, name, value] :
         {std::tuple{QStringLiteral("ok=1 a<b=\"v\" c"), QStringLiteral("a<b"), QStringLiteral("v")},
          std::tuple{QStringLiteral("\tb='1'"), QStringLiteral("\tb"), QStringLiteral("1")},
          std::tuple{QStringLiteral("1x"), QStringLiteral("1x"), QString()}}) {
        const std::optional<DOMAttributeError> error = document->validateAttribute(text);
        ASSERT_TRUE(error) << qPrintable(text);
        EXPECT_EQ(error->domain, QStringLiteral("_DOMAttrbuteError"));
        EXPECT_EQ(error->code, 0);
        EXPECT_EQ(error->attributeName, name);
        EXPECT_EQ(error->attributeValue, value);
    }
}

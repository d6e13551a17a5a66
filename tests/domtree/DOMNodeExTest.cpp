#include "TestPrinters.h"

#include "domtree/DOMNodeEx.h"
#include "domtree/DOMPathComponentCell.h"
#include "domtree/DomNodeMap.h"
#include "domtree/PageTextGenerator.h"
#include "platform/web/dom/DOMDocument.h"
#include "platform/web/dom/DOMElement.h"
#include "platform/web/dom/DOMText.h"
#include "platform/web/html/HTMLParser.h"
#include "workspace/ProjectUtil.h"

#include <gtest/gtest.h>

namespace {

// A parsed page and its tree; the ignore marks read the rules given.
struct Tree
{
    explicit Tree(const QString &body, const QString &ignoreRules = {}, const QStringList &headerIgnore = {})
    {
        DOMNodeEx::setIgnoreSettingsProvider([ignoreRules, headerIgnore] {
            return DOMIgnoreSettings{ProjectUtil::parseIgnoreOption(ignoreRules), headerIgnore};
        });
        document = HTMLParser::parseDocument(QStringLiteral("<!DOCTYPE html><html><head></head><body>") + body
                                             + QStringLiteral("</body></html>"));
        root = DOMNodeEx::initWithNode(document->documentElement()->shared_from_this(), nullptr);
    }
    ~Tree()
    {
        DOMNodeEx::setIgnoreSettingsProvider({});
        DomNodeMap::getInstance().clearMap();
    }

    DOMNodeEx *row(const char *id) const
    {
        return DomNodeMap::getInstance().nodeExforNode(document->getElementById(QString::fromLatin1(id))).get();
    }
    DOMNodeEx *body() const
    {
        return DomNodeMap::getInstance().nodeExforNode(document->body()).get();
    }

    std::shared_ptr<DOMDocument> document;
    DOMNodeExPtr root;
};

} // namespace

TEST(DOMNodeEx, RowsFollowTheNodesAsTheTreeShowsThem)
{
    Tree tree(QStringLiteral("<p id=empty></p><p id=blank> </p><div id=d> <b>x</b> </div>"
                             "<ul id=list><li>a</li></ul><IMG id=i src='a.png'><select id=s multiple></select>"));
    DOMNodeEx *empty = tree.row("empty");
    EXPECT_TRUE(empty->isLeaf());
    ASSERT_EQ(empty->children().size(), 1);
    EXPECT_EQ(empty->children().at(0)->displayName(), QStringLiteral("</p>"));
    EXPECT_TRUE(empty->children().at(0)->isCloseNode());

    // A lone white-space text keeps its row, collapsed to one blank.
    EXPECT_EQ(tree.row("blank")->children().at(0)->displayName(), QStringLiteral(" "));
    // Among several children white-space texts get none.
    EXPECT_EQ(tree.row("d")->debugDump(), QStringLiteral("<div id=\"d\">...</div>\n  <b>...</b>\n    x\n    </b> [close]\n  </div> [close]\n"));

    DOMNodeEx *list = tree.row("list");
    EXPECT_EQ(list->displayName(), QStringLiteral("<ul id=\"list\">...</ul>"));
    list->expand();
    EXPECT_EQ(list->displayName(), QStringLiteral("<ul id=\"list\">"));
    EXPECT_EQ(tree.row("i")->displayName(), QStringLiteral("<img id=\"i\" src=\"a.png\"/>"));
    EXPECT_EQ(tree.row("s")->displayName(), QStringLiteral("<select id=\"s\" multiple>"));
    EXPECT_EQ(list->level(), 2);
    EXPECT_EQ(list->children().constLast()->getIndent(), QStringLiteral("\t\t"));
}

TEST(DOMNodeEx, PrivateCodeIsLeftOutAloneAndTheElementStillCloses)
{
    Tree tree(QStringLiteral("<div id=d><p>1</p><p>2</p><div rel=private-code>secret</div><p>3</p></div>"));
    QStringList names;
    for (const DOMNodeExPtr &child : tree.row("d")->children())
        names.append(child->displayName());
    EXPECT_EQ(names, (QStringList{QStringLiteral("<p>...</p>"), QStringLiteral("<p>...</p>"),
                                  QStringLiteral("<p>...</p>"), QStringLiteral("</div>")}));
}

TEST(DOMNodeEx, ClassNamesAreAddedOnceAndTheLastOneTakesTheAttribute)
{
    Tree tree(QStringLiteral("<p id=p class=a>x</p>"));
    DOMNodeEx *row = tree.row("p");
    row->setClass(QStringLiteral("a b"));
    row->setClass(QStringLiteral("a>b"));
    row->setClass(QStringLiteral(".a"));
    EXPECT_EQ(row->nodeAttributeValue(QStringLiteral("class")), QStringLiteral("a"));
    row->setClass(QStringLiteral("c"));
    EXPECT_TRUE(row->hasClassSelector(QStringLiteral(".c")));
    EXPECT_EQ(row->displayName(), QStringLiteral("<p id=\"p\" class=\"a c\">...</p>"));
    row->removeClass(QStringLiteral("a"));
    row->removeClass(QStringLiteral("c"));
    EXPECT_FALSE(static_cast<DOMElement *>(row->node())->hasAttribute(QStringLiteral("class")));
}

TEST(DOMNodeEx, BreadcrumbTitlesAndPathsNameTheNodes)
{
    Tree tree(QStringLiteral("<div id=main class=x><p class='a b'>abcdefghij  klmnopqrstuvwxyz0123</p><p>y</p></div>"));
    DOMNodeEx *main = tree.row("main");
    EXPECT_EQ(main->getPathTitle(QStringLiteral("DIV")), QStringLiteral("DIV#main"));
    DOMNodeEx *paragraph = main->children().at(0).get();
    EXPECT_EQ(paragraph->getPathTitle(QStringLiteral("P")), QStringLiteral("P.a b"));
    DOMNodeEx *text = paragraph->children().at(0).get();
    EXPECT_EQ(text->getPathTitle(QStringLiteral("#text")), QStringLiteral("abcdefghij klmnopqrs") + QChar(0x2026));

    QStringList path;
    for (DOMNodeEx *step : text->getPath())
        path.append(step->node()->nodeName());
    EXPECT_EQ(path, (QStringList{"HTML", "BODY", "DIV", "P", "#text"}));

    // The second paragraph's path: each step with the siblings before it.
    DOMNodeEx *second = main->children().at(1).get();
    QStringList tags;
    for (const DOMPathInfo &info : second->getPathInfosWithNode())
        tags.append(info.tag + (info.isBrother ? QStringLiteral("+") : QString()));
    EXPECT_EQ(tags, (QStringList{"HTML", "head", "BODY", "DIV", "p+", "P"}));

    const std::shared_ptr<PathComponentCell> cell = main->pathComponentCell();
    EXPECT_EQ(cell->title(), QStringLiteral("DIV#main"));
    EXPECT_EQ(cell->node(), main);
    EXPECT_FALSE(cell->image().isNull());
}

TEST(DOMNodeEx, IgnoreMarksComeFromTheRulesAndReachEverythingInside)
{
    Tree tree(QStringLiteral("<div id=a><p id=p>x</p></div><p id=q>y</p>"), QStringLiteral("#a{ignore:true;}"));
    EXPECT_TRUE(tree.row("a")->ignore());
    DOMNodeEx *inside = tree.row("p");
    EXPECT_TRUE(inside->ignore());
    EXPECT_TRUE(inside->children().at(0)->ignore());
    EXPECT_TRUE(inside->children().at(1)->ignore());
    EXPECT_FALSE(inside->canChangeIgnore());
    EXPECT_FALSE(tree.row("q")->ignore());
    EXPECT_TRUE(tree.row("q")->canChangeIgnore());
    EXPECT_FALSE(tree.row("q")->children().at(0)->canChangeIgnore());
}

TEST(DOMNodeEx, HeaderElementsAreKnownByTheirWholeText)
{
    const QString script = QStringLiteral("<script>\nvar a = 1;\n</script>\n");
    Tree tree(QStringLiteral("<script id=s>var a = 1;</script>"), {}, {script});
    // The identity is written without the formatter, so it is the same every time.
    EXPECT_EQ(tree.row("s")->sourceIncludeChildren(), QStringLiteral("<script id=\"s\">\nvar a = 1;\n</script>\n"));
    Tree marked(QStringLiteral("<script>var a = 1;</script>"), {}, {script});
    const DOMNodeEx *body = marked.body();
    EXPECT_TRUE(body->children().at(0)->ignore());
}

TEST(DOMNodeEx, UseShowsItsTargetOnceAndNeverItselfOrACycle)
{
    Tree tree(QStringLiteral("<svg><defs><g id=shape><circle r=5></circle><use id=inner href='#shape'></use></g></defs>"
                             "<use id=u href='#shape'></use><use id=self href='#self'></use>"
                             "<use id=gone xlink:href='#nothing'></use></svg>"));
    DOMNodeEx *use = tree.row("u");
    EXPECT_FALSE(use->isLeaf());
    ASSERT_EQ(use->children().size(), 2);
    const DOMNodeEx *reference = use->children().at(0).get();
    EXPECT_TRUE(reference->isReferenceNode());
    EXPECT_EQ(reference->node(), tree.document->getElementById(QStringLiteral("shape")));
    EXPECT_EQ(reference->source(), QString());
    // The reference subtree leaves the registry to the real rows.
    EXPECT_NE(tree.row("shape"), reference);
    EXPECT_FALSE(tree.row("shape")->isInReference());

    // A use inside the group it shows would show itself: no reference row.
    EXPECT_EQ(tree.row("inner")->children().size(), 1);
    EXPECT_TRUE(tree.row("inner")->isLeaf());
    EXPECT_EQ(tree.row("self")->children().size(), 1);
    EXPECT_EQ(tree.row("gone")->children().size(), 1);
}

TEST(DOMNodeEx, AHundredThousandNestedElementsBuildAndGoWithoutRecursion)
{
    // As a page script could make them: the parser would cap the nesting.
    // Built from the inside out, which the mirror does in linear time.
    const std::shared_ptr<DOMDocument> document = DOMDocument::create();
    const DOMElementPtr innermost = document->createElement(QStringLiteral("div"));
    DOMElementPtr outer = innermost;
    for (int i = 1; i < 100000; ++i) {
        DOMElementPtr wrapper = document->createElement(QStringLiteral("div"));
        wrapper->appendChild(outer);
        outer = wrapper;
    }
    DOMElementPtr root = document->createElement(QStringLiteral("html"));
    root->appendChild(outer);
    document->appendChild(root);
    DOMNodeExPtr row = DOMNodeEx::initWithNode(root, nullptr);
    const DOMNodeEx *deepest = DomNodeMap::getInstance().nodeExforNode(innermost.get()).get();
    ASSERT_TRUE(deepest);
    EXPECT_EQ(deepest->level(), 100000);
    EXPECT_EQ(row->sourceIncludeChildren().count(QStringLiteral("<div>")), 100000);
    PageTextGenerator generator;
    EXPECT_EQ(generator.generateContentWithFormat(document.get(), {row}, false, true).count(QStringLiteral("</div>")),
              100000);
    row.reset();
    DomNodeMap::getInstance().clearMap();
}

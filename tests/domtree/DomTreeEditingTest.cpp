#include "TestPrinters.h"
#include "TestUtil.h"

#include "DomTreeTestSupport.h"

#include "domtree/AttributeParser.h"
#include "domtree/DOMNodeLists.h"
#include "domtree/DomNodeRowCell.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/kit/Alert.h"
#include "platform/web/dom/DOMNodeList.h"
#include "platform/web/html/HTMLParser.h"

#include <QAction>
#include <QApplication>
#include <QContextMenuEvent>
#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QMenu>
#include <QTimer>

#include <gtest/gtest.h>

namespace DomTreeEditingTest {

namespace {

const QByteArray s_page = "<!DOCTYPE html>\n<html>\n<head>\n<title>Edit</title>\n<script src='a.js'></script>\n"
                          "<link rel='StyleSheet' href='a.css'>\n</head>\n"
                          "<body>\n<div id='box'>\n<p>One</p>\n<p>Two</p>\n</div>\n"
                          "<ul><li>a</li><li>b</li></ul>\n</body>\n</html>\n";

struct Shown : DomTreeHarness
{
    Shown()
        : DomTreeHarness(s_page)
    {
        show(HTMLParser::parseDocument(QString::fromUtf8(s_page)));
    }
    DOMElement *first(const char *selector) const
    {
        const auto found = document->nodeArrayFromSelector(QString::fromLatin1(selector));
        return found && found->length() ? static_cast<DOMElement *>(found->item(0)) : nullptr;
    }
    // The entry of the tree's menu that sends the action, validated for the row.
    QAction *entry(const QString &action, const QString &title = {})
    {
        QList<QMenu *> menus{tree->domtreeMenu()};
        while (!menus.isEmpty()) {
            QMenu *menu = menus.takeFirst();
            for (QAction *item : menu->actions()) {
                if (item->menu())
                    menus.append(item->menu());
                else if (DomTreeDelegate::menuAction(item) == action && (title.isEmpty() || item->text() == title))
                    return item;
            }
        }
        return nullptr;
    }
    bool enabledOn(DOMNodeEx *row, const QString &action, const QString &title = {})
    {
        tree->setContextTargetNode(row);
        return tree->validateMenuItem(entry(action, title));
    }
};

QString nameValue(const QList<QVariantMap> &list)
{
    QStringList parts;
    for (const QVariantMap &entry : list)
        parts.append(entry.value("name").toString() + "=" + entry.value("value").toString());
    return parts.join(QLatin1Char('|'));
}

} // namespace

TEST(DOMNodeLists, CategoriesSortByTheirNumberAndKeepTheirTemplatesInOrder)
{
    const QStringList byNumber = DOMNodeLists::categoriesByNumber();
    ASSERT_EQ(byNumber.size(), 13);
    EXPECT_EQ(byNumber.first(), QStringLiteral("1.Spotlights (22)"));
    EXPECT_LT(byNumber.indexOf("2.Html Element (1)"), byNumber.indexOf("10.Tabular Data (10)"));
    EXPECT_EQ(byNumber.last(), QStringLiteral("13.SVG (53)"));
    // The catalogue's own order is by characters.
    EXPECT_EQ(DOMNodeLists::getNodeByCategory().at(1), QStringLiteral("10.Tabular Data (10)"));
    EXPECT_EQ(DOMNodeLists::nodeByCategory("13.SVG (53)").count("filter"), 2);
    EXPECT_EQ(DOMNodeLists::nodeByCategory("11.Forms (46)").at(33), QStringLiteral("input autofocus"));
    EXPECT_TRUE(DOMNodeLists::nodeByCategory("14.None").isEmpty());
}

TEST(AttributeParser, KeepsAValueWhenTheEqualsSignHasBlanksAroundIt)
{
    EXPECT_EQ(nameValue(AttributeParser::parseAttributes("title = \"a b\" lang= en hidden")),
              QStringLiteral("title=a b|lang=en|hidden="));
    // An unclosed quote loses its value but never the names before it.
    EXPECT_EQ(nameValue(AttributeParser::parseAttributes("id=\"x\" title=\"open")), QStringLiteral("id=x|title="));
}

TEST(DomTreeEditing, TheContextMenuIsEnabledByTheRowItActsOn)
{
    Shown page;
    page.select(page.first("p"));
    DOMNodeEx *p = page.rowOf(page.first("p"));
    DOMNodeEx *text = page.rowOf(page.first("p")->firstChild());
    DOMNodeEx *box = page.rowOf(page.byId("box"));
    ASSERT_TRUE(p && text && box);
    DOMNodeEx *closing = box->children().constLast().get();
    ASSERT_TRUE(closing->isCloseNode());

    // The selector commands: not on texts; the id one only with an id.
    EXPECT_FALSE(page.enabledOn(text, "createSelectorForNode:"));
    EXPECT_TRUE(page.enabledOn(p, "createSelectorForNode:"));
    EXPECT_FALSE(page.enabledOn(p, "createSelectorForId:"));
    EXPECT_TRUE(page.enabledOn(box, "createSelectorForId:"));
    // "Do Not Save": not on a text, a closing row, or inside an ignored element.
    EXPECT_FALSE(page.enabledOn(text, "changeIgnoreSetting:"));
    EXPECT_FALSE(page.enabledOn(closing, "changeIgnoreSetting:"));
    EXPECT_TRUE(page.enabledOn(box, "changeIgnoreSetting:"));
    // Replacing by the same element, or a block by an inline-only one, is refused.
    EXPECT_FALSE(page.enabledOn(box, "swapNode:", "div"));
    EXPECT_TRUE(page.enabledOn(box, "swapNode:", "section"));
    EXPECT_FALSE(page.enabledOn(box, "swapNode:", "span"));
    // A paragraph cannot be wrapped by a span; a text can.
    EXPECT_FALSE(page.enabledOn(p, "containNode:", "span"));
    EXPECT_TRUE(page.enabledOn(text, "containNode:", "span"));
    // Nothing under no row but what needs none.
    EXPECT_FALSE(page.enabledOn(nullptr, "changeIgnoreSetting:"));
    EXPECT_TRUE(page.enabledOn(nullptr, "addNode:", "div"));

    // An ignored element: its entry reads "Save This Element", its children's are off.
    page.tree->setContextTargetNode(box);
    page.tree->changeIgnoreSetting();
    EXPECT_TRUE(box->ignore());
    QAction *ignore = page.entry("changeIgnoreSetting:");
    EXPECT_TRUE(page.enabledOn(box, "changeIgnoreSetting:"));
    EXPECT_EQ(ignore->text(), QStringLiteral("Save This Element"));
    EXPECT_FALSE(page.enabledOn(p, "changeIgnoreSetting:"));
}

TEST(DomTreeEditing, DoNotSaveNamesExactlyOneElementAndTogglesBack)
{
    Shown page;
    DOMElement *second = static_cast<DOMElement *>(page.byId("box")->lastElementChild());
    EXPECT_EQ(DomTreeDelegate::ignoreSelectorOf(second), QStringLiteral("#box > p:nth-child(2)"));
    DOMElement *item = page.first("li");
    EXPECT_EQ(DomTreeDelegate::ignoreSelectorOf(item),
              QStringLiteral("html > body:nth-child(2) > ul:nth-child(2) > li:nth-child(1)"));
    EXPECT_EQ(page.document->numberOfNodesFromSelector(DomTreeDelegate::ignoreSelectorOf(item)), 1);

    page.setProjectSetting(ProjectUtil::kIgnoreOption, QStringLiteral("\n\n.keep{ignore:true;}\n"));
    page.tree->setContextTargetNode(page.rowOf(second));
    page.tree->changeIgnoreSetting();
    EXPECT_EQ(ProjectUtil::getProjectConfig(page.root->path()).value(ProjectUtil::kIgnoreOption).toString(),
              QStringLiteral(".keep{ignore:true;}\n#box > p:nth-child(2){ignore:true;}\n"));
    page.tree->changeIgnoreSetting();
    EXPECT_EQ(ProjectUtil::getProjectConfig(page.root->path()).value(ProjectUtil::kIgnoreOption).toString(),
              QStringLiteral(".keep{ignore:true;}\n"));

    // A header element is kept out by its whole source.
    DOMNodeEx *script = page.rowOf(page.first("script"));
    page.tree->setContextTargetNode(script);
    page.tree->changeIgnoreSetting();
    EXPECT_EQ(ProjectUtil::getProjectConfig(page.root->path()).value(ProjectUtil::kHeaderIgnoreOption).toStringList(),
              QStringList{script->sourceIncludeChildren()});
    page.tree->changeIgnoreSetting();
    EXPECT_TRUE(ProjectUtil::getProjectConfig(page.root->path()).value(ProjectUtil::kHeaderIgnoreOption).toStringList().isEmpty());
}

TEST(DomTreeEditing, TheAttributeEditorShowsEveryValueWhole)
{
    Shown page;
    DOMElement *box = page.byId("box");
    box->setAttribute("title", "say \"hi\" <b/>");
    box->setAttribute("hidden", "");
    page.select(box);
    page.tree->beginSelectedNodeEdit();
    auto *editor = DomNodeRowCell::editorIn(page.tree->outline());
    ASSERT_TRUE(editor);
    EXPECT_EQ(editor->getHead(), QStringLiteral("<div "));
    EXPECT_EQ(editor->attributeEditor()->text(), QStringLiteral("id=\"box\" title='say \"hi\" <b/>' hidden"));
    // Ended without a change, the element is as it was.
    page.tree->escapeEdit();
    page.settle();
    EXPECT_EQ(nameValue(box->attributeList()), QStringLiteral("id=box|title=say \"hi\" <b/>|hidden="));
}

TEST(DomTreeEditing, TheScriptStringEscapesQuotesAndBackslashes)
{
    EXPECT_EQ(DomTreeDelegate::scriptStringOf(QStringLiteral("<p title='a\\b'>\n\n\tx\n</p>")),
              QStringLiteral("'<p title=\\'a\\\\b\\'>' +\n'\tx' +\n'</p>'"));
}

TEST(DomTreeEditing, TablePartsAndTextsAreMadeFromTheirTemplates)
{
    Shown page;
    DOMNodeEx *list = page.rowOf(page.first("ul"));
    for (const char *name : {"thead", "tfoot", "tbody", "caption", "colgroup", "col", "tr", "td"}) {
        const DOMNodeExPtr row = page.tree->domNodeExByTagName(QString::fromLatin1(name), list, false);
        ASSERT_TRUE(row) << name;
        EXPECT_EQ(row->node()->nodeName().toLower(), QString::fromLatin1(name));
    }
    // Auto text: an element shows its own template; a void element stays empty.
    EXPECT_EQ(page.tree->domNodeExByTagName("div", list, true)->node()->textContent(), QStringLiteral("div"));
    EXPECT_EQ(page.tree->domNodeExByTagName("br", list, true)->node()->childCount(), 0);
    const DOMNodeExPtr meta = page.tree->domNodeExByTagName("meta charset='utf-8'", list, true);
    EXPECT_EQ(meta->node()->nodeAttributeValue("charset"), QStringLiteral("utf-8"));
    EXPECT_EQ(page.tree->domNodeExByTagName("#comment", list, false)->node()->nodeValue(), QStringLiteral("comment"));
    EXPECT_FALSE(page.tree->domNodeExByTagName("!DOCTYPE html", list, false));
    // Markup that makes nothing adds nothing.
    EXPECT_FALSE(page.tree->domNodeExByTagName("", list, false));
}

TEST(DomTreeEditing, CommandsOnAReferenceRowOrARemovedNodeDoNothing)
{
    Shown page;
    DOMElement *box = page.byId("box");
    DOMNodeEx *row = page.rowOf(box);
    const DOMNodeExPtr keep = row->shared_from_this();
    box->parentNode()->removeChild(box);
    page.tree->setContextTargetNode(keep.get());
    page.tree->swapNode("section");
    page.tree->addNode("div");
    page.tree->removeChildren();
    EXPECT_FALSE(page.undo.canUndo());
}

TEST(DomTreeEditing, AnImageRowIsSizedByItsPictureWithItsPathRelativeToThePage)
{
    Shown page;
    const QString path = QFileInfo(page.file->path()).path() + QStringLiteral("/img/a b.png");
    QDir().mkpath(QFileInfo(path).path());
    QImage picture(120, 80, QImage::Format_RGB32);
    picture.fill(Qt::red);
    ASSERT_TRUE(picture.save(path));
    const DOMNodeExPtr row = page.tree->domNodeExByImagePath(path, page.rowOf(page.document->body()), false);
    ASSERT_TRUE(row);
    EXPECT_EQ(nameValue(row->node()->attributeList()),
              QStringLiteral("src=img/a%20b.png|width=120|height=80|title=|alt="));
    // A file that cannot be sized gives no size, never 0 by 0.
    const DOMNodeExPtr other = page.tree->domNodeExByImagePath(page.file->path(), nullptr, false);
    EXPECT_EQ(nameValue(other->node()->attributeList()), QStringLiteral("src=index.html|title=|alt="));
}

TEST(DomTreeEditing, ANewStyleSheetAddressAlertsUntilTheAlertIsToldToStayAway)
{
    Shown page;
    int shown = 0;
    bool suppress = false;
    Alert::setResponder([&](Alert &alert) {
        ++shown;
        EXPECT_EQ(alert.messageText(), QStringLiteral("StyleSheet Link Changed.\nPlease Save and Reload to Apply Change."));
        alert.setSuppressionButtonChecked(suppress);
        return int(Alert::FirstButtonReturn);
    });
    const DOMNodePtr link = page.first("link")->shared_from_this();
    const auto withAttributes = [&](const QString &href, const QString &title) {
        page.tree->replaceAttributes(link, link->attributeList(),
                                     {{{"name", "rel"}, {"value", "StyleSheet"}}, {{"name", "href"}, {"value", href}},
                                      {{"name", "title"}, {"value", title}}},
                                     true);
    };
    withAttributes("b.css", "");
    EXPECT_EQ(shown, 1);
    // Another attribute of the link is no new style sheet.
    withAttributes("b.css", "print");
    EXPECT_EQ(shown, 1);
    suppress = true;
    withAttributes("c.css", "print");
    EXPECT_EQ(shown, 2);
    EXPECT_TRUE(UserDefaults::standardUserDefaults().boolForKey("linkChangeAlert"));
    withAttributes("d.css", "print");
    EXPECT_EQ(shown, 2);
    UserDefaults::standardUserDefaults().setBool(false, "linkChangeAlert");
    Alert::setResponder({});
}

TEST(DomTreeEditing, TheMenuKeyOpensTheMenuForTheSelectedRow)
{
    Shown page;
    page.select(page.byId("box"));
    DomTreeOutlineView *outline = page.tree->outline();
    const DOMNode *target = nullptr;
    QString ignoreTitle;
    bool idEnabled = false;
    QTimer::singleShot(100, [&] {
        target = page.tree->contextTargetNode() ? page.tree->contextTargetNode()->node() : nullptr;
        QAction *ignore = page.entry("changeIgnoreSetting:");
        ignoreTitle = ignore->isEnabled() ? ignore->text() : QString();
        idEnabled = page.entry("createSelectorForId:")->isEnabled();
        page.tree->domtreeMenu()->close();
    });
    QContextMenuEvent event(QContextMenuEvent::Keyboard, QPoint(), QPoint());
    QApplication::sendEvent(outline->viewport(), &event);
    EXPECT_EQ(target, page.byId("box"));
    EXPECT_EQ(ignoreTitle, QStringLiteral("Do Not Save This Element"));
    EXPECT_TRUE(idEnabled);
    // The target outlives the menu for the entry's action, then goes.
    EXPECT_TRUE(page.tree->contextTargetNode());
    TestUtil::waitUntil([&page] { return !page.tree->contextTargetNode(); });
    EXPECT_FALSE(page.tree->contextTargetNode());
}

} // namespace DomTreeEditingTest

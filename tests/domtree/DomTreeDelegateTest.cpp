#include "TestPrinters.h"
#include "TestUtil.h"

#include "DomTreeTestSupport.h"
#include "FakeRulesPanel.h"

#include "domtree/DomModifyCoalescer.h"
#include "platform/foundation/DelayedPerform.h"
#include "platform/kit/Alert.h"
#include "platform/kit/OutlineItemModel.h"
#include "platform/kit/PathControl.h"
#include "platform/web/dom/DOMText.h"
#include "platform/web/html/HTMLParser.h"
#include "workspace/PathComponentCell.h"
#include "workspace/WebResource.h"

#include <QDir>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLineEdit>
#include <QTest>

#include <gtest/gtest.h>

namespace DomTreeDelegateTest {

namespace {

const QByteArray s_page = "<!DOCTYPE html>\n<html>\n  <head>\n    <title>Page</title>\n  </head>\n  <body>\n"
                          "    <div id='main' class='box'>\n      <p id='one'>One</p>\n      <p id='two'>Two</p>\n"
                          "      <!-- note -->\n    </div>\n    <ul id='list'><li>a</li><li>b</li></ul>\n  </body>\n</html>\n";

// A page the preview loaded from a web site.
class RemotePage : public WebResource
{
public:
    RemotePage(QString url, QByteArray data) : m_url(std::move(url)), m_data(std::move(data)) {}
    QUrl url() const override { return m_url; }
    QByteArray data() const override { return m_data; }
    QString mimeType() const override { return QStringLiteral("text/html"); }

private:
    QUrl m_url;
    QByteArray m_data;
};

struct Shown : DomTreeHarness
{
    Shown()
        : DomTreeHarness(s_page)
    {
        show(HTMLParser::parseDocument(QString::fromUtf8(s_page)));
    }
};

// A heading, a list of that many items ("i0", "i1", ...) and an aside.
QByteArray listPage(int items)
{
    QByteArray html = "<!DOCTYPE html>\n<html>\n<head>\n<title>List</title>\n</head>\n<body>\n<h1>List</h1>\n"
                      "<ul id=\"list\">\n";
    for (int i = 0; i < items; ++i)
        html += "<li id=\"i" + QByteArray::number(i) + "\">Item " + QByteArray::number(i) + "</li>\n";
    return html + "</ul>\n<aside id=\"aside\"><p>Aside</p></aside>\n</body>\n</html>\n";
}

QStringList pathTitles(PathControl *crumbs)
{
    QStringList titles;
    for (const auto &cell : crumbs->pathComponentCells())
        titles.append(cell->title());
    return titles;
}

} // namespace

TEST(DomModifyCoalescer, ABurstRefreshesAtItsTimeOutAndANewBurstAfterItsDelay)
{
    DomModifyCoalescer coalescer;
    qint64 due = -1;
    for (qint64 at = 0; at <= 4500; at += 500)
        due = coalescer.noteMutation(at, false);
    // One refresh, at the time-out, not 1.0 s after the last mutation.
    EXPECT_EQ(due, 5000);
    coalescer.fired();
    EXPECT_FALSE(coalescer.isPending());
    EXPECT_EQ(coalescer.noteMutation(6000, false), 7000);
    coalescer.fired();
    // The program's own edits refresh at once.
    EXPECT_EQ(coalescer.noteMutation(8000, true), 8100);
}

TEST(DomTreeDelegate, ThePageIsShownAsRowsWithItsRootOpen)
{
    Shown page;
    DomTreeOutlineView *outline = page.tree->outline();
    ASSERT_EQ(page.tree->domNodeList().size(), 1);
    EXPECT_TRUE(outline->isItemExpanded(page.tree->domNodeList().constFirst().get()));
    // html, head, body, </html>.
    EXPECT_EQ(outline->numberOfRows(), 4);
    EXPECT_EQ(outline->itemModel()->data(outline->indexForRow(2), Qt::DisplayRole).toString(),
              QStringLiteral("<body>...</body>"));
    EXPECT_TRUE(page.tree->pairing().isPaired());

    // Selecting a node from elsewhere opens its ancestors.
    page.select(page.byId("two"));
    EXPECT_EQ(page.tree->selectedDomNodeEx()->node(), page.byId("two"));
    EXPECT_GT(outline->numberOfRows(), 8);
}

TEST(DomTreeDelegate, ASelectionIsFollowedByTheBreadcrumbAndTheInspector)
{
    Shown page;
    page.select(page.byId("main"));
    EXPECT_EQ(pathTitles(page.tree->dombreadcramb()),
              (QStringList{"HTML", "BODY", "DIV#main"}));
    EXPECT_EQ(page.inspector->attributeNames(), (QStringList{"id", "class"}));

    // A text row: its parent's attributes are edited, its own list is empty.
    DOMNodeEx *text = page.rowOf(page.byId("one")->firstChild());
    ASSERT_TRUE(text);
    page.tree->selectItem(text);
    ASSERT_TRUE(TestUtil::waitUntil([&] {
        return page.inspector->inspectedNode() && page.inspector->inspectedNode()->node() == page.byId("one");
    }));
    EXPECT_TRUE(page.inspector->attributeNames().isEmpty());
    EXPECT_EQ(pathTitles(page.tree->dombreadcramb()).constLast(), QStringLiteral("One"));
}

// The rules panel lists an element 0.1 s after its selection, once for a
// burst; what the page must answer for it is asked for at each selection,
// so that the answers come during the wait (#88).
TEST(DomTreeDelegate, ASelectionAsksTheRulesPanelAheadAtOnceAndListsItsElementOnceAfterTheWait)
{
    Shown page;
    struct : FakeRulesPanel
    {
        void updateRulesByElement(DOMNode *node) override { listed.append(node); }
        void askAheadForElement(DOMNode *node) override
        {
            askedAhead.append(node);
            shownWhenAsked.append(tree->outline()->isItemShown(tree->searchFile(node)));
        }
        DomTreeDelegate *tree = nullptr;
        QList<DOMNode *> listed;
        QList<DOMNode *> askedAhead;
        QList<bool> shownWhenAsked;
    } rules;
    rules.tree = page.tree;
    page.tree->setCssOutlineDelegate(&rules);
    DOMElement *main = page.byId("main");
    page.tree->selectNode(page.byId("one"));
    page.tree->selectNode(page.byId("two"));
    EXPECT_EQ(rules.askedAhead, (QList<DOMNode *>{page.byId("one"), page.byId("two")}));
    EXPECT_TRUE(rules.listed.isEmpty());
    ASSERT_TRUE(TestUtil::waitUntil([&] { return !rules.listed.isEmpty(); }));
    EXPECT_FALSE(DelayedPerform::isPending(page.tree, "lazySelection"));
    EXPECT_EQ(rules.listed, QList<DOMNode *>{page.byId("two")});

    // A comment stands for its parent element, ahead as after the wait.
    DOMNode *comment = nullptr;
    for (DOMNode *child = main->firstChild(); child; child = child->nextSibling()) {
        if (child->isComment())
            comment = child;
    }
    ASSERT_TRUE(comment && page.rowOf(comment));
    rules.askedAhead.clear();
    page.tree->selectItem(page.rowOf(comment));
    EXPECT_EQ(rules.askedAhead, QList<DOMNode *>{main});
    ASSERT_TRUE(TestUtil::waitUntil([&] { return rules.listed.size() == 2; }));
    EXPECT_EQ(rules.listed.constLast(), main);

    // Inside a closed element the questions go before its rows open, once.
    page.tree->outline()->collapseItem(page.rowOf(main));
    rules.askedAhead.clear();
    rules.shownWhenAsked.clear();
    page.tree->selectNode(page.byId("one"));
    EXPECT_EQ(rules.askedAhead, QList<DOMNode *>{page.byId("one")});
    EXPECT_EQ(rules.shownWhenAsked, QList<bool>{false});
    EXPECT_TRUE(page.tree->outline()->isItemShown(page.rowOf(page.byId("one"))));
    page.tree->setCssOutlineDelegate(nullptr);
}

TEST(DomTreeDelegate, SeveralSelectedRowsAreAlwaysSiblingsAndNeverEndTags)
{
    Shown page;
    page.select(page.byId("one"));
    DomTreeOutlineView *outline = page.tree->outline();
    const int one = outline->rowForItem(page.rowOf(page.byId("one")));
    const int two = outline->rowForItem(page.rowOf(page.byId("two")));
    outline->selectRowIndexes({one, two}, false);
    EXPECT_EQ(outline->selectedRowIndexes(), (QList<int>{one, two}));
    // The end tag of main and main itself are no siblings of the paragraphs.
    const int main = outline->rowForItem(page.rowOf(page.byId("main")));
    const QList<int> proposal{main, one, two, two + 2};
    EXPECT_EQ(page.tree->selectionIndexesForProposedSelection(proposal), (QList<int>{one, two}));
    // A click on a row that is no sibling clears a multiple selection.
    EXPECT_TRUE(page.tree->selectionIndexesForProposedSelection({main}).isEmpty());
}

TEST(DomTreeDelegate, RemovingARowWritesOnlyThatPlaceAndUndoBringsEverythingBack)
{
    Shown page;
    page.select(page.byId("two"));
    page.tree->removeNode();
    EXPECT_FALSE(page.byId("two"));
    page.settle();
    QString expected = QString::fromUtf8(s_page);
    expected.remove(QStringLiteral("\n      <p id='two'>Two</p>"));
    EXPECT_EQ(page.text(), expected);
    EXPECT_EQ(page.refreshes, 1);
    EXPECT_EQ(page.undo.undoActionName(), QStringLiteral("Remove Element"));
    // The tree follows: the row is gone.
    EXPECT_FALSE(page.rowOf(page.document->getElementById(QStringLiteral("two"))));

    page.undo.undo();
    ASSERT_TRUE(page.byId("two"));
    EXPECT_EQ(page.text(), QString::fromUtf8(s_page));
    page.settle();
    // Undo asks for no write of its own.
    EXPECT_EQ(page.refreshes, 1);
    EXPECT_TRUE(page.rowOf(page.byId("two")));
    page.undo.redo();
    EXPECT_EQ(page.text(), expected);
}

TEST(DomTreeDelegate, ThreeEditsInABurstAreOneWriteAndNoneWithoutOverrideHTML)
{
    Shown page;
    page.select(page.byId("main"));
    page.inspector->attrName()->setText(QStringLiteral("title"));
    page.inspector->attrValue()->setText(QStringLiteral("t"));
    page.inspector->addAttr();
    page.inspector->attrName()->setText(QStringLiteral("dir"));
    page.inspector->attrValue()->setText(QStringLiteral("ltr"));
    page.inspector->addAttr();
    page.inspector->attrName()->setText(QStringLiteral("lang"));
    page.inspector->attrValue()->setText(QStringLiteral("en"));
    page.inspector->addAttr();
    page.settle();
    EXPECT_EQ(page.refreshes, 1);
    QString expected = QString::fromUtf8(s_page);
    expected.replace(QStringLiteral("<div id='main' class='box'>"),
                     QStringLiteral("<div id='main' class='box' title='t' dir='ltr' lang='en'>"));
    EXPECT_EQ(page.text(), expected);

    page.setProjectSetting(ProjectUtil::kOverrideHTML, false);
    page.inspector->attrName()->setText(QStringLiteral("data-x"));
    page.inspector->attrValue()->setText(QStringLiteral("rtl"));
    page.inspector->addAttr();
    page.settle();
    EXPECT_EQ(page.refreshes, 1);
    EXPECT_EQ(page.text(), expected);
    page.tree->saveHTML();
    EXPECT_EQ(page.saves, 0);
}

TEST(DomTreeDelegate, TheInspectorLowerCasesHtmlNamesRefusesBadOnesAndUndoesInOrder)
{
    Shown page;
    page.select(page.byId("main"));
    page.inspector->attrName()->setText(QStringLiteral("DATA-X"));
    page.inspector->attrValue()->setText(QStringLiteral("1"));
    page.inspector->addAttr();
    EXPECT_EQ(page.inspector->attributeNames(), (QStringList{"id", "class", "data-x"}));

    QStringList alerts;
    Alert::setResponder([&alerts](const Alert &alert) {
        alerts << alert.messageText() + QLatin1Char('|') + alert.informativeText();
        return int(Alert::FirstButtonReturn);
    });
    page.inspector->attrName()->setText(QStringLiteral("a<b"));
    page.inspector->attrValue()->setText(QStringLiteral("1"));
    page.inspector->addAttr();
    Alert::setResponder({});
    EXPECT_EQ(alerts, QStringList{QStringLiteral("Invalid Attribute Name|[a<b] is invalid Attribute Name.")});
    EXPECT_EQ(page.inspector->attributeNames(), (QStringList{"id", "class", "data-x"}));

    // Removing the first and undoing puts it back first.
    page.undo.loopEnd();
    page.inspector->doRemoveAttr(QStringLiteral("id"), page.document->querySelector(QStringLiteral(".box"))->sharedAs<DOMElement>());
    EXPECT_EQ(page.inspector->attributeNames(), (QStringList{"class", "data-x"}));
    page.undo.undo();
    EXPECT_EQ(page.inspector->attributeNames(), (QStringList{"id", "class", "data-x"}));

    // Each character typed is an undo step of its own.
    page.undo.loopEnd();
    for (const QString &typed : {QStringLiteral("b"), QStringLiteral("bo"), QStringLiteral("box2")})
        page.inspector->changeAttrValue(QStringLiteral("class"), typed), QCoreApplication::processEvents();
    page.undo.undo();
    EXPECT_EQ(page.byId("main")->getAttribute(QStringLiteral("class")), QStringLiteral("bo"));
}

TEST(DomTreeDelegate, UndoOfAPageThatIsGoneDoesNothing)
{
    Shown page;
    page.select(page.byId("two"));
    page.tree->removeNode();
    page.settle();
    const std::shared_ptr<DOMDocument> old = page.document;
    DOMNode *main = old->getElementById(QStringLiteral("main"));
    const int children = main->childCount();
    page.show(HTMLParser::parseDocument(QStringLiteral("<html><body><p>other page</p></body></html>")));
    page.undo.undo();
    EXPECT_EQ(main->childCount(), children);
    EXPECT_EQ(page.document->body()->childCount(), 1);
}

TEST(DomTreeDelegate, ReturnEditsTheRowsAttributesAndDeleteRemovesIt)
{
    Shown page;
    page.select(page.byId("one"));
    page.tree->outline()->setFocus();
    QTest::keyClick(page.tree->outline(), Qt::Key_Return);
    // The row's own attribute editor opens, with the keyboard.
    auto *editor = page.tree->outline()->findChild<QLineEdit *>(QStringLiteral("attributeEditor"));
    ASSERT_TRUE(editor);
    EXPECT_EQ(editor->text(), QStringLiteral("id=\"one\""));
    QTest::keyClick(editor, Qt::Key_Escape);
    page.settle();
    page.select(page.byId("one"));
    QTest::keyClick(page.tree->outline(), Qt::Key_Delete);
    EXPECT_FALSE(page.byId("one"));
}

TEST(DomTreeDelegate, AnEditThatCannotBePlacedInTheFilesTextLeavesItAndIsToldOnce)
{
    QStringList alerts;
    Alert::setResponder([&alerts](Alert &alert) {
        alerts.append(alert.messageText());
        return int(Alert::FirstButtonReturn);
    });
    DomTreeHarness page("");
    page.show(HTMLParser::parseDocument(
        QStringLiteral("<!DOCTYPE html><html><head></head><body><p id=p>x</p><p id=q>y</p></body></html>")));
    EXPECT_FALSE(page.tree->pairing().isPaired());
    page.select(page.byId("p"));
    page.tree->removeNode();
    page.settle();
    // Never the whole page in its place; the edit stays in the page.
    EXPECT_EQ(page.text(), QString());
    EXPECT_EQ(page.byId("p"), nullptr);
    EXPECT_EQ(alerts, QStringList{"The edit is not written into index.html"});
    page.select(page.byId("q"));
    page.tree->removeNode();
    page.settle();
    EXPECT_EQ(alerts.size(), 1);
    page.undo.loopEnd();
    page.undo.undo();
    page.undo.undo();
    EXPECT_TRUE(page.byId("p"));
    EXPECT_EQ(page.text(), QString());
    Alert::setResponder({});
}

TEST(DomTreeDelegate, ARemotePageIsWrittenUnderItsSitesSettingsOrWithoutAny)
{
    Shown page;
    // The project shown forbids writing and keeps #two out; neither applies
    // to a page of no project.
    page.setProjectSetting(ProjectUtil::kOverrideHTML, false);
    page.setProjectSetting(ProjectUtil::kIgnoreOption, QStringLiteral("#two{ignore:true;}"));
    File remote(std::make_shared<RemotePage>(QStringLiteral("http://example.test/news/index.html"), s_page));
    page.tree->setIndexFile(&remote);
    page.select(page.byId("one"));
    page.tree->removeNode();
    page.settle();
    QString expected = QString::fromUtf8(s_page);
    expected.remove(QStringLiteral("\n      <p id='one'>One</p>"));
    EXPECT_EQ(remote.content(), expected);

    // The site's own project minifies.
    const QString sitePath = QFileInfo(page.root->path()).path() + QStringLiteral("/site2");
    QDir().mkpath(sitePath);
    QVariantMap site = ProjectUtil::getProjectConfig(sitePath);
    site.insert(ProjectUtil::kWebMainURL, QStringLiteral("http://example.test/"));
    site.insert(ProjectUtil::kMinifyHTML, true);
    ProjectUtil::saveProjectConfig(site, sitePath);
    page.select(page.byId("list"));
    page.tree->removeNode();
    page.settle();
    EXPECT_FALSE(remote.content()->contains(QStringLiteral("\n  ")));
    EXPECT_TRUE(remote.content()->contains(QStringLiteral("<p id=\"two\">Two</p>")));
}

TEST(DomTreeDelegate, SvgAttributesKeepTheirCase)
{
    DomTreeHarness page("<html><body><svg id=s></svg></body></html>");
    page.show(HTMLParser::parseDocument(QStringLiteral("<html><body><svg id=s></svg></body></html>")));
    page.select(page.byId("s"));
    page.inspector->attrName()->setText(QStringLiteral("viewBox"));
    page.inspector->attrValue()->setText(QStringLiteral("0 0 10 10"));
    page.inspector->addAttr();
    EXPECT_EQ(page.inspector->attributeNames(), (QStringList{"id", "viewBox"}));
}

TEST(DomTreeDelegate, APageScriptsBurstRefreshesTheBodyOnceKeepingTheSelection)
{
    Shown page;
    page.select(page.byId("two"));
    DOMNodeEx *body = page.rowOf(page.document->body());
    DOMNodeEx *main = page.rowOf(page.byId("main"));
    // A script changes a paragraph's text, then adds to the body.
    static_cast<DOMText *>(page.byId("one")->firstChild())->setData(QStringLiteral("Changed"));
    EXPECT_TRUE(page.tree->isDomModifyPending());
    DOMElementPtr added = page.document->createElement(QStringLiteral("section"));
    page.document->body()->appendChild(added);
    ASSERT_TRUE(TestUtil::waitUntil([&] { return !page.tree->isDomModifyPending(); }, 3000));
    // One refresh of the body's subtree: the rows of what stayed stay.
    EXPECT_EQ(page.rowOf(page.document->body()), body);
    EXPECT_EQ(page.rowOf(page.byId("main")), main);
    EXPECT_TRUE(page.rowOf(added.get()));
    EXPECT_EQ(page.rowOf(page.byId("one"))->children().at(0)->displayName(), QStringLiteral("Changed"));
    // The selection is the same element's row again, its ancestors open.
    ASSERT_TRUE(page.tree->selectedDomNodeEx());
    EXPECT_EQ(page.tree->selectedDomNodeEx()->node(), page.byId("two"));
    // Nothing of it reaches the file.
    EXPECT_EQ(page.refreshes, 0);
}

TEST(DomTreeDelegate, APageScriptsMutationsKeepTheRowsOfNodesThatStayedAndLeaveTheRowsANewTreeWouldHave)
{
    Shown page;
    page.select(page.byId("two"));
    DomTreeOutlineView *outline = page.tree->outline();
    DOMNodeEx *main = page.rowOf(page.byId("main"));
    DOMNodeEx *two = page.rowOf(page.byId("two"));
    DOMNodeEx *list = page.rowOf(page.byId("list"));
    outline->expandItem(list);
    // A script adds a paragraph before the first, removes the first, turns
    // the list round, adds a comment and a text, and renames a class.
    DOMElement *mainElement = page.byId("main");
    DOMElementPtr added = page.document->createElement(QStringLiteral("p"));
    added->setAttribute(QStringLiteral("id"), QStringLiteral("added"));
    added->appendChild(page.document->createTextNode(QStringLiteral("New")));
    mainElement->insertBefore(added, page.byId("one"));
    mainElement->removeChild(page.byId("one"));
    DOMElement *ul = page.byId("list");
    ul->appendChild(ul->firstChild()->shared_from_this());
    ul->appendChild(page.document->createComment(QStringLiteral(" later ")));
    page.document->body()->appendChild(page.document->createTextNode(QStringLiteral("tail")));
    mainElement->setAttribute(QStringLiteral("class"), QStringLiteral("wide"));
    ASSERT_TRUE(TestUtil::waitUntil([&] { return !page.tree->isDomModifyPending(); }, 3000));

    // The rows of what stayed are the same rows, open and selected as before.
    EXPECT_EQ(page.rowOf(page.byId("main")), main);
    EXPECT_EQ(page.rowOf(page.byId("two")), two);
    EXPECT_EQ(page.rowOf(page.byId("list")), list);
    EXPECT_TRUE(outline->isItemExpanded(main));
    EXPECT_TRUE(outline->isItemExpanded(list));
    ASSERT_TRUE(page.tree->selectedDomNodeEx());
    EXPECT_EQ(page.tree->selectedDomNodeEx()->node(), page.byId("two"));
    EXPECT_EQ(main->displayName(), QStringLiteral("<div id=\"main\" class=\"wide\">"));

    // Every row is what a tree built now would have, and the outline shows
    // each of them in order.
    page.tree->collapseAll();
    const DOMNodeExPtr fresh = DOMNodeEx::rowForWriting(page.document->documentElement()->shared_from_this());
    EXPECT_EQ(page.tree->domNodeList().constFirst()->debugDump(), fresh->debugDump());
    page.tree->expandAll();
    QList<void *> walked;
    QList<DOMNodeEx *> pending{page.tree->domNodeList().constFirst().get()};
    while (!pending.isEmpty()) {
        DOMNodeEx *row = pending.takeLast();
        walked.append(row);
        if (row->isLeaf())
            continue;
        for (qsizetype i = row->children().size() - 1; i >= 0; --i)
            pending.append(row->children().at(i).get());
    }
    QList<void *> shown;
    for (int row = 0; row < outline->numberOfRows(); ++row)
        shown.append(outline->itemAtRow(row));
    EXPECT_EQ(shown, walked);
}

TEST(DomTreeDelegate, APickInALongClosedListSelectsThatItemAndItsEditIsWrittenThere)
{
    const QByteArray html = listPage(1200);
    DomTreeHarness page(html);
    page.show(HTMLParser::parseDocument(QString::fromUtf8(html)));
    DOMElement *item = page.byId("i1000");
    page.select(item);
    DomTreeOutlineView *outline = page.tree->outline();
    ASSERT_TRUE(page.tree->selectedDomNodeEx());
    EXPECT_EQ(page.tree->selectedDomNodeEx()->node(), item);
    EXPECT_TRUE(outline->viewport()->rect().contains(outline->rectOfRow(outline->selectedRow()).center()));

    page.inspector->attrName()->setText(QStringLiteral("title"));
    page.inspector->attrValue()->setText(QStringLiteral("picked"));
    page.inspector->addAttr();
    page.settle();
    QByteArray expected = html;
    expected.replace("<li id=\"i1000\">", "<li id=\"i1000\" title=\"picked\">");
    EXPECT_EQ(page.text(), QString::fromUtf8(expected));
}

TEST(DomTreeDelegate, ANewDocumentOfThePageOpensOnlyTheLastSelectionsAncestorsAndSelectsItAgain)
{
    const QByteArray html = listPage(1200);
    DomTreeHarness page(html);
    page.show(HTMLParser::parseDocument(QString::fromUtf8(html)));
    page.select(page.byId("i900"));
    // The page loaded again: the same text in a new document.
    page.show(HTMLParser::parseDocument(QString::fromUtf8(html)));
    ASSERT_TRUE(TestUtil::waitUntil([&] {
        const DOMNodeEx *row = page.tree->selectedDomNodeEx();
        return row && row->node() == page.byId("i900");
    }));
    DomTreeOutlineView *outline = page.tree->outline();
    EXPECT_TRUE(outline->isItemExpanded(page.rowOf(page.byId("list"))));
    EXPECT_FALSE(outline->isItemExpanded(page.rowOf(page.byId("aside"))));
    // html, head, body, h1, ul, its items and closing row, aside, </body>, </html>.
    EXPECT_EQ(outline->numberOfRows(), 1200 + 9);
}

} // namespace DomTreeDelegateTest

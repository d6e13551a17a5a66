#include "FakeRulesPanel.h"
#include "TestPrinters.h"
#include "TestUtil.h"
#include "WebTestFixture.h"

#include "LiveDomTreePage.h"

#include "domtree/DomNodeRowCell.h"
#include "domtree/DomTextNodeRowCell.h"
#include "platform/kit/Alert.h"
#include "platform/web/dom/DOMNamespaces.h"
#include "platform/web/engine/WebFrameMirror.h"
#include "platform/web/engine/WebView.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QLineEdit>
#include <QTest>
#include <QUrl>

#include <gtest/gtest.h>

namespace DomTreeEditingLiveTest {

namespace {

const QByteArray s_page =
    "<!DOCTYPE html>\n"
    "<html>\n"
    "  <head>\n"
    "    <title>Edit</title>\n"
    "  </head>\n"
    "  <body>\n"
    "    <div id='box' class='a' title='t'>\n"
    "      <p id='one'>One</p>\n"
    "      <p id='two'>Two</p>\n"
    "      <p id='three' title='it&apos;s \\ here'>Three</p>\n"
    "    </div>\n"
    "    <p id='split'>Hello world</p>\n"
    "    <ul id='list'><li>a</li><li>b</li></ul>\n"
    "    <svg id='pic'><use id='u' xlink:href='#c'/><circle id='c' r='2'/></svg>\n"
    "  </body>\n"
    "</html>\n";

struct LivePage : LiveDomTreePage
{
    LivePage()
        : LiveDomTreePage(s_page)
    {
    }
};

const QString s_original = QString::fromUtf8(s_page);

// Counts the times the rules of an element are listed again.
struct ListingRulesPanel : FakeRulesPanel
{
    void reloadRuleList(int) override { ++listings; }
    void updateRulesByElement(DOMNode *) override { ++listings; }
    int listings = 0;
};

} // namespace

TEST(DomTreeEditingLive, ReplacingAnElementKeepsItsAttributesAndChildrenAndUndoRestoresTheFile)
{
    LivePage page;
    ASSERT_TRUE(page.loaded);
    const int writes = page.refreshes;
    page.target(page.byId("box"));
    page.tree->swapNode(QStringLiteral("section"));
    page.settle();
    // One write for the whole change, only where it was.
    EXPECT_EQ(page.refreshes, writes + 1);
    const QString swapped = page.text();
    EXPECT_TRUE(swapped.startsWith(s_original.left(s_original.indexOf("    <div")))) << swapped.toStdString();
    EXPECT_TRUE(swapped.endsWith(s_original.mid(s_original.indexOf("    <p id='split'>"))));
    EXPECT_TRUE(swapped.contains(QStringLiteral("<section id=\"box\" class=\"a\" title=\"t\">"))) << swapped.toStdString();
    EXPECT_EQ(page.inPage("Array.from(document.getElementById('box').attributes).map(a => a.name).join(',')"),
              QStringLiteral("id,class,title"));
    EXPECT_EQ(page.inPage("document.getElementById('box').localName"), QStringLiteral("section"));
    EXPECT_EQ(page.childIds("box"), QStringLiteral("one,two,three"));
    EXPECT_EQ(page.undo.undoActionName(), QStringLiteral("Change Element"));

    page.undoStep();
    EXPECT_EQ(page.text(), s_original);
    EXPECT_EQ(page.inPage("document.getElementById('box').localName"), QStringLiteral("div"));
    page.redoStep();
    page.tree->saveHTML();
    EXPECT_EQ(page.text(), swapped);
    EXPECT_EQ(page.inPage("document.getElementById('box').localName"), QStringLiteral("section"));
}

TEST(DomTreeEditingLive, WrappingTakesTheSelectedSiblingsInSelectionOrderAndAddingAppendsToAList)
{
    LivePage page;
    ASSERT_TRUE(page.loaded);
    page.select(page.byId("three"));
    DomTreeOutlineView *outline = page.tree->outline();
    outline->selectRowIndexes({outline->rowForItem(page.rowOf(page.byId("one")))}, true);
    ASSERT_EQ(page.tree->selectedDomNodeExs().size(), 2);
    page.target(page.byId("one"));
    page.tree->containNode(QStringLiteral("div"));
    page.settle();
    EXPECT_EQ(page.undo.undoActionName(), QStringLiteral("Wrap Element"));
    // The wrapper holds them as they were selected, and stands before the second.
    EXPECT_EQ(page.inPage("Array.from(document.getElementById('box').firstElementChild.children).map(e => e.id).join(',')"),
              QStringLiteral("three,one"));
    EXPECT_EQ(page.inPage("document.getElementById('box').firstElementChild.nextElementSibling.id"), QStringLiteral("two"));
    page.undoStep();
    EXPECT_EQ(page.text(), s_original);
    EXPECT_EQ(page.childIds("box"), QStringLiteral("one,two,three"));

    page.target(page.byId("list"));
    page.tree->addNode(QStringLiteral("li"));
    page.settle();
    EXPECT_EQ(page.inPage("document.getElementById('list').lastElementChild.textContent"), QStringLiteral("li"));
    EXPECT_NE(page.text(), s_original);
    page.undoStep();
    EXPECT_EQ(page.text(), s_original);
    EXPECT_EQ(page.inPage("document.getElementById('list').children.length"), QStringLiteral("2"));
}

TEST(DomTreeEditingLive, TheRowEditorChangesAttributesLiveAndCommitsThemAsOneUndoStep)
{
    LivePage page;
    ASSERT_TRUE(page.loaded);
    page.select(page.byId("two"));
    page.tree->beginSelectedNodeEdit();
    auto *editor = DomNodeRowCell::editorIn(page.tree->outline());
    ASSERT_TRUE(editor);
    QLineEdit *field = editor->attributeEditor();
    EXPECT_EQ(field->text(), QStringLiteral("id=\"two\""));
    // The text starts selected, as a field does; typing goes after it.
    EXPECT_EQ(field->selectedText(), field->text());
    QTest::keyClick(field, Qt::Key_End);
    QTest::keyClicks(field, QStringLiteral(" title=\"x\""));
    EXPECT_TRUE(TestUtil::waitUntil([&] { return page.inPage("document.getElementById('two').title") == QLatin1String("x"); }));
    // A half-typed invalid name is refused quietly while typing.
    QTest::keyClicks(field, QStringLiteral(" a<b=1"));
    TestUtil::spin(450);
    EXPECT_TRUE(page.alerts.isEmpty());
    EXPECT_EQ(page.byId("two")->attributeCount(), 2);
    // On commit it is refused aloud, and the editor stays; Escape keeps it too.
    QTest::keyClick(field, Qt::Key_Return);
    EXPECT_EQ(page.alerts, QStringList{"Invalid Attribute Name"});
    QTest::keyClick(field, Qt::Key_Escape);
    EXPECT_TRUE(DomNodeRowCell::editorIn(page.tree->outline()));
    field->setText(QStringLiteral("id=\"two\" title=\"x\" lang=\"en\""));
    QTest::keyClick(field, Qt::Key_Return);
    page.settle();
    EXPECT_FALSE(DomNodeRowCell::editorIn(page.tree->outline()));
    QString expected = s_original;
    expected.replace(QStringLiteral("<p id='two'>"), QStringLiteral("<p id='two' title='x' lang='en'>"));
    EXPECT_EQ(page.text(), expected);
    EXPECT_EQ(page.undo.undoActionName(), QStringLiteral("Edit Attributes"));

    // One undo step, back to the attributes before the edit.
    page.undoStep();
    EXPECT_EQ(page.text(), s_original);
    EXPECT_EQ(page.inPage("Array.from(document.getElementById('two').attributes).map(a => a.name).join(',')"),
              QStringLiteral("id"));
    page.redoStep();
    page.tree->saveHTML();
    EXPECT_EQ(page.text(), expected);
}

// A class or style changes which rules match and what they override: the
// panel lists the selected element's rules again after each editor's edit,
// and after its undo and redo, which go round the editors.
TEST(DomTreeEditingLive, TheSelectedElementsRulesAreListedAgainAfterEveryAttributeEditUndoAndRedo)
{
    LivePage page;
    ASSERT_TRUE(page.loaded);
    ListingRulesPanel rules;
    page.tree->setCssOutlineDelegate(&rules);
    DOMElement *two = page.byId("two");
    page.select(two);
    const auto listedAfter = [&](const char *what, const std::function<void()> &step) {
        rules.listings = 0;
        step();
        page.settle();
        EXPECT_GT(rules.listings, 0) << what;
    };
    const auto undoAndRedo = [&](const char *what) {
        listedAfter(what, [&] { page.undoStep(); });
        listedAfter(what, [&] { page.redoStep(); });
    };
    listedAfter("row editor", [&] {
        page.tree->attributeEditEnd(page.rowOf(two), QStringLiteral("id=\"two\" class=\"big\""), two->attributeList(),
                                    QStringLiteral("id=\"two\""));
    });
    undoAndRedo("row editor");
    listedAfter("style panel", [&] { page.tree->styleAttributeEditEnd(two, QStringLiteral("width:10px;")); });
    undoAndRedo("style panel");
    listedAfter("class drop", [&] { page.tree->doAddClassSelector(two->shared_from_this(), QStringLiteral("wide")); });
    undoAndRedo("class drop");
    listedAfter("attributes pane", [&] { page.inspector->changeAttrValue(QStringLiteral("class"), QStringLiteral("big l")); });
    undoAndRedo("attributes pane");

    // Another element's edit leaves the list as it is.
    rules.listings = 0;
    page.tree->styleAttributeEditEnd(page.byId("one"), QStringLiteral("width:10px;"));
    page.settle();
    EXPECT_EQ(rules.listings, 0);
    page.tree->setCssOutlineDelegate(nullptr);
}

// The Attributes pane lists what each editor leaves on the selected element,
// and what its Undo and Redo leave, as soon as the edit is made (#78).
TEST(DomTreeEditingLive, TheAttributesPaneListsEveryEditAndItsUndoAndRedoAtOnce)
{
    LivePage page;
    ASSERT_TRUE(page.loaded);
    DOMElement *two = page.byId("two");
    page.select(two);
    const auto listed = [&] {
        QStringList rows;
        for (const QString &name : page.inspector->attributeNames())
            rows.append(name + u'=' + page.inspector->listedValue(name));
        return rows.join(u' ');
    };
    const auto onElement = [&] {
        QStringList rows;
        for (int i = 0; i < two->attributeCount(); ++i)
            rows.append(two->attributeAt(i)->name() + u'=' + two->attributeAt(i)->value());
        return rows.join(u' ');
    };
    const auto follows = [&](const char *what, const std::function<void()> &step) {
        step();
        EXPECT_EQ(listed(), onElement()) << what;
        page.undo.loopEnd();
        page.undo.undo();
        EXPECT_EQ(listed(), onElement()) << what << ", undone";
        page.undo.redo();
        EXPECT_EQ(listed(), onElement()) << what << ", redone";
        page.settle();
    };
    follows("style panel", [&] { page.tree->styleAttributeEditEnd(two, QStringLiteral("border:solid 14px;")); });
    EXPECT_EQ(page.inspector->listedValue(QStringLiteral("style")), QStringLiteral("border:solid 14px;"));
    follows("style panel again", [&] { page.tree->styleAttributeEditEnd(two, QStringLiteral("width:10px;")); });
    follows("row editor", [&] {
        page.tree->attributeEditEnd(page.rowOf(two), QStringLiteral("id=\"two\" class=\"big\""), two->attributeList(),
                                    LivePage::attributesText(*two));
    });
    follows("class drop", [&] { page.tree->doAddClassSelector(two->shared_from_this(), QStringLiteral("wide")); });
    follows("attributes pane", [&] { page.inspector->changeAttrValue(QStringLiteral("class"), QStringLiteral("big l")); });

    // The page's own change is listed as the page has it.
    page.inPage("document.getElementById('two').setAttribute('title', 'live')");
    EXPECT_TRUE(TestUtil::waitUntil([&] { return page.inspector->listedValue(QStringLiteral("title")) == QLatin1String("live"); }));
    EXPECT_EQ(listed(), onElement());
}

// The style-sheet manager deselects the tree and then shows its rule in the
// rules panel: the tree empties the panel at once, so that nothing it does
// later empties the panel over the manager's rule (#78).
TEST(DomTreeEditingLive, TheManagersDeselectionEmptiesTheRulesPanelAtOnce)
{
    LivePage page;
    ASSERT_TRUE(page.loaded);
    struct : FakeRulesPanel
    {
        void updateRulesByElement(DOMNode *node) override { listed.append(node); }
        QList<DOMNode *> listed;
    } rules;
    page.tree->setCssOutlineDelegate(&rules);
    page.select(page.byId("two"));
    const QList<DOMNode *> selected{page.byId("two")};
    ASSERT_EQ(rules.listed, selected);

    NotificationCenter::defaultCenter().postNotificationName(QStringLiteral("deSelectDomNode"), nullptr);
    const QList<DOMNode *> emptied{page.byId("two"), nullptr};
    EXPECT_EQ(rules.listed, emptied);
    EXPECT_EQ(page.tree->selectedElement(), nullptr);
    page.settle();
    EXPECT_EQ(rules.listed, emptied);
    page.tree->setCssOutlineDelegate(nullptr);
}

// The file gets no empty attribute where the author wrote none; nor does the page.
TEST(DomTreeEditingLive, AStyleThePanelEmptiesOnAnElementWithoutOneLeavesNoAttribute)
{
    LivePage page;
    ASSERT_TRUE(page.loaded);
    DOMElement *one = page.byId("one");
    page.tree->styleAttributeEditEnd(one, QStringLiteral("width:10px;"));
    page.settle();
    page.tree->styleAttributeEditEnd(one, QString());
    page.settle();
    EXPECT_FALSE(one->hasAttribute(QStringLiteral("style")));
    EXPECT_EQ(page.text(), s_original);
    page.undoStep();
    EXPECT_EQ(one->getAttribute(QStringLiteral("style")), QStringLiteral("width:10px;"));
    page.redoStep();
    EXPECT_FALSE(one->hasAttribute(QStringLiteral("style")));

    // An edit shown live while it is made (a drag, a colour being chosen)
    // on an element without a style: its Undo leaves none, in the page too.
    DOMElement *three = page.byId("three");
    page.tree->styleAttributeEditChange(three, QStringLiteral("opacity:0.5;"));
    page.tree->styleAttributeEditChange(three, QStringLiteral("opacity:0.4;"));
    page.tree->styleAttributeEditChange(three, QString());
    EXPECT_FALSE(three->hasAttribute(QStringLiteral("style")));
    page.tree->styleAttributeEditEnd(three, QStringLiteral("opacity:0.4;"), QString());
    page.settle();
    EXPECT_EQ(three->getAttribute(QStringLiteral("style")), QStringLiteral("opacity:0.4;"));
    page.undoStep();
    EXPECT_FALSE(three->hasAttribute(QStringLiteral("style")));
    EXPECT_EQ(page.inPage("String(document.getElementById('three').getAttribute('style'))"), QStringLiteral("null"));
    EXPECT_EQ(page.text(), s_original);

    // An empty style the page had before the user's edits stays.
    DOMElement *two = page.byId("two");
    two->setAttribute(QStringLiteral("style"), QString());
    page.settle();
    page.tree->styleAttributeEditEnd(two, QString());
    EXPECT_TRUE(two->hasAttribute(QStringLiteral("style")));
}

TEST(DomTreeEditingLive, XlinkNamesGoInTheirNamespace)
{
    LivePage page;
    ASSERT_TRUE(page.loaded);
    DOMElement *use = page.byId("u");
    ASSERT_TRUE(use);
    EXPECT_TRUE(page.tree->replaceAttributes(use->shared_from_this(), use->attributeList(),
                                             {{{"name", "id"}, {"value", "u"}}, {{"name", "xlink:href"}, {"value", "#pic"}},
                                              {{"name", "viewBox"}, {"value", "0 0 1 1"}}},
                                             true));
    ASSERT_TRUE(use->getAttributeNodeNS(DOMNamespaces::xlink, QStringLiteral("href")));
    EXPECT_EQ(page.inPage("document.getElementById('u').getAttributeNS('http://www.w3.org/1999/xlink', 'href')"),
              QStringLiteral("#pic"));
    EXPECT_EQ(page.inPage("document.getElementById('u').getAttribute('viewBox')"), QStringLiteral("0 0 1 1"));
}

TEST(DomTreeEditingLive, SplittingATextInsertsALineBreakAndOneUndoRestoresIt)
{
    LivePage page;
    ASSERT_TRUE(page.loaded);
    page.select(page.byId("split")->firstChild());
    page.tree->domTextSplit(QStringLiteral("Hello world"), 5);
    page.settle();
    EXPECT_EQ(page.inPage("document.getElementById('split').innerHTML"), QStringLiteral("Hello<br> world"));
    EXPECT_EQ(page.undo.undoActionName(), QStringLiteral("Insert BR"));
    // The second text is selected and then edited.
    TestUtil::waitUntil([&page] { return DomTextNodeRowCell::editorIn(page.tree->outline()) != nullptr; });
    auto *editor = DomTextNodeRowCell::editorIn(page.tree->outline());
    ASSERT_TRUE(editor);
    EXPECT_EQ(editor->toPlainText(), QStringLiteral(" world"));
    page.tree->escapeEdit();
    page.undoStep();
    EXPECT_EQ(page.text(), s_original);
    EXPECT_EQ(page.inPage("document.getElementById('split').innerHTML"), QStringLiteral("Hello world"));

    // At the end of the text only the line break is added.
    page.select(page.byId("split")->firstChild());
    page.tree->domTextSplit(QStringLiteral("Hello world"), 11);
    page.settle();
    EXPECT_EQ(page.inPage("document.getElementById('split').innerHTML"), QStringLiteral("Hello world<br>"));
}

TEST(DomTreeEditingLive, DoNotSaveDropsTheElementsLinesAndBringsThemBack)
{
    LivePage page;
    ASSERT_TRUE(page.loaded);
    page.target(page.byId("three"));
    page.tree->changeIgnoreSetting();
    page.settle();
    QString expected = s_original;
    expected.remove(QStringLiteral("\n      <p id='three' title='it&apos;s \\ here'>Three</p>"));
    EXPECT_EQ(page.text(), expected);
    page.target(page.byId("three"));
    page.tree->changeIgnoreSetting();
    page.settle();
    EXPECT_EQ(page.text(), s_original);
}

TEST(DomTreeEditingLive, TheScriptStringEvaluatesToTheCopiedHtml)
{
    LivePage page;
    ASSERT_TRUE(page.loaded);
    page.target(page.byId("box"));
    page.tree->clipSource();
    const QString html = QGuiApplication::clipboard()->text();
    EXPECT_TRUE(html.startsWith(QStringLiteral("<div id='box' class='a' title='t'>\n  <p id='one'>")));
    page.tree->clipSourceCode();
    const QString script = QGuiApplication::clipboard()->text();
    QString joined;
    for (const QString &line : html.split(QLatin1Char('\n'))) {
        if (!line.isEmpty())
            joined += line;
    }
    EXPECT_EQ(page.fixture.evaluate(script).toString(), joined);
}

} // namespace DomTreeEditingLiveTest

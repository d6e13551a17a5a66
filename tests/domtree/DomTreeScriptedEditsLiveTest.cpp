#include "TestPrinters.h"

#include "LiveDomTreePage.h"

#include "platform/foundation/NotificationCenter.h"

#include <QLineEdit>

#include <gtest/gtest.h>

namespace DomTreeScriptedEditsLiveTest {

namespace {

// A slideshow whose script classes and styles its sections at load and
// keeps toggling a class on a timer, and classes the list.
const QByteArray s_page =
    "<!DOCTYPE html>\n"
    "<html>\n"
    "  <head>\n"
    "    <title>Slides</title>\n"
    "  </head>\n"
    "  <body>\n"
    "    <section id='s1' class='slide'>\n"
    "      <h2>One</h2>\n"
    "    </section>\n"
    "    <section id='s2' class='slide' style='color: red'>\n"
    "      <h2>Two</h2>\n"
    "    </section>\n"
    "    <ul id='list'>\n"
    "      <li>a</li>\n"
    "    </ul>\n"
    "    <p id='p'>x</p>\n"
    "    <script>\n"
    "      for (const s of document.querySelectorAll('section')) {\n"
    "        s.classList.add('present');\n"
    "        s.style.display = 'list-item';\n"
    "        s.style.top = '206.5px';\n"
    "      }\n"
    "      document.getElementById('list').classList.add('js');\n"
    "      let n = 0;\n"
    "      setInterval(function () { n += 1; document.getElementById('s1').classList.toggle('past', n % 2 == 1); }, 2000);\n"
    "    </script>\n"
    "  </body>\n"
    "</html>\n";

const QString s_original = QString::fromUtf8(s_page);

struct SlidesPage : LiveDomTreePage
{
    SlidesPage()
        : LiveDomTreePage(s_page)
    {
        TestUtil::waitUntil([this] { return byId("s2") && byId("s2")->getAttribute(QStringLiteral("class")).contains(QStringLiteral("present")); });
    }

    // The row editor's edit: the live attributes as shown, typed over.
    void editAttributes(const char *id, const QString &text)
    {
        DOMElement *element = byId(id);
        tree->attributeEditEnd(rowOf(element), text, element->attributeList(), attributesText(*element));
        settle();
    }
    // The style panel's edit: its own text before and after.
    void editStyle(const char *id, const QString &editedFrom, const QString &styleValue)
    {
        tree->styleAttributeEditEnd(byId(id), styleValue, editedFrom);
        settle();
    }
    // Saved as the shell saves: the page written, then the file.
    void save()
    {
        tree->saveHTML();
        settle();
        file->save();
    }
    QString withReplaced(const char *from, const char *to) const
    {
        return QString(s_original).replace(QString::fromUtf8(from), QString::fromUtf8(to));
    }
};

} // namespace

TEST(DomTreeScriptedEditsLive, StyleAndClassEditsWriteTheUsersPartAloneAndUndoAfterASaveGivesTheBytesBack)
{
    SlidesPage page;
    ASSERT_TRUE(page.loaded);
    const QString live = page.byId("s1")->getAttribute(QStringLiteral("style"));
    ASSERT_TRUE(live.contains(QStringLiteral("206.5px"))) << live.toStdString();

    // The panel's width on a section the author gave no style.
    page.editStyle("s1", QStringLiteral("display:list-item; top:206.5px;"),
                   QStringLiteral("display:list-item; top:206.5px; width:10px;"));
    const QString styled = page.withReplaced("<section id='s1' class='slide'>", "<section id='s1' class='slide' style='width:10px;'>");
    EXPECT_EQ(page.text(), styled);
    EXPECT_EQ(page.undo.undoActionName(), QStringLiteral("Edit Attributes"));
    page.save();
    page.undoStep();
    EXPECT_EQ(page.text(), s_original);
    page.save();
    EXPECT_EQ(page.text(), s_original);
    EXPECT_FALSE(page.undo.canUndo());
    page.redoStep();
    EXPECT_EQ(page.text(), styled);
    page.undoStep();

    // The author's style keeps its layout.
    page.editStyle("s2", QStringLiteral("display:list-item; top:206.5px; color:red;"),
                   QStringLiteral("display:list-item; top:206.5px; color:blue;"));
    EXPECT_EQ(page.text(), page.withReplaced("style='color: red'", "style='color: blue'"));
    page.undoStep();

    // A class typed beside the script's.
    const QString shown = page.byId("s2")->getAttribute(QStringLiteral("class"));
    page.editAttributes("s2", LiveDomTreePage::attributesText(*page.byId("s2")).replace(shown, shown + QStringLiteral(" big")));
    const QString classed = page.withReplaced("<section id='s2' class='slide'", "<section id='s2' class='slide big'");
    EXPECT_EQ(page.text(), classed);
    page.save();
    page.undoStep();
    page.save();
    EXPECT_EQ(page.text(), s_original);
    EXPECT_EQ(page.undo.redoActionName(), QStringLiteral("Edit Attributes"));
    page.redoStep();
    EXPECT_EQ(page.text(), classed);
    EXPECT_TRUE(page.alerts.isEmpty()) << page.alerts.join(u' ').toStdString();
}

TEST(DomTreeScriptedEditsLive, EachKeystrokeInTheAttributesPaneIsANamedStepOfPageAndFile)
{
    SlidesPage page;
    ASSERT_TRUE(page.loaded);
    page.select(page.byId("s1"));
    const QString shown = page.byId("s1")->getAttribute(QStringLiteral("class"));
    page.inspector->changeAttrValue(QStringLiteral("class"), shown + QStringLiteral(" b"));
    page.settle();
    page.inspector->changeAttrValue(QStringLiteral("class"), shown + QStringLiteral(" bi"));
    page.settle();
    EXPECT_EQ(page.text(), page.withReplaced("<section id='s1' class='slide'>", "<section id='s1' class='slide bi'>"));
    EXPECT_EQ(page.undo.undoActionName(), QStringLiteral("Edit Attributes"));
    page.undoStep();
    EXPECT_EQ(page.text(), page.withReplaced("<section id='s1' class='slide'>", "<section id='s1' class='slide b'>"));
    EXPECT_TRUE(page.byId("s1")->getAttribute(QStringLiteral("class")).endsWith(QStringLiteral(" b")));
    EXPECT_EQ(page.undo.undoActionName(), QStringLiteral("Edit Attributes"));
    page.undoStep();
    EXPECT_EQ(page.text(), s_original);
    EXPECT_FALSE(page.undo.canUndo());
}

TEST(DomTreeScriptedEditsLive, AfterTheDisksTextIsTakenOnlyLaterEditsAreWritten)
{
    SlidesPage page;
    ASSERT_TRUE(page.loaded);
    const QString shown = page.byId("s2")->getAttribute(QStringLiteral("class"));
    page.editAttributes("s2", LiveDomTreePage::attributesText(*page.byId("s2")).replace(shown, shown + QStringLiteral(" big")));
    page.save();
    // Another program puts the file back; the program takes its text.
    TestUtil::writeFile(page.file->path(), s_page);
    ASSERT_EQ(page.file->settleOutsideChange(), File::DiskCheck::TookDiskVersion);
    ASSERT_EQ(page.text(), s_original);

    page.editStyle("s2", QStringLiteral("display:list-item; top:206.5px; color:red;"),
                   QStringLiteral("display:list-item; top:206.5px; color:red; left:1px;"));
    EXPECT_EQ(page.text(), page.withReplaced("style='color: red'", "style='color: red; left: 1px'"));
}

TEST(DomTreeScriptedEditsLive, AnEditLivesOnThroughEveryCopyOfItsNode)
{
    SlidesPage page;
    ASSERT_TRUE(page.loaded);
    const auto wrap = [&page](const char *id) {
        page.select(page.byId(id));
        page.target(page.byId(id));
        page.tree->containNode(QStringLiteral("div"));
        page.settle();
    };
    wrap("list");
    page.editAttributes("list", QStringLiteral("id=\"list\" title=\"t\""));
    ASSERT_TRUE(page.text().contains(QStringLiteral("<ul id='list' title='t'>"))) << page.text().toStdString();
    wrap("list");
    EXPECT_TRUE(page.text().contains(QStringLiteral("<ul id='list' title='t'>"))) << page.text().toStdString();

    wrap("p");
    ASSERT_TRUE(page.typeText(page.byId("p")->firstChild(), QStringLiteral("edited")));
    wrap("p");
    EXPECT_TRUE(page.text().contains(QStringLiteral("<p id=\"p\">edited</p>"))) << page.text().toStdString();

    // Another element in its place: the copy's start tag, not the script's class.
    page.target(page.byId("list"));
    page.tree->swapNode(QStringLiteral("ol"));
    page.settle();
    EXPECT_TRUE(page.text().contains(QStringLiteral("<ol id=\"list\" title=\"t\">"))) << page.text().toStdString();

    while (page.undo.canUndo())
        page.undoStep();
    EXPECT_EQ(page.text(), s_original);
}

TEST(DomTreeScriptedEditsLive, AnEditOfAnElementTheFileNoLongerHoldsIsRefusedBeforeAnythingChanges)
{
    SlidesPage page;
    ASSERT_TRUE(page.loaded);
    // The code view took the second section out of the text.
    const QString without = page.withReplaced("    <section id='s2' class='slide' style='color: red'>\n      <h2>Two</h2>\n    </section>\n", "");
    page.file->setContent(without);
    const QString style = page.byId("s2")->getAttribute(QStringLiteral("style"));
    page.editStyle("s2", QStringLiteral("color:red;"), QStringLiteral("color:blue;"));
    EXPECT_EQ(page.alerts, QStringList{QStringLiteral("The edit is not made")});
    EXPECT_EQ(page.byId("s2")->getAttribute(QStringLiteral("style")), style);
    EXPECT_EQ(page.text(), without);
}

// A data table whose script, once the tree is shown, wraps the table,
// sorts its rows and moves a note to the end of the body; and a list of
// tabs whose script adds a marker copied from the first tab at load.
const QByteArray s_scriptedPage =
    "<!DOCTYPE html>\n"
    "<html>\n"
    "  <body>\n"
    "    <div id='holder'>\n"
    "      <table id='t'>\n"
    "        <tr id='r1'><td id='c1'>b</td></tr>\n"
    "        <tr id='r2'><td id='c2'>a</td></tr>\n"
    "      </table>\n"
    "      <div id='note'>n</div>\n"
    "    </div>\n"
    "    <div id='row'></div>\n"
    "    <div id='col'>\n"
    "      <ul id='tabs'><li><a id='first' href='#'>x</a></li></ul>\n"
    "    </div>\n"
    "    <script>\n"
    "      const tabs = document.getElementById('tabs');\n"
    "      const marker = document.createElement('div');\n"
    "      marker.id = 'marker';\n"
    "      marker.appendChild(document.getElementById('first').cloneNode());\n"
    "      tabs.appendChild(marker);\n"
    "      function render() {\n"
    "        const table = document.getElementById('t');\n"
    "        const wrapper = document.createElement('div');\n"
    "        wrapper.id = 'wrapper';\n"
    "        table.before(wrapper);\n"
    "        wrapper.appendChild(table);\n"
    "        document.getElementById('r1').before(document.getElementById('r2'));\n"
    "        document.body.appendChild(document.getElementById('note'));\n"
    "      }\n"
    "    </script>\n"
    "  </body>\n"
    "</html>\n";

struct ScriptedPage : LiveDomTreePage
{
    ScriptedPage()
        : LiveDomTreePage(s_scriptedPage)
    {
    }
    // The Attributes pane's add field, on the element selected.
    void addAttribute(const QString &name, const QString &value)
    {
        inspector->attrName()->setText(name);
        inspector->attrValue()->setText(value);
        inspector->addAttr();
        settle();
    }
    QString withReplaced(const char *from, const char *to) const
    {
        return QString::fromUtf8(s_scriptedPage).replace(QString::fromUtf8(from), QString::fromUtf8(to));
    }
};

TEST(DomTreeScriptedEditsLive, EditsInsideElementsAPageScriptMovedAreWrittenWhereTheFileHasThem)
{
    ScriptedPage page;
    ASSERT_TRUE(page.loaded);
    page.fixture.evaluate(QStringLiteral("render()"), WebTestFixture::World::Page);
    ASSERT_TRUE(TestUtil::waitUntil([&page] {
        const DOMElement *note = page.byId("note");
        return page.byId("wrapper") && note && note->parentNode() == page.document->body();
    }));

    // A cell pasted at a cell of a row the script sorted, in the table it wrapped.
    page.select(page.byId("c1"));
    page.tree->copy();
    page.select(page.byId("c2"));
    page.tree->paste();
    page.settle();
    const QString pasted = page.withReplaced("<td id='c2'>a</td></tr>", "<td id='c2'>a</td>\n          <td id='c1'>b</td></tr>");
    EXPECT_EQ(page.text(), pasted);

    // An attribute of the note the script moved out of its element.
    page.select(page.byId("note"));
    page.addAttribute(QStringLiteral("title"), QStringLiteral("t"));
    EXPECT_EQ(page.text(), QString(pasted).replace(QStringLiteral("<div id='note'>"), QStringLiteral("<div id='note' title='t'>")));

    while (page.undo.canUndo())
        page.undoStep();
    EXPECT_EQ(page.text(), QString::fromUtf8(s_scriptedPage));
    EXPECT_TRUE(page.alerts.isEmpty()) << page.alerts.join(u' ').toStdString();
}

TEST(DomTreeScriptedEditsLive, WhatAPageScriptMadeInsideAnElementRefusesEditsAfterAMoveAndIsNotCopied)
{
    ScriptedPage page;
    ASSERT_TRUE(page.loaded);
    ASSERT_TRUE(page.byId("marker"));
    const std::unique_ptr<QMimeData> mime = page.dragRows({"col"});
    ASSERT_TRUE(mime);
    ASSERT_TRUE(page.dropOn(mime.get(), page.rowById("row"), -1));
    const QString moved = page.text();
    ASSERT_NE(moved, QString::fromUtf8(s_scriptedPage));

    // The marker and its link went along in the page; the file never gets them.
    const DOMElement *marker = page.byId("marker");
    for (const DOMNode *made : std::initializer_list<const DOMNode *>{marker, marker->firstChild()}) {
        page.alerts.clear();
        page.select(made);
        page.addAttribute(QStringLiteral("title"), QStringLiteral("t"));
        EXPECT_EQ(page.alerts, QStringList{QStringLiteral("The edit is not made")});
        EXPECT_FALSE(static_cast<const DOMElement *>(made)->hasAttribute(QStringLiteral("title")));
        EXPECT_EQ(page.text(), moved);
    }

    // A wrap puts copies in: the page gets no copy of the marker, as the file does not.
    page.select(page.byId("col"));
    page.target(page.byId("col"));
    page.tree->containNode(QStringLiteral("div"));
    page.settle();
    EXPECT_TRUE(page.text().contains(QStringLiteral("<div>\n        <div id='col'>"))) << page.text().toStdString();
    EXPECT_EQ(page.inPage(QStringLiteral("document.querySelectorAll('#marker, #tabs a').length")), QStringLiteral("1"));
    EXPECT_FALSE(page.byId("marker"));
}

// After a paste inside the table the script wrapped, text typed into the
// page's code view is followed, and the table stays held to its text, so
// a later edit of a cell is written where the file has it.
TEST(DomTreeScriptedEditsLive, TypingAfterAPasteInsideWhatAPageScriptMovedIsFollowedAndEditsStillWrite)
{
    ScriptedPage page;
    ASSERT_TRUE(page.loaded);
    page.fixture.evaluate(QStringLiteral("render()"), WebTestFixture::World::Page);
    ASSERT_TRUE(TestUtil::waitUntil([&page] { return page.byId("wrapper") != nullptr; }));
    page.select(page.byId("c1"));
    page.tree->copy();
    page.select(page.byId("c2"));
    page.tree->paste();
    page.settle();

    QString typed = page.text();
    typed.replace(QStringLiteral("<div id='row'></div>"), QStringLiteral("<div id='row'></div><p id='typed'>t</p>"));
    ASSERT_TRUE(page.file->setContent(typed));
    NotificationCenter::defaultCenter().postNotificationName(QStringLiteral("refreshFileContent"), &page,
                                                             {{QStringLiteral("file"), QVariant::fromValue(page.file)}});
    page.settle();
    EXPECT_TRUE(page.byId("typed"));
    for (const char *id : {"t", "r1", "r2", "c1", "c2"})
        EXPECT_TRUE(page.tree->isInFileText(page.byId(id))) << id;

    page.select(page.byId("c2"));
    page.addAttribute(QStringLiteral("title"), QStringLiteral("t"));
    EXPECT_EQ(page.text(), QString(typed).replace(QStringLiteral("<td id='c2'>"), QStringLiteral("<td id='c2' title='t'>")));
    EXPECT_TRUE(page.alerts.isEmpty()) << page.alerts.join(u' ').toStdString();
}

// An undo and redo of another file's step after a tree edit leave the page
// held to its text as it was: the table the script wrapped, inside the
// stretch of text the edit changed, stays paired, and Undo of everything
// gives the text back.
TEST(DomTreeScriptedEditsLive, UndoOfAnotherFilesStepKeepsWhatAScriptMovedHeldToTheText)
{
    ScriptedPage page;
    ASSERT_TRUE(page.loaded);
    page.fixture.evaluate(QStringLiteral("render()"), WebTestFixture::World::Page);
    ASSERT_TRUE(TestUtil::waitUntil([&page] { return page.byId("wrapper") != nullptr; }));
    // Typed into the page's code view first, so the tree follows replays.
    const QString typed = QString::fromUtf8(s_scriptedPage).replace(QStringLiteral("  </body>"), QStringLiteral("  <!--t-->\n  </body>"));
    ASSERT_TRUE(page.file->setContent(typed));
    NotificationCenter::defaultCenter().postNotificationName(QStringLiteral("refreshFileContent"), &page,
                                                             {{QStringLiteral("file"), QVariant::fromValue(page.file)}});
    page.settle();
    const std::unique_ptr<QMimeData> mime = page.dragRows({"row"});
    ASSERT_TRUE(mime);
    ASSERT_TRUE(page.dropOn(mime.get(), page.rowById("holder"), 0));
    const QString moved = page.text();
    ASSERT_NE(moved, typed);
    ASSERT_TRUE(page.tree->isInFileText(page.byId("t")));

    QObject sheet;
    page.undo.registerUndoWithTarget(&sheet, "typing", [] {});
    page.undo.setActionName(QStringLiteral("Typing"));
    page.undo.loopEnd();
    page.undoStep();
    page.redoStep();
    for (const char *id : {"t", "r1", "r2", "c1", "c2", "row"})
        EXPECT_TRUE(page.tree->isInFileText(page.byId(id))) << id;
    EXPECT_EQ(page.text(), moved);

    while (page.undo.canUndo())
        page.undoStep();
    EXPECT_EQ(page.text(), QString::fromUtf8(s_scriptedPage));
    EXPECT_TRUE(page.alerts.isEmpty()) << page.alerts.join(u' ').toStdString();
}

} // namespace DomTreeScriptedEditsLiveTest

#include "TestUtil.h"

#include "DomTreeTestSupport.h"

#include "domtree/BootStrapComponent.h"
#include "domtree/DomNodeListDelegate.h"
#include "domtree/SnippetDropView.h"
#include "platform/web/html/HTMLParser.h"
#include "toolkit/DragPayload.h"
#include "toolkit/OutlineViewEx.h"
#include "toolkit/RBLPopover.h"
#include "toolkit/SearchFieldEx.h"

#include <QComboBox>
#include <QDir>
#include <QLineEdit>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

// A palette over a snippet library in a home folder of its own.
class PaletteTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_oldHome = qgetenv("HOME");
        qputenv("HOME", m_home.path().toLocal8Bit());
        SnippetUtil::unloadStore();
        DomNodeListDelegate::resetForTesting();
        palette = std::make_unique<DomNodeListDelegate>();
        palette->awakeFromNib();
    }
    void TearDown() override
    {
        palette.reset();
        DomNodeListDelegate::resetForTesting();
        SnippetUtil::unloadStore();
        qputenv("HOME", m_oldHome);
    }
    QStringList searchFor(const QString &text)
    {
        palette->searchField()->setText(text);
        palette->search();
        return palette->elementTitles();
    }
    QStringList categoryTitles() const
    {
        QStringList titles;
        for (int i = 0; i < palette->categorySelector()->count(); ++i)
            titles << palette->categorySelector()->itemText(i);
        return titles;
    }
    // The drag data of the row.
    std::optional<QVariant> dragOfRow(int row)
    {
        QMimeData mime;
        if (!palette->writeItems(palette->domNodeList(), {palette->domNodeList()->itemAtRow(row)}, &mime))
            return std::nullopt;
        return DragPayload::domNodeDragCopy(&mime);
    }

    std::unique_ptr<DomNodeListDelegate> palette;

private:
    QTemporaryDir m_home;
    QByteArray m_oldHome;
};

QStringList bracketed(const QStringList &templates)
{
    QStringList titles;
    for (const QString &entry : templates)
        titles << QStringLiteral("< %1 >").arg(entry);
    return titles;
}

} // namespace

TEST_F(PaletteTest, TemplateSearchSkipsTheSpotlightKeepsDuplicatesAndFollowsCharacterOrder)
{
    EXPECT_EQ(DomNodeListDelegate::paletteCategoryTitle(), QStringLiteral("1.Spotlights (22)"));
    EXPECT_EQ(categoryTitles().value(1), QStringLiteral("2.Html Element (1)"));
    EXPECT_EQ(categoryTitles().constLast(), QStringLiteral("13.SVG (53)"));

    const QStringList in = searchFor(QStringLiteral("in"));
    ASSERT_EQ(in.size(), 33);
    EXPECT_EQ(in.first(), QStringLiteral("< input >"));
    EXPECT_EQ(in.at(31), QStringLiteral("< input multiple >"));
    // "8.Edits" comes after "13.SVG" in character order.
    EXPECT_EQ(in.constLast(), QStringLiteral("< ins >"));
    EXPECT_EQ(searchFor(QStringLiteral("IN")), in);
    EXPECT_EQ(searchFor(QStringLiteral("filter")), bracketed({"filter", "filter"}));
    EXPECT_EQ(searchFor(QStringLiteral("h1")), bracketed({"h1"}));
    // Clearing the field shows the category again, not every template.
    EXPECT_EQ(searchFor(QString()).size(), 22);
    palette->categorySelector()->setCurrentIndex(2);
    EXPECT_EQ(DomNodeListDelegate::paletteCategoryTitle(), QStringLiteral("3.Document Metadata (10)"));
    EXPECT_EQ(searchFor(QString()).value(6), QStringLiteral("< meta charset='utf-8' >"));
}

TEST_F(PaletteTest, DragsCarryTheTemplateOrTheWholeSnippetRecord)
{
    palette->categorySelector()->setCurrentIndex(2);
    EXPECT_EQ(dragOfRow(6), QVariant(QStringLiteral("meta charset='utf-8'")));

    palette->addSnippetwithText(QStringLiteral("<b>bold</b>"));
    EXPECT_EQ(DomNodeListDelegate::paletteListMode(), int(DomNodeListDelegate::Snippets));
    const std::optional<QVariant> record = dragOfRow(0);
    ASSERT_TRUE(record);
    const QVariantMap map = record->toMap();
    EXPECT_EQ(map.value(QStringLiteral("content")).toString(), QStringLiteral("<b>bold</b>"));
    EXPECT_EQ(map.value(QStringLiteral("category")).toString(), QStringLiteral("Other"));
    EXPECT_TRUE(map.contains(QStringLiteral("locked")));
}

TEST_F(PaletteTest, SnippetsFromTextCssAndNodesGetTheirTitlesAndCategories)
{
    palette->addSnippetwithText(QStringLiteral("\n\n\tone  two\n\tthree   four five six seven\n"));
    EXPECT_EQ(palette->elementTitles(), QStringList{"onetwothree four five si"});
    EXPECT_EQ(palette->categorySelector()->currentText(), QStringLiteral("Other (1)"));
    EXPECT_EQ(palette->domNodeList()->model()->index(0, 0).data(Qt::ToolTipRole).toString().toStdString(),
              "one  two\nthree   four five six seven");

    palette->addSnippetWithCSSText(QStringLiteral(".a {\n\tcolor: red;\n}"));
    EXPECT_EQ(palette->categorySelector()->currentText(), QStringLiteral("CSS (%1)").arg(SnippetUtil::snippetsInCategory("CSS").size()));
    EXPECT_EQ(palette->elementTitles().constLast(), QStringLiteral(".a {color: red;}"));

    DomTreeHarness page("<!DOCTYPE html>\n<html>\n<body>\n<div id='box'>\n<p>One</p>\n</div>\n</body>\n</html>\n");
    page.show(HTMLParser::parseDocument(QString::fromUtf8("<!DOCTYPE html>\n<html>\n<body>\n<div id='box'>\n<p>One</p>\n</div>\n</body>\n</html>\n")));
    palette->setDomTreeDelegate(page.tree);
    palette->addSnippetWithNode(page.rowOf(page.byId("box")));
    EXPECT_EQ(categoryTitles(), (QStringList{"HTML (1)", categoryTitles().at(1), "JS (0)", "Other (1)"}));
    const SnippetPtr node = SnippetUtil::snippetsInCategory("HTML").constFirst();
    // The file's own text of the element.
    EXPECT_EQ(node->value("content").toString().toStdString(), "<div id='box'>\n<p>One</p>\n</div>");
    EXPECT_EQ(node->value("title").toString(), QStringLiteral("<div id='box'><p>One</p>"));
    EXPECT_EQ(node->value("summary").toString(), QStringLiteral("No Summary"));

    // A snippet search is case-sensitive and looks into the content too.
    palette->categorySelector()->setCurrentIndex(0);
    EXPECT_EQ(searchFor(QStringLiteral("One</p>")).size(), 1);
    EXPECT_TRUE(searchFor(QStringLiteral("one</p>")).isEmpty());
}

TEST_F(PaletteTest, TitlesKeepTheFirst24CharactersWithoutDoubleBlanksTabsAndLineEnds)
{
    EXPECT_EQ(DomNodeListDelegate::titleWithBody(QStringLiteral("abcdefghij\tklmnopqrst\r\nuvwxyz0123")),
              QStringLiteral("abcdefghijklmnopqrstuvwx"));
    EXPECT_EQ(DomNodeListDelegate::titleWithBody(QStringLiteral("a   b")), QStringLiteral("a b"));
    EXPECT_EQ(DomNodeListDelegate::titleWithBody(QStringLiteral("short")), QStringLiteral("short"));
}

TEST_F(PaletteTest, ThePopoverEditsAndDeletesTheSnippetOnlyOutsideTemplateMode)
{
    palette->domNodeList()->selectRowIndexes({0}, false);
    palette->doubleClick();
    TestUtil::spin(350);
    EXPECT_FALSE(palette->snippetPopover());

    palette->addSnippetwithText(QStringLiteral("first"));
    palette->domNodeList()->selectRowIndexes({0}, false);
    palette->doubleClick();
    ASSERT_TRUE(TestUtil::waitUntil([this] { return palette->snippetPopover() && palette->snippetPopover()->isShown(); }));
    EXPECT_EQ(palette->snippeTitle()->text(), QStringLiteral("first"));
    palette->snippeTitle()->setText(QStringLiteral("renamed"));
    palette->snippetLunguage()->setCurrentText(QStringLiteral("JS"));
    palette->snippetBody()->setPlainText(QStringLiteral("alert(1)"));
    palette->snipetDoneEdit();
    // The old category is shown again; the snippet went to its new one.
    EXPECT_EQ(palette->categorySelector()->currentText(), QStringLiteral("Other (0)"));
    ASSERT_EQ(SnippetUtil::snippetsInCategory("JS").size(), 1);
    EXPECT_EQ(SnippetUtil::snippetsInCategory("JS").constFirst()->value("content").toString(), QStringLiteral("alert(1)"));
    SnippetUtil::unloadStore();
    EXPECT_EQ(SnippetUtil::snippetsInCategory("JS").constFirst()->value("title").toString(), QStringLiteral("renamed"));

    palette->showUserSnippetElements(QStringLiteral("JS"));
    palette->domNodeList()->selectRowIndexes({0}, false);
    palette->deleteSnippet();
    EXPECT_TRUE(SnippetUtil::snippetsInCategory("JS").isEmpty());
    EXPECT_TRUE(palette->elements().empty());
}

TEST_F(PaletteTest, TheDropViewTakesOneRowOrTextAndRefusesSeveralRows)
{
    const QByteArray html = "<!DOCTYPE html>\n<html>\n<body>\n<p id='a'>A</p>\n<p id='b'>B</p>\n</body>\n</html>\n";
    DomTreeHarness page(html);
    page.show(HTMLParser::parseDocument(QString::fromUtf8(html)));
    palette->setDomTreeDelegate(page.tree);
    SnippetDropView *drop = palette->snippetDropView();
    ASSERT_TRUE(drop);

    QMimeData two;
    ASSERT_TRUE(page.tree->writeItems(page.tree->outline(), {page.rowOf(page.byId("a")), page.rowOf(page.byId("b"))}, &two));
    EXPECT_EQ(drop->dragOperationFor(&two), Qt::IgnoreAction);
    QMimeData one;
    ASSERT_TRUE(page.tree->writeItems(page.tree->outline(), {page.rowOf(page.byId("b"))}, &one));
    EXPECT_EQ(drop->dragOperationFor(&one), Qt::CopyAction);
    EXPECT_TRUE(drop->performDragOperation(&one));
    EXPECT_EQ(SnippetUtil::snippetsInCategory("HTML").constFirst()->value("content").toString(), QStringLiteral("<p id='b'>B</p>"));

    QMimeData text;
    text.setText(QStringLiteral("plain words"));
    EXPECT_TRUE(drop->performDragOperation(&text));
    EXPECT_EQ(SnippetUtil::snippetsInCategory("Other").constFirst()->value("content").toString(), QStringLiteral("plain words"));
}

TEST(BootStrapComponent, CategoriesAreTheSubFoldersInOrderWithEveryEntryCounted)
{
    QTemporaryDir folder;
    const QDir root(folder.path());
    for (const char *path : {"alerts/a.html", "alerts/b.html", "forms/login.html", "forms/notes.txt", "forms/search.html",
                             "bootstrap/skip.html"})
        ASSERT_TRUE(TestUtil::writeFile(root.filePath(QString::fromLatin1(path)), "<div class='x'>x</div>"));
    ASSERT_TRUE(TestUtil::writeFile(root.filePath("readme"), "read me"));
    const auto map = BootStrapComponent::nodeMapIn(folder.path());
    EXPECT_EQ(map.keys(), (QStringList{"1.alerts (2)", "2.forms (3)"}));
    EXPECT_EQ(map.value("2.forms (3)").value(1).value("title"), QStringLiteral("notes.txt"));
    EXPECT_EQ(map.value("1.alerts (2)").value(0).value("file"), root.filePath("alerts/a.html"));
    EXPECT_TRUE(BootStrapComponent::nodeMapIn(root.filePath("missing")).isEmpty());
}

#include "TestPrinters.h"

#include "LiveDomTreePage.h"

#include "domtree/PageTextGenerator.h"
#include "toolkit/DragPayload.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>

#include <gtest/gtest.h>

namespace HTMLWriteBackLiveTest {

namespace {

// A page whose script marks the body, decorates every list item (the
// tree's new ones too), puts a paragraph of its own beside the author's and
// runs a clock.
const QByteArray s_page =
    "<!DOCTYPE html>\n"
    "<html>\n"
    "  <head>\n"
    "    <title>Scripted</title>\n"
    "    <style>\n"
    "      p { margin: 0 }\n"
    "      li { color: red }\n"
    "    </style>\n"
    "  </head>\n"
    "  <body class='page' data-theme='light'>\n"
    "    <ul id='list'>\n"
    "      <li id='first'>one</li>\n"
    "      <li id='second'>two</li>\n"
    "    </ul>\n"
    "    <p id='clock'>00:00</p>\n"
    "    <div id='box'>\n"
    "      <p id='para'>Text</p>\n"
    "    </div>\n"
    "    <!-- note -->\n"
    "    <script>\n"
    "      document.body.className = 'page js';\n"
    "      document.body.style.setProperty('--runtime', '1');\n"
    "      function decorate() {\n"
    "        for (const li of document.querySelectorAll('li:not([data-decorated])')) {\n"
    "          li.setAttribute('data-decorated', 'by-script');\n"
    "          li.appendChild(document.createElement('span')).className = 'runtime-badge';\n"
    "        }\n"
    "      }\n"
    "      decorate();\n"
    "      new MutationObserver(decorate).observe(document.body, {childList: true, subtree: true});\n"
    "      const beside = document.createElement('p');\n"
    "      beside.id = 'beside';\n"
    "      beside.textContent = 'by script';\n"
    "      document.getElementById('para').after(beside);\n"
    "      let tick = 34;\n"
    "      const clock = document.getElementById('clock');\n"
    "      clock.textContent = '12:' + tick;\n"
    "      setInterval(function () { tick += 1; clock.textContent = '12:' + tick; }, 1000);\n"
    "    </script>\n"
    "  </body>\n"
    "</html>\n";

const QString s_original = QString::fromUtf8(s_page);

struct ScriptedPage : LiveDomTreePage
{
    explicit ScriptedPage(bool minify = false)
        : LiveDomTreePage(s_page)
    {
        if (minify)
            setProjectSetting(ProjectUtil::kMinifyHTML, true);
        // The script has been at work before any edit.
        TestUtil::waitUntil([this] {
            const DOMElement *first = byId("first");
            return first && first->hasAttribute(QStringLiteral("data-decorated")) && byId("beside");
        });
        m_minify = minify;
    }

    OutlineView *outline() const { return tree->outline(); }
    DOMNodeEx *rowById(const char *id) const { return rowOf(byId(id)); }
    // The file holds the original with one piece replaced (laid out as the
    // project writes it), and one undo gives back the original bytes.
    void expectEditThenUndo(const QString &from, const QString &to)
    {
        ASSERT_EQ(s_original.count(from), 1) << from.toStdString();
        QString expected = s_original;
        expected.replace(from, to);
        if (m_minify)
            expected = PageTextGenerator().minifiedText(expected, false);
        EXPECT_EQ(text(), expected);
        for (const char *runtime : {"class='page js'", "class=\"page js\"", "--runtime: 1", "data-decorated=",
                                    "class=\"runtime-badge\"", ">12:3", "id=\"beside\""})
            EXPECT_FALSE(text().contains(QLatin1String(runtime))) << runtime;
        undoStep();
        EXPECT_EQ(text(), s_original);
    }

private:
    bool m_minify = false;
};

// Each case runs on the indented and the minified project.
class HTMLWriteBackLive : public ::testing::TestWithParam<bool>
{
};

} // namespace

TEST_P(HTMLWriteBackLive, AttributeEditsOnTheScriptsBodyWriteOnlyThatAttribute)
{
    ScriptedPage page(GetParam());
    ASSERT_TRUE(page.loaded);
    // The row editor shows the live attributes, the script's among them;
    // only the one the user changed reaches the file.
    const auto editBody = [&page](const QString &text) {
        DOMElement *body = page.document->body();
        page.tree->attributeEditEnd(page.rowOf(body), text, body->attributeList(),
                                    LiveDomTreePage::attributesText(*body));
        page.settle();
    };
    editBody(QStringLiteral("class=\"page js\" data-theme=\"light\" style=\"--runtime: 1;\" title=\"mine\""));
    page.expectEditThenUndo(QStringLiteral("data-theme='light'>"), QStringLiteral("data-theme='light' title='mine'>"));
    editBody(QStringLiteral("class=\"page js\" data-theme=\"dark night\" style=\"--runtime: 1;\""));
    page.expectEditThenUndo(QStringLiteral("data-theme='light'"), QStringLiteral("data-theme='dark night'"));
    editBody(QStringLiteral("class=\"page js\" style=\"--runtime: 1;\""));
    page.expectEditThenUndo(QStringLiteral(" data-theme='light'"), QString());
}

TEST_P(HTMLWriteBackLive, TypedTextIsWrittenIntoTheTextsOwnPlace)
{
    ScriptedPage page(GetParam());
    ASSERT_TRUE(page.loaded);
    ASSERT_TRUE(page.typeText(page.byId("para")->firstChild(), QStringLiteral("Typed & more")));
    page.expectEditThenUndo(QStringLiteral(">Text<"), QStringLiteral(">Typed &amp; more<"));
}

TEST_P(HTMLWriteBackLive, NewElementsAreWrittenAsGivenBeforeTheScriptDecoratedThem)
{
    ScriptedPage page(GetParam());
    ASSERT_TRUE(page.loaded);
    const QString second = QStringLiteral("<li id='second'>two</li>");

    // Add Element.
    page.target(page.byId("list"));
    page.tree->addNode(QStringLiteral("li"));
    page.settle();
    TestUtil::waitUntil([&page] { return page.inPage("document.querySelectorAll('.runtime-badge').length") == "3"; });
    page.expectEditThenUndo(second, second + QStringLiteral("\n      <li>li</li>"));

    // Paste.
    QGuiApplication::clipboard()->setText(QStringLiteral("<li class=\"pasted\">pasted</li>"));
    page.select(page.byId("list"));
    page.tree->paste();
    page.settle();
    page.expectEditThenUndo(second, second + QStringLiteral("\n      <li class=\"pasted\">pasted</li>"));

    // A palette snippet dropped into the list.
    auto mime = std::make_unique<QMimeData>();
    DragPayload::setDomNodeDragCopy(mime.get(), QVariantMap{{QStringLiteral("content"), QStringLiteral("<li>dropped</li>")}});
    ASSERT_TRUE(page.dropOn(mime.get(), page.rowById("list"), -1));
    page.expectEditThenUndo(second, second + QStringLiteral("\n      <li>dropped</li>"));
}

TEST_P(HTMLWriteBackLive, ReplacedWrappedAndMovedNodesKeepTheAuthorsText)
{
    ScriptedPage page(GetParam());
    ASSERT_TRUE(page.loaded);

    // Wrapped: the author's clock, not the script's time.
    page.target(page.byId("clock"));
    page.tree->containNode(QStringLiteral("div"));
    page.settle();
    page.expectEditThenUndo(QStringLiteral("\n    <p id='clock'>00:00</p>"),
                            QStringLiteral("\n    <div>\n      <p id='clock'>00:00</p>\n    </div>"));

    // Replaced: the author's children, without the script's paragraph.
    page.target(page.byId("box"));
    page.tree->swapNode(QStringLiteral("section"));
    page.settle();
    page.expectEditThenUndo(QStringLiteral("\n    <div id='box'>\n      <p id='para'>Text</p>\n    </div>"),
                            QStringLiteral("\n    <section id=\"box\">\n      <p id='para'>Text</p>\n    </section>"));

    // Moved after its sibling: its own text, without the badge.
    QList<void *> items{page.rowById("first")};
    auto mime = std::make_unique<QMimeData>();
    ASSERT_TRUE(page.tree->writeItems(page.outline(), items, mime.get()));
    DOMNodeEx *list = page.rowById("list");
    ASSERT_TRUE(page.dropOn(mime.get(), list, int(list->children().size()) - 1));
    ASSERT_EQ(page.childIds("list"), QStringLiteral("second,first"));
    page.expectEditThenUndo(QStringLiteral("\n      <li id='first'>one</li>\n      <li id='second'>two</li>"),
                            QStringLiteral("\n      <li id='second'>two</li>\n      <li id='first'>one</li>"));

    // Removed.
    page.select(page.byId("para"));
    page.tree->removeNode();
    page.settle();
    page.expectEditThenUndo(QStringLiteral("\n      <p id='para'>Text</p>"), QString());
}

// The row a drop selects comes a moment later; a row chosen meanwhile wins,
// so that Delete then removes the row the user chose.
TEST(HTMLWriteBackLiveSelection, ARowChosenRightAfterADropStaysChosen)
{
    ScriptedPage page;
    ASSERT_TRUE(page.loaded);
    QList<void *> items{page.rowById("first")};
    auto mime = std::make_unique<QMimeData>();
    ASSERT_TRUE(page.tree->writeItems(page.outline(), items, mime.get()));
    DOMNodeEx *list = page.rowById("list");
    const int index = int(list->children().size()) - 1;
    ASSERT_NE(page.tree->validateDrop(page.outline(), page.dragInfo(mime.get()), list, index), Qt::IgnoreAction);
    ASSERT_TRUE(page.tree->acceptDrop(page.outline(), page.dragInfo(mime.get()), list, index));
    page.select(page.byId("para"));
    // Until the drop's own selection, due a moment later, has come.
    page.settle();
    const DOMNodeEx *selected = page.tree->selectedDomNodeEx();
    ASSERT_TRUE(selected);
    EXPECT_EQ(selected->node(), page.byId("para"));
}

TEST_P(HTMLWriteBackLive, PastedAndDroppedTextLandsAsGivenInThePagesIndentation)
{
    ScriptedPage page(GetParam());
    ASSERT_TRUE(page.loaded);
    const QString second = QStringLiteral("<li id='second'>two</li>");

    // Single quotes, odd spacing, entities and a tab-indented line: as
    // given, but for the indentation, which is the page's two spaces a level.
    QGuiApplication::clipboard()->setText(
        QStringLiteral("<li  class='pasted'   data-x = \"a&amp;b\">caf&eacute; &lt;3\n\t<b >bold</b>\n</li>"));
    page.select(page.byId("list"));
    page.tree->paste();
    page.settle();
    TestUtil::waitUntil([&page] { return page.inPage("document.querySelectorAll('.runtime-badge').length") == "3"; });
    page.expectEditThenUndo(second, second
                                        + QStringLiteral("\n      <li  class='pasted'   data-x = \"a&amp;b\">caf&eacute; "
                                                         "&lt;3\n        <b >bold</b>\n      </li>"));

    // A palette snippet keeps its own text too.
    auto mime = std::make_unique<QMimeData>();
    DragPayload::setDomNodeDragCopy(mime.get(),
                                    QVariantMap{{QStringLiteral("content"), QStringLiteral("<li data-k='v'>it&#39;s</li>")}});
    ASSERT_TRUE(page.dropOn(mime.get(), page.rowById("list"), -1));
    page.expectEditThenUndo(second, second + QStringLiteral("\n      <li data-k='v'>it&#39;s</li>"));
}

TEST_P(HTMLWriteBackLive, CopiesAreTheAuthorsTextWithTheUsersEditsAndNothingTheScriptMade)
{
    ScriptedPage page(GetParam());
    ASSERT_TRUE(page.loaded);
    const auto copied = [&page](const char *id) {
        page.select(page.byId(id));
        page.tree->doClipNode();
        return QGuiApplication::clipboard()->text().toStdString();
    };
    // Neither the decorations, nor the script's paragraph, nor its clock.
    EXPECT_EQ(copied("list"), "<ul id='list'>\n  <li id='first'>one</li>\n  <li id='second'>two</li>\n</ul>");
    EXPECT_EQ(copied("box"), "<div id='box'>\n  <p id='para'>Text</p>\n</div>");
    EXPECT_EQ(copied("clock"), "<p id='clock'>00:00</p>");

    // The user's own edits are in the copy: an attribute set beside the
    // script's, and a text typed.
    DOMElement *first = page.byId("first");
    page.tree->attributeEditEnd(page.rowOf(first),
                                LiveDomTreePage::attributesText(*first) + QStringLiteral(" title=\"mine\""),
                                first->attributeList(), LiveDomTreePage::attributesText(*first));
    page.settle();
    ASSERT_TRUE(page.typeText(page.byId("second")->firstChild(), QStringLiteral("zwei")));
    EXPECT_EQ(copied("list"),
              "<ul id='list'>\n  <li id='first' title='mine'>one</li>\n  <li id='second'>zwei</li>\n</ul>");
    page.undoStep();
    page.undoStep();
    ASSERT_EQ(page.text(), s_original);

    // Pasted onto itself, a copy lands right after it as the file has it.
    const QString second = QStringLiteral("<li id='second'>two</li>");
    EXPECT_EQ(copied("second"), second.toStdString());
    page.tree->paste();
    page.settle();
    page.expectEditThenUndo(second, second + QStringLiteral("\n      ") + second);

    // The copy for a script is the same text.
    page.target(page.byId("clock"));
    page.tree->clipSourceCode();
    EXPECT_EQ(page.fixture.evaluate(QGuiApplication::clipboard()->text()).toString(),
              QStringLiteral("<p id='clock'>00:00</p>"));
}

INSTANTIATE_TEST_SUITE_P(Layouts, HTMLWriteBackLive, ::testing::Values(false, true),
                         [](const ::testing::TestParamInfo<bool> &info) {
                             return info.param ? std::string("Minified") : std::string("Indented");
                         });

TEST(HTMLWriteBackLiveUndo, UndoingATextEditPutsBackTheNodesOwnTextLineBreaksIncluded)
{
    ScriptedPage page;
    ASSERT_TRUE(page.loaded);
    DOMNode *style = page.document->querySelector(QStringLiteral("style"))->firstChild();
    const QString own = style->nodeValue();
    ASSERT_TRUE(own.contains(QLatin1Char('\n')));
    ASSERT_TRUE(page.typeText(style, QStringLiteral("p { margin: 1px }")));
    EXPECT_TRUE(page.text().contains(QStringLiteral("p { margin: 1px }")));
    page.undoStep();
    EXPECT_EQ(style->nodeValue(), own);
    EXPECT_EQ(page.inPage("document.querySelector('style').textContent"), own);
    EXPECT_EQ(page.text(), s_original);
}

TEST(HTMLWriteBackLiveRefusal, EditsOfWhatOnlyTheScriptMadeAreRefusedWhole)
{
    ScriptedPage page;
    ASSERT_TRUE(page.loaded);
    page.select(page.byId("beside"));
    page.tree->removeNode();
    page.settle();
    EXPECT_EQ(page.alerts, QStringList{"The edit is not made"});
    EXPECT_TRUE(page.byId("beside"));
    EXPECT_EQ(page.inPage("document.getElementById('beside').id"), QStringLiteral("beside"));
    EXPECT_EQ(page.text(), s_original);

    // Nor does an editor open on its text.
    EXPECT_FALSE(page.typeText(page.byId("beside")->firstChild(), QStringLiteral("mine")));
    EXPECT_EQ(page.alerts.size(), 2);
    page.settle();
    EXPECT_EQ(page.text(), s_original);
}

} // namespace HTMLWriteBackLiveTest

namespace HTMLWriteBackLiveTest {

namespace {

// A page in one layout: "U" stands for one level of indentation; html,
// head and body are not indented, so that a level of the file is not the
// depth in the page. Null unit: the page minified.
struct PageLayout
{
    const char *name;
    const char *unit;
};

void PrintTo(const PageLayout &layout, std::ostream *out)
{
    *out << layout.name;
}

const QString kPageTemplate = QStringLiteral("<!DOCTYPE html>\n<html>\n<head>\n<title>t</title>\n</head>\n<body>\n"
                                             "U<div id='box'>\nUU<p id='a'>A</p>\nUU<section id='s'>\nUUU<p id='deep'>D</p>\n"
                                             "UU</section>\nU</div>\nU<ul id='list'>\nUU<li id='one'>one</li>\nU</ul>\n</body>\n</html>\n");

QString laidOut(const PageLayout &layout, const QString &page)
{
    if (!layout.unit)
        return QString(page).remove(u'U').remove(u'\n');
    return QString(page).replace(u'U', QString::fromLatin1(layout.unit));
}

class InsertedInLayout : public ::testing::TestWithParam<PageLayout>
{
protected:
    InsertedInLayout()
        : page(laidOut(GetParam(), kPageTemplate).toUtf8())
    {
        original = page.text();
    }
    // The file holds the page with one piece replaced, and one undo gives
    // back the original bytes.
    void expectEditThenUndo(const QString &from, const QString &to)
    {
        EXPECT_EQ(page.text().toStdString(), QString(original).replace(from, to).toStdString());
        page.undoStep();
        EXPECT_EQ(page.text(), original);
    }
    // The same with the pieces of the template, in the page's layout.
    void expectLaidOutEditThenUndo(const QString &from, const QString &to)
    {
        expectEditThenUndo(laidOut(GetParam(), from), laidOut(GetParam(), to));
    }
    std::unique_ptr<QMimeData> dragRows(const char *id)
    {
        auto mime = std::make_unique<QMimeData>();
        if (!page.tree->writeItems(page.tree->outline(), {page.rowOf(page.byId(id))}, mime.get()))
            return nullptr;
        return mime;
    }
    DOMNodeEx *bodyRow() const { return page.rowOf(page.document->body()); }

    LiveDomTreePage page;
    QString original;
};

} // namespace

// What is pasted, copied, dropped or moved is written at the level of the
// file's lines around its place and keeps the layout of its own lines
// relative to its first; in a minified page, without indentation (#77).
TEST_P(InsertedInLayout, APastedTextTakesTheLevelOfItsSiblings)
{
    ASSERT_TRUE(page.loaded);
    QGuiApplication::clipboard()->setText(QStringLiteral("<li class='p'>\n  <b>x</b>\n</li>"));
    page.select(page.byId("list"));
    page.tree->paste();
    page.settle();
    if (GetParam().unit)
        expectLaidOutEditThenUndo(QStringLiteral("UU<li id='one'>one</li>\n"),
                           QStringLiteral("UU<li id='one'>one</li>\nUU<li class='p'>\nUUU<b>x</b>\nUU</li>\n"));
    else
        expectEditThenUndo(QStringLiteral("<li id='one'>one</li>"), QStringLiteral("<li id='one'>one</li><li class='p'>\n<b>x</b>\n</li>"));
}

TEST_P(InsertedInLayout, APastedCopyOfAnElementTakesTheLevelOfItsSiblings)
{
    ASSERT_TRUE(page.loaded);
    page.select(page.byId("s"));
    page.tree->copy();
    page.select(page.byId("list"));
    page.tree->paste();
    page.settle();
    expectLaidOutEditThenUndo(QStringLiteral("UU<li id='one'>one</li>\n"),
                              QStringLiteral("UU<li id='one'>one</li>\nUU<section id='s'>\nUUU<p id='deep'>D</p>\nUU</section>\n"));
}

TEST_P(InsertedInLayout, AnElementDroppedFromThePaletteTakesTheLevelOfTheElementsAfterIt)
{
    ASSERT_TRUE(page.loaded);
    auto mime = std::make_unique<QMimeData>();
    DragPayload::setDomNodeDragCopy(mime.get(), QVariantMap{{QStringLiteral("content"), QStringLiteral("<p data-k='v'>it</p>")}});
    ASSERT_TRUE(page.dropOn(mime.get(), page.rowOf(page.byId("box")), 0));
    expectLaidOutEditThenUndo(QStringLiteral("U<div id='box'>\n"), QStringLiteral("U<div id='box'>\nUU<p data-k='v'>it</p>\n"));
}

TEST_P(InsertedInLayout, AnElementMovedToAnotherLevelTakesItAllItsLinesAlong)
{
    ASSERT_TRUE(page.loaded);
    const auto move = dragRows("s");
    ASSERT_TRUE(move);
    ASSERT_TRUE(page.dropOn(move.get(), bodyRow(), int(bodyRow()->children().size()) - 1));
    const QString moved = QString(kPageTemplate)
                              .remove(QStringLiteral("UU<section id='s'>\nUUU<p id='deep'>D</p>\nUU</section>\n"))
                              .replace(QStringLiteral("U</ul>\n"), QStringLiteral("U</ul>\nU<section id='s'>\nUU<p id='deep'>D</p>\nU</section>\n"));
    EXPECT_EQ(page.text().toStdString(), laidOut(GetParam(), moved).toStdString());
    page.undoStep();
    EXPECT_EQ(page.text(), original);
}

INSTANTIATE_TEST_SUITE_P(Layouts, InsertedInLayout,
                         ::testing::Values(PageLayout{"Minified", nullptr}, PageLayout{"TwoSpaces", "  "},
                                           PageLayout{"FourSpaces", "    "}, PageLayout{"Tabs", "\t"}),
                         [](const ::testing::TestParamInfo<PageLayout> &info) { return std::string(info.param.name); });

} // namespace HTMLWriteBackLiveTest

#include "TestPrinters.h"

#include "LiveDomTreePage.h"

#include "platform/web/dom/DOMDocument.h"
#include "platform/web/html/HTMLNesting.h"
#include "toolkit/DragPayload.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QJsonArray>
#include <QJsonDocument>
#include <QMimeData>

#include <gtest/gtest.h>

namespace DomTreeNestingLiveTest {

namespace {

const QByteArray s_page =
    "<!DOCTYPE html>\n"
    "<html id='root'>\n"
    "  <head id='head'>\n"
    "    <title>Nesting</title>\n"
    "  </head>\n"
    "  <body>\n"
    "    <button id='go'><span id='label'>Go</span></button>\n"
    "    <button id='stop'>Stop</button>\n"
    "    <p id='para'>Words</p>\n"
    "    <a id='link' href='#'><span id='inlink'>x</span></a>\n"
    "    <form id='form'><div id='inform'></div></form>\n"
    "    <table id='table'><tbody id='rows'><tr id='row'><td id='cell'>1</td></tr></tbody></table>\n"
    "    <ul id='list'><li id='item'>a</li></ul>\n"
    "    <select id='select'><option id='option'>o</option></select>\n"
    "    <h1 id='heading'>T</h1>\n"
    "    <dl id='terms'><dt id='term'>t</dt><dd id='desc'>d</dd></dl>\n"
    "    <svg id='svg'><g id='group'></g></svg>\n"
    "    <div id='box'><img id='pic' src='x.png'><span id='word'>w</span></div>\n"
    "  </body>\n"
    "</html>\n";

// A nesting: markup put into an element (parsed as a paste parses it, in
// the browser in the context named), or an element of the page moved there.
struct Nesting
{
    const char *name;
    const char *parent;
    const char *markup;
    const char *context;
    const char *moved;
    bool kept;
};

const Nesting s_nestings[] = {
    {"a button in a button", "stop", "<button>b</button>", "div", nullptr, false},
    {"a span in a button", "stop", "<span>s</span>", "div", nullptr, true},
    {"an input in a button", "stop", "<input>", "div", nullptr, true},
    {"a div in a p", "para", "<div>d</div>", "div", nullptr, false},
    {"a p in a p", "para", "<p>q</p>", "div", nullptr, false},
    {"a table in a p", "para", "<table></table>", "div", nullptr, false},
    {"a heading in a p", "para", "<h2>h</h2>", "div", nullptr, false},
    {"a span in a p", "para", "<span>s</span>", "div", nullptr, true},
    {"an a in an a", "link", "<a href='#'>b</a>", "div", nullptr, false},
    {"an a in a span in an a", "inlink", "<a href='#'>b</a>", "div", nullptr, false},
    {"a nav in an a", "link", "<nav>n</nav>", "div", nullptr, true},
    {"a form in a form", "form", "<form></form>", "div", nullptr, false},
    {"a form in a div in a form", "inform", "<form></form>", "div", nullptr, false},
    {"a row out of its table", "box", nullptr, nullptr, "row", false},
    {"a cell out of its row", "rows", nullptr, nullptr, "cell", false},
    {"a row in a table body", "rows", "<tr><td>2</td></tr>", "tbody", nullptr, true},
    {"a cell in a row", "row", "<td>2</td>", "tr", nullptr, true},
    {"a div in a row", "row", "<div>d</div>", "div", nullptr, false},
    {"words in a table", "table", "words", "div", nullptr, false},
    {"a list item in a list item", "item", "<li>b</li>", "div", nullptr, false},
    {"a list item in a list", "list", "<li>b</li>", "div", nullptr, true},
    {"a list item in a div", "box", "<li>b</li>", "div", nullptr, true},
    {"an option in a select", "select", "<option>p</option>", "div", nullptr, true},
    {"a select in a select", "select", "<select></select>", "div", nullptr, false},
    {"a heading in a heading", "heading", "<h2>s</h2>", "div", nullptr, false},
    {"a definition in its term", "term", nullptr, nullptr, "desc", false},
    {"a shape in an SVG group", "group", "<circle r='1'></circle>", "svg", nullptr, true},
    {"a shape in a div", "box", "<circle r='1'></circle>", "svg", nullptr, false},
    {"a div in an SVG group", "group", "<div>d</div>", "div", nullptr, false},
    {"a span in an img", "pic", "<span>s</span>", "div", nullptr, false},
    {"an img in a span", "word", "<img src='y.png'>", "div", nullptr, true},
    {"a title in a div", "box", "<title>t</title>", "head", nullptr, true},
    {"the head after the body", "root", nullptr, nullptr, "head", false},
};

// Whether the browser, reading the page's text with the nesting made in it
// (as a save writes it), builds that very tree.
const char *s_browserKeeps = R"((function (page, parentId, markup, context, movedId) {
    var doc = new DOMParser().parseFromString(page, 'text/html');
    var nodes;
    if (movedId) {
        nodes = [doc.getElementById(movedId)];
    } else {
        var holder = context === 'svg' ? doc.createElementNS('http://www.w3.org/2000/svg', 'svg') : doc.createElement(context);
        holder.innerHTML = markup;
        nodes = Array.from(holder.childNodes);
    }
    var parent = doc.getElementById(parentId);
    nodes.forEach(function (node) { parent.appendChild(node); });
    var shape = function (node) {
        var out = '', text = false;
        Array.from(node.childNodes).forEach(function (child) {
            if (child.nodeType === 3) { text = text || child.data.trim() !== ''; return; }
            if (text) { out += 't'; text = false; }
            if (child.nodeType === 8) out += 'c';
            else if (child.nodeType === 1) out += '(' + child.namespaceURI + ':' + child.localName + shape(child) + ')';
        });
        return out + (text ? 't' : '');
    };
    var again = new DOMParser().parseFromString('<!DOCTYPE html>' + doc.documentElement.outerHTML, 'text/html');
    return shape(doc) === shape(again);
}))";

} // namespace

// #84: of each nesting the rule keeps what a browser reading the saved text
// keeps, and refuses the rest.
TEST(DomTreeNesting, TheRuleKeepsWhatTheBrowsersParserKeepsAndRefusesTheRest)
{
    LiveDomTreePage page(s_page);
    ASSERT_TRUE(page.loaded);
    const QString text = QString::fromUtf8(s_page);
    for (const Nesting &nesting : s_nestings) {
        SCOPED_TRACE(nesting.name);
        DOMElement *parent = page.byId(nesting.parent);
        ASSERT_TRUE(parent);
        // Made apart from the page, as the tree makes what it is given.
        const DOMDocumentPtr scratch = DOMDocument::create();
        const QList<DOMNodePtr> made = nesting.moved ? QList<DOMNodePtr>() : scratch->createNodesFromString(QString::fromUtf8(nesting.markup));
        QList<const DOMNode *> nodes;
        for (const DOMNodePtr &node : made)
            nodes.append(node.get());
        if (nesting.moved)
            nodes.append(page.byId(nesting.moved));
        ASSERT_FALSE(nodes.isEmpty() || !nodes.constFirst());
        EXPECT_EQ(HTMLNesting::keepsInsertion(*parent, nodes, nullptr), nesting.kept) << "the rule";

        const QJsonArray arguments{text, QString::fromLatin1(nesting.parent), QString::fromUtf8(nesting.markup),
                                   QString::fromLatin1(nesting.context), QString::fromLatin1(nesting.moved)};
        const QByteArray json = QJsonDocument(arguments).toJson(QJsonDocument::Compact);
        const QString call = QString::fromLatin1(s_browserKeeps) + u'(' + QString::fromUtf8(json.mid(1, json.size() - 2)) + u')';
        EXPECT_EQ(page.inPage(call), nesting.kept ? QStringLiteral("true") : QStringLiteral("false")) << "the browser";
    }
}

namespace {

struct NestingPage : LiveDomTreePage
{
    NestingPage()
        : LiveDomTreePage(s_page)
    {
    }
    QString nextOf(const char *id) { return inPage(QStringLiteral("document.getElementById('%1').nextElementSibling.id").arg(QLatin1String(id))); }
};

} // namespace

// #84: dropped onto an element that would not keep it (a button onto a
// button, a div onto a p), a node goes after it, as onto a picture; between
// such an element's children, or where no place keeps it, it is refused and
// nothing changes.
TEST(DomTreeNesting, WhatAnElementWouldNotKeepGoesAfterItOrIsRefused)
{
    NestingPage page;
    ASSERT_TRUE(page.loaded);
    const QString original = page.text();

    const auto go = page.dragRows({"go"});
    ASSERT_TRUE(go);
    ASSERT_EQ(page.validateDrop(go.get(), page.rowById("stop"), -1), Qt::MoveAction);
    ASSERT_TRUE(page.dropOn(go.get(), page.rowById("stop"), -1));
    EXPECT_EQ(page.nextOf("stop"), QStringLiteral("go"));
    EXPECT_TRUE(page.text().contains(QLatin1String("<button id='stop'>Stop</button>\n    <button id='go'>")))
        << page.text().toStdString();
    page.undoStep();
    EXPECT_EQ(page.text(), original);

    // Into the button, before its label or onto it: no place keeps it.
    const auto stop = page.dragRows({"stop"});
    ASSERT_TRUE(stop);
    EXPECT_EQ(page.validateDrop(stop.get(), page.rowById("go"), 0), Qt::IgnoreAction);
    EXPECT_FALSE(page.tree->acceptDrop(page.tree->outline(), page.dragInfo(stop.get()), page.rowById("go"), 0));
    EXPECT_EQ(page.validateDrop(stop.get(), page.rowById("label"), -1), Qt::IgnoreAction);
    // A table's row has no place in a div, before it or after it.
    const auto row = page.dragRows({"row"});
    EXPECT_EQ(page.validateDrop(row.get(), page.rowById("box"), -1), Qt::IgnoreAction);
    EXPECT_EQ(page.validateDrop(row.get(), page.rowById("box"), 0), Qt::IgnoreAction);
    page.settle();
    EXPECT_EQ(page.text(), original);

    // A palette div onto a p goes after it, and between its words nowhere.
    const auto div = LiveDomTreePage::paletteDrag(QStringLiteral("div"));
    ASSERT_TRUE(page.dropOn(div.get(), page.rowById("para"), -1));
    EXPECT_EQ(page.inPage("document.getElementById('para').nextElementSibling.outerHTML"), QStringLiteral("<div>div</div>"));
    page.undoStep();
    EXPECT_EQ(page.validateDrop(div.get(), page.rowById("para"), 0), Qt::IgnoreAction);
    EXPECT_EQ(page.text(), original);
}

TEST(DomTreeNesting, APasteGoesWhereTheParserKeepsItOrNowhere)
{
    NestingPage page;
    ASSERT_TRUE(page.loaded);
    const QString original = page.text();
    // Into the list item the new one would close it: it goes after it.
    page.select(page.byId("item"));
    QGuiApplication::clipboard()->setText(QStringLiteral("<li id='pasted'>b</li>"));
    page.tree->paste();
    page.settle();
    EXPECT_EQ(page.childIds("list"), QStringLiteral("item,pasted"));
    page.undoStep();
    EXPECT_EQ(page.text(), original);

    // A div has no place in a table row nor beside it.
    page.select(page.byId("row"));
    QGuiApplication::clipboard()->setText(QStringLiteral("<div>x</div>"));
    page.tree->paste();
    page.settle();
    EXPECT_EQ(page.text(), original);
    EXPECT_FALSE(page.undo.canUndo());
}

} // namespace DomTreeNestingLiveTest

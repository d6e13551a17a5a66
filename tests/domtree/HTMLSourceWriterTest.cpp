#include "TestPrinters.h"

#include "domtree/DOMEditRecord.h"
#include "domtree/DOMNodeEx.h"
#include "domtree/DomNodeMap.h"
#include "domtree/HTMLSourcePairing.h"
#include "domtree/HTMLSourceWriter.h"
#include "domtree/PageTextGenerator.h"
#include "platform/web/dom/DOMDocument.h"
#include "platform/web/dom/DOMElement.h"
#include "platform/web/dom/DOMNodeList.h"
#include "platform/web/dom/DOMText.h"
#include "platform/web/html/HTMLParser.h"
#include "workspace/ProjectUtil.h"

#include <gtest/gtest.h>

namespace HTMLSourceWriterTest {

namespace {

// A page in the author's own style: two-space indent, single quotes, upper
// case tags, entities, a comment before the root, an async script, noscript
// and a template.
const QString s_foreign = QStringLiteral(
    "<!DOCTYPE HTML>\r\n"
    "<!-- made by hand -->\r\n"
    "<HTML lang='en'>\r\n"
    "  <HEAD>\r\n"
    "    <META charset='utf-8'>\r\n"
    "    <TITLE>Caf&eacute; &amp; co</TITLE>\r\n"
    "    <SCRIPT async src='a.js'></SCRIPT>\r\n"
    "  </HEAD>\r\n"
    "\r\n"
    "  <BODY class='page'>\r\n"
    "    <DIV id='main'>\r\n"
    "      <P class='intro'>Hello&nbsp;world</P>\r\n"
    "      <P id='second'>Second</P>\r\n"
    "    </DIV>\r\n"
    "    <noscript><p>No script</p></noscript>\r\n"
    "    <template id='tpl'><li>x</li></template>\r\n"
    "  </BODY>\r\n"
    "</HTML>\r\n");

// The live page (parsed the same way the engine parses it) paired with the
// file's text, and the write-back's settings.
struct Fixture
{
    explicit Fixture(const QString &text, const QString &rules = {})
        : text(text)
    {
        const QList<IgnoreOptionValue> parsed = ProjectUtil::parseIgnoreOption(rules);
        DOMNodeEx::setIgnoreSettingsProvider([parsed] { return DOMIgnoreSettings{parsed, {}}; });
        generator.setIgnoreOptions(parsed);
        settings.generator = &generator;
        settings.fileRules = HTMLSourceWriter::withoutDefaultRules(parsed);
        live = HTMLParser::parseDocument(text);
        root = DOMNodeEx::initWithNode(live->documentElement()->shared_from_this(), nullptr);
        pairing.pair(text, *live);
    }
    ~Fixture()
    {
        DOMNodeEx::setIgnoreSettingsProvider({});
        DomNodeMap::getInstance().clearMap();
    }

    QString write() const { return HTMLSourceWriter::write(pairing, *live, edits, settings).value_or(QStringLiteral("<none>")); }
    DOMElement *byId(const char *id) const { return live->getElementById(QString::fromLatin1(id)); }
    // Rebuilds the rows after a change, as the tree does.
    void refresh() { root = DOMNodeEx::initWithNode(live->documentElement()->shared_from_this(), nullptr); }

    QString text;
    PageTextGenerator generator;
    HTMLSourceWriter::Settings settings;
    std::shared_ptr<DOMDocument> live;
    DOMNodeExPtr root;
    HTMLSourcePairing pairing;
    DOMEditRecord edits;
};

} // namespace

TEST(HTMLSourceWriter, AnUneditedPageIsWrittenByteForByte)
{
    Fixture page(s_foreign, ProjectUtil::defaultIgnoreOption());
    ASSERT_TRUE(page.pairing.isPaired());
    EXPECT_EQ(page.write(), s_foreign);
}

TEST(HTMLSourceWriter, AnAttributeEditChangesOnlyItsStartTagAndUndoBringsTheTextBack)
{
    Fixture page(s_foreign);
    DOMElement *second = page.byId("second");
    second->setAttribute(QStringLiteral("title"), QStringLiteral("a \"b\" & c"));
    page.edits.noteAttribute(second, QStringLiteral("title"), std::nullopt);
    QString expected = s_foreign;
    expected.replace(QStringLiteral("<P id='second'>"), QStringLiteral("<P id='second' title='a \"b\" &amp; c'>"));
    EXPECT_EQ(page.write(), expected);

    second->removeAttribute(QStringLiteral("title"));
    page.edits.noteAttribute(second, QStringLiteral("title"), QStringLiteral("a \"b\" & c"));
    EXPECT_EQ(page.write(), s_foreign);
}

TEST(HTMLSourceWriter, TheTextsOfNodesAreTheirsInTheWrittenPage)
{
    Fixture page(s_foreign, ProjectUtil::defaultIgnoreOption());
    // A script's class and banner, the user's title on the element and the
    // paragraph beside it taken out.
    DOMElement *main = page.byId("main");
    main->setAttribute(QStringLiteral("class"), QStringLiteral("js"));
    DOMElementPtr banner = page.live->createElement(QStringLiteral("div"));
    main->insertBefore(banner, main->firstChild());
    main->setAttribute(QStringLiteral("title"), QStringLiteral("mine"));
    page.edits.noteAttribute(main, QStringLiteral("title"), std::nullopt);
    DOMElement *second = page.byId("second");
    const DOMNodePtr keep = second->shared_from_this();
    main->removeChild(second);
    page.edits.noteRemoved(second, main);
    page.refresh();
    const DOMNode *intro = main->firstElementChild()->nextElementSibling();
    const std::optional<QStringList> texts = HTMLSourceWriter::textsOf(
        page.pairing, *page.live, page.edits, page.settings, {main, intro, banner.get(), page.live->documentElement()});
    ASSERT_TRUE(texts);
    EXPECT_EQ(texts->at(0).toStdString(),
              "    <DIV id='main' title='mine'>\n      <P class='intro'>Hello&nbsp;world</P>\n    </DIV>");
    EXPECT_EQ(texts->at(1).toStdString(), "      <P class='intro'>Hello&nbsp;world</P>");
    EXPECT_EQ(texts->at(2).toStdString(), "");
    EXPECT_TRUE(texts->at(3).startsWith(QStringLiteral("<HTML lang='en'>\n  <HEAD>")));
    EXPECT_TRUE(texts->at(3).endsWith(QStringLiteral("</BODY>\n</HTML>")));
}

TEST(HTMLSourceWriter, ARemovedNodeTakesTheWhiteSpaceBeforeItAlong)
{
    Fixture page(s_foreign);
    DOMElement *second = page.byId("second");
    const DOMNodePtr keep = second->shared_from_this();
    DOMNode *parent = second->parentNode();
    parent->removeChild(second);
    page.edits.noteRemoved(second, parent);
    QString expected = s_foreign;
    expected.remove(QStringLiteral("\r\n      <P id='second'>Second</P>"));
    EXPECT_EQ(page.write(), expected);

    // Undone: the same node back in its place.
    parent->insertBefore(keep, parent->lastChild());
    page.edits.noteInserted(keep.get());
    EXPECT_EQ(page.write(), s_foreign);
}

TEST(HTMLSourceWriter, WhatPageScriptsDidNeverReachesTheFile)
{
    Fixture page(s_foreign, ProjectUtil::defaultIgnoreOption());
    // A script adds a class, a node and an async script, changes a text and
    // removes a paragraph.
    page.live->body()->setAttribute(QStringLiteral("class"), QStringLiteral("page js-ready"));
    DOMElementPtr banner = page.live->createElement(QStringLiteral("div"));
    banner->setTextContent(QStringLiteral("banner"));
    page.byId("main")->insertBefore(banner, page.byId("main")->firstChild());
    DOMElementPtr tracker = page.live->createElement(QStringLiteral("script"));
    tracker->setAttribute(QStringLiteral("async"), QString());
    page.live->head()->appendChild(tracker);
    static_cast<DOMText *>(page.live->getElementsByTagName(QStringLiteral("title")).item(0)->firstChild())
        ->setData(QStringLiteral("Changed"));
    page.byId("second")->parentNode()->removeChild(page.byId("second"));
    page.refresh();
    EXPECT_EQ(page.write(), s_foreign);

    // An edit elsewhere writes only itself.
    DOMNode *intro = page.live->querySelector(QStringLiteral(".intro"));
    static_cast<DOMElement *>(intro)->setAttribute(QStringLiteral("class"), QStringLiteral("lead"));
    page.edits.noteAttribute(intro, QStringLiteral("class"), QStringLiteral("intro"));
    QString expected = s_foreign;
    expected.replace(QStringLiteral("<P class='intro'>"), QStringLiteral("<P class='lead'>"));
    EXPECT_EQ(page.write(), expected);
}

TEST(HTMLSourceWriter, ANewNodeIsWrittenAfterItsNearestSiblingInTheFile)
{
    Fixture page(s_foreign);
    DOMElement *main = page.byId("main");
    DOMElementPtr added = page.live->createElement(QStringLiteral("p"));
    added->setTextContent(QStringLiteral("New & more"));
    main->insertBefore(added, page.byId("second")->nextSibling());
    page.edits.noteInserted(added.get());
    page.refresh();
    QString expected = s_foreign;
    expected.replace(QStringLiteral("<P id='second'>Second</P>"),
                     QStringLiteral("<P id='second'>Second</P>\r\n      <p>New &amp; more</p>"));
    EXPECT_EQ(page.write(), expected);
}

// #86: the unit of the page's indentation is read from its elements: the
// tab-indented lines of a script and the lines of a comment have no say.
TEST(HTMLSourceWriter, NewLinesAreIndentedAsTheElementsNotAsScriptsOrComments)
{
    const QString text = QStringLiteral("<!DOCTYPE html>\n<html>\n<head>\n<script>\n\tif (a) {\n\t\tb();\n\t}\n</script>\n"
                                        "</head>\n<body>\n <!--\n <p>An old version</p>\n -->\n  <div id='main'>\n"
                                        "    <p id='second'>Second</p>\n  </div>\n</body>\n</html>\n");
    Fixture page(text);
    DOMElementPtr list = page.live->createElement(QStringLiteral("ul"));
    DOMElementPtr item = page.live->createElement(QStringLiteral("li"));
    item->setTextContent(QStringLiteral("x"));
    list->appendChild(item);
    page.byId("main")->insertBefore(list, page.byId("second")->nextSibling());
    page.edits.noteInserted(list.get());
    page.refresh();
    EXPECT_EQ(page.write().toStdString(),
              QString(text).replace(QStringLiteral("<p id='second'>Second</p>"),
                                    QStringLiteral("<p id='second'>Second</p>\n    <ul>\n      <li>x</li>\n    </ul>")).toStdString());
}

TEST(HTMLSourceWriter, ChangedTextKeepsTheFilesWhiteSpaceAroundIt)
{
    Fixture page(QStringLiteral("<html><body><p id=p>\n  old text\n</p></body></html>"));
    auto *text = static_cast<DOMText *>(page.byId("p")->firstChild());
    text->setData(QStringLiteral("new <text>"));
    page.edits.noteData(text);
    EXPECT_EQ(page.write(), QStringLiteral("<html><body><p id=p>\n  new &lt;text&gt;\n</p></body></html>"));
}

TEST(HTMLSourceWriter, IgnoreMarksLeaveOutTheAuthorsElementsButNotByTheDefaultRules)
{
    Fixture page(s_foreign, ProjectUtil::defaultIgnoreOption() + QStringLiteral("\n#second{ignore:true;}"));
    // Nothing was edited, but a mark now keeps the paragraph out; the async
    // script the file holds stays.
    QString expected = s_foreign;
    expected.remove(QStringLiteral("\r\n      <P id='second'>Second</P>"));
    EXPECT_EQ(page.write(), expected);

    // The mark goes: the paragraph comes back from the file's text.
    page.settings.fileRules = HTMLSourceWriter::withoutDefaultRules(ProjectUtil::parseIgnoreOption(ProjectUtil::defaultIgnoreOption()));
    EXPECT_EQ(page.write(), s_foreign);
}

TEST(HTMLSourceWriter, RulesThatChangeAttributesOrNameASnippetRewriteThatElementOnly)
{
    PageTextGenerator::setSnippetProvider([](const QString &title) -> std::optional<QString> {
        return title == QLatin1String("menu") ? std::optional<QString>(QStringLiteral("<li>menu</li>")) : std::nullopt;
    });
    Fixture page(QStringLiteral("<html>\n<body>\n<p id=a class=x title='t'>a</p>\n<ul id=nav><li>old</li></ul>\n</body>\n</html>"),
                 QStringLiteral("#a{class:null;}\n#nav{contentName:menu;}"));
    EXPECT_EQ(page.write(), QStringLiteral("<html>\n<body>\n<p id=a title='t'>a</p>\n<ul id=nav><li>menu</li></ul>\n</body>\n</html>"));
    PageTextGenerator::setSnippetProvider({});
}

TEST(HTMLSourceWriter, TextThatCannotBePairedIsNotWrittenBySplicing)
{
    Fixture empty{QString()};
    EXPECT_FALSE(empty.pairing.isPaired());
    EXPECT_FALSE(HTMLSourceWriter::write(empty.pairing, *empty.live, empty.edits, empty.settings).has_value());
}

TEST(HTMLSourceWriter, MisnestedTagsTheParserMovedAreCopiedAsTheFileHasThem)
{
    const QString text = QStringLiteral("<html><body><table><tr><td>1</td></tr>stray<b>bold<p>para</b> end</p></table>\n</body></html>");
    Fixture page(text);
    EXPECT_EQ(page.write(), text);
    DOMNode *cell = page.live->querySelector(QStringLiteral("td"));
    static_cast<DOMElement *>(cell)->setAttribute(QStringLiteral("id"), QStringLiteral("c"));
    page.edits.noteAttribute(cell, QStringLiteral("id"), std::nullopt);
    QString expected = text;
    expected.replace(QStringLiteral("<td>"), QStringLiteral("<td id=\"c\">"));
    EXPECT_EQ(page.write(), expected);
}

// A pasted copy of an element, written beside its original, is equal to the
// original's text while the original carries what a script gave it: both
// pair, each with its own text, wherever the page put the copy (the tree
// appends one after the parent's closing blanks; the text has it before them).
TEST(HTMLSourcePairing, ACopyBesideAnOriginalAScriptChangedLeavesBothPaired)
{
    const QString text = QStringLiteral("<html><body><div>\n  <label>a</label>\n  <input class=\"x\">\n</div></body></html>");
    const QString copy = QStringLiteral("<input class=\"x\">");
    enum Place { Before, After, Last };
    for (const Place place : {Before, After, Last}) {
        SCOPED_TRACE(int(place));
        std::shared_ptr<DOMDocument> live = HTMLParser::parseDocument(text);
        auto *original = static_cast<DOMElement *>(live->querySelector(QStringLiteral("input")));
        original->setAttribute(QStringLiteral("onfocus"), QStringLiteral("focused(this)"));
        DOMElementPtr pasted = live->createElement(QStringLiteral("input"));
        pasted->setAttribute(QStringLiteral("class"), QStringLiteral("x"));
        DOMNode *parent = original->parentNode();
        parent->insertBefore(pasted, place == Before ? original : place == After ? original->nextSibling() : nullptr);
        QString written = text;
        const qsizetype at = written.indexOf(copy);
        if (place == Before)
            written.insert(at, copy + QStringLiteral("\n  "));
        else
            written.insert(at + copy.size(), QStringLiteral("\n  ") + copy);

        HTMLSourcePairing pairing;
        pairing.pair(written, *live);
        ASSERT_TRUE(pairing.isPaired());
        const DOMNode *originalSource = pairing.sourceOf(original);
        const DOMNode *pastedSource = pairing.sourceOf(pasted.get());
        ASSERT_TRUE(originalSource && pastedSource);
        EXPECT_NE(originalSource, pastedSource);
        const DOMNode *label = pairing.sourceOf(live->querySelector(QStringLiteral("label")));
        ASSERT_TRUE(label);
        EXPECT_EQ(label->nextSibling()->nextSibling() == originalSource, place != Before);
    }
}

TEST(HTMLSourcePairing, ElementsAScriptWrappedBeforeThePairingArePairedWhereTheyNowStand)
{
    // A table widget's frame around a table, a deck's canvas around its steps.
    const QString text = QStringLiteral(
        "<html><body>\n<div class=\"card\">\n  <table class=\"table\" id=\"grid\"><tr><td>1</td></tr></table>\n</div>\n"
        "<div id=\"deck\">\n  <div class=\"step\" id=\"one\"><p>One</p></div>\n  <div class=\"step\"><p>Two</p></div>\n</div>\n"
        "<div id=\"show\">\n  <div class=\"slides\"><section>One</section></div>\n</div>\n"
        "<div id=\"show2\">\n  <div class=\"slides\"><section>Two</section></div>\n</div>\n</body></html>");
    Fixture page(text);
    DOMElement *table = page.byId("grid");
    DOMElement *card = static_cast<DOMElement *>(table->parentNode());
    DOMElementPtr frame = page.live->createElement(QStringLiteral("div"));
    frame->setAttribute(QStringLiteral("id"), QStringLiteral("grid_wrapper"));
    DOMElementPtr row = page.live->createElement(QStringLiteral("div"));
    frame->appendChild(row);
    card->insertBefore(frame, table);
    row->appendChild(table->shared_from_this());
    table->setAttribute(QStringLiteral("class"), QStringLiteral("table grid-ready"));
    table->setAttribute(QStringLiteral("role"), QStringLiteral("grid"));
    DOMElement *deck = page.byId("deck");
    DOMElementPtr canvas = page.live->createElement(QStringLiteral("div"));
    canvas->setAttribute(QStringLiteral("style"), QStringLiteral("position: absolute"));
    while (deck->firstChild())
        canvas->appendChild(deck->firstChild()->shared_from_this());
    deck->appendChild(canvas);
    QList<DOMElement *> steps;
    for (DOMNode *child = canvas->firstChild(); child; child = child->nextSibling()) {
        if (child->isElement()) {
            static_cast<DOMElement *>(child)->setAttribute(QStringLiteral("class"), QStringLiteral("step future"));
            steps.append(static_cast<DOMElement *>(child));
        }
    }
    ASSERT_EQ(steps.size(), 2);
    // And decks that put their slides last, past the blanks the text has
    // after them, with their own controls where the slides stood or after
    // the blanks.
    QList<DOMElement *> decks;
    QList<DOMElementPtr> controls;
    for (const char *id : {"show", "show2"}) {
        DOMElement *show = page.byId(id);
        DOMElement *slides = static_cast<DOMElement *>(show->querySelector(QStringLiteral(".slides")));
        slides->setAttribute(QStringLiteral("style"), QStringLiteral("width: 960px"));
        DOMElementPtr control = page.live->createElement(QStringLiteral("div"));
        control->setAttribute(QStringLiteral("class"), QStringLiteral("controls"));
        if (decks.isEmpty())
            show->insertBefore(control, slides);
        else
            show->appendChild(control);
        show->appendChild(slides->shared_from_this());
        decks.append(slides);
        controls.append(control);
    }
    page.refresh();

    // Paired anew, as after a reload: each where the script put it.
    page.pairing.pair(text, *page.live);
    ASSERT_TRUE(page.pairing.isPaired());
    EXPECT_TRUE(page.pairing.sourceOf(table));
    EXPECT_TRUE(page.pairing.sourceOf(table->querySelector(QStringLiteral("td"))));
    EXPECT_FALSE(page.pairing.sourceOf(frame.get()));
    EXPECT_FALSE(page.pairing.sourceOf(canvas.get()));
    for (DOMElement *step : steps) {
        ASSERT_TRUE(page.pairing.sourceOf(step));
        EXPECT_EQ(static_cast<const DOMElement *>(page.pairing.sourceOf(step))->localName(), QStringLiteral("div"));
        EXPECT_TRUE(page.pairing.sourceOf(step->firstChild()));
    }
    EXPECT_NE(page.pairing.sourceOf(steps.at(0)), page.pairing.sourceOf(steps.at(1)));
    for (qsizetype i = 0; i < decks.size(); ++i) {
        EXPECT_TRUE(page.pairing.sourceOf(decks.at(i))) << i;
        EXPECT_TRUE(page.pairing.sourceOf(decks.at(i)->firstChild())) << i;
        EXPECT_FALSE(page.pairing.sourceOf(controls.at(i).get())) << i;
    }
    EXPECT_EQ(page.write(), text);

    // An edit of one of them is written at its place in the file.
    steps.at(1)->setAttribute(QStringLiteral("title"), QStringLiteral("t"));
    page.edits.noteAttribute(steps.at(1), QStringLiteral("title"), QString());
    QString expected = text;
    expected.replace(QStringLiteral("<div class=\"step\"><p>Two"), QStringLiteral("<div class=\"step\" title=\"t\"><p>Two"));
    EXPECT_EQ(page.write(), expected);
}

TEST(HTMLSourcePairing, RowsAScriptSortedAndPagedArePairedWithTheRowsOfTheirText)
{
    // A table widget takes every row out, leaving the blanks between them,
    // and puts back the page it shows, sorted.
    const QString text = QStringLiteral("<html><body><table><tbody>\n  <tr><td>b</td></tr>\n  <tr><td>c</td></tr>\n"
                                        "  <tr><td>a</td></tr>\n</tbody></table></body></html>");
    Fixture page(text);
    DOMNode *body = page.live->querySelector(QStringLiteral("tbody"));
    QList<DOMElement *> rows;
    for (DOMNode *child = body->firstChild(); child; child = child->nextSibling()) {
        if (child->isElement())
            rows.append(static_cast<DOMElement *>(child));
    }
    ASSERT_EQ(rows.size(), 3);
    for (DOMElement *row : rows)
        body->removeChild(row);
    rows.at(2)->setAttribute(QStringLiteral("class"), QStringLiteral("odd"));
    rows.at(0)->setAttribute(QStringLiteral("class"), QStringLiteral("even"));
    body->appendChild(rows.at(2)->shared_from_this());
    body->appendChild(rows.at(0)->shared_from_this());
    page.refresh();

    page.pairing.pair(text, *page.live);
    ASSERT_TRUE(page.pairing.isPaired());
    for (DOMElement *row : {rows.at(2), rows.at(0)}) {
        const DOMNode *source = page.pairing.sourceOf(row);
        ASSERT_TRUE(source) << row->textContent().toStdString();
        EXPECT_EQ(source->textContent(), row->textContent());
    }
    EXPECT_EQ(page.write(), text);
}

} // namespace HTMLSourceWriterTest

namespace HTMLSourceWriterMinifiedTest {

TEST(HTMLSourceWriter, ANewNodeInAMinifiedPageIsWrittenMinified)
{
    const QString minified = QStringLiteral("<!DOCTYPE html><html><head><title>t</title></head><body><div id=main>"
                                            "<p id=second>Second</p></div></body></html>");
    HTMLSourceWriterTest::Fixture page(minified);
    DOMElementPtr added = page.live->createElement(QStringLiteral("p"));
    added->setTextContent(QStringLiteral("New"));
    page.byId("main")->insertBefore(added, page.byId("second")->nextSibling());
    page.edits.noteInserted(added.get());
    page.refresh();
    EXPECT_EQ(page.write(), QString(minified).replace(QStringLiteral("<p id=second>Second</p>"),
                                                      QStringLiteral("<p id=second>Second</p><p>New</p>")));
}

} // namespace HTMLSourceWriterMinifiedTest

#include "WorkspaceTestSupport.h"

#include "WebTestFixture.h"

#include "app/FileViewController.h"
#include "code/CodeView.h"
#include "domtree/DomInfoDelegate.h"
#include "domtree/DomTreeDelegate.h"
#include "foundation/InspectUndoManager.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/web/dom/DOMDocument.h"
#include "platform/web/dom/DOMAttr.h"
#include "platform/web/dom/DOMElement.h"
#include "platform/web/engine/WebPage.h"
#include "platform/web/html/HTMLParser.h"
#include "preview/ExWebView.h"
#include "preview/PreviewDelegate.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QLineEdit>
#include <QTest>

#include <gtest/gtest.h>

#include <random>

// Typing into the code views of a page and of its sheet, and the edits of
// the DOM tree and the Attributes pane, make one history: each is a step of
// the one undo manager, named in it, and no step is skipped for another
// view's change between. Undo of everything gives back the files' bytes,
// Redo of everything the edits (#84).
namespace OneHistoryInWindowTest {

namespace {

const QByteArray kPage = "<!DOCTYPE html>\n<html>\n<head>\n  <title>Admin</title>\n"
                         "  <link rel=\"stylesheet\" href=\"css/site.css\">\n</head>\n<body>\n"
                         "  <ul id=\"menu\">\n    <li id=\"a\">A</li>\n    <li id=\"b\">B</li>\n  </ul>\n"
                         "  <p id=\"note\">Note</p>\n</body>\n</html>\n";
const QByteArray kSheet = ".card {\n  border-radius: 8px;\n}\n";

class OneHistory : public WorkspaceTest
{
protected:
    virtual QByteArray pageText() const { return kPage; }

    void SetUp() override
    {
        WorkspaceTest::SetUp();
        TestUtil::writeFile(path("site/index.html"), pageText());
        TestUtil::writeFile(path("site/css/site.css"), kSheet);
        remember({path("site")});
        UserDefaults::standardUserDefaults().setBool(true, QStringLiteral("clearUndoAlert"));
        launch();
        preview = dynamic_cast<PreviewDelegate *>(controller()->previewHalf());
        tree = dynamic_cast<DomTreeDelegate *>(delegate->domTreeController());
        ASSERT_TRUE(preview && tree);
        delegate->ui().window->show();
        File *page = node("site/index.html");
        ASSERT_TRUE(page);
        ASSERT_NO_FATAL_FAILURE(select(page));
        controller()->doubleClick();
        ASSERT_TRUE(TestUtil::waitUntil([&] { return tree->indexFile() == page && byId("note") && !preview->isLoading(); },
                                        20000));
    }

    InspectUndoManager *undo() const { return delegate->sharedUndoManager(); }
    DOMElement *byId(const char *id) const
    {
        return tree->document() ? tree->document()->getElementById(QString::fromLatin1(id)) : nullptr;
    }
    QString text(const char *file) { return node(file)->currentContent().value_or(QString()); }

    void removeRow(const char *id)
    {
        tree->selectNode(byId(id));
        tree->removeNode();
        TestUtil::spin(20);
    }

    void copyAndPaste(const char *id)
    {
        tree->selectNode(byId(id));
        tree->doClipNode();
        tree->paste();
        TestUtil::spin(20);
    }

    void addAttribute(const char *id, const QString &name, const QString &value) { addAttribute(byId(id), name, value); }
    void addAttribute(DOMElement *element, const QString &name, const QString &value)
    {
        ASSERT_TRUE(element);
        tree->selectNode(element);
        DomInfoDelegate *inspector = tree->domInfoDelegate();
        ASSERT_TRUE(TestUtil::waitUntil([&] { return inspector->inspectedNode() && inspector->inspectedNode()->node() == element; }));
        inspector->attrName()->setText(name);
        inspector->attrValue()->setText(value);
        inspector->addAttr();
        TestUtil::spin(20);
    }

    // Undo, or Redo, until none is offered; answers the names taken.
    QStringList runAll(bool redo)
    {
        QStringList names;
        for (int i = 0; i < 200 && (redo ? undo()->canRedo() : undo()->canUndo()); ++i) {
            names << (redo ? undo()->redoActionName() : undo()->undoActionName());
            redo ? undo()->redo() : undo()->undo();
            TestUtil::spin(10);
        }
        return names;
    }

    void saveBoth()
    {
        File::runPendingWrites();
        for (const char *file : {"site/index.html", "site/css/site.css"}) {
            if (node(file)->isModified()) {
                EXPECT_TRUE(node(file)->save()) << file;
            }
        }
    }

    // The elements, attributes and texts under the root, in order; texts
    // side by side read as one and white space as one blank, as the page
    // shows them (a row removed leaves its line's indent in the page).
    static QString shape(const DOMNode *node)
    {
        if (node->isText())
            return node->nodeValue();
        if (node->isComment())
            return QStringLiteral("<!--") + node->nodeValue() + QStringLiteral("-->");
        if (!node->isElement())
            return QString();
        const auto *element = static_cast<const DOMElement *>(node);
        QStringList attributes;
        for (int i = 0; i < element->attributeCount(); ++i)
            attributes << element->attributeAt(i)->name() + QLatin1Char('=') + element->attributeAt(i)->value();
        attributes.sort();
        QString children;
        QString text;
        for (int i = 0; i < node->childCount(); ++i) {
            const DOMNode *child = node->childAt(i);
            if (child->isText()) {
                text += child->nodeValue();
                continue;
            }
            if (!text.simplified().isEmpty())
                children += QLatin1Char('"') + text.simplified() + QLatin1Char('"');
            text.clear();
            children += shape(child);
        }
        if (!text.simplified().isEmpty())
            children += QLatin1Char('"') + text.simplified() + QLatin1Char('"');
        return element->localName() + QLatin1Char('[') + attributes.join(u',') + QStringLiteral("](") + children + QLatin1Char(')');
    }

    // The page's mirror as the file's text parses; and the page itself on
    // its title, list and note.
    bool pageShowsFile(std::string *why)
    {
        const QString written = text("site/index.html");
        const std::shared_ptr<DOMDocument> parsed = HTMLParser::parseDocument(written, tree->document()->scripting());
        const QString mirrored = shape(tree->document()->documentElement());
        const QString fromFile = shape(parsed->documentElement());
        if (mirrored != fromFile) {
            *why = "mirror " + mirrored.toStdString() + "\nfile   " + fromFile.toStdString();
            return false;
        }
        const QString probe = QStringLiteral(
            "(function(){var n=document.getElementById('note');var m=document.getElementById('menu');"
            "return document.title+'|'+(m?m.children.length:-1)+'|'+(n?(n.getAttribute('title')||''):'?')+'|'+(n?n.textContent:'?');})()");
        std::optional<QString> shown;
        preview->webview()->webPage()->runJavaScript(probe, WebPage::World::Bridge,
                                                     [&shown](const QVariant &value) { shown = value.toString(); });
        TestUtil::waitUntil([&] { return shown.has_value(); }, 5000);
        const DOMElement *note = parsed->getElementById(QStringLiteral("note"));
        const DOMElement *menu = parsed->getElementById(QStringLiteral("menu"));
        const DOMElement *title = parsed->querySelector(QStringLiteral("title"));
        int items = 0;
        for (int i = 0; menu && i < menu->childCount(); ++i)
            items += menu->childAt(i)->isElement() ? 1 : 0;
        const QString expected = (title ? title->textContent().simplified() : QString()) + QLatin1Char('|')
                                 + QString::number(menu ? items : -1) + QLatin1Char('|')
                                 + (note ? note->getAttribute(QStringLiteral("title")) : QStringLiteral("?")) + QLatin1Char('|')
                                 + (note ? note->textContent() : QStringLiteral("?"));
        if (shown != expected) {
            *why = "page " + shown.value_or(QStringLiteral("(no answer)")).toStdString() + ", file " + expected.toStdString();
            return false;
        }
        return true;
    }

    // Loads the page again and waits for its new tree.
    void reloadPage()
    {
        const DOMDocument *before = tree->document();
        preview->refreshWebview();
        ASSERT_TRUE(TestUtil::waitUntil([&] { return tree->document() && tree->document() != before && byId("note") && !preview->isLoading(); },
                                        20000));
    }

    // Undo of everything, the page following each step, saves the page's
    // bytes; Redo of everything saves the edited ones.
    void undoAndRedoEverything(const QByteArray &edited)
    {
        std::string why;
        for (const bool redo : {false, true}) {
            for (int i = 0; i < 50 && (redo ? undo()->canRedo() : undo()->canUndo()); ++i) {
                redo ? undo()->redo() : undo()->undo();
                ASSERT_TRUE(TestUtil::waitUntil([&] { return pageShowsFile(&why); }, 5000)) << (redo ? "redo " : "undo ") << i << ": " << why;
            }
            saveBoth();
            EXPECT_EQ(TestUtil::readFile(path("site/index.html")), redo ? edited : pageText());
        }
    }

    PreviewDelegate *preview = nullptr;
    DomTreeDelegate *tree = nullptr;
};

} // namespace

TEST_F(OneHistory, TypingInThePagesAndSheetsCodeViewsChainsWithThePanelsEditsUndoneAndRedoneWhole)
{
    ASSERT_NO_FATAL_FAILURE(removeRow("b"));
    ASSERT_NO_FATAL_FAILURE(copyAndPaste("a"));
    ASSERT_NO_FATAL_FAILURE(addAttribute("note", QStringLiteral("title"), QStringLiteral("t1")));
    QString page = QString::fromUtf8(kPage);
    page.replace(QStringLiteral("\n    <li id=\"b\">B</li>"), QStringLiteral("\n    <li id=\"a\">A</li>"));
    page.replace(QStringLiteral("<p id=\"note\">"), QStringLiteral("<p id=\"note\" title=\"t1\">"));
    ASSERT_TRUE(TestUtil::waitUntil([&] { return text("site/index.html") == page; })) << text("site/index.html").toStdString();

    // Typed into the page's code view: insertions, a Backspace and a Delete.
    CodeView *view = codeViewAfter("site/index.html", QStringLiteral("<title>Admin"));
    ASSERT_TRUE(view);
    keys(view, QStringLiteral(" Prox\b"));
    EXPECT_EQ(undo()->undoActionName(), QStringLiteral("type"));
    view = codeViewAfter("site/index.html", QStringLiteral("<title>"));
    ASSERT_TRUE(view);
    keys(view, QStringLiteral("X\x7f"));
    page.replace(QStringLiteral("<title>Admin"), QStringLiteral("<title>Xdmin Pro"));
    ASSERT_EQ(text("site/index.html"), page);

    // Then into the sheet's: the page's typing stays in the history.
    view = codeViewAfter("site/css/site.css", QStringLiteral("border-radius: "));
    ASSERT_TRUE(view);
    keys(view, QStringLiteral("\x7f\x7f" "12"));
    QString sheet = QString::fromUtf8(kSheet);
    sheet.replace(QStringLiteral("8px"), QStringLiteral("12x"));
    ASSERT_EQ(text("site/css/site.css"), sheet);
    EXPECT_EQ(undo()->undoActionName(), QStringLiteral("type"));

    saveBoth();
    EXPECT_EQ(TestUtil::readFile(path("site/index.html")), page.toUtf8());
    EXPECT_EQ(TestUtil::readFile(path("site/css/site.css")), sheet.toUtf8());

    const QStringList undone = runAll(false);
    EXPECT_GE(undone.count(QStringLiteral("type")), 10) << undone.join(u',').toStdString();
    saveBoth();
    EXPECT_EQ(TestUtil::readFile(path("site/index.html")), kPage);
    EXPECT_EQ(TestUtil::readFile(path("site/css/site.css")), kSheet);

    const QStringList redone = runAll(true);
    EXPECT_EQ(redone.size(), undone.size()) << redone.join(u',').toStdString();
    saveBoth();
    EXPECT_EQ(TestUtil::readFile(path("site/index.html")), page.toUtf8());
    EXPECT_EQ(TestUtil::readFile(path("site/css/site.css")), sheet.toUtf8());
}

// Two lines typed, a Backspace and a Delete; saved, the page loaded again
// and the sheet shown in the pane: Undo of everything gives back the file
// as it was.
TEST_F(OneHistory, TypingSavedAndReloadedIsUndoneToTheOriginalBytes)
{
    CodeView *view = codeViewAfter("site/index.html", QStringLiteral("<li id=\"a\">A</li>"));
    ASSERT_TRUE(view);
    keys(view, QStringLiteral("\n<li>C</li>\n<li>D</li>\b\b"));
    view = codeViewAfter("site/index.html", QStringLiteral("<li>C"));
    ASSERT_TRUE(view);
    keys(view, QStringLiteral("\x7f\x7f"));
    const QString typed = text("site/index.html");
    ASSERT_NE(typed, QString::fromUtf8(kPage));
    saveBoth();
    ASSERT_EQ(TestUtil::readFile(path("site/index.html")), typed.toUtf8());

    ASSERT_NO_FATAL_FAILURE(reloadPage());
    // The pane shows the sheet now; the page's typing is still the page's.
    ASSERT_TRUE(codeViewAfter("site/css/site.css", QStringLiteral(".card")));
    const QStringList undone = runAll(false);
    saveBoth();
    EXPECT_EQ(TestUtil::readFile(path("site/index.html")), kPage) << undone.join(u',').toStdString();
    runAll(true);
    saveBoth();
    EXPECT_EQ(TestUtil::readFile(path("site/index.html")), typed.toUtf8());
}

// After the tree removed and added elements, the page follows typing into
// its code view at once, as it does before such edits.
TEST_F(OneHistory, ThePageFollowsTypingRightAfterTheTreeAddedAndRemovedElements)
{
    ASSERT_NO_FATAL_FAILURE(removeRow("b"));
    ASSERT_NO_FATAL_FAILURE(copyAndPaste("a"));
    ASSERT_TRUE(TestUtil::waitUntil([&] { return text("site/index.html").count(QStringLiteral("<li id=\"a\">")) == 2; }));
    CodeView *view = codeViewAfter("site/index.html", QStringLiteral("<p id=\"note\">"));
    ASSERT_TRUE(view);
    keys(view, QStringLiteral("New "));
    ASSERT_TRUE(text("site/index.html").contains(QStringLiteral(">New Note<")));
    std::string why;
    EXPECT_TRUE(TestUtil::waitUntil([&] { return pageShowsFile(&why); }, 5000)) << why;
    // And its undo, with the tree's edits before it.
    runAll(false);
    EXPECT_TRUE(TestUtil::waitUntil([&] { return pageShowsFile(&why); }, 5000)) << why;
    EXPECT_EQ(text("site/index.html"), QString::fromUtf8(kPage));
}

// An edit that comes right after the write of the one before it (in the
// same turn of events, as a key waiting behind the write's timer does) is
// a step of its own with its own write: each Undo takes back an edit and
// its text together, none refused for a node the text no longer holds.
TEST_F(OneHistory, AnEditRightAfterTheWriteOfTheOneBeforeIsUndoneWithItsOwnWrite)
{
    AlertAnswers alerts({});
    tree->selectNode(byId("b"));
    tree->removeNode();
    File::runPendingWrites();
    ASSERT_FALSE(text("site/index.html").contains(QStringLiteral("id=\"b\"")));
    ASSERT_NO_FATAL_FAILURE(copyAndPaste("a"));
    ASSERT_TRUE(TestUtil::waitUntil([&] { return text("site/index.html").count(QStringLiteral("<li id=\"a\">")) == 2; }));
    ASSERT_TRUE(TestUtil::waitUntil([&] { return !undo()->groupingLevel(); }));
    std::string why;
    for (int step = 0; step < 2; ++step) {
        ASSERT_TRUE(undo()->canUndo()) << step;
        undo()->undo();
        EXPECT_TRUE(TestUtil::waitUntil([&] { return pageShowsFile(&why); }, 5000)) << step << ": " << why;
    }
    EXPECT_FALSE(undo()->canUndo());
    EXPECT_TRUE(alerts.messages.isEmpty()) << alerts.informativeTexts.join(u'\n').toStdString();
    EXPECT_EQ(text("site/index.html"), QString::fromUtf8(kPage));
}

// Keys typed into the page's code view before the tree's edit was written
// (its write waits a tenth of a second) go into the text with that edit.
TEST_F(OneHistory, TypingRightAfterATreeEditKeepsTheEditInTheFile)
{
    CodeView *view = codeViewAfter("site/index.html", QStringLiteral("<p id=\"note\">"));
    ASSERT_TRUE(view);
    tree->selectNode(byId("b"));
    tree->removeNode();
    view->setFocus();
    keys(view, QStringLiteral("New "));
    const QString written = text("site/index.html");
    EXPECT_FALSE(written.contains(QStringLiteral("id=\"b\""))) << written.toStdString();
    EXPECT_TRUE(written.contains(QStringLiteral("<p id=\"note\">New Note<"))) << written.toStdString();
    std::string why;
    EXPECT_TRUE(TestUtil::waitUntil([&] { return pageShowsFile(&why); }, 5000)) << why;
    runAll(false);
    EXPECT_EQ(text("site/index.html"), QString::fromUtf8(kPage));
}

// Typing, then the tree's edits; the page loaded again: every step is still
// undone, the page following each, to the file's bytes, and redone to the
// edits.
TEST_F(OneHistory, AReloadKeepsTheTreesStepsAndTheTypingBeforeThemUndoneToTheBytes)
{
    CodeView *view = codeViewAfter("site/index.html", QStringLiteral("<title>Admin"));
    ASSERT_TRUE(view);
    keys(view, QStringLiteral(" Pro"));
    ASSERT_NO_FATAL_FAILURE(removeRow("b"));
    ASSERT_NO_FATAL_FAILURE(addAttribute("note", QStringLiteral("title"), QStringLiteral("t1")));
    ASSERT_TRUE(TestUtil::waitUntil([&] { return text("site/index.html").contains(QStringLiteral("title=\"t1\"")); }));
    saveBoth();
    const QByteArray edited = TestUtil::readFile(path("site/index.html"));

    ASSERT_NO_FATAL_FAILURE(reloadPage());
    ASSERT_NO_FATAL_FAILURE(undoAndRedoEverything(edited));
}

// The tree's steps on both sides of a reload: the one after it is the
// tree's own, those before it are kept on the text; each undone and redone
// in turn, the page follows every one.
TEST_F(OneHistory, TheTreesStepsOnBothSidesOfAReloadAreUndoneAndRedoneWithThePage)
{
    ASSERT_NO_FATAL_FAILURE(removeRow("b"));
    ASSERT_NO_FATAL_FAILURE(copyAndPaste("a"));
    ASSERT_TRUE(TestUtil::waitUntil([&] { return text("site/index.html").count(QStringLiteral("<li id=\"a\">")) == 2; }));
    ASSERT_NO_FATAL_FAILURE(reloadPage());
    ASSERT_NO_FATAL_FAILURE(removeRow("note"));
    ASSERT_TRUE(TestUtil::waitUntil([&] { return !text("site/index.html").contains(QStringLiteral("id=\"note\"")); }));
    saveBoth();
    const QByteArray edited = TestUtil::readFile(path("site/index.html"));
    ASSERT_NO_FATAL_FAILURE(undoAndRedoEverything(edited));
}

// A seeded sequence of typing into the page's and its sheet's code views
// (insertions, Backspace, Delete, paste), Attributes pane edits, Undo and
// saves: after each step the page shows what its
// file holds; Undo of everything gives back both files' bytes, Redo of
// everything the edited bytes. QUILLMARK_SEEDS="1 2 ..." runs other seeds.
TEST_F(OneHistory, ASeededSequenceOfEveryViewsEditsKeepsThePageWithItsTextAndUndoesToTheBytes)
{
    QList<unsigned> seeds{1, 2, 3};
    if (const QString chosen = qEnvironmentVariable("QUILLMARK_SEEDS"); !chosen.isEmpty()) {
        seeds.clear();
        for (const QString &seed : chosen.split(u' ', Qt::SkipEmptyParts))
            seeds.append(seed.toUInt());
    }
    for (const unsigned seed : seeds) {
        std::mt19937 random(seed);
        int titles = 0;
        for (int step = 0; step < 16; ++step) {
            const int what = int(random() % 9);
            std::string name;
            switch (what) {
            case 0:
            case 1: {
                // Into the page's title or note, as typed or pasted.
                name = "typing into the page";
                const char *place = random() % 2 ? "<title>" : "<p id=\"note\"";
                const QString page = text("site/index.html");
                const qsizetype at = page.indexOf(QString::fromLatin1(place));
                if (at < 0)
                    break;
                const qsizetype close = page.indexOf(u'>', at);
                CodeView *view = codeViewAfter("site/index.html", page.mid(at, close + 1 - at));
                ASSERT_TRUE(view);
                if (random() % 3 == 0) {
                    name = "a paste into the page";
                    QGuiApplication::clipboard()->setText(QStringLiteral("pasted "));
                    QTest::keyClick(view, Qt::Key_V, Qt::ControlModifier);
                    TestUtil::spin(2);
                } else {
                    keys(view, random() % 2 ? QStringLiteral("ab") : QStringLiteral("x\x7f\x7fz"));
                }
                break;
            }
            case 2: {
                name = "typing into the sheet";
                CodeView *view = codeViewAfter("site/css/site.css", QStringLiteral("border-radius: "));
                ASSERT_TRUE(view);
                keys(view, random() % 2 ? QStringLiteral("1") : QStringLiteral("\x7f" "2"));
                break;
            }
            case 3:
                name = "a backspace in the page";
                if (CodeView *view = codeViewAfter("site/index.html", QStringLiteral("<title>")))
                    keys(view, QStringLiteral("qq\b"));
                break;
            case 4:
            case 5:
                name = "save";
                saveBoth();
                break;
            case 6:
                name = "an attribute edit";
                if (byId("note")) {
                    ASSERT_NO_FATAL_FAILURE(addAttribute("note", QStringLiteral("title"), QStringLiteral("t%1").arg(++titles)));
                }
                break;
            case 7:
                name = "undo";
                if (undo()->canUndo())
                    undo()->undo();
                TestUtil::spin(10);
                break;
            default:
                name = "save";
                saveBoth();
                break;
            }
            TestUtil::spin(10);
            std::string why;
            ASSERT_TRUE(TestUtil::waitUntil([&] { return pageShowsFile(&why); }, 5000))
                << "seed " << seed << ", step " << step << " (" << name << "): " << why;
        }
        // Steps undone last are redone first: the edits are all of them.
        const auto unwind = [&](bool redo) {
            for (int i = 0; i < 200 && (redo ? undo()->canRedo() : undo()->canUndo()); ++i) {
                const QString name = redo ? undo()->redoActionName() : undo()->undoActionName();
                redo ? undo()->redo() : undo()->undo();
                TestUtil::spin(10);
                std::string why;
                ASSERT_TRUE(TestUtil::waitUntil([&] { return pageShowsFile(&why); }, 5000))
                    << "seed " << seed << ", " << (redo ? "redo " : "undo ") << name.toStdString() << ": " << why;
            }
        };
        ASSERT_NO_FATAL_FAILURE(unwind(true));
        const QByteArray editedPage = text("site/index.html").toUtf8();
        const QByteArray editedSheet = text("site/css/site.css").toUtf8();
        ASSERT_NO_FATAL_FAILURE(unwind(false));
        saveBoth();
        EXPECT_EQ(TestUtil::readFile(path("site/index.html")), kPage) << "seed " << seed;
        EXPECT_EQ(TestUtil::readFile(path("site/css/site.css")), kSheet) << "seed " << seed;
        std::string why;
        EXPECT_TRUE(TestUtil::waitUntil([&] { return pageShowsFile(&why); }, 5000)) << "seed " << seed << ": " << why;
        ASSERT_NO_FATAL_FAILURE(unwind(true));
        saveBoth();
        EXPECT_EQ(TestUtil::readFile(path("site/index.html")), editedPage) << "seed " << seed;
        EXPECT_EQ(TestUtil::readFile(path("site/css/site.css")), editedSheet) << "seed " << seed;
        EXPECT_TRUE(TestUtil::waitUntil([&] { return pageShowsFile(&why); }, 5000)) << "seed " << seed << ": " << why;
        if (HasFailure())
            return;
        // The next seed starts from the files as they were.
        runAll(false);
        saveBoth();
        undo()->removeAllActions();
    }
}

// An element pasted before a reload, its attribute edited after it: Undo
// of everything takes the element out of the page as its text goes, and
// Redo makes it anew from the text; the attribute's step then acts on an
// element the page no longer holds, and the page follows the step's text
// instead, every time it is undone and redone.
TEST_F(OneHistory, AnAttributeOfAnElementPastedBeforeAReloadIsUndoneAndRedoneWithThePage)
{
    ASSERT_NO_FATAL_FAILURE(copyAndPaste("note"));
    ASSERT_TRUE(TestUtil::waitUntil([&] { return text("site/index.html").count(QStringLiteral("<p id=\"note\">")) == 2; }));
    ASSERT_NO_FATAL_FAILURE(reloadPage());
    // The second note, pasted before the reload.
    ASSERT_NO_FATAL_FAILURE(addAttribute(byId("note")->nextElementSibling(), QStringLiteral("title"), QStringLiteral("t2")));
    ASSERT_TRUE(TestUtil::waitUntil([&] { return text("site/index.html").contains(QStringLiteral("title=\"t2\"")); }));
    saveBoth();
    const QByteArray edited = TestUtil::readFile(path("site/index.html"));
    ASSERT_NO_FATAL_FAILURE(undoAndRedoEverything(edited));
    ASSERT_NO_FATAL_FAILURE(undoAndRedoEverything(edited));
}

// A table a page script wraps in its widget's frame as the page loads, as
// data-table scripts do: after a reload the tree still holds it and its
// cells to be the file's, and a removal of it is undone and redone with its
// text (#87).
class ScriptedPage : public OneHistory
{
protected:
    QByteArray pageText() const override { return kScripted; }

    static inline const QByteArray kScripted =
        "<!DOCTYPE html>\n<html>\n<head>\n  <title>Tables</title>\n</head>\n<body>\n"
        "  <div class=\"card\">\n    <table class=\"grid\" id=\"grid\">\n      <tr><td id=\"cell\">1</td></tr>\n    </table>\n  </div>\n"
        "  <p id=\"note\">Note</p>\n"
        "  <script>\n    var t = document.getElementById('grid'), f = document.createElement('div');\n"
        "    f.id = 'grid_wrapper'; t.parentNode.insertBefore(f, t); f.appendChild(document.createElement('div')).appendChild(t);\n"
        "    t.className += ' ready'; t.setAttribute('role', 'grid');\n  </script>\n</body>\n</html>\n";
};

TEST_F(ScriptedPage, ATableAScriptWrappedIsTheFilesAfterAReloadAndItsRemovalIsUndone)
{
    AlertAnswers alerts({});
    ASSERT_NO_FATAL_FAILURE(reloadPage());
    ASSERT_TRUE(TestUtil::waitUntil([&] { return byId("grid") && byId("grid_wrapper"); }));
    EXPECT_TRUE(tree->isInFileText(byId("grid")));
    EXPECT_TRUE(tree->isInFileText(byId("cell")));
    EXPECT_FALSE(tree->isInFileText(byId("grid_wrapper")));

    ASSERT_NO_FATAL_FAILURE(removeRow("grid"));
    ASSERT_TRUE(TestUtil::waitUntil([&] { return !text("site/index.html").contains(QStringLiteral("<table")); }));
    undo()->undo();
    ASSERT_TRUE(TestUtil::waitUntil([&] { return text("site/index.html") == QString::fromUtf8(kScripted) && byId("grid"); }));
    EXPECT_TRUE(tree->isInFileText(byId("grid")));
    EXPECT_TRUE(tree->isInFileText(byId("cell")));
    // Redo takes it out again, and Undo of everything gives the bytes back.
    undo()->redo();
    EXPECT_TRUE(TestUtil::waitUntil([&] { return !text("site/index.html").contains(QStringLiteral("<table")) && !byId("grid"); }));
    runAll(false);
    EXPECT_TRUE(TestUtil::waitUntil([&] { return byId("grid") && tree->isInFileText(byId("cell")); }));
    saveBoth();
    EXPECT_EQ(TestUtil::readFile(path("site/index.html")), kScripted);
}

// A page whose script moves within it at load, as a deck's slides do: its
// address gains a fragment, and it is still the page a reload loads again.
class HashedPage : public OneHistory
{
protected:
    QByteArray pageText() const override
    {
        QByteArray page = kPage;
        return page.replace("</body>", "  <script>location.hash = '#/step-1';</script>\n</body>");
    }
};

TEST_F(HashedPage, AReloadAfterItsScriptSetTheAddresssFragmentKeepsTheTreesSteps)
{
    ASSERT_TRUE(TestUtil::waitUntil([&] { return preview->webview()->mainFrameURL().endsWith(QLatin1String("#/step-1")); }));
    ASSERT_NO_FATAL_FAILURE(removeRow("b"));
    ASSERT_TRUE(TestUtil::waitUntil([&] { return !text("site/index.html").contains(QStringLiteral("id=\"b\"")); }));
    saveBoth();
    const QByteArray edited = TestUtil::readFile(path("site/index.html"));
    ASSERT_NO_FATAL_FAILURE(reloadPage());
    EXPECT_EQ(undo()->undoActionName(), QStringLiteral("Remove Element"));
    ASSERT_NO_FATAL_FAILURE(undoAndRedoEverything(edited));
}

} // namespace OneHistoryInWindowTest

#include "SaveFaults.h"
#include "WorkspaceTestSupport.h"

#include "WebTestFixture.h"

#include "app/EXWindow.h"
#include "app/MainMenu.h"
#include "cssrules/AddDeclarationViewController.h"
#include "cssrules/CSSOutlineDelegate.h"
#include "domtree/DomTreeDelegate.h"
#include "foundation/BalkInvocationManager.h"
#include "foundation/InspectUndoManager.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/kit/SplitView.h"
#include "platform/web/dom/DOMDocument.h"
#include "platform/web/dom/DOMElement.h"
#include "platform/web/engine/WebEngineCache.h"
#include "platform/web/engine/WebFrameMirror.h"
#include "platform/web/engine/WebPage.h"
#include "preview/BackgroundView.h"
#include "preview/ExWebView.h"
#include "preview/PreviewDelegate.h"
#include "toolkit/RBLPopover.h"
#include "toolkit/SearchFieldEx.h"

#include <QAction>
#include <QApplication>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPointer>
#include <QSignalSpy>
#include <QTest>
#include <QToolButton>

#include <gtest/gtest.h>

namespace RulesPanelInWindowTest {

namespace {

const QByteArray kSheet = "/* the site */\n"
                          "h1 {\n"
                          "    color: black;\n"
                          "    margin: 0;\n"
                          "}\n"
                          "\n"
                          "p { color: gray; }\n";

// The whole program with a page and its style sheet, as a new user meets it.
class RulesPanelInWindow : public WorkspaceTest
{
protected:
    void SetUp() override
    {
        WorkspaceTest::SetUp();
        TestUtil::writeFile(path("site/css/site.css"), kSheet);
        // Linked by no page: a test's page links it later.
        TestUtil::writeFile(path("site/css/late.css"), "h1 { letter-spacing: 2px; }\n");
        TestUtil::writeFile(path("site/index.html"),
                            "<!DOCTYPE html><link rel=stylesheet href=css/site.css><body style='margin:0'>"
                            "<h1 id=title style='height:40px'>Home</h1><p>welcome</p></body>");
        TestUtil::writeFile(path("site/about.html"),
                            "<!DOCTYPE html><link rel=stylesheet href=css/site.css><body><h1 id=title>About</h1></body>");
        remember({path("site")});
        launch();
        preview = dynamic_cast<PreviewDelegate *>(controller()->previewHalf());
        rules = dynamic_cast<CSSOutlineDelegate *>(delegate->cssOutlineDelegate());
        ASSERT_TRUE(preview && rules);
        QObject::connect(preview, &PreviewDelegate::loadCompleted, preview, [this] { ++completions; });
        delegate->ui().window->show();
    }

    // Shows the page and clicks its heading with detection on.
    void pickTheHeading()
    {
        select(node("site/index.html"));
        controller()->doubleClick();
        ASSERT_TRUE(TestUtil::waitUntil([&] { return completions > 0; }, 15000));
        ExWebView *view = preview->webview();
        DOMElement *title = view->mainFrameDocument()->getElementById(QStringLiteral("title"));
        ASSERT_TRUE(title);
        const std::optional<DOMElementBox> box = view->mainFrame().engine()->elementBox(*title);
        ASSERT_TRUE(box);
        delegate->ui().detectButton->click();
        const QPoint point = box->viewRect.center().toPoint();
        movePointer(view, point);
        ASSERT_TRUE(TestUtil::waitUntil([&] { return view->detectView()->element() == title; }));
        clickPointer(view, point);
        ASSERT_TRUE(TestUtil::waitUntil([&] { return colorRow() != nullptr; }, 10000));
    }

    // The same, with the inspector's window open.
    void pickTheHeadingWithTheInspector()
    {
        ASSERT_NO_FATAL_FAILURE(pickTheHeading());
        if (!delegate->ui().cssInspector->isVisible())
            send("openCSSInspector:");
    }

    // Selects the page's heading in the DOM tree until the panel lists its rules.
    void selectTheHeadingInTheTree()
    {
        auto *tree = dynamic_cast<DomTreeDelegate *>(delegate->domTreeController());
        ASSERT_TRUE(tree);
        DOMElement *title = tree->document() ? tree->document()->getElementById(QStringLiteral("title")) : nullptr;
        ASSERT_TRUE(title);
        tree->selectNode(title);
        ASSERT_TRUE(TestUtil::waitUntil([&] { return rules->lastSelectedElement() == title && colorRow(); }, 10000));
    }

    // Waits for the next load of the page, its heading in the DOM tree.
    void waitForTheLoad(int loads, File *page)
    {
        auto *tree = dynamic_cast<DomTreeDelegate *>(delegate->domTreeController());
        ASSERT_TRUE(TestUtil::waitUntil([&] {
            return completions > loads && tree->indexFile() == page && tree->document()
                   && tree->document()->getElementById(QStringLiteral("title"));
        }, 15000));
    }

    // The "color" declaration of the sheet's h1 rule in the panel.
    CSSRulePtr colorRow() const
    {
        for (const CSSRulePtr &rule : rules->rules()) {
            if (rule->displayName() != QLatin1String("h1") || !rule->relatedFile())
                continue;
            for (const CSSRulePtr &child : rule->children()) {
                if (child->propName() == QLatin1String("color"))
                    return child;
            }
        }
        return nullptr;
    }

    // The value field open in the panel; fields of earlier edits may wait
    // for their deletion, hidden.
    QLineEdit *openField() const
    {
        QLineEdit *field = nullptr;
        for (QLineEdit *each : rules->outline()->findChildren<QLineEdit *>(QStringLiteral("valueNameDisplay"))) {
            if (each->isVisible())
                field = each;
        }
        return field;
    }

    // Return on the colour row opens its value field: by keyboard only.
    void openColorField()
    {
        OutlineViewEx *outline = rules->outline();
        const int index = outline->rowForItem(colorRow().get());
        ASSERT_GE(index, 0);
        // As a click into the inspector would, its window takes the keys.
        ASSERT_TRUE(TestUtil::waitUntil([outline] {
            outline->window()->activateWindow();
            return QApplication::activeWindow() == outline->window();
        }));
        outline->setFocus();
        outline->selectRowIndexes({index}, false);
        QTest::keyClick(outline, Qt::Key_Return);
        ASSERT_TRUE(openField());
    }

    // The value typed into the colour's field, and Return.
    void typeIntoColor(const QString &value)
    {
        ASSERT_NO_FATAL_FAILURE(openColorField());
        QLineEdit *field = openField();
        QTest::keyClicks(field, value);
        QTest::keyClick(field, Qt::Key_Return);
        settleWrites();
    }

    // Waits for the deferred writes and the end of the undo group.
    void settleWrites()
    {
        BalkInvocationManager *batcher = delegate->balkInvocationManager();
        InspectUndoManager *undo = delegate->sharedUndoManager();
        TestUtil::waitUntilSettled([&] {
            return batcher->operations().isEmpty() && !TestUtil::hasShortDelayedCall(batcher)
                && !TestUtil::hasShortDelayedCall(undo) && !TestUtil::hasShortDelayedCall(rules);
        });
    }

    void send(const char *action)
    {
        QAction *item = delegate->ui().mainMenu->itemForAction(QString::fromLatin1(action));
        ASSERT_TRUE(item);
        delegate->ui().mainMenu->validateAll();
        ASSERT_TRUE(item->isEnabled()) << action;
        item->trigger();
    }

    QByteArray disk() const
    {
        QFile file(path("site/css/site.css"));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    PreviewDelegate *preview = nullptr;
    CSSOutlineDelegate *rules = nullptr;
    int completions = 0;
};

} // namespace

TEST_F(RulesPanelInWindow, APickedElementsValueIsTypedUndoneRetypedAndSavedChangingOnlyThatDeclaration)
{
    ASSERT_NO_FATAL_FAILURE(pickTheHeadingWithTheInspector());
    ASSERT_TRUE(rules->outline()->isVisible());
    File *sheet = node("site/css/site.css");
    ASSERT_TRUE(sheet);

    typeIntoColor(QStringLiteral("navy"));
    EXPECT_TRUE(sheet->currentContent()->contains(QStringLiteral("    color: navy;\n"))) << sheet->currentContent()->toStdString();
    EXPECT_EQ(disk(), kSheet);

    // Undo from the Edit menu gives the text back as it was.
    send("undo:");
    EXPECT_EQ(sheet->currentContent()->toUtf8(), kSheet);

    ASSERT_TRUE(colorRow());
    typeIntoColor(QStringLiteral("teal"));
    // The sheet is written once, and its text, written already, is not
    // written again into the File: nothing lists its rules again (#81).
    const InjectedFault writes(AtomicFileWriter::Step::Rename, 0);
    QSignalSpy written(rules, &CSSOutlineDelegate::styleSheetWritten);
    send("save:");
    QByteArray expected = kSheet;
    expected.replace("    color: black;", "    color: teal;");
    EXPECT_TRUE(TestUtil::waitUntil([&] { return disk() == expected; }, 3000)) << disk().toStdString();
    EXPECT_EQ(writes.calls(), 1);
    EXPECT_EQ(written.count(), 0);
}

TEST_F(RulesPanelInWindow, AReloadAndAnotherPageOfTheSheetKeepItsRulesAfterAnEditSavedAndUndone)
{
    ASSERT_NO_FATAL_FAILURE(pickTheHeadingWithTheInspector());
    File *sheet = node("site/css/site.css");
    ASSERT_TRUE(sheet);
    InspectUndoManager *undo = delegate->sharedUndoManager();
    typeIntoColor(QStringLiteral("navy"));
    send("save:");
    ASSERT_TRUE(TestUtil::waitUntil([&] { return disk().contains("    color: navy;\n"); }, 3000)) << disk().toStdString();
    undo->undo();
    ASSERT_EQ(sheet->currentContent()->toUtf8(), kSheet);
    send("save:");
    ASSERT_TRUE(TestUtil::waitUntil([&] { return disk() == kSheet; }, 3000)) << disk().toStdString();
    ASSERT_TRUE(sheet->styleDeclarations());
    const QList<StyleDeclarationPtr> model = *sheet->styleDeclarations();

    // The page again: the panel's own edit and undo are no change from outside.
    int loads = completions;
    preview->refreshWebview();
    waitForTheLoad(loads, node("site/index.html"));
    selectTheHeadingInTheTree();
    EXPECT_TRUE(sheet->styleDeclarations() == model) << "the rules were read again";

    // Another page with the same sheet.
    loads = completions;
    select(node("site/about.html"));
    controller()->doubleClick();
    waitForTheLoad(loads, node("site/about.html"));
    selectTheHeadingInTheTree();
    EXPECT_TRUE(sheet->styleDeclarations() == model) << "the rules were read again";

    // Edited there and undone whole, the sheet has its bytes and its rules back.
    typeIntoColor(QStringLiteral("teal"));
    ASSERT_TRUE(sheet->currentContent()->contains(QStringLiteral("    color: teal;\n")));
    send("save:");
    while (undo->canUndo())
        undo->undo();
    send("save:");
    EXPECT_EQ(sheet->currentContent()->toUtf8(), kSheet);
    EXPECT_TRUE(TestUtil::waitUntil([&] { return disk() == kSheet; }, 3000)) << disk().toStdString();
    EXPECT_TRUE(sheet->styleDeclarations() == model) << "the rules were read again";
}

TEST_F(RulesPanelInWindow, AnEditRightAfterTypingIntoTheSheetsCodeViewIsWrittenWithTheTyping)
{
    ASSERT_NO_FATAL_FAILURE(pickTheHeadingWithTheInspector());
    File *sheet = node("site/css/site.css");
    ASSERT_TRUE(sheet);
    CodeView *view = codeViewAfter("site/css/site.css", QStringLiteral("margin: "));
    ASSERT_TRUE(view);
    QSignalSpy relisted(rules, &CSSOutlineDelegate::rebuilt);
    keys(view, QStringLiteral("\x7f" "2px"));
    ASSERT_TRUE(sheet->currentContent()->contains(QStringLiteral("margin: 2px;")));
    // The rows are listed again for the text typed, as the user sees.
    TestUtil::waitUntil([&] { return relisted.count() > 0; }, 3000);
    settleWrites();

    typeIntoColor(QStringLiteral("navy"));
    QByteArray expected = kSheet;
    expected.replace("    color: black;\n    margin: 0;", "    color: navy;\n    margin: 2px;");
    EXPECT_EQ(sheet->currentContent()->toUtf8(), expected);
    send("save:");
    EXPECT_TRUE(TestUtil::waitUntil([&] { return disk() == expected; }, 3000)) << disk().toStdString();

    InspectUndoManager *undo = delegate->sharedUndoManager();
    while (undo->canUndo())
        undo->undo();
    EXPECT_EQ(sheet->currentContent()->toUtf8(), kSheet);
}

// A page script links a sheet while a value is typed into the rules panel:
// the rows listed again with its rules keep the field open on the same
// declaration, with what it held and where its caret was.
TEST_F(RulesPanelInWindow, AValueBeingTypedKeepsItsFieldWhenTheRowsAreListedAgain)
{
    ASSERT_NO_FATAL_FAILURE(pickTheHeadingWithTheInspector());
    File *sheet = node("site/css/site.css");
    ASSERT_TRUE(sheet);
    ASSERT_NO_FATAL_FAILURE(openColorField());
    OutlineViewEx *outline = rules->outline();
    openField()->selectAll();
    QTest::keyClicks(openField(), QStringLiteral("navy"));

    openField()->setCursorPosition(2);
    QSignalSpy relisted(rules, &CSSOutlineDelegate::rebuilt);
    preview->webview()->webPage()->runJavaScript(
        QStringLiteral("var link = document.createElement('link'); link.rel = 'stylesheet'; link.href = 'css/late.css';"
                       "document.head.appendChild(link);"),
        WebPage::World::Bridge);
    ASSERT_TRUE(TestUtil::waitUntil([&] {
        const QList<CSSRulePtr> listed = rules->rules();
        return relisted.count() > 0 && std::any_of(listed.cbegin(), listed.cend(), [](const CSSRulePtr &rule) {
            return rule->relatedFile() && rule->relatedFile()->path().endsWith(QLatin1String("late.css"));
        });
    }, 15000));
    settleWrites();

    QLineEdit *field = openField();
    ASSERT_TRUE(field);
    EXPECT_EQ(field->text(), QStringLiteral("navy"));
    EXPECT_EQ(field->cursorPosition(), 2);
    EXPECT_EQ(outline->rowForItem(colorRow().get()), outline->selectedRow());
    QTest::keyClick(field, Qt::Key_Return);
    settleWrites();
    QByteArray written = kSheet;
    written.replace("color: black;", "color: navy;");
    EXPECT_EQ(sheet->currentContent()->toUtf8(), written);
}

// The page loaded again in place: the panel's edit is still undone and
// redone, as its change of the sheet's text, the page following it.
TEST_F(RulesPanelInWindow, AReloadKeepsThePanelsStepsAndThePageFollowsTheirUndo)
{
    ASSERT_NO_FATAL_FAILURE(pickTheHeadingWithTheInspector());
    File *sheet = node("site/css/site.css");
    ASSERT_TRUE(sheet);
    typeIntoColor(QStringLiteral("navy"));
    const QString edited = *sheet->currentContent();
    UserDefaults::standardUserDefaults().setBool(true, QStringLiteral("clearUndoAlert"));
    const int loads = completions;
    preview->refreshWebview();
    waitForTheLoad(loads, node("site/index.html"));

    const auto titleColor = [this] {
        std::optional<QString> answer;
        preview->webview()->webPage()->runJavaScript(QStringLiteral("getComputedStyle(document.getElementById('title')).color"),
                                                     WebPage::World::Bridge, [&answer](const QVariant &value) { answer = value.toString(); });
        TestUtil::waitUntil([&] { return answer.has_value(); }, 5000);
        return answer.value_or(QString());
    };
    EXPECT_EQ(titleColor(), QStringLiteral("rgb(0, 0, 128)"));
    InspectUndoManager *undo = delegate->sharedUndoManager();
    ASSERT_TRUE(undo->canUndo());
    undo->undo();
    EXPECT_EQ(sheet->currentContent()->toUtf8(), kSheet);
    EXPECT_TRUE(TestUtil::waitUntil([&] { return titleColor() == QLatin1String("rgb(0, 0, 0)"); }, 5000)) << titleColor().toStdString();
    ASSERT_TRUE(undo->canRedo());
    undo->redo();
    EXPECT_EQ(*sheet->currentContent(), edited);
    EXPECT_TRUE(TestUtil::waitUntil([&] { return titleColor() == QLatin1String("rgb(0, 0, 128)"); }, 5000)) << titleColor().toStdString();
}

TEST_F(RulesPanelInWindow, ADeclarationIsAddedFromTheRulesMenuByKeyboardAndUndoneFromTheEditMenu)
{
    ASSERT_NO_FATAL_FAILURE(pickTheHeadingWithTheInspector());
    File *sheet = node("site/css/site.css");
    ASSERT_TRUE(sheet);
    CSSRulePtr h1;
    for (const CSSRulePtr &rule : rules->rules()) {
        if (rule->displayName() == QLatin1String("h1") && rule->relatedFile())
            h1 = rule;
    }
    ASSERT_TRUE(h1);
    rules->outline()->selectRowIndexes({rules->outline()->rowForItem(h1.get())}, false);
    send("addDeclaration:");
    AddDeclarationViewController *popover = rules->addDeclarationViewController();
    ASSERT_TRUE(popover && rules->addStylePopover()->isShown());
    QTest::keyClicks(popover->searchTextField(), QStringLiteral("letter-spacing"));
    QTest::keyClick(popover->searchTextField(), Qt::Key_Return);
    EXPECT_FALSE(rules->addStylePopover()->isShown());
    settleWrites();
    QByteArray expected = kSheet;
    expected.replace("    margin: 0;\n", "    margin: 0;\n    letter-spacing: normal;\n");
    EXPECT_EQ(sheet->currentContent()->toUtf8(), expected);

    send("undo:");
    EXPECT_EQ(sheet->currentContent()->toUtf8(), kSheet);
}

TEST_F(RulesPanelInWindow, ASheetThatComesAfterThePickIsListedForThePickedElement)
{
    pickTheHeading();
    const auto lateRow = [this] {
        for (const CSSRulePtr &rule : rules->rules()) {
            if (rule->relatedFile() && rule->relatedFile()->path().endsWith(QLatin1String("late.css")))
                return true;
        }
        return false;
    };
    EXPECT_FALSE(lateRow());
    preview->webview()->webPage()->runJavaScript(
        QStringLiteral("var link = document.createElement('link'); link.rel = 'stylesheet'; link.href = 'css/late.css';"
                       "document.head.appendChild(link);"),
        WebPage::World::Bridge);
    EXPECT_TRUE(TestUtil::waitUntil(lateRow, 15000));
}

TEST_F(RulesPanelInWindow, ADeclarationIsCopiedAndPastedFromTheEditMenuAndUndoneThere)
{
    ASSERT_NO_FATAL_FAILURE(pickTheHeadingWithTheInspector());
    File *sheet = node("site/css/site.css");
    ASSERT_TRUE(sheet);
    OutlineViewEx *outline = rules->outline();
    ASSERT_TRUE(TestUtil::waitUntil([outline] {
        outline->window()->activateWindow();
        return QApplication::activeWindow() == outline->window();
    }));
    outline->setFocus();
    const CSSRulePtr color = colorRow();
    outline->selectRowIndexes({outline->rowForItem(color.get())}, false);
    send("copy:");
    // Onto the rule's own row: a second color after margin.
    outline->selectRowIndexes({outline->rowForItem(color->ownerRule().get())}, false);
    send("paste:");
    settleWrites();
    QByteArray expected = kSheet;
    expected.replace("    margin: 0;\n", "    margin: 0;\n    color: black;\n");
    EXPECT_EQ(sheet->currentContent()->toUtf8(), expected);
    // The rules panel has no Cut.
    delegate->ui().mainMenu->validateAll();
    EXPECT_FALSE(delegate->ui().mainMenu->itemForAction(QStringLiteral("cut:"))->isEnabled());

    send("undo:");
    EXPECT_EQ(sheet->currentContent()->toUtf8(), kSheet);
}

// --- A sheet edited here that another program changes -------------------------------

TEST_F(RulesPanelInWindow, KeepMyChangesSavesTheRulesPanelsVersionOverTheOtherPrograms)
{
    ASSERT_NO_FATAL_FAILURE(pickTheHeadingWithTheInspector());
    typeIntoColor(QStringLiteral("teal"));
    QByteArray mine = kSheet;
    mine.replace("    color: black;", "    color: teal;");
    ASSERT_EQ(node("site/css/site.css")->currentContent()->toUtf8(), mine);

    AlertAnswers answers({QStringLiteral("Keep My Changes")});
    QByteArray theirs = kSheet;
    theirs.replace("    margin: 0;", "    margin: 4px;");
    ASSERT_TRUE(TestUtil::writeFile(path("site/css/site.css"), theirs));
    ASSERT_TRUE(TestUtil::waitUntil([&answers] { return !answers.messages.isEmpty(); }));
    EXPECT_EQ(answers.messages, QStringList{QStringLiteral("\"site.css\" was changed by another program.")});
    EXPECT_EQ(disk(), theirs);

    send("save:");
    EXPECT_TRUE(TestUtil::waitUntil([&] { return disk() == mine; }, 3000)) << disk().toStdString();
    EXPECT_EQ(answers.messages.size(), 1);
}

TEST_F(RulesPanelInWindow, UseTheVersionOnDiskReloadsThePageWithItAndKeepsTheEditInTheHistory)
{
    ASSERT_NO_FATAL_FAILURE(pickTheHeadingWithTheInspector());
    typeIntoColor(QStringLiteral("teal"));
    File *sheet = node("site/css/site.css");
    const QString mine = *sheet->currentContent();

    // Found at save time.
    AlertAnswers answers({QStringLiteral("Use the Version on Disk")});
    QByteArray theirs = kSheet;
    theirs.replace("    margin: 0;", "    margin: 4px;");
    ASSERT_TRUE(TestUtil::writeFile(path("site/css/site.css"), theirs));
    const int loads = completions;
    send("save:");
    EXPECT_EQ(answers.messages, QStringList{QStringLiteral("\"site.css\" was changed by another program.")});
    EXPECT_EQ(disk(), theirs);
    EXPECT_EQ(sheet->currentContent()->toUtf8(), theirs);
    ASSERT_FALSE(sheet->histories().isEmpty());
    EXPECT_EQ(sheet->histories().constFirst().content(), mine);

    // The page is loaded again with the disk's sheet: its heading moves down.
    ASSERT_TRUE(TestUtil::waitUntil([&] { return completions > loads; }, 15000));
    EXPECT_TRUE(TestUtil::waitUntil([&] {
        ExWebView *view = preview->webview();
        DOMElement *title = view->mainFrameDocument() ? view->mainFrameDocument()->getElementById(QStringLiteral("title"))
                                                      : nullptr;
        const std::optional<DOMElementBox> box = title ? view->mainFrame().engine()->elementBox(*title) : std::nullopt;
        return box && box->viewRect.top() == 4;
    }, 15000));
    EXPECT_EQ(disk(), theirs);
}

TEST_F(RulesPanelInWindow, ASheetDeletedWhileEditedHereIsKeptAndSavedAgainWithTheEdit)
{
    ASSERT_NO_FATAL_FAILURE(pickTheHeadingWithTheInspector());
    typeIntoColor(QStringLiteral("teal"));
    File *sheet = node("site/css/site.css");
    const QByteArray mine = sheet->currentContent()->toUtf8();

    AlertAnswers answers({QStringLiteral("Save Again")});
    ASSERT_TRUE(QFile::remove(path("site/css/site.css")));
    ASSERT_TRUE(TestUtil::waitUntil([&answers] { return !answers.messages.isEmpty(); }));
    EXPECT_EQ(answers.messages, QStringList{QStringLiteral("\"site.css\" was deleted by another program.")});
    EXPECT_EQ(disk(), mine);
}

TEST_F(RulesPanelInWindow, AnUneditedSheetIsReloadedOrDroppedWithoutAQuestion)
{
    pickTheHeading();
    File *sheet = node("site/css/site.css");
    ASSERT_TRUE(sheet->currentContent());
    // Any question would be answered with a button it lacks, and fail.
    AlertAnswers answers({});
    QByteArray theirs = kSheet;
    theirs.replace("    margin: 0;", "    margin: 4px;");
    ASSERT_TRUE(TestUtil::writeFile(path("site/css/site.css"), theirs));
    ASSERT_TRUE(TestUtil::waitUntil([&] { return sheet->content() == QString::fromUtf8(theirs); }));
    EXPECT_EQ(sheet->histories().constFirst().content().toUtf8(), kSheet);

    const QPointer<File> gone = sheet;
    ASSERT_TRUE(QFile::remove(path("site/css/site.css")));
    EXPECT_TRUE(TestUtil::waitUntil([&] { return !gone; }));
    EXPECT_TRUE(answers.messages.isEmpty());
}

TEST_F(RulesPanelInWindow, TheStyleSheetsManagerOpensOverHalfTheInspector)
{
    if (!delegate->ui().cssInspector->isVisible())
        send("openCSSInspector:");
    SplitView *split = delegate->ui().styleSplitView;
    ASSERT_TRUE(TestUtil::waitUntil([split] { return split->isVisible() && split->height() > 200; }));
    EXPECT_LT(split->positionOfDividerAtIndex(0), split->height() / 4);
    // From the Rules menu.
    send("showStyleSheetsManager:");
    EXPECT_NEAR(split->positionOfDividerAtIndex(0), split->height() / 2, 2);
}

} // namespace RulesPanelInWindowTest

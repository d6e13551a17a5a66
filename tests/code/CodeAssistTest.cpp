#include "FakeRulesPanel.h"
#include "CodeViewFixture.h"
#include "TextFileViewer.h"

#include "code/CodeAssistContext.h"
#include "code/ReferenceView.h"
#include "cssrules/CSSRule.h"
#include "interfaces/CSSOutlineDelegateInterface.h"
#include "interfaces/FileViewControllerInterface.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/kit/OutlineView.h"
#include "platform/kit/ViewController.h"
#include "stylesheet/WebCoreObjects.h"
#include "toolkit/RBLPopover.h"

#include <QFile>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QStackedWidget>

namespace {

// The file viewer as the jump uses it.
using Viewer = TextFileViewer;

// A code view with the shared popup in its popover, as the shell sets them up.
class CodeAssist : public CodeViewFixture
{
protected:
    void SetUp() override
    {
        CodeViewFixture::SetUp();
        CodeAssistContext::shared() = CodeAssistContext();
        controller.setView(popup);
        popover = new RBLPopover(&controller, &controller);
        popover->setCanBecomeKey(false);
        popover->setAnimates(false);
        view.setPopup(popup);
        view.setPopover(popover);
        popup->setCssOutlineDelegate(&sheets);
    }

    void TearDown() override
    {
        view.hidePopupNow();
        CodeViewFixture::TearDown();
    }

    static bool shown() { return CodeAssistContext::shared().popupShown; }

    QString selected() const
    {
        const MarkUpElement *element = popup->selectedElement();
        return element ? element->displayName() : QString();
    }

    static QString firstTagStartingWith(const QString &start)
    {
        for (const QString &tag : WebCoreObjects::getTagNames()) {
            if (tag.startsWith(start))
                return tag;
        }
        return {};
    }

    void type(const QString &text) { QTest::keyClicks(&view, text); }
    void openList() { key(Qt::Key_Space, Qt::ShiftModifier); }

    ViewController controller;
    // Owned by the controller, as the shell's is.
    ReferenceView *popup = new ReferenceView;
    RBLPopover *popover = nullptr;
    FakeRulesPanel sheets;
};

} // namespace

TEST_F(CodeAssist, TypingALessThanAndALetterListsTagsWithTheFirstMatchSelected)
{
    open(QStringLiteral("a.html"), QStringLiteral("<body>\n"));
    type(QStringLiteral("<"));
    ASSERT_TRUE(shown());
    EXPECT_EQ(popup->assistType(), 1);
    EXPECT_EQ(CodeAssistContext::shared().codeType, 1);
    EXPECT_EQ(selected(), WebCoreObjects::getTagNames().first());
    type(QStringLiteral("d"));
    EXPECT_EQ(selected(), firstTagStartingWith(QStringLiteral("d")));
    type(QStringLiteral("iv"));
    EXPECT_EQ(selected(), QStringLiteral("div"));
    EXPECT_TRUE(view.hasFocus());

    // At the end of the text the caret goes after the closing tag.
    key(Qt::Key_Return);
    EXPECT_EQ(marked(), QStringLiteral("<body>\n<div></div>|"));
    EXPECT_FALSE(shown());

    // The list goes with the focus.
    type(QStringLiteral("<"));
    ASSERT_TRUE(shown());
    QLineEdit elsewhere;
    elsewhere.show();
    elsewhere.activateWindow();
    elsewhere.setFocus();
    ASSERT_TRUE(TestUtil::waitUntil([] { return !CodeAssistContext::shared().popupShown; }));
}

TEST_F(CodeAssist, ReturnMidTextPutsTheCaretBetweenTheTagsAndAVoidElementGetsOnlyItsBracket)
{
    open(QStringLiteral("a.html"), QStringLiteral("<body>\n|\n</body>"));
    type(QStringLiteral("<p"));
    EXPECT_EQ(selected(), QStringLiteral("p"));
    key(Qt::Key_Return);
    EXPECT_EQ(marked(), QStringLiteral("<body>\n<p>|</p>\n</body>"));

    open(QStringLiteral("b.html"), QStringLiteral("<p>\n|\n</p>"));
    type(QStringLiteral("<br"));
    key(Qt::Key_Return);
    EXPECT_EQ(marked(), QStringLiteral("<p>\n<br>|\n</p>"));

    // #77: a word break is one too.
    open(QStringLiteral("c.html"), QStringLiteral("<p>\n|\n</p>"));
    type(QStringLiteral("<wbr"));
    key(Qt::Key_Return);
    EXPECT_EQ(marked(), QStringLiteral("<p>\n<wbr>|\n</p>"));
}

TEST_F(CodeAssist, AnAttributeLeavesTheCaretBetweenItsQuotes)
{
    open(QStringLiteral("a.html"), QStringLiteral("<div |></div>"));
    type(QStringLiteral("cl"));
    openList();
    EXPECT_EQ(marked(), QStringLiteral("<div cl|></div>")) << "Shift+Space types no blank";
    EXPECT_EQ(CodeAssistContext::shared().codeType, 2);
    EXPECT_EQ(selected(), QStringLiteral("class"));
    key(Qt::Key_Return);
    EXPECT_EQ(marked(), QStringLiteral("<div class=\"|\"></div>"));
}

TEST_F(CodeAssist, AStyleAttributeTakesTheCSSWordAndAPropertyOpensItsValues)
{
    open(QStringLiteral("a.html"), QStringLiteral("<div style=\"back|\"></div>"));
    openList();
    EXPECT_EQ(CodeAssistContext::shared().codeType, 4);
    EXPECT_TRUE(selected().startsWith(QStringLiteral("back")));
    const QString property = selected();
    key(Qt::Key_Return);
    EXPECT_EQ(marked(), QStringLiteral("<div style=\"%1:|\"></div>").arg(property));
    EXPECT_TRUE(shown());
    EXPECT_EQ(CodeAssistContext::shared().codeType, 5);
}

TEST_F(CodeAssist, TheAssistKeysOnAnEmptyTextOrAtItsEndsChangeNothing)
{
    open(QStringLiteral("a.html"), QString());
    openList();
    key(Qt::Key_Escape);
    key(Qt::Key_Down, Qt::ControlModifier);
    key(Qt::Key_Return);
    EXPECT_EQ(marked(), QStringLiteral("\n|")) << "only the Return is typed";
    view.writeCode();
    view.research();

    open(QStringLiteral("b.html"), QStringLiteral("|<p>"));
    openList();
    EXPECT_FALSE(shown());
    view.writeCode();
    EXPECT_EQ(marked(), QStringLiteral("|<p>"));
}

TEST_F(CodeAssist, NoTagListRightAfterAnOpeningStyleOrScriptTag)
{
    open(QStringLiteral("a.html"), QStringLiteral("<style>"));
    openList();
    EXPECT_FALSE(shown());
    open(QStringLiteral("b.html"), QStringLiteral("<script>"));
    key(Qt::Key_Escape);
    EXPECT_FALSE(shown());
}

TEST_F(CodeAssist, APropertyOpensItsValueListAndAValueGetsASemicolon)
{
    open(QStringLiteral("a.css"), QStringLiteral("a {\n\tcolo|\n}"));
    openList();
    EXPECT_EQ(CodeAssistContext::shared().codeType, 4);
    EXPECT_EQ(selected(), QStringLiteral("color"));
    key(Qt::Key_Return);
    EXPECT_EQ(marked(), QStringLiteral("a {\n\tcolor:|\n}"));
    ASSERT_TRUE(shown()) << "the value list opens at once";
    EXPECT_EQ(CodeAssistContext::shared().codeType, 5);
    EXPECT_TRUE(popup->original().contains(QStringLiteral("red")));

    type(QStringLiteral("re"));
    ASSERT_TRUE(selected().startsWith(QStringLiteral("re")));
    const QString value = selected();
    key(Qt::Key_Return);
    EXPECT_EQ(marked(), QStringLiteral("a {\n\tcolor:%1|;\n}").arg(value));
}

TEST_F(CodeAssist, ASemicolonTypedOverTheListWritesTheValueWithOneSemicolon)
{
    open(QStringLiteral("a.css"), QStringLiteral("a {\n\tdisplay:blo|\n}"));
    openList();
    EXPECT_EQ(selected(), QStringLiteral("block"));
    type(QStringLiteral(";"));
    EXPECT_EQ(marked(), QStringLiteral("a {\n\tdisplay:block;|\n}"));
    EXPECT_FALSE(shown());
}

TEST_F(CodeAssist, AValueBeforeASemicolonOrABlankGetsNone)
{
    open(QStringLiteral("a.css"), QStringLiteral("a { display:blo|; }"));
    openList();
    EXPECT_EQ(selected(), QStringLiteral("block"));
    key(Qt::Key_Return);
    EXPECT_EQ(marked(), QStringLiteral("a { display:block|; }"));

    open(QStringLiteral("b.css"), QStringLiteral("a { display:blo| }"));
    openList();
    key(Qt::Key_Return);
    EXPECT_EQ(marked(), QStringLiteral("a { display:block| }"));
}

TEST_F(CodeAssist, AHashAfterAColonShowsTheColourPageAndAColourIsWrittenInSixHexDigits)
{
    QList<QColor> panel;
    QObject::connect(popup, &ReferenceView::colorWellActivated, &controller, [&panel](const QColor &c) { panel << c; });
    QObject::connect(popup, &ReferenceView::colorWellDeactivated, &controller, [&panel] { panel << QColor(); });
    open(QStringLiteral("a.css"), QStringLiteral("a {\n\tcolor: #0ff|\n}"));
    openList();
    ASSERT_TRUE(shown());
    EXPECT_EQ(popup->assistType(), 2);
    EXPECT_EQ(popup->tabview()->currentIndex(), 2);
    // The colour panel is asked for, showing the well's colour.
    EXPECT_EQ(panel, QList<QColor>{QColor(0, 255, 255)});

    // A colour from the panel is written; Return hides the well and writes nothing.
    popup->changeColor(QColor(255, 128, 0));
    EXPECT_EQ(marked(), QStringLiteral("a {\n\tcolor: #ff8000|\n}"));
    key(Qt::Key_Return);
    EXPECT_FALSE(shown());
    EXPECT_EQ(view.toPlainText(), QStringLiteral("a {\n\tcolor: #ff8000\n}"));
    EXPECT_EQ(panel.size(), 2);
    EXPECT_FALSE(panel.last().isValid()) << "the colour panel closes with the list";
}

TEST_F(CodeAssist, ADoubleClickedRowIsWrittenAtTheCaret)
{
    open(QStringLiteral("a.css"), QStringLiteral("a {\n\tmarg|\n}"));
    openList();
    ASSERT_EQ(selected(), QStringLiteral("margin"));
    popup->referenceOutlineView()->selectRowIndexes({popup->referenceOutlineView()->selectedRow() + 1}, false);
    const QString chosen = selected();
    Q_EMIT popup->referenceOutlineView()->rowDoubleClicked();
    EXPECT_EQ(marked(), QStringLiteral("a {\n\t%1:|\n}").arg(chosen));
    EXPECT_TRUE(view.hasFocus());
}

TEST_F(CodeAssist, CtrlArrowsWriteTheLastRowReachedAfterAPause)
{
    open(QStringLiteral("a.html"), QStringLiteral("<div |></div>"));
    openList();
    ASSERT_EQ(CodeAssistContext::shared().codeType, 2);
    key(Qt::Key_Down, Qt::ControlModifier);
    key(Qt::Key_Down, Qt::ControlModifier);
    const QString chosen = popup->original().at(2);
    EXPECT_EQ(marked(), QStringLiteral("<div |></div>")) << "nothing yet";
    ASSERT_TRUE(TestUtil::waitUntil([this] { return view.toPlainText() != QStringLiteral("<div ></div>"); }));
    EXPECT_EQ(view.toPlainText(), QStringLiteral("<div %1=\"\"></div>").arg(chosen));
}

TEST_F(CodeAssist, ArrowsMoveTheListNotTheCaretAndStopAtBothEnds)
{
    open(QStringLiteral("a.css"), QStringLiteral("a {\n\t|\n}"));
    openList();
    ASSERT_EQ(popup->referenceOutlineView()->selectedRow(), 0);
    key(Qt::Key_Up);
    EXPECT_EQ(popup->referenceOutlineView()->selectedRow(), 0);
    key(Qt::Key_Down);
    key(Qt::Key_Down);
    EXPECT_EQ(popup->referenceOutlineView()->selectedRow(), 2);
    EXPECT_EQ(marked(), QStringLiteral("a {\n\t|\n}"));

    const int last = popup->referenceOutlineView()->numberOfRows() - 1;
    popup->referenceOutlineView()->selectRowIndexes({last}, false);
    key(Qt::Key_Down);
    EXPECT_EQ(popup->referenceOutlineView()->selectedRow(), last);
    EXPECT_EQ(marked(), QStringLiteral("a {\n\t|\n}"));
    EXPECT_TRUE(view.hasFocus());
}

TEST_F(CodeAssist, ACompletionIsOneUndoStep)
{
    File *file = open(QStringLiteral("a.html"), QStringLiteral("<body>\n|\n</body>"));
    type(QStringLiteral("<p"));
    endTurn();
    key(Qt::Key_Return);
    EXPECT_EQ(file->content(), QStringLiteral("<body>\n<p></p>\n</body>"));
    endTurn();
    undo.undo();
    EXPECT_EQ(file->currentContent(), QStringLiteral("<body>\n<p\n</body>"));
}

TEST_F(CodeAssist, ClassesComeFromWhatTheSheetsHoldEachOnceWithItsFirstSheet)
{
    ASSERT_TRUE(TestUtil::writeFile(dir.filePath(QStringLiteral("site/a.css")), ".old {}\n"));
    ASSERT_TRUE(TestUtil::writeFile(dir.filePath(QStringLiteral("site/b.css")), ".c { top: 0 }\n.e .f {}\n"));
    File *page = open(QStringLiteral("a.html"), QStringLiteral("<div class=\"|\"></div>"));
    File *a = nullptr;
    File *b = nullptr;
    for (File *child : root->children()) {
        if (child->displayName() == QLatin1String("a.css"))
            a = child;
        if (child->displayName() == QLatin1String("b.css"))
            b = child;
    }
    ASSERT_TRUE(a && b && page);
    // Unsaved edits of the first sheet.
    const QString unsaved = QStringLiteral(".fresh { }\n.b:hover {}\n.c, .d:focus {}\n.fresh {}\n");
    a->setContent(unsaved);
    sheets.files = {a, b};

    openList();
    EXPECT_EQ(popup->original(), (QStringList{QStringLiteral("fresh"), QStringLiteral("c"), QStringLiteral("e")}));
    ASSERT_EQ(popup->elements().size(), 3);
    EXPECT_EQ(popup->elements().at(1)->fileName(), QStringLiteral("a.css"));
    EXPECT_EQ(popup->elements().at(2)->fileName(), QStringLiteral("b.css"));
    EXPECT_EQ(a->content(), unsaved) << "the sheet's File is only read";
    EXPECT_FALSE(b->content().has_value()) << "nor is a sheet without text given one";
}

TEST_F(CodeAssist, AJumpFindsAClassWhoseNameHoldsPatternCharacters)
{
    ASSERT_TRUE(TestUtil::writeFile(dir.filePath(QStringLiteral("site/s.css")), ".ab {}\n.a+b { top: 0 }\n"));
    open(QStringLiteral("a.html"), QStringLiteral("<div class=\"|\"></div>"));
    File *sheet = nullptr;
    for (File *child : root->children()) {
        if (child->displayName() == QLatin1String("s.css"))
            sheet = child;
    }
    ASSERT_TRUE(sheet);
    sheets.files = {sheet};
    Viewer viewer;
    popup->setFileViewController(&viewer);
    openList();
    ASSERT_EQ(popup->original(), (QStringList{QStringLiteral("ab"), QStringLiteral("a+b")}));

    QStringList posted;
    QObject listener;
    NotificationCenter::defaultCenter().addObserver(&listener, QStringLiteral("forceClose"), nullptr,
                                                    [&posted](const Notification &n) { posted << n.name; });
    // The sheet's own code view, in front once the jump shows it.
    CodeView sheetView;
    sheetView.setFile(sheet);
    sheetView.setString(sheet->currentContent());
    sheetView.setPopup(popup);
    sheetView.setFileviewController(&viewer);
    QTextCursor caret = sheetView.textCursor();
    caret.setPosition(3);
    sheetView.setTextCursor(caret);
    popup->jumpButtonClicked(JumpButton(sheet, 1));
    EXPECT_EQ(viewer.shown, sheet);
    EXPECT_EQ(sheetView.string(), QStringLiteral(".ab {}\n.a+b { top: 0 }\n")) << "no class name lands in the sheet";
    EXPECT_FALSE(shown());
    EXPECT_EQ(viewer.text.textCursor().selectedText(), QStringLiteral(".a+b"));
    EXPECT_EQ(viewer.text.textCursor().selectionStart(), 7);
    EXPECT_EQ(posted, QStringList{QStringLiteral("forceClose")});
    NotificationCenter::defaultCenter().removeObserver(&listener);
}

TEST_F(CodeAssist, TheValueModePostsARowChangeAndAKeyEntersTheValue)
{
    const CSSRulePtr rule = CSSRule::initWithPropertyText(QStringLiteral("display: bl"));
    ASSERT_EQ(rule->propName(), QStringLiteral("display"));
    QList<Notification> posted;
    QObject listener;
    for (const QString &name : {QStringLiteral("cssValueChanged"), QStringLiteral("cssValueEnterd")}) {
        NotificationCenter::defaultCenter().addObserver(&listener, name, nullptr,
                                                        [&posted](const Notification &n) { posted << n; });
    }
    NotificationCenter::defaultCenter().postNotificationName(QStringLiteral("cssValueBecomeEdited"), this,
                                                             {{QStringLiteral("rule"), QVariant::fromValue(rule)}});
    EXPECT_TRUE(popup->isInValueMode());
    EXPECT_EQ(selected(), QStringLiteral("block"));
    EXPECT_TRUE(posted.isEmpty()) << "the list's own choice changes nothing yet";

    const int row = int(popup->original().indexOf(QStringLiteral("inline")));
    ASSERT_GE(row, 0);
    popup->referenceOutlineView()->selectRowIndexes({row}, false);
    ASSERT_EQ(posted.size(), 1);
    EXPECT_EQ(posted.at(0).name, QStringLiteral("cssValueChanged"));
    EXPECT_EQ(posted.at(0).userInfo.value(QStringLiteral("css")).value<CSSRulePtr>(), rule);
    EXPECT_EQ(posted.at(0).userInfo.value(QStringLiteral("prop")), QStringLiteral("display"));
    EXPECT_EQ(posted.at(0).userInfo.value(QStringLiteral("value")), QStringLiteral("inline"));
    EXPECT_EQ(rule->valueName2(), QStringLiteral("inline"));

    QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
    QCoreApplication::sendEvent(popup, &enter);
    ASSERT_EQ(posted.size(), 2);
    EXPECT_EQ(posted.at(1).name, QStringLiteral("cssValueEnterd"));
    EXPECT_FALSE(popup->isInValueMode());
    NotificationCenter::defaultCenter().removeObserver(&listener);
}

TEST_F(CodeAssist, ProjectFilesForSourcesAndLinks)
{
    open(QStringLiteral("a.html"), QStringLiteral("<script src=\"|\"></script>"));
    ASSERT_TRUE(TestUtil::writeFile(dir.filePath(QStringLiteral("site/img/logo.png")), "x"));
    ASSERT_TRUE(TestUtil::writeFile(dir.filePath(QStringLiteral("site/data.json")), "{}"));
    ASSERT_TRUE(TestUtil::writeFile(dir.filePath(QStringLiteral("site/app.js")), ""));
    ASSERT_TRUE(TestUtil::writeFile(dir.filePath(QStringLiteral("site/s.css")), ""));
    // Links back up are listed once, never followed.
    ASSERT_TRUE(QFile::link(QStringLiteral("."), dir.filePath(QStringLiteral("site/loop1"))));
    ASSERT_TRUE(QFile::link(QStringLiteral(".."), dir.filePath(QStringLiteral("site/img/up"))));
    auto project = std::make_unique<File>(dir.filePath(QStringLiteral("site")), true, nullptr);
    File *projectRoot = nullptr;
    popup->setProjectRoot([&projectRoot] { return projectRoot; });

    openList();
    EXPECT_EQ(popup->assistType(), 0) << "no project selected, no files";
    view.hidePopupNow();

    projectRoot = project.get();
    openList();
    EXPECT_EQ(popup->original(), (QStringList{QStringLiteral("app.js"), QStringLiteral("data.json")}));
    view.hidePopupNow();

    EXPECT_EQ(popup->getImages(), QStringList{QStringLiteral("img/logo.png")});
    popup->setHtmlNodeAttrubuteList(QStringLiteral("link"), QStringLiteral(" href"), QString(),
                                   QStringLiteral("<link rel=\"stylesheet\" href=\"\">"));
    EXPECT_EQ(popup->original(), QStringList{QStringLiteral("s.css")});
    popup->setHtmlNodeAttrubuteList(QStringLiteral("link"), QStringLiteral(" href"), QString(),
                                   QStringLiteral("<link rel=\"icon\" href=\"\">"));
    EXPECT_EQ(popup->original(), WebCoreObjects::getAttrNames());
}

#include "LivePanel.h"

#include "cssrules/LightReferenceView.h"
#include "interfaces/AttributeStyleEditorInterface.h"
#include "interfaces/StyleEditorInterface.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/kit/Alert.h"
#include "platform/kit/OutlineView.h"
#include "platform/web/cssom/DOMCSSParser.h"
#include "toolkit/RBLPopover.h"

#include <QColorDialog>
#include <QLineEdit>
#include <QTest>

#include <gtest/gtest.h>

namespace StyleEditorsLiveTest {

namespace {

const QByteArray kSite = R"(.card {
    color: red;
    background-image: url(a.png);
    margin: 0;
}

#t {
    width: 100px;
    height: 40px;
    padding: 10px;
    border: 1px solid black;
}

#u {
    box-sizing: border-box;
    width: 100px;
    padding: 10px;
    border: 1px solid black;
}
)";

const QByteArray kPage = "<!DOCTYPE html><link rel=stylesheet href=site.css>"
                         "<p id=t class=card>x</p><p id=u>y</p>";

void post(const QString &name, const QVariantMap &userInfo = {})
{
    NotificationCenter::defaultCenter().postNotificationName(name, nullptr, userInfo);
}

// The popover editors as the rules panel sees them: colours have one.
class StubStyleEditor : public StyleEditorInterface
{
public:
    QString typeByProp(const QString &property) const override
    {
        return property == QLatin1String("color") ? QStringLiteral("color") : QStringLiteral("noEditor");
    }
    bool isEditable(const QString &property) const override { return typeByProp(property) != QLatin1String("noEditor"); }
    void initializeEditorView(const QString &property, const QString &value) override
    {
        opened.append(property + QStringLiteral(": ") + value);
    }
    QWidget *view() override
    {
        if (!m_view) {
            m_view = std::make_unique<QWidget>();
            m_view->resize(200, 120);
        }
        return m_view.get();
    }

    QStringList opened;

private:
    std::unique_ptr<QWidget> m_view;
};

class StubAttributeStyleEditor : public AttributeStyleEditorInterface
{
public:
    QWidget *view() override { return &m_view; }
    void setStyledObject(DOMNode *) override {}
    void setStyledObject(const DOMCSSRulePtr &rule) override { styled = rule; }
    void focusWithProperty(const QString &property) override { focused = property; }

    DOMCSSRulePtr styled;
    QString focused;

private:
    QWidget m_view;
};

struct EditorsPanel
{
    EditorsPanel()
    {
        loaded = live.load({{QStringLiteral("site.css"), kSite}, {QStringLiteral("index.html"), kPage}});
        if (loaded)
            loaded = live.select(live.element(QStringLiteral("t")));
        // Tall enough that the value list opens under the rows, the twelve of
        // the border's sides included.
        live.panel.view()->resize(420, 800);
        live.panel.view()->show();
        original = loaded ? *sheet()->currentContent() : QString();
    }

    File *sheet() { return live.file(QStringLiteral("site.css")); }
    QString text() { return *sheet()->currentContent(); }
    CSSRulePtr row(const QString &selector, const QString &property)
    {
        return LivePanel::declaration(live.ruleRow(selector), property);
    }
    QString color() { return computedValue(*live.fixture, QStringLiteral("t"), QStringLiteral("color")); }
    // One undo gives page and text back as they were, and leaves nothing to undo.
    void expectOneUndoRestoresAll()
    {
        live.undo.undo();
        live.settleWrites();
        EXPECT_FALSE(live.undo.canUndo());
        EXPECT_EQ(text(), original);
        EXPECT_EQ(color(), QStringLiteral("rgb(255, 0, 0)"));
    }
    // Opens the row's popover editor, as a double click does.
    bool openStyleEditor(StyleEditorInterface &editor, const CSSRulePtr &row)
    {
        live.panel.setStyleEditor(&editor);
        if (!row || !live.selectRow(row))
            return false;
        live.panel.doubleClick();
        return TestUtil::waitUntil([&] { return live.panel.isStyleEditorShown(); }, 3000);
    }
    // Selects the row and opens its value field, as a click does.
    QLineEdit *openValueField(const CSSRulePtr &row)
    {
        OutlineViewEx *outline = live.panel.outline();
        if (!row || !live.selectRow(row) || !outline->editColumn(0, outline->rowForItem(row.get()), true))
            return nullptr;
        return outline->findChild<QLineEdit *>(QStringLiteral("valueNameDisplay"));
    }

    LivePanel live;
    bool loaded = false;
    QString original;
};

} // namespace

TEST(RulesValueList, DownOpensTheListAClickCommitsAndOneUndoRestoresPageAndText)
{
    EditorsPanel panel;
    ASSERT_TRUE(panel.loaded);
    LivePanel &live = panel.live;
    const CSSRulePtr color = panel.row(QStringLiteral(".card"), QStringLiteral("color"));
    QLineEdit *field = panel.openValueField(color);
    ASSERT_TRUE(field);
    field->setFocus();

    QTest::keyClick(field, Qt::Key_Down);
    ASSERT_TRUE(live.panel.referenceListShown());
    LightReferenceView *list = live.panel.refView();
    EXPECT_TRUE(list->isVisible());
    EXPECT_EQ(list->elements().value(list->selectedRow()), QStringLiteral("red"));
    // Under the value field, and the field keeps the keyboard.
    const QPoint fieldBottom = field->mapToGlobal(QPoint(0, field->height()));
    EXPECT_NEAR(list->mapToGlobal(QPoint(0, 0)).y(), fieldBottom.y(), 2);
    EXPECT_GE(list->width(), 200);
    EXPECT_EQ(field->window()->focusWidget(), field);

    // Moving through the list previews each value in the page and the field.
    QTest::keyClick(field, Qt::Key_Down);
    const QString next = list->elements().value(list->selectedRow());
    EXPECT_EQ(field->text(), next);
    EXPECT_EQ(color->valueName(), next);
    EXPECT_FALSE(live.undo.canUndo());

    // A click on "blue" commits it: one step, one declaration of the file.
    const int blue = int(list->elements().indexOf(QStringLiteral("blue")));
    ASSERT_GE(blue, 0);
    list->refList()->scrollRowToVisible(blue);
    QTest::mouseClick(list->refList()->viewport(), Qt::LeftButton, {}, list->refList()->rectOfRow(blue).center());
    EXPECT_FALSE(live.panel.referenceListShown());
    live.settleWrites();
    EXPECT_EQ(panel.color(), QStringLiteral("rgb(0, 0, 255)"));
    QString expected = panel.original;
    expected.replace(QStringLiteral("color: red;"), QStringLiteral("color: blue;"));
    EXPECT_EQ(panel.text(), expected);

    panel.expectOneUndoRestoresAll();
}

TEST(RulesStyleEditors, WithoutAnEditorNoBadgeAndNoPopover)
{
    EditorsPanel panel;
    ASSERT_TRUE(panel.loaded);
    const CSSRulePtr color = panel.row(QStringLiteral(".card"), QStringLiteral("color"));
    ASSERT_TRUE(color && panel.live.selectRow(color));
    EXPECT_EQ(panel.live.panel.styleEditorType(QStringLiteral("color")), QStringLiteral("noEditor"));
    EXPECT_FALSE(panel.live.panel.hasStyleEditorBadge(*color));
    panel.live.panel.doubleClick();
    panel.live.panel.showAttributeStyleEditor();
    EXPECT_FALSE(panel.live.panel.editStyle());
    EXPECT_FALSE(panel.live.panel.attributeStyleEditorPopover());
}

TEST(RulesStyleEditors, ThePopoverCommitsOnCloseOnlyWhatChangedAsOneUndoStep)
{
    EditorsPanel panel;
    ASSERT_TRUE(panel.loaded);
    LivePanel &live = panel.live;
    StubStyleEditor editor;
    live.panel.setStyleEditor(&editor);
    const CSSRulePtr color = panel.row(QStringLiteral(".card"), QStringLiteral("color"));
    const CSSRulePtr margin = panel.row(QStringLiteral(".card"), QStringLiteral("margin"));
    ASSERT_TRUE(color && margin);
    EXPECT_TRUE(live.panel.hasStyleEditorBadge(*color));
    EXPECT_FALSE(live.panel.hasStyleEditorBadge(*margin));

    // A property without an editor opens nothing.
    live.selectRow(margin);
    live.panel.doubleClick();
    EXPECT_TRUE(editor.opened.isEmpty());

    // Opened and closed unchanged: nothing is committed or registered.
    live.selectRow(color);
    live.panel.doubleClick();
    EXPECT_EQ(editor.opened, QStringList{QStringLiteral("color: red")});
    ASSERT_TRUE(live.panel.editStyle());
    EXPECT_TRUE(TestUtil::waitUntil([&] { return live.panel.isStyleEditorShown(); }, 3000));
    EXPECT_EQ(live.panel.editTargetRule(), color);
    live.panel.closeStyleEditor();
    EXPECT_FALSE(live.panel.isStyleEditorShown());
    live.settleWrites();
    EXPECT_FALSE(live.undo.canUndo());
    EXPECT_EQ(panel.text(), panel.original);

    // "cssValueEnterd" (a value picked in the code-assist list) closes it too.
    live.panel.showStyleEditor();
    EXPECT_TRUE(TestUtil::waitUntil([&] { return live.panel.isStyleEditorShown(); }, 3000));
    post(QStringLiteral("cssValueEnterd"));
    EXPECT_TRUE(TestUtil::waitUntil([&] { return !live.panel.isStyleEditorShown(); }, 3000));
    // Ctrl+Return on the row opens it too; another row selected closes it.
    live.panel.outline()->setFocus();
    QTest::keyClick(live.panel.outline(), Qt::Key_Return, Qt::ControlModifier);
    EXPECT_TRUE(TestUtil::waitUntil([&] { return live.panel.isStyleEditorShown(); }, 3000));
    live.selectRow(margin);
    EXPECT_TRUE(TestUtil::waitUntil([&] { return !live.panel.isStyleEditorShown(); }, 3000));
    EXPECT_FALSE(live.undo.canUndo());

    // A double click on the row opens it; each step of the editor reaches
    // the page; the close commits once.
    OutlineViewEx *outline = live.panel.outline();
    QTest::mouseDClick(outline->viewport(), Qt::LeftButton, {}, outline->rectOfRow(outline->rowForItem(color.get())).center());
    EXPECT_TRUE(TestUtil::waitUntil([&] { return live.panel.isStyleEditorShown(); }, 3000));
    EXPECT_EQ(editor.opened.size(), 4);
    for (const QString &value : {QStringLiteral("rgb(0, 0, 9)"), QStringLiteral("rgb(0, 0, 10)")})
        post(QStringLiteral("cssValueChanged"), {{QStringLiteral("value"), value}});
    EXPECT_EQ(panel.color(), QStringLiteral("rgb(0, 0, 10)"));
    EXPECT_FALSE(live.undo.canUndo());
    // While the editor's colour dialog is open a click outside keeps it; its close closes the dialog.
    QColorDialog dialog;
    dialog.show();
    EXPECT_FALSE(live.panel.popoverShouldClose());
    live.panel.closeStyleEditor();
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_TRUE(live.panel.popoverShouldClose());
    live.settleWrites();
    QString expected = panel.original;
    expected.replace(QStringLiteral("color: red;"), QStringLiteral("color: rgb(0, 0, 10);"));
    EXPECT_EQ(panel.text(), expected);
    ASSERT_TRUE(live.undo.canUndo());
    panel.expectOneUndoRestoresAll();
    live.panel.setStyleEditor(nullptr);
}

// #84: Ctrl+Z right after Escape reaches the fading popover's field, whose
// own undo posts its text before: that changes neither the page nor the row,
// which keep the value committed, as the file does.
TEST(RulesStyleEditors, AValueThePopoverPostsWhileItFadesOutChangesNeitherPageNorRow)
{
    EditorsPanel panel;
    ASSERT_TRUE(panel.loaded);
    LivePanel &live = panel.live;
    StubStyleEditor editor;
    auto *field = new QLineEdit(editor.view());
    const auto postFromField = [field](const QString &value) {
        NotificationCenter::defaultCenter().postNotificationName(QStringLiteral("cssValueChanged"), field,
                                                                 {{QStringLiteral("value"), value}});
    };
    const CSSRulePtr color = panel.row(QStringLiteral(".card"), QStringLiteral("color"));
    ASSERT_TRUE(panel.openStyleEditor(editor, color));
    postFromField(QStringLiteral("blue"));
    EXPECT_EQ(panel.color(), QStringLiteral("rgb(0, 0, 255)"));
    live.panel.editStyle()->close();
    postFromField(QStringLiteral("red"));
    live.settleWrites();
    EXPECT_EQ(panel.color(), QStringLiteral("rgb(0, 0, 255)"));
    EXPECT_EQ(color->valueName(), QStringLiteral("blue"));
    EXPECT_TRUE(panel.text().contains(QLatin1String("color: blue;")));
    ASSERT_TRUE(TestUtil::waitUntil([&] { return !live.panel.isStyleEditorShown(); }, 3000));
    panel.expectOneUndoRestoresAll();
    live.panel.setStyleEditor(nullptr);
}

// A save while the popover is open, or fading out after Escape, holds its
// edit: an open one is closed first, or its close made the edit an unsaved
// one after the save had written the sheet without it (#72).
TEST(RulesStyleEditors, ASaveWhileThePopoverIsOpenOrFadingOutWritesItsEdit)
{
    for (const bool fading : {false, true}) {
        SCOPED_TRACE(fading ? "fading out" : "open");
        EditorsPanel panel;
        ASSERT_TRUE(panel.loaded);
        LivePanel &live = panel.live;
        StubStyleEditor editor;
        const CSSRulePtr color = panel.row(QStringLiteral(".card"), QStringLiteral("color"));
        ASSERT_TRUE(panel.openStyleEditor(editor, color));
        post(QStringLiteral("cssValueChanged"), {{QStringLiteral("value"), QStringLiteral("blue")}});

        if (fading)
            live.panel.editStyle()->close();
        live.panel.saveDocument();
        const QByteArray saved = TestUtil::readFile(panel.sheet()->path());
        EXPECT_TRUE(saved.contains("color: blue;")) << saved.toStdString();
        ASSERT_TRUE(TestUtil::waitUntil([&] { return !live.panel.isStyleEditorShown(); }, 3000));
        live.settleWrites();
        EXPECT_FALSE(panel.sheet()->isModified());
        live.panel.setStyleEditor(nullptr);
    }
}

TEST(RulesStyleEditors, SheetsArrivingWhileThePopoverIsOpenRebuildTheListOnlyOnceItCloses)
{
    EditorsPanel panel;
    ASSERT_TRUE(panel.loaded);
    LivePanel &live = panel.live;
    StubStyleEditor editor;
    const CSSRulePtr color = panel.row(QStringLiteral(".card"), QStringLiteral("color"));
    ASSERT_TRUE(panel.openStyleEditor(editor, color));

    int rebuilds = 0;
    QObject::connect(&live.panel, &CSSOutlineDelegate::rebuilt, [&] { ++rebuilds; });
    live.panel.refreshStyleFiles();
    QTest::qWait(100);
    EXPECT_TRUE(live.panel.isStyleEditorShown());
    EXPECT_EQ(live.panel.editTargetRule(), color);
    EXPECT_EQ(rebuilds, 0);

    live.panel.closeStyleEditor();
    EXPECT_TRUE(TestUtil::waitUntil([&] { return rebuilds == 1; }, 3000));
    live.panel.setStyleEditor(nullptr);
}

TEST(RulesStyleEditors, TheStyleAttributePanelIsGivenTheSelectedRule)
{
    EditorsPanel panel;
    ASSERT_TRUE(panel.loaded);
    StubAttributeStyleEditor editor;
    panel.live.panel.setAttributeStyleEditor(&editor);
    const CSSRulePtr margin = panel.row(QStringLiteral(".card"), QStringLiteral("margin"));
    ASSERT_TRUE(margin && panel.live.selectRow(margin));
    panel.live.panel.showAttributeStyleEditor();
    EXPECT_EQ(editor.styled, panel.live.ruleRow(QStringLiteral(".card"))->rule());
    EXPECT_EQ(editor.focused, QStringLiteral("margin"));
    ASSERT_TRUE(panel.live.panel.attributeStyleEditorPopover());
    EXPECT_TRUE(TestUtil::waitUntil([&] { return panel.live.panel.attributeStyleEditorPopover()->isShown(); }, 3000));
    EXPECT_EQ(editor.view()->size(), QSize(240, 385));
    panel.live.panel.attributeStyleEditorPopover()->close();
    panel.live.panel.setAttributeStyleEditor(nullptr);
}

TEST(RulesStyleEdits, AWholeRuleEditCommitsAddsAndRemovesAsOneStepAndChangesNothingElse)
{
    EditorsPanel panel;
    ASSERT_TRUE(panel.loaded);
    LivePanel &live = panel.live;
    const CSSRulePtr card = live.ruleRow(QStringLiteral(".card"));
    ASSERT_TRUE(card);
    post(QStringLiteral("StyleEditEnd"),
         {{QStringLiteral("rule"), QVariant::fromValue(card->rule())},
          {QStringLiteral("styleValue"),
           QStringLiteral("color:blue; background-image:url(http://a/b;c.png);content:\"x;y\"")},
          {QStringLiteral("oldValue"), QStringLiteral("color: red; background-image: url(a.png); margin: 0px;")}});
    live.settleWrites();
    live.settleRebuild();
    EXPECT_EQ(panel.text(), QStringLiteral(R"(.card {
    color: blue;
    background-image: url(http://a/b;c.png);
    content: "x;y";
}
)") + panel.original.mid(panel.original.indexOf(QLatin1String("\n#t"))));
    EXPECT_EQ(panel.color(), QStringLiteral("rgb(0, 0, 255)"));
    EXPECT_EQ(computedValue(*live.fixture, QStringLiteral("t"), QStringLiteral("background-image")), QStringLiteral("url(\"http://a/b;c.png\")"));

    EXPECT_EQ(live.undo.undoActionName(), QStringLiteral("Change Style"));
    panel.expectOneUndoRestoresAll();
}

TEST(RulesStyleEdits, AnUnreadableTextChangesNothingAndARuleOfNoSheetIsRefusedAloud)
{
    EditorsPanel panel;
    ASSERT_TRUE(panel.loaded);
    LivePanel &live = panel.live;
    QStringList alerts;
    Alert::setResponder([&alerts](Alert &alert) {
        alerts.append(alert.messageText());
        return int(Alert::DefaultReturn);
    });
    const CSSRulePtr card = live.ruleRow(QStringLiteral(".card"));
    ASSERT_TRUE(card);
    for (const QString &text : {QStringLiteral("color: blue; margin 0"), QStringLiteral("color: blue; } p { top: 0"),
                                QStringLiteral("content: \"open")})
        post(QStringLiteral("StyleEditEnd"), {{QStringLiteral("rule"), QVariant::fromValue(card->rule())},
                                              {QStringLiteral("styleValue"), text}});
    const std::optional<DOMCSSParsedRule> parsed = DOMCSSParser::parseRule(QStringLiteral(".gone { color: blue; }"));
    ASSERT_TRUE(parsed);
    post(QStringLiteral("StyleEditEnd"), {{QStringLiteral("rule"), QVariant::fromValue(DOMCSSRule::fromParsed(*parsed, 0))},
                                          {QStringLiteral("styleValue"), QStringLiteral("color: blue")}});
    live.settleWrites();
    Alert::setResponder({});
    EXPECT_EQ(alerts.size(), 1);
    EXPECT_EQ(panel.text(), panel.original);
    EXPECT_FALSE(live.undo.canUndo());
    EXPECT_EQ(panel.color(), QStringLiteral("rgb(255, 0, 0)"));
}

TEST(RulesStyleEdits, DeclarationTextSplitsOutsideQuotesAndBrackets)
{
    using Entries = QList<std::pair<QString, QString>>;
    EXPECT_EQ(CSSOutlineDelegate::declarationEntries(QStringLiteral("a: 1;; b:url(x;y) ; c:'p;q' ;")),
              (Entries{{QStringLiteral("a"), QStringLiteral(" 1")},
                       {QStringLiteral("b"), QStringLiteral("url(x;y) ")},
                       {QStringLiteral("c"), QStringLiteral("'p;q' ")}}));
    EXPECT_EQ(CSSOutlineDelegate::declarationEntries(QStringLiteral("background:url(http://a/b.png) no-repeat")),
              (Entries{{QStringLiteral("background"), QStringLiteral("url(http://a/b.png) no-repeat")}}));
    EXPECT_EQ(CSSOutlineDelegate::declarationEntries(QString()), Entries{});
    EXPECT_FALSE(CSSOutlineDelegate::declarationEntries(QStringLiteral("a 1")));
    EXPECT_FALSE(CSSOutlineDelegate::declarationEntries(QStringLiteral("a: url(x")));
}

TEST(RulesStyleEdits, ResizingTheBoxShowsTheSizeThePageThenHas)
{
    EditorsPanel panel;
    ASSERT_TRUE(panel.loaded);
    LivePanel &live = panel.live;
    // A content box: padding and border come off the overlay's border box.
    const CSSRulePtr width = panel.row(QStringLiteral("#t"), QStringLiteral("width"));
    const CSSRulePtr height = panel.row(QStringLiteral("#t"), QStringLiteral("height"));
    ASSERT_TRUE(width && height && live.selectRow(width));
    post(QStringLiteral("elementResized"), {{QStringLiteral("elementRect"), QRectF(5, 5, 152, 72)}});
    EXPECT_EQ(width->valueName(), QStringLiteral("130px"));
    EXPECT_EQ(height->valueName(), QStringLiteral("50px"));
    EXPECT_EQ(computedValue(*live.fixture, QStringLiteral("t"), QStringLiteral("width")), QStringLiteral("130px"));
    EXPECT_EQ(computedValue(*live.fixture, QStringLiteral("t"), QStringLiteral("height")), QStringLiteral("50px"));
    EXPECT_EQ(live.panel.getSelectedCSSRule(), width);
    live.settleWrites();
    EXPECT_FALSE(live.undo.canUndo());
    EXPECT_EQ(panel.text(), panel.original);

    // A border box is the box itself.
    ASSERT_TRUE(live.select(live.element(QStringLiteral("u"))));
    const CSSRulePtr boxWidth = panel.row(QStringLiteral("#u"), QStringLiteral("width"));
    ASSERT_TRUE(boxWidth && live.selectRow(boxWidth));
    post(QStringLiteral("elementResized"), {{QStringLiteral("elementRect"), QRectF(5, 5, 152, 72)}});
    EXPECT_EQ(boxWidth->valueName(), QStringLiteral("152px"));
    EXPECT_EQ(computedValue(*live.fixture, QStringLiteral("u"), QStringLiteral("width")), QStringLiteral("152px"));
}

TEST(RulesValueList, EscapeInTheFieldClosesTheListAndTheFileKeepsItsValue)
{
    EditorsPanel panel;
    ASSERT_TRUE(panel.loaded);
    LivePanel &live = panel.live;
    const CSSRulePtr color = panel.row(QStringLiteral(".card"), QStringLiteral("color"));
    QLineEdit *field = panel.openValueField(color);
    ASSERT_TRUE(field);
    QTest::keyClick(field, Qt::Key_Down);
    QTest::keyClick(field, Qt::Key_Down);
    ASSERT_TRUE(live.panel.refView()->isVisible());
    QTest::keyClick(field, Qt::Key_Escape);
    EXPECT_FALSE(live.panel.referenceListShown());
    EXPECT_FALSE(live.panel.refView()->isVisible());
    // The previewed value leaves the page; nothing was committed.
    EXPECT_EQ(color->valueName(), QStringLiteral("red"));
    EXPECT_EQ(panel.color(), QStringLiteral("rgb(255, 0, 0)"));
    live.settleWrites();
    EXPECT_FALSE(live.undo.canUndo());
    EXPECT_EQ(panel.text(), panel.original);
}

TEST(RulesStyleEdits, WhileThePanelEditsOnlyThePageFollowsAndTheEndCommits)
{
    EditorsPanel panel;
    ASSERT_TRUE(panel.loaded);
    LivePanel &live = panel.live;
    const CSSRulePtr card = live.ruleRow(QStringLiteral(".card"));
    ASSERT_TRUE(card);
    const QString edited = QStringLiteral("color: rgb(0, 128, 0); background-image: url(\"a.png\"); margin: 0px;");
    post(QStringLiteral("StyleEditChange"), {{QStringLiteral("rule"), QVariant::fromValue(card->rule())},
                                             {QStringLiteral("styleValue"), edited}});
    EXPECT_EQ(panel.color(), QStringLiteral("rgb(0, 128, 0)"));
    EXPECT_EQ(LivePanel::declaration(card, QStringLiteral("color"))->valueName(), QStringLiteral("rgb(0, 128, 0)"));
    live.settleWrites();
    EXPECT_EQ(panel.text(), panel.original);
    EXPECT_FALSE(live.undo.canUndo());

    post(QStringLiteral("StyleEditEnd"), {{QStringLiteral("rule"), QVariant::fromValue(card->rule())},
                                          {QStringLiteral("styleValue"), edited},
                                          {QStringLiteral("oldValue"), QStringLiteral("color: red; background-image: url(\"a.png\"); margin: 0px;")}});
    live.settleWrites();
    // Only what the panel changed: the page's own way of writing the others
    // ("0px", the quotes) does not reach the file.
    QString expected = panel.original;
    expected.replace(QStringLiteral("color: red;"), QStringLiteral("color: rgb(0, 128, 0);"));
    EXPECT_EQ(panel.text(), expected);
    EXPECT_EQ(live.undo.undoActionName(), QStringLiteral("Change Style"));
    live.undo.undo();
    live.settleWrites();

    // Without the text before, the rule's own declarations are the measure.
    post(QStringLiteral("StyleEditEnd"), {{QStringLiteral("rule"), QVariant::fromValue(card->rule())},
                                          {QStringLiteral("styleValue"), QStringLiteral("color: teal; background-image: url(a.png); margin: 0")}});
    live.settleWrites();
    expected = panel.original;
    expected.replace(QStringLiteral("color: red;"), QStringLiteral("color: teal;"));
    EXPECT_EQ(panel.text(), expected);
}

} // namespace StyleEditorsLiveTest

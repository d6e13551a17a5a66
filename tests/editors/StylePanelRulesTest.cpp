#include "cssrules/LivePanel.h"

#include "editors/AttributeStyleEditorViewController.h"
#include "editors/BorderEditor.h"
#include "editors/ComboEnumEditor.h"
#include "editors/LengthEditor.h"
#include "editors/NumberField.h"
#include "editors/QuickColorPicker.h"
#include "editors/StepNumberTextField.h"
#include "platform/kit/Alert.h"
#include "platform/kit/ColorPanel.h"
#include "platform/kit/PopUpButton.h"
#include "toolkit/RBLPopover.h"

#include <QColorDialog>
#include <QComboBox>
#include <QTest>
#include <QToolButton>

#include <gtest/gtest.h>

namespace StylePanelRulesTest {

namespace {

const QByteArray kSite = R"(.card {
    color: red;
    background-image: url("http://example.com/a;b.png");
    margin: 0;
}
)";

const QByteArray kPage = "<!DOCTYPE html><link rel=stylesheet href=site.css><p id=t class=card>x</p>";

} // namespace

TEST(StylePanelRules, ARuleEditedInTheRulesPanelsPopoverKeepsItsUrlAndIsOneUndoStep)
{
    LivePanel live;
    ASSERT_TRUE(live.load({{QStringLiteral("site.css"), kSite}, {QStringLiteral("index.html"), kPage}}));
    ASSERT_TRUE(live.select(live.element(QStringLiteral("t"))));
    live.panel.view()->show();
    const QString original = *live.file(QStringLiteral("site.css"))->currentContent();

    AttributeStyleEditorViewController popoverPanel;
    popoverPanel.initEditor();
    popoverPanel.setRulesPanel(&live.panel);
    live.panel.setAttributeStyleEditor(&popoverPanel);
    const CSSRulePtr margin = LivePanel::declaration(live.ruleRow(QStringLiteral(".card")), QStringLiteral("margin"));
    ASSERT_TRUE(margin && live.selectRow(margin));
    live.panel.showAttributeStyleEditor();
    ASSERT_EQ(popoverPanel.styledRule(), live.ruleRow(QStringLiteral(".card"))->rule());
    // Read as the file has it, the url() unquoted by nobody.
    EXPECT_TRUE(popoverPanel.originalCSSText().contains(QStringLiteral("url(\"http://example.com/a;b.png\")")))
        << popoverPanel.originalCSSText().toStdString();

    auto *width = qobject_cast<LengthEditor *>(popoverPanel.editorForProperty(QStringLiteral("width")));
    width->valueInput()->setText(QStringLiteral("50"));
    width->valueChange();
    live.settleWrites();
    const QString edited = *live.file(QStringLiteral("site.css"))->currentContent();
    EXPECT_TRUE(edited.contains(QStringLiteral("background-image: url(\"http://example.com/a;b.png\");")))
        << edited.toStdString();
    EXPECT_TRUE(edited.contains(QStringLiteral("width: 50px;"))) << edited.toStdString();

    live.undo.undo();
    live.settleWrites();
    EXPECT_EQ(*live.file(QStringLiteral("site.css"))->currentContent(), original);
    if (live.panel.attributeStyleEditorPopover())
        live.panel.attributeStyleEditorPopover()->close();
    live.panel.setAttributeStyleEditor(nullptr);
}

// The panel in the rules panel's popover, on the rule of a row.
struct RulePopover
{
    explicit RulePopover(LivePanel &live, const CSSRulePtr &row)
        : live(live)
    {
        panel.initEditor();
        panel.setRulesPanel(&live.panel);
        live.panel.setAttributeStyleEditor(&panel);
        if (row && live.selectRow(row))
            live.panel.showAttributeStyleEditor();
    }
    ~RulePopover()
    {
        if (live.panel.attributeStyleEditorPopover())
            live.panel.attributeStyleEditorPopover()->close();
        live.panel.setAttributeStyleEditor(nullptr);
    }
    LivePanel &live;
    AttributeStyleEditorViewController panel;
};

TEST(StylePanelRules, ABorderShorthandIsEditedAsTheShorthandWithItsOtherPartsAsWritten)
{
    // A framework's minified sheet: the border in one shorthand.
    const QByteArray css = ".card{position:relative;border:1px solid #e3e6f0;border-radius:.35rem}"
                           ".btn{border:1px solid rgba(0,0,0,.125)}";
    LivePanel live;
    ASSERT_TRUE(live.load({{QStringLiteral("site.css"), css},
                           {QStringLiteral("index.html"), "<!DOCTYPE html><link rel=stylesheet href=site.css>"
                                                          "<p id=t class=card>x</p><p id=b class=btn>b</p>"}}));
    for (const auto &[id, selector, edited] :
         {std::tuple{"t", ".card", ".card{position:relative;border:1px dashed #e3e6f0;border-radius:.35rem}"},
          std::tuple{"b", ".btn", ".btn{border:1px dashed rgba(0,0,0,.125)}"}}) {
        SCOPED_TRACE(selector);
        ASSERT_TRUE(live.select(live.element(QString::fromLatin1(id))));
        live.panel.view()->show();
        const CSSRulePtr border = LivePanel::declaration(live.ruleRow(QString::fromLatin1(selector)), QStringLiteral("border"));
        ASSERT_TRUE(border);
        RulePopover popover(live, border);
        auto *editor = qobject_cast<BorderEditor *>(popover.panel.editorForProperty(QStringLiteral("border")));
        ASSERT_TRUE(editor);
        ASSERT_TRUE(editor->isLocked());
        editor->controls(BorderEditor::All).styleSelector->setTitle(QStringLiteral("dashed"));
        editor->styleChanged(BorderEditor::All);
        live.settleWrites();
        EXPECT_TRUE(live.file(QStringLiteral("site.css"))->currentContent()->contains(QString::fromLatin1(edited)))
            << live.file(QStringLiteral("site.css"))->currentContent()->toStdString();
        live.undo.undo();
        live.settleWrites();
        EXPECT_EQ(*live.file(QStringLiteral("site.css"))->currentContent(), QString::fromLatin1(css));
    }
}

TEST(StylePanelRules, AFrameworkBorderIsEditedInTheAuthorsShorthandsOfAMinifiedSheet)
{
    // ".card" and ".dropdown-divider" as the framework's minified sheet has
    // them (custom properties shortened); ".form-control" with a side of its own.
    const QByteArray css = ".card{--bs-card-border-width: 1px;position:relative;"
                           "border:var(--bs-card-border-width) solid var(--bs-card-border-color);"
                           "border-radius:var(--bs-card-border-radius)}"
                           ".dropdown-divider{height:0;overflow:hidden;border-top:1px solid var(--bs-dropdown-divider-bg);opacity:1}"
                           ".form-control{display:block;border:1px solid #ced4da;border-top:0;border-radius:0.375rem}";
    LivePanel live;
    ASSERT_TRUE(live.load({{QStringLiteral("site.css"), css},
                           {QStringLiteral("index.html"), "<!DOCTYPE html><link rel=stylesheet href=site.css>"
                                                          "<div id=c class=card>c</div><hr id=d class=dropdown-divider>"
                                                          "<input id=f class=form-control>"}}));
    const auto editorIn = [](RulePopover &popover) {
        return qobject_cast<BorderEditor *>(popover.panel.editorForProperty(QStringLiteral("border")));
    };
    const auto sheet = [&live] { return *live.file(QStringLiteral("site.css"))->currentContent(); };

    {
        SCOPED_TRACE(".card");
        ASSERT_TRUE(live.select(live.element(QStringLiteral("c"))));
        live.panel.view()->show();
        RulePopover popover(live, LivePanel::declaration(live.ruleRow(QStringLiteral(".card")), QStringLiteral("border")));
        BorderEditor *editor = editorIn(popover);
        ASSERT_TRUE(editor);
        // The parts it cannot read are shown as written, not as nothing.
        const BorderEditor::Controls &all = editor->controls(BorderEditor::All);
        EXPECT_TRUE(editor->isLocked());
        EXPECT_EQ(all.styleSelector->titleOfSelectedItem(), QStringLiteral("solid"));
        EXPECT_EQ(all.widthInput->text(), QStringLiteral("var(--bs-card-border-width)"));
        EXPECT_EQ(all.colorPicker->unknownText(), QStringLiteral("var(--bs-card-border-color)"));
        all.colorPicker->colorPickerButton()->click();
        ColorPanel::sharedColorPanel().dialog()->setCurrentColor(QColor(QStringLiteral("#ff0000")));
        ColorPanel::sharedColorPanel().close();
        live.settleWrites();
        EXPECT_TRUE(sheet().contains(QStringLiteral(
            "position:relative;border:var(--bs-card-border-width) solid #ff0000;border-radius:var(--bs-card-border-radius)}")))
            << sheet().toStdString();
    }
    {
        SCOPED_TRACE(".dropdown-divider");
        ASSERT_TRUE(live.select(live.element(QStringLiteral("d"))));
        RulePopover popover(live,
                            LivePanel::declaration(live.ruleRow(QStringLiteral(".dropdown-divider")), QStringLiteral("border-top")));
        BorderEditor *editor = editorIn(popover);
        ASSERT_TRUE(editor);
        ASSERT_FALSE(editor->isLocked());
        // The row of a side opens the border's page.
        EXPECT_EQ(popover.panel.currentPage(), 1);
        PopUpButton *style = editor->controls(BorderEditor::Top).styleSelector;
        style->setTitle(QStringLiteral("dashed"));
        editor->styleChanged(BorderEditor::Top);
        live.settleWrites();
        EXPECT_TRUE(sheet().contains(QStringLiteral("overflow:hidden;border-top:1px dashed var(--bs-dropdown-divider-bg);opacity:1}")))
            << sheet().toStdString();
    }
    {
        SCOPED_TRACE(".form-control");
        ASSERT_TRUE(live.select(live.element(QStringLiteral("f"))));
        RulePopover popover(live, LivePanel::declaration(live.ruleRow(QStringLiteral(".form-control")), QStringLiteral("border")));
        BorderEditor *editor = editorIn(popover);
        ASSERT_TRUE(editor);
        ASSERT_FALSE(editor->isLocked());
        PopUpButton *style = editor->controls(BorderEditor::Right).styleSelector;
        style->setTitle(QStringLiteral("dotted"));
        editor->styleChanged(BorderEditor::Right);
        live.settleWrites();
        // The right side alone, after the others, each kept as written.
        EXPECT_TRUE(sheet().contains(
            QStringLiteral(".form-control{display:block;border:1px solid #ced4da;border-top:0;border-radius:0.375rem;"
                           "border-right:1px dotted #ced4da}")))
            << sheet().toStdString();
    }
}

namespace {

// The live rule with the selector inside the block whose head is given
// (empty: at the top of a sheet), in the last sheet of the page that has one.
DOMCSSRulePtr liveRule(DOMDocument *document, const QString &selector, const QString &block)
{
    DOMCSSRulePtr found;
    const std::function<void(const DOMCSSRuleList &, const QString &)> walk = [&](const DOMCSSRuleList &rules, const QString &in) {
        for (int i = 0; i < rules.length() && !found; ++i) {
            const DOMCSSRulePtr rule = rules.item(i);
            if (rule->type() == DOMCSSRule::STYLE_RULE && rule->selectorText() == selector && in == block)
                found = rule;
            else if (rule->type() != DOMCSSRule::STYLE_RULE)
                walk(rule->cssRules(), rule->cssText().section(u'{', 0, 0).trimmed());
        }
    };
    for (int i = document->styleSheets().length() - 1; i >= 0 && !found; --i)
        walk(document->styleSheets().item(i)->cssRules(), QString());
    return found;
}

} // namespace

// A rule inside @media, @supports or a block inside a block takes an edit
// of the panel as a rule at the top does: in page and file (#77).
TEST(StylePanelRules, ARuleInsideAnyBlockTakesTheEditInPageAndFile)
{
    const QByteArray css = ".t {\n  color: red;\n}\n\n@media (min-width: 1px) {\n  .t {\n    font-size: 12px;\n  }\n}\n\n"
                           "@supports (display: block) {\n  .t {\n    line-height: 2;\n  }\n}\n\n"
                           "@media screen {\n  @media (min-width: 2px) {\n    .t {\n      letter-spacing: 1px;\n    }\n  }\n}\n";
    LivePanel live;
    ASSERT_TRUE(live.load({{QStringLiteral("site.css"), css},
                           {QStringLiteral("index.html"), "<!DOCTYPE html><link rel=stylesheet href=site.css>"
                                                          "<style>.t { word-spacing: 1px }</style><p id=t class=t>x</p>"}}));
    ASSERT_TRUE(live.select(live.element(QStringLiteral("t"))));
    live.panel.view()->show();
    QStringList alerts;
    Alert::setResponder([&alerts](Alert &alert) {
        alerts.append(alert.messageText());
        return int(Alert::DefaultReturn);
    });
    const auto sheet = [&live] { return *live.file(QStringLiteral("site.css"))->currentContent(); };
    const auto weight = [&live] { return computedValue(*live.fixture, QStringLiteral("t"), QStringLiteral("font-weight")); };
    const auto setWeight = [](AttributeStyleEditorViewController &panel, const QString &value) {
        auto *editor = qobject_cast<ComboEnumEditor *>(panel.editorForProperty(QStringLiteral("font-weight")));
        ASSERT_TRUE(editor);
        editor->combo()->setCurrentText(value);
        editor->valueChanged();
    };

    // Edit Rule Style on the row of the rule inside @media.
    CSSRulePtr media;
    for (const CSSRulePtr &row : live.panel.rules()) {
        if (row->displayName() == QLatin1String("@media (min-width: 1px)"))
            media = row;
    }
    ASSERT_TRUE(media && !media->children().isEmpty());
    live.panel.outline()->expandItem(media.get());
    {
        RulePopover popover(live, media->children().first());
        ASSERT_EQ(popover.panel.styledRule(), media->children().first()->rule());
        setWeight(popover.panel, QStringLiteral("bold"));
        live.settleWrites();
    }
    EXPECT_TRUE(sheet().contains(QStringLiteral("  .t {\n    font-size: 12px;\n    font-weight: bold;\n  }"))) << sheet().toStdString();
    EXPECT_EQ(weight(), QStringLiteral("700"));

    // The style-attribute pane on the rules in @supports and in a block inside a block.
    AttributeStyleEditorViewController pane;
    pane.initEditor();
    pane.setRulesPanel(&live.panel);
    for (const auto &[block, written] :
         {std::pair{QStringLiteral("@supports (display: block)"), QStringLiteral("    line-height: 2;\n    font-weight: 300;\n")},
          std::pair{QStringLiteral("@media (min-width: 2px)"), QStringLiteral("      letter-spacing: 1px;\n      font-weight: 300;\n")}}) {
        SCOPED_TRACE(block.toStdString());
        const DOMCSSRulePtr rule = liveRule(live.document(), QStringLiteral(".t"), block);
        ASSERT_TRUE(rule);
        pane.setStyledObject(rule);
        setWeight(pane, QStringLiteral("300"));
        live.settleWrites();
        EXPECT_TRUE(sheet().contains(written)) << sheet().toStdString();
    }
    EXPECT_EQ(sheet().count(QStringLiteral("font-weight")), 3);
    EXPECT_EQ(weight(), QStringLiteral("300"));
    // A value the pane changed again goes back in the page too with Undo:
    // the rows the first edit made again took the page back to it.
    setWeight(pane, QStringLiteral("bold"));
    live.settleWrites();
    EXPECT_EQ(weight(), QStringLiteral("700"));
    live.undo.undo();
    live.settleWrites();
    EXPECT_EQ(weight(), QStringLiteral("300"));
    EXPECT_EQ(sheet().count(QStringLiteral("font-weight: 300;")), 2);
    EXPECT_TRUE(alerts.isEmpty()) << alerts.join(u'|').toStdString();

    // A rule no sheet's text holds refuses the edit aloud; the page keeps it as it was.
    const DOMCSSRulePtr inPage = liveRule(live.document(), QStringLiteral(".t"), QString());
    ASSERT_TRUE(inPage && inPage->style()->getPropertyValue(QStringLiteral("word-spacing")) == QLatin1String("1px"));
    const QString before = sheet();
    pane.setStyledObject(inPage);
    setWeight(pane, QStringLiteral("bold"));
    live.settleWrites();
    EXPECT_EQ(alerts.size(), 1);
    EXPECT_EQ(sheet(), before);
    EXPECT_EQ(inPage->style()->getPropertyValue(QStringLiteral("font-weight")), QString());
    EXPECT_EQ(weight(), QStringLiteral("300"));
    Alert::setResponder({});

    while (live.undo.canUndo())
        live.undo.undo();
    live.settleWrites();
    EXPECT_EQ(sheet(), QString::fromUtf8(css));
    EXPECT_EQ(weight(), QStringLiteral("400"));
}

} // namespace StylePanelRulesTest

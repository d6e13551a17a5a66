#include "cssrules/LivePanel.h"

#include "editors/AttributeStyleEditorViewController.h"
#include "editors/BorderEditor.h"
#include "editors/LengthEditor.h"
#include "editors/NumberField.h"
#include "platform/kit/PopUpButton.h"
#include "toolkit/RBLPopover.h"

#include <QTest>

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

} // namespace StylePanelRulesTest

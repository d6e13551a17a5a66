#include "cssrules/LivePanel.h"

#include "editors/AttributeStyleEditorViewController.h"
#include "editors/LengthEditor.h"
#include "editors/NumberField.h"
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

} // namespace StylePanelRulesTest

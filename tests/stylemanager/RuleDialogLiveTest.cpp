#include "LivePanel.h"

#include "stylemanager/AddStylePropertyViewController.h"
#include "stylemanager/ControlSelectorValidator.h"
#include "stylemanager/CreateKeyframeDelegate.h"
#include "stylemanager/CreateMediaQueryDelegate.h"
#include "stylemanager/CreateSelectorDelegate.h"
#include "stylemanager/CreateSelectorManagerDelegate.h"

#include "cssrules/CSSCopyInfo.h"
#include "cssrules/CSSSnippetDataSource.h"
#include "platform/kit/TextField.h"
#include "toolkit/CandidateTextField.h"
#include "cssvalues/CSSSelectorValidator.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/kit/Alert.h"
#include "platform/web/cssom/DOMCSSStyleDeclaration.h"

#include <QComboBox>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>
#include <QStackedWidget>
#include <QTest>

#include <gtest/gtest.h>

namespace RuleDialogLiveTest {

namespace {

const QByteArray kSite = R"(/* layout */
.a { color: red; }
.b { color: blue; }
@media screen and (max-width: 600px) {
    .m1 { color: green; }
    .m2 { color: gray; }
}
@-webkit-keyframes fade {
    from { opacity: 0; }
    to { opacity: 1; }
}
@keyframes fade {
    from { opacity: 0; }
    to { opacity: 1; }
}
@-webkit-keyframes spin {
    0% { left: 0px; }
    100% { left: 10px; }
}
@keyframes turn {
    from { transform: rotate(0deg); }
    to { transform: rotate(90deg); }
}
.c { color: black; }
)";

const QByteArray kOther = ".o { margin: 0; }\n";

const QByteArray kPage = "<!DOCTYPE html><link rel=stylesheet href=site.css><link rel=stylesheet href=other.css>"
                         "<div id=x class=a>x</div>";

class RuleDialog : public ::testing::Test
{
protected:
    RuleDialog() : dialog(&live.panel)
    {
        Alert::setResponder([this](Alert &alert) {
            alerts << alert.messageText();
            return int(Alert::DefaultReturn);
        });
        live.panel.setCreateSelectorManager(&dialog);
    }
    ~RuleDialog() override
    {
        live.panel.setCreateSelectorManager(nullptr);
        Alert::setResponder({});
    }

    // The add-declaration panel in single mode, on the rules of #x.
    void addTo(AddStylePropertyViewController &panel)
    {
        live.panel.setAddStylePropertyPanel(&panel);
        AddStylePropertyViewController::setType(0);
        ASSERT_TRUE(live.select(live.element(QStringLiteral("x"))));
    }

    void load()
    {
        ASSERT_TRUE(live.load({{QStringLiteral("site.css"), kSite}, {QStringLiteral("other.css"), kOther}, {QStringLiteral("index.html"), kPage}}));
        site = live.file(QStringLiteral("site.css"));
        other = live.file(QStringLiteral("other.css"));
        ASSERT_TRUE(site && other);
        live.panel.setPageDocument(live.document());
    }
    StyleDeclarationPtr top(File *file, const QString &selector) const
    {
        for (const StyleDeclarationPtr &declaration : file->topLevelDeclarations()) {
            if (declaration->selector() == selector)
                return declaration;
        }
        return nullptr;
    }
    static QStringList titles(const QComboBox *chooser)
    {
        QStringList list;
        for (int i = 0; i < chooser->count(); ++i)
            list << CreateSelectorDelegate::titleOf(chooser, i);
        return list;
    }
    static void choose(QComboBox *chooser, const QString &title)
    {
        ASSERT_TRUE(CreateSelectorDelegate::setTitle(chooser, title)) << title.toStdString();
        Q_EMIT chooser->activated(chooser->currentIndex());
    }
    // A copy of a block with its children, as the rules panel's clipboard makes it.
    std::shared_ptr<CSSCopyInfo> copyOf(const StyleDeclarationPtr &block)
    {
        auto copy = std::make_shared<CSSCopyInfo>();
        copy->setType(quint32(block->type()));
        QList<StyleDeclarationPtr> declarations{block->copy()};
        for (const StyleDeclarationPtr &child : block->parentFile()->getMediaChildren(*block)) {
            const StyleDeclarationPtr copied = child->copy();
            declarations << copied;
        }
        for (const StyleDeclarationPtr &copied : declarations)
            copied->setParentFile(block->parentFile());
        copy->setDeclarations(declarations);
        copy->setCssRule(live.panel.domCSSRuleByStyleDeclaration(block));
        return copy;
    }
    QString text(File *file) const { return *file->currentContent(); }
    void pressOk(CreateSelectorDelegate *tab)
    {
        ASSERT_TRUE(tab->okButton()->isEnabled());
        tab->okButton()->click();
        live.settleWrites();
    }

    LivePanel live;
    CreateSelectorManagerDelegate dialog;
    File *site = nullptr;
    File *other = nullptr;
    QStringList alerts;
};

TEST_F(RuleDialog, EachModeAndDuplicateTypeBringsUpItsTab)
{
    load();
    dialog.setCreateKeyframeMode();
    EXPECT_EQ(dialog.type(), 2);
    EXPECT_EQ(dialog.tabView()->currentIndex(), 2);
    dialog.setCreateSelectorMode(site);
    EXPECT_EQ(dialog.type(), 0);
    dialog.setDuplicateMode(copyOf(top(site, QStringLiteral("@media screen and (max-width: 600px)"))));
    EXPECT_EQ(dialog.type(), 1);
    EXPECT_EQ(dialog.currentInput()->text(), QStringLiteral("@media screen and (max-width: 600px)"));
    dialog.setDuplicateMode(copyOf(top(site, QStringLiteral("@-webkit-keyframes fade"))));
    EXPECT_EQ(dialog.type(), 2);
    EXPECT_EQ(dialog.currentInput()->text(), QStringLiteral("fade"));
    dialog.setDuplicateMode(copyOf(top(site, QStringLiteral(".b"))));
    EXPECT_EQ(dialog.type(), 0);
    // The copied selector is in the field, checked at once.
    EXPECT_EQ(dialog.currentInput()->text(), QStringLiteral(".b"));
    EXPECT_TRUE(dialog.selectorDelegate()->okButton()->isEnabled());
}

TEST_F(RuleDialog, ASheetChosenInOneTabMovesTheOthers)
{
    load();
    dialog.setCreateSelectorMode(site);
    choose(dialog.mediaDelegate()->fileSelectListView(), other->displayName());
    EXPECT_EQ(dialog.mediaDelegate()->selectedFile(), other);
    EXPECT_EQ(dialog.selectorDelegate()->selectedFile(), other);
    EXPECT_EQ(dialog.keyframeDelegate()->selectedFile(), other);
    EXPECT_EQ(dialog.selectorDelegate()->fileSelectListView()->currentText(), other->displayName());
}

TEST_F(RuleDialog, TheTargetChooserListsSheetsAndTheirMediaBlocks)
{
    load();
    dialog.setCreateSelectorMode(site);
    CreateSelectorDelegate *tab = dialog.selectorDelegate();
    EXPECT_EQ(titles(tab->fileSelectListView()),
              (QStringList{site->displayName(), QStringLiteral("@media screen and (max-width: 600px)"), QString(), other->displayName()}));
    // A sheet: its top-level rules and comments, no blocks.
    EXPECT_EQ(titles(tab->styleSelectListView()), (QStringList{QStringLiteral("/* layout */"), ".a", ".b", ".c"}));
    // An @media block: only its rules.
    choose(tab->fileSelectListView(), QStringLiteral("@media screen and (max-width: 600px)"));
    EXPECT_EQ(titles(tab->styleSelectListView()), (QStringList{".m1", ".m2"}));
    // The @media tab lists the sheets only, and their blocks as places.
    CreateMediaQueryDelegate *media = dialog.mediaDelegate();
    EXPECT_EQ(titles(media->fileSelectListView()), (QStringList{site->displayName(), QString(), other->displayName()}));
    media->setSelectedFile(other);
    EXPECT_FALSE(media->styleSelectListView()->isEnabled());
}

TEST_F(RuleDialog, AnotherFileForgetsTheInsertAfterRule)
{
    load();
    dialog.setCreateSelectorMode(site);
    CreateSelectorDelegate *tab = dialog.selectorDelegate();
    const StyleDeclarationPtr b = top(site, QStringLiteral(".b"));
    tab->setSelectedDec(b);
    EXPECT_EQ(tab->afterAt(), b);
    tab->setSelectedFile(site);
    EXPECT_EQ(tab->selectedDec(), b);
    tab->setSelectedFile(other);
    EXPECT_EQ(tab->selectedDec(), nullptr);
}

TEST_F(RuleDialog, OkCreatesTheRuleAfterTheChosenOneAndADuplicateReturnsToCreateMode)
{
    load();
    live.panel.showAddSelector();
    ASSERT_TRUE(dialog.viewPanel()->isVisible());
    CreateSelectorDelegate *tab = dialog.selectorDelegate();
    tab->setSelectedDec(top(site, QStringLiteral(".a")));
    tab->selectorNameInputView()->setText(QStringLiteral("ul>li"));
    pressOk(tab);
    EXPECT_FALSE(dialog.viewPanel()->isVisible());
    EXPECT_TRUE(text(site).contains(QRegularExpression(QStringLiteral("\\.a \\{ color: red; \\}\\s*ul > li \\{"))));
    EXPECT_TRUE(alerts.isEmpty()) << alerts.join(u'\n').toStdString();

    dialog.setDuplicateMode(copyOf(top(site, QStringLiteral(".c"))));
    tab->selectorNameInputView()->setText(QStringLiteral(".d"));
    pressOk(tab);
    EXPECT_TRUE(text(site).contains(QStringLiteral(".d {")));
    EXPECT_EQ(dialog.cssCopyInfo(), nullptr);
    EXPECT_EQ(tab->selectedFile(), site);
}

TEST_F(RuleDialog, BadSelectorsAreMarkedAndKeepOkOff)
{
    load();
    dialog.setCreateSelectorMode(site);
    CreateSelectorDelegate *tab = dialog.selectorDelegate();
    ASSERT_TRUE(TestUtil::waitUntil([] { return CSSSelectorValidator::getInstance()->isReady(); }, 20000));
    tab->selectorNameInputView()->setText(QStringLiteral("div >"));
    EXPECT_FALSE(tab->okButton()->isEnabled());
    EXPECT_EQ(ControlSelectorValidator::errorRanges(tab->selectorNameInputView()), (QList<Range>{{5, 0}}));
    // Text typed while the validator was not ready is checked when it is.
    tab->selectorNameInputView()->blockSignals(true);
    tab->selectorNameInputView()->setText(QStringLiteral("a..b"));
    tab->selectorNameInputView()->blockSignals(false);
    tab->okButton()->setEnabled(true);
    NotificationCenter::defaultCenter().postNotificationName(CSSSelectorValidator::initializedNotificationName());
    EXPECT_FALSE(tab->okButton()->isEnabled());
    EXPECT_EQ(tab->validatorStatusLabel()->text(), QStringLiteral("Validation is Ready"));
    // A media query is never checked as a selector.
    CreateMediaQueryDelegate *media = dialog.mediaDelegate();
    media->selectorNameInputView()->setText(QStringLiteral("@media print"));
    NotificationCenter::defaultCenter().postNotificationName(CSSSelectorValidator::initializedNotificationName());
    EXPECT_TRUE(media->okButton()->isEnabled());
    EXPECT_TRUE(ControlSelectorValidator::errorRanges(media->selectorNameInputView()).isEmpty());
}

TEST_F(RuleDialog, AMediaTemplateFillsTheQueryAndOkInsertsTheBlock)
{
    load();
    dialog.setCreateSelectorMode(site);
    dialog.selectType(1);
    CreateMediaQueryDelegate *media = dialog.mediaDelegate();
    QComboBox *templates = media->recommendedMediaQuerySelectList();
    EXPECT_EQ(templates->count(), 19);
    templates->setCurrentIndex(0);
    Q_EMIT templates->activated(0);
    EXPECT_TRUE(media->selectorNameInputView()->text().isEmpty());
    templates->setCurrentText(QStringLiteral("@media only screen and (max-width: 768px)"));
    Q_EMIT templates->activated(templates->currentIndex());
    EXPECT_EQ(media->selectorNameInputView()->text(), QStringLiteral("@media only screen and (max-width: 768px)"));
    pressOk(media);
    EXPECT_TRUE(text(site).contains(QStringLiteral("@media only screen and (max-width: 768px)"))) << text(site).toStdString();
}

TEST_F(RuleDialog, KeyframeTabListsOneEntryPerAnimation)
{
    load();
    dialog.setCreateKeyframeMode();
    CreateKeyframeDelegate *tab = dialog.keyframeDelegate();
    tab->setSelectedFile(site);
    EXPECT_EQ(titles(tab->styleSelectListView()), (QStringList{"@keyframes fade", "@keyframes spin", "@keyframes turn"}));
    // The fade entry stands for the unprefixed rule.
    tab->styleSelectListView()->setCurrentIndex(0);
    EXPECT_EQ(tab->afterAt()->selector(), QStringLiteral("@keyframes fade"));
    tab->selectorNameInputView()->setText(QStringLiteral("glow"));
    EXPECT_EQ(dialog.selectorName(), QStringLiteral("@-webkit-keyframes glow"));
}

TEST_F(RuleDialog, DuplicatingAnAnimationTakesItsLiveValues)
{
    load();
    const StyleDeclarationPtr fade = top(site, QStringLiteral("@-webkit-keyframes fade"));
    const std::shared_ptr<CSSCopyInfo> copy = copyOf(fade);
    ASSERT_NE(copy->cssRule(), nullptr);
    // The page's "to" keyframe changed live.
    const DOMCSSRuleList keyframes = copy->cssRule()->cssRules();
    ASSERT_EQ(keyframes.length(), 2);
    keyframes.item(1)->style()->setProperty(QStringLiteral("opacity"), QStringLiteral("0.25"));
    dialog.setDuplicateMode(copy);
    ASSERT_EQ(dialog.type(), 2);
    const QList<QVariantMap> preset = dialog.presetKeyframes();
    ASSERT_EQ(preset.size(), 2);
    EXPECT_TRUE(preset.at(1).value(QStringLiteral("body")).toString().contains(QStringLiteral("0.25")));
    dialog.keyframeDelegate()->selectorNameInputView()->setText(QStringLiteral("fade2"));
    pressOk(dialog.keyframeDelegate());
    const QString written = text(site);
    const qsizetype at = written.indexOf(QStringLiteral("@-webkit-keyframes fade2"));
    ASSERT_GE(at, 0) << written.toStdString();
    EXPECT_TRUE(written.mid(at, 200).contains(QStringLiteral("0.25"))) << written.mid(at, 200).toStdString();
    EXPECT_EQ(dialog.cssCopyInfo(), nullptr);
}

TEST_F(RuleDialog, AKeyframePresetGivesItsKeyframes)
{
    load();
    dialog.setCreateKeyframeMode();
    CreateKeyframeDelegate *tab = dialog.keyframeDelegate();
    tab->presetList()->setCurrentIndex(tab->presetList()->model()->index(0, 0));
    const QList<QVariantMap> preset = dialog.presetKeyframes();
    ASSERT_FALSE(preset.isEmpty());
    EXPECT_FALSE(preset.first().value(QStringLiteral("selector")).toString().isEmpty());
}

TEST_F(RuleDialog, AddPropertyPanelMarksPropertiesTheRuleHasAndAddsTheTypedOne)
{
    load();
    AddStylePropertyViewController panel(&live.panel);
    ASSERT_NO_FATAL_FAILURE(addTo(panel));
    const CSSRulePtr row = live.ruleRow(QStringLiteral(".a"));
    ASSERT_TRUE(live.selectRow(row));
    ASSERT_EQ(panel.targetSelector(), row);
    EXPECT_TRUE(panel.candidateTextField()->isEnabled());
    EXPECT_EQ(panel.decorationForItem(QStringLiteral("color"), Qt::ToolTipRole).toString(),
              QStringLiteral("color has been already inserted."));
    EXPECT_TRUE(panel.decorationForItem(QStringLiteral("color"), Qt::ForegroundRole).isValid());
    EXPECT_FALSE(panel.decorationForItem(QStringLiteral("margin"), Qt::ToolTipRole).isValid());
    // A removed declaration is no longer in the rule.
    row->styleDeclaration()->properties().first()->setRemoved(true);
    EXPECT_FALSE(panel.decorationForItem(QStringLiteral("color"), Qt::ForegroundRole).isValid());
    row->styleDeclaration()->properties().first()->setRemoved(false);

    panel.candidateTextField()->textField()->setText(QStringLiteral("margin-left"));
    Q_EMIT panel.candidateTextField()->activated();
    live.settleWrites();
    EXPECT_TRUE(text(site).contains(QRegularExpression(QStringLiteral("\\.a \\{ color: red;\\s*margin-left"))))
        << text(site).toStdString();
    live.panel.setAddStylePropertyPanel(nullptr);
}

TEST_F(RuleDialog, AddPropertyPanelTakesANameAndValueAsOneDeclarationAndRefusesOtherText)
{
    load();
    AddStylePropertyViewController panel(&live.panel);
    ASSERT_NO_FATAL_FAILURE(addTo(panel));
    ASSERT_TRUE(live.selectRow(live.ruleRow(QStringLiteral(".a"))));
    const auto commit = [&](const char *typed) {
        panel.candidateTextField()->textField()->setText(QString::fromLatin1(typed));
        Q_EMIT panel.candidateTextField()->activated();
        live.settleWrites();
    };
    const QString before = text(site);
    for (const char *refused : {"color: red; margin: 0", "color:", "color: red }", "a b: red", ": red", "color: (red"}) {
        alerts.clear();
        commit(refused);
        EXPECT_EQ(alerts, QStringList{QStringLiteral("The declaration could not be added.")}) << refused;
        EXPECT_EQ(text(site), before) << refused;
    }

    alerts.clear();
    commit("margin-top: 2px");
    commit("padding:1px;");
    commit("border-top: 1px solid red !important");
    EXPECT_TRUE(alerts.isEmpty()) << alerts.join(u'|').toStdString();
    EXPECT_TRUE(text(site).contains(QStringLiteral(
        ".a { color: red; margin-top: 2px; padding: 1px; border-top: 1px solid red !important; }")))
        << text(site).toStdString();
    live.panel.setAddStylePropertyPanel(nullptr);
}

// The field stays open to typing while the rules refresh; a declaration it
// commits with no rule selected was dropped without a word (#72).
TEST_F(RuleDialog, AddPropertyPanelRefusesADeclarationWithNoRuleToGoIntoWithAMessage)
{
    load();
    AddStylePropertyViewController panel(&live.panel);
    ASSERT_NO_FATAL_FAILURE(addTo(panel));
    live.panel.outline()->deselectAll();
    const QString before = text(site);
    for (const char *typed : {"color: red", "margin"}) {
        alerts.clear();
        panel.candidateTextField()->textField()->setText(QString::fromLatin1(typed));
        Q_EMIT panel.candidateTextField()->activated();
        live.settleWrites();
        EXPECT_EQ(alerts, QStringList{QStringLiteral("The declaration could not be added.")}) << typed;
        EXPECT_EQ(text(site), before);
        EXPECT_FALSE(live.undo.canUndo());
    }
    live.panel.setAddStylePropertyPanel(nullptr);
}

TEST_F(RuleDialog, KeysTypedIntoTheAddFieldWhileThePanelRefreshesAllReachIt)
{
    load();
    AddStylePropertyViewController panel(&live.panel);
    ASSERT_NO_FATAL_FAILURE(addTo(panel));
    const CSSRulePtr row = live.ruleRow(QStringLiteral(".a"));
    ASSERT_TRUE(live.selectRow(row));
    QWidget *window = live.panel.view();
    window->show();
    window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window));
    TextField *field = panel.candidateTextField()->textField();
    field->setFocus();
    ASSERT_TRUE(field->hasFocus());
    // Keys go where the keyboard is, as a user's do.
    const auto type = [&](const QString &text) {
        for (const QChar c : text)
            QTest::keyClick(window->windowHandle(), c.toLatin1());
    };
    type(QStringLiteral("co"));
    // A refresh of the rules: their selection gone for a moment, then back.
    live.panel.outline()->deselectAll();
    type(QStringLiteral("lor: #ff"));
    ASSERT_TRUE(live.selectRow(row));
    type(QStringLiteral("0000"));
    EXPECT_TRUE(field->hasFocus());
    EXPECT_EQ(field->text(), QStringLiteral("color: #ff0000"));
    // Without a rule to add to, the field is disabled once the user leaves it.
    live.panel.outline()->deselectAll();
    EXPECT_TRUE(panel.candidateTextField()->isEnabled());
    live.panel.outline()->setFocus();
    EXPECT_TRUE(TestUtil::waitUntil([&] { return !panel.candidateTextField()->isEnabled(); }));
    live.panel.setAddStylePropertyPanel(nullptr);
}

TEST(AddStylePropertyText, ReadsOneDeclarationWithItsPriority)
{
    const auto read = [](const char *text) {
        const auto declaration = AddStylePropertyViewController::declarationFromText(QString::fromLatin1(text));
        return declaration ? declaration.value()->property() + u'|' + declaration.value()->value() : QStringLiteral("refused");
    };
    EXPECT_EQ(read("color: #ff0000"), QStringLiteral("color|#ff0000"));
    EXPECT_EQ(read(" color:#ff0000 ; "), QStringLiteral("color|#ff0000"));
    EXPECT_EQ(read("color:red !important"), QStringLiteral("color|red !important"));
    EXPECT_EQ(read("content: \"a;b\""), QStringLiteral("content|\"a;b\""));
    EXPECT_EQ(read("background: url(a;b.png)"), QStringLiteral("background|url(a;b.png)"));
    EXPECT_EQ(read("--gap: 4px"), QStringLiteral("--gap|4px"));
    EXPECT_EQ(read("color"), QStringLiteral("color|"));
    EXPECT_EQ(read("color: red; top: 0"), QStringLiteral("refused"));
    EXPECT_EQ(read("color: !important"), QStringLiteral("refused"));
    EXPECT_EQ(read("a{color: red"), QStringLiteral("refused"));
}

TEST_F(RuleDialog, AddPropertyPanelSwitchesTypeAndTakesEverySnippetDeclaration)
{
    CSSSnippetDataSource::setSnippetProvider([] {
        return QList<QVariantMap>{{{QStringLiteral("title"), QStringLiteral("margins")},
                                   {QStringLiteral("content"), QStringLiteral("margin: 0; padding: 1px; border: none;")},
                                   {QStringLiteral("locked"), 1}}};
    });
    AddStylePropertyViewController panel(&live.panel);
    AddStylePropertyViewController::setType(0);
    panel.view();
    panel.setPropertyCanAdd(true);
    TextField *field = panel.candidateTextField()->textField();
    field->setText(QStringLiteral("ma"));
    EXPECT_TRUE(panel.predicate()(QStringLiteral("margin")));
    EXPECT_FALSE(panel.predicate()(QStringLiteral("padding")));
    panel.propertyTypeList()->setCurrentIndex(1);
    Q_EMIT panel.propertyTypeList()->activated(1);
    EXPECT_EQ(panel.type(), 1);
    EXPECT_TRUE(field->text().isEmpty());
    EXPECT_EQ(field->placeholderText(), QStringLiteral("Add Preset"));
    EXPECT_FALSE(panel.dataSource()->hasPredicate());
    // The type is the same for every panel of the run.
    AddStylePropertyViewController another(&live.panel);
    EXPECT_EQ(another.type(), 1);

    QTest::keyClicks(field, QStringLiteral("mar"));
    ASSERT_TRUE(TestUtil::waitUntil([&] { return panel.candidateTextField()->objectForSelection().isValid(); }, 2000));
    panel.outlineViewSelectionDidChange();
    QStringList names;
    for (const QVariant &element : panel.selectedElements())
        names << element.value<CSSPropertyPtr>()->property();
    EXPECT_EQ(names, (QStringList{"margin", "padding", "border"}));
    AddStylePropertyViewController::setType(0);
    CSSSnippetDataSource::setSnippetProvider({});
}

TEST_F(RuleDialog, ANewClassForAnElementGoesOntoItAndEscapeCancels)
{
    load();
    DOMElement *element = live.element(QStringLiteral("x"));
    live.panel.createAndSetClassForNode(element, CSSOutlineDelegate::ClassTarget::Class);
    ASSERT_TRUE(dialog.viewPanel()->isVisible());
    EXPECT_EQ(dialog.type(), 0);
    EXPECT_EQ(dialog.currentInput()->text(), QStringLiteral("."));
    QTest::keyClicks(dialog.currentInput(), QStringLiteral("hero"));
    QTest::keyClick(dialog.currentInput(), Qt::Key_Return);
    live.settleWrites();
    EXPECT_FALSE(dialog.viewPanel()->isVisible());
    EXPECT_TRUE(text(site).contains(QStringLiteral(".hero {")));
    EXPECT_EQ(element->getAttribute(QStringLiteral("class")), QStringLiteral("a hero"));

    live.panel.showAddSelector();
    ASSERT_TRUE(dialog.viewPanel()->isVisible());
    QTest::keyClicks(dialog.currentInput(), QStringLiteral(".never"));
    QTest::keyClick(dialog.currentInput(), Qt::Key_Escape);
    EXPECT_FALSE(dialog.viewPanel()->isVisible());
    live.settleWrites();
    EXPECT_FALSE(text(site).contains(QStringLiteral(".never")));
}

TEST_F(RuleDialog, APrefixedPropertyIsReadLiveUnderTheNameThePageAnswers)
{
    load();
    const std::shared_ptr<CSSCopyInfo> copy = copyOf(top(site, QStringLiteral("@keyframes turn")));
    ASSERT_NE(copy->cssRule(), nullptr);
    copy->cssRule()->cssRules().item(1)->style()->setProperty(QStringLiteral("transform"), QStringLiteral("rotate(45deg)"));
    dialog.setDuplicateMode(copy);
    const QList<QVariantMap> preset = dialog.presetKeyframes();
    ASSERT_EQ(preset.size(), 2);
    EXPECT_EQ(preset.at(0).value(QStringLiteral("selector")), QStringLiteral("from"));
    EXPECT_TRUE(preset.at(1).value(QStringLiteral("body")).toString().contains(QStringLiteral("rotate(45deg)")))
        << preset.at(1).value(QStringLiteral("body")).toString().toStdString();
}

} // namespace

} // namespace RuleDialogLiveTest

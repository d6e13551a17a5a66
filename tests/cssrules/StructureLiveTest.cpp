#include "LivePanel.h"
#include "TestUtil.h"

#include "cssrules/AddSelectorViewController.h"
#include "interfaces/ExWebViewInterface.h"
#include "platform/kit/Alert.h"
#include "toolkit/OutlineViewEx.h"
#include "stylesheet/CSSValueKeywords.h"
#include "stylesheet/StringVendarPrefix.h"

#include <gtest/gtest.h>

#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QRegularExpression>
#include <QTest>

namespace StructureLiveTest {

namespace {

const QByteArray kSheet = R"(@charset "utf-8";
@import url("other.css");
@namespace svg url(http://www.w3.org/2000/svg);
@supports (display: grid) {
    .grid { display: grid; }
}
@keyframes spin {
    from { opacity: 0; }
    to { opacity: 1; }
}
@media (min-width: 1px) {
    .a { color: red; }
}
.z { color: blue; }
)";

const QByteArray kPage = "<!DOCTYPE html><link rel=stylesheet href=site.css><p id=t class='a z'>x</p>";

// The heads of the page's top-level rules, as the engine has them.
QString liveRules(LivePanel &live)
{
    live.fixture->settle();
    return live.fixture
        ->evaluate(QStringLiteral("Array.from(document.styleSheets[0].cssRules).map(function (r) {"
                                  " return r.selectorText || r.cssText.split('{')[0].trim(); }).join(' | ')"))
        .toString();
}

// The model's items that are not removed, by selector.
QStringList modelItems(File *file)
{
    QStringList items;
    for (const StyleDeclarationPtr &declaration : file->styleDeclarations().value_or(QList<StyleDeclarationPtr>())) {
        if (!declaration->isRemoved() && declaration->type() != RuleType::Comment)
            items.append((declaration->isInBraket() ? QStringLiteral("  ") : QString()) + declaration->selector());
    }
    return items;
}

StyleDeclarationPtr item(File *file, const QString &selector)
{
    for (const StyleDeclarationPtr &declaration : file->styleDeclarations().value_or(QList<StyleDeclarationPtr>())) {
        if (!declaration->isRemoved() && declaration->selector() == selector)
            return declaration;
    }
    return nullptr;
}

// Alerts answered "OK" and kept.
class Alerts
{
public:
    Alerts()
    {
        Alert::setResponder([this](Alert &alert) {
            messages.append(alert.messageText());
            return int(Alert::DefaultReturn);
        });
    }
    ~Alerts() { Alert::setResponder({}); }
    QStringList messages;
};

class Structure : public ::testing::Test
{
protected:
    void load(const QByteArray &sheet)
    {
        ASSERT_TRUE(live.load({{QStringLiteral("site.css"), sheet},
                               {QStringLiteral("other.css"), ".o { top: 0; }\n"},
                               {QStringLiteral("index.html"), kPage}}));
        ASSERT_TRUE(live.select(live.element(QStringLiteral("t"))));
        file = live.file(QStringLiteral("site.css"));
        original = *file->currentContent();
        live.panel.styleDeclarationsOf(file);
    }
    QString text() const { return *file->currentContent(); }

    Alerts alerts;
    LivePanel live;
    File *file = nullptr;
    QString original;
};

} // namespace

TEST_F(Structure, ARuleAfterAMediaBlockLandsRightAfterItInPageModelAndText)
{
    load(kSheet);
    const QString rulesBefore = liveRules(live);
    const QStringList modelBefore = modelItems(file);
    const StyleDeclarationPtr media = item(file, QStringLiteral("@media (min-width: 1px)"));
    ASSERT_TRUE(media);
    live.undo.setActionName(QStringLiteral("Insert Selector"));
    ASSERT_TRUE(live.panel.createSelector(QStringLiteral(".new"), QStringLiteral("color: green;"), file, media));
    live.settleWrites();

    EXPECT_EQ(liveRules(live), QStringLiteral("@import url(\"other.css\"); | @namespace svg url(\"http://www.w3.org/2000/svg\"); | "
                                              "@supports (display: grid) | @keyframes spin | @media (min-width: 1px) | .new | .z"));
    QStringList expected = modelBefore;
    expected.insert(expected.indexOf(QStringLiteral(".z")), QStringLiteral(".new"));
    EXPECT_EQ(modelItems(file), expected);
    EXPECT_EQ(text(), QString(original).replace(QStringLiteral("}\n.z"), QStringLiteral("}\n\n.new {\n    color: green;\n}\n.z")))
        << text().toStdString();
    EXPECT_EQ(computedValue(*live.fixture, QStringLiteral("t"), QStringLiteral("color")), QStringLiteral("rgb(0, 0, 255)"));

    EXPECT_EQ(live.undo.undoActionName(), QStringLiteral("Insert Selector"));
    live.undo.undo();
    EXPECT_EQ(text(), original);
    EXPECT_EQ(liveRules(live), rulesBefore);
    EXPECT_EQ(modelItems(file), modelBefore);

    live.undo.redo();
    live.settleWrites();
    EXPECT_EQ(liveRules(live).count(QStringLiteral(".new")), 1);
    EXPECT_EQ(modelItems(file), expected);
    EXPECT_NE(text(), original);
    EXPECT_TRUE(text().contains(QStringLiteral(".new {\n    color: green;\n}")));
}

TEST_F(Structure, ANewRuleWithoutAnchorFollowsTheLeadingStatements)
{
    load(kSheet);
    ASSERT_TRUE(live.panel.createSelector(QStringLiteral(".first"), QStringLiteral("top: 1px;"), file, nullptr));
    live.settleWrites();
    EXPECT_TRUE(liveRules(live).startsWith(QStringLiteral("@import url(\"other.css\"); | @namespace svg url(\"http://www.w3.org/2000/svg\"); | .first")));
    EXPECT_EQ(modelItems(file).mid(0, 4), (QStringList{QStringLiteral("@charset \"utf-8\""), QStringLiteral("@import url(\"other.css\")"),
                                                        QString(), QStringLiteral(".first")}));
    live.undo.undo();
    EXPECT_EQ(text(), original);
}

TEST_F(Structure, ARefusedSelectorLeavesNothingAndNoUndoStep)
{
    load(kSheet);
    const QStringList modelBefore = modelItems(file);
    EXPECT_FALSE(live.panel.createSelector(QStringLiteral("p::nonsense("), QStringLiteral("top: 0;"), file, nullptr));
    live.settleWrites();
    ASSERT_EQ(alerts.messages.size(), 1);
    EXPECT_TRUE(alerts.messages.first().startsWith(QStringLiteral("Selector \"p::nonsense( {top: 0;}\n\" is Invalid CSS Syntax.")))
        << alerts.messages.first().toStdString();
    EXPECT_EQ(modelItems(file), modelBefore);
    EXPECT_EQ(text(), original);
    EXPECT_FALSE(live.undo.canUndo());
}

TEST_F(Structure, AnEmptyMediaBlockGoesInAsItIsAndComesBackWholeAfterRemovalAndUndo)
{
    load(kSheet);
    const StyleDeclarationPtr block = live.panel.createMediaSelector(QStringLiteral("@media print"), {}, file, nullptr);
    ASSERT_TRUE(block);
    live.settleWrites();
    EXPECT_TRUE(liveRules(live).contains(QStringLiteral("@media print")));
    EXPECT_EQ(live.fixture->evaluate(QStringLiteral("Array.from(document.styleSheets[0].cssRules).filter(function (r) { return r.cssText.indexOf('@media print') == 0; })[0].cssRules.length")).toInt(), 0);
    const QString withBlock = text();
    live.undo.loopEnd();

    live.panel.doRemoveSelector(block);
    live.settleWrites();
    EXPECT_FALSE(liveRules(live).contains(QStringLiteral("@media print")));
    EXPECT_FALSE(text().contains(QStringLiteral("@media print")));
    live.undo.undo();
    EXPECT_EQ(text(), withBlock);
    EXPECT_TRUE(liveRules(live).contains(QStringLiteral("@media print"))) << alerts.messages.join(u'|').toStdString();
    EXPECT_FALSE(block->isRemoved());
}

TEST_F(Structure, AMediaBlockIsRefusedWhenItsQueryExistsInAnyCase)
{
    load(kSheet);
    EXPECT_FALSE(live.panel.createMediaSelector(QStringLiteral("@MEDIA (min-width: 1px)"), {}, file, nullptr));
    ASSERT_EQ(alerts.messages.size(), 1);
    EXPECT_EQ(alerts.messages.first(), QStringLiteral("\"@MEDIA (min-width: 1px)\"\nis Already exists."));
    // "Add To Responsive" puts the rule into the block there is.
    live.panel.setResponsiveInsertPending(true);
    ASSERT_TRUE(live.panel.createMediaSelector(QStringLiteral("@media (min-width: 1px)"),
                                               {{{QStringLiteral("selector"), QStringLiteral(".b")}, {QStringLiteral("body"), QStringLiteral("top: 2px;")}}},
                                               file, nullptr));
    live.settleWrites();
    EXPECT_FALSE(live.panel.responsiveInsertPending());
    // Inside the block, after its rule: nothing is appended to the sheet.
    EXPECT_TRUE(text().endsWith(QStringLiteral("    .a { color: red; }\n    .b { top: 2px; }\n}\n.z { color: blue; }\n")));
    live.undo.undo();
    EXPECT_EQ(text(), original);
}

TEST_F(Structure, ARuleInsideAMediaBlockComesBackInItsPlace)
{
    load(QByteArrayLiteral("@media (min-width: 1px) {\n    .a { color: red; }\n    .b { top: 1px; }\n    .c { top: 2px; }\n}\n"));
    live.panel.doRemoveSelector(item(file, QStringLiteral(".b")));
    live.settleWrites();
    EXPECT_EQ(text(), QStringLiteral("@media (min-width: 1px) {\n    .a { color: red; }\n    .c { top: 2px; }\n}\n"));
    EXPECT_EQ(live.fixture->evaluate(QStringLiteral("document.styleSheets[0].cssRules[0].cssRules.length")).toInt(), 2);
    live.undo.undo();
    EXPECT_EQ(text(), original);
    EXPECT_EQ(live.fixture->evaluate(QStringLiteral("document.styleSheets[0].cssRules[0].cssRules[1].selectorText")).toString(),
              QStringLiteral(".b"));
}

TEST_F(Structure, AKeyframesBlockOfATakenNameGetsCopyAndItsTriggerRuleInOneStep)
{
    load(kSheet);
    const QStringList modelBefore = modelItems(file);
    CSSOutlineDelegate::SelectorRequest request;
    request.type = CSSOutlineDelegate::SelectorRequest::KeyframesRule;
    request.selectorName = QStringLiteral("@-webkit-keyframes spin");
    request.selectedFile = file;
    request.anchor = item(file, QStringLiteral(".z"));
    const StyleDeclarationPtr block = live.panel.doAddSelector(request);
    ASSERT_TRUE(block);
    live.settleWrites();
    EXPECT_EQ(block->selector(), QStringLiteral("@-webkit-keyframes spin_copy"));
    // Nothing of "spin" went; the trigger rule follows the new block.
    EXPECT_TRUE(item(file, QStringLiteral("@keyframes spin")));
    const QStringList now = modelItems(file);
    ASSERT_TRUE(now.contains(QStringLiteral(".spin_copy")));
    EXPECT_EQ(now.indexOf(QStringLiteral(".spin_copy")), now.indexOf(QStringLiteral("@-webkit-keyframes spin_copy")) + 3);
    EXPECT_TRUE(liveRules(live).endsWith(QStringLiteral(".z | @-webkit-keyframes spin_copy | .spin_copy"))) << liveRules(live).toStdString();
    EXPECT_EQ(live.undo.undoActionName(), QStringLiteral("Insert Keyframes"));

    live.undo.undo();
    EXPECT_EQ(text(), original);
    EXPECT_EQ(modelItems(file), modelBefore);
    EXPECT_TRUE(liveRules(live).endsWith(QStringLiteral("@media (min-width: 1px) | .z")));
    EXPECT_FALSE(live.undo.canUndo());
}

TEST_F(Structure, RemovingAKeyframesBlockTakesItsTwinAndUndoBringsBothBack)
{
    load(QByteArrayLiteral("@-webkit-keyframes pulse {\n    0% { opacity: 0; }\n    100% { opacity: 1; }\n}\n"
                           "@keyframes pulse {\n    0% { opacity: 0; }\n    100% { opacity: 1; }\n}\n.p { top: 0; }\n"));
    ASSERT_EQ(liveRules(live), QStringLiteral("@-webkit-keyframes pulse | @keyframes pulse | .p"));
    live.panel.doRemoveSelector(item(file, QStringLiteral("@keyframes pulse")));
    live.settleWrites();
    EXPECT_EQ(liveRules(live), QStringLiteral(".p"));
    EXPECT_EQ(text(), QStringLiteral(".p { top: 0; }\n"));
    live.undo.undo();
    EXPECT_EQ(text(), original);
    EXPECT_EQ(liveRules(live), QStringLiteral("@-webkit-keyframes pulse | @keyframes pulse | .p"));
    EXPECT_FALSE(item(file, QStringLiteral("@-webkit-keyframes pulse"))->isRemoved());
}

// --- Declarations ------------------------------------------------------------------------------------

TEST_F(Structure, ADeclarationRemovedAndAddedAgainIsRevivedInPlaceAndUndoRestoresTheBytes)
{
    load(QByteArrayLiteral(".z {\n    color: blue;\n    top: 1px;\n}\n"));
    const StyleDeclarationPtr rule = item(file, QStringLiteral(".z"));
    live.panel.doRemoveDeclaration(rule, QStringLiteral("color"));
    live.settleWrites();
    EXPECT_EQ(text(), QStringLiteral(".z {\n    top: 1px;\n}\n"));
    EXPECT_NE(computedValue(*live.fixture, QStringLiteral("t"), QStringLiteral("color")), QStringLiteral("rgb(0, 0, 255)"));
    live.panel.doAddDeclaration(rule, QStringLiteral("color"), QStringLiteral("green"));
    live.settleWrites();
    EXPECT_EQ(text(), QStringLiteral(".z {\n    color: green;\n    top: 1px;\n}\n"));
    EXPECT_EQ(computedValue(*live.fixture, QStringLiteral("t"), QStringLiteral("color")), QStringLiteral("rgb(0, 128, 0)"));
    live.undo.undo();
    live.undo.undo();
    EXPECT_EQ(text(), original);
    EXPECT_EQ(computedValue(*live.fixture, QStringLiteral("t"), QStringLiteral("color")), QStringLiteral("rgb(0, 0, 255)"));
}

TEST_F(Structure, UndoingASecondDeclarationOfANameKeepsTheFirst)
{
    load(QByteArrayLiteral(".z {\n    color: blue;\n}\n"));
    const StyleDeclarationPtr rule = item(file, QStringLiteral(".z"));
    live.panel.doAddDeclaration(rule, QStringLiteral("color"), QStringLiteral("red"));
    live.settleWrites();
    EXPECT_EQ(text(), QStringLiteral(".z {\n    color: blue;\n    color: red;\n}\n"));
    EXPECT_EQ(computedValue(*live.fixture, QStringLiteral("t"), QStringLiteral("color")), QStringLiteral("rgb(255, 0, 0)"));
    live.undo.undo();
    EXPECT_EQ(text(), original);
    EXPECT_FALSE(rule->properties().first()->isRemoved());
    EXPECT_TRUE(rule->properties().last()->isRemoved());
    EXPECT_EQ(computedValue(*live.fixture, QStringLiteral("t"), QStringLiteral("color")), QStringLiteral("rgb(0, 0, 255)"));
}

TEST_F(Structure, ADeclarationWithoutValueTakesItsFirstKeyword)
{
    load(QByteArrayLiteral(".z {\n    color: blue;\n}\n"));
    const StyleDeclarationPtr rule = item(file, QStringLiteral(".z"));
    live.panel.doAddDeclaration(rule, QStringLiteral("-moz-thing"), QString());
    live.panel.doAddDeclaration(rule, QStringLiteral("display"), QString());
    // A prefix the project does not write stays.
    EXPECT_EQ(rule->properties().at(1)->property(), QStringLiteral("-moz-thing"));
    EXPECT_EQ(rule->properties().at(2)->value(), CSSValueKeywords::getValueKeywords(QStringLiteral("display")).value(0));
}

// --- Keyframes ------------------------------------------------------------------------------------------

namespace {

const QByteArray kAnimation = "@-webkit-keyframes fade {\n    from { opacity: 0; }\n    50% { opacity: 0.5; }\n    to { opacity: 1; }\n}\n"
                              "@keyframes fade {\n    from { opacity: 0; }\n    50% { opacity: 0.5; }\n    to { opacity: 1; }\n}\n";

QStringList keys(File *file, const QString &selector)
{
    QStringList list;
    const StyleDeclarationPtr block = item(file, selector);
    for (const StyleDeclarationPtr &keyframe : file->getMediaChildren(*block))
        list.append(keyframe->selector());
    return list;
}

QString liveKeys(LivePanel &live, int rule)
{
    live.fixture->settle();
    return live.fixture
        ->evaluate(QStringLiteral("Array.from(document.styleSheets[0].cssRules[%1].cssRules).map(function (k) { return k.keyText; }).join(' ')")
                       .arg(rule))
        .toString();
}

} // namespace

TEST_F(Structure, ANewKeyframeGoesInOrderIntoEveryBlockOfItsName)
{
    load(kAnimation);
    const StyleDeclarationPtr block = item(file, QStringLiteral("@-webkit-keyframes fade"));
    live.panel.doAddKeyframeTo(block, CSSOutlineDelegate::createNewKeyframe(QStringLiteral("25%")), QStringLiteral("opacity: 0.2;"));
    live.settleWrites();
    EXPECT_EQ(keys(file, QStringLiteral("@-webkit-keyframes fade")),
              (QStringList{QStringLiteral("from"), QStringLiteral("25%"), QStringLiteral("50%"), QStringLiteral("to")}));
    EXPECT_EQ(keys(file, QStringLiteral("@keyframes fade")), keys(file, QStringLiteral("@-webkit-keyframes fade")));
    EXPECT_TRUE(liveKeys(live, 0).contains(QStringLiteral("25%")));
    EXPECT_TRUE(liveKeys(live, 1).contains(QStringLiteral("25%")));
    live.undo.undo();
    EXPECT_EQ(text(), original);
    EXPECT_FALSE(liveKeys(live, 1).contains(QStringLiteral("25%")));
}

// The keyframe keeps its place in the file, and so in the model, whose
// items follow the text: only its selector changes (#77). The step is named
// whoever asks for the rename, and Redo renames it again.
TEST_F(Structure, RenamingAKeyframeChangesItsSelectorWhereItStandsAndUndoPutsItBack)
{
    load(kAnimation);
    const StyleDeclarationPtr block = item(file, QStringLiteral("@keyframes fade"));
    const StyleDeclarationPtr from = file->getMediaChildren(*block).first();
    live.panel.changeKeyframeNameIn(block, from, CSSOutlineDelegate::createNewKeyframe(QStringLiteral("75%")));
    live.settleWrites();
    const QString renamed = QString(original).replace(QStringLiteral("from {"), QStringLiteral("75% {"));
    EXPECT_EQ(text(), renamed);
    EXPECT_EQ(keys(file, QStringLiteral("@keyframes fade")), (QStringList{QStringLiteral("75%"), QStringLiteral("50%"), QStringLiteral("to")}));
    EXPECT_EQ(keys(file, QStringLiteral("@-webkit-keyframes fade")), keys(file, QStringLiteral("@keyframes fade")));
    EXPECT_EQ(file->getMediaChildren(*block).first(), from);
    EXPECT_EQ(liveKeys(live, 1), QStringLiteral("50% 100% 75%"));
    EXPECT_EQ(live.undo.undoActionName(), QStringLiteral("Rename Selector"));
    live.undo.undo();
    EXPECT_EQ(text(), original);
    EXPECT_EQ(keys(file, QStringLiteral("@keyframes fade")), (QStringList{QStringLiteral("from"), QStringLiteral("50%"), QStringLiteral("to")}));
    EXPECT_TRUE(liveKeys(live, 1).contains(QStringLiteral("0%")));
    EXPECT_EQ(live.undo.redoActionName(), QStringLiteral("Rename Selector"));
    live.undo.redo();
    live.settleWrites();
    EXPECT_EQ(text(), renamed);
    EXPECT_EQ(keys(file, QStringLiteral("@keyframes fade")), (QStringList{QStringLiteral("75%"), QStringLiteral("50%"), QStringLiteral("to")}));
    EXPECT_TRUE(liveKeys(live, 1).contains(QStringLiteral("75%")));
}

TEST_F(Structure, RemovingAKeyframeRemovesItFromEverySameNamedBlock)
{
    load(kAnimation);
    live.panel.doRemoveKeyframe(item(file, QStringLiteral("@keyframes fade")), QStringLiteral("50%"));
    live.settleWrites();
    EXPECT_EQ(keys(file, QStringLiteral("@keyframes fade")), (QStringList{QStringLiteral("from"), QStringLiteral("to")}));
    EXPECT_EQ(keys(file, QStringLiteral("@-webkit-keyframes fade")), (QStringList{QStringLiteral("from"), QStringLiteral("to")}));
    EXPECT_EQ(liveKeys(live, 0), QStringLiteral("0% 100%"));
    EXPECT_EQ(liveKeys(live, 1), QStringLiteral("0% 100%"));
    EXPECT_FALSE(text().contains(QStringLiteral("50%")));
    live.undo.undo();
    EXPECT_EQ(text(), original);
    EXPECT_EQ(liveKeys(live, 1), QStringLiteral("0% 100% 50%"));
}

TEST(KeyframeKeys, FromAndToCountAsTheEnds)
{
    EXPECT_EQ(CSSOutlineDelegate::keyframePercent(QStringLiteral("from")), 0);
    EXPECT_EQ(CSSOutlineDelegate::keyframePercent(QStringLiteral("TO")), 100);
    EXPECT_EQ(CSSOutlineDelegate::keyframePercent(QStringLiteral("12.5%")), 12.5);
    EXPECT_EQ(CSSOutlineDelegate::keyframePercent(QStringLiteral("101%")), -1);
    EXPECT_EQ(CSSOutlineDelegate::normalizedKeyText(QStringLiteral("from")), QStringLiteral("0%"));
}

TEST_F(Structure, AKeyframeValueCommittedReachesEveryBlockOfItsName)
{
    load(kAnimation);
    QSignalSpy built(&live.panel, &CSSOutlineDelegate::rebuilt);
    live.panel.updateRulesByKeyframes(item(file, QStringLiteral("@keyframes fade")), nullptr);
    ASSERT_TRUE(!built.isEmpty() || built.wait(5000));
    ASSERT_EQ(live.panel.rules().size(), 2) << live.dump().toStdString();
    CSSRulePtr opacity;
    for (const CSSRulePtr &keyframe : live.panel.rules().last()->children()) {
        if (keyframe->selectorName() == QLatin1String("50%"))
            opacity = LivePanel::declaration(keyframe, QStringLiteral("opacity"));
    }
    ASSERT_TRUE(opacity) << live.dump().toStdString();
    live.panel.commitKeyframeStyleChange(opacity, QStringLiteral("0.7"));
    live.settleWrites();
    EXPECT_EQ(text().count(QStringLiteral("50% { opacity: 0.7; }")), 2) << text().toStdString();
    live.fixture->settle();
    for (int rule : {0, 1})
        EXPECT_EQ(live.fixture->evaluate(QStringLiteral("document.styleSheets[0].cssRules[%1].cssRules[1].style.opacity").arg(rule)).toString(),
                  QStringLiteral("0.7"));
    EXPECT_EQ(live.undo.undoActionName(), QStringLiteral("CSS Value Change - opacity"));
    live.undo.undo();
    EXPECT_EQ(text(), original);
}

TEST_F(Structure, AnIdAndAClassGoOnTheElementInThePageAndUndoTakesThemOff)
{
    load(kSheet);
    DOMElement *element = live.element(QStringLiteral("t"));
    live.panel.doAddClass(element, QStringLiteral(".lead"));
    live.undo.loopEnd();
    live.panel.doRemoveId(element);
    live.undo.loopEnd();
    live.fixture->settle();
    EXPECT_EQ(live.fixture->evaluate(QStringLiteral("document.querySelector('p').className")).toString(), QStringLiteral("a z lead"));
    EXPECT_EQ(live.fixture->evaluate(QStringLiteral("document.querySelector('p').id")).toString(), QString());
    // A class it has already changes nothing and leaves no step.
    live.panel.doAddClass(element, QStringLiteral("a"));
    live.undo.undo();
    live.fixture->settle();
    EXPECT_EQ(live.fixture->evaluate(QStringLiteral("document.querySelector('p').id")).toString(), QStringLiteral("t"));
    live.undo.undo();
    live.fixture->settle();
    EXPECT_EQ(live.fixture->evaluate(QStringLiteral("document.querySelector('p').className")).toString(), QStringLiteral("a z"));
    live.undo.redo();
    live.fixture->settle();
    EXPECT_EQ(element->getAttribute(QStringLiteral("class")), QStringLiteral("a z lead"));
}

TEST_F(Structure, AddToResponsiveCopiesARuleIntoAnotherMediaBlockAsOneStep)
{
    load(QByteArrayLiteral("@media (min-width: 1px) {\n    .z { color: red; }\n}\n@media print {\n    .p { top: 0; }\n}\n"
                           ".z { color: blue; }\n"));
    CSSRulePtr rule;
    for (const CSSRulePtr &row : live.panel.rules()) {
        if (row->type() == RuleType::Style && row->selectorName() == QStringLiteral(".z"))
            rule = row;
    }
    ASSERT_TRUE(rule);
    EXPECT_FALSE(CSSOutlineDelegate::isSheetStyleRule(LivePanel::declaration(rule, QStringLiteral("color"))));

    QMenu menu;
    live.panel.fillMediaMenu(&menu, rule);
    ASSERT_EQ(menu.actions().size(), 2);
    // As the panel lists them: the sheet's last block first.
    EXPECT_EQ(menu.actions().at(0)->text(), QStringLiteral("@media print site.css"));
    ASSERT_TRUE(menu.actions().at(0)->isEnabled());
    // The block holding ".z" already is checked and offers nothing.
    EXPECT_EQ(menu.actions().at(1)->text(), QStringLiteral("@media (min-width: 1px) site.css"));
    EXPECT_TRUE(menu.actions().at(1)->isChecked());
    EXPECT_FALSE(menu.actions().at(1)->isEnabled());

    menu.actions().at(0)->trigger();
    live.settleWrites();
    EXPECT_TRUE(alerts.messages.isEmpty()) << alerts.messages.join(u'|').toStdString();
    EXPECT_FALSE(live.panel.responsiveInsertPending());
    EXPECT_EQ(text(), QString(original).replace(QStringLiteral("    .p { top: 0; }\n"),
                                                QStringLiteral("    .p { top: 0; }\n    .z { color: blue; }\n")))
        << text().toStdString();
    EXPECT_EQ(live.undo.undoActionName(), QStringLiteral("Add To Responsive"));
    live.undo.undo();
    EXPECT_EQ(text(), original);
}

TEST_F(Structure, AddToResponsiveSaysSoWhenThePageHasNoMediaBlock)
{
    load(QByteArrayLiteral(".z { color: blue; }\n"));
    QMenu menu;
    live.panel.fillMediaMenu(&menu, live.ruleRow(QStringLiteral(".z")));
    ASSERT_EQ(menu.actions().size(), 1);
    EXPECT_EQ(menu.actions().first()->text(), QStringLiteral("No Media Rules"));
    EXPECT_FALSE(menu.actions().first()->isEnabled());
}

TEST_F(Structure, DuplicatingARuleWantsASelectorOfItsOwnAndCopiesTheBodyAsOneStep)
{
    load(QByteArrayLiteral(".z { color: blue; }\n"));
    ASSERT_TRUE(live.selectRow(live.ruleRow(QStringLiteral(".z"))));
    live.panel.showDuplicateSelector();
    AddSelectorViewController *popover = live.panel.addSelectorViewController();
    ASSERT_TRUE(popover);
    ASSERT_TRUE(popover->copyMode());
    QLineEdit *field = popover->textField();
    EXPECT_EQ(field->text(), QStringLiteral(".z"));
    EXPECT_FALSE(popover->okButton()->isEnabled());
    // The copied selector in another case is still the copied rule.
    field->clear();
    QTest::keyClicks(field, QStringLiteral(".Z"));
    EXPECT_FALSE(popover->okButton()->isEnabled());
    field->clear();
    QTest::keyClicks(field, QStringLiteral(".y"));
    ASSERT_TRUE(popover->okButton()->isEnabled());

    popover->okButton()->click();
    live.settleWrites();
    EXPECT_TRUE(alerts.messages.isEmpty()) << alerts.messages.join(u'|').toStdString();
    EXPECT_TRUE(text().contains(QStringLiteral(".y {\n    color: blue;\n}"))) << text().toStdString();
    EXPECT_TRUE(text().startsWith(original));
    EXPECT_EQ(live.undo.undoActionName(), QStringLiteral("Duplicate Selector"));
    live.undo.undo();
    EXPECT_EQ(text(), original);

    // The plain add-selector popover afterwards copies nothing.
    live.panel.showAddSelector();
    EXPECT_FALSE(popover->copyMode());
    EXPECT_TRUE(popover->textField()->text().isEmpty());
}

TEST_F(Structure, TheAddPropertyCommandFillsTheSelectedRuleAsOneUndoStep)
{
    load(QByteArrayLiteral(".z { color: blue; }\n"));
    ASSERT_TRUE(live.selectRow(live.ruleRow(QStringLiteral(".z"))));
    live.panel.addStyleProperty({QVariant::fromValue(std::make_shared<CSSProperty>(QStringLiteral("top"), QStringLiteral("3px")))});
    live.settleWrites();
    EXPECT_TRUE(text().contains(QStringLiteral("top"))) << text().toStdString();
    EXPECT_EQ(computedValue(*live.fixture, QStringLiteral("t"), QStringLiteral("top")), QStringLiteral("3px"));
    EXPECT_EQ(live.undo.undoActionName(), QStringLiteral("Insert Property"));
    live.undo.undo();
    EXPECT_EQ(text(), original);
}

TEST_F(Structure, TheAddPropertyCommandOnTheToKeyframeAddsToItNotToTheFirst)
{
    load(kAnimation);
    QSignalSpy built(&live.panel, &CSSOutlineDelegate::rebuilt);
    live.panel.updateRulesByKeyframes(item(file, QStringLiteral("@keyframes fade")), nullptr);
    ASSERT_TRUE(!built.isEmpty() || built.wait(5000));
    CSSRulePtr to;
    for (const CSSRulePtr &keyframe : live.panel.rules().last()->children()) {
        if (keyframe->selectorName() == QLatin1String("to") || keyframe->selectorName() == QLatin1String("100%"))
            to = keyframe;
    }
    ASSERT_TRUE(to) << live.dump().toStdString();
    live.panel.outline()->expandItem(live.panel.rules().last().get());
    ASSERT_TRUE(live.selectRow(to)) << live.dump().toStdString();
    live.panel.addStyleProperty({QVariant::fromValue(std::make_shared<CSSProperty>(QStringLiteral("top"), QStringLiteral("4px")))});
    live.settleWrites();
    EXPECT_EQ(live.undo.undoActionName(), QStringLiteral("Insert Keyframe With Property"));
    EXPECT_TRUE(text().contains(QRegularExpression(QStringLiteral("@keyframes fade \\{.*to \\{[^}]*top:\\s*4px"),
                                                   QRegularExpression::DotMatchesEverythingOption)))
        << text().toStdString();
    EXPECT_FALSE(text().contains(QRegularExpression(QStringLiteral("from \\{[^}]*top"))));
    live.undo.undo();
    EXPECT_EQ(text(), original);
}

TEST_F(Structure, TheAddPropertyCommandSelectsTheNewDeclarationAndScrollsItIntoView)
{
    QByteArray sheet = ".z {\n";
    for (int i = 0; i < 40; ++i)
        sheet += "    --v" + QByteArray::number(i) + ": " + QByteArray::number(i) + ";\n";
    load(sheet + "}\n");
    live.panel.view()->resize(300, 200);
    live.panel.view()->show();
    ASSERT_TRUE(live.selectRow(live.ruleRow(QStringLiteral(".z"))));
    live.panel.addStyleProperty({QVariant::fromValue(std::make_shared<CSSProperty>(QStringLiteral("top"), QStringLiteral("3px")))});
    live.settleWrites();
    ASSERT_TRUE(TestUtil::waitUntil([&] {
        const CSSRulePtr selected = live.panel.getSelectedCSSRule();
        return selected && selected->propName() == QLatin1String("top");
    })) << live.dump().toStdString();
    OutlineViewEx *outline = live.panel.outline();
    const QRect shown = outline->frameOfCellAtColumn(0, outline->selectedRow());
    EXPECT_TRUE(outline->viewport()->rect().contains(shown.center())) << shown.y();
}

// The page answers for an element it was not asked about ahead after the
// selection is told: its first rule is selected once its list stands, not
// on the list it replaces.
TEST_F(Structure, TheFirstRuleIsSelectedOnceTheElementsListIsBuilt)
{
    load(kSheet);
    OutlineViewEx *outline = live.panel.outline();
    QSignalSpy built(&live.panel, &CSSOutlineDelegate::rebuilt);
    live.panel.updateRulesByElement(live.document()->documentElement());
    live.panel.selectFirstRuleOnceListed();
    ASSERT_TRUE(!built.isEmpty() || built.wait(10000));
    EXPECT_EQ(outline->selectedRowIndexes(), QList<int>{1});

    // Nothing on its way: selected at once.
    outline->selectRowIndexes({}, false);
    live.panel.selectFirstRuleOnceListed();
    EXPECT_EQ(outline->selectedRowIndexes(), QList<int>{1});
}

TEST_F(Structure, ANewKeyframeGoesIntoEachBlockWithOnlyTheCopiesTheBlocksWriteAndThePageReadsIt)
{
    load(kAnimation);
    QSignalSpy built(&live.panel, &CSSOutlineDelegate::rebuilt);
    live.panel.updateRulesByKeyframes(item(file, QStringLiteral("@keyframes fade")), nullptr);
    ASSERT_TRUE(!built.isEmpty() || built.wait(5000));
    const CSSRulePtr block = live.panel.rules().last();
    ASSERT_TRUE(block);
    ASSERT_TRUE(StringVendarPrefix::isVenderPrefixOfProject(QStringLiteral("transform")));
    live.panel.setPecentLabel(25);
    live.panel.doAddStyle(block, {QVariant::fromValue(std::make_shared<CSSProperty>(QStringLiteral("transition-property"),
                                                                                   QStringLiteral("transform"))),
                                  QVariant::fromValue(std::make_shared<CSSProperty>(QStringLiteral("background-image"),
                                                                                   QStringLiteral("linear-gradient(to right, red, blue)")))});
    live.settleWrites();
    // Once in each block of the name, on one line, as the keyframes beside
    // it are; the blocks write no vendor copies, so the keyframe gets none (#77).
    EXPECT_EQ(text().count(QStringLiteral("    25% { transition-property: transform; "
                                          "background-image: linear-gradient(to right, red, blue); }\n")),
              2)
        << text().toStdString();
    // The page has the gradient in the syntax it reads.
    EXPECT_EQ(live.fixture->evaluate(QStringLiteral("document.styleSheets[0].cssRules[1].findRule('25%').style.backgroundImage")).toString(),
              QStringLiteral("linear-gradient(to right, red, blue)"));
    EXPECT_EQ(live.fixture->evaluate(QStringLiteral("document.styleSheets[0].cssRules[1].findRule('25%').style.transitionProperty")).toString(),
              QStringLiteral("transform"));
    live.undo.undo();
    EXPECT_EQ(text(), original);
}

namespace {

// The preview's web view as a recorder of the frames it was asked to draw.
class FramesRecorder : public ExWebViewInterface
{
public:
    QWidget widget;
    int state = DetectOff;
    bool overlayShown = false;
    QStringList framed; // The ids of the framed elements, or "hidden".
    QString scrolledTo;

    QWidget *view() override { return &widget; }
    int detectState() const override { return state; }
    void setDetectState(int value) override { state = value; }
    bool isDetectViewShown() const override { return overlayShown; }
    void showDetectLayer() override { overlayShown = true; }
    void hideDetectLayer() override { overlayShown = false; }
    void displayElementMenu() override {}
    void showRelatedElementsBounds(const QList<DOMNodePtr> &elements) override
    {
        framed.clear();
        for (const DOMNodePtr &element : elements)
            framed.append(static_cast<DOMElement *>(element.get())->getAttribute(QStringLiteral("id")));
    }
    void hideRelatedElementsBounds() override { framed = {QStringLiteral("hidden")}; }
    void scrollIntoView(DOMNode *element) override
    {
        scrolledTo = static_cast<DOMElement *>(element)->getAttribute(QStringLiteral("id"));
    }
    bool hasElementAtPoint(const QPointF &) const override { return false; }
    QImage captureImage() override { return {}; }
    QString mainFrameURL() const override { return {}; }
};

} // namespace

TEST_F(Structure, TheElementsOfARuleOrAnAnimationAreFramedOnceAndTheFirstIsShown)
{
    load(QByteArrayLiteral(".z { color: blue; }\n.a { animation-name: spin; }\np { animation-name: spin; }\n"));
    FramesRecorder webview;
    live.panel.setWebview([&webview] { return &webview; });
    live.fixture->evaluate(QStringLiteral("document.body.insertAdjacentHTML('beforeend', '<p id=u class=z>y</p>')"));
    live.fixture->settle();

    ASSERT_TRUE(live.selectRow(live.ruleRow(QStringLiteral(".z"))));
    live.panel.highlightRelation();
    EXPECT_EQ(webview.framed, (QStringList{QStringLiteral("t"), QStringLiteral("u")}));
    EXPECT_EQ(webview.scrolledTo, QStringLiteral("t"));
    EXPECT_EQ(webview.state, ExWebViewInterface::ElementLocked);
    EXPECT_TRUE(webview.overlayShown);

    // Both rules of the animation match #t: it is framed once.
    live.panel.highlightRelationWithAnimationName(QStringLiteral("spin"));
    EXPECT_EQ(webview.framed, (QStringList{QStringLiteral("t"), QStringLiteral("u")}));
    live.panel.highlightRelationWithAnimationName(QString());
    EXPECT_EQ(webview.framed, QStringList{QStringLiteral("hidden")});
    // A selector the page does not take frames nothing.
    live.panel.highlightSelectorsNodes({QStringLiteral("p:bogus(")});
    EXPECT_TRUE(webview.framed.isEmpty());
}

} // namespace StructureLiveTest

namespace StructureLiveTest {

namespace {

// A sheet of one rule in a layout ("U" standing for one level of
// indentation in the formatted ones), and the text the rule dialogs add.
struct DialogLayout
{
    const char *name;
    const char *unit; // null for the minified sheet
};

void PrintTo(const DialogLayout &layout, std::ostream *out)
{
    *out << layout.name;
}

class DialogsInLayout : public Structure, public ::testing::WithParamInterface<DialogLayout>
{
protected:
    QString laidOut(QString formatted, const QString &minified) const
    {
        return GetParam().unit ? formatted.replace(u'U', QString::fromLatin1(GetParam().unit)) : minified;
    }
    StyleDeclarationPtr add(CSSOutlineDelegate::SelectorRequest request, const QString &after)
    {
        request.selectedFile = file;
        request.anchor = item(file, after);
        const StyleDeclarationPtr made = live.panel.doAddSelector(request);
        live.settleWrites();
        return made;
    }
};

} // namespace

// A rule from a snippet, a duplicate, a media block and a keyframes block
// made by the rule dialogs are written as the sheet writes its rules (#77).
TEST_P(DialogsInLayout, TheRuleDialogsWriteInTheSheetsLayout)
{
    load(laidOut(QStringLiteral(".a {\nUcolor: red;\n}\n"), QStringLiteral(".a{color:red}\n")).toUtf8());
    using Request = CSSOutlineDelegate::SelectorRequest;
    ASSERT_TRUE(add({Request::StyleRule, QStringLiteral(".s"), nullptr, nullptr, QStringLiteral("margin:0;\npadding:0;\n"), {}, {}},
                    QStringLiteral(".a")));
    ASSERT_TRUE(add({Request::StyleRule, QStringLiteral(".d"), nullptr, nullptr, {}, {}, live.ruleRow(QStringLiteral(".a"))->copyInfo()},
                    QStringLiteral(".s")));
    EXPECT_EQ(live.undo.undoActionName(), QStringLiteral("Duplicate Selector"));
    ASSERT_TRUE(add({Request::MediaRule, QStringLiteral("@media print"), nullptr, nullptr, {}, {}, {}}, QStringLiteral(".d")));
    ASSERT_TRUE(add({Request::KeyframesRule, QStringLiteral("@-webkit-keyframes k"), nullptr, nullptr, {}, {}, {}},
                    QStringLiteral("@media print")));
    // The rule that plays the animation follows, with what the snippet library gives it.
    const QString expected = laidOut(
        QStringLiteral(".a {\nUcolor: red;\n}\n\n.s {\nUmargin: 0;\nUpadding: 0;\n}\n\n.d {\nUcolor: red;\n}\n\n"
                       "@media print {\nUbody {\nUUbackground-color: #FFFFFF;\nU}\n}\n\n"
                       "@-webkit-keyframes k {\nU0% {\nU}\nU100% {\nU}\n}\n\n@keyframes k {\nU0% {\nU}\nU100% {\nU}\n}\n\n.k {"),
        QStringLiteral(".a{color:red}.s{margin:0;padding:0}.d{color:red}@media print{body{background-color:#FFFFFF}}"
                       "@-webkit-keyframes k{0%{}100%{}}@keyframes k{0%{}100%{}}.k{"));
    EXPECT_EQ(text().left(expected.size()).toStdString(), expected.toStdString());
    EXPECT_TRUE(alerts.messages.isEmpty()) << alerts.messages.join(u'|').toStdString();
    for (int step = 0; step < 4; ++step)
        live.undo.undo();
    EXPECT_EQ(text(), original);
}

INSTANTIATE_TEST_SUITE_P(Layouts, DialogsInLayout,
                         ::testing::Values(DialogLayout{"Minified", nullptr}, DialogLayout{"TwoSpaces", "  "},
                                           DialogLayout{"FourSpaces", "    "}, DialogLayout{"Tabs", "\t"}),
                         [](const ::testing::TestParamInfo<DialogLayout> &info) { return std::string(info.param.name); });

} // namespace StructureLiveTest

#include "LivePanel.h"

#include "cssrules/StyleSheetPairing.h"

#include <gtest/gtest.h>

namespace PairingLiveTest {

namespace {

// Rules of one selector more than once, and media blocks holding rules of
// the same selectors: the pairing goes by order among equal keys.
const QByteArray kSheet = ".a { color: red; }\n"
                          "@media (min-width: 1px) {\n"
                          "    .a { margin: 1px; }\n"
                          "    .b { margin: 2px; }\n"
                          "}\n"
                          ".b { top: 1px; }\n"
                          ".a { top: 2px; }\n"
                          "@media (min-width: 2px) {\n"
                          "    .a { padding: 1px; }\n"
                          "}\n"
                          ".c { left: 0; }\n";

const QByteArray kPage = "<!DOCTYPE html><link rel=stylesheet href=site.css><p id=t class='a b c'>x</p>";

// The rows of a panel: each root row and its children, with their values and files.
QString rowsOf(const CSSOutlineDelegate &panel)
{
    QString out;
    const std::function<void(const CSSRulePtr &, int)> row = [&](const CSSRulePtr &each, int depth) {
        if (each->computedStyleDec())
            return;
        out += QString(depth * 2, u' ') + each->displayName() + u' ' + each->valueName() + u' ' + each->fileName()
               + (each->isFirstAssigned() ? QString() : QStringLiteral(" ~"));
        if (each->styleDeclaration())
            out += QStringLiteral(" @%1").arg(each->styleDeclaration()->range().location);
        out += u'\n';
        for (const CSSRulePtr &child : each->children())
            row(child, depth + 1);
    };
    for (const CSSRulePtr &each : panel.rules())
        row(each, 0);
    return out;
}

// Every live rule of the sheet, at any depth, with the item it is paired
// with (its place among the items), then the pairing's counts.
QString pairsOf(const StyleSheetPairing &pairing, const DOMCSSStyleSheetPtr &sheet, const QList<StyleDeclarationPtr> &items)
{
    QString out;
    const std::function<void(const DOMCSSRuleList &, int)> walk = [&](const DOMCSSRuleList &rules, int depth) {
        for (int i = 0; i < rules.length(); ++i) {
            const DOMCSSRulePtr rule = rules.item(i);
            const StyleDeclarationPtr paired = pairing.declarationOf(rule.get());
            out += QString(depth * 2, u' ') + StyleSheetPairing::keyOfRule(*rule) + QStringLiteral(" -> ")
                   + (paired ? QStringLiteral("#%1 %2").arg(items.indexOf(paired)).arg(paired->selector()) : QStringLiteral("none"))
                   + (paired && pairing.ruleOf(paired.get()) != rule ? QStringLiteral(" (not back)") : QString()) + u'\n';
            walk(rule->cssRules(), depth + 1);
        }
    };
    walk(sheet->cssRules(), 0);
    return out + QStringLiteral("%1 pairs, %2 unpaired, %3 dropped\n")
                     .arg(pairing.pairedCount())
                     .arg(pairing.unpairedCount())
                     .arg(pairing.droppedCount());
}

// The top-level item of that selector (the nth of them), not removed.
StyleDeclarationPtr topLevelItem(LivePanel &live, File *file, const QString &selector, int nth = 0)
{
    for (const StyleDeclarationPtr &declaration : live.panel.styleDeclarationsOf(file)) {
        if (!declaration->isRemoved() && !declaration->isInBraket() && declaration->selector() == selector && nth-- == 0)
            return declaration;
    }
    return nullptr;
}

// A pairing made once and brought up to date after each of a series of edits
// and their undos pairs as a pairing made anew does.
void expectAKeptPairingPairsAsANewOne(const QByteArray &css)
{
    LivePanel live;
    ASSERT_TRUE(live.load({{QStringLiteral("site.css"), css}, {QStringLiteral("index.html"), kPage}}));
    File *file = live.file(QStringLiteral("site.css"));
    ASSERT_TRUE(live.select(live.element(QStringLiteral("t"))));
    const DOMCSSStyleSheetPtr sheet = live.panel.styleSheetWithFile(file);
    ASSERT_TRUE(sheet);
    StyleSheetPairing kept(sheet, file, live.panel.styleDeclarationsOf(file));
    const auto expectAsNew = [&](const char *step) {
        // The write an edit asks for runs now, and its undo step ends.
        live.batcher.execute();
        live.undo.loopEnd();
        const QList<StyleDeclarationPtr> items = live.panel.styleDeclarationsOf(file);
        kept.update(items);
        const StyleSheetPairing fresh(sheet, file, items);
        EXPECT_EQ(pairsOf(kept, sheet, items).toStdString(), pairsOf(fresh, sheet, items).toStdString()) << step;
    };
    const auto item = [&](const QString &selector, int nth = 0) { return topLevelItem(live, file, selector, nth); };
    live.panel.createSelector(QStringLiteral(".b"), QStringLiteral("bottom: 4px;"), file, item(QStringLiteral(".b")));
    expectAsNew("a rule of a selector the sheet has, after the first of them");
    live.panel.createSelectorBodyInMediaAfterAt(QStringLiteral(".c"), QStringLiteral("bottom: 5px;"),
                                                item(QStringLiteral("@media (min-width: 1px)")), nullptr);
    expectAsNew("a rule at the start of a media block");
    live.panel.createMediaSelector(QStringLiteral("@media (min-width: 3px)"),
                                   {{{QStringLiteral("selector"), QStringLiteral(".a")}, {QStringLiteral("body"), QStringLiteral("top: 6px;")}}},
                                   file, item(QStringLiteral(".c")));
    expectAsNew("a media block at the end");
    live.panel.doRemoveSelector(item(QStringLiteral(".a")));
    expectAsNew("the first rule removed");
    live.panel.doRemoveSelector(item(QStringLiteral("@media (min-width: 2px)")));
    expectAsNew("a media block removed");
    ASSERT_TRUE(live.panel.doRenameSelector(item(QStringLiteral(".c")), QStringLiteral(".b")));
    expectAsNew("a rule renamed");
    ASSERT_TRUE(live.select(live.element(QStringLiteral("t"))));
    const CSSRulePtr top = LivePanel::declaration(live.ruleRow(QStringLiteral(".a")), QStringLiteral("top"));
    ASSERT_TRUE(top) << live.dump().toStdString();
    const QString before = *file->currentContent();
    live.panel.commitCSSValueChange(top, QStringLiteral("7px"), true);
    expectAsNew("a value committed");
    // The commit changes its value's text, and nothing else.
    EXPECT_EQ(*file->currentContent(), QString(before).replace(QStringLiteral("top: 2px;"), QStringLiteral("top: 7px;")));
    for (int step = 0; step < 8 && live.undo.canUndo(); ++step) {
        live.undo.undo();
        expectAsNew("an undo");
    }
    EXPECT_EQ(*file->currentContent(), QString::fromUtf8(css));
}

class Pairing : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(live.load({{QStringLiteral("site.css"), kSheet}, {QStringLiteral("index.html"), kPage}}));
        file = live.file(QStringLiteral("site.css"));
        ASSERT_TRUE(live.select(live.element(QStringLiteral("t"))));
    }
    StyleDeclarationPtr item(const QString &selector, int nth = 0)
    {
        for (const StyleDeclarationPtr &declaration : live.panel.styleDeclarationsOf(file)) {
            if (!declaration->isRemoved() && !declaration->isInBraket() && declaration->selector() == selector && nth-- == 0)
                return declaration;
        }
        return nullptr;
    }
    // The rows the panel shows now, against those of a new panel that
    // pairs the page's rules and the file's items from scratch.
    void expectRowsOfAFreshSelection()
    {
        live.settleWrites();
        ASSERT_TRUE(live.select(live.element(QStringLiteral("t"))));
        CSSOutlineDelegate fresh;
        fresh.awakeFromNib();
        fresh.setStyleFiles({file});
        QSignalSpy built(&fresh, &CSSOutlineDelegate::rebuilt);
        fresh.updateRulesByElement(live.element(QStringLiteral("t")));
        ASSERT_TRUE(!built.isEmpty() || built.wait(10000));
        EXPECT_EQ(rowsOf(live.panel).toStdString(), rowsOf(fresh).toStdString());
        EXPECT_FALSE(rowsOf(live.panel).isEmpty());
    }

    LivePanel live;
    File *file = nullptr;
};

} // namespace

TEST_F(Pairing, RowsAfterRulesAreAddedAndRemovedAreThoseOfAFreshSelection)
{
    // A rule of a selector the sheet has twice already, between them.
    live.panel.createSelector(QStringLiteral(".a"), QStringLiteral("bottom: 3px;"), file, item(QStringLiteral(".b")));
    expectRowsOfAFreshSelection();
    // The first of the three goes.
    live.panel.doRemoveSelector(item(QStringLiteral(".a")));
    expectRowsOfAFreshSelection();
    // A new rule at the end, then one undo after another.
    live.panel.createSelector(QStringLiteral(".c"), QStringLiteral("right: 1px;"), file, item(QStringLiteral(".c")));
    expectRowsOfAFreshSelection();
    live.undo.undo();
    expectRowsOfAFreshSelection();
    live.undo.undo();
    expectRowsOfAFreshSelection();
    live.undo.undo();
    expectRowsOfAFreshSelection();
    EXPECT_EQ(*file->currentContent(), QString::fromUtf8(kSheet));
}

TEST(KeptPairing, PairsAfterEditsAsANewPairingDoes)
{
    // The page and the text agree: edits pair in place.
    expectAKeptPairingPairsAsANewOne(kSheet);
}

TEST(KeptPairing, PairsAfterEditsAsANewPairingDoesWhereThePageDroppedARule)
{
    // A rule the engine does not read: the sheet's rules are paired again
    // by their keys after each edit.
    expectAKeptPairingPairsAsANewOne(kSheet + ".b::-moz-selection { color: red; }\n.d { left: 2px; }\n");
}

TEST(KeptPairing, TheListFollowsTheElementsAttributesAndARenamedRule)
{
    LivePanel live;
    ASSERT_TRUE(live.load({{QStringLiteral("site.css"), "[data-on] { left: 1px; }\n.z { top: 1px; }\n"},
                           {QStringLiteral("index.html"), "<!DOCTYPE html><link rel=stylesheet href=site.css><p id=t>x</p>"}}));
    File *file = live.file(QStringLiteral("site.css"));
    DOMElement *element = live.element(QStringLiteral("t"));
    ASSERT_TRUE(live.select(element));
    EXPECT_FALSE(live.ruleRow(QStringLiteral("[data-on]")));
    // An attribute no id or class: what the selectors match changes all the same.
    ASSERT_TRUE(element->setAttribute(QStringLiteral("data-on"), QStringLiteral("1")));
    ASSERT_TRUE(live.select(element));
    EXPECT_TRUE(live.ruleRow(QStringLiteral("[data-on]"))) << live.dump().toStdString();
    ASSERT_TRUE(live.panel.doRenameSelector(topLevelItem(live, file, QStringLiteral(".z")), QStringLiteral("#t")));
    live.settleWrites();
    ASSERT_TRUE(live.select(element));
    EXPECT_TRUE(live.ruleRow(QStringLiteral("#t"))) << live.dump().toStdString();
    EXPECT_EQ(*file->currentContent(), QStringLiteral("[data-on] { left: 1px; }\n#t { top: 1px; }\n"));
}

} // namespace PairingLiveTest

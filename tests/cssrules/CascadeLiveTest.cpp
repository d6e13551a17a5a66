#include "EngineMatchedRules.h"
#include "LivePanel.h"

#include "platform/foundation/DelayedPerform.h"

#include "platform/web/engine/WebBridge.h"
#include "platform/web/engine/WebView.h"

#include "cssrules/StyleSheetPairing.h"
#include "platform/web/cssom/DOMCSSStyleSheet.h"
#include "platform/web/cssom/DOMStyleSheetList.h"
#include "platform/web/engine/WebEngineCache.h"

#include <gtest/gtest.h>

namespace CascadeLiveTest {

namespace {

const QByteArray kSite = R"(@import url("base.css");
p { color: black; margin: 1px; }
.c1.c2.c3.c4.c5.c6.c7.c8.c9.c10.c11 { color: red; }
#target { color: blue; }
.box:has(#target) { border-top: 1px solid; }
@media (min-width: 1px) {
  p { margin: 2px !important; }
  .other { color: pink; }
}
@media print { p { color: green; } }
a:hover { color: pink; }
a { color: teal; }
p { width: foo; }
)";

const QByteArray kBase = "p { padding: 3px; color: gray; }\n";

const QByteArray kPage = R"(<!DOCTYPE html><html><head>
<link rel="stylesheet" href="site.css">
<style>p { letter-spacing: 1px; }</style>
</head><body><div class="box" id="box"><p id="target" class="c1 c2 c3 c4 c5 c6 c7 c8 c9 c10 c11">x</p>
<a id="link" href="#">link</a></div></body></html>)";

} // namespace

TEST(RulesCascade, ListsAnElementsRulesInCascadeOrderWithOverriddenDeclarationsMarked)
{
    LivePanel live;
    ASSERT_TRUE(live.load({{QStringLiteral("site.css"), kSite}, {QStringLiteral("base.css"), kBase},
                           {QStringLiteral("index.html"), kPage}}));
    ASSERT_TRUE(live.select(live.element(QStringLiteral("target"))));
    // The computed style, then the author rules from the most specific down
    // (an id outranks eleven classes; equal ones keep the later first, the
    // imported sheet at its import), the media block that holds a matching
    // rule, the browser's rules last. The style element's rule is no file's.
    const QString dump = live.dump();
    const QStringList roots = [&] {
        QStringList names;
        for (const CSSRulePtr &row : live.panel.rules())
            names.append(row->computedStyleDec() ? QStringLiteral("computed") : row->displayName());
        return names;
    }();
    ASSERT_GE(roots.size(), 7) << dump.toStdString();
    EXPECT_EQ(roots.mid(0, 7),
              QStringList({QStringLiteral("computed"), QStringLiteral("#target"), QStringLiteral(".c1.c2.c3.c4.c5.c6.c7.c8.c9.c10.c11"),
                           QStringLiteral("p"), QStringLiteral("@media (min-width: 1px)"), QStringLiteral("p"), QStringLiteral("p")}))
        << dump.toStdString();
    EXPECT_TRUE(live.panel.rules().last()->isWebKitStyle()) << dump.toStdString();

    // Blue from the id wins; red, black and gray are overridden.
    EXPECT_TRUE(LivePanel::declaration(live.ruleRow(QStringLiteral("#target")), QStringLiteral("color"))->isFirstAssigned());
    EXPECT_FALSE(LivePanel::declaration(live.ruleRow(QStringLiteral(".c1.c2.c3.c4.c5.c6.c7.c8.c9.c10.c11")), QStringLiteral("color"))
                     ->isFirstAssigned());
    // "!important" inside the media block beats the later, plain margin.
    const CSSRulePtr media = live.ruleRow(QStringLiteral("@media (min-width: 1px)"));
    ASSERT_TRUE(media);
    ASSERT_EQ(media->children().size(), 1) << dump.toStdString();
    EXPECT_TRUE(LivePanel::declaration(media->children().first(), QStringLiteral("margin"))->isFirstAssigned());
    const CSSRulePtr sitePWithMargin = LivePanel::declaration(live.ruleRow(QStringLiteral("p"), 1), QStringLiteral("margin"))
        ? live.ruleRow(QStringLiteral("p"), 1)
        : live.ruleRow(QStringLiteral("p"), 0);
    EXPECT_FALSE(LivePanel::declaration(sitePWithMargin, QStringLiteral("margin"))->isFirstAssigned()) << dump.toStdString();
    // A value the page refuses never wins, even alone.
    const CSSRulePtr widthRow = LivePanel::declaration(live.ruleRow(QStringLiteral("p"), 0), QStringLiteral("width"));
    ASSERT_TRUE(widthRow) << dump.toStdString();
    EXPECT_FALSE(widthRow->isFirstAssigned());
    // The imported sheet's padding stands alone.
    bool padding = false;
    for (const CSSRulePtr &row : live.panel.rules()) {
        if (const CSSRulePtr declaration = LivePanel::declaration(row, QStringLiteral("padding")))
            padding = declaration->isFirstAssigned() && row->fileName().startsWith(QLatin1String("base.css:1"));
    }
    EXPECT_TRUE(padding) << dump.toStdString();
}

TEST(RulesCascade, HoverRulesAreListedForLinksAndHasRulesForTheirSubject)
{
    LivePanel live;
    ASSERT_TRUE(live.load({{QStringLiteral("site.css"), kSite}, {QStringLiteral("base.css"), kBase},
                           {QStringLiteral("index.html"), kPage}}));
    ASSERT_TRUE(live.select(live.element(QStringLiteral("link"))));
    const CSSRulePtr hover = live.ruleRow(QStringLiteral("a:hover"));
    ASSERT_TRUE(hover) << live.dump().toStdString();
    // Its declarations take no part in the marking: a:hover is no state here.
    EXPECT_FALSE(LivePanel::declaration(hover, QStringLiteral("color"))->isFirstAssigned());
    EXPECT_TRUE(LivePanel::declaration(live.ruleRow(QStringLiteral("a")), QStringLiteral("color"))->isFirstAssigned());

    ASSERT_TRUE(live.select(live.element(QStringLiteral("box"))));
    EXPECT_TRUE(live.ruleRow(QStringLiteral(".box:has(#target)"))) << live.dump().toStdString();
}

TEST(RulesCascade, APanelThatGoesWhileThePageIsAskedIsNotCalledWithTheAnswer)
{
    LivePanel live;
    ASSERT_TRUE(live.load({{QStringLiteral("site.css"), kSite}, {QStringLiteral("base.css"), kBase},
                           {QStringLiteral("index.html"), kPage}}));
    auto gone = std::make_unique<CSSOutlineDelegate>();
    gone->awakeFromNib();
    gone->setStyleFiles({live.file(QStringLiteral("site.css")), live.file(QStringLiteral("base.css"))});
    bool built = false;
    QObject::connect(gone.get(), &CSSOutlineDelegate::rebuilt, [&built] { built = true; });
    // Nothing of the box is known yet: the panel asks the page and waits.
    gone->updateRulesByElement(live.element(QStringLiteral("box")));
    ASSERT_FALSE(built);
    gone.reset();
    // The answer comes after the panel has gone; the page is still there for the next one.
    ASSERT_TRUE(live.fixture->settle());
    ASSERT_TRUE(live.select(live.element(QStringLiteral("box"))));
    EXPECT_TRUE(live.ruleRow(QStringLiteral(".box:has(#target)"))) << live.dump().toStdString();
}

// A refresh that comes while the next element's answers are on their way
// (a sheet loaded, a page's script) lists that element, not the one before.
TEST(RulesCascade, ARefreshWhileTheNextElementIsAskedListsThatElement)
{
    LivePanel live;
    ASSERT_TRUE(live.load({{QStringLiteral("site.css"), kSite}, {QStringLiteral("base.css"), kBase},
                           {QStringLiteral("index.html"), kPage}}));
    ASSERT_TRUE(live.select(live.element(QStringLiteral("target"))));
    QSignalSpy built(&live.panel, &CSSOutlineDelegate::rebuilt);
    live.panel.updateRulesByElement(live.element(QStringLiteral("box")));
    ASSERT_TRUE(built.isEmpty());
    live.panel.refreshStyleFiles();
    ASSERT_TRUE(TestUtil::waitUntil([&] { return !built.isEmpty(); }, 10000));
    EXPECT_TRUE(live.ruleRow(QStringLiteral(".box:has(#target)"))) << live.dump().toStdString();
    EXPECT_FALSE(live.ruleRow(QStringLiteral("#target"))) << live.dump().toStdString();
    EXPECT_EQ(live.panel.lastSelectedElement(), live.element(QStringLiteral("box")));
}

// The page's rules are read by the page and the browser once the page is
// the panel's, ahead of the first selection (#81); the list of that
// selection is the one made without them.
TEST(RulesCascade, ThePagesRulesAreReadAheadOfTheFirstSelection)
{
    LivePanel live;
    ASSERT_TRUE(live.load({{QStringLiteral("site.css"), kSite}, {QStringLiteral("base.css"), kBase},
                           {QStringLiteral("index.html"), kPage}}));
    WebEngineCache *engine = live.fixture->mainFrame().engine();
    WebEngineQuestions body;
    body.matchedRules.append({live.document()->body(), QString()});
    ASSERT_FALSE(engine->hasAnswers(body));
    // As the preview hands the panel its page once the page is shown.
    live.panel.setPageDocument(live.document());
    EXPECT_TRUE(TestUtil::waitUntil([&] { return engine->hasAnswers(body); }, 10000));
    ASSERT_TRUE(live.select(live.element(QStringLiteral("target"))));
    EXPECT_TRUE(live.ruleRow(QStringLiteral("#target"))) << live.dump().toStdString();
    EXPECT_TRUE(live.ruleRow(QStringLiteral(".c1.c2.c3.c4.c5.c6.c7.c8.c9.c10.c11"))) << live.dump().toStdString();
}

TEST(RulesCascade, HeadElementsAndNoElementListNothing)
{
    LivePanel live;
    ASSERT_TRUE(live.load({{QStringLiteral("site.css"), kSite}, {QStringLiteral("base.css"), kBase},
                           {QStringLiteral("index.html"), kPage}}));
    ASSERT_TRUE(live.select(live.element(QStringLiteral("target"))));
    ASSERT_FALSE(live.panel.rules().isEmpty());
    ASSERT_TRUE(live.select(live.document()->head()));
    EXPECT_TRUE(live.panel.rules().isEmpty());
    ASSERT_TRUE(live.select(nullptr));
    EXPECT_TRUE(live.panel.rules().isEmpty());
}

TEST(RulesCascade, ASearchListsOnlyDeclarationsWhoseNameHoldsIt)
{
    LivePanel live;
    ASSERT_TRUE(live.load({{QStringLiteral("site.css"), kSite}, {QStringLiteral("base.css"), kBase},
                           {QStringLiteral("index.html"), kPage}}));
    ASSERT_TRUE(live.select(live.element(QStringLiteral("target"))));
    QSignalSpy built(&live.panel, &CSSOutlineDelegate::rebuilt);
    live.panel.search(QStringLiteral("col"));
    ASSERT_TRUE(!built.isEmpty() || built.wait(5000));
    for (const CSSRulePtr &row : live.panel.rules()) {
        for (const CSSRulePtr &child : row->children()) {
            if (!child->decLine().isNull()) {
                EXPECT_TRUE(child->propName().contains(QLatin1String("col"))) << live.dump().toStdString();
            }
        }
    }
    EXPECT_FALSE(live.ruleRow(QStringLiteral("@media (min-width: 1px)"))) << live.dump().toStdString();
}

TEST(RulesCascade, AllRulesListsEveryRuleWithOneRuleOfEachMediaBlock)
{
    LivePanel live;
    ASSERT_TRUE(live.load({{QStringLiteral("site.css"), kSite}, {QStringLiteral("base.css"), kBase},
                           {QStringLiteral("index.html"), kPage}}));
    ASSERT_TRUE(live.select(live.element(QStringLiteral("target"))));
    QSignalSpy built(&live.panel, &CSSOutlineDelegate::rebuilt);
    live.panel.doChangeOutlineSource(CSSOutlineDelegate::AllRules);
    ASSERT_TRUE(!built.isEmpty() || built.wait(5000));
    EXPECT_TRUE(live.ruleRow(QStringLiteral("@media print")));
    EXPECT_TRUE(live.ruleRow(QStringLiteral("a:hover")));
    const CSSRulePtr media = live.ruleRow(QStringLiteral("@media (min-width: 1px)"));
    ASSERT_TRUE(media);
    ASSERT_EQ(media->children().size(), 1);
    EXPECT_EQ(media->children().first()->displayName(), QStringLiteral(".other"));
}

TEST(RulesCascade, EveryLiveRuleOfBootstrapPairsWithItsText)
{
    QFile bootstrap(QStringLiteral("/usr/share/javascript/bootstrap5/css/bootstrap.css"));
    if (!bootstrap.open(QIODevice::ReadOnly))
        GTEST_SKIP() << "libjs-bootstrap5 is not installed";
    LivePanel live;
    ASSERT_TRUE(live.load({{QStringLiteral("bootstrap.css"), bootstrap.readAll()},
                           {QStringLiteral("index.html"),
                            "<!DOCTYPE html><link rel=stylesheet href=bootstrap.css><a class='btn btn-primary' id=b>Go</a>"}}));
    ASSERT_TRUE(live.select(live.element(QStringLiteral("b"))));
    File *file = live.file(QStringLiteral("bootstrap.css"));
    const DOMCSSStyleSheetPtr sheet = live.panel.styleSheetWithFile(file);
    ASSERT_TRUE(sheet);
    const StyleSheetPairing pairing(sheet, file, live.panel.styleDeclarationsOf(file));
    int live_ = 0;
    const std::function<void(const DOMCSSRuleList &)> count = [&](const DOMCSSRuleList &rules) {
        for (int i = 0; i < rules.length(); ++i) {
            ++live_;
            count(rules.item(i)->cssRules());
        }
    };
    count(sheet->cssRules());
    EXPECT_EQ(pairing.unpairedCount(), 0);
    EXPECT_EQ(pairing.pairedCount(), live_);
    // And each pair is the same rule.
    for (const StyleDeclarationPtr &declaration : live.panel.styleDeclarationsOf(file)) {
        const DOMCSSRulePtr rule = pairing.ruleOf(declaration.get());
        if (rule && declaration->type() == RuleType::Style) {
            EXPECT_EQ(StyleSheetPairing::normalizedSelector(rule->selectorText()),
                      StyleSheetPairing::normalizedSelector(declaration->selector()));
        }
    }
}

TEST(RulesCascade, RulesBehindStatementsAndBlocksPairWithTheirOwnLiveRule)
{
    LivePanel live;
    ASSERT_TRUE(live.load({{QStringLiteral("site.css"),
                            "@charset \"utf-8\";\n@namespace svg url(http://www.w3.org/2000/svg);\n"
                            "@supports (display: grid) { .g { color: red; } }\n"
                            "@keyframes spin { from { top: 0; } to { top: 10px; } }\n"
                            "@-moz-keyframes spin { from { top: 0; } }\n"
                            "@media screen { .m { color: red; } }\n"
                            ".target { color: blue; }\n"},
                           {QStringLiteral("index.html"),
                            "<!DOCTYPE html><link rel=stylesheet href=site.css><p class='target g m' id=t>x</p>"}}));
    ASSERT_TRUE(live.select(live.element(QStringLiteral("t"))));
    File *file = live.file(QStringLiteral("site.css"));
    const QList<StyleDeclarationPtr> items = live.panel.styleDeclarationsOf(file);
    for (const StyleDeclarationPtr &item : items) {
        const DOMCSSRulePtr rule = live.panel.domCSSRuleByStyleDeclaration(item);
        if (item->type() == RuleType::Style) {
            ASSERT_TRUE(rule && rule->selectorText() == item->selector()) << item->selector().toStdString();
        }
        const StyleDeclarationPtr owner = item->isInBraket() ? file->getMediaOwner(*item) : nullptr;
        if (item->type() == RuleType::Keyframe && owner->selector() == QLatin1String("@keyframes spin")) {
            ASSERT_TRUE(rule && rule->type() == DOMCSSRule::KEYFRAME_RULE) << item->selector().toStdString();
        }
        if (item->selector().startsWith(QLatin1String("@-moz")) || (owner && owner->selector().startsWith(QLatin1String("@-moz")))) {
            EXPECT_FALSE(rule);
        }
    }
    // Rows of rules inside @supports are listed; an edit of .target reaches .target.
    EXPECT_TRUE(live.ruleRow(QStringLiteral(".g"))) << live.dump().toStdString();
    const CSSRulePtr color = LivePanel::declaration(live.ruleRow(QStringLiteral(".target")), QStringLiteral("color"));
    ASSERT_TRUE(color && live.selectRow(color));
    live.panel.valueChange(color, QStringLiteral("rgb(0, 128, 0)"));
    EXPECT_EQ(computedValue(*live.fixture, QStringLiteral("t"), QStringLiteral("color")), QStringLiteral("rgb(0, 128, 0)"));
    for (const char *selector : {".g", ".m"}) {
        bool found = false;
        for (const StyleDeclarationPtr &item : items) {
            if (item->selector() == QLatin1String(selector)) {
                found = true;
                EXPECT_EQ(live.panel.domCSSRuleByStyleDeclaration(item)->style()->getPropertyValue(QStringLiteral("color")),
                          QStringLiteral("red"));
            }
        }
        EXPECT_TRUE(found);
    }
}


TEST(RulesCascade, BadInputGivesFewerRowsALogLineAndKeepsTheText)
{
    LivePanel live;
    const QByteArray css = "a:::b { color: red; }\n@-moz-document url-prefix() { p { color: red; } }\n"
                           "#t { color: blue\n}\n.gone { top: 0 }\n";
    LoopbackHttpServer server(live.fixture->folder());
    ASSERT_TRUE(server.start());
    live.fixture->writeFile(QStringLiteral("remote.css"), "p { color: green; }");
    ASSERT_TRUE(live.load({{QStringLiteral("site.css"), css},
                           {QStringLiteral("index.html"),
                            "<!DOCTYPE html><link rel=stylesheet href=site.css><link rel=stylesheet href='"
                                + server.url(QStringLiteral("/remote.css")).toEncoded() + "'><p id=t class=gone>x</p>"}}));
    StandardErrorCapture log;
    ASSERT_TRUE(live.select(live.element(QStringLiteral("t"))));
    const QString logged = log.text();
    EXPECT_TRUE(logged.contains(QLatin1String("are not in the page"))) << logged.toStdString();
    EXPECT_TRUE(logged.contains(QLatin1String("another origin"))) << logged.toStdString();
    // The rules the page has are listed; the others are not, and an edit keeps their text.
    EXPECT_TRUE(live.ruleRow(QStringLiteral("#t")));
    EXPECT_FALSE(live.ruleRow(QStringLiteral("a:::b")));
    const CSSRulePtr top = LivePanel::declaration(live.ruleRow(QStringLiteral(".gone")), QStringLiteral("top"));
    ASSERT_TRUE(top && live.selectRow(top));
    live.panel.commitCSSValueChange(top, QStringLiteral("1px"), true);
    live.settleWrites();
    EXPECT_EQ(*live.file(QStringLiteral("site.css"))->currentContent(),
              QString::fromUtf8(css).replace(QStringLiteral(".gone { top: 0 }"), QStringLiteral(".gone { top: 1px }")));

    // A style sheet whose file can no longer be read lists nothing and writes nothing.
    live.fixture->writeFile(QStringLiteral("site.css"), QByteArray("\xff\xfe\x00\xd8", 4));
    File *file = live.file(QStringLiteral("site.css"));
    file->reloadContent();
    StandardErrorCapture second;
    ASSERT_TRUE(live.select(live.element(QStringLiteral("t"))));
    EXPECT_FALSE(live.ruleRow(QStringLiteral("#t"))) << live.dump().toStdString();
}

// The sheets were refreshed before the panel had the page (its first
// element chosen later, on a loaded machine): what is not listed of them is
// told as the page comes.
TEST(RulesCascade, SheetsNotListedAreToldWhenThePageComesAfterTheirRefresh)
{
    LivePanel live;
    ASSERT_TRUE(live.load({{QStringLiteral("twice.css"), "p { color: red; }\n"},
                           {QStringLiteral("index.html"),
                            "<!DOCTYPE html><link rel=stylesheet href=twice.css><style>p { top: 0 }</style>"
                            "<link rel=stylesheet href=twice.css?v=2><p id=t>x</p>"}}));
    live.panel.setAndRefreshStyleFiles({live.file(QStringLiteral("twice.css"))});
    ASSERT_TRUE(TestUtil::waitUntil([&] { return !DelayedPerform::isPending(&live.panel, "refreshStyleFiles"); }));
    StandardErrorCapture log;
    ASSERT_TRUE(live.select(live.element(QStringLiteral("t"))));
    const QString logged = log.text();
    EXPECT_TRUE(logged.contains(QLatin1String("twice.css is linked again later in the page"))) << logged.toStdString();
    EXPECT_TRUE(logged.contains(QLatin1String("a <style> element's sheet is part of the page's HTML"))) << logged.toStdString();
}

} // namespace CascadeLiveTest

namespace CascadePseudoElementsTest {

TEST(RulesCascade, OnlyStatesAndTheFourOldPseudoElementsAreStrippedForMatching)
{
    struct Row
    {
        const char *selector;
        const char *stripped;
    };
    for (const Row &row : {Row{"a:hover::before, p", "a, p"}, Row{"p::first-line", "p"}, Row{"p:first-letter", "p"},
                           Row{"*,::after,::before", "*,*,*"}, Row{"ul > :visited", "ul > *"},
                           Row{"p:first-child", "p:first-child"}, Row{"::selection", ":selection"},
                           Row{"input::placeholder", "input:placeholder"},
                           Row{"div::-webkit-file-upload-button", "div:-webkit-file-upload-button"},
                           Row{"a[title=':hover']", "a[title=':hover']"}, Row{"a:hover-x", "a:hover-x"}}) {
        EXPECT_EQ(CSSOutlineDelegate::pseudoStrippedSelector(QString::fromLatin1(row.selector)), QString::fromLatin1(row.stripped))
            << row.selector;
    }
}

// The selectors of the rules listed, a media block's inner rules included.
QStringList listedSelectors(const LivePanel &live)
{
    QStringList selectors;
    for (const CSSRulePtr &row : live.panel.rules()) {
        const DOMCSSRulePtr rule = row->rule();
        if (!rule || row->isWebKitStyle())
            continue;
        if (rule->type() == DOMCSSRule::STYLE_RULE)
            selectors.append(rule->selectorText());
        for (const CSSRulePtr &inner : rule->type() == DOMCSSRule::MEDIA_RULE ? row->children() : QList<CSSRulePtr>())
            selectors.append(inner->rule()->selectorText());
    }
    return selectors;
}

// #77: rules of ::placeholder and the other pseudo-elements an element has
// were dropped with "Unknown pseudo-class"; they are listed for it, and
// only for the elements that have them.
TEST(RulesCascade, RulesOfPseudoElementsAreListedForTheElementsThatHaveThem)
{
    const QByteArray css = R"(::selection { color: red; }
input::placeholder { color: gray; }
.form-control::-webkit-input-placeholder { color: silver; }
.form-control::-moz-placeholder { color: silver; }
input[type=range]::-webkit-slider-thumb { width: 3px; }
::-webkit-scrollbar { width: 4px; }
*,::after,::before { box-sizing: border-box; }
[type=file]::-webkit-file-upload-button, input::file-selector-button { font: inherit; }
div::-webkit-file-upload-button { cursor: pointer; }
input::-webkit-unheard-of { color: red; }
@font-face { font-family: x; src: url(x.woff); }
@media screen {
  @font-face { font-family: y; src: url(y.woff); }
  input:hover::placeholder { color: black; }
}
p { color: black; }
)";
    LivePanel live;
    ASSERT_TRUE(live.load({{QStringLiteral("site.css"), css},
                           {QStringLiteral("index.html"),
                            "<!DOCTYPE html><link rel=stylesheet href=site.css><p id=t>x</p>"
                            "<input id=i class=form-control placeholder=a><input id=n class=form-control>"
                            "<input id=r type=range><input id=f type=file><div id=d>d</div>"}}));
    const auto listedFor = [&live](const char *id) {
        if (!live.select(live.element(QString::fromLatin1(id))))
            return QStringLiteral("(not listed)");
        QStringList selectors = listedSelectors(live);
        selectors.sort();
        return selectors.join(QStringLiteral(" | "));
    };
    StandardErrorCapture log;
    EXPECT_EQ(listedFor("i"), QStringLiteral("*, ::after, ::before | .form-control::-webkit-input-placeholder | "
                                             "::-webkit-scrollbar | ::selection | input::placeholder | "
                                             "input:hover::placeholder"));
    // A field without a placeholder has none; a range has a thumb, a file field a button.
    EXPECT_EQ(listedFor("n"), QStringLiteral("*, ::after, ::before | ::-webkit-scrollbar | ::selection"));
    EXPECT_EQ(listedFor("r"), QStringLiteral("*, ::after, ::before | ::-webkit-scrollbar | ::selection | "
                                             "input[type=\"range\"]::-webkit-slider-thumb"));
    EXPECT_EQ(listedFor("f"), QStringLiteral("*, ::after, ::before | ::-webkit-scrollbar | ::selection | "
                                             "[type=\"file\"]::-webkit-file-upload-button, input::file-selector-button"));
    EXPECT_EQ(listedFor("d"), QStringLiteral("*, ::after, ::before | ::-webkit-scrollbar | ::selection"));
    EXPECT_EQ(listedFor("t"), QStringLiteral("*, ::after, ::before | ::-webkit-scrollbar | ::selection | p"));
    const QString logged = log.text();
    EXPECT_FALSE(logged.contains(QLatin1String("ERROR"))) << logged.toStdString();
    EXPECT_FALSE(logged.contains(QLatin1String("WARNING"))) << logged.toStdString();
    EXPECT_FALSE(logged.contains(QLatin1String("Unknown pseudo"))) << logged.toStdString();
    // A name the program does not know is not passed over in silence.
    EXPECT_TRUE(logged.contains(QLatin1String("::-webkit-unheard-of"))) << logged.toStdString();
}

// On a framework sheet, the rules listed for an element are those the
// engine applies to it and its pseudo-elements; the panel adds only the
// rules of states it lists for every element (":hover"), as the engine
// applies them only in that state (#77).
TEST(RulesCascade, TheRulesListedForAnElementAreTheEnginesOnAFrameworkSheet)
{
    QFile bootstrap(QStringLiteral("/usr/share/javascript/bootstrap5/css/bootstrap.css"));
    if (!bootstrap.open(QIODevice::ReadOnly))
        GTEST_SKIP() << "libjs-bootstrap5 is not installed";
    LivePanel live;
    ASSERT_TRUE(live.load({{QStringLiteral("bootstrap.css"), bootstrap.readAll()},
                           {QStringLiteral("index.html"), R"(<!DOCTYPE html><link rel=stylesheet href=bootstrap.css>
<form><input id=text class=form-control placeholder=Name><input id=plain class=form-control>
<input id=file type=file class="form-control form-control-sm"><input id=range type=range class=form-range>
<input id=date type=date class=form-control><input id=color type=color class="form-control form-control-color">
<div class=form-floating><input id=floating class=form-control placeholder=Mail><label for=floating>Mail</label></div>
<select id=select class=form-select><option>a</select><button id=button class="btn btn-primary">Go</button>
<p id=p class=lead>text</p></form>)"}}));
    for (const char *id : {"text", "plain", "file", "range", "date", "color", "floating", "select", "button", "p"}) {
        ASSERT_TRUE(live.select(live.element(QString::fromLatin1(id))));
        QStringList byEngine = engineMatchedRules(*live.fixture, QString::fromLatin1(id)).values();
        byEngine.sort();
        QStringList listed = listedSelectors(live);
        listed.sort();
        QStringList inStates;
        for (const QString &selector : std::as_const(listed)) {
            if (!byEngine.removeOne(selector))
                inStates.append(selector);
        }
        EXPECT_TRUE(byEngine.isEmpty()) << id << ": not listed: " << byEngine.join(QStringLiteral(" | ")).toStdString();
        for (const QString &selector : std::as_const(inStates)) {
            EXPECT_TRUE(selector.contains(QLatin1String(":hover")) || selector.contains(QLatin1String(":active")))
                << id << ": listed, not applied: " << selector.toStdString();
        }
        EXPECT_GE(listed.size(), 3) << id;
    }
}

// Found while holding the panel to the engine on a real sheet: the rules of
// an @supports block were listed whether its condition held or not.
TEST(RulesCascade, RulesOfAnUnsupportedSupportsBlockAreNotListed)
{
    LivePanel live;
    ASSERT_TRUE(live.load({{QStringLiteral("site.css"), R"(#t { color: black; }
@supports (display: grid) { #t { color: red; } }
@supports (-webkit-touch-callout: none) { #t { top: 0; } }
@supports not (display: grid) { #t { left: 0; } }
@media screen { @supports (nonsense: 1) { #t { right: 0; } } .x, #t { bottom: 0; } }
)"},
                           {QStringLiteral("index.html"), "<!DOCTYPE html><link rel=stylesheet href=site.css><p id=t>x</p>"}}));
    const int blocking = live.fixture->view().bridge().blockingCalls();
    ASSERT_TRUE(live.select(live.element(QStringLiteral("t"))));
    QStringList listed = listedSelectors(live);
    listed.sort();
    EXPECT_EQ(listed, QStringList({QStringLiteral("#t"), QStringLiteral("#t"), QStringLiteral(".x, #t")}));
    const QString dump = live.dump();
    EXPECT_TRUE(dump.contains(QLatin1String("  color: red\n"))) << dump.toStdString();
    for (const char *name : {"top:", "left:", "right:"})
        EXPECT_FALSE(dump.contains(QLatin1String(name))) << dump.toStdString();
    // Asked ahead with the element's other questions.
    EXPECT_EQ(live.fixture->view().bridge().blockingCalls(), blocking);
}

} // namespace CascadePseudoElementsTest

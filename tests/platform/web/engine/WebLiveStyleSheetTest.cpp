#include "TestUtil.h"
#include "WebTestFixture.h"
#include "WebTestUtil.h"

#include "foundation/InspectUndoManager.h"
#include "platform/web/cssom/DOMCSSRule.h"
#include "platform/web/cssom/DOMCSSStyleDeclaration.h"
#include "platform/web/cssom/DOMCSSStyleSheet.h"
#include "platform/web/cssom/DOMStyleSheetList.h"
#include "platform/web/dom/DOMDocument.h"
#include "platform/web/dom/DOMElement.h"
#include "platform/web/engine/WebBridge.h"
#include "platform/web/engine/WebFrameMirror.h"
#include "platform/web/engine/WebView.h"

#include <QJsonArray>
#include <QJsonDocument>

#include <gtest/gtest.h>

namespace WebLiveStyleSheetTest {

namespace {

const QByteArray s_page = R"(<!DOCTYPE html>
<html><head><link rel="stylesheet" href="css/site.css">
<style id="inline">
.a { color: red; }
@media screen and (min-width: 10px) { .c { margin: 0px 1px; } }
@keyframes spin { from { opacity: 0; } to { opacity: 1; } }
</style></head>
<body><div class="a c" id="box">box</div></body></html>)";

const QByteArray s_siteCss = R"(@import url("parts.css") screen;
body { margin: 0; font: 12px/1.5 serif; }
.card, .panel > p { border: 1px solid #ccc; }
@font-face { font-family: "Local"; src: url(font.woff); }
@supports (display: grid) { .grid { display: grid; } }
@page :first { margin: 1in; }
@counter-style thumbs { system: cyclic; symbols: "*"; suffix: " "; }
.after-counter { color: green; }
)";

// The page's rules in the form of DOMStyleSheetList::debugDump().
const char s_dumpScript[] = R"JS((function () {
    const lines = [];
    for (const sheet of document.styleSheets) {
        lines.push('sheet ' + (sheet.href || '(inline)'));
        for (const rule of sheet.cssRules)
            lines.push('  ' + rule.cssText);
    }
    return lines.join('\n');
})())JS";

// Every declaration of every rule, imported and nested ones too, as
// "id-less selector or key: name=value!priority ...", one line a rule.
const char s_declarationsScript[] = R"JS((function () {
    const lines = [];
    function walk(rules) {
        for (const rule of rules) {
            if (rule.style) {
                let line = (rule.selectorText || rule.keyText || rule.type) + ':';
                for (let i = 0; i < rule.style.length; ++i) {
                    const name = rule.style[i];
                    line += ' ' + name + '=' + rule.style.getPropertyValue(name) + '!' + rule.style.getPropertyPriority(name);
                }
                lines.push(line);
            }
            if (rule.styleSheet)
                walk(rule.styleSheet.cssRules);
            if (rule.cssRules)
                walk(rule.cssRules);
        }
    }
    for (const sheet of document.styleSheets)
        walk(sheet.cssRules);
    return lines.join('\n');
})())JS";

void appendDeclarations(const DOMCSSRuleList &rules, QStringList &lines)
{
    for (int i = 0; i < rules.length(); ++i) {
        const DOMCSSRulePtr rule = rules.item(i);
        if (const DOMCSSStyleDeclarationPtr style = rule->style()) {
            QString line = !rule->selectorText().isEmpty() ? rule->selectorText()
                           : !rule->keyText().isEmpty()    ? rule->keyText()
                                                           : QString::number(rule->type());
            line += QLatin1Char(':');
            for (int j = 0; j < style->length(); ++j) {
                const QString name = style->item(j);
                line += QLatin1Char(' ') + name + QLatin1Char('=') + style->getPropertyValue(name) + QLatin1Char('!')
                        + style->getPropertyPriority(name);
            }
            lines.append(line);
        }
        if (const DOMCSSStyleSheetPtr imported = rule->styleSheet())
            appendDeclarations(imported->cssRules(), lines);
        appendDeclarations(rule->cssRules(), lines);
    }
}

std::unique_ptr<WebTestFixture> loadedFixture()
{
    auto fixture = std::make_unique<WebTestFixture>(WebTestFixture::sharedView());
    fixture->writeFile(QStringLiteral("css/site.css"), s_siteCss);
    fixture->writeFile(QStringLiteral("css/parts.css"), ".part { color: green; }\n");
    fixture->writeFile(QStringLiteral("index.html"), s_page);
    if (!fixture->loadPage(QStringLiteral("index.html")))
        return nullptr;
    // Linked sheets may come in after the document.
    DOMStyleSheetList &sheets = fixture->mainFrame().document()->styleSheets();
    if (!TestUtil::waitUntil([&] { return sheets.length() == 2; }))
        return nullptr;
    return fixture;
}

DOMCSSStyleSheetPtr inlineSheet(WebTestFixture &fixture)
{
    DOMStyleSheetList &sheets = fixture.mainFrame().document()->styleSheets();
    for (int i = 0; i < sheets.length(); ++i) {
        if (sheets.item(i)->href().isEmpty())
            return sheets.item(i);
    }
    return nullptr;
}

DOMCSSRulePtr ruleOfType(const DOMCSSStyleSheet &sheet, int type)
{
    for (int i = 0; i < sheet.cssRules().length(); ++i) {
        if (sheet.cssRules().item(i)->type() == type)
            return sheet.cssRules().item(i);
    }
    return nullptr;
}

} // namespace

TEST(WebLiveStyleSheet, MirrorEqualsThePageRulesAfterLoad)
{
    const auto fixture = loadedFixture();
    ASSERT_TRUE(fixture);
    DOMStyleSheetList &sheets = fixture->mainFrame().document()->styleSheets();
    EXPECT_EQ(sheets.debugDump(), fixture->evaluate(QString::fromLatin1(s_dumpScript)).toString());
    const DOMCSSStyleSheetPtr site = sheets.item(0);
    ASSERT_TRUE(site->href().endsWith(QLatin1String("css/site.css")));
    EXPECT_EQ(site->ownerNode(), fixture->mainFrame().document()->querySelector(QStringLiteral("link")));
    // The imported sheet hangs on its rule.
    const DOMCSSRulePtr import = site->cssRules().item(0);
    ASSERT_EQ(import->type(), DOMCSSRule::IMPORT_RULE);
    ASSERT_TRUE(import->styleSheet());
    EXPECT_EQ(import->styleSheet()->cssRules().item(0)->selectorText(), QStringLiteral(".part"));
    EXPECT_EQ(import->styleSheet()->ownerRule(), import);
    EXPECT_EQ(import->media()->mediaText(), QStringLiteral("screen"));
    // Shorthands read back as the engine folds them; items are longhands.
    const DOMCSSRulePtr body = site->cssRules().item(1);
    EXPECT_EQ(body->style()->getPropertyValue(QStringLiteral("margin")), QStringLiteral("0px"));
    EXPECT_EQ(body->style()->getPropertyValue(QStringLiteral("margin-left")), QStringLiteral("0px"));
    EXPECT_GT(body->style()->length(), 4);
    EXPECT_EQ(sheets.ruleForId(body->ruleId()), body);
}

TEST(WebLiveStyleSheet, MirrorHasThePagesDeclarationsWithTheirPrioritiesAfterLoad)
{
    const auto fixture = std::make_unique<WebTestFixture>(WebTestFixture::sharedView());
    fixture->writeFile(QStringLiteral("css/site.css"), s_siteCss);
    fixture->writeFile(QStringLiteral("css/parts.css"), ".part { color: green; }\n");
    fixture->writeFile(QStringLiteral("index.html"), QByteArray(s_page).replace(
        "</style>", ".imp { padding: 1px 2px !important; color: blue; border: 1px solid; margin: 0 !important; }\n"
                    "@media print { .p { inset: 0 !important; } }\n</style>"));
    ASSERT_TRUE(fixture->loadPage(QStringLiteral("index.html")));
    DOMStyleSheetList &sheets = fixture->mainFrame().document()->styleSheets();
    ASSERT_TRUE(TestUtil::waitUntil([&] { return sheets.length() == 2; }));
    QStringList lines;
    for (int i = 0; i < sheets.length(); ++i)
        appendDeclarations(sheets.item(i)->cssRules(), lines);
    EXPECT_EQ(lines.join(QLatin1Char('\n')), fixture->evaluate(QString::fromLatin1(s_declarationsScript)).toString());
    const DOMCSSStyleDeclarationPtr important = inlineSheet(*fixture)->cssRules().item(3)->style();
    EXPECT_EQ(important->getPropertyPriority(QStringLiteral("padding-left")), QStringLiteral("important"));
    EXPECT_EQ(important->getPropertyPriority(QStringLiteral("border-top-width")), QString());
}

TEST(WebLiveStyleSheet, MirrorFollowsTheProgramsWritesLikeThePage)
{
    const auto fixture = loadedFixture();
    ASSERT_TRUE(fixture);
    const DOMCSSStyleSheetPtr sheet = inlineSheet(*fixture);
    ASSERT_TRUE(sheet);
    ASSERT_TRUE(sheet->insertRule(QStringLiteral(".new { color: blue; margin: 0 }"), 1));
    ASSERT_TRUE(sheet->insertRule(QStringLiteral("@media print { .p { padding: 1px } }"), sheet->cssRules().length()));
    const DOMCSSRulePtr media = ruleOfType(*sheet, DOMCSSRule::MEDIA_RULE);
    ASSERT_TRUE(media);
    ASSERT_TRUE(media->insertRule(QStringLiteral(".inner { color: green }"), 0));
    const DOMCSSRulePtr added = sheet->cssRules().item(1);
    added->style()->setProperty(QStringLiteral("background-color"), QStringLiteral("#ABC"), QStringLiteral("important"));
    // Until the engine answers, the value reads as written.
    EXPECT_EQ(added->style()->getPropertyValue(QStringLiteral("background-color")), QStringLiteral("#ABC"));
    added->style()->removeProperty(QStringLiteral("color"));
    sheet->cssRules().item(0)->style()->setProperty(QStringLiteral("margin"), QStringLiteral("1px 2px"));
    sheet->cssRules().item(0)->style()->removeProperty(QStringLiteral("margin-top"));
    const DOMCSSRulePtr keyframes = ruleOfType(*sheet, DOMCSSRule::KEYFRAMES_RULE);
    ASSERT_TRUE(keyframes);
    keyframes->appendRule(QStringLiteral("50% { opacity: 0.5 }"));
    keyframes->deleteRuleWithKey(QStringLiteral("from"));
    keyframes->findRule(QStringLiteral("to"))->style()->setProperty(QStringLiteral("opacity"), QStringLiteral("0.75"));
    sheet->cssRules().item(0)->setSelectorText(QStringLiteral("div.a"));
    ASSERT_TRUE(sheet->deleteRule(sheet->indexOfRule(media)));

    ASSERT_TRUE(fixture->settle());
    DOMStyleSheetList &sheets = fixture->mainFrame().document()->styleSheets();
    EXPECT_EQ(sheets.debugDump(), fixture->evaluate(QString::fromLatin1(s_dumpScript)).toString());
    // The engine's serialisation replaced the written value.
    EXPECT_EQ(added->style()->getPropertyValue(QStringLiteral("background-color")), QStringLiteral("rgb(170, 187, 204)"));
    EXPECT_EQ(added->style()->getPropertyPriority(QStringLiteral("background-color")), QStringLiteral("important"));
    // Rules the program made are known to the page by their ids.
    EXPECT_EQ(sheets.ruleForId(added->ruleId()), added);
    added->style()->setProperty(QStringLiteral("width"), QStringLiteral("10px"));
    ASSERT_TRUE(fixture->settle());
    EXPECT_EQ(fixture->evaluate(QStringLiteral("document.getElementById('inline').sheet.cssRules[1].style.width")).toString(),
              QStringLiteral("10px"));
}

TEST(WebLiveStyleSheet, InvalidRuleIsRefusedAtOnceAndChangesNeitherSide)
{
    const auto fixture = loadedFixture();
    ASSERT_TRUE(fixture);
    const DOMCSSStyleSheetPtr sheet = inlineSheet(*fixture);
    ASSERT_TRUE(sheet);
    const QString before = fixture->mainFrame().document()->styleSheets().debugDump();
    const struct
    {
        const char *text;
        int index;
        int code;
    } cases[] = {
        {".x { color: red } .y { }", 0, 12},
        {"p::-moz-selection { color: red }", 0, 12},
        {"@charset \"utf-8\";", 0, 12},
        {"", 0, 12},
        {"50% { top: 0 }", 0, 12},
        {"@import url(x.css);", 1, 3},
        {".z { }", 99, 1},
    };
    for (const auto &row : cases) {
        const DOMCSSInsertion result = sheet->insertRule(QString::fromUtf8(row.text), row.index);
        EXPECT_EQ(result.exceptionCode, row.code) << row.text;
    }
    const DOMCSSRulePtr media = ruleOfType(*sheet, DOMCSSRule::MEDIA_RULE);
    EXPECT_EQ(media->insertRule(QStringLiteral("@import url(x.css);"), 0).exceptionCode, 3);
    EXPECT_FALSE(fixture->view().bridge().hasPendingCommands());
    ASSERT_TRUE(fixture->settle());
    EXPECT_EQ(fixture->mainFrame().document()->styleSheets().debugDump(), before);
    EXPECT_EQ(fixture->evaluate(QString::fromLatin1(s_dumpScript)).toString(), before);
}

// The same texts and places, put to the engine in a scratch sheet of the
// page: the mirror refuses what the engine refuses, with the same code.
TEST(WebLiveStyleSheet, InsertionChecksAgreeWithTheEngine)
{
    const auto fixture = loadedFixture();
    ASSERT_TRUE(fixture);
    const DOMCSSStyleSheetPtr sheet = inlineSheet(*fixture);
    ASSERT_TRUE(sheet);
    const QStringList texts = {
        QStringLiteral("p {"), QStringLiteral("a:hover > b ~ i + u { color: red }"), QStringLiteral("div:not(.a, #b) {}"),
        QStringLiteral("::selection { color: red }"), QStringLiteral("p:unknown-class {}"), QStringLiteral("p[ {}"),
        QStringLiteral("@media screen { .a {} }"), QStringLiteral("@supports (display: grid) { .g {} }"),
        QStringLiteral("@keyframes k { 0% { top: 0 } }"), QStringLiteral("@-webkit-keyframes k { to { top: 0 } }"),
        QStringLiteral("@font-face { font-family: X; }"), QStringLiteral("@page { margin: 1in }"),
        QStringLiteral("@namespace svg url(http://www.w3.org/2000/svg);"), QStringLiteral("@unknown {}"),
        QStringLiteral("@media screen"), QStringLiteral("p { } /* trailing */"), QStringLiteral("/* only */"),
        QStringLiteral("@import url(a.css);"), QStringLiteral("  .spaced  >  p  { color : red ; }"),
    };
    // Ask the engine in one script: the code of each insertion into a copy of the inline sheet.
    QString script = QStringLiteral("(function(){ const s = document.createElement('style'); s.textContent = "
                                    "document.getElementById('inline').textContent; document.head.appendChild(s); "
                                    "const out = []; const texts = %1; for (const t of texts) for (const i of [0, 1, 3, 9]) {"
                                    " try { s.sheet.insertRule(t, i); s.sheet.deleteRule(i); out.push(0); }"
                                    " catch (e) { out.push(e.code); } } s.remove(); return out; })()");
    QStringList quoted;
    for (const QString &text : texts)
        quoted.append(QLatin1Char('"') + QString(text).replace(QLatin1Char('"'), QLatin1String("\\\"")) + QLatin1Char('"'));
    const QVariantList codes = fixture->evaluate(script.arg(QLatin1Char('[') + quoted.join(QLatin1Char(',')) + QLatin1Char(']'))).toList();
    ASSERT_EQ(codes.size(), texts.size() * 4);
    int at = 0;
    for (const QString &text : texts) {
        for (const int index : {0, 1, 3, 9}) {
            const DOMCSSInsertion mirrored = DOMCSSStyleSheet::checkInsertion(sheet->cssRules(), text, index, false, nullptr);
            EXPECT_EQ(mirrored.exceptionCode, codes.at(at).toInt()) << qPrintable(text) << " at " << index;
            ++at;
        }
    }
}

TEST(WebLiveStyleSheet, PrefixedNameTheEngineDoesNotKnowIsWrittenUnprefixed)
{
    const auto fixture = loadedFixture();
    ASSERT_TRUE(fixture);
    const DOMCSSStyleSheetPtr sheet = inlineSheet(*fixture);
    ASSERT_TRUE(sheet);
    const DOMCSSRulePtr rule = sheet->cssRules().item(0);
    rule->style()->setProperty(QStringLiteral("-webkit-grid-template-columns"), QStringLiteral("1fr 2fr"));
    rule->style()->setProperty(QStringLiteral("-webkit-transform"), QStringLiteral("rotate(1deg)"));
    EXPECT_EQ(rule->style()->getPropertyValue(QStringLiteral("grid-template-columns")), QStringLiteral("1fr 2fr"));
    ASSERT_TRUE(fixture->settle());
    EXPECT_EQ(fixture->evaluate(QStringLiteral("document.getElementById('inline').sheet.cssRules[0].style.gridTemplateColumns")).toString(),
              QStringLiteral("1fr 2fr"));
    // The engine knows the prefixed transform and reports it unprefixed.
    EXPECT_EQ(rule->style()->getPropertyValue(QStringLiteral("transform")), QStringLiteral("rotate(1deg)"));
    EXPECT_EQ(fixture->mainFrame().document()->styleSheets().debugDump(), fixture->evaluate(QString::fromLatin1(s_dumpScript)).toString());
}

TEST(WebLiveStyleSheet, StyleElementsAddedByEitherSideBringTheirSheets)
{
    const auto fixture = loadedFixture();
    ASSERT_TRUE(fixture);
    DOMDocument *document = fixture->mainFrame().document();
    DOMStyleSheetList &sheets = document->styleSheets();
    DOMElementPtr style = document->createElement(QStringLiteral("style"));
    style->setTextContent(QStringLiteral(".mine { color: blue; }"));
    document->head()->appendChild(style);
    ASSERT_TRUE(TestUtil::waitUntil([&] { return sheets.length() == 3; }));
    EXPECT_EQ(sheets.item(2)->ownerNode(), style.get());
    EXPECT_EQ(sheets.item(2)->cssRules().item(0)->selectorText(), QStringLiteral(".mine"));

    fixture->evaluate(QStringLiteral("var s = document.createElement('style'); s.textContent = '.theirs { top: 0 }';"
                                     "document.head.appendChild(s); document.getElementById('inline').remove();"),
                      WebTestFixture::World::Page);
    ASSERT_TRUE(TestUtil::waitUntil([&] { return sheets.length() == 3 && sheets.item(2)->ownerNode() != style.get(); }));
    ASSERT_TRUE(fixture->settle());
    EXPECT_EQ(sheets.debugDump(), fixture->evaluate(QString::fromLatin1(s_dumpScript)).toString());
    EXPECT_EQ(sheets.item(1)->ownerNode(), style.get());
}

TEST(WebLiveStyleSheet, RulesThePageScriptInsertsReachTheMirror)
{
    const auto fixture = loadedFixture();
    ASSERT_TRUE(fixture);
    const DOMCSSStyleSheetPtr sheet = inlineSheet(*fixture);
    ASSERT_TRUE(sheet);
    const DOMCSSRulePtr first = sheet->cssRules().item(0);
    fixture->evaluate(QStringLiteral("document.getElementById('inline').sheet.insertRule('.late { color: red }', 1)"),
                      WebTestFixture::World::Page);
    // The next exchange with the page brings the change.
    ASSERT_TRUE(fixture->settle());
    EXPECT_EQ(fixture->mainFrame().document()->styleSheets().debugDump(),
              fixture->evaluate(QString::fromLatin1(s_dumpScript)).toString());
    EXPECT_EQ(inlineSheet(*fixture), sheet);
    EXPECT_EQ(sheet->cssRules().item(0), first);
    EXPECT_EQ(sheet->cssRules().item(1)->selectorText(), QStringLiteral(".late"));
    // The program's own insertions are not sent back.
    const int before = sheet->cssRules().length();
    ASSERT_TRUE(sheet->insertRule(QStringLiteral(".mine { top: 0 }"), 0));
    ASSERT_TRUE(fixture->settle());
    EXPECT_EQ(sheet->cssRules().length(), before + 1);
    EXPECT_EQ(sheet->cssRules().item(1), first);
}

// A sheet's new text (typed into its code view) reaches the page's copy as
// a load would read it; the rules it keeps stay the same objects, changed in
// place, in the mirror as in the page (#84).
TEST(WebLiveStyleSheet, SheetFollowsANewTextKeepingTheRulesThatStay)
{
    const auto fixture = loadedFixture();
    ASSERT_TRUE(fixture);
    DOMStyleSheetList &sheets = fixture->mainFrame().document()->styleSheets();
    const DOMCSSStyleSheetPtr site = sheets.item(0);
    QList<DOMCSSRulePtr> held;
    for (int i = 0; i < site->cssRules().length(); ++i)
        held.append(site->cssRules().item(i));
    ASSERT_EQ(held.size(), 8);
    // A value changed, a rule added, one taken out, a block's rules changed
    // and added to, and a keyframes block at the end.
    const QByteArray text = QByteArray(s_siteCss)
                                .replace("margin: 0;", "margin: 2px;")
                                .replace(".panel > p { border: 1px solid #ccc; }", ".panel > p { border: 1px solid #ccc; }\n.added { color: red; }")
                                .replace("@page :first { margin: 1in; }\n", "")
                                .replace(".grid { display: grid; }", ".grid { display: grid; gap: 1px; } .more { color: blue; }")
                            + "@keyframes spin { to { opacity: 1; } }\n";
    // Given faster than the page reads them, the texts end with the last.
    for (int i = 3; i < 9; ++i)
        ASSERT_TRUE(site->followText(QString::fromUtf8(QByteArray(text).replace("2px", QByteArray::number(i) + "px"))));
    ASSERT_TRUE(site->followText(QString::fromUtf8(text)));
    ASSERT_TRUE(fixture->settle());
    ASSERT_TRUE(TestUtil::waitUntil([&] { return site->cssRules().length() == 9; }));
    const QString dump = fixture->evaluate(QString::fromLatin1(s_dumpScript)).toString();
    EXPECT_EQ(sheets.debugDump(), dump);
    QStringList mirrored;
    appendDeclarations(site->cssRules(), mirrored);
    appendDeclarations(inlineSheet(*fixture)->cssRules(), mirrored);
    EXPECT_EQ(mirrored.join(u'\n'), fixture->evaluate(QString::fromLatin1(s_declarationsScript)).toString());
    const QList<DOMCSSRulePtr> kept{held[0], held[1], held[2], nullptr, held[3], held[4], held[6], held[7], nullptr};
    for (int i = 0; i < kept.size(); ++i) {
        if (kept[i]) {
            EXPECT_EQ(site->cssRules().item(i), kept[i]) << i;
        }
    }
    EXPECT_EQ(held[5]->parentStyleSheet(), nullptr);
    EXPECT_EQ(held[4]->cssRules().length(), 2);

    // The page took the text as a load of it reads.
    fixture->writeFile(QStringLiteral("css/next.css"), text);
    fixture->writeFile(QStringLiteral("next.html"), QByteArray(s_page).replace("css/site.css", "css/next.css"));
    ASSERT_TRUE(fixture->loadPage(QStringLiteral("next.html")));
    ASSERT_TRUE(TestUtil::waitUntil([&] { return fixture->mainFrame().document()->styleSheets().length() == 2; }));
    const QString loaded = fixture->evaluate(QString::fromLatin1(s_dumpScript)).toString();
    EXPECT_EQ(QString(dump).replace(QStringLiteral("css/site.css"), QStringLiteral("css/next.css")), loaded);
}

// The undo of a deletion puts the same rule object back, with its id, in the
// mirror and in the page; the rules inside it keep theirs too (#15).
TEST(WebLiveStyleSheet, DeletedRuleComesBackWithItsIdsOnUndo)
{
    const auto fixture = loadedFixture();
    ASSERT_TRUE(fixture);
    DOMStyleSheetList &sheets = fixture->mainFrame().document()->styleSheets();
    const DOMCSSStyleSheetPtr sheet = inlineSheet(*fixture);
    ASSERT_TRUE(sheet);
    const DOMCSSRulePtr media = ruleOfType(*sheet, DOMCSSRule::MEDIA_RULE);
    ASSERT_TRUE(media);
    const DOMCSSRulePtr inner = media->cssRules().item(0);
    const qint64 mediaId = media->ruleId();
    const qint64 innerId = inner->ruleId();
    const QString text = media->cssText();
    const int index = sheet->indexOfRule(media);

    InspectUndoManager undo;
    ASSERT_TRUE(sheet->deleteRule(index));
    undo.prepareWithInvocationTarget(sheet, [target = std::weak_ptr<DOMCSSStyleSheet>(sheet), media, index] {
        if (const DOMCSSStyleSheetPtr held = target.lock())
            held->insertRule(media, index);
    });
    undo.loopEnd();
    ASSERT_TRUE(fixture->settle());
    EXPECT_EQ(sheets.debugDump(), fixture->evaluate(QString::fromLatin1(s_dumpScript)).toString());
    EXPECT_EQ(media->cssText(), text);
    EXPECT_EQ(media->parentStyleSheet(), nullptr);

    undo.undo();
    // A write inside the rule in the same turn reaches the page's copy.
    inner->style()->setProperty(QStringLiteral("padding-top"), QStringLiteral("3px"));
    EXPECT_EQ(sheet->cssRules().item(index), media);
    ASSERT_TRUE(fixture->settle());
    EXPECT_EQ(sheets.debugDump(), fixture->evaluate(QString::fromLatin1(s_dumpScript)).toString());
    EXPECT_EQ(media->ruleId(), mediaId);
    EXPECT_EQ(inner->ruleId(), innerId);
    EXPECT_EQ(sheets.ruleForId(mediaId), media);
    EXPECT_EQ(sheets.ruleForId(innerId), inner);
    const QString pageRule = QStringLiteral("document.getElementById('inline').sheet.cssRules[%1]").arg(index);
    EXPECT_EQ(fixture->evaluate(pageRule + QStringLiteral(".cssRules[0].style.paddingTop")).toString(), QStringLiteral("3px"));
    // The page knows the rule by its id again.
    media->media()->setMediaText(QStringLiteral("screen and (min-width: 20px)"));
    ASSERT_TRUE(fixture->settle());
    EXPECT_EQ(fixture->evaluate(pageRule + QStringLiteral(".media.mediaText")).toString(),
              QStringLiteral("screen and (min-width: 20px)"));
}

// The page's answer to a write of a block, coming after the program changed
// the rules inside it, put back what the program had taken out (a quick Undo
// after another): the mirror then held a rule the page no longer had (#77).
TEST(WebLiveStyleSheet, TheAnswerToAnEarlierWriteLeavesALaterChangeInsideTheBlockAlone)
{
    const auto fixture = loadedFixture();
    ASSERT_TRUE(fixture);
    DOMStyleSheetList &sheets = fixture->mainFrame().document()->styleSheets();
    const DOMCSSStyleSheetPtr sheet = inlineSheet(*fixture);
    ASSERT_TRUE(sheet);
    const DOMCSSRulePtr media = ruleOfType(*sheet, DOMCSSRule::MEDIA_RULE);
    ASSERT_TRUE(media && media->cssRules().length() == 1);
    const int index = sheet->indexOfRule(media);
    ASSERT_TRUE(sheet->deleteRule(index));
    ASSERT_TRUE(fixture->settle());

    // The block back, sent; before the page answers, the rule inside it goes.
    ASSERT_TRUE(sheet->insertRule(media, index));
    TestUtil::spin(0);
    ASSERT_TRUE(media->deleteRule(0));
    ASSERT_TRUE(fixture->settle());
    EXPECT_EQ(media->cssRules().length(), 0);
    EXPECT_EQ(sheets.debugDump(), fixture->evaluate(QString::fromLatin1(s_dumpScript)).toString());

    // And one added to it in the same way stays, known by its id.
    ASSERT_TRUE(sheet->deleteRule(index));
    ASSERT_TRUE(fixture->settle());
    ASSERT_TRUE(sheet->insertRule(media, index));
    TestUtil::spin(0);
    ASSERT_TRUE(media->insertRule(QStringLiteral(".x { top: 1px; }"), 0));
    const DOMCSSRulePtr added = media->cssRules().item(0);
    ASSERT_TRUE(fixture->settle());
    EXPECT_EQ(media->cssRules().item(0), added);
    EXPECT_EQ(sheets.ruleForId(added->ruleId()), added);
    EXPECT_EQ(sheets.debugDump(), fixture->evaluate(QString::fromLatin1(s_dumpScript)).toString());
}

// The rules panel may hold the sheet of a style element that goes away.
TEST(WebLiveStyleSheet, SheetOfARemovedStyleElementStaysReadableWhileHeld)
{
    const auto fixture = loadedFixture();
    ASSERT_TRUE(fixture);
    DOMDocument *document = fixture->mainFrame().document();
    DOMStyleSheetList &sheets = document->styleSheets();
    DOMCSSStyleSheetPtr sheet = inlineSheet(*fixture);
    ASSERT_TRUE(sheet);
    const QString dump = sheet->cssRules().item(0)->cssText();
    const DOMCSSRulePtr rule = sheet->cssRules().item(0);

    document->getElementById(QStringLiteral("inline"))->parentNode()->removeChild(document->getElementById(QStringLiteral("inline")));
    ASSERT_TRUE(TestUtil::waitUntil([&] { return sheets.length() == 1; }));
    ASSERT_TRUE(fixture->settle());
    EXPECT_EQ(sheet->cssRules().length(), 3);
    EXPECT_EQ(rule->cssText(), dump);
    EXPECT_EQ(rule->parentStyleSheet(), sheet);
    EXPECT_EQ(sheet->ownerNode(), nullptr);
    EXPECT_EQ(sheets.ruleForId(rule->ruleId()), nullptr);
    // Writes to it change the held copy and nothing in the page.
    rule->style()->setProperty(QStringLiteral("color"), QStringLiteral("blue"));
    EXPECT_FALSE(fixture->view().bridge().hasPendingCommands());
    EXPECT_EQ(sheets.debugDump(), fixture->evaluate(QString::fromLatin1(s_dumpScript)).toString());
    // Letting the sheet go while the rule is held leaves the rule whole.
    sheet.reset();
    EXPECT_EQ(rule->parentStyleSheet(), nullptr);
    EXPECT_EQ(rule->style()->getPropertyValue(QStringLiteral("color")), QStringLiteral("blue"));
}

// Sheets whose text is longer than one message part reach the mirror whole:
// those the page has at DOMContentLoaded with the document, later ones when
// they come.
TEST(WebLiveStyleSheet, LongSheetsArriveWholeWithTheDocumentAndLater)
{
    const auto rules = [](const char *prefix) {
        QByteArray text;
        for (int i = 0; i < 2000; ++i) {
            text += "." + QByteArray(prefix) + QByteArray::number(i)
                + " { margin: 0 " + QByteArray::number(i) + "px; content: \"a;b\\\"c\"; }\n";
            if (i % 500 == 0)
                text += "@media print { .p" + QByteArray::number(i) + " { color: red !important; } }\n";
        }
        return text;
    };
    const auto fixture = std::make_unique<WebTestFixture>(WebTestFixture::sharedView());
    fixture->writeFile(QStringLiteral("index.html"),
                       "<!DOCTYPE html><html><head><style>" + rules("early") + "</style></head><body></body></html>");
    ASSERT_TRUE(fixture->loadPage(QStringLiteral("index.html")));
    DOMStyleSheetList &sheets = fixture->mainFrame().document()->styleSheets();
    ASSERT_EQ(sheets.length(), 1);
    EXPECT_EQ(sheets.item(0)->cssRules().length(), 2004);
    EXPECT_EQ(sheets.debugDump(), fixture->evaluate(QString::fromLatin1(s_dumpScript)).toString());

    fixture->evaluate(QStringLiteral("var s = document.createElement('style'); s.textContent = %1;"
                                     "document.head.appendChild(s);")
                          .arg(QString::fromLatin1(QJsonDocument(QJsonArray{QString::fromLatin1(rules("late"))})
                                                       .toJson(QJsonDocument::Compact)
                                                       .sliced(1)
                                                       .chopped(1))),
                      WebTestFixture::World::Page);
    ASSERT_TRUE(TestUtil::waitUntil([&] { return sheets.length() == 2; }));
    EXPECT_EQ(sheets.debugDump(), fixture->evaluate(QString::fromLatin1(s_dumpScript)).toString());
    QStringList lines;
    for (int i = 0; i < sheets.length(); ++i)
        appendDeclarations(sheets.item(i)->cssRules(), lines);
    EXPECT_EQ(lines.join(QLatin1Char('\n')), fixture->evaluate(QString::fromLatin1(s_declarationsScript)).toString());
}

} // namespace WebLiveStyleSheetTest

// A sheet nested deeper than any page needs (here 6,000 @media blocks) is
// read down to a sane depth: its other rules reach the mirror, the matched
// rules are found, and one log line names the sheet (#65).
TEST(WebLiveStyleSheet, DeeplyNestedRulesLeaveTheRestOfTheSheetReadable)
{
    WebTestFixture fixture(WebTestFixture::sharedView());
    const int levels = 6000;
    QByteArray css = "p.before { color: red; }\n";
    for (int i = 0; i < levels; ++i)
        css += i == 1 ? "@media screen { .shallow { color: green; }\n" : "@media screen {\n";
    css += "p.deepest { color: blue; }";
    css += QByteArray(levels, '}');
    css += "\nspan.after { color: green; }\n";
    fixture.writeFile(QStringLiteral("deep.css"), css);
    fixture.writeFile(QStringLiteral("index.html"),
                      "<!DOCTYPE html><link rel=stylesheet href=deep.css><p id=p class='before shallow deepest'>p</p>");
    StandardErrorCapture log;
    ASSERT_TRUE(fixture.loadPage(QStringLiteral("index.html")));
    DOMDocument *document = fixture.mainFrame().document();
    DOMStyleSheetList &sheets = document->styleSheets();
    ASSERT_TRUE(TestUtil::waitUntil([&] { return sheets.length() == 1; }));
    const DOMCSSRuleList rules = sheets.item(0)->cssRules();
    ASSERT_EQ(rules.length(), 3);
    EXPECT_EQ(rules.item(0)->selectorText(), QStringLiteral("p.before"));
    EXPECT_EQ(rules.item(2)->selectorText(), QStringLiteral("span.after"));
    // The nesting goes down as far as the mirror keeps it, the shallow rule in it.
    int depth = 1;
    DOMCSSRulePtr media = rules.item(1);
    ASSERT_EQ(media->type(), DOMCSSRule::MEDIA_RULE);
    EXPECT_EQ(media->cssRules().item(0)->cssRules().item(0)->selectorText(), QStringLiteral(".shallow"));
    while (media->cssRules().length() > 0) {
        media = media->cssRules().item(media->cssRules().length() - 1);
        ++depth;
    }
    EXPECT_GE(depth, 32);
    EXPECT_LT(depth, levels);

    DOMElement *p = document->getElementById(QStringLiteral("p"));
    QStringList matched;
    for (const DOMMatchedRule &rule : document->getMatchedCSSRules(p, QString(), true))
        matched.append(rule.cssText.section(QLatin1Char(' '), 0, 0));
    EXPECT_TRUE(matched.contains(QStringLiteral("p.before"))) << qPrintable(matched.join(u' '));
    EXPECT_TRUE(matched.contains(QStringLiteral(".shallow"))) << qPrintable(matched.join(u' '));
    // A rule the page's script adds sends the sheet again, the same way.
    fixture.evaluate(QStringLiteral("document.styleSheets[0].insertRule('.late { color: red }', 3)"),
                     WebTestFixture::World::Page);
    ASSERT_TRUE(fixture.settle());
    ASSERT_EQ(sheets.item(0)->cssRules().length(), 4);
    EXPECT_EQ(sheets.item(0)->cssRules().item(3)->selectorText(), QStringLiteral(".late"));

    // Nodes nested as deep as the page's script makes them reach the mirror too.
    fixture.evaluate(QStringLiteral("let e = document.body; for (let i = 0; i < 2000; ++i) "
                                    "e = e.appendChild(document.createElement('i')); e.id = 'bottom';"),
                     WebTestFixture::World::Page);
    ASSERT_TRUE(TestUtil::waitUntil([&] { return document->getElementById(QStringLiteral("bottom")); }));
    const QString text = log.text();
    EXPECT_EQ(text.count(QLatin1String("deep.css")), 1) << qPrintable(text);
    EXPECT_FALSE(text.contains(QLatin1String("call stack"))) << qPrintable(text);
}

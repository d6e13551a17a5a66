#include "TestPrinters.h"
#include "TestUtil.h"
#include "WebTestFixture.h"

#include "platform/web/cssom/DOMCSSRule.h"
#include "platform/web/cssom/DOMCSSStyleSheet.h"
#include "platform/web/cssom/DOMStyleSheetList.h"
#include "platform/web/dom/DOMDocument.h"
#include "platform/web/engine/WebFrameMirror.h"

#include <QJsonArray>
#include <QJsonDocument>

#include <gtest/gtest.h>

namespace DOMDocumentStyleRulesTest {

namespace {

const QByteArray s_page = R"(<!DOCTYPE html>
<html><head><link rel="stylesheet" href="site.css">
<style>
.a { color: red; }
@media screen and (min-width: 10px) { .b { margin: 0px; } @media print { .c { color: blue; } } }
@keyframes spin { from { opacity: 0; } to { opacity: 1; } }
.d { color: green; }
</style></head>
<body><div class="a b d">x</div></body></html>)";

// The page's rules as the engine lists them: imported sheets followed, and
// grouping rules too when asked.
QStringList engineRules(WebTestFixture &fixture, bool intoGroups)
{
    const QString script = QStringLiteral(R"JS((function () {
        const out = [];
        const walk = (rules) => {
            for (const rule of rules) {
                out.push(rule.cssText);
                if (rule.type === 3 && rule.styleSheet) walk(rule.styleSheet.cssRules);
                else if (%1 && (rule.type === 4 || rule.type === 7)) walk(rule.cssRules);
            }
        };
        for (const sheet of document.styleSheets) walk(sheet.cssRules);
        return JSON.stringify(out);
    })())JS")
                               .arg(intoGroups ? QStringLiteral("true") : QStringLiteral("false"));
    QStringList texts;
    for (const QJsonValue &text : QJsonDocument::fromJson(fixture.evaluate(script).toString().toUtf8()).array())
        texts.append(text.toString());
    return texts;
}

QStringList textsOf(const QList<DOMCSSRulePtr> &rules)
{
    QStringList texts;
    for (const DOMCSSRulePtr &rule : rules)
        texts.append(rule->cssText());
    return texts;
}

} // namespace

TEST(DOMDocumentStyleRules, AllRulesFollowImportsInDocumentOrderAsTheEngineListsThem)
{
    WebTestFixture fixture(WebTestFixture::sharedView());
    fixture.writeFile(QStringLiteral("site.css"), "@import url(\"parts.css\");\nbody { margin: 0px; }\n");
    fixture.writeFile(QStringLiteral("parts.css"), ".part { color: green; }\n");
    fixture.writeFile(QStringLiteral("index.html"), s_page);
    ASSERT_TRUE(fixture.loadPage(QStringLiteral("index.html")));
    DOMDocument *document = fixture.mainFrame().document();
    ASSERT_TRUE(TestUtil::waitUntil([&] { return document->styleSheets().length() == 2; }));

    const QList<DOMCSSRulePtr> rules = document->allRules();
    EXPECT_EQ(textsOf(rules), engineRules(fixture, false));
    ASSERT_EQ(rules.size(), 7);
    EXPECT_EQ(rules.at(0)->type(), DOMCSSRule::IMPORT_RULE);
    EXPECT_EQ(rules.at(1)->cssText(), QStringLiteral(".part { color: green; }"));
    EXPECT_EQ(rules.at(4)->type(), DOMCSSRule::MEDIA_RULE);
    EXPECT_EQ(rules.at(5)->type(), DOMCSSRule::KEYFRAMES_RULE);

    // Into the grouping rules as well: nested media rules and the keyframes.
    QList<DOMCSSRulePtr> all;
    for (const DOMCSSStyleSheetPtr &sheet : document->styleSheets().sheets())
        DOMDocument::childRulesByRule(sheet->cssRules(), all, DOMDocument::ImportOnly::No);
    EXPECT_EQ(textsOf(all), engineRules(fixture, true));
    EXPECT_EQ(all.size(), 12);

    EXPECT_FALSE(document->keyframeStyleBy(QStringLiteral("spin"), QStringLiteral("from")));
    document->printCSSStructure();
}

} // namespace DOMDocumentStyleRulesTest

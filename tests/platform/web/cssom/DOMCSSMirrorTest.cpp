#include "WebTestUtil.h"

#include "platform/web/cssom/DOMCSSParser.h"
#include "platform/web/cssom/DOMCSSRule.h"
#include "platform/web/cssom/DOMCSSStyleSheet.h"
#include "platform/web/cssom/DOMSelectorSpecificity.h"
#include "platform/web/cssom/DOMStyleSheetList.h"
#include "platform/web/cssom/UserAgentStyleSheet.h"
#include "platform/web/dom/DOMDocument.h"
#include "platform/web/dom/DOMElement.h"
#include "platform/web/html/HTMLParser.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QLoggingCategory>
#include <QRandomGenerator>

#include <functional>

#include <gtest/gtest.h>

namespace {

// A sheet list as the engine would report it, with the program's commands collected.
struct MirroredSheets
{
    explicit MirroredSheets(const QByteArray &json)
    {
        list.readFromEngine(QJsonDocument::fromJson(json).array());
        list.setCommandHandler([this](const QJsonObject &command) { commands.append(command); });
    }

    QStringList ops() const
    {
        QStringList names;
        for (const QJsonObject &command : commands)
            names.append(command.value(QStringLiteral("op")).toString());
        return names;
    }

    DOMStyleSheetList list;
    QList<QJsonObject> commands;
};

const QByteArray s_sheets = R"JSON([{"id": 1, "href": null, "owner": 0, "media": "", "rules": [
    {"id": 2, "type": 1, "sel": ".a, .b > p", "css": "color: red; margin: 0px;",
     "items": [["color", "red", ""], ["margin-top", "0px", ""], ["margin-right", "0px", ""],
               ["margin-bottom", "0px", ""], ["margin-left", "0px", ""]]},
    {"id": 3, "type": 4, "media": "screen and (min-width: 10px)", "rules": [
        {"id": 4, "type": 1, "sel": ".c", "css": "padding: 1px;"},
        {"id": 5, "type": 1, "sel": ".d", "css": ""}]},
    {"id": 6, "type": 7, "name": "spin", "prefixed": true, "rules": [
        {"id": 7, "type": 8, "key": "0%", "css": "opacity: 0;"},
        {"id": 8, "type": 8, "key": "100%", "css": "opacity: 1;"}]},
    {"id": 9, "type": 2, "text": "@charset \"utf-8\";"}
]}])JSON";

} // namespace

TEST(DOMCSSParser, ReadsRulesAsTheEngineWould)
{
    QString error;
    const std::optional<DOMCSSParsedRule> open = DOMCSSParser::parseRule(QStringLiteral("p { color: red"), &error);
    ASSERT_TRUE(open) << qPrintable(error);
    EXPECT_EQ(open->declarations, QList<DOMCSSDeclaration>({{QStringLiteral("color"), QStringLiteral("red"), QString()}}));

    const auto rule = DOMCSSParser::parseRule(QStringLiteral(
        "/* c */ .x:not(.y) > a[href='}'] { COLOR: Red ! IMPORTANT; background: url(\"a;b.png\"); bad; --v: {x} }"));
    ASSERT_TRUE(rule);
    EXPECT_EQ(rule->prelude, QStringLiteral(".x:not(.y) > a[href='}']"));
    ASSERT_EQ(rule->declarations.size(), 3);
    EXPECT_EQ(rule->declarations.at(0), (DOMCSSDeclaration{QStringLiteral("color"), QStringLiteral("Red"), QStringLiteral("important")}));
    EXPECT_EQ(rule->declarations.at(1).value, QStringLiteral("url(\"a;b.png\")"));
    EXPECT_EQ(rule->declarations.at(2).name, QStringLiteral("--v"));

    const auto media = DOMCSSParser::parseRule(QStringLiteral("@media screen { .a { top: 0 } 50% { } .b { } }"));
    ASSERT_TRUE(media);
    EXPECT_EQ(media->type, 4);
    EXPECT_EQ(media->children.size(), 2); // the bad inner rule is dropped
    const auto keyframes = DOMCSSParser::parseRule(QStringLiteral("@-webkit-keyframes k { from { top: 0 } TO { } x { } }"));
    ASSERT_TRUE(keyframes);
    ASSERT_EQ(keyframes->children.size(), 2);
    EXPECT_EQ(keyframes->children.at(0).prelude, QStringLiteral("0%"));
    EXPECT_EQ(keyframes->children.at(1).prelude, QStringLiteral("100%"));

    for (const char *bad : {"", "  /* */ ", "p { } q { }", "@unknown { }", "p", "@keyframes { }",
                            "@font-face x { }", "p:: { }"}) {
        EXPECT_FALSE(DOMCSSParser::parseRule(QString::fromUtf8(bad))) << bad;
    }
}

TEST(DOMCSSParser, SplitsOnlyAtTopLevelSeparators)
{
    EXPECT_EQ(DOMCSSParser::splitTopLevel(QStringLiteral("a, :is(b, c), [d=\",\"]"), QLatin1Char(',')),
              QStringList({QStringLiteral("a"), QStringLiteral(" :is(b, c)"), QStringLiteral(" [d=\",\"]")}));
    EXPECT_EQ(DOMCSSParser::normalizedKeyText(QStringLiteral("from, 50.0%,TO")), QStringLiteral("0%, 50%, 100%"));
    EXPECT_FALSE(DOMCSSParser::isValidKeyText(QStringLiteral("101%")));
}

TEST(DOMSelectorSpecificity, CountsAsTheCascadeDoes)
{
    const auto of = [](const char *selector) {
        const DOMSelectorSpecificity s = DOMSelectorSpecificity::of(QString::fromUtf8(selector));
        return QStringLiteral("%1,%2,%3").arg(s.ids).arg(s.classes).arg(s.types);
    };
    EXPECT_EQ(of("*"), QStringLiteral("0,0,0"));
    EXPECT_EQ(of("li"), QStringLiteral("0,0,1"));
    EXPECT_EQ(of("ul li.a[href]:hover::before"), QStringLiteral("0,3,3"));
    EXPECT_EQ(of("#x .y > p + a ~ b"), QStringLiteral("1,1,3"));
    EXPECT_EQ(of(":not(#a, .b) p"), QStringLiteral("1,0,1"));
    EXPECT_EQ(of(":where(#a) p"), QStringLiteral("0,0,1"));
    EXPECT_EQ(of("a:is(.x, span)"), QStringLiteral("0,1,1"));
    EXPECT_EQ(of("svg|rect"), QStringLiteral("0,0,1"));
    EXPECT_EQ(of("p:first-line"), QStringLiteral("0,0,2"));
    EXPECT_EQ(of("a, #b"), QStringLiteral("1,0,0"));
    EXPECT_EQ(of("[title=\"#x .y\"]"), QStringLiteral("0,1,0"));
    // As the engine counts them (#86).
    EXPECT_EQ(of(":-webkit-any(.a, #b)"), QStringLiteral("0,1,0"));
    EXPECT_EQ(of("::slotted(.x)"), QStringLiteral("0,1,1"));
    EXPECT_EQ(of(":host(.a)"), QStringLiteral("0,2,0"));
    EXPECT_EQ(of(":host-context(#x) .b"), QStringLiteral("1,2,0"));
}

TEST(DOMStyleSheetList, ReadsTheEnginesReportAndKeepsKnownSheets)
{
    MirroredSheets sheets(s_sheets);
    ASSERT_EQ(sheets.list.length(), 1);
    const DOMCSSStyleSheetPtr sheet = sheets.list.item(0);
    ASSERT_EQ(sheet->cssRules().length(), 4);
    const DOMCSSRulePtr style = sheet->cssRules().item(0);
    EXPECT_EQ(style->cssText(), QStringLiteral(".a, .b > p { color: red; margin: 0px; }"));
    EXPECT_EQ(style->style()->length(), 5);
    EXPECT_EQ(style->style()->item(1), QStringLiteral("margin-top"));
    EXPECT_EQ(style->style()->getPropertyValue(QStringLiteral("margin")), QStringLiteral("0px"));
    EXPECT_EQ(style->style()->getPropertyValue(QStringLiteral("MARGIN-LEFT")), QStringLiteral("0px"));
    EXPECT_EQ(style->parentStyleSheet(), sheet);
    const DOMCSSRulePtr media = sheet->cssRules().item(1);
    EXPECT_EQ(media->cssText(), QStringLiteral("@media screen and (min-width: 10px) {\n  .c { padding: 1px; }\n  .d { }\n}"));
    EXPECT_EQ(media->cssRules().item(0)->parentRule(), media);
    EXPECT_EQ(media->cssRules().item(0)->parentStyleSheet(), sheet);
    EXPECT_EQ(sheets.list.ruleForId(8), sheet->cssRules().item(2)->cssRules().item(1));
    EXPECT_EQ(sheet->cssRules().item(2)->cssText(), QStringLiteral("@-webkit-keyframes spin { \n  0% { opacity: 0; }\n  100% { opacity: 1; }\n}"));

    // Known sheets keep their objects; rules of dropped sheets leave the registry.
    sheets.list.readFromEngine(QJsonDocument::fromJson(R"([{"id": 1, "known": true}])").array());
    EXPECT_EQ(sheets.list.item(0), sheet);
    sheets.list.readFromEngine(QJsonArray());
    EXPECT_EQ(sheets.list.length(), 0);
    EXPECT_EQ(sheets.list.ruleForId(2), nullptr);
    EXPECT_TRUE(sheets.commands.isEmpty());
}

// Every field of every sheet and rule the mirror keeps, one line each.
static QString describeSheets(const DOMStyleSheetList &list)
{
    QStringList lines;
    std::function<void(const DOMCSSRulePtr &, int)> rule = [&](const DOMCSSRulePtr &r, int depth) {
        QString line = QString(depth * 2, QLatin1Char(' ')) + QString::number(r->ruleId()) + QLatin1Char(' ')
                       + r->cssText() + QStringLiteral(" | ") + r->name() + QLatin1Char('|') + r->keyText();
        if (const DOMCSSStyleDeclarationPtr style = r->style()) {
            for (int i = 0; i < style->length(); ++i) {
                const QString name = style->item(i);
                line += QLatin1Char(' ') + name + QLatin1Char('=') + style->getPropertyValue(name) + QLatin1Char('!')
                        + style->getPropertyPriority(name);
            }
        }
        lines.append(line + (r->parentRule() ? QStringLiteral(" in ") + QString::number(r->parentRule()->ruleId()) : QString()));
        if (const DOMCSSStyleSheetPtr sheet = r->styleSheet()) {
            lines.append(QStringLiteral("imported ") + QString::number(sheet->sheetId()) + QLatin1Char(' ') + sheet->href());
            for (int i = 0; i < sheet->cssRules().length(); ++i)
                rule(sheet->cssRules().item(i), depth + 1);
        }
        for (int i = 0; i < r->cssRules().length(); ++i)
            rule(r->cssRules().item(i), depth + 1);
    };
    for (const DOMCSSStyleSheetPtr &sheet : list.sheets()) {
        lines.append(QStringLiteral("sheet %1 %2 %3 %4 %5 %6 %7")
                         .arg(sheet->sheetId())
                         .arg(sheet->href(), sheet->title(), sheet->media()->mediaText())
                         .arg(sheet->disabled())
                         .arg(sheet->ownerNodeId())
                         .arg(sheet->isReadable()));
        for (int i = 0; i < sheet->cssRules().length(); ++i)
            rule(sheet->cssRules().item(i), 1);
    }
    return lines.join(QLatin1Char('\n'));
}

TEST(DOMStyleSheetList, ReadsSheetsGivenAsArraysLikeTheKeyedReport)
{
    const QByteArray keyed = R"JSON([{"id": 1, "href": "file:///a.css", "title": "t", "owner": 3, "media": "screen",
        "disabled": true, "rules": [
    {"id": 2, "type": 1, "sel": ".a", "css": "color: red !important; margin: 0px;",
     "items": [["color", "red", "important"], ["margin-top", "0px", ""], ["margin-right", "0px", ""],
               ["margin-bottom", "0px", ""], ["margin-left", "0px", ""]]},
    {"id": 3, "type": 4, "media": "print", "rules": [{"id": 4, "type": 1, "sel": ".c", "css": "padding: 1px;"}]},
    {"id": 5, "type": 7, "name": "spin", "prefixed": true, "rules": [{"id": 6, "type": 8, "key": "0%", "css": "opacity: 0;"}]},
    {"id": 7, "type": 12, "cond": "(display: grid)", "rules": []},
    {"id": 8, "type": 5, "css": "font-family: x;"},
    {"id": 9, "type": 3, "href": "b.css", "media": "all", "sheet": {"id": 10, "href": "file:///b.css", "owner": 0,
        "media": "", "rules": [{"id": 11, "type": 6, "sel": ":first", "css": "margin: 1px;"}]}},
    {"id": 12, "type": 2, "text": "@charset \"utf-8\";"}]},
    {"id": 13, "href": "http://other/c.css", "owner": 14, "media": "", "readable": false, "rules": []}])JSON";
    const QByteArray arrays = R"JSON([[1, "file:///a.css", "t", "screen", 1, 3, [
    [1, 2, ".a", "color: red !important; margin: 0px;",
     ["!color", "red", "margin-top", "0px", "margin-right", "0px", "margin-bottom", "0px", "margin-left", "0px"]],
    [4, 3, "print", [[1, 4, ".c", "padding: 1px;"]]],
    [7, 5, "spin", 1, [[8, 6, "0%", "opacity: 0;"]]],
    [12, 7, "(display: grid)", []],
    [5, 8, null, "font-family: x;"],
    [3, 9, "b.css", "all", [10, "file:///b.css", "", "", 0, 0, [[6, 11, ":first", "margin: 1px;"]]]],
    [2, 12, "@charset \"utf-8\";", null, 0]]],
    [13, "http://other/c.css", "", "", 0, 14, 0]])JSON";

    MirroredSheets fromKeys(keyed);
    MirroredSheets fromArrays(arrays);
    EXPECT_EQ(describeSheets(fromArrays.list), describeSheets(fromKeys.list));
    EXPECT_EQ(fromArrays.list.ruleForId(11)->parentStyleSheet()->ownerRule(), fromArrays.list.ruleForId(9));
    EXPECT_EQ(fromArrays.list.ruleForId(4)->parentStyleSheet(), fromArrays.list.item(0));
    EXPECT_EQ(fromArrays.list.sheetForId(10), fromArrays.list.ruleForId(9)->styleSheet());

    // Known sheets named by id keep their objects; those left out leave the registry.
    const DOMCSSStyleSheetPtr first = fromArrays.list.item(0);
    fromArrays.list.readFromEngine(QJsonDocument::fromJson("[[1], [20, null, \"\", \"\", 0, 0, []]]").array());
    ASSERT_EQ(fromArrays.list.length(), 2);
    EXPECT_EQ(fromArrays.list.item(0), first);
    EXPECT_EQ(fromArrays.list.item(1)->sheetId(), 20);
    EXPECT_EQ(fromArrays.list.sheetForId(13), nullptr);
    fromArrays.list.readFromEngine(QJsonArray());
    EXPECT_EQ(fromArrays.list.ruleForId(2), nullptr);
    EXPECT_EQ(fromArrays.list.sheetForId(10), nullptr);
    EXPECT_TRUE(fromArrays.commands.isEmpty());
}

TEST(DOMStyleSheetList, ReportThatIsNoListOfSheetsLeavesTheListAsItWas)
{
    MirroredSheets sheets(R"JSON([[1, null, "", "", 0, 0, [[1, 2, ".a", "color: red;"]]]])JSON");
    const DOMCSSStyleSheetPtr first = sheets.list.item(0);
    const struct
    {
        const char *name;
        QByteArray text;
    } rows[] = {
        {"cut short", R"([[1], [20, null, "")"},
        {"number for the address", R"([[21, 5, "", "", 0, 0, []]])"},
        {"rule without its selector", R"([[22, null, "", "", 0, 0, [[1, 23]]]])"},
        {"text after the list", R"([[1]] x)"},
    };
    for (const auto &row : rows) {
        EXPECT_FALSE(sheets.list.readFromEngine(QByteArrayView(row.text))) << row.name;
        ASSERT_EQ(sheets.list.length(), 1) << row.name;
        EXPECT_EQ(sheets.list.item(0), first) << row.name;
        EXPECT_EQ(sheets.list.ruleForId(2)->selectorText(), QStringLiteral(".a")) << row.name;
    }
    EXPECT_TRUE(sheets.list.readFromEngine(QByteArrayView(" [ [1] , [24, null, \"\", \"\", 0, 0, 0] ] ")));
    EXPECT_EQ(sheets.list.length(), 2);

    // An imported sheet with white space before its id reads as the others
    // do; numbers no id or type can be read as 0, not cast.
    ASSERT_TRUE(sheets.list.readFromEngine(QByteArrayView(
        R"([[25, null, "", "", 0, 1e300, [[3, 26, "b.css", "", [ 27, "b.css", "", "", 0, 0, []]], [1e300, -1e300, "x", null, 0]]]])")));
    const DOMCSSStyleSheetPtr imported = sheets.list.item(0);
    ASSERT_EQ(imported->cssRules().length(), 2);
    ASSERT_TRUE(imported->cssRules().item(0)->styleSheet());
    EXPECT_EQ(imported->ownerNodeId(), 0);
    EXPECT_EQ(imported->cssRules().item(1)->type(), 0);
    EXPECT_EQ(imported->cssRules().item(1)->ruleId(), 0);
}

TEST(DOMStyleSheetList, WritesChangeTheMirrorAtOnceAndAreReplayedByIdInOrder)
{
    MirroredSheets sheets(s_sheets);
    const DOMCSSStyleSheetPtr sheet = sheets.list.item(0);
    const DOMCSSRulePtr style = sheet->cssRules().item(0);
    style->style()->setProperty(QStringLiteral("Width"), QStringLiteral(" 10px "), QStringLiteral("important"));
    EXPECT_EQ(style->style()->getPropertyValue(QStringLiteral("width")), QStringLiteral("10px"));
    EXPECT_EQ(style->style()->getPropertyPriority(QStringLiteral("width")), QStringLiteral("important"));
    EXPECT_EQ(style->style()->removeProperty(QStringLiteral("color")), QStringLiteral("red"));
    EXPECT_EQ(style->cssText(), QStringLiteral(".a, .b > p { margin: 0px; width: 10px !important; }"));
    style->style()->setProperty(QStringLiteral("height"), QString()); // nothing to remove: nothing sent
    style->style()->setProperty(QStringLiteral("top"), QStringLiteral("1px"), QStringLiteral("bogus"));
    style->setSelectorText(QStringLiteral("a{"));
    EXPECT_EQ(style->selectorText(), QStringLiteral(".a, .b > p"));

    ASSERT_TRUE(sheet->insertRule(QStringLiteral(".new { top: 0 }"), 1));
    const DOMCSSRulePtr added = sheet->cssRules().item(1);
    EXPECT_LT(added->ruleId(), 0);
    EXPECT_EQ(sheets.list.ruleForId(added->ruleId()), added);
    const DOMCSSRulePtr keyframes = sheet->cssRules().item(3);
    keyframes->appendRule(QStringLiteral("50% { opacity: 0.5 }"));
    keyframes->appendRule(QStringLiteral("bad { }"));
    EXPECT_EQ(keyframes->cssRules().length(), 3);
    EXPECT_EQ(keyframes->findRule(QStringLiteral("to")), keyframes->cssRules().item(1));
    keyframes->deleteRuleWithKey(QStringLiteral("from"));
    EXPECT_EQ(keyframes->cssRules().length(), 2);
    ASSERT_TRUE(sheet->deleteRule(1));
    EXPECT_EQ(sheets.list.ruleForId(added->ruleId()), nullptr);
    EXPECT_EQ(added->parentStyleSheet(), nullptr);

    EXPECT_EQ(sheets.ops(), QStringList({QStringLiteral("setProperty"), QStringLiteral("removeProperty"),
                                         QStringLiteral("insertRule"), QStringLiteral("appendRule"),
                                         QStringLiteral("deleteRule"), QStringLiteral("deleteRule")}));
    EXPECT_EQ(sheets.commands.at(2).value(QStringLiteral("before")).toDouble(), 3.0);
    EXPECT_EQ(sheets.commands.at(4).value(QStringLiteral("rule")).toDouble(), 7.0);

    // The engine's answer replaces what was written.
    sheets.list.updateRuleFromEngine(QJsonDocument::fromJson(
        R"({"id": 2, "type": 1, "sel": ".a, .b > p", "css": "margin: 0px; width: 10px !important;"})").object());
    EXPECT_EQ(style->style()->length(), 2);
    EXPECT_EQ(sheets.commands.size(), 6);
}

TEST(DOMStyleSheetList, RuleTheEngineRefusesLeavesTheMirrorAgain)
{
    MirroredSheets sheets(s_sheets);
    QString refusedText;
    sheets.list.setRefusalHandler([&](const QString &text, const QString &) { refusedText = text; });
    const DOMCSSStyleSheetPtr sheet = sheets.list.item(0);
    const DOMCSSRulePtr media = sheet->cssRules().item(1);
    ASSERT_TRUE(media->insertRule(QStringLiteral(".z { }"), 2));
    const qint64 id = media->cssRules().item(2)->ruleId();
    sheets.list.ruleRefused(id, QStringLiteral("SyntaxError"));
    EXPECT_EQ(media->cssRules().length(), 2);
    EXPECT_EQ(refusedText, QStringLiteral(".z { }"));
    EXPECT_EQ(sheets.list.ruleForId(id), nullptr);
}

// The page changed the rules of a block (a sheet's new text): the rules it
// still has, by their ids, stay the objects the program holds (#84).
TEST(DOMStyleSheetList, BlockWhoseRulesCameOrWentKeepsTheObjectsOfThoseThatStayed)
{
    MirroredSheets sheets(s_sheets);
    const DOMCSSRulePtr media = sheets.list.item(0)->cssRules().item(1);
    const DOMCSSRulePtr c = media->cssRules().item(0);
    const DOMCSSRulePtr d = media->cssRules().item(1);
    sheets.list.updateRuleFromEngine(QJsonDocument::fromJson(R"({"id": 3, "type": 4, "media": "screen", "rules": [
        {"id": 4, "type": 1, "sel": ".c", "css": "padding: 2px;"},
        {"id": 10, "type": 1, "sel": ".new", "css": "color: red;"},
        {"id": 5, "type": 4, "media": "print", "rules": []}]})").object());
    ASSERT_EQ(media->cssRules().length(), 3);
    EXPECT_EQ(media->cssRules().item(0), c);
    EXPECT_TRUE(c->cssText().contains(QStringLiteral("2px"))) << c->cssText().toStdString();
    EXPECT_EQ(sheets.list.ruleForId(10), media->cssRules().item(1));
    // A rule that changed its type is another rule.
    EXPECT_NE(media->cssRules().item(2), d);
    EXPECT_EQ(d->parentRule(), nullptr);
    EXPECT_EQ(sheets.list.ruleForId(5), media->cssRules().item(2));
    EXPECT_TRUE(sheets.commands.isEmpty());
}

// Whoever holds a deleted rule (an undo step, a panel row, a drag) reads it
// whole and detached; putting it back brings the same object and ids (#15).
TEST(DOMStyleSheetList, DeletedRuleStaysWholeWhileHeldAndComesBackAsTheSameObject)
{
    MirroredSheets sheets(s_sheets);
    const DOMCSSStyleSheetPtr sheet = sheets.list.item(0);
    const DOMCSSRulePtr media = sheet->cssRules().item(1);
    const DOMCSSRulePtr inner = media->cssRules().item(0);
    const DOMCSSStyleDeclarationPtr declaration = inner->style();
    ASSERT_TRUE(sheet->deleteRule(1));
    EXPECT_EQ(media->ruleId(), 3);
    EXPECT_EQ(media->parentStyleSheet(), nullptr);
    EXPECT_EQ(inner->parentRule(), media);
    EXPECT_EQ(inner->parentStyleSheet(), nullptr);
    EXPECT_EQ(sheets.list.ruleForId(3), nullptr);
    EXPECT_EQ(sheets.list.ruleForId(4), nullptr);
    // A write to a detached rule changes it and goes nowhere.
    declaration->setProperty(QStringLiteral("top"), QStringLiteral("0px"));
    EXPECT_EQ(media->cssText(), QStringLiteral("@media screen and (min-width: 10px) {\n  .c { padding: 1px; top: 0px; }\n  .d { }\n}"));
    EXPECT_EQ(sheets.ops(), QStringList({QStringLiteral("deleteRule")}));

    // The undo of the deletion.
    ASSERT_TRUE(sheet->insertRule(media, 1));
    EXPECT_EQ(sheet->cssRules().item(1), media);
    EXPECT_EQ(media->parentStyleSheet(), sheet);
    EXPECT_EQ(inner->parentStyleSheet(), sheet);
    EXPECT_EQ(sheets.list.ruleForId(3), media);
    EXPECT_EQ(sheets.list.ruleForId(4), inner);
    const QJsonObject insertion = sheets.commands.last();
    EXPECT_EQ(insertion.value(QStringLiteral("op")).toString(), QStringLiteral("insertRule"));
    EXPECT_EQ(insertion.value(QStringLiteral("rule")).toDouble(), 3.0);
    EXPECT_EQ(insertion.value(QStringLiteral("before")).toDouble(), 6.0);
    EXPECT_EQ(insertion.value(QStringLiteral("text")).toString(), media->cssText());
    // The page gives its copies of the inner rules the same ids.
    EXPECT_EQ(insertion.value(QStringLiteral("ids")).toArray(), QJsonArray({4.0, 5.0}));

    // A keyframe comes back the same way.
    const DOMCSSRulePtr keyframes = sheet->cssRules().item(2);
    const DOMCSSRulePtr from = keyframes->findRule(QStringLiteral("from"));
    keyframes->deleteRuleWithKey(QStringLiteral("from"));
    EXPECT_EQ(from->parentRule(), nullptr);
    ASSERT_TRUE(keyframes->appendRule(from));
    EXPECT_EQ(keyframes->cssRules().item(1), from);
    EXPECT_EQ(sheets.commands.last().value(QStringLiteral("rule")).toDouble(), 7.0);
}

TEST(DOMStyleSheetList, OnlyADetachedRuleGoesBackAndOnlyWhereItMayStand)
{
    MirroredSheets sheets(s_sheets);
    const DOMCSSStyleSheetPtr sheet = sheets.list.item(0);
    const DOMCSSRulePtr style = sheet->cssRules().item(0);
    const DOMCSSRulePtr media = sheet->cssRules().item(1);
    const DOMCSSRulePtr charset = sheet->cssRules().item(3);
    const int sent = int(sheets.commands.size());
    EXPECT_EQ(sheet->insertRule(style, 0).exceptionCode, 3); // still in the sheet
    EXPECT_EQ(media->insertRule(style, 0).exceptionCode, 3);
    EXPECT_EQ(sheet->insertRule(DOMCSSRulePtr(), 0).exceptionCode, 3);
    ASSERT_TRUE(sheet->deleteRule(1));
    EXPECT_EQ(media->insertRule(media, 0).exceptionCode, 3); // into itself
    EXPECT_EQ(sheet->insertRule(media, 9).exceptionCode, 1);
    EXPECT_EQ(style->insertRule(media, 0).exceptionCode, 3); // a style rule holds no rules
    ASSERT_TRUE(sheet->deleteRule(2));
    EXPECT_EQ(sheet->insertRule(charset, 0).exceptionCode, 12);
    EXPECT_EQ(sheet->cssRules().item(1)->appendRule(media).exceptionCode, 3); // not a keyframe
    EXPECT_EQ(sheets.commands.size(), sent + 2); // the two deletions
}

// Parents may go first: what is still held stays readable and loses them.
TEST(DOMStyleSheetList, HeldObjectsOutliveTheirSheetListAndDocument)
{
    std::shared_ptr<DOMDocument> document = HTMLParser::parseDocument(
        QStringLiteral("<!DOCTYPE html><style>.x {}</style><p>text</p>"));
    const qint64 owner = document->querySelector(QStringLiteral("style"))->nodeId();
    document->styleSheets().readFromEngine(QJsonDocument::fromJson(QStringLiteral(R"([{"id": 1, "owner": %1, "rules": [
        {"id": 2, "type": 3, "href": "b.css", "media": "", "sheet": {"id": 3, "rules": [{"id": 4, "type": 1, "sel": ".i", "css": ""}]}},
        {"id": 5, "type": 1, "sel": ".x", "css": "color: red;"}]}])").arg(owner).toUtf8()).array());
    QList<QJsonObject> commands;
    document->styleSheets().setCommandHandler([&](const QJsonObject &command) { commands.append(command); });
    DOMCSSStyleSheetPtr sheet = document->styleSheets().item(0);
    ASSERT_EQ(sheet->ownerNode(), document->querySelector(QStringLiteral("style")));
    const DOMCSSStyleSheetPtr imported = sheet->cssRules().item(0)->styleSheet();
    ASSERT_TRUE(imported);
    EXPECT_EQ(imported->parentStyleSheet(), sheet);
    const DOMCSSRuleList rules = sheet->cssRules();
    const DOMCSSStyleDeclarationPtr declaration = sheet->cssRules().item(1)->style();
    const DOMCSSStyleDeclarationPtr scratch = document->createCSSStyleDeclaration();

    // The page removed the style element: the sheet leaves the list.
    document->styleSheets().readFromEngine(QJsonArray());
    EXPECT_EQ(sheet->ownerNode(), nullptr);
    EXPECT_EQ(sheet->styleSheetList(), nullptr);
    ASSERT_EQ(rules.length(), 2);
    EXPECT_EQ(rules.item(1)->cssText(), QStringLiteral(".x { color: red; }"));
    ASSERT_TRUE(sheet->insertRule(QStringLiteral(".y { }"), 2));
    declaration->setProperty(QStringLiteral("top"), QStringLiteral("0px"));
    EXPECT_TRUE(commands.isEmpty());

    // The document and its list go; the rule list and the declaration keep
    // the sheet alive, and nothing held reaches the list any more.
    sheet.reset();
    document.reset();
    EXPECT_EQ(rules.item(1)->parentStyleSheet()->cssRules().length(), 3);
    EXPECT_EQ(declaration->parentRule()->cssText(), QStringLiteral(".x { color: red; top: 0px; }"));
    EXPECT_EQ(imported->cssRules().item(0)->selectorText(), QStringLiteral(".i"));
    EXPECT_EQ(imported->cssRules().item(0)->styleSheetList(), nullptr);
    EXPECT_EQ(imported->ownerRule(), rules.item(0));
    // A scratch declaration outlives its document and asks no engine.
    scratch->setProperty(QStringLiteral("color"), QStringLiteral("red"));
    EXPECT_TRUE(scratch->isValid(QStringLiteral("color"), QStringLiteral("blue")));
}

// A rule held alone outlives its sheet and its parent rule, and loses both.
TEST(DOMStyleSheetList, RuleHeldAloneLosesTheParentsThatDie)
{
    DOMCSSRulePtr style;
    DOMCSSRulePtr inner;
    {
        MirroredSheets sheets(s_sheets);
        style = sheets.list.item(0)->cssRules().item(0);
        inner = sheets.list.item(0)->cssRules().item(1)->cssRules().item(0);
    }
    EXPECT_EQ(style->parentStyleSheet(), nullptr);
    EXPECT_EQ(style->styleSheetList(), nullptr);
    EXPECT_EQ(inner->parentRule(), nullptr);
    EXPECT_EQ(inner->parentStyleSheet(), nullptr);
    EXPECT_EQ(inner->styleSheetList(), nullptr);
    EXPECT_EQ(inner->cssText(), QStringLiteral(".c { padding: 1px; }"));
}

// DOMCSSRule(Utils) and DOMCSSStyleSheet(Utils).
TEST(DOMCSSRuleUtils, SelectorAndBodyByRuleType)
{
    MirroredSheets sheets(s_sheets);
    const DOMCSSStyleSheetPtr sheet = sheets.list.item(0);
    const DOMCSSRulePtr style = sheet->cssRules().item(0);
    const DOMCSSRulePtr media = sheet->cssRules().item(1);
    const DOMCSSRulePtr keyframes = sheet->cssRules().item(2);
    EXPECT_EQ(style->selector(), QStringLiteral(".a, .b > p"));
    EXPECT_EQ(style->cssBody(), QStringLiteral("color: red; margin: 0px;"));
    EXPECT_EQ(media->selector(), QStringLiteral("screen and (min-width: 10px)"));
    EXPECT_EQ(keyframes->selector(), QStringLiteral("@-webkit-keyframes spin"));
    EXPECT_EQ(keyframes->animationName(), QStringLiteral("spin"));
    EXPECT_EQ(style->animationName(), QString());
    EXPECT_EQ(keyframes->cssRules().item(1)->selector(), QStringLiteral("100%"));
    EXPECT_EQ(sheet->cssRules().item(3)->selector(), QString()); // @charset
}

TEST(DOMCSSRuleUtils, MediaFindsByTextAndTheSheetByIdentity)
{
    MirroredSheets sheets(s_sheets);
    const DOMCSSStyleSheetPtr sheet = sheets.list.item(0);
    const DOMCSSRulePtr media = sheet->cssRules().item(1);
    const DOMCSSRulePtr copy = DOMCSSRule::fromParsed(*DOMCSSParser::parseRule(QStringLiteral(".d {}")), -99);
    EXPECT_EQ(media->indexOfRule(copy), 1);
    EXPECT_EQ(sheet->indexOfRule(copy), -1);
    EXPECT_EQ(sheet->indexOfRule(media), 1);
    EXPECT_EQ(sheet->cssRules().item(0)->indexOfRule(copy), -1); // no cssRules

    // Removing by rule: a media rule deletes the child with the same text.
    media->removeRuleByRule(copy);
    EXPECT_EQ(media->cssRules().length(), 1);
    sheet->cssRules().item(0)->removeRuleByRule(copy); // not a media rule: nothing
    sheet->removeRuleByRule(copy);                    // not in the sheet: nothing
    EXPECT_EQ(sheet->cssRules().length(), 4);
    sheet->removeRuleByRule(media);
    EXPECT_EQ(sheet->cssRules().length(), 3);
}

TEST(UserAgentStyleSheet, DefaultRulesMatchTheCommonElements)
{
    const std::shared_ptr<DOMDocument> document = HTMLParser::parseDocument(
        QStringLiteral("<!DOCTYPE html><h1 id=h>x</h1><p><a id=a href='#'>l</a><q id=q>q</q><span id=s>s</span></p>"));
    const UserAgentStyleSheet &defaults = UserAgentStyleSheet::instance();
    const auto texts = [&](const char *id, const QString &pseudo = {}) {
        QStringList list;
        for (const DOMMatchedRule &rule : defaults.matchedRules(*document->getElementById(QString::fromLatin1(id)), pseudo))
            list.append(rule.cssText);
        return list.join(QLatin1Char('|'));
    };
    EXPECT_TRUE(texts("h").contains(QLatin1String("font-size: 2em")));
    EXPECT_TRUE(texts("h").contains(QLatin1String("display: block")));
    EXPECT_TRUE(texts("a").contains(QLatin1String("text-decoration: underline")));
    EXPECT_EQ(texts("s"), QString());
    EXPECT_TRUE(texts("q", QStringLiteral("::before")).contains(QLatin1String("open-quote")));
    EXPECT_TRUE(texts("q", QStringLiteral("after")).contains(QLatin1String("close-quote")));
    const QList<DOMMatchedRule> rules = defaults.matchedRules(*document->body(), QString());
    ASSERT_FALSE(rules.isEmpty());
    EXPECT_EQ(defaults.ruleForId(rules.first().ruleId)->cssText(), rules.first().cssText);
    EXPECT_EQ(defaults.ruleForId(42), nullptr);
}

// Rule text comes from the user: no text may crash the reader.
TEST(DOMCSSParser, ArbitraryTextNeverCrashesTheReaders)
{
    // Each bad selector is logged once; thousands of them say nothing here.
    QLoggingCategory::setFilterRules(QStringLiteral("quillmark.web.warning=false"));
    const QString alphabet = QStringLiteral("{}();:,.#[]'\"\\/*@!-_ azAZ09%>~+|=\n\u00e9");
    QRandomGenerator random(3);
    for (int round = 0; round < 3000; ++round) {
        QString text;
        const int length = int(random.bounded(40u));
        for (int i = 0; i < length; ++i)
            text += alphabet.at(int(random.bounded(quint32(alphabet.size()))));
        DOMCSSParser::parseRule(text);
        DOMCSSParser::parseRuleList(text);
        DOMCSSParser::parseDeclarations(text);
        DOMSelectorSpecificity::of(text);
        DOMCSSStyleSheet::checkInsertion(DOMCSSRuleList(), text, 0, false, nullptr);
    }
    QLoggingCategory::setFilterRules(QString());
    SUCCEED();
}

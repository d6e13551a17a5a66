#include "workspace/ProjectUtil.h"

#include <gtest/gtest.h>

namespace {

IgnoreOptionValue rule(const QString &selector, const QList<AttributeCondition> &conditions)
{
    IgnoreOptionValue value;
    value.setSelector(selector);
    for (const AttributeCondition &condition : conditions)
        value.addAttributeCondition(condition);
    return value;
}

AttributeCondition condition(const QString &name, std::optional<QStringList> values)
{
    return AttributeCondition(name, std::move(values));
}

void expectRules(const QString &text, const QList<IgnoreOptionValue> &expected)
{
    const QList<IgnoreOptionValue> parsed = ProjectUtil::parseIgnoreOption(text);
    ASSERT_EQ(parsed.size(), expected.size()) << text.toStdString();
    for (qsizetype i = 0; i < parsed.size(); ++i) {
        EXPECT_EQ(parsed[i].selector(), expected[i].selector()) << text.toStdString();
        EXPECT_EQ(parsed[i].attributeConditions(), expected[i].attributeConditions()) << text.toStdString();
    }
}

const auto kIgnoreTrue = condition("ignore", QStringList{"true"});

} // namespace

TEST(IgnoreOption, DefaultTextGivesItsThreeRules)
{
    expectRules(ProjectUtil::defaultIgnoreOption(),
                {rule("script[async]", {kIgnoreTrue}), rule("script[id=\"twitter-wjs\"]", {kIgnoreTrue}),
                 rule("body > iframe[id*=\"oauth\"]", {kIgnoreTrue})});
}

TEST(IgnoreOption, DeclarationsParseAsTheirNamesAndValues)
{
    // name, text, expected conditions of the one rule "div"
    const struct {
        const char *name;
        const char *text;
        QList<AttributeCondition> conditions;
    } rows[] = {
        {"last declaration without semicolon", "div{ignore:true}", {kIgnoreTrue}},
        {"blanks around selector, name and list", "  div  { ignore :  true ; }", {kIgnoreTrue}},
        {"blank after a comma stays", "div{ignore:true, false;}",
         {condition("ignore", QStringList{"true", " false"})}},
        {"second colon stays in the value", "div{time:12:30;}", {condition("time", QStringList{"12:30"})}},
        {"trailing colon gives one empty value", "div{ignore:;}", {condition("ignore", QStringList{""})}},
        {"no colon gives no values", "div{ignore;}", {condition("ignore", std::nullopt)}},
        {"semicolon inside single quotes", "div{content:'a;b';ignore:true;}",
         {condition("content", QStringList{"a;b"}), kIgnoreTrue}},
        {"line ends and tabs are deleted", "div{\n\tig\nnore:true;\r\n}", {kIgnoreTrue}},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.name);
        expectRules(QString::fromUtf8(row.text), {rule("div", row.conditions)});
    }
}

TEST(IgnoreOption, TextOutsideClosedRulesIsDropped)
{
    expectRules("a{ignore:true;}b{ignore:true;", {rule("a", {kIgnoreTrue})});
    expectRules("ignore:true;other:false;", {});
    expectRules(QString(), {});
    expectRules("", {});
}

TEST(IgnoreOption, ParseOfTheSettingsTextIsCachedByText)
{
    QVariantMap config{{"ignoreOption", QStringLiteral("a{ignore:true;}")}};
    const QList<IgnoreOptionValue> first = ProjectUtil::ignoreOptionWithProjectConfig(config);
    ASSERT_EQ(first.size(), 1);
    EXPECT_EQ(first[0].selector(), QStringLiteral("a"));
    config.insert("ignoreOption", QStringLiteral("b{ignore:true;}c{ignore:true;}"));
    EXPECT_EQ(ProjectUtil::ignoreOptionWithProjectConfig(config).size(), 2);
    EXPECT_TRUE(ProjectUtil::ignoreOptionWithProjectConfig({}).isEmpty());
}

TEST(IgnoreOption, MergeKeepsDistinctValuesInFirstSeenOrder)
{
    const QList<IgnoreOptionValue> rules = {
        rule("a", {condition("ignore", QStringList{"false"}), condition("keep", std::nullopt)}),
        rule("b", {condition("ignore", QStringList{"true", "false"})}),
        rule("c", {kIgnoreTrue}),
    };
    const IgnoreOptionValue merged = ProjectUtil::computedIgnoreOptionValue(rules);
    EXPECT_TRUE(merged.selector().isNull());
    ASSERT_EQ(merged.attributeConditions().size(), 2);
    EXPECT_EQ(merged.attributeConditions()[0], condition("ignore", QStringList({"false", "true"})));
    EXPECT_EQ(merged.attributeConditions()[1], condition("keep", QStringList()));
    // The order of the rules decides which value comes last.
    const IgnoreOptionValue reversed = ProjectUtil::computedIgnoreOptionValue({rules[2], rules[0]});
    EXPECT_EQ(reversed.conditionNamed("ignore")->condition()->last(), QStringLiteral("false"));
}

#include "GrammarTestSupport.h"

#include "grammar/CPJSONParser.h"
#include "grammar/CollectionMapping.h"

TEST(CPJSONParser, FirstOccurrenceOfAKeyWins)
{
    CPJSONParser json;
    EXPECT_EQ(json.parse(R"({"a":1,"a":2})"), QVariant(QVariantMap{{"a", 1.0}}));
}

TEST(CPJSONParser, ValuesMapToCollectionsOfTheirKinds)
{
    CPJSONParser json;
    const QVariant value = json.parse(R"([1, 2.5, true, null, "x"])");
    ASSERT_EQ(value.typeId(), QMetaType::QVariantList);
    const QVariantList list = value.toList();
    ASSERT_EQ(list.size(), 5);
    EXPECT_EQ(list[0].typeId(), QMetaType::Double);
    EXPECT_EQ(list[0].toDouble(), 1.0);
    EXPECT_EQ(list[1].toDouble(), 2.5);
    EXPECT_EQ(list[2].typeId(), QMetaType::Bool);
    EXPECT_TRUE(list[2].toBool());
    EXPECT_EQ(list[3].typeId(), QMetaType::Nullptr);
    EXPECT_EQ(list[4], QVariant(QStringLiteral("x")));

    const QVariant nested = json.parse(" {\"a\": {\"b\": [1, {\"c\": null}, []]},\n \"d\": false} ");
    const QVariantMap expected{
        {"a", QVariantMap{{"b", QVariantList{1.0, QVariantMap{{"c", QVariant::fromValue(nullptr)}}, QVariantList()}}}},
        {"d", false}};
    EXPECT_EQ(nested, QVariant(expected));
}

TEST(CPJSONParser, EmptyContainersAndEmptyText)
{
    CPJSONParser json;
    EXPECT_EQ(json.parse("[]"), QVariant(QVariantList()));
    EXPECT_EQ(json.parse("{}"), QVariant(QVariantMap()));
    GrammarLogCapture quiet;
    EXPECT_FALSE(json.parse("").isValid());
}

TEST(CPJSONParser, EscapesAreResolvedExceptUnicode)
{
    CPJSONParser json;
    EXPECT_EQ(json.parse(R"(["\t", "q\"", "a\\b\/c", "\b\f\n\r", "\u0041"])"),
              QVariant(QVariantList{"\t", "q\"", "a\\b/c", "\b\f\n\r", "u0041"}));
}

TEST(CPJSONParser, MalformedTextIsLoggedAndAnswersNothing)
{
    CPJSONParser json;
    GrammarLogCapture log;
    EXPECT_FALSE(json.parse("[1,2").isValid());
    ASSERT_EQ(log.messages().size(), 1);
    EXPECT_TRUE(log.messages().first().startsWith("1:5: parse error.  Expected ")) << qPrintable(log.messages().first());
    EXPECT_FALSE(json.parse("[nope]").isValid());
    EXPECT_TRUE(log.messages().last().contains("found <Error>")) << qPrintable(log.messages().last());
    EXPECT_FALSE(json.parse("{\"a\" 1}").isValid());
    EXPECT_FALSE(json.parse("[1] [2]").isValid());
}

TEST(CPJSONParser, HundredThousandNestedArraysParse)
{
    CPJSONParser json;
    const int depth = CPJSONParser::MaximumNesting;
    QVariant value = json.parse(QStringLiteral("[").repeated(depth) + QStringLiteral("]").repeated(depth));
    int levels = 0;
    for (QVariant cursor = value; cursor.typeId() == QMetaType::QVariantList; cursor = cursor.toList().value(0))
        ++levels;
    EXPECT_EQ(levels, depth);
    CPValue::dispose(std::move(value));

    GrammarLogCapture log;
    EXPECT_FALSE(json.parse(QStringLiteral("[").repeated(depth + 1) + QStringLiteral("]").repeated(depth + 1)).isValid());
    EXPECT_TRUE(log.contains("JSON nested more than 100000 levels deep"));
}

TEST(CPJSONParser, LongArraysParseInLinearTime)
{
    CPJSONParser json;
    const QString text = QStringLiteral("[") + QStringList(QList<QString>(200000, QStringLiteral("7"))).join(',') + ']';
    const QVariantList list = json.parse(text).toList();
    ASSERT_EQ(list.size(), 200000);
    EXPECT_EQ(list.last().toDouble(), 7.0);
}

TEST(CollectionMapping, MapsAndLeavesOutNothing)
{
    const QList<int> numbers{1, 2, 3, 4};
    const auto halves = CollectionMapping::map(numbers, [](int n) -> std::optional<int> {
        if (n % 2)
            return std::nullopt;
        return n / 2;
    });
    EXPECT_EQ(halves, QList<int>({1, 2}));
    const auto none = CollectionMapping::map(numbers, [](int) -> std::optional<QString> { return std::nullopt; });
    EXPECT_TRUE(none.isEmpty());
    const QSet<QString> words{"a", "bb", "cc"};
    const auto lengths = CollectionMapping::map(words, [](const QString &w) -> std::optional<qsizetype> { return w.size(); });
    EXPECT_EQ(lengths, QSet<qsizetype>({1, 2}));
    EXPECT_TRUE(CollectionMapping::map(words, [](const QString &) -> std::optional<int> { return std::nullopt; }).isEmpty());
}

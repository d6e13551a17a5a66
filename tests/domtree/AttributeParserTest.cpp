#include "domtree/AttributeParser.h"

#include <QStringList>

#include <gtest/gtest.h>

namespace {

// name=value pairs joined by "|", so that each case reads on one line.
QString parsed(const QString &text)
{
    QStringList pairs;
    for (const QVariantMap &entry : AttributeParser::parseAttributes(text))
        pairs.append(entry.value(QStringLiteral("name")).toString() + QLatin1Char('=')
                     + entry.value(QStringLiteral("value")).toString());
    return pairs.join(QLatin1Char('|'));
}

} // namespace

TEST(AttributeParser, ReadsQuotedUnquotedAndValuelessAttributes)
{
    struct Row
    {
        const char *name;
        QString text;
        QString expected;
    };
    const QList<Row> rows = {
        {"double, single and bare", QStringLiteral("a=\"1\" b='2' c"), QStringLiteral("a=1|b=2|c=")},
        {"spaces and '=' inside quotes", QStringLiteral("style=\"color: red; top:0\" t='a=b'"),
         QStringLiteral("style=color: red; top:0|t=a=b")},
        {"other quote kind inside a value", QStringLiteral("title=\"it's\" alt='say \"hi\"'"),
         QStringLiteral("title=it's|alt=say \"hi\"")},
        {"empty text", QString(), QString()},
        {"only spaces", QStringLiteral("   "), QString()},
        {"two spaces between names", QStringLiteral("a  b"), QStringLiteral("a=|b=")},
        {"valueless name at the end", QStringLiteral("class=\"x\" hidden"), QStringLiteral("class=x|hidden=")},
        {"empty quoted value", QStringLiteral("alt=\"\" b"), QStringLiteral("alt=|b=")},
        {"quote without a name gives nothing", QStringLiteral("\"x\" a"), QStringLiteral("a=")},
        {"unclosed quote without a name becomes a name", QStringLiteral("\"x"), QStringLiteral("x=")},
        {"unclosed value is dropped", QStringLiteral("a=\"x"), QStringLiteral("a=")},
        {"tab stays in the name", QStringLiteral("\tb='1'"), QStringLiteral("\tb=1")},
        {"backslash is an ordinary character", QStringLiteral("a='x\\' b"), QStringLiteral("a=x\\|b=")},
        {"spaces around '=' keep the value", QStringLiteral("a = \"b\" c"), QStringLiteral("a=b|c=")},
    };
    for (const Row &row : rows)
        EXPECT_EQ(parsed(row.text), row.expected) << row.name;
}

// Regression: an unquoted value became the start of the next name ("a=b c"
// gave "a" and "bc") or was dropped at the end of the text.
TEST(AttributeParser, UnquotedValuesAreReadNotMangled)
{
    EXPECT_EQ(parsed(QStringLiteral("a=b c")), QStringLiteral("a=b|c="));
    EXPECT_EQ(parsed(QStringLiteral("width=100")), QStringLiteral("width=100"));
    EXPECT_EQ(parsed(QStringLiteral("a=1 b=\"2\" c=3")), QStringLiteral("a=1|b=2|c=3"));
    EXPECT_EQ(parsed(QStringLiteral("href=/a?b=c&d=e x")), QStringLiteral("href=/a?b=c&d=e|x="));
    EXPECT_EQ(parsed(QStringLiteral("a=b\"c\"")), QStringLiteral("a=b\"c\""));
    EXPECT_EQ(parsed(QStringLiteral("a==b")), QStringLiteral("a=b"));
}

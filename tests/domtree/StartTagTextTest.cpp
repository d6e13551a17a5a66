#include "TestPrinters.h"

#include "domtree/StartTagText.h"

#include <gtest/gtest.h>

namespace StartTagTextTest {

namespace {

using Changes = QHash<QString, std::optional<QString>>;

QString edited(const QString &tag, const Changes &changes, const QList<QString> &added = {})
{
    return StartTagText::withAttributes(tag, changes, added, [](const QString &text) { return text; });
}

} // namespace

TEST(StartTagText, ASetValueStaysBetweenItsOwnQuotesAndEverythingElseOfTheTagStays)
{
    struct Row
    {
        const char *name;
        QString tag;
        Changes changes;
        QString expected;
    };
    const QList<Row> rows = {
        {"single quotes", "<P  class='a'\n   id=x>", {{"class", QString("b \"c\"")}}, "<P  class='b \"c\"'\n   id=x>"},
        {"double quote escaped", "<p title=\"t\">", {{"title", QString("say \"hi\" & go")}}, "<p title=\"say &quot;hi&quot; &amp; go\">"},
        {"unquoted stays unquoted", "<td id=c1 class='k'>", {{"id", QString("c2")}}, "<td id=c2 class='k'>"},
        {"unquoted gets the tag's quotes", "<td id=c1 class='k'>", {{"id", QString("c 2")}}, "<td id='c 2' class='k'>"},
        {"name in any case", "<DIV ID='m'>", {{"id", QString("n")}}, "<DIV ID='n'>"},
        {"first of two of a name", "<p id=a id=b>", {{"id", QString("c")}}, "<p id=c id=b>"},
        {"a value for a bare name", "<input disabled>", {{"disabled", QString("no")}}, "<input disabled=\"no\">"},
        {"removed with the space before it", "<p id='a'  title='t' lang=en>", {{"title", std::nullopt}}, "<p id='a' lang=en>"},
        {"self-closing keeps its slash", "<img src='a.png' alt='x' />", {{"alt", std::nullopt}}, "<img src='a.png' />"},
    };
    for (const Row &row : rows)
        EXPECT_EQ(edited(row.tag, row.changes), row.expected) << row.name;
}

TEST(StartTagText, AddedAttributesFollowTheLastInTheTagsQuotes)
{
    EXPECT_EQ(edited("<body class='page'>", {{"title", QString("mine")}}, {"title"}), "<body class='page' title='mine'>");
    EXPECT_EQ(edited("<br/>", {{"class", QString("x")}}, {"class"}), "<br class=\"x\"/>");
    EXPECT_EQ(edited("<input\ttype=text >", {{"required", QString()}, {"name", QString("q")}}, {"name", "required"}),
              "<input\ttype=text name=\"q\" required >");
}

} // namespace StartTagTextTest

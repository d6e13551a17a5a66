#include "TestPrinters.h"

#include "ParsedRows.h"

#include "domtree/DiffUtil.h"

#include <gtest/gtest.h>

namespace {

QList<int> statusesOf(const QList<DiffUtil::Entry> &entries)
{
    QList<int> statuses;
    for (const DiffUtil::Entry &entry : entries)
        statuses.append(entry.status);
    return statuses;
}

} // namespace

TEST(DiffUtil, DescriptionsNameLevelIndexAndContent)
{
    ParsedRows forest(QStringLiteral("<div><p>hi</p></div>"));
    const DOMNodeEx *body = forest.body();
    const DOMNodeEx *div = body->children().at(0).get();
    const DOMNodeEx *p = div->children().at(0).get();
    EXPECT_EQ(DiffUtil::domNodeExDescription(forest.rows.constFirst().get()), QStringLiteral("0 HTML"));
    EXPECT_EQ(DiffUtil::domNodeExDescription(p), QStringLiteral("3 0 P"));
    EXPECT_EQ(DiffUtil::domNodeExDescription(p->children().at(0).get()), QStringLiteral("4 0 hi"));
    EXPECT_EQ(DiffUtil::domNodeExDescription(div->children().at(1).get()), QStringLiteral("3 1 /DIV"));
    EXPECT_EQ(DiffUtil::fullDomNodeExDescription(p), QStringLiteral("0 HTML1 1 BODY2 0 DIV3 0 P"));
}

TEST(DiffUtil, IdenticalForestsMatchEveryRowAndStayAsTheyWere)
{
    ParsedRows before(QStringLiteral("<ul><li>a</li><li>b</li></ul>"));
    ParsedRows after(QStringLiteral("<ul><li>a</li><li>b</li></ul>"));
    const QString dump = before.dump();
    const QList<DiffUtil::Entry> entries = DiffUtil::diff(before.rows, after.rows);
    QList<DiffUtil::Entry> flat;
    DiffUtil::flatten(before.rows, flat);
    EXPECT_EQ(statusesOf(entries), QList<int>(flat.size(), DiffUtil::Same));
    EXPECT_EQ(before.dump(), dump);
}

TEST(DiffUtil, ANewLastChildIsGraftedAtItsIndex)
{
    ParsedRows before(QStringLiteral("<ul id=list><li>a</li></ul>"));
    ParsedRows after(QStringLiteral("<ul id=list><li>a</li><li>b</li></ul>"));
    DiffUtil::diff(before.rows, after.rows);
    // The list's closing row moved on by one, so it is dropped and grafted
    // again from "after".
    EXPECT_EQ(before.dump(), after.dump());
    const DOMNodeEx *list = before.rows.constFirst()->children().at(1)->children().at(0).get();
    ASSERT_EQ(list->children().size(), 3);
    EXPECT_EQ(list->children().at(1)->parentNodeEx(), list);
    EXPECT_EQ(list->children().at(1)->level(), 3);
}

TEST(DiffUtil, ARemovedMiddleChildIsDroppedAndItsLaterSiblingsComeAgain)
{
    ParsedRows before(QStringLiteral("<p>1</p><div>2</div><span>3</span>"));
    ParsedRows after(QStringLiteral("<p>1</p><span>3</span>"));
    const DOMNodeEx *body = before.body();
    const DOMNodeExPtr oldSpan = body->children().at(2);
    const QList<DiffUtil::Entry> entries = DiffUtil::diff(before.rows, after.rows);
    EXPECT_EQ(before.dump(), after.dump());
    // The span's index changed: the span of "after" stands in its place.
    EXPECT_NE(body->children().at(1), oldSpan);
    int removed = 0;
    int added = 0;
    for (const DiffUtil::Entry &entry : entries) {
        removed += entry.status == DiffUtil::Removed;
        added += entry.status == DiffUtil::Added;
    }
    // The div and its text, the span and its text, the body's closing row;
    // the span and the closing row come back.
    EXPECT_EQ(removed, 5);
    EXPECT_EQ(added, 2);
}

TEST(DiffUtil, ARowIsGraftedUnderItsOwnParentNotANamesakeInAnotherBranch)
{
    // Both sections' paragraphs are "3 0 P"; the new text belongs to the second.
    ParsedRows before(QStringLiteral("<section><p></p></section><section><p></p></section>"));
    ParsedRows after(QStringLiteral("<section><p></p></section><section><p>new</p></section>"));
    DiffUtil::diff(before.rows, after.rows);
    const DOMNodeEx *body = before.body();
    const DOMNodeEx *first = body->children().at(0)->children().at(0).get();
    const DOMNodeEx *second = body->children().at(1)->children().at(0).get();
    ASSERT_EQ(second->children().size(), 2);
    EXPECT_EQ(second->children().at(0)->displayName(), QStringLiteral("new"));
    EXPECT_EQ(second->children().at(0)->parentNodeEx(), second);
    EXPECT_EQ(first->children().size(), 1);
}

TEST(DiffUtil, AnInsertionPastTheEndOfTheChildrenIsLeftOut)
{
    // The second item of the old ordered list matches the new second item
    // of the unordered list ("3 1 LI"), so the third new item's index lies
    // past the end of the unordered list's rows in "before".
    ParsedRows before(QStringLiteral("<ol><li>a</li><li>z</li></ol><ul><li>a</li></ul>"));
    ParsedRows after(QStringLiteral("<ol><li>a</li></ol><ul><li>a</li><li>b</li><li>c</li></ul>"));
    DiffUtil::diff(before.rows, after.rows);
    const DOMNodeEx *list = before.rows.constFirst()->children().at(1)->children().at(1).get();
    ASSERT_EQ(list->node()->nodeName(), QStringLiteral("UL"));
    for (const DOMNodeExPtr &child : list->children()) {
        EXPECT_EQ(child->parentNodeEx(), list);
        EXPECT_NE(child->node()->textContent(), QStringLiteral("c"));
    }
}

#include "foundation/ArrayUtils.h"
#include "foundation/DictionaryUtil.h"
#include "foundation/ObjectUtils.h"

#include "TestPrinters.h"
#include "TestUtil.h"

#include <QObject>

#include <gtest/gtest.h>

namespace {

QVariantList strings(const QStringList &list)
{
    QVariantList result;
    for (const QString &s : list)
        result << s;
    return result;
}

QVariantMap titled(const QString &title)
{
    return QVariantMap{{"title", title}};
}

} // namespace

TEST(ArrayUtils, MaxSameStringIsTheLongestCommonPrefix)
{
    EXPECT_EQ(ArrayUtils::maxSameString(strings({"border-left", "border-right", "border"})), "border");
    EXPECT_EQ(ArrayUtils::maxSameString(strings({"", "border"})), "");
    EXPECT_EQ(ArrayUtils::maxSameString(strings({"border", ""})), "");
    EXPECT_EQ(ArrayUtils::maxSameString(strings({"color"})), "color");
    EXPECT_EQ(ArrayUtils::maxSameString(strings({"Color", "color"})), "");
    EXPECT_EQ(ArrayUtils::maxSameString({}), "");
    EXPECT_EQ(ArrayUtils::maxSameString({titled("Paste"), titled("Paste Special")}), "Paste");
}

TEST(ArrayUtils, ArrayRemoveEmptyKeepsBlanksAndOtherValues)
{
    const QVariantList list = {QString(), QString(" "), QString("a"), QString(""), QString("\t"), 0, QVariant()};
    const QVariantList expected = {QString(" "), QString("a"), QString("\t"), 0, QVariant()};
    EXPECT_EQ(ArrayUtils::arrayRemoveEmpty(list), expected);
}

TEST(ArrayUtils, BinarySearchFindsElementsOfASortedList)
{
    const QVariantList sorted = {1, 3, 5, 7, 9, 11};
    for (int i = 0; i < sorted.size(); ++i)
        EXPECT_EQ(ArrayUtils::binarySearch(sorted, sorted.at(i)), i);
    EXPECT_EQ(ArrayUtils::binarySearch(sorted, 4), NotFound);
    EXPECT_EQ(ArrayUtils::binarySearch(sorted, 12), NotFound);
    EXPECT_EQ(ArrayUtils::binarySearch(sorted, QVariant()), NotFound);
    EXPECT_EQ(ArrayUtils::binarySearch({}, 1), NotFound);
    EXPECT_EQ(ArrayUtils::binarySearch(sorted, 9, 0, 2), NotFound);
    EXPECT_EQ(ArrayUtils::binarySearch(sorted, 9, 3, 5), 4);
    EXPECT_EQ(ArrayUtils::binarySearch(strings({"a", "b", "c"}), QString("c")), 2);
}

TEST(ArrayUtils, ValuesByKeyComeFromMapsAndObjects)
{
    QObject object;
    object.setObjectName("obj");
    const QVariantList list = {QVariantMap{{"objectName", "map"}}, QVariant::fromValue(&object),
                               QVariantMap{{"other", 1}}, QString("text")};
    EXPECT_EQ(ArrayUtils::getValueListForKey(list, "objectName"), QVariantList({"map", "obj"}));
    EXPECT_EQ(ArrayUtils::objectAtObjectOfKey(list, QVariantMap{{"objectName", "obj"}}, "objectName"),
              QVariant::fromValue(&object));
    EXPECT_FALSE(ArrayUtils::objectAtObjectOfKey(list, QVariantMap{{"x", 1}}, "objectName").isValid());
    EXPECT_EQ(ArrayUtils::firstObject(list), list.first());
    EXPECT_FALSE(ArrayUtils::firstObject({}).isValid());
}

TEST(DictionaryUtil, NullValueCountsAsAKeyButReadsAsNothing)
{
    QVariantMap map{{"a", 1}};
    DictionaryUtil::setValueNilForKey(map, "b");
    EXPECT_TRUE(DictionaryUtil::hasKey(map, "b"));
    EXPECT_FALSE(DictionaryUtil::valueNilForKey(map, "b").isValid());
    EXPECT_EQ(DictionaryUtil::valueNilForKey(map, "a"), 1);
    EXPECT_FALSE(DictionaryUtil::hasKey(map, "c"));

    QVariantMap copy = DictionaryUtil::deepCopy(map);
    copy.insert("a", 2);
    EXPECT_EQ(map.value("a"), 1);
}

TEST(ObjectUtils, PerformBlockRunsLaterAndDiesWithItsReceiver)
{
    auto *receiver = new QObject;
    int calls = 0;
    ObjectUtils::performBlock(receiver, [&] { ++calls; }, 0.01);
    ObjectUtils::performBlock(receiver, [&] { ++calls; }, 0.01);
    EXPECT_EQ(calls, 0);
    EXPECT_TRUE(TestUtil::waitUntil([&] { return calls == 2; }, 2000));

    ObjectUtils::performBlock(receiver, [&] { ++calls; }, 0.01);
    delete receiver;
    TestUtil::spin(40);
    EXPECT_EQ(calls, 2);
}

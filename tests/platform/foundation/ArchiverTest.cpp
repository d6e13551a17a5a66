#include "platform/foundation/Archiver.h"

#include <gtest/gtest.h>

namespace ArchiverTest {

QByteArray hex(const char *text)
{
    return QByteArray::fromHex(QByteArray(text));
}

const QByteArray kHeader = hex("040b") + "streamtyped" + hex("81e803");

QVariant roundTrip(const QVariant &value)
{
    const Result<QByteArray> bytes = Archiver::archivedDataWithRootObject(value);
    EXPECT_TRUE(bytes.isOk()) << bytes.error().toStdString();
    if (!bytes)
        return {};
    const Result<QVariant> back = Unarchiver::unarchiveObjectWithData(*bytes);
    EXPECT_TRUE(back.isOk()) << back.error().toStdString();
    return back ? *back : QVariant();
}

QString readError(const QByteArray &bytes)
{
    const Result<QVariant> back = Unarchiver::unarchiveObjectWithData(bytes);
    return back ? QString() : back.error();
}

// The settings of a project as the settings panel leaves them.
QVariantMap projectSettings()
{
    QVariantList prefixes;
    for (const char *prefix : {"-webkit", "-moz", "-o", "-ms"})
        prefixes.append(QVariantMap{{"prefix", QString::fromLatin1(prefix)}, {"on", prefix[1] != 'm'}});
    return {
        {"version", 1.7f},
        {"overrideCSS", true},
        {"minifyCSS", false},
        {"overrideHTML", true},
        {"minifyHTML", false},
        {"ignoreOption", QStringLiteral("script[async]{\n\tignore:true;\n}\n")},
        {"headerIgnoreOption", QVariantList{QStringLiteral("<meta charset=\"utf-8\">")}},
        {"vendarPrefix", prefixes},
        {"vendarPrefixProperties", QVariantMap{{"transition", true}, {"box-shadow", true}}},
        {"formatJavaScript", true},
        {"isWebProject", false},
        {"webMainURL", QStringLiteral("https://example.org/ümlaut/")},
    };
}

TEST(Archiver, WritesAStringAsThePlatformStreamDoes)
{
    const QByteArray expected = kHeader + hex("840140") + hex("848484") + "\x08NSString" + hex("01") + hex("8484")
                                + "\x08NSObject" + hex("00") + hex("85") + hex("84012b02") + "hi" + hex("86");
    EXPECT_EQ(Archiver::archivedDataWithRootObject(QStringLiteral("hi")).value().toHex(' '), expected.toHex(' '));
}

TEST(Archiver, RefersToClassesStringsTypesAndBooleansMetBefore)
{
    // [YES, 1.7f, YES]: the second number reuses NSNumber's class and the "*"
    // type, the last YES is a reference to the first.
    const QByteArray expected =
        kHeader + hex("840140") + hex("848484") + "\x0eNSMutableArray" + hex("00") + hex("8484") + "\x07NSArray"
        + hex("00") + hex("8484") + "\x08NSObject" + hex("00") + hex("85") + hex("840169") + hex("03")
        // YES: a new number with a new class chain ending at NSObject (object 3).
        + hex("92") + hex("848484") + "\x08NSNumber" + hex("00") + hex("8484") + "\x07NSValue" + hex("00") + hex("95")
        + hex("84012a") + hex("84840163") + hex("9a") + hex("01") + hex("86")
        // 1.7f: the class is object 5, "*" shared string 7, a new C string "f".
        + hex("92") + hex("84") + hex("97") + hex("99") + hex("84840166") + hex("9b") + hex("839a99d93f") + hex("86")
        // YES again: object 4.
        + hex("92") + hex("96") + hex("86");
    const QVariantList value{true, 1.7f, true};
    EXPECT_EQ(Archiver::archivedDataWithRootObject(value).value().toHex(' '), expected.toHex(' '));
    EXPECT_EQ(Unarchiver::unarchiveObjectWithData(expected).value(), QVariant(value));
}

TEST(Archiver, ProjectSettingsComeBackWithTheirTypes)
{
    const QVariantMap settings = projectSettings();
    const QVariantMap back = roundTrip(settings).toMap();
    EXPECT_EQ(back, settings);
    EXPECT_EQ(back.value("version").typeId(), QMetaType::Float);
    EXPECT_FLOAT_EQ(back.value("version").toFloat(), 1.7f);
    EXPECT_EQ(back.value("minifyCSS").typeId(), QMetaType::Bool);
    EXPECT_EQ(back.value("vendarPrefix").typeId(), QMetaType::QVariantList);
    EXPECT_EQ(back.value("vendarPrefixProperties").typeId(), QMetaType::QVariantMap);
    EXPECT_EQ(back.value("webMainURL").toString(), QStringLiteral("https://example.org/ümlaut/"));
}

TEST(Archiver, NumbersKeepTheirKinds)
{
    const QVariantList numbers{2.0f, -0.5f, 3.25, 100000, -7, qint64(1) << 40, QString()};
    const QVariantList back = roundTrip(numbers).toList();
    ASSERT_EQ(back.size(), numbers.size());
    for (qsizetype i = 0; i < numbers.size(); ++i) {
        EXPECT_EQ(back[i].typeId(), numbers[i].typeId()) << i;
        EXPECT_EQ(back[i], numbers[i]) << i;
    }
}

TEST(Archiver, TablesLongerThanOneByteOfReferencesStillRefer)
{
    QVariantMap many;
    for (int i = 0; i < 400; ++i)
        many.insert(QStringLiteral("property-%1").arg(i), true);
    QVariantList again;
    for (const QString &key : many.keys())
        again.append(key);
    QVariantMap root{{"first", many}, {"again", again}};
    EXPECT_EQ(roundTrip(root), QVariant(root));
}

TEST(Archiver, RefusesValuesTheStreamDoesNotHold)
{
    const Result<QByteArray> date = Archiver::archivedDataWithRootObject(QVariantMap{{"when", QByteArray("x")}});
    ASSERT_FALSE(date.isOk());
    EXPECT_TRUE(date.error().contains("\"when\"")) << date.error().toStdString();
    EXPECT_FALSE(Archiver::archivedDataWithRootObject(QVariantMap{{"", true}}).isOk());
}

TEST(Unarchiver, RejectsEveryCutOfAnArchive)
{
    const QByteArray whole = Archiver::archivedDataWithRootObject(projectSettings()).value();
    for (qsizetype size = 0; size < whole.size(); ++size)
        EXPECT_FALSE(readError(whole.left(size)).isEmpty()) << size;
}

TEST(Unarchiver, SaysWhatIsWrong)
{
    const QByteArray hi = Archiver::archivedDataWithRootObject(QStringLiteral("hi")).value();
    struct Case
    {
        const char *name;
        QByteArray bytes;
        const char *message;
    };
    const Case cases[] = {
        {"xml", "<?xml version=\"1.0\"?><plist/>", "not an archive"},
        {"big-endian", hex("030b") + "typedstream" + hex("81e803"), "big-endian"},
        {"trailing bytes", hi + "x", "follow the root"},
        {"nil root", kHeader + hex("840140") + hex("85"), "nil"},
        {"root no object", kHeader + hex("840169") + hex("01"), "not an object"},
        {"unknown class", kHeader + hex("840140") + hex("848484") + "\x06NSDate" + hex("00") + hex("85"), "NSDate"},
        {"reference past the table", kHeader + hex("840140") + hex("a0"), "reference"},
        {"reference of the largest number", kHeader + hex("840140") + hex("87ffffffffffffff7f"), "reference"},
        {"self reference", kHeader + hex("840140") + hex("848484") + "\x0cNSDictionary" + hex("0085") + hex("840169")
                               + hex("01") + hex("92") + hex("92"), "refers to itself"},
        {"string longer than the data", kHeader + hex("840140") + hex("848484") + "\x08NSString" + hex("0185")
                                            + hex("84012b") + hex("8100 10") + "ab", "does not fit"},
    };
    for (const Case &c : cases) {
        const QString error = readError(c.bytes);
        EXPECT_TRUE(error.contains(QLatin1String(c.message))) << c.name << ": " << error.toStdString();
    }
}

TEST(Unarchiver, ReadsImmutableClassesAndWholeFloatsWrittenAsIntegers)
{
    // NSDictionary {"v": NSNumber "f" 2}, as the platform writes a constant dictionary.
    const QByteArray bytes = kHeader + hex("840140") + hex("848484") + "\x0cNSDictionary" + hex("00") + hex("8484")
                             + "\x08NSObject" + hex("00") + hex("85") + hex("840169") + hex("01")
                             + hex("92") + hex("848484") + "\x08NSString" + hex("01") + hex("94") + hex("84012b01") + "v"
                             + hex("86") + hex("92") + hex("848484") + "\x08NSNumber" + hex("00") + hex("8484")
                             + "\x07NSValue" + hex("00") + hex("94") + hex("84012a") + hex("84840166") + hex("9b")
                             + hex("02") + hex("86") + hex("86");
    const Result<QVariant> back = Unarchiver::unarchiveObjectWithData(bytes);
    ASSERT_TRUE(back.isOk()) << back.error().toStdString();
    const QVariant version = back->toMap().value("v");
    EXPECT_EQ(version.typeId(), QMetaType::Float);
    EXPECT_EQ(version.toFloat(), 2.0f);
}

} // namespace ArchiverTest

#include "foundation/DescriptionBuilder.h"
#include "foundation/PropertyUtil.h"

#include "TestPrinters.h"

#include <QObject>
#include <QPointF>
#include <QRectF>

#include <gtest/gtest.h>

namespace {

class Record : public QObject
{
    Q_OBJECT
    Q_PROPERTY(int count MEMBER m_count)
    Q_PROPERTY(QString text MEMBER m_text)

public:
    int m_count = 3;
    QString m_text = QStringLiteral("abc");
};

class Flags : public Record
{
    Q_OBJECT
    Q_PROPERTY(bool enabled MEMBER m_enabled)
    Q_PROPERTY(QObject *owner MEMBER m_owner)
    Q_PROPERTY(QVariant anything MEMBER m_anything)
    Q_PROPERTY(double ratio MEMBER m_ratio)
    Q_PROPERTY(QRectF frame MEMBER m_frame)

public:
    bool m_enabled = false;
    QObject *m_owner = nullptr;
    QVariant m_anything;
    double m_ratio = 0.5;
    QRectF m_frame{1, 2, 30, 40.5};
};

class Described : public QObject
{
    Q_OBJECT

public:
    Q_INVOKABLE QString description() const { return QStringLiteral("a described object"); }
};

struct Point
{
    Q_GADGET
    Q_PROPERTY(qreal x MEMBER x)
    Q_PROPERTY(qreal y MEMBER y)

public:
    qreal x = 1.5;
    qreal y = -2;
};

QString hashOf(const void *object)
{
    return QString::number(quintptr(object));
}

} // namespace

TEST(DescriptionBuilder, StyleOneListsNamesAndValuesOnePerLine)
{
    Record record;
    EXPECT_EQ(DescriptionBuilder::reflectDescription(&record, 1),
              "<Record: 0x" + hashOf(&record) + ";\ncount = 3;\ntext = \"abc\">");
}

TEST(DescriptionBuilder, StylesDifferInHeadAndNames)
{
    Record record;
    const QString hash = hashOf(&record);
    EXPECT_EQ(DescriptionBuilder::reflectDescription(&record), "<Record: 0x" + hash + "; count = 3; text = \"abc\">");
    EXPECT_EQ(DescriptionBuilder::reflectDescription(&record, 2), "<Record: 0x" + hash + "; 3; \"abc\">");
    EXPECT_EQ(DescriptionBuilder::reflectDescription(&record, 3), "<Record; count = 3; text = \"abc\">");
    EXPECT_EQ(DescriptionBuilder::reflectDescription(&record, 4), "<3; \"abc\">");
    EXPECT_EQ(DescriptionBuilder::reflectDescription(&record, 99), DescriptionBuilder::reflectDescription(&record));
}

TEST(DescriptionBuilder, ValuesAreWrittenByType)
{
    Flags flags;
    EXPECT_EQ(DescriptionBuilder::reflectDescription(&flags, 3),
              "<Flags; enabled = NO; owner = (null); anything = (null); ratio = 0.500000; "
              "frame = {{1, 2}, {30, 40.5}}>");

    Described owner;
    flags.m_enabled = true;
    flags.m_owner = &owner;
    flags.m_anything = 7;
    EXPECT_EQ(DescriptionBuilder::reflectDescription(&flags, 4),
              "<YES; a described object; 7; 0.500000; {{1, 2}, {30, 40.5}}>");

    QObject plain;
    flags.m_owner = &plain;
    flags.m_anything = QStringLiteral("s");
    EXPECT_EQ(DescriptionBuilder::reflectDescription(&flags, 4),
              "<YES; <QObject: 0x" + hashOf(&plain) + ">; \"s\"; 0.500000; {{1, 2}, {30, 40.5}}>");
}

TEST(DescriptionBuilder, SuperclassesFollowAsNestedGroups)
{
    Flags flags;
    flags.setObjectName("f");
    EXPECT_EQ(DescriptionBuilder::reflectDescriptionWithSuperClass(&flags, 3),
              "<Flags; enabled = NO; owner = (null); anything = (null); ratio = 0.500000; "
              "frame = {{1, 2}, {30, 40.5}}\n<Record; count = 3; text = \"abc\"\n<QObject; objectName = \"f\">>>");
    EXPECT_EQ(DescriptionBuilder::reflectDescription(&flags, 4, &Record::staticMetaObject, false), "<3; \"abc\">");
}

TEST(DescriptionBuilder, GadgetsAndNullObjects)
{
    const Point point;
    EXPECT_EQ(DescriptionBuilder::reflectDescription(point, 3), "<Point; x = 1.500000; y = -2.000000>");
    EXPECT_EQ(DescriptionBuilder::reflectDescription(static_cast<QObject *>(nullptr)), "(null)");
}

TEST(PropertyUtil, MapsOwnPropertiesToTypeNames)
{
    const auto record = PropertyUtil::classPropsFor(&Record::staticMetaObject);
    ASSERT_TRUE(record.has_value());
    EXPECT_EQ(*record, (QVariantMap{{"count", "i"}, {"text", "QString"}}));

    const auto flags = PropertyUtil::classPropsFor(&Flags::staticMetaObject);
    ASSERT_TRUE(flags.has_value());
    EXPECT_EQ(*flags, (QVariantMap{{"enabled", "c"},
                                   {"owner", "QObject"},
                                   {"anything", "id"},
                                   {"ratio", "d"},
                                   {"frame", "QRectF"}}));

    EXPECT_EQ(PropertyUtil::classPropsFor(nullptr), std::nullopt);
}

#include "ReflectionTest.moc"

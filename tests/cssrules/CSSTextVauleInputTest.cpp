#include "cssrules/CSSTextVauleInput.h"
#include "platform/foundation/NotificationCenter.h"

#include <QFile>
#include <QKeyEvent>
#include <QTest>

#include <gtest/gtest.h>

namespace {

QStringList notificationsWhile(const std::function<void()> &action)
{
    QStringList names;
    int owner = 0;
    NotificationCenter &center = NotificationCenter::defaultCenter();
    center.addObserver(&owner, QString(), nullptr, [&names](const Notification &n) {
        if (n.name.startsWith(QLatin1String("valueInput")) || n.name.startsWith(QLatin1String("css"))
            || n.name == QLatin1String("closeRefviewByStepChange"))
            names.append(n.name + (n.userInfo.contains(QStringLiteral("value")) ? QLatin1Char('=') + n.userInfo.value(QStringLiteral("value")).toString() : QString()));
    });
    action();
    center.removeObserver(&owner);
    return names;
}

Qt::KeyboardModifiers modifiersOf(const QString &key)
{
    Qt::KeyboardModifiers modifiers;
    if (key.contains(QLatin1String("Ctrl+")))
        modifiers |= Qt::ControlModifier;
    if (key.contains(QLatin1String("Alt+")))
        modifiers |= Qt::AltModifier;
    if (key.contains(QLatin1String("Shift+")))
        modifiers |= Qt::ShiftModifier;
    return modifiers;
}

} // namespace

TEST(CSSTextVauleInput, StepsALoneNumberKeepingItsUnitAndPriority)
{
    QFile examples(QStringLiteral(QUILLMARK_TEST_DATA "/stepping.txt"));
    ASSERT_TRUE(examples.open(QIODevice::ReadOnly));
    int cases = 0;
    for (const QByteArray &raw : examples.readAll().split('\n')) {
        const QString line = QString::fromUtf8(raw);
        if (line.isEmpty() || line.startsWith(u'#'))
            continue;
        const QStringList fields = line.split(u'\t');
        ASSERT_EQ(fields.size(), 3) << line.toStdString();
        CSSTextVauleInput field;
        field.setText(fields.at(0));
        field.filterOwnEvents();
        QTest::keyClick(&field, fields.at(1).endsWith(QLatin1String("Up")) ? Qt::Key_Up : Qt::Key_Down,
                        modifiersOf(fields.at(1)));
        EXPECT_EQ(field.text(), fields.at(2)) << line.toStdString();
        ++cases;
    }
    EXPECT_EQ(cases, 12);
}

TEST(CSSTextVauleInput, AnnouncesEveryChangeAndTheEndOfEditing)
{
    CSSTextVauleInput field;
    field.filterOwnEvents();
    int committed = 0;
    int abandoned = 0;
    field.setAction([&committed](CSSTextVauleInput *) { ++committed; });
    field.setAbandonHandler([&abandoned](CSSTextVauleInput *) { ++abandoned; });
    EXPECT_EQ(notificationsWhile([&] { QTest::keyClicks(&field, QStringLiteral("1p")); }),
              QStringList({QStringLiteral("valueInputDidEdit"), QStringLiteral("cssValueChanged=1"),
                           QStringLiteral("valueInputDidEdit"), QStringLiteral("cssValueChanged=1p")}));
    EXPECT_EQ(notificationsWhile([&] { QTest::keyClick(&field, Qt::Key_Up, Qt::AltModifier); }),
              QStringList({QStringLiteral("valueInputDidEdit"), QStringLiteral("cssValueChanged=2p"),
                           QStringLiteral("closeRefviewByStepChange")}));
    // A plain arrow moves through the value list instead.
    EXPECT_EQ(notificationsWhile([&] { QTest::keyClick(&field, Qt::Key_Down); }), QStringList({QStringLiteral("valueInputKeyDown")}));
    EXPECT_EQ(notificationsWhile([&] { QTest::keyClick(&field, Qt::Key_Return); }), QStringList({QStringLiteral("valueInputDidEndEdit")}));
    EXPECT_EQ(committed, 1);
    EXPECT_EQ(abandoned, 0);

    CSSTextVauleInput other;
    other.filterOwnEvents();
    other.setAction([&committed](CSSTextVauleInput *) { ++committed; });
    other.setAbandonHandler([&abandoned](CSSTextVauleInput *) { ++abandoned; });
    QTest::keyClick(&other, Qt::Key_Escape);
    EXPECT_EQ(committed, 1);
    EXPECT_EQ(abandoned, 1);
}

TEST(CSSTextVauleInput, TellsASingleNumberFromOtherValues)
{
    for (const char *text : {"10px", "-0.5em", "12px !important", "50%", "0", ".5"})
        EXPECT_TRUE(CSSTextVauleInput::isSingleNumberText(QString::fromLatin1(text))) << text;
    for (const char *text : {"1px 2px", "auto", "10PX", "", "px10"})
        EXPECT_FALSE(CSSTextVauleInput::isSingleNumberText(QString::fromLatin1(text))) << text;
    // A lone full stop looks like a number but steps nothing.
    EXPECT_FALSE(CSSTextVauleInput::steppedText(QStringLiteral("."), 1).has_value());
}

#include "TestPrinters.h"

#include "editors/FieldMark.h"
#include "editors/NumberField.h"
#include "editors/StepNumberTextField.h"
#include "platform/foundation/NotificationCenter.h"

#include <QTest>

#include <gtest/gtest.h>

namespace {

// A shown field with the focus, counting its notifications and actions.
struct FocusedField
{
    FocusedField()
    {
        field.show();
        field.activateWindow();
        field.setFocus();
        EXPECT_TRUE(QTest::qWaitFor([this] { return field.hasFocus(); }));
        NotificationCenter::defaultCenter().addObserver(&observer, QStringLiteral("closeRefviewByStepChange"), &field,
                                                        [this](const Notification &) { ++closes; });
        QObject::connect(&field, &TextField::activated, &field, [this] { ++actions; });
        TextFieldDelegate delegate;
        delegate.controlTextDidChange = [this](TextField *f) { changes.append(f->text()); };
        field.setDelegate(delegate);
    }
    ~FocusedField() { NotificationCenter::defaultCenter().removeObserver(&observer); }

    QString after(const QString &start, Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        field.setText(start);
        QTest::keyClick(&field, key, modifiers);
        return field.text();
    }

    StepNumberTextField field;
    QObject observer;
    int closes = 0;
    int actions = 0;
    QStringList changes;
};

} // namespace

TEST(StepNumberTextField, StepsByOneUnitOfTheLastDecimalAndTenWithShift)
{
    FocusedField f;
    EXPECT_EQ(f.after("12", Qt::Key_Up), "13");
    EXPECT_EQ(f.after("12", Qt::Key_Up, Qt::ShiftModifier), "22");
    EXPECT_EQ(f.after("12", Qt::Key_Down), "11");
    EXPECT_EQ(f.after("12px", Qt::Key_Up), "13px");
    EXPECT_EQ(f.after("0.5", Qt::Key_Down), "0.4");
    EXPECT_EQ(f.after("0.05", Qt::Key_Up), "0.06");
    EXPECT_EQ(f.after("1.9", Qt::Key_Up), "2.0");
    EXPECT_EQ(f.after("-0.1", Qt::Key_Up), "0.0");
    EXPECT_EQ(f.after("1234567", Qt::Key_Up), "1234568");
}

TEST(StepNumberTextField, TakesDecimalsFromTheNumberAloneAndKeepsTheUnitAndImportant)
{
    FocusedField f;
    EXPECT_EQ(f.after("1.5px", Qt::Key_Up), "1.6px");
    EXPECT_EQ(f.after("1.25em", Qt::Key_Down), "1.24em");
    EXPECT_EQ(f.after("50%", Qt::Key_Up), "51%");
    EXPECT_EQ(f.after("3px !important", Qt::Key_Up), "4px !important");
}

TEST(StepNumberTextField, AnEmptyFieldShowsTheStep)
{
    FocusedField f;
    EXPECT_EQ(f.after("", Qt::Key_Up), "1");
    EXPECT_EQ(f.after("", Qt::Key_Down), "-1");
}

TEST(StepNumberTextField, LeavesTextThatIsNoSingleNumberAlone)
{
    FocusedField f;
    EXPECT_EQ(f.after("1px 2px", Qt::Key_Up), "1px 2px");
    EXPECT_EQ(f.after("auto", Qt::Key_Up), "auto");
    EXPECT_EQ(f.closes, 0);
    EXPECT_EQ(f.actions, 0);
}

TEST(StepNumberTextField, EachStepActsAsTypingOncePostsTheCloseOnceAndSendsTheAction)
{
    FocusedField f;
    f.after("4px", Qt::Key_Up);
    EXPECT_EQ(f.closes, 1);
    EXPECT_EQ(f.actions, 1);
    EXPECT_EQ(f.changes, QStringList{"5px"});
}

TEST(StepNumberTextField, StepsOnlyWithTheFocusAndGoesOnAfterReturn)
{
    FocusedField f;
    EXPECT_TRUE(f.field.isMonitoringKeys());
    f.field.setText("7");
    QTest::keyClick(&f.field, Qt::Key_A);
    QTest::keyClick(&f.field, Qt::Key_Backspace);
    QTest::keyClick(&f.field, Qt::Key_Return);
    EXPECT_TRUE(f.field.isMonitoringKeys());
    EXPECT_EQ(f.after("7", Qt::Key_Up), "8");

    QLineEdit other;
    other.show();
    other.activateWindow();
    other.setFocus();
    EXPECT_TRUE(QTest::qWaitFor([&other] { return other.hasFocus(); }));
    EXPECT_FALSE(f.field.isMonitoringKeys());
    // A key sent to the field without the focus is not stepped.
    EXPECT_EQ(f.after("7", Qt::Key_Up), "7");
}

// The number field of the editors: an edit ended by Return is reported with
// the number in its shortest form, and the field stops stepping keys when the
// focus has gone, as every step field does.
TEST(NumberField, ReportsAnEditAndStopsSteppingWhenTheFocusLeaves)
{
    NumberField field;
    int reports = 0;
    QObject::connect(&field, &NumberField::numberEdited, &field, [&reports] { ++reports; });
    field.show();
    field.activateWindow();
    field.setFocus();
    ASSERT_TRUE(QTest::qWaitFor([&field] { return field.hasFocus(); }));
    field.setText(QString());
    QTest::keyClicks(&field, QStringLiteral("12.50"));
    QTest::keyClick(&field, Qt::Key_Return);
    EXPECT_EQ(field.text(), QStringLiteral("12.5"));
    EXPECT_EQ(reports, 1);

    QLineEdit other;
    other.show();
    other.activateWindow();
    other.setFocus();
    ASSERT_TRUE(QTest::qWaitFor([&other] { return other.hasFocus(); }));
    EXPECT_FALSE(field.isMonitoringKeys());
}

// "abc" once emptied the field, and its editor dropped the declaration (#66).
TEST(NumberField, TakesAUnitTypedAfterTheNumberAndRefusesOtherText)
{
    NumberField field;
    QStringList reports;
    QObject::connect(&field, &NumberField::unitTyped, &field, [&reports](const QString &unit) { reports << unit; });
    QObject::connect(&field, &NumberField::numberEdited, &field, [&reports, &field] { reports << field.text(); });
    field.show();
    field.activateWindow();
    field.setFocus();
    ASSERT_TRUE(QTest::qWaitFor([&field] { return field.hasFocus(); }));
    const auto type = [&field](const QString &text) {
        field.selectAll();
        QTest::keyClicks(&field, text);
        QTest::keyClick(&field, Qt::Key_Return);
    };
    type(QStringLiteral("-2.50EM"));
    EXPECT_EQ(reports, (QStringList{QStringLiteral("em"), QStringLiteral("-2.5")}));
    type(QStringLiteral("abc"));
    type(QStringLiteral("3pz"));
    EXPECT_EQ(reports.size(), 2);
    EXPECT_EQ(field.text(), QStringLiteral("-2.5"));
    EXPECT_TRUE(FieldMark::isRefused(&field));
    field.setTakesUnits(false);
    type(QStringLiteral("4px"));
    EXPECT_EQ(reports.size(), 2);
    type(QStringLiteral(".5"));
    EXPECT_EQ(reports.last(), QStringLiteral("0.5"));
    EXPECT_FALSE(FieldMark::isRefused(&field));
}

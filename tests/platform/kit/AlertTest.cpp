#include "platform/kit/Alert.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <QtTest/QTest>

#include <gtest/gtest.h>

namespace {

// Clicks a button of the next modal alert once it is shown.
void clickLater(int buttonIndex, bool tickSuppression = false)
{
    QTimer::singleShot(0, [=] {
        auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
        ASSERT_NE(box, nullptr);
        if (tickSuppression && box->checkBox())
            box->checkBox()->setChecked(true);
        auto *button = box->findChild<QAbstractButton *>(QStringLiteral("alertButton%1").arg(buttonIndex));
        ASSERT_NE(button, nullptr);
        button->click();
    });
}

TEST(Alert, AnswersByTheOrderTheButtonsWereAddedIn)
{
    Alert alert;
    alert.setMessageText(QStringLiteral("Are you sure you want to quit Quillmark?"));
    alert.addButtonWithTitle(QStringLiteral("Quit"));
    alert.addButtonWithTitle(QStringLiteral("Save And Quit"));
    alert.addButtonWithTitle(QStringLiteral("Cancel"));
    clickLater(1);
    EXPECT_EQ(alert.runModal(), Alert::SecondButtonReturn);
    clickLater(2);
    EXPECT_EQ(alert.runModal(), Alert::ThirdButtonReturn);
}

TEST(Alert, TheFirstButtonIsTheDefaultAndCancelAnswersEscape)
{
    Alert alert;
    alert.addButtonWithTitle(QStringLiteral("Replace"));
    alert.addButtonWithTitle(QStringLiteral("Cancel"));
    const auto box = alert.makeMessageBox(nullptr);
    EXPECT_EQ(box->defaultButton()->text(), QStringLiteral("Replace"));
    EXPECT_EQ(box->escapeButton()->text(), QStringLiteral("Cancel"));
}

TEST(Alert, ADefaultButtonNamedByItsPlaceKeepsTheOrderOfTheButtons)
{
    Alert alert;
    alert.addButtonWithTitle(QStringLiteral("Quit"));
    alert.addButtonWithTitle(QStringLiteral("Save And Quit"));
    alert.addButtonWithTitle(QStringLiteral("Cancel"));
    alert.setDefaultButtonIndex(1);
    const auto box = alert.makeMessageBox(nullptr);
    EXPECT_EQ(box->defaultButton()->text(), QStringLiteral("Save And Quit"));
    EXPECT_EQ(box->escapeButton()->text(), QStringLiteral("Cancel"));
    QTimer::singleShot(0, [] {
        QWidget *box = QApplication::activeModalWidget();
        ASSERT_NE(box, nullptr);
        // The key goes where the keyboard is, as a user's does.
        QTest::keyClick(box->focusWidget() ? box->focusWidget() : box, Qt::Key_Return);
    });
    EXPECT_EQ(alert.runModal(), Alert::SecondButtonReturn);
}

TEST(Alert, WithoutButtonsShowsOKAndSkipsEmptyTitles)
{
    Alert alert;
    alert.addButtonWithTitle(QString());
    EXPECT_TRUE(alert.buttonTitles().isEmpty());
    const auto box = alert.makeMessageBox(nullptr);
    ASSERT_EQ(box->buttons().size(), 1);
    EXPECT_EQ(box->buttons().first()->text(), QStringLiteral("OK"));
    clickLater(0);
    EXPECT_EQ(alert.runModal(), Alert::FirstButtonReturn);
}

TEST(Alert, RemembersTheSuppressionCheckBox)
{
    Alert alert;
    alert.addButtonWithTitle(QStringLiteral("OK"));
    alert.setShowsSuppressionButton(true);
    clickLater(0, true);
    alert.runModal();
    EXPECT_TRUE(alert.suppressionButtonChecked());
}

TEST(Alert, ThePanelFormAnswersDefaultAlternateAndOther)
{
    clickLater(1);
    EXPECT_EQ(Alert::runAlertPanel(QStringLiteral("Missing file"), QStringLiteral("Gone."),
                                   QStringLiteral("OK"), QStringLiteral("Keep"), QStringLiteral("Other")),
              Alert::AlternateReturn);
    // An empty alternate title leaves the third button second.
    clickLater(1);
    EXPECT_EQ(Alert::runAlertPanel(QStringLiteral("t"), QString(), QStringLiteral("OK"), QString(),
                                   QStringLiteral("Other")),
              Alert::OtherReturn);
}

TEST(Alert, AResponderAnswersInPlaceOfTheUser)
{
    QString asked;
    Alert::setResponder([&](const Alert &alert) {
        asked = alert.messageText();
        return int(Alert::SecondButtonReturn);
    });
    Alert alert;
    alert.setMessageText(QStringLiteral("Reload HTML File"));
    alert.addButtonWithTitle(QStringLiteral("OK"));
    alert.addButtonWithTitle(QStringLiteral("Cancel"));
    const int answer = alert.runModal();
    int sheetAnswer = 0;
    alert.beginSheetModalForWindow(nullptr, [&](int response) { sheetAnswer = response; });
    Alert::setResponder({});
    EXPECT_EQ(answer, Alert::SecondButtonReturn);
    EXPECT_EQ(sheetAnswer, Alert::SecondButtonReturn);
    EXPECT_EQ(asked, QStringLiteral("Reload HTML File"));
}

} // namespace

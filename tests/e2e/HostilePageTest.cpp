#include "SessionTest.h"

#include <QJsonObject>

namespace HostilePageTest {

namespace {

const char kOtherPage[] = "about.html";
const char kOtherTitle[] = "About";

// Pages whose scripts never let go: the program stays in the user's hands.
class HostilePage : public SessionTest
{
protected:
    QJsonObject pageDialog() { return session.ask({{QStringLiteral("q"), QStringLiteral("pageDialog")}}); }

    bool notRespondingShown()
    {
        return session.ask({{QStringLiteral("q"), QStringLiteral("widget")}, {QStringLiteral("name"), QStringLiteral("pageNotResponding")}})
            .value(QStringLiteral("visible"))
            .toBool();
    }

    // Another page of the project opens, and nothing of the project changed.
    void anotherPageOpens()
    {
        ASSERT_TRUE(session.openPage(QString::fromLatin1(kOtherPage)));
        EXPECT_TRUE(session.waitFor([](const QJsonObject &state) { return Shown::titled(state, kOtherTitle); }, 15000))
            << session.state().value(QStringLiteral("status")).toString().toStdString();
        EXPECT_FALSE(pageDialog().value(QStringLiteral("open")).toBool());
        EXPECT_EQ(changed(), "");
    }
};

} // namespace

// A page that loops for ever once loaded: the preview says it does not
// respond, and the next page opened is shown all the same (#65).
TEST_F(HostilePage, ABusyPageSaysItDoesNotRespondAndAnotherPageStillOpens)
{
    ASSERT_TRUE(session.addProject());
    ASSERT_TRUE(session.openPage(QStringLiteral("hostile-busy.html")));
    ASSERT_TRUE(session.waitFor([&](const QJsonObject &) { return notRespondingShown(); }, 15000));
    ASSERT_NO_FATAL_FAILURE(anotherPageOpens());
    EXPECT_FALSE(notRespondingShown());
}

// A page asking alert after alert: the window stays usable, the second
// alert offers to stop them, and opening another page dismisses it (#65).
TEST_F(HostilePage, AlertsOneAfterAnotherLeaveTheWindowUsable)
{
    ASSERT_TRUE(session.addProject());
    ASSERT_TRUE(session.openPage(QStringLiteral("hostile-alerts.html")));
    ASSERT_TRUE(session.waitFor([&](const QJsonObject &) { return pageDialog().value(QStringLiteral("open")).toBool(); }));
    QJsonObject dialog = pageDialog();
    EXPECT_EQ(dialog.value(QStringLiteral("text")).toString(), QStringLiteral("Again 1"));
    EXPECT_FALSE(dialog.value(QStringLiteral("offersToStop")).toBool());
    // The dialog holds no modal grip on the program.
    EXPECT_FALSE(session.state().contains(QStringLiteral("modal")));
    const QRect shown(dialog[QStringLiteral("x")].toInt(), dialog[QStringLiteral("y")].toInt(), dialog[QStringLiteral("w")].toInt(),
                      dialog[QStringLiteral("h")].toInt());
    session.click(shown.center());
    session.key(QStringLiteral("Return"));
    ASSERT_TRUE(session.waitFor([&](const QJsonObject &) {
        return pageDialog().value(QStringLiteral("text")).toString() == QLatin1String("Again 2");
    }));
    EXPECT_TRUE(pageDialog().value(QStringLiteral("offersToStop")).toBool());
    ASSERT_NO_FATAL_FAILURE(anotherPageOpens());
}

} // namespace HostilePageTest

#include "SessionTest.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonObject>

#include <signal.h>

// What happens outside the program is shown to the user where the page is
// shown: a page's file deleted and written back by another program, a page
// that stops the browser each time it is loaded, a browser that keeps dying
// or stops answering.
namespace OutsideEventsTest {

namespace {

const QString kPage = QStringLiteral("outside.html");
// How long the program lets its browser say nothing while a question waits.
constexpr int kSilenceMs = 8000;

QString notice(const QJsonObject &state)
{
    return state.value(QStringLiteral("notice")).toString();
}

qint64 browserOf(const QJsonObject &state)
{
    return state.value(QStringLiteral("browserPid")).toInteger();
}

class OutsideEvents : public SessionTest
{
protected:
    void openLog() { ASSERT_NO_FATAL_FAILURE(openSite("outside.html", "Lighthouse Log")); }
    void selectEntry() { ASSERT_NO_FATAL_FAILURE(selectInTree("<body>...</body>", "Right Down Down", "entry")); }

    // An attribute added to the selected element in the inspector.
    void addTitle(const char *value)
    {
        ASSERT_TRUE(session.fill(QStringLiteral("attrName"), QStringLiteral("title")));
        ASSERT_TRUE(session.fill(QStringLiteral("attrValue"), QString::fromLatin1(value)));
        ASSERT_TRUE(session.clickWidget(QStringLiteral("addAttr")));
    }

    QString shownTitleOfEntry()
    {
        return session
            .ask({{QStringLiteral("q"), QStringLiteral("page")},
                  {QStringLiteral("expression"), QStringLiteral("String(document.getElementById('entry').title)")}})
            .value(QStringLiteral("value"))
            .toString();
    }

    QByteArray pageWith(const char *before, const char *after) const
    {
        return QByteArray(session.original(kPage)).replace(before, after);
    }
};

} // namespace

TEST_F(OutsideEvents, AShownPageDeletedOutsideIsShownGoneAndBackOnceWrittenAgain)
{
    ASSERT_NO_FATAL_FAILURE(openLog());
    ASSERT_NO_FATAL_FAILURE(selectEntry());

    ASSERT_TRUE(QFile::remove(session.projectPath() + u'/' + kPage));
    // The preview shows the page gone, and the panels let its elements go.
    ASSERT_TRUE(session.waitFor([](const QJsonObject &state) {
        return state.value(QStringLiteral("status")).toString().startsWith(QLatin1String("Could not load"))
               && state.value(QStringLiteral("treeRows")).toInt() == 0 && !state.contains(QStringLiteral("inspected"));
    }, 10000));
    // An attribute typed into the inspector then goes nowhere.
    ASSERT_NO_FATAL_FAILURE(addTitle("dusk"));
    EXPECT_TRUE(session.state().value(QStringLiteral("unsaved")).toArray().isEmpty());

    // Written back as another program does: shown again within seconds.
    ASSERT_TRUE(session.writeOnDisk(kPage, session.original(kPage)));
    EXPECT_TRUE(session.waitFor([](const QJsonObject &state) { return Shown::titled(state, "Lighthouse Log"); }, 10000))
        << session.state().value(QStringLiteral("status")).toString().toStdString();
    EXPECT_EQ(changed(), "");
}

TEST_F(OutsideEvents, APageThatStopsTheBrowserAtEachLoadSaysSoAndAnotherPageOpens)
{
    // A sheet the browser's renderer dies on, with the browser alone too.
    QByteArray sheet;
    for (int i = 0; i < 10000; ++i)
        sheet += "a{";
    ASSERT_TRUE(session.writeOnDisk(QStringLiteral("css/outside-crash.css"), sheet));
    ASSERT_TRUE(session.writeOnDisk(QStringLiteral("outside-crash.html"),
                                    "<!DOCTYPE html>\n<html><head><title>Storm Warning</title>"
                                    "<link rel=\"stylesheet\" href=\"css/outside-crash.css\"></head>"
                                    "<body><p>Gale from the west.</p></body></html>\n"));
    ASSERT_TRUE(session.addProject());
    ASSERT_TRUE(session.openPage(QStringLiteral("outside-crash.html")));
    ASSERT_TRUE(session.waitFor([](const QJsonObject &state) {
        return notice(state).contains(QLatin1String("stops the preview's browser each time it is loaded"))
               && notice(state).contains(QLatin1String("Reload"));
    }, 60000)) << session.logTail().toStdString();
    EXPECT_FALSE(session.state().contains(QStringLiteral("modal")));

    // The program goes on: another page opens, and the message goes.
    ASSERT_TRUE(session.openPage(kPage));
    EXPECT_TRUE(session.waitFor([](const QJsonObject &state) {
        return Shown::titled(state, "Lighthouse Log") && notice(state).isEmpty();
    }, 15000)) << notice(session.state()).toStdString();
    EXPECT_EQ(changed(), "new: css/outside-crash.css new: outside-crash.html");
}

TEST_F(OutsideEvents, ABrowserThatKeepsDyingSaysItIsNotStartedAgainAndReloadStartsIt)
{
    ASSERT_NO_FATAL_FAILURE(openLog());
    // Killed again right after each start, until the program stops starting it.
    for (int kill = 0; kill < 5 && browserOf(session.state()) > 0; ++kill) {
        const qint64 browser = browserOf(session.state());
        ASSERT_EQ(::kill(pid_t(browser), SIGKILL), 0);
        ASSERT_TRUE(session.waitFor([browser](const QJsonObject &state) { return browserOf(state) != browser; }, 15000));
    }
    ASSERT_TRUE(session.waitFor([](const QJsonObject &state) {
        return notice(state).contains(QLatin1String("is not started again by itself"))
               && notice(state).contains(QLatin1String("Reload"));
    }, 10000)) << notice(session.state()).toStdString();
    EXPECT_EQ(browserOf(session.state()), 0);
    EXPECT_FALSE(session.state().contains(QStringLiteral("modal")));

    session.key(QStringLiteral("ctrl+r"));
    EXPECT_TRUE(session.waitFor([](const QJsonObject &state) {
        return browserOf(state) > 0 && Shown::titled(state, "Lighthouse Log") && notice(state).isEmpty();
    }, 30000)) << notice(session.state()).toStdString();
    EXPECT_EQ(changed(), "");
}

TEST_F(OutsideEvents, AStoppedBrowserIsReplacedAndThePageComesBackWithItsUnsavedEdit)
{
    ASSERT_NO_FATAL_FAILURE(openLog());
    ASSERT_NO_FATAL_FAILURE(selectEntry());
    ASSERT_NO_FATAL_FAILURE(addTitle("dusk"));
    ASSERT_TRUE(session.waitFor([](const QJsonObject &state) {
        return state.value(QStringLiteral("unsaved")).toArray().contains(QStringLiteral("/outside.html"));
    }));

    const qint64 browser = browserOf(session.state());
    ASSERT_GT(browser, 0);
    ASSERT_EQ(::kill(pid_t(browser), SIGSTOP), 0);
    // Asked every second, it is ended once it has said nothing for the limit.
    ASSERT_TRUE(session.waitFor([browser](const QJsonObject &state) {
        return browserOf(state) > 0 && browserOf(state) != browser;
    }, kSilenceMs + 15000));
    EXPECT_NE(::kill(pid_t(browser), 0), 0);

    ASSERT_TRUE(session.waitFor([](const QJsonObject &state) {
        return notice(state).contains(QLatin1String("stopped answering"))
               && notice(state).contains(QLatin1String("unsaved changes"));
    })) << notice(session.state()).toStdString();
    EXPECT_TRUE(session.waitFor([&](const QJsonObject &state) {
        return Shown::titled(state, "Lighthouse Log") && shownTitleOfEntry() == QLatin1String("dusk");
    }, 20000));
    EXPECT_FALSE(session.state().value(QStringLiteral("canUndo")).toBool());
    saveAndExpect("outside.html", pageWith("<p id=\"entry\" class=\"entry\">", "<p id=\"entry\" class=\"entry\" title=\"dusk\">"));
}

} // namespace OutsideEventsTest

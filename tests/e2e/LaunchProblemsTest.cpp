#include "Session.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sys/stat.h>

// What the user finds at launch, with permissions as users have them: user
// settings that cannot be written, project folders missing or closed, a
// browser that cannot be run. Each is told with its real cause, and nothing
// the user has is dropped by the program (#85).
namespace LaunchProblemsTest {

namespace {

bool setMode(const QString &path, mode_t mode)
{
    return ::chmod(QFile::encodeName(path).constData(), mode) == 0;
}

QByteArray readAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

class LaunchProblems : public testing::Test
{
protected:
    void TearDown() override
    {
        if (HasFailure() && session.isRunning())
            session.reportFailure(QString::fromLatin1(testing::UnitTest::GetInstance()->current_test_info()->name()));
    }

    // A first launch that leaves its settings, as any user's.
    void runOnce()
    {
        ASSERT_TRUE(session.launch()) << session.logTail().toStdString();
        ASSERT_TRUE(session.quit());
    }
    QJsonObject tree()
    {
        return session.ask({{QStringLiteral("q"), QStringLiteral("widget")}, {QStringLiteral("name"), QStringLiteral("finderView")}});
    }
    // The tool tip of the tree's row of that name; null when there is no such row.
    QString tipOf(const QString &row)
    {
        const QJsonObject shown = tree();
        const qsizetype at = shown[QStringLiteral("rows")].toVariant().toStringList().indexOf(row);
        return at < 0 ? QString() : shown[QStringLiteral("tips")][int(at)].toString();
    }
    QStringList greyed() { return tree()[QStringLiteral("greyed")].toVariant().toStringList(); }

    Session session;
};

} // namespace

// The settings file read-only: one alert names the file and the cause and
// says the session's settings will not be kept; the session goes on writing
// settings without another word, and the file keeps its bytes.
TEST_F(LaunchProblems, SettingsThatCannotBeWrittenAreToldOnceWithTheFileAndTheCause)
{
    ASSERT_NO_FATAL_FAILURE(runOnce());
    const QString defaults = session.defaultsPath();
    const QByteArray bytes = readAll(defaults);
    ASSERT_FALSE(bytes.isEmpty());
    ASSERT_TRUE(setMode(defaults, 0444));
    session.obeyFilePermissions();
    ASSERT_TRUE(session.launch(Session::Launch::Asking)) << session.logTail().toStdString();
    QJsonObject asked;
    ASSERT_TRUE(session.waitFor([&](const QJsonObject &state) {
        asked = state;
        return state[QStringLiteral("modalText")] == QStringLiteral("A settings file could not be used.");
    }));
    const QString told = asked[QStringLiteral("modalInfo")].toString();
    EXPECT_EQ(told, QStringLiteral("Quillmark's settings file %1 cannot be written: Permission denied (the file cannot "
                                   "be written). The settings of this session (the projects added, the places of the "
                                   "windows and panes) will not be kept when Quillmark quits.")
                        .arg(defaults));
    ASSERT_TRUE(session.answerQuestion(QStringLiteral("A settings file could not be used."), QStringLiteral("alertButton0")));
    ASSERT_TRUE(session.waitForMainWindow());

    // Settings written again and again: a project added, a page shown, the windows closed.
    ASSERT_TRUE(session.addProject());
    ASSERT_TRUE(session.openPage(QStringLiteral("index.html")));
    ASSERT_TRUE(session.waitFor([](const QJsonObject &state) {
        return state[QStringLiteral("documentTitle")] == QStringLiteral("Harbour Lights");
    }));
    EXPECT_FALSE(session.state().contains(QStringLiteral("modal")));
    ASSERT_TRUE(session.quit());
    EXPECT_EQ(session.logTail(100000).count(QStringLiteral("will not be kept")), 1) << session.logTail().toStdString();
    ASSERT_TRUE(setMode(defaults, 0644));
    EXPECT_EQ(readAll(defaults), bytes);
}

// One project's folder gone (a disk not mounted, a folder renamed), the
// other's closed to the user: both stay in the list, greyed, with why in
// their tool tips; chosen, they stay; back, they come back by themselves,
// and are there at the next launch.
TEST_F(LaunchProblems, ProjectFoldersMissingOrUnreadableAtLaunchStayGreyedAndComeBack)
{
    ASSERT_TRUE(session.launch()) << session.logTail().toStdString();
    ASSERT_TRUE(session.addProject());
    const QString annex = session.makeProject(QStringLiteral("annex"),
                                              {{QStringLiteral("pier.html"), "<!DOCTYPE html><title>Pier</title>"}});
    ASSERT_TRUE(session.addProject(annex));
    ASSERT_TRUE(session.quit());

    const QString site = session.projectPath();
    ASSERT_TRUE(QDir().rename(site, site + QStringLiteral("-away")));
    ASSERT_TRUE(setMode(annex, 0));
    session.obeyFilePermissions();
    ASSERT_TRUE(session.launch(Session::Launch::Again)) << session.logTail().toStdString();
    EXPECT_TRUE(session.waitFor([&](const QJsonObject &) {
        return greyed() == QStringList{QStringLiteral("annex"), QStringLiteral("site")};
    })) << QJsonDocument(tree()).toJson().toStdString();
    EXPECT_TRUE(tipOf(QStringLiteral("site")).startsWith(QStringLiteral("The folder %1 is missing").arg(site)))
        << tipOf(QStringLiteral("site")).toStdString();
    EXPECT_TRUE(tipOf(QStringLiteral("annex")).startsWith(QStringLiteral("The folder %1 cannot be read (Permission denied)").arg(annex)))
        << tipOf(QStringLiteral("annex")).toStdString();

    // Chosen, each stays, and nothing is asked.
    ASSERT_TRUE(session.clickRow(QStringLiteral("finderView"), QStringLiteral("site")));
    ASSERT_TRUE(session.clickRow(QStringLiteral("finderView"), QStringLiteral("annex")));
    EXPECT_FALSE(session.state().contains(QStringLiteral("modal")));
    EXPECT_EQ(session.rows(QStringLiteral("finderView")), (QStringList{QStringLiteral("annex"), QStringLiteral("site")}));

    // Back: each comes back by itself, its files listed.
    ASSERT_TRUE(QDir().rename(site + QStringLiteral("-away"), site));
    ASSERT_TRUE(setMode(annex, 0755));
    EXPECT_TRUE(session.waitFor([&](const QJsonObject &) { return greyed().isEmpty(); }))
        << QJsonDocument(tree()).toJson().toStdString();
    ASSERT_TRUE(session.clickRow(QStringLiteral("finderView"), QStringLiteral("site")));
    session.key(QStringLiteral("Right"));
    EXPECT_TRUE(session.waitFor([&](const QJsonObject &) {
        return session.rows(QStringLiteral("finderView")).contains(QStringLiteral("about.html"));
    })) << session.rows(QStringLiteral("finderView")).join(u' ').toStdString();
    EXPECT_TRUE(session.openPage(QStringLiteral("about.html")));
    ASSERT_TRUE(session.quit());

    ASSERT_TRUE(session.launch(Session::Launch::Again)) << session.logTail().toStdString();
    EXPECT_TRUE(session.waitFor([&](const QJsonObject &) {
        const QStringList rows = session.rows(QStringLiteral("finderView"));
        return rows.contains(QStringLiteral("annex")) && rows.contains(QStringLiteral("site")) && greyed().isEmpty();
    })) << QJsonDocument(tree()).toJson().toStdString();
    EXPECT_TRUE(session.changedFiles().isEmpty()) << session.changedFiles().join(u' ').toStdString();
}

// A browser file that is there but cannot be run is said to be so, with
// its path, not to be missing; one that runs but is no program, with the
// system's own reason.
TEST_F(LaunchProblems, ABrowserThatCannotBeRunIsSaidToBeSoWithItsPath)
{
    ASSERT_NO_FATAL_FAILURE(runOnce());
    QTemporaryDir folder;
    const QString browser = folder.filePath(QStringLiteral("chromium"));
    QFile script(browser);
    ASSERT_TRUE(script.open(QIODevice::WriteOnly) && script.write("#!/bin/sh\nexec /usr/bin/chromium \"$@\"\n") > 0);
    script.close();
    ASSERT_TRUE(setMode(browser, 0644));
    session.setEnvironment(QStringLiteral("QUILLMARK_CHROMIUM"), browser);
    session.obeyFilePermissions();
    const auto says = [&](const QString &told) {
        return session.waitFor([&](const QJsonObject &state) {
            return state[QStringLiteral("modalText")] == QStringLiteral("The live preview is not available.")
                   && state[QStringLiteral("modalInfo")] == told;
        });
    };
    ASSERT_TRUE(session.launch(Session::Launch::Asking)) << session.logTail().toStdString();
    EXPECT_TRUE(says(QStringLiteral("The preview's browser %1 cannot be run: it is not executable (its permissions do "
                                    "not let it run).").arg(browser)))
        << session.state()[QStringLiteral("modalInfo")].toString().toStdString();
    session.stop();

    ASSERT_TRUE(script.open(QIODevice::WriteOnly | QIODevice::Truncate) && script.write("no program at all\n") > 0);
    script.close();
    ASSERT_TRUE(setMode(browser, 0755));
    ASSERT_TRUE(session.launch(Session::Launch::Asking)) << session.logTail().toStdString();
    EXPECT_TRUE(says(QStringLiteral("The preview's browser %1 cannot be run (Exec format error).").arg(browser)))
        << session.state()[QStringLiteral("modalInfo")].toString().toStdString();
}

} // namespace LaunchProblemsTest

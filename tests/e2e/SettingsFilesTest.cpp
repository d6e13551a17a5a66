#include "Session.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonObject>

#include <gtest/gtest.h>

#include <algorithm>
#include <map>

#include <sys/stat.h>

// The program's own settings files, damaged or unreadable, in the real
// program: the user is told what became of each and what is used instead;
// a damaged file is kept aside, an unreadable one keeps its name and bytes.
namespace SettingsFilesTest {

namespace {

class SettingsFiles : public testing::Test
{
protected:
    void TearDown() override
    {
        if (HasFailure() && session.isRunning())
            session.reportFailure(QString::fromLatin1(testing::UnitTest::GetInstance()->current_test_info()->name()));
    }

    QString home() const { return QFileInfo(session.defaultsPath()).absolutePath() + QStringLiteral("/../.."); }
    // The files the program keeps for the fixture project and the user.
    QStringList projectFiles() const
    {
        return {session.projectPath() + QStringLiteral("/.quillmark_config"),
                session.projectPath() + QStringLiteral("/.kem"),
                QDir::cleanPath(home() + QStringLiteral("/.local/share/Quillmark/Snippet.plist"))};
    }

    // A first run that adds the project and opens its page, and so writes
    // the settings files, then quits.
    void runOnce()
    {
        ASSERT_TRUE(session.launch()) << session.logTail().toStdString();
        ASSERT_TRUE(session.addProject());
        ASSERT_TRUE(session.openPage(QStringLiteral("index.html")));
        ASSERT_TRUE(session.waitFor([](const QJsonObject &state) {
            return state.value(QStringLiteral("documentTitle")).toString() == QLatin1String("Harbour Lights");
        }));
        for (const QString &path : projectFiles())
            ASSERT_TRUE(QFile::exists(path)) << path.toStdString();
        ASSERT_TRUE(session.quit());
    }

    // Answers the program's alerts about settings files until every path
    // was named in one of them, this far in the test; answers whether it was.
    bool answerAlertsNaming(const QStringList &paths)
    {
        const auto namesAll = [&] {
            return std::all_of(paths.begin(), paths.end(), [&](const QString &path) { return told.contains(path); });
        };
        while (!namesAll()) {
            QJsonObject asked;
            if (!session.waitFor([&](const QJsonObject &state) {
                    asked = state;
                    return state.value(QStringLiteral("modalText")).toString().contains(QLatin1String("could not be used"));
                }))
                return false;
            told += asked.value(QStringLiteral("modalInfo")).toString() + QLatin1Char('\n');
            session.clickWidget(QStringLiteral("alertButton0")); // OK
            session.waitFor([&](const QJsonObject &state) {
                return state.value(QStringLiteral("modalInfo")) != asked.value(QStringLiteral("modalInfo"));
            });
        }
        return true;
    }

    // What the alerts said.
    QString told;
    Session session;
};

QByteArray readAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

TEST_F(SettingsFiles, DamagedOnesAreKeptAsideAndTheUserIsToldWhereAndWhatIsUsedInstead)
{
    runOnce();
    const QByteArray garbage("\x00\x01 not settings at all \xff", 24);
    for (const QString &path : projectFiles()) {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(garbage) == garbage.size());
    }
    ASSERT_TRUE(session.launch(Session::Launch::Asking)) << session.logTail().toStdString();
    QStringList asides;
    for (const QString &path : projectFiles())
        asides << path + QStringLiteral(".bak");
    EXPECT_TRUE(answerAlertsNaming(asides)) << told.toStdString();
    for (const QString &path : projectFiles()) {
        EXPECT_TRUE(told.contains(path + QStringLiteral(" is damaged"))) << told.toStdString();
        EXPECT_TRUE(told.contains(QStringLiteral("kept as %1.bak;").arg(path))) << told.toStdString();
        EXPECT_EQ(readAll(path + QStringLiteral(".bak")), garbage) << path.toStdString();
    }
    EXPECT_TRUE(told.contains(QStringLiteral("the project uses the default settings"))) << told.toStdString();
    ASSERT_TRUE(session.waitForMainWindow());
    ASSERT_TRUE(session.quit());

    // The program's own settings: it starts as at a first launch, and says so.
    const QString defaults = session.defaultsPath();
    QFile file(defaults);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(garbage) == garbage.size());
    file.close();
    ASSERT_TRUE(session.launch(Session::Launch::Asking)) << session.logTail().toStdString();
    EXPECT_TRUE(answerAlertsNaming({defaults + QStringLiteral(".bak")})) << told.toStdString();
    EXPECT_TRUE(told.contains(QStringLiteral("as at a first launch"))) << told.toStdString();
    EXPECT_EQ(readAll(defaults + QStringLiteral(".bak")), garbage);
}

// A file that cannot be read is not damaged: it is the user's, and keeps its
// name and bytes however the program is used and quit (#80).
TEST_F(SettingsFiles, UnreadableOnesKeepTheirNamesAndBytesAndTheUserIsToldWhy)
{
    runOnce();
    QStringList paths = projectFiles();
    paths << session.defaultsPath();
    std::map<QString, QByteArray> bytes;
    for (const QString &path : paths) {
        bytes[path] = readAll(path);
        ASSERT_EQ(::chmod(QFile::encodeName(path).constData(), 0), 0);
    }
    session.obeyFilePermissions();
    // Without its own settings it starts as at a first launch: the project
    // is added again, and the page opened.
    ASSERT_TRUE(session.launch(Session::Launch::Asking)) << session.logTail().toStdString();
    EXPECT_TRUE(answerAlertsNaming({session.defaultsPath(), projectFiles().last()})) << told.toStdString();
    ASSERT_TRUE(session.waitForModal()); // the tutorial panel
    session.key(QStringLiteral("Escape"));
    ASSERT_TRUE(session.waitForMainWindow());
    // The project's files are told about as it comes in, over the tree.
    ASSERT_TRUE(session.addProject());
    EXPECT_TRUE(answerAlertsNaming(projectFiles())) << told.toStdString();
    ASSERT_TRUE(session.waitForMainWindow());
    ASSERT_TRUE(session.openPage(QStringLiteral("index.html")));
    ASSERT_TRUE(session.waitFor([](const QJsonObject &state) {
        return state.value(QStringLiteral("documentTitle")).toString() == QLatin1String("Harbour Lights");
    }));
    ASSERT_TRUE(session.quit());

    for (const QString &path : paths) {
        EXPECT_TRUE(told.contains(path + QStringLiteral(" cannot be read (Permission denied)"))) << told.toStdString();
        ::chmod(QFile::encodeName(path).constData(), 0600);
        EXPECT_EQ(readAll(path), bytes[path]) << path.toStdString();
        EXPECT_FALSE(QFile::exists(path + QStringLiteral(".bak"))) << path.toStdString();
    }
}

} // namespace SettingsFilesTest

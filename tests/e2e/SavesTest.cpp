#include "Session.h"
#include "SmallDisk.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QJsonArray>
#include <QThread>

#include <gtest/gtest.h>

// Saving in the real program: what the user is told when a save fails, that
// the file keeps its bytes, and quitting with Save And Quit.
namespace SavesTest {

namespace {

QString modalText(const QJsonObject &state)
{
    return state.value(QStringLiteral("modalText")).toString() + QLatin1Char('\n')
           + state.value(QStringLiteral("modalInfo")).toString();
}

class Saves : public testing::Test
{
protected:
    void TearDown() override
    {
        if (HasFailure() && session.isRunning())
            session.reportFailure(QString::fromLatin1(testing::UnitTest::GetInstance()->current_test_info()->name()));
    }

    // The fixture project added, its first page open with its text in the
    // centre pane, and the caret at the end of that text.
    void openIndexInTheCodeView()
    {
        ASSERT_TRUE(session.addProject());
        ASSERT_TRUE(session.openPage(QStringLiteral("index.html")));
        ASSERT_TRUE(session.waitFor([](const QJsonObject &state) {
            return state.value(QStringLiteral("documentTitle")).toString() == QLatin1String("Harbour Lights");
        }));
        ASSERT_TRUE(session.clickUntilFocused(QStringLiteral("codeView"), QStringLiteral("codeView")));
        session.key(QStringLiteral("ctrl+End"));
    }

    // Waits for an alert whose text holds the words.
    bool waitForAlert(const QString &words)
    {
        // Shown and holding the keyboard, as a user sees it before pressing a key.
        return session.waitFor([&](const QJsonObject &state) {
            return modalText(state).contains(words) && state.value(QStringLiteral("modalActive")).toBool()
                && state.value(QStringLiteral("focus")).toString().startsWith(QLatin1String("alertButton"));
        }, 10000);
    }

    Session session;
};

// Copies the fixture project into a folder (a small disk mounted over the
// session's copy of it).
void copyFixtureInto(const QString &folder)
{
    const QString fixture = QStringLiteral(QUILLMARK_E2E_DATA "/site");
    QDirIterator it(fixture, QDir::Files | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString source = it.next();
        const QString target = folder + source.mid(fixture.size());
        QDir().mkpath(QFileInfo(target).absolutePath());
        QFile::copy(source, target);
    }
}

} // namespace

// Closed from the window manager (openbox's Alt+F4), whose close Qt 6.4
// delivers twice.
TEST_F(Saves, SaveAndQuitFromTheWindowManagerAsksOnceSavesAndQuits)
{
    ASSERT_TRUE(session.launch()) << session.logTail().toStdString();
    openIndexInTheCodeView();
    session.type(QStringLiteral("<!-- bye -->"));
    const QByteArray expected = session.original(QStringLiteral("index.html")) + "<!-- bye -->";

    session.key(QStringLiteral("alt+F4"));
    ASSERT_TRUE(waitForAlert(QStringLiteral("quit Quillmark")));
    ASSERT_TRUE(session.clickWidget(QStringLiteral("alertButton1"))); // Save And Quit
    // The program ends (its probe goes) without a second question.
    bool askedAgain = false;
    bool ended = false;
    for (int i = 0; i < 300 && !ended && !askedAgain; ++i) {
        const QJsonObject state = session.state();
        ended = state.contains(QStringLiteral("error"));
        askedAgain = modalText(state).contains(QStringLiteral("quit Quillmark"));
        QThread::msleep(50);
    }
    EXPECT_FALSE(askedAgain) << "the quit question came again";
    EXPECT_TRUE(ended) << "the program did not quit";
    EXPECT_EQ(session.onDisk(QStringLiteral("index.html")), expected);
}

// Ctrl+Q and Return out of habit keep the work (#80): with a file unsaved,
// Return is "Save And Quit" and the question says how many are unsaved;
// with none, Return quits and no file changes.
TEST_F(Saves, ReturnAtTheQuitQuestionKeepsUnsavedWork)
{
    ASSERT_TRUE(session.launch()) << session.logTail().toStdString();
    openIndexInTheCodeView();
    session.type(QStringLiteral("<!-- kept -->"));
    const QByteArray expected = session.original(QStringLiteral("index.html")) + "<!-- kept -->";
    ASSERT_TRUE(session.waitFor([](const QJsonObject &state) {
        return !state.value(QStringLiteral("unsaved")).toArray().isEmpty();
    }));

    session.key(QStringLiteral("ctrl+q"));
    ASSERT_TRUE(waitForAlert(QStringLiteral("quit Quillmark")));
    const QString told = modalText(session.state());
    EXPECT_TRUE(told.contains(QStringLiteral("1 file has unsaved changes"))) << told.toStdString();
    session.key(QStringLiteral("Return"));
    ASSERT_TRUE(session.waitForEnd()) << "the program did not quit";
    EXPECT_EQ(session.onDisk(QStringLiteral("index.html")), expected);

    ASSERT_TRUE(session.launch(Session::Launch::Again)) << session.logTail().toStdString();
    session.key(QStringLiteral("ctrl+q"));
    ASSERT_TRUE(waitForAlert(QStringLiteral("quit Quillmark")));
    EXPECT_FALSE(modalText(session.state()).contains(QStringLiteral("unsaved")));
    session.key(QStringLiteral("Return"));
    ASSERT_TRUE(session.waitForEnd()) << "the program did not quit";
    EXPECT_EQ(session.onDisk(QStringLiteral("index.html")), expected);
}

TEST_F(Saves, CtrlSOnAFullDiskSaysSoAndTheFileKeepsItsBytes)
{
    SmallDisk disk(session.projectPath(), "1m");
    if (!disk.isMounted())
        GTEST_SKIP() << "mounting a tmpfs needs root";
    copyFixtureInto(disk.path());
    ASSERT_TRUE(session.launch()) << session.logTail().toStdString();
    openIndexInTheCodeView();
    session.type(QStringLiteral("<!-- more -->"));
    ASSERT_TRUE(disk.fill());

    session.key(QStringLiteral("ctrl+s"));
    ASSERT_TRUE(waitForAlert(QStringLiteral("No space left on device")));
    const QString told = modalText(session.state());
    EXPECT_TRUE(told.contains(QStringLiteral("index.html"))) << told.toStdString();
    EXPECT_EQ(session.onDisk(QStringLiteral("index.html")), session.original(QStringLiteral("index.html")));
    ASSERT_TRUE(session.clickWidget(QStringLiteral("alertButton0"))); // OK
    ASSERT_TRUE(session.waitFor([](const QJsonObject &state) { return !state.contains(QStringLiteral("modal")); }));

    // With room again, the same keys save the edit.
    ASSERT_TRUE(disk.empty());
    ASSERT_TRUE(session.clickUntilFocused(QStringLiteral("codeView"), QStringLiteral("codeView")));
    session.key(QStringLiteral("ctrl+s"));
    const QByteArray expected = session.original(QStringLiteral("index.html")) + "<!-- more -->";
    EXPECT_TRUE(session.waitFor([&](const QJsonObject &) { return session.onDisk(QStringLiteral("index.html")) == expected; },
                                5000))
        << session.onDisk(QStringLiteral("index.html")).toStdString();
}

// A style sheet of some megabytes opens in the view of very large files:
// what is typed there is saved where it was typed, and undone, key by key,
// back to the file's own bytes.
TEST_F(Saves, TypingIntoAVeryLargeStyleSheetChangesItOnlyWhereTyped)
{
    QByteArray sheet;
    for (int i = 0; sheet.size() < 10 * 1024 * 1024; ++i)
        sheet += QStringLiteral(".card-%1 > a:hover {\n  margin: %1px 0;\n  color: #3a%2;\n}\n")
                     .arg(i)
                     .arg(i % 10000, 4, 10, QLatin1Char('0'))
                     .toLatin1();
    const QString name = QStringLiteral("large.css");
    ASSERT_TRUE(session.writeOnDisk(name, sheet));
    ASSERT_TRUE(session.launch()) << session.logTail().toStdString();
    ASSERT_TRUE(session.addProject());
    ASSERT_TRUE(session.clickRow(QStringLiteral("finderView"), name));
    ASSERT_TRUE(session.clickUntilFocused(QStringLiteral("largeTextView"), QStringLiteral("largeTextView"), 30000));
    // The keys go in once the view holds the text.
    ASSERT_TRUE(session.waitFor([](const QJsonObject &state) {
        return state.value(QStringLiteral("codeText")).toString().startsWith(QLatin1String(".card-0 > a:hover {"));
    }, 30000));

    // Into the first declaration, after "margin: 0".
    session.key(QStringLiteral("ctrl+Home Down End Left"));
    session.type(QStringLiteral(" auto"));
    session.key(QStringLiteral("ctrl+s"));
    QByteArray expected = sheet;
    expected.replace(0, 40, QByteArray(sheet.left(40)).replace("margin: 0px 0;", "margin: 0px 0 auto;"));
    EXPECT_TRUE(session.waitFor([&](const QJsonObject &) { return session.onDisk(name) == expected; }, 10000))
        << session.onDisk(name).left(80).toStdString();

    // Each key typed is a step of its own: five steps back, and none more there.
    session.key(QStringLiteral("ctrl+z ctrl+z ctrl+z ctrl+z ctrl+z ctrl+z ctrl+s"));
    EXPECT_TRUE(session.waitFor([&](const QJsonObject &) { return session.onDisk(name) == sheet; }, 10000))
        << session.onDisk(name).left(80).toStdString();
}

} // namespace SavesTest

#include "Session.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonObject>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sys/stat.h>

// What the user is told when a page or folder cannot be read, or the
// preview's browser never answers: the real cause, and nothing that did not
// happen (#80).
namespace FaultMessagesTest {

namespace {

class FaultMessages : public testing::Test
{
protected:
    void TearDown() override
    {
        if (HasFailure() && session.isRunning())
            session.reportFailure(QString::fromLatin1(testing::UnitTest::GetInstance()->current_test_info()->name()));
    }

    bool titled(const char *title)
    {
        return session.waitFor([title](const QJsonObject &state) {
            return state.value(QStringLiteral("documentTitle")).toString() == QLatin1String(title);
        });
    }
    // Types into the code view of the page open, and waits until it is unsaved.
    bool typeUnsaved(const QString &text)
    {
        if (!session.clickUntilFocused(QStringLiteral("codeView"), QStringLiteral("codeView")))
            return false;
        session.key(QStringLiteral("ctrl+End"));
        session.type(text);
        return session.waitFor([](const QJsonObject &state) {
            return !state.value(QStringLiteral("unsaved")).toArray().isEmpty();
        });
    }

    Session session;
};

bool setMode(const QString &path, mode_t mode)
{
    return ::chmod(QFile::encodeName(path).constData(), mode) == 0;
}

} // namespace

TEST_F(FaultMessages, APageAndAFolderThatCannotBeReadAreSaidToBeUnreadable)
{
    const QString root = session.projectPath();
    const QString about = root + QStringLiteral("/about.html");
    ASSERT_TRUE(setMode(about, 0));
    session.obeyFilePermissions();
    ASSERT_TRUE(session.launch()) << session.logTail().toStdString();
    ASSERT_TRUE(session.addProject());

    ASSERT_TRUE(session.openPage(QStringLiteral("about.html")));
    const QString unreadable = QStringLiteral("Could not load the page: %1 cannot be read (Permission denied)").arg(about);
    EXPECT_TRUE(session.waitFor([&](const QJsonObject &state) {
        return state.value(QStringLiteral("status")).toString() == unreadable;
    })) << session.state().value(QStringLiteral("status")).toString().toStdString();

    // A page with unsaved edits whose folder is made unreadable.
    ASSERT_TRUE(session.openPage(QStringLiteral("index.html")));
    ASSERT_TRUE(titled("Harbour Lights"));
    ASSERT_TRUE(typeUnsaved(QStringLiteral("<!-- mine -->")));
    ASSERT_TRUE(setMode(root, 0));
    const QString asked = QStringLiteral("\"index.html\" cannot be read: the folder %1 cannot be opened "
                                         "(Permission denied).").arg(root);
    EXPECT_TRUE(session.waitFor([&](const QJsonObject &state) {
        return state.value(QStringLiteral("modalText")).toString() == asked;
    })) << session.state().value(QStringLiteral("modalText")).toString().toStdString();
    EXPECT_TRUE(setMode(root, 0755));
    EXPECT_TRUE(setMode(about, 0644));
    EXPECT_TRUE(session.changedFiles().isEmpty()) << session.changedFiles().join(u' ').toStdString();
}

// A browser that starts and never says a word: the program says so, and
// never that the page is shown again, while the page's edits stay unsaved.
TEST_F(FaultMessages, ABrowserThatNeverAnswersIsSaidSoAndThePageIsNotSaidToBeShown)
{
    QTemporaryDir folder;
    const QString silent = folder.filePath(QStringLiteral("silent-browser"));
    QFile script(silent);
    ASSERT_TRUE(script.open(QIODevice::WriteOnly) && script.write("#!/bin/sh\nexec sleep 600\n") > 0);
    script.close();
    ASSERT_TRUE(setMode(silent, 0755));
    session.setEnvironment(QStringLiteral("QUILLMARK_CHROMIUM"), silent);
    ASSERT_TRUE(session.launch()) << session.logTail().toStdString();
    ASSERT_TRUE(session.addProject());
    ASSERT_TRUE(session.openPage(QStringLiteral("index.html")));
    ASSERT_TRUE(typeUnsaved(QStringLiteral("<!-- mine -->")));

    QStringList notices;
    const auto lastSays = [&](const QJsonObject &state, const char *words) {
        const QString notice = state.value(QStringLiteral("notice")).toString();
        if (!notice.isEmpty() && !notices.contains(notice))
            notices.append(notice);
        return notice.contains(QLatin1String(words))
               && !state.value(QStringLiteral("unsaved")).toArray().isEmpty();
    };
    EXPECT_TRUE(session.waitFor([&](const QJsonObject &state) {
        return lastSays(state, "did not answer after it was started");
    }, 30000)) << notices.join(u'\n').toStdString();
    EXPECT_TRUE(session.waitFor([&](const QJsonObject &state) {
        return lastSays(state, "did not answer after any of its last 3 starts");
    }, 40000)) << notices.join(u'\n').toStdString();
    for (const QString &notice : std::as_const(notices))
        EXPECT_FALSE(notice.contains(QLatin1String("shown again"))) << notice.toStdString();
}

} // namespace FaultMessagesTest

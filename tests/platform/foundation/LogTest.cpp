#include "platform/foundation/Log.h"

#include "TestUtil.h"

#include <QFile>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cstdio>

#include <unistd.h>

TEST(Log, LogFileFollowsTheXdgStateFolder)
{
    const QByteArray old = qgetenv("XDG_STATE_HOME");
    qputenv("XDG_STATE_HOME", "/tmp/qm-state");
    EXPECT_EQ(Log::logFilePath(), QStringLiteral("/tmp/qm-state/Quillmark/Quillmark.log"));
    qputenv("XDG_STATE_HOME", "relative/path");
    EXPECT_TRUE(Log::logFilePath().endsWith("/.local/state/Quillmark/Quillmark.log"));
    qputenv("XDG_STATE_HOME", old);
}

// Starts the real program offscreen twice and reads what it appended to its log.
TEST(Log, ProgramAppendsInfoLinesToItsLogFile)
{
    if (QStringLiteral(QUILLMARK_BINARY).isEmpty())
        GTEST_SKIP() << "the sanitizer build has no program to start";
    QTemporaryDir home;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("HOME", home.path());
    env.insert("XDG_STATE_HOME", home.filePath("state"));
    env.insert("XDG_CONFIG_HOME", home.filePath("config"));
    env.insert("QT_QPA_PLATFORM", "offscreen");
    const QString logPath = home.filePath("state/Quillmark/Quillmark.log");

    auto runOnce = [&](const char *expected) {
        QProcess program;
        program.setProcessEnvironment(env);
        program.start(QStringLiteral(QUILLMARK_BINARY), {});
        // A loaded machine may take long to start a program this size.
        ASSERT_TRUE(program.waitForStarted(120000)) << program.errorString().toStdString();
        const bool seen = TestUtil::waitUntil([&] { return TestUtil::readFile(logPath).contains(expected); }, 20000);
        program.terminate();
        program.waitForFinished(5000);
        ASSERT_TRUE(seen) << TestUtil::readFile(logPath).toStdString();
    };
    runOnce("] first launched");
    runOnce("] launched");
    const QByteArray log = TestUtil::readFile(logPath);
    EXPECT_TRUE(log.contains("[info] void AppDelegate::applicationDidFinishLaunching()[Line "));
    EXPECT_EQ(log.count("first launched"), 1);
}

namespace LogTest {

// Standard error pointed at the log of a scratch state folder for the test's
// length, and put back afterwards.
class RedirectedLog
{
public:
    RedirectedLog()
        : m_oldState(qgetenv("XDG_STATE_HOME"))
        , m_savedStandardError(::dup(STDERR_FILENO))
    {
        qputenv("XDG_STATE_HOME", m_state.path().toLocal8Bit());
    }
    ~RedirectedLog()
    {
        std::fflush(stderr);
        ::dup2(m_savedStandardError, STDERR_FILENO);
        ::close(m_savedStandardError);
        qputenv("XDG_STATE_HOME", m_oldState);
    }

private:
    QTemporaryDir m_state;
    QByteArray m_oldState;
    int m_savedStandardError;
};

TEST(Log, AFullLogIsSetAsideWithoutSplittingTheLineThatFilledIt)
{
    RedirectedLog redirected;
    ASSERT_TRUE(Log::redirectStandardError(4000));
    const QString path = Log::logFilePath();
    // Fifteen lines of some 350 bytes: one of the later ones passes the limit.
    for (int i = 1; i <= 15; ++i)
        QM_INFO(QStringLiteral("line %1 ").arg(i, 2, 10, QLatin1Char('0')).leftJustified(250, u'.'));

    const QByteArray current = TestUtil::readFile(path);
    const QByteArray old = TestUtil::readFile(path + ".1");
    EXPECT_LE(current.size(), 4000);
    EXPECT_GT(old.size(), 3000);
    EXPECT_LE(old.size(), 4000);
    const QList<QByteArray> lines = (old + current).split('\n');
    ASSERT_EQ(lines.size(), 16); // The last line feed leaves an empty piece.
    for (int i = 1; i <= 15; ++i) {
        const QByteArray &logged = lines.at(i - 1);
        EXPECT_TRUE(logged.startsWith("[info] ")) << logged.constData();
        EXPECT_TRUE(logged.contains(QStringLiteral("] line %1 ").arg(i, 2, 10, QLatin1Char('0')).toUtf8()))
            << logged.constData();
        EXPECT_TRUE(logged.endsWith("....")) << logged.constData();
    }
    EXPECT_TRUE(current.startsWith("[info] ")) << current.constData();
    EXPECT_TRUE(current.endsWith(".\n"));
}

TEST(Log, OnlyTheLastFullLogIsKept)
{
    RedirectedLog redirected;
    ASSERT_TRUE(Log::redirectStandardError(500));
    const QString path = Log::logFilePath();
    for (int i = 0; i < 40; ++i)
        QM_INFO(QStringLiteral("entry %1 of a long run").arg(i));
    EXPECT_LE(TestUtil::readFile(path).size(), 500);
    EXPECT_LE(TestUtil::readFile(path + ".1").size(), 500);
    EXPECT_FALSE(QFile::exists(path + ".2"));
    EXPECT_TRUE(TestUtil::readFile(path).contains("entry 39 of a long run"));
}

// The ERROR level is for faults: Qt's own warnings are warnings (#66).
TEST(Log, QtsMessagesKeepTheirLevel)
{
    RedirectedLog redirected;
    ASSERT_TRUE(Log::redirectStandardError());
    const QtMessageHandler previous = qInstallMessageHandler(nullptr);
    Log::installMessageHandler();
    qDebug("a debug note");
    qInfo("an info note");
    qWarning("a warning note");
    qCritical("a critical note");
    qInstallMessageHandler(previous);
    const QList<QByteArray> lines = TestUtil::readFile(Log::logFilePath()).split('\n');
    const auto levelOf = [&lines](const char *note) {
        for (const QByteArray &line : lines) {
            if (line.endsWith(note))
                return line.left(line.indexOf(']') + 1);
        }
        return QByteArray();
    };
    EXPECT_EQ(levelOf("a debug note"), "[DEBUG]");
    EXPECT_EQ(levelOf("an info note"), "[info]");
    EXPECT_EQ(levelOf("a warning note"), "[WARNING]");
    EXPECT_EQ(levelOf("a critical note"), "[ERROR]");
}

} // namespace LogTest

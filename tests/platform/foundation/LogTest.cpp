#include "platform/foundation/Log.h"

#include "TestUtil.h"

#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>

#include <gtest/gtest.h>

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

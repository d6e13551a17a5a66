#include "foundation/CommandLineManager.h"
#include "foundation/StringJSBeautifier.h"

#include "TestUtil.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

// A stand-in formatter: a shell script with the given body.
QString writeTool(const QTemporaryDir &dir, const QString &name, const QByteArray &body)
{
    const QString path = dir.filePath(name);
    TestUtil::writeFile(path, "#!/bin/sh\n" + body + "\n");
    QFile::setPermissions(path,
                          QFile::permissions(path) | QFileDevice::ExeOwner | QFileDevice::ExeUser);
    return path;
}

// A temporary folder of the test's own while it lives: other suites running
// at the same time format scripts too, in the shared one.
class PrivateTemporaryFolder
{
public:
    PrivateTemporaryFolder() : m_saved(qgetenv("TMPDIR")) { qputenv("TMPDIR", m_dir.path().toLocal8Bit()); }
    ~PrivateTemporaryFolder()
    {
        if (m_saved.isNull())
            qunsetenv("TMPDIR");
        else
            qputenv("TMPDIR", m_saved);
    }
    QStringList leftoverInputs() const
    {
        return QDir(m_dir.path()).entryList({"quillmark-*.js", "input.js"}, QDir::Files);
    }

private:
    QTemporaryDir m_dir;
    QByteArray m_saved;
};

} // namespace

TEST(CommandLineManager, StandardOutputWinsOverErrorOutput)
{
    QTemporaryDir dir;
    const QString both = writeTool(dir, "both", "echo out; echo err >&2");
    CommandLineManager manager;
    QString out, err;
    manager.execute(
        both, {}, [&](const QString &t) { out = t; }, [&](const QString &t) { err = t; }, false);
    EXPECT_EQ(out, QStringLiteral("out\n"));
    EXPECT_TRUE(err.isEmpty());

    out.clear();
    manager.execute(
        both, {}, [&](const QString &t) { out = t; }, [&](const QString &t) { err = t; }, true);
    ASSERT_TRUE(TestUtil::waitUntil([&] { return !out.isEmpty(); }, 3000));
    EXPECT_EQ(out, QStringLiteral("out\n"));
    EXPECT_TRUE(err.isEmpty());
}

TEST(CommandLineManager, ErrorOutputAloneGoesToTheErrorBlock)
{
    QTemporaryDir dir;
    const QString failing = writeTool(dir, "failing", "echo broken >&2; exit 3");
    CommandLineManager manager;
    QString err;
    bool outCalled = false;
    manager.execute(
        failing, {}, [&](const QString &) { outCalled = true; }, [&](const QString &t) { err = t; },
        false);
    EXPECT_EQ(err, QStringLiteral("broken\n"));
    EXPECT_FALSE(outCalled);
    EXPECT_FALSE(manager.lastRunSucceeded());
}

TEST(CommandLineManager, MissingProgramReachesTheErrorBlock)
{
    CommandLineManager manager;
    QString err;
    manager.execute(
        "/no/such/program", {}, [](const QString &) {}, [&](const QString &t) { err = t; }, false);
    EXPECT_FALSE(err.isEmpty());

    err.clear();
    manager.execute(
        "/no/such/program", {}, [](const QString &) {}, [&](const QString &t) { err = t; }, true);
    ASSERT_TRUE(TestUtil::waitUntil([&] { return !err.isEmpty(); }, 3000));
}

TEST(CommandLineManager, HangingProgramIsStoppedAfterTheTimeout)
{
    QTemporaryDir dir;
    const QString hanging = writeTool(dir, "hanging", "exec sleep 30");
    CommandLineManager manager;
    manager.setTimeoutMs(200);
    QString err;
    manager.execute(
        hanging, {}, [](const QString &) {}, [&](const QString &t) { err = t; }, false);
    EXPECT_TRUE(err.contains("did not finish"));
}

TEST(StringJSBeautifier, FormatsWithTheBundledFormatter)
{
    const PrivateTemporaryFolder temporary;
    const QString formatter = StringJSBeautifier::compilerPath();
    ASSERT_FALSE(formatter.isEmpty());
    ASSERT_TRUE(StringJSBeautifier::isValidEnvironment(formatter));
    const QString formatted = StringJSBeautifier::decompileJS("function f(){return \"\u00e9\"+1}");
    EXPECT_EQ(formatted, QStringLiteral("function f() {\n    return \"\u00e9\" + 1\n}"));
    EXPECT_TRUE(temporary.leftoverInputs().isEmpty());
}

TEST(StringJSBeautifier, SourceIsKeptWhenTheFormatterPrintsNothing)
{
    QTemporaryDir dir;
    const PrivateTemporaryFolder temporary;
    const QString source = QStringLiteral("var a=1;");
    EXPECT_EQ(StringJSBeautifier::decompileJS(source, writeTool(dir, "silent", "exit 0")), source);
    EXPECT_EQ(
        StringJSBeautifier::decompileJS(source, writeTool(dir, "error", "echo oops >&2; exit 1")),
        source);
    EXPECT_EQ(
        StringJSBeautifier::decompileJS(source, writeTool(dir, "partial", "echo 'var'; exit 1")),
        source);
    EXPECT_EQ(StringJSBeautifier::decompileJS(source, dir.filePath("missing")), source);
    EXPECT_TRUE(temporary.leftoverInputs().isEmpty());
}

TEST(StringJSBeautifier, EachRunReadsItsOwnPrivateInput)
{
    QTemporaryDir dir;
    // Echoes its input back, after checking that only its owner may read it.
    const QString cat
        = writeTool(dir, "cat", "[ \"$(stat -c %a \"$1\")\" = 600 ] || exit 1; cat \"$1\"");
    EXPECT_EQ(StringJSBeautifier::decompileJS("first();", cat), QStringLiteral("first();"));
    EXPECT_EQ(StringJSBeautifier::decompileJS("second();", cat), QStringLiteral("second();"));
    EXPECT_EQ(StringJSBeautifier::compileJS("x ( )"), QStringLiteral("x ( )"));
}

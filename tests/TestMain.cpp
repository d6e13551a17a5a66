#include "platform/foundation/Assert.h"
#include "platform/foundation/Log.h"

#include <QApplication>
#include <QDir>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cstdlib>

#include <unistd.h>

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
    // Keep the user's defaults and data out of reach of the tests, and each
    // test process out of the others' way: ctest runs several at once, and
    // they would otherwise share one settings file.
    static QTemporaryDir home(QDir::tempPath() + QStringLiteral("/quillmark-test-home-XXXXXX"));
    static const pid_t owner = getpid();
    if (home.isValid()) {
        qputenv("HOME", home.path().toLocal8Bit());
        for (const char *name : {"XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_CACHE_HOME", "XDG_STATE_HOME"})
            qunsetenv(name);
        // Death tests end their process with exit(): the home goes then too,
        // but only from the process that made it, not from a forked child.
        std::atexit([] {
            if (getpid() == owner)
                home.remove();
        });
    }
    QStandardPaths::setTestModeEnabled(true);
    QCoreApplication::setOrganizationName(QStringLiteral("QuillmarkTests"));
    QCoreApplication::setApplicationName(QStringLiteral("QuillmarkTests"));
    QApplication app(argc, argv);
    Assert::setFatal(true);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}

#include "platform/foundation/Assert.h"
#include "platform/foundation/Log.h"

#include <QApplication>
#include <QDir>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <gtest/gtest.h>

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
    // Keep the user's defaults and data out of reach of the tests, and each
    // test executable's out of reach of the others running beside it: the
    // test locations are under a home of its own.
    QTemporaryDir home(QDir::tempPath() + QStringLiteral("/quillmark-test-home-XXXXXX"));
    if (home.isValid())
        qputenv("HOME", home.path().toLocal8Bit());
    QStandardPaths::setTestModeEnabled(true);
    QCoreApplication::setOrganizationName(QStringLiteral("QuillmarkTests"));
    QCoreApplication::setApplicationName(QStringLiteral("QuillmarkTests"));
    QApplication app(argc, argv);
    Assert::setFatal(true);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}

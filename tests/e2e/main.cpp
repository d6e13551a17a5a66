#include <QGuiApplication>

#include <gtest/gtest.h>

// The driver talks to the X display the program runs on: its screen for
// the pictures taken on failure.
int main(int argc, char *argv[])
{
    qputenv("QT_QPA_PLATFORM", "xcb");
    QGuiApplication application(argc, argv);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}

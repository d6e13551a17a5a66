#pragma once

// Quillmark started as the desktop starts it, for the screenshot tools: the
// application named, in dark mode when asked, its interface loaded and its
// launch finished at the first turn of the event loop.

#include "ScreenPicture.h"

#include "app/AppDelegate.h"
#include "app/QMApplication.h"

#include <QApplication>
#include <QTimer>

#include <memory>

class LaunchedShell
{
public:
    LaunchedShell(int &argc, char **argv, bool dark)
        : application(QMApplication::prepareApplication(argc), argv)
    {
        if (dark)
            useDarkDesktop(application);
        AppDelegate::initialize();
        m_delegate = std::make_unique<AppDelegate>();
        m_delegate->loadInterface();
        QTimer::singleShot(0, &application, [this] { m_delegate->applicationDidFinishLaunching(); });
    }

    AppDelegate &delegate() { return *m_delegate; }

    QApplication application;

private:
    std::unique_ptr<AppDelegate> m_delegate;
};

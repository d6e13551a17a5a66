#pragma once

// Quillmark started as the desktop starts it, for the screenshot tools: the
// application named, in dark mode when asked, its interface loaded and its
// launch finished at the first turn of the event loop.

#include "ScreenPicture.h"

#include "app/AppDelegate.h"
#include "app/ProjectDelegate.h"
#include "app/QMApplication.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/kit/Alert.h"
#include "toolkit/OutlineViewEx.h"
#include "workspace/File.h"

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

// Selects a page of the projects in the file tree and double-clicks it, as a
// user opens it; the page's File, or null with why in failure.
inline File *openFromFileTree(ProjectDelegate &projects, const QString &path, QString &failure)
{
    File *file = projects.searchDirectory(path, projects.projects());
    if (!file) {
        failure = QStringLiteral("the page is not in the project");
        return nullptr;
    }
    projects.openAllParent(file->parentFile());
    OutlineViewEx *finder = projects.finderOutlineView();
    const int row = finder->rowForItem(file);
    if (row < 0) {
        failure = QStringLiteral("the page has no row in the file tree");
        return nullptr;
    }
    finder->selectRowIndexes({row}, false);
    projects.doubleClick();
    return file;
}

// Before the shell is made: the folder is the one project, no first-launch
// offer, the question before a reload that drops the history answered for
// good, and every alert answered with its second button.
inline void useOnlyProject(const QString &folder)
{
    UserDefaults &defaults = UserDefaults::standardUserDefaults();
    defaults.setObject(QVariantMap{{folder, folder}}, QStringLiteral("rootPathes"));
    defaults.setInteger(0, QStringLiteral("firstLaunch"));
    defaults.setBool(true, QStringLiteral("clearUndoAlert"));
    defaults.synchronize();
    Alert::setResponder([](Alert &) { return int(Alert::SecondButtonReturn); });
}

#include "Controllers.h"

#include "AppDelegate.h"
#include "EXWindow.h"
#include "FileViewController.h"
#include "PanePlaceholder.h"
#include "ProjectDelegate.h"

void Controllers::install(AppDelegate &delegate)
{
    MainInterface &ui = delegate.ui();

    // The centre pane's file viewer.
    if (!delegate.fileViewController()) {
        auto *pane = new QWidget;
        pane->setObjectName(QStringLiteral("fileViewerContent"));
        ui.fileViewerPane->setContentView(pane);
        ui.fileViewController = new FileViewController(pane, ui.window);
        ui.fileViewController->setBreadcramb(ui.breadcramb);
        delegate.setFileViewController(ui.fileViewController);
    }

    // Projects, the file tree and the preview.
    if (!delegate.projectController()) {
        ui.projectController = new ProjectDelegate(ui.window);
        delegate.setProjectController(ui.projectController);
    }
    if (ui.projectController) {
        ui.projectController->setFileViewController(ui.fileViewController);
        ui.projectController->setRollbackDelegate(ui.rollbackDelegate);
        ui.projectController->awakeFromNib(ui);
    }
    ui.window->setProjectDelegate(delegate.projectController());
}

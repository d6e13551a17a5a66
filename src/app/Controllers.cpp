#include "Controllers.h"

#include "AppDelegate.h"
#include "EXWindow.h"
#include "ProjectDelegate.h"

void Controllers::install(AppDelegate &delegate)
{
    MainInterface &ui = delegate.ui();

    // Projects, the file tree and the preview.
    if (!delegate.projectController()) {
        ui.projectController = new ProjectDelegate(ui.window);
        delegate.setProjectController(ui.projectController);
    }
    ui.window->setProjectDelegate(delegate.projectController());
}

#include "Controllers.h"

#include "AppDelegate.h"
#include "EXWindow.h"
#include "FileViewController.h"
#include "PanePlaceholder.h"
#include "ProjectDelegate.h"

#include "views/DirectoryViewer.h"
#include "views/ProjectConfigView.h"

#include "domtree/DomInfoDelegate.h"
#include "domtree/DomTreeDelegate.h"
#include "foundation/TargetRef.h"

#include <QPlainTextEdit>

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

    // The project settings panel, its ignore rules in a pane of their own.
    if (ui.fileViewController && !ui.fileViewController->saveOption()) {
        auto *panel = new ProjectConfigView;
        ui.ignoreOptionPane->setContentView(panel->ignoreOption());
        panel->ignoreOption()->show();
        ui.projectSettingsPane->setContentView(panel);
        ui.projectSettingContent->resize(ui.projectSettingContent->width(), panel->sizeHint().height());
        ui.fileViewController->setSaveOption(panel);
    }

    // Projects, the file tree and the preview.
    if (!delegate.projectController()) {
        ui.projectController = new ProjectDelegate(ui.window);
        delegate.setProjectController(ui.projectController);
    }
    if (ui.projectController) {
        ui.projectController->setFileViewController(ui.fileViewController);
        ui.projectController->setRollbackDelegate(ui.rollbackDelegate);
        if (ui.fileViewController)
            ui.fileViewController->directoryViewer()->setDirectoryArrayController(
                ui.projectController->selectedDirectoryArrayController());
        ui.projectController->awakeFromNib(ui);
    }
    ui.window->setProjectDelegate(delegate.projectController());

    // The DOM tree and its attribute inspector.
    if (!delegate.domTreeController()) {
        auto *tree = new DomTreeDelegate(ui.window);
        tree->awakeFromNib();
        ui.domTreePane->setContentView(tree->view());
        auto *inspector = new DomInfoDelegate(ui.window);
        inspector->awakeFromNib();
        ui.attributePane->setContentView(inspector->view());
        tree->setDomInfoDelegate(inspector);
        tree->setWriteReserver([&delegate](const TargetRef &target, const TargetRef &file, std::function<void()> write) {
            delegate.reserveWrite(target, file, std::move(write));
        });
        delegate.setDomTreeController(tree);
        delegate.setDomInfoDelegate(inspector);
    }
    if (auto *tree = dynamic_cast<DomTreeDelegate *>(delegate.domTreeController())) {
        tree->setFileViewController(delegate.fileViewController());
        tree->setProjectDelegate(delegate.projectController());
        tree->setCssOutlineDelegate(delegate.cssOutlineDelegate());
        tree->setStyleSheetsManagerDelegate(delegate.styleSheetsManager());
    }
    ui.window->setDomtreeDelegate(delegate.domTreeController());
}

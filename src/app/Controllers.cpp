#include "Controllers.h"

#include "AppDelegate.h"
#include "EXWindow.h"
#include "FileViewController.h"
#include "MainMenu.h"
#include "PanePlaceholder.h"
#include "ProjectDelegate.h"
#include "StyleInspectorPanes.h"

#include "views/DirectoryViewer.h"
#include "views/ProjectConfigView.h"
#include "cssrules/CSSOutlineDelegate.h"
#include "cssrules/CSSSnippetDataSource.h"
#include "platform/web/cssom/DOMCSSRule.h"
#include "platform/kit/ColorPanel.h"
#include "platform/kit/SegmentedControl.h"
#include "preview/LoadedResourceDelegate.h"
#include "preview/PageDownloadManager.h"
#include "preview/PreviewDelegate.h"
#include "preview/RespponsiveRuler.h"
#include "preview/RulerSlider.h"
#include "stylemanager/AddStylePropertyViewController.h"
#include "stylemanager/AnimationManager.h"
#include "stylemanager/CreateSelectorManagerDelegate.h"
#include "platform/kit/SplitView.h"
#include "stylemanager/StyleManagerWindow.h"
#include "stylemanager/StyleSheetsManagerDelegate.h"
#include "toolkit/ExOutlineView.h"
#include "toolkit/SearchFieldEx.h"

#include "code/CompilerViewController.h"
#include "code/ReferenceView.h"
#include "platform/kit/ViewController.h"
#include "toolkit/RBLPopover.h"
#include "domtree/DomInfoDelegate.h"
#include "domtree/DomNodeListDelegate.h"
#include "domtree/DomTreeDelegate.h"
#include "domtree/PageTextGenerator.h"
#include "editors/AttributeStyleEditorViewController.h"
#include "editors/popover/StyleEditorViewController.h"
#include "editors/FontFamilyEnumEditor.h"
#include "foundation/TargetRef.h"
#include "platform/foundation/NotificationCenter.h"
#include "workspace/File.h"
#include "workspace/SnippetUtil.h"

#include <QLabel>
#include <QMenu>
#include <QPointer>
#include <QPlainTextEdit>
#include <QToolButton>

void Controllers::installPreviewMenu(MainMenu &menu, PreviewDelegate &preview)
{
    const auto hasPreview = [&preview](QAction *) { return preview.webview() != nullptr; };
    const QList<std::pair<QString, std::function<void()>>> commands = {
        {QStringLiteral("reloadPage:"), [&preview] { preview.reloadPage(); }},
        {QStringLiteral("zoomInAction:"), [&preview] { preview.zoomIn(); }},
        {QStringLiteral("zoomOutAction:"), [&preview] { preview.zoomOut(); }},
        {QStringLiteral("resetZoomAction:"), [&preview] { preview.resetScaling(); }},
        {QStringLiteral("goBiggerSize:"), [&preview] { preview.goBiggerSize(); }},
        {QStringLiteral("goSmallerrSize:"), [&preview] { preview.goSmallerrSize(); }},
        {QStringLiteral("previewRotation:"), [&preview] { preview.previewRotation(); }},
        {QStringLiteral("previewChrome:"), [&preview] { preview.previewChrome(); }},
        {QStringLiteral("activateResponsiveRuler:"), [&preview] { preview.toggleResponsiveRuler(); }},
        {QStringLiteral("downloadLib:"), [&preview] { preview.downloadLib(); }},
    };
    for (const auto &command : commands)
        menu.setTarget(command.first, [run = command.second](QAction *) { run(); }, hasPreview);
}

void Controllers::installPreview(AppDelegate &delegate, ProjectDelegate &projects)
{
    MainInterface &ui = delegate.ui();
    auto *preview = new PreviewDelegate(&projects);
    preview->setProjectDelegate(&projects);
    preview->setCssOutlineDelegate(delegate.cssOutlineDelegate());
    if (auto *rules = dynamic_cast<CSSOutlineDelegate *>(delegate.cssOutlineDelegate()))
        rules->setWebview([guard = QPointer<PreviewDelegate>(preview)]() -> ExWebViewInterface * {
            return guard ? guard->webview() : nullptr;
        });
    preview->setOnlineCheck(&ProjectDelegate::checkOnline);
    preview->setDownloadFolder(ProjectDelegate::tempPath());
    preview->setWindow(ui.window);
    preview->setSelectedURLPath(ui.selectedURLPath);
    preview->setBackForwardControl(ui.backfowadControl);
    preview->setReloadButton(ui.reloadButton);
    preview->setDetectButtons(ui.detectButton, nullptr);
    preview->setProgressiveBox(ui.progressiveBox);
    preview->setLoadStatusTextField(ui.loadStatusTextField);
    preview->setTotalFileSizeTextField(ui.totalFileSizeTextField);
    for (QWidget *control : std::initializer_list<QWidget *>{ui.selectedURLPath, ui.backfowadControl, ui.reloadButton,
                                                              ui.detectButton}) {
        if (control)
            control->setEnabled(true);
    }
    preview->setPreviewSizePopUpButton(ui.previewSizePopUpButton);
    preview->setOrientationButton(ui.orientationButton);
    preview->setChromedPreview(ui.chromedPreview);
    preview->setResponsiveSlider(ui.responsiveSlider);
    preview->setResponsiveRuler(ui.responsiveRuler);
    preview->setResponsiveRulerMenuItem(ui.responsiveRulerMenuItem);
    if (ui.mainMenu)
        installPreviewMenu(*ui.mainMenu, *preview);
    // The loaded-resources list in its tab beside the file history.
    auto *resources = new LoadedResourceDelegate(preview);
    resources->setFileViewController(delegate.fileViewController());
    resources->setProjectDelegate(&projects);
    resources->setBreadcramb(ui.breadcramb);
    resources->setWindow(ui.window);
    if (ui.loadedResourcePane)
        ui.loadedResourcePane->setContentView(resources->view());
    preview->setLoadedResourceDelegate(resources);
    installPageDownload(delegate, projects, *preview);
    projects.setPreviewHalf(preview);
}

void Controllers::installRulesCommands(MainMenu &menu, CSSOutlineDelegate &panel)
{
    // The menu may outlive the panel while the windows close.
    const QPointer<CSSOutlineDelegate> rules(&panel);
    menu.setTarget(
        QStringLiteral("addDeclaration:"),
        [rules](QAction *) {
            if (rules)
                rules->showAddDeclarationPopover(rules->getSelectedCSSRule());
        },
        [rules](QAction *) {
            // A rule or a keyframe of a style sheet takes declarations.
            const CSSRulePtr row = rules ? rules->getSelectedCSSRule() : nullptr;
            return row && !row->isWebKitStyle()
                   && (row->styleDeclaration() || (row->rule() && row->rule()->type() == DOMCSSRule::KEYFRAME_RULE));
        });
    // The style-sheet manager sits above the rules, closed until asked for.
    menu.setTarget(QStringLiteral("showStyleSheetsManager:"), [rules](QAction *) {
        if (rules)
            rules->showStyleSheetsManager();
    });
    menu.setTarget(
        QStringLiteral("showAddSelector:"),
        [rules](QAction *) {
            if (rules)
                rules->showAddSelector();
        },
        [rules](QAction *) { return rules && !rules->getLocalStyleSheets().isEmpty(); });
    menu.setTarget(
        QStringLiteral("duplicateSelector:"),
        [rules](QAction *) {
            if (rules)
                rules->showDuplicateSelector();
        },
        [rules](QAction *) {
            const CSSRulePtr row = rules ? rules->responsiveOwner() : nullptr;
            return CSSOutlineDelegate::isSheetStyleRule(row) && row->relatedFile();
        });
    menu.setTarget(
        QStringLiteral("highlightRelation:"),
        [rules](QAction *) {
            if (rules)
                rules->highlightRelation();
        },
        [rules](QAction *) { return rules && CSSOutlineDelegate::isSheetStyleRule(rules->responsiveOwner()); });
    menu.setTarget(
        QStringLiteral("removeStyle:"),
        [rules](QAction *) {
            if (rules)
                rules->removeStyle();
        },
        [rules](QAction *) { return rules && !rules->getSelectedCSSRules().isEmpty(); });
    menu.setTarget(
        QStringLiteral("displayAttributeStyleEditor:"),
        [rules](QAction *) {
            if (rules)
                rules->showAttributeStyleEditor();
        },
        [rules](QAction *) { return rules && rules->canShowAttributeStyleEditor(); });
    // Rules > Add To Responsive: the page's @media blocks, for the selected rule.
    QMenu *rulesMenu = menu.menuTitled(QStringLiteral("Rules"));
    QMenu *media = menu.addSubmenu(rulesMenu, QStringLiteral("Add To Responsive"));
    media->setIcon(QIcon::fromTheme(QStringLiteral("view-fullscreen")));
    QObject::connect(rulesMenu, &QMenu::aboutToShow, media, [rules, media] {
        media->menuAction()->setEnabled(rules && CSSOutlineDelegate::isSheetStyleRule(rules->responsiveOwner()));
    });
    QObject::connect(media, &QMenu::aboutToShow, media, [rules, media] {
        if (rules)
            rules->fillMediaMenu(media, rules->responsiveOwner());
    });
}

void Controllers::installPageDownload(AppDelegate &delegate, ProjectDelegate &projects, PreviewDelegate &preview)
{
    MainInterface &ui = delegate.ui();
    // Saving the page with its resources, from the two download buttons and
    // the "Download..." item, all enabled while a page is complete.
    auto *pageDownload = new PageDownloadManager(ui.window, &preview);
    pageDownload->setPreviewDelegate(&preview);
    pageDownload->setProjectDelegate(&projects);
    pageDownload->setInspectorVisibility([&delegate](bool visible) {
        if (visible)
            delegate.visibleCSSInspector();
        else
            delegate.invisibleCSSInspector();
    });
    preview.setDownloadButtons(ui.downloadButton, ui.downloadToolbarButton);
    for (QToolButton *button : {ui.downloadButton, ui.downloadToolbarButton}) {
        if (button)
            QObject::connect(button, &QToolButton::clicked, pageDownload, &PageDownloadManager::displayWindow);
    }
    if (ui.mainMenu) {
        ui.mainMenu->setTarget(
            QStringLiteral("displayWindow:"), [pageDownload](QAction *) { pageDownload->displayWindow(); },
            [pageDownload](QAction *item) { return pageDownload->validateMenuItem(item); });
    }
}

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

    // The style-sheet manager, before the rules panel whose style-sheet filter it keeps.
    if (!delegate.styleSheetsManager()) {
        auto *manager = new StyleSheetsManagerDelegate(&delegate);
        if (ui.styleListPlaceholder)
            ui.styleListPlaceholder->setContentView(manager->view());
        // Tab stays in a selector or declaration being typed in the panel.
        if (ui.styleSplitView)
            new StyleManagerWindow(ui.styleSplitView);
        delegate.setStyleSheetsManager(manager);
    }

    // The CSS rules panel, before the preview that tells it of the selected element.
    if (!delegate.cssOutlineDelegate()) {
        auto *rules = new CSSOutlineDelegate(&delegate);
        rules->setWriteReserver([&delegate](const TargetRef &target, const TargetRef &file, std::function<void()> write) {
            delegate.reserveWrite(target, file, std::move(write));
        });
        rules->setFileViewController(delegate.fileViewController());
        rules->setStyleSheetsManagerDelegate(delegate.styleSheetsManager());
        rules->setOverlayRedraw([&delegate] {
            if (ProjectDelegateInterface *projects = delegate.projectController())
                projects->updateDetectLayer();
        });
        rules->awakeFromNib();
        if (ui.styleSplitView)
            rules->setStyleInspector(new StyleInspectorPanes(ui.styleSplitView, rules));
        // The value list offers the font families the page's style sheets use.
        rules->setUsedFontFamilies([&delegate] { return delegate.getUsedFontFamilies(); });
        if (ui.cssRulesPane)
            ui.cssRulesPane->setContentView(rules->view());
        delegate.setCssOutlineDelegate(rules);
    }
    if (auto *rules = dynamic_cast<CSSOutlineDelegate *>(delegate.cssOutlineDelegate()); rules && ui.mainMenu)
        installRulesCommands(*ui.mainMenu, *rules);
    if (auto *manager = dynamic_cast<StyleSheetsManagerDelegate *>(delegate.styleSheetsManager()))
        manager->setRulesPanel(dynamic_cast<CSSOutlineDelegate *>(delegate.cssOutlineDelegate()));

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
    if (ui.projectController && !ui.projectController->previewHalf())
        installPreview(delegate, *ui.projectController);
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
    // A page's ignore rules may name a snippet of the library for an element's content.
    PageTextGenerator::setSnippetProvider([](const QString &title) -> std::optional<QString> {
        if (const SnippetPtr snippet = SnippetUtil::snippetFromTitle(title))
            return snippet->value(QStringLiteral("content")).toString();
        return std::nullopt;
    });
    if (auto *tree = dynamic_cast<DomTreeDelegate *>(delegate.domTreeController())) {
        // The preview builds the tree for each page and selects the rows of
        // its picks; the tree's selection moves the preview's overlay.
        if (auto *preview = ui.projectController ? dynamic_cast<PreviewDelegate *>(ui.projectController->previewHalf())
                                                 : nullptr) {
            preview->setDomTreeDelegate(tree);
            tree->setPreviewDelegate(preview);
            // A reload, or another page, drops the undo steps of the panels
            // that edit the page: the DOM tree, the rules and the style-sheet manager.
            preview->addClearUndoTarget(tree);
            if (auto *rules = dynamic_cast<CSSOutlineDelegate *>(delegate.cssOutlineDelegate()))
                preview->addClearUndoTarget(rules);
            if (auto *manager = dynamic_cast<StyleSheetsManagerDelegate *>(delegate.styleSheetsManager()))
                preview->addClearUndoTarget(manager);
        }
        tree->setFileViewController(delegate.fileViewController());
        tree->setProjectDelegate(delegate.projectController());
        tree->setCssOutlineDelegate(delegate.cssOutlineDelegate());
        // The rules panel's id and class edits redraw the tree's row.
        if (auto *rules = dynamic_cast<CSSOutlineDelegate *>(delegate.cssOutlineDelegate()))
            rules->setDomTree(tree);
        tree->setStyleSheetsManagerDelegate(delegate.styleSheetsManager());
        installStyleAttributePanel(delegate, *tree);
        // The View menu's find bar and expand-all toggles.
        tree->setShowFindbarMenuItem(ui.showFindbarMenuItem);
        tree->setExpandTreeMenuItem(ui.expandTreeMenuItem);
        if (ui.mainMenu) {
            ui.mainMenu->setTarget(QStringLiteral("showSearchBar:"), [tree](QAction *) { tree->showSearchBar(); });
            ui.mainMenu->setTarget(QStringLiteral("expandAll:"), [tree](QAction *) { tree->expandAll(); });
        }
    }
    ui.window->setDomtreeDelegate(delegate.domTreeController());

    installCompiler(delegate);
    installKeyframeTimeline(delegate);
    installCodeAssist(delegate);
    installElementPalette(delegate);
    installRuleDialogs(delegate);
}

void Controllers::installElementPalette(AppDelegate &delegate)
{
    MainInterface &ui = delegate.ui();
    auto *tree = dynamic_cast<DomTreeDelegate *>(delegate.domTreeController());
    if (!tree || !ui.elementPalettePane || delegate.findChild<DomNodeListDelegate *>(QString(), Qt::FindDirectChildrenOnly))
        return;
    auto *palette = new DomNodeListDelegate(&delegate);
    palette->setObjectName(QStringLiteral("domNodeListDelegate"));
    palette->setDomTreeDelegate(tree);
    palette->awakeFromNib();
    ui.elementPalettePane->setContentView(palette->view());
    tree->setDomNodeListDelegate(palette);
    if (auto *rules = dynamic_cast<CSSOutlineDelegate *>(delegate.cssOutlineDelegate()))
        rules->setDomNodeListDelegate(palette);
}

void Controllers::installRuleDialogs(AppDelegate &delegate)
{
    // The create rule dialog takes the place of the rules panel's add-selector popover.
    auto *rules = dynamic_cast<CSSOutlineDelegate *>(delegate.cssOutlineDelegate());
    if (!rules || rules->createSelectorManager())
        return;
    // The snippet store's CSS snippets feed the dialog's and the panels' preset lists.
    CSSSnippetDataSource::setSnippetProvider([] {
        QList<QVariantMap> snippets;
        for (const SnippetPtr &snippet : SnippetUtil::snippetsInCategory(QStringLiteral("CSS")))
            snippets << *snippet;
        return snippets;
    });
    auto *dialog = new CreateSelectorManagerDelegate(rules, &delegate);
    dialog->setObjectName(QStringLiteral("createSelectorManager"));
    rules->setCreateSelectorManager(dialog);
    auto *addProperty = new AddStylePropertyViewController(rules, &delegate);
    addProperty->setObjectName(QStringLiteral("addStylePropertyViewController"));
    rules->setAddStylePropertyPanel(addProperty);
}

void Controllers::installKeyframeTimeline(AppDelegate &delegate)
{
    MainInterface &ui = delegate.ui();
    // The keyframe timeline in the pane below the DOM tree; the rules panel
    // carries out its edits and tells it of them, the preview of each page.
    auto *rules = dynamic_cast<CSSOutlineDelegate *>(delegate.cssOutlineDelegate());
    if (!rules || delegate.findChild<AnimationManager *>(QString(), Qt::FindDirectChildrenOnly))
        return;
    auto *timeline = new AnimationManager(&delegate);
    timeline->setObjectName(QStringLiteral("animationManager"));
    timeline->setCssOutlineDelegate(rules);
    timeline->awakeFromNib();
    if (ui.keyframeEditorPane)
        ui.keyframeEditorPane->setContentView(timeline->view());
    rules->setAnimationManager(timeline);
    if (auto *preview = ui.projectController ? dynamic_cast<PreviewDelegate *>(ui.projectController->previewHalf()) : nullptr) {
        preview->setAnimationManager(timeline);
        // The panel knows the page before an element is picked.
        QObject::connect(preview, &PreviewDelegate::domTreeInitialized, rules,
                         [rules](DOMDocument *document) { rules->setPageDocument(document); });
    }
}

void Controllers::installCodeAssist(AppDelegate &delegate)
{
    MainInterface &ui = delegate.ui();
    FileViewController *viewer = ui.fileViewController;
    if (!viewer || viewer->popup())
        return;
    auto *popup = new ReferenceView;
    auto *controller = new ViewController(viewer);
    controller->setView(popup);
    auto *popover = new RBLPopover(controller, viewer);
    // The editor keeps the keyboard while the list is shown.
    popover->setCanBecomeKey(false);
    popover->setAnimates(false);
    popup->setCssOutlineDelegate(delegate.cssOutlineDelegate());
    popup->setFileViewController(viewer);
    popup->setUsedFontFamilies([&delegate] { return delegate.getUsedFontFamilies(); });
    popup->setProjectRoot([projects = QPointer<ProjectDelegate>(ui.projectController)]() -> File * {
        File *item = projects ? projects->selectedItem() : nullptr;
        if (!item)
            return nullptr;
        return item->isRoot() || !item->rootFile() ? item : item->rootFile();
    });
    viewer->setPopup(popup);
    viewer->setPopover(popover);
    // The colour page's well opens the shared colour panel; a pick replaces
    // the colour word in the view the list serves.
    QObject::connect(popup, &ReferenceView::colorWellActivated, popup, [popup](const QColor &color) {
        ColorPanel::sharedColorPanel().openForTarget(popup, color,
                                                     [popup](const QColor &picked) { popup->changeColor(picked); });
    });
    QObject::connect(popup, &ReferenceView::colorWellDeactivated, popup, [popup] {
        ColorPanel &panel = ColorPanel::sharedColorPanel();
        if (panel.target() != popup)
            return;
        panel.resignTarget(popup);
        panel.close();
    });
}

void Controllers::installCompiler(AppDelegate &delegate)
{
    MainInterface &ui = delegate.ui();
    if (!delegate.compilerViewController()) {
        auto *compiler = new CompilerViewController(ui.window);
        compiler->awakeFromNib();
        ui.compilerPane->setContentView(compiler->view());
        delegate.setCompilerViewController(compiler);
    }
    auto *compiler = qobject_cast<CompilerViewController *>(delegate.compilerViewController());
    if (!compiler)
        return;
    // The pane follows the project of the file tree's selection.
    NotificationCenter::defaultCenter().addObserver(
        compiler, QStringLiteral("finderViewDidChanged"), nullptr, [compiler](const Notification &notification) {
            auto *file = notification.userInfo.value(QStringLiteral("file")).value<File *>();
            File *root = file ? file->rootFile() : nullptr;
            if (root && root != compiler->projectRoot())
                compiler->setup(root);
        });
    if (!ui.mainMenu)
        return;
    // View > Script Packages shows the pane; its commands act there.
    MainMenu &menu = *ui.mainMenu;
    QMenu *view = menu.menuTitled(QStringLiteral("View"));
    view->addSeparator();
    QMenu *scripts = menu.addSubmenu(view, QStringLiteral("Script Packages"));
    menu.addItem(scripts, QStringLiteral("Show Script Packages"), QStringLiteral("showCompilerPane:"),
                 QKeySequence(Qt::CTRL | Qt::Key_7));
    menu.addItem(scripts, QStringLiteral("Execute"), QStringLiteral("executeCompiler:"), QKeySequence(Qt::CTRL | Qt::Key_B));
    menu.addItem(scripts, QStringLiteral("Add Target"), QStringLiteral("addCompilerTarget:"));
    menu.addItem(scripts, QStringLiteral("Add Package"), QStringLiteral("addCompilerPackage:"));
    auto show = [&delegate, &ui] {
        if (ui.nodeSegmentControl) {
            ui.nodeSegmentControl->setSelectedSegment(2);
            delegate.changeBottomContent(ui.nodeSegmentControl);
        }
    };
    const auto hasProject = [compiler](QAction *) { return compiler->projectSetting() != nullptr; };
    menu.setTarget(QStringLiteral("showCompilerPane:"), [show, compiler](QAction *) {
        show();
        if (compiler->outlineView())
            compiler->outlineView()->setFocus(Qt::ShortcutFocusReason);
    });
    menu.setTarget(QStringLiteral("executeCompiler:"), [show, compiler](QAction *) {
        show();
        compiler->execute();
    }, [compiler](QAction *) { return compiler->projectSetting() && !compiler->isRunning(); });
    menu.setTarget(QStringLiteral("addCompilerTarget:"), [show, compiler](QAction *) {
        show();
        compiler->addTarget();
    }, hasProject);
    menu.setTarget(QStringLiteral("addCompilerPackage:"), [show, compiler](QAction *) {
        show();
        compiler->addPackage();
    }, hasProject);
}

void Controllers::installStyleAttributePanel(AppDelegate &delegate, DomTreeDelegate &tree)
{
    MainInterface &ui = delegate.ui();
    FontFamilyEnumEditor::setUsedFontFamiliesProvider([app = QPointer<AppDelegate>(&delegate)] {
        return app ? app->getUsedFontFamilies() : QStringList();
    });
    if (ui.styleAttributePane && !ui.styleAttributePane->contentView()) {
        auto *pane = new AttributeStyleEditorViewController(ui.window);
        pane->setObjectName(QStringLiteral("styleAttributePanel"));
        pane->initEditor();
        ui.styleAttributePane->setContentView(pane->view());
        QObject::connect(&tree, &DomTreeDelegate::selectedNodeChanged, pane, [pane](DOMNode *node) {
            if (node && node->isElement())
                pane->setStyledObject(node);
            else
                pane->clearStyledObject();
        });
    }
    // The popovers show a panel of their own: a view lives in one place.
    auto *popover = new AttributeStyleEditorViewController(ui.window);
    popover->setObjectName(QStringLiteral("styleAttributePopoverPanel"));
    popover->initEditor();
    tree.setAttributeStyleEditor(popover);
    // The rules panel shows it for a rule, read from the rule as its file has it.
    if (auto *rules = dynamic_cast<CSSOutlineDelegate *>(delegate.cssOutlineDelegate())) {
        rules->setAttributeStyleEditor(popover);
        popover->setRulesPanel(rules);
    }
    // A declaration's value opens in a popover editor chosen by its property.
    if (auto *rules = dynamic_cast<CSSOutlineDelegate *>(delegate.cssOutlineDelegate()))
        rules->setStyleEditor(new StyleEditorViewController(ui.window));
}

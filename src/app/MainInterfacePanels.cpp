// The style-inspector panel, the navigator window and the menus of the main
// interface.

#include "BlockSheet.h"
#include "EXWindow.h"
#include "MainInterface.h"
#include "MainMenu.h"
#include "PanePlaceholder.h"

#include "app/views/ContainerWhite.h"
#include "app/views/ControlBar2.h"
#include "platform/kit/DesktopColors.h"
#include "toolkit/ControlBar3.h"
#include "toolkit/InspectorSplitView.h"

#include <QAction>
#include <QIcon>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QVBoxLayout>

void MainInterface::makeInspectorPanel()
{
    // A tool window of the main window: it stays above it and is no window
    // of its own for the desktop's window list.
    cssInspector = new QWidget(window, Qt::Tool);
    cssInspector->setObjectName(QStringLiteral("StyleInspector"));
    cssInspector->setWindowTitle(QStringLiteral("Style Inspector"));
    auto *layout = new QVBoxLayout(cssInspector);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    styleSplitView = new InspectorSplitView(Qt::Vertical, cssInspector);
    styleSplitView->setObjectName(QStringLiteral("styleSplitView"));

    styleListPane = new ContainerWhite;
    styleListPane->setObjectName(QStringLiteral("styleListPane"));
    auto *listLayout = new QVBoxLayout(styleListPane);
    listLayout->setContentsMargins(0, 0, 0, 0);
    listLayout->setSpacing(0);
    styleListPlaceholder = new PanePlaceholder(QStringLiteral("Style Sheets"), styleListPane);
    listLayout->addWidget(styleListPlaceholder);
    styleSplitView->addWidget(styleListPane);

    auto *rules = new ContainerWhite;
    rules->setObjectName(QStringLiteral("rulesPane"));
    auto *rulesLayout = new QVBoxLayout(rules);
    rulesLayout->setContentsMargins(0, 0, 0, 0);
    rulesLayout->setSpacing(0);
    auto *rulesHeader = new ControlBar2(rules);
    auto *headerLayout = new QVBoxLayout(rulesHeader);
    headerLayout->setContentsMargins(8, 0, 8, 0);
    auto *title = new QLabel(QStringLiteral("CSS RULES"), rulesHeader);
    QFont font = title->font();
    font.setPointSizeF(font.pointSizeF() * 0.85);
    font.setBold(true);
    title->setFont(font);
    QPalette palette = title->palette();
    palette.setColor(QPalette::WindowText, DesktopColors::adapted(QColor(84, 92, 104), palette));
    title->setPalette(palette);
    headerLayout->addWidget(title);
    rulesLayout->addWidget(rulesHeader);
    cssRulesPane = new PanePlaceholder(QStringLiteral("CSS Rules"), rules);
    rulesLayout->addWidget(cssRulesPane, 1);
    cssUIBlock = new BlockSheet(cssRulesPane);
    cssUIBlock->setObjectName(QStringLiteral("cssUIBlock"));
    styleSplitView->addWidget(rules);
    styleSplitView->setStretchFactor(0, 0);
    styleSplitView->setStretchFactor(1, 1);
    layout->addWidget(styleSplitView, 1);
    cssInspector->resize(280, 500);
    styleSplitView->setSizes({0, 494});
}

void MainInterface::makeNavigator()
{
    navigator = new QWidget(nullptr, Qt::Window);
    navigator->setObjectName(QStringLiteral("navigator"));
    navigator->setWindowTitle(QStringLiteral("Navigator"));
    auto *layout = new QVBoxLayout(navigator);
    layout->setContentsMargins(0, 0, 0, 0);
    navigatorPane = new PanePlaceholder(QStringLiteral("Navigator"), navigator);
    layout->addWidget(navigatorPane);
    navigator->resize(420, 640);
}

void MainInterface::makeMenus()
{
    mainMenu = new MainMenu(window->menuBar(), window);
    MainMenu &m = *mainMenu;
    using K = QKeySequence;

    // The file tree's commands carry the tags its controller validates them
    // by: 0-3 new items, 4 a project, 5 and 6 always (even with several rows
    // selected), 7 a file, 8 any row (saving a row's project as a template
    // among them), 9 an item on disk, 10 a zip archive, 12 the tree has the
    // keyboard, 14 a page of a web project.
    auto icon = [](QAction *item, const char *name) {
        item->setIcon(QIcon::fromTheme(QString::fromLatin1(name)));
        return item;
    };
    QMenu *file = m.menuTitled(QStringLiteral("File"));
    icon(m.addItem(file, QStringLiteral("New Project..."), QStringLiteral("createProjectSelected:"),
                   K(Qt::CTRL | Qt::SHIFT | Qt::Key_N), 6), "document-new");
    userTemplateMenu = m.addSubmenu(file, QStringLiteral("New Project From User Template"));
    userTemplateMenu->setIcon(QIcon::fromTheme(QStringLiteral("folder-templates")));
    icon(m.addItem(file, QStringLiteral("Add Project..."), QStringLiteral("addProject:"),
                   K(Qt::CTRL | Qt::SHIFT | Qt::Key_O), 5), "folder-open");
    icon(m.addItem(file, QStringLiteral("Remove Project"), QStringLiteral("removeProject:"), {}, 4), "list-remove");
    downloadTurtorialMenuItem = icon(m.addItem(file, QStringLiteral("Download Tutorial..."),
                                               QStringLiteral("downloadTurtrialProject:")), "folder-download");
    file->addSeparator();
    icon(m.addItem(file, QStringLiteral("New HTML File"), QStringLiteral("createHtml:"), K(Qt::CTRL | Qt::Key_N), 0), "text-html");
    icon(m.addItem(file, QStringLiteral("New CSS File"), QStringLiteral("createCss:"), {}, 1), "text-x-generic");
    icon(m.addItem(file, QStringLiteral("New JavaScript File"), QStringLiteral("createJs:"), {}, 2), "text-x-script");
    icon(m.addItem(file, QStringLiteral("New Folder"), QStringLiteral("createDirectory:"),
                   K(Qt::CTRL | Qt::ALT | Qt::SHIFT | Qt::Key_N), 3), "folder-new");
    file->addSeparator();
    icon(m.addItem(file, QStringLiteral("Open File"), QStringLiteral("openFile:"), {}, 7), "document-open");
    icon(m.addItem(file, QStringLiteral("Duplicate"), QStringLiteral("duplicateFile:"), K(Qt::CTRL | Qt::Key_D), 9), "edit-copy");
    icon(m.addItem(file, QStringLiteral("Unzip"), QStringLiteral("unzipFile:"), {}, 10), "package-x-generic");
    icon(m.addItem(file, QStringLiteral("Show in File Manager"), QStringLiteral("showInFinder:"), {}, 9), "system-file-manager");
    icon(m.addItem(file, QStringLiteral("Run as Web Application"), QStringLiteral("runAsWebApp:"), {}, 14), "web-browser");
    icon(m.addItem(file, QStringLiteral("Save Project as Template..."), QStringLiteral("saveProjectAsTemplate:"), {}, 8),
         "document-save-as");
    icon(m.addItem(file, QStringLiteral("Move to Trash"), QStringLiteral("showDeleteFileAlertFromMainMenu:"),
                   K(Qt::CTRL | Qt::Key_Backspace), 12), "user-trash");
    file->addSeparator();
    icon(m.addItem(file, QStringLiteral("Save"), QStringLiteral("save:"), K(Qt::CTRL | Qt::Key_S)), "document-save");
    icon(m.addItem(file, QStringLiteral("Capture Preview..."), QStringLiteral("captureImage:"), K(Qt::CTRL | Qt::SHIFT | Qt::Key_C)),
         "camera-photo");
    file->addSeparator();
    icon(m.addItem(file, QStringLiteral("Close Window"), QStringLiteral("performClose:"), K(Qt::CTRL | Qt::Key_W)), "window-close");
    icon(m.addItem(file, QStringLiteral("Quit Quillmark"), QStringLiteral("terminate:"), K(Qt::CTRL | Qt::Key_Q)), "application-exit");

    // The file tree's context menu.
    fileMenu = m.addContextMenu(QStringLiteral("fileMenu"), window);
    fileMenu->setObjectName(QStringLiteral("fileMenu"));
    icon(m.addItem(fileMenu, QStringLiteral("Open File"), QStringLiteral("openFile:"), {}, 7), "document-open");
    openWithMenu = m.addSubmenu(fileMenu, QStringLiteral("Open File with External Editor"));
    icon(m.addItem(fileMenu, QStringLiteral("Show in File Manager"), QStringLiteral("showInFinder:"), {}, 9),
         "system-file-manager");
    icon(m.addItem(fileMenu, QStringLiteral("Run as Web Application"), QStringLiteral("runAsWebApp:"), {}, 14), "web-browser");
    fileMenu->addSeparator();
    icon(m.addItem(fileMenu, QStringLiteral("New HTML File"), QStringLiteral("createHtml:"), K(Qt::CTRL | Qt::Key_N), 0),
         "text-html");
    icon(m.addItem(fileMenu, QStringLiteral("New CSS File"), QStringLiteral("createCss:"), {}, 1), "text-x-generic");
    icon(m.addItem(fileMenu, QStringLiteral("New JavaScript File"), QStringLiteral("createJs:"), {}, 2), "text-x-script");
    icon(m.addItem(fileMenu, QStringLiteral("New Folder"), QStringLiteral("createDirectory:"),
                   K(Qt::CTRL | Qt::ALT | Qt::SHIFT | Qt::Key_N), 3), "folder-new");
    fileMenu->addSeparator();
    icon(m.addItem(fileMenu, QStringLiteral("Duplicate"), QStringLiteral("duplicateFile:"), K(Qt::CTRL | Qt::Key_D), 9), "edit-copy");
    icon(m.addItem(fileMenu, QStringLiteral("Unzip"), QStringLiteral("unzipFile:"), {}, 10), "package-x-generic");
    icon(m.addItem(fileMenu, QStringLiteral("Save"), QStringLiteral("saveFile:"), {}, 7), "document-save");
    fileMenu->addSeparator();
    icon(m.addItem(fileMenu, QStringLiteral("Save Project as Template..."), QStringLiteral("saveProjectAsTemplate:"), {}, 8),
         "document-save-as");
    icon(m.addItem(fileMenu, QStringLiteral("Remove Project"), QStringLiteral("removeFile:"), {}, 4), "list-remove");
    fileMenu->addSeparator();
    icon(m.addItem(fileMenu, QStringLiteral("Move to Trash"), QStringLiteral("showDeleteFileAlert:"), K(Qt::Key_Delete), 8),
         "user-trash");

    QMenu *edit = m.menuTitled(QStringLiteral("Edit"));
    m.addItem(edit, QStringLiteral("Undo"), QStringLiteral("undo:"), K(Qt::CTRL | Qt::Key_Z));
    m.addItem(edit, QStringLiteral("Redo"), QStringLiteral("redo:"), K(Qt::CTRL | Qt::SHIFT | Qt::Key_Z));
    edit->addSeparator();
    // The edit commands go to the focused widget; their keys stay with it.
    m.addItem(edit, QStringLiteral("Cut"), QStringLiteral("cut:"));
    m.addItem(edit, QStringLiteral("Copy"), QStringLiteral("copy:"));
    m.addItem(edit, QStringLiteral("Paste"), QStringLiteral("paste:"));
    m.addItem(edit, QStringLiteral("Select All"), QStringLiteral("selectAll:"));
    edit->addSeparator();
    m.addItem(edit, QStringLiteral("Edit Code"), QStringLiteral("makeMainfirstResponder:"), K(Qt::CTRL | Qt::Key_E));

    QMenu *view = m.menuTitled(QStringLiteral("View"));
    m.addItem(view, QStringLiteral("Project Pane"), QStringLiteral("toggleLeftview:"), K(Qt::CTRL | Qt::Key_1));
    m.addItem(view, QStringLiteral("Inspector Area"), QStringLiteral("toggleInspector:"), K(Qt::CTRL | Qt::Key_2));
    m.addItem(view, QStringLiteral("Preview Area"), QStringLiteral("toggleCenterBottomView:"), K(Qt::CTRL | Qt::Key_3));
    m.addItem(view, QStringLiteral("Resources Pane"), QStringLiteral("toggleCenterBottomLeftView:"), K(Qt::CTRL | Qt::Key_4));
    m.addItem(view, QStringLiteral("DOM Pane"), QStringLiteral("toggleCenterBottomRightView:"), K(Qt::CTRL | Qt::Key_5));
    m.addItem(view, QStringLiteral("Keyframe Pane"), QStringLiteral("toggleKeyframeEditor:"), K(Qt::CTRL | Qt::Key_6));
    view->addSeparator();
    // Many window managers take Ctrl+Alt with an arrow for their workspaces;
    // Ctrl+Alt with Page Up and Page Down reach the dividers there.
    m.addItem(view, QStringLiteral("Move Divider Up"), QStringLiteral("verticalRangeUp:"), K(Qt::CTRL | Qt::ALT | Qt::Key_Up))
        ->setShortcuts({K(Qt::CTRL | Qt::ALT | Qt::Key_Up), K(Qt::CTRL | Qt::ALT | Qt::Key_PageUp)});
    m.addItem(view, QStringLiteral("Move Divider Down"), QStringLiteral("verticalRangeDown:"), K(Qt::CTRL | Qt::ALT | Qt::Key_Down))
        ->setShortcuts({K(Qt::CTRL | Qt::ALT | Qt::Key_Down), K(Qt::CTRL | Qt::ALT | Qt::Key_PageDown)});
    view->addSeparator();
    m.addItem(view, QStringLiteral("Style Inspector"), QStringLiteral("openCSSInspector:"), K(Qt::CTRL | Qt::ALT | Qt::Key_I));
    m.addItem(view, QStringLiteral("Dock Style Inspector"), QStringLiteral("layoutTwocolumns:"));
    m.addItem(view, QStringLiteral("Float Style Inspector"), QStringLiteral("layoutHover:"));
    m.addItem(view, QStringLiteral("Switch Inspector Layout"), QStringLiteral("toggleDetectionMode:"), K(Qt::CTRL | Qt::ALT | Qt::Key_L));
    view->addSeparator();
    showDomtreeMenuItem = m.addItem(view, QStringLiteral("Show DOMNode Tree"), QStringLiteral("showDOMNodeTree:"));
    showFindbarMenuItem = icon(m.addItem(view, QStringLiteral("Show Element Find Bar"), QStringLiteral("showSearchBar:")),
                               "edit-find");
    // The find key belongs to the view with the keyboard (the tree or the
    // code editor): the item only shows it.
    showFindbarMenuItem->setShortcut(QKeySequence::Find);
    showFindbarMenuItem->setShortcutContext(Qt::WidgetShortcut);
    expandTreeMenuItem = icon(m.addItem(view, QStringLiteral("Expand All Elements"), QStringLiteral("expandAll:")),
                              "view-list-tree");
    navigatorItem = m.addItem(view, QStringLiteral("Show Navigator"), QStringLiteral("openSidewebview:"), K(Qt::CTRL | Qt::ALT | Qt::Key_N));
    // The navigator window has nothing to show yet: its command stays out of
    // the menu (and so has no keys) rather than open an empty window.
    view->removeAction(navigatorItem);

    QMenu *preview = m.menuTitled(QStringLiteral("Preview"));
    m.addItem(preview, QStringLiteral("Full Size Preview"), QStringLiteral("fullWebView:"), K(Qt::CTRL | Qt::SHIFT | Qt::Key_W));
    m.addItem(preview, QStringLiteral("Reload"), QStringLiteral("reloadPage:"), K(Qt::CTRL | Qt::Key_R));
    m.addItem(preview, QStringLiteral("Select an Element"), QStringLiteral("selectNode:"), K(Qt::CTRL | Qt::SHIFT | Qt::Key_E));
    preview->addSeparator();
    m.addItem(preview, QStringLiteral("Actual Size"), QStringLiteral("resetZoomAction:"), K(Qt::CTRL | Qt::Key_0));
    m.addItem(preview, QStringLiteral("Zoom In"), QStringLiteral("zoomInAction:"), K(K::ZoomIn));
    m.addItem(preview, QStringLiteral("Zoom Out"), QStringLiteral("zoomOutAction:"), K(K::ZoomOut));
    preview->addSeparator();
    m.addItem(preview, QStringLiteral("Bigger Size"), QStringLiteral("goBiggerSize:"), K(Qt::CTRL | Qt::Key_BracketRight));
    m.addItem(preview, QStringLiteral("Smaller Size"), QStringLiteral("goSmallerrSize:"), K(Qt::CTRL | Qt::Key_BracketLeft));
    m.addItem(preview, QStringLiteral("Rotate Device"), QStringLiteral("previewRotation:"), K(Qt::CTRL | Qt::ALT | Qt::Key_O));
    chromedPreview = m.addItem(preview, QStringLiteral("Browser Chrome"), QStringLiteral("previewChrome:"));
    responsiveRulerMenuItem = m.addItem(preview, QStringLiteral("Hide Responsive Ruler"),
                                        QStringLiteral("activateResponsiveRuler:"), K(Qt::CTRL | Qt::ALT | Qt::Key_R));
    preview->addSeparator();
    downloadPageMenuItem = m.addItem(preview, QStringLiteral("Download..."), QStringLiteral("displayWindow:"),
                                     K(Qt::CTRL | Qt::SHIFT | Qt::Key_S));
    m.addItem(preview, QStringLiteral("Download Libraries..."), QStringLiteral("downloadLib:"));

    QMenu *rules = m.menuTitled(QStringLiteral("Rules"));
    icon(m.addItem(rules, QStringLiteral("Add Declaration..."), QStringLiteral("addDeclaration:"), K(Qt::CTRL | Qt::ALT | Qt::Key_D)),
         "list-add");
    icon(m.addItem(rules, QStringLiteral("Add Rule..."), QStringLiteral("showAddSelector:"), K(Qt::CTRL | Qt::ALT | Qt::Key_A)),
         "document-new");
    icon(m.addItem(rules, QStringLiteral("Duplicate Rule..."), QStringLiteral("duplicateSelector:")), "edit-copy");
    icon(m.addItem(rules, QStringLiteral("Show Related Elements"), QStringLiteral("highlightRelation:")), "edit-find");
    icon(m.addItem(rules, QStringLiteral("Remove Selected Rows"), QStringLiteral("removeStyle:")), "list-remove");
    icon(m.addItem(rules, QStringLiteral("Edit Rule Style..."), QStringLiteral("displayAttributeStyleEditor:")), "document-edit");
    rules->addSeparator();
    m.addItem(rules, QStringLiteral("Show Style Sheets"), QStringLiteral("showStyleSheetsManager:"), K(Qt::CTRL | Qt::ALT | Qt::Key_M));

    QMenu *help = m.menuTitled(QStringLiteral("Help"));
    m.addItem(help, QStringLiteral("Quillmark Help"), QStringLiteral("showHelp:"), K(Qt::Key_F1));
    m.addItem(help, QStringLiteral("Ignore Rules"), QStringLiteral("openHelpIgnore:"));

    // The preview button's menu, filled each time it opens.
    previewMenu = new QMenu(QStringLiteral("Preview With"), window);
    previewMenu->setObjectName(QStringLiteral("previewMenu"));
}

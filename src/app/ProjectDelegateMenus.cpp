// ProjectDelegate: the validation of the file tree's context menu and the
// File menu, the user-template submenu, the file breadcrumb's menus, and the
// toggles of the DOM tree beside the code.

#include "ProjectDelegate.h"

#include "AppDelegate.h"
#include "FileViewController.h"
#include "MainInterface.h"
#include "MainMenu.h"

#include "interfaces/PreviewHalfInterface.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/kit/PathControl.h"
#include "platform/kit/SegmentedControl.h"
#include "platform/kit/SplitView.h"
#include "toolkit/MenuItemEx.h"
#include "toolkit/OutlineViewEx.h"
#include "workspace/File.h"
#include "workspace/PathComponentCell.h"

#include <QAction>
#include <QApplication>
#include <QFileInfo>
#include <QItemSelectionModel>
#include <QMenu>

namespace {

const QString kFileMenu = QStringLiteral("fileMenu");
const QString kMainFileMenu = QStringLiteral("File");
const QString kUserTemplateMenu = QStringLiteral("New Project From User Template");
// How far a menu item's icon lies from the menu's left edge.
constexpr int kMenuIconInset = 8;
// The width the DOM tree's pane opens at when it has none to come back to.
constexpr int kDomTreePaneWidth = 260;

// The breadcrumb's menus are set a size smaller than the program's text.
QFont breadcrumbMenuFont()
{
    QFont font = QApplication::font();
    font.setPointSizeF(font.pointSizeF() * 0.9);
    return font;
}

QString menuTitleText(const QString &name)
{
    // A "&" in a name is shown, not taken as a mnemonic.
    QString text = name;
    return text.replace(QLatin1Char('&'), QStringLiteral("&&"));
}

} // namespace

// --- Validation ------------------------------------------------------------------------------------

bool ProjectDelegate::validateMenuItem(QAction *item)
{
    if (!item)
        return false;
    if (item->text() == QLatin1String("Download Tutorial..."))
        return true;
    const QString menu = MainMenu::menuTitle(item);
    if (menu != kFileMenu && menu != kMainFileMenu)
        return true;
    if (panelSheetShown())
        return false;
    const int tag = MainMenu::tag(item);
    if (tag == 5 || tag == 6)
        return true;
    if (!m_finderView)
        return false;
    if (tag != 4 && hasSeveralSelectedRows())
        return false;
    File *node = menu == kFileMenu ? clickedFile() : selectedItem();
    if (!node)
        return false;
    switch (tag) {
    case 0:
    case 1:
    case 2:
    case 3:
        return true;
    case 4:
        return node->rootFile() == node;
    case 7:
        return node->isLeaf();
    case 9:
        return node->exists();
    case 10:
        return QFileInfo(node->path()).suffix() == QLatin1String("zip");
    case 11:
        return !node->exists() && !node->histories().isEmpty();
    case 12:
        return QApplication::focusWidget() == m_finderView;
    case 14: {
        if (node->webURLOfFile().isEmpty() || !node->exists())
            return false;
        const QFileInfo info(node->path());
        if (info.isDir())
            return true;
        const int type = node->fileType();
        if (type == File::HTML)
            return true;
        if (type == File::OtherText) {
            static const QStringList served = {QStringLiteral("php"), QStringLiteral("jsp"), QStringLiteral("pl"),
                                               QStringLiteral("asp"), QStringLiteral("aspx")};
            return served.contains(info.suffix());
        }
        return false;
    }
    default:
        return true;
    }
}

bool ProjectDelegate::hasSeveralSelectedRows() const
{
    // Counted from the selection's ranges: listing the selected rows costs
    // a look at every range for every row, and menus ask once per item.
    int rows = 0;
    for (const QItemSelectionRange &range : m_finderView->selectionModel()->selection()) {
        rows += range.height();
        if (rows >= 2)
            return true;
    }
    return false;
}

// --- User templates ----------------------------------------------------------------------------------

void ProjectDelegate::menuWillOpen(QMenu *menu)
{
    if (!menu || menu->title() != kUserTemplateMenu)
        return;
    menu->clear();
    const QStringList names = getUserTemplates();
    for (const QString &name : names) {
        QAction *item = menu->addAction(menuTitleText(name));
        item->setData(name);
        connect(item, &QAction::triggered, this, [this, item] { createProjectWithUserTemplate(item); });
    }
    // An empty submenu opens nothing: it is shown disabled instead.
    menu->menuAction()->setEnabled(!names.isEmpty());
}

// --- The file breadcrumb -------------------------------------------------------------------------------

namespace {

MenuItemEx *breadcrumbItem(File *node, QMenu *menu)
{
    auto *item = new MenuItemEx(node->icon(), menuTitleText(node->displayName()), menu);
    item->setFile(node);
    return item;
}

} // namespace

QMenu *ProjectDelegate::createMenu(File *node, QWidget *parent)
{
    auto *menu = new QMenu(parent);
    menu->setFont(breadcrumbMenuFont());
    if (!node)
        return menu;
    QPointer<File> folder = node;
    // A folder's items are made when its menu first opens: a large project
    // is not walked whole for one click.
    connect(menu, &QMenu::aboutToShow, this, [this, menu, folder] {
        if (!menu->isEmpty() || !folder)
            return;
        for (File *child : folder->children()) {
            MenuItemEx *item = breadcrumbItem(child, menu);
            if (!child->isLeaf())
                item->setMenu(createMenu(child, menu));
            connect(item, &QAction::triggered, this, [this, item] { menuSelected(item); });
            menu->addAction(item);
        }
    });
    return menu;
}

void ProjectDelegate::breadcrambAction(PathControl *control)
{
    if (!control)
        return;
    auto *cell = dynamic_cast<PathComponentCell *>(control->clickedPathComponentCell());
    File *file = cell ? cell->file() : nullptr;
    if (!file)
        return;
    auto *menu = new QMenu(control);
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->setFont(breadcrumbMenuFont());
    QList<File *> nodes;
    if (File *parent = file->parentFile())
        nodes = parent->children();
    else if (file->isRoot())
        nodes = {file};
    for (File *node : std::as_const(nodes)) {
        MenuItemEx *item = breadcrumbItem(node, menu);
        if (!node->isLeaf())
            item->setMenu(createMenu(node, menu));
        connect(item, &QAction::triggered, this, [this, item] { menuSelected(item); });
        menu->addAction(item);
    }

    // Under the clicked component, the items' icons below its icon.
    int index = -1;
    const auto &cells = control->pathComponentCells();
    for (int i = 0; i < int(cells.size()); ++i) {
        if (cells[size_t(i)].get() == cell)
            index = i;
    }
    const QRect component = control->rectForCell(index);
    menu->popup(control->mapToGlobal(QPoint(component.left() - kMenuIconInset, control->height())));
}

void ProjectDelegate::menuSelected(MenuItemEx *item)
{
    File *file = item ? item->file() : nullptr;
    if (!file || !m_fileViewController)
        return;
    m_fileViewController->viewFile(file);
    setBreadcrumbs(file);
    if (QWidget *view = file->view())
        view->setFocus(Qt::OtherFocusReason);
}

// --- The DOM tree beside the code ------------------------------------------------------------------------

void ProjectDelegate::showDOMNodeTree()
{
    SegmentedControl *control = m_ui ? m_ui->showSourceCodebtn : nullptr;
    if (control && control->isSelectedForSegment(1))
        doHideDOMNodeTree();
    else
        doShowDOMNodeTree();
}

void ProjectDelegate::doShowDOMNodeTree()
{
    setDOMNodeTreeToggles(true);
    doShowSourceCode(true);
    if (m_previewHalf)
        m_previewHalf->doDetectPreview(true);
}

void ProjectDelegate::doHideDOMNodeTree()
{
    setDOMNodeTreeToggles(false);
    doShowSourceCode(false);
    if (m_previewHalf)
        m_previewHalf->doDetectPreview(false);
}

void ProjectDelegate::setDOMNodeTreeToggles(bool shown)
{
    if (m_ui && m_ui->showSourceCodebtn) {
        m_ui->showSourceCodebtn->setSelected(!shown, 0);
        m_ui->showSourceCodebtn->setSelected(shown, 1);
    }
    if (m_ui && m_ui->showDomtreeMenuItem)
        m_ui->showDomtreeMenuItem->setText(shown ? QStringLiteral("Hide DOMNode Tree") : QStringLiteral("Show DOMNode Tree"));
}

void ProjectDelegate::doShowSourceCode(bool show)
{
    // The DOM tree has a pane of its own beside the code: it is shown or
    // collapsed rather than swapped with the code.
    AppDelegate *app = AppDelegate::instance();
    if (!m_ui || !app || !m_ui->centerBottomPane || !m_ui->rightBottomPane)
        return;
    SplitView *panes = m_ui->centerBottomPane;
    if (panes->isSubviewCollapsed(m_ui->rightBottomPane) != show)
        return;
    app->toggleCenterBottomRightView();
    // A pane collapsed since launch has no width to come back to: it takes
    // a quarter of the row.
    if (show && panes->isSubviewCollapsed(m_ui->rightBottomPane))
        panes->setPositionOfDividerAtIndex(panes->width() - qMax(kDomTreePaneWidth, panes->width() / 4), 1);
}

void ProjectDelegate::selectNode()
{
    if (m_previewHalf && m_previewHalf->isDetectButtonOn())
        m_previewHalf->doDetectPreview(false);
    else
        doShowDOMNodeTree();
    NotificationCenter::defaultCenter().postNotificationName(QStringLiteral("selectNodeMode"), this);
}

void ProjectDelegate::checkAndEnableNextURL()
{
    if (m_previewHalf)
        m_previewHalf->checkAndEnableNextURL();
}

void ProjectDelegate::invalidateElementInformation()
{
    if (m_previewHalf)
        m_previewHalf->invalidateElementInformation();
}

QString ProjectDelegate::readableValueWithBytes(double bytes)
{
    return File::readableValueWithBytes(bytes);
}

void ProjectDelegate::showDOMNodeTreeState()
{
    if (!m_ui || !m_ui->centerBottomPane || !m_ui->rightBottomPane)
        return;
    setDOMNodeTreeToggles(!m_ui->centerBottomPane->isSubviewCollapsed(m_ui->rightBottomPane));
}

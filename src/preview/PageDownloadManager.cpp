// PageDownloadManager: the sheet, the tree of resources and its check boxes.

#include "PageDownloadManager.h"

#include "ExWebView.h"
#include "PreviewDelegate.h"
#include "ResourceBodyFetcher.h"
#include "ResourceListItemCell.h"
#include "WebFrameEx.h"

#include "interfaces/ProjectDelegateInterface.h"
#include "platform/foundation/Log.h"
#include "platform/kit/FilePanel.h"
#include "platform/kit/NamedImage.h"
#include "toolkit/OutlineViewEx.h"
#include "workspace/File.h"

#include <QAction>
#include <QCheckBox>
#include <QDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

// The resource tree is a few levels of groups; a deeper one is not walked.
constexpr int kMaxFolderDepth = 16;

const QString kCellIdentifier = QStringLiteral("ResourceListItemCell");

QString lastComponent(const QString &item)
{
    const qsizetype slash = item.lastIndexOf(QLatin1Char('/'));
    const QString name = slash < 0 ? item : item.mid(slash + 1);
    return name.isEmpty() ? item : name;
}

} // namespace

PageDownloadManager::PageDownloadManager(QWidget *mainWindow, QObject *parent)
    : QObject(parent), m_mainWindow(mainWindow)
{
    makeWindow(mainWindow);
}

PageDownloadManager::~PageDownloadManager()
{
    delete m_pageDownloadWindow;
}

void PageDownloadManager::makeWindow(QWidget *mainWindow)
{
    m_pageDownloadWindow = new QDialog(mainWindow);
    m_pageDownloadWindow->setObjectName(QStringLiteral("pageDownloadWindow"));
    m_pageDownloadWindow->setWindowTitle(QStringLiteral("Download Page"));
    m_pageDownloadWindow->setWindowModality(Qt::WindowModal);
    m_pageDownloadWindow->resize(520, 460);
    auto *layout = new QVBoxLayout(m_pageDownloadWindow);
    layout->setContentsMargins(14, 12, 14, 12);
    layout->setSpacing(8);
    layout->addWidget(new QLabel(QStringLiteral("Choose the files of the page to save."), m_pageDownloadWindow));

    m_resourceListView = new OutlineViewEx(m_pageDownloadWindow);
    m_resourceListView->setObjectName(QStringLiteral("resourceListView"));
    m_resourceListView->setHeaderVisible(false);
    m_cell = new ResourceListItemCell(m_resourceListView);
    m_cell->setAction([this](const QModelIndex &index, bool checked) {
        if (const auto *item = static_cast<const QString *>(OutlineView::itemForIndex(index)))
            checkChange(*item, checked);
    });
    m_resourceListView->registerCell(kCellIdentifier, m_cell);
    OutlineDelegate delegate;
    delegate.cellIdentifierForTableColumn = [](OutlineView *, int, void *) { return kCellIdentifier; };
    m_resourceListView->setDelegate(delegate);
    m_resourceListView->setDataSource(this);
    layout->addWidget(m_resourceListView, 1);

    m_convertAbsoluteToRelative =
        new QCheckBox(QStringLiteral("Make the page's links to saved files relative"), m_pageDownloadWindow);
    m_convertAbsoluteToRelative->setObjectName(QStringLiteral("convertAbsoluteToRelative"));
    m_convertAbsoluteToRelative->setChecked(true);
    layout->addWidget(m_convertAbsoluteToRelative);

    m_fetchLabel = new QLabel(m_pageDownloadWindow);
    m_fetchLabel->setObjectName(QStringLiteral("fetchLabel"));
    m_fetchProgress = new QProgressBar(m_pageDownloadWindow);
    m_fetchProgress->setObjectName(QStringLiteral("fetchProgress"));
    m_fetchProgress->setFormat(QStringLiteral("%v / %m"));
    layout->addWidget(m_fetchLabel);
    layout->addWidget(m_fetchProgress);
    m_fetchLabel->hide();
    m_fetchProgress->hide();
    m_bodyFetcher = new ResourceBodyFetcher(this);
    connect(m_bodyFetcher, &ResourceBodyFetcher::progressed, this, [this](int done, int total) {
        m_fetchProgress->setRange(0, total);
        m_fetchProgress->setValue(done);
    });
    // Whatever came, the save goes on; what did not come is reported then.
    connect(m_bodyFetcher, &ResourceBodyFetcher::finished, this, [this] {
        if (!isFetching())
            return;
        setFetching(false);
        m_pageDownloadWindow->done(QDialog::Accepted);
        displayLocationSelectWindow();
    });

    auto *buttons = new QHBoxLayout;
    auto *all = new QPushButton(QStringLiteral("Select All"), m_pageDownloadWindow);
    all->setObjectName(QStringLiteral("selectAll"));
    all->setAutoDefault(false);
    auto *none = new QPushButton(QStringLiteral("Deselect All"), m_pageDownloadWindow);
    none->setObjectName(QStringLiteral("deselectAll"));
    none->setAutoDefault(false);
    auto *cancel = new QPushButton(QStringLiteral("Cancel"), m_pageDownloadWindow);
    cancel->setObjectName(QStringLiteral("cancelButton"));
    cancel->setAutoDefault(false);
    m_okButton = new QPushButton(QStringLiteral("Download..."), m_pageDownloadWindow);
    m_okButton->setObjectName(QStringLiteral("okButton"));
    m_okButton->setDefault(true);
    m_selectionButtons = {all, none};
    buttons->addWidget(all);
    buttons->addWidget(none);
    buttons->addStretch(1);
    buttons->addWidget(cancel);
    buttons->addWidget(m_okButton);
    layout->addLayout(buttons);

    connect(all, &QPushButton::clicked, this, &PageDownloadManager::selectAll);
    connect(none, &QPushButton::clicked, this, &PageDownloadManager::deselectAll);
    connect(cancel, &QPushButton::clicked, this, &PageDownloadManager::closeWindow);
    connect(m_okButton, &QPushButton::clicked, this, &PageDownloadManager::closeWithSelectLocation);
    // Escape rejects the sheet: the same as Cancel.
    connect(m_pageDownloadWindow, &QDialog::rejected, this, [this] {
        if (isFetching())
            setFetching(false);
        if (m_inspectorVisibility)
            m_inspectorVisibility(true);
    });
}

bool PageDownloadManager::validateMenuItem(QAction *item) const
{
    if (item && item->text() == QStringLiteral("Download..."))
        return m_preview && m_preview->downloadButtonsEnabled();
    return true;
}

// --- The sheet ---------------------------------------------------------------------------------

void PageDownloadManager::displayWindow()
{
    // Only a complete page is saved.
    if (!m_preview || !m_preview->downloadButtonsEnabled())
        return;
    m_convertAbsoluteToRelative->setChecked(true);
    m_childrenMap.clear();
    m_fileOfItem.clear();
    m_relativePathOfItem.clear();
    m_selectionMap.clear();
    m_indexFile = nullptr;
    initResources();
    // A project page's links are the project's own: only a network page's are rewritten.
    m_convertAbsoluteToRelative->setEnabled(!isLocalPage());
    m_allItems = m_selectionMap;
    reloadList();
    checkDownloadValidate();
    checkResourceLinkOfIndex();
    if (m_inspectorVisibility)
        m_inspectorVisibility(false);
    m_pageDownloadWindow->open();
}

void PageDownloadManager::closeWindow()
{
    // The rejected signal stops fetching and brings the inspector back.
    m_pageDownloadWindow->reject();
}

void PageDownloadManager::closeWithSelectLocation()
{
    if (isFetching())
        return;
    const QList<File *> missing = selectedFilesWithoutBytes();
    if (!missing.isEmpty()) {
        // The sheet stays while the bytes come; Cancel stops them.
        QM_DEBUG(QStringLiteral("%1 files to fetch before saving").arg(missing.size()));
        m_bodyFetcher->setWebPage(m_preview && m_preview->webview() ? m_preview->webview()->webPage() : nullptr);
        setFetching(true);
        m_bodyFetcher->fetch(missing);
        return;
    }
    m_pageDownloadWindow->done(QDialog::Accepted);
    displayLocationSelectWindow();
}

bool PageDownloadManager::isFetching() const
{
    return m_fetchProgress->isVisibleTo(m_pageDownloadWindow);
}

void PageDownloadManager::setFetching(bool fetching)
{
    if (!fetching)
        m_bodyFetcher->cancel();
    m_fetchLabel->setText(fetching ? QStringLiteral("Fetching the files the page has not kept...") : QString());
    m_fetchLabel->setVisible(fetching);
    m_fetchProgress->setVisible(fetching);
    m_resourceListView->setEnabled(!fetching);
    for (QPushButton *button : std::as_const(m_selectionButtons))
        button->setEnabled(!fetching);
    m_convertAbsoluteToRelative->setEnabled(!fetching && !isLocalPage());
    if (fetching)
        m_okButton->setEnabled(false);
    else
        checkDownloadValidate();
}

QList<File *> PageDownloadManager::selectedFilesWithoutBytes() const
{
    QList<File *> files;
    for (const QString &item : m_selectionMap) {
        File *file = fileWithItem(item);
        if (file && !files.contains(file) && ResourceBodyFetcher::needsBody(file))
            files.append(file);
    }
    return files;
}

void PageDownloadManager::displayLocationSelectWindow()
{
    FilePanel panel(FilePanel::Kind::Open);
    panel.setCanChooseDirectories(true);
    panel.setCanChooseFiles(false);
    panel.setCanCreateDirectories(true);
    panel.setPrompt(QStringLiteral("Download"));
    panel.setMessage(QStringLiteral("Choose your directory to save."));
    if (m_projectDelegate)
        m_projectDelegate->setSheetShown(true);
    const QPointer<PageDownloadManager> self(this);
    panel.beginSheetModalForWindow(m_mainWindow, [self](int response, const QStringList &paths) {
        if (!self)
            return;
        if (self->m_projectDelegate)
            self->m_projectDelegate->setSheetShown(false);
        if (response == FilePanel::OKButton && !paths.isEmpty()) {
            QM_DEBUG(QStringLiteral("download to %1").arg(paths.first()));
            self->downloadFilesTo(paths.first());
        }
        if (self->m_inspectorVisibility)
            self->m_inspectorVisibility(true);
    });
}

void PageDownloadManager::selectAll()
{
    for (const QString &item : std::as_const(m_allItems)) {
        if (!m_selectionMap.contains(item))
            m_selectionMap.append(item);
    }
    afterSelectionChange();
}

void PageDownloadManager::deselectAll()
{
    m_selectionMap.clear();
    afterSelectionChange();
}

void PageDownloadManager::checkChange(const QString &item, bool checked)
{
    // A folder's own items are those below it: its text and a "/", never a
    // sibling whose name merely begins the same way.
    const QString below = item + QLatin1Char('/');
    const bool folder = itemIsDirectory(item);
    if (checked) {
        for (const QString &candidate : std::as_const(m_allItems)) {
            if ((candidate == item || (folder && candidate.startsWith(below))) && !m_selectionMap.contains(candidate))
                m_selectionMap.append(candidate);
        }
    } else {
        m_selectionMap.removeIf([&](const QString &candidate) {
            return candidate == item || (folder && candidate.startsWith(below));
        });
    }
    afterSelectionChange();
}

void PageDownloadManager::checkDownloadValidate()
{
    m_okButton->setEnabled(!m_selectionMap.isEmpty());
}

void PageDownloadManager::afterSelectionChange()
{
    checkDownloadValidate();
    checkResourceLinkOfIndex();
    m_resourceListView->viewport()->update();
}

void PageDownloadManager::reloadList()
{
    m_resourceListView->reloadData();
    m_resourceListView->layoutRowsLater();
    for (const QString &top : m_childrenMap.value(QString()))
        m_resourceListView->expandItem(const_cast<QString *>(itemPointer(top)), true);
}

// --- The tree ------------------------------------------------------------------------------------

QList<File *> PageDownloadManager::resourceList() const
{
    QList<File *> files;
    for (const QPointer<File> &file : m_resourceList) {
        if (file)
            files.append(file.data());
    }
    return files;
}

bool PageDownloadManager::isLocalPage() const
{
    return m_indexFile && m_indexFile->isLocalFile();
}

QString PageDownloadManager::projectRoot() const
{
    return m_projectRoot;
}

void PageDownloadManager::initResources()
{
    m_resourceList.clear();
    m_projectRoot.clear();
    const QList<File *> roots = m_preview ? m_preview->resourceRoots() : QList<File *>();
    // Depth first through the groups; the first node with a frame is the page.
    std::function<void(File *, int)> walk = [&](File *node, int depth) {
        if (!node || depth > kMaxFolderDepth)
            return;
        if (!m_indexFile && node->webframe())
            m_indexFile = node;
        const QList<File *> children = node->isResourceGroup() ? node->tempChildren() : QList<File *>();
        if (children.isEmpty() || node->isWebframeFile()) {
            if (!m_resourceList.contains(node))
                m_resourceList.append(node);
        }
        for (File *child : children)
            walk(child, depth + 1);
    };
    for (File *root : roots)
        walk(root, 0);

    // A project page is laid out below its project's folder.
    if (m_indexFile && m_indexFile->isLocalFile()) {
        const auto frame = std::dynamic_pointer_cast<WebFrameEx>(m_indexFile->webframe());
        File *root = frame ? frame->rootFile() : nullptr;
        m_projectRoot = root ? root->path() : QFileInfo(m_indexFile->path()).path();
    }
    for (File *file : resourceList()) {
        if (const std::optional<Placement> placement = placementOf(file))
            addToTree(*placement, file);
        else
            QM_INFO(QStringLiteral("%1 is not saved: its address leads out of the chosen folder").arg(file->path()));
    }
    QM_DEBUG(QStringLiteral("%1 can download.").arg(m_resourceList.size()));
}

void PageDownloadManager::addToTree(const Placement &placement, File *file)
{
    QString parent;
    const auto add = [this](const QString &parent, const QString &item) {
        QStringList &children = m_childrenMap[parent];
        if (!children.contains(item))
            children.append(item);
        // A newly listed item starts ticked.
        if (!m_selectionMap.contains(item))
            m_selectionMap.append(item);
        itemPointer(item);
    };
    for (const QString &folder : placement.folders) {
        add(parent, folder);
        parent = folder;
    }
    add(parent, placement.item);
    // Two addresses that differ only in their query save to one file: the first keeps it.
    if (!m_fileOfItem.contains(placement.item)) {
        m_fileOfItem.insert(placement.item, file);
        m_relativePathOfItem.insert(placement.item, placement.relativePath);
    }
}

const QString *PageDownloadManager::itemPointer(const QString &item)
{
    auto it = m_items.find(item);
    if (it == m_items.end())
        it = m_items.emplace(item, std::make_unique<QString>(item)).first;
    return it->second.get();
}

File *PageDownloadManager::fileWithItem(const QString &item) const
{
    return m_fileOfItem.value(item).data();
}

// --- OutlineDataSource ---------------------------------------------------------------------------

int PageDownloadManager::numberOfChildrenOfItem(OutlineView *, void *item)
{
    return int(m_childrenMap.value(item ? *static_cast<const QString *>(item) : QString()).size());
}

void *PageDownloadManager::childOfItem(OutlineView *, int index, void *item)
{
    const QStringList children = m_childrenMap.value(item ? *static_cast<const QString *>(item) : QString());
    if (index < 0 || index >= children.size())
        return nullptr;
    return const_cast<QString *>(itemPointer(children.at(index)));
}

bool PageDownloadManager::isItemExpandable(OutlineView *, void *item)
{
    return !item || itemIsDirectory(*static_cast<const QString *>(item));
}

QVariant PageDownloadManager::objectValueForTableColumn(OutlineView *, int, void *item, int role)
{
    if (!item)
        return {};
    const QString &text = *static_cast<const QString *>(item);
    switch (role) {
    case Qt::DisplayRole:
        return lastComponent(text);
    case Qt::ToolTipRole:
        return text;
    case Qt::CheckStateRole:
        return isSelected(text) ? Qt::Checked : Qt::Unchecked;
    case Qt::DecorationRole:
        if (itemIsDirectory(text))
            return QIcon(NamedImage::imageNamed(QStringLiteral("DVTNavGroup.icns")));
        if (File *file = fileWithItem(text))
            return file->icon();
        return QIcon(NamedImage::imageNamed(QStringLiteral("InternetLocationHTTP.icns")));
    default:
        return {};
    }
}

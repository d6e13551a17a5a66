// LoadedResourceDelegate: the context menu and its validation, the header
// popover, downloads, revealing a resource's file, and save destinations.

#include "LoadedResourceDelegate.h"

#include "LoadedResource.h"
#include "WebFrameEx.h"

#include "foundation/DataUtils.h"
#include "interfaces/ProjectDelegateInterface.h"
#include "platform/foundation/AtomicFileWriter.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/kit/Alert.h"
#include "platform/kit/FileManager.h"
#include "platform/kit/FilePanel.h"
#include "platform/kit/OutlineView.h"
#include "platform/kit/ViewController.h"
#include "toolkit/OutlineViewEx.h"
#include "toolkit/RBLPopover.h"
#include "workspace/BypassMap.h"
#include "workspace/File.h"

#include <QAction>
#include <QFileInfo>
#include <QFontMetrics>
#include <QMenu>
#include <QScreen>

namespace {

// The header list of the popover: two columns, a row per header.
class HeaderListSource : public OutlineDataSource
{
public:
    QList<std::shared_ptr<ResourceInfo>> rows;

    int numberOfChildrenOfItem(OutlineView *, void *item) override { return item ? 0 : int(rows.size()); }
    void *childOfItem(OutlineView *, int index, void *item) override
    {
        return !item && index >= 0 && index < rows.size() ? rows.at(index).get() : nullptr;
    }
    bool isItemExpandable(OutlineView *, void *) override { return false; }
    QVariant objectValueForTableColumn(OutlineView *, int column, void *item, int role) override
    {
        const auto *row = static_cast<const ResourceInfo *>(item);
        if (!row || (role != Qt::DisplayRole && role != Qt::ToolTipRole))
            return {};
        return column == 0 ? row->title() : row->displayName();
    }
};

// The view of the popover: the list and its source.
class HeaderListController : public ViewController
{
public:
    HeaderListSource source;
    OutlineView *list = nullptr; // Owned by the view.

protected:
    void loadView() override
    {
        list = new OutlineView;
        list->setObjectName(QStringLiteral("httpInfoView"));
        list->setFrameShape(QFrame::NoFrame);
        list->setRootIsDecorated(false);
        list->setTableColumns({{QStringLiteral("title"), QStringLiteral("Name")},
                               {QStringLiteral("displayName"), QStringLiteral("Value")}});
        list->setHeaderVisible(false);
        list->setDataSource(&source);
        setView(list);
    }
};

// What the header rows are of: the File's resource, or its frame's document.
std::shared_ptr<LoadedResource> loadOf(File *file)
{
    if (const auto frame = std::dynamic_pointer_cast<WebFrameEx>(file->webframe()))
        return frame->document();
    return std::dynamic_pointer_cast<LoadedResource>(file->webresource());
}

// The popover keeps to a reasonable part of the screen however long the
// headers are (a policy header runs to thousands of characters).
constexpr int kMaxPopoverWidth = 720;
constexpr int kMaxPopoverHeight = 420;

} // namespace

// --- The menu --------------------------------------------------------------------------------------

void LoadedResourceDelegate::makeMenu()
{
    m_menu = new QMenu(m_view);
    m_menu->setObjectName(QStringLiteral("loadedResourceMenu"));
    const auto add = [this](const QString &title, const char *icon, void (LoadedResourceDelegate::*handler)()) {
        QAction *action = m_menu->addAction(QIcon::fromTheme(QString::fromLatin1(icon)), title);
        connect(action, &QAction::triggered, this, handler);
        m_actions.append(action);
    };
    // In the order of Action.
    add(QStringLiteral("Download..."), "document-save-as", &LoadedResourceDelegate::downloadFile);
    add(QStringLiteral("Show HTTP Headers"), "dialog-information", &LoadedResourceDelegate::showHttpInfo);
    add(QStringLiteral("Show in File Manager"), "system-file-manager", &LoadedResourceDelegate::showInFinder);
    m_menu->insertSeparator(m_actions.last());
    add(QStringLiteral("Set Save Destination..."), "insert-link", &LoadedResourceDelegate::setSaveDestination);
    add(QStringLiteral("Remove Save Destination"), "edit-delete", &LoadedResourceDelegate::removeSaveDestination);
    m_menu->insertSeparator(m_actions.at(int(Action::SetSaveDestination)));
    connect(m_menu, &QMenu::aboutToShow, this, [this] {
        for (int action = 0; action < m_actions.size(); ++action)
            m_actions.at(action)->setEnabled(validateUserInterfaceItem(Action(action)));
    });
    m_resouceView->setMenu(m_menu);
}

QAction *LoadedResourceDelegate::actionFor(Action action) const
{
    return m_actions.value(int(action));
}

bool LoadedResourceDelegate::validateUserInterfaceItem(Action action) const
{
    return validateUserInterfaceItem(action, getSelectedFile());
}

bool LoadedResourceDelegate::validateUserInterfaceItem(Action action, File *file)
{
    if (!file)
        return false;
    if (file->isLocalFile())
        return !file->isResourceGroup() && action == Action::ShowInFinder;
    // A group of the list stands for nothing that was loaded.
    if (!file->webframe() && !file->webresource())
        return false;
    if (action == Action::RemoveSaveDestination || action == Action::ShowInFinder)
        return file->hasBypass();
    return true;
}

// --- The header popover ------------------------------------------------------------------------------

void LoadedResourceDelegate::setResourceDetailListToFile(File *file)
{
    QList<std::shared_ptr<ResourceInfo>> rows;
    const std::shared_ptr<LoadedResource> load = file ? loadOf(file) : nullptr;
    if (load) {
        for (const auto &[name, value] : load->headers()) {
            QString shown = value;
            if (name.compare(QLatin1String("Content-Length"), Qt::CaseInsensitive) == 0)
                shown = QStringLiteral("%1(%2)").arg(value, file->fileSizeReadable());
            rows.append(std::make_shared<ResourceInfo>(name, shown));
        }
    }
    if (file)
        file->setResouceInfoArr(rows);
    m_resouceDetailList = rows;
}

void LoadedResourceDelegate::showHttpInfo()
{
    File *file = getSelectedFile();
    const int row = m_resouceView->clickedRow() >= 0 ? m_resouceView->clickedRow() : m_resouceView->selectedRow();
    if (!file || row < 0)
        return;
    setResourceDetailListToFile(file);
    if (!m_httpInfo) {
        m_httpInfoContent = std::make_unique<HeaderListController>();
        m_httpInfo = std::make_unique<RBLPopover>(m_httpInfoContent.get());
        m_httpInfo->setBehavior(RBLPopover::Transient);
    }
    auto *content = static_cast<HeaderListController *>(m_httpInfoContent.get());
    content->view();
    content->source.rows = m_resouceDetailList;
    content->list->reloadData();

    // Each column as wide as its widest text, the popover as tall as its rows.
    const QFontMetrics metrics(content->list->font());
    int titles = 0;
    int values = 0;
    for (const std::shared_ptr<ResourceInfo> &info : std::as_const(m_resouceDetailList)) {
        titles = std::max(titles, metrics.horizontalAdvance(info->title()));
        values = std::max(values, metrics.horizontalAdvance(info->displayName()));
    }
    const int nameWidth = std::min(titles + 10, kMaxPopoverWidth / 3);
    content->list->setColumnWidth(0, nameWidth);
    content->list->setColumnWidth(1, values + 10);
    const int rowHeight = std::max(16, content->list->rowHeight());
    const QSizeF size(std::min(nameWidth + values + 30, kMaxPopoverWidth),
                      std::clamp(rowHeight * int(m_resouceDetailList.size()) + 4, rowHeight, kMaxPopoverHeight));
    m_httpInfo->setContentSize(size);
    m_httpInfo->showRelativeToRect(m_resouceView->frameOfCellAtColumn(0, row), m_resouceView->viewport(),
                                   RectEdge::Right);
}

// --- Download ----------------------------------------------------------------------------------------

std::optional<QString> LoadedResourceDelegate::download(const QString &path, File *file)
{
    if (!file)
        return QStringLiteral("there is nothing to write");
    QByteArray bytes = file->isLocalFile() ? QByteArray() : file->webResourceData();
    // A text edited here is written as it reads now; anything else as it came.
    if (!file->isLocalFile() && file->isKindOfText() && file->content()
        && file->content() != DataUtils::stringWithAutoEncode(bytes))
        bytes = file->content()->toUtf8();
    return writeWhole(path, bytes);
}

void LoadedResourceDelegate::alertFailure(const QString &message, const QString &reason) const
{
    QM_ERROR(QStringLiteral("%1: %2").arg(message, reason));
    Alert alert;
    alert.setAlertStyle(Alert::Style::Critical);
    alert.setMessageText(message);
    alert.setInformativeText(reason);
    alert.addButtonWithTitle(QStringLiteral("OK"));
    alert.runModal(m_window);
}

void LoadedResourceDelegate::chooseSavePath(File *file, const QString &name, const QString &prompt,
                                            std::function<void(File *, const QString &)> chosen)
{
    FilePanel panel(FilePanel::Kind::Save);
    if (!prompt.isEmpty())
        panel.setPrompt(prompt);
    panel.setNameFieldStringValue(name);
    if (m_projectDelegate)
        m_projectDelegate->setSheetShown(true);
    QPointer<LoadedResourceDelegate> self(this);
    QPointer<File> guard(file);
    panel.beginSheetModalForWindow(m_window, [self, guard, chosen](int response, const QStringList &paths) {
        if (!self)
            return;
        if (self->m_projectDelegate)
            self->m_projectDelegate->setSheetShown(false);
        if (response == FilePanel::OKButton && !paths.isEmpty() && guard)
            chosen(guard, paths.first());
    });
}

std::optional<QString> LoadedResourceDelegate::writeWhole(const QString &path, const QByteArray &bytes)
{
    AtomicFileWriter out(path);
    if (!out.open() || !out.write(bytes) || !out.commit())
        return out.errorString();
    return std::nullopt;
}

void LoadedResourceDelegate::downloadFile()
{
    File *file = getSelectedFile();
    if (!file)
        return;
    chooseSavePath(file, file->displayName(), {}, [this](File *file, const QString &path) {
        if (const std::optional<QString> failure = download(path, file)) {
            alertFailure(QStringLiteral("\"%1\" could not be saved.").arg(QFileInfo(path).fileName()), *failure);
            return;
        }
        QM_DEBUG(QStringLiteral("download success"));
        NotificationCenter::defaultCenter().postNotificationName(QStringLiteral("doRefreshProject"), this,
                                                                 {{QStringLiteral("path"), path}});
    });
}

// --- Revealing and save destinations ----------------------------------------------------------------

void LoadedResourceDelegate::showInFinder()
{
    File *file = getSelectedFile();
    if (!file)
        return;
    const QUrl url = file->isLocalFile() ? QUrl::fromLocalFile(file->path()) : file->bypassPath();
    if (!url.isEmpty())
        FileManager::activateFileViewerSelectingURLs({url});
}

QString LoadedResourceDelegate::saveDestinationName(File *file)
{
    if (!file)
        return {};
    if (file->webResourceURL().toString().endsWith(QLatin1Char('/')))
        return QStringLiteral("index.html");
    return file->displayName();
}

void LoadedResourceDelegate::setSaveDestination()
{
    File *file = getSelectedFile();
    if (!file)
        return;
    chooseSavePath(file, saveDestinationName(file), QStringLiteral("Select"), [this](File *file, const QString &path) {
        // The tie is made only once the file holds the resource whole.
        if (const std::optional<QString> failure = writeWhole(path, file->webResourceData())) {
            alertFailure(QStringLiteral("\"%1\" could not be saved, so it does not stand in for %2.")
                             .arg(QFileInfo(path).fileName(), file->displayName()),
                         *failure);
            return;
        }
        if (!BypassMap::getInstance()->setBypass(file->webResourceURL(), QUrl::fromLocalFile(path))) {
            alertFailure(QStringLiteral("\"%1\" could not be tied to %2.").arg(QFileInfo(path).fileName(), file->displayName()),
                         QStringLiteral("The file cannot be found."));
            return;
        }
        file->updateBypassIcon();
        redrawFile(file);
    });
}

void LoadedResourceDelegate::removeSaveDestination()
{
    File *file = getSelectedFile();
    if (!file)
        return;
    BypassMap::getInstance()->setBypass(file->webResourceURL(), QUrl());
    file->updateBypassIcon();
    redrawFile(file);
}

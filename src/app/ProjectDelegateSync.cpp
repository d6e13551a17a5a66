// ProjectDelegate: keeping the editors, the files and the page in step:
// who changed a file last, the code view following outside edits, saving on
// request and before a reload, and the check whether the page shown is
// behind the text being edited (out of sync), which covers the panels.

#include "ProjectDelegate.h"
#include "Shell_p.h"

#include "AppDelegate.h"
#include "BlockSheet.h"
#include "FileViewController.h"
#include "MainInterface.h"
#include "RollbackDelegate.h"

#include "code/CodeView.h"
#include "foundation/TreeUtil.h"
#include "interfaces/CSSOutlineDelegateInterface.h"
#include "interfaces/PreviewHalfInterface.h"
#include "platform/foundation/DelayedPerform.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/OperationQueue.h"
#include "toolkit/OutlineViewEx.h"
#include "workspace/File.h"

#include <QDateTime>
#include <QFileInfo>

namespace {

// A stamp younger than this leaves a code-view change unstamped.
constexpr qint64 kRestampIntervalMs = 100;

using ShellPrivate::fileOf;

// The address of the object behind an interface, as posters name themselves.
template<typename Interface>
const void *objectAddress(Interface *object)
{
    return object ? dynamic_cast<const void *>(object) : nullptr;
}

} // namespace

// The out-of-sync check: walks a copy of the page's resources off the main
// thread and reports whether pages and style sheets are behind their files.
class ProjectDelegate::OutOfSyncCheck final : public Operation
{
public:
    struct Resource
    {
        QString extension;
        bool behind = false;
    };

    explicit OutOfSyncCheck(QList<Resource> resources)
        : m_resources(std::move(resources))
    {
    }

    void main() override
    {
        bool html = false;
        bool css = false;
        for (const Resource &resource : std::as_const(m_resources)) {
            if (isCancelled())
                return;
            if (!resource.behind)
                continue;
            if (resource.extension == QLatin1String("html") || resource.extension == QLatin1String("htm"))
                html = true;
            else if (resource.extension == QLatin1String("css"))
                css = true;
            if (html && css)
                break;
        }
        if (!isCancelled() && onResult)
            onResult(html, css);
    }

    std::function<void(bool html, bool css)> onResult;

private:
    QList<Resource> m_resources;
};

void ProjectDelegate::stampChangeReason(File *node, int reason, bool throttle)
{
    const qint64 now = QDateTime::currentMSecsSinceEpoch();
    const auto stamp = m_changeStamps.constFind(node->path());
    if (throttle && stamp != m_changeStamps.constEnd() && now - *stamp < kRestampIntervalMs)
        return;
    node->setLastContentChangeReason(reason);
    m_changeStamps.insert(node->path(), now);
}

void ProjectDelegate::refreshFileContent(const Notification &notification)
{
    File *file = fileOf(notification);
    if (!file)
        return;
    // Whether the change came from the file's own code view, asked before
    // the web node is swapped for its local substitute.
    const bool fromCodeView = notification.object && notification.object == file->textView();
    File *node = file;
    if (!file->isLocalFile()) {
        node = searchFileInProjects(file->bypassPath().toLocalFile());
        if (!node)
            return;
        // A resource without text never overwrites the substitute's text.
        if (!file->content()) {
            QM_INFO(QStringLiteral("%1 has no text; its local copy %2 keeps its own").arg(file->path(), node->path()));
            return;
        }
        node->setContent(file->content());
    }

    AppDelegate *app = AppDelegate::instance();
    const void *rulesPanel = objectAddress(app ? app->cssOutlineDelegate() : nullptr);
    const bool isMainFile = m_fileViewController && m_fileViewController->mainFile() == node;
    if (fromCodeView || (notification.object && notification.object == m_rollbackDelegate.data())) {
        stampChangeReason(node, File::CodeViewChange, true);
    } else if (rulesPanel && notification.object == rulesPanel) {
        if (isMainFile)
            reloadTextViewContent();
        stampChangeReason(node, File::RulesPanelChange, false);
    } else {
        if (isMainFile)
            reloadTextViewContent();
        stampChangeReason(node, File::OtherChange, false);
    }
    redrawTree();
}

void ProjectDelegate::reloadTextViewContent()
{
    if (!m_fileViewController)
        return;
    if (CodeView *view = m_fileViewController->mainCodeView())
        view->reloadContent();
}

void ProjectDelegate::fileContentChanged(const Notification &)
{
    // A burst of changes makes one check, at the next turn.
    DelayedPerform::cancel(this, "checkOutOfSynchronization", {});
    DelayedPerform::perform(this, "checkOutOfSynchronization", {}, 0.0, [this] { checkOutOfSynchronization(); });
    redrawTree();
}

void ProjectDelegate::saveFileContent(const Notification &notification)
{
    File *file = fileOf(notification);
    if (!file)
        return;
    File *node = file->isLocalFile() ? searchFileInProjects(file->path()) : file;
    if (!node)
        return;
    if (node != file)
        node->setContent(file->content());
    reloadTextViewContent();
    // The rules panel and the code view post this once they have saved the
    // file: its bytes are on disk already, and a large sheet is not written
    // twice (#81).
    if ((node == file && !node->isModified() && !node->isMissingOnDisk()) || node->save()) {
        showSavedText(node);
        redrawTree();
        return;
    }
    alertSaveFailures({node});
    QPointer<File> failed = node;
    DelayedPerform::perform(this, "remodFile", QVariant::fromValue(node), 0.2, [this, failed] {
        if (failed)
            remodFile(failed);
    });
}

void ProjectDelegate::showSavedText(File *node)
{
    // The page lacks what was typed into the file's code view: saved, the
    // text is what the page shows, loaded again in place; once it is, the
    // page and the text agree and the covers go.
    if (node->lastContentChangeReason() == File::CodeViewChange && !node->isModified() && !node->isContentShown()
        && isShownInPage(node))
        reloadChangedPageLater();
}

void ProjectDelegate::remodFile(File *node)
{
    // Setting the text again runs its notifications, so that every view
    // shows the file as modified.
    node->setContent(node->content());
    redrawTree();
}

void ProjectDelegate::checkOutOfSynchronization()
{
    if (!m_queue)
        m_queue = std::make_unique<OperationQueue>();
    m_queue->cancelAllOperations();

    // What the check needs, taken here on the main thread, where the trees
    // live: for each resource of the page, its extension and whether its
    // project file has changes the page does not show.
    QList<OutOfSyncCheck::Resource> resources;
    const QList<File *> roots = m_previewHalf ? m_previewHalf->resourceRoots() : QList<File *>();
    TreeUtil::enumrate(roots, static_cast<File *>(nullptr), [](File *node) { return node->children(); },
                       [&](File *node, File *) {
                           OutOfSyncCheck::Resource resource;
                           resource.extension = QFileInfo(node->path()).suffix();
                           if (File *project = searchFileInProjects(node->path())) {
                               // A code-view edit that came back to the text
                               // the page was given leaves it in step.
                               const int reason = project->lastContentChangeReason();
                               resource.behind = (reason == File::CodeViewChange && !project->isContentShown())
                                                 || (reason == File::NoPendingChange && project->isModified());
                           }
                           resources.append(resource);
                           return true;
                       });

    const quint64 generation = ++m_checkGeneration;
    auto check = std::make_shared<OutOfSyncCheck>(std::move(resources));
    check->onResult = [this, generation](bool html, bool css) {
        QMetaObject::invokeMethod(
            this,
            [this, generation, html, css] {
                // A check started later has the last word.
                if (generation != m_checkGeneration || !m_ui)
                    return;
                if (html) {
                    m_ui->domUIBlock->active();
                    m_ui->nodeUIBlock->active();
                } else {
                    m_ui->domUIBlock->deactive();
                    m_ui->nodeUIBlock->deactive();
                }
                if (css)
                    m_ui->cssUIBlock->active();
                else
                    m_ui->cssUIBlock->deactive();
            },
            Qt::QueuedConnection);
    };
    m_queue->addOperation(check);
}

void ProjectDelegate::needSaveAndRefresh(const Notification &)
{
    File::runPendingWrites();
    QList<File *> failed;
    const QList<File *> roots = m_previewHalf ? m_previewHalf->resourceRoots() : QList<File *>();
    TreeUtil::enumrate(roots, static_cast<File *>(nullptr), [](File *node) { return node->children(); },
                       [&](File *node, File *) {
                           File *project = searchFileInProjects(node->path());
                           if (project && project->isModified()) {
                               if (project->save())
                                   project->setLastContentChangeReason(File::NoPendingChange);
                               else
                                   failed.append(project);
                           }
                           return true;
                       });
    redrawTree();
    checkOutOfSynchronization();
    if (!failed.isEmpty()) {
        // The page would show the old text as if it were saved.
        alertSaveFailures(failed);
        return;
    }
    QM_DEBUG(QStringLiteral("synced to reload"));
    if (m_previewHalf)
        m_previewHalf->reloadPage();
}

void ProjectDelegate::saveFile()
{
    File *node = clickedFile();
    if (!node)
        return;
    if (!node->save()) {
        alertSaveFailures({node});
        return;
    }
    if (File *folder = node->parentFile())
        updateDirectoryOfFile(folder);
    redrawTree();
}

void ProjectDelegate::saveOutlineview(QObject *)
{
    NotificationCenter &center = NotificationCenter::defaultCenter();
    center.postNotificationName(QStringLiteral("cssHasSavedByCommand"), this);
    center.postNotificationName(QStringLiteral("htmlHasSavedByCommand"), this);
}

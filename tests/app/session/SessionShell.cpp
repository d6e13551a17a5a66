#include "SessionShell.h"

#include "TestUtil.h"
#include "app/AppDelegate.h"
#include "app/FileViewController.h"
#include "app/MainInterface.h"
#include "app/ProjectDelegate.h"
#include "cssrules/CSSOutlineDelegate.h"
#include "domtree/DomTreeDelegate.h"
#include "foundation/BalkInvocationManager.h"
#include "foundation/InspectUndoManager.h"
#include "platform/web/dom/DOMDocument.h"
#include "platform/web/engine/WebPage.h"
#include "preview/ExWebView.h"
#include "preview/PreviewDelegate.h"
#include "toolkit/OutlineViewEx.h"
#include "workspace/File.h"

#include <QCoreApplication>

#include <memory>

SessionShell::SessionShell(AppDelegate &delegate)
    : delegate(delegate)
{
    projects = delegate.ui().projectController;
    preview = projects ? dynamic_cast<PreviewDelegate *>(projects->previewHalf()) : nullptr;
    tree = dynamic_cast<DomTreeDelegate *>(delegate.domTreeController());
    rules = dynamic_cast<CSSOutlineDelegate *>(delegate.cssOutlineDelegate());
    viewer = delegate.ui().fileViewController;
    undo = delegate.sharedUndoManager();
    if (preview)
        QObject::connect(preview, &PreviewDelegate::loadCompleted, preview, [this] { ++loads; });
}

bool SessionShell::isReady() const
{
    return projects && preview && tree && rules && viewer && undo;
}

bool SessionShell::waitUntil(const std::function<bool()> &condition, int timeoutMs)
{
    return TestUtil::waitUntil(condition, timeoutMs);
}

void SessionShell::processEvents()
{
    for (int round = 0; round < 3; ++round)
        QCoreApplication::processEvents(QEventLoop::AllEvents);
}

DOMDocument *SessionShell::document() const
{
    return tree ? tree->document() : nullptr;
}

File *SessionShell::file(const QString &path) const
{
    return projects->searchDirectory(path, projects->projects());
}

bool SessionShell::isShowing(File *page) const
{
    return tree->indexFile() == page && document() && preview->webview() && preview->webview()->mainFrameDocument() == document()
        && !preview->isLoading();
}

bool SessionShell::chooseInFileTree(File *file)
{
    if (!file)
        return false;
    projects->openAllParent(file->parentFile());
    OutlineViewEx *finder = projects->finderOutlineView();
    const int row = finder->rowForItem(file);
    if (row < 0)
        return false;
    finder->selectRowIndexes({row}, false);
    processEvents();
    return true;
}

bool SessionShell::openPage(File *page, QString &failure)
{
    if (!page) {
        failure = QStringLiteral("the page is not in the project");
        return false;
    }
    // A load the folder watcher started just before may take the place of
    // the one asked for: then it is asked again.
    for (int attempt = 0; attempt < 3 && !isShowing(page); ++attempt) {
        if (!chooseInFileTree(page)) {
            failure = QStringLiteral("the page has no row in the file tree");
            return false;
        }
        const int before = loads;
        projects->doubleClick();
        waitUntil([&] { return (loads > before && !preview->isLoading()) || isShowing(page); }, 60000);
        waitUntil([&] { return isShowing(page); }, 20000);
    }
    if (!isShowing(page)) {
        failure = QStringLiteral("the preview did not show the page");
        return false;
    }
    settle();
    return true;
}

void SessionShell::settle()
{
    BalkInvocationManager *batcher = delegate.balkInvocationManager();
    waitUntil([&] {
        // What a save would write first: the panels' writes waiting for
        // their turn.
        File::runPendingWrites();
        batcher->flush();
        processEvents();
        return batcher->operations().isEmpty() && !tree->isDomModifyPending() && !preview->isLoading();
    });
    // The page answers after it has taken every edit replayed before.
    evaluate(QStringLiteral("0"));
    processEvents();
}

std::optional<QVariant> SessionShell::evaluate(const QString &script, int timeoutMs)
{
    ExWebView *view = preview->webview();
    if (!view)
        return std::nullopt;
    auto answer = std::make_shared<std::optional<QVariant>>();
    view->webPage()->runJavaScript(script, WebPage::World::Bridge, [answer](const QVariant &value) { *answer = value; });
    waitUntil([&] { return answer->has_value(); }, timeoutMs);
    return *answer;
}

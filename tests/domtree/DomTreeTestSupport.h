#pragma once

#include "TestUtil.h"

#include "domtree/DOMNodeEx.h"
#include "domtree/DomInfoDelegate.h"
#include "domtree/DomNodeMap.h"
#include "domtree/DomTreeDelegate.h"
#include "domtree/DomTreeOutlineView.h"
#include "foundation/BalkInvocationManager.h"
#include "foundation/InspectUndoManager.h"
#include "foundation/Invocation.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/web/dom/DOMDocument.h"
#include "platform/web/dom/DOMElement.h"
#include "workspace/File.h"
#include "workspace/ProjectUtil.h"

#include <QDeadlineTimer>
#include <QHBoxLayout>
#include <QTemporaryDir>
#include <QWidget>

#include <functional>
#include <memory>

// The DOM tree panel as the shell builds it, over a page file of a project
// in a temporary folder: the tree and its inspector in a window, the
// application's undo manager and write batcher, and the page's document fed
// to the tree as the preview feeds it (its subtree mutations included).
class DomTreeHarness
{
public:
    explicit DomTreeHarness(const QByteArray &page)
    {
        ProjectUtil::resetForTesting();
        File::setUndoManagerProvider([this] { return &undo; });
        TestUtil::writeFile(m_dir.filePath(QStringLiteral("site/index.html")), page);
        root = std::make_unique<File>(m_dir.filePath(QStringLiteral("site")), true, nullptr);
        for (File *child : root->children()) {
            if (child->displayName() == QLatin1String("index.html"))
                file = child;
        }
        // Edits made a moment after the file was read count as edits.
        file->setOpenDate(file->openDate().addSecs(-1));
        ProjectUtil::setCurrentProjectPath(root->path());

        window.resize(420, 600);
        tree = new DomTreeDelegate(&window);
        tree->awakeFromNib();
        inspector = new DomInfoDelegate(&window);
        inspector->awakeFromNib();
        tree->setDomInfoDelegate(inspector);
        tree->setWriteReserver([this](const TargetRef &target, const TargetRef &fileRef, std::function<void()> write) {
            batcher.addOperation(Invocation::invocationWithSelector(target, "lazyWrite:", {fileRef}, std::move(write)),
                                 true, [this] { undo.reserveCloseGroupingAtEndOfRunLoop(); });
        });
        auto *layout = new QHBoxLayout(&window);
        layout->addWidget(tree->view(), 1);
        layout->addWidget(inspector->view(), 1);
        window.show();
        NotificationCenter::defaultCenter().addObserver(&m_observer, QStringLiteral("refreshFileContent"), nullptr,
                                                        [this](const Notification &) { ++refreshes; });
        NotificationCenter::defaultCenter().addObserver(&m_observer, QStringLiteral("saveFileContent"), nullptr,
                                                        [this](const Notification &) { ++saves; });
    }

    ~DomTreeHarness()
    {
        if (document)
            document->removeEventListeners(this);
        delete tree;
        delete inspector;
        DomNodeMap::getInstance().clearMap();
        File::setUndoManagerProvider({});
        ProjectUtil::resetForTesting();
    }

    // Shows a document in the tree, with its mutations reaching it as the
    // preview's listener hands them on.
    void show(const std::shared_ptr<DOMDocument> &shown)
    {
        if (document)
            document->removeEventListeners(this);
        document = shown;
        document->addEventListener(DOMEventType::subtreeModified, this,
                                   [this](const DOMMutationEvent &event) { tree->domModified(event); });
        tree->setIndexFile(file);
        DomNodeMap::getInstance().clearMap();
        tree->domNodeLists(document.get());
    }

    // Null too while no page is shown (one that did not load fails the test, not the run).
    DOMElement *byId(const char *id) const
    {
        return document ? document->getElementById(QString::fromLatin1(id)) : nullptr;
    }
    DOMNodeEx *rowOf(const DOMNode *node) const { return tree->searchDomNodeFromRoot(node); }
    // Selects the node's row and waits until the inspector shows it.
    void select(const DOMNode *node)
    {
        tree->selectNode(const_cast<DOMNode *>(node));
        TestUtil::waitUntil([this, node] {
            const DOMNodeEx *shown = inspector->inspectedNode();
            const DOMNode *element = node && node->isCharacterData() ? node->parentNode() : node;
            return shown && shown->node() == element;
        });
        settle();
    }
    QString text() const { return file->content().value_or(QString()); }
    // Whether a step's work is done: no write queued, no refresh of the tree
    // nor other deferred call of the panel or the undo manager pending.
    bool idle() const
    {
        return batcher.operations().isEmpty() && !tree->isDomModifyPending() && !TestUtil::hasShortDelayedCall(tree)
            && !TestUtil::hasShortDelayedCall(inspector) && !TestUtil::hasShortDelayedCall(&batcher)
            && !TestUtil::hasShortDelayedCall(&undo);
    }
    // Waits until a step's work is done; over a page, until the page has also
    // answered all that was sent to it, and what it reported is done too.
    void settle()
    {
        QDeadlineTimer deadline(30000);
        do {
            TestUtil::waitUntilSettled([this] { return idle(); }, int(deadline.remainingTime()));
            if (settlePage)
                settlePage();
        } while (!idle() && !deadline.hasExpired());
    }
    void setProjectSetting(const QString &key, const QVariant &value)
    {
        QVariantMap config = ProjectUtil::getProjectConfig(root->path());
        config.insert(key, value);
        ProjectUtil::saveProjectConfig(config, root->path());
    }

    InspectUndoManager undo;
    BalkInvocationManager batcher;
    QWidget window;
    DomTreeDelegate *tree = nullptr;     // Owned.
    DomInfoDelegate *inspector = nullptr; // Owned.
    std::unique_ptr<File> root;
    File *file = nullptr;
    std::shared_ptr<DOMDocument> document;
    int refreshes = 0;
    int saves = 0;
    // Waits until the page shown has answered what was sent to it.
    std::function<void()> settlePage;

private:
    QTemporaryDir m_dir;
    QObject m_observer;
};


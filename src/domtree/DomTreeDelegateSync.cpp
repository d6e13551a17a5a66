// DomTreeDelegate: keeping the tree in step with the page.

#include "DomTreeDelegate.h"

#include "DomInfoDelegate.h"
#include "DomNodeMap.h"
#include "DomTreeOutlineView.h"

#include "interfaces/ProjectDelegateInterface.h"
#include "interfaces/StyleSheetsManagerDelegateInterface.h"
#include "platform/foundation/DelayedPerform.h"
#include "platform/foundation/Log.h"
#include "platform/kit/Alert.h"
#include "platform/web/dom/DOMDocument.h"
#include "platform/web/dom/DOMElement.h"
#include "platform/web/engine/WebFrameMirror.h"
#include "toolkit/RBLPopover.h"

#include <QFileInfo>
#include <QFuture>
#include <QScrollBar>
#include <QtConcurrent/QtConcurrentRun>

void DomTreeDelegate::clearDomNodeMap()
{
    DomNodeMap::getInstance().clearMap();
    resetDomSelection();
}

void DomTreeDelegate::forgetPage()
{
    m_selectedItem.reset();
    m_refreshTargets.clear();
    m_attributeRefreshTargets.clear();
    m_coalescer.fired();
    DelayedPerform::cancel(this, "lazyDomModify", {});
    m_pairing.clear();
    m_edits.clear();
    m_writtenTexts.clear();
}

void DomTreeDelegate::initDomNodeLists()
{
    forgetPage();
    setLastSelection(nullptr);
    m_lastSelectedNode.reset();
    const QList<DOMNodeExPtr> old = std::exchange(m_domNodeList, {});
    m_document.reset();
    if (m_outlineView)
        m_outlineView->reloadData();
}

void DomTreeDelegate::dropDocument(const QString &reason)
{
    forgetPage();
    for (const char *pending : {"lazySelection", "lazyAttributeModify", "selectInExpand", "lazyRefreshStyleManager"})
        DelayedPerform::cancel(this, pending, {});
    resetDomSelection();
    // The old rows stay alive until the outline has let them go.
    const QList<DOMNodeExPtr> old = std::exchange(m_domNodeList, {});
    m_document.reset();
    m_indexFile = nullptr;
    if (m_outlineView) {
        m_outlineView->reloadData();
        m_outlineView->setEmptyMessage(reason);
    }
    setDombreadcrambPath(nullptr);
    if (m_domInfoDelegate)
        m_domInfoDelegate->clear(reason);
    if (QWidget *popover = domBreadCrambPopover())
        popover->close();
    if (m_attributeStyleEditorPopover && m_attributeStyleEditorPopover->isShown())
        m_attributeStyleEditorPopover->close();
}

bool DomTreeDelegate::isShownDocument() const
{
    if (!m_document)
        return false;
    ExWebView *preview = webview();
    return !preview || preview->frameWithDocument(m_document.get());
}

bool DomTreeDelegate::isFilesOwnDocument() const
{
    if (!m_indexFile || !m_document)
        return false;
    ExWebView *preview = webview();
    const WebFrameMirror *frame = preview ? preview->frameWithDocument(m_document.get()) : nullptr;
    if (!frame)
        return true;
    // The browser's error page, or an empty one, stands where the file
    // could not be loaded.
    const QUrl url = frame->url();
    const QString scheme = url.scheme();
    if (scheme == QLatin1String("chrome-error") || scheme == QLatin1String("about") || scheme == QLatin1String("data"))
        return false;
    if (url.isLocalFile()) {
        if (!m_indexFile->isLocalFile())
            return false;
        const QFileInfo shown(url.toLocalFile());
        const QFileInfo own(m_indexFile->path());
        return shown == own || (shown.exists() && shown.canonicalFilePath() == own.canonicalFilePath());
    }
    return true;
}

QString DomTreeDelegate::refusalOfPageShown() const
{
    // The page shown is a local file that is gone: another program deleted
    // it, and the page will be shown gone (the folder watcher reloads it).
    const WebFrameMirror *frame = webview() && m_document ? webview()->frameWithDocument(m_document.get()) : nullptr;
    const QUrl url = frame ? frame->url() : QUrl();
    if (url.isLocalFile() && !QFileInfo::exists(url.toLocalFile())) {
        if (const std::optional<QString> why = File::whyUnreadable(url.toLocalFile())) {
            return QStringLiteral("The edit is not made: %1, so the file cannot be written. Nothing was changed.")
                .arg(*why);
        }
        return QStringLiteral("The edit is not made: %1 was deleted by another program, so there is no file to write "
                              "it into. Nothing was changed.")
            .arg(url.fileName());
    }
    return QStringLiteral("The edit is not made: the page shown is not the text of %1, so the edit could not be written "
                          "into it. Nothing was changed.")
        .arg(m_indexFile ? m_indexFile->displayName() : QStringLiteral("any file"));
}

bool DomTreeDelegate::canEdit(const DOMNode *node)
{
    if (!node || !m_document || node->ownerDocument() != m_document.get() || !isShownDocument()) {
        QM_ERROR(QStringLiteral("the edit is refused: its element belongs to a page that is no longer shown"));
        return false;
    }
    if (!isFilesOwnDocument()) {
        QM_ERROR(QStringLiteral("the edit is refused: the page shown is not the text of %1")
                     .arg(m_indexFile ? m_indexFile->path() : QStringLiteral("any file")));
        // Said where the page is shown: the user edits what is still on screen.
        if (ExWebView *preview = webview())
            preview->showNotice(refusalOfPageShown());
        return false;
    }
    return canWriteEditsOf({node});
}

QList<const DOMNode *> DomTreeDelegate::nodesOf(const QList<DOMNodeExPtr> &rows)
{
    QList<const DOMNode *> nodes;
    for (const DOMNodeExPtr &row : rows)
        nodes.append(row->node());
    return nodes;
}

QList<const DOMNode *> DomTreeDelegate::nodesOf(const QList<DOMNodePtr> &nodes)
{
    QList<const DOMNode *> raw;
    raw.reserve(nodes.size());
    for (const DOMNodePtr &node : nodes)
        raw.append(node.get());
    return raw;
}

bool DomTreeDelegate::isInFileText(const DOMNode *node)
{
    // The file's text as it is now: another program or the code view may
    // have taken the node out of it since it was last paired.
    ensurePairing();
    // Without a pairing no edit is placed; the write says so once.
    if (!node || !node->isConnected() || !m_pairing.isPaired() || node->isDocument())
        return true;
    if (m_pairing.sourceOf(node))
        return true;
    // What the user put in is written from its copy; but what page scripts
    // made inside an element the user moved went along with it in the page
    // only, and no write gives it to the file (#87).
    return m_edits.givenOf(node) && !isScriptsNode(node);
}

bool DomTreeDelegate::isScriptsNode(const DOMNode *node)
{
    ensurePairing();
    if (!node || !m_pairing.isPaired() || m_pairing.sourceOf(node))
        return false;
    // The page's own nodes have the ids the page gave them, above zero.
    const DOMNode *given = m_edits.givenOf(node);
    const qint64 origin = given ? m_edits.originOf(given) : node->nodeId();
    return origin > 0 && !m_pairing.sourceOfId(origin) && !m_pairing.isPartOfPairedText(origin);
}

bool DomTreeDelegate::canWriteEditsOf(const QList<const DOMNode *> &nodes)
{
    for (const DOMNode *node : nodes) {
        if (isInFileText(node))
            continue;
        const QString path = m_indexFile ? m_indexFile->path() : QString();
        QM_ERROR(QStringLiteral("the edit is refused: %1 holds no text for its node").arg(path));
        Alert alert;
        alert.setMessageText(QStringLiteral("The edit is not made"));
        alert.setInformativeText(QStringLiteral("%1 does not hold the element (the page's script made it, or the file no "
                                                "longer has it), so the edit could not be written into the file. "
                                                "Nothing was changed.")
                                     .arg(QFileInfo(path).fileName()));
        alert.addButtonWithTitle(QStringLiteral("OK"));
        alert.runModal();
        return false;
    }
    return true;
}

void DomTreeDelegate::domNodeLists(DOMDocument *document)
{
    if (!document) {
        initDomNodeLists();
        return;
    }
    forgetPage();
    // The root: the last element of the document's own children.
    DOMElement *root = nullptr;
    for (DOMNode *child = document->firstChild(); child; child = child->nextSibling()) {
        if (child->isElement() && static_cast<DOMElement *>(child)->isHTMLElement())
            root = static_cast<DOMElement *>(child);
    }
    m_document = document->sharedAs<DOMDocument>();
    // The inspector's node was of the document before.
    if (m_domInfoDelegate)
        m_domInfoDelegate->clear();
    // The page's file, paired below with the new rows. A frame's page whose
    // file the projects do not know is written nowhere until the preview
    // hands its file over; the main page keeps the one handed over.
    const WebFrameMirror *frame = webview() ? webview()->frameWithDocument(document) : nullptr;
    if (File *file = fileOfDocument(document); file != m_indexFile && (file || (frame && !frame->isMainFrame()))) {
        m_indexFile = file;
        if (file)
            m_generator.setTextEncoding(file->textEncoding());
    }
    // The file's text is parsed on another thread while the rows are built.
    std::optional<QString> text = m_indexFile ? m_indexFile->currentContent() : std::nullopt;
    QFuture<HTMLSourcePairing::Parsed> parsing;
    if (text)
        parsing = QtConcurrent::run(&HTMLSourcePairing::parse, *text, m_document->scripting());
    // The old rows stay alive until the outline has let them go.
    const QList<DOMNodeExPtr> old = std::move(m_domNodeList);
    m_domNodeList.clear();
    if (root)
        m_domNodeList.append(DOMNodeEx::initWithNode(root->shared_from_this(), nullptr));
    if (m_outlineView) {
        m_outlineView->setEmptyMessage({});
        m_outlineView->reloadData();
        expandItem();
        if (m_outlineView->selectedRow() > 0)
            m_outlineView->scrollRowToVisible(m_outlineView->selectedRow());
        m_outlineView->verticalScrollBar()->setValue(int(m_savedScroll.y()));
        if (!m_domNodeList.isEmpty() && !m_outlineView->isItemExpanded(m_domNodeList.constFirst().get()))
            m_outlineView->expandItem(m_domNodeList.constFirst().get());
    }
    m_writtenTexts.clear();
    if (text) {
        m_pairing.pair(*text, parsing.result(), *m_document);
        noteWrittenText(m_indexFile);
        if (!m_pairing.isPaired())
            QM_INFO(QStringLiteral("the text of %1 could not be paired with the page shown").arg(m_indexFile->path()));
    }
    Q_EMIT treeRebuilt();
}

File *DomTreeDelegate::fileOfDocument(const DOMDocument *document) const
{
    ExWebView *preview = webview();
    if (!preview || !m_projectDelegate)
        return nullptr;
    // The address of the document itself (the page may be on its way to
    // another one already); a frame's page is a file of its own.
    const WebFrameMirror *frame = preview->frameWithDocument(document);
    const bool main = !frame || frame->isMainFrame();
    const QUrl address = frame ? frame->url() : QUrl(preview->mainFrameURL());
    if (address.isLocalFile()) {
        if (File *file = m_projectDelegate->searchFileInProjects(address.toLocalFile()))
            return file;
    }
    if (!main)
        return nullptr;
    File *last = m_projectDelegate->lastPreviewedFile();
    if (last && (last->path() == address.toString() || last->pathURL() == address))
        return last;
    return nullptr;
}

void DomTreeDelegate::domModified(const DOMMutationEvent &event)
{
    reserveDomModify(event.target);
}

void DomTreeDelegate::reserveDomModify(DOMNode *node)
{
    if (m_ignoreDomModify) {
        QM_DEBUG(QStringLiteral("self.ignoreDomModify"));
        return;
    }
    if (!node)
        return;
    DOMNode *start = node->nodeName().startsWith(QLatin1Char('#')) ? node->parentNode() : node;
    if (!start || !m_document || start->ownerDocument() != m_document.get()) {
        QM_DEBUG(QStringLiteral("ignore other frame element"));
        return;
    }
    DOMNodeEx *target = nullptr;
    for (DOMNode *up = start; up && !target; up = up->parentNode())
        target = searchFile(up);
    if (!target) {
        QM_DEBUG(QStringLiteral("refreshTargetNode == nil node:%1 parent:%2")
                     .arg(node->nodeName(), node->parentNode() ? node->parentNode()->nodeName() : QString()));
        return;
    }
    const qint64 at = now();
    const qint64 due = m_coalescer.noteMutation(at, m_domModifyNow);
    DelayedPerform::cancel(this, "lazyDomModify", {});
    DelayedPerform::perform(this, "lazyDomModify", {}, double(qMax<qint64>(0, due - at)) / 1000.0,
                            [this] { lazyDomModify(); });
    const DOMNodeExPtr row = target->shared_from_this();
    if (!m_refreshTargets.contains(row))
        m_refreshTargets.append(row);
}

void DomTreeDelegate::applyModifyNode(DOMNodeEx *row)
{
    if (!row)
        return;
    // The rows of nodes that stayed are kept, and with them what was open
    // and selected; the rows that went stay alive until the outline has
    // let them go.
    const QList<DOMNodeExPtr> gone = row->refreshChildren();
    if (m_outlineView && m_outlineView->indexForItem(row).isValid()) {
        m_outlineView->reloadItem(row, true);
        updateStyleRowView(row);
    }
}

void DomTreeDelegate::lazyDomModify()
{
    m_coalescer.fired();
    DelayedPerform::cancel(this, "lazyDomModify", {});
    // The root or the body contains every other row: refreshing it alone
    // refreshes them all.
    DOMNodeExPtr html;
    DOMNodeExPtr body;
    for (const DOMNodeExPtr &row : std::as_const(m_refreshTargets)) {
        const DOMNode *node = row->node();
        if (!node || !node->isElement() || !static_cast<const DOMElement *>(node)->isHTMLElement())
            continue;
        const QString &name = static_cast<const DOMElement *>(node)->localName();
        if (name == QLatin1String("html")) {
            html = row;
            break;
        }
        if (name == QLatin1String("body"))
            body = row;
    }
    const DOMNodePtr selected = selectedDomNodeEx() ? selectedDomNodeEx()->sharedNode() : nullptr;
    const QList<DOMNodeExPtr> targets = html ? QList<DOMNodeExPtr>{html}
                                             : (body ? QList<DOMNodeExPtr>{body} : m_refreshTargets);
    m_refreshTargets.clear();
    for (const DOMNodeExPtr &row : targets)
        applyModifyNode(row.get());
    if (selected && m_outlineView) {
        if (DOMNodeEx *item = searchDomNodeFromRoot(selected.get())) {
            expandParentsOfItem(item);
            const int row = m_outlineView->rowForItem(item);
            if (row >= 0)
                m_outlineView->selectRowIndexes({row}, true);
        }
    }
    if (m_outlineView && m_savedScroll.y() > 0)
        m_outlineView->verticalScrollBar()->setValue(int(m_savedScroll.y()));
    if (!m_domModifyNow) {
        DelayedPerform::cancel(this, "lazyRefreshStyleManager", {});
        DelayedPerform::perform(this, "lazyRefreshStyleManager", {}, 2.0, [this] { lazyRefreshStyleManager(); });
    } else {
        lazyRefreshStyleManager();
    }
}

void DomTreeDelegate::lazyRefreshStyleManager()
{
    if (!m_styleSheetsManagerDelegate)
        return;
    m_styleSheetsManagerDelegate->setInChange(true);
    m_styleSheetsManagerDelegate->refreshSelectorList();
    m_styleSheetsManagerDelegate->setInChange(false);
}

void DomTreeDelegate::domAttributeModified(DOMNode *node)
{
    if (!node)
        return;
    for (const std::weak_ptr<DOMNode> &queued : std::as_const(m_attributeRefreshTargets)) {
        if (queued.lock().get() == node)
            return;
    }
    m_attributeRefreshTargets.append(node->shared_from_this());
    DelayedPerform::cancel(this, "lazyAttributeModify", {});
    DelayedPerform::perform(this, "lazyAttributeModify", {}, 0.2, [this] { lazyAttributeModify(); });
}

void DomTreeDelegate::lazyAttributeModify()
{
    if (m_ignoreDomModify) {
        QM_DEBUG(QStringLiteral("self.ignoreDomModify"));
        return;
    }
    const QList<std::weak_ptr<DOMNode>> queued = std::exchange(m_attributeRefreshTargets, {});
    for (const std::weak_ptr<DOMNode> &weak : queued) {
        const DOMNodePtr node = weak.lock();
        if (!node)
            continue;
        // A row not shown is renewed too, so that it opens current.
        if (DOMNodeEx *row = searchFile(node.get()))
            row->createStartNode();
        if (DOMNodeEx *item = searchDisplaiedNode(node.get()))
            updateStyleRowView(item);
    }
    // The inspector shows the attributes as they are now.
    if (m_domInfoDelegate)
        m_domInfoDelegate->reloadAttributes();
}

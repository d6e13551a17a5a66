// DomTreeDelegate: set-up, collaborators, notifications and ignore marks.

#include "DomTreeDelegate.h"

#include "DOMRowCell.h"
#include "DomNodeRowCell.h"
#include "DomTextNodeRowCell.h"
#include "DOMRowView.h"
#include "DomInfoDelegate.h"
#include "DomNodeMap.h"
#include "DomTreeOutlineView.h"

#include "platform/foundation/DelayedPerform.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/kit/PathControl.h"
#include "platform/web/dom/DOMDocument.h"
#include "preview/ExWebView.h"
#include "preview/PreviewDelegate.h"
#include "toolkit/DragPayload.h"
#include "workspace/File.h"
#include "workspace/ProjectUtil.h"

#include <QScrollBar>
#include <QVBoxLayout>

DomTreeDelegate::DomTreeDelegate(QObject *parent)
    : QObject(parent)
    , m_metrics(DOMRowMetrics::desktop())
{
    m_elapsed.start();
    // The marks of the rows follow the settings of the page's project.
    DOMNodeEx::setIgnoreSettingsProvider([guard = QPointer<DomTreeDelegate>(this)] {
        return guard ? guard->pageIgnoreSettings() : DOMIgnoreSettings();
    });
}

DomTreeDelegate::~DomTreeDelegate()
{
    NotificationCenter::defaultCenter().removeObserver(this);
    DOMNodeEx::setIgnoreSettingsProvider({});
    if (m_document)
        m_document->removeEventListeners(this);
    // The outline asks this data source while it goes.
    if (m_outlineView)
        m_outlineView->setDataSource(nullptr);
    delete m_view.data();
}

qint64 DomTreeDelegate::now() const
{
    return m_clock ? m_clock() : m_elapsed.elapsed();
}

void DomTreeDelegate::awakeFromNib()
{
    if (m_view)
        return;
    m_view = new QWidget;
    m_view->setObjectName(QStringLiteral("domTreeContent"));
    auto *layout = new QVBoxLayout(m_view);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    m_dombreadcramb = new PathControl(m_view);
    m_dombreadcramb->setObjectName(QStringLiteral("dombreadcramb"));
    layout->addWidget(m_dombreadcramb);
    m_outlineView = new DomTreeOutlineView(m_view);
    m_outlineView->setIndentationPerLevel(int(m_metrics.indentation));
    m_outlineView->setAllowsMultipleSelection(true);
    m_outlineView->setFont(m_metrics.font);
    layout->addWidget(m_outlineView, 1);

    m_outlineView->registerCell(QStringLiteral("NodeCell"), new DomNodeRowCell(this));
    m_outlineView->registerCell(QStringLiteral("TextNodeCell"), new DomTextNodeRowCell(this));
    // Rows are edited in place on Return and double-click only.
    m_outlineView->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_outlineView->setDataSource(this);
    OutlineDelegate delegate;
    delegate.cellIdentifierForTableColumn = [](OutlineView *, int, void *item) {
        const auto *row = static_cast<DOMNodeEx *>(item);
        const DOMNode *node = row ? row->node() : nullptr;
        return node && node->isCharacterData() ? QStringLiteral("TextNodeCell") : QStringLiteral("NodeCell");
    };
    delegate.rowViewForItem = [](OutlineView *, void *item) -> RowView * {
        return new DOMRowView(static_cast<DOMNodeEx *>(item));
    };
    delegate.heightOfRowByItem = [this](OutlineView *outline, void *item) {
        const auto *row = static_cast<const DOMNodeEx *>(item);
        return heightOfRow(row, outline->viewport()->width(), m_metrics,
                           row == m_rowEditedInPlaceAddress && !m_rowEditedInPlace.expired() ? EditedInPlace::Yes
                                                                                            : EditedInPlace::No);
    };
    delegate.shouldEditTableColumn = [](OutlineView *, int column, void *item) {
        const auto *row = static_cast<DOMNodeEx *>(item);
        return column == 0
            && (DomNodeRowCell::isEditableRow(row)
                || (row && row->node() && row->node()->isCharacterData() && !row->isInReference()));
    };
    delegate.shouldExpandItem = [this](OutlineView *, void *item) { return shouldExpandItem(static_cast<DOMNodeEx *>(item)); };
    delegate.shouldCollapseItem = [](OutlineView *, void *) { return true; };
    delegate.itemWillExpand = [](OutlineView *, void *item) { static_cast<DOMNodeEx *>(item)->expand(); };
    delegate.itemWillCollapse = [](OutlineView *, void *item) { static_cast<DOMNodeEx *>(item)->collapse(); };
    delegate.itemDidExpand = [this](OutlineView *, void *item) { itemDidExpand(static_cast<DOMNodeEx *>(item)); };
    delegate.itemDidCollapse = [this](OutlineView *, void *item) { itemDidCollapse(static_cast<DOMNodeEx *>(item)); };
    delegate.selectionIndexesForProposedSelection = [this](OutlineView *, const QList<int> &proposed) {
        return selectionIndexesForProposedSelection(proposed);
    };
    delegate.selectionDidChange = [this](OutlineView *) { outlineViewSelectionDidChange(); };
    delegate.keyDown = [this](QKeyEvent *event) { keyDown(event); };
    delegate.delete_ = [this](QObject *) { removeNode(); };
    delegate.saveOutlineview = [this](QObject *) { saveOutlineview(); };
    delegate.cut = [this](QObject *) { cut(); };
    delegate.copy = [this](QObject *) { doClipNode(); };
    delegate.paste = [this](QObject *) { paste(); };
    delegate.draggingExited = [this](QDragLeaveEvent *) { draggingExited(); };
    m_outlineView->setDelegate(delegate);
    // Rows are dragged within the tree (Ctrl copies); palette items, rules,
    // class names and pictures are dropped on it.
    m_outlineView->setDraggingSourceOperationMask(Qt::CopyAction | Qt::MoveAction);
    m_outlineView->registerForDraggedTypes(
        {QString::fromLatin1(DragPayload::kInnerDomNodeDrag), QString::fromLatin1(DragPayload::kDomNodeDragCopy),
         QString::fromLatin1(DragPayload::kCSSRuleDrag), QString::fromLatin1(DragPayload::kClassSelectorPatching),
         QStringLiteral("text/uri-list")});
    connect(m_outlineView, &TableViewBase::rowDoubleClicked, this, [this] { doubleClick(); });
    connect(m_dombreadcramb, &PathControl::activated, this, [this] { didSelectPath(m_dombreadcramb); });
    // The scroll point of the tree outlives a rebuild; the top is never
    // remembered, since a rebuild scrolls there by itself.
    connect(m_outlineView->verticalScrollBar(), &QScrollBar::valueChanged, this, [this](int value) {
        if (value != 0)
            m_savedScroll = QRectF(m_outlineView->horizontalScrollBar()->value(), value,
                                   m_outlineView->viewport()->width(), m_outlineView->viewport()->height());
    });
    buildFindBar();
    observeNotifications();
    createDomtreeMenu();
}

QWidget *DomTreeDelegate::view() const
{
    return m_view;
}

QWidget *DomTreeDelegate::outlineView()
{
    return m_outlineView;
}

DomTreeOutlineView *DomTreeDelegate::outline() const
{
    return m_outlineView;
}

PathControl *DomTreeDelegate::dombreadcramb()
{
    return m_dombreadcramb;
}

ExWebView *DomTreeDelegate::webview() const
{
    if (m_webview)
        return m_webview;
    return m_previewDelegate ? m_previewDelegate->webview() : nullptr;
}

void DomTreeDelegate::setWebview(ExWebView *webview)
{
    m_webview = webview;
    if (m_domInfoDelegate)
        m_domInfoDelegate->setWebview(webview);
}

void DomTreeDelegate::setPreviewDelegate(PreviewDelegate *preview)
{
    m_previewDelegate = preview;
}

DomInfoDelegate *DomTreeDelegate::domInfoDelegate() const
{
    return m_domInfoDelegate;
}

void DomTreeDelegate::setDomInfoDelegate(DomInfoDelegate *delegate)
{
    m_domInfoDelegate = delegate;
    if (delegate) {
        delegate->setDomTreeDelegate(this);
        delegate->setWebview(webview());
    }
}

void DomTreeDelegate::setRowMetrics(const DOMRowMetrics &metrics)
{
    m_metrics = metrics;
    if (m_outlineView) {
        m_outlineView->setIndentationPerLevel(int(metrics.indentation));
        m_outlineView->updateHeight();
    }
}

void DomTreeDelegate::setIndexFile(File *file)
{
    if (m_indexFile == file)
        return;
    m_indexFile = file;
    // Another file: its text is paired with the page at once, before any
    // edit changes the page.
    m_pairing.clear();
    m_edits.clear();
    m_writtenTexts.clear();
    if (file)
        m_generator.setTextEncoding(file->textEncoding());
    pairWithFile();
}

void DomTreeDelegate::observeNotifications()
{
    observeDragNotifications();
    NotificationCenter &center = NotificationCenter::defaultCenter();
    center.addObserver(this, QStringLiteral("reSelectDomNod"), nullptr, [this](const Notification &) {
        contentChange();
        if (m_outlineView && m_outlineView->selectedRow() >= 0)
            m_outlineView->noteHeightOfRowsWithIndexesChanged({m_outlineView->selectedRow()});
    });
    center.addObserver(this, QStringLiteral("attrChanged"), nullptr,
                       [this](const Notification &) { applyContentToFile(); });
    // The page's text changed in another view, or such a change was undone or redone.
    center.addObserver(this, QStringLiteral("refreshFileContent"), nullptr, [this](const Notification &notification) {
        if (notification.object != static_cast<const void *>(this))
            textChangedElsewhere(notification.userInfo.value(QStringLiteral("file")).value<File *>());
    });
    center.addObserver(this, QStringLiteral("typingReplayed"), nullptr, [this](const Notification &notification) {
        textChangedElsewhere(notification.userInfo.value(QStringLiteral("file")).value<File *>());
    });
    // A text row edited in place: the row follows as it is typed, the file
    // when the editing ends.
    const auto textChange = [this](const Notification &notification, bool ended) {
        DOMNode *node = notification.userInfo.value(QStringLiteral("domNode")).value<DOMNode *>();
        DOMNodeEx *row = searchFile(node);
        if (!row)
            return;
        row->refreshTextContent();
        if (m_outlineView && m_outlineView->selectedRow() >= 0)
            m_outlineView->noteHeightOfRowsWithIndexesChanged({m_outlineView->selectedRow()});
        if (ExWebView *preview = webview())
            preview->redrawWithLastDimnsiton();
        if (ended) {
            if (notification.userInfo.value(QStringLiteral("edited"), true).toBool())
                noteEdit(node, [node](DOMEditRecord &edits) { edits.noteData(node); });
            applyContentToFile();
        }
    };
    center.addObserver(this, QStringLiteral("domTextChange"), nullptr,
                       [textChange](const Notification &notification) { textChange(notification, false); });
    center.addObserver(this, QStringLiteral("domTextChanged"), nullptr,
                       [textChange](const Notification &notification) { textChange(notification, true); });
    center.addObserver(this, QStringLiteral("ProjectConfigChanged"), nullptr,
                       [this](const Notification &) { projectConfigChanged(); });
    center.addObserver(this, QStringLiteral("redrawDomNode"), nullptr, [this](const Notification &notification) {
        redrawDomNode(notification.objectAs<DOMNode>());
    });
    center.addObserver(this, QStringLiteral("deSelectDomNode"), nullptr,
                       [this](const Notification &) { deSelectDomNode(); });
    // A row the user clicks wins over the one an edit is still about to
    // select, and over the last selection about to be found again.
    center.addObserver(this, QStringLiteral("outlineviewActuallyMouseDown"), nullptr, [this](const Notification &notification) {
        if (m_outlineView && notification.userInfo.value(QStringLiteral("outlineview")).value<QObject *>() == m_outlineView.data()) {
            DelayedPerform::cancel(this, "selectByNode", {});
            DelayedPerform::cancel(this, "selectInExpand", {});
        }
    });
    center.addObserver(this, QStringLiteral("savedByCommand"), nullptr, [this](const Notification &) { saveHTML(); });
    center.addObserver(this, QStringLiteral("detectToOuter"), nullptr, [this](const Notification &notification) {
        detectToOuter(notification.userInfo.value(QStringLiteral("node")).value<DOMNode *>(),
                      notification.userInfo.value(QStringLiteral("rect")).toRectF());
    });
    center.addObserver(this, QStringLiteral("updateOuterPosition"), nullptr, [this](const Notification &notification) {
        if (domBreadCrambPopover())
            updateOuterPosition(notification.userInfo.value(QStringLiteral("rect")).toRectF());
    });
    center.addObserver(this, QStringLiteral("mainResized"), nullptr, [this](const Notification &) {
        if (QWidget *popover = domBreadCrambPopover())
            popover->close();
    });
    center.addObserver(this, QStringLiteral("cssHasSavedByCommand"), nullptr,
                       [this](const Notification &) { saveHTML(); });
    observeEditingNotifications();
}

// --- Ignore marks ------------------------------------------------------------------------

QString DomTreeDelegate::projectPathOf(File *file) const
{
    if (!file)
        return ProjectUtil::getCurrentProjectPath();
    if (file->isLocalFile())
        return file->rootProject();
    if (file->rootFile() && file->hasBypass())
        return file->rootFile()->rootProject();
    const QUrl address(file->path());
    QString project = ProjectUtil::projectPathWithURL(file->path());
    if (project.isEmpty() && address.isValid()) {
        const QString origin = address.scheme() + QLatin1String("://") + address.authority();
        project = ProjectUtil::projectPathWithURL(origin + QLatin1Char('/'));
        if (project.isEmpty())
            project = ProjectUtil::projectPathWithURL(origin);
    }
    return project;
}

DOMIgnoreSettings DomTreeDelegate::pageIgnoreSettings() const
{
    const QString project = projectPathOf(m_indexFile);
    if (project.isEmpty())
        return {};
    const QVariantMap config = ProjectUtil::getProjectConfig(project);
    return {ProjectUtil::ignoreOptionWithProjectConfig(config),
            config.value(ProjectUtil::kHeaderIgnoreOption).toStringList()};
}

void DomTreeDelegate::checkIgnore()
{
    DOMNodeEx::IgnoreSettingsScope scope;
    for (const DOMNodeExPtr &row : std::as_const(m_domNodeList))
        row->checkIgnoreRecursive();
    if (m_outlineView)
        m_outlineView->viewport()->update();
}

void DomTreeDelegate::projectConfigChanged()
{
    DelayedPerform::cancel(this, "checkIgnore", {});
    DelayedPerform::perform(this, "checkIgnore", {}, 1.5, [this] { checkIgnore(); });
}

void DomTreeDelegate::redrawDomNode(DOMNode *node)
{
    DOMNodeEx *row = searchFile(node);
    if (!row)
        return;
    row->createStartNode();
    if (DOMNodeEx *item = searchDomNodeFromRoot(node))
        updateStyleRowView(item);
    relistRulesOf(node);
}

void DomTreeDelegate::updateStyleRowView(DOMNodeEx *item)
{
    // Reloading the row measures it again where it stands.
    if (m_outlineView && item && m_outlineView->isItemShown(item))
        m_outlineView->reloadItem(item);
}

void DomTreeDelegate::deSelectDomNode()
{
    if (m_outlineView)
        m_outlineView->deselectAll();
    // The style-sheet manager, which asks this, shows its rule in the rules
    // panel next: the empty selection empties the panels now, before that,
    // and not on a timer that may fire after it (#78).
    if (DelayedPerform::isPending(this, "lazySelection")) {
        DelayedPerform::cancel(this, "lazySelection", {});
        lazySelection(nullptr);
    }
}

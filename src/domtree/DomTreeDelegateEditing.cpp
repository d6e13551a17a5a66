// DomTreeDelegate: adding, replacing and wrapping elements from the tree's
// menus, rows made from templates, class names, and the commands other
// panels send.

#include "DomTreeDelegate.h"
#include "DomTreeDelegate_p.h"

#include "DomTreeOutlineView.h"
#include "GivenMarkup.h"

#include "foundation/InspectUndoManager.h"
#include "foundation/StringUtils.h"
#include "platform/foundation/DelayedPerform.h"
#include "platform/foundation/Log.h"
#include "platform/web/dom/DOMComment.h"
#include "platform/web/dom/DOMDocument.h"
#include "platform/web/dom/DOMElement.h"
#include "platform/web/dom/DOMText.h"
#include "interfaces/StyleSheetsManagerDelegateInterface.h"
#include "preview/ExWebView.h"
#include "stylesheet/WebCoreObjects.h"
#include "workspace/File.h"

#include <QImageReader>
#include <QItemSelectionModel>
#include <QUrl>

#include <vector>

namespace {

using DomTreeDelegatePrivate::lowerNameOf;

DOMNodePtr sharedNodeOf(const DOMNodeEx *row)
{
    return row ? row->sharedNode() : nullptr;
}

using DomTreeDelegatePrivate::setActionName;

} // namespace

DOMNodeEx *DomTreeDelegate::editableRow(DOMNodeEx *row)
{
    if (row && row->isCloseNode())
        row = row->original();
    if (!row || !row->node() || row->isReferenceNode() || row->isInReference())
        return nullptr;
    const DOMNode *node = row->node();
    if (!node->isDocument() && !node->parentNode())
        return nullptr;
    return row;
}

// --- Rows from templates ----------------------------------------------------------------------------

DOMNodeExPtr DomTreeDelegate::domNodeExByTagName(const QString &tagText, DOMNodeEx *parent, bool autoText)
{
    if (!m_document)
        return nullptr;
    const QString parentName = lowerNameOf(parent);
    if (parent && (!WebCoreObjects::shouldClose(parentName) || parentName.startsWith(QLatin1Char('#'))))
        parent = nullptr;
    if (tagText == QLatin1String("#text"))
        return DOMNodeEx::initWithSingleTextLine(m_document->createTextNode(QStringLiteral("text")), parent);
    if (tagText == QLatin1String("#comment"))
        return DOMNodeEx::initWithSingleTextLine(m_document->createComment(QStringLiteral("comment")), parent);
    const QString markup = markupOfTag(tagText, autoText);
    if (markup.isEmpty())
        return nullptr;
    const DOMNodePtr node = m_document->createNodeFromString(markup);
    // A template names an element; markup read as text or nothing adds nothing.
    if (!node || !node->isElement()) {
        QM_INFO(QStringLiteral("the markup %1 makes no element; nothing is added").arg(markup));
        return nullptr;
    }
    return DOMNodeEx::initWithNode(node, parent);
}

QString DomTreeDelegate::markupOfTag(const QString &tagText, bool autoText)
{
    if (tagText == QLatin1String("#text"))
        return QStringLiteral("text");
    if (tagText == QLatin1String("#comment"))
        return QStringLiteral("<!--comment-->");
    if (tagText == QLatin1String("!DOCTYPE html"))
        return {};
    const QString name = tagText.section(QLatin1Char(' '), 0, 0);
    return autoText ? QStringLiteral("<%1>%2</%3>").arg(tagText, tagText, name) : QStringLiteral("<%1></%2>").arg(tagText, name);
}

DOMNodeExPtr DomTreeDelegate::domNodeExByImagePath(const QString &path, DOMNodeEx *parent, bool autoText)
{
    QString relative = m_indexFile ? StringUtils::relativePathFrom(path, m_indexFile->path()) : path;
    relative = QString::fromUtf8(QUrl::toPercentEncoding(relative, "/"));
    // A picture that cannot be sized gets no size at all rather than 0 x 0,
    // which would hide it.
    const QSize size = QImageReader(path).size();
    if (!size.isValid() || size.isEmpty()) {
        QM_INFO(QStringLiteral("the picture %1 cannot be sized; its element gets no width and height").arg(path));
        return domNodeExByTagName(QStringLiteral("img src='%1' title alt").arg(relative), parent, autoText);
    }
    return domNodeExByTagName(QStringLiteral("img src='%1' width='%2' height='%3' title alt")
                                  .arg(relative)
                                  .arg(size.width())
                                  .arg(size.height()),
                              parent, autoText);
}

// --- Menu predicates -------------------------------------------------------------------------------

bool DomTreeDelegate::canContainNodeInsert(const QString &child, const QString &parent)
{
    if (WebCoreObjects::canContainBlockElementTag(parent))
        return true;
    // A block element is not put into an element that holds inline ones only.
    if (WebCoreObjects::canContainInlineElementTag(parent))
        return !WebCoreObjects::canContainBlockElementTag(child);
    if (WebCoreObjects::canHaveChildren(parent))
        return child.startsWith(QLatin1Char('#'));
    return false;
}

bool DomTreeDelegate::canChangeNodeFrom(const QString &from, const QString &to)
{
    if (from == to)
        return false;
    const bool toHolds = WebCoreObjects::canContainBlockElementTag(to) || WebCoreObjects::canContainInlineElementTag(to);
    if (WebCoreObjects::canContainBlockElementTag(from))
        return WebCoreObjects::canContainBlockElementTag(to);
    if (WebCoreObjects::canContainInlineElementTag(from))
        return toHolds;
    if (!WebCoreObjects::canHaveChildren(from))
        return true;
    return toHolds || WebCoreObjects::canHaveChildren(to);
}

// --- Add, replace, wrap ------------------------------------------------------------------------------

void DomTreeDelegate::addNode(const QString &tagText)
{
    DOMNodeEx *target = editableRow(m_contextTargetNode.get());
    if (!target)
        return;
    setActionName(QStringLiteral("Add Element"));
    DOMNodeEx *parent = target;
    DOMNodeEx *reference = nullptr;
    if (!WebCoreObjects::canHaveChildren(lowerNameOf(target))) {
        parent = target->parentNodeEx();
        reference = nextDomNodeExFromParent(target);
    }
    if (!parent)
        return;
    const DOMNodeExPtr row = domNodeExByTagName(tagText, parent, true);
    if (!row)
        return;
    doAddNode(row->sharedNode(), parent->sharedNode(), sharedNodeOf(reference), false);
    selectByNode(row->node());
}

void DomTreeDelegate::swapNode(const QString &tagText)
{
    DOMNodeEx *target = editableRow(m_contextTargetNode.get());
    DOMNodeEx *parent = target ? target->parentNodeEx() : nullptr;
    if (!target || !parent)
        return;
    if (!canWriteEditsOf({target->node(), parent->node()}))
        return;
    const DOMNodeExPtr keepTarget = target->shared_from_this();
    const DOMNodeExPtr keepParent = parent->shared_from_this();
    const DOMNodeExPtr row = domNodeExByTagName(tagText, parent, false);
    if (!row)
        return;
    setActionName(QStringLiteral("Change Element"));
    const QList<DOMNodeExPtr> &siblings = parent->children();
    const qsizetype index = siblings.indexOf(keepTarget);
    DOMNodeExPtr reference = index >= 0 && index + 1 < siblings.size() ? siblings.at(index + 1) : nullptr;
    if (reference && reference->isCloseNode())
        reference.reset();
    const QList<QVariantMap> attributes = target->node()->attributeList();

    // The page changes once for the tree: at the last insertion.
    m_ignoreDomModify = true;
    doRemoveNode(target->sharedNode(), false);
    row->setParentNodeEx(parent);
    // The new element is the old one's start tag under another name: the
    // file's attributes with the user's edits, whatever scripts set (#63).
    replaceAttributes(row->sharedNode(), {}, attributes, true, AttributesOf::Copy);
    m_edits.noteCopied(row->node(), target->node());
    appendCopies(target->children(), row.get());
    m_ignoreDomModify = false;
    doAddNode(row->sharedNode(), parent->sharedNode(), sharedNodeOf(reference.get()), false);
    selectByNode(row->node());
}

void DomTreeDelegate::appendCopies(const QList<DOMNodeExPtr> &rows, DOMNodeEx *parent)
{
    for (const DOMNodeExPtr &row : rows) {
        const DOMNodeExPtr copy = row->isCloseNode() ? nullptr : copyOf(*row);
        if (!copy)
            continue;
        copy->setParentNodeEx(parent);
        doAddNode(copy->sharedNode(), parent->sharedNode(), nullptr, false);
    }
}

DOMNodeExPtr DomTreeDelegate::copyOf(const DOMNodeEx &row)
{
    const DOMNode *original = row.node();
    if (!original || isScriptsNode(original))
        return nullptr;
    const DOMNodePtr copy = original->cloneNode(true);
    if (!copy)
        return nullptr;
    m_edits.noteCopied(copy.get(), original);
    // What page scripts made inside the original gets no text in the file,
    // so the page is not given a copy of it either (#87).
    QList<DOMNode *> scripts;
    std::vector<std::pair<DOMNode *, const DOMNode *>> pending{{copy.get(), original}};
    while (!pending.empty()) {
        const auto [to, from] = pending.back();
        pending.pop_back();
        const DOMNode *child = from->firstChild();
        for (DOMNode *each = to->firstChild(); each && child; each = each->nextSibling(), child = child->nextSibling()) {
            if (isScriptsNode(child))
                scripts.append(each);
            else
                pending.push_back({each, child});
        }
    }
    for (DOMNode *node : std::as_const(scripts))
        node->parentNode()->removeChild(node);
    if (original->nodeName().startsWith(QLatin1Char('#')))
        return DOMNodeEx::initWithSingleTextLine(copy, row.parentNodeEx());
    return DOMNodeEx::initWithNode(copy, row.parentNodeEx());
}

void DomTreeDelegate::containNode(const QString &tagText)
{
    if (!WebCoreObjects::canHaveChildren(tagText.section(QLatin1Char(' '), 0, 0).toLower()))
        return;
    // The rows in the order they were selected.
    QList<DOMNodeExPtr> rows;
    if (m_outlineView) {
        for (const QModelIndex &index : m_outlineView->selectionModel()->selectedRows(0)) {
            DOMNodeEx *row = editableRow(static_cast<DOMNodeEx *>(OutlineView::itemForIndex(index)));
            if (row && !rows.contains(row->shared_from_this()))
                rows.append(row->shared_from_this());
        }
    }
    if (rows.isEmpty()) {
        if (DOMNodeEx *row = editableRow(contextTargetTreeNode()))
            rows.append(row->shared_from_this());
    }
    if (rows.isEmpty())
        return;
    DOMNodeEx *parent = rows.constFirst()->parentNodeEx();
    if (!parent)
        return;
    for (const DOMNodeExPtr &row : std::as_const(rows)) {
        if (row->parentNodeEx() != parent)
            return;
    }
    if (!canWriteEditsOf(nodesOf(rows) << parent->node()))
        return;
    const DOMNodeExPtr keepParent = parent->shared_from_this();
    const DOMNodeExPtr wrapper = domNodeExByTagName(tagText, parent, false);
    if (!wrapper)
        return;
    // The wrapper stands where the first child from the context row on that
    // is not wrapped stood.
    DOMNodeEx *context = editableRow(contextTargetTreeNode());
    const QList<DOMNodeExPtr> &siblings = parent->children();
    qsizetype from = context ? siblings.indexOf(context->shared_from_this()) : -1;
    if (from < 0)
        from = siblings.indexOf(rows.constFirst());
    DOMNodeExPtr reference;
    for (qsizetype i = qMax<qsizetype>(from, 0); i < siblings.size(); ++i) {
        if (!rows.contains(siblings.at(i))) {
            reference = siblings.at(i);
            break;
        }
    }
    if (reference && reference->isCloseNode())
        reference.reset();

    InspectUndoManager *undo = undoManager();
    setActionName(QStringLiteral("Wrap Element"));
    if (undo)
        undo->beginUndoGrouping();
    m_ignoreDomModify = true;
    for (const DOMNodeExPtr &row : std::as_const(rows))
        doRemoveNode(row->sharedNode(), false);
    wrapper->setParentNodeEx(parent);
    appendCopies(rows, wrapper.get());
    m_ignoreDomModify = false;
    doAddNode(wrapper->sharedNode(), parent->sharedNode(), sharedNodeOf(reference.get()), false);
    if (undo)
        undo->endUndoGrouping();
    selectByNode(wrapper->node());
    applyContentToFile();
}

// --- Selection after an edit ---------------------------------------------------------------------------

void DomTreeDelegate::selectByNode(DOMNode *node)
{
    if (!node)
        return;
    // The new node's row is made by the refresh its insertion asked for.
    const DOMNodePtr shared = node->shared_from_this();
    DelayedPerform::cancel(this, "selectByNode", {});
    DelayedPerform::perform(this, "selectByNode", {}, 0.1, [this, shared] {
        if (isDomModifyPending()) {
            selectByNode(shared.get());
            return;
        }
        if (DOMNodeEx *item = searchDomNodeFromRoot(shared.get()))
            selectItem(item);
    });
}

void DomTreeDelegate::lazySelectNode(DOMNode *node)
{
    m_ignoreChangeSelection = true;
    selectNode(node);
    m_ignoreChangeSelection = false;
}

// --- Moving (not offered) ------------------------------------------------------------------------------

void DomTreeDelegate::moveNodeToBefore()
{
    QM_DEBUG(QStringLiteral("moveNodeToBefore"));
}

void DomTreeDelegate::moveNodeToAfter()
{
    QM_DEBUG(QStringLiteral("moveNodeToAfter"));
}

// --- Commands of other panels ---------------------------------------------------------------------------

void DomTreeDelegate::enabledDom(DOMNodeEx *row)
{
    row = editableRow(row);
    if (!row || !row->node()->isElement())
        return;
    auto *element = static_cast<DOMElement *>(row->node());
    const std::optional<QString> before = DOMEditRecord::attributeValue(element, QStringLiteral("style"));
    element->setAttribute(QStringLiteral("style"), row->shouldIncludInDom() ? QString() : QStringLiteral("display:none"));
    noteEdit(element, [element, &before](DOMEditRecord &edits) { edits.noteAttribute(element, QStringLiteral("style"), before); });
    row->createStartNode();
    updateStyleRowView(searchDomNodeFromRoot(element));
    if (ExWebView *preview = webview())
        preview->redrawWithLastDimnsiton();
    applyContentToFile();
}

void DomTreeDelegate::nodeSelected(const QString &tag)
{
    DOMNodeEx *selected = editableRow(selectedDomNodeEx());
    if (!selected || !selected->node()->isElement() || !m_document)
        return;
    const DOMElementPtr element = m_document->createElement(tag);
    if (!element)
        return;
    element->setTextContent(tag);
    DOMNodeEx::initWithNode(element, selected);
    setActionName(QStringLiteral("Add Element"));
    doAddNode(element, selected->sharedNode(), nullptr, false);
    selectByNode(element.get());
}

void DomTreeDelegate::nodeComponetSelected(const QString &content)
{
    DOMNodeEx *selected = editableRow(selectedDomNodeEx());
    if (!selected || !selected->node()->isElement() || !m_document)
        return;
    // Written into the file as the component gives it.
    const GivenMarkup markup = GivenMarkup::parse(*m_document, content);
    const DOMNodePtr node = markup.nodes().isEmpty() ? nullptr : markup.nodes().constFirst();
    if (!node) {
        QM_INFO(QStringLiteral("the component's markup makes no node; nothing is added"));
        return;
    }
    if (node->isCharacterData())
        DOMNodeEx::initWithSingleTextLine(node, selected);
    else
        DOMNodeEx::initWithNode(node, selected);
    setActionName(QStringLiteral("Add Element"));
    markup.noteInto(m_edits);
    doAddNode(node, selected->sharedNode(), nullptr, false);
    selectByNode(node.get());
}

// --- Class names ------------------------------------------------------------------------------------------

void DomTreeDelegate::doAddClassSelector(const DOMNodePtr &node, const QString &name)
{
    changeClassSelector(node, name, ClassChange::Add);
}

void DomTreeDelegate::doRemoveClassSelector(const DOMNodePtr &node, const QString &name)
{
    changeClassSelector(node, name, ClassChange::Remove);
}

void DomTreeDelegate::changeClassSelector(const DOMNodePtr &node, const QString &name, ClassChange change)
{
    DOMNodeEx *row = node ? searchFile(node.get()) : nullptr;
    if (!row)
        return;
    m_ignoreDomModify = true;
    const DOMNodeEx::Attributes before = DOMNodeEx::attributesOf(node.get());
    if (change == ClassChange::Add)
        row->setClass(name);
    else
        row->removeClass(name);
    m_ignoreDomModify = false;
    if (InspectUndoManager *undo = undoManager()) {
        const ClassChange inverse = change == ClassChange::Add ? ClassChange::Remove : ClassChange::Add;
        undo->prepareWithInvocationTarget(undoTarget(node),
                                          [this, node, name, inverse] { changeClassSelector(node, name, inverse); });
    }
    noteEdit(node.get(), [&node, &before](DOMEditRecord &edits) { edits.noteAttributes(node.get(), before); });
    updateStyleRowView(searchDomNodeFromRoot(node.get()));
    applyContentToFile();
    relistRulesOf(node.get());
    selectNode(node.get());
    if (ExWebView *preview = webview())
        preview->redrawWithLastDimnsiton();
    if (m_styleSheetsManagerDelegate)
        m_styleSheetsManagerDelegate->refreshSelectorList();
}

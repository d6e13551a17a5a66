// DomTreeDelegate: copy, cut and paste of rows as HTML text, and the
// insertion of HTML fragments that paste and drops share.

#include "DomTreeDelegate.h"

#include "DomTreeOutlineView.h"
#include "GivenMarkup.h"

#include "foundation/InspectUndoManager.h"
#include "platform/foundation/Log.h"
#include "platform/kit/Alert.h"
#include "platform/web/dom/DOMDocument.h"
#include "platform/web/html/StringDOM.h"

#include <QClipboard>
#include <QGuiApplication>

void DomTreeDelegate::doClipNode()
{
    if (!m_outlineView)
        return;
    QList<const DOMNodeEx *> rows;
    for (const int index : m_outlineView->selectedRowIndexes()) {
        const auto *row = static_cast<DOMNodeEx *>(m_outlineView->itemAtRow(index));
        if (!row)
            continue;
        // A closing row ends the copy: the rows after it lie outside the
        // element it closes.
        if (row->isCloseNode())
            break;
        rows.append(row);
    }
    // The author's text, never what page scripts made of the page.
    const QString html = authorsText(rows);
    if (html.isEmpty())
        return;
    QGuiApplication::clipboard()->setText(html);
}

void DomTreeDelegate::cut()
{
    if (!m_outlineView)
        return;
    // The rows to remove are taken before the copy, in ascending order, a
    // closing row standing for its element; the page's root stays.
    QList<DOMNodeExPtr> rows;
    for (const int index : m_outlineView->selectedRowIndexes()) {
        DOMNodeEx *row = editableRow(static_cast<DOMNodeEx *>(m_outlineView->itemAtRow(index)));
        if (!row || row->node()->isDocument() || row->node()->nodeName().toLower() == QLatin1String("html"))
            continue;
        const DOMNodeExPtr shared = row->shared_from_this();
        if (!rows.contains(shared))
            rows.append(shared);
    }
    if (rows.isEmpty())
        return;
    doClipNode();
    for (const DOMNodeExPtr &row : std::as_const(rows))
        doRemoveNode(row->sharedNode(), false);
    m_outlineView->deselectAll();
}

void DomTreeDelegate::paste()
{
    DOMNodeEx *target = editableRow(selectedDomNodeEx());
    const QString text = QGuiApplication::clipboard()->text();
    if (!target || text.isEmpty() || !m_document)
        return;
    // The copied element itself selected: the copy goes right after it. An
    // element that cannot hold it where the HTML parser would keep it (img,
    // a p for a block, a button for a button) takes it after it too, as a
    // drop onto its row does (#84).
    const QList<DOMNodePtr> pasted = nodesOfMarkup(text);
    askNestingFor(nullptr);
    DOMNodeEx *parent = nullptr;
    DOMNodeEx *ref = nullptr;
    if (isCopyOf(text, target) || target->node()->isCharacterData()) {
        parent = target->parentNodeEx();
        ref = nextDomNodeExFromParent(target);
        if (!parent || !parent->node() || !parent->node()->isElement())
            return;
        if (!keepsNodes(parent, nodesOf(pasted), ref))
            parent = nullptr;
    } else if (!placeForDropOn(target, nodesOf(pasted), parent, ref)) {
        parent = nullptr;
    }
    if (!parent) {
        if (!pasted.isEmpty()) {
            QM_INFO(QStringLiteral("the pasted HTML has no place at %1 that a browser would keep; it is not pasted")
                        .arg(target->node()->nodeName().toLower()));
            Alert::beep();
        }
        return;
    }
    if (InspectUndoManager *undo = undoManager())
        undo->setActionName(QStringLiteral("Paste Element"));
    if (const DOMNodePtr last = insertFragment(text, parent, ref))
        selectByNode(last.get());
}

bool DomTreeDelegate::isCopyOf(const QString &text, DOMNodeEx *row)
{
    const QString given = text.trimmed();
    const QString own = row->source().trimmed();
    if (!own.isEmpty() && given.startsWith(own))
        return true;
    // A copy begins with the element's start tag as the file has it.
    const QString copied = authorsText({row});
    const qsizetype tagEnd = row->node()->isElement() ? copied.indexOf(QLatin1Char('>')) : -1;
    return tagEnd > 0 && given.startsWith(QStringView(copied).left(tagEnd + 1));
}

DOMNodePtr DomTreeDelegate::insertFragment(const QString &html, DOMNodeEx *parent, DOMNodeEx *ref)
{
    if (!m_document || !parent)
        return nullptr;
    // A whole document has no place inside the page.
    if (StringDOM::firstNodeName(html) == QLatin1String("html")) {
        QM_DEBUG(QStringLiteral("a whole document is not inserted into the page"));
        return nullptr;
    }
    // The nodes are written into the file as the text gives them.
    const GivenMarkup markup = GivenMarkup::parse(*m_document, html);
    markup.noteInto(m_edits);
    QList<DOMNodeExPtr> rows;
    for (const DOMNodePtr &node : markup.nodes()) {
        // The blanks between the fragment's elements are layout, which the
        // write-back makes anew.
        if (node->isText() && node->textContent().trimmed().isEmpty())
            continue;
        rows.append(node->nodeName().startsWith(QLatin1Char('#')) ? DOMNodeEx::initWithSingleTextLine(node, parent)
                                                                  : DOMNodeEx::initWithNode(node, parent));
    }
    if (rows.isEmpty()) {
        QM_DEBUG(QStringLiteral("the HTML makes no node; nothing is inserted"));
        return nullptr;
    }
    insertRows(rows, parent, ref);
    return rows.constLast()->sharedNode();
}

void DomTreeDelegate::insertRows(const QList<DOMNodeExPtr> &rows, DOMNodeEx *parent, DOMNodeEx *ref)
{
    if (!canWriteEditsOf({parent->node()}))
        return;
    const DOMNodePtr parentNode = parent->sharedNode();
    const DOMNodePtr refNode = ref ? ref->sharedNode() : nullptr;
    for (const DOMNodeExPtr &row : rows) {
        row->setParentNodeEx(parent);
        doAddNode(row->sharedNode(), parentNode, refNode, false);
    }
}

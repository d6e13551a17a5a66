// DomTreeDelegate: commands on one row (the text split, in-place editing,
// removing the children, the inline-style popover), forgetting the selection
// for a new page, the style-sheet link alert, and the notifications through
// which the row editors and other panels reach these edits.

#include "DomTreeDelegate.h"

#include "DomTreeOutlineView.h"

#include "foundation/InspectUndoManager.h"
#include "foundation/StringUtils.h"
#include "interfaces/AttributeStyleEditorInterface.h"
#include "platform/foundation/DelayedPerform.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/kit/Alert.h"
#include "platform/kit/ViewController.h"
#include "platform/web/dom/DOMDocument.h"
#include "platform/web/dom/DOMText.h"
#include "preview/ExWebView.h"
#include "toolkit/RBLPopover.h"

namespace {

bool isBlank(const QString &text)
{
    return StringUtils::isEmptyWithIgnoreWhiteSpace(text, true);
}

} // namespace

void DomTreeDelegate::observeEditingNotifications()
{
    NotificationCenter &center = NotificationCenter::defaultCenter();
    const auto rowOf = [](const Notification &notification) {
        return notification.userInfo.value(QStringLiteral("node")).value<DOMNodeEx *>();
    };
    const auto elementOf = [](const Notification &notification) {
        return notification.userInfo.value(QStringLiteral("element")).value<DOMNode *>();
    };
    const auto stringOf = [](const Notification &notification, const char *key) {
        return notification.userInfo.value(QString::fromLatin1(key)).toString();
    };
    center.addObserver(this, QStringLiteral("attributeEditChange"), nullptr, [=, this](const Notification &n) {
        attributeEditChange(rowOf(n), stringOf(n, "attributeText"));
    });
    center.addObserver(this, QStringLiteral("attributeEditEnd"), nullptr, [=, this](const Notification &n) {
        QList<QVariantMap> old;
        for (const QVariant &entry : n.userInfo.value(QStringLiteral("oldAttribute")).toList())
            old.append(entry.toMap());
        attributeEditEnd(rowOf(n), stringOf(n, "attributeText"), old, stringOf(n, "oldAttributeText"));
    });
    center.addObserver(this, QStringLiteral("StyleAttributeEditChange"), nullptr, [=, this](const Notification &n) {
        styleAttributeEditChange(elementOf(n), stringOf(n, "styleValue"));
    });
    center.addObserver(this, QStringLiteral("StyleAttributeEditEnd"), nullptr, [=, this](const Notification &n) {
        const QVariant editedFrom = n.userInfo.value(QStringLiteral("editedFrom"));
        styleAttributeEditEnd(elementOf(n), stringOf(n, "styleValue"),
                              editedFrom.isValid() ? std::optional<QString>(editedFrom.toString()) : std::nullopt);
    });
    center.addObserver(this, QStringLiteral("enabledDom"), nullptr,
                       [=, this](const Notification &n) { enabledDom(rowOf(n)); });
    center.addObserver(this, QStringLiteral("nodeSelected"), nullptr,
                       [=, this](const Notification &n) { nodeSelected(stringOf(n, "nodeString")); });
    center.addObserver(this, QStringLiteral("nodeComponetSelected"), nullptr, [=, this](const Notification &n) {
        nodeComponetSelected(n.userInfo.value(QStringLiteral("domNode")).toMap().value(QStringLiteral("content")).toString());
    });
    center.addObserver(this, QStringLiteral("domTextSplit"), nullptr, [=, this](const Notification &n) {
        domTextSplit(stringOf(n, "text"),
                     n.userInfo.value(QStringLiteral("range")).toMap().value(QStringLiteral("location")).toInt());
    });
    center.addObserver(this, QStringLiteral("changeIgnore"), nullptr,
                       [this](const Notification &n) { changeIgnore(n.userInfo); });
    center.addObserver(this, QStringLiteral("displayElementMenu"), nullptr,
                       [=, this](const Notification &n) { displayElementMenu(elementOf(n)); });
}

void DomTreeDelegate::domTextSplit(const QString &text, int caret)
{
    DOMNodeEx *row = selectedDomNodeEx();
    DOMNodeEx *parent = row ? row->parentNodeEx() : nullptr;
    if (!row || !parent || !row->node() || !row->node()->isText() || !row->node()->parentNode() || !m_document)
        return;
    const QString parentName = row->node()->parentNode()->nodeName().toLower();
    if (parentName == QLatin1String("script") || parentName == QLatin1String("title"))
        return;
    caret = qBound(0, caret, int(text.size()));
    const DOMNodeExPtr keepRow = row->shared_from_this();
    const DOMNodeExPtr keepParent = parent->shared_from_this();
    if (InspectUndoManager *undo = undoManager())
        undo->setActionName(QStringLiteral("Insert BR"));
    const DOMNodePtr next = nextDomNodeExFromParent(row) ? nextDomNodeExFromParent(row)->sharedNode() : nullptr;
    const QString before = text.left(caret);
    const QString after = text.mid(caret);

    doRemoveNode(row->sharedNode(), false);
    // Either end of the text splits off nothing but the line break: no
    // empty text is made.
    const auto addText = [&](const QString &part) -> DOMNodePtr {
        if (isBlank(part))
            return nullptr;
        const DOMNodePtr node = m_document->createTextNode(part);
        DOMNodeEx::initWithSingleTextLine(node, parent);
        doAddNode(node, parent->sharedNode(), next, false);
        return node;
    };
    addText(before);
    const DOMNodeExPtr br = domNodeExByTagName(QStringLiteral("br"), parent, false);
    if (br)
        doAddNode(br->sharedNode(), parent->sharedNode(), next, false);
    const DOMNodePtr second = addText(after);
    if (second) {
        selectByNode(second.get());
        DelayedPerform::cancel(this, "beginSelectedNodeEdit", {});
        DelayedPerform::perform(this, "beginSelectedNodeEdit", {}, 0.5, [this] { beginSelectedNodeEdit(); });
    } else if (br) {
        selectByNode(br->node());
    }
}

void DomTreeDelegate::beginSelectedNodeEdit()
{
    if (!m_outlineView)
        return;
    const int row = m_outlineView->selectedRow();
    if (row < 0)
        return;
    // The row's cell opens the attribute editor of an element, or the text
    // editor of a text or comment.
    m_outlineView->editColumn(0, row, false);
}

void DomTreeDelegate::removeChildren()
{
    QM_DEBUG(QStringLiteral("Do remove all children"));
    DOMNodeEx *row = editableRow(m_contextTargetNode.get());
    if (!row || row->children().isEmpty())
        return;
    QList<DOMNodeExPtr> children = row->children();
    if (children.constLast()->isCloseNode())
        children.removeLast();
    removeNodes(children);
}

void DomTreeDelegate::showAttributeStyleEditor()
{
    QM_DEBUG(QStringLiteral("showAttributeStyleEditor"));
    if (!m_attributeStyleEditor || !m_outlineView)
        return;
    DOMNodeEx *target = m_contextTargetNode.get();
    const int clicked = m_outlineView->clickedRow();
    if (clicked >= 0)
        m_outlineView->selectRowIndexes({clicked}, false);
    else if (DOMNodeEx *item = contextTargetTreeNode())
        selectItem(item);
    DOMNodeEx *row = selectedDomNodeEx();
    if (!row)
        row = target;
    row = editableRow(row);
    if (!row || !row->node()->isElement())
        return;
    const int index = m_outlineView->rowForItem(row);
    if (index < 0)
        return;
    if (!m_attributeStyleEditorPopover) {
        auto *content = new ViewController(this);
        content->setView(m_attributeStyleEditor->view());
        m_attributeStyleEditorPopover = new RBLPopover(content, this);
    }
    m_attributeStyleEditorPopover->setContentSize(QSizeF(240, 385));
    m_attributeStyleEditorPopover->setBehavior(RBLPopover::Transient);
    m_attributeStyleEditorPopover->showRelativeToRect(m_outlineView->frameOfCellAtColumn(0, index),
                                                      m_outlineView->viewport(), RectEdge::Right);
    m_attributeStyleEditor->setStyledObject(row->node());
}

void DomTreeDelegate::resetDomSelection()
{
    const bool hadSelection = m_selectedElement != nullptr;
    m_selectedElement.reset();
    if (hadSelection)
        Q_EMIT selectedNodeChanged(nullptr);
    if (ExWebView *preview = webview())
        preview->setSelectedElement(nullptr);
    m_selectedItem.reset();
    m_lastSelectedNode.reset();
    m_contextTargetNode.reset();
}

void DomTreeDelegate::displayStyleSheetLinkChangeAlert()
{
    const QString key = QStringLiteral("linkChangeAlert");
    UserDefaults &defaults = UserDefaults::standardUserDefaults();
    if (defaults.boolForKey(key)) {
        QM_DEBUG(QStringLiteral("the link alert is switched off"));
        return;
    }
    Alert alert;
    alert.setMessageText(QStringLiteral("StyleSheet Link Changed.\nPlease Save and Reload to Apply Change."));
    alert.addButtonWithTitle(QStringLiteral("OK"));
    alert.setShowsSuppressionButton(true);
    alert.runModal();
    if (alert.suppressionButtonChecked())
        defaults.setBool(true, key);
}

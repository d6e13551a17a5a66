// DomTreeDelegate: an element's attributes replaced from the row editor's
// text, live and committed, and its inline style set by the visual editor.

#include "DomTreeDelegate.h"

#include "AttributeParser.h"
#include "DomInfoDelegate.h"
#include "DomTreeOutlineView.h"
#include "LayoutSpace.h"

#include "foundation/InspectUndoManager.h"
#include "interfaces/StyleSheetsManagerDelegateInterface.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/kit/Alert.h"
#include "platform/web/dom/DOMAttr.h"
#include "platform/web/dom/DOMDocument.h"
#include "platform/web/dom/DOMElement.h"
#include "platform/web/dom/DOMNamespaces.h"
#include "preview/ExWebView.h"
#include "stylesheet/WebCoreObjects.h"

namespace {

QString nameOf(const QVariantMap &entry)
{
    return entry.value(QStringLiteral("name")).toString();
}

QString valueOf(const QVariantMap &entry)
{
    return entry.value(QStringLiteral("value")).toString();
}

bool isStyleSheetLink(const DOMElement &element)
{
    return element.isHTML(u"link")
        && element.getAttribute(QStringLiteral("rel")).toLower() == QLatin1String("stylesheet")
        && !element.getAttribute(QStringLiteral("href")).isEmpty();
}

// Sets one attribute the way the row editor names it. In SVG the case of a
// name is kept, and "xlink:" names are put in the XLink namespace.
Result<void> applyAttribute(DOMDocument &document, DOMElement &element, bool svg, const QString &name,
                            const QString &value)
{
    if (!svg) {
        const DOMAttrPtr attribute = document.createAttribute(name);
        if (!attribute)
            return Result<void>::failure(name);
        attribute->setValue(value);
        return element.setAttributeNode(attribute);
    }
    const qsizetype colon = name.indexOf(QLatin1Char(':'));
    if (colon > 0 && colon < name.size() - 1) {
        // Another prefix names no namespace: the attribute is of that whole name.
        const DOMAttrPtr attribute = name.left(colon) == QLatin1String("xlink")
            ? document.createAttributeNS(DOMNamespaces::xlink, name)
            : document.createAttribute(name);
        if (!attribute)
            return Result<void>::failure(name);
        attribute->setValue(value);
        return element.setAttributeNodeNS(attribute);
    }
    return element.setAttributeNS(QString(), name, value);
}

} // namespace

void DomTreeDelegate::showInvalidAttributeAlert(const QString &name)
{
    Alert alert;
    alert.setMessageText(QStringLiteral("Invalid Attribute Name"));
    alert.setInformativeText(QStringLiteral("[%1] is invalid Attribute Name.").arg(name));
    alert.addButtonWithTitle(QStringLiteral("OK"));
    alert.runModal();
}

bool DomTreeDelegate::replaceAttributes(const DOMNodePtr &node, const QList<QVariantMap> &from,
                                        const QList<QVariantMap> &to, bool write, AttributesOf source)
{
    if (followsTextForNodeGone(node.get()))
        return false;
    if (!node || !node->isElement() || !canEdit(node.get()))
        return false;
    auto *element = static_cast<DOMElement *>(node.get());
    DOMDocument *document = element->ownerDocument();
    if (!document)
        return false;
    const QString oldHref = element->isHTML(u"link") ? element->getAttribute(QStringLiteral("href")) : QString();

    // Every name is tried first: a refused one leaves the element as it was.
    for (const QVariantMap &entry : to) {
        if (!document->createAttribute(nameOf(entry))) {
            QM_DEBUG(QStringLiteral("Attributes Validation Error"));
            if (write)
                showInvalidAttributeAlert(nameOf(entry));
            return false;
        }
    }
    const bool wasIgnoring = m_ignoreDomModify;
    m_ignoreDomModify = true;
    while (element->attributeCount() > 0)
        element->removeAttributeNode(element->attributeAt(element->attributeCount() - 1));
    const bool svg = WebCoreObjects::isSVGTag(element->tagName().toLower()) || element->namespaceId() == DOMNamespace::SVG;
    for (const QVariantMap &entry : to) {
        const Result<void> set = applyAttribute(*document, *element, svg, nameOf(entry), valueOf(entry));
        if (!set)
            QM_ERROR(QStringLiteral("the attribute %1 could not be set: %2").arg(nameOf(entry), set.error()));
    }
    // The user's edit is from the attributes the edit began with to the
    // final ones, each value typed whole; the changes shown while typing
    // are not noted.
    if (write && source == AttributesOf::User) {
        DOMEditRecord::Attributes began;
        for (const QVariantMap &entry : from)
            began.append({nameOf(entry), valueOf(entry)});
        noteEdit(element, [element, &began](DOMEditRecord &edits) {
            edits.noteAttributes(element, began, AttributeEdit::Given::Whole);
        });
    }
    InspectUndoManager *undo = undoManager();
    if (write) {
        if (undo)
            undo->prepareWithInvocationTarget(undoTarget(node), [this, node, from, to] {
                replaceAttributes(node, to, from, true);
            });
        applyContentToFile();
    } else if (undo) {
        undo->reserveCloseGroupingAtEndOfRunLoop();
    }

    if (DOMNodeEx *row = searchFile(element)) {
        row->createStartNode();
        row->checkIgnoreRecursive();
    }
    updateStyleRowView(searchDomNodeFromRoot(element));
    if (write)
        relistRulesOf(element);
    m_ignoreDomModify = wasIgnoring;
    if (m_domInfoDelegate && m_domInfoDelegate->inspectedNode() && m_domInfoDelegate->inspectedNode()->node() == element)
        m_domInfoDelegate->reloadAttributes();
    if (m_styleSheetsManagerDelegate)
        m_styleSheetsManagerDelegate->refreshSelectorList();
    if (isStyleSheetLink(*element) && element->getAttribute(QStringLiteral("href")) != oldHref)
        displayStyleSheetLinkChangeAlert();
    // The rows of "use" elements that show it are built again.
    if (svg)
        reloadSVGUseNodeWithElement(element);
    if (ExWebView *preview = webview())
        preview->hideDetectLayer();
    return true;
}

void DomTreeDelegate::attributeEditChange(DOMNodeEx *row, const QString &attributeText)
{
    if (!row || !row->node() || !row->node()->isElement())
        return;
    // A half-typed name is refused quietly; the alert comes when the edit ends.
    replaceAttributes(row->sharedNode(), row->node()->attributeList(), AttributeParser::parseAttributes(attributeText),
                      false);
}

void DomTreeDelegate::attributeEditEnd(DOMNodeEx *row, const QString &attributeText,
                                       const QList<QVariantMap> &oldAttribute, const QString &oldAttributeText)
{
    if (!row || !row->node() || !row->node()->isElement())
        return;
    const DOMNodePtr node = row->sharedNode();
    if (InspectUndoManager *undo = undoManager())
        undo->setActionName(QStringLiteral("Edit Attributes"));
    if (attributeText == oldAttributeText) {
        // The text came back to where it began: so do the attributes, should
        // a live change have left them otherwise.
        if (node->attributeList() != oldAttribute)
            replaceAttributes(node, node->attributeList(), oldAttribute, false);
    } else if (!replaceAttributes(node, oldAttribute, AttributeParser::parseAttributes(attributeText), true)) {
        if (node->attributeList() != oldAttribute)
            replaceAttributes(node, node->attributeList(), oldAttribute, false);
    }
    // Selected again, so that the inspector and the rules panel follow;
    // unless the edit ended because another row was chosen.
    const DOMNodeEx *selected = selectedDomNodeEx();
    if (selected && selected->node() == node.get()) {
        selectNode(nullptr);
        selectNode(node.get());
    }
}

void DomTreeDelegate::styleAttributeEditChange(DOMNode *element, const QString &styleValue)
{
    if (!element || !element->isElement() || !canEdit(element))
        return;
    // Shown only: the edit is noted when it ends, from the style before the
    // first change shown. An element that had none has none while the
    // edit comes back to nothing, as it has none again after its Undo.
    auto *target = static_cast<DOMElement *>(element);
    const QString style = QStringLiteral("style");
    if (m_liveStyleElement.lock().get() != element) {
        m_liveStyleElement = element->shared_from_this();
        m_liveStyleBefore = DOMEditRecord::attributeValue(element, style);
    }
    if (!m_liveStyleBefore && LayoutSpace::trimmed(styleValue).isEmpty())
        target->removeAttribute(style);
    else
        target->setAttribute(style, styleValue);
    if (DOMNodeEx *row = searchFile(element))
        row->createStartNode();
    updateStyleRowView(searchDomNodeFromRoot(element));
    if (ExWebView *preview = webview())
        preview->redrawWithLastDimnsiton();
}

void DomTreeDelegate::styleAttributeEditEnd(DOMNode *element, const QString &styleValue,
                                            const std::optional<QString> &editedFrom)
{
    if (!element || !element->isElement())
        return;
    const bool shownLive = m_liveStyleElement.lock().get() == element;
    m_liveStyleElement.reset();
    if (!canEdit(element)) {
        // The panels showing it read it again.
        NotificationCenter::defaultCenter().postNotificationName(QStringLiteral("StyleAttributeEditRefused"), element);
        return;
    }
    const QString style = QStringLiteral("style");
    // An element without the attribute gets none back at Undo, not an empty
    // one; an edit shown live began with the style before it was shown.
    const std::optional<QString> old = shownLive ? m_liveStyleBefore : DOMEditRecord::attributeValue(element, style);
    // A style the panel empties on an element that had none before the
    // user's edits goes from the page, as it stays out of the file.
    std::optional<QString> value = styleValue;
    if (LayoutSpace::trimmed(styleValue).isEmpty()) {
        const AttributeEdits edits = m_edits.editsOf(element).attributes;
        if (edits.contains(style) ? !edits.value(style).pageBefore() : !old)
            value = std::nullopt;
    }
    doChangeAttributeValue(element->shared_from_this(), style, value, old, editedFrom);
}

void DomTreeDelegate::doChangeAttributeValue(const DOMNodePtr &element, const QString &attribute,
                                             const std::optional<QString> &value, const std::optional<QString> &oldValue,
                                             const std::optional<QString> &editedFrom)
{
    if (!element || !element->isElement() || !canEdit(element.get()))
        return;
    auto *target = static_cast<DOMElement *>(element.get());
    const std::optional<QString> before = DOMEditRecord::attributeValue(target, attribute);
    if (InspectUndoManager *undo = undoManager()) {
        undo->setActionName(QStringLiteral("Edit Attributes"));
        undo->prepareWithInvocationTarget(undoTarget(element), [this, element, attribute, value, oldValue] {
            doChangeAttributeValue(element, attribute, oldValue, value);
        });
        // The group stays open for the write below, which closes it: the
        // change and the file's new text are one step.
    }
    if (value)
        target->setAttribute(attribute, *value);
    else
        target->removeAttribute(attribute);
    noteEdit(target, [&](DOMEditRecord &edits) {
        edits.noteAttribute(target, attribute, before, AttributeEdit::Given::Parts, editedFrom);
    });
    if (DOMNodeEx *row = searchFile(element.get()))
        row->createStartNode();
    updateStyleRowView(searchDomNodeFromRoot(element.get()));
    relistRulesOf(target);
    if (ExWebView *preview = webview())
        preview->redrawWithLastDimnsiton();
    applyContentToFile();
}

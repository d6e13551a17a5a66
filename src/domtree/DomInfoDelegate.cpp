#include "DomInfoDelegate.h"

#include "DOMEditRecord.h"
#include "DOMInfoCell.h"
#include "DOMNodeEx.h"
#include "DomTreeDelegate.h"

#include "foundation/InspectUndoManager.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/kit/Alert.h"
#include "platform/kit/KeyCodes.h"
#include "platform/kit/NamedImage.h"
#include "platform/kit/OutlineView.h"
#include "platform/web/dom/DOMDocument.h"
#include "platform/web/dom/DOMMutationEvent.h"
#include "platform/web/dom/DOMNamespaces.h"
#include "stylesheet/WebCoreObjects.h"
#include "toolkit/OutlineViewEx.h"
#include "workspace/File.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLineEdit>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

void *itemAt(int index)
{
    return reinterpret_cast<void *>(quintptr(index) + 1);
}

int indexOf(void *item)
{
    return int(reinterpret_cast<quintptr>(item)) - 1;
}

InspectUndoManager *undoManager()
{
    return File::sharedUndoManager();
}

} // namespace

DomInfoDelegate::DomInfoDelegate(QObject *parent)
    : QObject(parent)
{
}

DomInfoDelegate::~DomInfoDelegate()
{
    watchShownNode(nullptr);
    if (m_domInfo)
        m_domInfo->setDataSource(nullptr);
    delete m_view.data();
}

void DomInfoDelegate::awakeFromNib()
{
    if (m_view)
        return;
    m_view = new QWidget;
    m_view->setObjectName(QStringLiteral("domInfoContent"));
    auto *layout = new QVBoxLayout(m_view);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    auto *list = new OutlineViewEx(m_view);
    list->setObjectName(QStringLiteral("domInfo"));
    // The values take the width the names leave: columns wider than the
    // list would let an edit scroll it sideways, cutting off the names'
    // first letters for good.
    list->setTableColumns({TableColumn{QStringLiteral("name"), QStringLiteral("Name"), 90},
                           TableColumn{QStringLiteral("value"), QStringLiteral("Value"), 60}});
    // The fields above the list name its columns: the list has no header
    // of its own, and a short pane shows a row more.
    list->setHeaderVisible(false);
    list->setRowHeight(20);
    list->setPreferredRowCount(5);
    list->setRootIsDecorated(false);
    list->setIndentationPerLevel(0);
    list->registerCell(QStringLiteral("DomInfoCell"), new DOMInfoCell(this, list));
    list->setDataSource(this);
    OutlineDelegate delegate;
    delegate.cellIdentifierForTableColumn = [](OutlineView *, int, void *) { return QStringLiteral("DomInfoCell"); };
    delegate.heightOfRowByItem = [](OutlineView *, void *) { return 20.0; };
    delegate.shouldEditTableColumn = [](OutlineView *, int column, void *) { return column == 1; };
    delegate.keyDown = [this](QKeyEvent *event) { keyDown(event); };
    delegate.delete_ = [this](QObject *) { removeAttr(); };
    list->setDelegate(delegate);
    m_domInfo = list;

    auto *bar = new QWidget(m_view);
    bar->setObjectName(QStringLiteral("domInfoEntry"));
    auto *barLayout = new QHBoxLayout(bar);
    barLayout->setContentsMargins(4, 3, 4, 3);
    barLayout->setSpacing(4);
    m_attrName = new QLineEdit(bar);
    m_attrName->setObjectName(QStringLiteral("attrName"));
    m_attrName->setPlaceholderText(QStringLiteral("Name"));
    m_attrValue = new QLineEdit(bar);
    m_attrValue->setObjectName(QStringLiteral("attrValue"));
    m_attrValue->setPlaceholderText(QStringLiteral("Value"));
    auto *addButton = new QToolButton(bar);
    addButton->setObjectName(QStringLiteral("addAttr"));
    addButton->setText(QStringLiteral("+"));
    addButton->setToolTip(QStringLiteral("Add the attribute"));
    auto *removeButton = new QToolButton(bar);
    removeButton->setObjectName(QStringLiteral("removeAttr"));
    removeButton->setText(QStringLiteral("\u2212"));
    removeButton->setToolTip(QStringLiteral("Remove the selected attribute"));
    barLayout->addWidget(m_attrName, 2);
    barLayout->addWidget(m_attrValue, 3);
    barLayout->addWidget(addButton);
    barLayout->addWidget(removeButton);
    // The fields above the list: a short pane still shows them.
    layout->addWidget(bar);
    layout->addWidget(list, 1);

    // A double click on a name or a value edits the value, as Return does.
    connect(list, &TableViewBase::rowDoubleClicked, this, [this] {
        if (m_domInfo && m_domInfo->clickedRow() >= 0)
            m_domInfo->editColumn(1, m_domInfo->clickedRow(), true);
    });
    connect(m_attrName, &QLineEdit::returnPressed, this, [this] { addAttr(); });
    connect(m_attrValue, &QLineEdit::returnPressed, this, [this] { addAttr(); });
    connect(addButton, &QToolButton::clicked, this, [this] { addAttr(); });
    connect(removeButton, &QToolButton::clicked, this, [this] { removeAttr(); });
}

QWidget *DomInfoDelegate::view() const
{
    return m_view;
}

DOMElementPtr DomInfoDelegate::inspectedElement() const
{
    DOMNode *node = m_inspectedNode ? m_inspectedNode->node() : nullptr;
    return node && node->isElement() ? node->sharedAs<DOMElement>() : nullptr;
}

DOMElementPtr DomInfoDelegate::editableElement() const
{
    DOMElementPtr element = inspectedElement();
    if (element && m_domTreeDelegate && !m_domTreeDelegate->canEdit(element.get()))
        return nullptr;
    return element;
}

void DomInfoDelegate::clear(const QString &reason)
{
    initDomInfo(nullptr);
    if (m_domInfo)
        m_domInfo->setEmptyMessage(reason);
}

void DomInfoDelegate::initDomInfo(DOMNodeEx *row)
{
    if (m_domInfo && row)
        m_domInfo->setEmptyMessage({});
    m_inspectedNode.reset();
    watchShownNode(row && row->node() ? row->sharedNode() : nullptr);
    if (row) {
        DOMNodeEx *target = row->node() && row->node()->isCharacterData() ? row->parentNodeEx() : row;
        m_inspectedNode = target ? target->shared_from_this() : nullptr;
    }
    reloadAttributes();
}

void DomInfoDelegate::watchShownNode(const DOMNodePtr &node)
{
    if (m_shownNode)
        m_shownNode->removeEventListeners(this);
    m_shownNode = node;
    if (!node || !node->isElement())
        return;
    // Every change of its attributes comes through the mirror, from any
    // editor, Undo and Redo, or a page script (#78).
    node->addEventListener(DOMEventType::attrModified, this, [this](const DOMMutationEvent &event) {
        if (event.target == m_shownNode.get())
            followAttributes();
    });
}

void DomInfoDelegate::reloadAttributes()
{
    m_names.clear();
    m_values.clear();
    // A text or comment row's own list is empty; its edits go to its parent.
    const DOMNode *shown = m_shownNode.get();
    if (shown && shown->isElement()) {
        const auto *element = static_cast<const DOMElement *>(shown);
        for (int i = 0; i < element->attributeCount(); ++i) {
            m_names.append(element->attributeAt(i)->name());
            m_values.append(element->attributeAt(i)->value());
        }
    }
    if (m_domInfo)
        m_domInfo->reloadData();
}

void DomInfoDelegate::followAttributes()
{
    const auto *element = static_cast<const DOMElement *>(m_shownNode.get());
    QStringList names;
    for (int i = 0; i < element->attributeCount(); ++i)
        names.append(element->attributeAt(i)->name());
    if (names != m_names) {
        // Rows came or went: listed again, the chosen attribute still chosen.
        const int selected = m_domInfo ? m_domInfo->selectedRow() : -1;
        const QString chosen = selected >= 0 ? m_names.value(selected) : QString();
        reloadAttributes();
        if (m_domInfo && m_names.contains(chosen))
            m_domInfo->selectRowIndexes({int(m_names.indexOf(chosen))}, false);
        return;
    }
    // A value typed in its row is in its editor already: the editor keeps
    // its text and caret.
    const int edited = m_domInfo && m_domInfo->isEditing() ? m_domInfo->currentIndex().row() : -1;
    for (int i = 0; i < m_names.size(); ++i) {
        const QString value = element->attributeAt(i)->value();
        if (value == m_values.at(i))
            continue;
        m_values[i] = value;
        if (m_domInfo && i != edited)
            m_domInfo->reloadItem(itemAt(i));
    }
}

QStringList DomInfoDelegate::attributeNames() const
{
    return m_names;
}

QString DomInfoDelegate::listedValue(const QString &name) const
{
    const qsizetype index = m_names.indexOf(name);
    return index < 0 ? QString() : m_values.at(index);
}

int DomInfoDelegate::numberOfChildrenOfItem(OutlineView *, void *item)
{
    return item ? 0 : int(m_names.size());
}

void *DomInfoDelegate::childOfItem(OutlineView *, int index, void *)
{
    return itemAt(index);
}

bool DomInfoDelegate::isItemExpandable(OutlineView *, void *)
{
    return false;
}

QVariant DomInfoDelegate::objectValueForTableColumn(OutlineView *, int column, void *item, int role)
{
    const int index = indexOf(item);
    if (index < 0 || index >= m_names.size() || (role != Qt::DisplayRole && role != Qt::EditRole))
        return {};
    return column == 0 ? m_names.at(index) : m_values.at(index);
}

bool DomInfoDelegate::setObjectValue(OutlineView *, const QVariant &, int, void *)
{
    // The cell writes each change through changeAttrValue() as it is typed.
    return true;
}

void DomInfoDelegate::keyDown(QKeyEvent *event)
{
    if (KeyCodes::keyCode(event) != KeyCodes::Return || !m_domInfo)
        return;
    const int row = m_domInfo->selectedRow();
    if (row >= 0)
        m_domInfo->editColumn(1, row, true);
}

void DomInfoDelegate::activeateAttributeEditor()
{
    changeTab(1);
}

void DomInfoDelegate::changeTab(int)
{
    // One tab here: the attributes. Their list takes the keyboard, its
    // first row selected, so that Return edits it at once.
    if (!m_domInfo)
        return;
    m_domInfo->setFocus();
    if (m_domInfo->selectedRow() < 0 && m_domInfo->numberOfRows() > 0)
        m_domInfo->selectRowIndexes({0}, false);
}

// --- Edits ------------------------------------------------------------------------------

QList<DomInfoDelegate::Attribute> DomInfoDelegate::attributesOf(const DOMElement &element) const
{
    QList<Attribute> attributes;
    for (int i = 0; i < element.attributeCount(); ++i) {
        const DOMAttr *attribute = element.attributeAt(i);
        attributes.append({attribute->namespaceURI(), attribute->name(), attribute->value()});
    }
    return attributes;
}

void DomInfoDelegate::attributesChanged(const DOMElementPtr &element, const QList<Attribute> &before)
{
    if (m_domTreeDelegate) {
        DOMEditRecord::Attributes names;
        for (const Attribute &attribute : before)
            names.append({attribute.name, attribute.value});
        // What the pane sets is typed whole.
        m_domTreeDelegate->noteEdit(element.get(), [&](DOMEditRecord &edits) {
            edits.noteAttributes(element.get(), names, AttributeEdit::Given::Whole);
        });
    }
    // An SVG element's attributes may change what a "use" shows.
    if (m_domTreeDelegate && element->namespaceId() == DOMNamespace::SVG)
        m_domTreeDelegate->reloadSVGUseNodeWithElement(element.get());
    if (m_inspectedNode && m_inspectedNode->node() == element.get())
        m_inspectedNode->createStartNode();
    NotificationCenter &center = NotificationCenter::defaultCenter();
    center.postNotificationName(QStringLiteral("reSelectDomNod"), this);
    center.postNotificationName(QStringLiteral("attrChanged"), this);
    reloadAttributes();
}

TargetRef DomInfoDelegate::undoTarget(const DOMElementPtr &element) const
{
    return m_domTreeDelegate ? m_domTreeDelegate->undoTarget(element) : TargetRef(std::weak_ptr<DOMElement>(element));
}

void DomInfoDelegate::registerRestore(const DOMElementPtr &element, const QList<Attribute> &attributes)
{
    if (InspectUndoManager *undo = undoManager()) {
        undo->setActionName(QStringLiteral("Edit Attributes"));
        undo->prepareWithInvocationTarget(undoTarget(element), [guard = QPointer<DomInfoDelegate>(this), element, attributes] {
            if (guard)
                guard->restoreAttributes(element, attributes);
        });
    }
}

void DomInfoDelegate::restoreAttributes(const DOMElementPtr &element, const QList<Attribute> &attributes)
{
    if (m_domTreeDelegate && m_domTreeDelegate->followsTextForNodeGone(element.get()))
        return;
    const QList<Attribute> current = attributesOf(*element);
    registerRestore(element, current);
    while (element->attributeCount() > 0)
        element->removeAttributeNode(element->attributeAt(element->attributeCount() - 1));
    for (const Attribute &attribute : attributes)
        element->setAttributeNS(attribute.namespaceURI, attribute.name, attribute.value);
    attributesChanged(element, current);
}

void DomInfoDelegate::doSetAttr(const DOMAttrPtr &attribute, const DOMElementPtr &element)
{
    if (!attribute || !element)
        return;
    const QList<Attribute> before = attributesOf(*element);
    registerRestore(element, before);
    element->setAttributeNode(attribute);
    attributesChanged(element, before);
}

void DomInfoDelegate::doRemoveAttr(const QString &name, const DOMElementPtr &element)
{
    if (!element || !element->hasAttribute(name))
        return;
    const QList<Attribute> before = attributesOf(*element);
    registerRestore(element, before);
    element->removeAttribute(name);
    attributesChanged(element, before);
}

void DomInfoDelegate::doChangeAttrValue(const DOMElementPtr &element, const QString &name, const QString &value)
{
    DOMAttr *attribute = element ? element->getAttributeNode(name) : nullptr;
    if (!attribute)
        return;
    InspectUndoManager *undo = undoManager();
    if (undo) {
        const QString old = attribute->value();
        undo->setActionName(QStringLiteral("Edit Attributes"));
        undo->prepareWithInvocationTarget(undoTarget(element), [guard = QPointer<DomInfoDelegate>(this), element, name, old] {
                                              if (guard)
                                                  guard->doChangeAttrValue(element, name, old);
                                          });
        // Each keystroke is a step of its own.
        undo->reserveCloseGroupingAtEndOfRunLoop();
    }
    const QString before = attribute->value();
    attribute->setValue(value);
    if (m_domTreeDelegate) {
        m_domTreeDelegate->noteEdit(element.get(), [&](DOMEditRecord &edits) {
            edits.noteAttribute(element.get(), name, before, AttributeEdit::Given::Whole);
        });
        // Its file text in the same step, so that undoing it undoes both (#63).
        m_domTreeDelegate->writeFileNow();
    }
    if (undo && (undo->isUndoing() || undo->isRedoing())) {
        const QList<int> selected = m_domInfo ? m_domInfo->selectedRowIndexes() : QList<int>();
        reloadAttributes();
        if (m_domInfo)
            m_domInfo->selectRowIndexes(selected, false);
    }
    NotificationCenter::defaultCenter().postNotificationName(QStringLiteral("redrawDomNode"), element.get());
}

void DomInfoDelegate::changeAttrValue(const QString &name, const QString &value)
{
    doChangeAttrValue(editableElement(), name, value);
}

void DomInfoDelegate::valueChanged()
{
    // A changed style-sheet link takes effect once the page is saved and
    // loaded again; the tree's alert says so (with the tree's link edits).
}

void DomInfoDelegate::addAttr()
{
    if (!m_attrName || !m_attrValue)
        return;
    const QString name = m_attrName->text().trimmed();
    const QString value = m_attrValue->text();
    if (name.isEmpty() || value.isEmpty())
        return;
    const DOMElementPtr element = editableElement();
    if (!element)
        return;
    DOMDocument *document = element->ownerDocument();
    if (!document)
        return;
    // HTML attribute names are case-insensitive and written in lower case;
    // SVG and MathML keep theirs ("viewBox").
    DOMAttrPtr attribute;
    if (element->isHTMLElement()) {
        attribute = document->createAttribute(name);
    } else {
        const QString ns = name.startsWith(QLatin1String("xlink:")) ? DOMNamespaces::xlink : QString();
        attribute = document->createAttributeNS(ns, name);
    }
    if (!attribute) {
        Alert alert;
        alert.setMessageText(QStringLiteral("Invalid Attribute Name"));
        alert.setInformativeText(QStringLiteral("[%1] is invalid Attribute Name.").arg(name));
        alert.addButtonWithTitle(QStringLiteral("OK"));
        alert.runModal(m_view);
        return;
    }
    attribute->setValue(value);
    doSetAttr(attribute, element);
    m_attrName->clear();
    m_attrValue->clear();
    if (m_domInfo)
        m_domInfo->setFocus();
}

void DomInfoDelegate::removeAttr()
{
    if (!m_domInfo)
        return;
    const int row = m_domInfo->selectedRow();
    if (row < 0 || row >= m_names.size())
        return;
    doRemoveAttr(m_names.at(row), editableElement());
}

#pragma once

#include "DomTreeDelegate.h"

#include "platform/kit/OutlineDataSource.h"
#include "platform/kit/OutlineView.h"
#include "platform/web/dom/DOMElement.h"
#include "preview/ExWebView.h"

#include <QLineEdit>
#include <QObject>
#include <QPointer>

#include <memory>

class DOMNodeEx;
class QKeyEvent;
class QWidget;
struct Notification;

// The attribute inspector under the DOM tree: the attributes of the selected
// node as name and value rows. A value is edited in place, each keystroke
// reaching the page at once as an undo step of its own; an attribute is added
// from the two fields below the list (Return or the add button) and the
// selected one removed (Delete or the remove button). Every change is made
// on the page's element, recorded for the write-back and announced, so that
// the tree redraws its row and writes the page back.
//
// The edits go to the inspected row's element: for a text or comment row,
// its parent element. The inspector owns its view; the tree and the preview
// are not owned.
class DomInfoDelegate : public QObject, public OutlineDataSource
{
    Q_OBJECT

public:
    explicit DomInfoDelegate(QObject *parent = nullptr);
    ~DomInfoDelegate() override;

    // Builds the view (the list and the two entry fields). Once.
    void awakeFromNib();
    QWidget *view() const;

    void setDomTreeDelegate(DomTreeDelegate *delegate) { m_domTreeDelegate = delegate; }
    void setWebview(ExWebView *webview) { m_webview = webview; }

    // Shows the attributes of the row's element.
    void initDomInfo(DOMNodeEx *row);
    // Inspects nothing, the empty list saying why in one line (when given).
    void clear(const QString &reason = {});
    // Lists the attributes of the inspected element again.
    void reloadAttributes();
    // The value listed for an attribute, as the list shows it.
    QString listedValue(const QString &name) const;
    DOMNodeEx *inspectedNode() const { return m_inspectedNode.get(); }
    // The names of the attributes listed, in the element's order.
    QStringList attributeNames() const;

    OutlineView *domInfo() const { return m_domInfo; }
    QLineEdit *attrName() const { return m_attrName; }
    QLineEdit *attrValue() const { return m_attrValue; }

    // Adds the attribute of the two fields; an invalid name is refused with
    // an alert and nothing changes.
    void addAttr();
    // Removes the selected attribute.
    void removeAttr();
    // Gives the list the keyboard, ready to edit.
    void activeateAttributeEditor();
    void changeTab(int index);
    // The value of the listed attribute as it is typed (one undo step each).
    void changeAttrValue(const QString &name, const QString &value);
    // The edit of a value ended with other text than it began with.
    void valueChanged();

    // Edit primitives; each registers its inverse with the shared undo
    // manager. Adding and removing restore the whole list when undone, so
    // that the attributes come back in their order.
    void doSetAttr(const DOMAttrPtr &attribute, const DOMElementPtr &element);
    void doRemoveAttr(const QString &name, const DOMElementPtr &element);
    void doChangeAttrValue(const DOMElementPtr &element, const QString &name, const QString &value);

    // OutlineDataSource: a flat list of names and values.
    int numberOfChildrenOfItem(OutlineView *outlineView, void *item) override;
    void *childOfItem(OutlineView *outlineView, int index, void *item) override;
    bool isItemExpandable(OutlineView *outlineView, void *item) override;
    QVariant objectValueForTableColumn(OutlineView *outlineView, int column, void *item, int role) override;
    bool setObjectValue(OutlineView *outlineView, const QVariant &value, int column, void *item) override;

private:
    struct Attribute
    {
        QString namespaceURI;
        QString name;
        QString value;
        bool operator==(const Attribute &) const = default;
    };
    QList<Attribute> attributesOf(const DOMElement &element) const;
    void restoreAttributes(const DOMElementPtr &element, const QList<Attribute> &attributes);
    // Registers putting the attributes back as the inverse of an edit.
    void registerRestore(const DOMElementPtr &element, const QList<Attribute> &attributes);
    TargetRef undoTarget(const DOMElementPtr &element) const;
    void attributesChanged(const DOMElementPtr &element, const QList<Attribute> &before);
    DOMElementPtr inspectedElement() const;
    // The shown element's attributes changed, by whichever editor, its Undo
    // or Redo, or the page: the list shows them at once.
    void followAttributes();
    void watchShownNode(const DOMNodePtr &node);
    // The same, when the tree lets it be edited (a refusal is logged).
    DOMElementPtr editableElement() const;
    void keyDown(QKeyEvent *event);

    QPointer<QWidget> m_view;
    // The view goes with the pane that shows it, possibly first.
    QPointer<OutlineView> m_domInfo;
    QPointer<QLineEdit> m_attrName;
    QPointer<QLineEdit> m_attrValue;
    QPointer<DomTreeDelegate> m_domTreeDelegate;
    QPointer<ExWebView> m_webview;
    std::shared_ptr<DOMNodeEx> m_inspectedNode;
    // The node of the row shown, whose attributes are listed.
    DOMNodePtr m_shownNode;
    // The listed attributes' names, which the rows stand for, and their
    // values as listed.
    QStringList m_names;
    QStringList m_values;
};

#pragma once

#include "CSSRule.h"

#include "platform/kit/ViewController.h"

#include <QVariantList>

class AddDeclarationCell;
class CSSPropertyDataSource;
class CSSSnippetDataSource;
class LinearOutlineDataSource;
class QListView;
class QPushButton;
class SearchFieldEx;
class SegmentedControl;

// The content of the add-declaration popover: a switch between property
// names and CSS snippets, a search field that narrows the list (and
// completes a property name as it is typed), and the list. The keyboard
// stays in the search field: the arrow keys move in the list, Return adds
// the selection, Escape closes the popover.
class AddDeclarationViewController : public ViewController
{
    Q_OBJECT

public:
    enum Segment { Properties = 0, Snippets = 1 };

    explicit AddDeclarationViewController(QObject *parent = nullptr);
    ~AddDeclarationViewController() override;

    // The rule the popover adds to; its declarations show in red.
    CSSRulePtr targetSelector() const { return m_targetSelector; }
    void setTargetSelector(const CSSRulePtr &rule) { m_targetSelector = rule; }
    // What the selected row adds: a property name (QString), or the
    // declarations of a snippet (CSSPropertyPtr each); empty without a selection.
    QVariantList selectedElements() const { return m_selectedElements; }

    int segment() const;
    void changeSegment(int segment);
    void refreshList(bool keepSelection);
    // Narrows the list to the text; names are completed to their longest
    // common beginning unless the last edit deleted backwards.
    void updateSearchField(const QString &text);
    // The name would be red: the target already declares it.
    bool isDeclared(const QString &name) const;

    void popoverWillShow();
    void popoverDidShow();
    void popoverWillClose();

    SearchFieldEx *searchTextField() const { return m_searchTextField; }
    QListView *outlineView() const { return m_outlineView; }
    QPushButton *okButton() const { return m_okButton; }
    LinearOutlineDataSource *currentDataSource() const;

Q_SIGNALS:
    // The user chose what to add (Return, a double click, the Add button).
    void confirmed();
    // Escape in the search field.
    void cancelled();

protected:
    void loadView() override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void selectionDidChange();
    void selectRow(int row);

    SegmentedControl *m_seg = nullptr;          // Owned by the view.
    SearchFieldEx *m_searchTextField = nullptr; // Owned by the view.
    QListView *m_outlineView = nullptr;         // Owned by the view.
    QPushButton *m_okButton = nullptr;          // Owned by the view.
    CSSPropertyDataSource *m_propertyDataSource = nullptr; // Owned (child).
    CSSSnippetDataSource *m_snippetDataSource = nullptr;   // Owned (child).
    AddDeclarationCell *m_cell = nullptr;                  // Owned (child).
    CSSRulePtr m_targetSelector;
    QVariantList m_selectedElements;
    // The last edit of the search text deleted backwards: no completion.
    bool m_deletedBackward = false;
};

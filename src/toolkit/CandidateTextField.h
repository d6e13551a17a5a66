#pragma once

#include "platform/kit/KeyCodes.h"
#include "platform/kit/OutlineDataSource.h"

#include <QPointer>
#include <QVariant>
#include <QWidget>

#include <functional>
#include <memory>

class OutlineView;
class RBLPopover;
class TextField;
class ViewController;

// A filter over candidates; empty means no filter.
using CandidatePredicate = std::function<bool(const QVariant &candidate)>;

// The data source of a candidate list: a flat list (the children of the null
// item) narrowed by a predicate. Candidates are strings, or maps or objects
// with a "title" value.
class CandidateDataSource : public OutlineDataSource
{
public:
    virtual void setPredicate(CandidatePredicate predicate) = 0;
    virtual CandidatePredicate predicate() const = 0;
    virtual QVariant candidateForItem(void *item) const = 0;
};

// What a candidate field asks of its delegate. dataSource is required;
// predicate is optional (empty: the delegate does not answer it, and typing
// then neither filters nor completes).
struct CandidateTextFieldDelegate
{
    std::function<CandidateDataSource *()> dataSource;
    // The filter for the field's current text.
    std::function<CandidatePredicate()> predicate;
};

// A text field with a drop-down list of candidates that narrows while the user
// types and completes the typed text to the longest prefix the remaining
// candidates share, with the completed part selected so that typing on
// replaces it. The drop-down is a popover that never takes the keyboard focus.
class CandidateTextField : public QWidget
{
    Q_OBJECT

public:
    explicit CandidateTextField(QWidget *parent = nullptr);
    ~CandidateTextField() override;

    void setDelegate(CandidateTextFieldDelegate delegate) { m_delegate = std::move(delegate); }
    const CandidateTextFieldDelegate &delegate() const { return m_delegate; }

    bool ignoreChangeText() const { return m_ignoreChangeText; }
    // Whether Return commits the text while the drop-down is shown (else it
    // only closes the drop-down, and a second Return commits).
    bool commitWithEnterSelection() const { return m_commitWithEnterSelection; }
    void setCommitWithEnterSelection(bool commit) { m_commitWithEnterSelection = commit; }

    TextField *textField() const { return m_textField; }
    ViewController *popoverViewController() const { return m_popoverViewController.get(); }
    QWidget *dropdown() const { return m_dropdown; }
    OutlineView *table() const { return m_table; }
    RBLPopover *popover() const { return m_popover.get(); }

    // Closes the drop-down and reloads the list after the data source changed.
    void setNeedsRefresh();
    void clear();
    QVariant objectForSelection() const;
    QString labelForObject() const;
    void updateLabelForSelection();
    QString stringValue() const;

    void openDropDown();
    void closeDropDown();
    void selectDown();
    void selectUp();

    // The text field's delegate messages.
    void controlTextDidChange();
    void controlTextDidEndEditing();
    bool doCommandBySelector(TextCommand command);

    // The label of a candidate: the string itself, or its "title" value.
    static QString labelOfCandidate(const QVariant &candidate);

Q_SIGNALS:
    // The field's action: Return committed the text (read it before the
    // field clears itself).
    void activated();

private:
    CandidateDataSource *dataSource() const;
    bool isDropDownShown() const;
    void selectRow(int row);

    CandidateTextFieldDelegate m_delegate;
    bool m_ignoreChangeText = false;
    bool m_commitWithEnterSelection = false;
    TextField *m_textField; // Owned (child).
    std::unique_ptr<ViewController> m_popoverViewController;
    QPointer<QWidget> m_dropdown;
    QPointer<OutlineView> m_table;
    std::unique_ptr<RBLPopover> m_popover;
};

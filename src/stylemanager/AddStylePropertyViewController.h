#pragma once

#include "interfaces/AddStylePropertyInterface.h"
#include "platform/foundation/Result.h"
#include "stylesheet/CSSProperty.h"

#include <QObject>
#include <QPointer>

#include <memory>

class CSSOutlineDelegate;
class CSSPropertyDataSource;
class CSSSnippetDataSource;
class CandidateListAdapter;
class CandidateTextField;
class LinearOutlineDataSource;
class QComboBox;

// The add property panel below the rules: a type pop-up ("Single" or
// "Preset") and a candidate field whose drop-down lists property names or
// CSS snippets. A property the target rule already has is listed in red.
// Return hands the chosen declarations to the rules panel.
class AddStylePropertyViewController : public QObject, public AddStylePropertyInterface
{
    Q_OBJECT

public:
    explicit AddStylePropertyViewController(CSSOutlineDelegate *cssOutlineDelegate, QObject *parent = nullptr);
    ~AddStylePropertyViewController() override;

    // AddStylePropertyInterface
    QWidget *view() override;
    void setTargetSelector(const std::shared_ptr<CSSRule> &rule) override { m_targetSelector = rule; }
    void setPropertyCanAdd(bool canAdd) override;
    int type() const override;
    QVariantList selectedElements() const override { return m_selectedElements; }

    std::shared_ptr<CSSRule> targetSelector() const { return m_targetSelector; }
    // The add type is shared by every instance and kept for the whole run.
    static void setType(int type);
    // The field's placeholder for the type.
    static QString placeholder();
    void changeType();
    void refreshList();
    LinearOutlineDataSource *dataSource();
    // The filter for the field's text: names, or snippet titles, beginning with it.
    std::function<bool(const QVariant &)> predicate() const;
    // The drop-down's selection into selectedElements(); none keeps them.
    void outlineViewSelectionDidChange();
    // A row's text colour and tool tip.
    QVariant decorationForItem(const QVariant &item, int role) const;

    // Typed text as one declaration: "name", "name: value", "name: value;" or
    // "name:value !important" (the value then empty for a name alone); any other
    // text fails with the message the panel shows.
    static Result<CSSPropertyPtr> declarationFromText(const QString &text);

    CandidateTextField *candidateTextField() const { return m_candidateTextField; }
    QComboBox *propertyTypeList() const { return m_propertyTypeList; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void commit();
    // The field is enabled when a rule can take declarations, and while the user types in it.
    void updateEnabled(bool typing);

    QPointer<CSSOutlineDelegate> m_cssOutlineDelegate;
    CSSPropertyDataSource *m_propertyDataSource = nullptr; // Owned (child).
    CSSSnippetDataSource *m_snippetDataSource = nullptr;   // Owned (child).
    std::unique_ptr<CandidateListAdapter> m_candidates;
    QVariantList m_selectedElements;
    std::shared_ptr<CSSRule> m_targetSelector;
    bool m_canAdd = false;
    QPointer<QWidget> m_view;                           // Owned until the rules panel takes it.
    QComboBox *m_propertyTypeList = nullptr;            // Owned by the view.
    CandidateTextField *m_candidateTextField = nullptr; // Owned by the view.
    QPointer<QWidget> m_watchedTextField;               // The field's text field, whose focus is followed.
};

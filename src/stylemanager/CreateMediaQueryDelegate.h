#pragma once

#include "CreateSelectorDelegate.h"

#include <memory>

class CandidateListAdapter;
class CandidateTextField;
class MediaRecommendDataSource;

// The "@media" tab: a new @media block (or a copy of one) in a style sheet,
// after one of its @media blocks. The query is typed with a drop-down of
// recommended queries, or taken from the template pop-up.
class CreateMediaQueryDelegate : public CreateSelectorDelegate
{
    Q_OBJECT

public:
    explicit CreateMediaQueryDelegate(CSSOutlineDelegate *cssOutlineDelegate, QObject *parent = nullptr);
    ~CreateMediaQueryDelegate() override;

    void setCreateSelectorMode(File *file) override;
    void setDuplicateMode(const std::shared_ptr<CSSCopyInfo> &copy) override;
    int insertIndex() const override;
    void changeTemplateList();
    void initFiles() override;
    void setStyleList() override;
    void controlTextDidChange() override;
    // The query as typed.
    QString selectorName() override;
    MediaRecommendDataSource *dataSource();
    // A heading entry, then one map with "name" per template.
    static QVariantList getTemplateMediaQueryList();

    QLineEdit *selectorNameInputView() const override;
    CandidateTextField *candidateField() const { return m_candidateField; }
    QComboBox *recommendedMediaQuerySelectList() const { return m_recommendedMediaQuerySelectList; }

protected:
    QWidget *makeNameField(QWidget *page) override;
    void addExtraRows(QWidget *page, QVBoxLayout *layout) override;
    void cssValidatorInitialized() override;
    // Fills the target chooser with the style sheets only.
    void initFileChooser();
    void fillTemplateList();

private:
    CandidateTextField *m_candidateField = nullptr;              // Owned by the view.
    QComboBox *m_recommendedMediaQuerySelectList = nullptr;      // Owned by the view.
    MediaRecommendDataSource *m_dataSource = nullptr;            // Owned (child).
    std::unique_ptr<CandidateListAdapter> m_candidates;
};

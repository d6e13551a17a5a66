#pragma once

#include "stylesheet/StyleDeclaration.h"
#include "workspace/File.h"

#include <QList>
#include <QObject>
#include <QPointer>
#include <QVariantMap>

#include <memory>

class CSSCopyInfo;
class CSSOutlineDelegate;
class CSSRule;
class CSSSnippetDataSource;

class InsertIndicatorOutlineView;
class LinearOutlineDataSource;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QListView;
class QProgressBar;
class QPushButton;
class QVBoxLayout;
class QWidget;

// The "Rule" tab of the create rule dialog, and the base of its other tabs:
// the target style sheet (and, here, the @media block inside it), the rule
// the new one follows, the name with its live selector check, and the
// snippets offered as the new rule's body. Each tab keeps its choices
// between presentations until a mode or the user changes them.
class CreateSelectorDelegate : public QObject
{
    Q_OBJECT

public:
    explicit CreateSelectorDelegate(CSSOutlineDelegate *cssOutlineDelegate, QObject *parent = nullptr);
    ~CreateSelectorDelegate() override;

    // The tab's page, made on the first call.
    QWidget *view();

    // --- Modes -----------------------------------------------------------------------------------
    virtual void setCreateSelectorMode(File *file);
    virtual void setCreateSelectorInMediaMode(const std::shared_ptr<CSSRule> &media);
    virtual void setDuplicateMode(const std::shared_ptr<CSSCopyInfo> &copy);
    void setSelectorName(const QString &name);
    virtual void setSelectedFile(File *file);
    virtual void setSelectedDec(const StyleDeclarationPtr &declaration);

    // --- Results ---------------------------------------------------------------------------------
    File *selectedFile() const { return m_selectedFile; }
    StyleDeclarationPtr selectedMedia() const { return m_selectedMedia; }
    StyleDeclarationPtr selectedDec() const { return m_selectedDec; }
    // The item of the insert-after chooser.
    StyleDeclarationPtr afterAt() const;
    // afterAt()'s index in its file's items; -1 when not found.
    virtual int insertIndex() const;
    int selectionState() const { return 1; }
    // The name to create, normalised into the field first.
    virtual QString selectorName();
    std::shared_ptr<CSSCopyInfo> cssCopyInfo() const { return m_copyInfo; }
    bool openSource() const;
    // The declarations of the chosen snippet, "name:value;" each.
    virtual QString preset() const;
    virtual QList<QVariantMap> presetKeyframes() const { return {}; }
    bool isValid() const;

    // --- The choosers ----------------------------------------------------------------------------
    virtual void initFiles();
    void selectFileGroup(File *file);
    void selectMediaGroup(const StyleDeclarationPtr &media);
    virtual void setStyleList();
    void selectDec();
    void changeFile();
    // Every keystroke: the check and the OK button.
    virtual void controlTextDidChange();
    void validateSelector();
    virtual void cssValidatorInitialized();

    // The top-level declarations of the file (parsed first when never).
    static QList<StyleDeclarationPtr> getDeclarationList(File *file);
    QList<StyleDeclarationPtr> getChildSelectorList(const StyleDeclarationPtr &declaration) const;

    // --- Views -----------------------------------------------------------------------------------
    virtual QLineEdit *selectorNameInputView() const { return m_nameField; }
    QComboBox *fileSelectListView() const { return m_fileSelectListView; }
    QComboBox *styleSelectListView() const { return m_styleSelectListView; }
    InsertIndicatorOutlineView *styleListView() const { return m_styleListView; }
    QCheckBox *openSourceSwitch() const { return m_openSourceSwitch; }
    QPushButton *okButton() const { return m_okButton; }
    QPushButton *cancelButton() const { return m_cancelButton; }
    QListView *presetList() const { return m_presetList; }
    QLabel *validatorStatusLabel() const { return m_validatorStatusLabel; }
    QProgressBar *validatorStatusIndicator() const { return m_validatorStatusIndicator; }
    // The title the chooser shows for the item (the indent left off).
    static QString titleOf(const QComboBox *chooser, int index);
    // Selects the first item with the title; false when there is none.
    static bool setTitle(QComboBox *chooser, const QString &title);

Q_SIGNALS:
    void okPressed();
    void cancelPressed();

protected:
    // The name field's row of the page; the rule tab's is a plain line edit.
    virtual QWidget *makeNameField(QWidget *page);
    // Rows a tab adds below the name (the @media tab's templates).
    virtual void addExtraRows(QWidget *page, QVBoxLayout *layout);
    virtual LinearOutlineDataSource *makePresetSource();
    // The heading of the preset list.
    virtual QString presetTitle() const;
    virtual bool takesPartInValidation() const { return true; }
    void enableOk(bool enabled);
    // Adds an item to a chooser: its title, an optional indent, and what it stands for.
    void addTargetItem(const QString &title, File *file, const StyleDeclarationPtr &media, int indent);
    void addDecItem(const QString &title, const StyleDeclarationPtr &declaration);
    void clearDecItems();
    // Selects the declaration's item in the insert-after chooser, when it has one.
    void showDecItem(const StyleDeclarationPtr &declaration);
    void fillDecItemsWithMedia(const StyleDeclarationPtr &media);
    void postInsertFileChanged();

    QPointer<CSSOutlineDelegate> m_cssOutlineDelegate;
    QPointer<File> m_selectedFile;
    StyleDeclarationPtr m_selectedMedia;
    StyleDeclarationPtr m_selectedDec;
    std::shared_ptr<CSSCopyInfo> m_copyInfo;
    LinearOutlineDataSource *m_presetSource = nullptr; // Owned (child).

    struct TargetItem
    {
        QPointer<File> file;
        StyleDeclarationPtr media;
    };
    QList<TargetItem> m_targetItems;
    QList<StyleDeclarationPtr> m_decItems;

    QPointer<QWidget> m_view;                            // Owned; parented to the dialog's tabs once shown.
    QLineEdit *m_nameField = nullptr;                    // Owned by the view.
    QComboBox *m_fileSelectListView = nullptr;           // Owned by the view.
    QComboBox *m_styleSelectListView = nullptr;          // Owned by the view.
    InsertIndicatorOutlineView *m_styleListView = nullptr; // Owned by the view.
    QCheckBox *m_openSourceSwitch = nullptr;             // Owned by the view.
    QPushButton *m_okButton = nullptr;                   // Owned by the view.
    QPushButton *m_cancelButton = nullptr;               // Owned by the view.
    QListView *m_presetList = nullptr;                   // Owned by the view.
    QLabel *m_validatorStatusLabel = nullptr;            // Owned by the view.
    QProgressBar *m_validatorStatusIndicator = nullptr;  // Owned by the view.
};

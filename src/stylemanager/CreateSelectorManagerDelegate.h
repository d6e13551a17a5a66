#pragma once

#include "interfaces/CreateSelectorManagerInterface.h"

#include <QObject>
#include <QPointer>

class CSSOutlineDelegate;
class CreateKeyframeDelegate;
class CreateMediaQueryDelegate;
class CreateSelectorDelegate;
class QComboBox;
class QDialog;
class QLineEdit;
class QStackedWidget;
class SegmentedControl;
class QWidget;
struct Notification;

// The create rule dialog: a window-modal sheet with a type control ("Rule",
// "@media", "@keyframe") over three tabs, each run by its own controller.
// The rules panel sets a mode, shows it, and on OK reads the results and
// performs the insertion; the dialog only collects what to insert and where.
class CreateSelectorManagerDelegate : public QObject, public CreateSelectorManagerInterface
{
    Q_OBJECT

public:
    explicit CreateSelectorManagerDelegate(CSSOutlineDelegate *cssOutlineDelegate, QObject *parent = nullptr);
    ~CreateSelectorManagerDelegate() override;

    // CreateSelectorManagerInterface
    void setCreateSelectorMode(File *file) override;
    void setCreateSelectorInMediaMode(const std::shared_ptr<CSSRule> &media) override;
    void setDuplicateMode(const std::shared_ptr<CSSCopyInfo> &copy) override;
    void setCreateKeyframeMode() override;
    void setSelectorName(const QString &name) override;
    void prepareSelection(File *file) override;
    void prepareSelection(const std::shared_ptr<StyleDeclaration> &declaration) override;
    void present(QWidget *over) override;
    int type() const override;
    File *selectedFile() const override;
    QString selectorName() override;
    std::shared_ptr<CSSCopyInfo> cssCopyInfo() const override;
    bool openSource() const override;
    QString presetBody() const override;
    QList<QVariantMap> presetKeyframes() const override;
    std::shared_ptr<StyleDeclaration> afterAt() const override;
    void endSheet(int returnCode) override;

    CreateSelectorDelegate *targetDelegate() const;
    int insertIndex() const;
    int selectionState() const;
    // The name field of the current tab.
    QLineEdit *currentInput() const;
    // Shows the tab of the type (0, 1, 2) and selects its segment.
    void selectType(int type);
    void typeChange();
    void changeFile(File *file);
    void cancelStyleSheetManager();
    void okStyleSheetManager();

    CreateSelectorDelegate *selectorDelegate() const { return m_selectorDelegate; }
    CreateMediaQueryDelegate *mediaDelegate() const { return m_mediaDelegate; }
    CreateKeyframeDelegate *keyframeDelegate() const { return m_keyframeDelegate; }
    QDialog *viewPanel();
    SegmentedControl *typeSelector() const { return m_typeSelector; }
    QStackedWidget *tabView() const { return m_tabView; }
    QWidget *ownerWindow() const { return m_ownerWindow; }
    void setOwnerWindow(QWidget *window) { m_ownerWindow = window; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void awakeFromNib();
    void insertFileChanged(const Notification &notification);
    QList<CreateSelectorDelegate *> tabs() const;

    QPointer<CSSOutlineDelegate> m_cssOutlineDelegate;
    CreateSelectorDelegate *m_selectorDelegate = nullptr;   // Owned (child).
    CreateMediaQueryDelegate *m_mediaDelegate = nullptr;    // Owned (child).
    CreateKeyframeDelegate *m_keyframeDelegate = nullptr;   // Owned (child).
    QPointer<QDialog> m_viewPanel;                          // Owned; reparented to the owner window when shown.
    SegmentedControl *m_typeSelector = nullptr;             // Owned by the panel.
    QComboBox *m_typeSelectorButton = nullptr;              // Owned by the panel.
    QStackedWidget *m_tabView = nullptr;                    // Owned by the panel.
    QPointer<QWidget> m_ownerWindow;
};

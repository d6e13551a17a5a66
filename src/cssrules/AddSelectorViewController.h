#pragma once

#include "platform/foundation/Range.h"
#include "platform/kit/ViewController.h"
#include "stylesheet/StyleDeclaration.h"
#include "workspace/File.h"

#include <QHash>
#include <QList>
#include <QPointer>
#include <QStringList>
#include <QVariantList>

#include <memory>

class CSSCopyInfo;
class QButtonGroup;
class QComboBox;
class QFormLayout;
class QLabel;
class QLineEdit;
class QPushButton;
class QWidget;

// The content of the add-selector popover: the kind of rule (a style rule,
// a media rule, a keyframes rule), the style sheet and the rule it follows,
// and its selector, media query or animation name, checked as it is typed
// with the words it does not take marked red. It creates nothing itself:
// confirmed() tells its owner, which reads selectorType(), selectorName(),
// selectedCSSFile() and selectedDeclaration().
class AddSelectorViewController : public ViewController
{
    Q_OBJECT

public:
    enum Kind { StyleRule = 0, MediaRule = 1, Keyframes = 2 };

    explicit AddSelectorViewController(QObject *parent = nullptr);
    ~AddSelectorViewController() override;

    // Inputs.
    void setStyleFiles(const QList<File *> &files);
    void setStyleSheetName(const QString &name) { m_styleSheetName = name; }
    void setTitle(const QString &title) { m_title = title; }
    // Copy mode: a style rule like the copied one, in its style sheet, under
    // a selector of its own (the copied selector, in any case, is refused).
    void setCopyMode(bool copyMode) { m_copyMode = copyMode; }
    bool copyMode() const { return m_copyMode; }
    void setCssCopyInfo(const std::shared_ptr<CSSCopyInfo> &info) { m_cssCopyInfo = info; }
    std::shared_ptr<CSSCopyInfo> cssCopyInfo() const { return m_cssCopyInfo; }
    // The selector of the copied style rule; empty for none.
    QString copiedSelector() const;

    // Results.
    int selectorType() const { return m_selectorType; }
    // The selector, the media query, or "@-webkit-keyframes" and the name.
    QString selectorName() const { return m_selectorName; }
    File *selectedCSSFile() const { return m_selectedCSSFile; }
    void setSelectedCSSFile(File *file) { m_selectedCSSFile = file; }
    int selectedDeclarationIndex() const { return m_selectedDeclarationIndex; }
    // The item the new rule follows; null at the top of the sheet.
    StyleDeclarationPtr selectedDeclaration() const;
    // The keyframes of a new keyframes rule: 0%, the chosen percentage, 100%.
    QList<QVariantMap> keyframes() const;
    bool isValid() const;

    // The top-level items of a sheet that a new rule may follow.
    static QList<StyleDeclarationPtr> getDeclarationList(File *file);
    // The kinds with their suggestions: {"name", "selectors": [{"name"}]}.
    static QVariantList getSelectorTypeList();
    // The ranges of the words a selector does not take.
    static QList<Range> selectorErrors(const QString &selector);
    // A keyframes rule's name: a CSS identifier.
    static bool isValidAnimationName(const QString &name);
    // A keyframe: a percentage from 0% to 100% ("50" counts as "50%").
    static bool isValidPercent(const QString &text);

    void updateRecommendSelectorList(int kind);
    void popoverWillShow();
    void popoverDidClose();

    // The ranges of the field marked red.
    QList<Range> errorRanges(const QLineEdit *field) const { return m_errorRanges.value(field); }
    QLineEdit *textField() const { return m_textField; }
    QLineEdit *keyFrameName() const { return m_keyFrameName; }
    QLineEdit *keyframePercent() const { return m_keyframePercent; }
    QPushButton *okButton() const { return m_okButton; }
    QComboBox *recommendSelectorPopUpButton() const { return m_recommend; }
    QComboBox *declarationPopUpButton() const { return m_declarations; }

Q_SIGNALS:
    void confirmed();
    void cancelled();

protected:
    void loadView() override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void controlTextDidChange(QLineEdit *field);
    void fileChanged();
    void validate();
    // Marks the ranges of the field red and underlined (none clears).
    void markErrors(QLineEdit *field, const QList<Range> &errors);

    QLabel *m_titleTextField = nullptr;        // Owned by the view.
    QFormLayout *m_form = nullptr;             // Owned by the view.
    QButtonGroup *m_selectorKindChanger = nullptr; // Owned by the view.
    QList<QWidget *> m_kindButtons;            // Owned by the view.
    QComboBox *m_fileList = nullptr;           // Owned by the view.
    QComboBox *m_declarations = nullptr;       // Owned by the view.
    QComboBox *m_recommend = nullptr;          // Owned by the view.
    QLineEdit *m_textField = nullptr;          // Owned by the view.
    QWidget *m_keyframeInput = nullptr;        // Owned by the view.
    QLineEdit *m_keyFrameName = nullptr;       // Owned by the view.
    QLineEdit *m_keyframePercent = nullptr;    // Owned by the view.
    QPushButton *m_okButton = nullptr;         // Owned by the view.

    QHash<const QLineEdit *, QList<Range>> m_errorRanges;
    QList<QPointer<File>> m_styleFiles;
    QList<StyleDeclarationPtr> m_declarationList;
    QString m_styleSheetName;
    QString m_title = QStringLiteral("Insert New Selector");
    int m_selectorType = StyleRule;
    QString m_selectorName;
    QPointer<File> m_selectedCSSFile;
    int m_selectedDeclarationIndex = 0;
    bool m_copyMode = false;
    std::shared_ptr<CSSCopyInfo> m_cssCopyInfo;
};

#pragma once

#include "JumpButton.h"
#include "MarkUpElement.h"

#include "cssrules/CSSRule.h"
#include "platform/kit/OutlineDataSource.h"

#include <QColor>
#include <QList>
#include <QPointer>
#include <QStringList>
#include <QWidget>

#include <functional>
#include <memory>

class CSSOutlineDelegateInterface;
class CodeView;
class FileViewControllerInterface;
class OutlineView;
class QStackedWidget;
class QToolButton;
class ReferenceItemCell;
struct Notification;

// The code assist list, shown in a popover under the caret of the code view
// it serves (tv): tag names, attribute names, attribute values (class names
// of the page's style sheets, project files), CSS property names and values,
// or a colour well for a hex colour. One exists, shared by every code view;
// the code view asks for a list, reads the chosen row and writes it.
//
// Its three pages (assistType): 0 nothing to offer, 1 the list, 2 the colour
// well. The code type of its list is the shared CodeAssistContext's.
//
// It also serves the rules panel: "cssValueBecomeEdited" puts it in a value
// mode in which a row change posts "cssValueChanged" and a key posts
// "cssValueEnterd". The list posts "forceClose" on a double click and after
// a jump, "outlineClicked" when the user changes the selected row.
class ReferenceView : public QWidget, public OutlineDataSource
{
    Q_OBJECT

public:
    explicit ReferenceView(QWidget *parent = nullptr);
    ~ReferenceView() override;

    OutlineView *referenceOutlineView() const { return m_referenceOutlineView; }
    QStackedWidget *tabview() const { return m_tabview; }
    QToolButton *colorWell() const { return m_colorWell; }
    int assistType() const { return m_assistType; }
    const QStringList &original() const { return m_original; }
    const QList<QPointer<File>> &originalFiles() const { return m_originalFiles; }
    const QList<std::shared_ptr<MarkUpElement>> &elements() const { return m_elements; }
    // The code view served; set by it.
    CodeView *tv() const;
    void setTv(CodeView *view);

    // What the shell hands in: the rules panel (its style sheets), the
    // selected project's root, the page's font families, the file viewer
    // (for the jump). None is owned.
    void setCssOutlineDelegate(CSSOutlineDelegateInterface *delegate) { m_cssOutlineDelegate = delegate; }
    void setProjectRoot(std::function<File *()> root) { m_projectRoot = std::move(root); }
    void setUsedFontFamilies(std::function<QStringList()> families) { m_usedFontFamilies = std::move(families); }
    void setFileViewController(FileViewControllerInterface *controller) { m_fileViewController = controller; }

    // The colour of the colour well, and a colour chosen for the view served
    // (what the shared colour panel reports while the well is active).
    QColor colorWellColor() const { return m_colorWellColor; }
    void setColorWellColor(const QColor &color);
    void changeColor(const QColor &color);
    // Activates the well (the colour panel is to show its colour) or ends it.
    void activateColorWell(bool active);

    // The lists. Each starts from initListSetting().
    void initListSetting();
    void setHtmlNodeList(const QString &fragment);
    void setHtmlNodeAttrubuteList(const QString &tag, const QString &attribute, const QString &fragment,
                                  const QString &tagText);
    void setCSSDeclarationList(const QString &fragment);
    void setJSElementList(const QString &fragment);
    // Shows the page of assistType; with a list, selects the first entry
    // beginning with the fragment.
    void setSource(const QString &fragment);
    // The first entry beginning with the fragment (case-sensitive), or -1.
    static int getIndexBySuggestion(const QStringList &entries, const QString &fragment);

    // The chosen row's element, or null.
    const MarkUpElement *selectedElement() const;

    // Class names of the rules panel's style sheets, each once with its first
    // sheet (into originalFiles()); read from what the sheets hold now,
    // unsaved edits included. Empty when a sheet has no text.
    QStringList loadedStyleRules();
    // The project's files, as paths below its root, sorted.
    QStringList getImages();
    QStringList getJSFiles();
    QStringList getStyleSheets();

    // Shows the sheet and selects the class's rule in it.
    void jumpButtonClicked(const JumpButton &button);
    void jumpToCSS(File *file, int index);
    void doubleClick();

    // The value mode's key: the value is entered and the mode ends.
    void keyDown(QKeyEvent *event);
    void cssValueBecomeEdited(const Notification &notification);
    bool isInValueMode() const { return m_valueMode; }

    // The outline's data source.
    int numberOfChildrenOfItem(OutlineView *outlineView, void *item) override;
    void *childOfItem(OutlineView *outlineView, int index, void *item) override;
    bool isItemExpandable(OutlineView *outlineView, void *item) override;
    QVariant objectValueForTableColumn(OutlineView *outlineView, int column, void *item, int role) override;

Q_SIGNALS:
    // The colour well became active, so the shared colour panel should show
    // with its colour, or it ended, so the panel should close.
    void colorWellActivated(const QColor &color);
    void colorWellDeactivated();

protected:
    void keyPressEvent(QKeyEvent *event) override;

private:
    enum class FileKind { Image, Script, StyleSheet };
    QStringList projectFiles(FileKind kind);
    void outlineViewSelectionDidChange();
    // The rows from original(), then the outline reloaded.
    void buildElements();
    void reloadOutline();

    OutlineView *m_referenceOutlineView; // Owned (a child).
    QStackedWidget *m_tabview;           // Owned (a child).
    QToolButton *m_colorWell;            // Owned (a child).
    ReferenceItemCell *m_cell;           // Owned by the outline.
    QPointer<CodeView> m_tv;
    CSSOutlineDelegateInterface *m_cssOutlineDelegate = nullptr; // Not owned.
    FileViewControllerInterface *m_fileViewController = nullptr; // Not owned.
    std::function<File *()> m_projectRoot;
    std::function<QStringList()> m_usedFontFamilies;

    QStringList m_original;
    QList<QPointer<File>> m_originalFiles;
    QList<std::shared_ptr<MarkUpElement>> m_elements;
    int m_assistType = 0;
    QString m_attributeName;
    // The value typed after the colon of the last declaration fragment.
    QString m_typedCSSValue;
    QColor m_colorWellColor;
    bool m_valueMode = false;
    CSSRulePtr m_valueRule;
    // Set while the list selects a row itself: nobody is told.
    bool m_selectingFromSource = false;
};

#pragma once

#include <QList>

class DOMNode;
class File;
class QString;
class QWidget;

// What the shell, the preview and the DOM tree ask of the CSS rules panel.
// Implemented by the rules panel controller (src/cssrules); called by the
// shell (AppDelegate), the preview (PreviewDelegate) and the DOM tree
// (DomTreeDelegate), which Controllers::install() hands the controller.
class CSSOutlineDelegateInterface
{
public:
    virtual ~CSSOutlineDelegateInterface() = default;

    // The rules outline.
    virtual QWidget *outlineView() = 0;
    // The style sheets of the previewed page.
    virtual QList<File *> styleFiles() = 0;
    // The image files of the project shown, offered as image values.
    virtual void setProjectImages(const QList<File *> &images) = 0;

    // A new page: the page's style sheets so far (local ones are the
    // project's Files), then whenever the page brought more.
    virtual void setStyleFiles(const QList<File *> &files) = 0;
    virtual void refreshStyleFiles() = 0;
    virtual void setAndRefreshStyleFiles(const QList<File *> &files) = 0;
    // Lists the rules of the element (null empties the list).
    virtual void updateRulesByElement(DOMNode *element) = 0;
    // Selects the element's first rule (the row after its computed style)
    // once the list asked for last is built: the page's answers may come later.
    virtual void selectFirstRuleOnceListed() = 0;
    // The element is about to be listed (a selection is told 0.1 s after
    // it is made): what the page must answer for it is asked for now.
    virtual void askAheadForElement(DOMNode *) {}
    // Empties the panel before the page is loaded again; after another
    // project's page, forgets that project too.
    virtual void reset() = 0;
    // The page's document is gone (a load began or failed): the panel, the
    // style-sheet pop-up and what follows them empty, the list saying why
    // in one line, until the next document is handed over.
    virtual void dropPageDocument(const QString &reason) = 0;
    virtual void resetWithProjectChange() = 0;
    // The page is loaded again: whether the panel keeps its rules of the
    // sheet, which stand for its text as it is (its undo steps and rows
    // hold them). Those it does not keep are read again from the text.
    virtual bool keepsRulesOf(File *) { return false; }
    // The page is about to be loaded again in place: the panel's undo steps
    // (the style-sheet manager's among them) are kept as their changes of
    // the sheets' texts, which the page follows as they are undone.
    virtual void willReloadPage() {}
    // Element detection began: the panel starts from its first category.
    virtual void resetCategorySelector() = 0;
    // A local page is complete: its style sheets' vendor prefixes are checked.
    virtual void checkVendorPrefixSetting() = 0;
    // The resource chosen in the resource list (the preview owns it).
    virtual void setSelectedResourceFile(File *) {}
    // Which list the panel shows: 0, the rules of the selected element.
    virtual void setDisplaySelectorType(int type) = 0;
    // Runs the last update of the list again; mode 1 also keeps the
    // panel's scroll point and selected row.
    virtual void reloadRuleList(int mode) = 0;
    // Lists again keeping the place, and selects the same row again.
    virtual void reload() = 0;
};

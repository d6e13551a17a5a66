#pragma once

#include "code/CodeView.h"
#include "code/ReferenceView.h"
#include "toolkit/RBLPopover.h"
#include "interfaces/FileViewControllerInterface.h"
#include "platform/kit/PathControl.h"
#include "views/ProjectConfigView.h"

#include <QList>
#include <QObject>
#include <QPointer>
#include <QStringList>

class DirectoryViewer;
class FontSampleView;
class ImageViewer;
class LineNumberScrollView;
class QLabel;
class QStackedLayout;
class QTimer;
class QWidget;
struct Notification;

// The centre pane: shows a File as a code editor (a code view with line
// numbers in its frame), an image, a folder of thumbnails or a font sample,
// and saves the file of the code view that had the keyboard focus last. Each
// File keeps the view made for it (view(), textView()), so a file is set up
// once and shown again cheaply; code views are children of the controller's
// view and go with their File, while the thumbnail browser, the image viewer
// and the font sample view are one each, shared by the files they show.
class FileViewController : public QObject, public FileViewControllerInterface
{
    Q_OBJECT

public:
    // The view is the pane's; the controller fills it.
    explicit FileViewController(QWidget *view, QObject *parent = nullptr);
    ~FileViewController() override;

    QWidget *view() const { return m_view; }

    File *mainFile() override { return m_mainFile; }
    QPlainTextEdit *mainTextView() override;
    CodeView *mainCodeView() const { return m_mainFile ? m_mainTextView.data() : nullptr; }

    // The file breadcrumb above the pane; not owned.
    PathControl *breadcramb() const { return m_breadcramb; }
    void setBreadcramb(PathControl *control) { m_breadcramb = control; }

    DirectoryViewer *directoryViewer() const { return m_directoryViewer; }
    ImageViewer *imageViewer() const { return m_imageViewer; }
    FontSampleView *fontView() const { return m_fontView; }
    // The project settings panel, pointed at the project of each file shown;
    // not owned.
    ProjectConfigView *saveOption() const { return m_saveOption; }
    void setSaveOption(ProjectConfigView *panel) { m_saveOption = panel; }
    // Loads the settings panel again.
    void reloadProjectConfigView();

    // Files shown, offered to the interface; the controller adds nothing.
    QList<File *> viewHistory() const { return m_viewHistory; }
    QList<File *> sideViewHistory() const { return m_sideViewHistory; }
    // Paths of the DOM tree rows left expanded, kept for the DOM tree.
    QStringList domTreeExpandedFilePaths() const { return m_domTreeExpandedFilePaths; }
    void setDomTreeExpandedFilePaths(const QStringList &paths) { m_domTreeExpandedFilePaths = paths; }

    void viewFile(File *file) override;
    void viewFileWithNoOpen(File *file) override;
    void viewFileWithScrollTop(File *file) override;
    // Shows the file; a local file that vanished is offered for removal
    // instead, unless it was kept for its unsaved edits.
    void openFile(File *file);
    // The view for a file, or null when it has none (it is no text).
    QWidget *createView(File *file);
    // The code editor of a text file, or null: a LargeTextView for a file
    // too large for a code view.
    LineNumberScrollView *createViewSource(File *file);

    void saveDocument() override;
    File *saveChosenFile(File *chosen) override;
    void showSaveNotice(const QString &text) override;
    // What the notice over the pane says, empty while none is shown.
    QString saveNotice() const;
    void saveOutlineview(QObject *sender) { saveDocument(); }
    void fileSavedByCommandS(const Notification &notification);
    void codeViewBecameFirstResponder(const Notification &notification);
    // A snapshot chosen in the history list is shown in the open editor.
    void historyFileClicked(const Notification &notification);
    void postWebResourceGroupSelected();

    // Depth-first, pre-order: the first node of that display name.
    static File *searchDirectory(const QString &displayName, const QList<File *> &files);
    // "index.css", else "global.css", else "style.css" in the folder's tree.
    static File *cssFileRecomended(File *folder);
    static bool existInHistory(File *file, const QList<File *> &history);

    QWidget *getCurrentScrollView() const;
    // The view the pane shows now, null when it shows nothing.
    QWidget *shownView() const;
    QPlainTextEdit *getCurrentCodeView() { return mainTextView(); }

    // The code assist popup and its popover, given to every code view made;
    // not owned (the shell's composition point makes them).
    ReferenceView *popup() const { return m_popup; }
    void setPopup(ReferenceView *popup) { m_popup = popup; }
    RBLPopover *popover() const { return m_popover; }
    void setPopover(RBLPopover *popover) { m_popover = popover; }

    // The file and code view Ctrl+S and Save act on.
    static File *saveTargetFile();
    static CodeView *saveTargetView();

private:
    static bool isText(File *file);
    // Saves the file, with the text of its code view when one is given;
    // a failure is told in an alert.
    bool saveFile(File *file, CodeView *view);
    LineNumberScrollView *createLargeViewSource(File *file);
    void show(QWidget *view);
    void adopt(File *file, QWidget *view);
    // Whether the view is one of those shared by the files they show.
    bool isSharedView(const QWidget *view) const;

    QPointer<QWidget> m_view;
    QStackedLayout *m_stack; // Owned by the view.
    QWidget *m_empty;        // Owned by the view.
    DirectoryViewer *m_directoryViewer; // Owned by the view.
    ImageViewer *m_imageViewer;         // Owned by the view.
    FontSampleView *m_fontView;         // Owned by the view.
    QPointer<ProjectConfigView> m_saveOption;
    QPointer<File> m_mainFile;
    QPointer<CodeView> m_mainTextView;
    QPointer<PathControl> m_breadcramb;
    QList<File *> m_viewHistory;
    QList<File *> m_sideViewHistory;
    QStringList m_domTreeExpandedFilePaths;
    QLabel *m_saveNotice = nullptr; // Owned by the view.
    QTimer *m_saveNoticeTimer;      // Owned.
    // The code assist.
    QPointer<ReferenceView> m_popup;
    QPointer<RBLPopover> m_popover;
};

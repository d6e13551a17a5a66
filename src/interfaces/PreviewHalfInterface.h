#pragma once

#include <QList>
#include <QString>

#include <memory>

class ExWebViewInterface;
class File;
class Operation;
class QMouseEvent;
class QWidget;

// What the project controller asks of the preview half beside it: the live
// page, its loading and reloading, and the jobs that point a web project's
// addresses at its local files. Implemented by the live preview (src/preview);
// called by ProjectDelegate (src/app), which Controllers::install() hands it
// with ProjectDelegate::setPreviewHalf(). Until there is one, the project
// controller skips these calls.
class PreviewHalfInterface
{
public:
    virtual ~PreviewHalfInterface() = default;

    // Makes the preview inside the container (once per reset of the projects).
    virtual void initWebView(QWidget *container) = 0;
    // The preview, or null before initWebView().
    virtual ExWebViewInterface *webview() = 0;
    // Applies the size preset of that index; keepSlider leaves the width slider alone.
    virtual void doSetPreviewSize(int index, bool keepSlider) = 0;
    // Applies the last preset again, keeping the slider's width.
    virtual void doSetPreviewWithLastIndex() = 0;
    // Shows the responsive ruler or not, and remembers the choice.
    virtual void activateResponsiveRuler(bool active) = 0;
    // Turns the page's JavaScript on.
    virtual void startJavascript() = 0;

    // Loads the node's page (null forgets the page shown).
    virtual void setURL(File *node) = 0;
    // Loads the selected page, or reloads the page shown; then
    // isReloadOnly() tells which of the two it did.
    virtual void refreshWebview() = 0;
    virtual bool isReloadOnly() const = 0;
    // Reloads the page shown.
    virtual void reloadPage() = 0;
    // The files the page shown is made of changed (another program's
    // version taken in, unsaved edits discarded): it is loaded again in
    // place without asking, and keeps its selected element where it still stands.
    virtual void reloadChangedPage() = 0;
    // Puts the address into the address field and loads it.
    virtual void urlEnter(const QString &address) = 0;
    // Sets the address of the page shown without asking anything first.
    virtual void setMainFrameURL(const QString &address) = 0;
    // The buttons that save the page shown with its resources.
    virtual void setDownloadButtonsEnabled(bool enabled) = 0;
    // Forgets the selected element: the overlay goes, and the DOM tree's
    // selection with it.
    virtual void clearDetectLayer() = 0;
    // Turns element detection on (the overlay follows the pointer, the
    // rules panel starts from its first category) or off, and updates the
    // detect buttons.
    virtual void doDetectPreview(bool on) = 0;
    // Whether the DOM tree's detect button is on.
    virtual bool isDetectButtonOn() const = 0;
    // Hides the next-address box when the page shown is at the address it
    // offers, or when no page is shown.
    virtual void checkAndEnableNextURL() = 0;
    // Shows the information of the selected element again.
    virtual void invalidateElementInformation() = 0;

    // The roots of the tree of resources the page shown loaded; each node's
    // path is the address of a resource. Owned by the preview.
    virtual QList<File *> resourceRoots() = 0;
    // A folder changed on disk: whether a local file the page shown asked
    // for in it (its document, a sheet, a script, a frame's) is gone, back
    // or new since, so that the page no longer shows it as it is. A file
    // with unsaved edits, shown from the program's text, does not count.
    virtual bool pageFileCameOrWent(const QString &folder) = 0;

    // A click in the preview while elements are detected under the pointer
    // locked the element under it (mouse-down; without an event, the element
    // the pointer last showed): once the page has said which element that
    // is, it is selected in the DOM tree and its rules are listed. The
    // mouse-up that follows does nothing more.
    virtual void detectLockDownHandler(QMouseEvent *event) = 0;
    virtual void detectLockCommitHandler(QMouseEvent *event) = 0;
    // Draws the element overlay again where its element is now.
    virtual void updateDetectLayer() = 0;

    // The jobs that clear or set the local substitutes of every page, style
    // sheet and script of a web project (its root); null when there is
    // nothing to do. They run on the project controller's queue, one at a time.
    virtual std::shared_ptr<Operation> removeBypassOperation(File *root) = 0;
    virtual std::shared_ptr<Operation> autoBypassOperation(File *root) = 0;
};

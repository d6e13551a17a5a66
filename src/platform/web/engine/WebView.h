#pragma once

#include "WebPage.h"

#include <QDialog>
#include <QImage>
#include <QPointer>
#include <QString>
#include <QWidget>

#include <memory>

class DOMDocument;
class QFontMetricsF;
class QLabel;

class WebBridge;
class WebFrameMirror;
class WebPreferences;

// The web view of the preview: its page (a tab of the program's headless
// browser, which keeps no cache: every load reads the files anew) shown from
// the page's screencast frames, each drawn as large as the view, with mouse,
// wheel, keys, text input and focus forwarded to it, and the page's mirror
// (mainFrameDocument()) that the program reads and edits as a local,
// synchronous DOM. The view's size is the page's viewport. Page dialogs become
// Qt dialogs that leave the window usable (from a page's second dialog on
// with a check box that stops its dialogs), and file inputs a file dialog,
// both opened without a nested event loop.
class WebView : public QWidget
{
    Q_OBJECT

public:
    explicit WebView(QWidget *parent = nullptr, WebPage::BrowserContext context = WebPage::BrowserContext::Shared);
    ~WebView() override;

    WebPage *webPage() const { return m_page; }
    WebBridge &bridge() const;
    WebPreferences &preferences() const;

    // The main frame's mirror; listeners may be attached before its first document.
    WebFrameMirror &mainFrame() const;
    // Null until the page's document is ready.
    DOMDocument *mainFrameDocument() const;

    QString mainFrameURL() const;
    void setMainFrameURL(const QString &url);
    void load(const QUrl &url) { m_page->load(url); }
    void reload() { m_page->reload(); }
    void back() { m_page->back(); }
    void forward() { m_page->forward(); }

    // The frame on screen and where the page was when it was drawn.
    const QImage &currentFrame() const { return m_frame; }
    const WebFrameMetadata &frameMetadata() const { return m_metadata; }
    int framesShown() const { return m_framesShown; }
    // The open page dialog (alert, confirm, prompt, before-unload), if any.
    QDialog *pageDialog() const { return m_dialog; }
    // The bar saying that the page does not respond, with its Stop button;
    // shown only while the page does not respond.
    QWidget *notRespondingBar() const { return m_notResponding; }
    // A message about the page or its browser, in a bar of at most two lines
    // over the top of the page (below the one above) until it is closed or
    // hidden: what happened to the page shown that the page cannot show
    // itself. Where the view is too narrow for it, its first sentences are
    // cut short and its last one (what the user is left with) stays; the
    // whole message is in the bar's tool tip and the log. A new message
    // replaces the one shown. Never a window of its own: a page that causes
    // it again and again holds nothing up. Both bars stay above whatever
    // else is laid over the page.
    void showNotice(const QString &message);
    void hideNotice();
    // The message shown; empty when none is.
    QString notice() const;
    // The text of a message as the bar shows it in that width: whole where
    // it takes two lines at most, else its first sentences on one line and
    // its last on the next, each cut short with an ellipsis where it must.
    static QString noticeShown(const QString &message, const QFontMetricsF &metrics, double width);
    // Whether a bar over the page covers the point (view coordinates).
    bool isCoveredAt(const QPoint &point) const;

    QSize sizeHint() const override { return {800, 600}; }

    // The page shown that many times larger (see WebPage::setZoomFactor());
    // the view's size stays.
    void setZoomFactor(double factor);
    double zoomFactor() const { return m_page->zoomFactor(); }
    // A point of the view in the page's CSS pixels of the viewport.
    QPointF pagePoint(const QPointF &point) const;

Q_SIGNALS:
    // A new frame is on screen; overlays are placed with its metadata.
    void frameShown(const WebFrameMetadata &metadata);

protected:
    // Whether the pointer takes the shape the page asks for (a subclass
    // that shows a pointer of its own answers false).
    virtual bool followsPageCursor() const { return true; }

    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void childEvent(QChildEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void wheelEvent(QWheelEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void keyReleaseEvent(QKeyEvent *event) override;
    void inputMethodEvent(QInputMethodEvent *event) override;
    QVariant inputMethodQuery(Qt::InputMethodQuery query) const override;
    bool focusNextPrevChild(bool next) override;

private:
    void showFrame(const QImage &image, const WebFrameMetadata &metadata);
    void sendMouse(const QString &type, QMouseEvent *event, int clickCount);
    void sendKey(QKeyEvent *event, bool press);
    void updateCursor(const QPointF &position);
    void openDialog(const QString &type, const QString &message, const QString &defaultPrompt, bool offerToStop);
    void closeDialog();
    void forgetDialog(QDialog *dialog);
    void openFileChooser(bool multiple, int backendNodeId, const QString &sessionId);
    void makeNotRespondingBar();
    void makeNoticeBar();
    void placeBars();
    void raiseBars();

    WebPage *m_page; // Owned (QObject child).
    QImage m_frame;
    WebFrameMetadata m_metadata;
    int m_framesShown = 0;
    QString m_unavailable;
    QPointer<QDialog> m_dialog;
    QWidget *m_notResponding = nullptr; // Owned (QObject child).
    QWidget *m_noticeBar = nullptr;     // Owned (QObject child).
    QLabel *m_noticeText = nullptr;     // Owned by the bar.
    QString m_notice;
    bool m_raisingBars = false;
    bool m_cursorAsked = false;
    QPointF m_cursorWanted;
};

#pragma once

#include <QString>
#include <QWebEngineView>

#include <memory>

class DOMDocument;
class QWebEngineProfile;
class WebBridge;
class WebFrameMirror;
class WebPage;
class WebPreferences;

// The web view of the preview: a view with a profile of its own that keeps
// no HTTP cache (every load reads the files anew), its page with the preview
// bridge, and the page's mirror (mainFrameDocument()) that the program reads
// and edits as a local, synchronous DOM.
class WebView : public QWebEngineView
{
    Q_OBJECT

public:
    explicit WebView(QWidget *parent = nullptr);
    ~WebView() override;

    WebPage *webPage() const { return m_page; }
    WebBridge &bridge() const;
    WebPreferences &preferences() const { return *m_preferences; }

    // The main frame's mirror; listeners may be attached before its first document.
    WebFrameMirror &mainFrame() const;
    // Null until the page's document is ready.
    DOMDocument *mainFrameDocument() const;

    QString mainFrameURL() const;
    void setMainFrameURL(const QString &url);

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    QWebEngineProfile *m_profile; // Owned; deleted after the page.
    WebPage *m_page;              // Owned.
    std::unique_ptr<WebPreferences> m_preferences;
};

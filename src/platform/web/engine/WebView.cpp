#include "WebView.h"

#include "WebBridge.h"
#include "WebEngineCache.h"
#include "WebFrameMirror.h"
#include "WebPage.h"
#include "WebPreferences.h"

#include <QUrl>
#include <QWebEngineProfile>

WebView::WebView(QWidget *parent)
    : QWebEngineView(parent), m_profile(new QWebEngineProfile()), m_page(nullptr)
{
    // An off-the-record profile of our own: the preview shows the files as
    // they are on disk, never a cached copy.
    m_profile->setHttpCacheType(QWebEngineProfile::NoCache);
    m_page = new WebPage(m_profile);
    m_preferences = std::make_unique<WebPreferences>(m_page->settings());
    m_preferences->setAllowFileAccessFromFileURLs(true);
    setPage(m_page);
    connect(m_page, &QWebEnginePage::scrollPositionChanged, this, [this] {
        for (WebFrameMirror *frame : bridge().frames())
            frame->engine()->invalidateScroll();
    });
}

WebView::~WebView()
{
    // The page must go before its profile.
    setPage(nullptr);
    delete m_page;
    delete m_profile;
}

WebBridge &WebView::bridge() const
{
    return m_page->bridge();
}

WebFrameMirror &WebView::mainFrame() const
{
    return bridge().mainFrameRecord();
}

DOMDocument *WebView::mainFrameDocument() const
{
    return mainFrame().document();
}

QString WebView::mainFrameURL() const
{
    return m_page->url().toString();
}

void WebView::setMainFrameURL(const QString &url)
{
    const QUrl parsed = QUrl::fromUserInput(url);
    m_page->load(parsed);
}

void WebView::resizeEvent(QResizeEvent *event)
{
    QWebEngineView::resizeEvent(event);
    for (WebFrameMirror *frame : bridge().frames())
        frame->engine()->invalidateLayout();
}

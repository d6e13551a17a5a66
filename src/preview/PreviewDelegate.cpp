#include "PreviewDelegate.h"

#include "ExWebView.h"

#include "interfaces/PreviewDomTreeInterface.h"
#include "platform/foundation/Bundle.h"
#include "platform/foundation/Log.h"
#include "platform/web/dom/DOMDocument.h"
#include "platform/web/engine/WebBridge.h"
#include "platform/web/engine/WebFrameMirror.h"
#include "platform/web/engine/WebPage.h"
#include "platform/web/engine/WebPreferences.h"

#include <QAbstractButton>
#include <QIcon>
#include <QVBoxLayout>
#include <QWidget>

PreviewDelegate::PreviewDelegate(QObject *parent) : QObject(parent) {}

PreviewDelegate::~PreviewDelegate()
{
    removeDomListeners();
}

void PreviewDelegate::initWebView(QWidget *container)
{
    if (m_webview) {
        removeDomListeners();
        delete m_webview;
    }
    m_webview = new ExWebView(container);
    if (container) {
        if (!container->layout()) {
            auto *layout = new QVBoxLayout(container);
            layout->setContentsMargins(0, 0, 0, 0);
        }
        container->layout()->addWidget(m_webview);
    }
    connectPage();
    initWebPreference();
}

void PreviewDelegate::initWebPreference()
{
    if (!m_webview)
        return;
    // The engine has no switch for web security, the page cache, the cache
    // model or Java: those preferences are not set.
    WebPreferences &preferences = m_webview->preferences();
    preferences.setJavaScriptEnabled(m_javascriptEnable);
    preferences.setJavaScriptCanOpenWindowsAutomatically(true);
    preferences.setLoadsImagesAutomatically(true);
    preferences.setAllowFileAccessFromFileURLs(true);
}

void PreviewDelegate::connectPage()
{
    WebPage *page = m_webview->webPage();
    connect(page, &WebPage::consoleMessage, this,
            [this](int level, const QString &message, int lineNumber, const QString &sourceId) {
                if (level == 0) {
                    consoleFromJS(message);
                    return;
                }
                QM_INFO(QStringLiteral("page: %1 (%2:%3)").arg(message, sourceId).arg(lineNumber));
            });
    connect(&m_webview->bridge(), &WebBridge::attributesChanged, this,
            [this](WebFrameMirror *frame, const QList<DOMNode *> &elements) {
                if (!frame->isMainFrame())
                    return;
                QList<ScriptMutationRecord> records;
                for (DOMNode *element : elements)
                    records.append({QStringLiteral("attributes"), element});
                domAttributeChangeListener(records);
            });
}

void PreviewDelegate::initDomListeners()
{
    if (!m_webview)
        return;
    WebFrameMirror &frame = m_webview->mainFrame();
    const auto handler = [this](const DOMMutationEvent &event) { handleEvent(event); };
    frame.addEventListener(WebFrameMirror::s_contentLoaded, this, handler);
    frame.addEventListener(QStringLiteral("DOMSubtreeModified"), this, handler);
}

void PreviewDelegate::removeDomListeners()
{
    if (!m_webview)
        return;
    WebFrameMirror &frame = m_webview->mainFrame();
    frame.removeEventListener(WebFrameMirror::s_contentLoaded, this);
    frame.removeEventListener(QStringLiteral("DOMSubtreeModified"), this);
}

void PreviewDelegate::handleEvent(const DOMMutationEvent &event)
{
    if (event.type == WebFrameMirror::s_contentLoaded) {
        initDomTree(static_cast<DOMDocument *>(event.target));
        return;
    }
    if (m_domTreeDelegate)
        m_domTreeDelegate->domModified(event);
}

void PreviewDelegate::initDomTree(DOMDocument *document)
{
    m_domTreeInitialised = true;
    // The page was parsed with the JavaScript switch as it is now: markup the
    // program parses into it (noscript content above all) must parse alike.
    if (document)
        document->setScripting(m_javascriptEnable ? Scripting::Enabled : Scripting::Disabled);
    if (m_domTreeDelegate)
        m_domTreeDelegate->domNodeLists(document);
    Q_EMIT domTreeInitialized(document);
}

void PreviewDelegate::consoleFromJS(const QVariant &value)
{
    QM_DEBUG(value.toString());
}

void PreviewDelegate::domAttributeChangeListener(const QList<ScriptMutationRecord> &records)
{
    const qsizetype length = records.size();
    for (qsizetype i = 0; i < length; ++i) {
        const ScriptMutationRecord &record = records.at(i);
        if (record.type == QLatin1String("attributes") && record.target && m_domTreeDelegate)
            m_domTreeDelegate->domAttributeModified(record.target);
    }
}

bool PreviewDelegate::isSelectorExcludedFromWebScript(const QByteArray &selector)
{
    return selector != "consoleFromJS:" && selector != "domAttributeChangeListener:";
}

void PreviewDelegate::chageJavascriptStatus()
{
    if (m_javascriptEnable)
        pauseJavascript();
    else
        startJavascript();
}

void PreviewDelegate::startJavascript()
{
    m_javascriptEnable = true;
    if (m_webview)
        m_webview->preferences().setJavaScriptEnabled(true);
    showJavascriptStatus(true);
}

void PreviewDelegate::pauseJavascript()
{
    m_javascriptEnable = false;
    if (m_webview)
        m_webview->preferences().setJavaScriptEnabled(false);
    showJavascriptStatus(false);
}

void PreviewDelegate::setJavascriptStatusButtons(QAbstractButton *first, QAbstractButton *second)
{
    m_javascriptStatusButton = first;
    m_javascriptStatusButton2 = second;
    showJavascriptStatus(m_javascriptEnable);
}

void PreviewDelegate::showJavascriptStatus(bool on)
{
    const auto show = [on](QAbstractButton *button, const QString &image) {
        if (!button)
            return;
        button->setCheckable(true);
        button->setChecked(on);
        button->setProperty("imageName", image);
        for (const char *type : {"svg", "png"}) {
            const QString path = Bundle::pathForResource(image, QString::fromLatin1(type), QStringLiteral("images"));
            if (!path.isEmpty()) {
                button->setIcon(QIcon(path));
                break;
            }
        }
    };
    show(m_javascriptStatusButton, on ? QStringLiteral("jsOn_Template") : QStringLiteral("jsOff_Template"));
    show(m_javascriptStatusButton2, on ? QStringLiteral("jsOn2_Template") : QStringLiteral("jsOff2_Template"));
}

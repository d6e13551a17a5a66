#pragma once

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QVariant>

class DOMDocument;
class DOMNode;
class ExWebView;
class PreviewDomTreeInterface;
class QAbstractButton;
class QWidget;
struct DOMMutationEvent;

// One record of the page's mutation observer as the bridge hands it on: its
// type ("attributes") and the node it concerns.
struct ScriptMutationRecord
{
    QString type;
    DOMNode *target = nullptr; // Not owned.
};

// The preview half of the project controller as far as the live page goes:
// it makes the preview and sets its preferences, listens to the page's
// document (its readiness and its subtree changes), takes what the bridge
// script reports (console lines, attribute changes) and keeps the JavaScript
// switch. The project controller owns it; the DOM tree controller is told
// through PreviewDomTreeInterface.
class PreviewDelegate : public QObject
{
    Q_OBJECT

public:
    explicit PreviewDelegate(QObject *parent = nullptr);
    ~PreviewDelegate() override;

    // The preview; null before initWebView().
    ExWebView *webview() const { return m_webview; }
    // Makes a new preview filling the container (none without one), dropping the old one.
    void initWebView(QWidget *container);
    // The preview's preferences: JavaScript as the switch says, windows opened
    // by script, images loaded at once, local pages reading local files.
    void initWebPreference();

    void setDomTreeDelegate(PreviewDomTreeInterface *delegate) { m_domTreeDelegate = delegate; }

    bool javascriptEnable() const { return m_javascriptEnable; }
    bool domTreeInitialised() const { return m_domTreeInitialised; }
    void setDomTreeInitialised(bool initialised) { m_domTreeInitialised = initialised; }
    // The two switch buttons that show the JavaScript state (either may be null).
    void setJavascriptStatusButtons(QAbstractButton *first, QAbstractButton *second);

    // "DOMContentLoaded" and "DOMSubtreeModified" of the main frame reach handleEvent().
    void initDomListeners();
    void removeDomListeners();
    void handleEvent(const DOMMutationEvent &event);
    // Builds the DOM tree for the document; the bridge is in the page already.
    void initDomTree(DOMDocument *document);

    // What the page may call: a console line, and its attribute records.
    void consoleFromJS(const QVariant &value);
    void domAttributeChangeListener(const QList<ScriptMutationRecord> &records);
    static bool isSelectorExcludedFromWebScript(const QByteArray &selector);

    void chageJavascriptStatus();
    void startJavascript();
    void pauseJavascript();

Q_SIGNALS:
    // initDomTree() has rebuilt the DOM tree: the URL field and the
    // back/forward control follow the page now.
    void domTreeInitialized(DOMDocument *document);

private:
    void connectPage();
    void showJavascriptStatus(bool on);

    QPointer<ExWebView> m_webview;
    PreviewDomTreeInterface *m_domTreeDelegate = nullptr; // Not owned.
    QPointer<QAbstractButton> m_javascriptStatusButton;
    QPointer<QAbstractButton> m_javascriptStatusButton2;
    bool m_javascriptEnable = true;
    bool m_domTreeInitialised = false;
};

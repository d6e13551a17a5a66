#pragma once

#include <QWebEnginePage>

class WebBridge;

// The preview's page: the engine's page with the preview bridge installed,
// and the page's console lines handed on as a signal (the bridge's own
// script errors are logged instead).
class WebPage : public QWebEnginePage
{
    Q_OBJECT

public:
    explicit WebPage(QWebEngineProfile *profile, QObject *parent = nullptr);
    ~WebPage() override;

    WebBridge &bridge() const { return *m_bridge; }

Q_SIGNALS:
    // A line the page's scripts wrote with console.log (and its siblings).
    void consoleMessage(int level, const QString &message, int lineNumber, const QString &sourceId);

protected:
    void javaScriptConsoleMessage(JavaScriptConsoleMessageLevel level, const QString &message, int lineNumber,
                                  const QString &sourceId) override;

private:
    WebBridge *m_bridge; // Owned (QObject child).
};

#include "WebPage.h"

#include "WebBridge.h"

#include "platform/foundation/Log.h"

WebPage::WebPage(QWebEngineProfile *profile, QObject *parent)
    : QWebEnginePage(profile, parent), m_bridge(new WebBridge(this, this))
{
}

WebPage::~WebPage() = default;

void WebPage::javaScriptConsoleMessage(JavaScriptConsoleMessageLevel level, const QString &message, int lineNumber,
                                       const QString &sourceId)
{
    // Injected scripts report as "userscript:<name>": those are ours.
    if (sourceId.startsWith(QLatin1String("userscript:"))) {
        QM_ERROR(QStringLiteral("preview bridge script: %1 (line %2)").arg(message).arg(lineNumber));
        return;
    }
    Q_EMIT consoleMessage(int(level), message, lineNumber, sourceId);
}

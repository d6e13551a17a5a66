#include "BypassResponder.h"

#include "platform/foundation/Log.h"
#include "platform/web/engine/WebPage.h"
#include "workspace/BypassMap.h"

#include <QFile>
#include <QFileInfo>
#include <QMimeDatabase>

BypassResponder::BypassResponder(WebPage *page, BypassMap *map, QObject *parent)
    : QObject(parent), m_page(page), m_map(map)
{
    connect(page, &WebPage::resourceIntercepted, this, &BypassResponder::answer);
    // Ties may change on the substitution jobs' thread: the patterns are
    // renewed here, on the main thread.
    connect(map, &BypassMap::changed, this, &BypassResponder::renewPatterns, Qt::QueuedConnection);
    renewPatterns();
}

BypassResponder::~BypassResponder() = default;

void BypassResponder::setUnsavedTexts(UnsavedPaths paths, UnsavedBytes bytes)
{
    m_unsavedPaths = std::move(paths);
    m_unsavedBytes = std::move(bytes);
    renewPatterns();
}

void BypassResponder::renewPatterns()
{
    QStringList patterns;
    const QVariantMap table = m_map->bypassMap();
    for (auto it = table.cbegin(); it != table.cend(); ++it) {
        const QUrl url(it.key());
        // Only what the network serves can be held back.
        if (url.scheme().startsWith(QLatin1String("http")))
            patterns.append(WebPage::urlPatternFor(url));
    }
    if (m_unsavedPaths) {
        for (const QString &path : m_unsavedPaths()) {
            const QString pattern = WebPage::urlPatternFor(QUrl::fromLocalFile(path));
            patterns.append(pattern);
            // A link with a version query ("site.css?v=3") asks for the same file (#87).
            patterns.append(pattern + QStringLiteral("\\?*"));
        }
    }
    patterns.sort();
    patterns.removeDuplicates();
    if (patterns == m_patterns || !m_page)
        return;
    m_patterns = patterns;
    m_page->interceptRequests(m_patterns);
}

void BypassResponder::serve(const QString &interceptId, const QByteArray &bytes, const QString &path)
{
    const QString type = QMimeDatabase().mimeTypeForFile(path, QMimeDatabase::MatchExtension).name();
    ++m_served;
    m_page->fulfillRequest(interceptId, bytes, type);
}

void BypassResponder::answer(const WebInterceptedRequest &request)
{
    if (!m_page)
        return;
    const auto unsaved = [this](const QString &path) {
        return m_unsavedBytes && !path.isEmpty() ? m_unsavedBytes(path) : std::nullopt;
    };
    if (request.url.isLocalFile()) {
        // A file saved meanwhile is read from disk by the browser.
        const QString path = request.url.toLocalFile();
        if (const std::optional<QByteArray> bytes = unsaved(path)) {
            serve(request.interceptId, *bytes, path);
            return;
        }
        ++m_passed;
        m_page->continueRequest(request.interceptId);
        return;
    }
    const QUrl tied = m_map->bypassPathWithURL(request.url);
    const QString path = tied.toLocalFile();
    if (const std::optional<QByteArray> bytes = unsaved(path)) {
        serve(request.interceptId, *bytes, path);
        return;
    }
    QFile file(path);
    if (tied.isEmpty() || !QFileInfo(path).isFile() || !file.open(QIODevice::ReadOnly)) {
        if (!tied.isEmpty())
            QM_INFO(QStringLiteral("the local copy %1 of %2 cannot be read; the network's is loaded")
                        .arg(path, request.url.toString()));
        ++m_passed;
        m_page->continueRequest(request.interceptId);
        return;
    }
    serve(request.interceptId, file.readAll(), path);
}

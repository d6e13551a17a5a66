#include "ResourceBodyFetcher.h"

#include "LoadedResource.h"
#include "WebFrameEx.h"

#include "platform/foundation/Log.h"
#include "platform/web/engine/WebPage.h"
#include "workspace/File.h"

#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>

namespace {

constexpr int kFetchesAtOnce = 4;
constexpr int kFetchTimeoutMs = 20000;

// The request record behind a network File: its own, or its frame's document.
std::shared_ptr<LoadedResource> recordOf(File *file)
{
    if (const std::shared_ptr<WebFrame> frame = file->webframe()) {
        if (const auto *ex = dynamic_cast<const WebFrameEx *>(frame.get()))
            return ex->document();
        return nullptr;
    }
    return std::dynamic_pointer_cast<LoadedResource>(file->webresource());
}

} // namespace

ResourceBodyFetcher::ResourceBodyFetcher(QObject *parent)
    : QObject(parent)
{
}

ResourceBodyFetcher::~ResourceBodyFetcher()
{
    cancel();
}

bool ResourceBodyFetcher::needsBody(File *file)
{
    if (!file || file->isLocalFile())
        return false;
    if (const std::shared_ptr<WebFrame> frame = file->webframe())
        return !frame->hasData();
    const std::shared_ptr<WebResource> resource = file->webresource();
    return !resource || !resource->hasData();
}

void ResourceBodyFetcher::fetch(const QList<File *> &files)
{
    cancel();
    m_fetched.clear();
    for (File *file : files) {
        if (needsBody(file))
            m_queue.append(file);
    }
    m_total = int(m_queue.size());
    if (m_total == 0) {
        Q_EMIT finished();
        return;
    }
    Q_EMIT progressed(0, m_total);
    startNext();
}

void ResourceBodyFetcher::cancel()
{
    ++m_generation;
    m_queue.clear();
    const QList<QPointer<QNetworkReply>> replies = std::exchange(m_replies, {});
    for (const QPointer<QNetworkReply> &reply : replies) {
        if (reply) {
            reply->abort();
            reply->deleteLater();
        }
    }
    m_running = 0;
    m_done = 0;
    m_total = 0;
}

std::optional<QByteArray> ResourceBodyFetcher::fetchedBytes(File *file) const
{
    const auto found = m_fetched.constFind(file);
    return found == m_fetched.cend() ? std::nullopt : std::optional<QByteArray>(*found);
}

void ResourceBodyFetcher::startNext()
{
    while (m_running < kFetchesAtOnce && !m_queue.isEmpty()) {
        File *file = m_queue.takeFirst().data();
        ++m_running;
        if (!file) {
            fileEnded(nullptr, nullptr, std::nullopt);
            continue;
        }
        const std::shared_ptr<LoadedResource> load = recordOf(file);
        // The browser may still keep the body of a request that finished.
        if (load && load->state() == LoadedResource::State::Finished && m_page)
            askBrowser(file, load);
        else
            fetchAddress(file, load);
    }
}

void ResourceBodyFetcher::askBrowser(File *file, const std::shared_ptr<LoadedResource> &load)
{
    const QPointer<ResourceBodyFetcher> self(this);
    const QPointer<File> guarded(file);
    const int generation = m_generation;
    const std::weak_ptr<LoadedResource> waiting = load;
    m_page->responseBody(load->requestId(), [self, guarded, generation, waiting](std::optional<QByteArray> body) {
        if (!self || self->m_generation != generation)
            return;
        const std::shared_ptr<LoadedResource> load = waiting.lock();
        if (!guarded) {
            self->fileEnded(nullptr, nullptr, std::nullopt);
        } else if (body) {
            self->fileEnded(guarded, load, body);
        } else {
            self->fetchAddress(guarded, load);
        }
    });
}

void ResourceBodyFetcher::fetchAddress(File *file, const std::shared_ptr<LoadedResource> &load)
{
    const QUrl url = load ? load->url() : QUrl(file->path());
    if (url.scheme() != u"http" && url.scheme() != u"https") {
        QM_INFO(QStringLiteral("%1 cannot be fetched again").arg(url.toString()));
        fileEnded(file, load, std::nullopt);
        return;
    }
    if (!m_network)
        m_network = new QNetworkAccessManager(this);
    QNetworkRequest request(url);
    request.setTransferTimeout(kFetchTimeoutMs);
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::NoLessSafeRedirectPolicy);
    QNetworkReply *reply = m_network->get(request);
    m_replies.append(reply);
    const QPointer<File> guarded(file);
    const std::weak_ptr<LoadedResource> waiting = load;
    const int generation = m_generation;
    connect(reply, &QNetworkReply::finished, this, [this, reply, guarded, waiting, generation, url] {
        reply->deleteLater();
        if (m_generation != generation)
            return;
        m_replies.removeAll(reply);
        const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
        std::optional<QByteArray> bytes;
        if (reply->error() == QNetworkReply::NoError && status >= 200 && status < 300)
            bytes = reply->readAll();
        else
            QM_INFO(QStringLiteral("%1 could not be fetched: %2").arg(url.toString(), reply->errorString()));
        fileEnded(guarded, waiting.lock(), bytes);
    });
}

void ResourceBodyFetcher::fileEnded(File *file, const std::shared_ptr<LoadedResource> &load,
                                    const std::optional<QByteArray> &bytes)
{
    if (file && bytes) {
        if (load) {
            load->setBody(*bytes);
            // A text nobody edited yet is read from the bytes now here.
            if (!file->content())
                file->loadWebContent();
        } else {
            m_fetched.insert(file, *bytes);
        }
    }
    if (m_running > 0)
        --m_running;
    ++m_done;
    Q_EMIT progressed(m_done, m_total);
    if (m_done >= m_total) {
        m_total = 0;
        m_done = 0;
        Q_EMIT finished();
        return;
    }
    startNext();
}

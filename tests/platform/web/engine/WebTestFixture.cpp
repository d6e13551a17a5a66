#include "WebTestFixture.h"

#include <memory>

#include "TestUtil.h"

#include "platform/web/engine/WebBridge.h"
#include "platform/web/engine/WebFrameMirror.h"
#include "platform/web/engine/WebPage.h"
#include "platform/web/engine/WebPreferences.h"
#include "platform/web/engine/WebView.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QMimeDatabase>
#include <QPointer>
#include <QTcpSocket>
#include <QTimer>

#include <cstdio>
#include <unistd.h>

#include <gtest/gtest.h>

namespace {

QPointer<WebView> s_sharedView;

// Deletes the shared view after the last test, while the application still
// stands (web views must not outlive it).
class SharedViewEnvironment : public ::testing::Environment
{
public:
    void TearDown() override { delete s_sharedView.data(); }
};

} // namespace

WebTestFixture::WebTestFixture(WebView &view) : m_view(view) {}

WebView &WebTestFixture::sharedView()
{
    if (!s_sharedView) {
        s_sharedView = new WebView();
        s_sharedView->resize(800, 600);
        s_sharedView->show();
        ::testing::AddGlobalTestEnvironment(new SharedViewEnvironment);
    }
    s_sharedView->preferences().setJavaScriptEnabled(true);
    return *s_sharedView;
}

QString WebTestFixture::writeFile(const QString &name, const QByteArray &content)
{
    const QString path = m_dir.filePath(name);
    QDir().mkpath(QFileInfo(path).absolutePath());
    TestUtil::writeFile(path, content);
    return path;
}

QUrl WebTestFixture::urlOf(const QString &name) const
{
    return QUrl::fromLocalFile(m_dir.filePath(name));
}

bool WebTestFixture::loadPage(const QString &name, int timeoutMs)
{
    return loadUrl(urlOf(name), timeoutMs);
}

bool WebTestFixture::loadUrl(const QUrl &url, int timeoutMs)
{
    bool loaded = false;
    WebBridge &bridge = m_view.bridge();
    const auto connection = QObject::connect(&bridge, &WebBridge::documentLoaded, &bridge, [&](WebFrameMirror *frame) {
        // A page's script may have given the address a fragment by then.
        if (frame->isMainFrame() && frame->url().adjusted(QUrl::RemoveFragment) == url.adjusted(QUrl::RemoveFragment))
            loaded = true;
    });
    m_view.webPage()->load(url);
    const bool ok = TestUtil::waitUntil([&] { return loaded; }, timeoutMs);
    QObject::disconnect(connection);
    return ok;
}

WebFrameMirror &WebTestFixture::mainFrame() const
{
    return m_view.mainFrame();
}

QVariant WebTestFixture::evaluate(const QString &script, World world, int timeoutMs)
{
    // An answer that comes after the time-out has somewhere to go.
    struct Answer
    {
        QVariant value;
        bool done = false;
    };
    const auto answer = std::make_shared<Answer>();
    m_view.bridge().flushCommands();
    m_view.webPage()->runJavaScript(script, world == World::Page ? WebPage::World::Page : WebPage::World::Bridge,
                                    [answer](const QVariant &value) {
                                        answer->value = value;
                                        answer->done = true;
                                    });
    TestUtil::waitUntil([&] { return answer->done; }, timeoutMs);
    return answer->value;
}

bool WebTestFixture::settle(int timeoutMs)
{
    WebBridge &bridge = m_view.bridge();
    bridge.flushCommands();
    if (!TestUtil::waitUntil([&] { return !bridge.hasPendingCommands(); }, timeoutMs))
        return false;
    // One more round trip brings whatever the page reported before it.
    WebFrameMirror *frame = bridge.mainFrame();
    if (!frame)
        return true;
    bool answered = false;
    bridge.ask(*frame, {}, [&](const QJsonObject &) { answered = true; });
    return TestUtil::waitUntil([&] { return answered; }, timeoutMs);
}

LoopbackHttpServer::LoopbackHttpServer(const QString &folder, QObject *parent) : LoopbackServer(folder, parent) {}

QUrl LoopbackHttpServer::url(const QString &path) const
{
    return urlOnHost(QStringLiteral("127.0.0.1"), path);
}

QUrl LoopbackHttpServer::urlOnHost(const QString &host, const QString &path) const
{
    return QUrl(QStringLiteral("http://%1:%2/%3").arg(host).arg(serverPort()).arg(path));
}

void LoopbackHttpServer::serveRequest(QTcpSocket *socket, const QByteArray &head)
{
    ++m_requests;
    const QString asked = askedPath(head).value_or(QString());
    const int delay = m_delays.value(asked, 0);
    if (delay < 0) {
        m_paths.append(asked);
        return; // The connection stays open, unanswered.
    }
    if (delay > 0) {
        QPointer<QTcpSocket> guard(socket);
        QTimer::singleShot(delay, this, [this, guard, head] {
            if (guard)
                answer(guard, head);
        });
        return;
    }
    answer(socket, head);
}

void LoopbackHttpServer::setAnswer(const QString &path, const QByteArray &status, const QList<QByteArray> &headerLines)
{
    m_answers.insert(path, {status, headerLines});
}

void LoopbackHttpServer::answer(QTcpSocket *socket, const QByteArray &head)
{
    QByteArray status = "404 Not Found";
    QByteArray body = "not found";
    QByteArray type = "text/plain";
    QList<QByteArray> extra;
    if (const std::optional<QString> asked = askedPath(head)) {
        const QString &path = *asked;
        m_paths.append(path);
        if (m_unanswered.contains(path)) {
            socket->abort();
            return;
        }
        // Nothing outside the folder is served.
        if (const QString file = fileInFolder(path); !file.isEmpty()) {
            body = TestUtil::readFile(file);
            type = QMimeDatabase().mimeTypeForFile(file).name().toUtf8();
            status = "200 OK";
        }
        type = m_types.value(path, type);
        if (const auto answer = m_answers.constFind(path); answer != m_answers.cend()) {
            status = answer->first;
            extra = answer->second;
        }
    }
    QByteArray headers;
    for (const QByteArray &line : std::as_const(extra))
        headers += line + "\r\n";
    socket->write("HTTP/1.1 " + status + "\r\nContent-Type: " + type + "\r\nContent-Length: "
                  + QByteArray::number(body.size()) + "\r\nCache-Control: no-store\r\n" + headers
                  + "Connection: close\r\n\r\n" + body);
    socket->disconnectFromHost();
}

StandardErrorCapture::StandardErrorCapture() : m_file(new QTemporaryFile())
{
    std::fflush(stderr);
    if (!m_file->open())
        return;
    m_savedFd = ::dup(STDERR_FILENO);
    ::dup2(m_file->handle(), STDERR_FILENO);
}

StandardErrorCapture::~StandardErrorCapture()
{
    std::fflush(stderr);
    if (m_savedFd >= 0) {
        ::dup2(m_savedFd, STDERR_FILENO);
        ::close(m_savedFd);
    }
    delete m_file;
}

QString StandardErrorCapture::text()
{
    std::fflush(stderr);
    return QString::fromUtf8(TestUtil::readFile(m_file->fileName()));
}

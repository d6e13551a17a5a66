#pragma once

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QObject>
#include <QPointer>

#include <memory>
#include <optional>

class File;
class LoadedResource;
class QNetworkAccessManager;
class QNetworkReply;
class WebPage;

// Brings the bytes of page resources the preview does not hold (a kind of
// request whose body is not kept, a body the browser dropped, a load that
// never finished): first the body the browser may still keep, then the
// resource's address fetched again. What comes is given to the resource's
// record, so that every reader of the File sees it; a File without a record
// keeps it here. A few requests run at once; one run at a time.
class ResourceBodyFetcher : public QObject
{
    Q_OBJECT

public:
    explicit ResourceBodyFetcher(QObject *parent = nullptr);
    ~ResourceBodyFetcher() override;

    // The page asked for kept bodies; not owned.
    void setWebPage(WebPage *page) { m_page = page; }

    // Whether a network File has none of its bytes.
    static bool needsBody(File *file);

    // Starts bringing the bytes of the files (those that need them); emits
    // progressed() after each and finished() once all ended, at once for
    // none. A run still going is cancelled first.
    void fetch(const QList<File *> &files);
    // Stops the run: nothing more is asked and finished() is not emitted.
    void cancel();
    bool isRunning() const { return m_total > 0; }

    // The bytes fetched for a File that has no record to hold them.
    std::optional<QByteArray> fetchedBytes(File *file) const;

Q_SIGNALS:
    void progressed(int done, int total);
    void finished();

private:
    void startNext();
    void askBrowser(File *file, const std::shared_ptr<LoadedResource> &load);
    void fetchAddress(File *file, const std::shared_ptr<LoadedResource> &load);
    void fileEnded(File *file, const std::shared_ptr<LoadedResource> &load, const std::optional<QByteArray> &bytes);

    QPointer<WebPage> m_page;
    QNetworkAccessManager *m_network = nullptr; // Owned (QObject child), made on first use.
    QList<QPointer<File>> m_queue;
    QList<QPointer<QNetworkReply>> m_replies;
    QHash<File *, QByteArray> m_fetched;
    int m_running = 0;
    int m_done = 0;
    int m_total = 0;
    // Raised by cancel(): answers of an earlier run are dropped.
    int m_generation = 0;
};

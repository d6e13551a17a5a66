#pragma once

#include "LoadedResource.h"
#include "WebFrameEx.h"

#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>

#include <memory>
#include <vector>



// What the preview recorded of one load of the page shown: a record per
// frame (the main frame first, then the others as their loads started),
// every request of those frames with what came of it, and the File made of
// each resource once its load ended (responseFiles). A new page replaces the
// whole of it; the resource list keeps showing the previous one until it
// takes the new roots, so nothing it shows goes away under it.
class LoadedPage
{
public:
    explicit LoadedPage(const QString &loaderId) : m_loaderId(loaderId) {}
    ~LoadedPage();
    LoadedPage(const LoadedPage &) = delete;
    LoadedPage &operator=(const LoadedPage &) = delete;

    // The main frame's document load this page began with.
    QString loaderId() const { return m_loaderId; }

    // Frames, by the browser's frame id.
    QList<WebFrameEx *> frames() const;
    WebFrameEx *frame(const QString &frameId) const { return m_frameById.value(frameId); }
    WebFrameEx *mainFrame() const { return m_frames.empty() ? nullptr : m_frames.front().get(); }
    // Adds the record (the first one added is the main frame's) and puts
    // it among its parent's children when the parent has a record.
    WebFrameEx *addFrame(const QString &frameId, const QString &parentFrameId);

    // Loads, by request id, and each frame's requests in the order they
    // were sent.
    LoadedResource *load(const QString &requestId) const { return m_loads.value(requestId).get(); }
    std::shared_ptr<LoadedResource> sharedLoad(const QString &requestId) const { return m_loads.value(requestId); }
    void addLoad(std::shared_ptr<LoadedResource> load);
    QStringList requestsOfFrame(const QString &frameId) const { return m_requestsOfFrame.value(frameId); }
    QList<LoadedResource *> loads() const;

    // The File of a resource whose load ended, and the last one by address.
    File *fileOfRequest(const QString &requestId) const { return m_fileOfRequest.value(requestId); }
    File *responseFileWithURL(const QString &address) const { return m_responseFilesByURL.value(address); }
    QList<File *> responseFiles() const;
    // Takes the File of the request, made of what came from the address.
    File *addResponseFile(const QString &requestId, const QUrl &url, std::unique_ptr<File> file);

private:
    QString m_loaderId;
    std::vector<std::shared_ptr<WebFrameEx>> m_frames;
    QHash<QString, WebFrameEx *> m_frameById;
    QHash<QString, std::shared_ptr<LoadedResource>> m_loads;
    QList<QString> m_loadOrder;
    QHash<QString, QStringList> m_requestsOfFrame;
    std::vector<std::unique_ptr<File>> m_responseFiles;
    QHash<QString, File *> m_fileOfRequest;
    QHash<QString, File *> m_responseFilesByURL;
};

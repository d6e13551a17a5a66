#include "LoadedPage.h"

#include "workspace/File.h"

LoadedPage::~LoadedPage()
{
    // The index and group Files hold their frames: let go of them first.
    for (const std::shared_ptr<WebFrameEx> &frame : m_frames)
        frame->releaseNodes();
}

QList<WebFrameEx *> LoadedPage::frames() const
{
    QList<WebFrameEx *> frames;
    frames.reserve(qsizetype(m_frames.size()));
    for (const std::shared_ptr<WebFrameEx> &frame : m_frames)
        frames.append(frame.get());
    return frames;
}

WebFrameEx *LoadedPage::addFrame(const QString &frameId, const QString &parentFrameId)
{
    if (WebFrameEx *known = frame(frameId))
        return known;
    auto record = std::make_shared<WebFrameEx>(frameId, parentFrameId);
    record->setIsMainFrame(m_frames.empty());
    m_frames.push_back(record);
    m_frameById.insert(frameId, record.get());
    if (WebFrameEx *parent = frame(parentFrameId))
        parent->addChild(record.get());
    return record.get();
}

void LoadedPage::addLoad(std::shared_ptr<LoadedResource> load)
{
    const QString id = load->requestId();
    if (!m_loads.contains(id)) {
        m_loadOrder.append(id);
        m_requestsOfFrame[load->frameId()].append(id);
    }
    m_loads.insert(id, std::move(load));
}

QList<LoadedResource *> LoadedPage::loads() const
{
    QList<LoadedResource *> loads;
    loads.reserve(m_loadOrder.size());
    for (const QString &id : m_loadOrder)
        loads.append(m_loads.value(id).get());
    return loads;
}

QList<File *> LoadedPage::responseFiles() const
{
    QList<File *> files;
    files.reserve(qsizetype(m_responseFiles.size()));
    for (const std::unique_ptr<File> &file : m_responseFiles)
        files.append(file.get());
    return files;
}

File *LoadedPage::addResponseFile(const QString &requestId, const QUrl &url, std::unique_ptr<File> file)
{
    File *added = file.get();
    m_responseFiles.push_back(std::move(file));
    m_fileOfRequest.insert(requestId, added);
    m_responseFilesByURL.insert(url.toString(QUrl::FullyEncoded), added);
    return added;
}

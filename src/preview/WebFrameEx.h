#pragma once

#include "LoadedResource.h"

#include "workspace/File.h"
#include "workspace/WebFrame.h"

#include <QList>
#include <QPointer>
#include <QSet>
#include <QString>
#include <QUrl>

#include <array>
#include <functional>
#include <memory>
#include <optional>



// The preview's record of one frame of the page shown, the main frame or
// one inside it (of the same site or another): its document's request, the
// document's text, the resources it loaded, and its child frames. After
// each finished resource createResouceGroup() sorts its resources by kind
// into a small tree for the resource list: the frame's index File, standing
// for its document, whose children are group Files named like "Script(3)"
// and "Style(2)", whose children are the resources. The record is the File
// model's frame of its index File (webframe()).
//
// Ownership: the preview keeps the records of the page shown in shared
// pointers. A record owns its index and group Files, which hold the record
// in turn: releaseNodes() breaks that circle and must be called when the
// record is let go. The resources and child frames it lists are not owned.
class WebFrameEx final : public WebFrame, public std::enable_shared_from_this<WebFrameEx>
{
public:
    // The kinds of resource, in the order of the groups under the index File.
    enum Kind { ScriptKind, StyleKind, ImageKind, XHRKind, FontKind, UnknownKind, FrameKind, KindCount };

    // A record of the frame with the browser's ids of it and of its parent
    // frame (empty for the main frame).
    WebFrameEx(const QString &frame, const QString &parentFrame);
    ~WebFrameEx() override;
    WebFrameEx(const WebFrameEx &) = delete;
    WebFrameEx &operator=(const WebFrameEx &) = delete;

    QString frame() const { return m_frame; }
    QString parentFrameId() const { return m_parentFrameId; }
    bool isMainFrame() const { return m_isMainFrame; }
    void setIsMainFrame(bool main) { m_isMainFrame = main; }

    // The address the frame's document was asked from, and its absolute text.
    QUrl request() const { return m_request; }
    void setRequest(const QUrl &url) { m_request = url; }
    QString url() const { return m_request.toString(QUrl::FullyEncoded); }
    // The load of the frame's document; null until it was asked for.
    std::shared_ptr<LoadedResource> document() const { return m_document; }
    void setDocument(std::shared_ptr<LoadedResource> document);

    // WebFrame: the document's address, bytes and type.
    QUrl dataSourceRequestURL() const override;
    QByteArray dataSourceData() const override;
    QString mimeType() const override;
    bool hasData() const override { return m_document && m_document->hasData(); }

    // The document's text, decoded once; nullopt until then or when it
    // cannot be decoded.
    const std::optional<QString> &htmlString() const { return m_htmlString; }
    void setHtmlString(const std::optional<QString> &text) { m_htmlString = text; }
    qint64 frameSourceFileSize() const { return m_frameSourceFileSize; }
    void setFrameSourceFileSize(qint64 size) { m_frameSourceFileSize = size; }

    // The frame's resources in the order they were asked for; not owned.
    QList<File *> resources() const;
    void setResources(const QList<File *> &files);
    // The resources sorted by kind; the frame kind holds the child frames'
    // index Files.
    QList<File *> kindArray(Kind kind) const;
    QList<File *> cssArr() const { return kindArray(StyleKind); }
    QList<File *> imageArr() const { return kindArray(ImageKind); }
    QList<File *> scriptArr() const { return kindArray(ScriptKind); }
    QList<File *> xhrArr() const { return kindArray(XHRKind); }
    QList<File *> fontArr() const { return kindArray(FontKind); }
    QList<File *> unknownArr() const { return kindArray(UnknownKind); }
    QList<File *> frameArr() const { return kindArray(FrameKind); }

    // The child frames in the order their loads started; not owned.
    QList<WebFrameEx *> children() const { return m_children; }
    void addChild(WebFrameEx *child);
    WebFrameEx *parentFrame() const { return m_parentFrame; }
    void setParentFrame(WebFrameEx *parent) { m_parentFrame = parent; }

    // The root folder of the previewed project (null for none).
    File *rootFile() const;
    void setRootFile(File *root);
    File *indexFile() const { return m_indexFile.get(); }
    // The group of the child frames, once there are any.
    File *frameResourceGroup() const { return m_groups[FrameKind].get(); }

    // How a local path is found among the project's files when the root's
    // map does not hold it yet (the folders on the way are read).
    void setProjectFileLookup(std::function<File *(const QString &path)> lookup) { m_lookup = std::move(lookup); }
    // The project's node of a local resource; the resource itself otherwise;
    // null for a local file outside the project.
    File *relationFile(File *file) const;
    // Sorts the resources not sorted yet into their kinds, gives the child
    // frames' index Files to the frame group, and brings the groups and the
    // index File up to date. previewedFile is the project page shown (null
    // for an address); it is the groups' parent in the main frame.
    void createResouceGroup(File *previewedFile);
    // Drops the index and group Files.
    void releaseNodes();

    // The names of the groups (the count is appended), in the order of the kinds.
    static QString groupName(Kind kind);
    static QString groupKey(Kind kind);

    // The group of a resource: by its type, or, when it did not come as
    // asked, by what the page asked for; none for pages and other texts.
    static std::optional<Kind> kindOf(File *file);

private:
    void addToKind(File *file, Kind kind);
    void buildIndexFile(File *previewedFile);

    QString m_frame;
    QString m_parentFrameId;
    bool m_isMainFrame = false;
    QUrl m_request;
    std::shared_ptr<LoadedResource> m_document;
    std::optional<QString> m_htmlString;
    qint64 m_frameSourceFileSize = 0;
    QList<QPointer<File>> m_resources;
    std::array<QList<QPointer<File>>, KindCount> m_kinds;
    QList<WebFrameEx *> m_children;  // Not owned.
    WebFrameEx *m_parentFrame = nullptr; // Not owned.
    QPointer<File> m_rootFile;
    std::function<File *(const QString &)> m_lookup;
    // The index File's text was taken (once the document came).
    bool m_indexTextLoaded = false;
    std::unique_ptr<File> m_indexFile;
    std::array<std::unique_ptr<File>, KindCount> m_groups;
    // The addresses of every File already placed in a group.
    QSet<QString> m_flatResouces;
    qsizetype m_lastResouceCount = 0;
};

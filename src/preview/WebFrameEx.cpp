#include "WebFrameEx.h"

#include "platform/foundation/Log.h"
#include "platform/kit/NamedImage.h"
#include "workspace/File.h"

#include <QDateTime>
#include <QFileInfo>
#include <QHash>
#include <QIcon>

#include <algorithm>
#include <limits>

namespace {

struct GroupEntry
{
    const char *name;
    const char *key;
};

// The group table: display name and original display name by kind.
constexpr GroupEntry kGroups[WebFrameEx::KindCount] = {
    {"Script", "script"}, {"Style", "style"}, {"Image", "image"},   {"XHR", "xhr"},
    {"Font", "font"},     {"Unknown", "unknown"}, {"Frame", "frame"},
};

QIcon groupIcon()
{
    static const QIcon icon = [] {
        const QPixmap art = NamedImage::imageNamed(QStringLiteral("DVTNavGroup.icns"));
        return art.isNull() ? QIcon::fromTheme(QStringLiteral("folder")) : QIcon(art);
    }();
    return icon;
}

QString baseNameOf(const QString &path)
{
    return QFileInfo(path).completeBaseName();
}

QList<File *> filesOf(const QList<QPointer<File>> &list)
{
    QList<File *> files;
    files.reserve(list.size());
    for (const QPointer<File> &file : list) {
        if (file)
            files.append(file.data());
    }
    return files;
}

} // namespace

WebFrameEx::WebFrameEx(const QString &frame, const QString &parentFrame) : m_frame(frame), m_parentFrameId(parentFrame)
{
}

WebFrameEx::~WebFrameEx() = default;

void WebFrameEx::setDocument(std::shared_ptr<LoadedResource> document)
{
    m_document = std::move(document);
    if (m_document)
        m_request = m_document->requestURL();
}

QUrl WebFrameEx::dataSourceRequestURL() const
{
    return m_request;
}

QByteArray WebFrameEx::dataSourceData() const
{
    return m_document ? m_document->data() : QByteArray();
}

QString WebFrameEx::mimeType() const
{
    return m_document ? m_document->mimeType() : QString();
}

QList<File *> WebFrameEx::resources() const
{
    return filesOf(m_resources);
}

void WebFrameEx::setResources(const QList<File *> &files)
{
    m_resources.clear();
    m_resources.reserve(files.size());
    for (File *file : files)
        m_resources.append(file);
}

QList<File *> WebFrameEx::kindArray(Kind kind) const
{
    return filesOf(m_kinds[kind]);
}

void WebFrameEx::addChild(WebFrameEx *child)
{
    if (child && !m_children.contains(child))
        m_children.append(child);
}

File *WebFrameEx::rootFile() const
{
    return m_rootFile.data();
}

void WebFrameEx::setRootFile(File *root)
{
    m_rootFile = root;
}

QString WebFrameEx::groupName(Kind kind)
{
    return QString::fromLatin1(kGroups[kind].name);
}

QString WebFrameEx::groupKey(Kind kind)
{
    return QString::fromLatin1(kGroups[kind].key);
}

File *WebFrameEx::relationFile(File *file) const
{
    if (!file || !file->isLocalFile())
        return file;
    if (m_rootFile) {
        if (File *found = m_rootFile->pathForFile(file->path()))
            return found;
    }
    return m_lookup ? m_lookup(file->path()) : nullptr;
}

std::optional<WebFrameEx::Kind> WebFrameEx::kindOf(File *file)
{
    // What did not come as asked (an error page, a failed or unanswered
    // load) is grouped by what the page asked for.
    const auto load = std::dynamic_pointer_cast<LoadedResource>(file->webresource());
    if (load && (load->state() != LoadedResource::State::Finished || load->status() >= 400)) {
        const QString asked = load->resourceType();
        if (asked == u"Stylesheet")
            return StyleKind;
        if (asked == u"Script")
            return ScriptKind;
        if (asked == u"Image")
            return ImageKind;
        if (asked == u"Font")
            return FontKind;
    }
    switch (file->fileType()) {
    case File::None:
        return UnknownKind;
    case File::StyleSheet:
        return StyleKind;
    case File::Script:
        return ScriptKind;
    case File::Image:
        return ImageKind;
    case File::Font:
        return FontKind;
    default:
        // Documents and other texts belong to no group.
        return std::nullopt;
    }
}

void WebFrameEx::addToKind(File *file, Kind kind)
{
    m_kinds[kind].append(file);
    m_flatResouces.insert(file->absolutePath());
}

void WebFrameEx::createResouceGroup(File *previewedFile)
{
    if (previewedFile && previewedFile->rootFile())
        m_rootFile = previewedFile->rootFile();

    // The resources not placed yet go to their kinds; a resource asked
    // twice is placed once.
    for (const QPointer<File> &resource : std::as_const(m_resources)) {
        if (!resource || m_flatResouces.contains(resource->absolutePath()))
            continue;
        File *related = relationFile(resource);
        if (!related) {
            QM_DEBUG(QStringLiteral("relationFile is nil.%1").arg(resource->path()));
            continue;
        }
        related->setIncludedInLoadedResouce(true);
        if (const std::optional<Kind> kind = kindOf(related))
            addToKind(related, *kind);
    }
    // The members of a group keep the order the page asked for them in,
    // whichever came first.
    QHash<QString, qsizetype> order;
    for (qsizetype i = 0; i < m_resources.size(); ++i) {
        if (m_resources.at(i))
            order.insert(m_resources.at(i)->absolutePath(), i);
    }
    for (int kind = 0; kind < FrameKind; ++kind) {
        std::stable_sort(m_kinds[kind].begin(), m_kinds[kind].end(), [&order](const QPointer<File> &a, const QPointer<File> &b) {
            const qsizetype last = std::numeric_limits<qsizetype>::max();
            return (a ? order.value(a->absolutePath(), last) : last) < (b ? order.value(b->absolutePath(), last) : last);
        });
    }
    for (WebFrameEx *child : std::as_const(m_children)) {
        File *index = child->indexFile();
        if (!index || m_flatResouces.contains(index->absolutePath()))
            continue;
        addToKind(index, FrameKind);
        child->setParentFrame(this);
    }

    File *groupParent = m_parentFrame ? m_parentFrame->indexFile() : previewedFile;
    for (int kind = 0; kind < KindCount; ++kind) {
        const QList<File *> members = filesOf(m_kinds[kind]);
        if (members.isEmpty())
            continue;
        std::unique_ptr<File> &group = m_groups[kind];
        if (!group) {
            group = std::make_unique<File>();
            group->setOriginalDisplayName(groupKey(Kind(kind)));
            group->setIsResourceGroup(true);
            group->setIcon(groupIcon());
        }
        group->setDisplayName(QStringLiteral("%1(%2)").arg(groupName(Kind(kind))).arg(members.size()));
        group->setTempChildren(members);
        group->setParentFile(groupParent);
        group->setPathComponent();
    }
    buildIndexFile(previewedFile);
    m_lastResouceCount = m_resources.size();
}

void WebFrameEx::buildIndexFile(File *previewedFile)
{
    // A frame grouped before its document's request is known (a busy
    // machine reports the frame first) waits for it: its node is named and
    // placed from the request once, and kept.
    if (!m_indexFile && m_request.isEmpty())
        return;
    const bool local = m_request.isLocalFile();
    if (!m_indexFile) {
        if (local) {
            // A frame of a local page stands for its own file, so that the
            // DOM tree writes a frame's document back where it came from.
            const QString path = m_request.toLocalFile();
            m_indexFile = File::fileWithDirectory(path, false, nullptr);
            m_indexFile->setDisplayName(baseNameOf(path));
            m_indexFile->setAbsolutePath(m_request.toString(QUrl::FullyEncoded));
            m_indexFile->setIsMainWebframeFile(true);
        } else {
            m_indexFile = std::make_unique<File>();
            m_indexFile->setDisplayName(baseNameOf(m_request.path()));
            m_indexFile->setPath(url());
        }
        m_indexFile->setIsWebframeFile(true);
        m_indexFile->setWebframe(shared_from_this());
        m_indexFile->setIsResourceGroup(true);
        m_indexFile->setPathComponent();
    }
    File *index = m_indexFile.get();
    // A remote document's text is taken once it came (or failed to).
    if (!local && !m_indexTextLoaded && m_document && m_document->hasEnded()) {
        index->loadWebContent();
        m_indexTextLoaded = true;
    }
    index->setCodetFile(previewedFile);
    index->setFileSize(m_frameSourceFileSize);
    if (!local)
        index->setParentFile(m_parentFrame ? m_parentFrame->frameResourceGroup() : nullptr);

    QList<File *> groups;
    for (const std::unique_ptr<File> &group : m_groups) {
        if (!group)
            continue;
        if (!local)
            group->setParentFile(index);
        groups.append(group.get());
    }
    index->setTempChildren(groups);
}

void WebFrameEx::releaseNodes()
{
    m_indexFile.reset();
    for (std::unique_ptr<File> &group : m_groups)
        group.reset();
}

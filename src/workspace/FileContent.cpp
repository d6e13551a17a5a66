// File: text content, modified state and saving.

#include "File.h"
#include "WebContentStore.h"

#include "foundation/DataUtils.h"
#include "foundation/InspectUndoManager.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/StringEncoding.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <cstring>

#include <sys/stat.h>

std::optional<QString> File::readDiskText(quint32 *encoding, QByteArray *digest) const
{
    QFile file(m_path);
    if (!file.open(QIODevice::ReadOnly)) {
        QM_INFO(QStringLiteral("cannot read %1: %2").arg(m_path, file.errorString()));
        return std::nullopt;
    }
    const QByteArray data = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        QM_INFO(QStringLiteral("cannot read %1: %2").arg(m_path, file.errorString()));
        return std::nullopt;
    }
    if (digest)
        *digest = digestOf(data);
    std::optional<DataUtils::DecodedText> decoded = DataUtils::decodeWithAutoEncode(data);
    if (!decoded) {
        QM_INFO(QStringLiteral("%1 is in no known text encoding; it has no text").arg(m_path));
        return std::nullopt;
    }
    if (encoding)
        *encoding = decoded->encoding;
    return std::move(decoded->text);
}

std::optional<QString> File::getContentOfPath() const
{
    if (m_isLocalFile)
        return readDiskText(nullptr);
    if (m_path.isEmpty())
        return std::nullopt;
    // The model does not fetch: the preview already holds the loaded bytes.
    // An undecodable resource has no text (never a placeholder text that
    // could later be written over a file).
    return DataUtils::stringWithAutoEncode(webResourceData());
}

void File::reloadContent()
{
    ++m_contentGeneration;
    startNewContentVersion();
    if (!m_isLocalFile) {
        m_content = getContentOfPath();
        return;
    }
    // The stamp is taken before the read: a change made meanwhile makes the
    // next isModified() read again rather than trust a stale text.
    const std::optional<DiskStamp> stamp = diskStamp(m_path, nullptr);
    quint32 encoding = 0;
    QByteArray digest;
    m_content = readDiskText(&encoding, &digest);
    m_diskText = m_content;
    if (m_content)
        m_encoding = encoding;
    m_diskDigest = m_content ? std::optional<QByteArray>(digest) : std::nullopt;
    m_overwritableDigest.reset();
    m_hasOutsideChange = false;
    m_saveFailed = false;
    m_probeText = m_content;
    m_probeStamp = stamp;
}

std::optional<QString> File::currentContent()
{
    if (!m_content)
        reloadContent();
    return m_content;
}

namespace {

quint64 s_lastContentVersion = 0;

// The length of the common start of two texts, then of their common end
// within what is left.
std::pair<qsizetype, qsizetype> commonEnds(QStringView a, QStringView b)
{
    const qsizetype shorter = std::min(a.size(), b.size());
    qsizetype prefix = 0;
    // Whole chunks compare with memcmp first: typing into a large text
    // changes one place, and the rest should cost no more than a copy.
    constexpr qsizetype kChunk = 256;
    while (prefix + kChunk <= shorter
           && std::memcmp(a.data() + prefix, b.data() + prefix, kChunk * sizeof(QChar)) == 0)
        prefix += kChunk;
    while (prefix < shorter && a[prefix] == b[prefix])
        ++prefix;
    const qsizetype rest = shorter - prefix;
    qsizetype suffix = 0;
    while (suffix + kChunk <= rest
           && std::memcmp(a.data() + a.size() - suffix - kChunk, b.data() + b.size() - suffix - kChunk,
                          kChunk * sizeof(QChar)) == 0)
        suffix += kChunk;
    while (suffix < rest && a[a.size() - suffix - 1] == b[b.size() - suffix - 1])
        ++suffix;
    return {prefix, suffix};
}

} // namespace

void File::setContent(const std::optional<QString> &text)
{
    replaceContent(text, 0);
}

void File::startNewContentVersion()
{
    m_contentVersion = ++s_lastContentVersion;
}

void File::replaceContent(const std::optional<QString> &text, quint64 version)
{
    InspectUndoManager *undo = sharedUndoManager();
    const bool changed = text != m_content;
    if (changed && version == 0)
        version = ++s_lastContentVersion;
    if (undo && changed) {
        // The inverse of a text change: the new text with its changed middle
        // put back as it was. It holds that middle only, and applies to the
        // text it was recorded after.
        const quint64 after = version;
        const quint64 before = m_contentVersion;
        if (m_content && text) {
            // Plain variables, not a structured binding: clang before 16
            // cannot capture one in the lambda below.
            const auto ends = commonEnds(*m_content, *text);
            const auto prefix = ends.first;
            const auto suffix = ends.second;
            const QString oldMiddle = m_content->mid(prefix, m_content->size() - prefix - suffix);
            undo->prepareWithInvocationTarget(this, [this, after, before, prefix, suffix, oldMiddle] {
                if (m_contentVersion != after || !m_content) {
                    QM_INFO(QStringLiteral("the text of %1 was replaced since; its undo step is skipped").arg(m_path));
                    return;
                }
                const QString &now = *m_content;
                replaceContent(now.left(prefix) + oldMiddle + now.right(suffix), before);
            });
        } else {
            const std::optional<QString> old = m_content;
            undo->prepareWithInvocationTarget(this, [this, after, before, old] {
                if (m_contentVersion != after) {
                    QM_INFO(QStringLiteral("the text of %1 was replaced since; its undo step is skipped").arg(m_path));
                    return;
                }
                replaceContent(old, before);
            });
        }
    }
    m_content = text;
    if (changed)
        m_contentVersion = version;
    ++m_contentGeneration;
    if (m_isLocalFile)
        noteEdited();
    if (!m_isLocalFile && text) {
        if (WebContentStore *store = WebContentStore::shared())
            store->setContent(*text, webResourceURL());
    }
    m_modDate = QDateTime::currentDateTimeUtc();
    Q_EMIT modifiedChanged();

    // A code-view edit needs no reload of the view it came from; its undo
    // and redo do.
    const bool replaying = undo && (undo->isUndoing() || undo->isRedoing());
    NotificationCenter &center = NotificationCenter::defaultCenter();
    if (replaying || m_lastContentChangeReason != CodeViewChange)
        center.postNotificationName(QStringLiteral("reloadContent"), this);
    center.postNotificationName(QStringLiteral("fileContentChanged"), this);
}

std::optional<File::DiskStamp> File::diskStamp(const QString &path, bool *isDirectory)
{
    struct stat st;
    if (path.isEmpty() || ::stat(QFile::encodeName(path).constData(), &st) != 0)
        return std::nullopt;
    if (isDirectory)
        *isDirectory = S_ISDIR(st.st_mode);
    DiskStamp stamp;
    stamp.modified = qint64(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
    stamp.changed = qint64(st.st_ctim.tv_sec) * 1000000000 + st.st_ctim.tv_nsec;
    stamp.size = qint64(st.st_size);
    stamp.inode = quint64(st.st_ino);
    return stamp;
}

bool File::isModified()
{
    if (!m_isLocalFile) {
        if (m_openDate.msecsTo(m_modDate) <= kModifiedToleranceMs)
            return false;
        WebContentStore *store = WebContentStore::shared();
        const std::optional<QString> saved = store ? store->savedContentWithURL(webResourceURL()) : std::nullopt;
        return m_content != saved;
    }
    // A failed save never reads as saved, whatever the disk holds now.
    if (m_saveFailed)
        return true;
    // A network volume may hang while offline: do not touch it then.
    if (m_isNetworkDrive && !isInternetAvail())
        return false;
    bool isDirectory = false;
    if (!diskStamp(m_path, &isDirectory)) {
        // Gone from disk: edits kept from before are still unsaved.
        if (m_diskKind == DiskKind::Folder)
            return isFolderModified();
        return m_content && hasUnsavedEdits();
    }
    return isDirectory ? isFolderModified() : isLocalFileModified();
}

bool File::isLocalFileModified()
{
    // Text set right after it was taken is the source's, unless it differs
    // from the text read (a node made for an edit is set at once).
    if (m_openDate.msecsTo(m_modDate) <= kModifiedToleranceMs && (!m_diskText || m_content == m_diskText))
        return false;
    const std::optional<QString> text = currentContent();
    const std::optional<DiskStamp> stamp = diskStamp(m_path, nullptr);
    if (m_answerStamp == stamp && m_answerGeneration == m_contentGeneration)
        return m_answer;
    if (!stamp || m_probeStamp != stamp) {
        m_probeText = readDiskText(nullptr);
        m_probeStamp = stamp;
    }
    // An unreadable file has no text to match: it reads as modified.
    m_answer = !m_probeText || text != m_probeText;
    m_answerStamp = stamp;
    m_answerGeneration = m_contentGeneration;
    return m_answer;
}

bool File::isFolderModified()
{
    File *root = m_rootFile.data();
    if (!root || !root->m_hasFileMap) {
        // A folder outside a project asks its children.
        for (File *child : children()) {
            if (child->isModified())
                return true;
        }
        return false;
    }
    // Only a node that was given text can differ from its disk: ask those
    // that lie below this folder, not every node of the subtree.
    const QList<File *> edited(root->m_editedFiles.cbegin(), root->m_editedFiles.cend());
    for (File *file : edited) {
        bool below = false;
        for (File *up = file->parentFile(); up; up = up->parentFile()) {
            if (up == this) {
                below = true;
                break;
            }
        }
        if (below && file->isModified())
            return true;
    }
    return false;
}

void File::noteEdited()
{
    File *root = m_rootFile.data();
    if (root && root != this && root->m_hasFileMap)
        root->m_editedFiles.insert(this);
}

void File::forgetFromEdited()
{
    QList<File *> roots{m_rootFile.data()};
    if (File *parent = m_parentFile.data())
        roots.append(parent->rootFile());
    for (File *root : std::as_const(roots)) {
        if (root && root != this && root->m_hasFileMap)
            root->m_editedFiles.remove(this);
    }
}

bool File::hasUnsavedEdits() const
{
    if (m_saveFailed)
        return true;
    // The text last read or written decides; without one, text set right
    // after it was taken from its source is that source's.
    if (m_diskText)
        return m_content != m_diskText;
    return m_openDate.msecsTo(m_modDate) > kModifiedToleranceMs;
}

void File::refreshFromDisk()
{
    const std::optional<DiskStamp> stamp = diskStamp(m_path, nullptr);
    quint32 encoding = 0;
    QByteArray digest;
    const std::optional<QString> disk = readDiskText(&encoding, &digest);
    m_probeText = disk;
    m_probeStamp = stamp;
    if (disk == m_content) {
        // The same text in other bytes: saved as the disk now has it.
        if (disk) {
            m_diskText = disk;
            m_encoding = encoding;
            m_diskDigest = digest;
        }
        return;
    }
    takeDiskText(disk, encoding, digest);
}

void File::takeDiskText(const std::optional<QString> &disk, quint32 encoding, const QByteArray &digest)
{
    addHistory();
    m_content = disk;
    ++m_contentGeneration;
    startNewContentVersion();
    m_diskText = disk;
    if (disk) {
        m_encoding = encoding;
        m_diskDigest = digest;
    }
    m_saveFailed = false;
    m_lastSaveError.clear();
    m_openDate = QDateTime::currentDateTimeUtc();
    m_modDate = m_openDate;
    Q_EMIT modifiedChanged();
    NotificationCenter::defaultCenter().postNotificationName(QStringLiteral("reloadContent"), this);
}

bool File::save()
{
    if (!m_isLocalFile) {
        QM_INFO(QStringLiteral("%1 is not a local file; nothing was written").arg(m_path));
        return false;
    }

    auto fail = [this](const QString &reason) {
        m_saveFailed = true;
        m_lastSaveError = reason;
        noteEdited();
        QM_ERROR(QStringLiteral("could not save %1: %2").arg(m_path, reason));
        Q_EMIT modifiedChanged();
        return false;
    };

    if (!m_content)
        return fail(QStringLiteral("it has no text (it was never read, or could not be decoded)"));

    // Another program's change since the text was read is never written
    // over unless the user chose so.
    switch (settleOutsideChange()) {
    case DiskCheck::TookDiskVersion:
        // The disk holds the file's text now.
        m_lastSaveError.clear();
        return true;
    case DiskCheck::Undecided:
        m_lastSaveError = QStringLiteral("another program changed it, and its version is not written over unasked");
        QM_INFO(QStringLiteral("%1 was not saved: %2").arg(m_path, m_lastSaveError));
        Q_EMIT modifiedChanged();
        return false;
    case DiskCheck::Unchanged:
    case DiskCheck::KeepMine:
        break;
    }
    // Written again where another program deleted it, folders included.
    if (m_isMissingOnDisk)
        QDir().mkpath(QFileInfo(m_path).absolutePath());

    quint32 encoding = m_encoding ? m_encoding : quint32(StringEncoding::UTF8);
    std::optional<QByteArray> data = DataUtils::encode(*m_content, encoding);
    if (!data) {
        // Keep every character rather than the old encoding.
        QM_INFO(QStringLiteral("%1 holds characters that %2 cannot write; saved as UTF-8")
                    .arg(m_path, StringEncoding::name(encoding)));
        encoding = StringEncoding::UTF8;
        data = DataUtils::encode(*m_content, encoding);
        if (!data)
            return fail(QStringLiteral("the text cannot be encoded"));
    }

    // A temporary file in the same folder, renamed over the file once it is
    // complete: a crash or a full disk leaves the old file whole.
    QSaveFile out(m_path);
    if (!out.open(QIODevice::WriteOnly))
        return fail(out.errorString());
    if (out.write(*data) != data->size()) {
        const QString reason = out.errorString();
        out.cancelWriting();
        return fail(reason);
    }
    if (!out.commit())
        return fail(out.errorString());

    m_diskText = m_content;
    m_encoding = encoding;
    m_diskDigest = digestOf(*data);
    m_overwritableDigest.reset();
    m_hasOutsideChange = false;
    m_isMissingOnDisk = false;
    m_saveFailed = false;
    m_lastSaveError.clear();
    m_fileSize = data->size();
    m_probeText = m_content;
    m_probeStamp = diskStamp(m_path, nullptr);
    Q_EMIT modifiedChanged();
    return true;
}

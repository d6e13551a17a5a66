// File: text content, modified state and saving.

#include "File.h"
#include "WebContentStore.h"

#include "foundation/DataUtils.h"
#include "foundation/InspectUndoManager.h"
#include "foundation/PieceText.h"
#include "foundation/StringUtils.h"
#include "platform/foundation/AtomicFileWriter.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/StringEncoding.h"
#include "platform/kit/Alert.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFutureWatcher>
#include <QtConcurrent/QtConcurrentRun>

#include <sys/stat.h>

std::optional<QString> File::readDiskText(quint32 *encoding, QByteArray *digest, QString *notice) const
{
    return readDiskTextAt(m_path, encoding, digest, notice);
}

std::optional<QString> File::readDiskTextAt(const QString &path, quint32 *encoding, QByteArray *digest,
                                            QString *notice)
{
    if (notice)
        notice->clear();
    // A name Qt could not read names no file: say so rather than "not found".
    if (const std::optional<QString> problem = AtomicFileWriter::undecodableNameProblem(path)) {
        QM_INFO(QStringLiteral("cannot read %1: %2").arg(path, *problem));
        if (notice)
            *notice = *problem;
        return std::nullopt;
    }
    // Why a view of the file shows no text and takes no keys (#85).
    const auto noText = [notice](const QString &why) {
        if (notice)
            *notice = why + QStringLiteral(": it takes no edits, and nothing is saved over it.");
    };
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        QM_INFO(QStringLiteral("cannot read %1: %2").arg(path, file.errorString()));
        if (std::optional<QString> why = whyUnreadable(path)) {
            (*why)[0] = why->at(0).toUpper();
            noText(*why);
        } else if (notice) {
            *notice = QStringLiteral("There is no such file: it takes no edits, and a save makes none.");
        }
        return std::nullopt;
    }
    const QByteArray data = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        QM_INFO(QStringLiteral("cannot read %1: %2").arg(path, file.errorString()));
        noText(QStringLiteral("This file cannot be read (%1)").arg(file.errorString()));
        return std::nullopt;
    }
    if (digest)
        *digest = digestOf(data);
    std::optional<DataUtils::DecodedText> decoded = DataUtils::decodeWithAutoEncode(data);
    if (!decoded) {
        QM_INFO(QStringLiteral("%1 is in no known text encoding; it has no text").arg(path));
        noText(QStringLiteral("This file is in no known text encoding"));
        return std::nullopt;
    }
    if (encoding)
        *encoding = decoded->encoding;
    if (decoded->keptBytes > 0) {
        const QString encodingName = StringEncoding::name(decoded->encoding);
        const QString text =
            decoded->keptBytes == 1
                ? QStringLiteral("This file is not valid %1: one of its bytes, on line %2, is no text. It is shown "
                                 "as a placeholder and written back unchanged when the file is saved.")
                      .arg(encodingName)
                      .arg(decoded->firstKeptLine)
                : QStringLiteral("This file is not valid %1: %2 of its bytes, the first on line %3, are no text. "
                                 "They are shown as placeholders and written back unchanged when the file is saved.")
                      .arg(encodingName)
                      .arg(decoded->keptBytes)
                      .arg(decoded->firstKeptLine);
        QM_INFO(QStringLiteral("%1: %2").arg(path, text));
        if (notice)
            *notice = text;
    }
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
    m_pieces.reset();
    ++m_contentGeneration;
    startNewContentVersion();
    if (!m_isLocalFile) {
        m_content = getContentOfPath();
        return;
    }
    // The stamp is taken before the read: a change made meanwhile makes the
    // next isModified() read again rather than trust a stale text.
    bool isDirectory = false;
    const std::optional<DiskStamp> stamp = diskStamp(m_path, &isDirectory);
    // A folder has no text: it is never read as a file (#80).
    if (isDirectory) {
        m_content.reset();
        return;
    }
    takeReadText(readDisk(), stamp);
}

void File::loadContentInBackground(QObject *context, std::function<void(const std::optional<QString> &)> done)
{
    const std::optional<DiskStamp> stamp =
        m_content || !m_isLocalFile ? std::nullopt : diskStamp(m_path, nullptr);
    if (!stamp || stamp->size <= kBackgroundReadBytes) {
        done(currentContent());
        return;
    }
    const quint64 generation = m_contentGeneration;
    auto *watcher = new QFutureWatcher<DiskRead>(this);
    connect(watcher, &QFutureWatcherBase::finished, this,
            [this, watcher, stamp, generation, guard = QPointer<QObject>(context), done = std::move(done)] {
                watcher->deleteLater();
                if (!m_content && generation == m_contentGeneration) {
                    ++m_contentGeneration;
                    startNewContentVersion();
                    takeReadText(watcher->result(), stamp);
                }
                if (guard)
                    done(m_content);
            });
    watcher->setFuture(QtConcurrent::run([path = m_path] { return readDiskAt(path); }));
}

void File::takeReadText(DiskRead disk, const std::optional<DiskStamp> &stamp)
{
    m_pieces.reset();
    m_content = std::move(disk.text);
    m_textNotice = disk.notice;
    m_diskText = m_content;
    if (m_content)
        m_encoding = disk.encoding;
    m_diskDigest = m_content ? std::optional<QByteArray>(std::move(disk.digest)) : std::nullopt;
    m_overwritableDigest.reset();
    m_hasOutsideChange = false;
    m_saveFailed = false;
    m_probeText = m_content;
    m_probeStamp = stamp;
}

std::optional<QString> File::content() const
{
    // Made whole once, for every reader after.
    const_cast<File *>(this)->settlePieces();
    return m_content;
}

std::optional<QString> File::currentContent()
{
    if (!m_content)
        reloadContent();
    return content();
}

void File::settlePieces()
{
    if (!m_pieces)
        return;
    const std::shared_ptr<PieceText> pieces = std::move(m_pieces);
    m_pieces.reset();
    QString whole = pieces->toString();
    // The newest snapshot, held against the text, follows it.
    if (m_content)
        historyFollows(*m_content, whole, pieces->unchangedEnds());
    m_content = std::move(whole);
}

namespace {

quint64 s_lastContentVersion = 0;

} // namespace

bool File::setContent(const std::optional<QString> &text)
{
    return replaceContent(text, 0);
}

bool File::setContent(const QString &text, UnchangedEnds ends)
{
    settlePieces();
    // Ends that do not fit both texts say nothing.
    const qsizetype shorter = std::min(text.size(), m_content ? m_content->size() : qsizetype(0));
    if (!m_content || ends.first < 0 || ends.second < 0 || ends.first + ends.second > shorter)
        return replaceContent(text, 0);
    return replaceContent(text, 0, ends);
}

bool File::keepsEncoding(const QString &text, bool replaying, UnchangedEnds ends)
{
    const quint32 encoding = m_encoding ? m_encoding : quint32(StringEncoding::UTF8);
    // Only the changed middle can hold a new character; it is widened so as
    // not to split a surrogate pair.
    auto [prefix, suffix] = ends;
    if (prefix > 0 && text.at(prefix - 1).isHighSurrogate())
        --prefix;
    if (suffix > 0 && text.at(text.size() - suffix).isLowSurrogate())
        --suffix;
    const QStringView middle = QStringView(text).sliced(prefix, text.size() - prefix - suffix);
    if (StringEncoding::canEncode(middle, encoding))
        return true;
    // A Unicode form has nothing to convert to: what it cannot write (a
    // stray surrogate) is refused by save() with the reason.
    if (encoding == StringEncoding::UTF8 || encoding == StringEncoding::UTF8WithBOM)
        return true;
    if (replaying) {
        // Undo and redo put back a text that was chosen before: the file
        // was converted then, and is again.
        m_encoding = StringEncoding::UTF8;
        return true;
    }

    // The characters that cannot be written, a few of them, for the question.
    QStringList missing;
    for (qsizetype i = 0; i < middle.size() && missing.size() < 5; ++i) {
        const qsizetype length = middle.at(i).isHighSurrogate() && i + 1 < middle.size() ? 2 : 1;
        const QStringView character = middle.sliced(i, length);
        if (!StringEncoding::canEncode(character, encoding) && !missing.contains(character.toString()))
            missing.append(character.toString());
        i += length - 1;
    }
    Alert alert;
    alert.setMessageText(QStringLiteral("\"%1\" is in %2, which cannot hold %3.")
                             .arg(m_displayName, StringEncoding::name(encoding),
                                  missing.isEmpty() ? QStringLiteral("the new text")
                                                    : QStringLiteral("\u201c%1\u201d").arg(missing.join(QStringLiteral("\u201d, \u201c")))));
    alert.setInformativeText(QStringLiteral("Convert the file to UTF-8 to keep the edit: all of its text is then "
                                            "written as UTF-8 when it is saved. Or cancel the edit: the file stays "
                                            "as it is."));
    alert.addButtonWithTitle(QStringLiteral("Convert to UTF-8"));
    alert.addButtonWithTitle(QStringLiteral("Cancel"));
    if (alert.runModal(QApplication::activeWindow()) == Alert::FirstButtonReturn) {
        QM_INFO(QStringLiteral("%1 is converted from %2 to UTF-8 for an edit").arg(m_path, StringEncoding::name(encoding)));
        m_encoding = StringEncoding::UTF8;
        return true;
    }
    QM_INFO(QStringLiteral("an edit of %1 was cancelled: %2 cannot hold it").arg(m_path, StringEncoding::name(encoding)));
    return false;
}

void File::startNewContentVersion()
{
    m_contentVersion = ++s_lastContentVersion;
    // The steps recorded against the text before would do nothing now (and
    // laid over this text, make one nobody wrote): they go, whole.
    if (InspectUndoManager *undo = sharedUndoManager())
        undo->removeAllStepsWithTarget(this);
}

bool File::replaceContent(const std::optional<QString> &text, quint64 version, std::optional<UnchangedEnds> ends)
{
    settlePieces();
    InspectUndoManager *undo = sharedUndoManager();
    // Ends given are the same in both texts: the middles alone can differ.
    if (!ends && m_content && text)
        ends = StringUtils::commonEnds(*m_content, *text);
    const bool changed = ends && m_content && text
                             ? m_content->size() != text->size()
                                   || QStringView(*m_content).sliced(ends->first, m_content->size() - ends->first - ends->second)
                                          != QStringView(*text).sliced(ends->first, text->size() - ends->first - ends->second)
                             : text != m_content;
    const bool replaying = undo && (undo->isUndoing() || undo->isRedoing());
    // A character the file's encoding cannot hold is never saved silently
    // in another encoding: the user converts the file or cancels the edit,
    // and an editor showing the edit takes the text back.
    const quint32 encodingBefore = m_encoding;
    if (changed && m_isLocalFile && text && !keepsEncoding(*text, replaying, ends.value_or(UnchangedEnds(0, 0)))) {
        NotificationCenter::defaultCenter().postNotificationName(QStringLiteral("reloadContent"), this);
        return false;
    }
    if (changed && version == 0)
        version = ++s_lastContentVersion;
    if (undo && changed) {
        const quint64 before = m_contentVersion;
        if (m_content && text) {
            const qsizetype prefix = ends->first;
            const qsizetype suffix = ends->second;
            registerMiddleUndo(version, before, prefix, suffix, m_content->mid(prefix, m_content->size() - prefix - suffix),
                               encodingBefore);
        } else {
            const quint64 after = version;
            const std::optional<QString> old = m_content;
            undo->prepareWithInvocationTarget(
                this,
                [this, after, before, old, encodingBefore] {
                    if (m_contentVersion != after) {
                        QM_INFO(QStringLiteral("the text of %1 was replaced since; its undo step is skipped").arg(m_path));
                        return;
                    }
                    replaceContent(old, before);
                    m_encoding = encodingBefore;
                },
                [this, after] { return m_contentVersion == after; });
        }
    }
    if (changed && m_content && text)
        historyFollows(*m_content, *text, *ends);
    m_content = text;
    contentReplaced(changed, version, replaying);
    return true;
}

void File::registerMiddleUndo(quint64 after, quint64 before, qsizetype prefix, qsizetype suffix, const QString &oldMiddle,
                              quint32 encodingBefore)
{
    InspectUndoManager *undo = sharedUndoManager();
    if (!undo)
        return;
    // The inverse of a text change: the new text with its changed middle put
    // back as it was. It holds that middle only, and applies to the text it
    // was recorded after: on no other is it offered, never run as one doing
    // nothing.
    undo->prepareWithInvocationTarget(this, [this, after, before, prefix, suffix, oldMiddle, encodingBefore] {
        if (m_contentVersion != after || !m_content) {
            QM_INFO(QStringLiteral("the text of %1 was replaced since; its undo step is skipped").arg(m_path));
            return;
        }
        // A text in pieces is put back in its pieces.
        if (m_pieces) {
            editPieces(prefix, m_pieces->size() - prefix - suffix, oldMiddle, before);
            m_encoding = encodingBefore;
            return;
        }
        const QString &now = *m_content;
        replaceContent(StringUtils::withMiddle(now, prefix, oldMiddle, suffix), before);
        // An edit that converted the file takes the conversion back with it.
        m_encoding = encodingBefore;
    }, [this, after] { return m_contentVersion == after && m_content; });
}

bool File::editContentInPieces(qsizetype start, qsizetype removed, const QString &inserted)
{
    if (!m_isLocalFile)
        return editContent(start, removed, inserted);
    if (!m_content)
        return false;
    // The pieces share the text as it is: nothing is copied.
    if (!m_pieces)
        m_pieces = std::make_shared<PieceText>(*m_content);
    if (start < 0 || removed < 0 || start + removed > m_pieces->size())
        return false;
    if (removed == inserted.size() && m_pieces->mid(start, removed) == inserted)
        return true;
    return editPieces(start, removed, inserted, 0);
}

bool File::editPieces(qsizetype start, qsizetype removed, const QString &inserted, quint64 version)
{
    InspectUndoManager *undo = sharedUndoManager();
    const bool replaying = undo && (undo->isUndoing() || undo->isRedoing());
    const quint32 encodingBefore = m_encoding;
    // The encoding is asked about the new middle, with the halves of a
    // surrogate pair it completes, before anything changes.
    const bool lead = start > 0 && m_pieces->at(start - 1).isHighSurrogate();
    const bool trail = start + removed < m_pieces->size() && m_pieces->at(start + removed).isLowSurrogate();
    const QString middle = (lead ? QString(m_pieces->at(start - 1)) : QString()) + inserted
                           + (trail ? QString(m_pieces->at(start + removed)) : QString());
    if (!keepsEncoding(middle, replaying, UnchangedEnds(lead ? 1 : 0, trail ? 1 : 0))) {
        NotificationCenter::defaultCenter().postNotificationName(QStringLiteral("reloadContent"), this);
        return false;
    }
    if (version == 0)
        version = ++s_lastContentVersion;
    const qsizetype suffix = m_pieces->size() - start - removed;
    if (undo)
        registerMiddleUndo(version, m_contentVersion, start, suffix, m_pieces->mid(start, removed), encodingBefore);
    // The text the pieces are over stays as it is, and so does every
    // snapshot and the disk's text that share it.
    m_pieces->replace(start, removed, inserted);
    // An editor reading the pieces hears what changed in them.
    contentReplaced(true, version, replaying,
                    {{QStringLiteral("editStart"), start},
                     {QStringLiteral("editRemoved"), removed},
                     {QStringLiteral("editAdded"), inserted.size()}});
    return true;
}

bool File::editContent(qsizetype start, qsizetype removed, const QString &inserted,
                       const std::function<void(const QString &)> &holder)
{
    settlePieces();
    if (!m_content || start < 0 || removed < 0 || start + removed > m_content->size())
        return false;
    if (QStringView(*m_content).sliced(start, removed) == inserted) {
        if (holder)
            holder(*m_content);
        return true;
    }
    InspectUndoManager *undo = sharedUndoManager();
    const bool replaying = undo && (undo->isUndoing() || undo->isRedoing());
    const quint32 encodingBefore = m_encoding;
    if (m_isLocalFile) {
        // The encoding is asked about the new middle, with the halves of a
        // surrogate pair it completes, before anything changes.
        const QString &now = *m_content;
        const bool lead = start > 0 && now.at(start - 1).isHighSurrogate();
        const bool trail = start + removed < now.size() && now.at(start + removed).isLowSurrogate();
        const QString middle = (lead ? QString(now.at(start - 1)) : QString()) + inserted
                               + (trail ? QString(now.at(start + removed)) : QString());
        if (!keepsEncoding(middle, replaying, UnchangedEnds(lead ? 1 : 0, trail ? 1 : 0))) {
            NotificationCenter::defaultCenter().postNotificationName(QStringLiteral("reloadContent"), this);
            return false;
        }
    }
    const quint64 version = ++s_lastContentVersion;
    const qsizetype suffix = m_content->size() - start - removed;
    if (undo)
        registerMiddleUndo(version, m_contentVersion, start, suffix, m_content->mid(start, removed), encodingBefore);
    // The newest snapshot keeps what the edit replaces and lets go of the
    // text meanwhile; the disk's text sharing it keeps it as it was: the
    // text is copied then, once, and edited in place from then on.
    FileHistory::Text *following = historyLetsGo(UnchangedEnds(start, suffix));
    m_content->replace(start, removed, inserted);
    if (following)
        following->base = *m_content;
    if (holder)
        holder(*m_content);
    contentReplaced(true, version, replaying);
    return true;
}

void File::contentReplaced(bool changed, quint64 version, bool replaying, const QVariantMap &edit)
{
    if (changed)
        m_contentVersion = version;
    ++m_contentGeneration;
    if (m_isLocalFile)
        noteEdited();
    if (!m_isLocalFile && m_content) {
        if (WebContentStore *store = WebContentStore::shared())
            store->setContent(*m_content, webResourceURL());
    }
    m_modDate = QDateTime::currentDateTimeUtc();
    Q_EMIT modifiedChanged();

    // A code-view edit needs no reload of the view it came from; its undo
    // and redo do.
    NotificationCenter &center = NotificationCenter::defaultCenter();
    if (replaying || m_lastContentChangeReason != CodeViewChange)
        center.postNotificationName(QStringLiteral("reloadContent"), this, edit);
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

void File::noteContentShown()
{
    const std::optional<QString> text = content();
    if (!text) {
        m_shownContent.reset();
        return;
    }
    m_shownContent = ShownContent{m_contentVersion, text->size(), qHash(*text)};
}

bool File::isContentShown()
{
    if (!m_shownContent)
        return false;
    if (m_shownContent->version == m_contentVersion)
        return true;
    // Another version may hold the same characters (an edit typed away by
    // hand): the length tells most texts apart without reading them (#78).
    const qsizetype length = m_pieces ? m_pieces->size() : m_content ? m_content->size() : -1;
    if (length != m_shownContent->length)
        return false;
    const std::optional<QString> text = content();
    if (!text || qHash(*text) != m_shownContent->hash)
        return false;
    // This version is the page's text too: the next question is cheap.
    m_shownContent->version = m_contentVersion;
    return true;
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
    if (m_pieces) {
        // Pieces over the disk's text as last read tell it at once.
        const std::optional<DiskStamp> stamp = diskStamp(m_path, nullptr);
        if (stamp && m_probeStamp == stamp && m_probeText && m_probeText->isSharedWith(m_pieces->original()))
            return !m_pieces->isOriginal();
        settlePieces();
    }
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
    if (m_diskText && m_pieces) {
        return m_diskText->isSharedWith(m_pieces->original()) ? !m_pieces->isOriginal()
                                                             : !m_pieces->equals(*m_diskText);
    }
    if (m_diskText)
        return m_content != m_diskText;
    return m_openDate.msecsTo(m_modDate) > kModifiedToleranceMs;
}

File::DiskRead File::readDisk() const
{
    return readDiskAt(m_path);
}

File::DiskRead File::readDiskAt(const QString &path)
{
    DiskRead read;
    read.text = readDiskTextAt(path, &read.encoding, &read.digest, &read.notice);
    return read;
}

void File::refreshFromDisk()
{
    settlePieces();
    const std::optional<DiskStamp> stamp = diskStamp(m_path, nullptr);
    const DiskRead disk = readDisk();
    m_probeText = disk.text;
    m_probeStamp = stamp;
    if (disk.text == m_content) {
        // The same text in other bytes: saved as the disk now has it.
        if (disk.text) {
            m_diskText = disk.text;
            m_encoding = disk.encoding;
            m_diskDigest = disk.digest;
        }
        return;
    }
    takeDiskText(disk);
}

void File::takeDiskText(const DiskRead &disk)
{
    addHistory(FileHistory::Occasion::DiskChange);
    settlePieces();
    m_content = disk.text;
    ++m_contentGeneration;
    startNewContentVersion();
    m_diskText = disk.text;
    if (disk.text) {
        m_encoding = disk.encoding;
        m_diskDigest = disk.digest;
    }
    m_textNotice = disk.notice;
    m_saveFailed = false;
    m_lastSaveError.clear();
    m_openDate = QDateTime::currentDateTimeUtc();
    m_modDate = m_openDate;
    Q_EMIT modifiedChanged();
    NotificationCenter::defaultCenter().postNotificationName(QStringLiteral("reloadContent"), this);
    NotificationCenter::defaultCenter().postNotificationName(QStringLiteral("fileTookDiskVersion"), this);
}

std::optional<QByteArray> File::unsavedBytes()
{
    if (!m_isLocalFile || !m_content || !isModified())
        return std::nullopt;
    return DataUtils::encode(*m_content, m_encoding ? m_encoding : quint32(StringEncoding::UTF8));
}

bool File::save()
{
    // An edit whose write-back waits for its turn is saved with the rest.
    runPendingWrites();
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

    // Nothing of the user's is lost by these refusals: the file is not
    // marked modified for them.
    auto refuse = [this](const QString &reason) {
        m_lastSaveError = reason;
        QM_ERROR(QStringLiteral("%1 was not saved: %2").arg(m_path, reason));
        return false;
    };
    // Only bytes the program read are ever written over, and no file is
    // made where none was read (#85): a file on disk that cannot be read
    // now, or a path that never held one (an address that failed to load).
    if (const std::optional<QString> problem = AtomicFileWriter::undecodableNameProblem(m_path))
        return refuse(*problem);
    bool isDirectory = false;
    const bool onDisk = diskStamp(m_path, &isDirectory).has_value();
    if (std::optional<QString> why = isDirectory ? std::nullopt : whyUnreadable(m_path)) {
        (*why)[0] = why->at(0).toUpper();
        return refuse(*why + QStringLiteral(", and a file whose bytes were not read is never written over."));
    }
    if (!onDisk && !m_diskDigest && !m_isMissingOnDisk)
        return refuse(QStringLiteral("There is no such file, and a save makes none."));
    settlePieces();
    if (!m_content)
        return refuse(QStringLiteral("It has no text (it was never read, or could not be decoded)."));

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

    // The encoding it was read in (or the user converted it to): a text it
    // cannot hold is refused, never written in another encoding unasked.
    const quint32 encoding = m_encoding ? m_encoding : quint32(StringEncoding::UTF8);
    const std::optional<QByteArray> data = DataUtils::encode(*m_content, encoding);
    if (!data)
        return fail(QStringLiteral("Its text holds characters that %1 cannot hold.").arg(StringEncoding::name(encoding)));

    // Whole or not at all: a full disk or a crash leaves the old file as it was.
    AtomicFileWriter writer(m_path);
    if (!writer.open() || !writer.write(*data) || !writer.commit())
        return fail(writer.errorString());

    m_diskText = m_content;
    m_encoding = encoding;
    m_diskDigest = digestOf(*data);
    noteOwnWrite(*m_diskDigest);
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

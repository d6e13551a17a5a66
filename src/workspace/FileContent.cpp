// File: text content, modified state and saving.

#include "File.h"
#include "WebContentStore.h"

#include "foundation/DataUtils.h"
#include "foundation/InspectUndoManager.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/StringEncoding.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

std::optional<QString> File::readDiskText(quint32 *encoding) const
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
    if (!m_isLocalFile) {
        m_content = getContentOfPath();
        return;
    }
    quint32 encoding = 0;
    m_content = readDiskText(&encoding);
    m_diskText = m_content;
    if (m_content)
        m_encoding = encoding;
    m_saveFailed = false;
}

std::optional<QString> File::currentContent()
{
    if (!m_content)
        reloadContent();
    return m_content;
}

void File::setContent(const std::optional<QString> &text)
{
    InspectUndoManager *undo = sharedUndoManager();
    if (undo && text != m_content) {
        const std::optional<QString> old = m_content;
        undo->prepareWithInvocationTarget(this, [this, old] { setContent(old); });
    }
    m_content = text;
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
    if (!exists())
        return false;
    if (QFileInfo(m_path).isDir()) {
        for (File *child : children()) {
            if (child->isModified())
                return true;
        }
        return false;
    }
    if (m_openDate.msecsTo(m_modDate) <= kModifiedToleranceMs)
        return false;
    const std::optional<QString> disk = readDiskText(nullptr);
    return currentContent() != disk;
}

bool File::hasUnsavedEdits() const
{
    if (m_saveFailed)
        return true;
    if (m_openDate.msecsTo(m_modDate) <= kModifiedToleranceMs)
        return false;
    // Edited, but saved since (or set back to the text on disk).
    return !(m_diskText && m_content == m_diskText);
}

void File::refreshFromDisk()
{
    quint32 encoding = 0;
    const std::optional<QString> disk = readDiskText(&encoding);
    if (disk == m_content)
        return;
    addHistory();
    m_content = disk;
    m_diskText = disk;
    if (disk)
        m_encoding = encoding;
    m_saveFailed = false;
    m_openDate = QDateTime::currentDateTimeUtc();
    m_modDate = m_openDate;
    Q_EMIT modifiedChanged();
}

bool File::save()
{
    if (!m_isLocalFile) {
        QM_INFO(QStringLiteral("%1 is not a local file; nothing was written").arg(m_path));
        return false;
    }

    auto fail = [this](const QString &reason) {
        m_saveFailed = true;
        QM_ERROR(QStringLiteral("could not save %1: %2").arg(m_path, reason));
        Q_EMIT modifiedChanged();
        return false;
    };

    if (!m_content)
        return fail(QStringLiteral("it has no text (it was never read, or could not be decoded)"));

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
    m_saveFailed = false;
    m_fileSize = data->size();
    Q_EMIT modifiedChanged();
    return true;
}

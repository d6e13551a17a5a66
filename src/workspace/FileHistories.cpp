// File: snapshots of the text and rollback.

#include "File.h"

#include "platform/foundation/Log.h"
#include "platform/foundation/NotificationCenter.h"

#include <algorithm>

void File::addHistory()
{
    const std::optional<QString> text = currentContent();
    if (!text) {
        QM_DEBUG(QStringLiteral("%1 has no text to keep a snapshot of").arg(m_path));
        return;
    }
    if (!m_histories.isEmpty() && m_histories.constLast().content() == *text)
        return;
    m_histories.append(FileHistory(QDateTime::currentDateTime(), *text));
    if (m_histories.size() > kMaxHistories)
        m_histories.remove(0, m_histories.size() - kMaxHistories);
    NotificationCenter::defaultCenter().postNotificationName(QStringLiteral("fileHistoryChanged"), this);
}

QList<FileHistory> File::histories() const
{
    QList<FileHistory> newestFirst = m_histories;
    std::reverse(newestFirst.begin(), newestFirst.end());
    return newestFirst;
}

void File::rollBackToHistory(const FileHistory &history)
{
    setContent(history.content());
}

// File: snapshots of the text and rollback.

#include "File.h"

#include "foundation/StringUtils.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/NotificationCenter.h"

#include <algorithm>

FileHistory::FileHistory(QDateTime date, QString content, Occasion occasion)
    : m_date(std::move(date)), m_text(std::make_shared<Text>()), m_occasion(occasion)
{
    m_text->prefix = content.size();
    m_text->base = std::move(content);
}

QString FileHistory::name() const
{
    switch (m_occasion) {
    case Occasion::RulesEdit:
        return QStringLiteral("Before a rules edit");
    case Occasion::DiskChange:
        return QStringLiteral("Before the change on disk");
    case Occasion::Opened:
        break;
    }
    return QStringLiteral("As opened");
}

QString FileHistory::content() const
{
    return m_text ? m_text->content() : QString();
}

QString FileHistory::Text::content() const
{
    const QString newer = next ? next->content() : base;
    if (middle.isEmpty() && prefix + suffix == newer.size())
        return newer;
    return StringUtils::withMiddle(newer, prefix, middle, suffix);
}

bool FileHistory::Text::isText(const QString &text) const
{
    if (next || base.size() != text.size() || base.constData() != text.constData())
        return false;
    return base.size() == prefix + middle.size() + suffix && QStringView(base).sliced(prefix, middle.size()) == middle;
}

void FileHistory::Text::rebase(const QString &now, std::pair<qsizetype, qsizetype> ends)
{
    const QString &was = base;
    auto [start, end] = ends;
    if (middle.isEmpty() && prefix + suffix == was.size()) {
        // Unchanged from was: the change undoes the one to now.
        middle = was.sliced(start, was.size() - start - end);
    } else {
        // What lies between the narrower ends, taken from was around the middle.
        start = std::min(start, prefix);
        end = std::min(end, suffix);
        QString wider;
        wider.reserve(prefix - start + middle.size() + suffix - end);
        wider += QStringView(was).sliced(start, prefix - start);
        wider += middle;
        wider += QStringView(was).sliced(was.size() - suffix, suffix - end);
        middle = std::move(wider);
    }
    prefix = start;
    suffix = end;
    base = now;
}

void File::addHistory(FileHistory::Occasion occasion)
{
    const std::optional<QString> text = currentContent();
    if (!text) {
        QM_DEBUG(QStringLiteral("%1 has no text to keep a snapshot of").arg(m_path));
        return;
    }
    if (!m_histories.isEmpty()) {
        FileHistory::Text &newest = *m_histories.constLast().m_text;
        if (newest.isText(*text) || (!newest.base.isSharedWith(*text) && newest.content() == *text))
            return;
    }
    FileHistory added(QDateTime::currentDateTime(), *text, occasion);
    if (!m_histories.isEmpty()) {
        // The snapshot before becomes a change against this one.
        FileHistory::Text &before = *m_histories.constLast().m_text;
        if (!before.next) {
            if (!before.base.isSharedWith(*text))
                before.rebase(*text, StringUtils::commonEnds(before.base, *text));
            before.next = added.m_text;
            before.base = QString();
        }
    }
    m_histories.append(std::move(added));
    if (m_histories.size() > kMaxHistories)
        m_histories.remove(0, m_histories.size() - kMaxHistories);
    NotificationCenter::defaultCenter().postNotificationName(QStringLiteral("fileHistoryChanged"), this);
}

void File::historyFollows(const QString &was, const QString &now, UnchangedEnds ends)
{
    if (m_histories.isEmpty())
        return;
    // Only the newest snapshot is held against the file's text; one held
    // against another text keeps that text.
    FileHistory::Text &newest = *m_histories.constLast().m_text;
    if (!newest.next && newest.base.isSharedWith(was))
        newest.rebase(now, ends);
}

FileHistory::Text *File::historyLetsGo(UnchangedEnds ends)
{
    if (m_histories.isEmpty() || !m_content)
        return nullptr;
    FileHistory::Text &newest = *m_histories.constLast().m_text;
    if (newest.next || !newest.base.isSharedWith(*m_content))
        return nullptr;
    newest.rebase(QString(), ends);
    return &newest;
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

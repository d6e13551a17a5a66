#pragma once

#include <QDateTime>
#include <QString>

// One reported change of a watched folder tree: the folder whose entries
// changed and what happened to them.
class SCEvent
{
public:
    // Event flags; several may be set on one event.
    enum Flag : qint32 {
        MustScanSubDirs = 0x1, // events were lost: rescan the folder and everything below
        RootChanged = 0x20, // a watched root itself was removed or moved
        ItemCreated = 0x100,
        ItemRemoved = 0x200,
        ItemInodeMetaMod = 0x400,
        ItemRenamed = 0x800,
        ItemModified = 0x1000,
        ItemIsFile = 0x10000,
        ItemIsDir = 0x20000,
    };

    SCEvent() = default;
    SCEvent(quint64 eventId, QDateTime eventDate, QString eventPath, qint32 eventFlags)
        : m_eventId(eventId), m_eventDate(std::move(eventDate)), m_eventPath(std::move(eventPath)),
          m_eventFlags(eventFlags)
    {
    }

    quint64 eventId() const { return m_eventId; }
    // When the event was delivered to the program.
    QDateTime eventDate() const { return m_eventDate; }
    // The folder path, without a trailing "/" (except for "/" itself).
    QString eventPath() const { return m_eventPath; }
    qint32 eventFlags() const { return m_eventFlags; }

    QString description() const
    {
        return QStringLiteral("<SCEvent { eventId = %1, eventPath = %2, eventFlags = %3 } >")
            .arg(m_eventId)
            .arg(m_eventPath)
            .arg(m_eventFlags);
    }

private:
    quint64 m_eventId = 0;
    QDateTime m_eventDate;
    QString m_eventPath;
    qint32 m_eventFlags = 0;
};

#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QHash>
#include <QString>
#include <QStringList>

// A project folder copied into a scratch folder, with the bytes every file
// had when copied: a sequence edits the copy and answers which files on
// disk differ from what they were.
class ProjectCopy
{
public:
    // Copies the folder (its hidden files and folders too, links followed)
    // into target/<the folder's name>; false with why in failure.
    bool make(const QString &folder, const QString &target, QString &failure);

    // Writes a file of the copy that counts as one of its own.
    bool add(const QString &relative, const QByteArray &bytes);

    QString root() const { return m_root; }
    QString pathOf(const QString &relative) const { return m_root + u'/' + relative; }
    QString relativeOf(const QString &path) const;

    // The bytes the file had when copied; empty for a file made since.
    QByteArray originalBytes(const QString &path) const;
    // The bytes on disk now.
    static QByteArray bytesOnDisk(const QString &path);
    // Every file on disk whose bytes are no longer those copied, and every
    // file made or removed since, by path; each look starts from its size
    // and time, so that a large project costs a look at its folders.
    QStringList changedOnDisk() const;
    int fileCount() const { return int(m_files.size()); }

private:
    struct Original
    {
        QByteArray bytes;
        qint64 size = 0;
        QDateTime modified;
    };
    QString m_root;
    QHash<QString, Original> m_files;
};

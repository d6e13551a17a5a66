#pragma once

#include "platform/foundation/Result.h"

#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <memory>

// A hidden folder in which new contents are made whole before they go where
// they belong: unpacked from an archive or copied from a folder. Nothing at
// the destination changes until they are put in place, and the staging
// folder (with whatever is left in it) is removed when the object goes. It
// lies in the folder given, so that putting the contents in place is a
// rename on one volume. Its steps may run on a worker thread, one at a time.
class StagedFolder
{
public:
    // A staging folder ".<label>-XXXXXX" inside `folder`.
    StagedFolder(const QString &folder, const QString &label);
    ~StagedFolder();
    StagedFolder(const StagedFolder &) = delete;
    StagedFolder &operator=(const StagedFolder &) = delete;

    bool isValid() const;
    // Why the staging folder could not be made.
    QString errorString() const;
    // The staging folder, and the folder of the new contents inside it.
    QString path() const;
    QString contentPath() const;

    // Unpacks the whole archive into the contents; fails on an archive that
    // cannot be read, a damaged entry or an entry that would leave the folder.
    Result<void> unpack(const QString &archive);
    // Copies the folder's entries into the contents.
    Result<void> copyFrom(const QString &folder);

    // The contents' files (relative paths) that something already occupies
    // in the folder, or whose folder is a file there.
    QStringList clashesIn(const QString &folder) const;
    // Moves the contents into the folder, entry by entry: folders are merged,
    // files replace those of the same path.
    Result<void> mergeInto(const QString &folder);
    // Makes the contents the destination folder. What was there before goes
    // to the Trash first, and comes back when the contents cannot follow.
    Result<void> replace(const QString &destination);

private:
    Result<void> mergeEntries(const QString &from, const QString &to);

    std::unique_ptr<QTemporaryDir> m_dir;
};

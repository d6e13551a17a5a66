#pragma once

#include "platform/foundation/Result.h"

#include <QString>
#include <QStringList>

#include <utility>

// The file-system steps of the file tree's commands: naming, renaming,
// copying, moving to the Trash and removing. Each answers why it failed; none
// replaces an item that is not its own. Safe on any thread.
class FileOperations
{
public:
    // Whether the name may be given to an item: not empty, not "." or "..",
    // without "/" or a null character.
    static bool isValidName(const QString &name);
    // The name without its extension, and the extension (empty when there is
    // none; a leading dot starts a hidden name, not an extension).
    static std::pair<QString, QString> splitExtension(const QString &name);
    // The stem and, when the extension is not empty, "." and the extension.
    static QString joinExtension(const QString &stem, const QString &extension);

    // Whether the two paths name one file (the same device and inode).
    static bool isSameFile(const QString &a, const QString &b);
    // Whether anything is at the path, a dangling link included.
    static bool itemExists(const QString &path);

    enum class RenameError { None, Exists, Failed };
    // Renames the item. Another item at the new path is never replaced: that
    // answers Exists. Only a new path naming the item itself (a change of
    // case on a volume that ignores case) renames over it.
    static Result<void> renameItem(const QString &from, const QString &to, RenameError *why = nullptr);
    // Copies a file, or a folder with everything in it; nothing may be at `to`.
    // A copy that fails part way is removed again.
    static Result<void> copyItem(const QString &from, const QString &to);
    // Moves the item to the desktop's Trash; answers its place there.
    static Result<QString> trashItem(const QString &path);
    // Takes an item that was moved to the Trash back to its old path.
    static Result<void> restoreFromTrash(const QString &pathInTrash, const QString &path);
    // Removes a file, or a folder with everything in it.
    static Result<void> removeItem(const QString &path);
    // The relative paths of every file below the folder (folders left out),
    // each folder's entries by name.
    static QStringList filesBelow(const QString &folder);
    // The path of the first item of that name below the folder, in the
    // order the file tree walks it: depth first, each folder's entries with
    // the folders first and then by name, hidden entries left out. Empty
    // when there is none. Reads only the disk: any thread may ask.
    static QString firstItemNamed(const QString &folder, const QString &name);
};

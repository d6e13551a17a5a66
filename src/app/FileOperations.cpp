#include "FileOperations.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QSet>
#include <QStandardPaths>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>

namespace {

QByteArray native(const QString &path)
{
    return QFile::encodeName(path);
}

QString systemError()
{
    return QString::fromLocal8Bit(std::strerror(errno));
}

QString firstItemNamedIn(const QString &folder, const QString &name, QSet<QString> &visited)
{
    // A link back up the tree is walked once.
    if (visited.contains(QFileInfo(folder).canonicalFilePath()))
        return {};
    visited.insert(QFileInfo(folder).canonicalFilePath());
    struct Entry
    {
        QString name;
        bool isFolder;
    };
    QList<Entry> entries;
    for (const QFileInfo &info : QDir(folder).entryInfoList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot)) {
        if (!info.fileName().startsWith(QLatin1Char('.')))
            entries.append({info.fileName(), info.isDir()});
    }
    std::sort(entries.begin(), entries.end(), [](const Entry &a, const Entry &b) {
        if (a.isFolder != b.isFolder)
            return a.isFolder;
        return a.name < b.name;
    });
    for (const Entry &entry : std::as_const(entries)) {
        const QString path = folder + QLatin1Char('/') + entry.name;
        if (entry.name == name)
            return path;
        if (entry.isFolder) {
            const QString found = firstItemNamedIn(path, name, visited);
            if (!found.isEmpty())
                return found;
        }
    }
    return {};
}

Result<void> copyFolder(const QString &from, const QString &to)
{
    if (!QDir().mkdir(to))
        return Result<void>::failure(QStringLiteral("The folder \"%1\" could not be made.").arg(to));
    const QFileInfoList entries =
        QDir(from).entryInfoList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
    for (const QFileInfo &entry : entries) {
        const QString target = to + QLatin1Char('/') + entry.fileName();
        if (entry.isSymLink()) {
            // A link is copied as a link, never followed out of the folder.
            if (!QFile::link(entry.symLinkTarget(), target))
                return Result<void>::failure(QStringLiteral("The link \"%1\" could not be copied.").arg(entry.filePath()));
            continue;
        }
        Result<void> copied = entry.isDir() ? copyFolder(entry.filePath(), target)
                                            : FileOperations::copyItem(entry.filePath(), target);
        if (!copied)
            return copied;
    }
    return {};
}

} // namespace

bool FileOperations::isValidName(const QString &name)
{
    return !name.isEmpty() && name != QLatin1String(".") && name != QLatin1String("..")
        && !name.contains(QLatin1Char('/')) && !name.contains(QChar(0));
}

std::pair<QString, QString> FileOperations::splitExtension(const QString &name)
{
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    if (dot <= 0 || dot == name.size() - 1)
        return {name, QString()};
    return {name.left(dot), name.mid(dot + 1)};
}

QString FileOperations::joinExtension(const QString &stem, const QString &extension)
{
    return extension.isEmpty() ? stem : stem + QLatin1Char('.') + extension;
}

bool FileOperations::isSameFile(const QString &a, const QString &b)
{
    struct stat first;
    struct stat second;
    if (::stat(native(a).constData(), &first) != 0 || ::stat(native(b).constData(), &second) != 0)
        return false;
    return first.st_dev == second.st_dev && first.st_ino == second.st_ino;
}

bool FileOperations::itemExists(const QString &path)
{
    struct stat info;
    return ::lstat(native(path).constData(), &info) == 0;
}

Result<void> FileOperations::renameItem(const QString &from, const QString &to, RenameError *why)
{
    auto fail = [why](RenameError error, const QString &message) {
        if (why)
            *why = error;
        return Result<void>::failure(message);
    };
    if (why)
        *why = RenameError::None;
    if (itemExists(to)) {
        if (!isSameFile(from, to))
            return fail(RenameError::Exists, QStringLiteral("\"%1\" already exists.").arg(to));
        // The new name is the item itself under another case.
        if (std::rename(native(from).constData(), native(to).constData()) != 0)
            return fail(RenameError::Failed, systemError());
        return {};
    }
    // The kernel refuses to replace what appeared since the look above.
    if (::renameat2(AT_FDCWD, native(from).constData(), AT_FDCWD, native(to).constData(), RENAME_NOREPLACE) == 0)
        return {};
    if (errno == EEXIST)
        return fail(RenameError::Exists, QStringLiteral("\"%1\" already exists.").arg(to));
    if (errno != EINVAL && errno != ENOSYS)
        return fail(RenameError::Failed, systemError());
    // A volume that cannot refuse to replace: the look above has to do.
    if (std::rename(native(from).constData(), native(to).constData()) != 0)
        return fail(RenameError::Failed, systemError());
    return {};
}

Result<void> FileOperations::copyItem(const QString &from, const QString &to)
{
    if (itemExists(to))
        return Result<void>::failure(QStringLiteral("\"%1\" already exists.").arg(to));
    const QFileInfo source(from);
    if (!source.exists())
        return Result<void>::failure(QStringLiteral("\"%1\" does not exist.").arg(from));
    if (!source.isDir()) {
        QFile file(from);
        if (!file.copy(to))
            return Result<void>::failure(file.errorString());
        return {};
    }
    Result<void> copied = copyFolder(from, to);
    if (!copied)
        removeItem(to);
    return copied;
}

Result<QString> FileOperations::trashItem(const QString &path)
{
    // The home Trash is made inside the user's data folder, which must be
    // there first: without it the item would land in a "files" folder of
    // the working directory.
    const QString data = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    if (!data.isEmpty())
        QDir().mkpath(data);
    QString inTrash;
    if (!QFile::moveToTrash(path, &inTrash))
        return Result<QString>::failure(QStringLiteral("\"%1\" could not be moved to the Trash.").arg(path));
    if (QDir::isRelativePath(inTrash)) {
        // No Trash could be made: the item goes back where it was.
        restoreFromTrash(QFileInfo(inTrash).absoluteFilePath(), path);
        return Result<QString>::failure(QStringLiteral("There is no Trash for \"%1\".").arg(path));
    }
    return inTrash;
}

Result<void> FileOperations::restoreFromTrash(const QString &pathInTrash, const QString &path)
{
    Result<void> renamed = renameItem(pathInTrash, path);
    if (!renamed)
        return renamed;
    // The Trash's record of the item goes with it: "files/<name>" is
    // described by "info/<name>.trashinfo".
    const QFileInfo trashed(pathInTrash);
    const QString info = trashed.dir().absoluteFilePath(QStringLiteral("../info/") + trashed.fileName()
                                                        + QStringLiteral(".trashinfo"));
    QFile::remove(info);
    return {};
}

Result<void> FileOperations::removeItem(const QString &path)
{
    const QFileInfo item(path);
    if (item.isDir() && !item.isSymLink()) {
        if (!QDir(path).removeRecursively())
            return Result<void>::failure(QStringLiteral("\"%1\" could not be removed.").arg(path));
        return {};
    }
    if (!itemExists(path))
        return {};
    QFile file(path);
    if (!file.remove())
        return Result<void>::failure(file.errorString());
    return {};
}

QString FileOperations::firstItemNamed(const QString &folder, const QString &name)
{
    QSet<QString> visited;
    return firstItemNamedIn(folder, name, visited);
}

QStringList FileOperations::filesBelow(const QString &folder)
{
    QStringList files;
    const QDir root(folder);
    QDirIterator it(folder, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        it.next();
        const QFileInfo entry = it.fileInfo();
        if (!entry.isDir() || entry.isSymLink())
            files.append(root.relativeFilePath(entry.filePath()));
    }
    files.sort();
    return files;
}

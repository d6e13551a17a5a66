#include "StagedFolder.h"

#include "FileOperations.h"

#include "workspace/SSZipArchive.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cstdio>

StagedFolder::StagedFolder(const QString &folder, const QString &label)
    : m_dir(std::make_unique<QTemporaryDir>(folder + QStringLiteral("/.") + label + QStringLiteral("-XXXXXX")))
{
    if (m_dir->isValid())
        QDir().mkdir(contentPath());
}

StagedFolder::~StagedFolder() = default;

bool StagedFolder::isValid() const
{
    return m_dir->isValid() && QFileInfo(contentPath()).isDir();
}

QString StagedFolder::errorString() const
{
    return m_dir->isValid() ? QString() : m_dir->errorString();
}

QString StagedFolder::path() const
{
    return m_dir->path();
}

QString StagedFolder::contentPath() const
{
    return m_dir->path() + QStringLiteral("/content");
}

Result<void> StagedFolder::unpack(const QString &archive)
{
    if (!isValid())
        return Result<void>::failure(errorString());
    SSZipArchiveError error;
    if (!SSZipArchive::unzipFileAtPath(archive, contentPath(), true, QString(), &error)) {
        const QString name = QFileInfo(archive).fileName();
        if (!error.localizedDescription.isEmpty())
            return Result<void>::failure(QStringLiteral("\"%1\" could not be unpacked: %2.").arg(name, error.localizedDescription));
        return Result<void>::failure(QStringLiteral("\"%1\" is damaged and could not be unpacked.").arg(name));
    }
    return {};
}

Result<void> StagedFolder::copyFrom(const QString &folder)
{
    if (!isValid())
        return Result<void>::failure(errorString());
    if (!QFileInfo(folder).isDir())
        return Result<void>::failure(QStringLiteral("The folder \"%1\" does not exist.").arg(folder));
    const QFileInfoList entries =
        QDir(folder).entryInfoList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
    for (const QFileInfo &entry : entries) {
        Result<void> copied = FileOperations::copyItem(entry.filePath(), contentPath() + QLatin1Char('/') + entry.fileName());
        if (!copied)
            return copied;
    }
    return {};
}

QStringList StagedFolder::clashesIn(const QString &folder) const
{
    QStringList clashes;
    for (const QString &file : FileOperations::filesBelow(contentPath())) {
        const QString target = folder + QLatin1Char('/') + file;
        bool clash = FileOperations::itemExists(target);
        // A file whose folder is a file there cannot go in without replacing it.
        for (QString up = QFileInfo(file).path(); !clash && up != QLatin1String("."); up = QFileInfo(up).path()) {
            const QFileInfo above(folder + QLatin1Char('/') + up);
            clash = above.exists() && !above.isDir();
        }
        if (clash)
            clashes.append(file);
    }
    return clashes;
}

Result<void> StagedFolder::mergeInto(const QString &folder)
{
    if (!isValid())
        return Result<void>::failure(errorString());
    return mergeEntries(contentPath(), folder);
}

Result<void> StagedFolder::mergeEntries(const QString &from, const QString &to)
{
    const QFileInfoList entries =
        QDir(from).entryInfoList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
    for (const QFileInfo &entry : entries) {
        const QString target = to + QLatin1Char('/') + entry.fileName();
        const QFileInfo existing(target);
        const bool isFolder = entry.isDir() && !entry.isSymLink();
        if (isFolder && existing.isDir() && !existing.isSymLink()) {
            Result<void> merged = mergeEntries(entry.filePath(), target);
            if (!merged)
                return merged;
            continue;
        }
        if (FileOperations::itemExists(target)) {
            // A file replaces a file at once; anything else in the way (a
            // folder where a file goes, or the other way) goes to the Trash.
            if (isFolder || existing.isDir()) {
                Result<QString> trashed = FileOperations::trashItem(target);
                if (!trashed)
                    return Result<void>::failure(trashed.error());
            }
        }
        if (std::rename(QFile::encodeName(entry.filePath()).constData(), QFile::encodeName(target).constData()) != 0)
            return Result<void>::failure(QStringLiteral("\"%1\" could not be put in place.").arg(target));
    }
    return {};
}

Result<void> StagedFolder::replace(const QString &destination)
{
    if (!isValid())
        return Result<void>::failure(errorString());
    QString inTrash;
    if (FileOperations::itemExists(destination)) {
        Result<QString> trashed = FileOperations::trashItem(destination);
        if (!trashed)
            return Result<void>::failure(trashed.error());
        inTrash = *trashed;
    }
    Result<void> renamed = FileOperations::renameItem(contentPath(), destination);
    if (!renamed && !inTrash.isEmpty())
        FileOperations::restoreFromTrash(inTrash, destination);
    return renamed;
}

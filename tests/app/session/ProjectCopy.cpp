#include "ProjectCopy.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>

namespace {

QStringList filesUnder(const QString &root)
{
    QStringList files;
    QDirIterator it(root, QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
    while (it.hasNext())
        files.append(QFileInfo(it.next()).absoluteFilePath());
    return files;
}

} // namespace

bool ProjectCopy::make(const QString &folder, const QString &target, QString &failure)
{
    const QFileInfo source(QDir::cleanPath(QDir(folder).absolutePath()));
    if (!source.isDir()) {
        failure = QStringLiteral("%1 is no folder").arg(folder);
        return false;
    }
    const QString from = source.canonicalFilePath();
    m_root = QDir(target).absoluteFilePath(source.fileName().isEmpty() ? QStringLiteral("project") : source.fileName());
    if (!QDir().mkpath(m_root)) {
        failure = QStringLiteral("could not make %1").arg(m_root);
        return false;
    }
    m_root = QFileInfo(m_root).canonicalFilePath();
    m_files.clear();
    for (const QString &file : filesUnder(from)) {
        const QString relative = QDir(from).relativeFilePath(file);
        const QString copy = pathOf(relative);
        QDir().mkpath(QFileInfo(copy).absolutePath());
        const QByteArray bytes = bytesOnDisk(file);
        QFile out(copy);
        if (!out.open(QIODevice::WriteOnly) || out.write(bytes) != bytes.size()) {
            failure = QStringLiteral("could not copy %1").arg(relative);
            return false;
        }
        out.close();
        const QFileInfo written(copy);
        m_files.insert(copy, {bytes, written.size(), written.lastModified()});
    }
    return true;
}

bool ProjectCopy::add(const QString &relative, const QByteArray &bytes)
{
    const QString path = pathOf(relative);
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile out(path);
    if (!out.open(QIODevice::WriteOnly) || out.write(bytes) != bytes.size())
        return false;
    out.close();
    const QFileInfo written(path);
    m_files.insert(written.absoluteFilePath(), {bytes, written.size(), written.lastModified()});
    return true;
}

QString ProjectCopy::relativeOf(const QString &path) const
{
    return QDir(m_root).relativeFilePath(path);
}

QByteArray ProjectCopy::originalBytes(const QString &path) const
{
    return m_files.value(path).bytes;
}

QByteArray ProjectCopy::bytesOnDisk(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QStringList ProjectCopy::changedOnDisk() const
{
    QStringList changed;
    QStringList now = filesUnder(m_root);
    for (const QString &file : std::as_const(now)) {
        const auto original = m_files.constFind(file);
        if (original == m_files.cend()) {
            changed.append(file);
            continue;
        }
        const QFileInfo info(file);
        if (info.size() == original->size && info.lastModified() == original->modified)
            continue;
        if (bytesOnDisk(file) != original->bytes)
            changed.append(file);
    }
    for (auto it = m_files.cbegin(); it != m_files.cend(); ++it) {
        if (!QFileInfo::exists(it.key()))
            changed.append(it.key());
    }
    changed.sort();
    return changed;
}

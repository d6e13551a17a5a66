#include "StyleSheetAddress.h"

#include "File.h"

#include <QDir>
#include <QUrl>

QString StyleSheetAddress::keyOf(const QString &address)
{
    if (address.isEmpty())
        return {};
    const QUrl url(address);
    if (!url.isValid())
        return address;
    if (url.isLocalFile())
        return QDir::cleanPath(url.toLocalFile());
    return url.adjusted(QUrl::RemoveFragment | QUrl::NormalizePathSegments).toString(QUrl::FullyEncoded);
}

QString StyleSheetAddress::keyOf(const File &file)
{
    if (file.isLocalFile())
        return QDir::cleanPath(file.path());
    return keyOf(file.path());
}

bool StyleSheetAddress::names(const QString &address, const File &file)
{
    const QString key = keyOf(address);
    return !key.isEmpty() && key == keyOf(file);
}

File *StyleSheetAddress::fileOf(const QString &address, const QList<File *> &files)
{
    const QString key = keyOf(address);
    if (key.isEmpty())
        return nullptr;
    for (File *file : files) {
        if (file && keyOf(*file) == key)
            return file;
    }
    return nullptr;
}

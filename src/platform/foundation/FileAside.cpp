#include "FileAside.h"

#include <QFile>
#include <QFileInfo>

namespace {

QString asideName(const QString &path, int n)
{
    return n == 0 ? path + QStringLiteral(".bak") : path + QStringLiteral(".bak.%1").arg(n);
}

bool isTaken(const QString &name)
{
    // A dangling link still takes the name.
    return QFileInfo::exists(name) || QFileInfo(name).isSymLink();
}

} // namespace

QString FileAside::freeName(const QString &path)
{
    int n = 0;
    while (isTaken(asideName(path, n)))
        ++n;
    return asideName(path, n);
}

Result<QString> FileAside::moveAside(const QString &path)
{
    QFile file(path);
    // A rename never replaces a file: a name taken meanwhile is passed by.
    for (int attempt = 0; attempt < 8; ++attempt) {
        const QString aside = freeName(path);
        if (file.rename(aside))
            return aside;
        if (isTaken(aside) && QFileInfo::exists(path))
            continue;
        break;
    }
    return Result<QString>::failure(file.errorString());
}

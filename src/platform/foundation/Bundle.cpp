#include "Bundle.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

namespace Bundle {

static QString findResourcePath()
{
    const QString fromEnv = qEnvironmentVariable("QUILLMARK_RESOURCES");
    if (!fromEnv.isEmpty() && QFileInfo(fromEnv).isDir())
        return QDir(fromEnv).absolutePath();
    if (QCoreApplication::instance()) {
        const QString appDir = QCoreApplication::applicationDirPath();
        for (const QString &candidate : {appDir + QStringLiteral("/resources"),
                                         appDir + QStringLiteral("/../share/quillmark/resources")}) {
            if (QFileInfo(candidate).isDir())
                return QDir(candidate).absolutePath();
        }
    }
    return QStringLiteral(QUILLMARK_SOURCE_RESOURCES);
}

QString resourcePath()
{
    static const QString path = findResourcePath();
    return path;
}

QString pathForResource(const QString &name, const QString &type, const QString &directory)
{
    QString path = resourcePath();
    if (!directory.isEmpty())
        path += QLatin1Char('/') + directory;
    path += QLatin1Char('/') + name;
    if (!type.isEmpty())
        path += QLatin1Char('.') + type;
    return QFileInfo::exists(path) ? path : QString();
}

} // namespace Bundle

#include "WebFileAccess.h"

#include "platform/foundation/Bundle.h"

#include <QDir>
#include <QFileInfo>
#include <QSet>

namespace {

QSet<const WebFileAccess *> &everyAccess()
{
    static QSet<const WebFileAccess *> all;
    return all;
}

// A folder as it is written and with its links resolved, each ending in '/'.
void appendFolder(QStringList &folders, const QString &folder)
{
    if (folder.isEmpty())
        return;
    const QString clean = QDir::cleanPath(QDir(folder).absolutePath());
    const QString resolved = QFileInfo(clean).canonicalFilePath();
    for (const QString &path : {clean, resolved}) {
        if (path.isEmpty())
            continue;
        const QString withSlash = path.endsWith(QLatin1Char('/')) ? path : path + QLatin1Char('/');
        if (!folders.contains(withSlash))
            folders.append(withSlash);
    }
}

// The characters of URLPattern syntax that stand for something.
bool isPatternSyntax(QChar c)
{
    return QStringView(u"*:(){}?+\\").contains(c);
}

} // namespace

WebFileAccess::WebFileAccess()
{
    everyAccess().insert(this);
    setFolders({});
}

WebFileAccess::~WebFileAccess()
{
    everyAccess().remove(this);
}

bool WebFileAccess::setFolders(const QStringList &folders)
{
    QStringList readable;
    for (const QString &folder : folders)
        appendFolder(readable, folder);
    appendFolder(readable, Bundle::resourcePath());
    if (readable == m_folders)
        return false;
    m_folders = readable;
    return true;
}

bool WebFileAccess::allows(const QUrl &url) const
{
    if (!url.isLocalFile())
        return true;
    const QString path = QDir::cleanPath(url.toLocalFile());
    for (const QString &folder : m_folders) {
        if (path.startsWith(folder) || path + QLatin1Char('/') == folder)
            return true;
    }
    return false;
}

QJsonObject WebFileAccess::blockedUrlsOfEveryPage()
{
    QStringList folders;
    for (const WebFileAccess *access : std::as_const(everyAccess())) {
        for (const QString &folder : access->folders()) {
            if (!folders.contains(folder))
                folders.append(folder);
        }
    }
    return blockedUrlsOf(folders);
}

QJsonObject WebFileAccess::blockedUrlsOf(const QStringList &folders)
{
    // The first pattern that matches decides: the folders are let through,
    // every other local address is blocked.
    QJsonArray patterns;
    for (const QString &folder : folders)
        patterns.append(QJsonObject{{QStringLiteral("urlPattern"), urlPatternOfFolder(folder)}, {QStringLiteral("block"), false}});
    patterns.append(QJsonObject{{QStringLiteral("urlPattern"), QStringLiteral("file://*")}, {QStringLiteral("block"), true}});
    return {{QStringLiteral("urlPatterns"), patterns}};
}

QString WebFileAccess::urlPatternOfFolder(const QString &folder)
{
    // The address as the browser writes it: percent-encoded where it encodes.
    const QString folderWithSlash = folder.endsWith(QLatin1Char('/')) ? folder : folder + QLatin1Char('/');
    const QString address = QUrl::fromLocalFile(folderWithSlash).toString(QUrl::FullyEncoded);
    QString pattern;
    for (const QChar c : address.mid(int(qstrlen("file://")))) {
        if (isPatternSyntax(c))
            pattern += QLatin1Char('\\');
        pattern += c;
    }
    return QStringLiteral("file://") + pattern + QLatin1Char('*');
}

QJsonObject WebFileAccess::documentPattern()
{
    return {{QStringLiteral("urlPattern"), QStringLiteral("file://*")}, {QStringLiteral("resourceType"), QStringLiteral("Document")}};
}

QStringList WebFileAccess::ownFolderOf(const QUrl &url)
{
    if (!url.isLocalFile())
        return {};
    return {QFileInfo(url.toLocalFile()).absolutePath()};
}

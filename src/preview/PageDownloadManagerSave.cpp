// PageDownloadManager: where each file goes, writing the files, and the
// page's links made relative.

#include "PageDownloadManager.h"

#include "ResourceBodyFetcher.h"

#include "foundation/StringUtils.h"
#include "platform/foundation/AtomicFileWriter.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/kit/Alert.h"
#include "workspace/File.h"
#include "workspace/WebFrame.h"
#include "workspace/WebResource.h"

#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace {

// A name of a folder or file that may stand in a saved path.
bool isSafeName(const QString &name)
{
    return !name.isEmpty() && name != QStringLiteral(".") && name != QStringLiteral("..")
        && !name.contains(QLatin1Char('/')) && !name.contains(QChar(0));
}

QString withSlash(const QString &folder)
{
    return folder.endsWith(QLatin1Char('/')) ? folder : folder + QLatin1Char('/');
}

// Whether the path is the folder or lies below it.
bool isInside(const QString &path, const QString &folder)
{
    return path == folder || path.startsWith(withSlash(folder));
}

// The site of an address: its scheme, host and port.
QString siteOf(const QUrl &url)
{
    return url.toString(QUrl::RemoveUserInfo | QUrl::RemovePath | QUrl::RemoveQuery | QUrl::RemoveFragment
                        | QUrl::StripTrailingSlash);
}

// Every tag of the text, and in it the first href or src attribute whose
// value the lookup knows: the handler gets the value's range.
const QRegularExpression &tagPattern()
{
    static const QRegularExpression pattern(QStringLiteral("<[A-Za-z][^>]*>"));
    return pattern;
}

const QRegularExpression &attributePattern()
{
    static const QRegularExpression pattern(
        QStringLiteral("\\s(?:href|src)\\s*=\\s*(?:\"([^\"]*)\"|'([^']*)')"), QRegularExpression::CaseInsensitiveOption);
    return pattern;
}

const QRegularExpression &canonicalPattern()
{
    static const QRegularExpression pattern(QStringLiteral("\\srel\\s*=\\s*([\"']?)canonical\\1[\\s/>]"),
                                            QRegularExpression::CaseInsensitiveOption);
    return pattern;
}

struct LinkMatch
{
    qsizetype tagStart = 0;
    qsizetype tagLength = 0;
    qsizetype valueStart = 0;
    qsizetype valueLength = 0;
    QString value;
};

QList<LinkMatch> linksIn(const QString &html, const QHash<QString, QString> &known)
{
    QList<LinkMatch> links;
    if (known.isEmpty())
        return links;
    QRegularExpressionMatchIterator tags = tagPattern().globalMatch(html);
    while (tags.hasNext()) {
        const QRegularExpressionMatch tag = tags.next();
        const QString text = tag.captured();
        // A canonical link names the page's true address and keeps it.
        if (canonicalPattern().match(text).hasMatch())
            continue;
        QRegularExpressionMatchIterator attributes = attributePattern().globalMatch(text);
        while (attributes.hasNext()) {
            const QRegularExpressionMatch attribute = attributes.next();
            const int group = attribute.capturedStart(1) >= 0 ? 1 : 2;
            const QString value = attribute.captured(group);
            if (value.isEmpty() || !known.contains(value))
                continue;
            links.append({tag.capturedStart(), tag.capturedLength(), tag.capturedStart() + attribute.capturedStart(group),
                          attribute.capturedLength(group), value});
            break;
        }
    }
    return links;
}

// The destination is whole or as it was (AtomicFileWriter).
std::optional<QString> writeWhole(const QString &path, const QByteArray &bytes)
{
    AtomicFileWriter out(path);
    if (!out.open() || !out.write(bytes) || !out.commit())
        return out.errorString();
    return std::nullopt;
}

} // namespace

// --- Where files go ----------------------------------------------------------------------------------

std::optional<QString> PageDownloadManager::relativePathOfURL(const QUrl &url, bool isPage)
{
    const QString host = url.host();
    if (!url.isValid() || !isSafeName(host))
        return std::nullopt;
    // The path decoded, so that an encoded "..", "." or "/" is seen as what
    // it stands for; empty parts ("a//b") are passed over.
    const QString path = url.path(QUrl::FullyDecoded);
    QStringList parts;
    for (const QString &part : path.split(QLatin1Char('/'), Qt::SkipEmptyParts)) {
        if (!isSafeName(part))
            return std::nullopt;
        parts.append(part);
    }
    // A folder address has no name of its own; a page at one is its index.
    const bool folderAddress = path.isEmpty() || path.endsWith(QLatin1Char('/'));
    if (folderAddress || (isPage && !parts.last().contains(QLatin1Char('.'))))
        parts.append(QStringLiteral("index.html"));
    parts.prepend(host);
    return parts.join(QLatin1Char('/'));
}

std::optional<QString> PageDownloadManager::destinationIn(const QString &folder, const QString &relativePath)
{
    const QString base = QDir::cleanPath(folder);
    const QString target = QDir::cleanPath(withSlash(base) + relativePath);
    if (relativePath.isEmpty() || QDir::isAbsolutePath(relativePath) || target == base || !isInside(target, base))
        return std::nullopt;
    return target;
}

std::optional<PageDownloadManager::Placement> PageDownloadManager::placementOf(File *file) const
{
    if (!file)
        return std::nullopt;
    Placement placement;
    if (file->isLocalFile()) {
        // A project file keeps its place below the project's folder.
        const QString root = projectRoot();
        const QString path = QDir::cleanPath(file->path());
        if (root.isEmpty() || !path.startsWith(withSlash(root)))
            return std::nullopt;
        placement.relativePath = path.mid(withSlash(root).size());
        if (!destinationIn(QStringLiteral("/"), placement.relativePath))
            return std::nullopt;
        QString folder = root;
        placement.folders.append(folder);
        const QStringList parts = placement.relativePath.split(QLatin1Char('/'));
        for (qsizetype i = 0; i + 1 < parts.size(); ++i) {
            folder += QLatin1Char('/') + parts.at(i);
            placement.folders.append(folder);
        }
        placement.item = path;
        return placement;
    }
    const QUrl url(file->path());
    const std::optional<QString> relative = relativePathOfURL(url, file->webframe() != nullptr);
    if (!relative)
        return std::nullopt;
    placement.relativePath = *relative;
    // The items are the site, then its folders, each "scheme://host/path".
    const QString site = url.scheme() + QStringLiteral("://") + url.host();
    QStringList parts = relative->split(QLatin1Char('/'));
    parts.removeFirst();
    QString folder = site;
    placement.folders.append(folder);
    for (qsizetype i = 0; i + 1 < parts.size(); ++i) {
        folder += QLatin1Char('/') + parts.at(i);
        placement.folders.append(folder);
    }
    placement.item = folder + QLatin1Char('/') + parts.last();
    return placement;
}

std::optional<QString> PageDownloadManager::relativePathOf(File *file) const
{
    const std::optional<Placement> placement = placementOf(file);
    if (!placement)
        return std::nullopt;
    return placement->relativePath;
}

// --- Writing -------------------------------------------------------------------------------------------

PageDownloadManager::DownloadResult PageDownloadManager::downloadFilesTo(const QString &folder)
{
    m_overrideConfirmed = false;
    m_isOverride = false;
    DownloadResult result;
    for (const QString &item : QStringList(m_selectionMap)) {
        if (itemIsDirectory(item)) {
            const QString relative = isLocalPage() && isInside(item, projectRoot())
                ? item.mid(withSlash(projectRoot()).size())
                : item.section(QStringLiteral("://"), 1);
            if (const std::optional<QString> path = destinationIn(folder, relative); path && !QDir().mkpath(*path))
                QM_ERROR(QStringLiteral("create directory fail"));
        }
        File *file = fileWithItem(item);
        if (!file)
            continue;
        QString failure;
        switch (saveFile(file, folder, &failure)) {
        case SaveResult::Written:
            ++result.written;
            break;
        case SaveResult::Failed:
            result.failures.append(QStringLiteral("%1: %2").arg(item, failure));
            break;
        case SaveResult::Skipped:
            break;
        }
    }

    Alert alert;
    alert.setMessageText(QStringLiteral("%1 files downloaded.").arg(result.written));
    if (!result.failures.isEmpty()) {
        alert.setInformativeText(QStringLiteral("These files could not be saved:\n%1").arg(result.failures.join(QLatin1Char('\n'))));
        alert.setAlertStyle(Alert::Style::Critical);
    }
    alert.addButtonWithTitle(QStringLiteral("OK"));
    alert.runModal(m_mainWindow);

    if (result.written >= 1) {
        NotificationCenter::defaultCenter().postNotificationName(QStringLiteral("resourceDownloadComplete"), this,
                                                                 {{QStringLiteral("path"), folder}});
    }
    return result;
}

PageDownloadManager::SaveResult PageDownloadManager::saveFile(File *file, const QString &folder, QString *failure)
{
    const std::optional<QString> relative = relativePathOf(file);
    const std::optional<QString> target = relative ? destinationIn(folder, *relative) : std::nullopt;
    if (!target) {
        *failure = QStringLiteral("its address leads out of the chosen folder");
        return SaveResult::Failed;
    }
    const QFileInfo info(*target);
    // A file is never copied onto itself.
    if (file->isLocalFile() && info.exists() && info.canonicalFilePath() == QFileInfo(file->path()).canonicalFilePath())
        return SaveResult::Skipped;
    if (info.isDir()) {
        *failure = QStringLiteral("a folder of that name is in the way");
        return SaveResult::Failed;
    }
    if (info.exists() && !confirmOverwrite(*target))
        return SaveResult::Skipped;

    if (!QDir().mkpath(info.path())) {
        QM_ERROR(QStringLiteral("create directory fail"));
        *failure = QStringLiteral("its folder cannot be made (a file of that name may be in the way)");
        return SaveResult::Failed;
    }
    // A link already in the folder must not lead the write out of it.
    const QString canonicalFolder = QFileInfo(folder).canonicalFilePath();
    const QString canonicalTarget = info.exists() ? QFileInfo(*target).canonicalFilePath()
                                                  : QFileInfo(info.path()).canonicalFilePath();
    if (canonicalFolder.isEmpty() || canonicalTarget.isEmpty() || !isInside(canonicalTarget, canonicalFolder)) {
        *failure = QStringLiteral("its place is not inside the chosen folder");
        QM_ERROR(QStringLiteral("save fail \n%1: %2").arg(*target, *failure));
        return SaveResult::Failed;
    }

    const QByteArray bytes = bytesToSave(file, *relative, failure);
    if (!failure->isEmpty()) {
        QM_ERROR(QStringLiteral("save fail \n%1: %2").arg(*target, *failure));
        return SaveResult::Failed;
    }
    // Written whole or not at all: an existing file stays as it was when the write fails.
    if (const std::optional<QString> error = writeWhole(*target, bytes)) {
        *failure = *error;
        QM_ERROR(QStringLiteral("save fail \n%1").arg(*failure));
        return SaveResult::Failed;
    }
    return SaveResult::Written;
}

bool PageDownloadManager::confirmOverwrite(const QString &path)
{
    if (m_overrideConfirmed)
        return m_isOverride;
    Alert alert;
    alert.setMessageText(QStringLiteral("File exists at %1\nDo you want to overwrite the file?").arg(path));
    alert.addButtonWithTitle(QStringLiteral("Overwrite"));
    alert.addButtonWithTitle(QStringLiteral("Ignore"));
    alert.setShowsSuppressionButton(true);
    const bool overwrite = alert.runModal(m_mainWindow) == Alert::FirstButtonReturn;
    if (alert.suppressionButtonChecked()) {
        m_overrideConfirmed = true;
        m_isOverride = overwrite;
    }
    return overwrite;
}

QByteArray PageDownloadManager::bytesToSave(File *file, const QString &relativePath, QString *failure) const
{
    failure->clear();
    if (file->isLocalFile()) {
        QFile source(file->path());
        if (!source.open(QIODevice::ReadOnly)) {
            *failure = source.errorString();
            return {};
        }
        return source.readAll();
    }
    if (const std::shared_ptr<WebFrame> frame = file->webframe()) {
        if (file == m_indexFile && m_convertAbsoluteToRelative->isChecked()) {
            if (const std::optional<QString> text = file->content())
                return convertAbsoluteURLToRelative(*text, relativePath).toUtf8();
        }
        if (!frame->hasData()) {
            if (const std::optional<QByteArray> fetched = m_bodyFetcher->fetchedBytes(file))
                return *fetched;
            *failure = QStringLiteral("the page did not come");
            return {};
        }
        return frame->dataSourceData();
    }
    if (const std::shared_ptr<WebResource> resource = file->webresource(); resource && resource->hasData())
        return resource->data();
    if (const std::optional<QByteArray> fetched = m_bodyFetcher->fetchedBytes(file))
        return *fetched;
    *failure = QStringLiteral("its content did not come");
    return {};
}

// --- Links ---------------------------------------------------------------------------------------------

QHash<QString, QString> PageDownloadManager::relativeLinks(const QString &indexPath) const
{
    // Each ticked network resource is known by the ways a page may write its
    // address: whole, without its scheme, and (on the page's own site) from
    // the site's root. An empty way is never known: it would be every
    // href="".
    QHash<QString, QString> links;
    const QString indexSite = m_indexFile ? siteOf(QUrl(m_indexFile->path())) : QString();
    for (const QString &item : m_selectionMap) {
        File *file = fileWithItem(item);
        const QString relative = m_relativePathOfItem.value(item);
        if (!file || file->isLocalFile() || relative.isEmpty())
            continue;
        const QUrl url(file->path());
        const QString target = StringUtils::relativePathFrom(relative, indexPath);
        const QString whole = file->absolutePath();
        const QString schemeless =
            url.toString(QUrl::RemoveScheme | QUrl::RemoveUserInfo | QUrl::RemoveFragment | QUrl::FullyEncoded);
        const QString rooted = url.toString(QUrl::RemoveScheme | QUrl::RemoveAuthority | QUrl::RemoveFragment
                                            | QUrl::FullyEncoded);
        for (const QString &way : {whole, schemeless, siteOf(url) == indexSite ? rooted : QString()}) {
            if (!way.isEmpty() && !links.contains(way))
                links.insert(way, target);
        }
    }
    return links;
}

QString PageDownloadManager::convertAbsoluteURLToRelative(const QString &html, const QString &indexPath) const
{
    QString text = html;
    const QHash<QString, QString> links = relativeLinks(indexPath);
    const QList<LinkMatch> matches = linksIn(html, links);
    // From the last to the first, so that the earlier ranges stay valid.
    for (auto it = matches.crbegin(); it != matches.crend(); ++it) {
        const QString before = text.mid(it->tagStart, it->tagLength);
        text.replace(it->valueStart, it->valueLength, links.value(it->value));
        QM_INFO(QStringLiteral("%1 convent to %2")
                    .arg(before, text.mid(it->tagStart, it->tagLength - it->valueLength + links.value(it->value).size())));
    }
    return text;
}

void PageDownloadManager::checkResourceLinkOfIndex()
{
    m_indexLinkCount = 0;
    if (!m_indexFile || m_indexFile->isLocalFile())
        return;
    std::optional<QString> text = m_indexFile->content();
    if (!text)
        text = m_indexFile->currentContent();
    const std::optional<QString> indexPath = relativePathOf(m_indexFile);
    if (!text || !indexPath)
        return;
    m_indexLinkCount = int(linksIn(*text, relativeLinks(*indexPath)).size());
    QM_DEBUG(QStringLiteral("%1 convert URLs").arg(m_indexLinkCount));
}

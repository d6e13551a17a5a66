#include "BypassOperation.h"

#include "platform/foundation/Log.h"
#include "workspace/BypassMap.h"
#include "workspace/File.h"
#include "workspace/ProjectUtil.h"

#include <QDirIterator>
#include <QFileInfo>

namespace {

// The kinds the jobs tie: pages, style sheets and scripts, by the exact
// extension the file model types them by.
bool isTiedKind(const QString &fileName)
{
    const QString extension = QFileInfo(fileName).suffix();
    return extension == u"html" || extension == u"css" || extension == u"js";
}

// The address of the folder an address lies in, with its closing slash.
QUrl folderURL(const QUrl &url)
{
    QString path = url.path();
    path.truncate(path.lastIndexOf(QLatin1Char('/')) + 1);
    QUrl folder = url;
    folder.setPath(path);
    return folder;
}

} // namespace

BypassOperation::BypassOperation(File *file) : m_file(file)
{
    File *root = file ? file->rootFile() : nullptr;
    if (!root)
        root = file;
    m_rootFile = root;
    m_rootPath = root ? root->path() : QString();
    if (!m_rootPath.isEmpty())
        m_config = ProjectUtil::getProjectConfig(m_rootPath);
}

BypassOperation::~BypassOperation() = default;

BypassMap *BypassOperation::bypassMap() const
{
    return m_map ? m_map : BypassMap::getInstance();
}

QList<BypassOperation::Entry> BypassOperation::webEntries() const
{
    QList<Entry> entries;
    if (m_rootPath.isEmpty())
        return entries;
    // Hidden entries are left out, hidden folders with everything in them;
    // linked folders are not entered, so a link to a folder above cannot
    // make the walk go round.
    QList<QString> folders{m_rootPath};
    while (!folders.isEmpty()) {
        const QString folder = folders.takeFirst();
        QDirIterator entriesOf(folder, QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot);
        QStringList subfolders;
        while (entriesOf.hasNext()) {
            if (isCancelled())
                return entries;
            const QFileInfo info = entriesOf.nextFileInfo();
            if (info.fileName().startsWith(QLatin1Char('.')))
                continue;
            if (info.isDir()) {
                if (!info.isSymLink())
                    subfolders.append(info.filePath());
                continue;
            }
            if (!isTiedKind(info.fileName()))
                continue;
            const QString relative = info.filePath().mid(m_rootPath.size());
            const QUrl webURL(File::webURLWithConfig(m_config, relative));
            // Without a site address there is nothing to tie.
            if (!webURL.isValid() || webURL.isRelative())
                continue;
            entries.append({webURL, info.filePath()});
            if (info.fileName() == u"index.html")
                entries.append({folderURL(webURL), info.filePath()});
        }
        subfolders.sort();
        folders = subfolders + folders;
    }
    return entries;
}

#include "File.h"

#include "BypassMap.h"
#include "PathComponentCell.h"
#include "ProjectUtil.h"
#include "SCEvents.h"
#include "WebContentStore.h"
#include "WebFrame.h"

#include "foundation/StringUtils.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/NotificationCenter.h"

#include <QAbstractFileIconProvider>
#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QMimeDatabase>
#include <QRegularExpression>
#include <QStorageInfo>
#include <QThread>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>

// What one stat of a path tells: enough to build a node without asking again.
struct FileDiskEntry
{
    bool statOk = false;
    bool isDir = false;
    qint64 size = 0;
    quint64 device = 0;
    quint64 inode = 0;
};

namespace {

std::function<bool()> &onlineStateProvider()
{
    static std::function<bool()> provider;
    return provider;
}

std::function<InspectUndoManager *()> &undoManagerProvider()
{
    static std::function<InspectUndoManager *()> provider;
    return provider;
}

std::function<void()> &pendingWritesRunner()
{
    static std::function<void()> runner;
    return runner;
}

FileDiskEntry entryFromStat(const struct stat &st)
{
    FileDiskEntry entry;
    entry.statOk = true;
    entry.isDir = S_ISDIR(st.st_mode);
    entry.size = qint64(st.st_size);
    entry.device = quint64(st.st_dev);
    entry.inode = quint64(st.st_ino);
    return entry;
}

FileDiskEntry statPath(const QString &path)
{
    const QByteArray native = QFile::encodeName(path);
    struct stat st;
    // A dangling symbolic link is still an entry: describe the link itself.
    if (::stat(native.constData(), &st) == 0 || ::lstat(native.constData(), &st) == 0)
        return entryFromStat(st);
    return {};
}

bool isDirectoryPath(const QString &path)
{
    struct stat st;
    return ::stat(QFile::encodeName(path).constData(), &st) == 0 && S_ISDIR(st.st_mode);
}

// File systems whose files live on another computer.
bool isNetworkFileSystem(const QByteArray &type)
{
    static const QList<QByteArray> prefixes = {
        "nfs", "cifs", "smb", "ncpfs", "afs", "coda", "9p", "ceph", "glusterfs", "fuse.glusterfs",
        "lustre", "gpfs", "beegfs", "sshfs", "fuse.sshfs", "davfs", "fuse.davfs2", "fuse.rclone", "fuse.s3fs",
    };
    for (const QByteArray &prefix : prefixes) {
        if (type.startsWith(prefix))
            return true;
    }
    return false;
}

// Whether the volume of the device is not local, asked once per device.
// nullopt when the volume cannot be queried.
std::optional<bool> isNetworkVolume(quint64 device, const QString &path)
{
    static QMutex lock;
    static QHash<quint64, bool> cache;
    {
        QMutexLocker locker(&lock);
        const auto it = cache.constFind(device);
        if (it != cache.constEnd())
            return *it;
    }
    const QStorageInfo info(path);
    if (!info.isValid())
        return std::nullopt;
    const bool network = isNetworkFileSystem(info.fileSystemType());
    QMutexLocker locker(&lock);
    cache.insert(device, network);
    return network;
}

// The last path component ("/" for the root folder).
QString lastPathComponent(const QString &path)
{
    qsizetype end = path.size();
    while (end > 1 && path.at(end - 1) == u'/')
        --end;
    if (end == 1 && path.at(0) == u'/')
        return QStringLiteral("/");
    const qsizetype slash = path.lastIndexOf(u'/', end - 1);
    return path.mid(slash + 1, end - slash - 1);
}

QString extensionOfName(const QString &name)
{
    const qsizetype dot = name.lastIndexOf(u'.');
    if (dot <= 0 || dot == name.size() - 1)
        return {};
    return name.mid(dot + 1);
}

QString joinPath(const QString &folder, const QString &name)
{
    if (folder.endsWith(u'/'))
        return folder + name;
    return folder + u'/' + name;
}

// Paths below U+0300 hold no combining mark, so they are in canonical
// composition already; only the others need the (slower) normalisation.
QString mapKey(const QString &path)
{
    for (QChar c : path) {
        if (c.unicode() >= 0x300)
            return StringUtils::NFCString(path);
    }
    return path;
}

enum class Kind { Image, Text, Other };

Kind kindOfMimeType(const QMimeType &type)
{
    if (!type.isValid())
        return Kind::Other;
    if (type.name().startsWith(QLatin1String("image/")))
        return Kind::Image;
    if (type.inherits(QStringLiteral("text/plain")))
        return Kind::Text;
    return Kind::Other;
}

// What a file name extension stands for, worked out once per extension.
Kind kindOfExtension(const QString &extension)
{
    if (extension.isEmpty())
        return Kind::Other;
    static QMutex lock;
    static QHash<QString, Kind> cache;
    QMutexLocker locker(&lock);
    const auto it = cache.constFind(extension);
    if (it != cache.constEnd())
        return *it;
    static const QMimeDatabase database;
    const QList<QMimeType> types = database.mimeTypesForFileName(QStringLiteral("a.") + extension);
    const Kind kind = types.isEmpty() ? Kind::Other : kindOfMimeType(types.first());
    cache.insert(extension, kind);
    return kind;
}

Kind kindOfMimeName(const QString &name)
{
    static const QMimeDatabase database;
    const QMimeType type = database.mimeTypeForName(name);
    if (type.isValid())
        return kindOfMimeType(type);
    if (name.startsWith(QLatin1String("image/")))
        return Kind::Image;
    if (name.startsWith(QLatin1String("text/")))
        return Kind::Text;
    return Kind::Other;
}

// The icon theme's picture of a folder or of the file's type (by its name),
// as file managers show them; null when the theme has none.
QIcon themeIconForFile(const QString &path, bool isDirectory)
{
    if (isDirectory)
        return QIcon::fromTheme(QStringLiteral("folder"));
    static const QMimeDatabase database;
    const QMimeType type = database.mimeTypeForFile(path, QMimeDatabase::MatchExtension);
    for (const QString &name : {type.iconName(), type.genericIconName(), QStringLiteral("text-x-generic")}) {
        if (!name.isEmpty() && QIcon::hasThemeIcon(name))
            return QIcon::fromTheme(name);
    }
    return {};
}

QAbstractFileIconProvider &iconProvider()
{
    static QAbstractFileIconProvider provider;
    return provider;
}

} // namespace

// --- Construction -------------------------------------------------------------

File::File()
{
    moveToMainThread();
    m_openDate = QDateTime::currentDateTimeUtc();
    m_modDate = m_openDate;
}

File::File(const QString &path, bool isRoot, File *parent)
{
    moveToMainThread();
    initLocal(path, isRoot, parent, statPath(path));
}

File::File(PrivateTag, const QString &path, bool isRoot, File *parent, const FileDiskEntry &entry)
{
    moveToMainThread();
    initLocal(path, isRoot, parent, entry);
}

File::File(PrivateTag, const QString &path, bool isRoot, File *parent)
{
    moveToMainThread();
    initIdentity(path, isRoot, parent);
    setPathComponent();
    m_isLocalFile = true;
    const FileDiskEntry entry = statPath(path);
    m_fileSize = entry.size;
    noteRealFolder(entry, parent);
    m_isLeaf = true;
}

std::unique_ptr<File> File::fileWithDirectory(const QString &path, bool isRoot, File *parent)
{
    return std::unique_ptr<File>(new File(PrivateTag{}, path, isRoot, parent));
}

File::File(std::shared_ptr<WebResource> resource)
{
    moveToMainThread();
    m_webresource = std::move(resource);
    const QUrl url = m_webresource ? m_webresource->url() : QUrl();
    m_path = url.toString(QUrl::FullyEncoded);
    m_displayName = lastPathComponent(url.path());
    m_fileSize = m_webresource ? m_webresource->data().size() : 0;
    m_isLocalFile = false;

    loadWebContent();
    checkWebFont();
    setPathComponent();
}

void File::loadWebContent()
{
    const QDateTime now = QDateTime::currentDateTimeUtc();
    m_openDate = now;
    m_modDate = now;
    if ((!m_webresource && !m_webframe) || !isKindOfText())
        return;
    // Without bytes there is no text, and nothing is stored that a later
    // load of the same address would take for an edit.
    if (m_webframe ? !m_webframe->hasData() : !m_webresource->hasData()) {
        m_content.reset();
        ++m_contentGeneration;
        return;
    }
    const QUrl url = webResourceURL();
    const std::optional<QString> decoded = getContentOfPath();
    if (!decoded)
        QM_INFO(QStringLiteral("cannot decode the text of %1; it is kept without text").arg(m_path));
    WebContentStore *store = WebContentStore::shared();
    const std::optional<QString> stored = store ? store->contentWithURL(url) : std::nullopt;
    if (stored) {
        // The page was reloaded after an edit: keep the edited text, and
        // let the node read as modified when it differs from the resource.
        m_content = stored;
        if (stored != decoded)
            m_openDate = m_modDate.addSecs(-1);
    } else {
        // An undecodable resource has no text: nothing is stored that a
        // later save or copy could write over a user's file.
        if (decoded && store) {
            store->setContent(*decoded, url);
            store->setSaved(*decoded, url);
        }
        m_content = decoded;
    }
    ++m_contentGeneration;
}

void File::initIdentity(const QString &path, bool isRoot, File *parent)
{
    m_path = path;
    m_displayName = lastPathComponent(path);
    m_openDate = QDateTime::currentDateTimeUtc();
    m_modDate = m_openDate;
    m_isRoot = isRoot;
    if (parent) {
        m_parentFile = parent;
        if (File *root = parent->rootFile())
            root->addFileToMap(this);
    }
    if (isRoot) {
        m_rootProject = path;
        m_rootFile = this;
    }
}

void File::initLocal(const QString &path, bool isRoot, File *parent, const FileDiskEntry &entry)
{
    initIdentity(path, isRoot, parent);
    if (isRoot) {
        m_hasFileMap = true;
        setUpDirectryChangeWatch();
    }
    setPathComponent();
    m_isLocalFile = true;
    m_fileSize = entry.statOk ? entry.size : 0;
    if (entry.statOk)
        m_diskKind = entry.isDir ? DiskKind::Folder : DiskKind::PlainFile;
    noteRealFolder(entry, parent);
    checkIsFont();
    if (entry.statOk) {
        if (const std::optional<bool> network = isNetworkVolume(entry.device, path))
            m_isNetworkDrive = *network;
    }
}

void File::noteRealFolder(const FileDiskEntry &entry, File *parent)
{
    const bool wasCycle = m_isFolderCycle;
    m_realFolder.reset();
    m_isFolderCycle = false;
    if (!entry.statOk || !entry.isDir)
        return;
    const RealFolder folder{entry.device, entry.inode};
    for (File *up = parent; up; up = up->parentFile()) {
        if (up->m_realFolder != folder)
            continue;
        // Following it would list the same folders again without end.
        m_isFolderCycle = true;
        m_diskKind = DiskKind::PlainFile;
        if (!wasCycle)
            QM_INFO(QStringLiteral("%1 is the folder %2 above it; it is listed as a plain entry, not followed")
                        .arg(m_path, up->m_path));
        return;
    }
    m_realFolder = folder;
}

void File::moveToMainThread()
{
    // Project loading makes roots on a worker thread; every node lives on the
    // main thread, where the trees, the undo manager and the watcher are.
    QCoreApplication *app = QCoreApplication::instance();
    if (app && QThread::currentThread() != app->thread())
        moveToThread(app->thread());
}

File::~File()
{
    removeWatcher();
    if (m_hasFileMap) {
        // The whole project goes: its nodes need not leave the map one by one.
        m_hasFileMap = false;
        m_fileMap.clear();
        m_editedFiles.clear();
    }
    m_children.clear();
    m_hiddenChildren.clear();
    if (m_styleDeclarations) {
        for (const StyleDeclarationPtr &declaration : *m_styleDeclarations) {
            if (declaration->parentFile() == this)
                declaration->setParentFile(nullptr);
        }
    }
    forgetFromMap();
    forgetFromEdited();
}

void File::forgetFromMap()
{
    if (!m_isLocalFile)
        return;
    QList<File *> roots{m_rootFile.data()};
    if (File *parent = m_parentFile.data())
        roots.append(parent->rootFile());
    for (File *root : std::as_const(roots)) {
        if (!root || root == this || !root->m_hasFileMap)
            continue;
        const QString key = mapKey(m_path);
        const auto it = root->m_fileMap.find(key);
        if (it != root->m_fileMap.end() && it.value() == this) {
            root->m_fileMap.erase(it);
            continue;
        }
        // The path changed after the node was entered: find it by identity.
        for (auto entry = root->m_fileMap.begin(); entry != root->m_fileMap.end();) {
            if (entry.value() == this)
                entry = root->m_fileMap.erase(entry);
            else
                ++entry;
        }
    }
}

std::unique_ptr<File> File::copy() const
{
    if (m_isLocalFile)
        return std::make_unique<File>(m_path, m_isRoot, m_parentFile.data());
    if (m_webresource)
        return std::make_unique<File>(m_webresource);
    return std::make_unique<File>();
}

// --- Tree -------------------------------------------------------------------------

QList<File *> File::children()
{
    if (m_isResourceGroup)
        return tempChildren();
    // A plain file is asked on every paint of its row: no disk for it.
    if (m_diskKind == DiskKind::PlainFile)
        return {};
    if (!m_childrenBuilt)
        setUpChildren();
    return m_childList;
}

bool File::isLeaf()
{
    if (m_isResourceGroup)
        return tempChildren().isEmpty();
    if (m_diskKind == DiskKind::PlainFile)
        return true;
    if (!m_childrenBuilt)
        setUpChildren();
    return m_isLeaf;
}

int File::numberOfChildren()
{
    return int(children().size());
}

QList<File *> File::setUpChildren()
{
    // The path is a file-system path as it stands: a folder named "100%25"
    // is not the folder "100%".
    const QString folder = m_path;
    DIR *dir = nullptr;
    QString problem;
    if (!m_isFolderCycle && exists() && isDirectoryPath(folder)) {
        dir = ::opendir(QFile::encodeName(folder).constData());
        if (!dir)
            problem = QString::fromLocal8Bit(std::strerror(errno));
    }
    // Kept for the tree to show, and said once while it lasts (#85).
    if (!problem.isEmpty() && problem != m_folderProblem)
        QM_INFO(QStringLiteral("cannot read the folder %1: %2").arg(folder, problem));
    m_folderProblem = problem;
    if (!dir) {
        // The folder is gone (or unreadable): its nodes go with it, but for
        // those holding unsaved edits, which stay marked missing.
        QList<QPointer<File>> newlyMissing;
        keepOnlyEdited(newlyMissing);
        m_childrenBuilt = false;
        postDeletedOutside(newlyMissing);
        return m_childList;
    }

    struct Listed
    {
        QString name;
        FileDiskEntry entry;
    };
    QList<Listed> listed;
    const int fd = ::dirfd(dir);
    while (const dirent *item = ::readdir(dir)) {
        if (std::strcmp(item->d_name, ".") == 0 || std::strcmp(item->d_name, "..") == 0)
            continue;
        Listed entry{QFile::decodeName(item->d_name), {}};
        struct stat st;
        if (::fstatat(fd, item->d_name, &st, 0) == 0
            || ::fstatat(fd, item->d_name, &st, AT_SYMLINK_NOFOLLOW) == 0)
            entry.entry = entryFromStat(st);
        listed.append(std::move(entry));
    }
    ::closedir(dir);

    // The present nodes by path; what is not taken from here goes at the end.
    std::vector<std::unique_ptr<File>> oldChildren = std::move(m_children);
    std::vector<std::unique_ptr<File>> oldHidden = std::move(m_hiddenChildren);
    m_children.clear();
    m_hiddenChildren.clear();
    QHash<QString, std::unique_ptr<File> *> present;
    present.reserve(qsizetype(oldChildren.size() + oldHidden.size()));
    for (auto &child : oldChildren)
        present.insert(child->m_path, &child);
    QHash<QString, std::unique_ptr<File> *> presentHidden;
    for (auto &child : oldHidden)
        presentHidden.insert(child->m_path, &child);

    struct Sorted
    {
        bool isDir;
        std::unique_ptr<File> file;
    };
    std::vector<Sorted> visible;
    visible.reserve(size_t(listed.size()));
    QList<QPointer<File>> toRefresh;
    // Children with unsaved edits are never reloaded: their disk is only
    // compared with what was last read or written.
    QList<QPointer<File>> toCompare;
    const auto sortForRefresh = [&toRefresh, &toCompare](File *child) {
        if (child->m_isMissingOnDisk)
            toCompare.append(child);
        else if (child->m_content && child->isKindOfText())
            (child->hasUnsavedEdits() ? toCompare : toRefresh).append(child);
    };
    for (const Listed &item : std::as_const(listed)) {
        const QString fullPath = joinPath(folder, item.name);
        if (std::unique_ptr<File> *child = present.value(fullPath)) {
            if (item.entry.statOk) {
                (*child)->m_diskKind = item.entry.isDir ? DiskKind::Folder : DiskKind::PlainFile;
                (*child)->noteRealFolder(item.entry, this);
                // A folder that became a way back up drops what it listed.
                if ((*child)->m_isFolderCycle && (*child)->m_childrenBuilt)
                    (*child)->setUpChildren();
            }
            sortForRefresh(child->get());
            const bool isFolder = item.entry.isDir && !(*child)->m_isFolderCycle;
            visible.push_back({isFolder, std::move(*child)});
            continue;
        }
        if (std::unique_ptr<File> *hidden = presentHidden.value(fullPath)) {
            sortForRefresh(hidden->get());
            m_hiddenChildren.push_back(std::move(*hidden));
            continue;
        }
        std::unique_ptr<File> node(new File(PrivateTag{}, fullPath, false, this, item.entry));
        node->m_rootProject = m_rootProject;
        node->m_rootFile = m_rootFile;
        node->m_pathComponentArray.append(m_pathComponentArray);
        // Hidden entries are no children, but stay known to the project map.
        if (node->m_displayName.isEmpty() || node->m_displayName.startsWith(u'.'))
            m_hiddenChildren.push_back(std::move(node));
        else
            visible.push_back({item.entry.isDir && !node->m_isFolderCycle, std::move(node)});
    }

    // An entry gone from the folder holding unsaved edits keeps its node,
    // marked missing, until the user saves it again or discards the edits.
    QList<QPointer<File>> newlyMissing;
    for (std::unique_ptr<File> &child : oldChildren) {
        if (!child || !child->holdsUnsavedEdits())
            continue;
        child->markMissing(newlyMissing);
        const bool isDir = child->m_diskKind == DiskKind::Folder;
        visible.push_back({isDir, std::move(child)});
    }
    for (std::unique_ptr<File> &child : oldHidden) {
        if (!child || !child->holdsUnsavedEdits())
            continue;
        child->markMissing(newlyMissing);
        m_hiddenChildren.push_back(std::move(child));
    }

    std::sort(visible.begin(), visible.end(), [](const Sorted &a, const Sorted &b) {
        if (a.isDir != b.isDir)
            return a.isDir;
        return a.file->m_displayName < b.file->m_displayName;
    });
    m_children.reserve(visible.size());
    m_childList.clear();
    m_childList.reserve(qsizetype(visible.size()));
    for (Sorted &item : visible) {
        m_childList.append(item.file.get());
        m_children.push_back(std::move(item.file));
    }
    m_isLeaf = m_children.empty();
    m_childrenBuilt = true;

    // Entries gone from the folder are dropped now, with their nodes.
    oldChildren.clear();
    oldHidden.clear();

    // Reloads run once the tree is whole again, as they notify listeners.
    for (const QPointer<File> &child : std::as_const(toRefresh)) {
        if (child)
            child->refreshFromDisk();
    }
    for (const QPointer<File> &child : std::as_const(toCompare)) {
        if (child)
            child->findOutsideChange();
    }
    postDeletedOutside(newlyMissing);
    return m_childList;
}

QList<File *> File::getFilesWithExt(const QString &text, QList<File *> results)
{
    for (File *child : children()) {
        if (child->m_displayName.contains(text))
            results.append(child);
        if (!child->isLeaf())
            results = child->getFilesWithExt(text, std::move(results));
    }
    return results;
}

QList<File *> File::tempChildren() const
{
    QList<File *> list;
    list.reserve(m_tempChildren.size());
    for (const QPointer<File> &child : m_tempChildren) {
        if (child)
            list.append(child.data());
    }
    return list;
}

void File::setTempChildren(const QList<File *> &children)
{
    m_tempChildren.clear();
    for (File *child : children)
        m_tempChildren.append(child);
}

void File::setPath(const QString &path)
{
    m_path = path;
    m_absolutePath.clear();
    m_fileType = -1;
}

void File::setResponse(const URLResponse &response)
{
    m_response = response;
    checkWebFont();
}

Range File::codeViewLastSelectionRange() const
{
    QMutexLocker locker(&m_selectionLock);
    return m_codeViewLastSelectionRange;
}

void File::setCodeViewLastSelectionRange(Range range)
{
    QMutexLocker locker(&m_selectionLock);
    m_codeViewLastSelectionRange = range;
}

// --- Names, paths and breadcrumbs --------------------------------------------------

void File::setPathComponent()
{
    // The image and address are taken from the node when the breadcrumb is
    // drawn: making an icon for every node of a large tree is slow.
    m_myPathComponentCell = componentCellFromType(QIcon(), m_displayName, QUrl());
    m_pathComponentArray = {m_myPathComponentCell};
}

std::shared_ptr<PathComponentCell> File::componentCellFromType(const QIcon &image, const QString &title,
                                                               const QUrl &url)
{
    auto cell = std::make_shared<PathComponentCell>();
    cell->setFile(this);
    cell->setImage(image);
    cell->setTitle(title);
    cell->setUrl(url);
    return cell;
}

void File::resetMyPathCompornent()
{
    setPathComponent();
    if (File *parent = m_parentFile.data())
        m_pathComponentArray.append(parent->m_pathComponentArray);
}

QString File::absolutePath() const
{
    if (!m_absolutePath.isEmpty())
        return m_absolutePath;
    if (m_path.isEmpty())
        return {};
    if (!m_isLocalFile)
        return m_path;
    m_absolutePath = localPath();
    return m_absolutePath;
}

QString File::localPath() const
{
    return QUrl::fromLocalFile(m_path).toString(QUrl::FullyEncoded);
}

QUrl File::pathURL() const
{
    if (m_path.isEmpty())
        return {};
    return m_isLocalFile ? QUrl::fromLocalFile(m_path) : QUrl(m_path);
}

QString File::relativePathFromRoot() const
{
    // A literal prefix: folder names such as "a+b" or "(x)" are no patterns.
    if (!m_rootProject.isEmpty() && m_path.startsWith(m_rootProject))
        return m_path.mid(m_rootProject.size());
    return m_path;
}

QString File::webURLOfFile() const
{
    return webURLWithConfig(ProjectUtil::getProjectConfig(m_rootProject), relativePathFromRoot());
}

QString File::webURLWithConfig(const QVariantMap &config, const QString &relativePath)
{
    if (!config.value(ProjectUtil::kIsWebProject).toBool())
        return {};
    QUrl url(config.value(ProjectUtil::kWebMainURL).toString());
    QString relative = relativePath;
    if (!relative.isEmpty())
        relative.remove(0, 1);
    if (!relative.isEmpty()) {
        QString path = url.path();
        if (!path.endsWith(u'/'))
            path += u'/';
        url.setPath(path + relative);
    }
    return url.toString(QUrl::FullyEncoded);
}

bool File::exists() const
{
    // A network volume may hang while offline: do not touch it then.
    if (m_isNetworkDrive && !isInternetAvail())
        return false;
    return !m_path.isEmpty() && QFileInfo::exists(m_path);
}

// --- Appearance ----------------------------------------------------------------------

QIcon File::icon()
{
    if (m_webframe || m_webresource) {
        m_icon = hasBypass() ? QIcon::fromTheme(QStringLiteral("emblem-symbolic-link"),
                                                QIcon::fromTheme(QStringLiteral("insert-link")))
                             : QIcon::fromTheme(QStringLiteral("applications-internet"),
                                                iconProvider().icon(QAbstractFileIconProvider::Network));
        return m_icon;
    }
    if (!m_icon.isNull())
        return m_icon;
    if (m_isRoot || m_displayName == u"build-release" || m_displayName == u"build-debug") {
        m_icon = QIcon::fromTheme(QStringLiteral("folder-development"), themeIconForFile(m_path, true));
        if (m_icon.isNull())
            m_icon = iconProvider().icon(QAbstractFileIconProvider::Folder);
    } else {
        const QFileInfo info(m_path);
        m_icon = themeIconForFile(m_path, info.isDir() && !m_isFolderCycle);
        if (m_icon.isNull())
            m_icon = m_isFolderCycle ? iconProvider().icon(QAbstractFileIconProvider::File) : iconProvider().icon(info);
    }
    return m_icon;
}

QSize File::iconSize() const
{
    if ((m_webframe || m_webresource) && const_cast<File *>(this)->hasBypass())
        return {20, 20};
    return {16, 16};
}

QColor File::displayColor() const
{
    if (m_isLocalFile)
        return QColor::fromRgbF(0, 0, 0, 1);
    return QColor::fromRgbF(40 / 255.0f, 40 / 255.0f, 40 / 255.0f, 1);
}

QString File::fileSizeReadable()
{
    if (m_isRoot || m_isWebframeFile || isLeaf())
        return readableValueWithBytes(double(m_fileSize));
    qint64 total = 0;
    for (File *child : children())
        total += child->m_fileSize;
    return readableValueWithBytes(double(total));
}

QString File::readableValueWithBytes(double bytes)
{
    if (bytes < 1024)
        return QStringLiteral("1 KB");
    static const char *const units[] = {"KB", "MB", "GB", "TB", "PB"};
    QString text;
    double value = bytes;
    for (const char *unit : units) {
        value /= 1024;
        if (value >= 1)
            text = QString::asprintf("%.2f %s", value, unit);
    }
    return text;
}

void File::updateBypassIcon()
{
    Q_EMIT iconChanged();
}

// --- Types ------------------------------------------------------------------------------

QString File::pathExtension() const
{
    if (m_isLocalFile)
        return extensionOfName(lastPathComponent(m_path));
    return extensionOfName(lastPathComponent(QUrl(m_path).path()));
}

void File::checkIsFont()
{
    static const QStringList fontExtensions = {QStringLiteral("woff"), QStringLiteral("eot"),
                                               QStringLiteral("opentype"), QStringLiteral("truetype"),
                                               QStringLiteral("otf")};
    m_isFont = fontExtensions.contains(pathExtension());
}

void File::checkWebFont()
{
    if (m_isLocalFile || !m_response)
        return;
    // A font served as one is a font, whatever its name.
    const QString mime = m_response->mimeType();
    if (mime.startsWith(u"font/") || mime.startsWith(u"application/font-") || mime.startsWith(u"application/x-font-")
        || mime == u"application/vnd.ms-fontobject") {
        m_isFont = true;
        return;
    }
    if (mime != u"application/octet-stream")
        return;
    static const QList<QRegularExpression> patterns = {
        QRegularExpression(QStringLiteral(".woff")), QRegularExpression(QStringLiteral(".eot")),
        QRegularExpression(QStringLiteral(".opentype")), QRegularExpression(QStringLiteral(".truetype")),
        QRegularExpression(QStringLiteral(".otf"))};
    for (const QRegularExpression &pattern : patterns) {
        if (pattern.match(m_displayName).hasMatch()) {
            m_isFont = true;
            return;
        }
    }
}

int File::fileType()
{
    if (m_isLocalFile) {
        checkIsFont();
        if (m_fileType >= 0)
            return m_fileType;
        if (m_path.isEmpty())
            return None;
        const QString extension = pathExtension();
        const Kind kind = kindOfExtension(extension);
        int type = None;
        if (kind == Kind::Image)
            type = Image;
        else if (extension == u"html")
            type = HTML;
        else if (extension == u"css")
            type = StyleSheet;
        else if (extension == u"js")
            type = Script;
        else if (kind == Kind::Text)
            type = OtherText;
        else if (m_isFont)
            type = Font;
        m_fileType = type;
        return type;
    }

    if (!m_webresource && !m_webframe)
        return None;
    const QString mime = m_webresource ? m_webresource->mimeType() : m_webframe->mimeType();
    const Kind kind = kindOfMimeName(mime);
    if (kind == Kind::Image)
        return Image;
    if (mime == u"text/html" || m_webframe)
        return HTML;
    if (mime == u"text/css")
        return StyleSheet;
    if (mime == u"text/js" || mime == u"text/javascript" || mime == u"application/javascript"
        || mime == u"application/x-javascript")
        return Script;
    if (kind == Kind::Text)
        return OtherText;
    return m_isFont ? Font : None;
}

bool File::isKindOfText()
{
    const int type = fileType();
    if (type == HTML || type == StyleSheet || type == Script || type == OtherText)
        return true;
    return StringUtils::isKindOfTextOfExtension(pathExtension());
}

// --- Web resource access -------------------------------------------------------------

QUrl File::webResourceURL() const
{
    if (m_isLocalFile)
        return {};
    if (m_webframe)
        return m_webframe->dataSourceRequestURL();
    if (m_webresource)
        return m_webresource->url();
    return {};
}

QByteArray File::webResourceData() const
{
    if (m_isLocalFile)
        return {};
    if (m_webframe)
        return m_webframe->dataSourceData();
    if (m_webresource)
        return m_webresource->data();
    return {};
}

// --- Local substitute ------------------------------------------------------------------

bool File::hasBypass()
{
    if (m_isLocalFile || (!m_webresource && !m_webframe) || !isKindOfText())
        return false;
    return !bypassPath().toLocalFile().isEmpty();
}

QUrl File::bypassPath() const
{
    const QUrl url = webResourceURL();
    if (url.isEmpty())
        return {};
    return BypassMap::getInstance()->bypassPathWithURL(url);
}

// --- Project map ---------------------------------------------------------------------------

void File::addFileToMap(File *file)
{
    if (!m_hasFileMap || !file)
        return;
    const QString key = mapKey(file->m_path);
    if (key.startsWith(QLatin1String("http")) || m_fileMap.contains(key))
        return;
    m_fileMap.insert(key, file);
}

void File::removeFileFromMap(File *file)
{
    if (!m_hasFileMap || !file)
        return;
    m_fileMap.remove(mapKey(file->m_path));
}

File *File::pathForFile(const QString &path) const
{
    return m_fileMap.value(mapKey(path));
}

// --- Folder watcher ---------------------------------------------------------------------------

void File::setUpDirectryChangeWatch()
{
    if (m_directryWatcher || m_watchScheduled)
        return;
    QCoreApplication *app = QCoreApplication::instance();
    if (!app)
        return;
    m_watchScheduled = true;
    QPointer<File> guard(this);
    QMetaObject::invokeMethod(
        app,
        [guard] {
            if (!guard || !guard->m_watchScheduled || guard->m_directryWatcher)
                return;
            guard->m_watchScheduled = false;
            auto watcher = std::make_unique<SCEvents>();
            watcher->setNotificationLatency(0.5);
            watcher->setDelegate(guard.data());
            watcher->setIgnoreEventsFromSubDirs(true);
            if (!watcher->startWatchingPaths({guard->m_path}))
                QM_ERROR(QStringLiteral("cannot watch %1").arg(guard->m_path));
            guard->m_directryWatcher = std::move(watcher);
        },
        Qt::QueuedConnection);
}

void File::removeWatcher()
{
    m_watchScheduled = false;
    if (!m_directryWatcher)
        return;
    m_directryWatcher->setDelegate(nullptr);
    m_directryWatcher->stopWatchingPaths();
    m_directryWatcher.reset();
}

void File::pathWatcher(SCEvents *watcher, const SCEvent &event)
{
    NotificationCenter::defaultCenter().postNotificationName(
        QStringLiteral("directoryUpdated"), this, {{QStringLiteral("event"), QVariant::fromValue(event)}});
}

// --- Thumbnail-browser item ---------------------------------------------------------------------

QImage File::imageRepresentation()
{
    QImage image;
    if (m_isLocalFile) {
        if (exists())
            image = QImage(m_path);
    } else if (kindOfExtension(extensionOfName(m_displayName)) == Kind::Image) {
        image = QImage::fromData(webResourceData());
    }
    if (image.isNull())
        image = icon().pixmap(iconSize()).toImage();
    return image;
}

// --- Environment ------------------------------------------------------------------------------------

void File::setOnlineStateProvider(std::function<bool()> provider)
{
    onlineStateProvider() = std::move(provider);
}

bool File::isInternetAvail()
{
    const std::function<bool()> &provider = onlineStateProvider();
    return provider ? provider() : true;
}

void File::setUndoManagerProvider(std::function<InspectUndoManager *()> provider)
{
    undoManagerProvider() = std::move(provider);
}

InspectUndoManager *File::sharedUndoManager()
{
    const std::function<InspectUndoManager *()> &provider = undoManagerProvider();
    return provider ? provider() : nullptr;
}

void File::setPendingWritesRunner(std::function<void()> runner)
{
    pendingWritesRunner() = std::move(runner);
}

void File::runPendingWrites()
{
    // A write run by the runner may save or ask again: it runs once.
    static bool running = false;
    if (running || !pendingWritesRunner())
        return;
    running = true;
    pendingWritesRunner()();
    running = false;
}

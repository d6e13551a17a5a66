#pragma once

#include "FileHistory.h"
#include "SCEventListenerProtocol.h"
#include "WebResource.h"

#include "platform/foundation/Range.h"
#include "stylesheet/StyleDeclaration.h"

#include <QColor>
#include <QDateTime>
#include <QHash>
#include <QIcon>
#include <QImage>
#include <QList>
#include <QMutex>
#include <QObject>
#include <QPointer>
#include <QSet>
#include <QString>
#include <QUrl>
#include <QVariant>
#include <QWidget>

#include <functional>
#include <memory>
#include <optional>
#include <vector>

class InspectUndoManager;
class PieceText;
class PathComponentCell;
class ResourceInfo;
class SCEvents;
class WebFrame;
struct FileDiskEntry;

// The one node of every tree of the workspace: a project folder (a root), a
// folder or file inside it, a resource the preview loaded (web node), or a
// grouping row of the preview's resource tree. It answers names, paths, an
// icon, sizes, its type, its children, its text with the modified state and
// saving, snapshots of its text, and the parsed rules of a style sheet.
//
// Ownership: a node owns its children (std::unique_ptr); a root is owned by
// whoever opened the project, web nodes by the preview's resource tree. Links
// up the tree and to other nodes are guarded pointers. A root keeps a map of
// every local node of its project by path (hidden entries included); a node
// leaves the map when it is destroyed. A refresh that finds an entry gone
// destroys its node, unless it holds unsaved edits (isMissingOnDisk()): hold
// nodes with QPointer beyond a turn of the event loop.
// A folder is followed once on every way down from the root: an entry that
// is the same folder on disk (device and inode) as one above it, a symbolic
// link to "." or "..", is a plain entry without children (isFolderCycle()),
// so every walk of the tree ends.
// The undo manager and delayed calls hold a node through TargetRef, so they
// skip a node that is gone. Nodes live on the main thread (a root made on a
// worker thread while a project loads is moved there).
//
// The text topics live in FileContent.cpp (content, modified state, saving),
// FileOutside.cpp (changes and deletions by other programs), FileHistories.cpp
// (snapshots) and FileStyleSheet.cpp (rule views).
class File : public QObject, public SCEventListenerProtocol
{
    Q_OBJECT
    Q_PROPERTY(bool isModified READ isModified NOTIFY modifiedChanged)
    Q_PROPERTY(bool isNotModified READ isNotModified NOTIFY modifiedChanged)
    Q_PROPERTY(QIcon icon READ icon NOTIFY iconChanged)

public:
    // What kind of file a node holds (fileType()).
    enum Type : int { None = 0, HTML = 1, StyleSheet = 2, Script = 3, Image = 4, Font = 5, OtherText = 6 };

    // Who made the last change of the text (lastContentChangeReason()).
    enum ChangeReason : int {
        NoPendingChange = 0,
        CodeViewChange = 1, // the code view or the rollback panel
        RulesPanelChange = 2,
        OtherChange = 3,
    };

    static constexpr int kMaxHistories = 30;
    // Content set within this many milliseconds of being taken from its
    // source counts as unchanged without a look at the disk.
    static constexpr qint64 kModifiedToleranceMs = 100;
    // A file larger than this is read off the main thread for a view.
    static constexpr qint64 kBackgroundReadBytes = 1024 * 1024;

    // A bare node: a grouping row of the resource tree or a placeholder.
    File();
    // A local node. A root starts watching its folder on the main thread; a
    // node with a parent is entered in the parent's project map (the parent
    // does not take it as a child: only setUpChildren() does that).
    File(const QString &path, bool isRoot, File *parent);
    // A web node over a resource the preview loaded.
    explicit File(std::shared_ptr<WebResource> resource);
    // A local node that makes no font check, volume test, project map or
    // watcher.
    static std::unique_ptr<File> fileWithDirectory(const QString &path, bool isRoot, File *parent);
    ~File() override;

    // A new node of the same kind: a local node from its path, root flag and
    // parent (a copied root watches its folder too), a web node from its
    // resource, anything else bare.
    std::unique_ptr<File> copy() const;

    // --- Tree -----------------------------------------------------------
    // A resource group's children are tempChildren(); otherwise the sorted
    // children, built from the folder on first use. Hides QObject::children().
    QList<File *> children();
    // Rebuilds the children from the folder: folders first, then files, each
    // by name (case-sensitive); hidden entries are left out of the list but
    // entered in the project map. A present child keeps its node; a text
    // child without unsaved edits whose text changed on disk takes a snapshot
    // and reloads, one with unsaved edits is only marked (hasOutsideChange()).
    // A child gone from disk goes with its node unless it holds unsaved
    // edits: then it stays, marked missing. Answers the children (those kept
    // with unsaved edits when the folder is gone).
    QList<File *> setUpChildren();
    bool isLeaf();
    int numberOfChildren();
    // A folder that is one above it on disk: listed as a plain entry.
    bool isFolderCycle() const { return m_isFolderCycle; }
    // Why the folder's entries could not be listed when they were last
    // read ("Permission denied"); empty for a folder that reads, and for
    // one that is not there (#85).
    QString folderProblem() const { return m_folderProblem; }
    File *me() { return this; }
    // Depth-first: every node below whose name contains `text`, each folder's
    // finds right after it.
    QList<File *> getFilesWithExt(const QString &text, QList<File *> results = {});

    // --- Fields -----------------------------------------------------------
    QString displayName() const { return m_displayName; }
    void setDisplayName(const QString &name) { m_displayName = name; }
    // A file-system path, or the absolute address of a web node.
    QString path() const { return m_path; }
    void setPath(const QString &path);
    bool isRoot() const { return m_isRoot; }
    QString rootProject() const { return m_rootProject; }
    void setRootProject(const QString &path) { m_rootProject = path; }
    File *rootFile() const { return m_rootFile.data(); }
    void setRootFile(File *root) { m_rootFile = root; }
    File *parentFile() const { return m_parentFile.data(); }
    void setParentFile(File *parent) { m_parentFile = parent; }
    bool isLocalFile() const { return m_isLocalFile; }
    qint64 fileSize() const { return m_fileSize; }
    void setFileSize(qint64 size) { m_fileSize = size; }
    bool isFont() const { return m_isFont; }
    void setIsFont(bool isFont) { m_isFont = isFont; }
    bool isNetworkDrive() const { return m_isNetworkDrive; }
    void setIsNetworkDrive(bool network) { m_isNetworkDrive = network; }
    QString originalDisplayName() const { return m_originalDisplayName; }
    void setOriginalDisplayName(const QString &name) { m_originalDisplayName = name; }

    // When the text was last taken as matching its source, and last set.
    QDateTime openDate() const { return m_openDate; }
    void setOpenDate(const QDateTime &date) { m_openDate = date; }
    QDateTime modDate() const { return m_modDate; }
    void setModDate(const QDateTime &date) { m_modDate = date; }

    // The views the file viewer built for this node in the main and side panes.
    QWidget *view() const { return m_view.data(); }
    void setView(QWidget *view) { m_view = view; }
    QWidget *sideView() const { return m_sideView.data(); }
    void setSideView(QWidget *view) { m_sideView = view; }
    QWidget *textView() const { return m_textView.data(); }
    void setTextView(QWidget *view) { m_textView = view; }
    QWidget *sideTextView() const { return m_sideTextView.data(); }
    void setSideTextView(QWidget *view) { m_sideTextView = view; }

    bool isDomTreeView() const { return m_isDomTreeView; }
    void setIsDomTreeView(bool value) { m_isDomTreeView = value; }

    // Set by the preview's resource tracking.
    bool includedInLoadedResouce() const { return m_includedInLoadedResouce; }
    void setIncludedInLoadedResouce(bool value) { m_includedInLoadedResouce = value; }
    bool isResourceGroup() const { return m_isResourceGroup; }
    void setIsResourceGroup(bool value) { m_isResourceGroup = value; }
    // The children of a resource group; not owned (the preview's tree owns them).
    QList<File *> tempChildren() const;
    void setTempChildren(const QList<File *> &children);
    bool isWebframeFile() const { return m_isWebframeFile; }
    void setIsWebframeFile(bool value) { m_isWebframeFile = value; }
    bool isMainWebframeFile() const { return m_isMainWebframeFile; }
    void setIsMainWebframeFile(bool value) { m_isMainWebframeFile = value; }
    bool isRemoteCSS() const { return m_isRemoteCSS; }
    void setIsRemoteCSS(bool value) { m_isRemoteCSS = value; }
    std::shared_ptr<WebResource> webresource() const { return m_webresource; }
    std::shared_ptr<WebFrame> webframe() const { return m_webframe; }
    void setWebframe(std::shared_ptr<WebFrame> frame) { m_webframe = std::move(frame); }
    // Takes the text of the loaded resource or frame document: the text the
    // preview's store holds for its address when there is one (an edit made
    // before the page was loaded again; the node then reads as modified when
    // it differs from what was loaded), else the loaded bytes decoded, which
    // become the store's current and saved text. A node that is no text, or
    // whose bytes did not come or cannot be decoded, keeps no text. Stamps
    // both dates.
    void loadWebContent();
    QVariant webresouceId() const { return m_webresouceId; }
    void setWebresouceId(const QVariant &id) { m_webresouceId = id; }
    std::optional<URLResponse> response() const { return m_response; }
    // Also marks a web node served as "application/octet-stream" whose name
    // looks like a font as a font.
    void setResponse(const URLResponse &response);
    std::shared_ptr<ResourceInfo> resourceInfo() const { return m_resourceInfo; }
    void setResourceInfo(std::shared_ptr<ResourceInfo> info) { m_resourceInfo = std::move(info); }
    QList<std::shared_ptr<ResourceInfo>> resouceInfoArr() const { return m_resouceInfoArr; }
    void setResouceInfoArr(const QList<std::shared_ptr<ResourceInfo>> &list) { m_resouceInfoArr = list; }
    File *codetFile() const { return m_codetFile.data(); }
    void setCodetFile(File *file) { m_codetFile = file; }

    // The code editor's last selection in this file; safe from any thread.
    Range codeViewLastSelectionRange() const;
    void setCodeViewLastSelectionRange(Range range);

    // --- Names, paths and breadcrumbs -------------------------------------
    // The breadcrumb cells: this node's first, then its parent's up to the root.
    QList<std::shared_ptr<PathComponentCell>> pathComponentArray() const { return m_pathComponentArray; }
    std::shared_ptr<PathComponentCell> myPathComponentCell() const { return m_myPathComponentCell; }
    void setPathComponent();
    std::shared_ptr<PathComponentCell> componentCellFromType(const QIcon &image, const QString &title,
                                                             const QUrl &url);
    void resetMyPathCompornent();
    // "file://" and the escaped path for a local node, the address of a web
    // node, empty without a path. A value set with setAbsolutePath() wins.
    QString absolutePath() const;
    void setAbsolutePath(const QString &path) { m_absolutePath = path; }
    // The "file://" form of a local path.
    QString localPath() const;
    // The address of path(): a file address for a local node.
    QUrl pathURL() const;
    // path() with rootProject() removed from its start (a literal prefix).
    QString relativePathFromRoot() const;
    // For a file of a web project: the project's "webMainURL" with the
    // relative path appended; empty otherwise.
    QString webURLOfFile() const;
    // The same for a path relative to the project ("/css/a.css") and the
    // project's settings; safe on any thread.
    static QString webURLWithConfig(const QVariantMap &config, const QString &relativePath);
    // Whether the file is there. A file on a network volume counts as gone
    // while the computer is offline, without touching the disk.
    bool exists() const;

    // --- Appearance ---------------------------------------------------------
    QIcon icon();
    // The icon of a node that is neither on disk nor loaded (a group of
    // the resource tree).
    void setIcon(const QIcon &icon) { m_icon = icon; }
    // The size at which icon() is drawn.
    QSize iconSize() const;
    QColor displayColor() const;
    void setDisplayColor(const QColor &color) { m_displayColor = color; }
    QString fileSizeReadable();
    // "1 KB" below 1024 bytes, else "%.2f" in the largest of KB, MB, GB, TB
    // and PB that is at least 1 (1024-based).
    static QString readableValueWithBytes(double bytes);
    // Announces a change of the icon (its local-substitute state changed).
    void updateBypassIcon();

    // --- Types --------------------------------------------------------------
    void checkIsFont();
    int fileType();
    bool isKindOfText();

    // --- Web resource access ------------------------------------------------
    // Empty (null) for a local node.
    QUrl webResourceURL() const;
    QByteArray webResourceData() const;

    // --- Local substitute -----------------------------------------------------
    bool hasBypass();
    QUrl bypassPath() const;

    // --- Project map (on the root) ---------------------------------------------
    // Keys are paths in canonical composition (NFC). A key already present
    // keeps its node; addresses ("http...") are never stored.
    void addFileToMap(File *file);
    void removeFileFromMap(File *file);
    File *pathForFile(const QString &path) const;
    bool hasFileMap() const { return m_hasFileMap; }
    // On a root: the nodes of the project that were ever given text, the only
    // ones that can read as modified.
    QList<File *> editedFiles() const { return QList<File *>(m_editedFiles.cbegin(), m_editedFiles.cend()); }

    // --- Folder watcher (on a root) ----------------------------------------------
    SCEvents *directryWatcher() const { return m_directryWatcher.get(); }
    // Starts the watcher on the main thread's next turn, once.
    void setUpDirectryChangeWatch();
    void removeWatcher();
    // Posts "directoryUpdated" with this node and {"event": the SCEvent}.
    void pathWatcher(SCEvents *watcher, const SCEvent &event) override;

    // --- Thumbnail-browser item ----------------------------------------------------
    QString imageUID() const { return m_path; }
    QString imageTitle() const { return m_displayName; }
    // The file's picture when it is a readable image, else the icon.
    QImage imageRepresentation();

    // --- Content, modified state and saving (FileContent.cpp) -------------------
    // The text, or nullopt when none was loaded or set (or it could not be
    // decoded).
    std::optional<QString> content() const;
    // Sets the text: registers the inverse with the shared undo manager when
    // the text changes, stamps modDate, and posts "reloadContent" (unless a
    // code-view edit made the change) and "fileContentChanged". The inverse
    // keeps only the part that changed (the text between the common start and
    // end), so typing in a large file does not keep a copy of it per key; a
    // text replaced without undo (a reload from disk, discarded edits) takes
    // the file's steps with it, and one that still meets a text it was not
    // recorded after is skipped, never laid over it.
    // A local file keeps the encoding it was read in: when the new text holds
    // characters that encoding cannot hold, the user is asked first whether
    // to convert the file to UTF-8 (undo takes the conversion back with the
    // edit) or to cancel the edit. A cancelled edit changes nothing, posts
    // "reloadContent" so that an editor showing it takes the text back, and
    // answers false.
    bool setContent(const std::optional<QString> &text);
    // The same for a text whose first and last characters, ends.first and
    // ends.second of them, are the current text's: only the rest is compared.
    using UnchangedEnds = std::pair<qsizetype, qsizetype>;
    bool setContent(const QString &text, UnchangedEnds ends);
    // The same for the text with [start, start + removed) replaced by
    // `inserted`, made in place: a long text that nothing else holds is not
    // copied. False, with nothing changed, for a range outside the text.
    // holder is given the new text before anyone is told of the change.
    bool editContent(qsizetype start, qsizetype removed, const QString &inserted,
                     const std::function<void(const QString &)> &holder = {});
    // The same for a local file's long text, kept as pieces over the text
    // last held whole (textPieces()): a key costs what it changes, not a
    // pass over the text. The text is made whole again once anyone else asks
    // for it (content(), a save, a snapshot); whether it is modified is told
    // from the pieces.
    bool editContentInPieces(qsizetype start, qsizetype removed, const QString &inserted);
    // The text edited that way since it was last made whole; null otherwise.
    std::shared_ptr<const PieceText> textPieces() const { return m_pieces; }
    // The text, loaded from the source first when none is held.
    std::optional<QString> currentContent();
    // The source's text: the file decoded, or the loaded resource decoded;
    // nullopt when it cannot be read or decoded.
    std::optional<QString> getContentOfPath() const;
    // Takes the text from the source again, without undo or notification.
    void reloadContent();
    // Reads the text of a local file of more than kBackgroundReadBytes on a
    // worker thread when none is held yet, then calls `done` on the main
    // thread with the text held by then; anything else is read at once and
    // `done` called before this returns. A text read or set meanwhile wins
    // over the worker's. Nothing is called once `context` is gone.
    void loadContentInBackground(QObject *context, std::function<void(const std::optional<QString> &)> done);
    // Whether the text differs from the text on disk (or the last saved text
    // of a web resource); a folder is modified when a node below it is. A
    // file whose last save failed reads as modified. Cheap enough to ask on
    // every paint of a row: the disk is read again only when the file changed
    // there since it was last read, and a folder asks only the files of its
    // project that were ever given text.
    bool isModified();
    bool isNotModified() { return !isModified(); }
    // Which text the file holds: a new number for every new text, the old
    // one again for a text that undo or redo puts back.
    quint64 contentVersion() const { return m_contentVersion; }
    int lastContentChangeReason() const { return m_lastContentChangeReason; }
    void setLastContentChangeReason(int reason) { m_lastContentChangeReason = reason; }
    // Notes that the previewed page was given the file's text as it is now.
    void noteContentShown();
    // Whether the text is the one the page was last given: that text again,
    // however the edits came back to it (undone, or typed back by hand).
    // False while none was noted.
    bool isContentShown();
    // The bytes a save would write now, when the text holds edits that are
    // not on disk (nullopt otherwise, and for text its encoding cannot hold).
    std::optional<QByteArray> unsavedBytes();
    // Runs the pending write-backs (runPendingWrites()), then writes the
    // text to the file through AtomicFileWriter (a new file in the same
    // folder, checked, synced and renamed over it), in the encoding it
    // was read in or converted to; bytes of the file that were no text are
    // written back as they were. Answers false, with an ERROR log line and
    // lastSaveError(), when nothing was written: the file on disk is then as
    // it was, and this node reads as modified.
    bool save();
    // Why the last save wrote nothing; empty after a save that succeeded.
    QString lastSaveError() const { return m_lastSaveError; }
    // The encoding the text was read in and is saved in (0: not read yet).
    quint32 textEncoding() const { return m_encoding; }
    // What the user should know about the text as read, for the view to
    // show: bytes that are not valid in its encoding, or a name that cannot
    // be read. Empty for a file read without trouble.
    QString textNotice() const { return m_textNotice; }

    // --- Changes made by other programs (FileOutside.cpp) --------------------------
    // What the user chose for a file that another program changed while it
    // had unsaved edits.
    enum class OutsideChangeChoice { KeepMine, UseDisk };
    // Asks the user about the file's outside change; nullopt when no answer
    // was given. The application installs it; without one, a save that
    // would overwrite an outside change writes nothing.
    static void setOutsideChangeQuestion(std::function<std::optional<OutsideChangeChoice>(File *)> question);
    // Another program changed the file while it had unsaved edits, and the
    // user has not chosen yet. Found by the folder refresh, which posts
    // "fileChangedOutside" once per change.
    bool hasOutsideChange() const { return m_hasOutsideChange; }
    // Another program deleted the file (or its folder) while it had unsaved
    // edits: the node stays with its text, and a save writes it again. The
    // folder refresh posts "fileDeletedOutside" when it finds it gone.
    bool isMissingOnDisk() const { return m_isMissingOnDisk; }
    // Why a path that may well be on disk cannot be read: a folder on its
    // way that cannot be opened ("the folder /p/css cannot be opened
    // (Permission denied)"), or the file or folder itself ("/p/a.css cannot
    // be read (...)"). Nullopt when it reads, or is not there at all (#80).
    static std::optional<QString> whyUnreadable(const QString &path);
    // Compares the disk's bytes with those last read or written. A change
    // to a file without unsaved edits is taken silently (with a snapshot);
    // the bytes this program last wrote there through another node of the
    // file become the text last read, the edits kept, never asked about;
    // one the user has not chosen about is asked about through the
    // installed question, and the choice applied. Answers what the file
    // holds now; Undecided when no question could be asked.
    enum class DiskCheck { Unchanged, KeepMine, TookDiskVersion, Undecided };
    DiskCheck settleOutsideChange();
    // Drops unsaved edits: the text goes back to the one last read or
    // written, so that the next refresh of a file missing on disk drops it.
    void discardUnsavedEdits();

    // --- History (FileHistories.cpp) ---------------------------------------------
    bool canHaveHistory() { return isKindOfText(); }
    // Snapshots the current text, unless the newest snapshot holds the same
    // text; keeps the newest kMaxHistories. Posts "fileHistoryChanged".
    void addHistory(FileHistory::Occasion occasion);
    // Newest first.
    QList<FileHistory> histories() const;
    void rollBackToHistory(const FileHistory &history);

    // --- Style-sheet views (FileStyleSheet.cpp) -----------------------------------
    // The parsed rules of a style sheet; nullopt until parsed or set.
    const std::optional<QList<StyleDeclarationPtr>> &styleDeclarations() const { return m_styleDeclarations; }
    void setStyleDeclarations(const std::optional<QList<StyleDeclarationPtr>> &declarations);
    // Parses the current text and stores the result.
    void parseStyleSheet();

    // These parse the text first when it was never parsed.
    QList<StyleDeclarationPtr> topLevelDeclarations();
    QList<StyleDeclarationPtr> topLevelDeclarationsNoRemoved();
    QList<StyleDeclarationPtr> mediaDeclarations();
    QList<StyleDeclarationPtr> keyframesDeclarations();
    QList<StyleDeclarationPtr> topLevelDeclarationsWithNoWebkitPrefixKeyframes();
    QList<StyleDeclarationPtr> topLevelDeclarationsWithNoVenderPrefixKeyframes();
    QList<StyleDeclarationPtr> domDeclarations();
    QList<StyleDeclarationPtr> actualDomDeclarations();
    QList<StyleDeclarationPtr> keyframesDeclarationsWithSameName(const StyleDeclaration &declaration);

    // These read the stored list only (empty when never parsed). The owner of
    // an entry of a block is the entry before its first sibling (comments are
    // passed over); the children of a block are the entries after it up to
    // the first entry outside a block, comments and removed entries left out.
    QList<StyleDeclarationPtr> noCommentDeclarations() const;
    QList<StyleDeclarationPtr> getKeyframeRemovedDeclarations() const;
    StyleDeclarationPtr getMediaOwner(const StyleDeclaration &declaration) const;
    QList<StyleDeclarationPtr> getMediaChildren(const StyleDeclaration &owner) const;
    // Where getMediaChildren() finds the children of the block at index of
    // list: their positions in it, for a caller that knows the block's own.
    static QList<qsizetype> childPositionsOf(const QList<StyleDeclarationPtr> &list, qsizetype index);

    // Index conversions between the whole list and its views; -1 for a
    // position that is not found.
    int noCommentIndex(int index) const;
    int topLevelIndexToTotalIndex(int index);
    int totalIndexToTopLevelIndex(int index);
    int mediaIndexToTopLevelIndex(int index);
    int keyframeRemovedIndexToTotalIndex(int index) const;

    // --- Environment ----------------------------------------------------------------
    // Whether the computer is online. Defaults to always online; the
    // application installs its reachability answer here.
    static void setOnlineStateProvider(std::function<bool()> provider);
    static bool isInternetAvail();
    // The shared undo manager of the application, or null without one; the
    // application installs where it comes from.
    static void setUndoManagerProvider(std::function<InspectUndoManager *()> provider);
    static InspectUndoManager *sharedUndoManager();
    // Runs the write-backs of edits still waiting for their turn (the
    // application's write batcher, which it installs here), so that what is
    // saved, asked about or shown holds every edit made so far. Every save
    // runs them first.
    static void setPendingWritesRunner(std::function<void()> runner);
    static void runPendingWrites();

Q_SIGNALS:
    void modifiedChanged();
    void iconChanged();

private:
    struct PrivateTag {};
    File(PrivateTag, const QString &path, bool isRoot, File *parent, const FileDiskEntry &entry);
    File(PrivateTag, const QString &path, bool isRoot, File *parent);

    // The path, name, dates and place in the tree every local node starts with.
    void initIdentity(const QString &path, bool isRoot, File *parent);
    void initLocal(const QString &path, bool isRoot, File *parent, const FileDiskEntry &entry);
    // Takes the folder's identity on disk from its entry and tells whether
    // it leads back to a folder above it (logged when it starts to).
    void noteRealFolder(const FileDiskEntry &entry, File *parent);
    void moveToMainThread();
    void forgetFromMap();
    bool hasUnsavedEdits() const;
    // Whether this node, or one below it, holds text with unsaved edits.
    bool holdsUnsavedEdits() const;
    // The text goes into the history, then the disk's text is taken; posts
    // "reloadContent" and "fileTookDiskVersion". False, with the text kept,
    // when the disk's text cannot be read.
    bool useDiskVersion();
    // The file's text on disk with what its read found out.
    struct DiskRead
    {
        std::optional<QString> text;
        quint32 encoding = 0;
        QByteArray digest;
        QString notice;
    };
    DiskRead readDisk() const;
    // The same for any path; safe on any thread.
    static DiskRead readDiskAt(const QString &path);
    // Takes the disk's text, after a snapshot of the text held, and tells an
    // open editor ("reloadContent") and the page showing the file
    // ("fileTookDiskVersion").
    void takeDiskText(const DiskRead &disk);
    // Drops the children that hold no unsaved edits, and marks the others
    // missing.
    void keepOnlyEdited(QList<QPointer<File>> &newlyMissing);
    // Notes the bytes a save wrote as this program's own, for every node of the path.
    void noteOwnWrite(const QByteArray &digest) const;
    // When the disk holds what this program last wrote to the path (through
    // another node of the file): takes that text as the one last read, the
    // node's own text kept. False, with nothing changed, otherwise.
    bool takeOwnWrite(const QByteArray &now);
    // The digest of the bytes on disk; nullopt when they cannot be read.
    std::optional<QByteArray> readDiskDigest() const;
    static QByteArray digestOf(const QByteArray &bytes);
    // Marks the node (a folder: every node below it) as gone from disk,
    // collecting the files that hold unsaved edits and were not marked yet.
    void markMissing(QList<QPointer<File>> &newlyMissing);
    // The folder refresh found the file listed again: any change is
    // compared with what was last read or written.
    void findOutsideChange();
    static void postDeletedOutside(const QList<QPointer<File>> &files);
    // Sets the text as the given version (see m_contentVersion), a new one for 0.
    bool replaceContent(const std::optional<QString> &text, quint64 version,
                        std::optional<UnchangedEnds> ends = std::nullopt);
    // Edits the pieces, as the version given (a new one for 0).
    bool editPieces(qsizetype start, qsizetype removed, const QString &inserted, quint64 version);
    // Makes the text whole again from its pieces.
    void settlePieces();
    // Registers the undo of a change of the text's middle, between `prefix`
    // and `suffix` characters that stayed: it puts `oldMiddle` back.
    void registerMiddleUndo(quint64 after, quint64 before, qsizetype prefix, qsizetype suffix, const QString &oldMiddle,
                            quint32 encodingBefore);
    // What follows every change of the text: its version, dates and notifications.
    // `edit` tells an editor of the pieces where they changed ("reloadContent"'s
    // "editStart", "editRemoved" and "editAdded").
    void contentReplaced(bool changed, quint64 version, bool replaying, const QVariantMap &edit = {});
    // The newest snapshot, held as a change against the text, follows the text from was to now.
    void historyFollows(const QString &was, const QString &now, UnchangedEnds ends);
    // For an edit of the text in place between ends: the newest snapshot,
    // held against the text, keeps the part the edit replaces and lets go of
    // the text; the caller gives it the edited text (its base). Null when no
    // snapshot is held against the text.
    FileHistory::Text *historyLetsGo(UnchangedEnds ends);
    // Whether the file's encoding can hold the new text, asking the user to
    // convert the file when it cannot (converting silently while replaying).
    bool keepsEncoding(const QString &text, bool replaying, UnchangedEnds ends);
    // The text is no longer one that an undo step was recorded against:
    // the steps recorded against this file go.
    void startNewContentVersion();
    // Takes the disk's new text when it changed there, with a snapshot of the
    // old one (takeDiskText()).
    void refreshFromDisk();
    // The text of the disk as last read or written, for isModified().
    void rememberDiskText(const std::optional<QString> &text);
    bool isLocalFileModified();
    bool isFolderModified();
    // Enters a node that was given text in its root's list of edited nodes.
    void noteEdited();
    void forgetFromEdited();
    void checkWebFont();
    std::optional<QString> readDiskText(quint32 *encoding, QByteArray *digest = nullptr, QString *notice = nullptr) const;
    static std::optional<QString> readDiskTextAt(const QString &path, quint32 *encoding, QByteArray *digest,
                                                 QString *notice);
    QString pathExtension() const;
    qsizetype indexOfDeclaration(const QList<StyleDeclarationPtr> &list,
                                 const StyleDeclaration *declaration) const;
    const QList<StyleDeclarationPtr> &parsedDeclarations();

    std::unique_ptr<SCEvents> m_directryWatcher;
    bool m_watchScheduled = false;
    // The sorted children, owned; m_childList mirrors it for callers.
    std::vector<std::unique_ptr<File>> m_children;
    QList<File *> m_childList;
    bool m_childrenBuilt = false;
    // Hidden entries of the folder: not children, but kept for the project map.
    std::vector<std::unique_ptr<File>> m_hiddenChildren;
    bool m_isLeaf = false;
    QString m_folderProblem;
    QString m_displayName;
    QString m_path;
    mutable QString m_absolutePath; // Cache of the computed address.
    QIcon m_icon;
    bool m_isRoot = false;
    QString m_rootProject;
    QPointer<QWidget> m_view;
    QPointer<QWidget> m_sideView;
    QPointer<QWidget> m_textView;
    QPointer<QWidget> m_sideTextView;
    QDateTime m_openDate;
    QDateTime m_modDate;
    bool m_includedInLoadedResouce = false;
    bool m_isResourceGroup = false;
    QList<QPointer<File>> m_tempChildren;
    bool m_isLocalFile = false;
    QColor m_displayColor;
    bool m_isDomTreeView = false;
    bool m_isWebframeFile = false;
    bool m_isMainWebframeFile = false;
    bool m_isRemoteCSS = false;
    QPointer<File> m_parentFile;
    qint64 m_fileSize = 0;
    std::shared_ptr<WebResource> m_webresource;
    std::shared_ptr<WebFrame> m_webframe;
    bool m_isFont = false;
    QVariant m_webresouceId;
    std::optional<URLResponse> m_response;
    std::shared_ptr<ResourceInfo> m_resourceInfo;
    QList<std::shared_ptr<ResourceInfo>> m_resouceInfoArr;
    mutable QMutex m_selectionLock;
    Range m_codeViewLastSelectionRange;
    std::optional<QString> m_content;
    // A text edited in pieces: m_content is then the text they are over.
    std::shared_ptr<PieceText> m_pieces;
    // Which text m_content is, for undo: every new text gets a new number, an
    // undo or redo step puts back the number of the text it restores, and a
    // step applies only to the text it was recorded after.
    quint64 m_contentVersion = 0;
    QString m_originalDisplayName;
    QList<FileHistory> m_histories; // Oldest first.
    QHash<QString, File *> m_fileMap; // Not owned: the nodes of the tree.
    bool m_hasFileMap = false;
    bool m_isNetworkDrive = false;
    int m_lastContentChangeReason = NoPendingChange;
    // The text noted by noteContentShown(): its version, length and hash.
    struct ShownContent
    {
        quint64 version = 0;
        qsizetype length = 0;
        size_t hash = 0;
    };
    std::optional<ShownContent> m_shownContent;
    QPointer<File> m_rootFile;
    QList<std::shared_ptr<PathComponentCell>> m_pathComponentArray;
    std::shared_ptr<PathComponentCell> m_myPathComponentCell;
    QPointer<File> m_codetFile;
    std::optional<QList<StyleDeclarationPtr>> m_styleDeclarations;

    // The text as last read from or written to the disk, the encoding it
    // was read in, and whether the last save failed.
    std::optional<QString> m_diskText;
    quint32 m_encoding = 0;
    QString m_textNotice;
    bool m_saveFailed = false;
    QString m_lastSaveError;

    // Outside changes: the digest of the bytes last read or written, that
    // of a version on disk the user chose to overwrite, and what was found.
    std::optional<QByteArray> m_diskDigest;
    std::optional<QByteArray> m_overwritableDigest;
    bool m_hasOutsideChange = false;
    bool m_isMissingOnDisk = false;
    bool m_askingAboutDisk = false;

    // What isModified() compares with: the disk's text when the file last had
    // this identity (time stamps, size, inode), and its last answer, valid
    // while neither the text nor the disk changed.
    struct DiskStamp
    {
        qint64 modified = 0;
        qint64 changed = 0;
        qint64 size = -1;
        quint64 inode = 0;
        bool operator==(const DiskStamp &) const = default;
    };
    static std::optional<DiskStamp> diskStamp(const QString &path, bool *isDirectory);
    // Takes a read of the disk, made after `stamp` was taken, as the text.
    void takeReadText(DiskRead disk, const std::optional<DiskStamp> &stamp);
    std::optional<QString> m_probeText;
    std::optional<DiskStamp> m_probeStamp;
    quint64 m_contentGeneration = 0;
    quint64 m_answerGeneration = 0;
    std::optional<DiskStamp> m_answerStamp;
    bool m_answer = false;
    // On a root: the nodes of the project that were given text, which are the
    // only ones that can read as modified.
    QSet<File *> m_editedFiles;
    // The file type, worked out once per path.
    int m_fileType = -1;
    // What the path was when last listed: a plain file has no children to
    // look for on every question.
    enum class DiskKind { Unknown, PlainFile, Folder };
    DiskKind m_diskKind = DiskKind::Unknown;
    // The folder on disk (device and inode) a folder node was last listed
    // as; none for anything else.
    struct RealFolder
    {
        quint64 device = 0;
        quint64 inode = 0;
        bool operator==(const RealFolder &) const = default;
    };
    std::optional<RealFolder> m_realFolder;
    bool m_isFolderCycle = false;
};

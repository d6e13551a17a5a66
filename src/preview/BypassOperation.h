#pragma once

#include "platform/foundation/OperationQueue.h"
#include "workspace/File.h"

#include <QList>
#include <QPointer>
#include <QString>
#include <QUrl>
#include <QVariantMap>

#include <utility>

class BypassMap;
class File;

// What the two substitution jobs of a web project share: the project they
// work on and the walk over its pages, style sheets and scripts. The job is
// made on the main thread from a node of the project; main() runs on the
// project controller's queue and reads the project's folder on disk (hidden
// entries left out, as the file tree leaves them out), never the File tree,
// which lives on the main thread. The ties are written at the end, at once,
// under the map's lock. The project's settings are taken when the job is
// made: a job queued before the site's address changes works with the
// address it was made for, whenever it runs.
class BypassOperation : public Operation
{
public:
    ~BypassOperation() override;

    // The node the job was made for, and its project's root (on the main
    // thread; null once they are gone).
    File *file() const { return m_file.data(); }
    File *rootFile() const { return m_rootFile.data(); }
    QString rootPath() const { return m_rootPath; }
    // The project's settings when the job was made.
    QVariantMap config() const { return m_config; }
    // The map written to; the shared one unless another was set (tests).
    void setBypassMap(BypassMap *map) { m_map = map; }

protected:
    explicit BypassOperation(File *file);

    // The web address of each page, style sheet and script of the project,
    // with the folder address after a folder's "index.html", and the local
    // file of each; nothing when the walk was cancelled first.
    struct Entry
    {
        QUrl webURL;
        QString localPath;
    };
    // Walks the project; stops early when cancelled.
    QList<Entry> webEntries() const;
    BypassMap *bypassMap() const;

private:
    QPointer<File> m_file;
    QPointer<File> m_rootFile;
    QString m_rootPath;
    QVariantMap m_config;
    BypassMap *m_map = nullptr; // Not owned.
};

#include "ProjectDelegate.h"

#include "foundation/TreeUtil.h"
#include "platform/foundation/Log.h"
#include "workspace/File.h"

ProjectDelegate::ProjectDelegate(QObject *parent)
    : QObject(parent)
{
}

ProjectDelegate::~ProjectDelegate() = default;

QList<File *> ProjectDelegate::projects() const
{
    QList<File *> roots;
    for (const std::unique_ptr<File> &root : m_projects)
        roots.append(root.get());
    return roots;
}

void ProjectDelegate::appendProject(std::unique_ptr<File> root)
{
    if (root)
        m_projects.push_back(std::move(root));
}

bool ProjectDelegate::hasModified()
{
    bool modified = false;
    TreeUtil::enumrate(projects(), static_cast<File *>(nullptr), [](File *node) { return node->children(); },
                       [&modified](File *node, File *) {
                           // A folder reads as modified when a file below it
                           // does: ask the files only.
                           if (node->isLeaf() && node->isModified())
                               modified = true;
                           return !modified;
                       });
    return modified;
}

void ProjectDelegate::saveOnQuit()
{
    TreeUtil::enumrate(projects(), static_cast<File *>(nullptr), [](File *node) { return node->children(); },
                       [](File *node, File *) {
                           if (node->isLeaf() && node->isModified()) {
                               if (node->save())
                                   node->setLastContentChangeReason(File::NoPendingChange);
                               else
                                   QM_ERROR(QStringLiteral("could not save %1 on quitting").arg(node->path()));
                           }
                           return true;
                       });
}

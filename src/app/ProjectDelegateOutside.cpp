// ProjectDelegate: files that another program changed or deleted while they
// had unsaved edits here. The user is asked over the file's views, at once
// when the folder refresh finds it, and at save time through File's question.

#include "ProjectDelegate.h"

#include "code/CodeView.h"
#include "foundation/StringUtils.h"
#include "interfaces/PreviewHalfInterface.h"
#include "platform/foundation/DelayedPerform.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/kit/Alert.h"
#include "workspace/File.h"

#include <QTimer>
#include <QUrl>

#include <functional>

void ProjectDelegate::installOutsideChangeQuestion()
{
    File::setOutsideChangeQuestion(
        [guard = QPointer<ProjectDelegate>(this)](File *file) -> std::optional<File::OutsideChangeChoice> {
            if (!guard)
                return std::nullopt;
            return guard->askAboutChangedFile(file);
        });
    NotificationCenter &center = NotificationCenter::defaultCenter();
    center.addObserver(this, QStringLiteral("fileChangedOutside"), nullptr,
                       [this](const Notification &n) { fileChangedOutside(n.objectAs<File>()); });
    center.addObserver(this, QStringLiteral("fileDeletedOutside"), nullptr,
                       [this](const Notification &n) { fileDeletedOutside(n.objectAs<File>()); });
    center.addObserver(this, QStringLiteral("fileTookDiskVersion"), nullptr,
                       [this](const Notification &n) { fileTookDiskVersion(n.objectAs<File>()); });
    // Typing into a file the page shown is made of stays in its history.
    CodeView::setPageShowsFile([guard = QPointer<ProjectDelegate>(this)](File *file) {
        return guard && guard->isResourceOfPage(file);
    });
}

QWidget *ProjectDelegate::questionParent(File *file) const
{
    QWidget *view = file->textView();
    return view && view->isVisible() ? view->window() : window();
}

int ProjectDelegate::askAboutFile(File *file, const QString &message, const QString &informative,
                                  const QStringList &buttons)
{
    Alert alert;
    alert.setMessageText(message);
    alert.setInformativeText(informative);
    for (const QString &title : buttons)
        alert.addButtonWithTitle(title);
    return alert.runModal(questionParent(file));
}

std::optional<File::OutsideChangeChoice> ProjectDelegate::askAboutChangedFile(File *file)
{
    const int answer = askAboutFile(
        file, QStringLiteral("\"%1\" was changed by another program.").arg(file->displayName()),
        QStringLiteral("It has unsaved changes here. Keep them, and your next save replaces the other program's "
                       "version; or use the version on disk, and your changes are kept in the file's history."),
        {QStringLiteral("Keep My Changes"), QStringLiteral("Use the Version on Disk")});
    return answer == Alert::SecondButtonReturn ? File::OutsideChangeChoice::UseDisk
                                               : File::OutsideChangeChoice::KeepMine;
}

void ProjectDelegate::fileChangedOutside(File *file)
{
    // Asked at the next turn: the folder refresh that found it is under way.
    QTimer::singleShot(0, this, [this, guard = QPointer<File>(file)] {
        if (!guard || !guard->hasOutsideChange())
            return;
        guard->settleOutsideChange();
        redrawTree();
    });
}

void ProjectDelegate::fileDeletedOutside(File *file)
{
    QTimer::singleShot(0, this, [this, guard = QPointer<File>(file)] {
        if (guard && guard->isMissingOnDisk())
            askAboutDeletedFile(guard);
    });
}

void ProjectDelegate::askAboutDeletedFile(File *file)
{
    const QPointer<File> guard(file);
    // A file still there that cannot be reached was not deleted (#80).
    const std::optional<QString> unreadable = File::whyUnreadable(file->path());
    const int answer = askAboutFile(
        file,
        unreadable ? QStringLiteral("\"%1\" cannot be read: %2.").arg(file->displayName(), *unreadable)
                   : QStringLiteral("\"%1\" was deleted by another program.").arg(file->displayName()),
        QStringLiteral("Its unsaved changes are kept here, and the file stays in the list, marked as missing, "
                       "until you save it again or discard the changes."),
        {QStringLiteral("Keep My Changes"), QStringLiteral("Save Again"), QStringLiteral("Discard")});
    if (!guard || !guard->isMissingOnDisk()) {
        redrawTree();
        return;
    }
    if (answer == Alert::SecondButtonReturn) {
        if (!guard->save())
            alertSaveFailures({guard.data()});
    } else if (answer == Alert::ThirdButtonReturn) {
        // The nearest folder still on disk drops the node, and its view goes with it.
        File *folder = guard->parentFile();
        while (folder && folder->isMissingOnDisk())
            folder = folder->parentFile();
        // The page shows the file as it is now: gone (#64).
        if (isShownInPage(guard))
            reloadChangedPageLater();
        guard->discardUnsavedEdits();
        if (folder) {
            const TreeSelection kept = rememberSelection();
            folder->setUpChildren();
            updateDirectoryOfFile(folder, kept);
        }
    }
    redrawTree();
}

bool ProjectDelegate::isShownInPage(File *file)
{
    return file == m_lastPreviewedFile || isResourceOfPage(file);
}

bool ProjectDelegate::isResourceOfPage(File *file)
{
    if (!m_previewHalf || !file)
        return false;
    // The page's resources name files by their addresses.
    std::function<bool(const QList<File *> &)> holds = [&](const QList<File *> &nodes) {
        for (File *node : nodes) {
            const QUrl address(node->path());
            const QString local = address.isLocalFile() ? address.toLocalFile() : node->path();
            if (local == file->path() || (node->hasBypass() && node->bypassPath().toLocalFile() == file->path()))
                return true;
            if (holds(node->children()))
                return true;
        }
        return false;
    };
    return holds(m_previewHalf->resourceRoots());
}

void ProjectDelegate::fileTookDiskVersion(File *file)
{
    if (file && m_previewHalf && isShownInPage(file))
        reloadChangedPageLater();
}

void ProjectDelegate::reloadChangedPageLater()
{
    // Once, at the next turn: the folder refresh, save or question that
    // changed the page's files is under way.
    DelayedPerform::cancel(this, "reloadPageFromDisk", {});
    DelayedPerform::perform(this, "reloadPageFromDisk", {}, 0.0, [this] {
        if (m_previewHalf)
            m_previewHalf->reloadChangedPage();
    });
}

void ProjectDelegate::forgetEditsAt(const QString &path)
{
    for (File *root : projects()) {
        for (File *file : root->editedFiles()) {
            if (StringUtils::isIncludeInPathFrom(file->path(), path) && file->isModified())
                file->discardUnsavedEdits();
        }
    }
}

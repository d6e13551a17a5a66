#pragma once

// What the code view and the large text view share: the keys of the shared
// history, the edit road into the File, and saving with its alert.

#include "foundation/InspectUndoManager.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/kit/Alert.h"
#include "workspace/File.h"

#include <QKeyEvent>
#include <QPointer>
#include <QWidget>

#include <functional>

namespace CodeEditing {

// Undo and Redo belong to the shared history, not to a view.
inline bool isHistoryKey(const QKeyEvent *event)
{
    return event->matches(QKeySequence::Undo) || event->matches(QKeySequence::Redo);
}

// Undo or Redo of the shared history, when it has a step to take.
inline void runHistoryKey(const QKeyEvent *event)
{
    InspectUndoManager *undo = File::sharedUndoManager();
    if (!undo)
        return;
    if (event->matches(QKeySequence::Undo) && undo->canUndo())
        undo->undo();
    else if (event->matches(QKeySequence::Redo) && undo->canRedo())
        undo->redo();
}

// Undo and Redo through the shared history, and Ctrl+S (with Shift also
// refreshing the preview) through the view's save; answers whether the key
// was one of them. Reached only where no menu holds the keys.
template <typename Save>
bool runViewKey(const QKeyEvent *event, Save save)
{
    if (isHistoryKey(event)) {
        runHistoryKey(event);
        return true;
    }
    if (event->key() == Qt::Key_S && (event->modifiers() & ~Qt::ShiftModifier) == Qt::ControlModifier) {
        save(event->modifiers());
        return true;
    }
    return false;
}

// The view took the keyboard: Save acts on its file from now on.
inline void announceFocus(QObject *view, File *file)
{
    NotificationCenter::defaultCenter().postNotificationName(
        QStringLiteral("codeViewBecameFirstResponder"), view,
        {{QStringLiteral("file"), QVariant::fromValue(file)}, {QStringLiteral("textView"), QVariant::fromValue(view)}});
}

// Whether no widget between the view and its window is hidden: a view the
// pane's stack put aside is, whether the window itself is shown or not.
inline bool isShownInItsWindow(const QWidget *view)
{
    for (const QWidget *widget = view; widget && !widget->isWindow(); widget = widget->parentWidget()) {
        if (widget->isHidden())
            return false;
    }
    return true;
}

// Whether the page shown is made of the file (the page's own or one of its
// sheets and scripts); the shell answers it.
inline std::function<bool(File *)> &pageShowsFile()
{
    static std::function<bool(File *)> test;
    return test;
}

// A mark in the step of the user's typing: its undo and redo tell the views
// that follow the file's text (the page's tree) that a view's change came
// back or went, as the typing itself does with "refreshFileContent".
inline void markTyping(InspectUndoManager *undo, File *file)
{
    undo->prepareWithInvocationTarget(file, [undo = QPointer<InspectUndoManager>(undo), file = QPointer<File>(file)] {
        if (!undo || !file)
            return;
        markTyping(undo, file);
        NotificationCenter::defaultCenter().postNotificationName(QStringLiteral("typingReplayed"), file.data(),
                                                                 {{QStringLiteral("file"), QVariant::fromValue(file.data())}});
    });
}

// The user's edit: `store` makes it the File's content, under the undo
// action "type"; the open undo group closes at the end of the turn, and
// "refreshFileContent" from the view tells the rest. Answers what `store` did.
// Undo and Redo reach the edit while the view is shown in its pane, naming
// the file, or while the page shown is made of the file, as they reach the
// edits of the page's other views: not once neither shows it (another file
// in the pane and page, the page before a failed load, #78).
template <typename Store>
bool storeEdit(File *file, const QWidget *view, Store store)
{
    InspectUndoManager *undo = File::sharedUndoManager();
    if (undo) {
        undo->setActionName(QStringLiteral("type"));
        undo->offerStepWhile([view = QPointer<const QWidget>(view), file = QPointer<File>(file)] {
            return file && ((view && isShownInItsWindow(view)) || (pageShowsFile() && pageShowsFile()(file.data())));
        });
    }
    const quint64 version = file->contentVersion();
    const bool stored = store();
    if (undo && stored && file->contentVersion() != version)
        markTyping(undo, file);
    if (undo)
        undo->reserveCloseGroupingAtEndOfRunLoop();
    NotificationCenter::defaultCenter().postNotificationName(QStringLiteral("refreshFileContent"), view,
                                                             {{QStringLiteral("file"), QVariant::fromValue(file)}});
    return stored;
}

// Saves the File; a failure is named in an alert over the window.
inline bool writeFile(File *file, QWidget *window)
{
    if (file->save())
        return true;
    // A file refused for what it holds on disk has no changes to keep.
    Alert::runSaveFailure(file->displayName(), file->lastSaveError(),
                          file->isModified()
                              ? QStringLiteral("Your changes are kept in the editor; save again once the problem is solved.")
                              : QString(),
                          window);
    return false;
}

} // namespace CodeEditing

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

// The user's edit: `store` makes it the File's content, under the undo
// action "type"; the open undo group closes at the end of the turn, and
// "refreshFileContent" from the view tells the rest. Answers what `store` did.
// Undo and Redo reach the edit only while the view is shown in its pane,
// naming the file: not once the pane shows another file, or the page
// before a failed load (#78).
template <typename Store>
bool storeEdit(File *file, const QWidget *view, Store store)
{
    InspectUndoManager *undo = File::sharedUndoManager();
    if (undo) {
        undo->setActionName(QStringLiteral("type"));
        undo->offerStepWhile([view = QPointer<const QWidget>(view), file = QPointer<File>(file)] {
            return view && file && isShownInItsWindow(view);
        });
    }
    const bool stored = store();
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

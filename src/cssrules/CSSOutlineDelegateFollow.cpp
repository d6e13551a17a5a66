// CSSOutlineDelegate: the page follows the text of a style sheet changed in
// another view (its code view, the undo and redo of the typing there).

#include "CSSOutlineDelegate.h"

#include "foundation/InspectUndoManager.h"
#include "platform/foundation/DelayedPerform.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/web/cssom/DOMCSSStyleSheet.h"
#include "workspace/File.h"
#include "workspace/StyleSheetAddress.h"

void CSSOutlineDelegate::observeSheetTexts()
{
    // The panel's own writes reach the page through its rules as they are made.
    observe("refreshFileContent", [this](const Notification &notification) {
        if (notification.object != dynamic_cast<const void *>(this))
            sheetTextChanged(notification.userInfo.value(QStringLiteral("file")).value<File *>());
    });
    observe("typingReplayed", [this](const Notification &notification) {
        sheetTextChanged(notification.userInfo.value(QStringLiteral("file")).value<File *>());
    });
}

void CSSOutlineDelegate::sheetTextChanged(File *file)
{
    if (!file || m_textsToFollow.contains(file))
        return;
    m_textsToFollow.append(file);
    // An undo or redo puts the text back after its mark has told: the page
    // follows once the turn is done, with one change for the keys of a turn.
    if (m_textsToFollow.size() == 1)
        DelayedPerform::atEndOfTurn(this, [this] { followSheetTexts(); });
}

void CSSOutlineDelegate::followSheetTexts()
{
    const QList<QPointer<File>> files = std::exchange(m_textsToFollow, {});
    const QList<DOMCSSStyleSheetPtr> sheets = sheetsInOrder();
    for (const QPointer<File> &file : files) {
        if (!file)
            continue;
        // The rows stand for the text as it is now: an edit made in them
        // next is written over it, not over the text before the typing.
        if (m_sources.contains(file.data()))
            sourceOf(file);
        // Every copy of the file in the page, however it was linked.
        QList<DOMCSSStyleSheetPtr> copies;
        for (const DOMCSSStyleSheetPtr &sheet : sheets) {
            if (!sheet->href().isEmpty() && StyleSheetAddress::names(sheet->href(), *file))
                copies.append(sheet);
        }
        if (copies.isEmpty())
            continue;
        const std::optional<QString> text = file->currentContent();
        if (!text) {
            QM_INFO(QStringLiteral("%1 has no text that could be read; the page keeps its rules").arg(file->path()));
            continue;
        }
        bool followed = false;
        for (const DOMCSSStyleSheetPtr &sheet : std::as_const(copies))
            followed = sheet->followText(*text) || followed;
        // The page shows the text: a save needs no reload to show it.
        if (followed)
            file->noteContentShown();
    }
}

void CSSOutlineDelegate::willReloadPage()
{
    InspectUndoManager *undo = undoManager();
    if (!undo)
        return;
    // The rules and rows the steps hold go with the page; what the steps
    // changed in the sheets' texts is what the page loaded anew shows.
    const TargetRef panel(this);
    const auto markOf = [this](const TargetRef &target) {
        for (const File *file : m_sources.keys()) {
            if (target.identity() == static_cast<const QObject *>(file))
                return followMark(const_cast<File *>(file));
        }
        return InspectUndoManager::Action();
    };
    const int kept = undo->keepStepsOnText([&panel](const TargetRef &target) { return target == panel; }, markOf,
                                           [] { return true; });
    if (kept > 0)
        QM_DEBUG(QStringLiteral("%1 undo steps of the rules kept on the texts of their sheets").arg(kept));
}

std::function<void()> CSSOutlineDelegate::followMark(File *file)
{
    return [guard = QPointer<CSSOutlineDelegate>(this), file = QPointer<File>(file)] {
        if (!guard || !file)
            return;
        if (InspectUndoManager *undo = guard->undoManager())
            undo->prepareWithInvocationTarget(file.data(), guard->followMark(file));
        guard->sheetTextChanged(file);
    };
}

// CodeView: drops and pastes.

#include "CodeView.h"

#include "stylesheet/WebCoreObjects.h"
#include "toolkit/DragPayload.h"
#include "workspace/File.h"

#include <QDragEnterEvent>
#include <QDragMoveEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QTextBlock>

namespace {

bool isUsable(const QMimeData *mime)
{
    return mime && (mime->hasText() || mime->hasFormat(QString::fromLatin1(DragPayload::kDomNodeDragCopy)));
}

// The markup for an element name from the palette, "a href" being the tag a
// with more in its opening tag.
QString markupOfElement(const QString &name)
{
    const qsizetype blank = name.indexOf(u' ');
    const QString tag = blank < 0 ? name : name.left(blank);
    if (!WebCoreObjects::shouldClose(tag))
        return QStringLiteral("<%1 />").arg(name);
    if (WebCoreObjects::canHaveChildren(tag))
        return QStringLiteral("<%1></%2>").arg(name, tag);
    return QStringLiteral("<%1>").arg(name);
}

} // namespace

bool CodeView::canInsertFromMimeData(const QMimeData *source) const
{
    // Pasting takes plain text only.
    return source && source->hasText();
}

void CodeView::insertFromMimeData(const QMimeData *source)
{
    File::runPendingWrites();
    if (source && source->hasText())
        insertPlainText(source->text());
}

void CodeView::dragEnterEvent(QDragEnterEvent *event)
{
    if (!isUsable(event->mimeData())) {
        event->ignore();
        return;
    }
    setFocus(Qt::OtherFocusReason);
    event->setDropAction(Qt::CopyAction);
    event->accept();
}

void CodeView::dragMoveEvent(QDragMoveEvent *event)
{
    if (!isUsable(event->mimeData())) {
        event->ignore();
        return;
    }
    // The caret follows the pointer, where the drop will land.
    QTextCursor cursor = textCursor();
    cursor.setPosition(charIndexForDraggingLoc(event->position().toPoint()));
    setTextCursor(cursor);
    event->setDropAction(Qt::CopyAction);
    event->accept();
}

void CodeView::dropEvent(QDropEvent *event)
{
    performDragOperation(event->mimeData(), event->position().toPoint());
    event->setDropAction(Qt::CopyAction);
    event->accept();
}

bool CodeView::performDragOperation(const QMimeData *mime, const QPoint &point)
{
    if (!mime)
        return true;
    File::runPendingWrites();
    for (const QString &type : mime->formats()) {
        if (type == QLatin1String(DragPayload::kDomNodeDragCopy)) {
            const std::optional<QVariant> value = DragPayload::decodeDomNodeDragCopy(mime->data(type));
            if (!value)
                continue;
            if (value->typeId() == QMetaType::QString) {
                insertTextAtMousePoint(markupOfElement(value->toString()), point);
                return true;
            }
            insertTextAtMousePoint(value->toMap().value(QStringLiteral("content")).toString(), point);
            return true;
        }
        if (type.startsWith(QLatin1String("text/plain"))) {
            insertTextAtMousePoint(mime->text(), point);
            return true;
        }
    }
    return true;
}

void CodeView::insertTextAtMousePoint(const QString &text, const QPoint &point)
{
    QTextCursor cursor = textCursor();
    cursor.setPosition(charIndexForDraggingLoc(point));
    cursor.insertText(text);
    setTextCursor(cursor);
}

int CodeView::charIndexForDraggingLoc(const QPoint &point) const
{
    const int length = document()->characterCount() - 1;
    // Below the last line the drop goes to the end.
    const QTextBlock last = document()->lastBlock();
    if (last.isValid() && point.y() >= textBlockGeometry(last).bottom())
        return length;
    return std::min(cursorForPosition(point).position(), length);
}

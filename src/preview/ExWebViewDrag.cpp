// ExWebView: drags over the page, the capture of the whole document and the
// view's own undo manager.

#include "ExWebView.h"

#include "foundation/InspectUndoManager.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/kit/DraggingInfo.h"
#include "platform/web/engine/WebBridge.h"
#include "platform/web/engine/WebPage.h"
#include "platform/web/html/StringDOM.h"
#include "toolkit/DragPayload.h"

#include <QDragEnterEvent>
#include <QFileInfo>
#include <QJsonObject>
#include <QMimeData>
#include <QPointer>
#include <QUrl>

#include <algorithm>

namespace {

// How long the browser may take to draw the whole document.
constexpr int kCaptureTimeoutMs = 30000;

std::unique_ptr<QMimeData> copyOf(const QMimeData *data)
{
    auto copy = std::make_unique<QMimeData>();
    for (const QString &format : data->formats())
        copy->setData(format, data->data(format));
    return copy;
}

} // namespace

// --- Drags -----------------------------------------------------------------------------------

Qt::DropAction ExWebView::dragOperationForMimeData(const QMimeData *data)
{
    if (!data)
        return Qt::IgnoreAction;
    const QList<QUrl> urls = data->urls();
    const bool files = std::any_of(urls.cbegin(), urls.cend(), [](const QUrl &url) { return url.isLocalFile(); });
    // Text is refused; a file manager that adds the files' paths as text
    // still drags files.
    if (data->hasText() && !files)
        return Qt::IgnoreAction;
    if (data->hasFormat(QString::fromLatin1(DragPayload::kCSSRuleDrag))
        || data->hasFormat(QStringLiteral("StyleDeclarationDrag")))
        return Qt::IgnoreAction;
    if (data->hasFormat(QString::fromLatin1(DragPayload::kDomNodeDragCopy))) {
        // A snippet that is a whole document has no place inside the page.
        const std::optional<QVariant> value = DragPayload::domNodeDragCopy(data);
        if (value && value->typeId() == QMetaType::QVariantMap) {
            const QString content = value->toMap().value(QStringLiteral("content")).toString();
            if (StringDOM::firstNodeName(content) == QLatin1String("html"))
                return Qt::IgnoreAction;
        }
        return Qt::CopyAction;
    }
    if (!files)
        return Qt::CopyAction;
    for (const QUrl &url : urls) {
        const QString extension = QFileInfo(url.toLocalFile()).suffix();
        if (extension == QLatin1String("jpeg") || extension == QLatin1String("jpg") || extension == QLatin1String("png")
            || extension == QLatin1String("gif"))
            return Qt::CopyAction;
    }
    return Qt::IgnoreAction;
}

void ExWebView::dragEnterEvent(QDragEnterEvent *event)
{
    if (dragOperationForMimeData(event->mimeData()) == Qt::IgnoreAction) {
        event->ignore();
        return;
    }
    m_dragData = copyOf(event->mimeData());
    event->setDropAction(Qt::CopyAction);
    event->accept();
    showDetectLayer();
}

void ExWebView::dragMoveEvent(QDragMoveEvent *event)
{
    if (dragOperationForMimeData(event->mimeData()) == Qt::IgnoreAction) {
        event->ignore();
        return;
    }
    event->setDropAction(Qt::CopyAction);
    event->accept();
    postDrag(QStringLiteral("webViewDragging"), event->position().toPoint());
}

void ExWebView::dragLeaveEvent(QDragLeaveEvent *event)
{
    Q_UNUSED(event);
    hideDetectLayer();
}

void ExWebView::dropEvent(QDropEvent *event)
{
    hideDetectLayer();
    event->setDropAction(Qt::CopyAction);
    event->accept();
    postDrag(QStringLiteral("dropToWebView"), event->position().toPoint());
}

void ExWebView::postDrag(const QString &name, const QPoint &position)
{
    DraggingInfo info;
    info.pasteboard = m_dragData.get();
    info.proposedAction = Qt::CopyAction;
    info.sourceOperationMask = Qt::CopyAction;
    info.location = position;
    const bool dragging = name == QLatin1String("webViewDragging");
    QPointer<ExWebView> guard(this);
    elementAtPoint(QPointF(position), [guard, name, info, dragging](const DOMNodePtr &target) {
        if (!guard)
            return;
        if (dragging)
            guard->drawDetectLayer(target.get());
        QVariantMap userInfo{{QStringLiteral("info"), QVariant::fromValue(info)}};
        if (target)
            userInfo.insert(QStringLiteral("target"), QVariant::fromValue(target.get()));
        NotificationCenter::defaultCenter().postNotificationName(name, guard.data(), userInfo);
    });
}

// --- Capture ---------------------------------------------------------------------------------

QImage ExWebView::captureImage()
{
    WebPage *page = webPage();
    if (!page->isAttached())
        return {};
    // The program's edits reach the page before it is drawn.
    bridge().flushCommands();
    const std::optional<QJsonObject> metrics =
        page->sendAndWait(page->sessionId(), QStringLiteral("Page.getLayoutMetrics"), {}, kCaptureTimeoutMs);
    if (!metrics) {
        QM_ERROR(QStringLiteral("the page did not tell its size; nothing was captured"));
        return {};
    }
    const double height = metrics->value(QStringLiteral("cssContentSize")).toObject().value(QStringLiteral("height")).toDouble();
    const double width = page->viewportSize().width();
    if (height <= 0 || width <= 0)
        return {};
    // Drawn beyond the view as it is: its size, and with it the page's
    // layout and scroll position, stay as they are.
    const QJsonObject clip{{QStringLiteral("x"), 0}, {QStringLiteral("y"), 0}, {QStringLiteral("width"), width},
                           {QStringLiteral("height"), height}, {QStringLiteral("scale"), 1}};
    const std::optional<QJsonObject> shot = page->sendAndWait(
        page->sessionId(), QStringLiteral("Page.captureScreenshot"),
        {{QStringLiteral("format"), QStringLiteral("png")}, {QStringLiteral("captureBeyondViewport"), true},
         {QStringLiteral("clip"), clip}},
        kCaptureTimeoutMs);
    if (!shot) {
        QM_ERROR(QStringLiteral("the page could not be captured"));
        return {};
    }
    QImage image;
    image.loadFromData(QByteArray::fromBase64(shot->value(QStringLiteral("data")).toString().toLatin1()), "PNG");
    return image;
}

// --- The view's own undo manager ----------------------------------------------------------------

InspectUndoManager *ExWebView::undoManager()
{
    if (!m_undoManager)
        m_undoManager = new InspectUndoManager(this);
    return m_undoManager;
}

bool ExWebView::canUndo() const
{
    return m_undoManager && m_undoManager->canUndo();
}

bool ExWebView::canRedo() const
{
    return m_undoManager && m_undoManager->canRedo();
}

void ExWebView::undo()
{
    if (m_undoManager)
        m_undoManager->undo();
}

void ExWebView::redo()
{
    if (m_undoManager)
        m_undoManager->redo();
}

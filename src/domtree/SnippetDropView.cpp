#include "SnippetDropView.h"

#include "DomNodeListDelegate.h"
#include "DomTreeDelegate.h"

#include "toolkit/DragPayload.h"

#include <QDragEnterEvent>
#include <QLabel>
#include <QMimeData>
#include <QVBoxLayout>

SnippetDropView::SnippetDropView(QWidget *parent)
    : QFrame(parent)
{
    setObjectName(QStringLiteral("snippetDropView"));
    setAcceptDrops(true);
    setFrameShape(QFrame::StyledPanel);
    setFrameShadow(QFrame::Sunken);
    setMinimumHeight(36);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(6, 4, 6, 4);
    auto *label = new QLabel(QStringLiteral("Drop an element or text here to save it as a snippet"), this);
    label->setAlignment(Qt::AlignCenter);
    label->setWordWrap(true);
    label->setEnabled(false);
    layout->addWidget(label);
    setToolTip(label->text());
}

SnippetDropView::~SnippetDropView() = default;

Qt::DropAction SnippetDropView::dragOperationFor(const QMimeData *data) const
{
    if (!data)
        return Qt::IgnoreAction;
    const bool rows = data->hasFormat(QString::fromLatin1(DragPayload::kInnerDomNodeDrag));
    if (rows)
        return m_domTreeDelegate && m_domTreeDelegate->dragNodes().size() == 1 ? Qt::CopyAction : Qt::IgnoreAction;
    return data->hasText() ? Qt::CopyAction : Qt::IgnoreAction;
}

bool SnippetDropView::performDragOperation(const QMimeData *data)
{
    if (!m_domNodeListDelegate || dragOperationFor(data) == Qt::IgnoreAction)
        return false;
    bool made = false;
    for (const QString &format : data->formats()) {
        if (format == QLatin1String(DragPayload::kInnerDomNodeDrag) && m_domTreeDelegate) {
            m_domNodeListDelegate->addSnippetWithNode(m_domTreeDelegate->dragNodes().constLast().get());
            made = true;
        } else if (format == QLatin1String("text/plain")) {
            m_domNodeListDelegate->addSnippetwithText(data->text());
            made = true;
        }
    }
    return made;
}

void SnippetDropView::dragEnterEvent(QDragEnterEvent *event)
{
    dragMoveEvent(event);
    setHighlighted(event->isAccepted());
}

void SnippetDropView::dragMoveEvent(QDragMoveEvent *event)
{
    const Qt::DropAction action = dragOperationFor(event->mimeData());
    if (action == Qt::IgnoreAction) {
        event->ignore();
        return;
    }
    event->setDropAction(action);
    event->accept();
}

void SnippetDropView::dragLeaveEvent(QDragLeaveEvent *event)
{
    setHighlighted(false);
    QFrame::dragLeaveEvent(event);
}

void SnippetDropView::dropEvent(QDropEvent *event)
{
    setHighlighted(false);
    if (!performDragOperation(event->mimeData())) {
        event->ignore();
        return;
    }
    event->setDropAction(Qt::CopyAction);
    event->accept();
}

void SnippetDropView::setHighlighted(bool highlighted)
{
    // The area takes the selection colour while a drop would be taken.
    setBackgroundRole(highlighted ? QPalette::Highlight : QPalette::Window);
    setAutoFillBackground(highlighted);
}

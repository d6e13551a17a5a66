#pragma once

#include <QFrame>
#include <QPointer>

class DomNodeListDelegate;
class DomTreeDelegate;
class QMimeData;

// The drop area beside the element palette: one DOM row dragged out of the
// tree, or text, dropped on it becomes a new snippet ("HTML" or "Other").
// A drag of several rows is refused.
class SnippetDropView : public QFrame
{
    Q_OBJECT

public:
    explicit SnippetDropView(QWidget *parent = nullptr);
    ~SnippetDropView() override;

    void setDomNodeListDelegate(DomNodeListDelegate *palette) { m_domNodeListDelegate = palette; }
    void setDomTreeDelegate(DomTreeDelegate *tree) { m_domTreeDelegate = tree; }
    // The operation a drag of this data gets: copy, or none.
    Qt::DropAction dragOperationFor(const QMimeData *data) const;
    // Makes the snippets of the data; false when it holds none.
    bool performDragOperation(const QMimeData *data);

protected:
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dragMoveEvent(QDragMoveEvent *event) override;
    void dragLeaveEvent(QDragLeaveEvent *event) override;
    void dropEvent(QDropEvent *event) override;

private:
    void setHighlighted(bool highlighted);

    QPointer<DomNodeListDelegate> m_domNodeListDelegate;
    QPointer<DomTreeDelegate> m_domTreeDelegate;
};

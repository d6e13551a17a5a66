#pragma once

#include "TestUtil.h"
#include "WebTestFixture.h"

#include "DomTreeTestSupport.h"

#include "domtree/DomTextNodeRowCell.h"
#include "platform/kit/Alert.h"
#include "platform/kit/DraggingInfo.h"
#include "platform/web/engine/WebFrameMirror.h"
#include "toolkit/DragPayload.h"

#include <QMimeData>
#include <QTest>
#include <QUrl>

// The DOM tree panel over a page shown by the real engine: alerts are
// answered with their first button and collected.
struct LiveDomTreePage : DomTreeHarness
{
    explicit LiveDomTreePage(const QByteArray &page)
        : DomTreeHarness(page)
        , fixture(WebTestFixture::sharedView())
    {
        Alert::setResponder([this](Alert &alert) {
            alerts.append(alert.messageText());
            return int(Alert::FirstButtonReturn);
        });
        loaded = fixture.loadUrl(QUrl::fromLocalFile(file->path()));
        if (loaded)
            show(fixture.mainFrame().sharedDocument());
        settlePage = [this] { fixture.settle(); };
    }
    ~LiveDomTreePage() { Alert::setResponder({}); }
    QString inPage(const QString &script)
    {
        fixture.settle();
        return fixture.evaluate(script).toString();
    }
    // The ids of an element's element children, in the page.
    QString childIds(const char *id)
    {
        return inPage(QStringLiteral("Array.from(document.getElementById('%1').children).map(e => e.id || e.localName).join(',')")
                          .arg(QString::fromLatin1(id)));
    }
    void undoStep()
    {
        undo.loopEnd();
        undo.undo();
        settle();
    }
    void redoStep()
    {
        undo.redo();
        settle();
    }
    void target(const DOMNode *node) { tree->setContextTargetNode(rowOf(node)); }
    // An element's attributes as the row editor shows them.
    static QString attributesText(const DOMElement &element)
    {
        QStringList parts;
        for (int i = 0; i < element.attributeCount(); ++i)
            parts.append(QStringLiteral("%1=\"%2\"").arg(element.attributeAt(i)->name(), element.attributeAt(i)->value()));
        return parts.join(QLatin1Char(' '));
    }
    // Types a text over a text row's in its editor and ends the edit with
    // Return; false when no editor opened.
    bool typeText(const DOMNode *node, const QString &text)
    {
        select(node);
        tree->beginSelectedNodeEdit();
        auto *editor = DomTextNodeRowCell::editorIn(tree->outline());
        if (!editor)
            return false;
        editor->setPlainText(text);
        QTest::keyClick(editor, Qt::Key_Return);
        settle();
        return true;
    }
    // A drag from the tree's outline.
    DraggingInfo dragInfo(const QMimeData *mime) const
    {
        DraggingInfo drag;
        drag.pasteboard = mime;
        drag.source = tree->outline();
        drag.sourceOperationMask = Qt::CopyAction | Qt::MoveAction;
        return drag;
    }
    DOMNodeEx *rowById(const char *id) const { return rowOf(byId(id)); }
    // A drag of a palette item: a tag's text, or a snippet's "content".
    static std::unique_ptr<QMimeData> paletteDrag(const QVariant &value)
    {
        auto mime = std::make_unique<QMimeData>();
        DragPayload::setDomNodeDragCopy(mime.get(), value);
        return mime;
    }
    // Starts a drag of the rows of these elements; the drag's data.
    std::unique_ptr<QMimeData> dragRows(std::initializer_list<const char *> ids)
    {
        QList<void *> items;
        for (const char *id : ids)
            items.append(rowById(id));
        auto mime = std::make_unique<QMimeData>();
        if (!tree->writeItems(tree->outline(), items, mime.get()))
            return nullptr;
        return mime;
    }
    Qt::DropAction validateDrop(const QMimeData *mime, DOMNodeEx *row, int index)
    {
        return tree->validateDrop(tree->outline(), dragInfo(mime), row, index);
    }
    // Validates and drops as the outline does, then waits for the write.
    bool dropOn(const QMimeData *mime, DOMNodeEx *row, int index)
    {
        if (validateDrop(mime, row, index) == Qt::IgnoreAction)
            return false;
        const bool accepted = tree->acceptDrop(tree->outline(), dragInfo(mime), row, index);
        settle();
        return accepted;
    }

    WebTestFixture fixture;
    bool loaded = false;
    QStringList alerts;
};

#pragma once

#include "interfaces/ExWebViewInterface.h"
#include "platform/web/dom/DOMEngineQueries.h"
#include "platform/web/dom/DOMNode.h"
#include "platform/web/engine/WebView.h"

#include <QList>
#include <QMimeData>
#include <QPointer>
#include <QRectF>
#include <QStringList>
#include <QVariantMap>

#include <functional>
#include <memory>
#include <optional>

class BackgroundView;
class DOMDocument;
class InspectUndoManager;
class WebFrameMirror;

// The live preview: the web view with the box-model overlay (detectView,
// owned) over the page, the element-detection state the panels share
// (0 off, 1 hover-detect, 2 element locked), the element selected in it,
// and the operations every panel uses to point at an element: draw the
// overlay over it, outline related elements, scroll it into view, turn it
// into a rectangle of the view.
//
// Geometry comes from the engine's batched answers: an element's box is
// asked once and the overlay is drawn when the answer arrives (an answer
// overtaken by a newer request is dropped). Rectangles are in the view's
// coordinates (y growing downwards: CSS pixels times the zoom factor); an
// element of the main frame is placed with the scroll offset of the picture
// on screen, so the overlay stays on what the user sees. Whatever changes the
// page (an edit from any panel, its undo or redo, a script) draws the shown
// overlay again once the event loop turns, with the element's box and
// label as they are now.
//
// While the detect state is 1, the element under the pointer (frames
// included) is asked for on every move, one question at a time with the
// latest point next, and reported with mouseDidMoveOverElement(); Escape
// (the view has the keys while detecting) asks to leave it. Drags
// from the other panels and files are accepted by their types and reported
// as "webViewDragging" and "dropToWebView" once the element under the
// pointer is known.
class ExWebView : public WebView, public ExWebViewInterface
{
    Q_OBJECT

public:
    explicit ExWebView(QWidget *parent = nullptr);
    ~ExWebView() override;

    // --- What the shell asks -----------------------------------------------------
    QWidget *view() override { return this; }
    int detectState() const override { return m_detectState; }
    // A plain store: the state has no effect of its own here.
    void setDetectState(int state) override { m_detectState = state; }
    // Whether the overlay is in the view (after showDetectLayer()).
    bool isDetectViewShown() const override { return m_detectViewInView; }
    void showDetectLayer() override;
    void hideDetectLayer() override;
    void displayElementMenu() override;
    // Every point of a loaded page lies over its root element at least.
    bool hasElementAtPoint(const QPointF &point) const override;
    bool isPageShownAt(const QPointF &point) const override { return !isCoveredAt(point.toPoint()); }
    // The whole document as wide as the view, as tall as its content; the
    // view's size and scroll stay as they were. Null when the page cannot
    // answer (within 30 s).
    QImage captureImage() override;
    QString mainFrameURL() const override;

    // --- State ---------------------------------------------------------------------
    BackgroundView *detectView() const { return m_detectView; }
    // The browser's ids of the frames of the page shown that began loading, in order.
    QStringList webFrames() const { return m_webFrames; }
    void setWebFrames(const QStringList &frames) { m_webFrames = frames; }
    void appendWebFrame(const QString &frame) { m_webFrames.append(frame); }
    // While set, the overlay cannot be shown; setting it takes it away.
    bool previewMode() const { return m_previewMode; }
    void setPreviewMode(bool on);
    // Resize mode of the overlay; related outlines go.
    void setDetectResizable(bool resizable);

    // The element last picked (by hovering, in the DOM tree, or scrolled to).
    DOMNode *selectedElement() const { return m_selectedElement.get(); }
    const DOMNodePtr &sharedSelectedElement() const { return m_selectedElement; }
    void setSelectedElement(DOMNodePtr element) { m_selectedElement = std::move(element); }

    // --- The overlay -----------------------------------------------------------------
    // Sets the overlay's element and draws it once its box is known (null: nothing).
    void drawDetectLayer(DOMNode *node);
    // Draws the overlay's element again, when the overlay is in the view.
    void redrawWithLastDimnsiton();
    // The overlay forgets its element.
    void resetDetectView();
    void setSubElements(const QList<DOMNodePtr> &elements);
    // Outlines the elements lightly (while the overlay is shown).
    void showRelatedElementsBounds(const QList<DOMNodePtr> &elements) override;
    void hideRelatedElementsBounds() override;
    // Makes the element the selected one and, unless it is wholly visible,
    // scrolls the page to put its top-left corner a third into the view.
    void scrollIntoView(DOMNode *element) override;
    // Every overlay drawing that was asked has been drawn (for tests and
    // benchmarks: the answers are in).
    bool isDrawingPending() const { return m_drawPending; }

    // --- Geometry --------------------------------------------------------------------
    // The frame whose document that is (the same object), else null.
    WebFrameMirror *frameWithDocument(const DOMDocument *document) const;
    // The node's rectangle in the view (the engine is asked at once when its
    // box was not asked ahead); a null rectangle for a node without a box.
    QRectF rectWithElement(const DOMNode *node);
    // The same, only when the box is at hand: never asks.
    std::optional<QRectF> knownRectWithElement(const DOMNode *node) const;
    // The node's rectangle in the main document (CSS pixels, scrolling included).
    QRectF absoluteRectWithElement(const DOMNode *node);
    // The borders and paddings of the node's box as the overlay reads them
    // ("padding-top" ... "border-bottom-width"); empty without a box.
    QVariantMap dimensionWithElement(const DOMNode *node) const;
    // Asks the boxes of the nodes not known yet, one round trip per frame;
    // done runs when every answer is in.
    void prefetchBoxes(const QList<const DOMNode *> &nodes, std::function<void()> done);
    // The element under a point of the view (its own points, zoom and all), frames included: done gets it
    // (or null) unless a newer question came before the answer.
    void elementAtPoint(const QPointF &point, std::function<void(const DOMNodePtr &)> done);

    // --- Drags -------------------------------------------------------------------------
    // Which drags the preview takes: none that carries text, a rule or a
    // declaration, nor an element snippet of a whole document; file drags
    // only with an image among them; everything else.
    static Qt::DropAction dragOperationForMimeData(const QMimeData *data);

    // --- Editing inside the page ----------------------------------------------------
    // The view's own undo manager, made on first use.
    InspectUndoManager *undoManager();
    bool canUndo() const;
    bool canRedo() const;
    void undo();
    void redo();

Q_SIGNALS:
    // In the hover-detect state: the element under the pointer (null over nothing).
    void mouseDidMoveOverElement(DOMNode *element, Qt::KeyboardModifiers modifiers);
    // The page on screen was scrolled.
    void didScroll();
    // In the hover-detect state: Escape was pressed (it does not reach the page).
    void detectCancelled();

protected:
    bool followsPageCursor() const override { return m_detectState != HoverDetect; }
    void mouseMoveEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dragMoveEvent(QDragMoveEvent *event) override;
    void dragLeaveEvent(QDragLeaveEvent *event) override;
    void dropEvent(QDropEvent *event) override;

private:
    struct PointQuestion
    {
        QPointF point;
        std::function<void(const DOMNodePtr &)> done;
        int retries = 0;
    };
    void frameWasShown(const WebFrameMetadata &metadata);
    // The page changed: the overlay is drawn again once, after the changes
    // of this turn of the event loop.
    void followPageChange();
    void drawWhenKnown(const DOMNodePtr &node, quint64 serial, int retries);
    std::optional<DOMElementBox> knownBox(const DOMNode *node) const;
    void askNextPoint();
    void resolvePoint(qint64 frameId, const QPointF &local, PointQuestion question);
    void finishPoint(PointQuestion question, DOMNode *node);
    void postDrag(const QString &name, const QPoint &position);

    BackgroundView *m_detectView; // Owned (child).
    int m_detectState = DetectOff;
    bool m_detectViewInView = false;
    bool m_previewMode = false;
    bool m_drawPending = false;
    bool m_followQueued = false;
    quint64 m_drawSerial = 0;
    QStringList m_webFrames;
    DOMNodePtr m_selectedElement;
    double m_shownScrollX = 0;
    double m_shownScrollY = 0;

    bool m_pointInFlight = false;
    std::optional<PointQuestion> m_nextPoint;

    std::unique_ptr<QMimeData> m_dragData; // a copy of the drag's data, for the notifications
    InspectUndoManager *m_undoManager = nullptr; // Owned (child), made on first use.
};

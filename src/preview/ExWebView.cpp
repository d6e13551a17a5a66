// ExWebView: the overlay, the geometry of the page's elements and the
// element under the pointer. Drags, the capture and the view's own undo
// manager are in ExWebViewDrag.cpp.

#include "ExWebView.h"

#include "BackgroundView.h"

#include "platform/foundation/NotificationCenter.h"
#include "platform/web/dom/DOMDocument.h"
#include "platform/web/dom/DOMElement.h"
#include "platform/web/engine/WebBridge.h"
#include "platform/web/engine/WebEngineCache.h"
#include "platform/web/engine/WebFrameMirror.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPointer>
#include <QTimer>

namespace {

// A box of nothing at all: no layout box (display: none, detached).
bool isEmptyBox(const QRectF &rect)
{
    return rect.width() == 0 && rect.height() == 0;
}

// How often a drawing is asked again when the page changed before the answer came.
constexpr int kStaleRetries = 3;

} // namespace

ExWebView::ExWebView(QWidget *parent) : WebView(parent), m_detectView(new BackgroundView(this))
{
    setObjectName(QStringLiteral("webview"));
    m_detectView->setElementDelegate(this);
    m_detectView->setGeometry(QWidget::rect());
    m_detectView->hide();
    setAcceptDrops(true);
    connect(this, &WebView::frameShown, this, &ExWebView::frameWasShown);
    connect(&bridge(), &WebBridge::mirrorChanged, this, &ExWebView::followPageChange);
    NotificationCenter::defaultCenter().addObserver(this, QStringLiteral("redrawWebviewSelection"), nullptr,
                                                    [this](const Notification &) { redrawWithLastDimnsiton(); });
}

ExWebView::~ExWebView()
{
    NotificationCenter::defaultCenter().removeObserver(this);
}

QString ExWebView::mainFrameURL() const
{
    return webPage()->url().toString(QUrl::FullyEncoded);
}

bool ExWebView::hasElementAtPoint(const QPointF &point) const
{
    DOMDocument *document = mainFrameDocument();
    return QRectF(QWidget::rect()).contains(point) && document && document->documentElement();
}

void ExWebView::resizeEvent(QResizeEvent *event)
{
    WebView::resizeEvent(event);
    m_detectView->setGeometry(QWidget::rect());
    redrawWithLastDimnsiton();
}

void ExWebView::frameWasShown(const WebFrameMetadata &metadata)
{
    const bool scrolled = metadata.scrollX != m_shownScrollX || metadata.scrollY != m_shownScrollY;
    m_shownScrollX = metadata.scrollX;
    m_shownScrollY = metadata.scrollY;
    if (!scrolled)
        return;
    Q_EMIT didScroll();
    // A locked highlight follows the page; a hover highlight waits for the pointer.
    if (m_detectViewInView && m_detectState == ElementLocked)
        drawDetectLayer(m_detectView->element());
}

void ExWebView::followPageChange()
{
    // A resize drag draws the box it makes itself.
    if (m_followQueued || !m_detectViewInView || !m_detectView->element() || m_detectView->isDragging())
        return;
    m_followQueued = true;
    QTimer::singleShot(0, this, [this] {
        m_followQueued = false;
        if (!m_detectView->isDragging())
            redrawWithLastDimnsiton();
    });
}

// --- The overlay ---------------------------------------------------------------------------

void ExWebView::setPreviewMode(bool on)
{
    m_previewMode = on;
    if (on)
        hideDetectLayer();
}

void ExWebView::setDetectResizable(bool resizable)
{
    m_detectView->setDetectResizable(resizable);
    hideRelatedElementsBounds();
}

void ExWebView::showDetectLayer()
{
    if (m_previewMode)
        return;
    m_detectViewInView = true;
    m_detectView->setGeometry(QWidget::rect());
    m_detectView->show();
    m_detectView->raise();
    redrawWithLastDimnsiton();
}

void ExWebView::hideDetectLayer()
{
    m_detectViewInView = false;
    m_detectView->hide();
}

void ExWebView::resetDetectView()
{
    m_detectView->setElement(nullptr);
}

void ExWebView::redrawWithLastDimnsiton()
{
    if (m_detectViewInView)
        drawDetectLayer(m_detectView->element());
}

void ExWebView::displayElementMenu()
{
    DOMNode *element = m_detectView->element();
    if (!m_detectViewInView || !element)
        return;
    NotificationCenter::defaultCenter().postNotificationName(QStringLiteral("displayElementMenu"), this,
                                                             {{QStringLiteral("element"), QVariant::fromValue(element)}});
}

void ExWebView::drawDetectLayer(DOMNode *node)
{
    const DOMNodePtr shared = node ? node->shared_from_this() : nullptr;
    m_detectView->setElement(shared);
    m_detectView->setGeometry(QWidget::rect());
    const quint64 serial = ++m_drawSerial;
    if (!shared) {
        m_drawPending = false;
        m_detectView->setRect(QRectF());
        m_detectView->setDimension({});
        m_detectView->refresh();
        return;
    }
    m_drawPending = true;
    drawWhenKnown(shared, serial, 0);
}

void ExWebView::drawWhenKnown(const DOMNodePtr &node, quint64 serial, int retries)
{
    QPointer<ExWebView> guard(this);
    QList<const DOMNode *> nodes{node.get()};
    for (const DOMNodePtr &sub : m_detectView->subElements())
        nodes.append(sub.get());
    prefetchBoxes(nodes, [guard, node, serial, retries] {
        // A newer drawing was asked meanwhile: this answer is no longer wanted.
        if (!guard || serial != guard->m_drawSerial)
            return;
        const std::optional<QRectF> rect = guard->knownRectWithElement(node.get());
        if (!rect && retries < kStaleRetries && node->ownerDocument()) {
            // The page changed before the answer came: asked again.
            guard->drawWhenKnown(node, serial, retries + 1);
            return;
        }
        BackgroundView *overlay = guard->m_detectView;
        guard->m_drawPending = false;
        overlay->setRect(rect.value_or(QRectF()));
        overlay->setDimension(guard->dimensionWithElement(node.get()));
        overlay->refresh();
    });
}

void ExWebView::setSubElements(const QList<DOMNodePtr> &elements)
{
    m_detectView->setSubElements(elements);
}

void ExWebView::showRelatedElementsBounds(const QList<DOMNodePtr> &elements)
{
    m_detectView->setRelatedElements(elements);
    if (m_detectViewInView)
        m_detectView->show();
    QList<const DOMNode *> nodes;
    for (const DOMNodePtr &element : elements)
        nodes.append(element.get());
    QPointer<BackgroundView> overlay(m_detectView);
    prefetchBoxes(nodes, [overlay] {
        if (overlay)
            overlay->update();
    });
    m_detectView->update();
}

void ExWebView::hideRelatedElementsBounds()
{
    m_detectView->setRelatedElements({});
    m_detectView->update();
}

void ExWebView::scrollIntoView(DOMNode *element)
{
    if (!element || element == m_selectedElement.get())
        return;
    m_selectedElement = element->shared_from_this();
    QPointer<ExWebView> guard(this);
    const DOMNodePtr shared = m_selectedElement;
    prefetchBoxes({element}, [guard, shared] {
        if (!guard || !guard->knownBox(shared.get()))
            return;
        const QRectF absolute = guard->absoluteRectWithElement(shared.get());
        if (absolute.isNull())
            return;
        const QSizeF size = QSizeF(guard->size()) / guard->zoomFactor();
        const QRectF visible(QPointF(float(guard->m_shownScrollX), float(guard->m_shownScrollY)), size);
        if (visible.contains(absolute))
            return;
        const QPointF target(absolute.x() - size.width() / 3.0, absolute.y() - size.height() / 3.0);
        guard->webPage()->runJavaScript(QString::asprintf("window.scrollTo(%g, %g)", target.x(), target.y()),
                                        WebPage::World::Bridge);
    });
}

// --- Geometry ------------------------------------------------------------------------------

WebFrameMirror *ExWebView::frameWithDocument(const DOMDocument *document) const
{
    if (!document)
        return nullptr;
    for (WebFrameMirror *frame : bridge().frames()) {
        if (frame->document() == document)
            return frame;
    }
    return nullptr;
}

std::optional<DOMElementBox> ExWebView::knownBox(const DOMNode *node) const
{
    WebFrameMirror *frame = node ? frameWithDocument(node->ownerDocument()) : nullptr;
    if (!frame || !frame->engine())
        return std::nullopt;
    return frame->engine()->knownNodeBox(*node);
}

std::optional<QRectF> ExWebView::knownRectWithElement(const DOMNode *node) const
{
    if (!node)
        return QRectF();
    WebFrameMirror *frame = frameWithDocument(node->ownerDocument());
    // A node of no frame shown (detached, or of a page gone) has no box.
    if (!frame || !frame->engine())
        return QRectF();
    const std::optional<DOMElementBox> box = frame->engine()->knownNodeBox(*node);
    if (!box)
        return std::nullopt;
    if (isEmptyBox(box->boundingBox))
        return QRectF();
    // The main frame's elements are placed on the picture shown, with its
    // scroll offset; a frame's elements where the page last put them. The
    // page is drawn zoomFactor() times larger than its CSS pixels.
    const QRectF rect = frame->isMainFrame() ? box->boundingBox.translated(-m_shownScrollX, -m_shownScrollY)
                                             : box->viewRect;
    const double zoom = zoomFactor();
    return QRectF(rect.topLeft() * zoom, rect.size() * zoom);
}

QRectF ExWebView::rectWithElement(const DOMNode *node)
{
    if (const std::optional<QRectF> known = knownRectWithElement(node))
        return *known;
    WebFrameMirror *frame = frameWithDocument(node->ownerDocument());
    frame->engine()->nodeBox(*node);
    return knownRectWithElement(node).value_or(QRectF());
}

QRectF ExWebView::absoluteRectWithElement(const DOMNode *node)
{
    const QRectF rect = rectWithElement(node);
    if (rect.isNull())
        return QRectF();
    const double zoom = zoomFactor();
    return QRectF(rect.topLeft() / zoom, rect.size() / zoom).translated(m_shownScrollX, m_shownScrollY);
}

QVariantMap ExWebView::dimensionWithElement(const DOMNode *node) const
{
    const std::optional<DOMElementBox> box = knownBox(node);
    if (!box)
        return {};
    // In the view's points, as the rectangle is.
    const double zoom = zoomFactor();
    return {{QStringLiteral("padding-top"), box->padding.top() * zoom},
            {QStringLiteral("padding-left"), box->padding.left() * zoom},
            {QStringLiteral("padding-right"), box->padding.right() * zoom},
            {QStringLiteral("padding-bottom"), box->padding.bottom() * zoom},
            {QStringLiteral("border-top-width"), box->border.top() * zoom},
            {QStringLiteral("border-left-width"), box->border.left() * zoom},
            {QStringLiteral("border-right-width"), box->border.right() * zoom},
            {QStringLiteral("border-bottom-width"), box->border.bottom() * zoom}};
}

void ExWebView::prefetchBoxes(const QList<const DOMNode *> &nodes, std::function<void()> done)
{
    // One question per frame, all at once; done when the last answer is in.
    QHash<WebFrameMirror *, WebEngineQuestions> questions;
    for (const DOMNode *node : nodes) {
        WebFrameMirror *frame = node ? frameWithDocument(node->ownerDocument()) : nullptr;
        if (frame && frame->engine())
            questions[frame].boxes.append(node);
    }
    if (questions.isEmpty()) {
        if (done)
            done();
        return;
    }
    auto waiting = std::make_shared<qsizetype>(questions.size());
    const auto finish = [waiting, done] {
        if (--*waiting == 0 && done)
            done();
    };
    for (auto it = questions.cbegin(); it != questions.cend(); ++it)
        it.key()->engine()->prefetch(it.value(), finish);
}

// --- The element under the pointer --------------------------------------------------------

void ExWebView::mouseMoveEvent(QMouseEvent *event)
{
    WebView::mouseMoveEvent(event);
    if (m_detectState != HoverDetect)
        return;
    const Qt::KeyboardModifiers modifiers = event->modifiers();
    QPointer<ExWebView> guard(this);
    elementAtPoint(event->position(), [guard, modifiers](const DOMNodePtr &element) {
        if (guard && guard->m_detectState == HoverDetect)
            Q_EMIT guard->mouseDidMoveOverElement(element.get(), modifiers);
    });
}

void ExWebView::keyPressEvent(QKeyEvent *event)
{
    if (m_detectState == HoverDetect && event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        event->accept();
        Q_EMIT detectCancelled();
        return;
    }
    WebView::keyPressEvent(event);
}

void ExWebView::elementAtPoint(const QPointF &point, std::function<void(const DOMNodePtr &)> done)
{
    // One question at a time: a point asked meanwhile replaces the waiting one.
    // The page answers in its CSS pixels.
    m_nextPoint = PointQuestion{pagePoint(point), std::move(done), 0};
    if (!m_pointInFlight)
        askNextPoint();
}

void ExWebView::askNextPoint()
{
    if (!m_nextPoint)
        return;
    PointQuestion question = std::move(*m_nextPoint);
    m_nextPoint.reset();
    WebFrameMirror *main = bridge().mainFrame();
    if (!main || !main->document() || !main->engine()) {
        finishPoint(std::move(question), nullptr);
        return;
    }
    m_pointInFlight = true;
    resolvePoint(main->frameId(), question.point, std::move(question));
}

void ExWebView::resolvePoint(qint64 frameId, const QPointF &local, PointQuestion question)
{
    WebFrameMirror *frame = bridge().frame(frameId);
    if (!frame || !frame->engine()) {
        finishPoint(std::move(question), nullptr);
        return;
    }
    WebEngineQuestions asked;
    asked.point = local;
    QPointer<ExWebView> guard(this);
    auto shared = std::make_shared<PointQuestion>(std::move(question));
    frame->engine()->prefetch(asked, [guard, frameId, local, asked, shared] {
        if (!guard)
            return;
        WebBridge &bridge = guard->bridge();
        WebFrameMirror *frame = bridge.frame(frameId);
        if (!frame || !frame->engine() || !frame->document()) {
            guard->finishPoint(std::move(*shared), nullptr);
            return;
        }
        if (!frame->engine()->hasAnswers(asked)) {
            // The page changed before the answer came.
            if (shared->retries++ < kStaleRetries && !guard->m_nextPoint) {
                guard->resolvePoint(frameId, local, std::move(*shared));
                return;
            }
            guard->finishPoint(std::move(*shared), nullptr);
            return;
        }
        DOMElement *element = frame->engine()->elementAtPoint(local);
        // Over a frame element, the element is the one in that frame.
        WebFrameMirror *inner = nullptr;
        if (element && (element->localName() == QLatin1String("iframe") || element->localName() == QLatin1String("frame"))) {
            for (WebFrameMirror *candidate : bridge.frames()) {
                if (candidate->parentFrameId() == frameId && candidate->ownerNodeId() == element->nodeId())
                    inner = candidate;
            }
        }
        if (!inner || !inner->document()) {
            guard->finishPoint(std::move(*shared), element);
            return;
        }
        const DOMNodePtr owner = element->shared_from_this();
        const qint64 innerId = inner->frameId();
        guard->prefetchBoxes({owner.get()}, [guard, owner, innerId, shared] {
            if (!guard)
                return;
            const std::optional<DOMElementBox> box = guard->knownBox(owner.get());
            if (!box) {
                guard->finishPoint(std::move(*shared), owner.get());
                return;
            }
            // Where the frame's content begins, in the view.
            const QPointF origin = box->viewRect.topLeft()
                + QPointF(box->border.left() + box->padding.left(), box->border.top() + box->padding.top());
            guard->resolvePoint(innerId, shared->point - origin, std::move(*shared));
        });
    });
}

void ExWebView::finishPoint(PointQuestion question, DOMNode *node)
{
    m_pointInFlight = false;
    // The latest point wins: an answer overtaken by a newer question is dropped.
    if (m_nextPoint) {
        askNextPoint();
        return;
    }
    if (question.done)
        question.done(node ? node->shared_from_this() : nullptr);
}

#include "BackgroundView.h"

#include "ExWebView.h"

#include "platform/foundation/NotificationCenter.h"
#include "platform/web/dom/DOMElement.h"
#include "toolkit/LabelButton.h"

#include <QEasingCurve>
#include <QFontMetricsF>
#include <QGraphicsOpacityEffect>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPropertyAnimation>
#include <QPushButton>

namespace {

// The eight widths of a box model, read as the drawing reads them.
struct Widths
{
    float pt, pl, pr, pb; // paddings
    float bt, bl, br, bb; // borders
};

Widths widthsOf(const QVariantMap &dimension)
{
    const auto read = [&dimension](const char *key) { return dimension.value(QLatin1String(key)).toFloat(); };
    return {read("padding-top"), read("padding-left"), read("padding-right"), read("padding-bottom"),
            read("border-top-width"), read("border-left-width"), read("border-right-width"), read("border-bottom-width")};
}

// The content box's size: computed in double precision, kept in single.
QSizeF contentSize(const QRectF &rect, const Widths &w)
{
    const float width = float(rect.width() - w.pl - w.pr - w.bl - w.br + 1.0);
    const float height = float(rect.height() - w.pt - w.pb - w.bt - w.bb + 0.5);
    return QSizeF(width, height);
}

void setBackground(QWidget *widget, const QColor &color)
{
    QPalette palette = widget->palette();
    palette.setColor(QPalette::Window, color);
    palette.setColor(QPalette::Button, color);
    palette.setColor(QPalette::WindowText, Qt::white);
    palette.setColor(QPalette::ButtonText, Qt::white);
    widget->setPalette(palette);
}

} // namespace

BackgroundView::BackgroundView(QWidget *parent)
    : QWidget(parent)
    , m_sizeText(new QLabel(this))
    , m_elementText(new LabelButton(this))
    , m_toOuterButton(new QPushButton(this))
{
    setObjectName(QStringLiteral("detectView"));
    setAttribute(Qt::WA_NoSystemBackground);
    // Only the labels and the resize handle keep the mouse: the rest of the
    // events go on to the page under the overlay (the parent). The overlay
    // tracks the mouse so that moves without a button reach it to be passed
    // on: Qt drops such a move at the widget under the pointer, and on a real
    // window that widget is the overlay, not the web view.
    setMouseTracking(true);
    setFocusPolicy(Qt::NoFocus);

    m_sizeText->setObjectName(QStringLiteral("sizeText"));
    m_sizeText->setGeometry(0, 0, 120, 14);
    m_sizeText->setFont(labelFont());
    m_sizeText->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    m_sizeText->setAutoFillBackground(true);
    m_sizeText->setAttribute(Qt::WA_TransparentForMouseEvents);

    m_toOuterButton->setObjectName(QStringLiteral("toOuterButton"));
    m_toOuterButton->setGeometry(0, 0, 14, 14);
    m_toOuterButton->setFlat(true);
    m_toOuterButton->setAutoFillBackground(true);
    m_toOuterButton->setFocusPolicy(Qt::NoFocus);
    m_toOuterButton->setText(QString());
    connect(m_toOuterButton, &QPushButton::clicked, this, &BackgroundView::toOuter);

    m_elementText->setObjectName(QStringLiteral("elementText"));
    m_elementText->setGeometry(0, 0, 220, 14);
    m_elementText->setFont(labelFont());
    m_elementText->setFocusPolicy(Qt::NoFocus);
    m_elementText->setToolTip(QStringLiteral("Select the Enclosing Element"));
    connect(m_elementText, &LabelButton::activated, this, &BackgroundView::toOuter);
    m_elementText->raise();

    for (QWidget *label : {static_cast<QWidget *>(m_sizeText), static_cast<QWidget *>(m_toOuterButton)})
        setBackground(label, selectionColor());
    setBackground(m_elementText, Qt::transparent);
    m_sizeText->hide();
    m_elementText->hide();
    m_toOuterButton->hide();
}

BackgroundView::~BackgroundView() = default;

// --- Colours ---------------------------------------------------------------------

QColor BackgroundView::outlineBlue()
{
    return QColor::fromRgbF(56 / 255.0f, 107 / 255.0f, 218 / 255.0f, 0.9f);
}

QColor BackgroundView::relatedFill()
{
    return QColor::fromRgbF(163 / 255.0f, 226 / 255.0f, 191 / 255.0f, 0.4f);
}

QColor BackgroundView::elementFill()
{
    return QColor::fromRgbF(163 / 255.0f, 191 / 255.0f, 226 / 255.0f, 0.6f);
}

QColor BackgroundView::selectionColor() const
{
    return palette().color(QPalette::Active, QPalette::Highlight);
}

// --- Geometry --------------------------------------------------------------------

QRectF BackgroundView::flipped(const QRectF &rect, qreal height)
{
    return QRectF(rect.x(), height - rect.y() - rect.height(), rect.width(), rect.height());
}

QRectF BackgroundView::pickedBox(const QRectF &rect, qreal height)
{
    return flipped(QRectF(rect.x() - 0.5, rect.y() - 0.5, rect.width() + 1.0, rect.height() + 0.5), height);
}

QRectF BackgroundView::paddingBox(const QRectF &rect, const QVariantMap &dimension, qreal height)
{
    const Widths w = widthsOf(dimension);
    const QSizeF content = contentSize(rect, w);
    const float width = float(content.width()) + w.pl + w.pr;
    const float boxHeight = float(content.height()) + w.pt + w.pb;
    return flipped(QRectF(rect.x() + w.bl - 0.5, rect.y() + w.bt - 0.5, width, boxHeight), height);
}

QRectF BackgroundView::contentBox(const QRectF &rect, const QVariantMap &dimension, qreal height)
{
    const Widths w = widthsOf(dimension);
    const QSizeF content = contentSize(rect, w);
    return flipped(QRectF(rect.x() + (w.pl + w.bl) - 0.5, rect.y() + (w.pt + w.bt) - 0.5, content.width(),
                          content.height()),
                   height);
}

QString BackgroundView::elementLabelText(const DOMNode *node)
{
    if (!node)
        return QString();
    const QString name = node->nodeName();
    QString text;
    if (name.startsWith(QLatin1Char('#'))) {
        text = name.toLower();
    } else {
        text = name.toLower();
        if (node->isElement()) {
            const auto *element = static_cast<const DOMElement *>(node);
            const QString id = element->getAttribute(QStringLiteral("id"));
            if (!id.isEmpty())
                text = QStringLiteral("%1#%2").arg(text, id);
            const QString className = element->className();
            if (!className.isEmpty())
                text += QStringLiteral(".%1").arg(className);
        }
    }
    return QStringLiteral("\u25BC %1").arg(text);
}

QString BackgroundView::sizeLabelText(const QSizeF &size)
{
    return QString::asprintf("w:%.0fpx h:%.0fpx", size.width(), size.height());
}

QPointF BackgroundView::sizeTextOrigin(const QRectF &drawingRect, const QSizeF &labelSize)
{
    const float x = float(drawingRect.x() + drawingRect.width() - labelSize.width());
    const float y = float(drawingRect.y() - labelSize.height());
    return QPointF(std::max(0.0f, x), std::max(0.0f, y));
}

QPointF BackgroundView::labelOrigin(const QRectF &rect, qreal height)
{
    return QPointF(rect.x(), std::min(height - rect.y(), height - 14.0));
}

QRectF BackgroundView::resizeRect(const QRectF &rect, qreal height)
{
    return QRectF(rect.x() + rect.width() - 16, height - rect.y() - rect.height(), 16, 16);
}

QRectF BackgroundView::resizedRect(const QRectF &startRect, const QPointF &delta, const QVariantMap &dimension)
{
    const Widths w = widthsOf(dimension);
    qreal width = startRect.width() + delta.x();
    qreal height = startRect.height() - delta.y();
    if (float(width - w.pl - w.pr - w.bl - w.br) < 0)
        width = w.pl + w.pr + w.bl + w.br;
    if (float(height - w.pt - w.pb - w.bt - w.bb) < 0)
        height = w.pt + w.pb + w.bt + w.bb;
    return QRectF(startRect.x(), startRect.y(), width, height);
}

// --- Layout ----------------------------------------------------------------------

QRectF BackgroundView::elementRect(const DOMNode *node) const
{
    if (!m_elementDelegate || !node)
        return QRectF();
    return m_elementDelegate->knownRectWithElement(node).value_or(QRectF());
}

QFont BackgroundView::labelFont() const
{
    QFont font(QStringLiteral("Menlo"));
    font.setStyleHint(QFont::Monospace);
    font.setPixelSize(10);
    return font;
}

void BackgroundView::fitLabel(QWidget *label, const QString &text)
{
    const QFontMetricsF metrics(labelFont());
    label->resize(int(std::ceil(metrics.horizontalAdvance(text) + 5.0)), int(std::ceil(metrics.height())));
}

void BackgroundView::placeLabel(QWidget *label, const QPointF &originUp)
{
    // The origin is the label's bottom-left corner, counted upwards.
    label->move(int(std::round(originUp.x())), int(std::round(height() - originUp.y() - label->height())));
}

void BackgroundView::refresh()
{
    const qreal H = height();
    if (!m_element) {
        m_drawingRect = QRectF();
        m_elementText->hide();
        m_sizeText->hide();
        m_toOuterButton->hide();
        update();
        return;
    }
    const QRectF picked = pickedBox(m_rect, H);
    if (!m_subElements.isEmpty()) {
        QRectF all = picked;
        for (const std::shared_ptr<DOMNode> &sub : std::as_const(m_subElements))
            all = all.united(flipped(elementRect(sub.get()), H));
        m_drawingRect = all;
        showElementInformation(all);
    } else {
        m_drawingRect = picked;
        showElementInformation(m_rect);
    }
    update();
}

void BackgroundView::showElementInformation(const QRectF &shownRect)
{
    const qreal H = height();
    setBackground(m_sizeText, selectionColor());
    setBackground(m_toOuterButton, selectionColor());

    // The size in the page's CSS pixels, however large the page is drawn.
    const double zoom = m_elementDelegate ? m_elementDelegate->zoomFactor() : 1.0;
    const QString size = sizeLabelText(shownRect.size() / zoom);
    m_sizeText->setText(size);
    fitLabel(m_sizeText, size);
    placeLabel(m_sizeText, sizeTextOrigin(m_drawingRect, QSizeF(m_sizeText->size())));
    m_sizeText->show();

    const QString label = elementLabelText(m_element.get());
    m_elementText->setText(label);
    fitLabel(m_elementText, label);
    m_toOuterButton->resize(m_elementText->size());
    const QPointF origin = labelOrigin(m_rect, H);
    placeLabel(m_elementText, origin);
    placeLabel(m_toOuterButton, origin);

    const bool empty = m_rect.width() == 0 && m_rect.height() == 0;
    m_elementText->setVisible(!empty);
    m_sizeText->setVisible(!empty);
    m_toOuterButton->setVisible(!empty);

    NotificationCenter::defaultCenter().postNotificationName(
        QStringLiteral("updateOuterPosition"), this, {{QStringLiteral("rect"), QRectF(m_toOuterButton->geometry())}});

    // A box around several elements shows its size only.
    if (!m_subElements.isEmpty()) {
        m_elementText->hide();
        m_toOuterButton->hide();
    }
}

void BackgroundView::hideElementInformation()
{
    m_sizeText->hide();
}

void BackgroundView::toOuter()
{
    NotificationCenter::defaultCenter().postNotificationName(
        QStringLiteral("detectToOuter"), this,
        {{QStringLiteral("rect"), QRectF(m_toOuterButton->geometry())},
         {QStringLiteral("node"), QVariant::fromValue(m_element.get())}});
}

void BackgroundView::setDetectResizable(bool resizable)
{
    m_resizable = resizable;
    if (!resizable || m_dragging)
        return;
    // Fades out over 1.25 s and ends hidden.
    auto *effect = new QGraphicsOpacityEffect(this);
    setGraphicsEffect(effect);
    auto *fade = new QPropertyAnimation(effect, "opacity", this);
    fade->setDuration(1250);
    fade->setStartValue(1.0);
    fade->setEndValue(0.0);
    fade->setEasingCurve(QEasingCurve::InQuad);
    connect(fade, &QPropertyAnimation::finished, this, [this] {
        hide();
        setGraphicsEffect(nullptr);
    });
    m_fade = fade;
    fade->start(QAbstractAnimation::DeleteWhenStopped);
}

void BackgroundView::doNotify()
{
    setHidden(true);
}

// --- Drawing ---------------------------------------------------------------------

void BackgroundView::paintEvent(QPaintEvent *)
{
    const qreal H = height();
    QPainter painter(this);
    // The boxes are drawn in y-up numbers, as the geometry above computes them.
    painter.setTransform(QTransform(1, 0, 0, -1, 0, H));
    QPen outline(outlineBlue(), 1.0);

    // 1. Related boxes, without antialiasing.
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setBrush(relatedFill());
    painter.setPen(outline);
    for (const std::shared_ptr<DOMNode> &related : std::as_const(m_relatedElements)) {
        if (related == m_element)
            continue;
        const QRectF box = elementRect(related.get());
        if (!box.isNull())
            painter.drawRect(flipped(box, H));
    }
    painter.restore();

    // 2. Nothing picked.
    if (!m_element)
        return;

    // 3. The picked box, in darken mode for everything that follows.
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.setBrush(elementFill());
    painter.setCompositionMode(QPainter::CompositionMode_Darken);
    painter.setPen(outline);

    // 4. Around the element and its sub-elements: one box, no box model.
    if (!m_subElements.isEmpty()) {
        painter.drawRect(m_drawingRect);
        return;
    }

    // 5. The element's box.
    painter.drawRect(m_drawingRect);
    if (m_dimension.isEmpty())
        return;

    // 6. The padding box.
    painter.save();
    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(selectionColor(), 1.0));
    painter.drawRect(paddingBox(m_rect, m_dimension, H));
    painter.restore();

    // 7. The content box, dashed; text and comment nodes have none.
    if (m_element->nodeName().startsWith(QLatin1Char('#')))
        return;
    painter.save();
    QPen dashed(outlineBlue(), 1.0);
    dashed.setDashPattern({3.0, 2.0});
    dashed.setDashOffset(0);
    painter.setBrush(Qt::NoBrush);
    painter.setPen(dashed);
    painter.drawRect(contentBox(m_rect, m_dimension, H));
    painter.restore();
}

// --- Resize drag -----------------------------------------------------------------

void BackgroundView::mousePressEvent(QMouseEvent *event)
{
    const QPointF up(event->position().x(), height() - event->position().y());
    if (!m_resizable || event->button() != Qt::LeftButton || !resizeRect().contains(up)) {
        event->ignore();
        return;
    }
    m_startRect = m_rect;
    m_dragStartPoint = event->scenePosition();
    m_dragging = true;
    showElementInformation(m_startRect);
    event->accept();
}

void BackgroundView::mouseMoveEvent(QMouseEvent *event)
{
    if (!m_dragging) {
        event->ignore();
        return;
    }
    // Window coordinates grow downwards; the drag's numbers grow upwards.
    const QPointF moved = event->scenePosition() - m_dragStartPoint;
    m_rect = resizedRect(m_startRect, QPointF(moved.x(), -moved.y()), m_dimension);
    const double zoom = m_elementDelegate ? m_elementDelegate->zoomFactor() : 1.0;
    NotificationCenter::defaultCenter().postNotificationName(
        QStringLiteral("elementResized"), this,
        {{QStringLiteral("elementRect"), QRectF(m_rect.topLeft() / zoom, m_rect.size() / zoom)}});
    m_drawingRect = pickedBox(m_rect, height());
    update();
    showElementInformation(m_rect);
}

void BackgroundView::mouseReleaseEvent(QMouseEvent *event)
{
    if (!m_dragging) {
        event->ignore();
        return;
    }
    m_dragging = false;
    hideElementInformation();
}

void BackgroundView::mouseDoubleClickEvent(QMouseEvent *event)
{
    event->ignore();
}

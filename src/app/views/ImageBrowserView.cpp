#include "ImageBrowserView.h"

#include "toolkit/ThumbnailCache.h"

#include <QDrag>
#include <QDragEnterEvent>
#include <QFileInfo>
#include <QImageReader>
#include <QMimeData>
#include <QNativeGestureEvent>
#include <QPainter>
#include <QScrollBar>
#include <QStyledItemDelegate>

#include <algorithm>

namespace {

constexpr int kPadding = 6;
constexpr int kCaptionGap = 4;
constexpr int kSpacing = 10;
// The side of a cell's picture at zoom 1.0.
constexpr int kFullEdge = 256;

} // namespace

// Draws one item: its picture (or icon) in a square, its name below.
class ImageBrowserView::Cell : public QStyledItemDelegate
{
public:
    explicit Cell(ImageBrowserView *view)
        : QStyledItemDelegate(view)
        , m_view(view)
    {
    }

    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &) const override
    {
        const int edge = m_view->imageEdge();
        const int caption = option.fontMetrics.height();
        return {edge + 2 * kPadding, edge + kPadding + kCaptionGap + caption + kPadding};
    }

    void paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override
    {
        painter->save();
        painter->setRenderHint(QPainter::Antialiasing);
        painter->setRenderHint(QPainter::SmoothPixmapTransform);
        const int edge = m_view->imageEdge();
        const QRect cell = option.rect;
        const QRect square(cell.left() + (cell.width() - edge) / 2, cell.top() + kPadding, edge, edge);
        const bool selected = option.state & QStyle::State_Selected;
        const QColor highlight = option.palette.color(QPalette::Highlight);

        if (selected) {
            QColor wash = highlight;
            wash.setAlpha(50);
            painter->setPen(Qt::NoPen);
            painter->setBrush(wash);
            painter->drawRoundedRect(square.adjusted(-4, -4, 4, 4), 6, 6);
        }

        const QString path = index.data(imageUIDRole).toString();
        const QImage picture = isImagePath(path) ? m_view->m_thumbnails->thumbnail(path) : QImage();
        if (!picture.isNull()) {
            QSize size = picture.size();
            size.scale(square.size(), Qt::KeepAspectRatio);
            // A small picture is shown at its own size, not blown up.
            if (picture.width() <= edge && picture.height() <= edge)
                size = picture.size();
            const QRect place(square.left() + (edge - size.width()) / 2, square.top() + (edge - size.height()) / 2,
                              size.width(), size.height());
            painter->fillRect(place.translated(0, 1).adjusted(-1, -1, 1, 1), QColor(0, 0, 0, 30));
            painter->drawImage(place, picture);
            painter->setPen(QColor(0, 0, 0, 40));
            painter->setBrush(Qt::NoBrush);
            painter->drawRect(QRectF(place).adjusted(-0.5, -0.5, 0.5, 0.5));
        } else {
            const QIcon icon = index.data(Qt::DecorationRole).value<QIcon>();
            const int iconEdge = qMax(16, edge * 3 / 4);
            const QRect place(square.left() + (edge - iconEdge) / 2, square.top() + (edge - iconEdge) / 2,
                              iconEdge, iconEdge);
            icon.paint(painter, place, Qt::AlignCenter, option.state & QStyle::State_Enabled ? QIcon::Normal : QIcon::Disabled);
        }

        // The name, one line, elided in the middle.
        const QString title = index.data(Qt::DisplayRole).toString();
        const QFontMetrics metrics = option.fontMetrics;
        const int captionTop = square.bottom() + 1 + kCaptionGap;
        const int captionWidth = cell.width() - 2;
        const QString shown = metrics.elidedText(title, Qt::ElideMiddle, captionWidth - 8);
        const int textWidth = metrics.horizontalAdvance(shown);
        const QRect textRect(cell.left() + (cell.width() - textWidth) / 2, captionTop, textWidth, metrics.height());
        if (selected) {
            painter->setPen(Qt::NoPen);
            painter->setBrush(highlight);
            painter->drawRoundedRect(textRect.adjusted(-4, 0, 4, 0), metrics.height() / 2.0, metrics.height() / 2.0);
            painter->setPen(option.palette.color(QPalette::HighlightedText));
        } else {
            painter->setPen(option.palette.color(QPalette::Text));
        }
        painter->drawText(textRect, Qt::AlignCenter, shown);
        painter->restore();
    }

private:
    ImageBrowserView *m_view; // Not owned.
};

ImageBrowserView::ImageBrowserView(QWidget *parent)
    : QListView(parent)
    , m_thumbnails(new ThumbnailCache(this))
    , m_cell(new Cell(this))
{
    setViewMode(QListView::IconMode);
    setMovement(QListView::Static);
    setResizeMode(QListView::Adjust);
    setFlow(QListView::LeftToRight);
    setWrapping(true);
    setUniformItemSizes(true);
    setSpacing(kSpacing);
    setTextElideMode(Qt::ElideMiddle);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
    setFrameShape(QFrame::NoFrame);
    setItemDelegate(m_cell);
    setDragEnabled(true);
    setAcceptDrops(true);
    viewport()->setAcceptDrops(true);
    setDragDropMode(QAbstractItemView::DragDrop);
    setDefaultDropAction(Qt::CopyAction);
    viewport()->setAutoFillBackground(false);

    m_wantedTimer.setSingleShot(true);
    m_wantedTimer.setInterval(0);
    connect(&m_wantedTimer, &QTimer::timeout, this, &ImageBrowserView::updateWantedThumbnails);
    connect(verticalScrollBar(), &QScrollBar::valueChanged, this, &ImageBrowserView::scheduleWanted);
    connect(m_thumbnails, &ThumbnailCache::thumbnailReady, this, &ImageBrowserView::thumbnailArrived);
    connect(this, &QAbstractItemView::doubleClicked, this, [this](const QModelIndex &index) {
        if (index.isValid() && m_delegate.cellWasDoubleClickedAtIndex)
            m_delegate.cellWasDoubleClickedAtIndex(index.row());
    });
    applyZoom();
}

ImageBrowserView::~ImageBrowserView() = default;

// --- Zoom ------------------------------------------------------------------------------------

void ImageBrowserView::setZoomValue(double zoom)
{
    zoom = qMax(kMinimumZoom, zoom);
    if (qFuzzyCompare(zoom, m_zoomValue))
        return;
    m_zoomValue = zoom;
    applyZoom();
}

void ImageBrowserView::magnify(double magnification)
{
    if (magnification > 0) {
        if (m_zoomValue < 1.0)
            setZoomValue(m_zoomValue + magnification);
    } else if (magnification < 0) {
        const double zoom = m_zoomValue + magnification;
        setZoomValue(zoom > kMinimumZoom ? zoom : kMinimumZoom);
    }
}

void ImageBrowserView::magnifyWithEvent(QNativeGestureEvent *event)
{
    magnify(event->value());
    event->accept();
}

int ImageBrowserView::imageEdge() const
{
    return qRound(kFullEdge * m_zoomValue);
}

void ImageBrowserView::applyZoom()
{
    const int edge = imageEdge();
    setIconSize(QSize(edge, edge));
    // The cells are laid out again at their new size.
    scheduleDelayedItemsLayout();
    viewport()->update();
    scheduleWanted();
}

bool ImageBrowserView::viewportEvent(QEvent *event)
{
    if (event->type() == QEvent::NativeGesture) {
        auto *gesture = static_cast<QNativeGestureEvent *>(event);
        if (gesture->gestureType() == Qt::ZoomNativeGesture) {
            magnifyWithEvent(gesture);
            return true;
        }
    }
    return QListView::viewportEvent(event);
}

void ImageBrowserView::wheelEvent(QWheelEvent *event)
{
    if (event->modifiers() & Qt::ControlModifier) {
        // One notch of the wheel is a magnification of 0.1.
        magnify(event->angleDelta().y() / 1200.0);
        event->accept();
        return;
    }
    QListView::wheelEvent(event);
}

// --- Drawing ---------------------------------------------------------------------------------

QColor ImageBrowserView::backgroundColor(const QPalette &palette)
{
    const bool dark = palette.color(QPalette::Base).lightness() < 128;
    return dark ? QColor(38, 40, 44) : QColor::fromRgbF(250 / 255.0f, 250 / 255.0f, 250 / 255.0f, 1);
}

void ImageBrowserView::paintEvent(QPaintEvent *event)
{
    {
        QPainter painter(viewport());
        painter.fillRect(event->rect(), backgroundColor());
    }
    QListView::paintEvent(event);
}

void ImageBrowserView::changeEvent(QEvent *event)
{
    QListView::changeEvent(event);
    if (event->type() == QEvent::PaletteChange)
        viewport()->update();
}

// --- Thumbnails ----------------------------------------------------------------------------------

bool ImageBrowserView::isImagePath(const QString &path)
{
    static const QSet<QString> formats = [] {
        QSet<QString> known;
        for (const QByteArray &format : QImageReader::supportedImageFormats())
            known.insert(QString::fromLatin1(format).toLower());
        return known;
    }();
    const QString suffix = QFileInfo(path).suffix().toLower();
    return !suffix.isEmpty() && formats.contains(suffix);
}

void ImageBrowserView::scheduleWanted()
{
    if (!m_wantedTimer.isActive())
        m_wantedTimer.start();
}

void ImageBrowserView::updateWantedThumbnails()
{
    m_rowOfPath.clear();
    QAbstractItemModel *items = model();
    if (!items) {
        m_thumbnails->setWanted({});
        return;
    }
    const int edge = imageEdge();
    const QRect shown = viewport()->rect();
    const QRect below = shown.translated(0, shown.height());
    const QRect above = shown.translated(0, -shown.height());
    QList<ThumbnailCache::Request> inView;
    QList<ThumbnailCache::Request> after;
    QList<ThumbnailCache::Request> before;
    const int rows = items->rowCount(rootIndex());
    for (int row = 0; row < rows; ++row) {
        const QModelIndex index = items->index(row, 0, rootIndex());
        const QRect cell = visualRect(index);
        QList<ThumbnailCache::Request> *list = cell.intersects(shown) ? &inView
            : cell.intersects(below)                                 ? &after
            : cell.intersects(above)                                 ? &before
                                                                     : nullptr;
        if (!list)
            continue;
        const QString path = index.data(imageUIDRole).toString();
        if (!isImagePath(path))
            continue;
        list->append({path, edge});
        m_rowOfPath.insert(path, row);
    }
    m_thumbnails->setWanted(inView + after + before);
}

void ImageBrowserView::thumbnailArrived(const QString &path)
{
    const int row = m_rowOfPath.value(path, -1);
    if (row < 0 || !model())
        return;
    viewport()->update(visualRect(model()->index(row, 0, rootIndex())));
}

void ImageBrowserView::resizeEvent(QResizeEvent *event)
{
    QListView::resizeEvent(event);
    scheduleWanted();
}

void ImageBrowserView::rowsInserted(const QModelIndex &parent, int start, int end)
{
    QListView::rowsInserted(parent, start, end);
    scheduleWanted();
}

void ImageBrowserView::reset()
{
    QListView::reset();
    scheduleWanted();
}

// --- Dragging ------------------------------------------------------------------------------------

void ImageBrowserView::startDrag(Qt::DropActions)
{
    if (!m_delegate.writeItemsAtIndexes)
        return;
    QList<int> rows;
    for (const QModelIndex &index : selectionModel()->selectedIndexes())
        rows.append(index.row());
    std::sort(rows.begin(), rows.end());
    if (rows.isEmpty())
        return;
    auto *pasteboard = new QMimeData;
    if (m_delegate.writeItemsAtIndexes(rows, pasteboard) <= 0) {
        delete pasteboard;
        return;
    }
    auto *drag = new QDrag(this);
    drag->setMimeData(pasteboard);
    const QString path = model()->index(rows.first(), 0, rootIndex()).data(imageUIDRole).toString();
    QPixmap picture = QPixmap::fromImage(m_thumbnails->thumbnail(path));
    if (picture.isNull())
        picture = model()->index(rows.first(), 0, rootIndex()).data(Qt::DecorationRole).value<QIcon>().pixmap(64, 64);
    if (!picture.isNull()) {
        picture = picture.scaled(96, 96, Qt::KeepAspectRatio, Qt::SmoothTransformation);
        drag->setPixmap(picture);
        drag->setHotSpot(QPoint(picture.width() / 2, picture.height() / 2));
    }
    // The files go out as copies: a program that takes them never takes
    // them away from the project.
    drag->exec(Qt::CopyAction, Qt::CopyAction);
}

void ImageBrowserView::dragEnterEvent(QDragEnterEvent *event)
{
    answerDrag(event, m_delegate.draggingEntered);
}

void ImageBrowserView::dragMoveEvent(QDragMoveEvent *event)
{
    answerDrag(event, m_delegate.draggingUpdated);
}

void ImageBrowserView::answerDrag(QDragMoveEvent *event, const ImageBrowserDelegate::DragQuestion &question)
{
    // The browser's own items dropped back on it stay where they are.
    const Qt::DropAction action = event->source() == this || !question
        ? Qt::IgnoreAction
        : question(event->mimeData(), event->modifiers());
    if (action == Qt::IgnoreAction) {
        event->ignore();
        return;
    }
    event->setDropAction(action);
    event->accept();
}

void ImageBrowserView::dropEvent(QDropEvent *event)
{
    if (event->source() == this || !m_delegate.performDragOperation
        || !m_delegate.performDragOperation(event->mimeData())) {
        event->ignore();
        return;
    }
    // Whatever the drag showed, the files were copied.
    event->setDropAction(Qt::CopyAction);
    event->accept();
}

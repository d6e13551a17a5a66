#pragma once

#include <QHash>
#include <QListView>
#include <QTimer>

#include <functional>

class QMimeData;
class QNativeGestureEvent;
class ThumbnailCache;

// What an image browser asks of the object behind it. Each is optional; an
// empty one is a question not answered, and the browser then does nothing.
struct ImageBrowserDelegate
{
    using DragQuestion = std::function<Qt::DropAction(const QMimeData *pasteboard, Qt::KeyboardModifiers modifiers)>;

    std::function<void(int index)> cellWasDoubleClickedAtIndex;
    // Fills the drag's data with the items; answers how many were written
    // (none cancels the drag).
    std::function<int(const QList<int> &indexes, QMimeData *pasteboard)> writeItemsAtIndexes;
    // Drops of other programs' data onto the browser.
    DragQuestion draggingEntered;
    DragQuestion draggingUpdated;
    std::function<bool(const QMimeData *pasteboard)> performDragOperation;
};

// The thumbnail browser: the items of a list model as pictures in a grid on a
// near-white background (dark on a dark desktop), each with its name below,
// elided in the middle. Items whose image path (imageUIDRole) names a picture
// show it, read off the main thread; other items show their icon. The zoom
// sets the size of the cells: Ctrl with the mouse wheel and the touchpad's
// pinch change it the same way (magnify()). Items are dragged out and other
// programs' files dropped in through the delegate.
class ImageBrowserView : public QListView
{
    Q_OBJECT

public:
    // The role under which the model answers an item's path.
    static constexpr int imageUIDRole = Qt::UserRole + 2;
    static constexpr double kMinimumZoom = 0.3;

    explicit ImageBrowserView(QWidget *parent = nullptr);
    ~ImageBrowserView() override;

    void setDelegate(ImageBrowserDelegate delegate) { m_delegate = std::move(delegate); }
    const ImageBrowserDelegate &delegate() const { return m_delegate; }

    double zoomValue() const { return m_zoomValue; }
    void setZoomValue(double zoom);
    // A pinch, or Ctrl with the wheel, of the given magnification: growing
    // while below 1.0 (one step may end above it), shrinking down to the
    // minimum.
    void magnify(double magnification);
    // The touchpad's pinch.
    void magnifyWithEvent(QNativeGestureEvent *event);
    // The side of a cell's picture at the present zoom.
    int imageEdge() const;

    // The background painted under the cells: near-white, or dark on a
    // dark palette.
    QColor backgroundColor() const { return backgroundColor(palette()); }
    static QColor backgroundColor(const QPalette &palette);

    ThumbnailCache *thumbnails() const { return m_thumbnails; }
    // Whether the path names a picture the browser reads (by its extension).
    static bool isImagePath(const QString &path);
    // The thumbnails wanted now: the cells in view first, then a screen
    // below and one above. Runs by itself after scrolling, resizing and
    // changes of the items.
    void updateWantedThumbnails();

    void reset() override;

protected:
    void paintEvent(QPaintEvent *event) override;
    bool viewportEvent(QEvent *event) override;
    void wheelEvent(QWheelEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void startDrag(Qt::DropActions supportedActions) override;
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dragMoveEvent(QDragMoveEvent *event) override;
    void dropEvent(QDropEvent *event) override;
    void rowsInserted(const QModelIndex &parent, int start, int end) override;
    void changeEvent(QEvent *event) override;

private:
    class Cell;

    void applyZoom();
    // Asks the delegate about a drag over the browser and answers the event.
    void answerDrag(QDragMoveEvent *event, const ImageBrowserDelegate::DragQuestion &question);
    void scheduleWanted();
    void thumbnailArrived(const QString &path);

    ImageBrowserDelegate m_delegate;
    double m_zoomValue = 0.5;
    ThumbnailCache *m_thumbnails; // Owned (child).
    Cell *m_cell;                 // Owned (child).
    QTimer m_wantedTimer;
    // The rows of the wanted paths, for repainting the cell of an arrival.
    QHash<QString, int> m_rowOfPath;
};

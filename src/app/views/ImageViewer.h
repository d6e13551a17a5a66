#pragma once

#include <QImage>
#include <QPoint>
#include <QPointer>
#include <QWidget>

class File;
class QMimeData;

// The centre pane's view of one image file: the picture fitted into the view
// (never enlarged) on the thumbnail browser's background. Dragging it takes
// the file out, as a file, to wherever it is dropped. A picture larger than
// the screen is read at a bounded size; one that cannot be read leaves the
// view empty, with a log line.
class ImageViewer : public QWidget
{
    Q_OBJECT

public:
    // The larger side a picture is read at, at most.
    static constexpr int kMaxEdge = 2560;

    explicit ImageViewer(QWidget *parent = nullptr);
    ~ImageViewer() override;

    File *imageFile() const { return m_imageFile; }
    // Shows the file's picture, read from its address: a local file from
    // disk, a loaded resource from its data.
    void setImageFile(File *file);
    // The picture shown (the image view's image); null when none.
    QImage image() const { return m_image; }

    // The data a drag of the file carries: the file's URL, or null for a
    // file that is not on disk.
    QMimeData *draggingPasteboard() const;

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    QRect imageRect() const;
    void startDrag(const QPoint &pointer);

    QPointer<File> m_imageFile;
    QImage m_image;
    QPoint m_pressPosition;
    bool m_pressed = false;
};

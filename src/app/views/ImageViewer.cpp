#include "ImageViewer.h"

#include "ImageBrowserView.h"

#include "platform/foundation/Log.h"
#include "toolkit/FileDragPasteboard.h"
#include "toolkit/ThumbnailCache.h"
#include "workspace/File.h"

#include <QApplication>
#include <QBuffer>
#include <QDrag>
#include <QImageReader>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>

ImageViewer::ImageViewer(QWidget *parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("imageViewer"));
    setAttribute(Qt::WA_OpaquePaintEvent);
}

ImageViewer::~ImageViewer() = default;

void ImageViewer::setImageFile(File *file)
{
    m_imageFile = file;
    m_image = QImage();
    if (file) {
        QString error;
        if (file->isLocalFile()) {
            m_image = ThumbnailCache::readThumbnail(file->path(), kMaxEdge, &error);
        } else {
            QBuffer data;
            data.setData(file->webResourceData());
            QImageReader reader(&data);
            m_image = ThumbnailCache::readThumbnail(reader, kMaxEdge, &error);
        }
        if (m_image.isNull())
            QM_INFO(QStringLiteral("%1 cannot be shown as a picture: %2").arg(file->path(), error));
    }
    update();
}

QRect ImageViewer::imageRect() const
{
    if (m_image.isNull())
        return {};
    QSize size = m_image.size();
    if (size.width() > width() || size.height() > height())
        size.scale(this->size(), Qt::KeepAspectRatio);
    return {(width() - size.width()) / 2, (height() - size.height()) / 2, size.width(), size.height()};
}

void ImageViewer::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.fillRect(rect(), ImageBrowserView::backgroundColor(palette()));
    if (m_image.isNull())
        return;
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawImage(imageRect(), m_image);
}

void ImageViewer::changeEvent(QEvent *event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::PaletteChange)
        update();
}

QMimeData *ImageViewer::draggingPasteboard() const
{
    if (!m_imageFile || !m_imageFile->isLocalFile() || m_imageFile->path().isEmpty())
        return nullptr;
    auto *pasteboard = new QMimeData;
    FileDragPasteboard::setFileNames(pasteboard, {m_imageFile->path()});
    return pasteboard;
}

void ImageViewer::mousePressEvent(QMouseEvent *event)
{
    m_pressed = event->button() == Qt::LeftButton;
    m_pressPosition = event->position().toPoint();
    QWidget::mousePressEvent(event);
}

void ImageViewer::mouseMoveEvent(QMouseEvent *event)
{
    if (m_pressed && (event->buttons() & Qt::LeftButton)
        && (event->position().toPoint() - m_pressPosition).manhattanLength() >= QApplication::startDragDistance()) {
        m_pressed = false;
        startDrag(event->position().toPoint());
        return;
    }
    QWidget::mouseMoveEvent(event);
}

void ImageViewer::startDrag(const QPoint &)
{
    QMimeData *pasteboard = draggingPasteboard();
    if (!pasteboard)
        return;
    auto *drag = new QDrag(this);
    drag->setMimeData(pasteboard);
    // The picture as shown, its centre under the pointer.
    const QRect shown = imageRect();
    if (!shown.isEmpty()) {
        QSize size = shown.size();
        if (size.width() > 512 || size.height() > 512)
            size.scale(512, 512, Qt::KeepAspectRatio);
        const QPixmap picture = QPixmap::fromImage(m_image.scaled(size, Qt::KeepAspectRatio, Qt::SmoothTransformation));
        drag->setPixmap(picture);
        drag->setHotSpot(QPoint(picture.width() / 2, picture.height() / 2));
    }
    drag->exec(Qt::CopyAction, Qt::CopyAction);
}

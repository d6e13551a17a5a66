#pragma once

// Pictures made up for the thumbnail benchmarks: a sky-and-ground gradient
// with a few discs, different for each seed, so that encoders and decoders
// meet something like a photograph.

#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QRandomGenerator>

inline QImage generatedPicture(const QSize &size, quint32 seed)
{
    QRandomGenerator random(seed);
    QImage picture(size, QImage::Format_RGB32);
    QPainter painter(&picture);
    painter.setRenderHint(QPainter::Antialiasing);
    const QColor sky = QColor::fromHsv(int(random.bounded(360)), 90 + int(random.bounded(80)), 200 + int(random.bounded(55)));
    const QColor ground = QColor::fromHsv(int(random.bounded(360)), 120 + int(random.bounded(100)), 90 + int(random.bounded(90)));
    QLinearGradient gradient(0, 0, 0, size.height());
    gradient.setColorAt(0, sky.lighter(130));
    gradient.setColorAt(0.6, sky);
    gradient.setColorAt(0.61, ground);
    gradient.setColorAt(1, ground.darker(140));
    painter.fillRect(picture.rect(), gradient);
    const int discs = 3 + int(random.bounded(5));
    for (int i = 0; i < discs; ++i) {
        const double radius = size.height() * (0.05 + random.bounded(0.2));
        const QPointF centre(random.bounded(double(size.width())), random.bounded(double(size.height())));
        painter.setPen(Qt::NoPen);
        painter.setBrush(QColor::fromHsv(int(random.bounded(360)), 160, 230, 200));
        painter.drawEllipse(centre, radius, radius);
    }
    painter.end();
    return picture;
}

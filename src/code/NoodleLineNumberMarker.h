#pragma once

#include <QImage>
#include <QPointF>
#include <QPointer>
#include <QVariantMap>

class NoodleLineNumberView;

// An image on one line of the line-number ruler (a breakpoint, an error
// mark): the line counted from 1, the image and the point of the image that
// sits on the line's middle. A value: copies are independent.
class NoodleLineNumberMarker
{
public:
    NoodleLineNumberMarker() = default;
    // The line number is cut to a whole number.
    NoodleLineNumberMarker(NoodleLineNumberView *ruler, double lineNumber, const QImage &image,
                           const QPointF &imageOrigin);

    NoodleLineNumberView *ruler() const { return m_ruler; }
    quint64 lineNumber() const { return m_lineNumber; }
    void setLineNumber(quint64 line) { m_lineNumber = line; }
    QImage image() const { return m_image; }
    QPointF imageOrigin() const { return m_imageOrigin; }

    // Archived as a property list: {"line": the line number}.
    void initWithCoder(const QVariantMap &coder);
    void encodeWithCoder(QVariantMap &coder) const;

private:
    QPointer<NoodleLineNumberView> m_ruler;
    quint64 m_lineNumber = 0;
    QImage m_image;
    QPointF m_imageOrigin;
};

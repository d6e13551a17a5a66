#include "NoodleLineNumberMarker.h"

#include "NoodleLineNumberView.h"

NoodleLineNumberMarker::NoodleLineNumberMarker(NoodleLineNumberView *ruler, double lineNumber, const QImage &image,
                                               const QPointF &imageOrigin)
    : m_ruler(ruler)
    , m_lineNumber(lineNumber > 0 ? quint64(lineNumber) : 0)
    , m_image(image)
    , m_imageOrigin(imageOrigin)
{
}

void NoodleLineNumberMarker::initWithCoder(const QVariantMap &coder)
{
    m_lineNumber = coder.value(QStringLiteral("line")).toULongLong();
}

void NoodleLineNumberMarker::encodeWithCoder(QVariantMap &coder) const
{
    coder.insert(QStringLiteral("line"), QVariant::fromValue(qulonglong(m_lineNumber)));
}

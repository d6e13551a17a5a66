#include "DOMRowMetrics.h"

#include <QFontDatabase>
#include <QFontMetricsF>

DOMRowMetrics DOMRowMetrics::desktop()
{
    DOMRowMetrics metrics;
    metrics.font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    const QFontMetricsF measure(metrics.font);
    metrics.widthOf = [measure](const QString &text) { return measure.horizontalAdvance(text); };
    // One line of the font with a little air, never less than the tree's
    // usual row.
    metrics.lineHeight = qMax(17.0, std::ceil(measure.lineSpacing()) + 2.0);
    return metrics;
}

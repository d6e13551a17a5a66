#include "DOMRowMetrics.h"

#include <QFontDatabase>
#include <QFontMetricsF>
#include <QHash>

#include <cmath>
#include <memory>

DOMRowMetrics DOMRowMetrics::desktop()
{
    DOMRowMetrics metrics;
    metrics.font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    const QFontMetricsF measure(metrics.font);
    // Rows share their texts ("<li>...</li>"), and measuring shapes text:
    // each text is measured once.
    auto widths = std::make_shared<QHash<QString, double>>();
    metrics.widthOf = [measure, widths](const QString &text) {
        if (const auto known = widths->constFind(text); known != widths->cend())
            return known.value();
        if (widths->size() > 65536)
            widths->clear();
        const double width = measure.horizontalAdvance(text);
        widths->insert(text, width);
        return width;
    };
    // One line of the font with a little air, never less than the tree's
    // usual row.
    metrics.lineHeight = qMax(17.0, std::ceil(measure.lineSpacing()) + 2.0);
    return metrics;
}

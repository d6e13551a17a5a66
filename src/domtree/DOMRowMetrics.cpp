#include "DOMRowMetrics.h"

#include <QFontDatabase>
#include <QFontInfo>
#include <QFontMetricsF>
#include <QHash>

#include <cmath>
#include <memory>

namespace {

bool isPrintableAscii(const QString &text)
{
    for (const QChar c : text) {
        if (c.unicode() < 0x20 || c.unicode() > 0x7e)
            return false;
    }
    return true;
}

} // namespace

DOMRowMetrics DOMRowMetrics::desktop()
{
    DOMRowMetrics metrics;
    metrics.font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    const QFontMetricsF measure(metrics.font);
    // Every row shown is measured at each layout of the tree. In a font of
    // fixed pitch a text of printable ASCII is as wide as its characters
    // side by side; any other text is shaped, and each text is measured
    // once (rows share their texts, "<li>...</li>").
    const double advance = QFontInfo(metrics.font).fixedPitch() ? measure.horizontalAdvance(QLatin1Char('x')) : 0;
    auto widths = std::make_shared<QHash<QString, double>>();
    metrics.widthOf = [measure, widths, advance](const QString &text) {
        if (advance > 0 && isPrintableAscii(text))
            return advance * double(text.size());
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

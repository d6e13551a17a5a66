#include "DesktopColors.h"

namespace DesktopColors {

bool isDark(const QPalette &palette)
{
    return palette.color(QPalette::Window).lightnessF() < 0.5;
}

QColor adapted(const QColor &lightColor, const QPalette &palette)
{
    if (!isDark(palette) || !lightColor.isValid())
        return lightColor;
    float h = 0, s = 0, l = 0, a = 0;
    lightColor.getHslF(&h, &s, &l, &a);
    // Turned over around the middle, and kept off pure black so that panes
    // stay apart from the window behind them.
    const float turned = 0.1f + 0.8f * (1.0f - l);
    return QColor::fromHslF(h, s, turned, a);
}

} // namespace DesktopColors

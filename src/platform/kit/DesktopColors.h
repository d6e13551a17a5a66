#pragma once

#include <QColor>
#include <QPalette>

// Colours that follow the desktop's light or dark palette. The program's own
// colours are chosen for a light desktop; on a dark one they are shown with
// their lightness turned over and their hue kept.
namespace DesktopColors {

bool isDark(const QPalette &palette);

// The colour as given on a light palette, turned over on a dark one.
QColor adapted(const QColor &lightColor, const QPalette &palette);

} // namespace DesktopColors

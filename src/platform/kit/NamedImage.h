#pragma once

#include <QColor>
#include <QIcon>
#include <QPixmap>
#include <QString>

// Images of the program by name, as the interface files name them
// ("object.png", "ControllerHeader.pdf", "bg"): the name passes through the
// translations first (the name itself without one), then its base name is
// looked up in the resources' "images" folder as SVG or PNG art of our own.
namespace NamedImage {

// A null pixmap, and one log line per name, when no art has the name.
QPixmap imageNamed(const QString &name);

// The path of the art for a name; empty when there is none.
QString pathForImageNamed(const QString &name);

// A monochrome symbol: the desktop theme's icon when it has one, else our own
// art tinted with the palette's text colour.
QIcon templateImage(const QString &themeName, const QString &fallbackName);

// The pixmap with every opaque pixel in the given colour, alpha kept.
QPixmap tinted(const QPixmap &pixmap, const QColor &color);

} // namespace NamedImage

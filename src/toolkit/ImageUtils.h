#pragma once

#include <QPixmap>

// Operations on images.
namespace ImageUtils {

// A new image of the given size with the whole image drawn stretched into it.
QPixmap resizeTo(const QPixmap &image, const QSize &size);

} // namespace ImageUtils

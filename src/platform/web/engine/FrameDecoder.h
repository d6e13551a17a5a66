#pragma once

#include <QByteArray>
#include <QImage>

// Decodes the browser's screen frames. Its PNGs (8-bit RGB or RGBA, not
// interlaced, no colour chunks) are inflated with libdeflate, many times
// faster than zlib on the long runs of a page's picture; any other picture
// goes to Qt's own reader.
namespace FrameDecoder {

// The picture, RGB32 without alpha and ARGB32 premultiplied with it, so
// that it is drawn as it is; null for data that holds no picture.
QImage decode(const QByteArray &data);
// The browser's PNGs alone: null for any other data, broken or not.
QImage decodeSimplePng(const QByteArray &data);

} // namespace FrameDecoder

// Arbitrary bytes as a screen frame from the browser: the PNG reader
// refuses or builds a picture, never reads outside the data or crashes.

#include "platform/web/engine/FrameDecoder.h"

#include <QByteArray>

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    const QImage image = FrameDecoder::decodeSimplePng(bytes);
    if (!image.isNull())
        (void)image.pixel(image.width() - 1, image.height() - 1);
    return 0;
}

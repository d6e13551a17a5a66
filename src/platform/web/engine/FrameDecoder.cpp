#include "FrameDecoder.h"

#include <QtEndian>

#include <libdeflate.h>

#include <cstring>
#include <cstdlib>
#include <memory>
#include <mutex>
#include <vector>

namespace {

// No frame of the browser comes near this many pixels.
constexpr quint64 kMaxPixels = quint64(1) << 26;

quint32 bigEndian(const uchar *p)
{
    return (quint32(p[0]) << 24) | (quint32(p[1]) << 16) | (quint32(p[2]) << 8) | quint32(p[3]);
}

// Undoes a row's PNG filter in place, for pixels of Size bytes; above is
// the row before, unfiltered (zeros for the first row). The pixel to the
// left is kept in registers: read back from memory, each byte would wait
// for the one stored before it. False for an unknown filter.
template <int Size>
bool unfilter(uchar *row, const uchar *above, qsizetype length, uchar filter)
{
    uchar left[Size] = {};
    uchar upLeft[Size] = {};
    switch (filter) {
    case 0:
        return true;
    case 1:
        for (qsizetype i = 0; i < length; i += Size) {
            for (int k = 0; k < Size; ++k)
                left[k] = row[i + k] = uchar(row[i + k] + left[k]);
        }
        return true;
    case 2: {
        // Sixteen bytes at a time: nothing carries from one byte to the next.
        using Bytes = uchar __attribute__((vector_size(16)));
        qsizetype i = 0;
        for (; i + 16 <= length; i += 16) {
            Bytes here;
            Bytes up;
            std::memcpy(&here, row + i, 16);
            std::memcpy(&up, above + i, 16);
            here += up;
            std::memcpy(row + i, &here, 16);
        }
        for (; i < length; ++i)
            row[i] = uchar(row[i] + above[i]);
        return true;
    }
    case 3:
        for (qsizetype i = 0; i < length; i += Size) {
            for (int k = 0; k < Size; ++k)
                left[k] = row[i + k] = uchar(row[i + k] + ((left[k] + above[i + k]) >> 1));
        }
        return true;
    case 4:
        for (qsizetype i = 0; i < length; i += Size) {
            for (int k = 0; k < Size; ++k) {
                const int a = left[k];
                const int b = above[i + k];
                const int c = upLeft[k];
                const int pa = std::abs(b - c);
                const int pb = std::abs(a - c);
                const int pc = std::abs(a + b - 2 * c);
                const int nearest = pb <= pc ? b : c;
                left[k] = row[i + k] = uchar(row[i + k] + (pa <= pb && pa <= pc ? a : nearest));
                upLeft[k] = uchar(b);
            }
        }
        return true;
    default:
        return false;
    }
}

struct DecompressorDeleter
{
    void operator()(libdeflate_decompressor *decompressor) const { libdeflate_free_decompressor(decompressor); }
};

} // namespace

QImage FrameDecoder::decodeSimplePng(const QByteArray &data)
{
    static constexpr char kSignature[] = "\x89PNG\r\n\x1a\n";
    if (data.size() < 8 || std::memcmp(data.constData(), kSignature, 8) != 0)
        return {};
    const auto *bytes = reinterpret_cast<const uchar *>(data.constData());
    quint32 width = 0;
    quint32 height = 0;
    int channels = 0;
    bool ended = false;
    // The compressed stream, its chunks joined.
    QByteArray stream;
    stream.reserve(data.size());
    qsizetype at = 8;
    while (!ended && at + 12 <= data.size()) {
        const quint32 length = bigEndian(bytes + at);
        if (length > quint64(data.size() - at - 12))
            return {};
        const QByteArrayView type(data.constData() + at + 4, 4);
        const uchar *body = bytes + at + 8;
        if (type == "IHDR") {
            if (length != 13 || channels)
                return {};
            width = bigEndian(body);
            height = bigEndian(body + 4);
            const uchar depth = body[8];
            const uchar colour = body[9];
            if (depth != 8 || (colour != 2 && colour != 6) || body[10] != 0 || body[11] != 0 || body[12] != 0)
                return {};
            if (width == 0 || height == 0 || quint64(width) * height > kMaxPixels)
                return {};
            channels = colour == 6 ? 4 : 3;
        } else if (type == "IDAT") {
            if (!channels)
                return {};
            stream.append(data.constData() + at + 8, length);
        } else if (type == "IEND") {
            ended = true;
        } else if (!(type.at(0) & 0x20) || type == "gAMA" || type == "cHRM" || type == "iCCP" || type == "sBIT"
                   || type == "tRNS") {
            // A palette or another critical chunk, colour management or a
            // transparent colour: Qt's reader.
            return {};
        }
        at += 12 + qsizetype(length);
    }
    if (!ended || !channels || stream.isEmpty())
        return {};

    const qsizetype stride = qsizetype(width) * channels + 1;
    // Deflate makes at most 1,032 bytes of one: a stream too short for the
    // picture is refused before anything is allocated for it.
    if (quint64(stride) * height > quint64(stream.size()) * 1032)
        return {};
    // One buffer kept for the next frame, whichever thread decodes it: a
    // fresh one costs its pages' faults every time. A frame decoded while
    // another is takes a buffer of its own.
    // (Never destroyed: a worker may still decode while statics go at exit.)
    static auto *keptMutex = new std::mutex;
    static auto *kept = new std::vector<uchar>;
    std::unique_lock keptLock(*keptMutex, std::try_to_lock);
    std::vector<uchar> own;
    std::vector<uchar> &raw = keptLock.owns_lock() ? *kept : own;
    raw.resize(size_t(stride) * height + 1);
    static thread_local std::unique_ptr<libdeflate_decompressor, DecompressorDeleter> decompressor(libdeflate_alloc_decompressor());
    if (!decompressor)
        return {};
    size_t inflated = 0;
    const size_t expected = size_t(stride) * height;
    if (libdeflate_zlib_decompress(decompressor.get(), stream.constData(), size_t(stream.size()), raw.data(), expected, &inflated)
            != LIBDEFLATE_SUCCESS
        || inflated != expected)
        return {};

    QImage image(int(width), int(height), channels == 4 ? QImage::Format_ARGB32_Premultiplied : QImage::Format_RGB32);
    if (image.isNull())
        return {};
    // The row above the first is zeros.
    const std::vector<uchar> zeros(size_t(stride), 0);
    const uchar *above = zeros.data();
    for (quint32 y = 0; y < height; ++y) {
        uchar *row = raw.data() + qsizetype(y) * stride;
        if (!(channels == 3 ? unfilter<3>(row + 1, above, stride - 1, row[0]) : unfilter<4>(row + 1, above, stride - 1, row[0])))
            return {};
        const uchar *in = row + 1;
        auto *out = reinterpret_cast<QRgb *>(image.scanLine(int(y)));
        if (channels == 3) {
            // Four bytes read at once, the fourth the next pixel's (the
            // buffer has one to spare after the last row).
            for (quint32 x = 0; x < width; ++x, in += 3) {
                quint32 bytes;
                std::memcpy(&bytes, in, 4);
                bytes = qFromBigEndian(bytes);
                out[x] = 0xff000000u | (bytes >> 8);
            }
        } else {
            for (quint32 x = 0; x < width; ++x, in += 4) {
                const QRgb pixel = qRgba(in[0], in[1], in[2], in[3]);
                out[x] = in[3] == 255 ? pixel : qPremultiply(pixel);
            }
        }
        above = row + 1;
    }
    return image;
}

QImage FrameDecoder::decode(const QByteArray &data)
{
    QImage image = decodeSimplePng(data);
    if (!image.isNull())
        return image;
    image = QImage::fromData(data);
    if (image.format() == QImage::Format_ARGB32)
        image.convertTo(QImage::Format_ARGB32_Premultiplied);
    return image;
}

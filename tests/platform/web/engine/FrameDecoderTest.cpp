#include "platform/web/engine/FrameDecoder.h"

#include <QBuffer>
#include <QImageWriter>
#include <QRandomGenerator>

#include <gtest/gtest.h>

namespace FrameDecoderTest {

namespace {

QByteArray png(const QImage &image)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "png");
    EXPECT_TRUE(writer.write(image)) << writer.errorString().toStdString();
    return bytes;
}

// Flat areas, gradients and noise, so that the writer picks every filter.
QImage picture(QImage::Format format)
{
    QImage image(173, 91, format);
    QRandomGenerator random(7);
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const int alpha = format == QImage::Format_RGB32 ? 255 : (x < 40 ? 255 : (x * 7 + y) % 256);
            QRgb pixel = qRgba(x * 3 % 256, y * 5 % 256, (x ^ y) % 256, alpha);
            if (y % 13 < 4)
                pixel = qRgba(10, 20, 30, alpha);
            else if (x % 17 > 11)
                pixel = qRgba(random.bounded(256), random.bounded(256), random.bounded(256), alpha);
            image.setPixel(x, y, pixel);
        }
    }
    return image;
}

quint32 crc32(const QByteArray &bytes)
{
    quint32 crc = 0xffffffffu;
    for (const char byte : bytes) {
        crc ^= uchar(byte);
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc >> 1) ^ (0xedb88320u & (0u - (crc & 1u)));
    }
    return ~crc;
}

void appendChunk(QByteArray &png, const char *type, const QByteArray &body)
{
    const auto bigEndian = [](quint32 value) {
        const char bytes[] = {char(value >> 24), char(value >> 16), char(value >> 8), char(value)};
        return QByteArray(bytes, 4);
    };
    const QByteArray typed = QByteArray(type) + body;
    png += bigEndian(quint32(body.size())) + typed + bigEndian(crc32(typed));
}

// An RGB PNG written by hand, row y with filter y % 5, so that every filter
// is read (a writer picks its own).
QByteArray everyFilterPng(const QImage &image)
{
    const int width = image.width();
    const qsizetype length = qsizetype(width) * 3;
    QByteArray raw;
    QByteArray above(length, 0);
    for (int y = 0; y < image.height(); ++y) {
        QByteArray row;
        for (int x = 0; x < width; ++x) {
            const QRgb pixel = image.pixel(x, y);
            row += char(qRed(pixel));
            row += char(qGreen(pixel));
            row += char(qBlue(pixel));
        }
        const int filter = y % 5;
        raw += char(filter);
        for (qsizetype i = 0; i < length; ++i) {
            const int a = i >= 3 ? uchar(row.at(i - 3)) : 0;
            const int b = y > 0 ? uchar(above.at(i)) : 0;
            const int c = i >= 3 && y > 0 ? uchar(above.at(i - 3)) : 0;
            const int pa = std::abs(b - c);
            const int pb = std::abs(a - c);
            const int pc = std::abs(a + b - 2 * c);
            const int predicted[] = {0, a, b, (a + b) / 2, pa <= pb && pa <= pc ? a : pb <= pc ? b : c};
            raw += char(uchar(row.at(i)) - predicted[filter]);
        }
        above = row;
    }
    QByteArray png("\x89PNG\r\n\x1a\n", 8);
    QByteArray header(13, 0);
    header[2] = char(width >> 8);
    header[3] = char(width);
    header[6] = char(image.height() >> 8);
    header[7] = char(image.height());
    header[8] = 8;
    header[9] = 2;
    appendChunk(png, "IHDR", header);
    // qCompress() puts the length before the zlib stream.
    appendChunk(png, "IDAT", qCompress(raw).mid(4));
    appendChunk(png, "IEND", {});
    return png;
}

// What the frame view drew before: Qt's reader, premultiplied.
QImage byQt(const QByteArray &data)
{
    QImage image = QImage::fromData(data);
    if (image.format() == QImage::Format_ARGB32)
        image.convertTo(QImage::Format_ARGB32_Premultiplied);
    return image;
}

} // namespace

TEST(FrameDecoder, OpaqueAndTranslucentPicturesReadAsQtReadsThem)
{
    for (const QImage::Format format : {QImage::Format_RGB32, QImage::Format_ARGB32}) {
        const QByteArray data = png(picture(format));
        const QImage fast = FrameDecoder::decodeSimplePng(data);
        ASSERT_FALSE(fast.isNull()) << format;
        const QImage reference = byQt(data);
        EXPECT_EQ(fast.format(), reference.format());
        EXPECT_EQ(fast, reference) << format;
        EXPECT_EQ(FrameDecoder::decode(data), reference);
    }
}

TEST(FrameDecoder, EveryRowFilterIsUndone)
{
    const QImage image = picture(QImage::Format_RGB32);
    const QByteArray data = everyFilterPng(image);
    const QImage fast = FrameDecoder::decodeSimplePng(data);
    ASSERT_FALSE(fast.isNull());
    EXPECT_EQ(fast, byQt(data));
    EXPECT_EQ(fast, image);
}

TEST(FrameDecoder, OtherPicturesGoToQtsReaderAndBrokenOnesToNothing)
{
    // A palette and 16 bits a channel are not the browser's frames.
    QImage indexed = picture(QImage::Format_RGB32).convertToFormat(QImage::Format_Indexed8);
    QImage deep = picture(QImage::Format_ARGB32).convertToFormat(QImage::Format_RGBA64);
    for (const QImage &image : {indexed, deep}) {
        const QByteArray data = png(image);
        EXPECT_TRUE(FrameDecoder::decodeSimplePng(data).isNull());
        EXPECT_EQ(FrameDecoder::decode(data), byQt(data));
        EXPECT_FALSE(FrameDecoder::decode(data).isNull());
    }

    // A colour made transparent is Qt's reader's to draw.
    QByteArray transparent = everyFilterPng(picture(QImage::Format_RGB32));
    QByteArray colour;
    appendChunk(colour, "tRNS", QByteArray("\0\x0a\0\x14\0\x1e", 6));
    transparent.insert(transparent.indexOf("IDAT") - 4, colour);
    EXPECT_TRUE(FrameDecoder::decodeSimplePng(transparent).isNull());
    EXPECT_EQ(FrameDecoder::decode(transparent), byQt(transparent));

    const QByteArray good = png(picture(QImage::Format_RGB32));
    // Cut short anywhere, or with its stream damaged, or a chunk claiming
    // more than there is: no picture, and nothing read past the data.
    for (const qsizetype size : {qsizetype(0), qsizetype(8), qsizetype(40), good.size() / 2, good.size() - 13})
        EXPECT_TRUE(FrameDecoder::decodeSimplePng(good.left(size)).isNull()) << size;
    QByteArray damaged = good;
    const qsizetype stream = damaged.indexOf("IDAT") + 4;
    for (qsizetype i = stream + 2; i < stream + 60 && i < damaged.size(); ++i)
        damaged[i] = char(damaged.at(i) ^ 0x5a);
    EXPECT_TRUE(FrameDecoder::decodeSimplePng(damaged).isNull());
    QByteArray huge = good;
    huge[stream - 8] = char(0x7f);
    EXPECT_TRUE(FrameDecoder::decodeSimplePng(huge).isNull());
    EXPECT_TRUE(FrameDecoder::decode(QByteArray("not a picture")).isNull());
}

} // namespace FrameDecoderTest

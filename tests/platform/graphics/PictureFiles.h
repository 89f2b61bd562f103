#pragma once
// Picture files made byte by byte for the tests: bitmap files of every depth and compression, icon
// files with bitmap or PNG images, small JPEG and PNG images.
#include <QBuffer>
#include <QImage>
#include <cstdint>
#include <functional>
#include <vector>

#include "platform/graphics/JpegImage.h"

namespace picturetest {

using Bytes = std::vector<uint8_t>;

inline void Put16(Bytes& b, uint16_t v) {
    b.push_back(uint8_t(v)), b.push_back(uint8_t(v >> 8));
}
inline void Put32(Bytes& b, uint32_t v) { Put16(b, uint16_t(v)), Put16(b, uint16_t(v >> 16)); }
inline void Set32(Bytes& b, size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) b[at + i] = uint8_t(v >> (8 * i));
}
inline void Set16BigEndian(Bytes& b, size_t at, uint16_t v) { b[at] = uint8_t(v >> 8), b[at + 1] = uint8_t(v); }
inline Bytes Cat(Bytes a, const Bytes& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

// Rows of `bitCount`-bit values (top row first), stored bottom-up (or top-down) and padded to 32 bits.
inline Bytes PackRows(int width, int height, int bitCount, const std::function<uint32_t(int, int)>& value,
                      bool topDown = false) {
    const size_t stride = size_t((width * bitCount + 31) / 32) * 4;
    Bytes bits(stride * height, 0);
    for (int y = 0; y < height; ++y) {
        uint8_t* row = bits.data() + stride * size_t(topDown ? y : height - 1 - y);
        for (int x = 0; x < width; ++x) {
            const uint32_t v = value(x, y);
            if (bitCount < 8) {
                const int shift = 8 - bitCount * (x % (8 / bitCount) + 1);
                row[x * bitCount / 8] |= uint8_t(v << shift);
            } else {
                for (int i = 0; i < bitCount / 8; ++i) row[x * bitCount / 8 + i] = uint8_t(v >> (8 * i));
            }
        }
    }
    return bits;
}

// A packed bitmap: info header (40 bytes, or the 12-byte core header), masks, colour table, bits.
struct Dib {
    int32_t width = 0, height = 0;  // height negative: top-down
    uint16_t bitCount = 24;
    uint32_t compression = 0;
    std::vector<QRgb> palette;
    std::vector<uint32_t> masks;  // after a 40-byte header (BI_BITFIELDS)
    bool core = false;
    uint32_t headerSize = 40;  // larger: a V4/V5 header, zero-filled after the masks
    Bytes bits;

    Bytes Info() const {
        Bytes b;
        if (core) {
            Put32(b, 12), Put16(b, uint16_t(width)), Put16(b, uint16_t(height)), Put16(b, 1), Put16(b, bitCount);
        } else {
            Put32(b, headerSize), Put32(b, uint32_t(width)), Put32(b, uint32_t(height)), Put16(b, 1);
            Put16(b, bitCount), Put32(b, compression), Put32(b, uint32_t(bits.size()));
            Put32(b, 3780), Put32(b, 3780), Put32(b, uint32_t(palette.size())), Put32(b, 0);
            for (uint32_t m : masks) Put32(b, m);
            if (headerSize > 40) b.resize(headerSize, 0);
        }
        for (QRgb c : palette) {
            b.push_back(uint8_t(qBlue(c))), b.push_back(uint8_t(qGreen(c))), b.push_back(uint8_t(qRed(c)));
            if (!core) b.push_back(0);
        }
        return b;
    }
    Bytes Packed() const { return Cat(Info(), bits); }
    // The file form: "BM", the file size, two reserved words and the offset of the bits.
    Bytes File() const {
        const Bytes info = Info();
        Bytes b = {'B', 'M'};
        Put32(b, uint32_t(14 + info.size() + bits.size())), Put32(b, 0), Put32(b, uint32_t(14 + info.size()));
        return Cat(Cat(b, info), bits);
    }
};

// An icon file of the given images (packed bitmaps of twice the height, or PNG files).
struct IconEntry {
    int width, height, bitCount;
    Bytes payload;
};
inline Bytes IconFile(const std::vector<IconEntry>& entries) {
    Bytes b;
    Put16(b, 0), Put16(b, 1), Put16(b, uint16_t(entries.size()));
    uint32_t offset = uint32_t(6 + 16 * entries.size());
    for (const IconEntry& e : entries) {
        b.push_back(uint8_t(e.width & 0xFF)), b.push_back(uint8_t(e.height & 0xFF));
        b.push_back(0), b.push_back(0);  // colour count, reserved
        Put16(b, 1), Put16(b, uint16_t(e.bitCount));
        Put32(b, uint32_t(e.payload.size())), Put32(b, offset);
        offset += uint32_t(e.payload.size());
    }
    for (const IconEntry& e : entries) b = Cat(b, e.payload);
    return b;
}

// The colour bits of an icon image (bottom-up) followed by its AND mask: `transparent` pixels
// have their mask bit set.
inline Bytes IconBits(int size, int bitCount, const std::function<uint32_t(int, int)>& value,
                      const std::function<bool(int, int)>& transparent) {
    return Cat(PackRows(size, size, bitCount, value),
               PackRows(size, size, 1, [&](int x, int y) { return transparent(x, y) ? 1u : 0u; }));
}

inline Bytes PngFile(const QImage& image) {
    QByteArray data;
    QBuffer buffer(&data);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return Bytes(data.begin(), data.end());
}

// An image of four quadrants: red, green (top); blue, white (bottom).
inline QImage Quadrants(int width, int height) {
    QImage image(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const bool right = x >= width / 2, bottom = y >= height / 2;
            image.setPixel(x, y, bottom ? (right ? 0xFFFFFFFF : 0xFF0000FF) : (right ? 0xFF00FF00 : 0xFFFF0000));
        }
    return image;
}

// A small JPEG image whose frame header claims another size.
inline Bytes JpegClaiming(uint16_t width, uint16_t height) {
    Bytes jpeg = tessaly::graphics::EncodeJpeg(Quadrants(16, 16));
    for (size_t i = 2; i + 9 < jpeg.size(); ++i)
        if (jpeg[i] == 0xFF && jpeg[i + 1] == 0xC0) {  // start of frame: length, precision, height, width
            Set16BigEndian(jpeg, i + 5, height);
            Set16BigEndian(jpeg, i + 7, width);
            break;
        }
    return jpeg;
}

// Colours equal within a JPEG's tolerance.
inline bool Near(QRgb a, QRgb b, int tolerance = 24) {
    return std::abs(qRed(a) - qRed(b)) <= tolerance && std::abs(qGreen(a) - qGreen(b)) <= tolerance &&
           std::abs(qBlue(a) - qBlue(b)) <= tolerance;
}

}  // namespace picturetest

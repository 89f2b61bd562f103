#include "platform/emf/EmfBitmap.h"

#include <QBuffer>
#include <QImageReader>
#include <algorithm>
#include <bit>
#include <cstring>

namespace tessaly::emf {

namespace {

uint16_t U16(std::span<const uint8_t> b, size_t at) {
    return at + 2 <= b.size() ? uint16_t(b[at] | (b[at + 1] << 8)) : 0;
}

uint32_t U32(std::span<const uint8_t> b, size_t at) {
    if (at + 4 > b.size()) return 0;
    return uint32_t(b[at]) | (uint32_t(b[at + 1]) << 8) | (uint32_t(b[at + 2]) << 16) |
           (uint32_t(b[at + 3]) << 24);
}

bool Fail(std::string* why, const char* text) {
    if (why) *why = text;
    return false;
}

// One channel of a bit-field pixel, scaled to 8 bits.
struct Channel {
    uint32_t mask = 0;
    int shift = 0;
    int bits = 0;
    explicit Channel(uint32_t m) : mask(m) {
        if (!m) return;
        shift = std::countr_zero(m);
        bits = std::popcount(m);
    }
    uint32_t Get(uint32_t px, uint32_t absent) const {
        if (!mask) return absent;
        uint32_t v = (px & mask) >> shift;
        if (bits >= 8) return v >> (bits - 8);
        return v * 255 / ((1u << bits) - 1);
    }
};

QVector<QRgb> ColourTable(std::span<const uint8_t> info, const DibHeader& h, const DibDecodeOptions& o) {
    QVector<QRgb> table(256, qRgb(0, 0, 0));
    const uint32_t count = std::min<uint32_t>(h.colourCount, 256);
    for (uint32_t i = 0; i < count; ++i) {
        if (o.usage == DIB_PAL_COLORS) {
            size_t at = h.colourTableOffset + size_t(i) * 2;
            if (at + 2 > info.size()) break;
            const QVector<QRgb>& pal = o.palette && !o.palette->isEmpty() ? *o.palette : DefaultPalette();
            uint16_t index = U16(info, at);
            table[i] = index < pal.size() ? pal[index] : pal.last();
        } else {
            size_t at = h.colourTableOffset + size_t(i) * h.colourEntrySize;
            if (at + 3 > info.size()) break;
            table[i] = qRgb(info[at + 2], info[at + 1], info[at]);
        }
    }
    return table;
}

// Uncompressed scan lines in bottom-up or top-down order into a top-down image.
QImage DecodePlain(std::span<const uint8_t> info, std::span<const uint8_t> bits, const DibHeader& h,
                   const DibDecodeOptions& o, std::string* why) {
    const int64_t stride = DibStride(h.width, h.bitCount);
    const int64_t lastLine = (int64_t(h.width) * h.bitCount + 7) / 8;
    if (!PlainBitsPresent(h, bits.size())) {
        Fail(why, "bitmap bits shorter than the header claims");
        return {};
    }
    auto row = [&](int y) { return bits.data() + stride * (h.topDown ? y : h.height - 1 - y); };
    QImage img;
    if (h.bitCount <= 8) {
        QVector<QRgb> table = ColourTable(info, h, o);
        if (h.bitCount == 1 && o.keepMono) {
            img = QImage(h.width, h.height, QImage::Format_Mono);
            if (img.isNull()) return {};
            img.setColorTable({table[0], table[1]});
            for (int y = 0; y < h.height; ++y) std::memcpy(img.scanLine(y), row(y), size_t(lastLine));
            return img;
        }
        img = QImage(h.width, h.height, QImage::Format_Indexed8);
        if (img.isNull()) return {};
        img.setColorTable(table);
        const int per = 8 / h.bitCount;
        const uint8_t mask = uint8_t((1 << h.bitCount) - 1);
        for (int y = 0; y < h.height; ++y) {
            const uint8_t* src = row(y);
            uint8_t* dst = img.scanLine(y);
            if (h.bitCount == 8) {
                std::memcpy(dst, src, size_t(h.width));
                continue;
            }
            for (int x = 0; x < h.width; ++x) {
                int shift = 8 - h.bitCount * (x % per + 1);
                dst[x] = (src[x / per] >> shift) & mask;
            }
        }
        return img;
    }
    const bool alpha = o.keepAlpha && h.bitCount == 32;
    const bool straight = alpha && o.straightAlpha;
    img = QImage(h.width, h.height,
                 straight ? QImage::Format_ARGB32 : alpha ? QImage::Format_ARGB32_Premultiplied : QImage::Format_RGB32);
    if (img.isNull()) return {};
    const bool fields = h.compression == BI_BITFIELDS || h.compression == BI_ALPHABITFIELDS;
    uint32_t m[4] = {h.masks[0], h.masks[1], h.masks[2], h.masks[3]};
    if (!fields) {
        if (h.bitCount == 16) { m[0] = 0x7C00; m[1] = 0x03E0; m[2] = 0x001F; m[3] = 0; }
        else { m[0] = 0xFF0000; m[1] = 0xFF00; m[2] = 0xFF; m[3] = alpha ? 0xFF000000u : 0; }
    }
    const Channel r(m[0]), g(m[1]), b(m[2]), a(m[3]);
    for (int y = 0; y < h.height; ++y) {
        const uint8_t* src = row(y);
        auto* dst = reinterpret_cast<QRgb*>(img.scanLine(y));
        for (int x = 0; x < h.width; ++x) {
            if (h.bitCount == 24) {
                const uint8_t* p = src + x * 3;
                dst[x] = qRgb(p[2], p[1], p[0]);
                continue;
            }
            uint32_t px = h.bitCount == 16 ? uint32_t(src[x * 2] | (src[x * 2 + 1] << 8))
                                           : uint32_t(src[x * 4]) | (uint32_t(src[x * 4 + 1]) << 8) |
                                                 (uint32_t(src[x * 4 + 2]) << 16) | (uint32_t(src[x * 4 + 3]) << 24);
            uint32_t av = a.Get(px, 255);
            if (!alpha) av = 255;
            // Premultiplied components above their alpha would overflow when composed.
            const uint32_t top = straight ? 255 : av;
            dst[x] = qRgba(std::min(r.Get(px, 0), top), std::min(g.Get(px, 0), top), std::min(b.Get(px, 0), top), av);
        }
    }
    return img;
}

// Run-length encoded 4- or 8-bit images (always bottom-up).
QImage DecodeRle(std::span<const uint8_t> info, std::span<const uint8_t> bits, const DibHeader& h,
                 const DibDecodeOptions& o, std::string* why) {
    if (h.topDown) {
        Fail(why, "compressed bitmap cannot be top-down");
        return {};
    }
    if (!CompressedSizeJustified(h.width, h.height, bits.size())) {
        Fail(why, "compressed bitmap larger than its bits can describe");
        return {};
    }
    QVector<QRgb> table = ColourTable(info, h, o);
    QImage img(h.width, h.height, QImage::Format_ARGB32);
    if (img.isNull()) return {};
    img.fill(Qt::transparent);
    const bool four = h.compression == BI_RLE4;
    int x = 0, y = 0;  // y counts from the bottom line
    auto put = [&](uint8_t index) {
        if (x < h.width && y < h.height)
            reinterpret_cast<QRgb*>(img.scanLine(h.height - 1 - y))[x] = table[index];
        ++x;
    };
    size_t i = 0;
    while (i + 1 < bits.size() && y < h.height) {
        uint8_t count = bits[i], value = bits[i + 1];
        i += 2;
        if (count > 0) {
            for (int k = 0; k < count && x < h.width; ++k)
                put(four ? ((k & 1) ? value & 0x0F : value >> 4) : value);
            continue;
        }
        if (value == 0) { x = 0; ++y; continue; }
        if (value == 1) break;
        if (value == 2) {
            if (i + 2 > bits.size()) break;
            x += bits[i];
            y += bits[i + 1];
            i += 2;
            continue;
        }
        // Absolute run of `value` pixels, padded to a 16-bit boundary.
        size_t bytes = four ? (value + 1) / 2 : value;
        if (i + bytes > bits.size()) break;
        for (int k = 0; k < value; ++k)
            put(four ? ((k & 1) ? bits[i + k / 2] & 0x0F : bits[i + k / 2] >> 4) : bits[i + k]);
        i += (bytes + 1) & ~size_t(1);
    }
    return img;
}

QImage DecodeEmbedded(std::span<const uint8_t> bits, const DibHeader& h, std::string* why) {
    size_t size = h.imageSize ? std::min<size_t>(h.imageSize, bits.size()) : bits.size();
    QByteArray data(reinterpret_cast<const char*>(bits.data()), qsizetype(size));
    QBuffer buffer(&data);
    QImageReader reader(&buffer, h.compression == BI_PNG ? "png" : "jpeg");
    QSize sz = reader.size();
    if (!sz.isValid() || int64_t(sz.width()) * sz.height() > kMaxDibPixels ||
        !CompressedSizeJustified(sz.width(), sz.height(), size)) {
        Fail(why, "embedded picture unreadable or too large");
        return {};
    }
    QImage img = reader.read();
    if (img.isNull()) Fail(why, "embedded picture unreadable");
    return img;
}

}  // namespace

bool CompressedSizeJustified(int64_t width, int64_t height, size_t bitsSize) {
    const int64_t pixels = width * height;
    return pixels <= kCompressedPixelsAlways || pixels / kCompressedPixelsPerByte <= int64_t(bitsSize);
}

int64_t DibStride(int64_t width, int bitCount) {
    if (width <= 0 || bitCount <= 0 || width > (int64_t(1) << 32)) return 0;
    return ((width * bitCount + 31) / 32) * 4;
}

bool PlainBitsPresent(const DibHeader& h, size_t bitsSize) {
    const int64_t stride = DibStride(h.width, h.bitCount);
    // The last line may lack its padding; everything before it must be there.
    const int64_t lastLine = (int64_t(h.width) * h.bitCount + 7) / 8;
    return stride != 0 && h.height > 0 && int64_t(bitsSize) >= stride * (h.height - 1) + lastLine;
}

uint64_t PackedBitsOffset(const DibHeader& h) {
    return uint64_t(h.colourTableOffset) + uint64_t(h.colourCount) * h.colourEntrySize;
}

bool ReadDibHeader(std::span<const uint8_t> info, DibHeader& h, std::string* why) {
    h = DibHeader{};
    if (info.size() < 12) return Fail(why, "bitmap header too short");
    h.headerSize = U32(info, 0);
    int64_t height = 0;
    if (h.headerSize == 12) {
        h.width = U16(info, 4);
        height = U16(info, 6);
        h.bitCount = U16(info, 10);
        h.colourEntrySize = 3;
    } else {
        if (h.headerSize < 40 || info.size() < 40) return Fail(why, "bitmap header too short");
        h.width = int32_t(U32(info, 4));
        height = int32_t(U32(info, 8));
        h.bitCount = U16(info, 14);
        h.compression = U32(info, 16);
        h.imageSize = U32(info, 20);
        h.colourCount = U32(info, 32);
    }
    if (height < 0) {
        h.topDown = true;
        height = -height;
    }
    if (h.width <= 0 || height <= 0) return Fail(why, "bitmap without pixels");
    if (height > INT32_MAX) return Fail(why, "bitmap height out of range");
    h.height = int32_t(height);
    if (int64_t(h.width) * h.height > kMaxDibPixels) return Fail(why, "bitmap too large");

    h.colourTableOffset = std::min<uint32_t>(h.headerSize, uint32_t(info.size()));
    switch (h.compression) {
    case BI_RGB:
        if (h.bitCount != 1 && h.bitCount != 4 && h.bitCount != 8 && h.bitCount != 16 && h.bitCount != 24 &&
            h.bitCount != 32)
            return Fail(why, "unsupported bit count");
        break;
    case BI_RLE8:
        if (h.bitCount != 8) return Fail(why, "RLE8 needs 8 bits per pixel");
        break;
    case BI_RLE4:
        if (h.bitCount != 4) return Fail(why, "RLE4 needs 4 bits per pixel");
        break;
    case BI_BITFIELDS:
    case BI_ALPHABITFIELDS: {
        if (h.bitCount != 16 && h.bitCount != 32) return Fail(why, "bit fields need 16 or 32 bits per pixel");
        const int count = h.compression == BI_ALPHABITFIELDS ? 4 : 3;
        if (h.headerSize == 40) {
            if (info.size() < size_t(40 + 4 * count)) return Fail(why, "bit-field masks missing");
            for (int k = 0; k < count; ++k) h.masks[k] = U32(info, 40 + 4 * k);
            h.colourTableOffset = 40 + 4 * count;
        } else {
            for (int k = 0; k < 4; ++k)
                if (40 + 4 * k + 4 <= int(h.headerSize)) h.masks[k] = U32(info, 40 + 4 * k);
        }
        break;
    }
    case BI_JPEG:
    case BI_PNG:
        break;
    default:
        return Fail(why, "unknown bitmap compression");
    }
    if (h.bitCount <= 8 && h.bitCount > 0) {
        const uint32_t full = 1u << h.bitCount;
        if (h.colourCount == 0 || h.colourCount > full) h.colourCount = full;
    }
    return true;
}

QImage DecodeDib(std::span<const uint8_t> info, std::span<const uint8_t> bits, const DibDecodeOptions& options,
                 std::string* why) {
    DibHeader h;
    if (!ReadDibHeader(info, h, why)) return {};
    switch (h.compression) {
    case BI_RLE8:
    case BI_RLE4:
        return DecodeRle(info, bits, h, options, why);
    case BI_JPEG:
    case BI_PNG:
        return DecodeEmbedded(bits, h, why);
    default:
        return DecodePlain(info, bits, h, options, why);
    }
}

const QVector<QRgb>& DefaultPalette() {
    static const QVector<QRgb> colours = {
        qRgb(0, 0, 0),       qRgb(128, 0, 0),     qRgb(0, 128, 0),     qRgb(128, 128, 0),   qRgb(0, 0, 128),
        qRgb(128, 0, 128),   qRgb(0, 128, 128),   qRgb(192, 192, 192), qRgb(192, 220, 192), qRgb(166, 202, 240),
        qRgb(255, 251, 240), qRgb(160, 160, 164), qRgb(128, 128, 128), qRgb(255, 0, 0),     qRgb(0, 255, 0),
        qRgb(255, 255, 0),   qRgb(0, 0, 255),     qRgb(255, 0, 255),   qRgb(0, 255, 255),   qRgb(255, 255, 255)};
    return colours;
}

}  // namespace tessaly::emf

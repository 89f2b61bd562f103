#include "platform/graphics/PngImage.h"

#include <QByteArray>
#include <algorithm>

#include "platform/graphics/PictureErrors.h"

namespace tessaly::graphics {

namespace {

constexpr uint8_t kSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};

uint32_t BigEndian32(std::span<const uint8_t> b, size_t at) {
    return (uint32_t(b[at]) << 24) | (uint32_t(b[at + 1]) << 16) | (uint32_t(b[at + 2]) << 8) | b[at + 3];
}

bool IsChunk(std::span<const uint8_t> type, const char* name) { return std::equal(type.begin(), type.end(), name); }

// The file with only the chunks that make the pixels (header, palette, transparency, data, end),
// each checked to lie inside the bytes present. The others (text, colour profiles, ...) are left
// out: nothing a hostile one claims is then allocated or inflated by the PNG library.
QByteArray PixelChunks(std::span<const uint8_t> bytes) {
    QByteArray out(reinterpret_cast<const char*>(bytes.data()), 8);
    size_t at = 8;
    for (;;) {
        if (at + 12 > bytes.size()) InvalidGraphic("PNG image", "cut short");
        const uint64_t length = BigEndian32(bytes, at);
        if (length > bytes.size() - at - 12) InvalidGraphic("PNG image", "chunk longer than the file");
        const auto type = bytes.subspan(at + 4, 4);
        const bool end = IsChunk(type, "IEND");
        if (end || IsChunk(type, "IHDR") || IsChunk(type, "PLTE") || IsChunk(type, "tRNS") || IsChunk(type, "IDAT"))
            out.append(reinterpret_cast<const char*>(bytes.data() + at), qsizetype(length + 12));
        at += length + 12;
        if (end) return out;
    }
}

}  // namespace

bool IsPng(std::span<const uint8_t> bytes) {
    return bytes.size() >= 8 && std::equal(kSignature, kSignature + 8, bytes.begin());
}

QSize ReadPngSize(std::span<const uint8_t> bytes) {
    // Signature, then the IHDR chunk: length 13, "IHDR", width, height (big-endian).
    constexpr uint8_t kIhdr[4] = {'I', 'H', 'D', 'R'};
    if (!IsPng(bytes) || bytes.size() < 24 || !std::equal(kIhdr, kIhdr + 4, bytes.begin() + 12))
        InvalidGraphic("PNG image", "no header");
    const uint32_t width = BigEndian32(bytes, 16), height = BigEndian32(bytes, 20);
    CheckPictureSize(width, height);
    return QSize(int(width), int(height));
}

QImage DecodePng(std::span<const uint8_t> bytes) {
    const QSize size = ReadPngSize(bytes);
    QImage image;
    if (!image.loadFromData(PixelChunks(bytes), "PNG") || image.size() != size)
        InvalidGraphic("PNG image", "unreadable data");
    return image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
}

}  // namespace tessaly::graphics

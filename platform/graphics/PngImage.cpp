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
    const auto* data = reinterpret_cast<const uchar*>(bytes.data());
    if (!image.loadFromData(data, int(std::min<size_t>(bytes.size(), INT32_MAX)), "PNG") ||
        image.size() != size)
        InvalidGraphic("PNG image", "unreadable data");
    return image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
}

}  // namespace tessaly::graphics

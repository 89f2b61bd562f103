#pragma once
// Icons in their file form: a directory (reserved 0, type 1, image count, then 16 bytes per image:
// width and height (0 for 256), colour count, reserved, planes, bit count, byte size, offset) and
// the images. An image is a PNG file, or a packed bitmap of twice the icon's height: the colour
// bits, then a 1-bit AND mask that is 1 where the icon is transparent.
#include <QImage>
#include <QSize>
#include <cstdint>
#include <span>

namespace tessaly::graphics {

struct IconImage {
    std::span<const uint8_t> payload;
    QSize size;  // as the image's own header gives it
    bool png = false;
};

// The best image whose bytes lie inside the file after the directory: the largest, then the
// deepest, then the first. Raises EInvalidGraphic ("Icon image is not valid").
IconImage ReadIcon(std::span<const uint8_t> bytes);

// The best image as ARGB32_Premultiplied: the alpha of a 32-bit image that has any, otherwise the
// AND mask.
QImage DecodeIcon(std::span<const uint8_t> bytes);

}  // namespace tessaly::graphics

#pragma once
// PNG images, as icons (and bitmaps with BI_PNG) carry them: the size from the IHDR chunk, checked
// before Qt's built-in PNG reader (part of Qt Gui, not a plugin) decodes anything.
#include <QImage>
#include <QSize>
#include <cstdint>
#include <span>

namespace tessaly::graphics {

bool IsPng(std::span<const uint8_t> bytes);  // the 8-byte signature
// The size that the header claims; raises EInvalidGraphic when there is no header or the size
// must not be decoded.
QSize ReadPngSize(std::span<const uint8_t> bytes);
// As ARGB32_Premultiplied.
QImage DecodePng(std::span<const uint8_t> bytes);

}  // namespace tessaly::graphics

#pragma once
// Device-independent bitmaps in their file form: a 14-byte file header ("BM", the file size, two
// reserved words, the offset of the bits from the start of the file), the info block (a header of
// any version, bit-field masks, the colour table) and the bits. Every depth and compression that
// the metafile player reads is decoded by the player's own decoder; bits compressed as JPEG or
// PNG go to the decoders of this library.
#include <QImage>
#include <cstdint>
#include <span>

#include "platform/emf/EmfBitmap.h"

namespace tessaly::graphics {

struct BitmapFile {
    emf::DibHeader header;
    std::span<const uint8_t> info;  // from the info header up to the bits
    std::span<const uint8_t> bits;
};

// Checks the headers and the offset of the bits against the bytes present (the colour table must
// end before the bits, which must begin inside the file), and that the bits can hold the image
// (every scan line of an uncompressed one). Raises EInvalidGraphic ("Bitmap image is not valid").
BitmapFile ReadBitmapFile(std::span<const uint8_t> bytes);

QImage DecodeBitmapFile(std::span<const uint8_t> bytes);

}  // namespace tessaly::graphics

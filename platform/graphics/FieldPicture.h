#pragma once
// Pictures kept in binary database fields: the kind a field holds, told from its first bytes, and
// whether the picture starts behind an 8-byte header that some programs store before it.
//
// The first 12 bytes are read as 16-bit little-endian words w0, w1 (bytes 0-3) and w4, w5 (bytes
// 8-11). In this order: w0 = "BM" or w4 = "BM" is a bitmap; w0 = 0 and w1 = 1 (or w4, w5) an icon;
// w0 = 0xD8FF (or w4) a JPEG image; w0 = 0, w0 = 1 or w0, w1 = 0xCDD7, 0x9AC6 (or w4, w5) a
// metafile. The picture starts at byte 8 when the kind's test holds for w4, w5, unless only the
// bytes at 0 carry the kind's whole signature: an enhanced metafile whose bounds begin at 0, or an
// icon whose first image has a colour count of 0 and one plane, also pass the test at 8.
//
// A field shorter than 12 bytes is never read past its end: a word it does not hold passes no test.
#include <cstdint>
#include <span>

#include "platform/graphics/Picture.h"

namespace tessaly::graphics {

struct FieldPictureFormat {
    PictureKind kind = PictureKind::None;  // None: no known kind
    size_t offset = 0;                     // 0 or 8
};

FieldPictureFormat DetectFieldPicture(std::span<const uint8_t> value);

inline constexpr char kUnknownPictureFormat[] = "Formato immagine sconosciuto.";

// The picture a field holds (from the offset on). Raises EInvalidGraphic with
// kUnknownPictureFormat for an unknown kind, or the picture's own error.
Picture LoadFieldPicture(std::span<const uint8_t> value);

}  // namespace tessaly::graphics

#pragma once
// Device-independent bitmaps as metafile records carry them: a BITMAPINFO (a core or info header of
// any version, bit-field masks, a colour table) and the bits, decoded into a QImage.
//
// Decoding never reads outside the two byte spans and never allocates more than the bits justify:
// an uncompressed image needs all its scan lines, and a compressed one may not claim more pixels
// than its bytes can describe (each run or skip covers at most 255 pixels for two bytes).
#include <QImage>
#include <QVector>
#include <cstdint>
#include <span>
#include <string>

#include "platform/emf/EmfTypes.h"

namespace tessaly::emf {

// The compressions of a bitmap header.
constexpr uint32_t BI_RGB = 0;
constexpr uint32_t BI_RLE8 = 1;
constexpr uint32_t BI_RLE4 = 2;
constexpr uint32_t BI_BITFIELDS = 3;
constexpr uint32_t BI_JPEG = 4;
constexpr uint32_t BI_PNG = 5;
constexpr uint32_t BI_ALPHABITFIELDS = 6;

// The header fields that decoding needs, whatever the header's version.
struct DibHeader {
    uint32_t headerSize = 0;  // 12 for a core header, 40 or more for an info header
    int32_t width = 0;
    int32_t height = 0;       // always positive here; see topDown
    bool topDown = false;
    uint16_t bitCount = 0;
    uint32_t compression = BI_RGB;
    uint32_t imageSize = 0;
    uint32_t colourCount = 0;  // entries in the colour table
    uint32_t colourEntrySize = 4;  // 3 for a core header's RGBTRIPLEs
    uint32_t colourTableOffset = 0;  // from the start of the info block
    uint32_t masks[4] = {0, 0, 0, 0};  // red, green, blue, alpha for bit-field images
};

// The bound on the pixels of one decoded bitmap, whatever the bits say (256 MB as 32-bit pixels).
constexpr int64_t kMaxDibPixels = int64_t(64) * 1024 * 1024;
// Compressed bits (run lengths, PNG, JPEG) can claim far more pixels than they hold: such a bitmap
// is decoded only when its size is at most 256 pixels per byte of its bits (a run-length code
// places at most 255 pixels with two bytes), or a million pixels whatever its bits.
constexpr int64_t kCompressedPixelsPerByte = 256;
constexpr int64_t kCompressedPixelsAlways = int64_t(1) << 20;
bool CompressedSizeJustified(int64_t width, int64_t height, size_t bitsSize);

// Reads and checks the header; false (with the reason) when it is too short or makes no sense.
bool ReadDibHeader(std::span<const uint8_t> info, DibHeader& header, std::string* why = nullptr);

// Bytes per scan line of an uncompressed bitmap (rows are padded to 32 bits); 0 on overflow.
int64_t DibStride(int64_t width, int bitCount);
// True when `bitsSize` bytes hold every scan line of the uncompressed bitmap (the last one may
// lack its padding).
bool PlainBitsPresent(const DibHeader& header, size_t bitsSize);
// Where the bits begin in a packed bitmap (the info block directly followed by its bits): behind
// the header, the bit-field masks and the colour table.
uint64_t PackedBitsOffset(const DibHeader& header);

struct DibDecodeOptions {
    uint32_t usage = DIB_RGB_COLORS;
    // For DIB_PAL_COLORS: the logical palette that the 16-bit colour indexes refer to.
    const QVector<QRgb>* palette = nullptr;
    // 32-bit images keep their fourth byte as premultiplied alpha (for ALPHABLEND with
    // AC_SRC_ALPHA); otherwise it is ignored, as on a display.
    bool keepAlpha = false;
    // With keepAlpha: the fourth byte is straight alpha, as icons and bitmap files keep it; the
    // image is then ARGB32, not premultiplied.
    bool straightAlpha = false;
    // A 1-bit image stays Format_Mono with its two table colours, so that a monochrome brush or
    // blit can substitute the text and background colours.
    bool keepMono = false;
};

// Decodes the bitmap, top row first. Returns a null image (and the reason) when the header or the
// bits are unusable. Pixels skipped by a compressed image are transparent.
QImage DecodeDib(std::span<const uint8_t> info, std::span<const uint8_t> bits,
                 const DibDecodeOptions& options = {}, std::string* why = nullptr);

// The colours of the platform's default palette (the 20 static colours), used for DIB_PAL_COLORS
// when no palette was selected.
const QVector<QRgb>& DefaultPalette();

}  // namespace tessaly::emf

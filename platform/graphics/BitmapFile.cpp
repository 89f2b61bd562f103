#include "platform/graphics/BitmapFile.h"

#include "platform/graphics/JpegImage.h"
#include "platform/graphics/PictureErrors.h"
#include "platform/graphics/PngImage.h"

namespace tessaly::graphics {

namespace {

constexpr size_t kFileHeaderSize = 14;

[[noreturn]] void Invalid(const std::string& why) { InvalidGraphic("Bitmap image", why); }

uint32_t U32(std::span<const uint8_t> b, size_t at) {
    return uint32_t(b[at]) | (uint32_t(b[at + 1]) << 8) | (uint32_t(b[at + 2]) << 16) |
           (uint32_t(b[at + 3]) << 24);
}

// That the bits can describe the image the header claims.
void CheckBits(const emf::DibHeader& h, std::span<const uint8_t> bits) {
    switch (h.compression) {
    case emf::BI_RLE4:
    case emf::BI_RLE8:
        if (!emf::CompressedSizeJustified(h.width, h.height, bits.size()))
            Invalid("compressed bitmap larger than its bits can describe");
        return;
    case emf::BI_JPEG:
        ReadJpegInfo(bits);
        return;
    case emf::BI_PNG:
        ReadPngSize(bits);
        return;
    default:
        if (!emf::PlainBitsPresent(h, bits.size())) Invalid("bitmap bits shorter than the header claims");
    }
}

}  // namespace

BitmapFile ReadBitmapFile(std::span<const uint8_t> bytes) {
    if (bytes.size() < kFileHeaderSize || bytes[0] != 'B' || bytes[1] != 'M') Invalid("no bitmap file header");
    uint64_t offset = U32(bytes, 10);
    // Some writers leave the offset 0: the bits then follow the colour table.
    const uint64_t infoEnd = offset == 0 ? bytes.size() : offset;
    if (infoEnd < kFileHeaderSize || infoEnd > bytes.size()) Invalid("offset of the bits outside the file");
    BitmapFile f;
    std::string why;
    if (!emf::ReadDibHeader(bytes.subspan(kFileHeaderSize, infoEnd - kFileHeaderSize), f.header, &why))
        Invalid(why);
    if (f.header.headerSize > infoEnd - kFileHeaderSize) Invalid("bitmap header overlaps the bits");
    const uint64_t tableEnd = kFileHeaderSize + emf::PackedBitsOffset(f.header);
    if (offset == 0) offset = tableEnd;
    if (tableEnd > offset || offset > bytes.size()) Invalid("colour table overlaps the bits or leaves the file");
    f.info = bytes.subspan(kFileHeaderSize, offset - kFileHeaderSize);
    f.bits = bytes.subspan(offset);
    CheckBits(f.header, f.bits);
    return f;
}

QImage DecodeBitmapFile(std::span<const uint8_t> bytes) {
    const BitmapFile f = ReadBitmapFile(bytes);
    if (f.header.compression == emf::BI_JPEG) return DecodeJpeg(f.bits);
    if (f.header.compression == emf::BI_PNG) return DecodePng(f.bits);
    emf::DibDecodeOptions options;
    // Only bit-field images name an alpha channel; the fourth byte of others is padding.
    const bool fields = f.header.compression == emf::BI_BITFIELDS || f.header.compression == emf::BI_ALPHABITFIELDS;
    options.keepAlpha = fields && f.header.masks[3] != 0;
    options.straightAlpha = true;
    std::string why;
    QImage image = emf::DecodeDib(f.info, f.bits, options, &why);
    if (image.isNull()) Invalid(why.empty() ? "too large for the memory available" : why);
    return image;
}

}  // namespace tessaly::graphics

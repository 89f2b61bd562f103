#include "platform/graphics/IconFile.h"

#include <vector>

#include "platform/emf/EmfBitmap.h"
#include "platform/graphics/PictureErrors.h"
#include "platform/graphics/PngImage.h"

namespace tessaly::graphics {

namespace {

constexpr size_t kDirectorySize = 6, kEntrySize = 16;

[[noreturn]] void Invalid(const std::string& why) { InvalidGraphic("Icon image", why); }

uint16_t U16(std::span<const uint8_t> b, size_t at) { return uint16_t(b[at] | (b[at + 1] << 8)); }
uint32_t U32(std::span<const uint8_t> b, size_t at) { return U16(b, at) | (uint32_t(U16(b, at + 2)) << 16); }

struct Entry {
    std::span<const uint8_t> payload;
    int64_t area = 0;
    int bitCount = 0;
};

// The directory's entries whose bytes lie inside the file, after the directory.
std::vector<Entry> Entries(std::span<const uint8_t> bytes) {
    if (bytes.size() < kDirectorySize || U16(bytes, 0) != 0 || U16(bytes, 2) != 1 || U16(bytes, 4) == 0)
        Invalid("no icon directory");
    const size_t count = U16(bytes, 4);
    const size_t end = kDirectorySize + kEntrySize * count;
    if (end > bytes.size()) Invalid("icon directory longer than the file");
    std::vector<Entry> entries;
    for (size_t i = 0; i < count; ++i) {
        const size_t at = kDirectorySize + kEntrySize * i;
        const uint64_t size = U32(bytes, at + 8), offset = U32(bytes, at + 12);
        if (size == 0 || offset < end || offset + size > bytes.size()) continue;
        const int width = bytes[at] ? bytes[at] : 256, height = bytes[at + 1] ? bytes[at + 1] : 256;
        entries.push_back({bytes.subspan(offset, size), int64_t(width) * height, U16(bytes, at + 6)});
    }
    return entries;
}

// A packed bitmap of twice the icon's height, with its colour bits present; the header as the
// colour image alone (half the height).
emf::DibHeader ColourHeader(std::span<const uint8_t> payload) {
    emf::DibHeader h;
    std::string why;
    if (!emf::ReadDibHeader(payload, h, &why)) Invalid(why);
    if (h.compression != emf::BI_RGB || h.topDown) Invalid("icon image not stored as plain bits");
    h.height /= 2;
    if (h.height == 0) Invalid("icon image without pixels");
    const uint64_t offset = emf::PackedBitsOffset(h);
    if (offset > payload.size() || !emf::PlainBitsPresent(h, payload.size() - offset))
        Invalid("icon bits shorter than the header claims");
    return h;
}

IconImage Describe(std::span<const uint8_t> payload) {
    if (IsPng(payload)) return {payload, ReadPngSize(payload), true};
    const emf::DibHeader h = ColourHeader(payload);
    return {payload, QSize(h.width, h.height), false};
}

// The info block with the icon's own height, so that the player's decoder reads the colour bits.
std::vector<uint8_t> ColourInfo(std::span<const uint8_t> payload, const emf::DibHeader& h) {
    std::vector<uint8_t> info(payload.begin(), payload.begin() + emf::PackedBitsOffset(h));
    if (h.headerSize == 12) {
        info[6] = uint8_t(h.height), info[7] = uint8_t(h.height >> 8);
    } else {
        for (int i = 0; i < 4; ++i) info[8 + i] = uint8_t(uint32_t(h.height) >> (8 * i));
    }
    return info;
}

bool AnyAlpha(const QImage& image) {
    for (int y = 0; y < image.height(); ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        for (int x = 0; x < image.width(); ++x)
            if (qAlpha(line[x])) return true;
    }
    return false;
}

// Clears the pixels whose AND-mask bit is 1 (rows bottom-up), when the mask is there at all.
void ApplyMask(QImage& image, std::span<const uint8_t> mask) {
    const int64_t stride = emf::DibStride(image.width(), 1);
    if (int64_t(mask.size()) < stride * image.height()) return;
    for (int y = 0; y < image.height(); ++y) {
        const uint8_t* row = mask.data() + stride * (image.height() - 1 - y);
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x)
            if (row[x / 8] & (0x80 >> (x % 8))) line[x] = 0;
    }
}

QImage DecodeBitmapIcon(std::span<const uint8_t> payload) {
    const emf::DibHeader h = ColourHeader(payload);
    const std::vector<uint8_t> info = ColourInfo(payload, h);
    const auto bits = payload.subspan(info.size());
    emf::DibDecodeOptions options;
    options.keepAlpha = h.bitCount == 32;
    options.straightAlpha = true;
    QImage image = emf::DecodeDib(info, bits, options);
    if (options.keepAlpha && !AnyAlpha(image)) {
        // A 32-bit image without alpha: the fourth byte is padding and the mask decides.
        options.keepAlpha = false;
        image = emf::DecodeDib(info, bits, options);
    }
    if (image.isNull()) Invalid("icon bits unreadable");
    image = image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    if (!options.keepAlpha) {
        const uint64_t colourBytes = uint64_t(emf::DibStride(h.width, h.bitCount)) * h.height;
        ApplyMask(image, bits.size() > colourBytes ? bits.subspan(colourBytes) : bits.subspan(bits.size()));
    }
    return image;
}

}  // namespace

IconImage ReadIcon(std::span<const uint8_t> bytes) {
    const std::vector<Entry> entries = Entries(bytes);
    const Entry* best = nullptr;
    for (const Entry& e : entries)
        if (!best || e.area > best->area || (e.area == best->area && e.bitCount > best->bitCount)) best = &e;
    if (!best) Invalid("no image inside the file");
    return Describe(best->payload);
}

QImage DecodeIcon(std::span<const uint8_t> bytes) {
    const IconImage icon = ReadIcon(bytes);
    return icon.png ? DecodePng(icon.payload) : DecodeBitmapIcon(icon.payload);
}

}  // namespace tessaly::graphics

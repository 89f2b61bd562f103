#include "platform/graphics/FieldPicture.h"

#include <optional>

#include "platform/emf/EmfTypes.h"
#include "platform/graphics/PictureErrors.h"

namespace tessaly::graphics {

namespace {

constexpr uint16_t kBitmapSignature = 0x4D42;  // "BM"
constexpr uint16_t kJpegSignature = 0xD8FF;    // FF D8
constexpr uint32_t kPlaceableMetafileKey = 0x9AC6CDD7;

// The value's bytes from an offset; words it does not hold are absent.
class Words {
public:
    Words(std::span<const uint8_t> value, size_t offset) : value_(value), offset_(offset) {}
    std::optional<uint16_t> W(size_t index) const { return U16(offset_ + 2 * index); }
    std::optional<uint32_t> D(size_t at) const {
        auto lo = U16(offset_ + at), hi = U16(offset_ + at + 2);
        if (!lo || !hi) return std::nullopt;
        return *lo | (uint32_t(*hi) << 16);
    }
    size_t Remaining() const { return value_.size() > offset_ ? value_.size() - offset_ : 0; }

private:
    std::optional<uint16_t> U16(size_t at) const {
        if (at + 2 > value_.size()) return std::nullopt;
        return uint16_t(value_[at] | (value_[at + 1] << 8));
    }
    std::span<const uint8_t> value_;
    size_t offset_;
};

// The tests of the detection, on the two words at an offset.
bool BitmapTest(const Words& w) { return w.W(0) == kBitmapSignature; }
bool IconTest(const Words& w) { return w.W(0) == 0 && w.W(1) == 1; }
bool JpegTest(const Words& w) { return w.W(0) == kJpegSignature; }
bool MetafileTest(const Words& w) {
    return w.W(0) == 0 || w.W(0) == 1 || (w.W(0) == 0xCDD7 && w.W(1) == 0x9AC6);
}

// The kinds' whole signatures, which a header that merely resembles one lacks.
bool IsBitmap(const Words& w) {
    auto headerSize = w.D(14);
    return BitmapTest(w) && headerSize && (*headerSize == 12 || *headerSize >= 40);
}
bool IsIcon(const Words& w) {
    auto count = w.W(2);
    if (!IconTest(w) || !count || *count == 0) return false;
    const size_t directory = 6 + 16 * size_t(*count);
    for (size_t i = 0; i < *count; ++i) {
        auto size = w.D(6 + 16 * i + 8), offset = w.D(6 + 16 * i + 12);
        if (!size || !offset || *offset < directory || uint64_t(*offset) + *size > w.Remaining()) return false;
    }
    return true;
}
bool IsJpeg(const Words& w) { return JpegTest(w) && w.W(1) && (*w.W(1) & 0xFF) == 0xFF; }
bool IsMetafile(const Words& w) {
    const bool enhanced = w.D(0) == emf::EMR_HEADER && w.D(40) == emf::kEmfSignature;
    const bool placeable = w.D(0) == kPlaceableMetafileKey;
    const bool windows = (w.W(0) == 1 || w.W(0) == 2) && w.W(1) == 9;  // type, header words
    return enhanced || placeable || windows;
}

struct KindTests {
    PictureKind kind;
    bool (*test)(const Words&);
    bool (*whole)(const Words&);
};
constexpr KindTests kKinds[] = {
    {PictureKind::Bitmap, BitmapTest, IsBitmap},
    {PictureKind::Icon, IconTest, IsIcon},
    {PictureKind::Jpeg, JpegTest, IsJpeg},
    {PictureKind::Metafile, MetafileTest, IsMetafile},
};

}  // namespace

FieldPictureFormat DetectFieldPicture(std::span<const uint8_t> value) {
    const Words at0(value, 0), at8(value, 8);
    for (const KindTests& k : kKinds) {
        const bool test0 = k.test(at0), test8 = k.test(at8);
        if (!test0 && !test8) continue;
        const bool from8 = test8 && (k.whole(at8) || !k.whole(at0));
        return {k.kind, from8 ? size_t(8) : size_t(0)};
    }
    return {};
}

Picture LoadFieldPicture(std::span<const uint8_t> value) {
    const FieldPictureFormat format = DetectFieldPicture(value);
    if (format.kind == PictureKind::None) throw EInvalidGraphic(kUnknownPictureFormat);
    return Picture::Load(format.kind, value.subspan(format.offset));
}

}  // namespace tessaly::graphics

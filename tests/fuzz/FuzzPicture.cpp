// Fuzz target: a picture of the kind the first byte names (its value modulo 5; 0 asks the field
// detection for the kind), loaded from the remaining bytes and decoded. Whatever loads keeps
// exactly the bytes it was given, and decodes (if it decodes) to the size its headers gave.
#include <cstddef>
#include <cstdint>

#include "FuzzCheck.h"
#include "FuzzGui.h"
#include "platform/core/Errors.h"
#include "platform/graphics/FieldPicture.h"
#include "platform/graphics/Picture.h"

using namespace tessaly;
using namespace tessaly::graphics;

namespace {

// Pictures whose pixels stay below the fuzzer's allocation limit are decoded.
constexpr int64_t kDecodedPixels = int64_t(2) << 20;

void Check(const Picture& picture, std::span<const uint8_t> bytes) {
    FUZZ_CHECK(std::equal(picture.Bytes().begin(), picture.Bytes().end(), bytes.begin(), bytes.end()));
    if (int64_t(picture.Width()) * picture.Height() > kDecodedPixels) return;
    QImage image;
    try {
        image = picture.ToImage();
    } catch (const EngineError&) {
        return;
    }
    // A metafile may have no size: it then decodes to nothing.
    if (picture.Width() > 0 && picture.Height() > 0)
        FUZZ_CHECK(image.width() == picture.Width() && image.height() == picture.Height());
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    StartGuiApplication(argc, argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    std::span<const uint8_t> bytes(data + 1, size - 1);
    PictureKind kind = PictureKind(data[0] % 5);
    if (kind == PictureKind::None) {
        const FieldPictureFormat format = DetectFieldPicture(bytes);
        if (format.kind == PictureKind::None) return 0;
        kind = format.kind;
        bytes = bytes.subspan(format.offset);
    }
    try {
        Check(Picture::Load(kind, bytes), bytes);
    } catch (const EngineError&) {
    }
    return 0;
}

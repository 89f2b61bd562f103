// Hostile picture files: sizes beyond the pixel limit, data cut short, offsets pointing outside the
// file or into its headers. Each is refused with an error, before any pixels are allocated.
#include <gtest/gtest.h>

#include "PictureFiles.h"
#include "platform/emf/EmfBitmap.h"
#include "platform/emf/EmfTestUtil.h"
#include "platform/graphics/Picture.h"
#include "platform/graphics/PictureErrors.h"

using namespace tessaly;
using namespace tessaly::graphics;
using namespace picturetest;

namespace {

enum class Stage { Load, Decode };

struct HostileCase {
    const char* name;
    PictureKind kind;
    Bytes bytes;
    Stage stage;
    std::string message;  // a part of the error's message
};

Bytes Patched32(Bytes b, size_t at, uint32_t v) {
    Set32(b, at, v);
    return b;
}

Dib Plain24(int width, int height) {
    return {width, height, 24, 0, {}, {}, false, 40, PackRows(width, height, 24, [](int, int) { return 0x123456u; })};
}

Bytes PngClaiming(uint32_t width, uint32_t height) {
    Bytes png = PngFile(Quadrants(4, 4));
    for (int i = 0; i < 4; ++i) png[16 + i] = uint8_t(width >> (24 - 8 * i)), png[20 + i] = uint8_t(height >> (24 - 8 * i));
    return png;
}

std::vector<HostileCase> BitmapCases() {
    Dib palette8{5, 3, 8, 0, std::vector<QRgb>(256, 0), {}, false, 40, PackRows(5, 3, 8, [](int, int) { return 1u; })};
    Dib rle{6000, 6000, 8, emf::BI_RLE8, std::vector<QRgb>(256, 0), {}, false, 40, {0, 0, 0, 1}};
    Dib png{4, 4, 0, emf::BI_PNG, {}, {}, false, 40, PngClaiming(100000, 100000)};
    Dib huge{100000, 100000, 24, 0, {}, {}, false, 40, Bytes(16, 0)};
    const Bytes plain = Plain24(5, 3).File();
    return {
        {"bitmap of 100,000 x 100,000 pixels", PictureKind::Bitmap, huge.File(), Stage::Load,
         "too large"},
        {"bitmap bits cut short", PictureKind::Bitmap, Bytes(plain.begin(), plain.end() - 4), Stage::Load,
         "shorter than the header claims"},
        {"bitmap bits offset past the end", PictureKind::Bitmap, Patched32(plain, 10, uint32_t(plain.size() + 100)),
         Stage::Load, "outside the file"},
        {"bitmap bits offset inside the header", PictureKind::Bitmap, Patched32(plain, 10, 20), Stage::Load,
         "header"},
        {"colour table running into the bits", PictureKind::Bitmap, Patched32(palette8.File(), 10, 14 + 40 + 16),
         Stage::Load, "colour table"},
        {"4,294,967,295 colours used", PictureKind::Bitmap, Patched32(plain, 46, 0xFFFFFFFF), Stage::Load,
         "colour table"},
        {"bitmap 0 pixels wide", PictureKind::Bitmap, Plain24(0, 3).File(), Stage::Load, "without pixels"},
        {"run lengths claiming 6,000 x 6,000 pixels from 4 bytes", PictureKind::Bitmap, rle.File(), Stage::Load, "compressed"},
        {"PNG bits claiming 100,000 x 100,000 pixels", PictureKind::Bitmap, png.File(), Stage::Load, "too large"},
        {"unknown compression", PictureKind::Bitmap, Patched32(plain, 30, 9), Stage::Load, "compression"},
        {"no BM", PictureKind::Bitmap, Patched32(plain, 0, 0x4D4D), Stage::Load, "no bitmap file header"},
        {"empty bitmap", PictureKind::Bitmap, {}, Stage::Load, "Bitmap image is not valid"},
    };
}

Bytes IconOf(const Bytes& payload) { return IconFile({{4, 4, 24, payload}}); }

// A PNG file with a chunk of `length` bytes (of which none follow) after its header.
Bytes PngWithChunk(uint32_t length) {
    const Bytes png = PngFile(Quadrants(4, 4));
    Bytes chunk = {0, 0, 0, 0, 't', 'E', 'X', 't'};
    for (int i = 0; i < 4; ++i) chunk[i] = uint8_t(length >> (24 - 8 * i));
    const size_t afterHeader = 8 + 25;
    return Cat(Cat(Bytes(png.begin(), png.begin() + afterHeader), chunk), Bytes(png.begin() + afterHeader, png.end()));
}

// The reproducer of a fuzzing finding: its first byte named the kind.
Bytes Reproducer(const char* name) {
    const Bytes file = emftest::ReadFile(std::filesystem::path(TESSALY_SOURCE_DIR) / "tests/data/fuzz" / name);
    return file.empty() ? file : Bytes(file.begin() + 1, file.end());
}

std::vector<HostileCase> IconCases() {
    Dib icon{4, 8, 24, 0, {}, {}, false, 40, IconBits(4, 24, [](int, int) { return 0u; }, [](int, int) { return false; })};
    const Bytes good = IconOf(icon.Packed());
    Dib huge = icon;
    huge.width = 100000, huge.height = 200000;
    const Bytes png = PngFile(Quadrants(4, 4));
    Bytes cut = icon.Packed();
    cut.resize(40 + 20);
    return {
        {"icon without images", PictureKind::Icon, {0, 0, 1, 0, 0, 0}, Stage::Load, "no icon directory"},
        {"icon directory longer than the file", PictureKind::Icon, {0, 0, 1, 0, 50, 0, 4, 4}, Stage::Load,
         "directory longer"},
        {"icon image past the end", PictureKind::Icon, Patched32(good, 18, 1000000), Stage::Load, "no image inside"},
        {"icon image inside the directory", PictureKind::Icon, Patched32(good, 18, 6), Stage::Load, "no image inside"},
        {"icon size past the end", PictureKind::Icon, Patched32(good, 14, 0xFFFFFFF0), Stage::Load, "no image inside"},
        {"icon image of 100,000 x 100,000 pixels", PictureKind::Icon, IconOf(huge.Packed()), Stage::Load, "too large"},
        {"icon PNG claiming 100,000 x 100,000 pixels", PictureKind::Icon, IconOf(PngClaiming(100000, 100000)),
         Stage::Load, "too large"},
        {"icon bits cut short", PictureKind::Icon, IconOf(cut), Stage::Load, "shorter than the header claims"},
        {"icon PNG with a chunk of 1 GB", PictureKind::Icon, IconOf(PngWithChunk(1 << 30)), Stage::Decode,
         "chunk longer than the file"},
        {"icon PNG without its end", PictureKind::Icon, IconOf(Bytes(png.begin(), png.end() - 12)), Stage::Decode,
         "cut short"},
        {"fuzzing finding: PNG chunk past the end", PictureKind::Icon, Reproducer("picture-png-chunk-past-end.ico"),
         Stage::Decode, "chunk longer than the file"},
    };
}

std::vector<HostileCase> JpegAndMetafileCases() {
    const Bytes jpeg = EncodeJpeg(Quadrants(64, 64));
    size_t scan = 2;  // the start of the first scan
    while (scan + 1 < jpeg.size() && !(jpeg[scan] == 0xFF && jpeg[scan + 1] == 0xDA)) ++scan;
    // Frame of 100,000 x 100,000 pixels of the reference device (1024 x 768 on 360 x 270 mm).
    emftest::ImageBuilder huge;
    huge.Header(2, int32_t(100000LL * 36000 / 1024), int32_t(100000LL * 27000 / 768)).Eof();
    const Bytes metafile = huge.Finish();
    return {
        {"JPEG of 65,000 x 65,000 pixels", PictureKind::Jpeg, JpegClaiming(65000, 65000), Stage::Load,
         "Image too large (65000 x 65000 pixels)"},
        {"JPEG header cut short", PictureKind::Jpeg, Bytes(jpeg.begin(), jpeg.begin() + 40), Stage::Load,
         "JPEG image is not valid"},
        {"JPEG scans cut short", PictureKind::Jpeg, Bytes(jpeg.begin(), jpeg.begin() + scan + 30), Stage::Decode,
         "Premature end of JPEG file"},
        {"JPEG with garbage after its start", PictureKind::Jpeg, {0xFF, 0xD8, 1, 2, 3, 4, 5, 6}, Stage::Load,
         "JPEG image is not valid"},
        {"empty JPEG", PictureKind::Jpeg, {}, Stage::Load, "JPEG image is not valid"},
        {"metafile frame of 100,000 x 100,000 pixels", PictureKind::Metafile, metafile, Stage::Load,
         "Image too large (100000 x 100000 pixels)"},
        {"metafile cut short", PictureKind::Metafile, Bytes(metafile.begin(), metafile.begin() + 60), Stage::Load,
         "Stream read error"},
    };
}

void ExpectRefused(const HostileCase& c) {
    SCOPED_TRACE(c.name);
    try {
        const Picture picture = Picture::Load(c.kind, c.bytes);
        ASSERT_EQ(c.stage, Stage::Decode) << "loaded";
        picture.ToImage();
        ADD_FAILURE() << "decoded";
    } catch (const EngineError& e) {
        EXPECT_NE(e.Message().find(c.message), std::string::npos) << e.Message();
    }
}

TEST(HostilePicture, BitmapFilesAreRefused) {
    for (const HostileCase& c : BitmapCases()) ExpectRefused(c);
}

TEST(HostilePicture, IconFilesAreRefused) {
    for (const HostileCase& c : IconCases()) ExpectRefused(c);
}

TEST(HostilePicture, JpegImagesAndMetafilesAreRefused) {
    for (const HostileCase& c : JpegAndMetafileCases()) ExpectRefused(c);
}

TEST(HostilePicture, SizesAskedOfAPictureAreBounded) {
    const Picture picture = Picture::Load(PictureKind::Bitmap, Plain24(5, 3).File());
    EXPECT_THROW(picture.ImageAt(100000, 100000), EInvalidGraphic);
    EXPECT_TRUE(picture.ImageAt(-5, 10).isNull());
}

}  // namespace

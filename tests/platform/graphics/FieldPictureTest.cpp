// The kind of a picture in a database field, told from its first bytes, with or without the
// 8-byte header some programs put before it; fields shorter than the header; unknown data.
#include <gtest/gtest.h>

#include "PictureFiles.h"
#include "platform/emf/RecordingCanvas.h"
#include "platform/graphics/FieldPicture.h"
#include "platform/graphics/PictureErrors.h"

using namespace tessaly;
using namespace tessaly::graphics;
using namespace picturetest;

namespace {

const Bytes kHeader8 = {0x10, 0x27, 0x00, 0x00, 0x07, 0x00, 0x00, 0x00};

Bytes SmallBitmap() {
    return Dib{2, 2, 24, 0, {}, {}, false, 40, PackRows(2, 2, 24, [](int x, int) { return x ? 0xFFFFFFu : 0u; })}
        .File();
}

// One 32-bit image: colour count 0 and one plane make bytes 8-11 read 0, 1 (the icon test).
Bytes SmallIcon() {
    Dib dib{2, 4, 32, 0, {}, {}, false, 40, Cat(PackRows(2, 2, 32, [](int, int) { return 0xFF102030u; }), Bytes(8, 0))};
    return IconFile({{2, 2, 32, dib.Packed()}});
}

// A recorded metafile: its bounds begin at 0, so bytes 8-9 read 0 (the metafile test).
Bytes SmallMetafile() {
    emf::RecordingCanvas canvas(10, 10);
    canvas.FillRect({0, 0, 4, 4});
    const emf::Metafile m = canvas.Close();
    return Bytes(m.Bytes().begin(), m.Bytes().end());
}

TEST(FieldPicture, KindAndOffsetFromTheFirstBytes) {
    const Bytes jpeg = EncodeJpeg(Quadrants(8, 8));
    const Bytes placeable = {0xD7, 0xCD, 0xC6, 0x9A, 0, 0, 0, 0, 0, 0, 0x20, 0x03};
    const struct {
        const char* name;
        Bytes value;
        PictureKind kind;
        size_t offset;
    } cases[] = {
        {"bitmap", SmallBitmap(), PictureKind::Bitmap, 0},
        {"bitmap behind the header", Cat(kHeader8, SmallBitmap()), PictureKind::Bitmap, 8},
        {"icon (its bytes 8-11 pass the icon test too)", SmallIcon(), PictureKind::Icon, 0},
        {"icon behind the header", Cat(kHeader8, SmallIcon()), PictureKind::Icon, 8},
        {"JPEG", jpeg, PictureKind::Jpeg, 0},
        {"JPEG behind the header", Cat(kHeader8, jpeg), PictureKind::Jpeg, 8},
        {"enhanced metafile (bounds from 0 pass the test at 8 too)", SmallMetafile(), PictureKind::Metafile, 0},
        {"enhanced metafile behind the header", Cat(kHeader8, SmallMetafile()), PictureKind::Metafile, 8},
        {"placeable metafile", placeable, PictureKind::Metafile, 0},
        {"first word 0, nothing else known", {0, 0, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7}, PictureKind::Metafile, 0},
        {"header whose bytes 8-9 are BM", {0, 0, 1, 0, 9, 9, 9, 9, 'B', 'M', 0, 0}, PictureKind::Bitmap, 8},
        {"GIF", {'G', 'I', 'F', '8', '9', 'a', 32, 0, 32, 0, 0, 0}, PictureKind::None, 0},
        {"empty field", {}, PictureKind::None, 0},
        {"one byte", {0x42}, PictureKind::None, 0},
        {"two bytes BM", {'B', 'M'}, PictureKind::Bitmap, 0},
        {"two zero bytes: an icon needs its second word", {0, 0}, PictureKind::Metafile, 0},
        {"three bytes FF D8 FF", {0xFF, 0xD8, 0xFF}, PictureKind::Jpeg, 0},
        {"nine bytes, B at 8 without its M", {9, 9, 9, 9, 9, 9, 9, 9, 'B'}, PictureKind::None, 0},
        {"ten bytes, BM at 8", {9, 9, 9, 9, 9, 9, 9, 9, 'B', 'M'}, PictureKind::Bitmap, 8},
        {"ten bytes, 0 at 8 without the word after it", {9, 9, 9, 9, 9, 9, 9, 9, 0, 0}, PictureKind::Metafile, 8},
    };
    for (const auto& c : cases) {
        // A copy of exactly the field's bytes: reading past it is an error the sanitizer build sees.
        const std::unique_ptr<uint8_t[]> exact(new uint8_t[c.value.size()]);
        std::copy(c.value.begin(), c.value.end(), exact.get());
        const FieldPictureFormat format = DetectFieldPicture({exact.get(), c.value.size()});
        EXPECT_EQ(format.kind, c.kind) << c.name;
        EXPECT_EQ(format.offset, c.offset) << c.name;
    }
}

TEST(FieldPicture, LoadsThePictureFromItsOffset) {
    const Picture picture = LoadFieldPicture(Cat(kHeader8, SmallBitmap()));
    EXPECT_EQ(picture.Kind(), PictureKind::Bitmap);
    EXPECT_EQ(picture.ToImage().pixel(1, 0), qRgb(255, 255, 255));
    EXPECT_EQ(LoadFieldPicture(SmallIcon()).Width(), 2);
    EXPECT_EQ(LoadFieldPicture(SmallMetafile()).Width(), 10);
    EXPECT_EQ(LoadFieldPicture(Cat(kHeader8, SmallMetafile())).Width(), 10);
}

TEST(FieldPicture, UnknownDataGivesTheMessage) {
    for (const Bytes& value : {Bytes{}, Bytes{'G', 'I', 'F', '8', '9', 'a', 32, 0, 32, 0, 0, 0}, Bytes{0x42}}) {
        try {
            LoadFieldPicture(value);
            ADD_FAILURE() << "loaded";
        } catch (const EInvalidGraphic& e) {
            EXPECT_EQ(e.Message(), "Formato immagine sconosciuto.");
        }
    }
    // A known signature with nothing behind it is that kind's own error, not a crash.
    EXPECT_THROW(LoadFieldPicture(Bytes{'B', 'M'}), EInvalidGraphic);
    EXPECT_THROW(LoadFieldPicture(Bytes{0, 0}), EngineError);
}

}  // namespace

// Pictures of every kind decoded: bitmap files of each depth and compression, icons with bitmap
// and PNG images, JPEG images (baseline, progressive, grey, CMYK), metafiles; the original bytes
// kept through the stream form.
#include <gtest/gtest.h>

#include <cstdio>
#include <jpeglib.h>

#include "PictureFiles.h"
#include "platform/emf/EmfBitmap.h"
#include "platform/emf/Metafile.h"
#include "platform/emf/RecordingCanvas.h"
#include "platform/graphics/Picture.h"

using namespace tessaly;
using namespace tessaly::graphics;
using namespace picturetest;

namespace {

std::vector<QRgb> Palette(int count) {
    std::vector<QRgb> p;
    for (int i = 0; i < count; ++i) p.push_back(qRgb((i * 13) % 256, 255 - (i * 7) % 256, (i * 29) % 256));
    return p;
}

// Every pixel against the expected colour (premultiplied where the image is: QImage::pixel gives
// the stored value).
void ExpectPixels(const QImage& image, int width, int height, const std::function<QRgb(int, int)>& expected) {
    ASSERT_EQ(image.width(), width);
    ASSERT_EQ(image.height(), height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            ASSERT_EQ(image.pixel(x, y), expected(x, y)) << "pixel " << x << ", " << y;
}

struct BitmapCase {
    const char* name;
    Dib dib;
    std::function<QRgb(int, int)> expected;
};

uint32_t Rgb555(int x, int y) { return uint32_t((x * 6) << 10 | (y * 9) << 5 | (31 - x)); }
QRgb Expand555(int x, int y) {
    auto c = [](int v) { return v * 255 / 31; };
    return qRgb(c(x * 6), c(y * 9), c(31 - x));
}
uint32_t Rgb24(int x, int y) { return uint32_t(x * 50) << 16 | uint32_t(y * 70) << 8 | uint32_t(200 - x * 10); }

std::vector<BitmapCase> BitmapCases() {
    const int w = 5, h = 3;
    const auto p2 = std::vector<QRgb>{qRgb(0, 0, 0), qRgb(255, 255, 0)};
    const auto p16 = Palette(16), p256 = Palette(256), p6 = Palette(6);
    auto index8 = [](int x, int y) { return uint32_t(x * 40 + y * 7); };
    std::vector<BitmapCase> cases = {
        {"1 bit", {w, h, 1, 0, p2, {}, false, 40, PackRows(w, h, 1, [](int x, int y) { return uint32_t(x + y) % 2; })},
         [=](int x, int y) { return p2[(x + y) % 2]; }},
        {"4 bits", {w, h, 4, 0, p16, {}, false, 40, PackRows(w, h, 4, [](int x, int y) { return uint32_t(x + 2 * y) % 16; })},
         [=](int x, int y) { return p16[(x + 2 * y) % 16]; }},
        {"8 bits with a palette", {w, h, 8, 0, p256, {}, false, 40, PackRows(w, h, 8, index8)},
         [=](int x, int y) { return p256[index8(x, y)]; }},
        {"8 bits top-down", {w, -h, 8, 0, p256, {}, false, 40, PackRows(w, h, 8, index8, true)},
         [=](int x, int y) { return p256[index8(x, y)]; }},
        {"8 bits, core header", {w, h, 8, 0, p256, {}, true, 12, PackRows(w, h, 8, index8)},
         [=](int x, int y) { return p256[index8(x, y)]; }},
        {"8 bits, 6 colours used", {w, h, 8, 0, p6, {}, false, 40, PackRows(w, h, 8, [](int x, int y) { return uint32_t(x + y) % 6; })},
         [=](int x, int y) { return p6[(x + y) % 6]; }},
        {"16 bits 5-5-5", {w, h, 16, 0, {}, {}, false, 40, PackRows(w, h, 16, Rgb555)}, Expand555},
        {"16 bits 5-6-5 bit fields", {w, h, 16, emf::BI_BITFIELDS, {}, {0xF800, 0x07E0, 0x001F}, false, 40,
                                      PackRows(w, h, 16, [](int x, int y) { return uint32_t(x << 11 | y * 21 << 5 | 31); })},
         [](int x, int y) { return qRgb(x * 255 / 31, y * 21 * 255 / 63, 255); }},
        {"24 bits", {w, h, 24, 0, {}, {}, false, 40, PackRows(w, h, 24, Rgb24)},
         [](int x, int y) { return QRgb(0xFF000000 | Rgb24(x, y)); }},
        {"32 bits, fourth byte unused", {w, h, 32, 0, {}, {}, false, 40, PackRows(w, h, 32, Rgb24)},
         [](int x, int y) { return QRgb(0xFF000000 | Rgb24(x, y)); }},
        {"32 bits with alpha (V5 header)", {w, h, 32, emf::BI_BITFIELDS, {}, {0xFF0000, 0xFF00, 0xFF, 0xFF000000}, false, 124,
                                            PackRows(w, h, 32, [](int x, int y) { return (x % 2 ? 0xFF000000 : 0x80000000) | Rgb24(x, y); })},
         // Stored straight, given premultiplied.
         [](int x, int y) { return qPremultiply((x % 2 ? 0xFF000000 : 0x80000000) | Rgb24(x, y)); }},
    };
    const auto p8 = Palette(8);
    // Bottom row: a run of five; middle row: three pixels in absolute mode and a run of two;
    // top row: a run of three, then the end of the bitmap (the rest stays transparent).
    Dib rle8{w, h, 8, emf::BI_RLE8, p8, {}, false, 40,
             {5, 1, 0, 0, 0, 3, 2, 3, 4, 0, 2, 5, 0, 0, 3, 6, 0, 1}};
    cases.push_back({"RLE8", rle8, [=](int x, int y) {
                         const int rows[3][5] = {{6, 6, 6, -1, -1}, {2, 3, 4, 5, 5}, {1, 1, 1, 1, 1}};
                         return rows[y][x] < 0 ? QRgb(0) : p8[rows[y][x]];
                     }});
    Dib rle4{w, 2, 4, emf::BI_RLE4, p16, {}, false, 40, {5, 0x12, 0, 0, 0, 5, 0x34, 0x56, 0x70, 0, 0, 1}};
    cases.push_back({"RLE4", rle4, [=](int x, int y) {
                         const int rows[2][5] = {{3, 4, 5, 6, 7}, {1, 2, 1, 2, 1}};
                         return p16[rows[y][x]];
                     }});
    return cases;
}

TEST(PictureDecode, BitmapFilesOfEveryDepthAndCompression) {
    for (const BitmapCase& c : BitmapCases()) {
        SCOPED_TRACE(c.name);
        const Picture picture = Picture::Load(PictureKind::Bitmap, c.dib.File());
        EXPECT_EQ(picture.Kind(), PictureKind::Bitmap);
        EXPECT_EQ(picture.Width(), c.dib.width);
        EXPECT_EQ(picture.Height(), std::abs(c.dib.height));
        ExpectPixels(picture.ToImage(), c.dib.width, std::abs(c.dib.height), c.expected);
    }
}

TEST(PictureDecode, BitmapWithJpegBitsUsesTheJpegDecoder) {
    Dib dib{16, 16, 0, emf::BI_JPEG, {}, {}, false, 40, EncodeJpeg(Quadrants(16, 16))};
    const QImage image = Picture::Load(PictureKind::Bitmap, dib.File()).ToImage();
    ASSERT_EQ(image.size(), QSize(16, 16));
    EXPECT_TRUE(Near(image.pixel(2, 2), qRgb(255, 0, 0)));
    EXPECT_TRUE(Near(image.pixel(13, 13), qRgb(255, 255, 255)));
}

// A 4-bit image with its AND mask: transparent in the left quarter.
Bytes FourBitIcon(int size) {
    const auto palette = Palette(16);
    Dib dib{size, 2 * size, 4, 0, palette, {}, false, 40,
            IconBits(size, 4, [](int x, int y) { return uint32_t(x + y) % 16; },
                     [size](int x, int) { return x < size / 4; })};
    return dib.Packed();
}

// A 32-bit image whose alpha falls from 255 at the top to 0 at the bottom (no AND mask needed,
// but one is written that would say otherwise).
Bytes AlphaIcon(int size) {
    Dib dib{size, 2 * size, 32, 0, {}, {}, false, 40,
            IconBits(size, 32, [size](int, int y) { return uint32_t(255 - y * 255 / (size - 1)) << 24 | 0xFF0000; },
                     [](int, int) { return true; })};
    return dib.Packed();
}

TEST(PictureDecode, IconsPickTheLargestThenDeepestImage) {
    const auto palette = Palette(16);
    struct Case {
        const char* name;
        Bytes file;
        int size;
        std::function<QRgb(int, int)> expected;
    };
    QImage png(48, 48, QImage::Format_ARGB32);
    png.fill(qRgba(0, 128, 0, 255));
    for (int y = 0; y < 48; ++y)
        for (int x = 0; x < 24; ++x) png.setPixel(x, y, 0);
    const Case cases[] = {
        {"bitmap image with AND mask, larger than the 32-bit one",
         IconFile({{16, 16, 32, AlphaIcon(16)}, {32, 32, 4, FourBitIcon(32)}}), 32,
         [&](int x, int y) { return x < 8 ? QRgb(0) : palette[(x + y) % 16]; }},
        {"32-bit image with alpha, deeper than the 4-bit one",
         IconFile({{32, 32, 4, FourBitIcon(32)}, {32, 32, 32, AlphaIcon(32)}}), 32,
         [](int, int y) { return qRgba(255, 0, 0, 255 - y * 255 / 31); }},
        {"PNG image", IconFile({{16, 16, 4, FourBitIcon(16)}, {48, 48, 32, PngFile(png)}}), 48,
         [](int x, int) { return x < 24 ? QRgb(0) : qRgb(0, 128, 0); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const Picture picture = Picture::Load(PictureKind::Icon, c.file);
        EXPECT_EQ(picture.Width(), c.size);
        EXPECT_EQ(picture.Height(), c.size);
        const QImage image = picture.ToImage();
        // Semi-transparent pixels lose a little precision premultiplied: compare nearly.
        ASSERT_EQ(image.size(), QSize(c.size, c.size));
        for (int y = 0; y < c.size; ++y)
            for (int x = 0; x < c.size; ++x) {
                const QRgb got = qUnpremultiply(image.pixel(x, y)), want = c.expected(x, y);
                ASSERT_LE(std::abs(qAlpha(got) - qAlpha(want)), 1) << x << ", " << y;
                if (qAlpha(want) > 64) {
                    ASSERT_TRUE(Near(got, want, 3)) << x << ", " << y << std::hex << ": " << got << " " << want;
                }
            }
    }
}

// CMYK as Adobe's programs write it, inverted (255: no ink).
Bytes CmykJpeg(int width, int height, const uint8_t ink[4]) {
    jpeg_compress_struct info;
    jpeg_error_mgr errors;
    info.err = jpeg_std_error(&errors);
    jpeg_create_compress(&info);
    unsigned char* out = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&info, &out, &size);
    info.image_width = JDIMENSION(width), info.image_height = JDIMENSION(height);
    info.input_components = 4, info.in_color_space = JCS_CMYK;
    jpeg_set_defaults(&info);
    jpeg_start_compress(&info, TRUE);
    std::vector<uint8_t> row(size_t(width) * 4);
    for (int x = 0; x < width; ++x)
        for (int k = 0; k < 4; ++k) row[size_t(x) * 4 + k] = uint8_t(255 - ink[k]);
    JSAMPROW line = row.data();
    while (info.next_scanline < info.image_height) jpeg_write_scanlines(&info, &line, 1);
    jpeg_finish_compress(&info);
    jpeg_destroy_compress(&info);
    Bytes bytes(out, out + size);
    free(out);
    return bytes;
}

TEST(PictureDecode, JpegImagesBaselineProgressiveGreyAndCmyk) {
    const QImage quadrants = Quadrants(64, 48);
    const uint8_t magentaInk[4] = {0, 255, 0, 0};
    const QImage grey = quadrants.convertToFormat(QImage::Format_Grayscale8);
    struct Case {
        const char* name;
        Bytes file;
        bool progressive;
        QRgb topLeft, bottomRight;
    };
    const Case cases[] = {
        {"baseline", EncodeJpeg(quadrants), false, qRgb(255, 0, 0), qRgb(255, 255, 255)},
        {"progressive", EncodeJpeg(quadrants, {90, true, false}), true, qRgb(255, 0, 0), qRgb(255, 255, 255)},
        {"grey", EncodeJpeg(quadrants, {90, false, true}), false, grey.pixel(8, 8), qRgb(255, 255, 255)},
        {"CMYK", CmykJpeg(64, 48, magentaInk), false, qRgb(255, 0, 255), qRgb(255, 0, 255)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(ReadJpegInfo(c.file).progressive, c.progressive);
        const Picture picture = Picture::Load(PictureKind::Jpeg, c.file);
        EXPECT_EQ(picture.Width(), 64);
        EXPECT_EQ(picture.Height(), 48);
        const QImage image = picture.ToImage();
        ASSERT_EQ(image.size(), QSize(64, 48));
        EXPECT_TRUE(Near(image.pixel(8, 8), c.topLeft)) << std::hex << image.pixel(8, 8);
        EXPECT_TRUE(Near(image.pixel(56, 40), c.bottomRight)) << std::hex << image.pixel(56, 40);
    }
    // Colours keep their channels (a swap of red and blue would pass the grey and white checks).
    const QImage image = Picture::Load(PictureKind::Jpeg, cases[0].file).ToImage();
    EXPECT_TRUE(Near(image.pixel(56, 8), qRgb(0, 255, 0)));
    EXPECT_TRUE(Near(image.pixel(8, 40), qRgb(0, 0, 255)));
}

Bytes RecordedMetafile() {
    emf::RecordingCanvas canvas(120, 80);
    canvas.Brush().color = 0x0000FF;  // red as a COLORREF
    canvas.FillRect({0, 0, 60, 80});
    const emf::Metafile m = canvas.Close();
    return Bytes(m.Bytes().begin(), m.Bytes().end());
}

TEST(PictureDecode, MetafilePlaysAtItsFrameSizeOrAnyOther) {
    const Picture picture = Picture::Load(PictureKind::Metafile, RecordedMetafile());
    ASSERT_NE(picture.Metafile(), nullptr);
    EXPECT_EQ(picture.Width(), 120);
    EXPECT_EQ(picture.Height(), 80);
    const QImage own = picture.ToImage();
    EXPECT_EQ(own.size(), QSize(120, 80));
    EXPECT_EQ(own.pixel(10, 10), qRgb(255, 0, 0));
    EXPECT_EQ(qAlpha(own.pixel(100, 10)), 0);  // nothing drawn there
    const QImage doubled = picture.ImageAt(240, 160);
    EXPECT_EQ(doubled.pixel(110, 150), qRgb(255, 0, 0));
    EXPECT_EQ(qAlpha(doubled.pixel(130, 10)), 0);
}

TEST(PictureDecode, ImageAtResamplesRasterPictures) {
    const Picture picture = Picture::Load(PictureKind::Jpeg, EncodeJpeg(Quadrants(400, 300)));
    const QImage small = picture.ImageAt(40, 30);
    ASSERT_EQ(small.size(), QSize(40, 30));
    EXPECT_TRUE(Near(small.pixel(5, 5), qRgb(255, 0, 0)));
    EXPECT_TRUE(Near(small.pixel(35, 25), qRgb(255, 255, 255)));
    EXPECT_TRUE(picture.ImageAt(0, 30).isNull());
    EXPECT_TRUE(Picture().ToImage().isNull());
}

// Each kind read through the stream form from exactly its byte range, and written back unchanged.
TEST(PictureStreamForm, KeepsTheOriginalBytesOfEveryKind) {
    Dib bitmap = BitmapCases()[2].dib;  // 8 bits with a palette
    const Bytes bitmapWithTail = Cat(bitmap.File(), {1, 2, 3});  // bytes after the bits stay too
    const struct {
        PictureKind kind;
        Bytes bytes;
    } cases[] = {
        {PictureKind::Bitmap, bitmapWithTail},
        {PictureKind::Metafile, RecordedMetafile()},
        {PictureKind::Icon, IconFile({{32, 32, 4, FourBitIcon(32)}})},
        {PictureKind::Jpeg, EncodeJpeg(Quadrants(32, 32), {75, true, false})},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(int(c.kind));
        MemoryStream stream(Cat(Cat({'a', 'b', 'c'}, c.bytes), {'x', 'y', 'z'}));
        stream.SetPosition(3);
        const int64_t end = 3 + int64_t(c.bytes.size());
        const Picture picture = Picture::ReadFrom(stream, uint8_t(c.kind), end);
        EXPECT_EQ(stream.Position(), end);
        EXPECT_EQ(picture.Kind(), c.kind);
        EXPECT_FALSE(picture.ToImage().isNull());
        MemoryStream saved;
        picture.SaveToStream(saved);
        EXPECT_EQ(saved.Data(), c.bytes);
        const Picture copy = picture;  // copies share the same bytes
        EXPECT_TRUE(std::equal(copy.Bytes().begin(), copy.Bytes().end(), c.bytes.begin(), c.bytes.end()));
    }
}

TEST(PictureStreamForm, UnknownKindsAreSteppedOverAndBadEndsRefused) {
    for (uint8_t code : {0, 5, 9, 255}) {
        MemoryStream stream(Bytes{1, 2, 3, 4, 5, 6});
        stream.SetPosition(1);
        const Picture picture = Picture::ReadFrom(stream, code, 5);
        EXPECT_TRUE(picture.Empty()) << int(code);
        EXPECT_EQ(stream.Position(), 5);
        MemoryStream saved;
        picture.SaveToStream(saved);
        EXPECT_TRUE(saved.Data().empty());
    }
    MemoryStream stream(Bytes{1, 2, 3, 4, 5, 6});
    stream.SetPosition(4);
    EXPECT_THROW(Picture::ReadFrom(stream, 1, 3), EReadError);   // end before the position
    EXPECT_THROW(Picture::ReadFrom(stream, 1, 60), EReadError);  // end past the stream
}

}  // namespace

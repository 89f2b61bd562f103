// The metafile player: real files play, hostile bitmaps are refused, and small hand-made images
// land on the pixels the device context would give them.
#include <QBuffer>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <cstring>
#include <filesystem>
#if defined(__SANITIZE_ADDRESS__)
extern "C" size_t __sanitizer_get_current_allocated_bytes();
#else
#include <malloc.h>
#endif
#include <functional>

#include "EmfTestUtil.h"
#include "platform/emf/EmfBitmap.h"
#include "platform/emf/EmfPlayer.h"
#include "platform/emf/Metafile.h"

using namespace tessaly::emf;
using emftest::ImageBuilder;

namespace {

QGuiApplication& App() {
    static int argc = 1;
    static char name[] = "test_emf_player";
    static char* argv[] = {name, nullptr};
    static QGuiApplication app(argc, argv);
    return app;
}

uint32_t F(float f) {
    uint32_t u;
    std::memcpy(&u, &f, 4);
    return u;
}

uint32_t I(int32_t v) {
    return uint32_t(v);
}

constexpr uint32_t kRed = 0x0000FF, kGreen = 0x00FF00, kBlue = 0xFF0000, kBlack = 0;

// Images whose reference device is 1000 x 1000 pixels on 100 x 100 mm, with a frame of 100 x 100
// pixels: played into a 100 x 100 image, a device pixel is an image pixel.
class Drawing {
public:
    Drawing() { b_.Header(0, 1000, 1000); }
    Drawing& Rec(uint32_t type, std::vector<uint32_t> fields) {
        b_.Record(type, std::move(fields));
        ++records_;
        return *this;
    }
    Drawing& Raw(uint32_t type, const std::vector<uint8_t>& body) {
        b_.U32(type).U32(uint32_t(8 + body.size()));
        b_.Raw().insert(b_.Raw().end(), body.begin(), body.end());
        ++records_;
        return *this;
    }
    Drawing& Brush(uint32_t handle, uint32_t colour) {
        return Rec(EMR_CREATEBRUSHINDIRECT, {handle, BS_SOLID, colour, 0}).Rec(EMR_SELECTOBJECT, {handle});
    }
    Drawing& NoPen() { return Rec(EMR_SELECTOBJECT, {StockHandle(NULL_PEN)}); }
    Drawing& Rect(int l, int t, int r, int b) { return Rec(EMR_RECTANGLE, {I(l), I(t), I(r), I(b)}); }
    Metafile Finish() {
        b_.Eof();
        std::vector<uint8_t> bytes = b_.Finish();
        emftest::PutU32(bytes, 52, records_ + 2);
        emftest::PutU32(bytes, 72, 1000);
        emftest::PutU32(bytes, 76, 1000);
        emftest::PutU32(bytes, 80, 100);
        emftest::PutU32(bytes, 84, 100);
        return Metafile::FromBytes(bytes);
    }

private:
    ImageBuilder b_;
    uint32_t records_ = 0;
};

QImage Render(const Metafile& m, int w = 100, int h = 100) {
    App();
    QImage image(w, h, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    PlayMetafile(painter, m, QRectF(0, 0, w, h));
    return image;
}

QRgb At(const QImage& image, int x, int y) {
    return image.pixel(x, y) & 0xFFFFFF;
}

// The bounding box of the pixels that are not white.
QRect Ink(const QImage& image) {
    QRect box;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (At(image, x, y) != 0xFFFFFF) box |= QRect(x, y, 1, 1);
    return box;
}

// A BITMAPINFOHEADER with an optional colour table.
std::vector<uint8_t> InfoHeader(int32_t w, int32_t h, uint16_t bits, uint32_t compression = BI_RGB,
                                std::vector<uint32_t> table = {}) {
    ImageBuilder b;
    b.U32(40).U32(uint32_t(w)).U32(uint32_t(h)).U16(1).U16(bits).U32(compression).U32(0).U32(0).U32(0);
    b.U32(uint32_t(table.size())).U32(0);
    for (uint32_t c : table) b.U32(c);
    return b.Raw();
}

// STRETCHDIBITS of a whole bitmap into (x, y, cx, cy).
std::vector<uint8_t> StretchDibits(int x, int y, int cx, int cy, const std::vector<uint8_t>& info,
                                   const std::vector<uint8_t>& bits, int32_t srcW, int32_t srcH) {
    ImageBuilder b;
    const uint32_t offBmi = 80, offBits = offBmi + uint32_t(info.size());
    b.Zeros(16).U32(I(x)).U32(I(y)).U32(0).U32(0).U32(I(srcW)).U32(I(srcH));
    b.U32(offBmi).U32(uint32_t(info.size())).U32(offBits).U32(uint32_t(bits.size()));
    b.U32(DIB_RGB_COLORS).U32(SRCCOPY).U32(I(cx)).U32(I(cy));
    b.Raw().insert(b.Raw().end(), info.begin(), info.end());
    b.Raw().insert(b.Raw().end(), bits.begin(), bits.end());
    while (b.Raw().size() % 4) b.Raw().push_back(0);
    return b.Raw();
}

// STRETCHBLT of a whole bitmap into (x, y, cx, cy) with a raster operation.
std::vector<uint8_t> StretchBlt(int x, int y, int cx, int cy, uint32_t rop, const std::vector<uint8_t>& info,
                                const std::vector<uint8_t>& bits, int32_t srcW, int32_t srcH) {
    ImageBuilder b;
    const uint32_t offBmi = 108, offBits = offBmi + uint32_t(info.size());
    b.Zeros(16).U32(I(x)).U32(I(y)).U32(I(cx)).U32(I(cy)).U32(rop).U32(0).U32(0);
    b.U32(F(1)).U32(0).U32(0).U32(F(1)).U32(0).U32(0).U32(0xFFFFFF).U32(DIB_RGB_COLORS);
    b.U32(offBmi).U32(uint32_t(info.size())).U32(offBits).U32(uint32_t(bits.size())).U32(I(srcW)).U32(I(srcH));
    b.Raw().insert(b.Raw().end(), info.begin(), info.end());
    b.Raw().insert(b.Raw().end(), bits.begin(), bits.end());
    while (b.Raw().size() % 4) b.Raw().push_back(0);
    return b.Raw();
}

std::vector<uint8_t> Font(uint32_t handle, int32_t height, const char16_t* face, int32_t escapement = 0,
                          bool italic = false, uint8_t charSet = 0, uint8_t pitchAndFamily = 0) {
    ImageBuilder b;
    b.U32(handle).U32(I(height)).U32(0).U32(I(escapement)).U32(I(escapement)).U32(400);
    b.U32(uint32_t(italic ? 1 : 0) | uint32_t(charSet) << 24).U32(uint32_t(pitchAndFamily) << 24);
    std::vector<uint8_t> name(64, 0);
    for (size_t i = 0; face[i] && i < 31; ++i) {
        name[2 * i] = uint8_t(face[i]);
        name[2 * i + 1] = uint8_t(face[i] >> 8);
    }
    b.Raw().insert(b.Raw().end(), name.begin(), name.end());
    return b.Raw();
}

// EXTTEXTOUTW at (x, y) with advances, options and rectangle.
std::vector<uint8_t> TextOut(int x, int y, const std::u16string& text, std::vector<int32_t> dx, uint32_t options = 0,
                             QRect rect = QRect()) {
    ImageBuilder b;
    const uint32_t n = uint32_t(text.size());
    const uint32_t offString = 76, offDx = dx.empty() ? 0 : offString + ((2 * n + 3) & ~3u);
    b.Zeros(16).U32(1).U32(F(1)).U32(F(1)).U32(I(x)).U32(I(y)).U32(n).U32(offString).U32(options);
    if (rect.isNull()) b.Zeros(16);
    else b.U32(I(rect.left())).U32(I(rect.top())).U32(I(rect.right() + 1)).U32(I(rect.bottom() + 1));
    b.U32(offDx);
    for (char16_t c : text) b.U16(c);
    while (b.Raw().size() % 4) b.Raw().push_back(0);
    for (int32_t d : dx) b.U32(I(d));
    return b.Raw();
}

// EXTTEXTOUTA at (x, y): bytes, advances and options.
std::vector<uint8_t> TextOutA(int x, int y, const std::string& text, std::vector<int32_t> dx, uint32_t options = 0) {
    ImageBuilder b;
    const uint32_t n = uint32_t(text.size());
    const uint32_t offString = 76, offDx = offString + ((n + 3) & ~3u);
    b.Zeros(16).U32(1).U32(F(1)).U32(F(1)).U32(I(x)).U32(I(y)).U32(n).U32(offString).U32(options).Zeros(16);
    b.U32(offDx);
    for (char c : text) b.Raw().push_back(uint8_t(c));
    while (b.Raw().size() % 4) b.Raw().push_back(0);
    for (int32_t d : dx) b.U32(I(d));
    return b.Raw();
}

// ---- real files ----

TEST(PlayerFixtures, EveryValidFixturePlaysAndDrawsSomething) {
    SKIP_WITHOUT_FIXTURES();
    for (const std::string& name : emftest::ValidFixtures()) {
        SCOPED_TRACE(name);
        const Metafile m = Metafile::LoadFromFile(emftest::FixtureDir() / name);
        const double scale = 300.0 / std::max(m.Width(), m.Height());
        const QImage image = Render(m, std::max(1, int(m.Width() * scale)), std::max(1, int(m.Height() * scale)));
        // The EMF+ reference holds only EMF+ comments: its EMF picture is empty.
        const bool emfPlusOnly = name == "libuemf-test_libuemf_p_ref.emf";
        EXPECT_EQ(Ink(image).isEmpty(), emfPlusOnly);
    }
}

TEST(PlayerFixtures, TextOfRealFilesIsDrawnWhereItBelongs) {
    SKIP_WITHOUT_FIXTURES();
    // Areas (at the file's own size) that hold nothing but text: a title above a chart drawn
    // under MM_ANISOTROPIC, and labels inside the boxes of a diagram.
    struct Case {
        const char* file;
        QRect area;
    } cases[] = {
        {"libemf2svg-test-142.emf", QRect(70, 5, 350, 45)},
        {"libemf2svg-EA-test-file-101.emf", QRect(200, 280, 420, 110)},
        {"libemf2svg-EA-test-file-101.emf", QRect(2000, 1830, 540, 150)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.file) + " " + std::to_string(c.area.x()));
        const Metafile m = Metafile::LoadFromFile(emftest::FixtureDir() / c.file);
        const QImage image = Render(m, m.Width(), m.Height());
        int dark = 0;
        for (int y = c.area.top(); y <= c.area.bottom(); ++y)
            for (int x = c.area.left(); x <= c.area.right(); ++x) dark += qGray(image.pixel(x, y)) < 96;
        EXPECT_GT(dark, 150);
    }
}

TEST(PlayerFixtures, TheTwoMappingModesOfTheSameDrawingAgree) {
    SKIP_WITHOUT_FIXTURES();
    const QImage a = Render(Metafile::LoadFromFile(emftest::FixtureDir() / "libuemf-test_mm_anisotropic_ref.emf"), 700, 495);
    const QImage b = Render(Metafile::LoadFromFile(emftest::FixtureDir() / "libuemf-test_mm_twips_ref.emf"), 700, 495);
    int differing = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x) differing += At(a, x, y) != At(b, x, y);
    // Shapes and the bitmap coincide; the page border may move by a pixel (the two scales differ
    // in their fourth digit) and the corner labels differ in height.
    EXPECT_LT(differing, a.width() * a.height() / 100);
}

// ---- bitmaps ----

TEST(PlayerBitmaps, HostileHeadersAreRefused) {
    const std::vector<uint8_t> hundred(100, 0xAB);
    struct Case {
        const char* what;
        std::vector<uint8_t> info;
        std::vector<uint8_t> bits;
    } cases[] = {
        {"60000 x 60000 with 100 bytes", InfoHeader(60000, 60000, 24), hundred},
        {"60000 x 60000 RLE8", InfoHeader(60000, 60000, 8, BI_RLE8), hundred},
        {"2000 x 2000 RLE8 from 100 bytes", InfoHeader(2000, 2000, 8, BI_RLE8), hundred},
        {"bits one line short", InfoHeader(10, 10, 24), std::vector<uint8_t>(32 * 9, 0)},
        {"negative width", InfoHeader(-4, 4, 24), hundred},
        {"no height", InfoHeader(4, 0, 24), hundred},
        {"odd bit count", InfoHeader(4, 4, 7), hundred},
        {"RLE8 with 24 bits", InfoHeader(4, 4, 24, BI_RLE8), hundred},
        {"top-down RLE", InfoHeader(4, -4, 8, BI_RLE8), hundred},
        {"header cut short", std::vector<uint8_t>(20, 0), hundred},
        {"unknown compression", InfoHeader(4, 4, 24, 9), hundred},
        {"bit fields without masks", InfoHeader(4, 4, 16, BI_BITFIELDS), hundred},
    };
    for (const Case& c : cases) {
        std::string why;
        EXPECT_TRUE(DecodeDib(c.info, c.bits, {}, &why).isNull()) << c.what;
        EXPECT_FALSE(why.empty()) << c.what;
    }
}

// Run lengths and PNG or JPEG pictures can claim far more pixels than their bytes hold; such a
// claim is refused instead of allocated: a few KB of skips never cost hundreds of MB.
TEST(PlayerBitmaps, CompressedBitmapsAreAsLargeAsTheirBytesJustify) {
    App();
    auto repeat = [](std::vector<uint8_t> code, size_t times) {
        std::vector<uint8_t> out;
        for (size_t i = 0; i < times; ++i) out.insert(out.end(), code.begin(), code.end());
        return out;
    };
    auto png = [](int w, int h) {
        QImage image(w, h, QImage::Format_Mono);
        image.fill(0);
        QByteArray bytes;
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        image.save(&buffer, "PNG");
        return std::vector<uint8_t>(bytes.begin(), bytes.end());
    };
    std::vector<uint8_t> skips = repeat({0, 2, 255, 255}, 520);  // 520 skips of 255 x 255, then a run
    skips.insert(skips.end(), {10, 5, 0, 1});
    struct Case {
        const char* what;
        std::vector<uint8_t> info;
        std::vector<uint8_t> bits;
        bool decodes;
    } cases[] = {
        {"8192 x 8192 RLE8 from 2 KB of skips", InfoHeader(8192, 8192, 8, BI_RLE8), skips, false},
        {"4096 x 4096 PNG of a few KB", InfoHeader(4096, 4096, 0, BI_PNG), png(4096, 4096), false},
        {"1024 x 1024 RLE8 that ends at once", InfoHeader(1024, 1024, 8, BI_RLE8), {0, 1}, true},
        {"1500 x 1000 RLE8 of 6000 bytes", InfoHeader(1500, 1000, 8, BI_RLE8), repeat({255, 3}, 3000), true},
        {"64 x 64 PNG", InfoHeader(64, 64, 0, BI_PNG), png(64, 64), true},
    };
    for (const Case& c : cases) {
        std::string why;
        EXPECT_EQ(DecodeDib(c.info, c.bits, {}, &why).isNull(), !c.decodes) << c.what << ": " << why;
    }
}

TEST(PlayerBitmaps, EveryDepthDecodesToItsColours) {
    // Each image is 2 x 2, bottom-up: bottom row red, green; top row blue, white.
    const std::vector<uint32_t> table = {0x00FF0000, 0x0000FF00, 0x000000FF, 0x00FFFFFF};  // RGBQUAD B,G,R
    struct Case {
        const char* what;
        std::vector<uint8_t> info;
        std::vector<uint8_t> bits;
    } cases[] = {
        {"1 bit", InfoHeader(2, 2, 1, BI_RGB, {0x00FF0000, 0x000000FF}), {0x80, 0, 0, 0, 0x40, 0, 0, 0}},
        {"4 bits", InfoHeader(2, 2, 4, BI_RGB, table), {0x01, 0, 0, 0, 0x23, 0, 0, 0}},
        {"8 bits", InfoHeader(2, 2, 8, BI_RGB, table), {0, 1, 0, 0, 2, 3, 0, 0}},
        {"16 bits 555", InfoHeader(2, 2, 16), {0x00, 0x7C, 0xE0, 0x03, 0x1F, 0x00, 0xFF, 0x7F}},
        {"24 bits", InfoHeader(2, 2, 24), {0, 0, 255, 0, 255, 0, 0, 0, 255, 0, 0, 255, 255, 255, 0, 0}},
        {"32 bits", InfoHeader(2, 2, 32), {0, 0, 255, 0, 0, 255, 0, 0, 255, 0, 0, 0, 255, 255, 255, 0}},
        {"RLE8", InfoHeader(2, 2, 8, BI_RLE8, table), {1, 0, 1, 1, 0, 0, 1, 2, 1, 3, 0, 1}},
        {"RLE4", InfoHeader(2, 2, 4, BI_RLE4, table), {2, 0x01, 0, 0, 2, 0x23, 0, 1}},
    };
    for (const Case& c : cases) {
        const QImage img = DecodeDib(c.info, c.bits);
        ASSERT_FALSE(img.isNull()) << c.what;
        if (std::string(c.what) == "1 bit") {  // table red, blue; bottom row 1 0, top row 0 1
            EXPECT_EQ(img.pixel(0, 1) & 0xFFFFFF, 0x0000FFu) << c.what;
            EXPECT_EQ(img.pixel(1, 1) & 0xFFFFFF, 0xFF0000u) << c.what;
            EXPECT_EQ(img.pixel(0, 0) & 0xFFFFFF, 0xFF0000u) << c.what;
            continue;
        }
        EXPECT_EQ(img.pixel(0, 1) & 0xFFFFFF, 0xFF0000u) << c.what;  // bottom-left red
        EXPECT_EQ(img.pixel(1, 1) & 0xFFFFFF, 0x00FF00u) << c.what;  // bottom-right green
        EXPECT_EQ(img.pixel(0, 0) & 0xFFFFFF, 0x0000FFu) << c.what;  // top-left blue
        EXPECT_EQ(img.pixel(1, 0) & 0xFFFFFF, 0xFFFFFFu) << c.what;  // top-right white
    }
}

TEST(PlayerBitmaps, BitFieldsAndIndexesBeyondTheTable) {
    // 16-bit 565 masks: pure red and pure blue.
    ImageBuilder masks;
    masks.U32(0xF800).U32(0x07E0).U32(0x001F);
    std::vector<uint8_t> info = InfoHeader(2, 1, 16, BI_BITFIELDS);
    info.insert(info.end(), masks.Raw().begin(), masks.Raw().end());
    QImage img = DecodeDib(info, std::vector<uint8_t>{0x00, 0xF8, 0x1F, 0x00});
    ASSERT_FALSE(img.isNull());
    EXPECT_EQ(img.pixel(0, 0) & 0xFFFFFF, 0xFF0000u);
    EXPECT_EQ(img.pixel(1, 0) & 0xFFFFFF, 0x0000FFu);
    // A pixel whose index has no table entry is black, never a read past the table.
    img = DecodeDib(InfoHeader(2, 1, 8, BI_RGB, {0x00FFFFFF}), std::vector<uint8_t>{0, 200, 0, 0});
    ASSERT_FALSE(img.isNull());
    EXPECT_EQ(img.pixel(0, 0) & 0xFFFFFF, 0xFFFFFFu);
    EXPECT_EQ(img.pixel(1, 0) & 0xFFFFFF, 0x000000u);
}

TEST(PlayerBitmaps, BottomUpAndTopDownBitmapsLandTheRightWayUp) {
    // 1 x 2 pixels, 24 bits: first stored line red, second blue.
    const std::vector<uint8_t> bits = {0, 0, 255, 0, 255, 0, 0, 0};
    for (int32_t height : {2, -2}) {
        SCOPED_TRACE(height);
        Drawing d;
        d.Raw(EMR_STRETCHDIBITS, StretchDibits(0, 0, 100, 100, InfoHeader(1, height, 24), bits, 1, 2));
        const QImage image = Render(d.Finish());
        // Bottom-up: the first stored line is the bottom one; top-down: the top one.
        EXPECT_EQ(At(image, 50, 25), height > 0 ? 0x0000FFu : 0xFF0000u);
        EXPECT_EQ(At(image, 50, 75), height > 0 ? 0xFF0000u : 0x0000FFu);
    }
}

TEST(PlayerBitmaps, NegativeDestinationMirrors) {
    const std::vector<uint8_t> bits = {0, 0, 255, 255, 0, 0, 0, 0};  // one line: red, blue
    Drawing d;
    d.Raw(EMR_STRETCHDIBITS, StretchDibits(100, 0, -100, 100, InfoHeader(2, 1, 24), bits, 2, 1));
    const QImage image = Render(d.Finish());
    EXPECT_EQ(At(image, 25, 50), 0x0000FFu);
    EXPECT_EQ(At(image, 75, 50), 0xFF0000u);
}

TEST(PlayerBitmaps, MonochromeMasksPaintTheBrushWhereTheyAreSetOrClear) {
    // A 2 x 1 mask, white then black, stretched over a blue page with a red brush selected.
    const std::vector<uint8_t> info = InfoHeader(2, 1, 1, BI_RGB, {0x000000, 0xFFFFFF});
    const std::vector<uint8_t> bits = {0x80, 0, 0, 0};
    struct Case {
        const char* what;
        uint32_t rop;
        QRgb left, right;  // pixels: the red brush or the blue page
    } cases[] = {
        {"brush where set (DSPDxax)", 0xE20746, 0xFF0000, 0x0000FF},
        {"brush where clear (PSDPxax)", 0xB8074A, 0x0000FF, 0xFF0000},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Drawing d;
        d.NoPen().Brush(1, kBlue).Rect(0, 0, 100, 100).Brush(2, kRed);
        d.Raw(EMR_STRETCHBLT, StretchBlt(0, 0, 100, 100, c.rop, info, bits, 2, 1));
        const QImage image = Render(d.Finish());
        EXPECT_EQ(At(image, 25, 50), c.left);
        EXPECT_EQ(At(image, 75, 50), c.right);
    }
}

// ---- mapping ----

TEST(PlayerMapping, ModesAndTransformsPlaceARectangle) {
    struct Case {
        const char* what;
        std::vector<std::pair<uint32_t, std::vector<uint32_t>>> setup;
        QRect rect;      // logical rectangle drawn
        QRect expected;  // device pixels filled
    } cases[] = {
        {"MM_TEXT", {}, QRect(10, 20, 30, 40), QRect(10, 20, 30, 40)},
        {"window origin", {{EMR_SETWINDOWORGEX, {5, 5}}}, QRect(10, 20, 30, 40), QRect(5, 15, 30, 40)},
        {"viewport origin", {{EMR_SETVIEWPORTORGEX, {5, 5}}}, QRect(10, 20, 30, 40), QRect(15, 25, 30, 40)},
        // 0.1 mm per unit, y up: 10 px per mm, so a unit is one pixel and y flips.
        {"MM_LOMETRIC", {{EMR_SETMAPMODE, {MM_LOMETRIC}}}, QRect(10, -60, 30, 40), QRect(10, 20, 30, 40)},
        {"MM_HIMETRIC", {{EMR_SETMAPMODE, {MM_HIMETRIC}}}, QRect(100, -600, 300, 400), QRect(10, 20, 30, 40)},
        {"MM_ANISOTROPIC",
         {{EMR_SETMAPMODE, {MM_ANISOTROPIC}}, {EMR_SETWINDOWEXTEX, {200, 100}}, {EMR_SETVIEWPORTEXTEX, {100, 100}}},
         QRect(20, 20, 60, 40), QRect(10, 20, 30, 40)},
        {"MM_ISOTROPIC keeps the aspect",
         {{EMR_SETMAPMODE, {MM_ISOTROPIC}}, {EMR_SETWINDOWEXTEX, {200, 100}}, {EMR_SETVIEWPORTEXTEX, {100, 100}}},
         QRect(20, 40, 60, 80), QRect(10, 20, 30, 40)},
        {"scaled extents",
         {{EMR_SETMAPMODE, {MM_ANISOTROPIC}}, {EMR_SCALEWINDOWEXTEX, {2, 1, 2, 1}}},
         QRect(20, 40, 60, 80), QRect(10, 20, 30, 40)},
        {"world transform",
         {{EMR_SETWORLDTRANSFORM, {F(0.5f), 0, 0, F(0.5f), F(10), F(20)}}}, QRect(0, 0, 60, 80), QRect(10, 20, 30, 40)},
        {"world transform left-multiplied",
         {{EMR_SETWORLDTRANSFORM, {F(1), 0, 0, F(1), F(10), F(20)}},
          {EMR_MODIFYWORLDTRANSFORM, {F(0.5f), 0, 0, F(0.5f), 0, 0, MWT_LEFTMULTIPLY}}},
         QRect(0, 0, 60, 80), QRect(10, 20, 30, 40)},
        {"world transform right-multiplied",
         {{EMR_SETWORLDTRANSFORM, {F(1), 0, 0, F(1), F(20), F(40)}},
          {EMR_MODIFYWORLDTRANSFORM, {F(0.5f), 0, 0, F(0.5f), 0, 0, MWT_RIGHTMULTIPLY}}},
         QRect(0, 0, 60, 80), QRect(10, 20, 30, 40)},
        {"degenerate world transform ignored",
         {{EMR_SETWORLDTRANSFORM, {0, 0, 0, 0, 0, 0}}}, QRect(10, 20, 30, 40), QRect(10, 20, 30, 40)},
        {"window extent ignored under MM_TEXT", {{EMR_SETWINDOWEXTEX, {1000, 1000}}}, QRect(10, 20, 30, 40),
         QRect(10, 20, 30, 40)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Drawing d;
        for (const auto& [type, fields] : c.setup) d.Rec(type, fields);
        d.NoPen().Brush(1, kRed);
        const QRect& r = c.rect;
        d.Rect(r.left(), r.top(), r.left() + r.width(), r.top() + r.height());
        EXPECT_EQ(Ink(Render(d.Finish())), c.expected);
    }
}

TEST(PlayerMapping, FrameIsStretchedOntoTheDestination) {
    Drawing d;
    d.NoPen().Brush(1, kRed).Rect(10, 20, 40, 60);
    EXPECT_EQ(Ink(Render(d.Finish(), 200, 300)), QRect(20, 60, 60, 120));
}

TEST(PlayerMapping, SaveAndRestoreRelativeAndAbsolute) {
    struct Case {
        const char* what;
        int32_t restore;
        QRect expected;
    } cases[] = {
        {"-1 restores the last save", -1, QRect(20, 20, 10, 10)},
        {"-2 restores the one before", -2, QRect(10, 10, 10, 10)},
        {"1 restores the first save", 1, QRect(0, 0, 10, 10)},
        {"2 restores the second save", 2, QRect(10, 10, 10, 10)},
        {"beyond the saves is ignored", -4, QRect(30, 30, 10, 10)},
        {"beyond the saves counted from 1 is ignored", 4, QRect(30, 30, 10, 10)},
        {"0 is ignored", 0, QRect(30, 30, 10, 10)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Drawing d;
        d.Rec(EMR_SAVEDC, {}).Rec(EMR_SETVIEWPORTORGEX, {10, 10}).Rec(EMR_SAVEDC, {});
        d.Rec(EMR_SETVIEWPORTORGEX, {20, 20}).Rec(EMR_SAVEDC, {}).Rec(EMR_SETVIEWPORTORGEX, {30, 30});
        d.Rec(EMR_RESTOREDC, {I(c.restore)}).NoPen().Brush(1, kRed).Rect(0, 0, 10, 10);
        EXPECT_EQ(Ink(Render(d.Finish())), c.expected);
    }
}

// ---- clipping ----

TEST(PlayerClipping, RectanglesAndRegionsLimitDrawing) {
    auto region = [](uint32_t mode, QRect r) {
        ImageBuilder b;
        b.U32(48).U32(mode).U32(32).U32(1).U32(1).U32(16);
        b.U32(I(r.left())).U32(I(r.top())).U32(I(r.right() + 1)).U32(I(r.bottom() + 1));
        b.U32(I(r.left())).U32(I(r.top())).U32(I(r.right() + 1)).U32(I(r.bottom() + 1));
        return b.Raw();
    };
    struct Case {
        const char* what;
        std::function<void(Drawing&)> clip;
        QRect expected;
    } cases[] = {
        {"intersect", [](Drawing& d) { d.Rec(EMR_INTERSECTCLIPRECT, {10, 10, 50, 40}); }, QRect(10, 10, 40, 30)},
        {"intersect twice",
         [](Drawing& d) { d.Rec(EMR_INTERSECTCLIPRECT, {10, 10, 50, 40}).Rec(EMR_INTERSECTCLIPRECT, {30, 0, 90, 90}); },
         QRect(30, 10, 20, 30)},
        {"exclude the left part", [](Drawing& d) { d.Rec(EMR_EXCLUDECLIPRECT, {0, 0, 50, 100}); }, QRect(50, 0, 50, 100)},
        {"region copy", [&](Drawing& d) { d.Raw(EMR_EXTSELECTCLIPRGN, region(RGN_COPY, QRect(5, 6, 7, 8))); },
         QRect(5, 6, 7, 8)},
        {"region and",
         [&](Drawing& d) {
             d.Rec(EMR_INTERSECTCLIPRECT, {0, 0, 20, 20}).Raw(EMR_EXTSELECTCLIPRGN, region(RGN_AND, QRect(10, 10, 50, 50)));
         },
         QRect(10, 10, 10, 10)},
        {"region or",
         [&](Drawing& d) {
             d.Rec(EMR_INTERSECTCLIPRECT, {0, 0, 20, 20}).Raw(EMR_EXTSELECTCLIPRGN, region(RGN_OR, QRect(10, 10, 50, 50)));
         },
         QRect(0, 0, 60, 60)},
        {"region diff",
         [&](Drawing& d) {
             d.Rec(EMR_INTERSECTCLIPRECT, {0, 0, 20, 20}).Raw(EMR_EXTSELECTCLIPRGN, region(RGN_DIFF, QRect(0, 10, 20, 10)));
         },
         QRect(0, 0, 20, 10)},
        {"copy without region resets",
         [&](Drawing& d) { d.Rec(EMR_INTERSECTCLIPRECT, {0, 0, 20, 20}).Rec(EMR_EXTSELECTCLIPRGN, {0, RGN_COPY}); },
         QRect(0, 0, 100, 100)},
        {"offset", [](Drawing& d) { d.Rec(EMR_INTERSECTCLIPRECT, {0, 0, 20, 20}).Rec(EMR_OFFSETCLIPRGN, {30, 40}); },
         QRect(30, 40, 20, 20)},
        {"restore brings back the saved clip",
         [](Drawing& d) {
             d.Rec(EMR_INTERSECTCLIPRECT, {0, 0, 50, 50}).Rec(EMR_SAVEDC, {});
             d.Rec(EMR_INTERSECTCLIPRECT, {0, 0, 10, 10}).Rec(EMR_RESTOREDC, {I(-1)});
         },
         QRect(0, 0, 50, 50)},
        {"meta region keeps narrowing",
         [](Drawing& d) {
             d.Rec(EMR_INTERSECTCLIPRECT, {0, 0, 50, 50}).Rec(EMR_SETMETARGN, {});
             d.Rec(EMR_INTERSECTCLIPRECT, {25, 25, 100, 100});
         },
         QRect(25, 25, 25, 25)},
        {"clip path",
         [](Drawing& d) {
             d.Rec(EMR_BEGINPATH, {}).Rect(20, 30, 40, 60).Rec(EMR_ENDPATH, {}).Rec(EMR_SELECTCLIPPATH, {RGN_COPY});
         },
         QRect(20, 30, 20, 30)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Drawing d;
        c.clip(d);
        d.NoPen().Brush(1, kRed).Rect(0, 0, 100, 100);
        EXPECT_EQ(Ink(Render(d.Finish())), c.expected);
    }
}

TEST(PlayerClipping, TheCallersClipIsKept) {
    Drawing d;
    d.Rec(EMR_EXTSELECTCLIPRGN, {0, RGN_COPY}).NoPen().Brush(1, kRed).Rect(0, 0, 100, 100);
    const Metafile m = d.Finish();
    App();
    QImage image(100, 100, QImage::Format_RGB32);
    image.fill(Qt::white);
    {
        QPainter painter(&image);
        painter.setClipRect(QRect(10, 10, 20, 20));
        PlayMetafile(painter, m, QRectF(0, 0, 100, 100));
    }
    EXPECT_EQ(Ink(image), QRect(10, 10, 20, 20));
}

// ---- text ----

class PlayerText : public ::testing::Test {
protected:
    // "H" at (50, 50) in Liberation Sans, 40 pixels to the em, with an alignment.
    QRect InkOfH(uint32_t align, uint32_t options = 0, QRect rect = QRect()) {
        Drawing d;
        d.Raw(EMR_EXTCREATEFONTINDIRECTW, Font(1, -40, u"Arial")).Rec(EMR_SELECTOBJECT, {1});
        d.Rec(EMR_SETTEXTALIGN, {align}).Rec(EMR_SETBKMODE, {TRANSPARENT});
        d.Raw(EMR_EXTTEXTOUTW, TextOut(50, 50, u"H", {30}, options, rect));
        return Ink(Render(d.Finish()));
    }
};

TEST_F(PlayerText, AlignmentPutsTheReferencePointWhereTheFlagsSay) {
    struct Case {
        const char* what;
        uint32_t align;
        std::function<void(const QRect&)> check;
    } cases[] = {
        {"left top", 0, [](const QRect& r) { EXPECT_GE(r.left(), 50); EXPECT_GE(r.top(), 50); }},
        {"left baseline", 24, [](const QRect& r) { EXPECT_GE(r.left(), 50); EXPECT_LE(r.bottom(), 50); EXPECT_GT(r.height(), 20); }},
        {"left bottom", 8, [](const QRect& r) { EXPECT_LT(r.bottom(), 50 - 4); }},
        {"right top", 2, [](const QRect& r) { EXPECT_LE(r.right(), 50); EXPECT_GT(r.left(), 20); }},
        {"centre top", 6, [](const QRect& r) { EXPECT_LT(r.left(), 50); EXPECT_GT(r.right(), 50); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const QRect ink = InkOfH(c.align);
        ASSERT_FALSE(ink.isEmpty());
        c.check(ink);
    }
}

TEST_F(PlayerText, AdvancesPlaceEveryCharacter) {
    Drawing d;
    d.Raw(EMR_EXTCREATEFONTINDIRECTW, Font(1, -20, u"Arial")).Rec(EMR_SELECTOBJECT, {1});
    d.Rec(EMR_SETBKMODE, {TRANSPARENT}).Raw(EMR_EXTTEXTOUTW, TextOut(5, 10, u"II", {60, 10}));
    const QImage image = Render(d.Finish());
    // Two narrow strokes 60 pixels apart: the first near x 5..10, the second near 65..70.
    auto column = [&](int x0, int x1) {
        for (int x = x0; x <= x1; ++x)
            for (int y = 0; y < 100; ++y)
                if (At(image, x, y) != 0xFFFFFF) return true;
        return false;
    };
    EXPECT_TRUE(column(5, 10));
    EXPECT_FALSE(column(15, 60));
    EXPECT_TRUE(column(65, 70));
}

TEST_F(PlayerText, ClippedAndOpaqueRectangles) {
    // ETO_CLIPPED: nothing outside the rectangle; ETO_OPAQUE: the rectangle in background colour.
    const QRect clipped = InkOfH(0, ETO_CLIPPED, QRect(50, 50, 10, 10));
    EXPECT_TRUE(QRect(50, 50, 10, 10).contains(clipped)) << clipped.x() << "," << clipped.y();
    Drawing d;
    d.Rec(EMR_SETBKCOLOR, {kGreen}).Raw(EMR_EXTTEXTOUTW, TextOut(0, 0, u"", {}, ETO_OPAQUE, QRect(10, 20, 30, 40)));
    const QImage image = Render(d.Finish());
    EXPECT_EQ(Ink(image), QRect(10, 20, 30, 40));
    EXPECT_EQ(At(image, 20, 30), 0x00FF00u);
}

TEST_F(PlayerText, UpdateCpMovesTheCurrentPositionByTheAdvances) {
    Drawing d;
    d.Raw(EMR_EXTCREATEFONTINDIRECTW, Font(1, -20, u"Arial")).Rec(EMR_SELECTOBJECT, {1});
    d.Rec(EMR_SETTEXTALIGN, {TA_UPDATECP}).Rec(EMR_MOVETOEX, {5, 10}).Rec(EMR_SETBKMODE, {TRANSPARENT});
    d.Raw(EMR_EXTTEXTOUTW, TextOut(0, 0, u"I", {60})).Raw(EMR_EXTTEXTOUTW, TextOut(0, 0, u"I", {10}));
    const QRect ink = Ink(Render(d.Finish()));
    EXPECT_GE(ink.left(), 5);
    EXPECT_GE(ink.right(), 65);
    EXPECT_LE(ink.right(), 75);
}

TEST_F(PlayerText, ShapesFilledInOpaqueModeLeaveTextInPlace) {
    // A filled shape under OPAQUE left the painter with an opaque background, which made Qt draw
    // the glyphs of later runs nowhere near their place.
    for (uint32_t textMode : {TRANSPARENT, OPAQUE}) {
        SCOPED_TRACE(textMode);
        Drawing d;
        d.Rec(EMR_SETBKMODE, {OPAQUE}).Rec(EMR_SETBKCOLOR, {kGreen}).NoPen().Brush(1, kBlue).Rect(0, 0, 10, 10);
        d.Raw(EMR_EXTCREATEFONTINDIRECTW, Font(2, -40, u"Arial")).Rec(EMR_SELECTOBJECT, {2});
        d.Rec(EMR_SETBKMODE, {textMode}).Raw(EMR_EXTTEXTOUTW, TextOut(50, 50, u"H", {30}));
        const QImage image = Render(d.Finish());
        QRect black;
        for (int y = 0; y < 100; ++y)
            for (int x = 0; x < 100; ++x)
                if (qGray(image.pixel(x, y)) < 64 && (x >= 10 || y >= 10)) black |= QRect(x, y, 1, 1);
        ASSERT_FALSE(black.isEmpty());
        EXPECT_GE(black.left(), 50);
        EXPECT_GE(black.top(), 50);
        EXPECT_LE(black.right(), 80);
        EXPECT_EQ(At(image, 52, 52), textMode == OPAQUE ? 0x00FF00u : 0xFFFFFFu);  // the cell above the H
    }
}

TEST_F(PlayerText, FacesThatAreNotInstalledAreDrawnInAFaceOfTheirDesign) {
    // Unknown faces go by their design when it is known here, else by their family bits; style
    // words at the end of a face name are styles.
    auto draw = [](const char16_t* face, bool italic, uint8_t pitchAndFamily) {
        Drawing d;
        d.Raw(EMR_EXTCREATEFONTINDIRECTW, Font(1, -40, face, 0, italic, 0, pitchAndFamily)).Rec(EMR_SELECTOBJECT, {1});
        d.Rec(EMR_SETBKMODE, {TRANSPARENT}).Raw(EMR_EXTTEXTOUTW, TextOut(10, 20, u"Ag", {40, 40}));
        return Render(d.Finish());
    };
    const QImage serif = draw(u"Times New Roman", false, 0), serifItalic = draw(u"Times New Roman", true, 0);
    const QImage sans = draw(u"Arial", false, 0), mono = draw(u"Courier New", false, 0);
    struct Case {
        const char* what;
        QImage image;
        const QImage& expected;
    } cases[] = {
        {"a serif face recorded as swiss", draw(u"Garamond", false, 0x22), serif},
        {"its italic face by name", draw(u"Garamond Italic", false, 0x22), serifItalic},
        {"a fixed face without family bits", draw(u"Consolas", false, 0), mono},
        {"an unknown face by its roman bits", draw(u"Quux Antiqua", false, 0x12), serif},
        {"an unknown face without bits", draw(u"Quux Antiqua", false, 0), sans},
    };
    ASSERT_NE(serif, sans);
    for (const Case& c : cases) EXPECT_EQ(c.image, c.expected) << c.what;
}

TEST_F(PlayerText, SymbolFontsDrawTheirSignsNotLetters) {
    // Symbol fonts that are not installed: their code points (bytes, or bytes + 0xF000) become the
    // signs they stand for, drawn in the stand-in face; a picture font without a table draws
    // nothing rather than letters.
    auto draw = [](const char16_t* face, uint8_t charSet, uint8_t pitchAndFamily, const std::u16string& text) {
        Drawing d;
        d.Raw(EMR_EXTCREATEFONTINDIRECTW, Font(1, -40, face, 0, false, charSet, pitchAndFamily));
        d.Rec(EMR_SELECTOBJECT, {1}).Rec(EMR_SETBKMODE, {TRANSPARENT});
        d.Raw(EMR_EXTTEXTOUTW, TextOut(10, 20, text, std::vector<int32_t>(text.size(), 30)));
        return Render(d.Finish());
    };
    const QImage alphaBeta = draw(u"Times New Roman", 0, 0, u"\u03B1\u03B2");
    const QImage bulletCheck = draw(u"Arial", 0, 0, u"\u25CF\u2714");
    struct Case {
        const char* what;
        QImage image;
        QImage expected;
    } cases[] = {
        {"the symbol font by byte", draw(u"Symbol", SYMBOL_CHARSET, 0x12, u"ab"), alphaBeta},
        {"the symbol font by private code point", draw(u"Symbol", SYMBOL_CHARSET, 0x12, u"\uF061\uF062"), alphaBeta},
        {"Wingdings bullet and check mark", draw(u"Wingdings", SYMBOL_CHARSET, 0x02, u"l\u00FC"), bulletCheck},
        {"a picture font without a table", draw(u"Webdings", SYMBOL_CHARSET, 0x02, u"ab"), draw(u"Arial", 0, 0, u"")},
    };
    ASSERT_NE(alphaBeta, draw(u"Times New Roman", 0, 0, u"ab"));
    for (const Case& c : cases) EXPECT_EQ(c.image, c.expected) << c.what;
}

TEST_F(PlayerText, GlyphIndexRecordsAreDrawnAsGlyphNumbers) {
    // Liberation Sans, like the faces it stands for, numbers "A" 36 and "B" 37: records with
    // ETO_GLYPH_INDEX draw those glyphs, never the characters 36 ("$") and 37 ("%").
    auto draw = [](const std::vector<uint8_t>& text, uint32_t type) {
        Drawing d;
        d.Raw(EMR_EXTCREATEFONTINDIRECTW, Font(1, -40, u"Arial")).Rec(EMR_SELECTOBJECT, {1});
        d.Rec(EMR_SETBKMODE, {TRANSPARENT}).Raw(type, text);
        return Render(d.Finish());
    };
    const QImage letters = draw(TextOut(10, 20, u"AB", {30, 30}), EMR_EXTTEXTOUTW);
    const QImage signs = draw(TextOut(10, 20, u"$%", {30, 30}), EMR_EXTTEXTOUTW);
    ASSERT_NE(letters, signs);
    EXPECT_EQ(draw(TextOut(10, 20, u"\u0024\u0025", {30, 30}, ETO_GLYPH_INDEX), EMR_EXTTEXTOUTW), letters) << "wide";
    EXPECT_EQ(draw(TextOutA(10, 20, "$%", {30, 30}, ETO_GLYPH_INDEX), EMR_EXTTEXTOUTA), letters) << "bytes";
    EXPECT_EQ(draw(TextOutA(10, 20, "AB", {30, 30}), EMR_EXTTEXTOUTA), letters) << "characters";
}

TEST_F(PlayerText, EscapementTurnsTheBaseline) {
    Drawing d;
    d.Raw(EMR_EXTCREATEFONTINDIRECTW, Font(1, -10, u"Arial", 900)).Rec(EMR_SELECTOBJECT, {1});
    d.Rec(EMR_SETTEXTALIGN, {TA_BASELINE}).Rec(EMR_SETBKMODE, {TRANSPARENT});
    d.Raw(EMR_EXTTEXTOUTW, TextOut(50, 90, u"HHHHHH", {10, 10, 10, 10, 10, 10}));
    const QRect ink = Ink(Render(d.Finish()));
    // Written upwards from (50, 90): taller than wide, left of the reference point.
    EXPECT_GT(ink.height(), 45);
    EXPECT_LT(ink.width(), 15);
    EXPECT_LE(ink.right(), 50);
    EXPECT_LE(ink.bottom(), 90);
}

// ---- enumeration ----

TEST(PlayerEnumeration, HandlerSkipsStopsAndRecolours) {
    Drawing d;
    d.Raw(EMR_EXTCREATEFONTINDIRECTW, Font(1, -30, u"Arial")).Rec(EMR_SELECTOBJECT, {1});
    d.Rec(EMR_SETTEXTCOLOR, {kBlack}).Rec(EMR_SETBKMODE, {TRANSPARENT});
    d.Raw(EMR_EXTTEXTOUTW, TextOut(10, 10, u"H", {30}));
    d.NoPen().Brush(2, kBlue).Rect(60, 60, 90, 90);
    const Metafile m = d.Finish();
    App();
    auto run = [&](const RecordHandler& handler, bool* completed = nullptr) {
        QImage image(100, 100, QImage::Format_RGB32);
        image.fill(Qt::white);
        QPainter painter(&image);
        {
            Player player(painter, m, QRectF(0, 0, 100, 100));
            const bool done = player.Enumerate(handler);
            if (completed) *completed = done;
        }
        painter.end();
        return image;
    };
    std::vector<uint32_t> types;
    bool completed = false;
    QImage all = run([&](Player&, RecordView r) { types.push_back(r.Type()); return RecordAction::Play; }, &completed);
    EXPECT_TRUE(completed);
    ASSERT_FALSE(types.empty());
    EXPECT_EQ(types.front(), uint32_t(EMR_HEADER));
    EXPECT_EQ(types.back(), uint32_t(EMR_EOF));
    EXPECT_EQ(At(all, 75, 75), 0x0000FFu);

    QImage noRect = run([](Player&, RecordView r) {
        return r.Type() == EMR_RECTANGLE ? RecordAction::Skip : RecordAction::Play;
    });
    EXPECT_EQ(At(noRect, 75, 75), 0xFFFFFFu);
    EXPECT_FALSE(Ink(noRect).isEmpty());

    QImage stopped = run([](Player&, RecordView r) {
        return r.Type() == EMR_EXTTEXTOUTW ? RecordAction::Stop : RecordAction::Play;
    }, &completed);
    EXPECT_FALSE(completed);
    EXPECT_TRUE(Ink(stopped).isEmpty());

    // The highlight of a search hit: white text on black, then the colours come back.
    QColor textAfter;
    QImage highlighted = run([&](Player& p, RecordView r) {
        if (r.Type() != EMR_EXTTEXTOUTW) return RecordAction::Play;
        const QColor text = p.Dc().textColour, bk = p.Dc().bkColour;
        const uint32_t mode = p.Dc().bkMode;
        p.SetTextColour(Qt::white);
        p.SetBkColour(Qt::black);
        p.SetBkMode(OPAQUE);
        p.PlayRecord(r);
        p.SetTextColour(text);
        p.SetBkColour(bk);
        p.SetBkMode(mode);
        textAfter = p.Dc().textColour;
        return RecordAction::Skip;
    });
    EXPECT_EQ(textAfter, QColor(Qt::black));
    const QRect ink = Ink(highlighted);
    EXPECT_EQ(At(highlighted, ink.left() + 1, ink.top() + 1), 0x000000u);  // the opaque cell is black
}

TEST(PlayerEnumeration, StateQueriesFollowTheRecords) {
    Drawing d;
    d.Rec(EMR_CREATEPEN, {1, PS_SOLID, 7, 0, kRed}).Rec(EMR_SELECTOBJECT, {1});
    d.Rec(EMR_SETVIEWPORTORGEX, {10, 20}).Rec(EMR_SETBKCOLOR, {kGreen});
    const Metafile m = d.Finish();
    App();
    QImage image(200, 200, QImage::Format_RGB32);
    QPainter painter(&image);
    painter.setClipRect(QRect(5, 6, 50, 60));
    Player player(painter, m, QRectF(0, 0, 200, 200));
    double width = 0;
    QPointF origin;
    QColor bk;
    player.Enumerate([&](Player& p, RecordView r) {
        if (r.Type() == EMR_EOF) {
            width = p.Dc().pen.width;
            origin = p.LogicalToDevice(QPointF(0, 0));
            bk = p.Dc().bkColour;
        }
        return RecordAction::Play;
    });
    EXPECT_EQ(width, 7.0);
    EXPECT_EQ(origin, QPointF(20, 40));  // the viewport origin, scaled by 2 onto the destination
    EXPECT_EQ(bk, QColor(0, 255, 0));
    EXPECT_EQ(player.DeviceClipBox(), QRect(5, 6, 50, 60));
    EXPECT_EQ(player.DeviceToLogical(QPointF(20, 40)), QPointF(0, 0));
}

// ---- robustness ----

// Bytes the process has allocated and not freed.
size_t AllocatedBytes() {
#if defined(__SANITIZE_ADDRESS__)
    return __sanitizer_get_current_allocated_bytes();
#else
    const struct mallinfo2 m = mallinfo2();
    return m.uordblks + m.hblkhd;
#endif
}

// Characters that the face lacks, a few thousand pixels high, are filled as outlines: they never go
// through Qt's glyph-image cache, which would keep an image of tens of MB for them.
TEST(PlayerRobustness, HugeCharactersOfFallbackFacesTakeNoGlyphImages) {
    App();
    const Metafile m = Metafile::LoadFromFile(std::filesystem::path(TESSALY_SOURCE_DIR) /
                                              "tests/data/fuzz/metafile-huge-fallback-glyph.emf");
    const size_t before = AllocatedBytes();
    QImage image(96, 64, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::white);
    {
        QPainter painter(&image);
        PlayMetafile(painter, m, QRectF(4, 4, 88, 56));
    }
    EXPECT_LT(AllocatedBytes(), before + 16 * 1024 * 1024);

    // Such characters are still drawn: a CJK character 400 pixels high fills part of its box.
    Drawing d;
    d.Raw(EMR_EXTCREATEFONTINDIRECTW, Font(1, -40, u"Arial")).Rec(EMR_SELECTOBJECT, {1});
    d.Rec(EMR_SETBKMODE, {TRANSPARENT}).Raw(EMR_EXTTEXTOUTW, TextOut(0, 0, u"\u6F74", {40}));
    const QImage big = Render(d.Finish(), 1000, 1000);
    int dark = 0;
    for (int y = 0; y < 400; ++y)
        for (int x = 0; x < 400; ++x) dark += qGray(big.pixel(x, y)) < 96;
    EXPECT_GT(dark, 400 * 400 / 20);
}

// Text at an escapement under a mapping that squashes y a ten-thousandfold turns the glyphs' two
// axes almost parallel: such glyphs are filled as outlines, never loaded into Qt's image cache,
// which cannot hold them.
TEST(PlayerRobustness, GlyphsOfASquashedMappingAreFilledAsOutlines) {
    App();
    const Metafile m = Metafile::LoadFromFile(std::filesystem::path(TESSALY_SOURCE_DIR) /
                                              "tests/data/fuzz/metafile-squashed-rotated-text.emf");
    QImage image(96, 64, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::white);
    {
        QPainter painter(&image);
        painter.setClipRect(8, 8, 80, 48);
        PlayMetafile(painter, m, QRectF(4, 4, 88, 56));
    }

    // Text stretched far along x by the mapping still shows its characters.
    Drawing d;
    d.Rec(EMR_SETMAPMODE, {MM_ANISOTROPIC}).Rec(EMR_SETWINDOWEXTEX, {100, 100}).Rec(EMR_SETVIEWPORTEXTEX, {400, 100});
    d.Raw(EMR_EXTCREATEFONTINDIRECTW, Font(1, -40, u"Arial")).Rec(EMR_SELECTOBJECT, {1});
    d.Rec(EMR_SETBKMODE, {TRANSPARENT}).Raw(EMR_EXTTEXTOUTW, TextOut(0, 0, u"H", {40}));
    const QRect ink = Ink(Render(d.Finish(), 400, 100));
    EXPECT_GT(ink.width(), 60);
    EXPECT_GT(ink.height(), 20);
}

TEST(PlayerRobustness, BadObjectsAndHostileRecordsAreLeftOut) {
    Drawing d;
    d.NoPen().Brush(1, kRed);
    d.Rec(EMR_SELECTOBJECT, {77}).Rec(EMR_DELETEOBJECT, {78}).Rec(EMR_SELECTOBJECT, {StockHandle(StockObject(99))});
    d.Rec(EMR_RESTOREDC, {I(-5)}).Rec(EMR_SETMAPMODE, {99}).Rec(EMR_SCALEWINDOWEXTEX, {1, 0, 1, 0});
    d.Rec(EMR_SETWORLDTRANSFORM, {F(1e38f), 0, 0, F(1e38f), 0, 0}).Rec(EMR_MODIFYWORLDTRANSFORM, {F(1e38f), 0, 0, F(1e38f), 0, 0, 3});
    d.Rec(EMR_ANGLEARC, {50, 50, 0xFFFFFFFF, F(0), F(1e30f)});
    d.Raw(EMR_STRETCHDIBITS, StretchDibits(0, 0, 100, 100, InfoHeader(60000, 60000, 24), std::vector<uint8_t>(100, 1), 60000, 60000));
    d.Rect(10, 10, 20, 20);
    EXPECT_EQ(Ink(Render(d.Finish())), QRect(10, 10, 10, 10));
}

TEST(PlayerRobustness, EmfPlusCommentsAreSkipped) {
    Drawing d;
    d.Rec(EMR_COMMENT, {8, 0x2B464D45, 0x12345678}).NoPen().Brush(1, kRed).Rect(1, 2, 3, 4);
    EXPECT_EQ(Ink(Render(d.Finish())), QRect(1, 2, 2, 2));
}

}  // namespace

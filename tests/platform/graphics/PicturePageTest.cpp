// Pictures and text drawn on a page through the recording canvas, then played back: the picture
// lands where it was drawn, at screen and at print resolution, and transparent text leaves what
// lies under it.
#include <gtest/gtest.h>

#include <QPainter>

#include "PictureFiles.h"
#include "platform/emf/EmfPlayer.h"
#include "platform/emf/RecordingCanvas.h"
#include "platform/emf/EmfRecords.h"
#include "platform/graphics/PictureDrawing.h"

using namespace tessaly;
using namespace tessaly::graphics;
using namespace picturetest;

namespace {

constexpr emf::ColorRef kYellow = 0x00FFFF, kWhite = 0xFFFFFF;

QImage Play(const emf::Metafile& page, double scale) {
    QImage image(int(page.Width() * scale), int(page.Height() * scale), QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    emf::PlayMetafile(painter, page, QRectF(0, 0, image.width(), image.height()));
    return image;
}

int CountPixels(const QImage& image, const QRect& area, QRgb colour) {
    int n = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x) n += image.pixel(x, y) == colour;
    return n;
}

TEST(PicturePage, PictureDrawnOnAPagePlaysBackWhereItWasDrawn) {
    const Picture logo = Picture::Load(PictureKind::Jpeg, EncodeJpeg(Quadrants(4000, 3000)));
    emf::RecordingCanvas canvas(400, 300);
    canvas.Brush().color = kYellow;
    canvas.FillRect({0, 0, 400, 300});
    DrawPicture(canvas, {100, 50, 300, 200}, logo);
    const emf::Metafile page = canvas.Close();
    EXPECT_LT(page.Bytes().size(), 1000000u);  // 625 x 469 pixels of 3 bytes, not 48 MB

    for (double scale : {1.0, 3.125}) {
        SCOPED_TRACE(scale);
        const QImage shown = Play(page, scale);
        auto at = [&](int x, int y) { return shown.pixel(int(x * scale), int(y * scale)); };
        EXPECT_TRUE(Near(at(150, 80), qRgb(255, 0, 0)));
        EXPECT_TRUE(Near(at(250, 80), qRgb(0, 255, 0)));
        EXPECT_TRUE(Near(at(150, 170), qRgb(0, 0, 255)));
        EXPECT_TRUE(Near(at(250, 170), qRgb(255, 255, 255)));
        // Edge to edge, nothing outside.
        EXPECT_TRUE(Near(at(101, 51), qRgb(255, 0, 0)));
        EXPECT_TRUE(Near(at(298, 198), qRgb(255, 255, 255)));
        EXPECT_EQ(at(99, 120), qRgb(255, 255, 0));
        EXPECT_EQ(at(301, 120), qRgb(255, 255, 0));
        EXPECT_EQ(at(200, 49), qRgb(255, 255, 0));
        EXPECT_EQ(at(200, 201), qRgb(255, 255, 0));
        if (scale == 1.0) shown.save(QString::fromStdString(::testing::TempDir() + "picture-page.png"));
    }
}

// A metafile picture keeps the pixels of its frame (120 x 80) when drawn smaller than print
// resolution would allow, and plays where it was drawn.
TEST(PicturePage, MetafilePictureIsPlayedAtItsFrameSize) {
    emf::RecordingCanvas drawing(120, 80);
    drawing.Brush().color = 0x0000FF;  // red
    drawing.FillRect({0, 0, 60, 80});
    const emf::Metafile m = drawing.Close();
    const Picture picture = Picture::Load(PictureKind::Metafile, m.Bytes());
    emf::RecordingCanvas canvas(200, 100);
    canvas.Brush().color = kYellow;
    canvas.FillRect({0, 0, 200, 100});
    DrawPicture(canvas, {10, 10, 70, 50}, picture);
    DrawPicture(canvas, {100, 10, 130, 30}, Picture());  // nothing
    const emf::Metafile page = canvas.Close();
    int bitmaps = 0;
    for (emf::RecordView r : page.Records()) {
        if (r.Type() != emf::EMR_STRETCHDIBITS) continue;
        ++bitmaps;
        const auto b = emf::ParseBitmap(r);
        ASSERT_TRUE(b);
        EXPECT_EQ(b->cxSrc, 120);
        EXPECT_EQ(b->cySrc, 80);
    }
    EXPECT_EQ(bitmaps, 1);
    const QImage shown = Play(page, 1);
    EXPECT_EQ(shown.pixel(20, 30), qRgb(255, 0, 0));
    EXPECT_EQ(shown.pixel(60, 30), qRgb(255, 255, 255));  // the metafile's empty half, on paper
    EXPECT_EQ(shown.pixel(80, 30), qRgb(255, 255, 0));
}

TEST(PicturePage, TransparentPartsOfAPictureArePaper) {
    QImage png(40, 40, QImage::Format_ARGB32);
    png.fill(Qt::transparent);
    for (int y = 0; y < 40; ++y)
        for (int x = 20; x < 40; ++x) png.setPixel(x, y, qRgb(0, 0, 255));
    const Picture icon = Picture::Load(PictureKind::Icon, IconFile({{40, 40, 32, PngFile(png)}}));
    emf::RecordingCanvas canvas(100, 100);
    canvas.Brush().color = kYellow;
    canvas.FillRect({0, 0, 100, 100});
    canvas.DrawPicture({10, 10, 50, 50}, icon.ToImage());
    const QImage shown = Play(canvas.Close(), 1);
    EXPECT_EQ(shown.pixel(15, 30), qRgb(255, 255, 255));
    EXPECT_EQ(shown.pixel(45, 30), qRgb(0, 0, 255));
    EXPECT_EQ(shown.pixel(5, 30), qRgb(255, 255, 0));
}

// Text over a yellow fill while a white brush is selected: opaque text would paint its box white.
TEST(PicturePage, TransparentTextLeavesWhatLiesUnderIt) {
    for (bool transparent : {true, false}) {
        SCOPED_TRACE(transparent);
        emf::RecordingCanvas canvas(200, 60);
        canvas.Brush().color = kYellow;
        canvas.FillRect({0, 0, 200, 60});
        canvas.Brush().color = kWhite;
        canvas.SetTransparentText(transparent);
        canvas.Font().name = "Arial";
        canvas.Font().SetSize(20);
        canvas.TextOut(10, 10, "Hello");
        const QRect box(10, 10, canvas.TextWidth("Hello"), canvas.TextHeight("Hello"));
        const QImage shown = Play(canvas.Close(), 1);
        const int white = CountPixels(shown, box, qRgb(255, 255, 255));
        if (transparent) {
            EXPECT_EQ(white, 0);
            EXPECT_GT(CountPixels(shown, box, qRgb(255, 255, 0)), box.width() * box.height() / 2);
        } else {
            EXPECT_GT(white, box.width() * box.height() / 2);
        }
    }
}

}  // namespace

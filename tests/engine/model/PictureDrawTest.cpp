// Picture objects drawn on a page: where the picture goes, pictures of every kind read from a
// database field, fields that hold no picture or a hostile one, and the look of design mode.
#include <gtest/gtest.h>

#include <QPainter>

#include "ObjectDrawing.h"
#include "engine/model/CV_Picture.h"
#include "platform/core/Errors.h"
#include "platform/data/MemoryDataset.h"
#include "platform/emf/EmfPlayer.h"
#include "platform/emf/EmfTestUtil.h"
#include "platform/graphics/PictureFiles.h"

using namespace tessaly;
using namespace objecttest;
using namespace picturetest;
using graphics::Picture;
using graphics::PictureKind;

namespace {

const QRgb kRed = qRgb(255, 0, 0), kGreen = qRgb(0, 255, 0), kBlue = qRgb(0, 0, 255), kPaper = qRgb(255, 255, 255);

class PictureDraw : public ObjectDrawTest {
protected:
    std::unique_ptr<TcvPictureView> View(TcvReport& owner, int left, int top, int width, int height, uint16_t flags) {
        auto v = std::make_unique<TcvPictureView>(&owner);
        v->Left = left, v->Top = top, v->Width = width, v->Height = height;
        v->Flags = flags;
        return v;
    }
    // The page as the preview shows it at 100 %.
    QImage Played() {
        QImage image(794, 1123, QImage::Format_RGB32);
        image.fill(Qt::white);
        QPainter painter(&image);
        emf::PlayMetafile(painter, ClosePage(), QRectF(0, 0, 794, 1123));
        return image;
    }
};

// A report whose named value "Foto" is bound to a binary field; SetBytes puts a value into it.
class PhotoReport {
public:
    PhotoReport() {
        data_ = new data::MemoryDataset(&owner_, {{"foto", data::FieldKind::Graphic}});
        data_->SetName("Dati");
        data_->AppendRow({Variant::Null()});
        data_->Open();
        BindNamedValue(report, "Foto", "Dati", "foto");
    }
    void SetBytes(const Bytes& bytes) {
        data_->SetValue(0, 0, bytes.empty() ? Variant::Null() : Variant(std::string(bytes.begin(), bytes.end())));
        data_->Refresh();
    }

private:
    TComponent owner_{nullptr};
    data::MemoryDataset* data_;

public:
    TcvReport report{&owner_};
};

// A metafile of the four quadrants, recorded as a page is.
Bytes QuadrantsMetafile(int width, int height) {
    emf::RecordingCanvas c(width, height);
    const std::pair<emf::RectL, emf::ColorRef> quadrants[] = {
        {{0, 0, width / 2, height / 2}, 0x0000FF},
        {{width / 2, 0, width, height / 2}, 0x00FF00},
        {{0, height / 2, width / 2, height}, 0xFF0000},
        {{width / 2, height / 2, width, height}, 0xFFFFFF}};
    for (auto [r, color] : quadrants) {
        c.Brush().color = color;
        c.FillRect(r);
    }
    const emf::Metafile m = c.Close();
    return Bytes(m.Bytes().begin(), m.Bytes().end());
}

}  // namespace

TEST(PicturePlacement, TargetsForEveryOption) {
    const emf::RectL square{0, 0, 101, 101};  // the inner rectangle of a 100 x 100 object
    const uint16_t scaled = pfStretch, aspect = pfStretch | pfKeepAspect, centred = pfStretch | pfKeepAspect | pfCenter;
    struct Case {
        const char* name;
        emf::SizeL picture;
        uint16_t flags;
        std::optional<emf::RectL> target;
    } cases[] = {
        {"scaled fills the inner rectangle", {200, 100}, scaled, square},
        {"scaled and centred still fills it", {200, 100}, scaled | pfCenter, square},
        {"twice as wide: full width, half height, at the top", {200, 100}, aspect, emf::RectL{0, 0, 101, 50}},
        {"twice as wide and centred: in the middle", {200, 100}, centred, emf::RectL{0, 25, 101, 75}},
        {"four times as high: a quarter of the width, at the left", {50, 200}, aspect, emf::RectL{0, 0, 25, 101}},
        {"four times as high and centred", {50, 200}, centred, emf::RectL{38, 0, 63, 101}},
        {"own size from the top left corner", {300, 200}, 0, emf::RectL{0, 0, 300, 200}},
        {"own size centred, larger than the object", {300, 200}, pfCenter, emf::RectL{-99, -49, 201, 151}},
        {"own size centred, smaller", {40, 20}, pfCenter, emf::RectL{30, 40, 70, 60}},
        {"a picture without width", {0, 100}, aspect, std::nullopt},
        {"a picture without height", {100, 0}, 0, std::nullopt},
    };
    for (const Case& c : cases) EXPECT_EQ(PictureTarget(square, 100, 100, c.picture, c.flags), c.target) << c.name;
    EXPECT_EQ(PictureTarget(square, 0, 100, {200, 100}, aspect), (emf::RectL{0, 0, 101, 0}))
        << "an object without width scales the picture to nothing, without dividing by it";
}

TEST_F(PictureDraw, ScaledPicturesAreStretchedIntoTheirTargetWithHalftone) {
    const Picture picture = Picture::Load(
        PictureKind::Bitmap,
        Dib{200, 100, 24, 0, {}, {}, false, 40, PackRows(200, 100, 24, [](int, int) { return 0x336699u; })}.File());
    for (uint16_t flags : {uint16_t(pfStretch), uint16_t(pfStretch | pfKeepAspect | pfCenter)}) {
        auto v = View(report, 100, 200, 100, 100, flags);
        v->Picture = picture;
        v->Draw(Canvas());
        const Drawn d = Page();
        ASSERT_EQ(d.bitmaps.size(), 1u);
        v->CalcDrawRect();
        EXPECT_EQ(d.bitmaps[0].dest, PictureTarget(v->DrawRect, 100, 100, {200, 100}, flags));
        EXPECT_EQ(d.bitmaps[0].stretchMode, emf::HALFTONE);
        EXPECT_LE(d.bitmaps[0].sourceWidth, 200) << "never more pixels than the picture has";
    }
}

TEST_F(PictureDraw, AnUnscaledPictureIsCutOnePixelPastTheObjectsEdges) {
    auto v = View(report, 50, 60, 100, 80, 0);
    v->Picture = Picture::Load(PictureKind::Jpeg, graphics::EncodeJpeg(Quadrants(300, 200), {95, false, false}));
    v->Draw(Canvas());
    auto centred = View(report, 300, 60, 100, 80, pfCenter);
    centred->Picture = v->Picture;
    centred->Draw(Canvas());
    const emf::Metafile page = canvas->Close();
    const Drawn d = Read(page);
    ASSERT_EQ(d.bitmaps.size(), 2u);
    EXPECT_EQ(d.bitmaps[0].dest, (emf::RectL{50, 60, 151, 141}));
    EXPECT_EQ(d.bitmaps[0].sourceWidth, 101) << "only what shows is stored";
    EXPECT_EQ(d.bitmaps[0].sourceHeight, 81);
    EXPECT_EQ(d.bitmaps[1].dest, (emf::RectL{300, 60, 401, 141}));

    QImage image(794, 1123, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    emf::PlayMetafile(painter, page, QRectF(0, 0, 794, 1123));
    painter.end();
    EXPECT_TRUE(Near(image.pixel(52, 62), kRed));
    EXPECT_TRUE(Near(image.pixel(148, 138), kRed)) << "the top left quadrant reaches past the cut";
    EXPECT_TRUE(Near(image.pixel(153, 100), kPaper));
    // Centred: the quadrants meet in the middle of the object.
    EXPECT_TRUE(Near(image.pixel(346, 96), kRed));
    EXPECT_TRUE(Near(image.pixel(354, 96), kGreen));
    EXPECT_TRUE(Near(image.pixel(346, 104), kBlue));
}

TEST_F(PictureDraw, PicturesOfEveryKindComeFromABinaryField) {
    const QImage quadrants = Quadrants(40, 40);
    const auto quadrant = [](int x, int y) { return uint32_t((y >= 20) * 2 + (x >= 20)); };
    const auto pixel = [&](int x, int y) { return uint32_t(quadrants.pixel(x, y)); };
    const auto opaque = [](int, int) { return false; };
    Dib palette8{40, 40, 8, 0, {kRed, kGreen, kBlue, kPaper}, {}, false, 40, PackRows(40, 40, 8, quadrant)};
    Dib icon{40, 80, 32, 0, {}, {}, false, 40, IconBits(40, 32, pixel, opaque)};
    const Bytes bitmap = palette8.File();
    const struct {
        const char* name;
        Bytes bytes;
    } cases[] = {
        {"8-bit palette bitmap", bitmap},
        {"bitmap behind an 8-byte header", Cat(Bytes{1, 2, 3, 4, 5, 6, 7, 8}, bitmap)},
        {"icon", IconFile({{40, 40, 32, icon.Packed()}})},
        {"baseline JPEG", graphics::EncodeJpeg(quadrants)},
        {"progressive JPEG", graphics::EncodeJpeg(quadrants, {90, true, false})},
        {"metafile", QuadrantsMetafile(40, 40)},
    };
    PhotoReport photos;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        photos.SetBytes(c.bytes);
        auto v = View(photos.report, 100, 100, 200, 200, pfStretch);
        v->MemoLines.SetText("[Foto]");
        v->Draw(Canvas());
        EXPECT_TRUE(v->FromField);
        const QImage image = Played();
        EXPECT_TRUE(Near(image.pixel(150, 150), kRed));
        EXPECT_TRUE(Near(image.pixel(250, 150), kGreen));
        EXPECT_TRUE(Near(image.pixel(150, 250), kBlue));
    }
}

TEST_F(PictureDraw, FieldsWithoutAPictureAreRefusedWithTheMessageOrDrawNothing) {
    PhotoReport photos;
    const struct {
        const char* name;
        Bytes bytes;
        const char* message;  // empty: nothing drawn, no error
    } cases[] = {
        {"five bytes of text", {'a', 'b', 'c', 'd', 'e'}, "Formato immagine sconosciuto."},
        {"one byte", {0x42}, "Formato immagine sconosciuto."},
        {"twelve bytes of nothing known", Bytes(12, 0x55), "Formato immagine sconosciuto."},
        {"JPEG claiming 65,000 x 65,000 pixels", JpegClaiming(65000, 65000), "Image too large"},
        {"metafile framing 100,000 x 100,000 pixels",
         emftest::ImageBuilder()
             .Header(2, int32_t(100000LL * 36000 / 1024), int32_t(100000LL * 27000 / 768))
             .Eof()
             .Finish(),
         "Image too large"},
        {"a null value", {}, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        photos.SetBytes(c.bytes);
        auto v = View(photos.report, 100, 100, 200, 200, pfStretch);
        v->MemoLines.SetText("[Foto]");
        v->Picture = Picture::Load(PictureKind::Jpeg, graphics::EncodeJpeg(Quadrants(8, 8)));
        std::string message;
        try {
            v->Draw(Canvas());
        } catch (const EngineError& e) {
            message = e.Message();
        }
        EXPECT_NE(message.find(c.message), std::string::npos) << message;
        EXPECT_EQ(message.empty(), *c.message == 0) << message;
        EXPECT_TRUE(Page().bitmaps.empty()) << "neither the field's picture nor the stored one";
    }
}

TEST_F(PictureDraw, AFieldsPictureStandsInOnlyForTheDrawThatReadIt) {
    PhotoReport photos;
    photos.SetBytes(graphics::EncodeJpeg(Quadrants(40, 40)));
    auto v = View(photos.report, 100, 100, 50, 50, pfStretch);
    v->MemoLines.SetText("[Foto]");
    v->Picture = Picture::Load(PictureKind::Jpeg, graphics::EncodeJpeg(Quadrants(8, 8)));
    v->Draw(Canvas());
    photos.report.HasPictureFields = false;  // a later preparation without picture fields
    v->Draw(Canvas());
    const Drawn d = Page();
    ASSERT_EQ(d.bitmaps.size(), 2u);
    EXPECT_EQ(d.bitmaps[0].sourceWidth, 40);
    EXPECT_EQ(d.bitmaps[1].sourceWidth, 8) << "the stored picture again";
    EXPECT_FALSE(v->FromField);
}

TEST_F(PictureDraw, AnEmptyPictureShowsItsCaptionInDesignModeOnly) {
    auto v = View(report, 100, 100, 120, 80, pfStretch);
    v->Draw(Canvas());
    Drawn d = Page();
    EXPECT_TRUE(d.texts.empty());
    EXPECT_TRUE(d.bitmaps.empty());
    EngineMode = emDesign;
    v->Visible = 0;
    v->Draw(Canvas());
    d = Page();
    ASSERT_EQ(d.texts.size(), 1u);
    EXPECT_EQ(d.texts[0].text, "[Immagine]");
    EXPECT_EQ(d.texts[0].x, 102);
    EXPECT_EQ(d.texts[0].y, 102);
    EXPECT_EQ(d.texts[0].font.height, -11);  // Arial 8 points
    ASSERT_FALSE(d.pens.empty());
    EXPECT_EQ(d.pens.back().color, 0x0000FFu) << "a hidden picture is crossed out";
}

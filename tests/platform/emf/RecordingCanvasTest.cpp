// The recording canvas: the blank report's drawing, what a drawing records, the handle table, and
// text measured through Qt with our face substitutes.
#include <gtest/gtest.h>

#include <QFile>
#include <QFontInfo>
#include <QFontMetricsF>
#include <numeric>

#include "platform/emf/FontSubstitution.h"
#include "platform/emf/Metafile.h"
#include "platform/emf/RecordingCanvas.h"

using namespace tessaly;
using namespace tessaly::emf;

namespace {

std::vector<RecordView> RecordsOf(const Metafile& m) {
    std::vector<RecordView> out;
    for (RecordView r : m.Records()) out.push_back(r);
    return out;
}

// The records between the set-up records (11 after the header) and the three closing selections
// and EOF.
std::vector<RecordView> DrawnRecords(const Metafile& m) {
    auto all = RecordsOf(m);
    return std::vector<RecordView>(all.begin() + 12, all.end() - 4);
}
// Records borrow the metafile's bytes: keep the metafile alive.
std::vector<RecordView> DrawnRecords(const Metafile&&) = delete;

std::vector<uint32_t> Types(const std::vector<RecordView>& records) {
    std::vector<uint32_t> t;
    for (RecordView r : records) t.push_back(r.Type());
    return t;
}

std::vector<uint8_t> BlankReportResource() {
    QFile f(":/EMPTYREPORT");
    if (!f.open(QIODevice::ReadOnly)) return {};
    QByteArray b = f.readAll();
    return std::vector<uint8_t>(b.begin(), b.end());
}

}  // namespace

TEST(RecordingCanvas, FreshCanvasWritesTheBlankReportDrawing) {
    auto report = BlankReportResource();
    ASSERT_EQ(report.size(), 706u) << "resource :/EMPTYREPORT missing";
    std::vector<uint8_t> drawing(report.begin() + 22, report.end());
    ASSERT_EQ(drawing.size(), 684u);

    RecordingCanvas canvas(793, 1122);
    Metafile m = canvas.Close();
    EXPECT_EQ(std::vector<uint8_t>(m.Bytes().begin(), m.Bytes().end()), drawing);

    EXPECT_EQ(m.RecordCount(), 16u);
    EXPECT_EQ(m.Width(), 793);
    EXPECT_EQ(m.Height(), 1122);
    const EmrHeader& h = m.Header();
    EXPECT_EQ(h.bounds, (RectL{0, 0, -1, -1}));
    EXPECT_EQ(h.frame, (RectL{0, 0, 27879, 39445}));
    EXPECT_EQ(h.handles, 4);
    EXPECT_EQ(h.device, (SizeL{1024, 768}));
    EXPECT_EQ(h.millimeters, (SizeL{360, 270}));
    auto records = RecordsOf(m);
    auto font = ParseCreateFont(records[2]);
    ASSERT_TRUE(font);
    EXPECT_EQ(records[2].Size(), 368u);
    EXPECT_EQ(font->font.faceName, u"MS Sans Serif");
    EXPECT_EQ(font->font.height, -11);
    EXPECT_EQ(font->font.weight, 400);
    EXPECT_EQ(font->font.charSet, 1);
}

TEST(RecordingCanvas, RecordedDrawingReadsBackAsDrawn) {
    RecordingCanvas c(400, 300);
    c.Pen().width = 3;
    c.Pen().color = 0x0000FF;
    c.Pen().style = PenStyle::Dash;
    c.Brush().color = 0x00FF00;
    c.Rectangle(10, 20, 110, 70);
    c.MoveTo(5, 6);
    c.LineTo(50, 60);
    c.Polyline({{1, 2}, {3, 4}, {70000, 5}});
    c.Polyline({{1, 2}, {-3, 4}});
    c.Brush().style = BrushStyle::Clear;
    c.Ellipse(0, 0, 40, 30);
    c.Font().name = "Arial";
    c.Font().SetSize(10);
    c.Font().style = fsBold;
    c.Font().color = 0x123456;
    c.TextRect({100, 100, 150, 120}, 102, 101, "Caff\xE8");  // cp1252 e grave
    QImage image(2, 1, QImage::Format_RGB32);
    image.setPixel(0, 0, 0xFF102030);
    image.setPixel(1, 0, 0xFF405060);
    c.StretchDraw({200, 200, 220, 210}, image);
    Metafile m = c.Close();

    auto drawn = DrawnRecords(m);
    EXPECT_EQ(Types(drawn),
              (std::vector<uint32_t>{
                  EMR_CREATEPEN, EMR_SELECTOBJECT, EMR_DELETEOBJECT,              // new pen
                  EMR_CREATEBRUSHINDIRECT, EMR_SELECTOBJECT, EMR_DELETEOBJECT,    // new brush
                  EMR_SETBKCOLOR, EMR_SETBKMODE, EMR_RECTANGLE,
                  EMR_MOVETOEX, EMR_LINETO, EMR_POLYLINE, EMR_POLYLINE16,
                  EMR_CREATEBRUSHINDIRECT, EMR_SELECTOBJECT, EMR_DELETEOBJECT,    // clear brush
                  EMR_SETBKCOLOR, EMR_SETBKMODE, EMR_ELLIPSE,
                  EMR_EXTCREATEFONTINDIRECTW, EMR_SELECTOBJECT, EMR_DELETEOBJECT, // new font
                  EMR_SETTEXTCOLOR, EMR_EXTTEXTOUTW, EMR_STRETCHDIBITS}));

    auto pen = ParseCreatePen(drawn[0]);
    EXPECT_EQ(pen->style, uint32_t(PS_DASH));
    EXPECT_EQ(pen->width.x, 3);
    EXPECT_EQ(pen->color, 0x0000FFu);
    EXPECT_EQ(ParseCreateBrush(drawn[3])->color, 0x00FF00u);
    EXPECT_EQ(ParseValue(drawn[6]), 0x00FF00u);
    EXPECT_EQ(ParseValue(drawn[7]), uint32_t(OPAQUE));
    EXPECT_EQ(ParseRect(drawn[8]), (RectL{10, 20, 110, 70}));
    EXPECT_EQ(ParsePoint(drawn[9]), (PointL{5, 6}));
    EXPECT_EQ(ParsePoint(drawn[10]), (PointL{50, 60}));
    EXPECT_EQ(ParsePoly(drawn[11])->points, (std::vector<PointL>{{1, 2}, {3, 4}, {70000, 5}}));
    EXPECT_EQ(ParsePoly(drawn[12])->points, (std::vector<PointL>{{1, 2}, {-3, 4}}));
    EXPECT_EQ(ParsePoly(drawn[12])->bounds, (RectL{-3, 2, 1, 4}));
    EXPECT_EQ(ParseCreateBrush(drawn[13])->style, uint32_t(BS_NULL));
    EXPECT_EQ(ParseValue(drawn[17]), uint32_t(TRANSPARENT));

    auto font = ParseCreateFont(drawn[19]);
    EXPECT_EQ(font->font.faceName, u"Arial");
    EXPECT_EQ(font->font.height, -13);
    EXPECT_EQ(font->font.weight, 700);
    EXPECT_EQ(ParseValue(drawn[22]), 0x123456u);
    auto text = ParseExtTextOut(drawn[23]);
    ASSERT_TRUE(text);
    EXPECT_EQ(text->text.wide, u"Caff\u00E8");
    EXPECT_EQ(text->text.reference, (PointL{102, 101}));
    EXPECT_EQ(text->text.options, uint32_t(ETO_CLIPPED));
    EXPECT_EQ(text->text.clip, (RectL{100, 100, 150, 120}));
    EXPECT_EQ(text->text.dx.size(), 5u);
    EXPECT_GE(text->bounds.left, 100);
    EXPECT_LE(text->bounds.right, 149);

    auto bitmap = ParseBitmap(drawn[24]);
    ASSERT_TRUE(bitmap);
    EXPECT_EQ(bitmap->xDest, 200);
    EXPECT_EQ(bitmap->cxDest, 20);
    EXPECT_EQ(bitmap->cyDest, 10);
    EXPECT_EQ(bitmap->cxSrc, 2);
    EXPECT_EQ(bitmap->cySrc, 1);
    EXPECT_EQ(bitmap->rop, uint32_t(SRCCOPY));
    ASSERT_EQ(bitmap->bitsSrc.size(), 8u);
    EXPECT_EQ(LoadU32(bitmap->bitsSrc.data()), 0x102030u);  // blue, green, red, 0
    EXPECT_EQ(LoadU32(bitmap->bitsSrc.data() + 4), 0x405060u);

    // Bounds: everything drawn, the 32-bit polyline point included.
    EXPECT_EQ(m.Header().bounds.left, -3);
    EXPECT_EQ(m.Header().bounds.right, 70000);
    EXPECT_EQ(m.Header().bounds.bottom, 209);
    EXPECT_EQ(m.Header().records, m.RecordCount());
}

TEST(RecordingCanvas, HandleSlotsAreReusedLowestFirst) {
    RecordingCanvas c(100, 100);
    c.Font().height = -20;
    c.TextOut(0, 0, "a");  // font 1 replaced by 4
    c.Font().height = -30;
    c.TextOut(0, 0, "b");  // font 4 replaced by 1
    c.Font().color = 0xFF;
    c.TextOut(0, 0, "c");  // only the text colour changes
    Metafile m = c.Close();
    std::vector<std::pair<uint32_t, uint32_t>> objects;  // (type, handle)
    for (RecordView r : DrawnRecords(m))
        if (r.Type() == EMR_EXTCREATEFONTINDIRECTW || r.Type() == EMR_SELECTOBJECT ||
            r.Type() == EMR_DELETEOBJECT || r.Type() == EMR_SETTEXTCOLOR)
            objects.emplace_back(r.Type(), *ParseValue(r));
    EXPECT_EQ(objects, (std::vector<std::pair<uint32_t, uint32_t>>{
                           {EMR_EXTCREATEFONTINDIRECTW, 4}, {EMR_SELECTOBJECT, 4},
                           {EMR_DELETEOBJECT, 1}, {EMR_SETTEXTCOLOR, 0},
                           {EMR_EXTCREATEFONTINDIRECTW, 1}, {EMR_SELECTOBJECT, 1},
                           {EMR_DELETEOBJECT, 4}, {EMR_SETTEXTCOLOR, 0},
                           {EMR_SETTEXTCOLOR, 0xFF}}));
    EXPECT_EQ(m.Header().handles, 5);
}

TEST(RecordingCanvas, RestoreBringsBackTheSavedObjectsAndFreesTheOthers) {
    RecordingCanvas c(100, 100);
    c.SaveDC();
    c.IntersectClipRect({10, 10, 50, 50});
    c.Brush().color = 0x0000FF;
    c.FillRect({0, 0, 100, 100});  // brush 4 replaces 3, which the saved state still selects
    c.RestoreDC();                 // brush 3 is back: 4 goes
    c.FillRect({0, 0, 10, 10});    // the red brush again, as brush 4
    Metafile m = c.Close();
    std::vector<std::pair<uint32_t, uint32_t>> seq;
    for (RecordView r : DrawnRecords(m)) seq.emplace_back(r.Type(), r.Size() >= 12 ? *ParseValue(r) : 0);
    EXPECT_EQ(seq, (std::vector<std::pair<uint32_t, uint32_t>>{
                       {EMR_SAVEDC, 0}, {EMR_INTERSECTCLIPRECT, 10},
                       {EMR_CREATEBRUSHINDIRECT, 4}, {EMR_SELECTOBJECT, 4},
                       {EMR_SETBKCOLOR, 0x0000FF}, {EMR_SETBKMODE, OPAQUE}, {EMR_BITBLT, 0},
                       {EMR_RESTOREDC, uint32_t(-1)}, {EMR_DELETEOBJECT, 4},
                       {EMR_CREATEBRUSHINDIRECT, 4}, {EMR_SELECTOBJECT, 4}, {EMR_DELETEOBJECT, 3},
                       {EMR_SETBKCOLOR, 0x0000FF}, {EMR_SETBKMODE, OPAQUE}, {EMR_BITBLT, 0}}));
    auto blt = ParseBitmap(DrawnRecords(m)[6]);
    EXPECT_EQ(blt->rop, uint32_t(PATCOPY));
    EXPECT_TRUE(blt->bitsSrc.empty());
    EXPECT_EQ(blt->cxDest, 100);
}

TEST(RecordingCanvas, HelloWorldAdvancesAddUpToTheMeasuredWidth) {
    RecordingCanvas c(200, 100);
    c.Font().name = "Arial";
    c.Font().SetSize(10);
    EXPECT_EQ(c.Font().height, -13);
    QFontMetricsF fm(QtFontFor(c.Font()));
    EXPECT_DOUBLE_EQ(fm.horizontalAdvance("Hello world"), 64.1875);
    auto dx = c.CharAdvances("Hello world");
    ASSERT_EQ(dx.size(), 11u);
    EXPECT_EQ(std::accumulate(dx.begin(), dx.end(), 0), 64);
    EXPECT_EQ(c.TextWidth("Hello world"), 64);
    c.TextOut(3, 4, "Hello world");
    Metafile m = c.Close();
    auto text = ParseExtTextOut(DrawnRecords(m).back());
    ASSERT_TRUE(text);
    EXPECT_EQ(text->text.dx, dx);
    EXPECT_EQ(text->bounds.left, 3);
    EXPECT_EQ(text->bounds.right, 3 + 64 - 1);
}

// Character widths are kept per font between canvases: each font must keep its own.
TEST(RecordingCanvas, WidthsKeptBetweenCanvasesBelongToTheirFont) {
    const char* text = "Hello world \x80 \xE8";
    std::vector<std::pair<CanvasFont, double>> fonts;
    for (const char* face : {"Arial", "Times New Roman", "Courier New"})
        for (uint8_t style : {uint8_t(0), uint8_t(fsBold), uint8_t(fsItalic)})
            for (int points : {10, 11}) {
                CanvasFont f;
                f.name = face, f.style = style;
                f.SetSize(points);
                fonts.push_back(
                    {f, QFontMetricsF(QtFontFor(f)).horizontalAdvance(QString::fromUtf8("Hello world \u20AC \u00E8"))});
            }
    for (int round = 0; round < 2; ++round) {
        RecordingCanvas c(200, 100);
        for (const auto& [font, width] : fonts) {
            c.Font() = font;
            EXPECT_EQ(c.TextWidth(text), std::lround(width))
                << font.name << " " << font.height << " " << int(font.style);
            c.Font().escapement = 900;
            EXPECT_EQ(c.TextWidth(text), std::lround(width)) << "turning changes no width";
        }
    }
}

TEST(RecordingCanvas, FacesAreSubstitutedByOurTable) {
    struct Case {
        const char* face;
        const char* family;
    };
    const Case cases[] = {
        {"Arial", "Liberation Sans"},          {"arial", "Liberation Sans"},
        {"Times New Roman", "Liberation Serif"}, {"Courier New", "Liberation Mono"},
        {"MS Sans Serif", "Liberation Sans"},  {"Tahoma", "Liberation Sans"},
        {"VERDANA", "Liberation Sans"},        {"Wingdings", "Wingdings"},
        {"Arial Black", "Arial Black"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(SubstituteFace(c.face), c.family) << c.face;
    }
    // fontconfig alone would take DejaVu Sans for these.
    for (const char* face : {"MS Sans Serif", "Tahoma", "Verdana", "Arial"}) {
        CanvasFont f;
        f.name = face;
        EXPECT_EQ(QFontInfo(QtFontFor(f)).family(), "Liberation Sans") << face;
    }
}

TEST(RecordingCanvas, FontSizeAndHeight) {
    struct Case {
        int32_t points, height;
    };
    const Case cases[] = {{8, -11}, {10, -13}, {12, -16}, {9, -12}, {72, -96}};
    for (const auto& c : cases) {
        CanvasFont f;
        f.SetSize(c.points);
        EXPECT_EQ(f.height, c.height) << c.points;
        EXPECT_EQ(f.Size(), c.points) << c.points;
        EXPECT_EQ(QtFontFor(f).pixelSize(), -c.height);
    }
    // A positive height is the whole cell: the characters come out smaller.
    CanvasFont cell;
    cell.name = "Arial";
    cell.height = 23;
    EXPECT_LT(QtFontFor(cell).pixelSize(), 23);
    EXPECT_GE(QtFontFor(cell).pixelSize(), 19);
}

TEST(RecordingCanvas, TurnedTextBoundsRunUpwards) {
    RecordingCanvas c(300, 300);
    c.Font().name = "Arial";
    c.Font().escapement = c.Font().orientation = 900;
    c.TextOut(100, 200, "Verticale");
    Metafile m = c.Close();
    auto drawn = DrawnRecords(m);
    auto font = ParseCreateFont(drawn[0]);
    EXPECT_EQ(font->font.escapement, 900);
    auto text = ParseExtTextOut(drawn.back());
    ASSERT_TRUE(text);
    int32_t height = text->bounds.bottom - text->bounds.top + 1;
    int32_t width = text->bounds.right - text->bounds.left + 1;
    EXPECT_GT(height, width);
    EXPECT_EQ(text->bounds.bottom, 199);
}

TEST(RecordingCanvas, PatternBrushIsWrittenAsDeviceIndependentBits) {
    RecordingCanvas c(50, 50);
    QImage pattern(8, 8, QImage::Format_RGB32);
    pattern.fill(0xFFFFFFFF);
    pattern.setPixel(0, 0, 0xFF000000);
    c.Brush().pattern = pattern;
    c.FillRect({0, 0, 16, 16});
    Metafile m = c.Close();
    auto drawn = DrawnRecords(m);
    ASSERT_EQ(drawn[0].Type(), uint32_t(EMR_CREATEDIBPATTERNBRUSHPT));
    auto brush = ParseCreateDibBrush(drawn[0]);
    ASSERT_TRUE(brush);
    EXPECT_EQ(brush->bmi.size(), 40u);
    EXPECT_EQ(LoadI32(brush->bmi.data() + 4), 8);
    ASSERT_EQ(brush->bits.size(), 8u * 8 * 4);
    // Bottom-up rows: the top-left black pixel is in the last row.
    EXPECT_EQ(LoadU32(brush->bits.data() + 7 * 32), 0u);
    EXPECT_EQ(LoadU32(brush->bits.data()), 0xFFFFFFu);
}

TEST(RecordingCanvas, PicturesKeepAtMostPrintResolution) {
    struct Case {
        SizeL image;
        RectL dest;
        SizeL stored;
    };
    const Case cases[] = {
        {{4000, 3000}, {10, 20, 210, 170}, {625, 469}},  // 200 x 150 at 300 dpi: 625 x 468.75
        {{100, 50}, {0, 0, 400, 200}, {100, 50}},        // never more pixels than the image has
        {{97, 97}, {0, 0, 31, 31}, {97, 97}},            // 96.875 rounds up
        {{1000, 1000}, {0, 0, 96, 1}, {300, 4}},
        {{1000, 1000}, {5, 5, 5, 100}, {0, 297}},        // no width: nothing to store
        {{1000, 1000}, {50, 50, 10, 10}, {0, 0}},
    };
    for (const auto& c : cases) {
        const SizeL stored = PictureStorageSize(c.image, c.dest);
        EXPECT_EQ(stored.cx, c.stored.cx) << c.image.cx << " into " << c.dest.right - c.dest.left;
        EXPECT_EQ(stored.cy, c.stored.cy) << c.image.cy << " into " << c.dest.bottom - c.dest.top;
    }
}

TEST(RecordingCanvas, PictureIsStoredAtTheSizeItIsDrawnWithHalftone) {
    RecordingCanvas c(800, 600);
    QImage logo(4000, 3000, QImage::Format_RGB32);
    logo.fill(qRgb(10, 20, 30));
    c.DrawPicture({10, 20, 210, 170}, logo);
    c.DrawPicture({300, 20, 500, 170}, logo);  // the stretch mode is already set
    Metafile m = c.Close();
    auto drawn = DrawnRecords(m);
    ASSERT_EQ(Types(drawn), (std::vector<uint32_t>{EMR_SETSTRETCHBLTMODE, EMR_STRETCHDIBITS, EMR_STRETCHDIBITS}));
    EXPECT_EQ(ParseValue(drawn[0]), uint32_t(HALFTONE));
    auto bitmap = ParseBitmap(drawn[1]);
    ASSERT_TRUE(bitmap);
    EXPECT_EQ((RectL{bitmap->xDest, bitmap->yDest, bitmap->cxDest, bitmap->cyDest}), (RectL{10, 20, 200, 150}));
    EXPECT_EQ(bitmap->cxSrc, 625);
    EXPECT_EQ(bitmap->cySrc, 469);
    EXPECT_EQ(bitmap->rop, uint32_t(SRCCOPY));
    EXPECT_EQ(LoadU16(bitmap->bmiSrc.data() + 14), 24);  // bits per pixel
    const size_t stride = (625 * 3 + 3) / 4 * 4;
    ASSERT_EQ(bitmap->bitsSrc.size(), stride * 469);
    EXPECT_EQ(LoadU32(bitmap->bitsSrc.data()) & 0xFFFFFF, 0x0A141Eu);  // blue, green, red
    EXPECT_LT(drawn[1].Size(), 900000u);
    EXPECT_EQ(m.Header().bounds, (RectL{10, 20, 499, 169}));
}

TEST(RecordingCanvas, PictureStretchModeFollowsSaveAndRestore) {
    QImage image(4, 4, QImage::Format_RGB32);
    image.fill(Qt::red);
    RecordingCanvas c(100, 100);
    c.SetStretchMode(COLORONCOLOR);
    c.SaveDC();
    c.DrawPicture({0, 0, 4, 4}, image);  // HALFTONE
    c.RestoreDC();                       // back to COLORONCOLOR
    c.DrawPicture({0, 0, 4, 4}, image);  // HALFTONE again
    c.SaveDC();
    c.SetStretchMode(BLACKONWHITE);
    c.RestoreDC();                       // back to HALFTONE
    c.DrawPicture({0, 0, 4, 4}, image);
    c.DrawPicture({0, 0, 0, 4}, image);  // nothing drawn
    c.DrawPicture({0, 0, 4, 4}, QImage());
    Metafile m = c.Close();
    std::vector<std::pair<uint32_t, uint32_t>> seq;
    for (RecordView r : DrawnRecords(m))
        seq.emplace_back(r.Type(), r.Type() == EMR_SETSTRETCHBLTMODE ? *ParseValue(r) : 0);
    EXPECT_EQ(seq, (std::vector<std::pair<uint32_t, uint32_t>>{
                       {EMR_SETSTRETCHBLTMODE, COLORONCOLOR}, {EMR_SAVEDC, 0},
                       {EMR_SETSTRETCHBLTMODE, HALFTONE}, {EMR_STRETCHDIBITS, 0}, {EMR_RESTOREDC, 0},
                       {EMR_SETSTRETCHBLTMODE, HALFTONE}, {EMR_STRETCHDIBITS, 0}, {EMR_SAVEDC, 0},
                       {EMR_SETSTRETCHBLTMODE, BLACKONWHITE}, {EMR_RESTOREDC, 0}, {EMR_STRETCHDIBITS, 0}}));
}

// Text in transparent mode sets the background mode for itself; lines get the brush's mode back
// (the gaps of styled pens are filled by it); the default mode writes what the brush says.
TEST(RecordingCanvas, TransparentTextModeSetsTheBackgroundModeAroundText) {
    RecordingCanvas c(200, 100);
    c.SetTransparentText(true);
    c.TextOut(0, 0, "a");
    c.TextOut(0, 20, "b");
    c.LineTo(50, 50);
    c.SetTransparentText(false);
    c.TextOut(0, 40, "c");
    c.Brush().style = BrushStyle::Clear;
    c.SetTransparentText(true);
    c.TextOut(0, 60, "d");
    Metafile m = c.Close();
    std::vector<std::pair<uint32_t, uint32_t>> seq;
    for (RecordView r : DrawnRecords(m))
        if (r.Type() == EMR_SETBKMODE || r.Type() == EMR_EXTTEXTOUTW || r.Type() == EMR_LINETO)
            seq.emplace_back(r.Type(), r.Type() == EMR_SETBKMODE ? *ParseValue(r) : 0);
    EXPECT_EQ(seq, (std::vector<std::pair<uint32_t, uint32_t>>{
                       {EMR_SETBKMODE, TRANSPARENT}, {EMR_EXTTEXTOUTW, 0}, {EMR_EXTTEXTOUTW, 0},
                       {EMR_SETBKMODE, OPAQUE}, {EMR_LINETO, 0}, {EMR_EXTTEXTOUTW, 0},
                       {EMR_SETBKMODE, TRANSPARENT}, {EMR_EXTTEXTOUTW, 0}}));
}

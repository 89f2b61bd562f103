// Field layouts of the records, read from real files and from hand-made records.
#include <gtest/gtest.h>

#include <functional>
#include <map>

#include "EmfTestUtil.h"
#include "platform/emf/Metafile.h"

using namespace tessaly::emf;
using emftest::ImageBuilder;

namespace {

// The parser that owns each record type; a type missing here has no layout of its own.
bool Parses(RecordView r) {
    switch (r.Type()) {
    case EMR_HEADER: return ParseHeader(r).has_value();
    case EMR_POLYBEZIER: case EMR_POLYGON: case EMR_POLYLINE: case EMR_POLYBEZIERTO:
    case EMR_POLYLINETO: case EMR_POLYBEZIER16: case EMR_POLYGON16: case EMR_POLYLINE16:
    case EMR_POLYBEZIERTO16: case EMR_POLYLINETO16:
        return ParsePoly(r).has_value();
    case EMR_POLYPOLYLINE: case EMR_POLYPOLYGON: case EMR_POLYPOLYLINE16: case EMR_POLYPOLYGON16:
        return ParsePolyPoly(r).has_value();
    case EMR_POLYDRAW: case EMR_POLYDRAW16: return ParsePolyDraw(r).has_value();
    case EMR_EXTTEXTOUTA: case EMR_EXTTEXTOUTW: return ParseExtTextOut(r).has_value();
    case EMR_POLYTEXTOUTA: case EMR_POLYTEXTOUTW: return ParsePolyTextOut(r).has_value();
    case EMR_SMALLTEXTOUT: return ParseSmallTextOut(r).has_value();
    case EMR_CREATEPEN: return ParseCreatePen(r).has_value();
    case EMR_EXTCREATEPEN: return ParseExtCreatePen(r).has_value();
    case EMR_CREATEBRUSHINDIRECT: return ParseCreateBrush(r).has_value();
    case EMR_CREATEMONOBRUSH: case EMR_CREATEDIBPATTERNBRUSHPT:
        return ParseCreateDibBrush(r).has_value();
    case EMR_EXTCREATEFONTINDIRECTW: return ParseCreateFont(r).has_value();
    case EMR_CREATEPALETTE: return ParseCreatePalette(r).has_value();
    case EMR_SETPALETTEENTRIES: return ParseSetPaletteEntries(r).has_value();
    case EMR_RESIZEPALETTE: return ParseResizePalette(r).has_value();
    case EMR_BITBLT: case EMR_STRETCHBLT: case EMR_MASKBLT: case EMR_PLGBLT:
    case EMR_SETDIBITSTODEVICE: case EMR_STRETCHDIBITS: case EMR_ALPHABLEND:
    case EMR_TRANSPARENTBLT:
        return ParseBitmap(r).has_value();
    case EMR_FILLRGN: case EMR_FRAMERGN: case EMR_INVERTRGN: case EMR_PAINTRGN:
    case EMR_EXTSELECTCLIPRGN:
        return ParseRegion(r).has_value();
    case EMR_COMMENT: return ParseComment(r).has_value();
    case EMR_EOF: return ParseEof(r).has_value();
    case EMR_ROUNDRECT: return ParseRoundRect(r).has_value();
    case EMR_ARC: case EMR_CHORD: case EMR_PIE: case EMR_ARCTO: return ParseArc(r).has_value();
    case EMR_ANGLEARC: return ParseAngleArc(r).has_value();
    case EMR_SETPIXELV: return ParseSetPixel(r).has_value();
    case EMR_SETWORLDTRANSFORM: case EMR_MODIFYWORLDTRANSFORM:
        return ParseWorldTransform(r).has_value();
    case EMR_SCALEVIEWPORTEXTEX: case EMR_SCALEWINDOWEXTEX: return ParseScaleExtent(r).has_value();
    default: return true;
    }
}

std::vector<uint8_t> RecordBytes(uint32_t type, std::vector<uint32_t> fields) {
    ImageBuilder b;
    b.Record(type, std::move(fields));
    return b.Raw();
}

}  // namespace

TEST(Records, EveryRecordOfTheFixturesParses) {
    SKIP_WITHOUT_FIXTURES();
    std::map<uint32_t, int> seen;
    for (const auto& name : emftest::ValidFixtures()) {
        Metafile m = Metafile::LoadFromFile(emftest::FixtureDir() / name);
        for (RecordView r : m.Records()) {
            EXPECT_TRUE(Parses(r)) << name << " " << RecordTypeName(r.Type()) << " at "
                                   << (r.Bytes().data() - m.Bytes().data());
            ++seen[r.Type()];
        }
    }
    EXPECT_EQ(seen.size(), 84u);  // the fixtures' README counts 84 record types
}

TEST(Records, TextRecordsOfRealFiles) {
    SKIP_WITHOUT_FIXTURES();
    auto texts = [](const char* name) {
        std::vector<EmrExtTextOut> out;
        Metafile m = Metafile::LoadFromFile(emftest::FixtureDir() / name);
        for (RecordView r : m.Records())
            if (auto t = ParseExtTextOut(r)) out.push_back(*t);
        return out;
    };
    auto t183 = texts("libemf2svg-test-183.emf");
    ASSERT_EQ(t183.size(), 2u);
    EXPECT_TRUE(t183[0].isWide);
    EXPECT_EQ(t183[0].text.options, uint32_t(ETO_GLYPH_INDEX));
    EXPECT_EQ(t183[0].text.wide.size(), 4u);
    EXPECT_EQ(t183[1].text.wide, u"Hebrew text below:");
    EXPECT_EQ(t183[1].text.dx.size(), 18u);
    EXPECT_EQ((std::vector<int32_t>(t183[1].text.dx.begin(), t183[1].text.dx.begin() + 3)),
              (std::vector<int32_t>{93, 75, 79}));

    auto t184 = texts("libemf2svg-test-184.emf");
    ASSERT_FALSE(t184.empty());
    EXPECT_EQ(t184[0].text.wide, u"\u0410\u0411\u0412\u0413\u0414\u0415\u0416");

    auto t174 = texts("libemf2svg-test-174.emf");
    ASSERT_GE(t174.size(), 2u);
    EXPECT_FALSE(t174[1].isWide);
    EXPECT_EQ(t174[1].text.ansi, "0");
    EXPECT_EQ(t174[1].text.dx, std::vector<int32_t>{57});
}

TEST(Records, HandMadeLayouts) {
    // Polyline16 of two points, widened with their signs.
    auto poly = RecordBytes(EMR_POLYLINE16, {1, 2, 3, 4, 2, 0xFFFF0005, 0x00070008});
    auto p = ParsePoly(RecordView(poly));
    ASSERT_TRUE(p);
    EXPECT_EQ(p->bounds, (RectL{1, 2, 3, 4}));
    EXPECT_EQ(p->points, (std::vector<PointL>{{5, -1}, {8, 7}}));

    // Poly-polygon whose counts add up to more points than it holds: refused.
    auto pp = RecordBytes(EMR_POLYPOLYGON16, {0, 0, 0, 0, 2, 2, 1, 2, 0, 0});
    EXPECT_FALSE(ParsePolyPoly(RecordView(pp)));
    EXPECT_FALSE(CheckRecordLayout(RecordView(pp)));
    pp = RecordBytes(EMR_POLYPOLYGON16, {0, 0, 0, 0, 2, 3, 1, 2, 0, 0, 0});
    ASSERT_TRUE(ParsePolyPoly(RecordView(pp)));
    EXPECT_EQ(ParsePolyPoly(RecordView(pp))->counts, (std::vector<uint32_t>{1, 2}));

    // The pen of a fresh canvas.
    auto pen = RecordBytes(EMR_CREATEPEN, {2, PS_SOLID, 1, 0, 0x00112233});
    auto cp = ParseCreatePen(RecordView(pen));
    ASSERT_TRUE(cp);
    EXPECT_EQ(cp->handle, 2u);
    EXPECT_EQ(cp->width.x, 1);
    EXPECT_EQ(cp->color, 0x00112233u);

    // A modify-world-transform with its mode; floats read bit for bit.
    auto xf = RecordBytes(EMR_MODIFYWORLDTRANSFORM, {0x40000000, 0, 0, 0x3F800000, 0, 0xC0000000, 2});
    auto w = ParseWorldTransform(RecordView(xf));
    ASSERT_TRUE(w);
    EXPECT_EQ(w->xform, (XForm{2, 0, 0, 1, 0, -2}));
    EXPECT_EQ(w->mode, uint32_t(MWT_LEFTMULTIPLY));

    // EXTSELECTCLIPRGN without region data (RGN_COPY resets the clipping), and with one rectangle.
    auto clip0 = RecordBytes(EMR_EXTSELECTCLIPRGN, {0, RGN_COPY});
    auto c0 = ParseRegion(RecordView(clip0));
    ASSERT_TRUE(c0);
    EXPECT_FALSE(c0->hasRegion);
    auto clip1 = RecordBytes(EMR_EXTSELECTCLIPRGN,
                             {48, RGN_AND, 32, 1, 1, 16, 0, 0, 10, 10, 1, 2, 3, 4});
    auto c1 = ParseRegion(RecordView(clip1));
    ASSERT_TRUE(c1);
    EXPECT_EQ(c1->region.rects, (std::vector<RectL>{{1, 2, 3, 4}}));
    auto clipBad = RecordBytes(EMR_EXTSELECTCLIPRGN,
                               {48, RGN_AND, 32, 1, 2, 16, 0, 0, 10, 10, 1, 2, 3, 4});
    EXPECT_FALSE(ParseRegion(RecordView(clipBad)));  // two rectangles claimed, one present

    // Comments are told apart by their first four bytes.
    auto plus = RecordBytes(EMR_COMMENT, {4, kCommentEmfPlus});
    EXPECT_EQ(ParseComment(RecordView(plus))->kind, CommentKind::EmfPlus);
    auto gdic = RecordBytes(EMR_COMMENT, {8, kCommentPublic, 2});
    EXPECT_EQ(ParseComment(RecordView(gdic))->kind, CommentKind::Public);
    EXPECT_EQ(ParseComment(RecordView(gdic))->publicType, 2u);
    auto longData = RecordBytes(EMR_COMMENT, {9, kCommentPublic, 2});
    EXPECT_FALSE(ParseComment(RecordView(longData)));  // 9 bytes of data in 8

    // Every parser refuses a record cut short instead of reading past it.
    auto shortRecord = RecordBytes(EMR_BITBLT, {0, 0, 0});
    EXPECT_FALSE(ParseBitmap(RecordView(shortRecord)));
    EXPECT_FALSE(CheckRecordLayout(RecordView(shortRecord)));
    auto shortText = RecordBytes(EMR_EXTTEXTOUTW, {0, 0, 0});
    EXPECT_FALSE(ParseExtTextOut(RecordView(shortText)));
    auto shortFont = RecordBytes(EMR_EXTCREATEFONTINDIRECTW, {1, 0, 0});
    EXPECT_FALSE(ParseCreateFont(RecordView(shortFont)));

    // Reads at offsets near the 32-bit limit do not wrap around.
    RecordView v(poly);
    EXPECT_FALSE(v.U32(0xFFFFFFFF));
    EXPECT_FALSE(v.Slice(4, 0xFFFFFFFFFFFFFFFFull));
    EXPECT_TRUE(v.Slice(v.Size(), 0));
}

// Field layouts of the records, read from real files and from hand-made records.
#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <random>

#include "EmfTestUtil.h"
#include "RecordParsers.h"
#include "platform/emf/Metafile.h"

using namespace tessaly::emf;
using emftest::ImageBuilder;

namespace {

bool Parses(RecordView r) { return emftest::ParsesAsItsType(r); }

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

// Playing, searching and exporting leave out the same records only if every parser refuses
// exactly the records that the layout check calls damaged: records of every type and many sizes,
// their fields small numbers that now fit and now do not.
TEST(Records, EveryParserRefusesExactlyWhatTheLayoutCheckRefuses) {
    std::mt19937 random(15);
    const uint32_t values[] = {0, 1, 2, 3, 4, 5, 8, 12, 16, 20, 28, 32, 36, 40, 48, 76, 80, 100, 0xFFFFFFFF};
    int damaged = 0, sound = 0;
    for (uint32_t type = 0; type <= kMaxRecordType + 1; ++type) {
        for (uint32_t size = 8; size <= 160; size += 4) {
            for (int variant = 0; variant < 24; ++variant) {
                std::vector<uint32_t> fields((size - 8) / 4);
                for (uint32_t& f : fields) f = values[random() % std::size(values)];
                const auto bytes = RecordBytes(type, fields);
                const RecordView r(bytes);
                ASSERT_EQ(Parses(r), CheckRecordLayout(r)) << RecordTypeName(type) << " of " << size << " bytes";
                (CheckRecordLayout(r) ? sound : damaged)++;
            }
        }
    }
    EXPECT_GT(damaged, 10000);
    EXPECT_GT(sound, 10000);
}

TEST(Records, GradientFillVerticesAndEntries) {
    // Two vertices (red and blue, 16 bits a channel) and one horizontal rectangle between them.
    auto rect = RecordBytes(EMR_GRADIENTFILL, {0, 0, 9, 9, 2, 1, GRADIENT_FILL_RECT_H, 1, 2, 0xFF00, 0, 9, 9,
                                               0, 0xFF00, 0, 1});
    auto g = ParseGradientFill(RecordView(rect));
    ASSERT_TRUE(g);
    ASSERT_EQ(g->vertices.size(), 2u);
    EXPECT_EQ(g->vertices[0].point, (PointL{1, 2}));
    EXPECT_EQ(g->vertices[0].red, 0xFF00);
    EXPECT_EQ(g->vertices[1].blue, 0xFF00);
    EXPECT_EQ(g->indexes, (std::vector<uint32_t>{0, 1}));
    // The same entry read as a triangle needs a third index the record does not hold.
    auto triangle = rect;
    emftest::PutU32(triangle, 32, GRADIENT_FILL_TRIANGLE);
    EXPECT_FALSE(ParseGradientFill(RecordView(triangle)));
    EXPECT_FALSE(CheckRecordLayout(RecordView(triangle)));
}

TEST(Records, DrawingBoundsAndTheirGrowthByThePen) {
    int types = 0;
    for (uint32_t t = 0; t <= kMaxRecordType; ++t) types += HasDrawingBounds(t);
    EXPECT_EQ(types, 37);  // the blits BITBLT and STRETCHBLT are not among them
    EXPECT_FALSE(HasDrawingBounds(EMR_BITBLT) || HasDrawingBounds(EMR_STRETCHBLT) || HasDrawingBounds(EMR_LINETO));
    EXPECT_TRUE(HasDrawingBounds(EMR_EXTTEXTOUTW) && HasDrawingBounds(EMR_POLYTEXTOUTA) && HasDrawingBounds(EMR_SETPIXELV));

    const auto text = RecordBytes(EMR_EXTTEXTOUTW, {1, 2, 3, 4});
    EXPECT_EQ(ParseDrawingBounds(RecordView(text)), (RectL{1, 2, 3, 4}));
    EXPECT_FALSE(ParseDrawingBounds(RecordView(RecordBytes(EMR_RECTANGLE, {1, 2, 3}))));  // 20 bytes

    struct Case {
        double pen;
        int64_t grow;
    } cases[] = {{0, 4}, {1, 4}, {1.9, 4}, {2, 5}, {3, 5}, {7, 7}, {4294967295.0, 2147483651}, {-1, 4}, {1e300, 4}};
    for (const Case& c : cases) {
        EXPECT_EQ(GrowByPen({10, 20, 30, 40}, c.pen), (Rect64{10 - c.grow, 20 - c.grow, 30 + c.grow, 40 + c.grow}))
            << c.pen;
    }
    EXPECT_EQ(GrowByPen({INT32_MIN, 0, INT32_MAX, 0}, 0).left, int64_t(INT32_MIN) - 4);
}

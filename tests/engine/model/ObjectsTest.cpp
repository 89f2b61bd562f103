// Report objects: names, Assign, the factory, the geometry of frames and regions, fill and frame
// as they come out on a page, band options, sub-report pages, and the stored style bits.
#include <gtest/gtest.h>

#include <QPainter>

#include "common/EngineSupport.h"
#include "common/FakeObjectRun.h"
#include "engine/model/CV_BandView.h"
#include "engine/model/CV_Memo.h"
#include "engine/model/CV_Objects.h"
#include "engine/model/CV_Page.h"
#include "engine/model/CV_Picture.h"
#include "engine/model/CV_SubReport.h"
#include "engine/model/ModelSupport.h"
#include "platform/emf/EmfPlayer.h"
#include "platform/emf/RecordingCanvas.h"

using namespace tessaly;
using namespace tessaly::testing;

namespace {

class ObjectsTest : public ::testing::Test {
protected:
    void TearDown() override { EngineMode = emDesign; }
    EngineUnits units{nullptr};
    TcvReport report{nullptr};

    template <class T>
    T& Add(int page = 0) {
        return static_cast<T&>(report.Pages().Pages(page).AddObject(std::make_unique<T>(&report)));
    }
};

// What a view draws, played back at its own size onto white.
QImage Drawn(TcvView& view, void (TcvView::*draw)()) {
    EnsureApplication();
    emf::RecordingCanvas canvas(120, 80);
    view.SetCanvas(&canvas);
    view.CalcDrawRect();
    (view.*draw)();
    emf::Metafile m = canvas.Close();
    QImage image(120, 80, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    emf::PlayMetafile(painter, m, QRectF(0, 0, 120, 80));
    return image;
}

// The colour lies at (x, y) or next to it: playing a page maps its frame onto the image, which may
// move a 1-pixel line by one.
bool Around(const QImage& image, int x, int y, QRgb color) {
    for (int dy = -1; dy <= 1; ++dy)
        for (int dx = -1; dx <= 1; ++dx)
            if (image.pixel(x + dx, y + dy) == color) return true;
    return false;
}

}  // namespace

TEST_F(ObjectsTest, NewObjectsTakeTheFirstNumberNoObjectOfTheReportHas) {
    Add<TcvMemoView>().Name = "Memo1";
    Add<TcvMemoView>().Name = "memo2";
    Add<TcvMemoView>().Name = "Memo04";  // not the number 4
    EXPECT_EQ(Add<TcvMemoView>().Name, "Memo3");
    EXPECT_EQ(Add<TcvMemoView>().Name, "Memo4");
    EXPECT_EQ(Add<TcvPictureView>().Name, "Picture1");
    EXPECT_EQ(Add<TcvBandView>().Name, "Band1");
    EXPECT_EQ(Add<TcvSubReportView>().Name, "SubReport1");
    EXPECT_EQ(TcvMemoView(nullptr).Name, "Memo1") << "without a report";
    EXPECT_EQ(FindObjectByName(&report, "MEMO3"), report.Pages().Pages(0).Objects(3));
}

TEST_F(ObjectsTest, AssignKeepsItsOwnNameWhenAnotherObjectBearsTheSource) {
    auto& source = Add<TcvMemoView>();
    source.Left = 5, source.FrameSides = fsLeft, source.FormatText = "#,##0";
    source.MemoLines.Add("testo");
    source.Font.Name = "Courier New", source.HighlightCondition = "1 = 1";
    auto& target = Add<TcvMemoView>();
    target.Assign(source);
    EXPECT_EQ(target.Name, "Memo2") << "Memo1 is the source's";
    EXPECT_EQ(target.Left, 5);
    EXPECT_EQ(target.FrameSides, fsLeft);
    EXPECT_EQ(target.FormatText, "#,##0");
    EXPECT_EQ(target.MemoLines.Text(), "testo\r\n");
    EXPECT_EQ(target.Font.Name, "Courier New");
    EXPECT_EQ(target.HighlightCondition, "1 = 1");

    TcvMemoView outside(nullptr);
    outside.Name = "Libero";
    target.Assign(outside);
    EXPECT_EQ(target.Name, "Libero") << "a name no other object bears is copied";
}

TEST_F(ObjectsTest, TheFactoryMakesOneClassPerTypeCode) {
    const struct {
        int type;
        const char* className;
    } made[] = {{0, "TcvMemoView"}, {1, "TcvPictureView"}, {2, "TcvBandView"}, {3, "TcvSubReportView"}};
    for (auto [type, className] : made) {
        auto view = CreateObject(type, "", &report);
        ASSERT_TRUE(view);
        EXPECT_STREQ(view->ClassName(), className);
        EXPECT_EQ(view->ObjectType, type);
    }
    for (int type = 4; type <= 9; ++type) EXPECT_FALSE(CreateObject(type, "", &report));
    EXPECT_FALSE(CreateObject(11, "", &report));
    EXPECT_EQ(CreateObject(1, "", &report)->Flags, 5) << "pictures start scaled, keeping their proportions";

    CaughtMessages messages;
    EXPECT_THROW(CreateObject(10, "TcvGhostView", &report), EAbort);
    ASSERT_EQ(messages.lines.size(), 1u);
    EXPECT_EQ(messages.lines[0].rfind("Errore: Oggetto non trovato : TcvGhostView.\n\r", 0), 0u);
}

TEST_F(ObjectsTest, TheAddInRegistryHoldsThirtyTwoClasses) {
    struct TcvPlainView : TcvView {
        explicit TcvPlainView(TcvReport* r) : TcvView(r, "TcvPlainView") {}
    };
    RegisterAddInObject(TcvViewClass{"TcvPlainView", &ConstructView<TcvPlainView>});
    auto view = CreateObject(10, "TcvPlainView", &report);
    ASSERT_TRUE(view);
    EXPECT_EQ(view->ObjectType, otAddIn);
    EXPECT_EQ(view->Name, "Plain1");
    EXPECT_THROW(RegisterAddInObject(TcvViewClass{"TcvPlainView", &ConstructView<TcvPlainView>}), EngineError);
    static std::vector<std::string> names;
    for (int i = 1; i < kMaxAddInObjects; ++i) names.push_back("TcvExtra" + std::to_string(i) + "View");
    for (int i = 1; i < kMaxAddInObjects; ++i)
        RegisterAddInObject(TcvViewClass{names[size_t(i - 1)].c_str(), &ConstructView<TcvPlainView>});
    EXPECT_EQ(AddInObjectCount(), kMaxAddInObjects);
    EXPECT_THROW(RegisterAddInObject(TcvViewClass{"TcvOneTooManyView", &ConstructView<TcvPlainView>}), EngineError);
    ClearAddInObjects();
}

TEST_F(ObjectsTest, FrameWidthGivesTheInnerRectangleTheGapsAndTheRegion) {
    const struct {
        int32_t width;
        uint16_t sides;
        emf::RectL draw;
        int32_t gapX, gapY;
        QRect region;
    } cases[] = {
        // Left 10, Top 20, Width 100, Height 50.
        {1, 0, {10, 20, 111, 71}, 2, 1, QRect(QPoint(10, 20), QPoint(110, 70))},
        {1, fsAllSides, {10, 20, 111, 71}, 2, 1, QRect(QPoint(10, 20), QPoint(110, 70))},
        {2, fsAllSides, {10, 20, 110, 70}, 3, 1, QRect(QPoint(9, 19), QPoint(110, 70))},
        {3, fsAllSides, {11, 21, 110, 70}, 3, 1, QRect(QPoint(9, 19), QPoint(111, 71))},
        {4, fsAllSides, {11, 21, 109, 69}, 4, 2, QRect(QPoint(8, 18), QPoint(111, 71))},
        {4, fsLeft | fsBottom, {11, 20, 111, 69}, 4, 2, QRect(QPoint(8, 20), QPoint(110, 71))},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE("width " + std::to_string(c.width) + " sides " + std::to_string(c.sides));
        TcvMemoView view(nullptr);
        view.Left = 10, view.Top = 20, view.Width = 100, view.Height = 50;
        view.FrameWidth = c.width, view.FrameSides = c.sides;
        view.CalcDrawRect();
        EXPECT_EQ(view.DrawRect, c.draw);
        EXPECT_EQ(view.GapX, c.gapX);
        EXPECT_EQ(view.GapY, c.gapY);
        EXPECT_EQ(view.GetClipRegion(false), QRegion(c.region));
        EXPECT_EQ(view.GetClipRegion(true), QRegion(c.region.adjusted(-10, -10, 10, 10)));
    }
}

TEST_F(ObjectsTest, BandRegionsTakeTheirCaptionTab) {
    auto& band = Add<TcvBandView>();
    band.SetBandType(btPageHeader);
    band.Top = 100, band.Height = 30;
    const int pageWidth = report.Pages().Pages(0).PrinterInfo.ScreenPageWidth;
    EXPECT_EQ(band.GetClipRegion(false), QRegion(QRect(0, 100, pageWidth, 30)).united(QRect(0, 82, 130, 18)));
    band.SetBandType(btCrossData);
    band.Left = 200, band.Width = 40;
    const int pageHeight = report.Pages().Pages(0).PrinterInfo.ScreenPageHeight;
    EXPECT_EQ(band.GetClipRegion(false), QRegion(QRect(200, 0, 40, pageHeight)).united(QRect(182, 0, 18, 130)));
    EXPECT_TRUE(band.IsDataBand());
}

TEST_F(ObjectsTest, FillAndFrameFollowTheModeAndThePass) {
    TcvMemoView view(nullptr);
    view.Left = 20, view.Top = 10, view.Width = 60, view.Height = 40;
    const QRgb red = qRgb(255, 0, 0), white = qRgb(255, 255, 255), black = qRgb(0, 0, 0);

    view.FillColor = 0x0000FF;  // red, stored as 0x00BBGGRR
    EngineMode = emRun;
    QImage run = Drawn(view, &TcvView::DrawBackground);
    EXPECT_EQ(run.pixel(50, 30), red);
    EXPECT_EQ(run.pixel(79, 49), red) << "the full rectangle in run mode";
    EXPECT_EQ(run.pixel(81, 30), white);

    view.FillColor = clNoFill;
    EXPECT_EQ(Drawn(view, &TcvView::DrawFrame).pixel(20, 10), white) << "no frame lines: nothing in run mode";
    view.FrameSides = fsAllSides;
    view.FrameColor = clBtnShadow;  // a system colour
    QImage frame = Drawn(view, &TcvView::DrawFrame);
    const QRgb gray = qRgb(128, 128, 128);
    EXPECT_TRUE(Around(frame, 20, 30, gray));
    EXPECT_TRUE(Around(frame, 80, 30, gray));
    EXPECT_TRUE(Around(frame, 50, 50, gray));
    EXPECT_EQ(frame.pixel(50, 30), white) << "the brush is clear";
    {
        tessaly::testing::FakeObjectRun firstPass;
        firstPass.firstPass = true;
        TcvRunScope run(&firstPass);
        EXPECT_FALSE(Around(Drawn(view, &TcvView::DrawFrame), 20, 30, gray)) << "nothing in the first pass";
    }

    EngineMode = emDesign;
    view.FrameSides = 0;
    QImage marks = Drawn(view, &TcvView::DrawFrame);
    EXPECT_TRUE(Around(marks, 20, 10, black));
    EXPECT_TRUE(Around(marks, 80, 50, black));
    EXPECT_FALSE(Around(marks, 50, 10, black)) << "corner marks only";
    EXPECT_FALSE(Around(marks, 20, 30, black));
}

TEST_F(ObjectsTest, BandOptionsCountOnlyForTheirBandTypes) {
    const struct {
        int bandType;
        uint16_t bit;
        bool effective;
    } cases[] = {
        {btMasterData, boFillList, true},  {btPageFooter, boStretched, false}, {btPageHeader, boStretched, true},
        {btCrossHeader, boStretched, true}, {btCrossData, boStretched, false}, {btDetailData, boPrintIfDetailEmpty, true},
        {btGroupHeader, boForceNewPage, true}, {btGroupFooter, boForceNewPage, false}, {btNone, boCanSplit, false},
    };
    for (const auto& c : cases) EXPECT_EQ(BandOptionEffective(c.bandType, c.bit), c.effective) << c.bandType;
    TcvBandView band(nullptr);
    band.SetBandType(btOverlay);
    TcvPopupMenu menu;
    band.DefinePopupMenu(menu);
    EXPECT_TRUE(menu.empty()) << "an overlay has no options";
    band.SetBandType(btMasterData);
    band.DefinePopupMenu(menu);
    EXPECT_EQ(menu.size(), 5u);
}

// Drawing a placeholder or a band view, also while a damaged template is prepared, leaves its
// stored frame width as it was.
TEST_F(ObjectsTest, DrawingAPlaceholderOrABandKeepsTheStoredFrameWidth) {
    EnsureApplication();
    emf::RecordingCanvas canvas(794, 1123);
    for (TcvView* view : std::initializer_list<TcvView*>{&Add<TcvBandView>(), &Add<TcvSubReportView>()}) {
        view->FrameWidth = 61;
        view->Draw(canvas);
        EXPECT_EQ(view->FrameWidth, 61) << view->Name;
    }
}

TEST_F(ObjectsTest, DeletingPagesTakesTheirPlaceholdersAndRenumbersTheOthers) {
    for (int i = 0; i < 4; ++i) report.Pages().Add();  // pages 0 to 4
    auto placeholder = [this](int page, int32_t target) { Add<TcvSubReportView>(page).SubPage = target; };
    auto subPage = [this](int page, int index) {
        return dynamic_cast<TcvSubReportView*>(report.Pages().Pages(page).Objects(index))->SubPage;
    };
    placeholder(0, 2);
    placeholder(0, 4);
    placeholder(2, 4);
    placeholder(1, 3);  // page 1 shows page 3: deleting page 1 takes page 3 as well
    report.Pages().Delete(1);
    ASSERT_EQ(report.Pages().Count(), 3) << "pages 1 and 3 are gone";
    ASSERT_EQ(report.Pages().Pages(0).ObjectCount(), 2);
    EXPECT_EQ(subPage(0, 0), 1) << "old page 2";
    EXPECT_EQ(subPage(0, 1), 2) << "old page 4";
    EXPECT_EQ(subPage(1, 0), 2) << "old page 4";

    // The placeholder of old page 2 takes it, and with it the page it shows (old page 4), whose
    // other placeholder goes too.
    report.Pages().Pages(0).DeleteObject(0);
    EXPECT_EQ(report.Pages().Count(), 1);
    EXPECT_EQ(report.Pages().Pages(0).ObjectCount(), 0);
}

TEST_F(ObjectsTest, TheStoredStyleBitsPutItalicFirst) {
    EXPECT_EQ(StyleToStream(emf::fsBold | emf::fsItalic), 3);
    EXPECT_EQ(StyleToStream(emf::fsBold), 2);
    EXPECT_EQ(StyleFromStream(1), emf::fsItalic);
    EXPECT_EQ(StyleFromStream(6), emf::fsBold | emf::fsUnderline);

    TcvMemoView memo(nullptr);
    memo.HighlightStyle = emf::fsBold | emf::fsItalic;
    MemoryStream m;
    memo.SaveToStream(m);
    TcvMemoView back(nullptr);
    m.SetPosition(0);
    back.LoadFromStream(m);
    EXPECT_EQ(back.HighlightStyle, emf::fsBold | emf::fsItalic);
    EXPECT_EQ(back.LineHeight, 15) << "2 minus the height of 10 points at 96 per inch";
}

TEST_F(ObjectsTest, APictureWithoutPictureStoresKindZeroAndItsOwnEnd) {
    TcvPictureView picture(nullptr);
    MemoryStream m;
    m.WriteString("prefix");
    picture.SaveToStream(m);
    const auto& bytes = m.Data();
    const size_t end = bytes.size();
    EXPECT_EQ(bytes[end - 5], 0) << "kind none";
    uint32_t stored = bytes[end - 4] | bytes[end - 3] << 8 | bytes[end - 2] << 16 | uint32_t(bytes[end - 1]) << 24;
    EXPECT_EQ(stored, end);
}

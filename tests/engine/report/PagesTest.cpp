#include <gtest/gtest.h>

#include <QFile>

#include "common/EngineSupport.h"
#include "engine/report/CV_Pages.h"
#include "engine/report/CV_Prntr.h"
#include "engine/report/CV_Report.h"
#include "platform/core/Errors.h"
#include "platform/emf/EmfTestUtil.h"

using namespace tessaly;

namespace {

struct PageSpec {
    uint16_t paper;
    int32_t width, height;
    uint8_t orientation, flag;
    std::vector<uint8_t> drawing;
    uint32_t padding = 0;  // bytes between the drawing and the next record
};

// An empty A4 drawing, and one with a move-to record in it.
std::vector<uint8_t> EmptyDrawing() { return emftest::ImageBuilder().Header(2, 27879, 39445).Eof().Finish(); }
std::vector<uint8_t> MoveDrawing() {
    return emftest::ImageBuilder().Header(3, 39445, 27879).Record(emf::EMR_MOVETOEX, {10, 20}).Eof().Finish();
}

class CvpBuilder {
public:
    explicit CvpBuilder(std::vector<std::string> header = {}) {
        m_.WriteU16(static_cast<uint16_t>(header.size()));
        for (const auto& s : header) {
            m_.WriteU16(static_cast<uint16_t>(s.size()));
            m_.WriteString(s);
        }
        countAt_ = m_.Position();
        m_.WriteI32(0);
    }
    CvpBuilder& Page(const PageSpec& p) {
        int64_t start = m_.Position();
        m_.WriteU32(0);
        m_.WriteU16(p.paper);
        m_.WriteI32(p.width);
        m_.WriteI32(p.height);
        m_.WriteU8(p.orientation);
        m_.WriteU8(p.flag);
        m_.WriteBuffer(p.drawing.data(), p.drawing.size());
        for (uint32_t i = 0; i < p.padding; ++i) m_.WriteU8(0xEE);
        int64_t end = m_.Position();
        m_.SetPosition(start);
        m_.WriteU32(static_cast<uint32_t>(end));
        m_.SetPosition(countAt_);
        m_.WriteI32(++count_);
        m_.Seek(0, SeekOrigin::End);
        return *this;
    }
    std::vector<uint8_t> Bytes() const { return m_.Data(); }
    int64_t CountAt() const { return countAt_; }

private:
    MemoryStream m_;
    int64_t countAt_ = 0;
    int32_t count_ = 0;
};

void PutI32(std::vector<uint8_t>& b, size_t at, int32_t v) { emftest::PutU32(b, at, static_cast<uint32_t>(v)); }

class PagesTest : public ::testing::Test {
protected:
    void Load(const std::vector<uint8_t>& bytes) {
        MemoryStream m(bytes);
        pages.LoadFromStream(m);
    }
    std::vector<uint8_t> Save() {
        MemoryStream m;
        pages.SaveToStream(m);
        return m.Data();
    }
    // Loads and returns the error message ("" when it loaded).
    std::string LoadError(const std::vector<uint8_t>& bytes) {
        try {
            Load(bytes);
        } catch (const EngineError& e) {
            return e.Message();
        }
        return "";
    }

    EngineUnits units{nullptr};
    TcvReport report{nullptr};
    TcvEMFPages& pages = report.EMFPages();
};

const PageSpec kA4{9, 2100, 2970, 0, 1, EmptyDrawing()};
const PageSpec kA3Landscape{8, 4200, 2970, 1, 0, MoveDrawing()};
const PageSpec kCustom{256, 1000, 1500, 0, 7, EmptyDrawing()};

}  // namespace

TEST_F(PagesTest, AReportWithoutPagesIsSixBytes) {
    EXPECT_EQ(Save(), std::vector<uint8_t>(6, 0));
    Load(std::vector<uint8_t>(6, 0));
    EXPECT_EQ(pages.Count(), 0);
}

TEST_F(PagesTest, MixedPapersLoadWithTheirMetricsAndSaveBackByteForByte) {
    std::vector<uint8_t> file = CvpBuilder().Page(kA4).Page(kA3Landscape).Page(kCustom).Bytes();
    Load(file);
    ASSERT_EQ(pages.Count(), 3);
    struct Expect {
        uint16_t paper;
        int32_t width, height;
        uint8_t orientation, flag;
        int32_t screenW, screenH, printableW, printableH;
        uint32_t drawingBytes;
    } expect[] = {
        {9, 2100, 2970, 0, 1, 793, 1122, 757, 1086, 108},
        {8, 4200, 2970, 1, 0, 1587, 1122, 1551, 1086, 124},
        {256, 1000, 1500, 0, 7, 377, 566, 341, 530, 108},
    };
    for (int i = 0; i < 3; ++i) {
        const PreparedPage& p = pages.Pages(i);
        const Expect& e = expect[i];
        SCOPED_TRACE(i);
        EXPECT_EQ(p.PaperSize, e.paper);
        EXPECT_EQ(p.Width, e.width);
        EXPECT_EQ(p.Height, e.height);
        EXPECT_EQ(p.Orientation, e.orientation);
        EXPECT_EQ(p.PageFlag, e.flag);
        EXPECT_EQ(p.Info.ScreenPageWidth, e.screenW);
        EXPECT_EQ(p.Info.ScreenPageHeight, e.screenH);
        EXPECT_EQ(p.Info.MarginX, 18);
        EXPECT_EQ(p.Info.MarginY, 18);
        EXPECT_EQ(p.Info.PrintableWidth, e.printableW);
        EXPECT_EQ(p.Info.PrintableHeight, e.printableH);
        EXPECT_EQ(p.Drawing.Bytes().size(), e.drawingBytes);
    }
    EXPECT_EQ(Save(), file);
    EXPECT_TRUE(PrinterSettings->IsEqual(256, 1000, 0, 1500)) << "the last page's paper stays selected";
}

// Drawings of many sizes, some padded, over five megabytes: every page comes back whole, across
// the pieces the reader reads at a time, and the stream stops behind the last page record.
TEST_F(PagesTest, ALargeReportLoadsEveryPageWholeAndStopsBehindItsLastRecord) {
    CvpBuilder builder;
    std::vector<std::vector<uint8_t>> drawings;
    for (uint32_t i = 0; i < 120; ++i) {
        emftest::ImageBuilder image;
        const uint32_t moves = 1000 + 37 * i;
        image.Header(moves + 2);
        for (uint32_t k = 0; k < moves; ++k) image.Record(emf::EMR_MOVETOEX, {i, k});
        drawings.push_back(image.Eof().Finish());
        builder.Page({9, 2100, 2970, 0, 1, drawings.back(), i % 3 == 0 ? 4 * i : 0});
    }
    std::vector<uint8_t> file = builder.Bytes();
    ASSERT_GT(file.size(), size_t(5) << 20);  // a block large enough to be asked for in huge pages
    const size_t reportSize = file.size();
    file.insert(file.end(), 1000, 0xAB);  // whatever follows the report in the stream
    MemoryStream stream(file);
    pages.LoadFromStream(stream);
    EXPECT_EQ(stream.Position(), int64_t(reportSize));
    ASSERT_EQ(pages.Count(), 120);
    for (int i = 0; i < 120; ++i) {
        const auto bytes = pages.Pages(i).Drawing.Bytes();
        ASSERT_TRUE(std::equal(bytes.begin(), bytes.end(), drawings[i].begin(), drawings[i].end())) << i;
    }
}

TEST_F(PagesTest, HeaderStringsAreReadAndIgnoredWhateverTheStreamVersion) {
    std::vector<uint8_t> file = CvpBuilder({"uno", "", "tre\r\n"}).Page(kA4).Bytes();
    StreamVersion = 20;
    Load(file);
    StreamVersion = CurrentStreamVersion;
    ASSERT_EQ(pages.Count(), 1);
    EXPECT_EQ(pages.Pages(0).PaperSize, 9);
    std::vector<uint8_t> saved = Save();
    EXPECT_EQ(saved, CvpBuilder().Page(kA4).Bytes()) << "written with an empty header";
}

TEST_F(PagesTest, PaddingBeforeTheNextRecordIsSkipped) {
    PageSpec padded = kA4;
    padded.padding = 12;
    Load(CvpBuilder().Page(padded).Page(kA3Landscape).Bytes());
    ASSERT_EQ(pages.Count(), 2);
    EXPECT_EQ(pages.Pages(1).PaperSize, 8);
    EXPECT_EQ(Save(), CvpBuilder().Page(kA4).Page(kA3Landscape).Bytes());
}

// A damaged file raises and leaves the pages held before as they were, none of its own added: a
// report whose Open failed must still save as it was.
TEST_F(PagesTest, DamagedFilesFailAndLeaveTheHeldPagesAsTheyWere) {
    const std::vector<uint8_t> held = CvpBuilder().Page(kA3Landscape).Page(kA4).Page(kA4).Bytes();
    const std::vector<uint8_t> good = CvpBuilder().Page(kA4).Page(kA3Landscape).Bytes();
    const size_t count = 2, second = 6 + 16 + 108;  // offsets of the page count and the second record
    struct Case {
        const char* what;
        std::function<void(std::vector<uint8_t>&)> damage;
        const char* message;
    } cases[] = {
        {"page count beyond the stream", [&](auto& b) { PutI32(b, count, 100000000); }, "Stream read error"},
        {"negative page count", [&](auto& b) { PutI32(b, count, -1); }, "Stream read error"},
        {"header string count beyond the stream", [](auto& b) { b[0] = 0xFF; b[1] = 0xFF; }, "Stream read error"},
        {"next record inside the drawing", [&](auto& b) { PutI32(b, second, second + 20); }, "Stream read error"},
        {"next record before its own record", [&](auto& b) { PutI32(b, second, 6); }, "Stream read error"},
        {"next record beyond the stream", [&](auto& b) { PutI32(b, second, int32_t(b.size() + 1)); },
         "Stream read error"},
        {"drawing of the wrong record type", [&](auto& b) { b[second + 16] = 2; }, "Metafile is not valid"},
        {"drawing size beyond the stream", [&](auto& b) { PutI32(b, second + 16 + 48, 1 << 30); },
         "Stream read error"},
        {"drawing with a bad signature", [&](auto& b) { b[second + 16 + 40] = 0; }, "Metafile is not valid"},
        {"cut inside the second drawing", [&](auto& b) { b.resize(second + 40); }, "Stream read error"},
    };
    for (const auto& c : cases) {
        Load(held);
        std::vector<uint8_t> bytes = good;
        c.damage(bytes);
        EXPECT_EQ(LoadError(bytes), c.message) << c.what;
        ASSERT_EQ(pages.Count(), 3) << c.what;
        EXPECT_EQ(pages.Pages(0).PaperSize, 8) << c.what;
        EXPECT_EQ(Save(), held) << c.what;
    }
}

TEST_F(PagesTest, EveryTruncationFailsWithoutCrashing) {
    const std::vector<uint8_t> good = CvpBuilder().Page(kA4).Page(kA3Landscape).Bytes();
    for (size_t n = 0; n < good.size(); ++n) {
        std::string error = LoadError(std::vector<uint8_t>(good.begin(), good.begin() + long(n)));
        EXPECT_FALSE(error.empty()) << n;
        EXPECT_EQ(pages.Count(), 0) << n;
    }
}

TEST_F(PagesTest, PagesOutsideTheListAreAnIndexError) {
    Load(CvpBuilder().Page(kA4).Bytes());
    EXPECT_NO_THROW(pages.Pages(0));
    for (int index : {-1, 1, 1000}) {
        try {
            pages.Pages(index);
            ADD_FAILURE() << index;
        } catch (const EListError& e) {
            EXPECT_EQ(e.Message(), "List index out of bounds (" + std::to_string(index) + ")");
        }
    }
    pages.Clear();
    EXPECT_EQ(pages.Count(), 0);
    EXPECT_THROW(pages.Pages(0), EListError);
}

namespace {

std::vector<uint8_t> BlankReportResource() {
    QFile f(":/EMPTYREPORT");
    if (!f.open(QIODevice::ReadOnly)) return {};
    QByteArray b = f.readAll();
    return std::vector<uint8_t>(b.begin(), b.end());
}

// The template of an A4 portrait page with its metrics, as preparation hands it over.
PageTemplate A4Template(int scaleX = 100, int scaleY = 100) {
    PageTemplate t;
    t.PaperSize = 9;
    t.Width = 2100;
    t.Height = 2970;
    t.ScaleX = scaleX;
    t.ScaleY = scaleY;
    TPrinterSettings s;
    s.SetPrinterInfo(9, 2100, 0, 2970);
    s.FillPrnInfo(t.Info);
    t.Info.PrinterPageWidth = 4956;
    t.Info.PrinterOffsetX = 75;
    return t;
}

}  // namespace

TEST_F(PagesTest, TheBlankReportIsOneEmptyA4PageAndWritesBackIdentical) {
    std::vector<uint8_t> blank = BlankReportResource();
    ASSERT_EQ(blank.size(), 706u);
    Load(blank);
    ASSERT_EQ(pages.Count(), 1);
    const PreparedPage& p = pages.Pages(0);
    EXPECT_EQ(p.PaperSize, 9);
    EXPECT_EQ(p.Width, 2100);
    EXPECT_EQ(p.Height, 2970);
    EXPECT_EQ(p.Orientation, 0);
    EXPECT_EQ(p.PageFlag, 1);
    EXPECT_EQ(p.Info.ScreenPageWidth, 793);
    EXPECT_EQ(p.Info.ScreenPageHeight, 1122);
    EXPECT_EQ(p.Info.PrintableWidth, 757);
    EXPECT_EQ(p.Info.PrintableHeight, 1086);
    EXPECT_EQ(p.Drawing.RecordCount(), 16u);
    EXPECT_EQ(Save(), blank);
}

TEST_F(PagesTest, AnA4PageClosedWithoutDrawingIsTheBlankReport) {
    PreparedPage& page = pages.AddPage(A4Template());
    EXPECT_NE(page.Surface, nullptr);
    EXPECT_THROW(Save(), EWriteError) << "an open page cannot be saved";
    page.CloseSurface();
    EXPECT_EQ(page.Surface, nullptr);
    EXPECT_EQ(Save(), BlankReportResource());
}

TEST_F(PagesTest, AddPageScalesThePageAndItsMetrics) {
    struct Case {
        int scaleX, scaleY;
        uint16_t paper;
        int32_t width, height, screenW, screenH, printableW, printableH, drawingW, drawingH;
    } cases[] = {
        {100, 100, 9, 2100, 2970, 793, 1122, 757, 1086, 793, 1122},
        {50, 100, 256, 1050, 2970, 396, 1122, 378, 1086, 792, 1122},  // 396.5 and 378.5 round to even
        {200, 200, 256, 4200, 5940, 1586, 2244, 1514, 2172, 793, 1122},
        {100, 80, 256, 2100, 2376, 793, 898, 757, 869, 793, 1122},    // 897.6 and 868.8
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.scaleX << "/" << c.scaleY);
        pages.Clear();
        PreparedPage& p = pages.AddPage(A4Template(c.scaleX, c.scaleY));
        EXPECT_EQ(p.PaperSize, c.paper);
        EXPECT_EQ(p.Width, c.width);
        EXPECT_EQ(p.Height, c.height);
        EXPECT_EQ(p.PageFlag, 1);
        EXPECT_EQ(p.Info.ScreenPageWidth, c.screenW);
        EXPECT_EQ(p.Info.ScreenPageHeight, c.screenH);
        EXPECT_EQ(p.Info.PrintableWidth, c.printableW);
        EXPECT_EQ(p.Info.PrintableHeight, c.printableH);
        EXPECT_EQ(p.Info.MarginX, 18);
        EXPECT_EQ(p.Info.PrinterPageWidth, 4956) << "printer items are copied";
        EXPECT_EQ(p.Info.PrinterOffsetX, 75);
        p.Surface->MoveTo(10, 10);
        p.Surface->LineTo(100, 100);
        p.CloseSurface();
        EXPECT_EQ(p.Drawing.Width(), c.drawingW);
        EXPECT_EQ(p.Drawing.Height(), c.drawingH);
    }
}

TEST_F(PagesTest, NewPagesTakeThePageCharacterSet) {
    PageCharset = 238;
    PreparedPage& p = pages.AddPage(A4Template());
    PageCharset = 1;
    EXPECT_EQ(p.Surface->Font().charSet, 238);
    PreparedPage& q = pages.AddPage(A4Template());
    EXPECT_EQ(q.Surface->Font().charSet, 1);
    pages.Clear();
    EXPECT_EQ(pages.Count(), 0);
}

#include <gtest/gtest.h>

#include "common/PrintSupport.h"
#include "engine/report/CV_Export.h"
#include "engine/report/CV_TextExport.h"
#include "platform/emf/EmfTestUtil.h"
#include "platform/emf/Metafile.h"

using namespace tessaly;
using tessaly::testing::AddPaperPage;

namespace {

// A filter that notes every call; it may act at the end of a page or fail on a text.
class NotingFilter : public TcvExportFilter {
public:
    explicit NotingFilter(Stream& stream) : TcvExportFilter(stream) {
        calls.clear();
        made = this;
    }
    ~NotingFilter() override { made = nullptr; }

    bool Setup() override {
        calls.push_back("Setup");
        seenReport = Report;
        seenFile = FileName;
        return setupAnswer;
    }
    void EndDoc() override { calls.push_back("EndDoc"); }
    void BeginPage(int width, int height) override {
        calls.push_back("BeginPage " + std::to_string(width) + " " + std::to_string(height));
        if (Report) currentFilterSeen = Report->ExportFilter == this;
    }
    void EndPage() override {
        calls.push_back("EndPage");
        Write("page\n");
        if (onEndPage) onEndPage();
    }
    void AddText(int x, int y, const AnsiString& text, const TExportFont& font) override {
        if (failOnText) throw EngineError("filtro guasto");
        calls.push_back(std::to_string(y) + " " + std::to_string(x) + " " + text);
        fonts.push_back(font);
    }

    void Write(const std::string& s) { Output.WriteBuffer(s.data(), s.size()); }

    static inline std::vector<std::string> calls;
    static inline std::vector<TExportFont> fonts;
    static inline NotingFilter* made = nullptr;
    static inline bool setupAnswer = true;
    static inline bool failOnText = false;
    static inline std::function<void()> onEndPage;
    static inline TcvReport* seenReport = nullptr;
    static inline std::filesystem::path seenFile;
    static inline bool currentFilterSeen = false;
};

constexpr TcvExportFilterClass kNoting = ExportFilterClass<NotingFilter>;

class ExportTest : public ::testing::Test {
protected:
    void SetUp() override {
        tessaly::testing::EnsureApplication();
        RegisterExportFilter(kNoting, "Prova (*.prv)", "*.prv");
        NotingFilter::setupAnswer = true;
        NotingFilter::failOnText = false;
        NotingFilter::onEndPage = nullptr;
        NotingFilter::fonts.clear();
    }
    void TearDown() override { UnregisterExportFilter(kNoting); }

    void Text(emf::RecordingCanvas& c, int x, int y, const char* text) { c.TextOut(x, y, text); }

    tessaly::testing::TempFolder folder{"export"};
    EngineUnits units{nullptr};
    TcvReport report{nullptr};
};

TEST_F(ExportTest, HandsEachPagesTextToTheFilterInPositionOrderOnce) {
    AddPaperPage(report, 9, 0, 0, 0, [&](emf::RecordingCanvas& c) {
        Text(c, 0, 6, "terza");
        Text(c, 100, 5, "seconda");
        Text(c, 40, 5, "prima");
        Text(c, 40, 5, "doppione");  // the same point: dropped
    });
    AddPaperPage(report, 9, 1, 0, 0, [&](emf::RecordingCanvas& c) { Text(c, 10, 10, "pagina due"); });
    report.ExportTo(kNoting, folder / "out.prv");

    EXPECT_EQ(NotingFilter::calls, (std::vector<std::string>{
                                       "Setup", "BeginPage 793 1122", "5 40 prima", "5 100 seconda", "6 0 terza",
                                       "EndPage", "BeginPage 1122 793", "10 10 pagina due", "EndPage", "EndDoc"}));
    EXPECT_EQ(NotingFilter::seenReport, &report);
    EXPECT_EQ(NotingFilter::seenFile, folder / "out.prv");
    EXPECT_TRUE(NotingFilter::currentFilterSeen) << "the report knows its export filter while it runs";
    EXPECT_EQ(report.ExportFilter, nullptr);
    EXPECT_EQ(NotingFilter::made, nullptr) << "the filter goes with the export";
    EXPECT_EQ(tessaly::testing::ReadFile(folder / "out.prv").size(), 10u);
}

TEST_F(ExportTest, TextItemsCarryTheSurfacesFontAndColour) {
    AddPaperPage(report, 9, 0, 0, 0, [&](emf::RecordingCanvas& c) {
        c.Font().name = "Arial";
        c.Font().height = -16;
        c.Font().style = emf::fsBold | emf::fsItalic;
        c.Font().color = 0x0000FF;
        Text(c, 10, 10, "rosso");
        c.Font().name = "Courier New";
        c.Font().style = emf::fsUnderline;
        c.Font().color = 0x008000;
        Text(c, 10, 20, "verde");
    });
    report.ExportTo(kNoting, folder / "out.prv");
    ASSERT_EQ(NotingFilter::fonts.size(), 2u);
    const TExportFont& red = NotingFilter::fonts[0];
    EXPECT_EQ(red.name, "Arial");
    EXPECT_EQ(red.height, -16);
    EXPECT_EQ(red.style, emf::fsBold | emf::fsItalic);
    EXPECT_EQ(red.color, 0x0000FFu);
    const TExportFont& green = NotingFilter::fonts[1];
    EXPECT_EQ(green.name, "Courier New");
    EXPECT_EQ(green.style, emf::fsUnderline);
    EXPECT_EQ(green.color, 0x008000u);
}

TEST_F(ExportTest, ReadsNarrowTextRecordsAsWellAsWideOnes) {
    // EMR_EXTTEXTOUTA at (7, 9): "Perch\xE8" in cp1252, no advances.
    emftest::ImageBuilder b;
    b.Header(3, 21000, 29700);
    b.U32(emf::EMR_EXTTEXTOUTA).U32(84).Zeros(16).U32(1).U32(0).U32(0);
    b.U32(7).U32(9).U32(6).U32(76).U32(0).Zeros(16).U32(0);
    b.U32(0x63726550).U32(0x0000E868);  // "Perc", "h\xE8"
    b.Eof();
    PreparedPage& page = AddPaperPage(report, 9, 0);
    page.Drawing = emf::Metafile::FromBytes(b.Finish());
    report.ExportTo(kNoting, folder / "out.prv");
    EXPECT_EQ(NotingFilter::calls[2], "9 7 Perch\xE8");
}

TEST_F(ExportTest, CancelKeepsThePagesPassedAndStillEndsTheDocument) {
    for (int i = 0; i < 3; ++i)
        AddPaperPage(report, 9, 0, 0, 0, [&](emf::RecordingCanvas& c) { Text(c, 10, 10, "testo"); });
    NotingFilter::onEndPage = [] { ExportCancelled = true; };  // what the dialog's cancel button does
    report.ExportTo(kNoting, folder / "out.prv");
    EXPECT_EQ(NotingFilter::calls,
              (std::vector<std::string>{"Setup", "BeginPage 793 1122", "10 10 testo", "EndPage", "EndDoc"}));
    EXPECT_TRUE(ExportCancelled);
    EXPECT_EQ(tessaly::testing::ReadFile(folder / "out.prv").size(), 5u) << "the page passed stays exported";
}

TEST_F(ExportTest, ASetupThatRefusesLeavesAnEmptyFileAndAFailureKeepsTheOldOne) {
    AddPaperPage(report, 9, 0, 0, 0, [&](emf::RecordingCanvas& c) { Text(c, 10, 10, "testo"); });
    tessaly::testing::WriteFile(folder / "out.prv", std::string("vecchio"));
    NotingFilter::setupAnswer = false;
    report.ExportTo(kNoting, folder / "out.prv");
    EXPECT_EQ(NotingFilter::calls, std::vector<std::string>{"Setup"});
    EXPECT_TRUE(tessaly::testing::ReadFile(folder / "out.prv").empty());

    tessaly::testing::WriteFile(folder / "out.prv", std::string("vecchio"));
    NotingFilter::setupAnswer = true;
    NotingFilter::failOnText = true;
    EXPECT_THROW(report.ExportTo(kNoting, folder / "out.prv"), EngineError);
    EXPECT_EQ(tessaly::testing::ReadFile(folder / "out.prv").size(), 7u);
    EXPECT_EQ(report.ExportFilter, nullptr);
    EXPECT_EQ(NotingFilter::made, nullptr);
}

// An export dialog that runs the export at once and is cancelled after `cancelAfter` pages.
class CancellingView : public TcvProgressView {
public:
    static inline int cancelAfter = 0;
    void SetCaption(const AnsiString&) override {}
    void SetLabel(const AnsiString&) override {}
    void SetProgress(int position, int) override {
        if (cancelAfter > 0 && position == cancelAfter) ExportCancelled = true;
    }
    int Show(TcvReport*) override {
        StartAction(nullptr);
        return mrOk;
    }
    void SetModalResult(int) override {}
    static std::unique_ptr<TcvProgressView> Make() { return std::make_unique<CancellingView>(); }
};

// The plain text as `tessaly-cli text` prints it, saved all or nothing: a cancel or a failure
// leaves the older file as it was and nothing beside it.
TEST_F(ExportTest, SavingAsTextIsAllOrNothing) {
    AddPaperPage(report, 9, 0, 0, 0, [&](emf::RecordingCanvas& c) {
        Text(c, 40, 5, "Perch\xE8 no");
        Text(c, 10, 3, "prima\triga");
    });
    AddPaperPage(report, 9, 1, 0, 0, [&](emf::RecordingCanvas& c) { Text(c, 7, 9, "due"); });
    const std::filesystem::path out = folder / "testo.txt";
    tessaly::testing::WriteFile(out, std::string("vecchio"));
    const TExportDialogClass saved = ExportDialogClass;
    ExportDialogClass = &CancellingView::Make;

    CancellingView::cancelAfter = 1;
    EXPECT_FALSE(SaveReportAsText(report, out));
    EXPECT_EQ(tessaly::testing::ReadFile(out).size(), 7u) << "a cancelled save keeps the old file";

    CancellingView::cancelAfter = 0;
    EXPECT_TRUE(SaveReportAsText(report, out));
    const std::vector<uint8_t> text = tessaly::testing::ReadFile(out);
    EXPECT_EQ(std::string(text.begin(), text.end()),
              "--- page 1\n3 10 prima riga\n5 40 Perch\xC3\xA8 no\n--- page 2\n9 7 due\n");
    ExportDialogClass = saved;
    EXPECT_THROW(SaveReportAsText(report, folder / "manca" / "testo.txt"), EngineError);
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder.Path())) names.push_back(entry.path().filename());
    EXPECT_EQ(names, std::vector<std::string>{"testo.txt"});
}

TEST(ExportTextKey, PadsYThenXToTenCharactersEach) {
    struct Case {
        int32_t x, y;
        const char* key;
    } cases[] = {
        {40, 5, "00000000050000000040"},
        {100, 5, "00000000050000000100"},
        {0, 6, "00000000060000000000"},
        {-5, 3, "000000000300000000-5"},   // the zeros go before the minus sign
        {7, -120, "000000-1200000000007"},
        {1234567890, 0, "00000000001234567890"},  // ten digits: unchanged
        {-1234567890, 2147483647, "2147483647-1234567890"},
    };
    for (const auto& c : cases) EXPECT_EQ(ExportTextKey(c.x, c.y), c.key) << c.x << "," << c.y;
    EXPECT_LT(ExportTextKey(40, 5), ExportTextKey(100, 5));
    EXPECT_LT(ExportTextKey(100, 5), ExportTextKey(0, 6));
}

template <int N>
class NumberedFilter : public TcvExportFilter {
public:
    using TcvExportFilter::TcvExportFilter;
};

template <int... N>
std::vector<TcvExportFilterClass> NumberedClasses(std::integer_sequence<int, N...>) {
    return {ExportFilterClass<NumberedFilter<N>>...};
}

TEST(ExportFilterRegistry, KeepsUpToThirtyTwoFiltersInRegistrationOrder) {
    const std::vector<TcvExportFilterClass> classes = NumberedClasses(std::make_integer_sequence<int, 33>());
    const int before = ExportFilterCount();
    int accepted = 0;
    for (size_t i = 0; i < classes.size(); ++i)
        accepted += RegisterExportFilter(classes[i], "Filtro " + std::to_string(i), "*.f" + std::to_string(i));
    EXPECT_EQ(accepted, MaxExportFilters - before);
    EXPECT_EQ(ExportFilterCount(), MaxExportFilters);
    EXPECT_FALSE(RegisterExportFilter(classes[0], "di nuovo", "*.x")) << "full, and already there";
    EXPECT_EQ(ExportFilterEntry(before).Description, "Filtro 0");
    EXPECT_EQ(ExportFilterEntry(before).FileMask, "*.f0");
    EXPECT_EQ(FindExportFilter(classes[3])->Description, "Filtro 3");
    EXPECT_THROW(ExportFilterEntry(MaxExportFilters), EListError);

    UnregisterExportFilter(classes[0]);
    EXPECT_EQ(ExportFilterEntry(before).Description, "Filtro 1");
    EXPECT_FALSE(RegisterExportFilter(classes[1], "di nuovo", "*.x")) << "a class is registered once";
    for (auto c : classes) UnregisterExportFilter(c);
    EXPECT_EQ(ExportFilterCount(), before);
}

}  // namespace

#include <gtest/gtest.h>

#include "common/PrintSupport.h"
#include "engine/report/CV_Print.h"
#include "platform/print/RecordingPrinter.h"

using namespace tessaly;
using tessaly::print::DeviceMode;
using tessaly::print::RecordingPrinter;
using tessaly::testing::AddPaperPage;
using tessaly::testing::NotingDrawWindow;

namespace {

class PrintTest : public ::testing::Test {
protected:
    void SetUp() override {
        tessaly::testing::EnsureApplication();
        savedClass_ = PreviewFormClass;
        PreviewFormClass = &tessaly::testing::CreateNotingDrawWindow;
        NotingDrawWindow::drawn.clear();
        NotingDrawWindow::onDraw = nullptr;
        PrinterSettings->FillPrinters(&printer);
        report.SetTitle("Vendite");
        report.SetShowProgress(false);
    }
    void TearDown() override {
        PreviewFormClass = savedClass_;
        NotingDrawWindow::onDraw = nullptr;
        PrinterSettings->FillPrinters(nullptr);
        PrintingActive = false;
    }

    void AddA4Pages(int n) {
        for (int i = 0; i < n; ++i) AddPaperPage(report, 9, 0);
    }
    std::vector<int> DrawnPages() const {
        std::vector<int> pages;
        for (const auto& d : NotingDrawWindow::drawn) pages.push_back(d.page);
        return pages;
    }
    // The number of sheets of each job.
    std::vector<size_t> SheetsPerJob() const {
        std::vector<size_t> sheets;
        for (const auto& job : printer.Jobs()) sheets.push_back(job.sheets.size());
        return sheets;
    }

    tessaly::testing::TempFolder folder{"print"};
    EngineUnits units{nullptr};
    RecordingPrinter printer;
    TcvReport report{nullptr};
    std::vector<int> progress;

private:
    TPreviewFormClass savedClass_ = nullptr;
};

TEST_F(PrintTest, PrintsTheRangeWithCopiesCollatedOrNotAndReportsProgress) {
    struct Case {
        bool collate;
        std::vector<int> pages;
        std::vector<int> progress;  // page numbers from each page, percentages from the loop
    } cases[] = {
        {false, {1, 1, 2, 2}, {2, 25, 2, 50, 3, 75, 3, 100}},
        {true, {1, 2, 1, 2}, {2, 25, 3, 50, 2, 75, 3, 100}},
    };
    AddA4Pages(5);
    for (const auto& c : cases) {
        NotingDrawWindow::drawn.clear();
        RecordingPrinter fresh;
        PrinterSettings->FillPrinters(&fresh);
        progress.clear();
        report.OnProgress = [this](int n) { progress.push_back(n); };
        report.PrintPreparedReport(2, 3, 2, c.collate);

        EXPECT_EQ(DrawnPages(), c.pages) << c.collate;
        EXPECT_EQ(progress, c.progress) << c.collate;
        ASSERT_EQ(fresh.Jobs().size(), 1u) << c.collate;
        EXPECT_EQ(fresh.Jobs()[0].sheets.size(), 4u) << "the program makes the copies";
        EXPECT_TRUE(fresh.Jobs()[0].ended);
        EXPECT_EQ(fresh.Jobs()[0].title, "Corvane- Vendite");
    }
}

TEST_F(PrintTest, KeepsTheRangeInsideTheReport) {
    struct Case {
        int first, last, copies;
        std::vector<int> pages;
    } cases[] = {
        {4, 99, 1, {3, 4}},  // a last page beyond the report is lowered
        {0, 2, 1, {0, 1}},   // a first page before the first starts at the first
        {3, 2, 1, {}},       // an empty range prints nothing, not an empty sheet
        {1, 1, 0, {0}},      // copies below 1 print once
    };
    AddA4Pages(5);
    for (const auto& c : cases) {
        NotingDrawWindow::drawn.clear();
        RecordingPrinter fresh;
        PrinterSettings->FillPrinters(&fresh);
        report.PrintPreparedReport(c.first, c.last, c.copies, false);
        EXPECT_EQ(DrawnPages(), c.pages) << c.first << ".." << c.last;
        EXPECT_EQ(fresh.Jobs().size(), c.pages.empty() ? 0u : 1u) << c.first << ".." << c.last;
    }
}

TEST_F(PrintTest, AChangeOfPaperStartsANewJobWithTheSameTitle) {
    struct Case {
        const char* name;
        std::vector<std::array<int, 4>> pages;  // code, orientation, width, height
        std::vector<size_t> sheets;
    } cases[] = {
        {"A4 alternating", {{9, 0}, {9, 1}, {9, 0}, {9, 1}}, {1, 1, 1, 1}},
        {"custom, other sizes", {{256, 0, 1000, 1500}, {256, 0, 1000, 1600}}, {1, 1}},
        {"custom, equal sizes", {{256, 0, 1000, 1500}, {256, 0, 1000, 1500}}, {2}},
        {"A4 then A3", {{9, 0}, {9, 0}, {8, 0}}, {2, 1}},
    };
    for (const auto& c : cases) {
        report.EMFPages().Clear();
        for (const auto& p : c.pages) AddPaperPage(report, p[0], p[1], p[2], p[3]);
        RecordingPrinter fresh;
        PrinterSettings->FillPrinters(&fresh);
        report.SetTitle("");
        report.PrintPreparedReport(1, static_cast<int>(c.pages.size()), 1, false);

        std::vector<size_t> sheets;
        for (size_t j = 0; j < fresh.Jobs().size(); ++j) {
            const auto& job = fresh.Jobs()[j];
            sheets.push_back(job.sheets.size());
            EXPECT_EQ(job.title, "Corvane- Nessun nome") << c.name;
            EXPECT_TRUE(job.ended) << c.name;
        }
        EXPECT_EQ(sheets, c.sheets) << c.name;
        // Each job starts with the paper of its first page.
        size_t page = 0;
        for (size_t j = 0; j < fresh.Jobs().size(); ++j) {
            const DeviceMode& mode = fresh.Jobs()[j].mode;
            const auto& p = c.pages[page];
            EXPECT_EQ(mode.paperSize, p[0]) << c.name << " job " << j;
            EXPECT_EQ(mode.orientation, p[1] == 0 ? print::DMORIENT_PORTRAIT : print::DMORIENT_LANDSCAPE)
                << c.name << " job " << j;
            if (p[0] == 256) {
                EXPECT_TRUE(mode.Has(print::DM_PAPERWIDTH | print::DM_PAPERLENGTH));
                EXPECT_EQ(mode.paperWidth, p[2]) << c.name;
                EXPECT_EQ(mode.paperLength, p[3]) << c.name;
            }
            page += c.sheets[j];
        }
    }
}

TEST_F(PrintTest, StretchesEachPageOverTheWholeSheetAtThePrinterResolution) {
    AddPaperPage(report, 9, 0);  // 793 x 1122 screen pixels
    AddPaperPage(report, 9, 1);  // 1122 x 793
    printer.SetCapabilities({4960, 7016, 150, 100, 600, 300});
    report.PrintPreparedReport(1, 2, 1, false);

    const PageInfo& portrait = report.EMFPages().Pages(0).Info;
    EXPECT_EQ(portrait.PrinterPageWidth, 4956) << "793 x 6.25 = 4956.25";
    EXPECT_EQ(portrait.PrinterPageHeight, 3506) << "1122 x 3.125 = 3506.25";
    EXPECT_EQ(portrait.PrinterOffsetX, 150);
    EXPECT_EQ(portrait.PrinterOffsetY, 100);
    const PageInfo& landscape = report.EMFPages().Pages(1).Info;
    EXPECT_EQ(landscape.PrinterPageWidth, 7012) << "1122 x 6.25 = 7012.5, the half to the even neighbour";
    EXPECT_EQ(landscape.PrinterPageHeight, 2478) << "793 x 3.125 = 2478.125";

    ASSERT_EQ(NotingDrawWindow::drawn.size(), 2u);
    EXPECT_EQ(NotingDrawWindow::drawn[0].rect, QRect(-150, -100, 4956, 3506));
    EXPECT_EQ(NotingDrawWindow::drawn[1].rect, QRect(-150, -100, 7012, 2478));
    EXPECT_TRUE(NotingDrawWindow::drawn[0].printingActive);
    EXPECT_FALSE(PrintingActive);
    EXPECT_EQ(NotingDrawWindow::alive, 0) << "the drawing window goes with the print";
}

TEST_F(PrintTest, TheFirstSheetGetsThePaperOfTheFirstPagePrinted) {
    // A4 portrait, then A4 landscape: printing page 2 alone is one landscape job, no empty
    // portrait job before it.
    AddPaperPage(report, 9, 0);
    AddPaperPage(report, 9, 1);
    report.PrintPreparedReport(2, 2, 1, false);
    ASSERT_EQ(printer.Jobs().size(), 1u);
    EXPECT_EQ(printer.Jobs()[0].mode.orientation, print::DMORIENT_LANDSCAPE);
    EXPECT_EQ(printer.Jobs()[0].sheets.size(), 1u);

    // The settings already hold A4 portrait (the paper of the last page loaded), while the
    // printer was left on Letter: the first job is A4 all the same.
    report.EMFPages().Clear();
    AddPaperPage(report, 9, 0);
    PrinterSettings->SetPrinterInfo(9, 2100, 0, 2970);
    DeviceMode letter = RecordingPrinter::DefaultMode();
    letter.paperSize = 1;
    RecordingPrinter onLetter({{"PDF", "cups", "cups-pdf:/"}}, letter);
    PrinterSettings->FillPrinters(&onLetter);
    report.PrintPreparedReport(1, 1, 1, false);
    ASSERT_EQ(onLetter.Jobs().size(), 1u);
    EXPECT_EQ(onLetter.Jobs()[0].mode.paperSize, 9);
}

TEST_F(PrintTest, CancelEndsTheJobAfterTheCurrentPage) {
    AddA4Pages(4);
    bool after = false;
    report.OnAfterPrint = [&] { after = true; };
    NotingDrawWindow::onDraw = [this](int page) {
        if (page == 1) report.Terminated = true;
    };
    report.PrintPreparedReport(1, 4, 1, false);

    EXPECT_EQ(DrawnPages(), (std::vector<int>{0, 1}));
    ASSERT_EQ(printer.Jobs().size(), 1u);
    EXPECT_TRUE(printer.Jobs()[0].aborted);
    EXPECT_FALSE(after);
    EXPECT_FALSE(report.Terminated) << "cleared when the print returns";
    EXPECT_FALSE(PrintingActive);
}

TEST_F(PrintTest, ErrorsInThePageLoopAbortTheJobAndReachTheCaller) {
    struct Case {
        const char* name;
        int secondPaper;         // A4 (9) as the first page, or A3 (8): a second job
        int failingPrinterCall;  // 0: none
        int failingEndDoc;       // the n-th EndDoc fails (0: none)
        bool lastJobAborted;     // false: the failing job never started, the one before was sent
        const char* message;
    } cases[] = {
        {"new sheet", 9, 2, 0, true, "Printer failure at NewPage"},
        {"new job", 8, 2, 0, false, "Printer failure at BeginDoc"},
        {"drawing", 9, 0, 0, true, "disegno fallito"},
        {"paper switch refused by the spooler", 8, 0, 1, true, "Printer failure at EndDoc"},
        {"end of the job refused by the spooler", 8, 0, 2, true, "Printer failure at EndDoc"},
    };
    for (const auto& c : cases) {
        report.EMFPages().Clear();
        AddPaperPage(report, 9, 0);
        AddPaperPage(report, c.secondPaper, 0);
        RecordingPrinter fresh;
        PrinterSettings->FillPrinters(&fresh);
        fresh.FailAfter(c.failingPrinterCall);
        fresh.FailAtEndDoc(c.failingEndDoc);
        NotingDrawWindow::onDraw = [&c](int page) {
            if (std::string(c.name) == "drawing" && page == 1) throw EngineError("disegno fallito");
        };
        bool after = false;
        report.OnAfterPrint = [&] { after = true; };
        try {
            report.PrintPreparedReport(1, 2, 1, false);
            ADD_FAILURE() << c.name << ": the failure looked like a print";
        } catch (const EngineError& e) {
            EXPECT_EQ(e.Message(), c.message) << c.name;
        }
        EXPECT_FALSE(after) << c.name;
        EXPECT_FALSE(PrintingActive) << c.name;
        EXPECT_FALSE(fresh.Printing()) << c.name;
        EXPECT_EQ(fresh.Jobs().back().aborted, c.lastJobAborted) << c.name;
        EXPECT_EQ(fresh.Jobs().back().ended, !c.lastJobAborted) << c.name;
        EXPECT_EQ(NotingDrawWindow::alive, 0) << c.name;
    }
}

TEST_F(PrintTest, BeforePrintMayStopEverythingAndAfterPrintFollowsACompleteJob) {
    AddA4Pages(2);
    int after = 0;
    report.OnAfterPrint = [&] { ++after; };
    report.OnBeforePrint = [](bool& go) { go = false; };
    report.PrintPreparedReport(1, 2, 1, false);
    EXPECT_TRUE(printer.Jobs().empty());
    EXPECT_EQ(after, 0);
    EXPECT_FALSE(PrintingActive);

    report.OnBeforePrint = [](bool& go) { EXPECT_TRUE(PrintingActive); };
    report.PrintPreparedReport(1, 2, 1, false);
    EXPECT_EQ(SheetsPerJob(), (std::vector<size_t>{2}));
    EXPECT_EQ(after, 1);
    EXPECT_EQ(CurReport, &report);
}

TEST_F(PrintTest, AnErrorBeforeTheFirstPageReachesTheCaller) {
    AddA4Pages(1);
    printer.FailAfter(1);  // the job cannot start
    EXPECT_THROW(report.PrintPreparedReport(1, 1, 1, false), print::EPrinter);
    EXPECT_FALSE(PrintingActive);
    EXPECT_EQ(NotingDrawWindow::alive, 0);

    PrinterSettings->FillPrinters(nullptr);
    try {
        report.PrintPreparedReport(1, 1, 1, false);
        ADD_FAILURE() << "no printer";
    } catch (const print::EPrinter& e) {
        EXPECT_EQ(e.Message(), "Nessuna stampante disponibile.");
    }
}

// The total counts only in the second pass of a two-pass preparation: a report at rest (printing)
// knows none, and the labels of each pass are pinned by the driver's tests.
TEST(ProgressLabel, CountsOfTheTotalOnlyInTheSecondPassOfATwoPassReport) {
    TcvReport report(nullptr);
    EXPECT_EQ(ProgressLabel("Pagina in stampa:", 3, report.PageTotal()), "Pagina in stampa:  3");
    report.TwoPass = 1;
    EXPECT_EQ(ProgressLabel("Pagina in costruzione:", 3, report.PageTotal()), "Pagina in costruzione:  3");
    report.FinalPass = true;
    EXPECT_EQ(report.PageTotal(), 0) << "no preparation runs";
    EXPECT_EQ(ProgressLabel("Pagina in costruzione:", 3, 12), "Pagina in costruzione:  3 di 12");
    EXPECT_EQ(ProgressLabel("Pagina in costruzione:", 3, 0), "Pagina in costruzione:  3");
}

TEST(PrintJobTitle, NamesTheReportOrSaysItHasNoName) {
    EXPECT_EQ(PrintJobTitle("Vendite \x80"), "Corvane- Vendite \x80");
    EXPECT_EQ(PrintJobTitle(""), "Corvane- Nessun nome");
}

}  // namespace

// Listings: a page header, one master data band over a dataset, a page footer; pagination,
// page numbers, totals, the bands that frame the data.
#include <functional>

#include "engine/prepare/ReportBuilder.h"

namespace preparetest {
namespace {

// A4 portrait with the default margins: bands print from y 38 to 1065 (1122 - 57).
constexpr int kTop = 38, kBottom = 1065;

class Listing : public ::testing::Test {
protected:
    // Page header (30), a row of 20 per record, page footer (30): 48 rows a page.
    void BuildListing(int rows, const std::string& footer = "Pagina [PAGE#]") {
        b.Data("Righe", NumberedColumns(), NumberedRows(rows));
        b.Band(btPageHeader, 40, 30);
        b.Text(10, 45, "Intestazione");
        b.Line(btMasterData, 100, 20, "[nome]", "Righe");
        b.Band(btPageFooter, 200, 30);
        b.Text(10, 205, footer);
    }

    ReportBuilder b;
};

TEST_F(Listing, RowsFillPagesBetweenHeaderAndFooter) {
    BuildListing(100);
    ASSERT_TRUE(b.Prepare()) << b.error;
    ASSERT_EQ(b.PageCount(), 3);
    TextRecord first, last48, row49;
    EXPECT_EQ(b.PageOf("Riga 1", &first), 1);
    EXPECT_EQ(b.PageOf("Riga 48", &last48), 1);
    EXPECT_EQ(b.PageOf("Riga 49", &row49), 2);
    EXPECT_EQ(b.PageOf("Riga 100"), 3);
    // The header takes 30 from the top edge; each row is 20 below the last.
    EXPECT_EQ(first.y - row49.y, 0);
    EXPECT_EQ(last48.y - first.y, 47 * 20);
    TextRecord header;
    b.PageOf("Intestazione", &header);
    EXPECT_EQ(first.y - header.y, 30 - 5 + 1);  // the header is 30 high, its text 5 into it, a row's 1
    EXPECT_EQ(b.Count("Intestazione"), 3);
}

TEST_F(Listing, PageNumberOfTheNthPageIsNAndTheFooterGoesOnThePageItCloses) {
    BuildListing(100);
    ASSERT_TRUE(b.Prepare()) << b.error;
    for (int page = 1; page <= 3; ++page) {
        TextRecord footer;
        ASSERT_EQ(b.PageOf("Pagina " + std::to_string(page), &footer), page);
        EXPECT_EQ(footer.y, kBottom - 30 + 5 + 1) << page;  // the footer band's top is the bottom limit
    }
}

// The footer's running total is that of the rows above it: the row that goes on the next page
// (already taken in when it did not fit) is not in it.
TEST_F(Listing, AFooterTotalCountsTheRowsPrintedAboveIt) {
    BuildListing(100, "Riporto [SUM(n)] in [COUNT()]");
    ASSERT_TRUE(b.Prepare()) << b.error;
    ASSERT_EQ(b.PageCount(), 3);
    EXPECT_EQ(b.PageOf("Riporto 1176 in 48"), 1);  // 1 + ... + 48
    EXPECT_EQ(b.PageOf("Riporto 4656 in 96"), 2);
    EXPECT_EQ(b.PageOf("Riporto 5050 in 100"), 3);
}

TEST_F(Listing, TwoPassesGiveTheTotalOfPages) {
    BuildListing(100, "Pagina [PAGE#] di [TOTALPAGES]");
    b.report->TwoPass = 1;
    ASSERT_TRUE(b.Prepare()) << b.error;
    ASSERT_EQ(b.PageCount(), 3);
    for (int page = 1; page <= 3; ++page)
        EXPECT_EQ(b.PageOf("Pagina " + std::to_string(page) + " di 3"), page);
}

TEST_F(Listing, AReportWithoutDataBandsPrintsItsFrameOnOnePage) {
    b.Line(btReportTitle, 40, 30, "Titolo");
    b.Line(btPageHeader, 80, 30, "Intestazione");
    b.Line(btReportSummary, 120, 30, "Riepilogo");
    b.Line(btPageFooter, 160, 30, "Piede");
    ASSERT_TRUE(b.Prepare()) << b.error;
    ASSERT_EQ(b.PageCount(), 1);
    EXPECT_EQ(b.Lines(1), (std::vector<std::string>{"Titolo", "Intestazione", "Riepilogo", "Piede"}));
}

TEST_F(Listing, AnEmptyMasterDatasetPrintsNoMasterBandsButTitleAndSummary) {
    b.Data("Righe", NumberedColumns(), {});
    b.Line(btReportTitle, 40, 30, "Titolo");
    b.Line(btMasterHeader, 80, 20, "Intestazione principale");
    b.Line(btMasterData, 100, 20, "[nome]", "Righe");
    b.Line(btMasterFooter, 120, 20, "Piede principale");
    b.Line(btReportSummary, 140, 20, "Riepilogo");
    ASSERT_TRUE(b.Prepare()) << b.error;
    EXPECT_EQ(b.AllLines(), (std::vector<std::string>{"Titolo", "Riepilogo"}));
}

TEST_F(Listing, MasterHeaderAndFooterFrameTheRecordsOnce) {
    b.Data("Righe", NumberedColumns(), NumberedRows(3));
    b.Line(btMasterHeader, 80, 20, "Inizio");
    b.Line(btMasterData, 100, 20, "[nome]", "Righe");
    b.Line(btMasterFooter, 120, 20, "Totale [SUM(n)] su [COUNT()]");
    ASSERT_TRUE(b.Prepare()) << b.error;
    EXPECT_EQ(b.AllLines(), (std::vector<std::string>{"Inizio", "Riga 1", "Riga 2", "Riga 3", "Totale 6 su 3"}));
}

// The footer after a range or a filter shows the last record printed, not the one the walk
// stopped on; its totals are those of the printed records. A group footer within the walk as well.
TEST_F(Listing, TheFooterShowsTheLastRecordWalkedAfterARangeOrAFilter) {
    struct Case {
        const char* name;
        std::function<void(TcvDBDataSet&)> walk;
        std::vector<std::string> lines;
    };
    const std::vector<Case> cases = {
        {"range", [](TcvDBDataSet& w) { w.RangeEnd = reCount, w.RangeEndCount = 3; },
         {"Riga 1", "Riga 2", "Riga 3", "Fine Riga 3 n 3 somma 6"}},
        {"filter", [](TcvDBDataSet& w) { w.Filter = "n < 3", w.Filtered = true; },
         {"Riga 1", "Riga 2", "Fine Riga 2 n 2 somma 3"}},
        {"filter in the middle", [](TcvDBDataSet& w) { w.Filter = "n <> 5", w.Filtered = true; },
         {"Riga 1", "Riga 2", "Riga 3", "Riga 4", "Fine Riga 4 n 4 somma 10"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ReportBuilder b;
        b.Data("Righe", NumberedColumns(), NumberedRows(5));
        c.walk(b.Walker("Righe"));
        b.Line(btMasterData, 100, 20, "[nome]", "Righe");
        b.Line(btMasterFooter, 120, 20, "Fine [nome] n [n] somma [SUM(n)]");
        ASSERT_TRUE(b.PrepareSaved()) << b.error;
        EXPECT_EQ(b.AllLines(), c.lines);
        TextRecord last, footer;
        b.PageOf(c.lines[c.lines.size() - 2], &last);
        b.PageOf(c.lines.back(), &footer);
        EXPECT_EQ(footer.y - last.y, 20);
    }
}

TEST_F(Listing, LineNumbersCountTheRecords) {
    b.Data("Righe", NumberedColumns(), NumberedRows(3));
    b.Line(btMasterData, 100, 20, "[LINE#]/[LINETHROUGH#]/[CURRENT#] [nome]", "Righe");
    ASSERT_TRUE(b.Prepare()) << b.error;
    EXPECT_EQ(b.AllLines(), (std::vector<std::string>{"1/1/1 Riga 1", "2/2/2 Riga 2", "3/3/3 Riga 3"}));
}

// A dataset without a database: the host counts its records, or nothing says there are any.
TEST_F(Listing, APlainDatasetPrintsTheRecordsItsHostCounts) {
    auto* counted = new TcvDataset(nullptr);
    counted->RangeEnd = reCount;
    counted->RangeEndCount = 3;
    b.report->AddDataset("Contati", counted);
    b.report->AddDataset("Vuoto", new TcvDataset(nullptr));
    b.Line(btMasterData, 100, 20, "riga [LINE#]", "Contati");
    b.Line(btMasterData, 130, 20, "mai", "Vuoto");
    ASSERT_TRUE(b.Prepare()) << b.error;
    EXPECT_EQ(b.AllLines(), (std::vector<std::string>{"riga 1", "riga 2", "riga 3"}));
}

}  // namespace
}  // namespace preparetest

// Cross tables (one column per record of the table's dataset, spilling onto the next page to the
// right) and sub-reports (another template page printed at a placeholder, side by side, over
// pages).
#include "engine/prepare/ReportBuilder.h"

namespace preparetest {
namespace {

using Lines = std::vector<std::string>;

const char* const kMonths[] = {"Gen", "Feb", "Mar", "Apr", "Mag", "Giu", "Lug", "Ago", "Set", "Ott", "Nov", "Dic"};

class CrossTable : public ::testing::Test {
protected:
    // Products down, months across: the table header (10, 100 wide), a column of 80 per month, the
    // table footer; the master header row and one row per product.
    void Build(int months, int footerWidth = 80, int products = 2, uint16_t masterFlags = 0) {
        std::vector<std::vector<Variant>> rows, names;
        for (int i = 0; i < months; ++i) rows.push_back({Variant(kMonths[i])});
        for (int i = 1; i <= products; ++i) names.push_back({Variant("P" + std::to_string(i))});
        b.Data("Prodotti", {{"prodotto", data::FieldKind::String}}, names);
        b.Data("Mesi", {{"mese", data::FieldKind::String}}, rows);
        Column(btCrossHeader, 10, 100);
        Column(btCrossData, 120, 80, "Mesi");
        Column(btCrossFooter, 210, footerWidth);
        b.Band(btMasterHeader, 50, 20);
        b.Band(btMasterData, 100, 20, "Prodotti", masterFlags);
        b.Text(12, 51, "Prodotto", 90);
        b.Text(122, 51, "[mese]", 70);
        // Objects of the table bands read the table's dataset: the product is named in full.
        b.Text(12, 101, "[Prodotti.prodotto]", 90);
        b.Text(122, 101, "[Prodotti.prodotto] [mese] [COLUMN#]", 70);
        b.Text(212, 101, "fine [Prodotti.prodotto]", 70);
    }
    // A page footer whose text stands in the table footer's columns; a limit in case it never ends.
    void FooterInTheTableFooter() {
        b.Band(btPageFooter, 1000, 20);
        b.Text(212, 1001, "piede", 70);
        b.report->MaxPages = 100;
    }
    // Two products and three months on one page, each column 100 right of the one before.
    void ExpectThreeMonths();
    void Column(int type, int left, int width, const std::string& dataset = "") {
        TcvBandView& view = b.Band(type, 10, 1100, dataset);
        view.Left = left;
        view.Width = width;
    }
    ReportBuilder b;
};

TEST_F(CrossTable, OneColumnPerRecordBetweenTheTableHeaderAndFooter) {
    Build(3);
    ASSERT_TRUE(b.Prepare()) << b.error;
    ExpectThreeMonths();
}

// A band that may split prints its table columns as one that may not.
TEST_F(CrossTable, ABandThatMaySplitPrintsItsColumns) {
    Build(3, 80, 2, boCanSplit);
    ASSERT_TRUE(b.PrepareSaved()) << b.error;
    ExpectThreeMonths();
}

// A band that breaks across pages prints its table row beside its first lines; the next band
// follows its last line.
TEST_F(CrossTable, ABandThatBreaksPrintsItsRowBesideItsFirstLines) {
    Build(3, 80, 2, boCanSplit | boStretched);
    TcvMemoView& notes = b.Text(500, 101, "[Prodotti.prodotto] nota 1", 250);
    for (int i = 2; i <= 70; ++i) notes.MemoLines.Add("[Prodotti.prodotto] nota " + std::to_string(i));
    notes.Flags = mfStretch;
    ASSERT_TRUE(b.PrepareSaved()) << b.error;
    TextRecord name, first, column, last, next;
    EXPECT_EQ(b.PageOf("P1", &name), 1);
    EXPECT_EQ(b.PageOf("P1 nota 1", &first), 1);
    EXPECT_EQ(b.PageOf("P1 Gen 1", &column), 1);
    EXPECT_EQ(column.y, name.y);
    EXPECT_EQ(b.PageOf("P1 nota 70", &last), 2);
    EXPECT_EQ(b.PageOf("P2", &next), 2);
    EXPECT_GE(next.y, last.y + 15);
    EXPECT_LE(next.y, last.y + 20);  // right below it
    EXPECT_EQ(b.Count("P1 Gen 1"), 1);
}

void CrossTable::ExpectThreeMonths() {
    ASSERT_EQ(b.PageCount(), 1);
    EXPECT_EQ(b.Lines(1), (Lines{"Prodotto", "Gen", "Feb", "Mar", "P1", "P1 Gen 1", "P1 Feb 2", "P1 Mar 3", "fine P1",
                                 "P2", "P2 Gen 1", "P2 Feb 2", "P2 Mar 3", "fine P2"}));
    TextRecord header, first, second, footer;
    b.PageOf("P1", &header);
    b.PageOf("P1 Gen 1", &first);
    b.PageOf("P1 Feb 2", &second);
    b.PageOf("fine P1", &footer);
    EXPECT_EQ(first.x - header.x, 100);  // columns start right after the table header
    EXPECT_EQ(second.x - first.x, 80);
    EXPECT_EQ(footer.x - first.x, 3 * 80);
    EXPECT_EQ(first.y, header.y);
}

TEST_F(CrossTable, ColumnsPastTheRightEdgeGoOnTheNextPageAtTheSameHeight) {
    Build(12);
    b.Page().RepeatCrossHeader = -1;
    ASSERT_TRUE(b.Prepare()) << b.error;
    ASSERT_EQ(b.PageCount(), 2);
    TextRecord gen, set, repeated;
    EXPECT_EQ(b.PageOf("P2 Gen 1", &gen), 1);
    EXPECT_EQ(b.PageOf("P2 Set 9", &set), 2);  // columns 1 to 8 fit before the right edge
    EXPECT_EQ(set.y, gen.y);
    EXPECT_EQ(b.PageOf("fine P2"), 2);
    // The table header again on the page to the right, in every row.
    EXPECT_EQ(b.Lines(2), (Lines{"Prodotto", "Set", "Ott", "Nov", "Dic", "P1", "P1 Set 9", "P1 Ott 10", "P1 Nov 11",
                                 "P1 Dic 12", "fine P1", "P2", "P2 Set 9", "P2 Ott 10", "P2 Nov 11", "P2 Dic 12",
                                 "fine P2"}));
}

// Table columns in the page footer pass the right edge onto the page to the right. The footer is
// drawn on the pages open when the page ends or breaks, not on the pages it adds itself, so that it
// ends.
TEST_F(CrossTable, APageFooterWithTableColumnsEnds) {
    Build(3, 5000);  // the table footer is wider than the page
    FooterInTheTableFooter();
    ASSERT_TRUE(b.Prepare()) << b.error;
    // Page 2 holds the rows' table footers; each footer goes one page to the right.
    ASSERT_EQ(b.PageCount(), 3);
    EXPECT_EQ(b.Count("piede"), 2);
    EXPECT_EQ(b.Lines(3), (Lines{"piede"}));
}

TEST_F(CrossTable, APageFooterWithTableColumnsEndsAtAPageBreak) {
    Build(3, 5000, 60);  // the rows fill more than one page
    FooterInTheTableFooter();
    ASSERT_TRUE(b.Prepare()) << b.error;
    // Rows on pages 1 and 4, their table footers on 2 and 5; at the break and at the end the page
    // footer is drawn on the two open pages, and its columns go one page to the right.
    ASSERT_EQ(b.PageCount(), 6);
    EXPECT_EQ(b.Count("piede"), 4);
    EXPECT_EQ(b.Lines(3), (Lines{"piede"}));
    EXPECT_EQ(b.PageOf("P50"), 4);
    EXPECT_EQ(b.Lines(6), (Lines{"piede"}));
}

// The column that passes the page limit ends the row: the table footer adds no page after it.
TEST_F(CrossTable, ThePageLimitEndsTheRow) {
    Build(12, 5000);
    b.report->MaxPages = 1;
    EXPECT_FALSE(b.Prepare());
    EXPECT_NE(b.error.find("il report supera il limite di 1 pagine."), std::string::npos) << b.error;
    EXPECT_EQ(b.PageCount(), 2);
    EXPECT_EQ(b.Count("fine P1"), 0);
}

class SubReports : public ::testing::Test {
protected:
    // Page 1: one row per order with a placeholder below its name; page 2, the sub-report: the
    // order's lines.
    void Build(int placeholderLeft = 100, uint16_t orderFlags = 0) {
        b.Data("Ordini", {{"id", data::FieldKind::Integer}, {"cliente", data::FieldKind::String}},
               {{Variant(1), Variant("Rossi")}, {Variant(2), Variant("Bianchi")}, {Variant(3), Variant("Verdi")}});
        b.Data("Righe", {{"ordine", data::FieldKind::Integer}, {"importo", data::FieldKind::Integer}}, lines);
        TcvDBDataSet& walker = b.Walker("Righe");
        walker.Filter = "ordine = Ordini.id";
        walker.Filtered = true;
        b.Line(btMasterData, 100, 40, "[cliente]", "Ordini", orderFlags);
        b.SubReport(placeholderLeft, 120, 200, 19, 1);
        b.Band(btMasterData, 100, 20, "Righe", 0, 1);
        b.Text(38, 101, "riga [importo]", 150, 18, 1);
        b.Line(btReportSummary, 200, 20, "Fine");
    }
    // One page: the lines of each order below it, at the placeholder's left.
    void ExpectOrdersAtTheirPlaces();
    // The order's name stretched to `lines` lines in a band that may split: the sub-report
    // starts below its last line, on page `page`.
    void ExpectSubReportsBelowTheName(int lines, int page);
    std::vector<std::vector<Variant>> lines{{Variant(1), Variant(10)}, {Variant(1), Variant(20)}, {Variant(3), Variant(5)}};
    ReportBuilder b;
};

TEST_F(SubReports, ThePlaceholderPrintsItsPageForEachRecordAtItsPlace) {
    Build();
    ASSERT_TRUE(b.Prepare()) << b.error;
    ExpectOrdersAtTheirPlaces();
}

// A band that may split prints its sub-reports as one that may not; when it broke across pages,
// they follow what it drew on its last page.
TEST_F(SubReports, ABandThatMaySplitPrintsItsSubReports) {
    Build(100, boCanSplit);
    ASSERT_TRUE(b.PrepareSaved()) << b.error;
    ExpectOrdersAtTheirPlaces();
}

// The sub-reports of a stretched band that may split follow its text as the stretch pushed them:
// on its page, or on its last page when it broke across pages.
TEST_F(SubReports, SubReportsOfASplitBandFollowItsLastLine) { ExpectSubReportsBelowTheName(5, 1); }

TEST_F(SubReports, SubReportsOfABandThatBrokeAcrossPagesFollowItsLastLine) { ExpectSubReportsBelowTheName(70, 2); }

void SubReports::ExpectSubReportsBelowTheName(int lines, int page) {
    Build(100, boCanSplit | boStretched);
    auto& name = dynamic_cast<TcvMemoView&>(*b.Page(0).Objects(1));
    for (int i = 2; i <= lines; ++i) name.MemoLines.Add("[cliente] " + std::to_string(i));
    name.Flags = mfStretch;
    ASSERT_TRUE(b.PrepareSaved()) << b.error;
    TextRecord last, first, second, next;
    EXPECT_EQ(b.PageOf("Rossi " + std::to_string(lines), &last), page);
    EXPECT_EQ(b.PageOf("riga 10", &first), page);
    EXPECT_EQ(b.PageOf("riga 20", &second), page);
    EXPECT_GE(first.y, last.y + 15);
    EXPECT_EQ(second.y - first.y, 20);
    EXPECT_EQ(b.PageOf("Bianchi", &next), page);
    EXPECT_GE(next.y, second.y + 15);
}

void SubReports::ExpectOrdersAtTheirPlaces() {
    ASSERT_EQ(b.PageCount(), 1);
    EXPECT_EQ(b.AllLines(), (Lines{"Rossi", "riga 10", "riga 20", "Bianchi", "Verdi", "riga 5", "Fine"}));
    TextRecord rossi, first, second, bianchi;
    b.PageOf("Rossi", &rossi);
    b.PageOf("riga 10", &first);
    b.PageOf("riga 20", &second);
    b.PageOf("Bianchi", &bianchi);
    EXPECT_EQ(first.x - rossi.x, 100 - 10);  // the sub-report's left edge is the placeholder's left
    EXPECT_EQ(first.y - rossi.y, 20);
    EXPECT_EQ(second.y - first.y, 20);
    EXPECT_EQ(bianchi.y - second.y, 20);  // the next order goes on below the lowest line
}

TEST_F(SubReports, ASubReportLongerThanThePageGoesOnOnTheNextPage) {
    lines.clear();
    for (int i = 1; i <= 80; ++i) lines.push_back({Variant(1), Variant(i)});
    Build();
    ASSERT_TRUE(b.Prepare()) << b.error;
    ASSERT_EQ(b.PageCount(), 2);
    EXPECT_EQ(b.PageOf("riga 80"), 2);
    EXPECT_EQ(b.PageOf("Bianchi"), 2);
    EXPECT_EQ(b.Count("riga 50"), 1);
}

// As a band of the main report, a sub-report band taller than a page prints on a fresh page as
// far as it goes, and the run goes on.
TEST_F(SubReports, ASubReportBandTallerThanAPagePrintsOnAFreshPageAndTheRunGoesOn) {
    Build();
    b.Page(1).Objects(0)->Height = 1500;  // the sub-report's data band
    ASSERT_TRUE(b.PrepareSaved()) << b.error;
    EXPECT_EQ(b.AllLines(), (Lines{"Rossi", "riga 10", "riga 20", "Bianchi", "Verdi", "riga 5", "Fine"}));
    TextRecord first, second;
    EXPECT_EQ(b.PageOf("Rossi"), 1);
    EXPECT_EQ(b.PageOf("riga 10", &first), 2);
    EXPECT_EQ(b.PageOf("riga 20", &second), 3);
    EXPECT_EQ(first.y, 38 + 2);  // at the top of its page: the object 1 into the band, its text 1 below
    EXPECT_EQ(second.y, 38 + 2);
    EXPECT_EQ(b.PageOf("Fine"), b.PageCount());
}

// Two placeholders of one band that show the same page both print it, side by side.
TEST_F(SubReports, TwoPlaceholdersOfOnePagePrintItSideBySide) {
    Build();
    b.SubReport(400, 120, 200, 19, 1);
    ASSERT_TRUE(b.PrepareSaved()) << b.error;
    EXPECT_EQ(b.AllLines(), (Lines{"Rossi", "riga 10", "riga 20", "riga 10", "riga 20", "Bianchi", "Verdi", "riga 5",
                                   "riga 5", "Fine"}));
    const PageTexts& texts = b.pages.at(0);
    ASSERT_EQ(texts.size(), 10u);
    for (size_t i : {1, 2, 7}) {
        const size_t twin = i == 7 ? 8 : i + 2;
        EXPECT_EQ(texts[twin].x - texts[i].x, 300) << texts[i].text;
        EXPECT_EQ(texts[twin].y, texts[i].y) << texts[i].text;
    }
    EXPECT_EQ(texts[5].y - texts[2].y, 20);  // the next order below the lowest line
}

// A page that shows itself is refused, naming the placeholder that does.
TEST_F(SubReports, APageThatShowsItselfIsAnError) {
    Build();
    b.SubReport(300, 105, 100, 10, 1, 1).Name = "Ricorsivo";  // page 2 shows page 2 inside its own band
    EXPECT_FALSE(b.Prepare());
    EXPECT_NE(b.error.find("Il sottoreport della pagina 2 contiene se stesso."), std::string::npos) << b.error;
    EXPECT_NE(b.error.find("Oggetto: Ricorsivo"), std::string::npos) << b.error;
}

}  // namespace
}  // namespace preparetest

// Where bands land: stretched and split bands, filled lists, columns, forced pages, bands that
// never fit, template pages that go on where the last one ended, the last page's footer.
#include <set>

#include "engine/prepare/ReportBuilder.h"

namespace preparetest {
namespace {

using Lines = std::vector<std::string>;

// Arial 10: 13 pixels high, lines 15 apart; a text starts 1 below its object's top (frame 1).
constexpr int kLine = 15;

class Pagination : public ::testing::Test {
protected:
    void Rows(int count) { b.Data("Righe", NumberedColumns(), NumberedRows(count)); }
    void RowBand(uint16_t flags = 0, int height = 20) {
        b.Band(btMasterData, 100, height, "Righe", flags);
        b.Text(10, 101, "[nome]");
    }
    ReportBuilder b;
};

TEST_F(Pagination, AStretchedBandGrowsWithItsTextAndPushesTheObjectsBelowDown) {
    Rows(2);
    b.Band(btMasterData, 100, 40, "Righe", boStretched);
    TcvMemoView& text = b.Text(10, 101, "aaaa bbbb cccc [n]", 60, 18);
    text.Flags = mfStretch | mfWordWrap;
    b.Text(10, 120, "sotto [n]", 100, 18);
    ASSERT_TRUE(b.Prepare()) << b.error;
    EXPECT_EQ(b.AllLines(), (Lines{"aaaa ", "bbbb ", "cccc 1", "sotto 1", "aaaa ", "bbbb ", "cccc 2", "sotto 2"}));
    const int stretch = 3 * kLine + 2 - 18;
    TextRecord first, below, second;
    b.PageOf("aaaa ", &first);
    b.PageOf("sotto 1", &below);
    b.PageOf("sotto 2", &second);
    EXPECT_EQ(below.y - first.y, 19 + stretch);
    EXPECT_EQ(second.y - below.y, 20 + 18 + stretch);  // the band grew to the bottom of the moved object
}

TEST_F(Pagination, ASplitBandContinuesOverAsManyPagesAsItNeedsCutBetweenWholeLines) {
    Rows(2);
    b.Band(btMasterData, 100, 20, "Righe", boStretched | boCanSplit);
    TcvMemoView& text = b.Text(10, 101, "", 200, 18);
    text.MemoLines.Clear();
    for (int i = 1; i <= 150; ++i) text.MemoLines.Add("[nome] linea " + std::to_string(i));
    text.Flags = mfStretch;
    ASSERT_TRUE(b.Prepare()) << b.error;
    // 300 lines of 15 pixels on pages of 1027: five pages, every line once, in order.
    EXPECT_EQ(b.PageCount(), 5);
    Lines expected;
    for (int row = 1; row <= 2; ++row)
        for (int i = 1; i <= 150; ++i) expected.push_back("Riga " + std::to_string(row) + " linea " + std::to_string(i));
    EXPECT_EQ(b.AllLines(), expected);
    for (int page = 1; page <= b.PageCount(); ++page)
        for (const TextRecord& t : b.pages[size_t(page - 1)]) EXPECT_LE(t.y + kLine, 1065) << t.text;
    TextRecord cont;
    const int second = b.PageOf("Riga 1 linea 69", &cont);
    EXPECT_EQ(second, 2);
    EXPECT_EQ(cont.y, 38 + 1);  // continued at the top of the next page
}

// Texts drawn one below the other in one column: each starts below the one drawn before it on
// its page, so nothing is printed over.
void ExpectEachTextBelowTheLast(const ReportBuilder& b) {
    for (int page = 1; page <= b.PageCount(); ++page) {
        const PageTexts& texts = b.pages[size_t(page - 1)];
        for (size_t i = 1; i < texts.size(); ++i)
            EXPECT_GE(texts[i].y, texts[i - 1].y + kLine) << "page " << page << ": " << texts[i].text;
    }
}

// A split band ends below what it drew on its last page: the next record and the summary follow
// it there, whether it broke across pages or not.
TEST_F(Pagination, WhatFollowsASplitBandStartsBelowItsLastLine) {
    for (const int lines : {3, 50}) {
        SCOPED_TRACE(lines);
        ReportBuilder b;
        b.Data("Righe", NumberedColumns(), NumberedRows(3));
        b.Band(btMasterData, 100, 20, "Righe", boStretched | boCanSplit);
        TcvMemoView& text = b.Text(10, 101, "", 200, 18);
        text.MemoLines.Clear();
        for (int i = 1; i <= lines; ++i) text.MemoLines.Add("[nome] linea " + std::to_string(i));
        text.Flags = mfStretch;
        b.Line(btReportSummary, 200, 20, "Fine");
        ASSERT_TRUE(b.PrepareSaved()) << b.error;
        EXPECT_EQ(b.AllLines().size(), size_t(3 * lines + 1));
        ExpectEachTextBelowTheLast(b);
        TextRecord last, second;
        b.PageOf("Riga 3 linea " + std::to_string(lines), &last);
        b.PageOf("Fine", &second);
        EXPECT_EQ(b.PageOf("Fine"), b.PageCount());
        EXPECT_GE(second.y, last.y + kLine);
    }
    // A title band of three lines that may split, then the summary: one below the other.
    ReportBuilder b;
    b.Band(btReportTitle, 10, 20, "", boStretched | boCanSplit);
    TcvMemoView& title = b.Text(10, 11, "uno", 200, 18);
    title.MemoLines.Add("due");
    title.MemoLines.Add("tre");
    title.Flags = mfStretch;
    b.Line(btReportSummary, 200, 20, "Fine");
    ASSERT_TRUE(b.PrepareSaved()) << b.error;
    EXPECT_EQ(b.AllLines(), (Lines{"uno", "due", "tre", "Fine"}));
    ExpectEachTextBelowTheLast(b);
}

// A page may have two bands of any type: each prints where one of its type prints, in the order
// of their tops (designed here the other way round); two page footers stack up from the bottom.
TEST_F(Pagination, EveryBandOfATypePrintsInTheOrderOfItsTop) {
    Rows(60);
    const std::vector<std::pair<int, std::string>> bands = {
        {btReportTitle, "Titolo"}, {btPageHeader, "Testata"}, {btColumnHeader, "Colonne"},
        {btColumnFooter, "Fine colonne"}, {btReportSummary, "Riepilogo"}, {btPageFooter, "Piede"}};
    for (int n = 2; n >= 1; --n) {
        int top = 300 + 200 * n;
        for (const auto& [type, text] : bands) {
            b.Line(type, top, 20, text + " " + std::to_string(n));
            top += 30;
        }
    }
    b.Line(btOverlay, 1000, 10, "Sfondo 2");  // an overlay prints at its own place
    b.Line(btOverlay, 10, 10, "Sfondo 1");
    RowBand();
    ASSERT_TRUE(b.PrepareSaved()) << b.error;
    ASSERT_EQ(b.PageCount(), 2);
    const Lines first = b.Lines(1);
    auto at = [&](const std::string& text) {
        TextRecord r;
        EXPECT_EQ(b.PageOf(text, &r), text.starts_with("Riepilogo") ? 2 : 1) << text;
        return r.y;
    };
    EXPECT_EQ(at("Sfondo 1"), 10 + 1 + 1);
    EXPECT_EQ(at("Sfondo 2"), 1000 + 1 + 1);
    EXPECT_EQ(at("Titolo 1"), 38 + 1 + 1);
    for (const char* text : {"Titolo ", "Testata ", "Colonne "})
        EXPECT_EQ(at(std::string(text) + "2") - at(std::string(text) + "1"), 20) << text;
    EXPECT_EQ(at("Testata 1") - at("Titolo 2"), 20);
    EXPECT_EQ(at("Colonne 1") - at("Testata 2"), 20);
    EXPECT_EQ(at("Piede 1"), 1065 - 40 + 1 + 1);  // the two footers end at the bottom edge
    EXPECT_EQ(at("Piede 2") - at("Piede 1"), 20);
    EXPECT_EQ(at("Fine colonne 2") - at("Fine colonne 1"), 20);
    EXPECT_EQ(b.Count("Piede 2"), 2);
    EXPECT_EQ(b.Count("Testata 2"), 2);
    TextRecord summary1, summary2;
    b.PageOf("Riepilogo 1", &summary1);
    b.PageOf("Riepilogo 2", &summary2);
    EXPECT_EQ(summary2.y - summary1.y, 20);
}

TEST_F(Pagination, AFilledListGetsEmptyRowsUpToItsFooter) {
    Rows(3);
    b.Band(btMasterData, 100, 20, "Righe", boFillList);
    TcvMemoView& cell = b.Text(10, 100, "[nome]", 100, 20);
    cell.FrameSides = fsAllSides;
    b.Line(btMasterFooter, 130, 30, "Fine");
    ASSERT_TRUE(b.Prepare()) << b.error;
    ASSERT_EQ(b.PageCount(), 1);
    TextRecord footer;
    b.PageOf("Fine", &footer);
    // The footer starts where the last empty row ended: less than a row and the footer above the bottom.
    const int footerTop = footer.y - 2;
    EXPECT_GE(footerTop + 30 + 20, 1065);
    EXPECT_LE(footerTop + 30, 1065);
    EXPECT_EQ((footerTop - 38) % 20, 0);
}

TEST_F(Pagination, AHiddenBandThatFillsItsListDoesNotStopTheRun) {
    Rows(3);
    TcvBandView& band = b.Band(btMasterData, 100, 20, "Righe", boFillList);
    band.Visible = 0;
    b.Text(10, 101, "[nome]");
    b.Line(btMasterFooter, 130, 30, "Fine");
    ASSERT_TRUE(b.Prepare()) << b.error;
    EXPECT_EQ(b.AllLines(), Lines{"Fine"});
}

TEST_F(Pagination, ABandTallerThanAPagePrintsOnAFreshPageAndTheRunGoesOn) {
    Rows(3);
    b.Line(btMasterData, 100, 1200, "[nome]", "Righe");
    b.Line(btMasterFooter, 1400, 20, "Fine");
    ASSERT_TRUE(b.Prepare()) << b.error;
    EXPECT_EQ(b.PageOf("Riga 1"), 1);
    EXPECT_EQ(b.PageOf("Riga 2"), 2);
    EXPECT_EQ(b.PageOf("Riga 3"), 3);
    EXPECT_EQ(b.PageOf("Fine"), 4);
}

TEST_F(Pagination, APageHeaderTallerThanThePageNeverBreaksThePageItself) {
    Rows(4);
    b.Line(btPageHeader, 40, 1100, "Testata");
    b.Line(btMasterData, 1200, 20, "[nome]", "Righe");
    ASSERT_TRUE(b.Prepare()) << b.error;
    EXPECT_EQ(b.PageCount(), 4);  // each page holds its header and one row below it
    EXPECT_EQ(b.Count("Testata"), 4);
}

TEST_F(Pagination, ForceNewPageAfterEachRecordButNotAfterTheLast) {
    Rows(3);
    RowBand(boForceNewPage);
    ASSERT_TRUE(b.Prepare()) << b.error;
    ASSERT_EQ(b.PageCount(), 3);
    EXPECT_EQ(b.Lines(3), Lines{"Riga 3"});
}

TEST_F(Pagination, ColumnsFillLeftToRightBeforeTheNextPage) {
    Rows(110);
    b.Page().ColumnCount = 2;
    b.Page().ColumnGap = 10;
    b.Line(btColumnHeader, 60, 20, "Colonna");
    RowBand();
    ASSERT_TRUE(b.Prepare()) << b.error;
    // 50 rows a column below its header; the second column starts at the top, 358 + 10 to the right.
    TextRecord first, second;
    EXPECT_EQ(b.PageOf("Riga 1", &first), 1);
    EXPECT_EQ(b.PageOf("Riga 51", &second), 1);
    EXPECT_EQ(second.x - first.x, 358 + 10);
    EXPECT_EQ(second.y, first.y);
    EXPECT_EQ(b.PageOf("Riga 100"), 1);
    EXPECT_EQ(b.PageOf("Riga 101"), 2);
    EXPECT_EQ(b.Count("Colonna"), 3);
}

TEST_F(Pagination, APageThatContinuesOnThePreviousStartsWhereItEnded) {
    Rows(3);
    RowBand();
    b.Page(1).ContinueOnPreviousPage = -1;
    b.Band(btReportTitle, 40, 20, "", 0, 1);
    b.Text(10, 41, "Seconda", 150, 18, 1);
    ASSERT_TRUE(b.Prepare()) << b.error;
    ASSERT_EQ(b.PageCount(), 1);
    TextRecord last, next;
    b.PageOf("Riga 3", &last);
    b.PageOf("Seconda", &next);
    EXPECT_EQ(next.y, last.y + 20);
}

TEST_F(Pagination, WithoutPageFooterOnLastPageTheLastPageHasNoFooter) {
    Rows(100);
    b.Band(btPageFooter, 200, 30);
    b.Text(10, 205, "Pagina [PAGE#]");
    RowBand();
    b.Page().PageFooterOnLastPage = 0;
    ASSERT_TRUE(b.Prepare()) << b.error;
    ASSERT_EQ(b.PageCount(), 3);
    EXPECT_EQ(b.PageOf("Pagina 2"), 2);
    EXPECT_EQ(b.PageOf("Pagina 3"), 0);
}

}  // namespace
}  // namespace preparetest

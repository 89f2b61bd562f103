// The preparation as a host sees it: what PrepareReport answers after a finished, cancelled or
// failed run, the progress texts, the error message, what is given back in every case, events,
// interleaved pages, and export of a report that has no pages yet.
#include <QScopedValueRollback>
#include <thread>

#include "engine/expr/CV_Const.h"
#include "engine/expr/CV_PrepError.h"
#include "engine/expr/CV_Values.h"
#include "engine/model/CV_ObjectRun.h"
#include "engine/prepare/CV_PrepState.h"
#include "engine/prepare/CV_Preparation.h"
#include "engine/prepare/ReportBuilder.h"
#include "engine/report/CV_Export.h"
#include "engine/report/EngineWindows.h"
#include "platform/core/Errors.h"

namespace preparetest {
namespace {

using Lines = std::vector<std::string>;

std::vector<std::string> SplitLines(const std::string& text) {
    std::vector<std::string> lines;
    size_t from = 0;
    for (size_t at; (at = text.find('\r', from)) != std::string::npos; from = at + 1) lines.push_back(text.substr(from, at - from));
    lines.push_back(text.substr(from));
    return lines;
}

// A progress dialog that records what it is told and runs its start action when shown. It
// cancels, as its button would, when its label becomes `cancelAt`.
class RecordingProgress : public TcvProgressView {
public:
    std::vector<std::string> labels;
    std::string caption;
    std::string cancelAt;
    TcvReport* report = nullptr;
    int shown = 0;

    void SetCaption(const AnsiString& text) override { caption = text; }
    void SetLabel(const AnsiString& text) override {
        labels.push_back(text);
        if (!cancelAt.empty() && text == cancelAt) {
            report->Terminated = true;
            result_ = mrCancel;
        }
    }
    int Show(TcvReport* r) override {
        ++shown;
        report = r;
        result_ = mrNone;
        if (StartAction) StartAction(nullptr);
        return result_;
    }
    void SetModalResult(int result) override {
        if (result_ != mrCancel) result_ = result;
    }

private:
    int result_ = mrNone;
};

class Driver : public ::testing::Test {
protected:
    // Three pages of rows, their number in the footer.
    void Listing(int rows = 100) {
        b.Data("Righe", NumberedColumns(), NumberedRows(rows));
        b.Line(btMasterData, 100, 20, "[nome]", "Righe");
        b.Band(btPageFooter, 200, 30);
        b.Text(10, 205, "Pagina [PAGE#]");
    }
    std::vector<uint8_t> TemplateBytes() {
        MemoryStream m;
        b.report->SaveToStream(m);
        return m.Data();
    }

    ReportBuilder b;
};

// --- What PrepareReport answers ------------------------------------------------------------------

struct Stop {
    const char* name;
    bool twoPass;
    bool failing;    // an expression error on the second page
    int cancelPage;  // the page at which OnProgress cancels (0: never)
    bool finishes;
    int passes;
};

TEST_F(Driver, PrepareReportIsTrueOnlyWhenTheRunFinished) {
    const Stop cases[] = {
        {"finished", false, false, 0, true, 1},        {"finished in two passes", true, false, 0, true, 2},
        {"cancelled", false, false, 2, false, 1},      {"cancelled in the first pass", true, false, 2, false, 1},
        {"failing", false, true, 0, false, 1},         {"failing in the first pass", true, true, 0, false, 1},
    };
    for (const Stop& c : cases) {
        ReportBuilder r;
        r.Data("Righe", NumberedColumns(), NumberedRows(100));
        r.Band(btMasterData, 100, 20, "Righe");
        r.Text(10, 101, c.failing ? "[IF(n = 60, VAL('abc'), nome)]" : "[nome]");
        r.report->TwoPass = c.twoPass;
        int passes = 0;
        r.report->OnBeginDoc = [&] { ++passes; };
        r.report->OnProgress = [&](int n) {
            if (n == c.cancelPage) r.report->Terminated = true;
        };
        EXPECT_EQ(r.Prepare(), c.finishes) << c.name;
        EXPECT_EQ(passes, c.passes) << c.name;
        EXPECT_EQ(r.error.empty(), !c.failing) << c.name;
        EXPECT_GE(r.PageCount(), 1) << c.name;  // the pages made so far stay, closed
    }
}

TEST_F(Driver, TheProgressDialogShowsEachPassWithItsPrefixAndCancelEndsTheRun) {
    Listing();
    b.report->SetShowProgress(true);
    b.report->SetTitle("Vendite");
    b.report->TwoPass = 1;
    RecordingProgress dialog;
    QScopedValueRollback<TcvProgressView*> form(ProgressForm, &dialog);
    ASSERT_TRUE(b.Prepare()) << b.error;
    EXPECT_EQ(dialog.shown, 1);
    EXPECT_EQ(dialog.caption, "Report in preparazione - Vendite");
    // Each label once as it changes: the first pass, then the second with the total.
    Lines shown;
    for (const std::string& label : dialog.labels)
        if (shown.empty() || shown.back() != label) shown.push_back(label);
    EXPECT_EQ(shown, (Lines{"Esecuzione 1\xB0 passo:  1", "Esecuzione 1\xB0 passo:  2", "Esecuzione 1\xB0 passo:  3",
                            "Pagina in costruzione:  1", "Pagina in costruzione:  1 di 3",
                            "Pagina in costruzione:  2 di 3", "Pagina in costruzione:  3 di 3"}));

    dialog.labels.clear();
    dialog.cancelAt = "Pagina in costruzione:  2 di 3";
    EXPECT_FALSE(b.Prepare());
    EXPECT_LE(b.PageCount(), 3);
    EXPECT_TRUE(b.error.empty());
}

TEST_F(Driver, AnErrorNamesTheObjectTheBandAndThePage) {
    b.Data("Righe", NumberedColumns(), NumberedRows(3));
    b.Band(btMasterData, 100, 20, "Righe");
    b.Text(10, 101, "[VAL('abc')]").Name = "Prezzo";
    EXPECT_FALSE(b.Prepare());
    EXPECT_EQ(SplitLines(b.error), (Lines{"Si è verificato un errore durante la fase di preparazione",
                                          "Tipi di parametri errati nella funzione: VAL ('abc')", "Oggetto: Prezzo",
                                          "Banda: Dati principali", "Pagina: 1"}));
}

// The limits a host sets stop the run like any preparation error; the pages made so far stay.
TEST_F(Driver, APageOrTimeLimitStopsTheRunWithItsMessage) {
    Listing();  // three pages
    b.report->MaxPages = 2;
    EXPECT_FALSE(b.Prepare());
    EXPECT_EQ(SplitLines(b.error)[1], "La preparazione è stata interrotta: il report supera il limite di 2 pagine.");
    EXPECT_EQ(b.PageCount(), 3);
    b.report->MaxPages = 3;
    EXPECT_TRUE(b.Prepare()) << b.error;
    // A summary asking for a new page after it adds none past the limit.
    b.Band(btReportSummary, 300, 20, "", boForceNewPage);
    b.Text(10, 305, "fine");
    b.report->MaxPages = 2;
    EXPECT_FALSE(b.Prepare());
    EXPECT_EQ(b.PageCount(), 3);
    b.report->MaxPages = 0;

    b.report->MaxPreparationMs = 1;
    b.report->OnBeginDoc = [] { std::this_thread::sleep_for(std::chrono::milliseconds(5)); };
    EXPECT_FALSE(b.Prepare());
    EXPECT_EQ(SplitLines(b.error)[1], "La preparazione è stata interrotta: ha superato il tempo massimo di 1 millisecondi.");
    b.report->MaxPreparationMs = 0;
    EXPECT_TRUE(b.Prepare()) << b.error;
}

TEST_F(Driver, AnEventHandlerCannotStartThePreparationAgain) {
    Listing(3);
    b.report->OnBeginPage = [&](int) { b.report->PrepareReport(); };
    EXPECT_FALSE(b.Prepare());
    EXPECT_NE(b.error.find("Il report è già in preparazione."), std::string::npos) << b.error;
}

// --- What is given back ----------------------------------------------------------------------------

// Geometry of any value, as a damaged template may hold it (a height of -1, coordinates and frame
// widths near 2^31): the run adds it up without overflowing (the sanitizer build tells) and every
// object gets its design back afterwards.
TEST_F(Driver, ObjectsOfAnyGeometryPrepareAndGetTheirDesignBack) {
    const struct {
        int32_t left, top, width, height, frame;
    } cases[] = {{38, 202, -16776716, -1, 1},
                 {2031356399, 202, 850867378, 18, 1},
                 {-2147483647, -2147483647, 2147483647, 2147483647, 2147483647},
                 {38, 202, 100, 18, INT32_MIN}};
    for (const auto& c : cases) {
        ReportBuilder r;
        r.Data("Righe", NumberedColumns(), NumberedRows(3));
        r.Line(btMasterData, 100, 20, "[nome]", "Righe");
        r.Band(btPageFooter, 200, 30);
        TcvMemoView& text = r.Text(c.left, c.top, "[PAGE#] [SUM(n)]", c.width, c.height);
        text.Flags = 0xFFFF;
        text.FrameSides = fsLeft | fsTop | fsRight | fsBottom;
        text.FrameWidth = c.frame;
        MemoryStream before, after;
        r.report->SaveToStream(before);
        r.Prepare();
        r.report->SaveToStream(after);
        EXPECT_EQ(after.Data(), before.Data()) << c.left << ", " << c.height;
    }
}

// Column gaps of any size, as a damaged template may hold them, keep the next column's place within
// reach.
TEST_F(Driver, ColumnGapsOfAnySizeKeepTheColumnsWithinReach) {
    for (int32_t gap : {-989855690, INT32_MAX}) {
        ReportBuilder r;
        r.Data("Righe", NumberedColumns(), NumberedRows(200));
        r.Line(btMasterData, 100, 20, "[nome]", "Righe");
        r.Page().ColumnCount = 3;
        r.Page().ColumnGap = gap;
        EXPECT_TRUE(r.Prepare()) << r.error;
        EXPECT_EQ(r.Count("Riga 200"), 1) << gap;
    }
}

TEST_F(Driver, TemplateDatasetsAndEngineStateAreGivenBackHoweverTheRunEnds) {
    enum End { finished, failed, cancelled };
    for (End end : {finished, failed, cancelled}) {
        ReportBuilder r;
        data::MemoryDataset& rows = r.Data("Righe", NumberedColumns(), NumberedRows(100));
        data::MemoryDataset& open = r.Data("Aperta", NumberedColumns(), NumberedRows(5));
        open.Open();
        open.SetRecNo(4);
        r.Band(btMasterData, 100, 20, "Righe", boStretched);
        TcvMemoView& text = r.Text(10, 101, end == failed ? "[IF(n = 70, VAL('x'), nome)]" : "[nome] [Aperta.n]");
        text.Flags = mfStretch | mfAutoWidth;
        r.Line(btDetailData, 130, 20, "[n]", "Aperta");
        if (end == cancelled) r.report->OnProgress = [&](int n) { r.report->Terminated |= n == 2; };
        MemoryStream before;
        r.report->SaveToStream(before);
        r.Prepare();
        MemoryStream after;
        r.report->SaveToStream(after);
        EXPECT_EQ(after.Data(), before.Data()) << end;
        EXPECT_FALSE(rows.Active()) << end;
        EXPECT_TRUE(open.Active()) << end;
        EXPECT_EQ(open.RecNo(), 4) << end;
        // The preparation's state (page, band, object, surface) is gone with it: texts ask the run
        // of the report at rest again, and names resolve.
        EXPECT_EQ(r.report->Preparation(), nullptr) << end;
        EXPECT_EQ(&TextRun(), &RestingRun()) << end;
        EXPECT_FALSE(r.report->Preparing) << end;
        EXPECT_FALSE(PreparationErrorRecorded()) << end;
    }
}

TEST_F(Driver, NamesResolveThroughTheReportBeingPreparedWhateverReportCameLater) {
    Listing(1);
    const int index = b.report->Values().AddValue();
    b.report->Values().SetName(index, "Ditta");
    b.report->Values().Items(index).Kind = vkOther;
    b.report->Values().Items(index).OtherKind = ExpressionValueKind;
    b.report->Values().Items(index).FieldName = "'Alfa'";
    b.Text(10, 110, "[Ditta]");
    TcvReport later(nullptr);
    const int other = later.Values().AddValue();
    later.Values().SetName(other, "Ditta");
    later.Values().Items(other).Kind = vkOther;
    later.Values().Items(other).OtherKind = ExpressionValueKind;
    later.Values().Items(other).FieldName = "'Beta'";
    ASSERT_TRUE(b.Prepare()) << b.error;
    EXPECT_EQ(b.Count("Alfa"), 1);
    EXPECT_EQ(b.Count("Beta"), 0);
}

// --- Events ----------------------------------------------------------------------------------------

TEST_F(Driver, EventsComeInTheirOrderWithTheDatasetMoments) {
    b.Data("Righe", NumberedColumns(), NumberedRows(2));
    b.Band(btMasterData, 100, 20, "Righe").Name = "Dati";
    b.Text(10, 101, "[nome]");
    b.Line(btMasterFooter, 130, 20, "fine");
    Lines events;
    b.report->OnBeginDoc = [&] { events.push_back("BeginDoc"); };
    b.report->OnEndDoc = [&] { events.push_back("EndDoc"); };
    b.report->OnBeginPage = [&](int pg) { events.push_back("BeginPage " + std::to_string(pg)); };
    b.report->OnEndPage = [&](int pg) { events.push_back("EndPage " + std::to_string(pg)); };
    b.report->OnDataSetWork = [&](const AnsiString& band, data::Dataset* ds, int32_t&, int operation) {
        events.push_back(band + " " + (ds ? ds->Name() : "-") + " " + std::to_string(operation));
    };
    ASSERT_TRUE(b.Prepare()) << b.error;
    // OnBeginPage gives the template page's index, OnEndPage always 1.
    EXPECT_EQ(events, (Lines{"BeginDoc", "Dati Righe 0", "BeginPage 0", "Dati Righe 2", "Dati Righe 3", "Dati Righe 3",
                             "EndPage 1", "EndDoc", "Dati Righe 1"}));
}

TEST_F(Driver, TheDateAndTimeAreTakenOnceForBothPasses) {
    Listing(3);
    b.report->TwoPass = 1;
    std::vector<double> times;
    b.report->OnBeginDoc = [&] {
        times.push_back(b.report->Preparation()->ReportDate + b.report->Preparation()->ReportTime);
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    };
    ASSERT_TRUE(b.Prepare()) << b.error;
    ASSERT_EQ(times.size(), 2u);
    EXPECT_EQ(times[0], times[1]);
}

// --- Interleaved pages -----------------------------------------------------------------------------

// Two template pages of one row a page: A's pages, then B's.
class Interleaved : public Driver {
protected:
    data::MemoryDataset& TwoPages(int rowsOfA) {
        data::MemoryDataset& a = b.Data("A", NumberedColumns(), NumberedRows(rowsOfA));
        b.Data("B", NumberedColumns(), NumberedRows(2));
        b.Line(btMasterData, 100, 20, "A[n] pagina [PAGE#]", "A", boForceNewPage);
        b.Band(btMasterData, 100, 20, "B", boForceNewPage, 1);
        b.Text(10, 101, "B[n] pagina [PAGE#]", 150, 18, 1);
        b.report->TwoPass = 1;
        b.report->Interleave = 1;
        return a;
    }
    void ExpectNumbersInPrintedOrder() const {
        EXPECT_EQ(Order(), (Lines{"A1", "B1", "A2", "B2", "A3"}));
        for (int p = 1; p <= 5; ++p) EXPECT_EQ(b.Lines(p).at(0).substr(3), "pagina " + std::to_string(p));
    }
    Lines Order() const {
        Lines order;
        for (int p = 1; p <= b.PageCount(); ++p) order.push_back(b.Lines(p).at(0).substr(0, 2));
        return order;
    }
};

// A has one more row in the final pass than in the first: the order is the final pass's own.
TEST_F(Interleaved, FirstPagesOfEveryTemplatePageThenTheSecondOnesAsTheFinalPassMadeThem) {
    data::MemoryDataset& a = TwoPages(2);
    int passes = 0;
    b.report->OnBeginDoc = [&] {
        if (++passes == 2) a.AppendRow({Variant(3), Variant("Riga 3")});
    };
    ASSERT_TRUE(b.Prepare()) << b.error;
    EXPECT_EQ(Order(), (Lines{"A1", "B1", "A2", "B2", "A3"}));
}

// In one pass as in two: the page number is the page's place in the printed order.
TEST_F(Interleaved, PageNumbersFollowTheInterleavedOrder) {
    TwoPages(3);
    b.report->InterleavedNumbering = 1;
    ASSERT_TRUE(b.Prepare()) << b.error;
    ExpectNumbersInPrintedOrder();
}

TEST_F(Interleaved, PageNumbersFollowTheInterleavedOrderInOnePass) {
    TwoPages(3);
    b.report->TwoPass = 0;
    b.report->InterleavedNumbering = 1;
    ASSERT_TRUE(b.PrepareSaved()) << b.error;
    ExpectNumbersInPrintedOrder();
    EXPECT_EQ(b.report->EMFPages().Count(), 5);
}

// --- Export ----------------------------------------------------------------------------------------

class CountingFilter : public TcvExportFilter {
public:
    using TcvExportFilter::TcvExportFilter;
    static inline int pages = 0;
    void BeginPage(int, int) override { ++pages; }
};

TEST_F(Driver, ExportingAReportWithoutPagesPreparesItFirst) {
    Listing();
    tessaly::testing::TempFolder dir("export");
    CountingFilter::pages = 0;
    b.report->ExportTo(ExportFilterClass<CountingFilter>, dir / "out.txt");
    EXPECT_EQ(CountingFilter::pages, 3);
    EXPECT_EQ(b.report->EMFPages().Count(), 3);

    ReportBuilder failing;
    failing.Data("Righe", NumberedColumns(), NumberedRows(3));
    failing.Line(btMasterData, 100, 20, "[VAL('x')]", "Righe");
    try {
        failing.report->ExportTo(ExportFilterClass<CountingFilter>, dir / "no.txt");
        ADD_FAILURE() << "no error";
    } catch (const EngineError& e) {
        EXPECT_NE(e.Message().find("VAL ('x')"), std::string::npos);
    }
    EXPECT_FALSE(std::filesystem::exists(dir / "no.txt"));
}

TEST(InterleavedOrder, FirstPagesFirstThenSecondPages) {
    EXPECT_EQ(InterleavedOrder({3, 2}), (std::vector<int>{0, 3, 1, 4, 2}));
    EXPECT_EQ(InterleavedOrder({1, 0, 2}), (std::vector<int>{0, 1, 2}));
    EXPECT_EQ(InterleavedOrder({}), std::vector<int>{});
}

}  // namespace
}  // namespace preparetest

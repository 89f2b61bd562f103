// What a preparation's state answers the texts it expands: the error that names its object, band
// and page, the dataset whose rows unqualified names read, and the counters of its bands and pages.
#include <gtest/gtest.h>

#include <string>

#include "engine/expr/CV_Format.h"
#include "engine/prepare/RunAtHand.h"
#include "platform/core/Errors.h"

using namespace tessaly;
using tessaly::testing::RunAtHand;

namespace {

std::string Eval(RunAtHand& prep, const std::string& text) {
    Variant v;
    try {
        prep.report->Evaluate(text, v);
    } catch (const EngineError& e) {
        return "error " + e.Message();
    }
    return v.AsString();
}

const std::string kHeading = "Si \xE8 verificato un errore durante la fase di preparazione\r";

}  // namespace

TEST(PrepState, TheFirstErrorNamesTheObjectTheBandAndThePageAndEndsThePreparation) {
    RunAtHand prep;
    TcvBand& master = prep.AddBand(btMasterData, prep.righe);
    prep.Enter(prep.AddObject("Memo3", master));
    prep.report->Preparing = true;
    prep.State().ErrorPageNo = 2;
    AnsiString text = "prima";
    ExpandValueText("VAL('abc')", text);
    EXPECT_EQ(prep.State().PreparationError.Text,
              kHeading + "Tipi di parametri errati nella funzione: VAL ('abc')\rOggetto: Memo3\rBanda: Dati principali\r"
                         "Pagina: 2");
    EXPECT_TRUE(prep.report->Terminated);
    ReportPreparationError("seconda");
    EXPECT_EQ(prep.Error(), "Tipi di parametri errati nella funzione: VAL ('abc')");
    prep.report->Preparing = false;
}

// The object is named only when it prints in the current band, the band only when there is one.
TEST(PrepState, TheErrorTextNamesOnlyWhatIsCurrent) {
    RunAtHand prep;
    TcvBand& footer = prep.AddBand(btPageFooter);
    TcvBand& other = prep.AddBand(btPageHeader);
    TcvView& memo = prep.AddObject("Memo1", other);
    struct Case { TcvBand* band; TcvView* object; const char* tail; };
    for (Case c : {Case{&footer, &memo, "\rBanda: Pi\xE8 di pagina\rPagina: 0"}, {nullptr, &memo, "\rPagina: 0"},
                   {&other, &memo, "\rOggetto: Memo1\rBanda: Instestazione pagina\rPagina: 0"}}) {
        ClearPreparationError();
        prep.State().CurrentBand = c.band;
        prep.State().CurrentObject = c.object;
        ReportPreparationError("x");
        EXPECT_EQ(prep.State().PreparationError.Text, kHeading + "x" + c.tail);
    }
}

// Unqualified names read the dataset of the data band of the object's band family: the detail one
// for a detail footer, none for a table column without a dataset, the master one without an object.
TEST(PrepState, UnqualifiedNamesReadTheDatasetOfTheObjectsBandFamily) {
    RunAtHand prep;
    TcvBand& master = prep.AddBand(btMasterData, prep.clienti);
    TcvBand& detail = prep.AddBand(btDetailData, prep.righe, 0, 100);
    TcvBand& cross = prep.AddBand(btCrossData, nullptr, 300, 0, 100, 600);
    TcvView& inMaster = prep.AddObject("Memo1", master);
    TcvView& inDetailFooter = prep.AddObject("Memo2", detail);
    inDetailFooter.ParentBandType = btDetailFooter;
    TcvView& inCross = prep.AddObject("Memo3", cross);
    struct Case { TcvView* object; const char* text; const char* shown; };
    for (Case c : {Case{&inMaster, "nome", "Mario"}, {&inMaster, "prezzo", "error Identificatore sconosciuto: prezzo"},
                   {&inDetailFooter, "prezzo", "12,5"}, {&inCross, "nome", "error Identificatore sconosciuto: nome"},
                   {nullptr, "nome", "Mario"}}) {
        if (c.object) prep.Enter(*c.object);
        else prep.State().CurrentObject = nullptr;
        EXPECT_EQ(Eval(prep, c.text), c.shown) << c.text;
    }
}

TEST(PrepState, RecordAndPageCountersAreThoseOfTheCurrentBandAndPage) {
    RunAtHand prep;
    TcvBand& detail = prep.AddBand(btDetailData, prep.righe);
    prep.Enter(prep.AddObject("Memo1", detail));
    detail.RecordNo = 3;
    detail.RecordCount = 12;
    prep.page.LineCounter = 40;
    prep.page.ColumnCounter = 2;
    prep.State().TotalPages = 9;
    struct Case { const char* text; const char* shown; };
    for (Case c : {Case{"LINE#", "3"}, {"LINETHROUGH#", "12"}, {"CURRENT#", "40"}, {"COLUMN#", "2"},
                   {"TOTALPAGES", "9"}})
        EXPECT_EQ(Eval(prep, c.text), c.shown) << c.text;
    prep.State().CurrentBand = nullptr;
    prep.State().CurrentPage = nullptr;
    EXPECT_EQ(Eval(prep, "LINE#"), "error Identificatore sconosciuto: LINE#") << "no band, no record";
    EXPECT_EQ(Eval(prep, "COLUMN#"), "error Identificatore sconosciuto: COLUMN#") << "no page, no column";
}

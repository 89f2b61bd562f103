// The band half of the aggregates: SUM, AVG, MIN, MAX and COUNT registered, fed and read through
// the resolver in a preparation held still (its state the run of the texts, bands added by hand).
#include <gtest/gtest.h>

#include <QScopedValueRollback>
#include <string>

#include "engine/expr/CV_Format.h"
#include "engine/prepare/CV_BandAggregates.h"
#include "engine/prepare/RunAtHand.h"
#include "platform/core/Errors.h"

using namespace tessaly;
using tessaly::testing::RunAtHand;

namespace {

class Aggregates : public ::testing::Test {
protected:
    // The text expanded while the objects that `feeding` feeds register their aggregates.
    AnsiString Register(TcvView& object, TcvBand& feeding, const char* text) {
        prep.Enter(object);
        QScopedValueRollback registering(prep.State().AggregateBand, &feeding);
        AnsiString result;
        ExpandValueText(text, result);
        return result;
    }
    AnsiString Read(TcvView& object, const char* text) {
        prep.Enter(object);
        AnsiString result = "?";
        ExpandValueText(text, result);
        return result;
    }
    // The band engine's first record and next records of a data band.
    void Walk(TcvBand& band, int rows) {
        prep.State().CurrentBand = &band;
        band.DataSet->First();
        UpdateAggregates(band, 2);
        for (int i = 1; i < rows; ++i) {
            band.DataSet->Next();
            UpdateAggregates(band, 3);
        }
    }
    std::string Error() const { return prep.Error(); }

    RunAtHand prep;
};

}  // namespace

TEST_F(Aggregates, RegisteredAggregatesGiveOneThenReadTheRowsFed) {
    TcvBand& master = prep.AddBand(btMasterData, prep.righe, 0, 0);
    TcvBand& footer = prep.AddBand(btPageFooter, nullptr, 0, 500);
    TcvView& memo = prep.AddObject("Memo1", footer);
    prep.State().CurrentValue = Variant("prima");
    EXPECT_EQ(Register(memo, master, "SUM(qta) * 10 + AVG(qta) + COUNT()"), "12");
    EXPECT_EQ(prep.State().CurrentValue.AsString(), "prima") << "registering leaves the current value alone";
    Walk(master, 2);
    EXPECT_EQ(Read(memo, "SUM(qta)"), "104");
    EXPECT_EQ(Read(memo, "AVG(qta)"), "52");
    EXPECT_EQ(Read(memo, "MIN(prezzo)"), "?") << "not registered: the value stays empty";
    EXPECT_EQ(Error(), "Errore. Identificatore sconosciuto: MIN(prezzo)");
    ClearPreparationError();
    EXPECT_EQ(Read(memo, "COUNT()"), "2");
    EXPECT_EQ(prep.State().CurrentValue.AsInteger(), 2);
}

TEST_F(Aggregates, AGroupAndTheSummaryEachRestartAtTheirOwnReset) {
    prep.righe->AppendRow({Variant(1.0), Variant(6), Variant("terza")});
    prep.righe->Refresh();
    TcvBand& master = prep.AddBand(btMasterData, prep.righe);
    TcvBand& group = prep.AddBand(btGroupFooter, nullptr, 0, 100);
    TcvBand& summary = prep.AddBand(btReportSummary, nullptr, 0, 200);
    group.Aggregates.Tag = '\1';
    summary.Aggregates.Tag = 'S';
    TcvView& inGroup = prep.AddObject("Memo1", group);
    TcvView& inSummary = prep.AddObject("Memo2", summary);
    for (const char* text : {"AVG(qta)", "COUNT()"}) {
        Register(inGroup, master, text);
        Register(inSummary, master, text);
    }
    Walk(master, 2);
    prep.righe->Next();
    ResetAggregates(master, '\1');  // the group changes before the third row
    AccumulateAggregates(master);
    EXPECT_EQ(Read(inGroup, "AVG(qta)"), "6");
    EXPECT_EQ(Read(inGroup, "COUNT()"), "1");
    EXPECT_EQ(Read(inSummary, "AVG(qta)"), "36,6666666666667");
    EXPECT_EQ(Read(inSummary, "COUNT()"), "3");
    EXPECT_EQ(Error(), "");
}

TEST_F(Aggregates, RegistrationReportsOnlyWrongCountsAndAggregatesOutsideEnabledBands) {
    TcvBand& master = prep.AddBand(btMasterData, prep.righe);
    TcvBand& footer = prep.AddBand(btMasterFooter, nullptr, 0, 100);
    TcvBand& none = prep.AddBand(btNone, nullptr, 0, 0, 0, 0);
    TcvView& memo = prep.AddObject("Memo1", footer);
    // The row is whatever is current: "prima" is no number, yet the template is right.
    EXPECT_EQ(Register(memo, master, "IF(LENGTH(nota) > 0, VAL(nota), 0)"), "1");
    EXPECT_EQ(Register(memo, master, "VAL(nota) + SUM(qta)"), "1");
    EXPECT_EQ(Register(memo, master, "IF(1, Ignoto, 1 / 0)"), "1");
    EXPECT_EQ(Error(), "");
    Walk(master, 2);
    EXPECT_EQ(Read(memo, "SUM(qta)"), "104") << "the aggregate after a failing function registered";

    ClearPreparationError();
    Register(memo, master, "COPY(nota, 1)");
    EXPECT_EQ(Error(), "E' stato inserito un numero di parametri errato per la funzione : COPY");
    ClearPreparationError();
    TcvView& loose = prep.AddObject("Memo2", none);
    Register(loose, none, "1 + max(qta)");
    EXPECT_EQ(Error(), "Non \xE8 possibile inserire in una banda non abilitata la funzione statistica : MAX");
}

TEST_F(Aggregates, CountGivesRowsByBandOrTheRecordsOfANamedDataset) {
    TcvBand& master = prep.AddBand(btMasterData, prep.clienti);
    TcvBand& detail = prep.AddBand(btDetailData, prep.righe, 0, 100);
    TcvBand& detailFooter = prep.AddBand(btDetailFooter, nullptr, 0, 150);
    TcvBand& header = prep.AddBand(btPageHeader, nullptr, 0, 300);
    TcvView& inFooter = prep.AddObject("Memo1", detailFooter);
    inFooter.ParentBandType = btDetailFooter;
    TcvView& inHeader = prep.AddObject("Memo2", header);
    Walk(detail, 2);
    EXPECT_EQ(Read(inFooter, "COUNT()"), "2") << "the detail rows since the last reset, unregistered";
    EXPECT_EQ(Read(inFooter, "COUNT(qta)"), "2") << "an unqualified text names the object's data band dataset";
    EXPECT_EQ(Read(inFooter, "COUNT(Vendite.clienti)"), "1");
    EXPECT_EQ(Read(inHeader, "COUNT(Dati.righe.prezzo)"), "2");
    EXPECT_EQ(Error(), "");
    EXPECT_EQ(Read(inHeader, "COUNT()"), "?");
    EXPECT_EQ(Error(), "Non \xE8 possibile inserire in una banda non abilitata la funzione statistica : COUNT");
    ClearPreparationError();
    EXPECT_EQ(Read(inHeader, "COUNT(Altro.tabella)"), "?");
    EXPECT_EQ(Error(), "Formato parametri non valido nella funzione : COUNT");
    (void)master;
}

TEST_F(Aggregates, CrossTablesKeepOneValuePerColumnAndTheFooterFoldsThem) {
    data::MemoryDataset months(nullptr, {{"n", data::FieldKind::Integer}});
    months.AppendRow({Variant(1)});
    months.AppendRow({Variant(2)});
    months.Open();
    TcvBand& master = prep.AddBand(btMasterData, prep.righe, 0, 0, 600, 40);
    TcvBand& cross = prep.AddBand(btCrossData, &months, 200, 0, 100, 600);
    TcvBand& crossFooter = prep.AddBand(btCrossFooter, nullptr, 400, 0, 100, 600);
    TcvBand& masterFooter = prep.AddBand(btMasterFooter, nullptr, 0, 100, 600, 40);
    TcvView& cell = prep.AddObject("Memo1", cross, 210, 5);
    TcvView& total = prep.AddObject("Memo2", crossFooter, 410, 105);
    Register(cell, cross, "AVG(Dati.righe.qta * n)");
    Register(total, cross, "AVG(Dati.righe.qta * n)");
    EXPECT_TRUE(total.ColumnAggregate) << "a cross footer total below the rows folds the columns";
    EXPECT_FALSE(cell.ColumnAggregate);
    // Each master row walks the two cross columns.
    for (int row = 0; row < 2; ++row) {
        prep.State().CurrentBand = &master;
        if (row) prep.righe->Next();
        months.First();
        UpdateAggregates(cross, 2);
        months.Next();
        UpdateAggregates(cross, 3);
    }
    prep.page.ColumnCounter = 2;
    EXPECT_EQ(Read(cell, "AVG(Dati.righe.qta * n)"), "104") << "column 2: (4 * 2 + 100 * 2) / 2";
    prep.State().CurrentBand = &masterFooter;
    EXPECT_EQ(Read(total, "AVG(Dati.righe.qta * n)"), "78") << "the mean of the columns 52 and 104";
    EXPECT_EQ(Error(), "");
}

TEST_F(Aggregates, NothingIsFedWhileSuspendedOrAtTheEndOfTheData) {
    TcvBand& master = prep.AddBand(btMasterData, prep.righe);
    TcvBand& footer = prep.AddBand(btPageFooter, nullptr, 0, 500);
    TcvView& memo = prep.AddObject("Memo1", footer);
    Register(memo, master, "SUM(qta)");
    Walk(master, 1);
    prep.State().AggregatesSuspended = true;
    prep.righe->Next();
    UpdateAggregates(master, 3);
    UpdateAggregates(master, 2);
    prep.State().AggregatesSuspended = false;
    prep.righe->Next();  // past the last row
    UpdateAggregates(master, 3);
    UpdateAggregates(master, 7);
    EXPECT_EQ(Read(memo, "SUM(qta)"), "4");
    EXPECT_EQ(master.Aggregates.AggregateResets, 1);
}

TEST_F(Aggregates, AnOverlayHasNoRowsToRead) {
    TcvBand& master = prep.AddBand(btMasterData, prep.righe);
    TcvBand& overlay = prep.AddBand(btOverlay, nullptr, 0, 0);
    TcvView& memo = prep.AddObject("Memo1", overlay);
    Walk(master, 2);
    EXPECT_EQ(Read(memo, "SUM(qta)"), "?");
    EXPECT_EQ(Error(), "Non \xE8 possibile inserire in una banda non abilitata la funzione statistica : SUM");
}

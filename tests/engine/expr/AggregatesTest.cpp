// Aggregates: the store a data band keeps, and SUM, AVG, MIN, MAX and COUNT registered, fed and
// read through the resolver in a preparation in miniature.
#include <gtest/gtest.h>

#include <map>
#include <string>

#include "PrepSupport.h"
#include "engine/expr/CV_AggregateStore.h"
#include "engine/expr/CV_Aggregates.h"
#include "engine/expr/CV_Format.h"
#include "platform/core/Errors.h"

using namespace tessaly;
using tessaly::testing::MiniPreparation;

namespace {

// Evaluates argument texts from a table of row values, counting the evaluations.
struct Rows {
    std::map<std::string, Variant> now;
    int evaluations = 0;
    TcvAggregateStore::Evaluator Evaluator() {
        return [this](const AnsiString& argument) {
            ++evaluations;
            return now.at(argument);
        };
    }
};

const AnsiString kSum = TcvAggregateStore::AccumulatorKey("SUM", "X", "Memo1", 'a');
const AnsiString kAvg = TcvAggregateStore::AccumulatorKey("AVG", "X", "Memo1", 'a');
const AnsiString kMin = TcvAggregateStore::AccumulatorKey("MIN", "X", "Memo1", 'a');
const AnsiString kMax = TcvAggregateStore::AccumulatorKey("MAX", "X", "Memo1", 'a');

TcvAggregateStore FourAggregatesOfX() {
    TcvAggregateStore store;
    for (const char* f : {"SUM", "AVG", "MIN", "MAX"})
        store.AddAccumulator(TcvAggregateStore::AccumulatorKey(f, "X", "Memo1", 'a'), f, "X");
    return store;
}

double Total(const TcvAggregateStore& store, const AnsiString& key) { return store.FindAccumulator(key)->Total.Value.AsDouble(); }

}  // namespace

TEST(AggregateStore, SumsAveragesAndExtremesOfTheRowsSinceTheReset) {
    TcvAggregateStore store = FourAggregatesOfX();
    Rows rows;
    for (int x : {2, 4, 9}) {
        rows.now["X"] = Variant(x);
        store.Accumulate(rows.Evaluator(), false);
    }
    EXPECT_EQ(Total(store, kSum), 15);
    EXPECT_EQ(Total(store, kAvg), 5);
    EXPECT_EQ(Total(store, kMin), 2);
    EXPECT_EQ(Total(store, kMax), 9);
    EXPECT_EQ(rows.evaluations, 3) << "one evaluation per row for the four aggregates of one argument";
    EXPECT_EQ(store.AggregateRows, 3);
    store.Reset('a');
    EXPECT_EQ(Total(store, kSum), 0);
    EXPECT_EQ(Total(store, kMin), 1e200);
    EXPECT_EQ(Total(store, kMax), -1e200);
    EXPECT_EQ(store.AggregateRows, 0);
    EXPECT_EQ(store.AggregateResets, 1);
    rows.now["X"] = Variant("");
    store.Accumulate(rows.Evaluator(), false);
    EXPECT_EQ(Total(store, kMax), 0) << "an empty string counts as 0";
}

TEST(AggregateStore, EachAccumulatorAveragesAndCountsSinceItsOwnReset) {
    TcvAggregateStore store;
    const AnsiString group = TcvAggregateStore::AccumulatorKey("AVG", "X", "Memo1", '\1');
    const AnsiString whole = TcvAggregateStore::AccumulatorKey("AVG", "X", "Memo2", 'S');
    const AnsiString count = TcvAggregateStore::AccumulatorKey("COU", "", "Memo3", 'S');
    store.AddAccumulator(group, "AVG", "X");
    store.AddAccumulator(whole, "AVG", "X");
    store.AddAccumulator(count, "COU", "");
    Rows rows;
    for (int x : {4, 100}) {
        rows.now["X"] = Variant(x);
        store.Accumulate(rows.Evaluator(), false);
    }
    store.Reset('\1');  // a new group
    rows.now["X"] = Variant(6);
    store.Accumulate(rows.Evaluator(), false);
    EXPECT_EQ(Total(store, group), 6);
    EXPECT_DOUBLE_EQ(Total(store, whole), 110.0 / 3) << "the group's reset leaves the whole report's average whole";
    EXPECT_EQ(store.FindAccumulator(count)->Total.Rows, 3);
    EXPECT_EQ(store.AggregateRows, 1);
}

// Group footers' tags (1 for the innermost group, 2 for the next) restart by range; readers may
// ask for the totals before the last row (a footer at a page break, the row going on).
TEST(AggregateStore, TagRangesRestartNestedGroupsAndReadersMayLeaveOutTheLastRow) {
    TcvAggregateStore store;
    const AnsiString inner = TcvAggregateStore::AccumulatorKey("SUM", "X", "Memo1", '\1');
    const AnsiString outer = TcvAggregateStore::AccumulatorKey("SUM", "X", "Memo2", '\2');
    const AnsiString page = TcvAggregateStore::AccumulatorKey("SUM", "X", "Memo3", '\0');
    for (const AnsiString& key : {inner, outer, page}) store.AddAccumulator(key, "SUM", "X");
    Rows rows;
    for (int x : {1, 2, 4}) {
        rows.now["X"] = Variant(x);
        store.Accumulate(rows.Evaluator(), false);
    }
    store.ReadBefore = true;
    EXPECT_EQ(store.Read(*store.FindAccumulator(page)).Value.AsDouble(), 3);
    EXPECT_EQ(store.Read(*store.FindAccumulator(page)).Rows, 2);
    store.ReadBefore = false;
    EXPECT_EQ(store.Read(*store.FindAccumulator(page)).Value.AsDouble(), 7);
    store.Reset('\1', '\1');  // the inner group changed
    EXPECT_EQ(Total(store, inner), 0);
    EXPECT_EQ(Total(store, outer), 7);
    store.Reset('\1', '\2');  // the outer one, and so the inner one too
    EXPECT_EQ(Total(store, outer), 0);
    EXPECT_EQ(Total(store, page), 7) << "the page's total runs on";
    store.ReadBefore = true;
    EXPECT_EQ(store.Read(*store.FindAccumulator(outer)).Value.AsDouble(), 0) << "nothing before a reset";
}

TEST(AggregateStore, ColumnEntriesAverageTheRowsOfTheirOwnColumn) {
    TcvAggregateStore store;
    const AnsiString avg = TcvAggregateStore::ColumnKey("AVG", "X", "Memo1");
    store.AddColumn(avg, "AVG", "X");
    Rows rows;
    // Two master rows, each walking three cross columns.
    for (auto row : {std::array{3, 10, 7}, std::array{5, 20, 8}}) {
        store.Reset('\0');
        for (int x : row) {
            rows.now["X"] = Variant(x);
            store.Accumulate(rows.Evaluator(), true);
        }
    }
    const TcvColumnAggregate* column = store.FindColumn(avg);
    ASSERT_EQ(column->Columns.size(), 3u);
    EXPECT_EQ(column->Columns[0].Value.AsDouble(), 4) << "3 and 5, not halved by the resets before them";
    EXPECT_EQ(column->Columns[1].Value.AsDouble(), 15);
    EXPECT_EQ(column->Columns[2].Value.AsDouble(), 7.5);
    EXPECT_EQ(store.AggregateColumns, 3);
}

TEST(AggregateStore, AValueThatCannotBeTakenInNamesTheFunctionAndItsArgument) {
    TcvAggregateStore store;
    store.AddAccumulator(TcvAggregateStore::AccumulatorKey("SUM", " [nota]", "Memo1", 'a'), "SUM", " [nota]");
    Rows rows;
    rows.now[" [nota]"] = Variant("prima");
    try {
        store.Accumulate(rows.Evaluator(), false);
        FAIL();
    } catch (const EngineError& e) {
        EXPECT_EQ(e.Message(), "Tipi di parametri errati nella funzione: SUM ( [nota])");
    }
}

namespace {

class Aggregates : public ::testing::Test {
protected:
    // The text expanded while the objects that `feeding` feeds register their aggregates.
    AnsiString Register(TcvView& object, TcvBand& feeding, const char* text) {
        prep.Enter(object);
        QScopedValueRollback registering(AggregateBand, &feeding);
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
        CurrentBand = &band;
        band.DataSet->First();
        UpdateAggregates(band, 2);
        for (int i = 1; i < rows; ++i) {
            band.DataSet->Next();
            UpdateAggregates(band, 3);
        }
    }
    std::string Error() const { return PreparationError.Recorded ? PreparationError.Message : std::string(); }

    MiniPreparation prep;
};

}  // namespace

TEST_F(Aggregates, RegisteredAggregatesGiveOneThenReadTheRowsFed) {
    TcvBand& master = prep.AddBand(btMasterData, prep.righe, 0, 0);
    TcvBand& footer = prep.AddBand(btPageFooter, nullptr, 0, 500);
    TcvView& memo = prep.AddObject("Memo1", footer);
    CurrentValue = Variant("prima");
    EXPECT_EQ(Register(memo, master, "SUM(qta) * 10 + AVG(qta) + COUNT()"), "12");
    EXPECT_EQ(CurrentValue.AsString(), "prima") << "registering leaves the current value alone";
    Walk(master, 2);
    EXPECT_EQ(Read(memo, "SUM(qta)"), "104");
    EXPECT_EQ(Read(memo, "AVG(qta)"), "52");
    EXPECT_EQ(Read(memo, "MIN(prezzo)"), "?") << "not registered: the value stays empty";
    EXPECT_EQ(Error(), "Errore. Identificatore sconosciuto: MIN(prezzo)");
    ClearPreparationError();
    EXPECT_EQ(Read(memo, "COUNT()"), "2");
    EXPECT_EQ(CurrentValue.AsInteger(), 2);
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
        CurrentBand = &master;
        if (row) prep.righe->Next();
        months.First();
        UpdateAggregates(cross, 2);
        months.Next();
        UpdateAggregates(cross, 3);
    }
    prep.page.ColumnCounter = 2;
    EXPECT_EQ(Read(cell, "AVG(Dati.righe.qta * n)"), "104") << "column 2: (4 * 2 + 100 * 2) / 2";
    CurrentBand = &masterFooter;
    EXPECT_EQ(Read(total, "AVG(Dati.righe.qta * n)"), "78") << "the mean of the columns 52 and 104";
    EXPECT_EQ(Error(), "");
}

TEST_F(Aggregates, NothingIsFedWhileSuspendedOrAtTheEndOfTheData) {
    TcvBand& master = prep.AddBand(btMasterData, prep.righe);
    TcvBand& footer = prep.AddBand(btPageFooter, nullptr, 0, 500);
    TcvView& memo = prep.AddObject("Memo1", footer);
    Register(memo, master, "SUM(qta)");
    Walk(master, 1);
    AggregatesSuspended = true;
    prep.righe->Next();
    UpdateAggregates(master, 3);
    UpdateAggregates(master, 2);
    AggregatesSuspended = false;
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

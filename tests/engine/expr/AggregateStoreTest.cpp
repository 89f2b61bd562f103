// The store of aggregates that a data band keeps: accumulators and cross-column entries, their
// resets by tag and what they take in.
#include <gtest/gtest.h>

#include <map>
#include <string>

#include "engine/expr/CV_AggregateStore.h"
#include "platform/core/Errors.h"

using namespace tessaly;

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


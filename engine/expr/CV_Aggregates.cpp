#include "engine/expr/CV_Aggregates.h"

#include <algorithm>
#include <array>

#include "engine/expr/CV_AggregateStore.h"
#include "engine/expr/CV_Const.h"
#include "engine/expr/CV_DataNames.h"
#include "engine/expr/CV_PrepError.h"
#include "engine/model/CV_View.h"
#include "engine/prepare/CV_Band.h"
#include "engine/prepare/CV_PageRun.h"
#include "engine/report/EngineState.h"
#include "platform/data/Dataset.h"

namespace tessaly {

namespace {

constexpr std::array<const char*, 5> kNames = {"SUM", "AVG", "MIN", "MAX", "COUNT"};

// The three letters that keys carry.
std::string_view KeyName(TcvAggregateFunction f) { return std::string_view(kNames[f]).substr(0, 3); }

void ReportNotEnabled(TcvAggregateFunction f) { ReportPreparationError(MsgAggregateBand + AnsiString(kNames[f])); }

// Placement tests use the object's design geometry while a preparation has moved it.
struct Span {
    int64_t from, to;  // a damaged template's design geometry may add up past 32 bits
};
Span Across(const TcvView& o) {
    return o.GeometrySaved ? Span{o.SavedLeft, int64_t(o.SavedLeft) + o.SavedWidth} : Span{o.Left, int64_t(o.Left) + o.Width};
}
Span Down(const TcvView& o) {
    return o.GeometrySaved ? Span{o.SavedTop, int64_t(o.SavedTop) + o.SavedHeight} : Span{o.Top, int64_t(o.Top) + o.Height};
}
bool Within(Span s, int32_t start, int32_t size) { return size > 0 && s.from >= start && s.to <= int64_t(start) + size; }

bool InsideAcross(const TcvView* o, const TcvBand* b) { return o && b && Within(Across(*o), b->Left, b->Width); }
bool InsideDown(const TcvView* o, const TcvBand* b) { return o && b && Within(Down(*o), b->Top, b->Height); }

// The band of a type; of a data type, the one whose dataset is walked now.
TcvBand* PageBand(int type) { return CurrentPage ? CurrentPage->DataBand(type) : nullptr; }
int CurrentBandType() { return CurrentBand ? CurrentBand->BandType : -1; }
char CurrentTag() { return CurrentBand ? CurrentBand->Aggregates.Tag : '\0'; }
AnsiString ObjectName() { return CurrentObject ? CurrentObject->Name : AnsiString(); }

AnsiString AccumulatorKey(TcvAggregateFunction f, std::string_view argument) {
    return TcvAggregateStore::AccumulatorKey(KeyName(f), argument, ObjectName(), CurrentTag());
}
AnsiString ColumnKey(TcvAggregateFunction f, std::string_view argument) {
    return TcvAggregateStore::ColumnKey(KeyName(f), argument, ObjectName());
}

// An aggregate of the cross data band, or of a cross footer total below the rows (in the report
// summary, page footer, master footer or column footer), keeps one value per cross column.
bool RegistersColumns() {
    if (CurrentBandType() == btCrossData) return true;
    if (CurrentBandType() != btCrossFooter) return false;
    for (int type : {btReportSummary, btPageFooter, btMasterFooter, btColumnFooter})
        for (const TcvBand* band = PageBand(type); band; band = band->Next)
            if (InsideDown(CurrentObject, band)) return true;
    return false;
}

void Register(TcvAggregateFunction f, std::string_view argument, Variant& value) {
    if (AggregateBand->BandType == btNone) return ReportNotEnabled(f);
    TcvAggregateStore& store = AggregateBand->Aggregates;
    if (f != afCount && RegistersColumns()) {
        store.AddColumn(ColumnKey(f, argument), KeyName(f), argument);
        if (CurrentBandType() == btCrossFooter && CurrentObject) CurrentObject->ColumnAggregate = true;
    } else {
        store.AddAccumulator(AccumulatorKey(f, argument), KeyName(f), argument);
    }
    value = Variant(1);
}

// A cross footer total folds the columns; an object in the cross data band reads its column.
void ReadColumn(TcvAggregateFunction f, std::string_view argument, Variant& value) {
    const TcvBand* cross = PageBand(btCrossData);
    const TcvColumnAggregate* column = cross ? cross->Aggregates.FindColumn(ColumnKey(f, argument)) : nullptr;
    if (!column) return;
    const size_t count = column->Columns.size();
    if (CurrentObject && CurrentObject->ColumnAggregate) {
        const size_t wanted = static_cast<size_t>(std::max(cross->Aggregates.AggregateColumns, 0));
        if (count < wanted) return;
        TcvAggregateValue fold{TcvAggregateStore::InitialValue(KeyName(f)), 0};
        for (size_t k = 0; k < wanted; ++k) TcvAggregateStore::TakeIn(KeyName(f), column->Columns[k].Value, fold);
        value = fold.Value;
    } else if (const int32_t n = CurrentPage->ColumnCounter; n >= 1 && static_cast<size_t>(n) <= count) {
        value = column->Columns[n - 1].Value;
    }
}

void ReadAggregate(TcvAggregateFunction f, std::string_view argument, Variant& value) {
    const TcvBand* cross = PageBand(btCrossData);
    if ((CurrentObject && CurrentObject->ColumnAggregate) || InsideAcross(CurrentObject, cross))
        return ReadColumn(f, argument, value);
    const TcvBand* feeding = InsideAcross(CurrentObject, PageBand(btCrossFooter)) ? cross
                             : CurrentBand                                         ? DataBandFor(CurrentBandType())
                                                                                   : nullptr;
    // An overlay and the objects outside bands have no rows to read.
    if (!feeding && (CurrentBandType() == btOverlay || CurrentBandType() == btNone)) return ReportNotEnabled(f);
    const TcvAccumulator* acc = feeding ? feeding->Aggregates.FindAccumulator(AccumulatorKey(f, argument)) : nullptr;
    if (acc) value = feeding->Aggregates.Read(*acc).Value;
}

// The rows that COUNT() of this object has counted since its own reset; a band whose objects were
// not registered counts its rows since its last reset.
Variant RowsOf(const TcvBand* band) {
    if (!band) return {};
    const TcvAccumulator* acc = band->Aggregates.FindAccumulator(AccumulatorKey(afCount, ""));
    return Variant(acc ? band->Aggregates.Read(*acc).Rows : band->Aggregates.AggregateRows);
}

void ReadCount(Variant& value) {
    const TcvBand* cross = PageBand(btCrossData);
    if (InsideAcross(CurrentObject, cross)) {
        value = Variant(cross->Aggregates.AggregateResets);
        return;
    }
    switch (CurrentBandType()) {
        case btReportSummary: case btPageFooter: case btMasterData: case btMasterFooter:
        case btColumnFooter: case btGroupFooter:
            value = RowsOf(PageBand(btMasterData));
            break;
        case btDetailData: case btDetailFooter: value = RowsOf(PageBand(btDetailData)); break;
        case btSubDetailData: case btSubDetailFooter: value = RowsOf(PageBand(btSubDetailData)); break;
        case btCrossFooter:
            if (cross) value = Variant(cross->Aggregates.AggregateResets);
            break;
        default: break;
    }
    if (value.IsEmpty()) ReportNotEnabled(afCount);
}

void CountRecords(const TcvReport& report, const AnsiString& text, Variant& value) {
    const TcvFieldLookup found = FindDataField(report, Trim(text));
    if (!found.DataSet) return ReportPreparationError(MsgCountArgument + AnsiString(kNames[afCount]));
    value = Variant(found.DataSet->RecordCount());
}

Variant Evaluated(const AnsiString& text) {
    Variant v;
    EvaluateExpression(text, v);
    return v;
}

}  // namespace

int AggregateFunction(std::string_view key) {
    for (size_t i = 0; i < kNames.size(); ++i)
        if (key == kNames[i]) return static_cast<int>(i);
    return -1;
}

void ResolveAggregate(const TcvReport& report, TcvAggregateFunction f, const TcvExprArgs& args, Variant& value) {
    if (f == afCount && args.size() == 1) return CountRecords(report, args[0], value);
    const std::string_view argument = args.empty() ? std::string_view() : std::string_view(args[0]);
    if (AggregateBand) return Register(f, argument, value);
    if (f == afCount) return ReadCount(value);
    ReadAggregate(f, argument, value);
}

void ResetAggregates(TcvBand& band, char tag) {
    if (!AggregatesSuspended) band.Aggregates.Reset(tag);
}

void AccumulateAggregates(TcvBand& band) {
    if (AggregatesSuspended || PreparationError.Recorded || band.DataSetEof()) return;
    const TcvBand* master = PageBand(btMasterData);
    const bool columns = CurrentBandType() == btMasterData && master && !master->DataSetEof();
    try {
        band.Aggregates.Accumulate(&Evaluated, columns);
    } catch (const EngineError& e) {
        ReportPreparationError(e.Message());
    }
}

char GroupTotalsTag(int level) { return static_cast<char>(1 + std::clamp(level, 0, 254)); }

void StartAggregates(TcvBand& band) {
    if (AggregatesSuspended) return;
    band.Aggregates.Reset('\0', '\xFF');
    AccumulateAggregates(band);
}

void RestartGroupTotals(TcvBand& band, int level) {
    if (AggregatesSuspended) return;
    band.Aggregates.Reset(GroupTotalsTag(0), GroupTotalsTag(level));
    AccumulateAggregates(band);
}

void UpdateAggregates(TcvBand& band, int event) {
    if (event == 2) ResetAggregates(band, '\0');
    if (event == 2 || event == 3) AccumulateAggregates(band);
}

}  // namespace tessaly

#include "engine/prepare/CV_BandAggregates.h"

#include <algorithm>

#include "engine/expr/CV_AggregateStore.h"
#include "engine/expr/CV_Aggregates.h"
#include "engine/expr/CV_Const.h"
#include "engine/expr/CV_Expr.h"
#include "engine/expr/CV_PrepError.h"
#include "engine/model/CV_View.h"
#include "engine/prepare/CV_Band.h"
#include "engine/prepare/CV_PageRun.h"
#include "engine/prepare/CV_PrepState.h"
#include "platform/core/Errors.h"

namespace tessaly {

namespace {

// The three letters that keys carry.
std::string_view KeyName(TcvAggregateFunction f) { return std::string_view(AggregateName(f)).substr(0, 3); }

void ReportNotEnabled(TcvAggregateFunction f) { ReportPreparationError(MsgAggregateBand + AnsiString(AggregateName(f))); }

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

// An aggregate as the current object of the preparation asks for it.
class Asker {
public:
    explicit Asker(TcvPreparationState& state) : s_(state), object_(state.CurrentObject) {}

    void Register(TcvAggregateFunction f, std::string_view argument, Variant& value) const;
    void ReadAggregate(TcvAggregateFunction f, std::string_view argument, Variant& value) const;
    void ReadCount(Variant& value) const;

private:
    // The band of a type; of a data type, the one whose dataset is walked now.
    TcvBand* PageBand(int type) const { return s_.CurrentPage ? s_.CurrentPage->DataBand(type) : nullptr; }
    int BandType() const { return s_.CurrentBand ? s_.CurrentBand->BandType : -1; }
    char Tag() const { return s_.CurrentBand ? s_.CurrentBand->Aggregates.Tag : '\0'; }
    AnsiString ObjectName() const { return object_ ? object_->Name : AnsiString(); }
    AnsiString AccumulatorKey(TcvAggregateFunction f, std::string_view argument) const {
        return TcvAggregateStore::AccumulatorKey(KeyName(f), argument, ObjectName(), Tag());
    }
    AnsiString ColumnKey(TcvAggregateFunction f, std::string_view argument) const {
        return TcvAggregateStore::ColumnKey(KeyName(f), argument, ObjectName());
    }
    bool RegistersColumns() const;
    void ReadColumn(TcvAggregateFunction f, std::string_view argument, Variant& value) const;
    Variant RowsOf(const TcvBand* band) const;

    TcvPreparationState& s_;
    TcvView* object_;
};

// An aggregate of the cross data band, or of a cross footer total below the rows (in the report
// summary, page footer, master footer or column footer), keeps one value per cross column.
bool Asker::RegistersColumns() const {
    if (BandType() == btCrossData) return true;
    if (BandType() != btCrossFooter) return false;
    for (int type : {btReportSummary, btPageFooter, btMasterFooter, btColumnFooter})
        for (const TcvBand* band = PageBand(type); band; band = band->Next)
            if (InsideDown(object_, band)) return true;
    return false;
}

void Asker::Register(TcvAggregateFunction f, std::string_view argument, Variant& value) const {
    if (s_.AggregateBand->BandType == btNone) return ReportNotEnabled(f);
    TcvAggregateStore& store = s_.AggregateBand->Aggregates;
    if (f != afCount && RegistersColumns()) {
        store.AddColumn(ColumnKey(f, argument), KeyName(f), argument);
        if (BandType() == btCrossFooter && object_) object_->ColumnAggregate = true;
    } else {
        store.AddAccumulator(AccumulatorKey(f, argument), KeyName(f), argument);
    }
    value = Variant(1);
}

// A cross footer total folds the columns; an object in the cross data band reads its column.
void Asker::ReadColumn(TcvAggregateFunction f, std::string_view argument, Variant& value) const {
    const TcvBand* cross = PageBand(btCrossData);
    const TcvColumnAggregate* column = cross ? cross->Aggregates.FindColumn(ColumnKey(f, argument)) : nullptr;
    if (!column) return;
    const size_t count = column->Columns.size();
    if (object_ && object_->ColumnAggregate) {
        const size_t wanted = static_cast<size_t>(std::max(cross->Aggregates.AggregateColumns, 0));
        if (count < wanted) return;
        TcvAggregateValue fold{TcvAggregateStore::InitialValue(KeyName(f)), 0};
        for (size_t k = 0; k < wanted; ++k) TcvAggregateStore::TakeIn(KeyName(f), column->Columns[k].Value, fold);
        value = fold.Value;
    } else if (const int32_t n = s_.CurrentPage->ColumnCounter; n >= 1 && static_cast<size_t>(n) <= count) {
        value = column->Columns[n - 1].Value;
    }
}

void Asker::ReadAggregate(TcvAggregateFunction f, std::string_view argument, Variant& value) const {
    const TcvBand* cross = PageBand(btCrossData);
    if ((object_ && object_->ColumnAggregate) || InsideAcross(object_, cross)) return ReadColumn(f, argument, value);
    const TcvBand* feeding = InsideAcross(object_, PageBand(btCrossFooter)) ? cross
                             : s_.CurrentBand                                ? s_.DataBandFor(BandType())
                                                                             : nullptr;
    // An overlay and the objects outside bands have no rows to read.
    if (!feeding && (BandType() == btOverlay || BandType() == btNone)) return ReportNotEnabled(f);
    const TcvAccumulator* acc = feeding ? feeding->Aggregates.FindAccumulator(AccumulatorKey(f, argument)) : nullptr;
    if (acc) value = feeding->Aggregates.Read(*acc).Value;
}

// The rows that COUNT() of this object has counted since its own reset; a band whose objects were
// not registered counts its rows since its last reset.
Variant Asker::RowsOf(const TcvBand* band) const {
    if (!band) return {};
    const TcvAccumulator* acc = band->Aggregates.FindAccumulator(AccumulatorKey(afCount, ""));
    return Variant(acc ? band->Aggregates.Read(*acc).Rows : band->Aggregates.AggregateRows);
}

void Asker::ReadCount(Variant& value) const {
    const TcvBand* cross = PageBand(btCrossData);
    if (InsideAcross(object_, cross)) {
        value = Variant(cross->Aggregates.AggregateResets);
        return;
    }
    switch (BandType()) {
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

Variant Evaluated(const AnsiString& text) {
    Variant v;
    EvaluateExpression(text, v);
    return v;
}

}  // namespace

void BandAggregate(TcvPreparationState& state, TcvAggregateFunction f, std::string_view argument, Variant& value) {
    const Asker asker(state);
    if (state.AggregateBand) return asker.Register(f, argument, value);
    if (f == afCount) return asker.ReadCount(value);
    asker.ReadAggregate(f, argument, value);
}

void ResetAggregates(TcvBand& band, char tag) {
    if (!band.State().AggregatesSuspended) band.Aggregates.Reset(tag);
}

void AccumulateAggregates(TcvBand& band) {
    TcvPreparationState& s = band.State();
    if (s.AggregatesSuspended || s.PreparationError.Recorded || band.DataSetEof()) return;
    const TcvBand* master = s.CurrentPage ? s.CurrentPage->DataBand(btMasterData) : nullptr;
    const bool columns = s.CurrentBand && s.CurrentBand->BandType == btMasterData && master && !master->DataSetEof();
    try {
        band.Aggregates.Accumulate(&Evaluated, columns);
    } catch (const EngineError& e) {
        ReportPreparationError(e.Message());
    }
}

char GroupTotalsTag(int level) { return static_cast<char>(1 + std::clamp(level, 0, 254)); }

void StartAggregates(TcvBand& band) {
    if (band.State().AggregatesSuspended) return;
    band.Aggregates.Reset('\0', '\xFF');
    AccumulateAggregates(band);
}

void RestartGroupTotals(TcvBand& band, int level) {
    if (band.State().AggregatesSuspended) return;
    band.Aggregates.Reset(GroupTotalsTag(0), GroupTotalsTag(level));
    AccumulateAggregates(band);
}

void UpdateAggregates(TcvBand& band, int event) {
    if (event == 2) ResetAggregates(band, '\0');
    if (event == 2 || event == 3) AccumulateAggregates(band);
}

}  // namespace tessaly

// The run-time bands of a template page, built from its band views before the page runs: which
// objects each band holds, the chains of bands of one type, the group pairs, the datasets, and
// the aggregates that the text objects register with the data bands that feed them.
#include <algorithm>
#include <vector>

#include <QScopedValueRollback>

#include "engine/expr/CV_Expr.h"
#include "engine/expr/CV_PrepError.h"
#include "engine/model/CV_BandView.h"
#include "engine/model/CV_Memo.h"
#include "engine/model/CV_Page.h"
#include "engine/model/CV_SubReport.h"
#include "engine/prepare/CV_Band.h"
#include "engine/prepare/CV_BandAggregates.h"
#include "engine/prepare/CV_PageRun.h"
#include "engine/prepare/CV_PrepState.h"
#include "engine/report/EngineState.h"

namespace tessaly {

namespace {

TcvBandView* AsBandView(TcvView* view) { return dynamic_cast<TcvBandView*>(view); }
bool IsPlaceholder(const TcvView* view) { return dynamic_cast<const TcvSubReportView*>(view) != nullptr; }

// The page's objects while bands are built: which of them no band has taken yet.
struct Building {
    TcvPageRun& page;
    std::vector<TcvView*> objects;
    std::vector<bool> pending;
};

// The run works on the design geometry brought within reach; the design itself is given back.
void KeepDesign(Building& b) {
    for (size_t i = 0; i < b.objects.size(); ++i) {
        TcvView& v = *b.objects[i];
        v.SavedLeft = v.Left;
        v.SavedTop = v.Top;
        v.SavedWidth = v.Width;
        v.SavedHeight = v.Height;
        v.GeometrySaved = true;
        for (int32_t* c : {&v.Left, &v.Top, &v.Width, &v.Height}) *c = std::clamp(*c, -kFarthestCoordinate, kFarthestCoordinate);
        v.ParentBand = nullptr;
        v.ColumnAggregate = false;
        TcvBandView* view = AsBandView(&v);
        b.pending[i] = !view;
        if (view && IsVerticalBandType(view->BandType()) && !b.page.Bands[view->BandType()]->BandView)
            b.page.Bands[view->BandType()]->BandView = view;
    }
}

// A table band takes the objects that lie within its width, Left made relative to it; they stay
// pending, so that a horizontal band takes them as well.
void TakeVertical(Building& b, TcvBand& band) {
    const TcvBandView& view = *band.BandView;
    band.BandLines = view.MemoLines;
    band.Left = view.Left;
    band.Width = view.Width;
    band.Top = view.Top;
    band.Height = view.Height;
    for (size_t i = 0; i < b.objects.size(); ++i) {
        TcvView& o = *b.objects[i];
        if (!b.pending[i] || o.ParentBand || o.Left < band.Left || o.Left + o.Width > band.Left + band.Width) continue;
        o.ParentBand = &band;
        o.Left -= band.Left;
        band.Objects.push_back(&o);
    }
}

void SetOptions(TcvBand& band, const TcvBandView& view, bool subReportPage) {
    auto option = [&](uint16_t bit) { return (view.Flags & bit) && BandOptionEffective(band.BandType, bit); };
    band.Stretched = option(boStretched);
    band.ForceNewPage = option(boForceNewPage) && !subReportPage;
    band.PrintIfDetailEmpty = option(boPrintIfDetailEmpty);
    band.CanSplit = option(boCanSplit) && !subReportPage;
    band.FillList = option(boFillList);
}

// A horizontal band takes the pending objects whose Top lies within it, Top made relative: its own
// objects, then those of table bands, then the sub-report placeholders.
void TakeHorizontal(Building& b, TcvBand& band, TcvBandView& view) {
    band.BandView = &view;
    band.BandLines = view.MemoLines;
    band.Left = view.Left;
    band.Width = view.Width;
    band.Top = view.Top;
    band.Height = view.Height;
    if (band.BandType == btGroupHeader) band.GroupCondition = view.FormatText;
    SetOptions(band, view, b.page.IsSubReportPage);
    enum Pass { own, cross, placeholders };
    for (Pass pass : {own, cross, placeholders})
        for (size_t i = 0; i < b.objects.size(); ++i) {
            TcvView& o = *b.objects[i];
            const bool ofTable = o.ParentBand != nullptr;
            if (!b.pending[i] || o.Top < band.Top || o.Top >= band.Top + band.Height - 1) continue;
            if (ofTable != (pass == cross) || (pass != cross && IsPlaceholder(&o) != (pass == placeholders))) continue;
            if (pass == placeholders && band.FirstSubReport < 0) band.FirstSubReport = int(band.Objects.size());
            if (!ofTable) o.ParentBand = &band;
            band.HasCrossObjects |= ofTable;
            o.Top -= band.Top;
            band.Objects.push_back(&o);
            b.pending[i] = false;
        }
}

// The bands of one horizontal type, in page order, then chained by Top.
void BuildChain(Building& b, int type) {
    std::vector<TcvBand*> chain;
    for (TcvView* object : b.objects) {
        TcvBandView* view = AsBandView(object);
        if (!view || view->BandType() != type) continue;
        TcvBand& band = chain.empty() ? *b.page.Bands[type] : b.page.AddBand(type);
        TakeHorizontal(b, band, *view);
        chain.push_back(&band);
    }
    if (chain.empty()) return;
    std::stable_sort(chain.begin(), chain.end(), [](const TcvBand* x, const TcvBand* y) { return x->Top < y->Top; });
    for (size_t i = 0; i < chain.size(); ++i) {
        chain[i]->Prev = i > 0 ? chain[i - 1] : nullptr;
        chain[i]->Next = i + 1 < chain.size() ? chain[i + 1] : nullptr;
    }
    b.page.Bands[type] = chain.front();
    chain.front()->Last = chain.back();
}

// What no band took lies outside bands, at its place on the page.
void TakeTheRest(Building& b) {
    TcvBand& none = *b.page.Bands[btNone];
    none.Top = 0;
    for (size_t i = 0; i < b.objects.size(); ++i) {
        if (!b.pending[i]) continue;
        TcvView& o = *b.objects[i];
        if (o.ParentBand) o.Left += BandOf(o)->Left;
        o.ParentBand = &none;
        none.Objects.push_back(&o);
    }
}

// Innermost first: the last group header with the first group footer, and so outward.
void PairGroups(TcvPageRun& page) {
    std::vector<TcvBand*> headers, footers;
    for (TcvBand* h = page.Bands[btGroupHeader]; h; h = h->Next) headers.push_back(h);
    for (TcvBand* f = page.Bands[btGroupFooter]; f; f = f->Next) footers.push_back(f);
    for (size_t level = 0; level < std::max(headers.size(), footers.size()); ++level) {
        TcvBand* h = level < headers.size() ? headers[headers.size() - 1 - level] : nullptr;
        TcvBand* f = level < footers.size() ? footers[level] : nullptr;
        if (h) h->GroupLevel = uint8_t(std::min<size_t>(level, 255)), h->Footer = f;
        if (f) f->GroupLevel = uint8_t(std::min<size_t>(level, 255)), f->Aggregates.Tag = GroupTotalsTag(f->GroupLevel);
    }
}

template <class F>
void ForEachBand(TcvPageRun& page, F&& f) {
    for (int type = 0; type < BandTypeCount; ++type)
        for (TcvBand* b = page.Bands[type]; b; b = b->Next) f(*b);
}

// The data band whose rows an object of a band of `type` reads its aggregates from.
int FeedingType(int type) {
    switch (type) {
        case btReportSummary: case btPageFooter: case btMasterData: case btMasterFooter:
        case btColumnFooter: case btGroupFooter:
            return btMasterData;
        case btDetailData: case btDetailFooter: return btDetailData;
        case btSubDetailData: case btSubDetailFooter: return btSubDetailData;
        case btCrossData: case btCrossFooter: return btCrossData;
        default: return btNone;
    }
}

void Register(TcvPageRun& page, TcvMemoView& memo, TcvBand& band, TcvBand& feeding) {
    TcvPreparationState& state = page.State();
    QScopedValueRollback<TcvView*> object(state.CurrentObject, &memo);
    QScopedValueRollback current(page.State().CurrentBand, &band);
    QScopedValueRollback registering(page.State().AggregateBand, &feeding);
    QScopedValueRollback walking(page.Walking[feeding.BandType], &feeding);
    SetExpressionErrorMode(1);
    memo.ExpandText();
    SetExpressionErrorMode(0);
}

}  // namespace

void PrepareObjects(TcvPageRun& page) {
    TcvPage& p = *page.Page;
    Building b{page, std::vector<TcvView*>(size_t(p.ObjectCount())), std::vector<bool>(size_t(p.ObjectCount()))};
    for (int i = 0; i < p.ObjectCount(); ++i) b.objects[size_t(i)] = p.Objects(i);
    KeepDesign(b);
    for (int type : {btCrossHeader, btCrossData, btCrossFooter})
        if (page.Bands[type]->BandView) TakeVertical(b, *page.Bands[type]);
    for (int type = 0; type < btCrossHeader; ++type) BuildChain(b, type);
    TakeTheRest(b);
    PairGroups(page);
    ForEachBand(page, [](TcvBand& band) {
        band.Places.clear();
        for (const TcvView* o : band.Objects) band.Places.push_back({o->Left, o->Top, o->Width, o->Height});
        for (TcvView* o : band.Objects)
            if (o->ParentBand == &band) o->ParentBandType = band.BandType;
    });
    ForEachBand(page, [&page](TcvBand& band) {
        if (!page.State().PreparationError.Recorded) band.Bind();
    });
}

void RegisterAggregates(TcvPageRun& page) {
    ForEachBand(page, [&page](TcvBand& band) {
        const int type = FeedingType(band.BandType);
        std::vector<TcvBand*> feeding;
        for (TcvBand* f = page.Bands[type]; f; f = f->Next)
            if (f->ReportDataSet || type == btNone) feeding.push_back(f);
        if (feeding.empty()) feeding.push_back(page.Bands[type]);
        for (TcvView* o : band.Objects) {
            auto* memo = dynamic_cast<TcvMemoView*>(o);
            if (!memo || memo->ParentBand != &band) continue;
            for (TcvBand* f : feeding)
                if (!page.State().PreparationError.Recorded) Register(page, *memo, band, *f);
        }
    });
}

}  // namespace tessaly

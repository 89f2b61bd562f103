#include "engine/prepare/CV_LevelLoop.h"

#include <algorithm>
#include <climits>
#include <vector>

#include <QScopedValueRollback>

#include "engine/model/CV_BandView.h"
#include "engine/prepare/CV_Band.h"
#include "engine/prepare/CV_BandAggregates.h"
#include "engine/prepare/CV_PageRun.h"
#include "engine/prepare/CV_PrepState.h"
#include "engine/prepare/CV_Preparation.h"
#include "engine/report/CV_Report.h"
#include "engine/report/EngineState.h"

namespace tessaly {

namespace {

class LevelLoop {
public:
    explicit LevelLoop(TcvPageRun& page);
    int Deepest() const { return deepest_; }
    void Run(int level);

private:
    void Walk(TcvBand& b, int level);
    // One record; false when it does not count (nothing of it printed).
    bool WalkRecord(TcvBand& b, int level, bool& filled, bool& footersShown);
    void EndWalk(TcvBand& b, int level, bool printed, bool filled, bool footersShown);
    bool Stopped() const { return page_.Run->Report.Terminated; }
    // Moves of the dataset and what goes with them: done now, or, while collecting, the move now
    // (the walk needs the data) and all of it again when the queue is replayed.
    void MoveFirst(TcvBand& b, int level);
    void MoveNext(TcvBand& b);
    void Accumulate(TcvBand& b);
    void Count(TcvBand& b);
    void PrintPending();
    bool Pending(const TcvBand* band) const;
    void DropLevel(int level);
    bool GroupStep(TcvBand& b, bool& filled, bool& footersShown);
    void ShowGroupHeaders(TcvBand* from);
    void ShowGroupFooters(int level);
    void Fill(TcvBand& b, int32_t reserve);
    // The bands of `type`'s chain that belong to data band b: its headers (above it, below the
    // previous data band) or its footers (below it, above the next data band with a dataset).
    std::vector<TcvBand*> HeadersOf(const TcvBand& b) const;
    std::vector<TcvBand*> FootersOf(const TcvBand& b) const;
    int32_t FootersHeight(const TcvBand& b, int groupLevel) const;

    TcvPageRun& page_;
    TcvBand* header_ = nullptr;  // the outermost group header; none without groups
    std::vector<TcvBand*> pending_;
    int deepest_ = 0;
};

bool Visible(const TcvBand& band) { return !band.BandView || band.BandView->Visible; }

LevelLoop::LevelLoop(TcvPageRun& page) : page_(page) {
    for (int level = 1; level <= 3; ++level)
        if (page.Band(DataTypeOfLevel(level))->HasObjects()) deepest_ = level;
    TcvBand* header = page.Band(btGroupHeader);
    if (header && header->HasObjects()) header_ = header;
}

void LevelLoop::Run(int level) {
    for (TcvBand* b = page_.Band(DataTypeOfLevel(level)); b && !Stopped(); b = b->Next)
        if (b->ReportDataSet) Walk(*b, level);
}

void LevelLoop::Walk(TcvBand& b, int level) {
    page_.Walking[b.BandType] = &b;
    page_.State().CurrentBand = &b;
    MoveFirst(b, level);
    if (b.DataSetEof()) return;
    if (level == 1 && header_) {
        header_->StoreGroupValues();
        ShowGroupHeaders(header_);
    }
    for (TcvBand* h : HeadersOf(b)) pending_.push_back(h);
    bool printed = false, filled = false, footersShown = false;
    while (!b.DataSetEof() && !Stopped()) printed |= WalkRecord(b, level, filled, footersShown);
    EndWalk(b, level, printed, filled, footersShown);
}

bool LevelLoop::WalkRecord(TcvBand& b, int level, bool& filled, bool& footersShown) {
    page_.Run->PollMessages();
    pending_.push_back(&b);
    bool counts = true;
    if (level < deepest_) {
        Run(level + 1);
        page_.State().CurrentBand = &b;
        if (Pending(&b)) {
            if (b.PrintIfDetailEmpty) {
                PrintPending();
            } else {
                pending_.erase(std::find(pending_.begin(), pending_.end(), &b));
                counts = false;
            }
        }
    } else {
        PrintPending();
    }
    if (level == 1 && header_)
        for (TcvBand* f = page_.Band(btGroupFooter); f; f = f->Next) f->UpdateGroupFooter();
    MoveNext(b);
    if (!(level == 1 && header_ && GroupStep(b, filled, footersShown))) Accumulate(b);
    if (counts) Count(b);
    if (!b.DataSetEof() && b.ForceNewPage && !page_.Collecting && !Stopped()) page_.NewPage();
    return counts;
}

// Nothing of the level printed: its headers wait no more, and it has no footers. Otherwise the
// list is filled and the footers close the level (unless the last group change showed them).
void LevelLoop::EndWalk(TcvBand& b, int level, bool printed, bool filled, bool footersShown) {
    if (Stopped()) return;
    if (!printed) {
        DropLevel(level);
        return;
    }
    if (!filled) Fill(b, FootersHeight(b, -1));
    if (footersShown) return;
    for (TcvBand* f : FootersOf(b)) page_.ShowBand(f);
}

// --- Dataset moves, aggregates, counters ---------------------------------------------------------

void LevelLoop::MoveFirst(TcvBand& b, int level) {
    if (page_.Collecting) b.First();
    TcvBand* headers = level == 1 ? header_ : nullptr;
    page_.Act([&b, headers] {
        b.First();
        TcvBandContext context(b);
        StartAggregates(b);
        b.RowPrinted = b.DataSetEof();  // a row was taken in unless the data ended
        b.RecordNo = 1;
        for (TcvBand* h = headers; h; h = h->Next) h->RecordNo = 0;
    });
}

void LevelLoop::MoveNext(TcvBand& b) {
    if (page_.Collecting) b.NextRecord();
    page_.Act([&b] { b.NextRecord(); });
}

void LevelLoop::Accumulate(TcvBand& b) {
    page_.Act([&b] {
        TcvBandContext context(b);
        AccumulateAggregates(b);
        b.RowPrinted = b.DataSetEof();  // a row was taken in unless the data ended
    });
}

void LevelLoop::Count(TcvBand& b) {
    TcvPageRun* page = &page_;
    page_.Act([&b, page] {
        ++page->LineCounter;
        ++b.RecordCount;
        ++b.RecordNo;
    });
}

// --- Bands waiting for a record of the deepest level -----------------------------------------------

void LevelLoop::PrintPending() {
    std::vector<TcvBand*> bands;
    bands.swap(pending_);
    for (TcvBand* band : bands)
        if (band->HasObjects()) page_.ShowBand(band);
}

bool LevelLoop::Pending(const TcvBand* band) const {
    return std::find(pending_.begin(), pending_.end(), band) != pending_.end();
}

void LevelLoop::DropLevel(int level) {
    const int data = DataTypeOfLevel(level);
    std::erase_if(pending_, [data](const TcvBand* p) { return p->BandType == data || p->BandType == data - 1; });
}

std::vector<TcvBand*> LevelLoop::HeadersOf(const TcvBand& b) const {
    std::vector<TcvBand*> bands;
    const int32_t from = b.Prev ? b.Prev->DesignTop() : 0;
    for (TcvBand* h = page_.Band(b.BandType - 1); h; h = h->Next)
        if (h->DesignTop() >= from && h->DesignTop() < b.DesignTop()) bands.push_back(h);
    return bands;
}

std::vector<TcvBand*> LevelLoop::FootersOf(const TcvBand& b) const {
    std::vector<TcvBand*> bands;
    const TcvBand* next = b.Next;
    while (next && !next->ReportDataSet) next = next->Next;
    const int32_t to = next ? next->DesignTop() : INT32_MAX;
    for (TcvBand* f = page_.Band(b.BandType + 1); f; f = f->Next)
        if (f->DesignTop() > b.DesignTop() && f->DesignTop() < to) bands.push_back(f);
    return bands;
}

// --- Groups ------------------------------------------------------------------------------------

// After a record: the first group (outermost first) whose condition changed, or at the end of the
// data every group, ends with its footers and those of the groups inside it; the new groups begin.
bool LevelLoop::GroupStep(TcvBand& b, bool& filled, bool& footersShown) {
    const bool end = b.DataSetEof();
    TcvBand* changed = end ? header_ : nullptr;
    for (TcvBand* h = header_; h && !end && !h->GroupCondition.empty(); h = h->Next)
        if (h->GroupChanged()) {
            changed = h;
            break;
        }
    if (!changed) return false;
    Fill(b, FootersHeight(b, changed->GroupLevel));
    filled = end;
    for (TcvBand* f : FootersOf(b)) page_.ShowBand(f);
    footersShown = end;
    ShowGroupFooters(changed->GroupLevel);
    if (!end) {
        if (changed->ForceNewPage && !page_.Collecting) page_.NewPage();
        changed->StoreGroupValues();
        ShowGroupHeaders(changed);
        page_.Act([&b, level = changed->GroupLevel] {
            TcvBandContext context(b);
            RestartGroupTotals(b, level);
            b.RowPrinted = b.DataSetEof();  // a row was taken in unless the data ended
        });
        for (TcvBand* h : HeadersOf(b)) page_.ShowBand(h);
    }
    page_.Act([&b] { b.RecordNo = 0; });
    return true;
}

void LevelLoop::ShowGroupHeaders(TcvBand* from) {
    for (TcvBand* h = from; h; h = h->Next) {
        page_.Act([h] {
            ++h->RecordNo;
            ++h->RecordCount;
        });
        page_.ShowBand(h);
    }
}

void LevelLoop::ShowGroupFooters(int level) {
    for (TcvBand* f = page_.Band(btGroupFooter); f; f = f->Next) {
        if (f->GroupLevel > level) continue;
        page_.ShowBand(f);
        page_.Act([f] { f->RecordNo = 1; });
    }
}

// --- Filling the list ----------------------------------------------------------------------------

void LevelLoop::Fill(TcvBand& b, int32_t reserve) {
    if (!b.FillList || b.Height <= 0 || !Visible(b) || page_.Collecting) return;
    QScopedValueRollback filling(b.FillingList, true);
    while (page_.CurBottom - page_.CurY - reserve >= b.Height && !Stopped()) page_.ShowBand(&b);
}

int32_t LevelLoop::FootersHeight(const TcvBand& b, int groupLevel) const {
    int32_t height = page_.PrintedHeight(btColumnFooter);
    for (const TcvBand* f : FootersOf(b))
        if (f->HasObjects()) height += f->Height;
    for (const TcvBand* f = page_.Band(btGroupFooter); f; f = f->Next)
        if (f->GroupLevel <= groupLevel && f->HasObjects()) height += f->Height;
    return height;
}

}  // namespace

void RunLevels(TcvPageRun& page) {
    page.Walking = {};
    LevelLoop loop(page);
    if (loop.Deepest() > 0) loop.Run(1);
}

}  // namespace tessaly

// Sub-reports: a placeholder prints another template page at its place. That page first runs in
// collecting mode, which walks its data and queues its steps without drawing; then the queues of
// the band's placeholders are replayed side by side, in rounds, each as far as it fits, and the
// page (or the column) moves on until every one is done.
#include <algorithm>
#include <string>
#include <vector>

#include <QScopedValueRollback>

#include "engine/model/CV_Page.h"
#include "engine/model/CV_SubReport.h"
#include "engine/prepare/CV_Band.h"
#include "engine/prepare/CV_Guard.h"
#include "engine/prepare/CV_PageRun.h"
#include "engine/prepare/CV_PrepState.h"
#include "engine/prepare/CV_Preparation.h"
#include "engine/report/CV_Report.h"
#include "engine/report/EngineState.h"
#include "platform/core/Errors.h"

namespace tessaly {

namespace {

bool Stopped(const TcvPageRun& page) { return page.Run->Report.Terminated; }

// Runs the page in collecting mode: it queues its steps and draws nothing; rows are not taken
// into aggregates until the steps are replayed.
void Collect(TcvPageRun& target) {
    QScopedValueRollback collecting(target.Collecting, true);
    TcvPreparationState& state = target.State();
    QScopedValueRollback suspended(state.AggregatesSuspended, true);
    QScopedValueRollback page(state.CurrentPage, &target);
    QScopedValueRollback band(state.CurrentBand, state.CurrentBand);
    target.Queue.clear();
    target.QueuePos = 0;
    target.ShowPage();
}

// Replays the queue from where it stopped; false when a band did not fit and waits for the next
// page or column.
bool Replay(TcvPageRun& target) {
    QScopedValueRollback page(target.State().CurrentPage, &target);
    while (target.QueuePos < target.Queue.size() && !Stopped(target)) {
        if (target.WaitingBand) {
            if (target.WaitingBand->PrintSubReports()) return false;
        } else if (TcvBand* band = target.Queue[target.QueuePos].Print) {
            if (band->Print()) return false;
        } else {
            target.Queue[target.QueuePos].Action();
        }
        ++target.QueuePos;
    }
    return true;
}

// The placeholders of one band and the pages they print, replayed in rounds.
class Rounds {
public:
    Rounds(TcvBand& band, bool resuming);
    // True when every sub-report is done (or the run stopped); false when some wait.
    bool Round();
    // The next column of the first placeholder's page, for those that wait.
    bool NextColumn();
    // A new page or column began: those that wait go on from `y` (their start when none given).
    void Restart(const int32_t* y);
    // A round right after a fresh start in which nothing moved on: the sub-report's next band
    // does not fit even there.
    bool Stuck() const { return fresh_ && !progressed_; }
    // The next band of each waiting sub-report prints as far as it goes, as a band of the main
    // report does on a fresh page; false when that was tried already and nothing moved on.
    bool Force();
    void ReportStuck() const;
    void Release();
    int32_t Lowest() const { return lowest_; }
    void SetLowest(int32_t y) { lowest_ = y; }

private:
    void Start(size_t k);
    // Placeholder k shows the same page as an earlier one of the band that is not done yet: it
    // starts when that one is done.
    bool WaitsForItsPage(size_t k) const;
    TcvView* Placeholder(size_t k) const { return band_.Objects[first_ + k]; }

    TcvBand& band_;
    TcvPageRun& page_;
    size_t first_, count_;
    std::vector<TcvPageRun*> targets_;
    std::vector<int32_t> startY_;
    std::vector<int32_t> startAt_;   // where a sub-report not started yet starts
    std::vector<bool> started_;
    int32_t lowest_;
    bool fresh_;
    bool progressed_ = false;
    bool forced_ = false;
};

Rounds::Rounds(TcvBand& band, bool resuming)
    : band_(band), page_(*band.Page), first_(size_t(band.FirstSubReport)), count_(band.Objects.size() - first_),
      targets_(count_, nullptr), startY_(count_, 0), startAt_(count_, 0), started_(count_, false),
      lowest_(resuming ? page_.CurY : band.Top + band.ActualHeight), fresh_(resuming) {
    if (!resuming) band.SubReportsDone.assign(count_, false);
    TcvPreparation& run = *page_.Run;
    for (size_t k = 0; k < count_; ++k) {
        const auto* placeholder = static_cast<const TcvSubReportView*>(Placeholder(k));
        startY_[k] = startAt_[k] = band.Top + placeholder->Top;
        const int index = placeholder->SubPage;
        if (index >= 0 && index < run.PageRunCount() && run.PageRun(index).Prepared) targets_[k] = &run.PageRun(index);
        if (!targets_[k]) band.SubReportsDone[k] = true;
        else if (WaitsForItsPage(k)) continue;
        else if (resuming) started_[k] = true;
        else Start(k);
    }
    if (resuming) Restart(&page_.CurY);
}

bool Rounds::WaitsForItsPage(size_t k) const {
    for (size_t j = 0; j < k; ++j)
        if (targets_[j] == targets_[k] && !band_.SubReportsDone[j]) return true;
    return false;
}

// The page runs collecting, then starts at the placeholder's place. A page that is running
// already would contain itself.
void Rounds::Start(size_t k) {
    TcvPageRun& target = *targets_[k];
    started_[k] = true;
    QScopedValueRollback object(page_.State().CurrentObject, Placeholder(k));
    if (&target == &page_ || target.Collecting || !target.Queue.empty()) {
        ReportPreparationError(FormatMessage(MsgSubReportLoop, {std::to_string(target.Index + 1)}));
        band_.SubReportsDone[k] = true;
        return;
    }
    Collect(target);
    target.CurY = target.ColumnTop = target.FreshY = startAt_[k];
    target.ColumnX = page_.ColumnOffset() + Placeholder(k)->Left;
    target.CurBottom = page_.CurBottom;
    target.CurColumn = page_.CurColumn;
}

bool Rounds::Round() {
    bool waiting = false;
    progressed_ = false;
    for (size_t k = 0; k < count_; ++k) {
        if (band_.SubReportsDone[k]) continue;
        TcvPageRun& target = *targets_[k];
        if (!started_[k]) {
            if (WaitsForItsPage(k)) {
                waiting = true;
                continue;
            }
            // The placeholder before it that showed this page is done: its run starts again.
            target.Queue.clear();
            target.QueuePos = 0;
            target.WaitingBand = nullptr;
            Start(k);
            if (band_.SubReportsDone[k]) continue;
        }
        const size_t before = target.QueuePos;
        const bool done = Replay(target);
        progressed_ |= target.QueuePos != before;
        if (done) lowest_ = std::max(lowest_, target.CurY);
        band_.SubReportsDone[k] = done;
        waiting |= !done;
    }
    return !waiting || Stopped(page_);
}

bool Rounds::NextColumn() {
    TcvPageRun* column = targets_[0];
    if (!column || band_.SubReportsDone[0] || column->CurColumn + 1 >= column->Columns()) return false;
    ++column->CurColumn;
    column->ColumnX = WithinReach(int64_t(column->ColumnX) + column->Page->ColumnStep());
    return true;
}

void Rounds::Restart(const int32_t* y) {
    fresh_ = true;
    forced_ = false;
    for (size_t k = 0; k < count_; ++k) {
        if (band_.SubReportsDone[k]) continue;
        startAt_[k] = y ? *y : startY_[k];
        if (!started_[k]) continue;
        TcvPageRun& target = *targets_[k];
        target.CurY = target.FreshY = y ? *y : startY_[k];
        target.CurBottom = page_.CurBottom;
    }
}

bool Rounds::Force() {
    if (forced_) return false;
    forced_ = true;
    for (size_t k = 0; k < count_; ++k)
        if (!band_.SubReportsDone[k] && started_[k]) targets_[k]->ForceFit = true;
    return true;
}

void Rounds::ReportStuck() const {
    for (size_t k = 0; k < count_; ++k)
        if (!band_.SubReportsDone[k]) {
            QScopedValueRollback object(page_.State().CurrentObject, Placeholder(k));
            return ReportPreparationError(FormatMessage(MsgSubReportTooTall, {std::to_string(targets_[k]->Index + 1)}));
        }
}

void Rounds::Release() {
    for (TcvPageRun* target : targets_)
        if (target) target->Queue.clear(), target->QueuePos = 0, target->WaitingBand = nullptr, target->ForceFit = false;
    band_.SubReportsDone.clear();
}

}  // namespace

bool TcvBand::PrintSubReports() {
    TcvPageRun& page = *Page;
    Rounds rounds(*this, !SubReportsDone.empty());
    while (!rounds.Round()) {
        if (rounds.Stuck()) {
            if (rounds.Force()) continue;
            rounds.ReportStuck();
            break;
        }
        // On a sub-report page the outer sub-report decides where the page goes on.
        if (page.IsSubReportPage) {
            page.WaitingBand = this;
            return true;
        }
        if (rounds.NextColumn()) {
            rounds.Restart(nullptr);
            continue;
        }
        if (BandType == btPageFooter) break;
        page.NewPage();
        rounds.SetLowest(page.CurY);
        rounds.Restart(&page.CurY);
    }
    rounds.Release();
    page.CurY = rounds.Lowest();
    page.WaitingBand = nullptr;
    return false;
}

}  // namespace tessaly

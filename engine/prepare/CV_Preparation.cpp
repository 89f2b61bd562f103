#include "engine/prepare/CV_Preparation.h"

#include "engine/expr/CV_Const.h"
#include "engine/expr/CV_PrepError.h"
#include "engine/expr/CV_Values.h"
#include "engine/model/CV_Page.h"
#include "engine/model/CV_SubReport.h"
#include "engine/prepare/CV_Guard.h"
#include "engine/prepare/CV_PageRun.h"
#include "engine/prepare/CV_PrepState.h"
#include "engine/report/CV_Pages.h"
#include "engine/report/CV_Report.h"
#include "engine/report/EngineState.h"

namespace tessaly {

namespace {

// Messages are let through at most this often while records are walked.
constexpr qint64 kPollMilliseconds = 40;

}  // namespace

std::vector<int> InterleavedOrder(const std::vector<int>& made) {
    std::vector<int> order, start;
    int total = 0, most = 0;
    for (int n : made) start.push_back(total), total += n, most = std::max(most, n);
    for (int round = 0; round < most; ++round)
        for (size_t t = 0; t < made.size(); ++t)
            if (round < made[t]) order.push_back(start[t] + round);
    return order;
}

TcvPreparation::TcvPreparation(TcvReport& report, TcvPreparationState& state) : Report(report), State(state) {
    State.PreparedIndex = 0;
    sincePoll_.start();
}

bool TcvPreparation::Failed() const { return State.PreparationError.Recorded; }

TcvPreparation::~TcvPreparation() {
    CloseAllPages();
    for (auto it = pages_.rbegin(); it != pages_.rend(); ++it) (*it)->DoneRun();
    State.CurrentPage = nullptr;
    State.CurrentBand = nullptr;
    State.CurrentObject = nullptr;
    State.AggregateBand = nullptr;
}

// --- Prepared pages ------------------------------------------------------------------------------

int TcvPreparation::PreparedCount() const { return Report.EMFPages().Count(); }

bool TcvPreparation::IsOpen(int index) const {
    return index >= 0 && index < PreparedCount() && Report.EMFPages().Pages(index).Surface;
}

// The page past the limit is still added: the band being printed draws on it before the run ends.
void TcvPreparation::AddPreparedPage(const TcvPage& page) {
    State.CurPageCanvas = Report.EMFPages().AddPage(page.Template()).Surface.get();
    State.PreparedIndex = PreparedCount() - 1;
    if (Report.MaxPages > 0 && PreparedCount() > Report.MaxPages)
        ReportPreparationError(MsgTooManyPages + std::to_string(Report.MaxPages) + MsgTooManyPagesEnd);
    CheckTime();
    Report.Progress(State.PreparedIndex + 1);
}

void TcvPreparation::SelectPreparedPage(int index) {
    if (!IsOpen(index)) return;
    State.PreparedIndex = index;
    State.CurPageCanvas = Report.EMFPages().Pages(index).Surface.get();
}

void TcvPreparation::CloseOpenPages() {
    for (int i = OpenFrom; i < PreparedCount(); ++i) {
        PreparedPage& page = Report.EMFPages().Pages(i);
        if (State.CurPageCanvas == page.Surface.get()) State.CurPageCanvas = nullptr;
        page.CloseSurface();
    }
    OpenFrom = PreparedCount();
}

void TcvPreparation::CloseAllPages() {
    OpenFrom = 0;
    CloseOpenPages();
}

void TcvPreparation::CheckTime() {
    const int32_t limit = Report.MaxPreparationMs;
    if (limit > 0 && Report.PreparationClock().isValid() && Report.PreparationClock().elapsed() > limit)
        ReportPreparationError(MsgTooLong + std::to_string(limit) + MsgTooLongEnd);
}

void TcvPreparation::PollMessages() {
    CheckTime();
    if (sincePoll_.elapsed() < kPollMilliseconds) return;
    ProcessMessages();
    sincePoll_.restart();
}

// --- The page loop ---------------------------------------------------------------------------------

void TcvPreparation::Build() {
    BeginDocument();
    if (!Failed()) Report.Progress(State.PreparedIndex + 1);
    if (!Failed() && InitPages()) RunPages();
    EndDocument();
}

void TcvPreparation::BeginDocument() {
    ProcessMessages();
    Guarded([this] {
        if (Report.OnBeginDoc) Report.OnBeginDoc();
    });
    Guarded([this] { Report.HasPictureFields = Report.Values().BindDataFields(Report.Owner()); });
}

// Every template page builds its bands; the pages that placeholders show are run by them only.
bool TcvPreparation::InitPages() {
    const TcvPages& pages = Report.Pages();
    for (int i = 0; i < pages.Count(); ++i) pages_.push_back(std::make_unique<TcvPageRun>());
    pages.ForEachObject([&](const TcvView& view) {
        const auto* placeholder = dynamic_cast<const TcvSubReportView*>(&view);
        if (placeholder && placeholder->SubPage >= 0 && placeholder->SubPage < pages.Count() &&
            &pages.Pages(placeholder->SubPage) != pages.PageOf(placeholder))
            pages_[size_t(placeholder->SubPage)]->IsSubReportPage = true;
    });
    PagesMade.assign(size_t(pages.Count()), 0);
    for (int i = 0; i < pages.Count() && !Failed(); ++i) {
        State.ErrorPageNo = i + 1;
        State.CurrentPage = pages_[size_t(i)].get();
        Guarded([&] { pages_[size_t(i)]->InitRun(*this, pages.Pages(i), i); });
    }
    return !Failed();
}

void TcvPreparation::RunPages() {
    for (int i = 0; i < PageRunCount() && !Report.Terminated; ++i) {
        if (pages_[size_t(i)]->IsSubReportPage) continue;
        RunPage(i);
        EndPage(i);
    }
}

void TcvPreparation::RunPage(int index) {
    TcvPageRun& page = *pages_[size_t(index)];
    State.CurrentPage = &page;
    State.ErrorPageNo = index + 1;
    Guarded([&] {
        if (Report.OnBeginPage) Report.OnBeginPage(index);
    });
    const int before = PreparedCount();
    if (!Failed()) Guarded([&] { page.ShowPage(); });
    PagesMade[size_t(index)] = PreparedCount() - before;
    if (!Failed()) Guarded([&] {
        if (Report.OnEndPage) Report.OnEndPage(1);
    });
}

// The next template page goes on where this one ended, or this one's pages are finished.
void TcvPreparation::EndPage(int index) {
    if (PreparedCount() == 0) return;
    int next = index + 1;
    while (next < PageRunCount() && pages_[size_t(next)]->IsSubReportPage) ++next;
    AppendToPrevious = next < PageRunCount() && pages_[size_t(next)]->Page->ContinueOnPreviousPage && !Failed();
    if (AppendToPrevious) return;
    CloseOpenPages();
    Report.Progress(PreparedCount());
}

void TcvPreparation::EndDocument() {
    if (!Failed()) Guarded([this] {
        if (Report.OnEndDoc) Report.OnEndDoc();
    });
    CloseAllPages();
    for (auto it = pages_.rbegin(); it != pages_.rend(); ++it) (*it)->DoneRun();
    if (Failed()) return;
    Report.Progress(PreparedCount());
    if (Report.Interleave && !Report.Terminated) Report.EMFPages().Reorder(InterleavedOrder(PagesMade));
}

}  // namespace tessaly

// A template page at run time: its bands, its pages and columns, and the run of the page from the
// report title to the page footer.
#include "engine/prepare/CV_PageRun.h"

#include <QScopedValueRollback>

#include "engine/model/CV_Page.h"
#include "engine/model/CV_View.h"
#include "engine/prepare/CV_Band.h"
#include "engine/prepare/CV_LevelLoop.h"
#include "engine/prepare/CV_Preparation.h"
#include "engine/prepare/CV_PrepState.h"
#include "engine/report/CV_Report.h"
#include "engine/report/EngineState.h"

namespace tessaly {

TcvPageRun::TcvPageRun() = default;
TcvPageRun::~TcvPageRun() = default;

TcvBand* TcvPageRun::DataBand(int type) const {
    if (type < 0 || type >= BandTypeCount) return nullptr;
    return Walking[type] ? Walking[type] : Bands[type];
}

TcvBand& TcvPageRun::AddBand(int type) {
    owned_.push_back(std::make_unique<TcvBand>(static_cast<uint8_t>(type), this));
    return *owned_.back();
}

// --- Geometry ----------------------------------------------------------------------------------

int32_t TcvPageRun::LeftEdge() const { return Page->LeftEdge(); }
int32_t TcvPageRun::TopEdge() const { return Page->TopEdge(); }
int32_t TcvPageRun::RightEdge() const { return Page->RightEdge(); }
int32_t TcvPageRun::BottomEdge() const { return Page->BottomEdge(); }
int32_t TcvPageRun::Columns() const { return Page->Columns(); }
int32_t TcvPageRun::ColumnWidth() const { return Page->ColumnWidth(); }
int32_t TcvPageRun::ColumnOffset() const { return ColumnX - LeftEdge(); }

int32_t TcvPageRun::PrintedHeight(int type) const {
    int64_t height = 0;
    for (const TcvBand* band = Band(type); band; band = band->Next)
        if (band->HasObjects()) height += band->Height;
    return WithinReach(height);
}

bool TcvPageRun::ChainHasObjects(int type) const {
    for (const TcvBand* band = Band(type); band; band = band->Next)
        if (band->HasObjects()) return true;
    return false;
}

int32_t TcvPageRun::FreshBottom() const { return BottomEdge() - PrintedHeight(btPageFooter); }

// --- Lifetime ----------------------------------------------------------------------------------

void TcvPageRun::InitRun(TcvPreparation& run, TcvPage& page, int index) {
    Run = &run;
    Page = &page;
    Index = index;
    for (int type = 0; type < BandTypeCount; ++type) Bands[type] = &AddBand(type);
    PrepareObjects(*this);
    if (!State().PreparationError.Recorded) RegisterAggregates(*this);
    Prepared = true;
    LineCounter = 1;
    ColumnCounter = 1;
}

void TcvPageRun::DoneRun() {
    Bands = {};
    Walking = {};
    owned_.clear();  // each band closes its dataset
    if (!Page) return;
    for (int i = 0; i < Page->ObjectCount(); ++i) {
        TcvView& view = *Page->Objects(i);
        if (!view.GeometrySaved) continue;
        view.Left = view.SavedLeft;
        view.Top = view.SavedTop;
        view.Width = view.SavedWidth;
        view.Height = view.SavedHeight;
        view.SavedHeight = -1;
        view.GeometrySaved = false;
        view.ParentBand = nullptr;
        view.Canvas = nullptr;
        view.ColumnAggregate = false;
    }
    Prepared = false;
}

// --- Bands -------------------------------------------------------------------------------------

bool TcvPageRun::ShowBand(TcvBand* band) {
    if (!band) return false;
    if (Collecting) {
        Queue.push_back({band, nullptr});
        return false;
    }
    return band->Print();
}

void TcvPageRun::ShowChain(int type) {
    for (TcvBand* band = Band(type); band; band = band->Next) ShowBand(band);
}

void TcvPageRun::Act(std::function<void()> action) {
    if (Collecting)
        Queue.push_back({nullptr, std::move(action)});
    else
        action();
}

// --- Pages and columns -------------------------------------------------------------------------

// The bands that open a page: the overlay at its design place, then the headers.
void TcvPageRun::StartPage() {
    QScopedValueRollback breaking(Breaking, true);
    CurBottom = FreshBottom();
    ShowChain(btOverlay);
    CurY = TopEdge();
    ShowChain(btPageHeader);
    ShowHeaders();
}

void TcvPageRun::ShowHeaders() {
    QScopedValueRollback breaking(Breaking, true);
    ColumnTop = CurY;
    ShowChain(btColumnHeader);
    FreshY = CurY;
}

// The footers at a break show the totals of what printed above them: the master record taken in
// but not printed yet goes on the new page, and its row is left out of them.
void TcvPageRun::ShowFooter(int type) {
    TcvBand* master = DataBand(btMasterData);
    QScopedValueRollback before(master->Aggregates.ReadBefore, !master->RowPrinted);
    ShowChain(type);
}

void TcvPageRun::NewPage() {
    TcvPreparation& run = *Run;
    {
        QScopedValueRollback breaking(Breaking, true);
        ShowFooter(btColumnFooter);
        CurColumn = 0;
        ColumnX = LeftEdge();
        if (!run.AppendToPrevious || !run.FooterOnLastPending) ForOpenPages([this] { ShowFooter(btPageFooter); });
        run.CloseOpenPages();
    }
    run.AppendToPrevious = false;
    run.AddPreparedPage(*Page);
    StartPage();
}

bool TcvPageRun::NextColumn() {
    if (CurColumn + 1 >= Columns()) return false;
    QScopedValueRollback breaking(Breaking, true);
    ShowFooter(btColumnFooter);
    ++CurColumn;
    ColumnX = WithinReach(int64_t(ColumnX) + Page->ColumnStep());
    CurY = ColumnTop;
    ShowHeaders();
    return true;
}

// --- The run of the page -----------------------------------------------------------------------

void TcvPageRun::ShowPage() {
    TcvPreparation& run = *Run;
    if (!Collecting) {
        if (run.AppendToPrevious && run.SavedCurY >= run.SavedCurBottom) {
            run.AppendToPrevious = false;
            run.FooterOnLastPending = false;
            run.CloseOpenPages();
        }
        const bool appending = run.AppendToPrevious;
        CurColumn = 0;
        ColumnX = LeftEdge();
        if (appending) {
            // Where the last template page ended, on its first open page; that page has its header.
            CurBottom = run.FooterOnLastPending ? run.SavedCurBottom : FreshBottom();
            CurY = run.SavedCurY;
            run.SelectPreparedPage(run.OpenFrom);
        } else {
            run.AddPreparedPage(*Page);
            CurBottom = FreshBottom();
            CurY = TopEdge();
            QScopedValueRollback breaking(Breaking, true);
            ShowChain(btOverlay);
            ShowBand(Band(btNone));
        }
        ColumnTop = FreshY = CurY;
        ShowChain(btReportTitle);
        if (!appending && Page->PageHeaderOnFirstPage) {
            QScopedValueRollback breaking(Breaking, true);
            ShowChain(btPageHeader);
        }
        ShowHeaders();
    }
    RunLevels(*this);
    if (!Collecting) ShowPageEnd();
}

// The column footer and the summary; what a following page needs to go on here; the page footer
// on the last pages when they are to have one.
void TcvPageRun::ShowPageEnd() {
    TcvPreparation& run = *Run;
    ShowChain(btColumnFooter);
    ShowChain(btReportSummary);
    run.SavedCurY = CurColumn > 0 ? BottomEdge() : CurY;
    run.SavedCurBottom = CurBottom;
    ColumnX = LeftEdge();
    const bool footerDrawn = run.AppendToPrevious && run.FooterOnLastPending;
    run.FooterOnLastPending = footerDrawn;
    if (footerDrawn || !Page->PageFooterOnLastPage || !ChainHasObjects(btPageFooter)) return;
    run.FooterOnLastPending = true;
    QScopedValueRollback breaking(Breaking, true);
    ForOpenPages([this] { ShowChain(btPageFooter); });
}

// Only the pages open when the loop starts: a page footer whose table columns pass the right edge
// adds a page, and following the live count had it add one more for every footer it drew.
void TcvPageRun::ForOpenPages(const std::function<void()>& draw) {
    TcvPreparation& run = *Run;
    const int open = run.PreparedCount();
    for (int i = run.OpenFrom; i < open && !State().PreparationError.Recorded; ++i) {
        run.SelectPreparedPage(i);
        draw();
    }
}

}  // namespace tessaly

// A band prints once at its page's current position: it measures how far its text objects
// stretch, pushes the objects below a stretched one down, starts a new column or page when it
// does not fit, and draws its objects.
#include <algorithm>

#include <QScopedValueRollback>

#include "engine/data/CV_Dataset.h"
#include "engine/model/CV_BandView.h"
#include "engine/model/CV_Memo.h"
#include "engine/prepare/CV_Band.h"
#include "engine/prepare/CV_Guard.h"
#include "engine/prepare/CV_PageRun.h"
#include "engine/prepare/CV_PrepState.h"
#include "engine/prepare/CV_Preparation.h"
#include "engine/report/CV_Report.h"
#include "engine/report/EngineState.h"
#include "platform/core/Errors.h"
#include "platform/data/Dataset.h"

namespace tessaly {

namespace {

// The page footer, the overlay and the objects outside bands keep their own place on the page.
bool KeepsItsTop(int type) { return type == btPageFooter || type == btOverlay || type == btNone; }

TcvMemoView* AsMemo(TcvView* view) { return dynamic_cast<TcvMemoView*>(view); }

bool StretchesDown(TcvView* view) {
    TcvMemoView* memo = AsMemo(view);
    return memo && (memo->Flags & mfStretch) && !(memo->Alignment & taTurned);
}

bool Overlap(const TcvPlace& a, const TcvPlace& b) {
    return a.Left < b.Left + b.Width && b.Left < a.Left + a.Width;
}

// After its walk ended, a data band's database dataset may stand past the last record walked: on
// the record after a counted range, or on the last row when the rows after the last one that
// passed the filter did not pass. While a footer prints, the last record walked is current again.
class LastWalkedShown {
public:
    explicit LastWalkedShown(TcvBand* data) {
        auto* walker = data ? dynamic_cast<TcvDBDataSet*>(data->ReportDataSet) : nullptr;
        data::Dataset* ds = walker ? walker->DataSet() : nullptr;
        if (!ds || !ds->Active() || walker->LastWalkedRecNo <= 0 || ds->RecNo() == walker->LastWalkedRecNo) return;
        recNo_ = ds->RecNo();
        eof_ = ds->Eof();
        ds_ = ds;
        ds->SetRecNo(walker->LastWalkedRecNo);
    }
    ~LastWalkedShown() {
        if (!ds_ || !ds_->Active()) return;
        try {
            ds_->SetRecNo(recNo_);
            if (eof_) ds_->Next();
        } catch (const EngineError&) {
            // The records changed under the report: the walk has ended anyway.
        }
    }
    LastWalkedShown(const LastWalkedShown&) = delete;
    LastWalkedShown& operator=(const LastWalkedShown&) = delete;

private:
    data::Dataset* ds_ = nullptr;
    int recNo_ = 0;
    bool eof_ = false;
};

}  // namespace

bool TcvBand::IsFooter() const {
    return BandType == btMasterFooter || BandType == btGroupFooter || BandType == btDetailFooter ||
           BandType == btSubDetailFooter;
}

void TcvBand::RestorePlaces() {
    for (size_t i = 0; i < Objects.size(); ++i) {
        TcvView& v = *Objects[i];
        v.Left = Places[i].Left;
        v.Top = Places[i].Top;
        v.Width = Places[i].Width;
        v.Height = Places[i].Height;
    }
}

// --- Measuring -----------------------------------------------------------------------------------

int32_t TcvBand::MeasureOwn() {
    RestorePlaces();
    ActualHeight = Height;
    if (!Stretched || !State().CurPageCanvas) return ActualHeight;
    QScopedValueRollback band(State().CurrentBand, this);
    TcvReport& report = Page->Run->Report;
    int32_t bottom = Height;
    for (TcvView* view : Objects) {
        TcvMemoView* memo = AsMemo(view);
        if (!memo || memo->ParentBand != this) continue;
        if (report.OnDrawObject) report.OnDrawObject(memo);
        Guarded([&] { bottom = std::max(bottom, memo->Measure(*State().CurPageCanvas)); });
        if (report.OnDrawedObject) report.OnDrawedObject(memo);
    }
    ActualHeight = bottom;
    for (TcvView* view : Objects) ActualHeight = std::max(ActualHeight, view->Top + view->Height);
    PushDown();
    return ActualHeight;
}

// Every object below a stretched text object (below its design bottom, overlapping it across)
// moves down by the stretch; the band grows to cover it.
void TcvBand::PushDown() {
    for (size_t i = 0; i < Objects.size(); ++i) {
        if (!StretchesDown(Objects[i])) continue;
        const int32_t stretch = Objects[i]->Height - Places[i].Height;
        if (stretch <= 0) continue;
        const int32_t bottom = Places[i].Top + Places[i].Height;
        for (size_t j = 0; j < Objects.size(); ++j) {
            if (j == i || Places[j].Top < bottom || !Overlap(Places[i], Places[j])) continue;
            TcvView& moved = *Objects[j];
            moved.Top += stretch;
            ActualHeight = std::max(ActualHeight, moved.Top + moved.Height + (StretchesDown(&moved) ? 2 : 0));
        }
    }
}

int32_t TcvBand::MeasureHeight() {
    int32_t height = MeasureOwn();
    if (BandType == btMasterData || BandType == btDetailData || BandType == btSubDetailData)
        for (TcvBand* b = Next; b && !b->ReportDataSet && ReportDataSet; b = b->Next) height += b->MeasureOwn();
    return height;
}

// --- Space ---------------------------------------------------------------------------------------

bool TcvBand::CheckSpace(int32_t y, int32_t h, bool testOnly, bool force) {
    TcvPageRun& page = *Page;
    if (!force && page.CurBottom >= y + h + page.PrintedHeight(btColumnFooter)) return false;
    if (testOnly) return true;
    if (!page.NextColumn()) page.NewPage();
    return true;
}

// --- Printing ------------------------------------------------------------------------------------

bool TcvBand::Print() {
    if (BandView && !BandView->Visible) return false;
    TcvPageRun& page = *Page;
    if (FillingList) {
        FillRow();
        return false;
    }
    if (BandType == btColumnHeader && !Prev) page.ColumnTop = page.CurY;
    // Page footers stack from the bottom limit down, in the order of their chain.
    if (BandType == btPageFooter) {
        int64_t top = page.CurBottom;
        for (const TcvBand* b = Prev; b; b = b->Prev)
            if (b->HasObjects()) top += b->Height;
        Top = WithinReach(top);
    }
    if (!HasObjects()) return false;
    QScopedValueRollback band(State().CurrentBand, this);
    // A footer shows the last record of what it closes: the data band's dataset is on the next.
    TcvBand* data = IsFooter() ? page.DataBand(BandType == btGroupFooter ? btMasterData : BandType - 1) : nullptr;
    const bool stepBack = data && data->ReportDataSet && !data->DataSetEof();
    if (stepBack) data->PriorRecord();
    LastWalkedShown lastWalked(stepBack ? nullptr : data);
    int32_t height = MeasureHeight();
    const bool checks = !KeepsItsTop(BandType) && !CanSplit && !page.Breaking;
    if (checks && CheckSpace(page.CurY, height, true)) {
        if (page.IsSubReportPage) {
            if (!page.ForceFit) {
                if (stepBack) data->NextRecord();
                return true;
            }
        } else if (page.CurY > page.FreshY) {
            // On a fresh page or column the band prints as far as it goes: breaking again would not help.
            CheckSpace(page.CurY, height, false, true);
            height = MeasureHeight();
        }
    }
    page.ForceFit = false;
    bool waits = PrintObjects();
    for (TcvBand* b = Next; b && !b->ReportDataSet && ReportDataSet && IsDataBandType(BandType); b = b->Next)
        waits |= b->PrintObjects();
    if (stepBack) data->NextRecord();
    RowPrinted = true;
    // A run stopped by its page limit adds no page: the summary printed at its end may ask for one.
    if (ForceNewPage && !IsDataBandType(BandType) && BandType != btGroupHeader && !page.Breaking &&
        !page.Run->Report.Terminated)
        page.NewPage();
    return waits;
}

bool TcvBand::PrintObjects() {
    TcvPageRun& page = *Page;
    if (!KeepsItsTop(BandType)) Top = page.CurY;
    QScopedValueRollback band(State().CurrentBand, this);
    bool waits = false;
    if (CanSplit && !page.Breaking && MustSplit()) {
        // The table row goes beside the band's first lines, the sub-reports below its last ones.
        if (HasCrossObjects) PrintCross();
        PrintSplit();
        if (FirstSubReport >= 0) waits = PrintSubReports();
    } else {
        const size_t end = FirstSubReport < 0 ? Objects.size() : size_t(FirstSubReport);
        const int mode = Stretched ? dmDrawMeasured : dmDrawAll;
        for (size_t i = 0; i < end && !State().PreparationError.Recorded; ++i)
            if (Objects[i]->ParentBand == this) DrawObject(*Objects[i], mode);
        if (FirstSubReport >= 0) waits = PrintSubReports();
        if (HasCrossObjects) PrintCross();
    }
    // Top is where the band's last page part began: a split band ends below what it drew there.
    if (!KeepsItsTop(BandType) && FirstSubReport < 0) page.CurY = WithinReach(int64_t(Top) + ActualHeight);
    RestorePlaces();
    return waits;
}

void TcvBand::DrawObject(TcvView& view, int mode) {
    DrawObjectAt(view, mode, BandType == btNone ? 0 : Page->ColumnOffset(), Top);
}

void TcvBand::DrawObjectAt(TcvView& view, int mode, int32_t dx, int32_t dy) {
    if (!State().CurPageCanvas) return;
    TcvReport& report = Page->Run->Report;
    QScopedValueRollback left(view.Left, view.Left + dx);
    QScopedValueRollback top(view.Top, view.Top + dy);
    QScopedValueRollback<TcvBandFrame*> parent(view.ParentBand, this);
    Guarded([&] {
        if (report.OnDrawObject) report.OnDrawObject(&view);
        TcvMemoView* memo = AsMemo(&view);
        if (!memo) view.Draw(*State().CurPageCanvas);
        else if (mode == dmDrawMeasured) memo->DrawMeasured(*State().CurPageCanvas);
        else if (mode == dmDrawRest) memo->DrawRest(*State().CurPageCanvas);
        else memo->DrawAll(*State().CurPageCanvas);
        if (report.OnDrawedObject) report.OnDrawedObject(&view);
    });
}

// An empty row of a list being filled: each object's fill and frame at its design height.
void TcvBand::FillRow() {
    TcvPageRun& page = *Page;
    if (State().CurPageCanvas)
        for (size_t i = 0; i < Objects.size(); ++i) {
            TcvView& view = *Objects[i];
            if (view.ParentBand != this || (FirstSubReport >= 0 && int(i) >= FirstSubReport)) continue;
            QScopedValueRollback top(view.Top, Places[i].Top + page.CurY);
            QScopedValueRollback left(view.Left, Places[i].Left + page.ColumnOffset());
            QScopedValueRollback height(view.Height, Places[i].Height);
            view.SetCanvas(State().CurPageCanvas);
            view.CalcDrawRect();
            view.DrawBackground();
            view.DrawFrame();
        }
    page.CurY += Height;
}

}  // namespace tessaly

// The preparation driver of TcvReport: one pass, or two when the template asks for the total of
// pages, inside the progress dialog or through OnProgress.
#include <cmath>

#include <QScopeGuard>
#include <QScopedValueRollback>

#include "engine/model/CV_ObjectRun.h"
#include "engine/prepare/CV_Guard.h"
#include "engine/prepare/CV_PrepState.h"
#include "engine/prepare/CV_Preparation.h"
#include "engine/report/CV_Pages.h"
#include "engine/report/CV_Report.h"
#include "engine/report/EngineState.h"
#include "platform/core/DateTime.h"

namespace tessaly {

namespace {

const char kPreparingCaption[] = "Report in preparazione";
const char kFirstPassPrefix[] = "Esecuzione 1\xB0 passo:";
const char kPagePrefix[] = "Pagina in costruzione:";

void SetPrefix(TcvProgressView* form, const char* prefix) {
    if (!form) return;
    form->LabelPrefix = prefix;
    form->SetLabel(form->LabelPrefix + "  1");
}

}  // namespace

void TcvReport::BuildReport() {
    TcvPreparation run(*this, *preparation_);
    run.Build();
    pagesMade_ = run.PagesMade;
}

int32_t TcvReport::PageTotal() const {
    return Preparing && TwoPass && FinalPass && preparation_ ? preparation_->TotalPages : 0;
}

// Where a preparation starts; the date and the time are taken once for both passes.
void TcvReport::StartPreparation(TcvPreparationState& state) {
    preparationErrorText_.clear();
    preparationClock_.start();
    CurReport = this;
    Terminated = false;
    EngineMode = emRun;
    const double now = NowDateTime();
    state.ReportDate = std::trunc(now);
    state.ReportTime = now - std::trunc(now);
    FinalPass = true;
    emfPages_->Clear();
}

// The first pass of a two-pass report only counts the pages (and, for interleaved numbering,
// gives their order); a first pass that stopped runs no second one. Interleaved page numbers need
// that order before any page is drawn, so a report of one pass counts its pages first as well
// (its TOTALPAGES stays 0, as in one pass).
void TcvReport::RunPasses(TcvProgressView* form) {
    TcvPreparationState& state = *preparation_;
    const bool interleavedNumbers = Interleave && InterleavedNumbering;
    if (TwoPass || interleavedNumbers) {
        state.FirstPass = true;
        FinalPass = false;
        SetPrefix(form, kFirstPassPrefix);
        BuildReport();
        state.FirstPass = false;
        FinalPass = true;
        if (Terminated || state.PreparationError.Recorded) return;
        if (TwoPass) state.TotalPages = emfPages_->Count();
        if (interleavedNumbers) state.PageOrder = InterleavedOrder(pagesMade_);
        emfPages_->Clear();
    }
    SetPrefix(form, kPagePrefix);
    BuildReport();
}

bool TcvReport::PrepareReport() {
    if (Preparing) throw EngineError(MsgAlreadyPreparing);
    CheckAutoLoad();
    TcvPreparationState state(*this);
    NameScope names(*this, &state);
    QScopedValueRollback preparing(Preparing, true);
    QScopedValueRollback running(preparation_, &state);
    StartPreparation(state);
    TcvProgressView* form = OnProgress || !ShowProgress() ? nullptr : ProgressForm;
    auto end = qScopeGuard([this, &state] {
        // The text stays with the report; texts evaluated afterwards see what the run left.
        if (state.PreparationError.Recorded) preparationErrorText_ = state.PreparationError.Text;
        RestingRun().KeepLast(state.PreparedIndex, state.PageOrder, state.TotalPages, state.CurrentValue);
    });
    if (form) {
        form->SetCaption(Title().empty() ? AnsiString(kPreparingCaption) : kPreparingCaption + (" - " + Title()));
        SetPrefix(form, TwoPass ? kFirstPassPrefix : kPagePrefix);
    }
    const int result = RunInProgress(*this, form, [this, form] {
        RunPasses(form);
        if (form) form->SetModalResult(Terminated ? mrCancel : mrOk);
    });
    if (result == mrCancel) Terminated = true;
    return !Terminated && !state.PreparationError.Recorded;
}

}  // namespace tessaly

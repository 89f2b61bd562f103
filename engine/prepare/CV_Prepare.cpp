// The preparation driver of TcvReport: one pass, or two when the template asks for the total of
// pages, inside the progress dialog or through OnProgress.
#include <cmath>

#include <QScopeGuard>
#include <QScopedValueRollback>

#include "engine/expr/CV_PrepError.h"
#include "engine/prepare/CV_Guard.h"
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
    TcvPreparation run(*this);
    run.Build();
    pagesMade_ = run.PagesMade;
}

// The state a preparation starts from; the date and the time are taken once for both passes.
void TcvReport::StartPreparation() {
    ClearPreparationError();
    preparationErrorText_.clear();
    preparationClock_.start();
    ResetPreparationState();
    CurReport = this;
    Terminated = false;
    EngineMode = emRun;
    const double now = NowDateTime();
    ReportDate = std::trunc(now);
    ReportTime = now - std::trunc(now);
    TotalPages = 0;
    FinalPass = true;
    emfPages_->Clear();
}

// The first pass of a two-pass report only counts the pages (and, for interleaved numbering,
// gives their order); a first pass that stopped runs no second one. Interleaved page numbers need
// that order before any page is drawn, so a report of one pass counts its pages first as well
// (its TOTALPAGES stays 0, as in one pass).
void TcvReport::RunPasses(TcvProgressView* form) {
    const bool interleavedNumbers = Interleave && InterleavedNumbering;
    if (TwoPass || interleavedNumbers) {
        FirstPass = true;
        FinalPass = false;
        SetPrefix(form, kFirstPassPrefix);
        BuildReport();
        FirstPass = false;
        FinalPass = true;
        if (Terminated || PreparationError.Recorded) return;
        if (TwoPass) TotalPages = emfPages_->Count();
        if (interleavedNumbers) PageOrder = InterleavedOrder(pagesMade_);
        emfPages_->Clear();
    }
    SetPrefix(form, kPagePrefix);
    BuildReport();
}

bool TcvReport::PrepareReport() {
    if (Preparing) throw EngineError(MsgAlreadyPreparing);
    CheckAutoLoad();
    NameScope names(*this);
    QScopedValueRollback preparing(Preparing, true);
    StartPreparation();
    TcvProgressView* form = OnProgress || !ShowProgress() ? nullptr : ProgressForm;
    auto end = qScopeGuard([this, form] {
        FirstPass = false;
        AggregatesSuspended = false;
        if (form) form->StartAction = nullptr;
        // The text stays with the report; names resolve again after a failed run.
        if (PreparationError.Recorded) preparationErrorText_ = PreparationError.Text;
        ClearPreparationError();
    });
    if (!form) {
        RunPasses(nullptr);
    } else {
        form->SetCaption(Title().empty() ? AnsiString(kPreparingCaption) : kPreparingCaption + (" - " + Title()));
        SetPrefix(form, TwoPass ? kFirstPassPrefix : kPagePrefix);
        form->StartAction = [this, form](QObject*) {
            RunPasses(form);
            form->SetModalResult(Terminated ? mrCancel : mrOk);
        };
        if (form->Show(this) == mrCancel) Terminated = true;
    }
    return !Terminated && !PreparationError.Recorded;
}

}  // namespace tessaly

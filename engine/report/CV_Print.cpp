// Printing of a prepared report: the page range with copies and collation, one print job per run
// of pages on the same paper, each page's drawing stretched over the whole physical sheet.
#include "engine/report/CV_Print.h"

#include <QRect>
#include <QScopeGuard>
#include <QScopedValueRollback>

#include "engine/report/CV_Pages.h"
#include "engine/report/CV_Prntr.h"
#include "engine/report/CV_Report.h"
#include "platform/core/Rounding.h"
#include "platform/core/Stream.h"

namespace tessaly {

print::PaperLookup PaperTableLookup() {
    return [](int code, int& width, int& height) {
        for (int i = 0; i < PaperTableCount; ++i) {
            const PaperRow& row = PaperTableRow(i);
            if (row.code != code || row.width <= 0) continue;
            width = row.width;
            height = row.height;
            return true;
        }
        return false;
    };
}

std::unique_ptr<print::PdfFilePrinter> CreatePdfFilePrinter(const std::filesystem::path& file) {
    return std::make_unique<print::PdfFilePrinter>(file, PaperTableLookup());
}

bool PrintPreparedReportToPdf(TcvReport& report, const std::filesystem::path& file, int firstPage, int lastPage,
                              int copies, bool collate) {
    if (!PrinterSettings) throw print::EPrinter(print::kNoPrinter);
    std::unique_ptr<print::PdfFilePrinter> pdf = CreatePdfFilePrinter(file);
    print::Printer* platform = PrinterSettings->Printer();
    PrinterSettings->FillPrinters(pdf.get());
    const auto restore = qScopeGuard([platform] { PrinterSettings->FillPrinters(platform); });
    bool completed = false;
    auto noteCompleted = [&completed, host = report.OnAfterPrint] {
        completed = true;
        if (host) host();
    };
    const QScopedValueRollback<std::function<void()>> afterPrint(report.OnAfterPrint, noteCompleted);
    report.PrintPreparedReport(firstPage, lastPage, copies, collate);
    if (completed && !pdf->Finish())
        throw EngineError("Impossibile scrivere il file PDF " + PathForMessage(file) + ".");
    return completed;
}

AnsiString PrintJobTitle(const AnsiString& title) {
    return "Corvane- " + (title.empty() ? AnsiString("Nessun nome") : title);
}

namespace {

print::Printer& PlatformPrinter() {
    print::Printer* printer = PrinterSettings ? PrinterSettings->Printer() : nullptr;
    if (!printer) throw print::EPrinter(print::kNoPrinter);
    return *printer;
}

// Progress in percent of the sheets printed so far; 64 bits, as copies × pages may be large.
int PercentDone(int64_t done, int64_t total) { return static_cast<int>(done * 100 / total); }

}  // namespace

void TcvReport::PrintPreparedReport(int firstPage, int lastPage, int copies, bool collate) {
    Terminated = false;
    PrintFirstPage = firstPage;
    PrintLastPage = lastPage;
    PrintCopies = copies;
    PrintCollate = collate;
    auto printStep = [this] {
        ProcessMessages();
        DoPrintReport(PrintFirstPage, PrintLastPage, PrintCopies, PrintCollate);
        if (ProgressForm) ProgressForm->SetModalResult(mrOk);
    };
    TcvProgressView* form = OnProgress || !ShowProgress() ? nullptr : ProgressForm;
    // However the print ends, the cancel request is over.
    auto done = qScopeGuard([this] { Terminated = false; });
    if (form) {
        form->SetCaption(Title().empty() ? AnsiString("Report in preparazione") : "Report in preparazione - " + Title());
        form->LabelPrefix = "Pagina in stampa:";
        form->SetLabel(form->LabelPrefix);
    }
    ProcessMessages();
    RunInProgress(*this, form, printStep);
}

void TcvReport::DoPrintReport(int firstPage, int lastPage, int copies, bool collate) {
    print::Printer& printer = PlatformPrinter();
    if (!PreviewFormClass) throw EngineError("Anteprima non disponibile.");
    // However the print ends, PrintingActive goes back to false and the drawing window is freed.
    auto run = qScopeGuard([this] {
        PrintingActive = false;
        delete PrintWindow;
        PrintWindow = nullptr;
    });
    PrintWindow = PreviewFormClass(this);
    PrinterSettings->SetPrinterIndex(printer.PrinterIndex());
    PrintingActive = true;
    EngineMode = emRun;
    PrintWindow->Report = this;

    bool go = true;
    if (OnBeforePrint) OnBeforePrint(go);
    if (!go) return;
    CurReport = this;
    PrinterSettings->FillPrinters(&printer);

    // A range that starts before page 1, or ends before it starts, or copies below 1 would print
    // nothing useful but an empty sheet: the range is kept inside the report.
    const int count = emfPages_->Count();
    const int first = std::max(firstPage, 1) - 1;
    const int last = std::min(lastPage - 1, count - 1);
    const int n = last - first + 1;
    copies = std::max(copies, 1);
    if (count == 0 || n <= 0) return;

    // The printer is set up for the first page printed, and always given its paper: neither a
    // paper left from an earlier print nor the first page of the report may decide the first sheet.
    PreparedPage& p = emfPages_->Pages(first);
    const bool same = PrinterSettings->IsEqual(p.PaperSize, p.Width, p.Orientation, p.Height);
    PrinterSettings->SetPrinterInfo(p.PaperSize, p.Width, p.Orientation, p.Height);
    if (same) PrinterSettings->ApplySettings();
    PrinterSettings->FillPrnInfo(p.Info);
    UpdatePrinterMetrics(first);
    printer.BeginDoc(PrintJobTitle(Title()));

    const int64_t sheets = int64_t{copies} * n;
    bool completed = false;
    try {
        PrintFirstPageFlag = true;
        bool cancelled = false;
        for (int outer = 0; outer < (collate ? copies : n) && !cancelled; ++outer) {
            for (int inner = 0; inner < (collate ? n : copies) && !cancelled; ++inner) {
                const int i = collate ? inner : outer;
                const int64_t done = collate ? i + int64_t{outer} * n + 1 : inner + int64_t{copies} * i + 1;
                PrintPage(first + i);
                if (OnProgress) OnProgress(PercentDone(done, sheets));
                cancelled = Terminated;
            }
        }
        if (cancelled) {
            printer.Abort();
        } else {
            printer.EndDoc();
            completed = true;
        }
    } catch (...) {
        // An error of the page loop (drawing, a paper switch, the spooler at the end of a job)
        // drops the job and reaches the caller: a print that failed must not look done.
        try {
            if (printer.Printing()) printer.Abort();
        } catch (...) {
        }
        throw;
    }
    if (completed && OnAfterPrint) OnAfterPrint();
}

void TcvReport::PrintPage(int index) {
    print::Printer& printer = PlatformPrinter();
    PreparedPage& p = emfPages_->Pages(index);
    if (!PrinterSettings->IsEqual(p.PaperSize, p.Width, p.Orientation, p.Height)) {
        printer.EndDoc();
        PrinterSettings->SetPrinterInfo(p.PaperSize, p.Width, p.Orientation, p.Height);
        printer.BeginDoc(PrintJobTitle(Title()));
    } else if (!PrintFirstPageFlag) {
        printer.NewPage();
    }
    PrinterSettings->FillPrnInfo(p.Info);
    UpdatePrinterMetrics(index);
    const PageInfo& info = p.Info;
    // The drawing covers the whole sheet; the printer's origin is the corner of its printable area.
    const QRect sheet(-info.PrinterOffsetX, -info.PrinterOffsetY, info.PrinterPageWidth, info.PrinterPageHeight);
    if (PrintWindow) PrintWindow->DrawPage(printer.Canvas(), index, sheet);
    Progress(index + 1);
    ProcessMessages();
    PrintFirstPageFlag = false;
}

void TcvReport::UpdatePrinterMetrics(int index) {
    PageInfo& info = emfPages_->Pages(index).Info;
    const print::DeviceCaps caps = PlatformPrinter().Capabilities();
    info.PrinterOffsetX = caps.physicalOffsetX;
    info.PrinterOffsetY = caps.physicalOffsetY;
    info.PrinterPageWidth = Round32(info.ScreenPageWidth * (caps.pixelsPerInchX / 96.0));
    info.PrinterPageHeight = Round32(info.ScreenPageHeight * (caps.pixelsPerInchY / 96.0));
}

AnsiString ProgressLabel(const AnsiString& prefix, int n, int total) {
    AnsiString text = prefix + "  " + std::to_string(n);
    if (total > 0) text += " di " + std::to_string(total);
    return text;
}

int RunInProgress(TcvReport& report, TcvProgressView* form, const std::function<void()>& work) {
    if (!form) {
        work();
        return mrOk;
    }
    auto clear = qScopeGuard([form] { form->StartAction = nullptr; });
    form->StartAction = [&work](QObject*) { work(); };
    return form->Show(&report);
}

void TcvReport::Progress(int n) {
    if (OnProgress) {
        OnProgress(n);
    } else if (ShowProgress()) {
        if (ProgressForm) ProgressForm->SetLabel(ProgressLabel(ProgressForm->LabelPrefix, n, PageTotal()));
        ProcessMessages();
    }
}

}  // namespace tessaly

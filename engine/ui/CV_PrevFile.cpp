// The preview's file commands: open another prepared report (or prepare a template), save it (or the current page as a
// metafile, or through a registered export filter, or as PDF or text), print it.
#include <QCoreApplication>
#include <QPrinter>
#include <QScopeGuard>

#include <filesystem>
#include <system_error>

#include "engine/report/CV_Export.h"
#include "engine/report/CV_FileName.h"
#include "engine/report/CV_Pages.h"
#include "engine/report/CV_Print.h"
#include "engine/report/CV_Prntr.h"
#include "engine/report/CV_Report.h"
#include "engine/report/CV_TextExport.h"
#include "engine/ui/CV_OpenFile.h"
#include "engine/ui/CV_Prev.h"
#include "engine/ui/CV_PrevHits.h"
#include "engine/ui/UiHooks.h"

namespace tessaly {

namespace fs = std::filesystem;

namespace {

const char* const kPdfFileType = "Documento PDF (*.pdf)";
const char* const kTextFileType = "Testo (*.txt)";

// The process's current directory, given back when the command ends (dialogs may change it).
class CurrentDirectoryGuard {
public:
    CurrentDirectoryGuard() { saved_ = fs::current_path(ec_); }
    void Restore() {
        std::error_code ec;
        if (!ec_) fs::current_path(saved_, ec);
    }

private:
    fs::path saved_;
    std::error_code ec_;
};

// The name with its extension (from the last "." of its last part) replaced by `extension`, or
// with `extension` appended when it has none.
fs::path ChangeFileExt(const fs::path& name, const std::string& extension) {
    std::string file = name.filename().string();
    const size_t dot = file.rfind('.');
    if (dot != std::string::npos) file.erase(dot);
    return name.parent_path() / (file + extension);
}

}  // namespace

void TStandardPreview::Open() {
    ApplyZoomText();
    CurrentDirectoryGuard directory;
    if (UiHooks().ExecuteFileDialog(OpenDialog, this, TFileDialog::Kind::Open)) {
        QCoreApplication::processEvents();
        OpenFile(OpenDialog.FileName);
    }
    directory.Restore();
}

void TStandardPreview::OpenFile(const fs::path& fileName) {
    // A hit of the pages being replaced must not blink on the new ones, nor their matches be
    // counted while they change.
    StopBlink();
    hits_->Clear();
    if (OpenReportFile(*Report, fileName, this)) {
        PaintedZoom = 0;
        FormShow();
    }
}

void TStandardPreview::Save() {
    ApplyZoomText();
    CurrentDirectoryGuard directory;
    SaveDialog.Filter = "Report file (*.cvp)|*.cvp|Enhanced Meta File - File Grafico (*.emf)|*.emf";
    const int filters = ExportFilterCount();
    for (int i = 0; i < filters; ++i) {
        const TExportFilterEntry& filter = ExportFilterEntry(i);
        SaveDialog.Filter += "|" + filter.Description + "|" + filter.FileMask;
    }
    // The program's own formats come after the registered filters, which keep their indexes.
    SaveDialog.Filter += "|" + AnsiString(kPdfFileType) + "|*.pdf|" + kTextFileType + "|*.txt";
    SaveDialog.FilterIndex = 1;
    if (UiHooks().ExecuteFileDialog(SaveDialog, this, TFileDialog::Kind::Save)) {
        QCoreApplication::processEvents();
        const int index = SaveDialog.FilterIndex;
        if (index == 1) {
            Report->SavePreparedReport(SaveDialog.FileName);
        } else if (index == 2) {
            SaveCurrentPageAsEmf(SaveDialog.FileName);
        } else if (index == filters + 3) {
            SaveAsPdf(WithDefaultExtension(SaveDialog.FileName, ".pdf"));
        } else if (index == filters + 4) {
            SaveAsText(WithDefaultExtension(SaveDialog.FileName, ".txt"));
        } else if (index >= 3) {
            const TExportFilterEntry& filter = ExportFilterEntry(SaveDialog.FilterIndex - 3);
            Report->ExportTo(filter.FilterClass, ChangeFileExt(SaveDialog.FileName, filter.FileMask.empty() ? "" : filter.FileMask.substr(1)));
        }
    }
    directory.Restore();
}

// Every page as a PDF page on its own paper, the pages as vectors: what `tessaly-cli pdf` writes.
void TStandardPreview::SaveAsPdf(const fs::path& fileName) {
    if (PageCount() == 0) throw EngineError(kNoPages);
    PrintPreparedReportToPdf(*Report, fileName, 1, PageCount(), 1, false);
}

// The text of every page in position order: what `tessaly-cli text` writes.
void TStandardPreview::SaveAsText(const fs::path& fileName) {
    // The export dialog names the filter by its entry in the registry.
    const bool registered = RegisterExportFilter(kPlainTextFilter, kTextFileType, "*.txt");
    const auto unregister = qScopeGuard([registered] {
        if (registered) UnregisterExportFilter(kPlainTextFilter);
    });
    SaveReportAsText(*Report, fileName);
}

// The file name keeps its form when the first ".EMF" in it (any case) ends it; otherwise ".emf" is
// appended. Only the name is looked at, not its folders, whose names may hold dots here.
void TStandardPreview::SaveCurrentPageAsEmf(const fs::path& fileName) {
    if (PageCount() == 0) throw EngineError(kNoPages);
    fs::path name = fileName;
    const std::string file = fileName.filename().string();
    const size_t at = UpperCase(file).find(".EMF");
    if (at == std::string::npos || at + 4 != file.size()) name += ".emf";
    Report->EMFPages().Pages(CurPage - 1).Drawing.SaveToFile(name);
}

void TStandardPreview::Print() {
    ApplyZoomText();
    const int count = PageCount();
    if (!PrintDialog) PrintDialog = new QPrinter();  // made when first needed: it asks the spooler
    QPrinter& printer = *PrintDialog;
    printer.setPrintRange(QPrinter::AllPages);
    printer.setFromTo(1, std::max(1, count));
    printer.setCopyCount(1);
    if (!UiHooks().ExecutePrintDialog(printer, this)) return;
    QCoreApplication::processEvents();
    const int copies = std::max(1, printer.copyCount());
    printer.setCopyCount(1);
    int from = 1, to = count;
    if (printer.printRange() == QPrinter::PageRange) {
        from = printer.fromPage();
        to = printer.toPage();
    }
    // Printing to a file, as the dialog offers it, writes the pages into that PDF file.
    if (printer.outputFormat() == QPrinter::PdfFormat && !printer.outputFileName().isEmpty()) {
        PrintPreparedReportToPdf(*Report, fs::path(printer.outputFileName().toStdString()), from, to, copies,
                                 printer.collateCopies());
        return;
    }
    // The printer chosen in the dialog becomes the current one.
    if (print::Printer* platform = PrinterSettings ? PrinterSettings->Printer() : nullptr) {
        const std::vector<std::string> names = platform->Printers();
        for (size_t i = 0; i < names.size(); ++i)
            if (QString::fromStdString(names[i]) == printer.printerName()) platform->SetPrinterIndex(int(i));
    }
    Report->PrintPreparedReport(from, to, copies, printer.collateCopies());
}

}  // namespace tessaly

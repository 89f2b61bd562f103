#pragma once
// Printing of prepared reports (the operations themselves are TcvReport's, in CV_Print.cpp and
// CV_Export.cpp) and the PDF-file printer, which reads its papers from the engine's paper table
// (the spooler's printers are made by the windows' library: engine/ui/SpoolerPrinters.h).
#include <filesystem>
#include <memory>

#include "platform/core/Cp1252.h"
#include "platform/print/PageSetup.h"
#include "platform/print/PdfFilePrinter.h"
#include "platform/print/Printer.h"

namespace tessaly {

// The paper table as the platform printers read it (portrait width and height of a code).
print::PaperLookup PaperTableLookup();

// A printer that prints into one PDF file (see PdfFilePrinter::Finish).
std::unique_ptr<print::PdfFilePrinter> CreatePdfFilePrinter(const std::filesystem::path& file);

class TcvReport;

// Prints pages firstPage to lastPage of the report into the PDF file `file` instead of on the
// platform printer, for this one print: the same sheets, each on its page's paper, that
// `tessaly-cli pdf` makes. False, and no file, when the print did not complete (cancelled, or
// stopped by OnBeforePrint); raises when it failed or the file could not be written.
bool PrintPreparedReportToPdf(TcvReport& report, const std::filesystem::path& file, int firstPage, int lastPage,
                              int copies, bool collate);

// The progress label for page n: "prefix  n", or "prefix  n di total" once the total is known
// (TcvReport::PageTotal).
AnsiString ProgressLabel(const AnsiString& prefix, int n, int total);

// "Corvane- " and the title, or "Corvane- Nessun nome" without one.
AnsiString PrintJobTitle(const AnsiString& title);

}  // namespace tessaly

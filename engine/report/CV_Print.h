#pragma once
// Printing of prepared reports (the operations themselves are TcvReport's, in CV_Print.cpp and
// CV_Export.cpp) and the platform printers the engine makes, which read their papers from the
// engine's paper table.
#include <filesystem>
#include <memory>

#include "platform/core/Cp1252.h"
#include "platform/print/PageSetup.h"
#include "platform/print/PdfFilePrinter.h"
#include "platform/print/Printer.h"

namespace tessaly {

// The paper table as the platform printers read it (portrait width and height of a code).
print::PaperLookup PaperTableLookup();

// The spooler's printers (the default printer is current).
std::unique_ptr<print::Printer> CreateSpoolerPrinter();
// A printer that prints into one PDF file (see PdfFilePrinter::Finish).
std::unique_ptr<print::PdfFilePrinter> CreatePdfFilePrinter(const std::filesystem::path& file);

// "Corvane- " and the title, or "Corvane- Nessun nome" without one.
AnsiString PrintJobTitle(const AnsiString& title);

}  // namespace tessaly

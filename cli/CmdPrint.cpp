// tessaly-cli print IN.cvp [--printer NAME] [--from N] [--to M] [--copies C] [--collate]:
// prints a prepared report on the spooler, on the default printer when no name is given.
#include <QApplication>

#include "cli/Args.h"
#include "cli/Commands.h"
#include "cli/GuiApp.h"
#include "engine/report/CV_Pages.h"
#include "engine/report/CV_Report.h"
#include "engine/ui/SpoolerPrinters.h"
#include "engine/ui/UiStartup.h"
#include "platform/core/Errors.h"

namespace tessaly::cli {

namespace {

struct PrintArgs {
    std::string file;
    std::string printer;
    int from = 1;
    int to = 0;  // 0: the last page
    int copies = 1;
    bool collate = false;
};

bool ParseArgs(const std::vector<std::string>& args, PrintArgs& a) {
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        const bool hasValue = i + 1 < args.size();
        if (arg == "--printer" && hasValue) {
            a.printer = args[++i];
        } else if (arg == "--from" && hasValue) {
            if (!ParsePositive(args[++i], a.from)) return false;
        } else if (arg == "--to" && hasValue) {
            if (!ParsePositive(args[++i], a.to)) return false;
        } else if (arg == "--copies" && hasValue) {
            if (!ParsePositive(args[++i], a.copies)) return false;
        } else if (arg == "--collate") {
            a.collate = true;
        } else if (a.file.empty() && !arg.empty() && arg[0] != '-') {
            a.file = arg;
        } else {
            return false;
        }
    }
    return !a.file.empty();
}

}  // namespace

int RunPrint(const Args& args) {
    PrintArgs a;
    if (!ParseArgs(args, a)) return kWrongUsage;

    GuiApp<QApplication> app;
    std::unique_ptr<print::Printer> printer = CreateSpoolerPrinter();
    const std::vector<std::string> printers = printer->Printers();
    if (printers.empty()) return Fail(print::kNoPrinter);
    if (!a.printer.empty()) {
        auto it = std::find(printers.begin(), printers.end(), a.printer);
        if (it == printers.end()) return Fail("Stampante sconosciuta: " + Utf8ToCp1252(a.printer));
        printer->SetPrinterIndex(static_cast<int>(it - printers.begin()));
    }
    EngineWindowUnits units(printer.get());
    try {
        TcvReport report(nullptr);
        report.SetShowProgress(false);
        report.LoadPreparedReport(a.file);
        const int pages = report.EMFPages().Count();
        if (pages == 0) return Fail(kNoPages);
        const int to = a.to == 0 ? pages : a.to;
        if (a.from > pages || a.from > to) return Fail("Intervallo di pagine non valido.");
        bool completed = false;
        report.OnAfterPrint = [&completed] { completed = true; };
        report.PrintPreparedReport(a.from, to, a.copies, a.collate);
        if (!completed) return Fail("Stampa non riuscita.");
    } catch (const EngineError& e) {
        return Fail(e.Message());
    }
    return 0;
}

}  // namespace tessaly::cli

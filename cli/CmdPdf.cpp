// tessaly-cli pdf IN.cvp -o OUT.pdf: prints a prepared report (or a template, prepared) into a PDF file, one PDF page per
// report page, each on its own paper; the pages stay vectors and their text stays text.
#include <QApplication>

#include "cli/Args.h"
#include "cli/Commands.h"
#include "cli/GuiApp.h"
#include "cli/PrepareSetup.h"
#include "engine/report/CV_Pages.h"
#include "engine/report/CV_Print.h"
#include "engine/report/CV_Report.h"
#include "engine/ui/UiStartup.h"
#include "platform/core/Errors.h"

namespace tessaly::cli {

int RunPdf(const Args& args) {
    std::string in, out;
    if (!ParseInputAndOutput(args, in, out) || out.empty()) return kWrongUsage;

    GuiApp<QApplication> app;
    EngineWindowUnits units(nullptr);
    try {
        TcvReport report(nullptr);
        report.SetShowProgress(false);
        LoadReportOrTemplate(report, in);
        const int pages = report.EMFPages().Count();
        if (pages == 0) return Fail(kNoPages);
        if (!PrintPreparedReportToPdf(report, out, 1, pages, 1, false)) return Fail("Stampa non riuscita.");
    } catch (const EngineError& e) {
        return Fail(e.Message());
    }
    return 0;
}

}  // namespace tessaly::cli

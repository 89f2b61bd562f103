// tessaly-cli prepare TEMPLATE.cvf [--db SOURCE] [--module NAME] [--query NAME=SQL]... [-o OUT.cvp]
//                                  [--pdf OUT.pdf] [--show] [--quiet] [--value NAME=EXPR]...
//                                  [--title TEXT] [--max-pages N] [--max-time MS]
// Prepares a report template over a database. With --db, a data module NAME (default "Dati")
// holds one dataset per table and view of SOURCE (a SQLite file or a PostgreSQL URI) and one per
// --query, called NAME; the template's datasets ("Dati.righe") are found in it, and the report
// belongs to it; without --db, the template's embedded database (its name with ".sqlite") when
// its datasets name a module. --value gives the report a named value that evaluates EXPR, --title
// its title (the preview's caption, the print job's name), --max-pages and --max-time the engine's
// limits of the preparation. The template loads as `tessaly-cli
// template` loads it (its messages on stderr; after an "Errore" message exit 1 and nothing written). The prepared report goes to OUT.cvp
// (-o), to a PDF file (--pdf) and/or to the preview window (--show); with none of them to the
// template's name with ".cvp". On success stdout has "pages: N". A preparation error prints its
// composed message on stderr (one line per part), exits 1 and writes nothing. While preparing,
// a progress bar goes to stderr when it is a terminal, unless --quiet.
#include <unistd.h>

#include <QApplication>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "cli/Commands.h"
#include "cli/GuiApp.h"
#include "cli/PrepareSetup.h"
#include "cli/ProgressBar.h"
#include "engine/report/CV_Pages.h"
#include "engine/report/CV_Print.h"
#include "engine/report/CV_Report.h"
#include "engine/report/EngineState.h"
#include "engine/ui/UiStartup.h"
#include "platform/core/Errors.h"
#include "platform/data/DataModule.h"

namespace fs = std::filesystem;

namespace tessaly::cli {

namespace {

struct PrepareArgs {
    PrepareSetup setup;
    std::string out, pdf;
    bool show = false;
};

// --show, -o OUT.cvp, --pdf OUT.pdf.
bool ParseOwnOption(const Args& args, size_t& i, PrepareArgs& a) {
    const std::string& o = args[i];
    if (o == "--show") return a.show = true;
    if (i + 1 >= args.size() || args[i + 1].empty()) return false;
    const std::string& value = args[++i];
    if (o == "-o" && a.out.empty()) a.out = value;
    else if (o == "--pdf" && a.pdf.empty()) a.pdf = value;
    else return false;
    return true;
}

bool ParseArgs(const Args& args, PrepareArgs& a) {
    return ParseSetupArgs(args, a.setup, [&a](const Args& all, size_t& i) { return ParseOwnOption(all, i, a); });
}

// "Preparazione [#####.....] 12/40" once the total is known (the second of two passes), else
// "Preparazione: pagina 12"; on one line that is written over.
void ShowProgress(const TcvReport& report, int page) {
    const int total = report.PageTotal();
    if (total > 0 && page <= total) return DrawProgressBar("Preparazione", size_t(page), size_t(total));
    std::fprintf(stderr, "\rPreparazione: pagina %d", page);
    std::fflush(stderr);
}

fs::path DefaultOutput(const std::string& templateFile) {
    fs::path out(templateFile);
    out.replace_extension(".cvp");
    return out;
}

int WriteOutputs(TcvReport& report, const PrepareArgs& a) {
    report.OnProgress = nullptr;  // printing reports percentages through it
    if (!a.out.empty() || (a.pdf.empty() && !a.show)) report.SavePreparedReport(a.out.empty() ? DefaultOutput(a.setup.templateFile) : fs::path(a.out));
    if (!a.pdf.empty()) {
        const int pages = report.EMFPages().Count();
        if (pages == 0) return Fail(kNoPages);
        if (!PrintPreparedReportToPdf(report, a.pdf, 1, pages, 1, false)) return Fail("Stampa non riuscita.");
    }
    std::printf("pages: %d\n", report.EMFPages().Count());
    std::fflush(stdout);
    if (a.show) report.ShowPreparedReport();
    return kDone;
}

int Prepare(TcvReport& report, const PrepareArgs& a) {
    if (!LoadTemplate(report, a.setup)) return kFailed;
    report.SetShowProgress(false);
    const bool bar = !a.setup.quiet && ::isatty(STDERR_FILENO);
    if (bar) report.OnProgress = [&report](int page) { ShowProgress(report, page); };
    const bool done = report.PrepareReport();
    if (bar) std::fputs("\n", stderr);
    if (!done) return Fail(report.PreparationErrorText().empty() ? "Preparazione annullata." : Lines(report.PreparationErrorText()));
    return WriteOutputs(report, a);
}

// A display the preview can be shown on (not the offscreen platform, where no one could close it).
bool HasDisplay() {
    const QByteArray platform = qgetenv("QT_QPA_PLATFORM");
    if (platform == "offscreen" || platform == "minimal") return false;
    return !platform.isEmpty() || !qEnvironmentVariableIsEmpty("DISPLAY") || !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
}

int Run(const PrepareArgs& a) {
    EngineWindowUnits units(nullptr);
    try {
        std::unique_ptr<data::DatabaseModule> module = a.setup.source.empty() ? nullptr : OpenModule(a.setup);
        // The module owns the report (and frees it before its datasets).
        std::unique_ptr<TcvReport> own = module ? nullptr : std::make_unique<TcvReport>(nullptr);
        TcvReport* report = module ? new TcvReport(module.get()) : own.get();
        return Prepare(*report, a);
    } catch (const EngineError& e) {
        return Fail(e.Message());
    }
}

}  // namespace

int RunPrepare(const Args& args) {
    PrepareArgs a;
    if (!ParseArgs(args, a)) return kWrongUsage;
    if (!a.show) {
        GuiApp<QApplication> app;  // fonts and the PDF writer need it; no window is shown
        return Run(a);
    }
    if (!HasDisplay()) return Fail("Nessuno schermo per l'anteprima: usare -o o --pdf");
    int argc = 1;
    char name[] = "tessaly-cli";
    char* argv[] = {name, nullptr};
    QApplication app(argc, argv);
    return Run(a);
}

}  // namespace tessaly::cli

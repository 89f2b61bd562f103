// tessaly-cli text IN.cvp [-o OUT.txt]: the text of a prepared report through the plain-text export
// filter (engine/report/CV_TextExport.h), as the viewer saves it.
// Without -o the text goes to the standard output.
#include <cstdio>
#include <filesystem>

#include <QGuiApplication>
#include <QTemporaryDir>

#include "cli/Args.h"
#include "cli/Commands.h"
#include "cli/GuiApp.h"
#include "cli/PrepareSetup.h"
#include "engine/report/CV_Export.h"
#include "engine/report/CV_Report.h"
#include "engine/report/CV_Startup.h"
#include "engine/report/CV_TextExport.h"
#include "platform/core/Errors.h"
#include "platform/core/Stream.h"

namespace tessaly::cli {

namespace {

bool CopyToStdout(const std::filesystem::path& file) {
    FILE* in = std::fopen(file.c_str(), "rb");
    if (!in) return false;
    char buffer[65536];
    size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, in)) > 0) std::fwrite(buffer, 1, n, stdout);
    std::fclose(in);
    return true;
}

}  // namespace

int RunText(const Args& args) {
    std::string in, out;
    if (!ParseInputAndOutput(args, in, out)) return kWrongUsage;

    GuiApp<QGuiApplication> app;
    EngineUnits units(nullptr);
    RegisterExportFilter(kPlainTextFilter, "Testo semplice (*.txt)", "*.txt");
    QTemporaryDir scratch;
    try {
        TcvReport report(nullptr);
        LoadReportOrTemplate(report, in);
        if (!out.empty()) {
            SaveReportAsText(report, out);
            return 0;
        }
        if (!scratch.isValid()) return Fail("Impossibile creare un file temporaneo.");
        const std::filesystem::path file = scratch.filePath("text.txt").toStdString();
        SaveReportAsText(report, file);
        if (!CopyToStdout(file)) return Fail("Impossibile leggere il testo esportato.");
    } catch (const EngineError& e) {
        return Fail(e.Message());
    }
    return 0;
}

}  // namespace tessaly::cli

// tessaly-cli text IN.cvp [-o OUT.txt]: the text of a prepared report through a plain-text export
// filter: per page a line "--- page N", then one line "Y X text" per text item in position order.
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
#include "platform/core/Errors.h"
#include "platform/core/Stream.h"

namespace tessaly::cli {

namespace {

class PlainTextFilter : public TcvExportFilter {
public:
    using TcvExportFilter::TcvExportFilter;

    void BeginPage(int, int) override { Write("--- page " + std::to_string(++page_) + "\n"); }

    // One item, one line: control characters inside the text become blanks.
    void AddText(int x, int y, const AnsiString& text, const TExportFont&) override {
        AnsiString line = text;
        for (char& c : line)
            if (static_cast<unsigned char>(c) < 0x20) c = ' ';
        Write(std::to_string(y) + " " + std::to_string(x) + " " + Cp1252ToUtf8(line) + "\n");
    }

private:
    void Write(const std::string& s) { Output.WriteBuffer(s.data(), s.size()); }
    int page_ = 0;
};

constexpr TcvExportFilterClass kPlainText = ExportFilterClass<PlainTextFilter>;

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
    RegisterExportFilter(kPlainText, "Testo semplice (*.txt)", "*.txt");
    QTemporaryDir scratch;
    try {
        TcvReport report(nullptr);
        LoadReportOrTemplate(report, in);
        if (!out.empty()) {
            report.ExportTo(kPlainText, out);
            return 0;
        }
        if (!scratch.isValid()) return Fail("Impossibile creare un file temporaneo.");
        const std::filesystem::path file = scratch.filePath("text.txt").toStdString();
        report.ExportTo(kPlainText, file);
        if (!CopyToStdout(file)) return Fail("Impossibile leggere il testo esportato.");
    } catch (const EngineError& e) {
        return Fail(e.Message());
    }
    return 0;
}

}  // namespace tessaly::cli

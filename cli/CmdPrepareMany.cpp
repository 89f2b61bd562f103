// tessaly-cli prepare-many TEMPLATE.cvf [--db SOURCE] --each "SELECT ..." -o DIR [--module NAME]
//                                       [--query NAME=SQL]... [--value NAME=EXPR]... [--title TEXT]
//                                       [--quiet]
// Prepares one report per row of the --each query (run on SOURCE), each written to DIR as the
// row's first field with ".cvp". The row's fields are the query parameters of the module's
// datasets (":customer_id" takes the row's customer_id) while its report is prepared. The name is
// the first field's text with every byte but letters, digits, "-", "_" and an inner "." written
// as %XX: two different keys never share a file, so rows split by key range can be prepared by
// several runs, on several machines, into one folder. Progress goes to stderr (a bar on a
// terminal, a line per report otherwise, nothing with --quiet); stdout ends with
// "reports: N written, M failed". A report that fails is named on stderr with its row and message
// and the others are still written; the exit code is then 1.
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
#include "engine/report/CV_Report.h"
#include "engine/ui/UiStartup.h"
#include "platform/core/Errors.h"
#include "platform/data/DataModule.h"
#include "platform/data/Field.h"
#include "platform/data/SqlValue.h"
#include "platform/data/SqlDataset.h"

namespace fs = std::filesystem;

namespace tessaly::cli {

namespace {

struct ManyArgs {
    PrepareSetup setup;
    std::string each, outDir;
};

// --each SQL, -o DIR.
bool ParseOwnOption(const Args& args, size_t& i, ManyArgs& a) {
    const std::string& o = args[i];
    if (i + 1 >= args.size() || args[i + 1].empty()) return false;
    const std::string& value = args[++i];
    if (o == "--each" && a.each.empty()) a.each = value;
    else if (o == "-o" && a.outDir.empty()) a.outDir = value;
    else return false;
    return true;
}

bool ParseArgs(const Args& args, ManyArgs& a) {
    const bool read = ParseSetupArgs(args, a.setup, [&a](const Args& all, size_t& i) { return ParseOwnOption(all, i, a); });
    return read && !a.setup.source.empty() && !a.each.empty() && !a.outDir.empty();
}

using Row = std::vector<data::SqlParam>;

std::vector<Row> ReadRows(data::DatabaseModule& module, const std::string& sql) {
    std::unique_ptr<data::SqlCursor> cursor = module.GetDatabase().Query(Utf8ToCp1252(sql), {});
    const std::vector<data::FieldDef>& fields = cursor->Fields();
    std::vector<Row> rows;
    for (int r = 0; cursor->MoveTo(r); ++r) {
        Row& row = rows.emplace_back();
        for (size_t c = 0; c < fields.size(); ++c)
            row.push_back({fields[c].name, data::FieldValueOf(fields[c].kind, cursor->Value(int(c)))});
    }
    return rows;
}

// The row's key: its first field's value.
Variant KeyOf(const Row& row) { return row.empty() ? Variant() : row.front().value; }

bool SafeByte(unsigned char c, size_t at) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' || c == '_' ||
           (c == '.' && at > 0);
}

// The report's file name from its key: one name per key, with no folder in it.
fs::path FileNameOf(const Variant& key) {
    const AnsiString text = key.IsNull() || key.IsEmpty() ? AnsiString() : key.AsString();
    if (text.empty()) throw EngineError("il primo campo \xE8 vuoto: il report non ha un nome");
    std::string name;
    for (size_t i = 0; i < text.size(); ++i) {
        const auto c = static_cast<unsigned char>(text[i]);
        char hex[4];
        std::snprintf(hex, sizeof hex, "%%%02X", c);
        name += SafeByte(c, i) ? std::string(1, char(c)) : std::string(hex);
    }
    if (name.size() > 200) throw EngineError("il primo campo \xE8 troppo lungo per un nome di file");
    return fs::path(name + ".cvp");
}

// The row's fields become the queries' parameters; the datasets open again with them.
void BindRow(data::DatabaseModule& module, const Row& row) {
    data::CloseDatasets(module);
    for (int i = 0; i < module.ComponentCount(); ++i)
        if (auto* dataset = dynamic_cast<data::SqlDataset*>(module.Components(i)))
            for (const data::SqlParam& p : row) dataset->SetParam(p.name, p.value);
    data::OpenDatasets(module);
}

class Progress {
public:
    Progress(bool quiet, size_t total) : quiet_(quiet), bar_(!quiet && ::isatty(STDERR_FILENO)), total_(total) {}
    // Ends the bar's line.
    void Finish() {
        if (bar_ && total_ > 0) std::fputs("\n", stderr);
    }
    // A failed report, named on its own line whatever the progress shows.
    void Failed(size_t count, const Variant& key, const AnsiString& message) {
        if (bar_) std::fputs("\n", stderr);
        const AnsiString text = key.IsNull() || key.IsEmpty() ? AnsiString() : key.AsString();
        std::fprintf(stderr, "riga %zu (%s): %s\n", count, Cp1252ToUtf8(text).c_str(), Cp1252ToUtf8(Lines(message)).c_str());
    }
    void Done(size_t count, const fs::path& file) {
        if (quiet_) return;
        if (!bar_) {
            std::fprintf(stderr, "%zu/%zu %s\n", count, total_, file.string().c_str());
            return;
        }
        DrawProgressBar("Report", count, total_);
    }

private:
    bool quiet_, bar_;
    size_t total_;
};

// Prepares and writes one row's report into `dir` (as `file`); its failure's message when it fails.
AnsiString PrepareRow(TcvReport& report, data::DatabaseModule& module, const Row& row, const fs::path& dir,
                      fs::path& file) {
    try {
        file = dir / FileNameOf(KeyOf(row));
        BindRow(module, row);
        if (!report.PrepareReport())
            return report.PreparationErrorText().empty() ? "Preparazione annullata." : report.PreparationErrorText();
        report.SavePreparedReport(file);
        return {};
    } catch (const EngineError& e) {
        return e.Message();
    }
}

int PrepareAll(TcvReport& report, data::DatabaseModule& module, const ManyArgs& a) {
    const std::vector<Row> rows = ReadRows(module, a.each);
    fs::create_directories(fs::path(a.outDir));
    Progress progress(a.setup.quiet, rows.size());
    size_t failed = 0;
    for (size_t i = 0; i < rows.size(); ++i) {
        fs::path file;
        const AnsiString error = PrepareRow(report, module, rows[i], fs::path(a.outDir), file);
        if (error.empty()) {
            progress.Done(i + 1, file);
        } else {
            ++failed;
            progress.Failed(i + 1, KeyOf(rows[i]), error);
        }
    }
    progress.Finish();
    std::printf("reports: %zu written, %zu failed\n", rows.size() - failed, failed);
    return failed > 0 ? kFailed : kDone;
}

int Run(const ManyArgs& a) {
    GuiApp<QApplication> app;  // fonts need it; no window is shown
    EngineWindowUnits units(nullptr);
    try {
        std::unique_ptr<data::DatabaseModule> module = OpenModule(a.setup);
        auto* report = new TcvReport(module.get());  // the module owns it, and frees it before its datasets
        if (!LoadTemplate(*report, a.setup)) return kFailed;
        report->SetShowProgress(false);
        return PrepareAll(*report, *module, a);
    } catch (const EngineError& e) {
        return Fail(e.Message());
    } catch (const fs::filesystem_error& e) {
        return Fail(Utf8ToCp1252(e.what()));
    }
}

}  // namespace

int RunPrepareMany(const Args& args) {
    ManyArgs a;
    if (!ParseArgs(args, a)) return kWrongUsage;
    return Run(a);
}

}  // namespace tessaly::cli

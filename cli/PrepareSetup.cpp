#include "cli/PrepareSetup.h"

#include <filesystem>

#include "cli/TemplateLoad.h"
#include "engine/expr/CV_Values.h"
#include "engine/report/CV_OpenTemplate.h"
#include "engine/report/CV_Report.h"
#include "platform/core/Errors.h"
#include "platform/core/Stream.h"
#include "platform/data/DataModule.h"
#include "platform/data/ModuleRegistry.h"
#include "platform/data/SqlDataset.h"

namespace fs = std::filesystem;

namespace tessaly::cli {

namespace {

bool ParseNamed(const std::string& text, std::vector<NamedText>& list) {
    const size_t eq = text.find('=');
    if (eq == 0 || eq == std::string::npos || eq + 1 == text.size()) return false;
    list.push_back({text.substr(0, eq), text.substr(eq + 1)});
    return true;
}

// A limit of the preparation: a whole number from 1 up.
bool ParseLimit(const std::string& text, int32_t& limit) {
    if (limit != 0 || text.empty() || text.size() > 9 || text.find_first_not_of("0123456789") != std::string::npos)
        return false;
    limit = std::stoi(text);
    return limit > 0;
}

// The first module the template's datasets name; empty for none or a file that cannot be read
// (loading it tells why).
AnsiString TemplateModule(const std::string& templateFile) {
    try {
        const std::vector<AnsiString> names = TemplateModuleNames(fs::path(templateFile));
        return names.empty() ? AnsiString() : names.front();
    } catch (const std::exception&) {
        return {};
    }
}

}  // namespace

OptionRead ReadSetupOption(const Args& args, size_t& i, PrepareSetup& s) {
    const std::string& o = args[i];
    if (o == "--quiet") return s.quiet = true, OptionRead::kTaken;
    const bool shared = o == "--db" || o == "--module" || o == "--query" || o == "--value" || o == "--title" ||
                        o == "--max-pages" || o == "--max-time";
    if (!shared) return OptionRead::kNotShared;
    if (i + 1 >= args.size() || args[i + 1].empty()) return OptionRead::kWrong;
    const std::string& value = args[++i];
    bool ok = true;
    if (o == "--db") ok = s.source.empty(), s.source = value;
    else if (o == "--module") ok = !s.moduleGiven, s.module = value, s.moduleGiven = true;
    else if (o == "--query") ok = ParseNamed(value, s.queries);
    else if (o == "--value") ok = ParseNamed(value, s.values);
    else if (o == "--max-pages") ok = ParseLimit(value, s.maxPages);
    else if (o == "--max-time") ok = ParseLimit(value, s.maxMs);
    else ok = !s.titleGiven, s.title = value, s.titleGiven = true;
    return ok ? OptionRead::kTaken : OptionRead::kWrong;
}

bool ParseSetupArgs(const Args& args, PrepareSetup& s, const std::function<bool(const Args& args, size_t& i)>& own) {
    for (size_t i = 0; i < args.size(); ++i) {
        if (args[i].starts_with("-")) {
            const OptionRead shared = ReadSetupOption(args, i, s);
            if (shared == OptionRead::kWrong || (shared == OptionRead::kNotShared && !own(args, i))) return false;
        } else if (s.templateFile.empty() && !args[i].empty()) {
            s.templateFile = args[i];
        } else {
            return false;
        }
    }
    return CompleteSetup(s);
}

bool CompleteSetup(PrepareSetup& s) {
    if (s.templateFile.empty()) return false;
    if (s.source.empty() && IsTemplateFile(s.templateFile)) {
        const fs::path companion = CompanionDatabase(s.templateFile);
        const AnsiString module = TemplateModule(s.templateFile);
        std::error_code ec;
        if (!module.empty() && fs::is_regular_file(companion, ec)) {
            s.source = companion.string();
            if (!s.moduleGiven) s.module = Cp1252ToUtf8(module);
        }
    }
    return !s.source.empty() || (!s.moduleGiven && s.queries.empty());
}

std::unique_ptr<data::DatabaseModule> OpenModule(const PrepareSetup& s) {
    auto db = data::Database::Open(s.source);
    auto module = std::make_unique<data::DatabaseModule>(db, nullptr);
    module->SetName(Utf8ToCp1252(s.module));
    for (const NamedText& q : s.queries) {
        auto* dataset = new data::SqlDataset(db, module.get());  // owned by the module
        dataset->SetName(Utf8ToCp1252(q.name));
        dataset->SetSql(Utf8ToCp1252(q.text));
    }
    data::ApplicationModules().AddDataModule(*module);
    data::OpenDatasets(*module);
    return module;
}

bool LoadTemplate(TcvReport& report, const PrepareSetup& s) {
    if (!LoadTemplateFile(report, s.templateFile)) return false;
    for (const NamedText& v : s.values) report.Values().SetExpression(Utf8ToCp1252(v.name), Utf8ToCp1252(v.text));
    if (s.titleGiven) report.SetTitle(Utf8ToCp1252(s.title));
    report.MaxPages = s.maxPages;
    report.MaxPreparationMs = s.maxMs;
    return true;
}

void LoadReportOrTemplate(TcvReport& report, const std::string& file) {
    if (!IsTemplateFile(file)) return report.LoadPreparedReport(file);
    StderrMessages messages;
    const fs::path companion = CompanionDatabase(file);
    std::error_code ec;
    const bool embedded = !TemplateModule(file).empty() && fs::is_regular_file(companion, ec);
    report.SetShowProgress(false);
    try {
        if (!PrepareTemplateInto(report, file, embedded ? companion.string() : std::string()))
            throw EngineError("Preparazione annullata.");
    } catch (const EAbort&) {
        throw EngineError("Il modello " + PathForMessage(file) + " non \xE8 stato caricato.");
    } catch (const EngineError& e) {
        throw EngineError(Lines(e.Message()));
    }
}

std::string Lines(AnsiString text) {
    for (char& c : text)
        if (c == '\r') c = '\n';
    return text;
}

}  // namespace tessaly::cli

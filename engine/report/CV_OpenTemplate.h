#pragma once
// Opening a template (".cvf") as a viewer opens a prepared report: the data modules its datasets
// name are made over one database (by default the embedded one beside it, of the same name with
// ".sqlite"), and it is prepared at once.
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "platform/core/Cp1252.h"

namespace tessaly {

namespace data {
class DatabaseModule;
}
class TcvReport;

// A file name ending in ".cvf" (in any case), or a file that holds a template's JSON form.
bool IsTemplateFile(const std::filesystem::path& file);
// The embedded database beside a template: its name with ".sqlite" for ".cvf" (or ".json").
std::filesystem::path CompanionDatabase(const std::filesystem::path& templateFile);
// The names of the data modules that the template's datasets refer to ("Dati" of "Dati.righe"),
// each once, in their order. Raises for a file that cannot be read or a JSON form with a mistake.
std::vector<AnsiString> TemplateModuleNames(const std::filesystem::path& templateFile);
// The "Module.Component" references of the template's database datasets, in their order.
std::vector<AnsiString> TemplateDatasetReferences(const std::filesystem::path& templateFile);

// A template loaded over its data modules, which it owns with the report (freed first).
class TemplateSession {
public:
    // `database` (UTF-8: a SQLite file or a PostgreSQL URI) is opened once and each module of
    // `moduleNames` made over it and known to the application by name; without a database no
    // module is made. The template is not loaded yet.
    TemplateSession(const std::string& database, const std::vector<AnsiString>& moduleNames);
    ~TemplateSession();
    TemplateSession(const TemplateSession&) = delete;
    TemplateSession& operator=(const TemplateSession&) = delete;

    TcvReport& Report() { return *report_; }
    // The first module; nullptr without a database.
    data::DatabaseModule* Module() const { return modules_.empty() ? nullptr : modules_.front().get(); }

private:
    std::vector<std::unique_ptr<data::DatabaseModule>> modules_;
    std::unique_ptr<TcvReport> ownReport_;  // without a module to own the report
    TcvReport* report_ = nullptr;
};

// Loads and prepares `templateFile` over `database` (empty when the template names no module)
// and puts the prepared pages into `target`. `target` keeps its pages when anything fails: a load
// that failed (its messages shown) raises EAbort, a preparation error raises its composed text.
// False, changing nothing, when the preparation was cancelled.
bool PrepareTemplateInto(TcvReport& target, const std::filesystem::path& templateFile, const std::string& database);

}  // namespace tessaly

#pragma once
// What `prepare` and `prepare-many` share: the options that choose the data and the template's
// values, the data module made from them, and loading the template with its messages on stderr.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "cli/Commands.h"
#include "platform/core/Cp1252.h"

namespace tessaly {
class TcvReport;
namespace data {
class DatabaseModule;
}
}  // namespace tessaly

namespace tessaly::cli {

struct NamedText {
    std::string name, text;  // UTF-8
};

struct PrepareSetup {
    std::string templateFile;
    std::string source;
    std::string module = "Dati";
    bool moduleGiven = false;
    std::vector<NamedText> queries;  // --query NAME=SQL
    std::vector<NamedText> values;   // --value NAME=EXPR
    std::string title;
    bool titleGiven = false;
    int32_t maxPages = 0;  // --max-pages N, 0: no limit
    int32_t maxMs = 0;     // --max-time MS, 0: no limit
    bool quiet = false;
};

enum class OptionRead { kTaken, kNotShared, kWrong };

// Reads the shared option at args[i] (--db, --module, --query, --value, --title, --max-pages,
// --max-time, --quiet), moving
// i past its value.
OptionRead ReadSetupOption(const Args& args, size_t& i, PrepareSetup& s);
// Reads a command's arguments: one template (not starting with "-"), the shared options, and the
// command's own options through `own` (false for wrong usage), then completes the setup
// (CompleteSetup). False for wrong usage.
bool ParseSetupArgs(const Args& args, PrepareSetup& s, const std::function<bool(const Args& args, size_t& i)>& own);
// After the options: false for a module or queries without a database. Without --db, a template
// whose datasets name a module is prepared over its embedded database (the same name with
// ".sqlite") when there is one, as a module of the name the template gives it (unless --module).
bool CompleteSetup(PrepareSetup& s);

// The database's data module, with a dataset for each query, known to the application by name.
std::unique_ptr<data::DatabaseModule> OpenModule(const PrepareSetup& s);
// Loads the template (its messages on stderr) and gives it the --value values, the --title and the
// limits of --max-pages and --max-time:
// false, after the messages, when it did not load.
bool LoadTemplate(TcvReport& report, const PrepareSetup& s);

// For the commands that read a prepared report: a template (".cvf") is prepared instead, over its
// embedded database (its name with ".sqlite") when its datasets name a module, its messages on
// stderr; a template that does not load or prepare raises. Anything else is loaded as a prepared
// report.
void LoadReportOrTemplate(TcvReport& report, const std::string& file);

// A composed message with one line per part.
std::string Lines(AnsiString text);

}  // namespace tessaly::cli

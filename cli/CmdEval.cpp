// tessaly-cli eval [--db SOURCE [--module NAME]] EXPR: evaluates an expression through a report's
// names and prints the kind and text of its value ("integer 3", "string abc", ...). With --db, a
// data module NAME (default "Dati") holds one dataset per table and view of SOURCE (a SQLite file
// or a PostgreSQL URI), each open at its first record; the report belongs to the module, so
// "Dati.righe.prezzo" and "righe.prezzo" name a field, and the first table in name order feeds
// the master data band, whose fields answer unqualified names ("prezzo") and which is the current
// band (LINE# is 1). A failure prints the
// most specific message: a function's own ("Tipi di parametri errati nella funzione: VAL ('abc')").
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "cli/Commands.h"
#include "engine/report/CV_Report.h"
#include "engine/report/CV_Startup.h"
#include "platform/core/Cp1252.h"
#include "platform/core/Errors.h"
#include "platform/data/DataModule.h"
#include "platform/data/Dataset.h"
#include "platform/data/ModuleRegistry.h"
#include "platform/text/DateFormat.h"
#include "platform/text/NumberFormat.h"

namespace tessaly::cli {

namespace {

// Machine-readable numbers: "." as decimal point, ISO dates.
FormatSettings PlainSettings() {
    FormatSettings fs = FormatSettings::Italian();
    fs.DecimalSeparator = '.';
    fs.TimeSeparator = ':';
    return fs;
}

std::string Describe(const Variant& v) {
    const FormatSettings plain = PlainSettings();
    switch (v.Type()) {
        case VarType::Empty: return "empty";
        case VarType::Null: return "null";
        case VarType::Byte:
        case VarType::Integer: return "integer " + std::to_string(v.IntegerValue());
        case VarType::Double: return "double " + FormatGeneral(v.DoubleValue(), plain);
        case VarType::Currency: return "currency " + FormatGeneral(v.CurrencyValue(), plain);
        case VarType::Date:
            try {
                return "date-time " + FormatDateTime("yyyy\"-\"mm\"-\"dd hh:nn:ss", v.DoubleValue(), plain);
            } catch (const EngineError&) {
                return "date-time " + FormatGeneral(v.DoubleValue(), plain);  // outside the calendar
            }
        case VarType::String: return "string " + Cp1252ToUtf8(v.StringValue());
        case VarType::Boolean: return v.BooleanValue() ? "boolean true" : "boolean false";
    }
    return "?";
}

struct EvalArgs {
    std::string source;
    std::string module = "Dati";
    bool db = false;
    std::string text;  // UTF-8
};

// Options first, then the words of the expression (joined by blanks).
bool ParseArgs(const Args& args, EvalArgs& out) {
    size_t i = 0;
    bool moduleGiven = false;
    for (; i + 1 < args.size() && (args[i] == "--db" || args[i] == "--module"); i += 2) {
        if (args[i] == "--db" && !out.db) out.source = args[i + 1], out.db = true;
        else if (args[i] == "--module" && !moduleGiven) out.module = args[i + 1], moduleGiven = true;
        else return false;
    }
    if (i == args.size()) return false;
    for (const size_t first = i; i < args.size(); ++i) out.text += (i == first ? "" : " ") + args[i];
    if (out.db && out.source.empty()) return false;
    return (out.db || !moduleGiven) && !out.module.empty();
}

// The database's data module, registered with the application, every dataset open.
std::unique_ptr<data::DatabaseModule> OpenModule(const EvalArgs& a) {
    auto module = std::make_unique<data::DatabaseModule>(data::Database::Open(a.source), nullptr);
    module->SetName(Utf8ToCp1252(a.module));
    data::ApplicationModules().AddDataModule(*module);
    data::OpenDatasets(*module);
    return module;
}

Variant Evaluate(const EvalArgs& a) {
    std::unique_ptr<data::DatabaseModule> module;
    if (a.db) module = OpenModule(a);
    data::Dataset* first = module && module->ComponentCount() > 0 ? dynamic_cast<data::Dataset*>(module->Components(0)) : nullptr;
    // The module owns a report made for it (and frees it before the datasets).
    std::unique_ptr<TcvReport> own = module ? nullptr : std::make_unique<TcvReport>(nullptr);
    TcvReport* report = module ? new TcvReport(module.get()) : own.get();
    Variant value;
    report->EvaluateOver(first, Utf8ToCp1252(a.text), value);
    return value;
}

}  // namespace

int RunEval(const Args& args) {
    EvalArgs a;
    if (!ParseArgs(args, a)) return kWrongUsage;
    EngineUnits units(nullptr);
    Variant value;
    try {
        value = Evaluate(a);
    } catch (const EngineError& e) {
        return Fail(e.Message());
    }
    std::printf("%s\n", Describe(value).c_str());
    return 0;
}

}  // namespace tessaly::cli

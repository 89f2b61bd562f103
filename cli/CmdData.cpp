// tessaly-cli data SOURCE [TABLE | --sql "SELECT ..."] [--first N]: what a report can read from a
// database. SOURCE is a SQLite file or a PostgreSQL URI (postgresql://USER@/DBNAME?host=/SOCKET/DIR,
// or with host and port). Without TABLE or --sql, one line per table and view, sorted by name:
//   table NAME | view NAME
// With one of them, its fields and its first N records (5 by default):
//   fields: K
//   field I: NAME KIND          (I from 1; KIND as FieldKindName gives it)
//   records: N
//   record I: V1<TAB>V2...     (values as the engine turns them into text, Italian conventions;
//                                NULL for null, "(blob B bytes)" for a large object)
// Tabs and line breaks inside a value are written \t, \r, \n so that a record stays one line.
// A failure prints the database's message on stderr and nothing on stdout.
#include <cstdio>
#include <string>
#include <vector>

#include "cli/Commands.h"
#include "cli/OneLine.h"
#include "platform/core/Cp1252.h"
#include "platform/core/Errors.h"
#include "platform/data/SqlDataset.h"
#include "platform/text/FormatSettings.h"
#include "platform/text/NumberFormat.h"

namespace tessaly::cli {

namespace {

struct DataArgs {
    std::string source;
    std::string table;  // UTF-8
    std::string sql;
    bool query = false;
    int first = 5;
};

// A whole number from 0 up.
bool ParseCount(const std::string& text, int& value) {
    if (text.empty() || text.size() > 9 || text.find_first_not_of("0123456789") != std::string::npos) return false;
    value = std::stoi(text);
    return true;
}

bool ParseArgs(const std::vector<std::string>& args, DataArgs& out) {
    std::vector<std::string> positional;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        const bool hasValue = i + 1 < args.size();
        if (a == "--sql" && hasValue && !out.query) {
            out.sql = args[++i];
            out.query = true;
        } else if (a == "--first" && hasValue) {
            if (!ParseCount(args[++i], out.first)) return false;
        } else if (a.starts_with("--")) {
            return false;
        } else {
            positional.push_back(a);
        }
    }
    if (positional.empty() || positional.size() > (out.query ? 1u : 2u) || positional[0].empty()) return false;
    out.source = positional[0];
    if (positional.size() == 2) out.table = positional[1];
    return !(out.query && out.sql.empty());
}

std::string ValueText(const data::Field& field) {
    const Variant value = field.Value();
    if (value.IsNull()) return "NULL";
    if (data::IsLargeObject(field.Kind()))
        return "(blob " + std::to_string(field.OpenRead()->Size()) + " bytes)";
    try {
        return OneLine(value.AsString());
    } catch (const EngineError&) {
        return FormatGeneral(value.AsDouble());  // a date-time beyond the calendar
    }
}

std::string TablesText(data::Database& db) {
    std::string out;
    for (const auto& t : db.Tables()) out += (t.view ? "view " : "table ") + t.name + "\n";
    return out;
}

std::string RecordsText(data::Dataset& ds, int first) {
    std::string out = "fields: " + std::to_string(ds.FieldCount()) + "\n";
    for (int i = 0; i < ds.FieldCount(); ++i)
        out += "field " + std::to_string(i + 1) + ": " + ds.Fields(i).Name() + " " +
               data::FieldKindName(ds.Fields(i).Kind()) + "\n";
    out += "records: " + std::to_string(ds.RecordCount()) + "\n";
    for (int r = 1; r <= first && !ds.Eof(); ++r, ds.Next()) {
        out += "record " + std::to_string(r) + ":";
        for (int i = 0; i < ds.FieldCount(); ++i) out += (i ? "\t" : " ") + ValueText(ds.Fields(i));
        out += "\n";
    }
    return out;
}

}  // namespace

int RunData(const Args& args) {
    DataArgs a;
    if (!ParseArgs(args, a)) return kWrongUsage;
    FormatSettingsScope italian(FormatSettings::Italian());
    std::string out;  // cp1252, printed only when everything was read
    try {
        auto db = data::Database::Open(a.source);
        if (a.table.empty() && !a.query) {
            out = TablesText(*db);
        } else {
            data::SqlDataset ds(db, nullptr);
            if (a.query) ds.SetSql(Utf8ToCp1252(a.sql));
            else ds.SetTableName(Utf8ToCp1252(a.table));
            ds.Open();
            out = RecordsText(ds, a.first);
        }
    } catch (const EngineError& e) {
        return Fail(e.Message());
    }
    std::fputs(Cp1252ToUtf8(out).c_str(), stdout);
    return 0;
}

}  // namespace tessaly::cli

#include "platform/data/Database.h"

#include <algorithm>

#include "platform/data/PgDatabase.h"
#include "platform/data/SqliteDatabase.h"

namespace tessaly::data {

std::shared_ptr<Database> Database::Open(const std::string& source) {
    if (IsPostgresUri(source)) return std::make_shared<PgDatabase>(source);
    return std::make_shared<SqliteDatabase>(source);
}

AnsiString Database::QuoteName(const AnsiString& name) {
    AnsiString quoted = "\"";
    for (char c : name) {
        quoted += c;
        if (c == '"') quoted += c;
    }
    return quoted + "\"";
}

void Database::SortTables(std::vector<Table>& tables) {
    std::sort(tables.begin(), tables.end(), [](const Table& a, const Table& b) { return a.name < b.name; });
}

}  // namespace tessaly::data

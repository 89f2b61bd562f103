#include "platform/data/SqliteDatabase.h"

#include <sqlite3.h>

#include "platform/data/Dataset.h"
#include "platform/data/SqliteStatement.h"

namespace tessaly::data {

SqliteDatabase::SqliteDatabase(const std::string& path) {
    // One thread at a time uses a connection, so SQLite need not lock it for every call.
    const int rc = sqlite3_open_v2(path.c_str(), &db_, SQLITE_OPEN_READONLY | SQLITE_OPEN_NOMUTEX, nullptr);
    try {
        if (rc != SQLITE_OK) throw EDatabaseError(Utf8ToCp1252(db_ ? sqlite3_errmsg(db_) : sqlite3_errstr(rc)));
        sqlite3_busy_timeout(db_, 5000);  // a writer may hold the file for a moment
        // SQLite reads the file only when it must: a file that is no database fails here.
        SqliteStatement check(db_, "SELECT COUNT(*) FROM sqlite_master", {});
        check.Step();
    } catch (...) {
        sqlite3_close(db_);
        throw;
    }
}

SqliteDatabase::~SqliteDatabase() { sqlite3_close(db_); }

std::vector<Database::Table> SqliteDatabase::Tables() {
    SqliteStatement list(db_,
                         "SELECT name, type FROM sqlite_master WHERE type IN ('table', 'view') "
                         "AND name NOT LIKE 'sqlite!_%' ESCAPE '!'",
                         {});
    std::vector<Table> tables;
    while (list.Step()) {
        const auto* name = reinterpret_cast<const char*>(sqlite3_column_text(list.Handle(), 0));
        const auto* type = reinterpret_cast<const char*>(sqlite3_column_text(list.Handle(), 1));
        tables.push_back({Utf8ToCp1252(name ? name : ""), type && std::string_view(type) == "view"});
    }
    SortTables(tables);
    return tables;
}

std::unique_ptr<SqlCursor> SqliteDatabase::Query(const AnsiString& sql, const std::vector<SqlParam>& params) {
    return std::make_unique<SqliteCursor>(db_, Cp1252ToUtf8(sql), params);
}

}  // namespace tessaly::data

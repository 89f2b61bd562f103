#pragma once
// SQLite files for tests, made with the SQLite library (the data layer itself only reads).
#include <sqlite3.h>

#include <filesystem>
#include <stdexcept>
#include <string>

namespace tessaly::testing {

// Runs SQL statements (UTF-8) on a database file, creating it when missing.
inline void RunSqlite(const std::filesystem::path& file, const std::string& sql) {
    sqlite3* db = nullptr;
    if (sqlite3_open(file.c_str(), &db) != SQLITE_OK) {
        sqlite3_close(db);
        throw std::runtime_error("cannot open " + file.string());
    }
    char* error = nullptr;
    const int rc = sqlite3_exec(db, sql.c_str(), nullptr, nullptr, &error);
    const std::string message = error ? error : "";
    sqlite3_free(error);
    sqlite3_close(db);
    if (rc != SQLITE_OK) throw std::runtime_error(message + " in: " + sql);
}

}  // namespace tessaly::testing

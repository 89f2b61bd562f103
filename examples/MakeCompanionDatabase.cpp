// Makes an example template's embedded database: the demo database copied beside the template,
// with the template's queries in its table report_queries (the build runs it for every example):
//   make_companion_database DEMO.sqlite OUT.sqlite [QUERIES.sql]
// QUERIES.sql holds the queries, each opened by a line "-- query: NAME"; the other lines that
// begin with "--" are comments, kept out of the stored text.
#include <sqlite3.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "platform/data/DataModule.h"

namespace fs = std::filesystem;

namespace {

using Queries = std::vector<std::pair<std::string, std::string>>;

constexpr char kQueryHeader[] = "-- query: ";

bool IsComment(const std::string& line) {
    const size_t first = line.find_first_not_of(" \t");
    return first != std::string::npos && line.compare(first, 2, "--") == 0;
}

Queries ReadQueries(const fs::path& file) {
    std::ifstream in(file);
    if (!in) throw std::runtime_error("cannot read " + file.string());
    Queries queries;
    for (std::string line; std::getline(in, line);) {
        if (line.rfind(kQueryHeader, 0) == 0)
            queries.emplace_back(line.substr(sizeof kQueryHeader - 1), std::string());
        else if (!queries.empty() && !IsComment(line) && line.find_first_not_of(" \t\r") != std::string::npos)
            queries.back().second += (queries.back().second.empty() ? "" : "\n") + line;
    }
    return queries;
}

void Check(int rc, sqlite3* db) {
    if (rc != SQLITE_OK && rc != SQLITE_DONE) throw std::runtime_error(sqlite3_errmsg(db));
}

void StoreQueries(sqlite3* db, const Queries& queries) {
    const std::string create = std::string("CREATE TABLE ") + tessaly::data::kQueriesTable +
                               " (name TEXT PRIMARY KEY, sql TEXT NOT NULL)";
    Check(sqlite3_exec(db, create.c_str(), nullptr, nullptr, nullptr), db);
    const std::string insert = std::string("INSERT INTO ") + tessaly::data::kQueriesTable + " VALUES (?, ?)";
    for (const auto& [name, sql] : queries) {
        sqlite3_stmt* statement = nullptr;
        Check(sqlite3_prepare_v2(db, insert.c_str(), -1, &statement, nullptr), db);
        sqlite3_bind_text(statement, 1, name.c_str(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_text(statement, 2, sql.c_str(), -1, SQLITE_TRANSIENT);
        const int rc = sqlite3_step(statement);
        sqlite3_finalize(statement);
        Check(rc, db);
    }
}

void MakeCompanion(const fs::path& demo, const fs::path& database, const Queries& queries) {
    fs::copy_file(demo, database, fs::copy_options::overwrite_existing);
    sqlite3* db = nullptr;
    const int rc = sqlite3_open(database.string().c_str(), &db);
    try {
        Check(rc, db);
        StoreQueries(db, queries);
    } catch (...) {
        sqlite3_close(db);
        fs::remove(database);
        throw;
    }
    sqlite3_close(db);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3 || argc > 4) {
        std::fprintf(stderr, "usage: make_companion_database DEMO.sqlite OUT.sqlite [QUERIES.sql]\n");
        return 2;
    }
    try {
        MakeCompanion(argv[1], argv[2], argc == 4 ? ReadQueries(argv[3]) : Queries());
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
    return 0;
}

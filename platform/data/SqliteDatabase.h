#pragma once
// The SQLite back end, on the SQLite library itself: a dataset walks a table several times faster
// than through QtSql's driver, which turns every value of every record into a QVariant. The file
// is opened read-only.
#include <memory>
#include <string>

#include "platform/data/Database.h"

struct sqlite3;

namespace tessaly::data {

class SqliteDatabase : public Database {
public:
    // EDatabaseError with SQLite's message when the file is missing or is no database.
    explicit SqliteDatabase(const std::string& path);
    ~SqliteDatabase() override;

    std::vector<Table> Tables() override;
    std::unique_ptr<SqlCursor> Query(const AnsiString& sql, const std::vector<SqlParam>& params) override;

private:
    sqlite3* db_ = nullptr;
};

}  // namespace tessaly::data

#pragma once
// A prepared SQLite statement with its parameters bound, and the cursor that walks its records.
#include <sqlite3.h>

#include <memory>
#include <string>
#include <vector>

#include "platform/data/Database.h"

namespace tessaly::data {

// Owns one prepared statement.
class SqliteStatement {
public:
    // Prepares one statement (UTF-8) and binds its ":name" parameters; EDatabaseError with SQLite's
    // message, or when the text holds more than one statement.
    SqliteStatement(sqlite3* db, const std::string& sql, const std::vector<SqlParam>& params);
    ~SqliteStatement();
    SqliteStatement(const SqliteStatement&) = delete;
    SqliteStatement& operator=(const SqliteStatement&) = delete;

    sqlite3_stmt* Handle() const { return stmt_; }
    // true for a record, false at the end; EDatabaseError with SQLite's message.
    bool Step();
    void Reset() { sqlite3_reset(stmt_); }

private:
    void Bind(const std::vector<SqlParam>& params);
    void BindValue(int index, const Variant& value);
    [[noreturn]] void Fail() const;

    sqlite3* db_;
    sqlite3_stmt* stmt_ = nullptr;
};

// Walks forward through the statement and keeps the last records read (at least two: a report's
// footer steps back one record and forward again), so that short steps back cost nothing; a
// longer one runs the statement again from the start.
class SqliteCursor : public SqlCursor {
public:
    SqliteCursor(sqlite3* db, std::string sql, std::vector<SqlParam> params);

    bool MoveTo(int index) override;
    int Count() override;
    SqlValue Value(int column) const override;

private:
    void ReadFields();
    void KindsFromValues(std::vector<int> columns);
    bool ReadNext();
    void ReadRecord(SqlRow& row);
    void DropOldest();
    void Restart();
    static constexpr size_t kWindowRows = 64;  // a power of two: ring positions are masked
    size_t SlotOf(int index) const { return (start_ + index - first_) & (kWindowRows - 1); }

    sqlite3* db_;
    std::string sql_;  // UTF-8
    std::vector<SqlParam> params_;
    SqliteStatement statement_;
    // The records read last, first_ to first_ + held_ - 1, in a ring of rows whose memory is used
    // again; record first_ is at window_[start_].
    std::vector<SqlRow> window_;
    size_t start_ = 0;
    int held_ = 0;
    size_t heldBytes_ = 0;
    int first_ = 0;
    int current_ = -1;
    bool atEnd_ = false;  // the statement has given its last record
    int count_ = -1;
};

}  // namespace tessaly::data

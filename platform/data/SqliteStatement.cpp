#include "platform/data/SqliteStatement.h"

#include <climits>

#include "platform/data/Dataset.h"
#include "platform/data/IsoDateTime.h"

namespace tessaly::data {

namespace {

constexpr size_t kWindowBytes = 8 << 20;

[[noreturn]] void Throw(sqlite3* db) { throw EDatabaseError(Utf8ToCp1252(sqlite3_errmsg(db))); }

// Prepares the first statement of `sql`; `tail` gets what follows it.
sqlite3_stmt* Prepare(sqlite3* db, std::string_view sql, std::string_view& tail) {
    sqlite3_stmt* stmt = nullptr;
    const char* end = nullptr;
    if (sqlite3_prepare_v2(db, sql.data(), static_cast<int>(sql.size()), &stmt, &end) != SQLITE_OK) Throw(db);
    tail = sql.substr(end - sql.data());
    return stmt;
}

// SQL that counts the records of a query.
std::string CountingSql(std::string sql) {
    while (!sql.empty() && (sql.back() == ';' || static_cast<unsigned char>(sql.back()) <= ' ')) sql.pop_back();
    return "SELECT COUNT(*) FROM (" + sql + "\n)";
}

}  // namespace

// --- SqliteStatement ------------------------------------------------------------------------

SqliteStatement::SqliteStatement(sqlite3* db, const std::string& sql, const std::vector<SqlParam>& params)
    : db_(db) {
    std::string_view tail;
    stmt_ = Prepare(db, sql, tail);
    try {
        if (!stmt_) throw EDatabaseError("La query \xE8 vuota");
        std::string_view rest;
        if (sqlite3_stmt* next = Prepare(db, tail, rest)) {
            sqlite3_finalize(next);
            throw EDatabaseError("La query deve essere una sola istruzione SQL");
        }
        Bind(params);
    } catch (...) {
        sqlite3_finalize(stmt_);
        throw;
    }
}

SqliteStatement::~SqliteStatement() { sqlite3_finalize(stmt_); }

void SqliteStatement::Fail() const { Throw(db_); }

bool SqliteStatement::Step() {
    const int rc = sqlite3_step(stmt_);
    if (rc == SQLITE_ROW) return true;
    if (rc == SQLITE_DONE) return false;
    Fail();
}

void SqliteStatement::Bind(const std::vector<SqlParam>& params) {
    const int count = sqlite3_bind_parameter_count(stmt_);
    for (int i = 1; i <= count; ++i) {
        const char* name = sqlite3_bind_parameter_name(stmt_, i);
        if (!name || !name[0]) continue;  // "?" takes no name
        const std::string plain = Utf8ToCp1252(name + 1);
        for (const SqlParam& p : params)
            if (SameText(p.name, plain)) BindValue(i, p.value);
    }
}

void SqliteStatement::BindValue(int index, const Variant& value) {
    int rc = SQLITE_OK;
    switch (value.Type()) {
        case VarType::Empty:
        case VarType::Null: rc = sqlite3_bind_null(stmt_, index); break;
        case VarType::Byte:
        case VarType::Integer: rc = sqlite3_bind_int(stmt_, index, value.IntegerValue()); break;
        case VarType::Boolean: rc = sqlite3_bind_int(stmt_, index, value.BooleanValue() ? 1 : 0); break;
        case VarType::Double:
        case VarType::Currency: rc = sqlite3_bind_double(stmt_, index, value.AsDouble()); break;
        case VarType::Date: {
            const std::string text = IsoDateTimeText(value.DoubleValue());
            rc = sqlite3_bind_text(stmt_, index, text.data(), static_cast<int>(text.size()), SQLITE_TRANSIENT);
            break;
        }
        case VarType::String: {
            const std::string text = Cp1252ToUtf8(value.StringValue());
            rc = sqlite3_bind_text(stmt_, index, text.data(), static_cast<int>(text.size()), SQLITE_TRANSIENT);
            break;
        }
    }
    if (rc != SQLITE_OK) Fail();
}

// --- SqliteCursor ---------------------------------------------------------------------------

SqliteCursor::SqliteCursor(sqlite3* db, std::string sql, std::vector<SqlParam> params)
    : db_(db), sql_(std::move(sql)), params_(std::move(params)), statement_(db_, sql_, params_),
      window_(kWindowRows) {
    ReadFields();
}

void SqliteCursor::ReadFields() {
    sqlite3_stmt* stmt = statement_.Handle();
    std::vector<int> undeclared;
    for (int c = 0; c < sqlite3_column_count(stmt); ++c) {
        const char* declared = sqlite3_column_decltype(stmt, c);
        FieldKind kind = FieldKind::String;
        if (!declared || !KindOfDeclaredType(declared, kind)) undeclared.push_back(c);
        fields_.push_back({Utf8ToCp1252(sqlite3_column_name(stmt, c)), kind});
    }
    if (!undeclared.empty()) KindsFromValues(std::move(undeclared));
}

// Columns without a known declared type take the kind of their first non-null value (a string
// when they have none); read with a statement of their own, so the walk starts untouched.
void SqliteCursor::KindsFromValues(std::vector<int> columns) {
    SqliteStatement scan(db_, sql_, params_);
    while (!columns.empty() && scan.Step()) {
        std::erase_if(columns, [&](int c) {
            const int type = sqlite3_column_type(scan.Handle(), c);
            if (type == SQLITE_NULL) return false;
            const SqlValue::Type t = type == SQLITE_INTEGER ? SqlValue::Type::Integer
                                     : type == SQLITE_FLOAT ? SqlValue::Type::Float
                                     : type == SQLITE_BLOB  ? SqlValue::Type::Blob
                                                            : SqlValue::Type::Text;
            fields_[c].kind = KindOfValue(t);
            return true;
        });
    }
}

bool SqliteCursor::MoveTo(int index) {
    if (index < 0) return false;
    if (index < first_) Restart();
    while (first_ + held_ <= index)
        if (!ReadNext()) return false;
    current_ = index;
    return true;
}

bool SqliteCursor::ReadNext() {
    if (atEnd_) return false;
    if (!statement_.Step()) {
        atEnd_ = true;
        count_ = first_ + held_;
        return false;
    }
    // Always keep the last two records: a footer steps back one and forward again.
    while (held_ > 2 && (held_ == static_cast<int>(kWindowRows) || heldBytes_ > kWindowBytes)) DropOldest();
    SqlRow& row = window_[SlotOf(first_ + held_)];
    ReadRecord(row);
    heldBytes_ += row.ByteSize();
    ++held_;
    return true;
}

void SqliteCursor::ReadRecord(SqlRow& row) {
    row.Clear();
    sqlite3_stmt* stmt = statement_.Handle();
    for (int c = 0, n = static_cast<int>(fields_.size()); c < n; ++c) {
        // One call per column; the value's own accessors are cheaper than a column call each.
        sqlite3_value* v = sqlite3_column_value(stmt, c);
        switch (sqlite3_value_type(v)) {
            case SQLITE_INTEGER: row.AddInteger(sqlite3_value_int64(v)); break;
            case SQLITE_FLOAT: row.AddFloat(sqlite3_value_double(v)); break;
            case SQLITE_TEXT:
                row.AddText({reinterpret_cast<const char*>(sqlite3_value_text(v)),
                             static_cast<size_t>(sqlite3_value_bytes(v))});
                break;
            case SQLITE_BLOB:
                row.AddBlob({static_cast<const char*>(sqlite3_value_blob(v)),
                             static_cast<size_t>(sqlite3_value_bytes(v))});
                break;
            default: row.AddNull(); break;
        }
    }
}

void SqliteCursor::DropOldest() {
    heldBytes_ -= window_[start_].ByteSize();
    window_[start_].Release();
    start_ = SlotOf(first_ + 1);
    ++first_;
    --held_;
}

void SqliteCursor::Restart() {
    statement_.Reset();
    while (held_ > 0) DropOldest();
    start_ = 0;
    first_ = 0;
    atEnd_ = false;
}

int SqliteCursor::Count() {
    if (count_ >= 0) return count_;
    int64_t n = 0;
    try {
        SqliteStatement counting(db_, CountingSql(sql_), params_);
        if (counting.Step()) n = sqlite3_column_int64(counting.Handle(), 0);
    } catch (const EDatabaseError&) {
        // Not every statement can be counted as a subquery: walk it instead.
        SqliteStatement walk(db_, sql_, params_);
        while (walk.Step()) ++n;
    }
    count_ = static_cast<int>(std::min<int64_t>(n, INT_MAX));
    return count_;
}

SqlValue SqliteCursor::Value(int column) const {
    if (current_ < first_ || current_ >= first_ + held_) return {};
    return window_[SlotOf(current_)].At(column);
}

}  // namespace tessaly::data

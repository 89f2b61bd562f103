#pragma once
// Values as databases give them, before they take the kind of their field, and the kinds of
// columns as their declared types tell them.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/core/Variant.h"
#include "platform/data/Field.h"

namespace tessaly::data {

struct SqlValue {
    enum class Type : uint8_t { Null, Integer, Float, Text, Blob, DateTime };
    Type type = Type::Null;
    int64_t integer = 0;     // Integer
    double number = 0;       // Float; DateTime (days since 1899-12-30)
    std::string_view bytes;  // Text (UTF-8), Blob
};

// The value that a field of `kind` shows (Field::Value):
//   integer       a 64-bit integer as an Integer, or beyond 32 bits as a Double (exact up to 2^53)
//   float         numbers as Doubles
//   currency      numbers, and decimal text exactly, rounded to four decimals (halves to even); a
//                 Double when the amount is beyond the currency range (or is no plain decimal)
//   datetime      ISO 8601 text (IsoDateTime.h), a real number as a Julian day, an integer as Unix
//                 time (the three forms SQLite's date functions read)
//   boolean       numbers (non-zero is true) and the texts true/false, t/f, yes/no, on/off, 1/0
//   large objects the stored bytes as a String; a memo's text in cp1252
//   string        text in cp1252 (characters cp1252 lacks become '?')
// A value that its field's kind cannot take is given as it is stored: a number as an Integer or a
// Double, text as a String, bytes as a String of the bytes.
Variant FieldValueOf(FieldKind kind, const SqlValue& value);

// The kind of a column declared with this type (INTEGER, VARCHAR(20), DOUBLE PRECISION, ...);
// false when the type names no kind.
bool KindOfDeclaredType(std::string_view declared, FieldKind& kind);
// The kind of a column without a declared type, from its first non-null value.
FieldKind KindOfValue(SqlValue::Type type);

// The values of one record, kept in one buffer.
class SqlRow {
public:
    void Clear();  // keeps the memory for the next record
    void Release();  // as Clear, giving back the memory of large values
    void AddNull() { cells_.push_back({SqlValue::Type::Null, {}}); }
    void AddInteger(int64_t v) { cells_.push_back({SqlValue::Type::Integer, {.integer = v}}); }
    void AddFloat(double v) { cells_.push_back({SqlValue::Type::Float, {.number = v}}); }
    void AddDateTime(double v) { cells_.push_back({SqlValue::Type::DateTime, {.number = v}}); }
    void AddText(std::string_view utf8) { AddBytes(SqlValue::Type::Text, utf8); }
    void AddBlob(std::string_view bytes) { AddBytes(SqlValue::Type::Blob, bytes); }

    int Size() const { return static_cast<int>(cells_.size()); }
    // Valid until the row changes; Null for a column it does not have.
    SqlValue At(int column) const;
    size_t ByteSize() const { return bytes_.size() + cells_.size() * sizeof(Cell); }

private:
    struct Cell {
        SqlValue::Type type;
        union {
            int64_t integer;
            double number;
            struct {
                uint32_t offset;  // in bytes_
                uint32_t size;
            } bytes;
        } u;
    };
    void AddBytes(SqlValue::Type type, std::string_view bytes);

    std::vector<Cell> cells_;
    std::string bytes_;
};

}  // namespace tessaly::data

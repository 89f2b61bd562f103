#include "platform/data/SqlValue.h"

#include <charconv>
#include <cstdint>
#include <cmath>
#include <limits>

#include "platform/core/Cp1252.h"
#include "platform/core/Currency.h"
#include "platform/data/Dataset.h"
#include "platform/data/IsoDateTime.h"

namespace tessaly::data {

namespace {

using Type = SqlValue::Type;

constexpr size_t kKeptBytes = 64 << 10;  // a row keeps this much memory for the next record
constexpr int64_t kMaxUnits = std::numeric_limits<int64_t>::max() / Currency::Scale;

Variant IntegerValue(int64_t v) {
    if (v >= std::numeric_limits<int32_t>::min() && v <= std::numeric_limits<int32_t>::max())
        return Variant(static_cast<int32_t>(v));
    return Variant(static_cast<double>(v));
}

Variant TextValue(std::string_view utf8) {
    for (unsigned char c : utf8)
        if (c >= 0x80) return Variant(Utf8ToCp1252(utf8));
    return Variant(utf8);  // ASCII is the same in both
}

// The value as it is stored, whatever its field's kind.
Variant StoredValue(const SqlValue& v) {
    switch (v.type) {
        case Type::Null: return Variant::Null();
        case Type::Integer: return IntegerValue(v.integer);
        case Type::Float: return Variant(v.number);
        case Type::Text: return TextValue(v.bytes);
        case Type::Blob: return Variant(v.bytes);
        case Type::DateTime: return Variant::DateTime(v.number);
    }
    return Variant::Null();
}

// scaled * 10 + digit, false when it would leave the 64-bit range.
bool Shifted(int64_t& scaled, int digit) {
    constexpr int64_t max = std::numeric_limits<int64_t>::max();
    if (scaled > (max - digit) / 10) return false;
    scaled = scaled * 10 + digit;
    return true;
}

// Decimal text ("-12.345", "0.5") to an amount, rounded to four decimals, halves to even.
bool DecimalToCurrency(std::string_view t, Currency& out) {
    size_t pos = 0;
    bool negative = false;
    if (!t.empty() && (t[0] == '-' || t[0] == '+')) {
        negative = t[0] == '-';
        pos = 1;
    }
    int64_t scaled = 0;
    int decimals = -1, digits = 0, firstDropped = -1;
    bool dropped = false;  // digits beyond the first dropped one that are not zero
    for (; pos < t.size(); ++pos) {
        const char c = t[pos];
        if (c == '.' && decimals < 0) {
            decimals = 0;
            continue;
        }
        if (c < '0' || c > '9') return false;
        ++digits;
        if (decimals >= 4) {
            if (firstDropped < 0) firstDropped = c - '0';
            else dropped |= c != '0';
            continue;
        }
        if (decimals >= 0) ++decimals;
        if (!Shifted(scaled, c - '0')) return false;
    }
    if (digits == 0) return false;
    for (int d = decimals < 0 ? 0 : decimals; d < 4; ++d)
        if (!Shifted(scaled, 0)) return false;
    const bool up = firstDropped > 5 || (firstDropped == 5 && (dropped || (scaled & 1)));
    if (up && scaled == std::numeric_limits<int64_t>::max()) return false;
    if (up) ++scaled;
    out = Currency::FromScaled(negative ? -scaled : scaled);
    return true;
}

Variant CurrencyValue(const SqlValue& v) {
    Currency c;
    switch (v.type) {
        case Type::Integer:
            if (v.integer >= -kMaxUnits && v.integer <= kMaxUnits)
                return Variant(Currency::FromScaled(v.integer * Currency::Scale));
            return Variant(static_cast<double>(v.integer));
        case Type::Float:
            return Currency::TryFromDouble(v.number, c) ? Variant(c) : Variant(v.number);
        case Type::Text: {
            if (DecimalToCurrency(v.bytes, c)) return Variant(c);
            double d;
            const char* end = v.bytes.data() + v.bytes.size();
            const auto [stop, error] = std::from_chars(v.bytes.data(), end, d);
            return error == std::errc() && stop == end && std::isfinite(d) ? Variant(d) : StoredValue(v);
        }
        default: return StoredValue(v);
    }
}

Variant DateTimeValue(const SqlValue& v) {
    double dt;
    switch (v.type) {
        case Type::Text: return ParseIsoDateTime(v.bytes, dt) ? Variant::DateTime(dt) : StoredValue(v);
        case Type::Float: return Variant::DateTime(JulianDayToDateTime(v.number));
        case Type::Integer: return Variant::DateTime(UnixTimeToDateTime(static_cast<double>(v.integer)));
        default: return StoredValue(v);
    }
}

Variant BooleanValue(const SqlValue& v) {
    switch (v.type) {
        case Type::Integer: return Variant(v.integer != 0);
        case Type::Float: return Variant(v.number != 0);
        case Type::Text:
            for (const char* t : {"true", "t", "yes", "on", "1"})
                if (SameText(v.bytes, t)) return Variant(true);
            for (const char* f : {"false", "f", "no", "off", "0"})
                if (SameText(v.bytes, f)) return Variant(false);
            return StoredValue(v);
        default: return StoredValue(v);
    }
}

Variant NumberValue(FieldKind kind, const SqlValue& v) {
    if (kind == FieldKind::Float && v.type == Type::Integer) return Variant(static_cast<double>(v.integer));
    return StoredValue(v);
}

Variant LargeObjectValue(FieldKind kind, const SqlValue& v) {
    const bool text = kind == FieldKind::Memo || kind == FieldKind::FmtMemo;
    if (v.type == Type::Text && !text) return Variant(v.bytes);
    return StoredValue(v);
}

}  // namespace

Variant FieldValueOf(FieldKind kind, const SqlValue& value) {
    if (value.type == Type::Null) return Variant::Null();
    switch (kind) {
        case FieldKind::Integer:
        case FieldKind::Float: return NumberValue(kind, value);
        case FieldKind::Currency: return CurrencyValue(value);
        case FieldKind::DateTime: return DateTimeValue(value);
        case FieldKind::Boolean: return BooleanValue(value);
        case FieldKind::String: return StoredValue(value);
        case FieldKind::Blob:
        case FieldKind::Memo:
        case FieldKind::Graphic:
        case FieldKind::FmtMemo: return LargeObjectValue(kind, value);
    }
    return StoredValue(value);
}

bool KindOfDeclaredType(std::string_view declared, FieldKind& kind) {
    // Checked in this order: "DATETIME" is no integer, "FMTMEMO" no plain memo, "CLOB" no blob.
    static const struct {
        const char* part;
        FieldKind kind;
    } table[] = {
        {"BOOL", FieldKind::Boolean},     {"DATE", FieldKind::DateTime},    {"TIME", FieldKind::DateTime},
        {"FMTMEMO", FieldKind::FmtMemo},  {"MEMO", FieldKind::Memo},        {"CLOB", FieldKind::Memo},
        {"GRAPHIC", FieldKind::Graphic},  {"IMAGE", FieldKind::Graphic},    {"INT", FieldKind::Integer},
        {"CHAR", FieldKind::String},      {"TEXT", FieldKind::String},      {"STRING", FieldKind::String},
        {"BLOB", FieldKind::Blob},        {"BYTEA", FieldKind::Blob},       {"BINARY", FieldKind::Blob},
        {"REAL", FieldKind::Float},       {"FLOA", FieldKind::Float},       {"DOUB", FieldKind::Float},
        {"NUMERIC", FieldKind::Currency}, {"DECIMAL", FieldKind::Currency}, {"MONEY", FieldKind::Currency},
    };
    const std::string upper = UpperCase(declared);
    for (const auto& entry : table) {
        if (upper.find(entry.part) != std::string::npos) {
            kind = entry.kind;
            return true;
        }
    }
    return false;
}

FieldKind KindOfValue(SqlValue::Type type) {
    switch (type) {
        case Type::Integer: return FieldKind::Integer;
        case Type::Float: return FieldKind::Float;
        case Type::Blob: return FieldKind::Blob;
        case Type::DateTime: return FieldKind::DateTime;
        default: return FieldKind::String;
    }
}

void SqlRow::Clear() {
    cells_.clear();
    bytes_.clear();
}

void SqlRow::Release() {
    Clear();
    if (bytes_.capacity() > kKeptBytes) std::string().swap(bytes_);
}

void SqlRow::AddBytes(SqlValue::Type type, std::string_view bytes) {
    if (bytes_.size() + bytes.size() > UINT32_MAX) throw EDatabaseError("Record troppo grande");
    Cell cell{type, {}};
    cell.u.bytes = {static_cast<uint32_t>(bytes_.size()), static_cast<uint32_t>(bytes.size())};
    bytes_.append(bytes);
    cells_.push_back(cell);
}

SqlValue SqlRow::At(int column) const {
    if (column < 0 || column >= Size()) return {};
    const Cell& c = cells_[column];
    switch (c.type) {
        case Type::Integer: return {c.type, c.u.integer, 0, {}};
        case Type::Float:
        case Type::DateTime: return {c.type, 0, c.u.number, {}};
        case Type::Text:
        case Type::Blob: return {c.type, 0, 0, std::string_view(bytes_).substr(c.u.bytes.offset, c.u.bytes.size)};
        default: return {};
    }
}

}  // namespace tessaly::data

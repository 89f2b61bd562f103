#include "platform/core/Variant.h"

#include <cmath>

#include "platform/core/Cp1252.h"
#include "platform/core/Errors.h"
#include "platform/core/Rounding.h"
#include "platform/text/DateFormat.h"
#include "platform/text/NumberFormat.h"

namespace tessaly {

const char* VarTypeName(VarType type) {
    switch (type) {
        case VarType::Empty: return "vuoto";
        case VarType::Null: return "nullo";
        case VarType::Byte: return "byte";
        case VarType::Integer: return "intero";
        case VarType::Double: return "reale";
        case VarType::Currency: return "valuta";
        case VarType::Date: return "data e ora";
        case VarType::String: return "stringa";
        case VarType::Boolean: return "logico";
    }
    return "?";
}

Variant::Variant(std::string_view text) : type_(VarType::String) {
    u_.s = text.empty() ? nullptr : new StringRep{1, std::string(text)};
}

Variant::Variant(std::string&& text) : type_(VarType::String) {
    u_.s = text.empty() ? nullptr : new StringRep{1, std::move(text)};
}

namespace {

[[noreturn]] void CannotConvert(VarType from, VarType to) {
    throw EConvertError(std::string("Impossibile convertire ") + VarTypeName(from) + " in " + VarTypeName(to));
}

[[noreturn]] void CurrencyOverflow() { throw EMathError("Valore fuori dall'intervallo della valuta"); }

constexpr double kTwo63 = 9223372036854775808.0;

int64_t DoubleToInt64(double v) {
    double r = std::nearbyint(v);
    if (!(std::fabs(r) < kTwo63)) throw EConvertError("Valore fuori dall'intervallo degli interi");
    return static_cast<int64_t>(r);
}

// Scaled currency to whole units, halves to even.
int64_t CurrencyToInt64(int64_t scaled) {
    int64_t q = scaled / Currency::Scale, r = scaled % Currency::Scale;
    int64_t twice = 2 * (r < 0 ? -r : r);
    if (twice > Currency::Scale || (twice == Currency::Scale && (q & 1))) q += scaled < 0 ? -1 : 1;
    return q;
}

Variant IntegerResult(int64_t v) {
    if (v >= INT32_MIN && v <= INT32_MAX) return Variant(static_cast<int>(v));
    return Variant(static_cast<double>(v));
}

Variant DoubleResult(double v) {
    if (!std::isfinite(v)) throw EMathError("Overflow nel calcolo in virgola mobile");
    return Variant(v);
}

// An operand of the numeric operators, after the conversions of the table in Variant.h.
enum class NumKind { Int, Dbl, Cur, Date };
struct Num {
    NumKind kind;
    int64_t i = 0;  // Int: the value; Cur: the scaled amount
    double d = 0;   // Dbl, Date

    double AsDouble() const {
        switch (kind) {
            case NumKind::Int: return static_cast<double>(i);
            case NumKind::Cur: return static_cast<double>(i) / Currency::Scale;
            default: return d;
        }
    }
    int64_t Scaled() const {
        if (kind == NumKind::Cur) return i;
        if (kind == NumKind::Int) return i * Currency::Scale;  // i is a 32-bit value
        Currency c;
        if (!Currency::TryFromDouble(d, c)) CurrencyOverflow();
        return c.scaled;
    }
    int64_t AsInt64() const {
        switch (kind) {
            case NumKind::Int: return i;
            case NumKind::Cur: return CurrencyToInt64(i);
            default: return DoubleToInt64(d);
        }
    }
};

Num ToNum(const Variant& v, bool facingDate) {
    switch (v.Type()) {
        case VarType::Empty: return {NumKind::Int, 0};
        case VarType::Byte:
        case VarType::Integer: return {NumKind::Int, v.IntegerValue()};
        case VarType::Boolean: return {NumKind::Int, v.BooleanValue() ? 1 : 0};
        case VarType::Double: return {NumKind::Dbl, 0, v.DoubleValue()};
        case VarType::Date: return {NumKind::Date, 0, v.DoubleValue()};
        case VarType::Currency: return {NumKind::Cur, v.CurrencyValue().scaled};
        case VarType::String: {
            double d;
            if (facingDate && !TryTextToNumber(v.StringValue(), d)) return {NumKind::Date, 0, TextToDateTime(v.StringValue())};
            return {NumKind::Dbl, 0, TextToNumber(v.StringValue())};
        }
        case VarType::Null: break;
    }
    CannotConvert(v.Type(), VarType::Double);
}

Variant CurrencyArith(VarOp op, const Num& a, const Num& b) {
    int64_t r;
    if (op == VarOp::Multiply) {
        if (a.kind == NumKind::Cur && b.kind == NumKind::Cur) {
            __int128 p = static_cast<__int128>(a.i) * b.i;
            __int128 q = p / Currency::Scale, rem = p % Currency::Scale;
            __int128 twice = 2 * (rem < 0 ? -rem : rem);
            if (twice > Currency::Scale || (twice == Currency::Scale && (q & 1))) q += p < 0 ? -1 : 1;
            if (q > INT64_MAX || q < -INT64_MAX) CurrencyOverflow();
            return Variant(Currency::FromScaled(static_cast<int64_t>(q)));
        }
        const Num& cur = a.kind == NumKind::Cur ? a : b;
        const Num& other = a.kind == NumKind::Cur ? b : a;
        if (other.kind == NumKind::Int) {
            if (__builtin_mul_overflow(cur.i, other.i, &r)) CurrencyOverflow();
            return Variant(Currency::FromScaled(r));
        }
        long double p = std::nearbyint(static_cast<long double>(cur.i) * other.d);
        if (!(std::fabs(p) < 9223372036854775808.0L)) CurrencyOverflow();
        return Variant(Currency::FromScaled(static_cast<int64_t>(p)));
    }
    int64_t x = a.Scaled(), y = b.Scaled();
    bool overflow = op == VarOp::Add ? __builtin_add_overflow(x, y, &r) : __builtin_sub_overflow(x, y, &r);
    if (overflow || r == INT64_MIN) CurrencyOverflow();
    return Variant(Currency::FromScaled(r));
}

Variant AddSubMul(VarOp op, Num a, Num b) {
    if (op == VarOp::Multiply) {
        if (a.kind == NumKind::Date) a.kind = NumKind::Dbl;
        if (b.kind == NumKind::Date) b.kind = NumKind::Dbl;
    }
    if (a.kind == NumKind::Date || b.kind == NumKind::Date) {
        double x = a.AsDouble(), y = b.AsDouble();
        double r = op == VarOp::Add ? x + y : x - y;
        bool date = op == VarOp::Add || (a.kind == NumKind::Date && b.kind != NumKind::Date);
        Variant v = DoubleResult(r);
        return date ? Variant::DateTime(r) : v;
    }
    if (a.kind == NumKind::Cur || b.kind == NumKind::Cur) return CurrencyArith(op, a, b);
    if (a.kind == NumKind::Dbl || b.kind == NumKind::Dbl) {
        double x = a.AsDouble(), y = b.AsDouble();
        return DoubleResult(op == VarOp::Add ? x + y : op == VarOp::Subtract ? x - y : x * y);
    }
    return IntegerResult(op == VarOp::Add ? a.i + b.i : op == VarOp::Subtract ? a.i - b.i : a.i * b.i);
}

Variant Divide(double x, double y) {
    if (y == 0) throw EZeroDivide();
    return DoubleResult(x / y);
}

bool IsTextLike(const Variant& v) { return v.IsString() || v.IsEmpty(); }

}  // namespace

Variant VarApply(VarOp op, const Variant& a, const Variant& b) {
    // The common cases of expressions first.
    if (a.Type() == VarType::Double && b.Type() == VarType::Double) {
        double x = a.DoubleValue(), y = b.DoubleValue();
        switch (op) {
            case VarOp::Add: return DoubleResult(x + y);
            case VarOp::Subtract: return DoubleResult(x - y);
            case VarOp::Multiply: return DoubleResult(x * y);
            case VarOp::Divide: return Divide(x, y);
            default: break;
        }
    }
    if (a.IsNull() || b.IsNull()) return Variant::Null();
    if (op == VarOp::Add && IsTextLike(a) && IsTextLike(b) && (a.IsString() || b.IsString())) {
        std::string s;
        s.reserve(a.StringValue().size() + b.StringValue().size());
        s.append(a.StringValue()).append(b.StringValue());
        return Variant(std::move(s));
    }
    if ((op == VarOp::And || op == VarOp::Or) && a.IsBoolean() && b.IsBoolean())
        return Variant(op == VarOp::And ? a.BooleanValue() && b.BooleanValue() : a.BooleanValue() || b.BooleanValue());
    const Num x = ToNum(a, b.Type() == VarType::Date), y = ToNum(b, a.Type() == VarType::Date);
    switch (op) {
        case VarOp::Add:
        case VarOp::Subtract:
        case VarOp::Multiply: return AddSubMul(op, x, y);
        case VarOp::Divide: return Divide(x.AsDouble(), y.AsDouble());
        case VarOp::IntDivide:
        case VarOp::Modulo: {
            int64_t p = x.AsInt64(), q = y.AsInt64();
            if (q == 0) throw EZeroDivide();
            return IntegerResult(op == VarOp::IntDivide ? IntDiv(p, q) : IntMod(p, q));
        }
        case VarOp::And: return IntegerResult(x.AsInt64() & y.AsInt64());
        case VarOp::Or: return IntegerResult(x.AsInt64() | y.AsInt64());
    }
    return Variant();
}

int VarCompare(const Variant& a, const Variant& b) {
    if (a.IsNull() || b.IsNull()) return a.IsNull() == b.IsNull() ? 0 : a.IsNull() ? -1 : 1;
    if (IsTextLike(a) && IsTextLike(b) && (a.IsString() || b.IsString())) {
        int c = a.StringValue().compare(b.StringValue());
        return c < 0 ? -1 : c > 0 ? 1 : 0;
    }
    if ((a.IsBoolean() && (b.IsBoolean() || b.IsString())) || (b.IsBoolean() && a.IsString())) {
        bool x = a.AsBoolean(), y = b.AsBoolean();
        return x == y ? 0 : x ? 1 : -1;
    }
    const Num x = ToNum(a, b.Type() == VarType::Date), y = ToNum(b, a.Type() == VarType::Date);
    if (x.kind == NumKind::Int && y.kind == NumKind::Int) return x.i < y.i ? -1 : x.i > y.i ? 1 : 0;
    if ((x.kind == NumKind::Cur || x.kind == NumKind::Int) && (y.kind == NumKind::Cur || y.kind == NumKind::Int)) {
        int64_t p = x.Scaled(), q = y.Scaled();
        return p < q ? -1 : p > q ? 1 : 0;
    }
    double p = x.AsDouble(), q = y.AsDouble();
    if (std::isnan(p) || std::isnan(q)) return std::isnan(p) == std::isnan(q) ? 0 : std::isnan(p) ? -1 : 1;
    return p < q ? -1 : p > q ? 1 : 0;
}

Variant VarPower(const Variant& a, const Variant& b) {
    double x = a.AsDouble(), y = b.AsDouble();
    if (!(x > 0)) throw EMathError("Operazione in virgola mobile non valida");
    return DoubleResult(std::exp(y * std::log(x)));
}

double Variant::AsDouble() const {
    switch (type_) {
        case VarType::Double:
        case VarType::Date: return u_.d;
        case VarType::Byte:
        case VarType::Integer: return u_.i;
        case VarType::Currency: return CurrencyValue().ToDouble();
        case VarType::Boolean: return u_.b ? 1 : 0;
        case VarType::Empty: return 0;
        case VarType::String: return TextToNumber(StringValue());
        case VarType::Null: break;
    }
    CannotConvert(type_, VarType::Double);
}

int64_t Variant::AsInt64() const {
    switch (type_) {
        case VarType::Byte:
        case VarType::Integer: return u_.i;
        case VarType::Currency: return CurrencyToInt64(u_.c);
        case VarType::Boolean: return u_.b ? 1 : 0;
        case VarType::Empty: return 0;
        case VarType::Null: CannotConvert(type_, VarType::Integer);
        default: return DoubleToInt64(AsDouble());
    }
}

int32_t Variant::AsInteger() const {
    if (type_ == VarType::Integer || type_ == VarType::Byte) return u_.i;
    int64_t v = AsInt64();
    if (v < INT32_MIN || v > INT32_MAX) throw EConvertError("Valore fuori dall'intervallo degli interi");
    return static_cast<int32_t>(v);
}

Currency Variant::AsCurrency() const {
    switch (type_) {
        case VarType::Currency: return CurrencyValue();
        case VarType::Byte:
        case VarType::Integer: return Currency::FromScaled(int64_t(u_.i) * Currency::Scale);
        default: return Currency::FromDouble(AsDouble());
    }
}

double Variant::AsDateTime() const {
    if (type_ == VarType::String) {
        double v;
        if (TryTextToNumber(StringValue(), v)) return v;
        return TextToDateTime(StringValue());
    }
    return AsDouble();
}

bool Variant::AsBoolean() const {
    switch (type_) {
        case VarType::Boolean: return u_.b;
        case VarType::Empty: return false;
        case VarType::Null: CannotConvert(type_, VarType::Boolean);
        case VarType::String: {
            std::string_view s = StringValue();
            if (SameText(s, "True") || SameText(s, "Vero")) return true;
            if (SameText(s, "False") || SameText(s, "Falso")) return false;
            double d;
            if (TryTextToNumber(s, d)) return d != 0;
            CannotConvert(type_, VarType::Boolean);
        }
        case VarType::Currency: return u_.c != 0;
        case VarType::Byte:
        case VarType::Integer: return u_.i != 0;
        default: return u_.d != 0;
    }
}

std::string Variant::AsString() const {
    switch (type_) {
        case VarType::Empty:
        case VarType::Null: return {};
        case VarType::String: return std::string(StringValue());
        case VarType::Byte:
        case VarType::Integer: return std::to_string(u_.i);
        case VarType::Double: return FormatGeneral(u_.d);
        case VarType::Currency: return FormatGeneral(CurrencyValue());
        case VarType::Date: return DateTimeToText(u_.d);
        case VarType::Boolean: return u_.b ? "Vero" : "Falso";
    }
    return {};
}

Variant Variant::ConvertTo(VarType type) const {
    if (type == type_) return *this;
    switch (type) {
        case VarType::Empty: return Variant();
        case VarType::Null: CannotConvert(type_, type);
        case VarType::Byte: {
            int32_t v = AsInteger();
            if (v < 0 || v > 255) throw EConvertError("Valore fuori dall'intervallo dei byte");
            return Byte(static_cast<uint8_t>(v));
        }
        case VarType::Integer: return Variant(static_cast<int>(AsInteger()));
        case VarType::Double: return Variant(AsDouble());
        case VarType::Currency: return Variant(AsCurrency());
        case VarType::Date: return DateTime(AsDateTime());
        case VarType::String: return Variant(AsString());
        case VarType::Boolean: return Variant(AsBoolean());
    }
    return Variant();
}

}  // namespace tessaly

#pragma once
// Variant: the tagged value that expressions, fields and named values carry.
//
// Kinds: Empty (nothing assigned), Null, Byte (unsigned 8-bit integer), Integer (signed 32-bit),
// Double, Currency (int64 x 10^-4), Date (double days since 1899-12-30), String (cp1252),
// Boolean. A Variant is 16 bytes; copying a string shares its buffer (reference count), every
// other kind is copied by value.
//
// Conversions (As...; EConvertError "Impossibile convertire <kind> in <kind>" or the text
// parser's message when one cannot be made):
//   to number   Empty 0; Byte, Integer as they are; Boolean true 1, false 0; Double and Date as
//               their value; Currency exact; String by TextToNumber (current locale decimal
//               separator, the whole text must be a number; blanks around it are allowed);
//               Null fails.
//   to integer  as to number, then rounded to the nearest integer, halves to even; outside the
//               32-bit range fails (AsInt64: outside the 64-bit range).
//   to currency as to number, then rounded to four decimals, halves to even; outside the
//               currency range fails.
//   to date     as to number, except a String, which is read as a date-time text (short date
//               format, optional time; or a time alone) and otherwise as a number.
//   to boolean  numbers: non-zero is true; String "True"/"Vero" and "False"/"Falso" in any case,
//               otherwise a number; Empty false; Null fails.
//   to string   Empty and Null give ""; numbers in the general format (up to 15 significant
//               digits, locale decimal separator); Currency up to four decimals; Date as
//               DateTimeToText (short date, then the long time unless it is midnight; a time
//               alone when the day is 0); Boolean "Vero" / "Falso".
//
// Binary operators (VarApply, and the operator functions below):
//   Null        any operand Null makes the result Null (comparisons: see VarCompare).
//   +           String + String (an Empty beside a String counts as "") concatenates.
//   otherwise   each operand becomes a number: Empty 0, Byte/Boolean an Integer, a String
//               facing a Date is read as a number or else as a date-time text, any other String
//               as a number (Double); a String that is no number fails (EConvertError).
//   + - *       Integer op Integer gives Integer; when the exact result leaves the 32-bit range it
//               is given as a Double instead. With a Double (and no Currency or Date) the result
//               is Double. With a Currency the result is Currency, rounded to four decimals,
//               halves to even (EMathError when it leaves the currency range).
//               Date + number, number + Date, Date + Date, Date - number give Date;
//               Date - Date and number - Date give Double (days); * treats a Date as a Double.
//   /           always Double; a zero divisor raises EZeroDivide.
//   div mod     both operands as integers (rounded, 64-bit); div truncates toward zero, mod has
//               the dividend's sign; zero divisor raises EZeroDivide; the result is Integer, or
//               Double when it leaves the 32-bit range.
//   and or      two Booleans give the logical Boolean; otherwise bitwise on the operands as
//               integers (Boolean true is 1), Integer result (Double beyond 32 bits).
//   A Double result that is not finite raises EMathError.
//
// Comparisons (VarCompare gives -1, 0, 1):
//   Null equals Null and is below every other value.
//   String with String (an Empty beside a String counts as ""): byte by byte, shorter first.
//   Boolean with Boolean: false < true. Boolean with String: the String as a Boolean.
//   everything else as numbers (conversions as for the arithmetic operators), exactly: equal
//   numbers are equal whatever their kinds (1 = 1.0 = Currency 1 = Date 1 = true).
#include <atomic>
#include <cstdint>
#include <string>
#include <string_view>

#include "platform/core/Currency.h"

namespace tessaly {

enum class VarType : uint8_t { Empty, Null, Byte, Integer, Double, Currency, Date, String, Boolean };

// Italian name of a kind, for messages ("vuoto", "intero", ...).
const char* VarTypeName(VarType type);

class Variant {
public:
    Variant() noexcept : type_(VarType::Empty) { u_.c = 0; }
    Variant(int value) noexcept : type_(VarType::Integer) { u_.c = 0; u_.i = value; }
    Variant(double value) noexcept : type_(VarType::Double) { u_.d = value; }
    Variant(bool value) noexcept : type_(VarType::Boolean) { u_.c = 0; u_.b = value; }
    Variant(Currency value) noexcept : type_(VarType::Currency) { u_.c = value.scaled; }
    Variant(std::string_view text);
    Variant(const std::string& text) : Variant(std::string_view(text)) {}
    Variant(std::string&& text);
    Variant(const char* text) : Variant(std::string_view(text)) {}
    // Other integer widths must say which kind they mean.
    Variant(long) = delete;
    Variant(long long) = delete;
    Variant(unsigned) = delete;
    Variant(unsigned long) = delete;
    Variant(unsigned long long) = delete;

    static Variant Null() noexcept {
        Variant v;
        v.type_ = VarType::Null;
        return v;
    }
    static Variant Byte(uint8_t value) noexcept {
        Variant v;
        v.type_ = VarType::Byte;
        v.u_.i = value;
        return v;
    }
    static Variant DateTime(double days) noexcept {
        Variant v;
        v.type_ = VarType::Date;
        v.u_.d = days;
        return v;
    }

    Variant(const Variant& other) noexcept : type_(other.type_), u_(other.u_) {
        if (type_ == VarType::String && u_.s) u_.s->refs.fetch_add(1, std::memory_order_relaxed);
    }
    Variant(Variant&& other) noexcept : type_(other.type_), u_(other.u_) { other.type_ = VarType::Empty; }
    Variant& operator=(const Variant& other) noexcept {
        if (this != &other) {
            Variant copy(other);
            Swap(copy);
        }
        return *this;
    }
    Variant& operator=(Variant&& other) noexcept {
        Variant taken(std::move(other));  // leaves `other` Empty, like the move constructor
        Swap(taken);
        return *this;
    }
    ~Variant() {
        if (type_ == VarType::String) Release();
    }
    void Swap(Variant& other) noexcept {
        std::swap(type_, other.type_);
        std::swap(u_, other.u_);
    }
    void Clear() noexcept { *this = Variant(); }

    VarType Type() const { return type_; }
    bool IsEmpty() const { return type_ == VarType::Empty; }
    bool IsNull() const { return type_ == VarType::Null; }
    bool IsString() const { return type_ == VarType::String; }
    bool IsBoolean() const { return type_ == VarType::Boolean; }
    // Byte, Integer, Double, Currency, Date.
    bool IsNumber() const { return type_ >= VarType::Byte && type_ <= VarType::Date; }

    // The stored value of the matching kind, without conversion (the caller checked Type()).
    int32_t IntegerValue() const { return u_.i; }  // Byte and Integer
    double DoubleValue() const { return u_.d; }    // Double and Date
    Currency CurrencyValue() const { return Currency::FromScaled(u_.c); }
    bool BooleanValue() const { return u_.b; }
    std::string_view StringValue() const {  // "" for a kind that is no String
        return type_ == VarType::String && u_.s ? std::string_view(u_.s->text) : std::string_view();
    }

    // Conversions as the table above says; EConvertError when they cannot be made.
    int32_t AsInteger() const;
    int64_t AsInt64() const;
    double AsDouble() const;
    Currency AsCurrency() const;
    double AsDateTime() const;
    bool AsBoolean() const;
    std::string AsString() const;
    // The same value as another kind (Empty and Null only to themselves; any value to Empty).
    Variant ConvertTo(VarType type) const;

private:
    struct StringRep {
        std::atomic<int32_t> refs{1};
        std::string text;
    };
    void Release() noexcept {
        if (u_.s && u_.s->refs.fetch_sub(1, std::memory_order_acq_rel) == 1) delete u_.s;
    }

    VarType type_;
    union Payload {
        int32_t i;
        double d;
        int64_t c;
        bool b;
        StringRep* s;  // nullptr for ""
    } u_;
};

static_assert(sizeof(Variant) == 16);

enum class VarOp : uint8_t { Add, Subtract, Multiply, Divide, IntDivide, Modulo, And, Or };

Variant VarApply(VarOp op, const Variant& a, const Variant& b);
// -1, 0 or 1; EConvertError when the two cannot be compared.
int VarCompare(const Variant& a, const Variant& b);
// Power a ^ b = exp(b * ln a) as a Double; EMathError when a <= 0 or the result is not finite.
Variant VarPower(const Variant& a, const Variant& b);

inline Variant operator+(const Variant& a, const Variant& b) { return VarApply(VarOp::Add, a, b); }
inline Variant operator-(const Variant& a, const Variant& b) { return VarApply(VarOp::Subtract, a, b); }
inline Variant operator*(const Variant& a, const Variant& b) { return VarApply(VarOp::Multiply, a, b); }
inline Variant operator/(const Variant& a, const Variant& b) { return VarApply(VarOp::Divide, a, b); }

}  // namespace tessaly

#pragma once
// The built-in functions of report texts, called by the name resolver with the argument texts as
// written. Each function checks its number of arguments first, then evaluates its arguments (in
// the order it states) through the installed resolver.
#include <string_view>

#include "engine/expr/CV_Expr.h"
#include "platform/core/Cp1252.h"
#include "platform/core/Variant.h"

namespace tessaly {

class TComponent;

// The argument texts of one call and their values.
class TcvFunctionArgs {
public:
    explicit TcvFunctionArgs(const TcvExprArgs& texts) : texts_(texts) {}
    int Count() const { return static_cast<int>(texts_.size()); }
    const AnsiString& Text(int i) const { return texts_[i]; }
    Variant Value(int i) const;
    double Number(int i) const { return Value(i).AsDouble(); }
    int32_t Integer(int i) const { return Value(i).AsInteger(); }
    AnsiString String(int i) const { return Value(i).AsString(); }
    // The texts joined by ",", as messages show them.
    AnsiString Joined() const;

private:
    const TcvExprArgs& texts_;
};

// Computes the built-in function `key` (upper case) into `value`; false when there is no built-in
// function of that name. A wrong number of arguments reports "E' stato inserito un numero di
// parametri errato per la funzione : " + key; a failure while computing reports "Tipi di parametri
// errati nella funzione: " + key + " (" + argument texts + ")"; both leave the value empty. While
// aggregates register, a failure is not reported and gives the integer 0, so that the rest of the
// text still registers its aggregates.
// COUNT(X) looks for the dataset X among the datasets of `owner` (the report's owner) and of the
// application's forms and modules.
bool CallBuiltInFunction(const TComponent* owner, std::string_view key, const TcvExprArgs& args, Variant& value);

// The longest text a function makes (FILLSTR): 1 MB.
inline constexpr size_t MaxFunctionText = 1 << 20;

}  // namespace tessaly

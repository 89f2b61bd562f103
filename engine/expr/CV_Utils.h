#pragma once
// Italian number words and the lira/euro functions of the expression language, as plain
// functions over variants (the resolver calls them with the value of the function's argument).
// Conversions that cannot be made raise EConvertError (or EMathError beyond the currency range).
#include "platform/core/Cp1252.h"
#include "platform/core/Currency.h"
#include "platform/core/Variant.h"

namespace tessaly {

// "duemilatrecentoquarantacinque virgola zero cinque", "meno tre", ...
AnsiString NumberToWords(Currency amount);

// NUMBERTOLETTER: the value as a currency amount (four decimals), in words; a String.
Variant NumberToLetter(const Variant& x);
// MONEY: the value as a currency amount in the locale's currency format, negative amounts as
// symbol, blank, minus sign, amount; a String.
Variant MoneyText(const Variant& x);
// EURO: the euro sign, a blank and the value with thousands separators and two decimals.
Variant EuroText(const Variant& x);
// MONEYTOEURO: the value divided by the rate and rounded to cents, written as EURO writes it.
Variant MoneyToEuroText(const Variant& x);
// EUROTOMONEY: the value times the rate, as a currency amount written as MONEY writes it.
Variant EuroToMoneyText(const Variant& x);
// MONEYTOEUROVAL: the number MONEYTOEURO writes, as a Double.
Variant MoneyToEuroValue(const Variant& x);
// EUROTOMONEYVAL: the variant product of the value and the rate (a Currency for numbers).
Variant EuroToMoneyValue(const Variant& x);

}  // namespace tessaly

#include "engine/expr/CV_Utils.h"

#include <cmath>

#include "engine/expr/CV_Const.h"
#include "platform/core/Rounding.h"
#include "platform/text/FormatSettings.h"
#include "platform/text/NumberFormat.h"

namespace tessaly {

namespace {

// The words of one group of up to three digits; `group` 0 for units, 1 for thousands, ...
std::string GroupWords(std::string_view digits, int group, bool lastGroup) {
    int value = 0;
    for (char d : digits) value = value * 10 + (d - '0');
    if (group >= 1 && value == 1) return NumberGroupWords[group].Singular;
    const int h = value / 100, t = value / 10 % 10, u = value % 10;
    std::string words;
    if (t == 1) {
        words = NumberWords[10 + u];
    } else if (value == 0 && lastGroup) {
        return WordZero;
    } else {
        words = NumberWords[20 + t];
        if ((u == 1 || u == 8) && !words.empty()) words.pop_back();  // ventuno, trentotto
        words += NumberWords[u];
    }
    if (h == 1) words.insert(0, WordHundred);
    if (h >= 2) words.insert(0, std::string(NumberWords[h]) + WordHundred);
    if (group >= 1 && value != 0) words += NumberGroupWords[group].Plural;
    return words;
}

std::string IntegerWords(std::string digits) {
    std::string words;
    for (int group = 0; !digits.empty(); ++group) {
        const size_t take = std::min<size_t>(3, digits.size());
        std::string part = digits.substr(digits.size() - take);
        digits.resize(digits.size() - take);
        // Groups beyond the table cannot come from a currency amount; stop rather than index past it.
        if (group > 5) break;
        words.insert(0, GroupWords(part, group, digits.empty()));
    }
    return words;
}

Variant CurrencyFormatted(Currency amount) {
    FormatSettingsScope scope;
    CurrentFormatSettings().NegCurrFormat = 12;  // symbol, blank, minus sign, amount
    return Variant(FormatCurrency(amount));
}

double MoneyToEuroNumber(const Variant& x) {
    const double euro = x.AsDouble() / EuroRate.ToDouble();
    return static_cast<double>(RoundHalfEven(euro * 100)) / 100;
}

Variant EuroFormatted(double v) {
    return Variant(std::string(1, EuroSign) + " " + FormatFixed(v, 10, 2, true));
}

}  // namespace

AnsiString NumberToWords(Currency amount) {
    const bool negative = amount.scaled < 0;
    const uint64_t magnitude = negative ? 0 - static_cast<uint64_t>(amount.scaled) : static_cast<uint64_t>(amount.scaled);
    std::string fraction = std::to_string(magnitude % Currency::Scale + Currency::Scale).substr(1);  // four digits
    while (!fraction.empty() && fraction.back() == '0') fraction.pop_back();

    std::string decimalWords;
    if (!fraction.empty()) {
        size_t zeros = 0;
        while (fraction[zeros] == '0') ++zeros;  // the last digit is not "0"
        for (size_t i = 0; i < zeros; ++i) decimalWords += std::string(WordZero) + " ";
        decimalWords += IntegerWords(fraction.substr(zeros));
    }
    std::string words = IntegerWords(std::to_string(magnitude / Currency::Scale));
    if (!decimalWords.empty()) words += std::string(" ") + WordComma + " " + decimalWords;
    return negative ? WordMinus + words : words;
}

Variant NumberToLetter(const Variant& x) { return Variant(NumberToWords(x.AsCurrency())); }

Variant MoneyText(const Variant& x) { return CurrencyFormatted(x.AsCurrency()); }

Variant EuroText(const Variant& x) { return EuroFormatted(x.AsDouble()); }

Variant MoneyToEuroText(const Variant& x) { return EuroFormatted(MoneyToEuroNumber(x)); }

Variant EuroToMoneyText(const Variant& x) { return CurrencyFormatted(EuroToMoneyValue(x).AsCurrency()); }

Variant MoneyToEuroValue(const Variant& x) { return Variant(MoneyToEuroNumber(x)); }

Variant EuroToMoneyValue(const Variant& x) { return x * Variant(EuroRate); }

}  // namespace tessaly

#pragma once
// Numbers to text and back by the conventions of a FormatSettings (the current one by default).
//
// Rounding for display: a double is first taken to its 15 significant decimal digits, and that
// decimal form is rounded to the digits shown with halves away from zero (2.675 shown with two
// decimals is 2,68; 0.125 is 0,13), which is what a reader of the printed digits expects.
#include <string>
#include <string_view>

#include "platform/core/Currency.h"
#include "platform/text/FormatSettings.h"

namespace tessaly {

// General format: as few characters as needed, up to 15 significant digits, no thousands
// separators; exponent form ("1,5E20", "1E-5") from 1E15 up and below 1E-4. "INF", "-INF", "NAN"
// for values that are not finite.
std::string FormatGeneral(double value, const FormatSettings& fs = CurrentFormatSettings());
// The same for a currency amount: exact, at most four decimals, never an exponent.
std::string FormatGeneral(Currency value, const FormatSettings& fs = CurrentFormatSettings());

// Fixed format: exactly `digits` decimals (0 to 18), rounded to at most `precision` significant
// digits (1 to 15); with `thousands`, the integer part is grouped by the thousands separator.
// A value with more integer digits than `precision` is written in the general exponent form with
// `precision` significant digits instead.
std::string FormatFixed(double value, int precision, int digits, bool thousands,
                        const FormatSettings& fs = CurrentFormatSettings());

// A currency amount with the currency symbol, CurrencyDecimals decimals, thousands separators,
// and the CurrencyFormat / NegCurrFormat layouts.
std::string FormatCurrency(Currency value, const FormatSettings& fs = CurrentFormatSettings());

// Number pictures: "0" a digit always shown, "#" a digit shown when significant, "." the place of
// the decimal separator (shown only when decimals follow), "," before the decimal point groups the
// integer digits by thousands, text in single or double quotes is copied, any other character is
// copied. Up to three sections separated by ";": positive, negative (written without a sign) and
// zero; an empty or missing section falls back to the first. An empty picture gives the general
// format.
std::string FormatNumber(std::string_view picture, double value,
                         const FormatSettings& fs = CurrentFormatSettings());

// Strict text to number: blanks around the number are allowed, then an optional sign, digits with
// at most one decimal separator (at least one digit in all) and an optional exponent (E, optional
// sign, digits). Anything else, or a value beyond the double range, fails.
bool TryTextToNumber(std::string_view text, double& out, const FormatSettings& fs = CurrentFormatSettings());
// As above; EConvertError "'<text>' non è un numero valido" on failure.
double TextToNumber(std::string_view text, const FormatSettings& fs = CurrentFormatSettings());

}  // namespace tessaly

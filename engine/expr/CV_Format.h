#pragma once
// Values as report objects show them: the formatting by format code (CV_FormatCode.h) and format
// text, and the expansion of one bracketed expression of the text object being drawn.
#include <cstdint>
#include <string_view>

#include "platform/core/Cp1252.h"
#include "platform/core/Variant.h"

namespace tessaly {

// The display text of `value`:
//   text       the value as text; a date-time as "dd/mm/yyyy", "dd/mm/yyyy hh:nn:ss" or "hh:nn:ss"
//              (nothing for the date-time 0)
//   number     a string unchanged; otherwise by index: "0.##", fixed with the code's decimals,
//              "0,.##", fixed with thousands separators, the format text; the code's separator as
//              decimal separator
//   date, time by index: "dd/mm/yy" "dd/mm/yyyy" "d mmm yyyy" "d mmmm yyyy" / "hh:nn:ss" "h:nn:ss"
//              "hh:nn" "h:nn", or the format text
//   truth      index 0 "0" / "1", index 1 "No" / "Si", index 2 " " / "X" (any value but 0 counts
//              as true)
// Null and empty values give "", and so do categories and indexes outside these tables. A value
// or pattern that cannot be formatted gives the value's plain text. The locale settings are not
// changed: the time separator is ":" here.
AnsiString FormatValue(const Variant& value, uint32_t code, std::string_view formatText);

// Expands the bracketed expression `text` of the run's current object into `result`: the text is
// first offered to the resolver as a name, then evaluated. While aggregates register, the result is
// the value's plain text and errors are not reported. Otherwise the value becomes the run's last
// value (VALUE) and is formatted with the object's format; a result that holds a line break is told
// to the run (a text object shows several lines). An error becomes the preparation error
// "Errore. " + message, leaving `result` as it was. Nothing happens once an error is recorded.
void ExpandValueText(std::string_view text, AnsiString& result);

}  // namespace tessaly

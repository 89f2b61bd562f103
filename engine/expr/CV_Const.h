#pragma once
// The engine's Italian text tables: number words and the lira/euro rate.
#include "platform/core/Currency.h"

namespace tessaly {

// Units 1 to 19 at their own index; the tens "venti" to "novanta" at 20 + tens digit. Indexes 0,
// 20 and 21 are empty.
extern const char* const NumberWords[30];

// Group words by group number (1 thousands, 2 millions, 3 billions, 4 thousands of billions,
// 5 millions of billions): the singular for a group of value one, the plural appended to any
// other non-zero group. Index 0 is unused.
struct TcvGroupWord {
    const char* Singular;
    const char* Plural;
};
extern const TcvGroupWord NumberGroupWords[6];

inline constexpr char WordHundred[] = "cento";
inline constexpr char WordZero[] = "zero";
inline constexpr char WordComma[] = "virgola";
inline constexpr char WordMinus[] = "meno ";

// Lire per euro, exact.
inline constexpr Currency EuroRate = Currency::FromScaled(19362700);
// The euro sign in cp1252.
inline constexpr char EuroSign = '\x80';

}  // namespace tessaly

#pragma once
// The locale conventions that turn numbers and dates into text and back. One process-wide current
// instance is filled from the user's locale on first use (Italian conventions under the C/POSIX
// locale); code that needs other conventions for a while changes it through a FormatSettingsScope,
// which restores it. All texts are cp1252.
#include <array>
#include <string>

namespace tessaly {

struct FormatSettings {
    char DecimalSeparator = ',';
    char ThousandSeparator = '.';
    char DateSeparator = '/';
    char TimeSeparator = ':';
    // Date-time pictures (see DateFormat.h): "/" and ":" in them stand for the two separators.
    std::string ShortDateFormat = "dd/mm/yyyy";
    std::string LongDateFormat = "dddd d mmmm yyyy";
    std::string ShortTimeFormat = "hh:nn";
    std::string LongTimeFormat = "hh:nn:ss";
    std::string TimeAMString = "AM";
    std::string TimePMString = "PM";
    std::array<std::string, 12> ShortMonthNames;
    std::array<std::string, 12> LongMonthNames;
    std::array<std::string, 7> ShortDayNames;  // Sunday first
    std::array<std::string, 7> LongDayNames;
    std::string CurrencyString = "L.";
    // Placement of the symbol for positive amounts: 0 "$1", 1 "1$", 2 "$ 1", 3 "1 $".
    int CurrencyFormat = 2;
    // Negative amounts: 0 "($1)", 1 "-$1", 2 "$-1", 3 "$1-", 4 "(1$)", 5 "-1$", 6 "1-$", 7 "1$-",
    // 8 "-1 $", 9 "-$ 1", 10 "1 $-", 11 "$ 1-", 12 "$ -1", 13 "1- $", 14 "($ 1)", 15 "(1 $)".
    int NegCurrFormat = 9;
    int CurrencyDecimals = 0;

    // Italian conventions with the lira as currency: what the C/POSIX locale gives.
    static FormatSettings Italian();
    // Filled from LC_NUMERIC, LC_TIME and LC_MONETARY of the environment; Italian for C/POSIX
    // or a locale the system does not have.
    static FormatSettings FromLocale();
};

// The process-wide settings, filled by FromLocale() on first use.
FormatSettings& CurrentFormatSettings();

// Keeps a copy of the current settings and puts it back when the scope ends.
class FormatSettingsScope {
public:
    FormatSettingsScope() : saved_(CurrentFormatSettings()) {}
    explicit FormatSettingsScope(const FormatSettings& replacement) : saved_(CurrentFormatSettings()) {
        CurrentFormatSettings() = replacement;
    }
    ~FormatSettingsScope() { CurrentFormatSettings() = saved_; }
    FormatSettingsScope(const FormatSettingsScope&) = delete;
    FormatSettingsScope& operator=(const FormatSettingsScope&) = delete;

private:
    FormatSettings saved_;
};

}  // namespace tessaly

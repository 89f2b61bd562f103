#pragma once
// Date-time values (platform/core/DateTime.h) in the forms databases keep them: ISO 8601 text,
// Julian day numbers and Unix time.
#include <string>
#include <string_view>

namespace tessaly::data {

// "YYYY-MM-DD", optionally followed by a blank or "T" and a time; or a time alone (day 0). A time
// is "HH:MM", "HH:MM:SS" or "HH:MM:SS.fff" (any number of fraction digits, read to the
// millisecond); a zone ("Z", "+HH:MM", "-HH:MM") after a date's time gives the same moment in UTC.
// Blanks around the text are allowed. False for anything else and for impossible dates and times.
bool ParseIsoDateTime(std::string_view text, double& dateTime);
// "YYYY-MM-DD HH:MM:SS", with ".fff" when there are milliseconds; "YYYY-MM-DD" alone at midnight,
// as date columns hold dates. EConvertError outside years 1 to 9999.
std::string IsoDateTimeText(double dateTime);

double JulianDayToDateTime(double julianDay);
double UnixTimeToDateTime(double seconds);

}  // namespace tessaly::data

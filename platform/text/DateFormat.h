#pragma once
// Date-time values (see platform/core/DateTime.h) to text and back by a FormatSettings.
#include <string>
#include <string_view>

#include "platform/text/FormatSettings.h"

namespace tessaly {

// Date-time pictures, letters in either case:
//   d dd ddd dddd   day, two-digit day, short and long day name; ddddd dddddd the short and long
//                   date format
//   m mm mmm mmmm   month, two-digit month, short and long month name; m and mm right after an
//                   hour (h, hh) mean minutes
//   yy yyyy         two- and four-digit year
//   h hh n nn s ss  hour, minute, second, one or two digits; z zzz milliseconds
//   t tt            the short and long time format; c the short date format followed, when the
//                   time is not midnight, by a blank and the long time format (day 0 with a
//                   time gives the time alone)
//   am/pm a/p ampm  12-hour clock markers (ampm gives TimeAMString / TimePMString); with one of
//                   them anywhere in the picture h and hh count 1 to 12
//   / :             the date and time separators
//   '...' "..."     literal text; any other character is copied
// An empty picture is "c". EConvertError when the value is not a date of years 1 to 9999.
std::string FormatDateTime(std::string_view picture, double dateTime,
                           const FormatSettings& fs = CurrentFormatSettings());
// The "c" picture.
std::string DateTimeToText(double dateTime, const FormatSettings& fs = CurrentFormatSettings());

// Text to date by the order of day, month and year in ShortDateFormat: numbers separated by
// DateSeparator; a missing year is the current one; a year of one or two digits is 2000-2049 for
// 0-49 and 1950-1999 for 50-99. EConvertError "'<text>' non è una data valida".
double TextToDate(std::string_view text, const FormatSettings& fs = CurrentFormatSettings());
bool TryTextToDate(std::string_view text, double& out, const FormatSettings& fs = CurrentFormatSettings());
// Hours, minutes and optional seconds (and milliseconds after a "."), separated by TimeSeparator,
// optionally followed by an AM/PM marker; hours alone only with a marker.
// EConvertError "'<text>' non è un orario valido".
double TextToTime(std::string_view text, const FormatSettings& fs = CurrentFormatSettings());
bool TryTextToTime(std::string_view text, double& out, const FormatSettings& fs = CurrentFormatSettings());
// A date, a time, or a date followed by blanks and a time.
// EConvertError "'<text>' non è una data e ora valida".
double TextToDateTime(std::string_view text, const FormatSettings& fs = CurrentFormatSettings());
bool TryTextToDateTime(std::string_view text, double& out, const FormatSettings& fs = CurrentFormatSettings());

}  // namespace tessaly

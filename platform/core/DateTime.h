#pragma once
// Date-time values are doubles counting days since 30 December 1899: the integral part is the day,
// the fraction the time of day. A negative value keeps its day in the integral part and its time
// in the absolute fraction (-1.25 is 29 December 1899, 06:00), so both halves read the same way on
// either side of day 0. Valid years are 1 to 9999.
#include <cstdint>

namespace tessaly {

struct DateParts {
    int year = 0, month = 0, day = 0;
};
struct TimeParts {
    int hour = 0, minute = 0, second = 0, msec = 0;
};

bool IsLeapYear(int year);
int DaysInMonth(int year, int month);  // 0 for a month outside 1..12

bool TryEncodeDate(int year, int month, int day, double& out);
double EncodeDate(int year, int month, int day);  // EConvertError for an invalid date
bool TryEncodeTime(int hour, int minute, int second, int msec, double& out);
double EncodeTime(int hour, int minute, int second, int msec);  // EConvertError when invalid

// EConvertError when the value lies outside years 1..9999 (or is not finite).
DateParts DecodeDate(double dateTime);
// Rounded to the millisecond; a fraction that would round up to midnight stays at 23:59:59.999.
TimeParts DecodeTime(double dateTime);
// A day (from EncodeDate) and a time of day (from EncodeTime) as one date-time value.
inline double CombineDateTime(double date, double time) { return date < 0 ? date - time : date + time; }
// 1 for Sunday to 7 for Saturday.
int DayOfWeek(double dateTime);

}  // namespace tessaly

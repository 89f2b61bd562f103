#include "platform/core/DateTime.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <ctime>

#include "platform/core/Errors.h"

namespace tessaly {

namespace {

// Day numbers relative to 1 January 1970 for the proleptic Gregorian calendar.
int64_t DaysFromCivil(int64_t y, int m, int d) {
    y -= m <= 2;
    const int64_t era = (y >= 0 ? y : y - 399) / 400;
    const int64_t yoe = y - era * 400;
    const int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

DateParts CivilFromDays(int64_t z) {
    z += 719468;
    const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const int64_t doe = z - era * 146097;
    const int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const int64_t mp = (5 * doy + 2) / 153;
    const int d = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    const int m = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    return DateParts{static_cast<int>(yoe + era * 400 + (m <= 2)), m, d};
}

constexpr int64_t kUnixToSerial = 25569;  // days from 1899-12-30 to 1970-01-01
constexpr double kFirstDay = -693593;     // 0001-01-01
constexpr double kLastDay = 2958465;      // 9999-12-31
constexpr int64_t kMsecPerDay = 86400000;

}  // namespace

bool IsLeapYear(int year) { return year % 4 == 0 && (year % 100 != 0 || year % 400 == 0); }

int DaysInMonth(int year, int month) {
    static constexpr int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (month < 1 || month > 12) return 0;
    return kDays[month - 1] + (month == 2 && IsLeapYear(year) ? 1 : 0);
}

bool TryEncodeDate(int year, int month, int day, double& out) {
    if (year < 1 || year > 9999 || month < 1 || month > 12 || day < 1 || day > DaysInMonth(year, month))
        return false;
    out = static_cast<double>(DaysFromCivil(year, month, day) + kUnixToSerial);
    return true;
}

double EncodeDate(int year, int month, int day) {
    double out;
    if (!TryEncodeDate(year, month, day, out)) throw EConvertError("Data non valida");
    return out;
}

bool TryEncodeTime(int hour, int minute, int second, int msec, double& out) {
    if (hour < 0 || hour > 23 || minute < 0 || minute > 59 || second < 0 || second > 59 || msec < 0 ||
        msec > 999)
        return false;
    out = static_cast<double>(((hour * 60 + minute) * 60 + second) * 1000 + msec) / kMsecPerDay;
    return true;
}

double EncodeTime(int hour, int minute, int second, int msec) {
    double out;
    if (!TryEncodeTime(hour, minute, second, msec, out)) throw EConvertError("Orario non valido");
    return out;
}

DateParts DecodeDate(double dateTime) {
    double day = std::trunc(dateTime);
    if (!(day >= kFirstDay && day <= kLastDay)) throw EConvertError("Data non valida");
    return CivilFromDays(static_cast<int64_t>(day) - kUnixToSerial);
}

TimeParts DecodeTime(double dateTime) {
    if (!std::isfinite(dateTime)) throw EConvertError("Orario non valido");
    double frac = std::fabs(dateTime - std::trunc(dateTime));
    int64_t ms = static_cast<int64_t>(std::llround(frac * kMsecPerDay));
    if (ms >= kMsecPerDay) ms = kMsecPerDay - 1;
    TimeParts t;
    t.msec = static_cast<int>(ms % 1000);
    t.second = static_cast<int>(ms / 1000 % 60);
    t.minute = static_cast<int>(ms / 60000 % 60);
    t.hour = static_cast<int>(ms / 3600000);
    return t;
}

int DayOfWeek(double dateTime) {
    DecodeDate(dateTime);  // range check
    // Day 0 (30 December 1899) was a Saturday.
    int64_t day = static_cast<int64_t>(std::trunc(dateTime));
    int64_t w = ((day + 6) % 7 + 7) % 7;  // 0 = Sunday
    return static_cast<int>(w) + 1;
}

double NowDateTime() {
    const auto now = std::chrono::system_clock::now();
    const std::time_t seconds = std::chrono::system_clock::to_time_t(now);
    std::tm local{};
    localtime_r(&seconds, &local);
    const int msec = static_cast<int>(
        std::chrono::duration_cast<std::chrono::milliseconds>(now.time_since_epoch()).count() % 1000);
    double date = 0, time = 0;
    TryEncodeDate(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, date);
    TryEncodeTime(local.tm_hour, local.tm_min, std::min(local.tm_sec, 59), msec < 0 ? 0 : msec, time);
    return CombineDateTime(date, time);
}

}  // namespace tessaly

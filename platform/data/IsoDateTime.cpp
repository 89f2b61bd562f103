#include "platform/data/IsoDateTime.h"

#include <cmath>
#include <cstdio>

#include "platform/core/DateTime.h"

namespace tessaly::data {

namespace {

constexpr double kJulianDayOfZero = 2415018.5;  // 1899-12-30 00:00
constexpr double kUnixEpoch = 25569;            // 1970-01-01
constexpr double kSecondsPerDay = 86400;

// Reads exactly `digits` decimal digits.
bool Digits(std::string_view t, size_t& pos, int digits, int& value) {
    if (pos + digits > t.size()) return false;
    value = 0;
    for (int i = 0; i < digits; ++i) {
        const char c = t[pos + i];
        if (c < '0' || c > '9') return false;
        value = value * 10 + (c - '0');
    }
    pos += digits;
    return true;
}

bool Expect(std::string_view t, size_t& pos, char c) {
    if (pos >= t.size() || t[pos] != c) return false;
    ++pos;
    return true;
}

bool ParseDate(std::string_view t, size_t& pos, double& date) {
    int y, m, d;
    return Digits(t, pos, 4, y) && Expect(t, pos, '-') && Digits(t, pos, 2, m) && Expect(t, pos, '-') &&
           Digits(t, pos, 2, d) && TryEncodeDate(y, m, d, date);
}

// Milliseconds from a fraction of any length, rounded down.
int FractionMs(std::string_view t, size_t& pos) {
    int ms = 0, scale = 100;
    while (pos < t.size() && t[pos] >= '0' && t[pos] <= '9') {
        ms += (t[pos++] - '0') * scale;
        scale /= 10;
    }
    return ms;
}

bool ParseTime(std::string_view t, size_t& pos, double& time) {
    int h, n, s = 0, ms = 0;
    if (!Digits(t, pos, 2, h) || !Expect(t, pos, ':') || !Digits(t, pos, 2, n)) return false;
    if (pos < t.size() && t[pos] == ':') {
        if (!Digits(t, ++pos, 2, s)) return false;
        if (pos < t.size() && t[pos] == '.') {
            const size_t start = ++pos;
            ms = FractionMs(t, pos);
            if (pos == start) return false;
        }
    }
    return TryEncodeTime(h, n, s, ms, time);
}

// "Z" or "+HH:MM" / "-HH:MM": the offset from UTC in days.
bool ParseZone(std::string_view t, size_t& pos, double& offset) {
    offset = 0;
    if (Expect(t, pos, 'Z')) return true;
    if (pos >= t.size() || (t[pos] != '+' && t[pos] != '-')) return false;
    const double sign = t[pos++] == '-' ? -1 : 1;
    int h, m;
    if (!Digits(t, pos, 2, h) || !Expect(t, pos, ':') || !Digits(t, pos, 2, m) || h > 23 || m > 59) return false;
    offset = sign * (h * 60 + m) / 1440.0;
    return true;
}

// Date-time values before day 0 keep the time of day as a positive fraction after a negative day;
// a moment counts continuously, so that offsets can be added to it.
double ToMoment(double dateTime) {
    const double day = std::trunc(dateTime);
    return day + std::fabs(dateTime - day);
}

double FromMoment(double moment) {
    const double day = std::floor(moment);
    return CombineDateTime(day, moment - day);
}

}  // namespace

bool ParseIsoDateTime(std::string_view text, double& dateTime) {
    std::string_view t = text;
    while (!t.empty() && t.front() == ' ') t.remove_prefix(1);
    while (!t.empty() && t.back() == ' ') t.remove_suffix(1);
    size_t pos = 0;
    double date = 0, time = 0, offset = 0;
    if (!ParseDate(t, pos, date)) {
        pos = 0;
        if (!ParseTime(t, pos, time) || pos != t.size()) return false;
        dateTime = time;
        return true;
    }
    if (pos < t.size()) {
        if (t[pos] != ' ' && t[pos] != 'T') return false;
        if (!ParseTime(t, ++pos, time)) return false;
        if (pos < t.size() && !ParseZone(t, pos, offset)) return false;
        if (pos != t.size()) return false;
    }
    dateTime = CombineDateTime(date, time);
    if (offset != 0) dateTime = FromMoment(ToMoment(dateTime) - offset);
    return true;
}

std::string IsoDateTimeText(double dateTime) {
    const DateParts d = DecodeDate(dateTime);
    const TimeParts t = DecodeTime(dateTime);
    char text[40];
    int n = std::snprintf(text, sizeof text, "%04d-%02d-%02d", d.year, d.month, d.day);
    if (t.hour || t.minute || t.second || t.msec)
        n += std::snprintf(text + n, sizeof text - n, " %02d:%02d:%02d", t.hour, t.minute, t.second);
    if (t.msec) std::snprintf(text + n, sizeof text - n, ".%03d", t.msec);
    return text;
}

double JulianDayToDateTime(double julianDay) { return FromMoment(julianDay - kJulianDayOfZero); }

double UnixTimeToDateTime(double seconds) { return FromMoment(kUnixEpoch + seconds / kSecondsPerDay); }

}  // namespace tessaly::data

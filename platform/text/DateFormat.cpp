#include "platform/text/DateFormat.h"

#include <cmath>
#include <ctime>
#include <vector>

#include "platform/core/Cp1252.h"
#include "platform/core/DateTime.h"
#include "platform/core/Errors.h"

namespace tessaly {

namespace {

char Lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; }

bool StartsWithNoCase(std::string_view s, size_t at, std::string_view word) {
    if (s.size() - at < word.size()) return false;
    for (size_t i = 0; i < word.size(); ++i)
        if (Lower(s[at + i]) != word[i]) return false;
    return true;
}

// Length of the run of the same letter (any case) at `at`.
size_t RunLength(std::string_view s, size_t at) {
    size_t n = 1;
    while (at + n < s.size() && Lower(s[at + n]) == Lower(s[at])) ++n;
    return n;
}

std::string TwoDigits(int v) {
    std::string s = std::to_string(v);
    return s.size() < 2 ? "0" + s : s;
}

std::string Padded(int v, size_t width) {
    std::string s = std::to_string(v);
    if (s.size() < width) s.insert(0, width - s.size(), '0');
    return s;
}

bool HasTwelveHourMarker(std::string_view p) {
    for (size_t i = 0; i < p.size(); ++i) {
        char c = p[i];
        if (c == '"' || c == '\'') {
            size_t end = p.find(c, i + 1);
            if (end == std::string_view::npos) return false;
            i = end;
        } else if (StartsWithNoCase(p, i, "am/pm") || StartsWithNoCase(p, i, "a/p") ||
                   StartsWithNoCase(p, i, "ampm")) {
            return true;
        }
    }
    return false;
}

class DateTimeWriter {
public:
    DateTimeWriter(double value, const FormatSettings& fs)
        : value_(value), fs_(fs), date_(DecodeDate(value)), time_(DecodeTime(value)) {}

    void Write(std::string_view p, int depth) {
        const bool twelveHour = HasTwelveHourMarker(p);
        bool afterHour = false;
        for (size_t i = 0; i < p.size();) {
            const char c = p[i];
            const char l = Lower(c);
            size_t n = (l >= 'a' && l <= 'z') ? RunLength(p, i) : 1;
            bool hourToken = false;
            if (c == '"' || c == '\'') {
                size_t end = p.find(c, i + 1);
                if (end == std::string_view::npos) end = p.size();
                out_.append(p.substr(i + 1, end - i - 1));
                i = end + 1;
                continue;
            }
            switch (l) {
                case 'd': WriteDay(n, depth); break;
                case 'm':
                    if (afterHour && n <= 2)
                        out_ += n == 1 ? std::to_string(time_.minute) : TwoDigits(time_.minute);
                    else
                        WriteMonth(n);
                    break;
                case 'y': out_ += n <= 2 ? TwoDigits(date_.year % 100) : Padded(date_.year, 4); break;
                case 'h': {
                    int h = time_.hour;
                    if (twelveHour) h = h % 12 == 0 ? 12 : h % 12;
                    out_ += n == 1 ? std::to_string(h) : TwoDigits(h);
                    n = std::min<size_t>(n, 2);
                    hourToken = true;
                    break;
                }
                case 'n': out_ += n == 1 ? std::to_string(time_.minute) : TwoDigits(time_.minute); n = std::min<size_t>(n, 2); break;
                case 's': out_ += n == 1 ? std::to_string(time_.second) : TwoDigits(time_.second); n = std::min<size_t>(n, 2); break;
                case 'z': out_ += n >= 3 ? Padded(time_.msec, 3) : std::to_string(time_.msec); n = std::min<size_t>(n, 3); break;
                case 't':
                    n = std::min<size_t>(n, 2);
                    Nested(n == 1 ? fs_.ShortTimeFormat : fs_.LongTimeFormat, depth);
                    break;
                case 'c': {
                    n = 1;
                    const bool hasTime = time_.hour || time_.minute || time_.second || time_.msec;
                    const bool hasDate = std::trunc(value_) != 0 || !hasTime;
                    if (hasDate) Nested(fs_.ShortDateFormat, depth);
                    if (hasDate && hasTime) out_ += ' ';
                    if (hasTime) Nested(fs_.LongTimeFormat, depth);
                    break;
                }
                case 'a': n = WriteMarker(p, i); break;
                case '/': out_ += fs_.DateSeparator; break;
                case ':': out_ += fs_.TimeSeparator; break;
                default: out_ += c; n = 1; break;
            }
            if (l >= 'a' && l <= 'z') afterHour = hourToken;
            i += n;
        }
    }

    std::string Take() { return std::move(out_); }

private:
    void Nested(const std::string& picture, int depth) {
        // Settings pictures may name each other ("c" inside ShortDateFormat); two levels suffice.
        if (depth < 2) Write(picture, depth + 1);
    }

    void WriteDay(size_t n, int depth) {
        const int dow = DayOfWeek(value_) - 1;
        switch (n) {
            case 1: out_ += std::to_string(date_.day); break;
            case 2: out_ += TwoDigits(date_.day); break;
            case 3: out_ += fs_.ShortDayNames[dow]; break;
            case 4: out_ += fs_.LongDayNames[dow]; break;
            case 5: Nested(fs_.ShortDateFormat, depth); break;
            default: Nested(fs_.LongDateFormat, depth); break;
        }
    }

    void WriteMonth(size_t n) {
        switch (n) {
            case 1: out_ += std::to_string(date_.month); break;
            case 2: out_ += TwoDigits(date_.month); break;
            case 3: out_ += fs_.ShortMonthNames[date_.month - 1]; break;
            default: out_ += fs_.LongMonthNames[date_.month - 1]; break;
        }
    }

    // Returns the characters consumed at p[i] (an "a").
    size_t WriteMarker(std::string_view p, size_t i) {
        const bool pm = time_.hour >= 12;
        if (StartsWithNoCase(p, i, "am/pm")) {
            std::string_view word = pm ? p.substr(i + 3, 2) : p.substr(i, 2);
            out_.append(word);
            return 5;
        }
        if (StartsWithNoCase(p, i, "a/p")) {
            out_ += pm ? p[i + 2] : p[i];
            return 3;
        }
        if (StartsWithNoCase(p, i, "ampm")) {
            out_ += pm ? fs_.TimePMString : fs_.TimeAMString;
            return 4;
        }
        out_ += p[i];
        return 1;
    }

    double value_;
    const FormatSettings& fs_;
    DateParts date_;
    TimeParts time_;
    std::string out_;
};

std::string_view Trimmed(std::string_view s) {
    size_t b = 0, e = s.size();
    while (b < e && static_cast<unsigned char>(s[b]) <= ' ') ++b;
    while (e > b && static_cast<unsigned char>(s[e - 1]) <= ' ') --e;
    return s.substr(b, e - b);
}

// Reads up to `maxDigits` digits at pos; false when there is none.
bool ReadNumber(std::string_view s, size_t& pos, int& value, int& digits, int maxDigits = 4) {
    value = 0;
    digits = 0;
    while (pos < s.size() && s[pos] >= '0' && s[pos] <= '9' && digits < maxDigits) {
        value = value * 10 + (s[pos++] - '0');
        ++digits;
    }
    return digits > 0;
}

// The order of day, month and year in a date picture, as a string such as "dmy".
std::string DateOrder(std::string_view picture) {
    std::string order;
    for (size_t i = 0; i < picture.size(); ++i) {
        char c = picture[i];
        if (c == '"' || c == '\'') {
            size_t end = picture.find(c, i + 1);
            if (end == std::string_view::npos) break;
            i = end;
            continue;
        }
        char l = Lower(c);
        if ((l == 'd' || l == 'm' || l == 'y') && order.find(l) == std::string::npos) order += l;
    }
    return order.size() == 3 ? order : "dmy";
}

int CurrentYear() {
    std::time_t now = std::time(nullptr);
    std::tm tm{};
    localtime_r(&now, &tm);
    return tm.tm_year + 1900;
}

// Parses a date at the start of s; pos is left after it.
bool ParseDate(std::string_view s, size_t& pos, double& out, const FormatSettings& fs) {
    int values[3], digits[3], count = 0;
    while (count < 3) {
        if (!ReadNumber(s, pos, values[count], digits[count])) return false;
        ++count;
        if (pos < s.size() && s[pos] == fs.DateSeparator)
            ++pos;
        else
            break;
    }
    if (count < 2) return false;
    std::string order = DateOrder(fs.ShortDateFormat);
    if (count == 2) order.erase(order.find('y'), 1);
    int day = 0, month = 0, year = CurrentYear();
    for (int i = 0; i < count; ++i) {
        switch (order[i]) {
            case 'd': day = values[i]; break;
            case 'm': month = values[i]; break;
            default:
                year = values[i];
                if (digits[i] <= 2) year += year < 50 ? 2000 : 1900;
                break;
        }
    }
    return TryEncodeDate(year, month, day, out);
}

bool MatchMarker(std::string_view s, size_t& pos, std::string_view marker) {
    if (marker.empty() || !StartsWithNoCase(s, pos, LowerCase(marker))) return false;
    pos += marker.size();
    return true;
}

// Parses a time at pos up to the end of s.
bool ParseTime(std::string_view s, size_t pos, double& out, const FormatSettings& fs) {
    int parts[3] = {0, 0, 0}, digits, count = 0, msec = 0;
    while (count < 3) {
        if (!ReadNumber(s, pos, parts[count], digits, 2)) return false;
        ++count;
        if (pos < s.size() && s[pos] == fs.TimeSeparator && count < 3)
            ++pos;
        else
            break;
    }
    if (count == 3 && pos < s.size() && s[pos] == '.') {
        ++pos;
        int msDigits;
        if (!ReadNumber(s, pos, msec, msDigits, 3)) return false;
        for (int i = msDigits; i < 3; ++i) msec *= 10;
    }
    while (pos < s.size() && s[pos] == ' ') ++pos;
    int marker = 0;  // 1 am, 2 pm
    if (pos < s.size()) {
        if (MatchMarker(s, pos, fs.TimeAMString) || MatchMarker(s, pos, "am") || MatchMarker(s, pos, "a"))
            marker = 1;
        else if (MatchMarker(s, pos, fs.TimePMString) || MatchMarker(s, pos, "pm") || MatchMarker(s, pos, "p"))
            marker = 2;
        if (!marker || pos != s.size()) return false;
    }
    if (count == 1 && !marker) return false;
    int hour = parts[0];
    if (marker) {
        if (hour < 1 || hour > 12) return false;
        hour = hour % 12 + (marker == 2 ? 12 : 0);
    }
    return TryEncodeTime(hour, parts[1], parts[2], msec, out);
}

}  // namespace

std::string FormatDateTime(std::string_view picture, double dateTime, const FormatSettings& fs) {
    DateTimeWriter w(dateTime, fs);
    w.Write(picture.empty() ? std::string_view("c") : picture, 0);
    return w.Take();
}

std::string DateTimeToText(double dateTime, const FormatSettings& fs) { return FormatDateTime("c", dateTime, fs); }

bool TryTextToDate(std::string_view text, double& out, const FormatSettings& fs) {
    std::string_view t = Trimmed(text);
    size_t pos = 0;
    return ParseDate(t, pos, out, fs) && pos == t.size();
}

bool TryTextToTime(std::string_view text, double& out, const FormatSettings& fs) {
    return ParseTime(Trimmed(text), 0, out, fs);
}

bool TryTextToDateTime(std::string_view text, double& out, const FormatSettings& fs) {
    std::string_view t = Trimmed(text);
    size_t pos = 0;
    double date;
    if (!ParseDate(t, pos, date, fs)) return TryTextToTime(t, out, fs);
    if (pos == t.size()) {
        out = date;
        return true;
    }
    if (t[pos] != ' ') return false;
    while (pos < t.size() && t[pos] == ' ') ++pos;
    double time;
    if (!ParseTime(t, pos, time, fs)) return false;
    out = CombineDateTime(date, time);
    return true;
}

namespace {

[[noreturn]] void NotValid(std::string_view text, const char* what) {
    throw EConvertError("'" + std::string(text) + "' non \xE8 " + what);
}

}  // namespace

double TextToDate(std::string_view text, const FormatSettings& fs) {
    double v = 0;
    if (!TryTextToDate(text, v, fs)) NotValid(text, "una data valida");
    return v;
}

double TextToTime(std::string_view text, const FormatSettings& fs) {
    double v = 0;
    if (!TryTextToTime(text, v, fs)) NotValid(text, "un orario valido");
    return v;
}

double TextToDateTime(std::string_view text, const FormatSettings& fs) {
    double v = 0;
    if (!TryTextToDateTime(text, v, fs)) NotValid(text, "una data e ora valida");
    return v;
}

}  // namespace tessaly

#include "platform/text/NumberFormat.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <vector>

#include "platform/core/Errors.h"

namespace tessaly {

namespace {

// A decimal number: 0.digits x 10^exponent, digits without leading or trailing zeros; no digits
// means zero.
struct Decimal {
    bool negative = false;
    std::string digits;
    int exponent = 0;

    bool IsZero() const { return digits.empty(); }
};

void StripTrailingZeros(Decimal& d) {
    while (!d.digits.empty() && d.digits.back() == '0') d.digits.pop_back();
    if (d.digits.empty()) d.exponent = 0;
}

Decimal ToDecimal(double v, int significant = 15) {
    Decimal d;
    d.negative = std::signbit(v) && v != 0;
    if (v == 0) return d;
    char buf[64];
    auto r = std::to_chars(buf, buf + sizeof buf, std::fabs(v), std::chars_format::scientific, significant - 1);
    std::string_view s(buf, r.ptr - buf);  // d.ddddde+XX
    size_t e = s.find('e');
    for (char c : s.substr(0, e))
        if (c != '.') d.digits += c;
    int exp10 = 0;
    std::from_chars(s.data() + e + (s[e + 1] == '+' ? 2 : 1), s.data() + s.size(), exp10);
    d.exponent = exp10 + 1;
    StripTrailingZeros(d);
    return d;
}

Decimal ToDecimal(Currency c) {
    Decimal d;
    d.negative = c.scaled < 0;
    uint64_t mag = d.negative ? 0 - static_cast<uint64_t>(c.scaled) : static_cast<uint64_t>(c.scaled);
    if (mag == 0) return d;
    d.digits = std::to_string(mag);
    d.exponent = static_cast<int>(d.digits.size()) - 4;
    StripTrailingZeros(d);
    return d;
}

// Keeps the first `keep` digits, rounding the rest half away from zero.
void RoundToDigitCount(Decimal& d, int keep) {
    if (keep >= static_cast<int>(d.digits.size())) return;
    if (keep < 0) {
        d.digits.clear();
        d.exponent = 0;
        return;
    }
    bool up = d.digits[keep] >= '5';
    d.digits.resize(keep);
    if (up) {
        int i = keep - 1;
        while (i >= 0 && d.digits[i] == '9') d.digits[i--] = '0';
        if (i >= 0)
            ++d.digits[i];
        else {
            d.digits.insert(d.digits.begin(), '1');
            ++d.exponent;
        }
    }
    StripTrailingZeros(d);
}

void RoundToDecimals(Decimal& d, int decimals) { RoundToDigitCount(d, d.exponent + decimals); }

std::string IntegerDigits(const Decimal& d) {
    if (d.exponent <= 0) return {};
    std::string s = d.digits.substr(0, std::min<size_t>(d.digits.size(), d.exponent));
    s.append(d.exponent - s.size(), '0');
    return s;
}

std::string FractionDigits(const Decimal& d) {
    if (d.IsZero()) return {};
    if (d.exponent >= static_cast<int>(d.digits.size())) return {};
    if (d.exponent >= 0) return d.digits.substr(d.exponent);
    return std::string(-d.exponent, '0') + d.digits;
}

std::string Grouped(const std::string& intDigits, const FormatSettings& fs) {
    std::string out;
    const size_t n = intDigits.size();
    for (size_t i = 0; i < n; ++i) {
        out += intDigits[i];
        size_t rest = n - 1 - i;
        if (rest > 0 && rest % 3 == 0) out += fs.ThousandSeparator;
    }
    return out;
}

std::string ExponentForm(const Decimal& d, const FormatSettings& fs) {
    std::string out = d.negative ? "-" : "";
    out += d.digits[0];
    if (d.digits.size() > 1) {
        out += fs.DecimalSeparator;
        out += d.digits.substr(1);
    }
    int e = d.exponent - 1;
    out += 'E';
    if (e < 0) out += '-';
    out += std::to_string(std::abs(e));
    return out;
}

std::string PlainForm(const Decimal& d, const FormatSettings& fs) {
    if (d.IsZero()) return "0";
    std::string intDigits = IntegerDigits(d);
    std::string out = d.negative ? "-" : "";
    out += intDigits.empty() ? "0" : intDigits;
    std::string frac = FractionDigits(d);
    if (!frac.empty()) {
        out += fs.DecimalSeparator;
        out += frac;
    }
    return out;
}

const char* NonFinite(double v) {
    if (std::isnan(v)) return "NAN";
    return v > 0 ? "INF" : "-INF";
}

// Integer digits (at least "0"), a separator and exactly `digits` decimals.
std::string FixedDigits(const Decimal& d, int digits, bool thousands, const FormatSettings& fs) {
    std::string intDigits = IntegerDigits(d);
    if (intDigits.empty()) intDigits = "0";
    std::string out = thousands ? Grouped(intDigits, fs) : intDigits;
    if (digits > 0) {
        std::string frac = FractionDigits(d);
        frac.resize(digits, '0');
        out += fs.DecimalSeparator;
        out += frac;
    }
    return out;
}

}  // namespace

std::string FormatGeneral(double value, const FormatSettings& fs) {
    if (!std::isfinite(value)) return NonFinite(value);
    Decimal d = ToDecimal(value);
    if (d.IsZero()) return "0";
    if (d.exponent > 15 || d.exponent < -3) return ExponentForm(d, fs);
    return PlainForm(d, fs);
}

std::string FormatGeneral(Currency value, const FormatSettings& fs) { return PlainForm(ToDecimal(value), fs); }

std::string FormatFixed(double value, int precision, int digits, bool thousands, const FormatSettings& fs) {
    if (!std::isfinite(value)) return NonFinite(value);
    precision = std::clamp(precision, 1, 15);
    digits = std::clamp(digits, 0, 18);
    Decimal d = ToDecimal(value);
    if (d.exponent > precision) {
        RoundToDigitCount(d, precision);
        return ExponentForm(d, fs);
    }
    RoundToDigitCount(d, std::min(precision, d.exponent + digits));
    std::string body = FixedDigits(d, digits, thousands, fs);
    return d.negative && !d.IsZero() ? "-" + body : body;
}

std::string FormatCurrency(Currency value, const FormatSettings& fs) {
    const int decimals = std::clamp(fs.CurrencyDecimals, 0, 4);
    Decimal d = ToDecimal(value);
    RoundToDecimals(d, decimals);
    const std::string n = FixedDigits(d, decimals, true, fs);
    const std::string& s = fs.CurrencyString;
    if (!d.negative || d.IsZero()) {
        switch (fs.CurrencyFormat) {
            case 1: return n + s;
            case 2: return s + " " + n;
            case 3: return n + " " + s;
            default: return s + n;
        }
    }
    switch (fs.NegCurrFormat) {
        case 0: return "(" + s + n + ")";
        case 2: return s + "-" + n;
        case 3: return s + n + "-";
        case 4: return "(" + n + s + ")";
        case 5: return "-" + n + s;
        case 6: return n + "-" + s;
        case 7: return n + s + "-";
        case 8: return "-" + n + " " + s;
        case 9: return "-" + s + " " + n;
        case 10: return n + " " + s + "-";
        case 11: return s + " " + n + "-";
        case 12: return s + " -" + n;
        case 13: return n + "- " + s;
        case 14: return "(" + s + " " + n + ")";
        case 15: return "(" + n + " " + s + ")";
        default: return "-" + s + n;
    }
}

namespace {

struct PictureLayout {
    int intPlaces = 0;      // "0" and "#" before the decimal point
    int minInt = 0;         // integer digits always shown (from the first "0")
    int decPlaces = 0;      // "0" and "#" after it
    int minDec = 0;         // decimals always shown (up to the last "0")
    bool thousands = false;
};

// Calls visit(kind, position, length) for each element of a section: 'q' quoted text (without
// its quotes), 'c' one other character.
template <typename Visit>
void WalkSection(std::string_view s, Visit visit) {
    for (size_t i = 0; i < s.size(); ++i) {
        char c = s[i];
        if (c == '"' || c == '\'') {
            size_t end = s.find(c, i + 1);
            if (end == std::string_view::npos) end = s.size();
            visit('q', i + 1, end - i - 1);
            i = end;
        } else {
            visit('c', i, 1);
        }
    }
}

PictureLayout Analyse(std::string_view s) {
    PictureLayout p;
    bool afterPoint = false;
    int firstZero = -1;
    WalkSection(s, [&](char kind, size_t at, size_t) {
        if (kind != 'c') return;
        char c = s[at];
        if (c == '.' && !afterPoint) {
            afterPoint = true;
        } else if (c == '0' || c == '#') {
            if (afterPoint) {
                ++p.decPlaces;
                if (c == '0') p.minDec = p.decPlaces;
            } else {
                if (c == '0' && firstZero < 0) firstZero = p.intPlaces;
                ++p.intPlaces;
            }
        } else if (c == ',' && !afterPoint) {
            p.thousands = true;
        }
    });
    p.minInt = firstZero < 0 ? 0 : p.intPlaces - firstZero;
    return p;
}

std::vector<std::string_view> SplitSections(std::string_view picture) {
    std::vector<std::string_view> sections;
    size_t start = 0;
    char quote = 0;
    for (size_t i = 0; i < picture.size(); ++i) {
        char c = picture[i];
        if (quote) {
            if (c == quote) quote = 0;
        } else if (c == '"' || c == '\'') {
            quote = c;
        } else if (c == ';' && sections.size() < 2) {
            sections.push_back(picture.substr(start, i - start));
            start = i + 1;
        }
    }
    sections.push_back(picture.substr(start));
    return sections;
}

std::string FormatSection(std::string_view s, double magnitude, bool minus, const FormatSettings& fs) {
    const PictureLayout p = Analyse(s);
    Decimal d = ToDecimal(magnitude);
    RoundToDecimals(d, p.decPlaces);
    std::string intDigits = IntegerDigits(d);
    if (static_cast<int>(intDigits.size()) < p.minInt) intDigits.insert(0, p.minInt - intDigits.size(), '0');
    std::string decDigits = FractionDigits(d);
    if (static_cast<int>(decDigits.size()) < p.minDec) decDigits.resize(p.minDec, '0');

    const int n = static_cast<int>(intDigits.size());
    std::string out = minus && !d.IsZero() ? "-" : "";
    auto emitInt = [&](int fromRight) {  // fromRight: 1 for the units digit
        out += intDigits[n - fromRight];
        if (p.thousands && fromRight > 1 && (fromRight - 1) % 3 == 0) out += fs.ThousandSeparator;
    };
    bool leadDone = false;
    auto emitLead = [&]() {
        if (leadDone) return;
        leadDone = true;
        for (int k = n; k > p.intPlaces; --k) emitInt(k);
    };
    int intSeen = 0, decSeen = 0;
    bool afterPoint = false;
    WalkSection(s, [&](char kind, size_t at, size_t len) {
        if (kind == 'q') {
            out.append(s.substr(at, len));
            return;
        }
        char c = s[at];
        if (c == '.' && !afterPoint) {
            emitLead();
            afterPoint = true;
            if (!decDigits.empty()) out += fs.DecimalSeparator;
        } else if (c == '0' || c == '#') {
            if (afterPoint) {
                if (decSeen < static_cast<int>(decDigits.size())) out += decDigits[decSeen];
                ++decSeen;
            } else {
                emitLead();
                int fromRight = p.intPlaces - intSeen++;
                if (fromRight <= n) emitInt(fromRight);
            }
        } else if (c != ',') {
            out += c;
        }
    });
    return out;
}

}  // namespace

std::string FormatNumber(std::string_view picture, double value, const FormatSettings& fs) {
    if (!std::isfinite(value)) return NonFinite(value);
    std::vector<std::string_view> sections = SplitSections(picture);
    if (sections[0].empty() && sections.size() == 1) return FormatGeneral(value, fs);
    if (value < 0 && sections.size() >= 2 && !sections[1].empty())
        return FormatSection(sections[1], -value, false, fs);
    if (value == 0 && sections.size() >= 3 && !sections[2].empty())
        return FormatSection(sections[2], 0, false, fs);
    return FormatSection(sections[0], std::fabs(value), value < 0, fs);
}

bool TryTextToNumber(std::string_view text, double& out, const FormatSettings& fs) {
    size_t b = 0, e = text.size();
    while (b < e && static_cast<unsigned char>(text[b]) <= ' ') ++b;
    while (e > b && static_cast<unsigned char>(text[e - 1]) <= ' ') --e;
    std::string_view t = text.substr(b, e - b);
    if (t.empty()) return false;
    std::string buf;  // the same number in from_chars' syntax
    size_t i = 0;
    if (t[i] == '+' || t[i] == '-') {
        if (t[i] == '-') buf += '-';
        ++i;
    }
    int digits = 0;
    bool point = false, nonZero = false;
    int magnitude = 0;  // decimal exponent of the first significant digit, give or take one
    for (; i < t.size(); ++i) {
        char c = t[i];
        if (c >= '0' && c <= '9') {
            buf += c;
            ++digits;
            nonZero = nonZero || c != '0';
            if (!point && nonZero) ++magnitude;
            if (point && !nonZero) --magnitude;
        } else if (c == fs.DecimalSeparator && !point) {
            buf += '.';
            point = true;
        } else {
            break;
        }
    }
    if (digits == 0) return false;
    if (i < t.size() && (t[i] == 'E' || t[i] == 'e')) {
        buf += 'e';
        ++i;
        bool negativeExp = i < t.size() && t[i] == '-';
        if (i < t.size() && (t[i] == '+' || t[i] == '-')) buf += t[i++];
        int expDigits = 0, exp10 = 0;
        for (; i < t.size() && t[i] >= '0' && t[i] <= '9'; ++i, ++expDigits) {
            buf += t[i];
            exp10 = std::min(exp10 * 10 + (t[i] - '0'), 100000);
        }
        if (expDigits == 0) return false;
        magnitude += negativeExp ? -exp10 : exp10;
    }
    if (i != t.size()) return false;
    double v = 0;
    auto r = std::from_chars(buf.data(), buf.data() + buf.size(), v);
    if (r.ptr != buf.data() + buf.size()) return false;
    if (r.ec == std::errc::result_out_of_range) {
        // Overflow fails; a value too small for a double is zero.
        if (magnitude > 0) return false;
        v = 0;
    } else if (r.ec != std::errc()) {
        return false;
    }
    out = v;
    return true;
}

double TextToNumber(std::string_view text, const FormatSettings& fs) {
    double v;
    if (!TryTextToNumber(text, v, fs)) throw EConvertError("'" + std::string(text) + "' non \xE8 un numero valido");
    return v;
}

}  // namespace tessaly

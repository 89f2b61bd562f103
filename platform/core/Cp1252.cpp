#include "platform/core/Cp1252.h"

namespace tessaly {
namespace {

const char16_t kHigh[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

}  // namespace

void AppendUtf8(std::string& out, char32_t u) {
    if (u < 0x80) {
        out += char(u);
    } else if (u < 0x800) {
        out += char(0xC0 | (u >> 6));
        out += char(0x80 | (u & 0x3F));
    } else if (u < 0x10000) {
        out += char(0xE0 | (u >> 12));
        out += char(0x80 | ((u >> 6) & 0x3F));
        out += char(0x80 | (u & 0x3F));
    } else {
        out += char(0xF0 | (u >> 18));
        out += char(0x80 | ((u >> 12) & 0x3F));
        out += char(0x80 | ((u >> 6) & 0x3F));
        out += char(0x80 | (u & 0x3F));
    }
}

namespace {

// Decodes one UTF-8 sequence at s[i]; advances i. Returns U+FFFD for malformed input.
char32_t DecodeUtf8(std::string_view s, size_t& i) {
    unsigned char c = s[i++];
    if (c < 0x80) return c;
    int extra = c >= 0xF0 && c < 0xF8 ? 3 : c >= 0xE0 ? 2 : c >= 0xC0 ? 1 : -1;
    if (extra < 0 || c >= 0xF8) return 0xFFFD;
    char32_t u = c & (0x3F >> extra);
    for (int k = 0; k < extra; ++k) {
        if (i >= s.size() || (static_cast<unsigned char>(s[i]) & 0xC0) != 0x80) return 0xFFFD;
        u = (u << 6) | (static_cast<unsigned char>(s[i++]) & 0x3F);
    }
    return u;
}

}  // namespace

char32_t Cp1252ToUnicode(unsigned char c) {
    return c >= 0x80 && c < 0xA0 ? kHigh[c - 0x80] : c;
}

char UnicodeToCp1252(char32_t u) {
    if (u < 0x80 || (u >= 0xA0 && u <= 0xFF)) return char(u);
    for (int k = 0; k < 32; ++k)
        if (kHigh[k] == u) return char(0x80 + k);
    return '?';
}

std::string Cp1252ToUtf8(std::string_view s) {
    std::string out;
    out.reserve(s.size());
    for (unsigned char c : s) AppendUtf8(out, Cp1252ToUnicode(c));
    return out;
}

std::string Utf8ToCp1252(std::string_view s) {
    std::string out;
    out.reserve(s.size());
    for (size_t i = 0; i < s.size();) out += UnicodeToCp1252(DecodeUtf8(s, i));
    return out;
}

bool TryUtf8ToCp1252(std::string_view s, std::string& out) {
    out.clear();
    out.reserve(s.size());
    for (size_t i = 0; i < s.size();) {
        const char32_t u = DecodeUtf8(s, i);  // malformed input gives U+FFFD, which cp1252 lacks
        const char c = UnicodeToCp1252(u);
        if (Cp1252ToUnicode(static_cast<unsigned char>(c)) != u) return false;
        out += c;
    }
    return true;
}

std::u16string Cp1252ToUtf16(std::string_view s) {
    std::u16string out;
    out.reserve(s.size());
    for (unsigned char c : s) out += char16_t(Cp1252ToUnicode(c));
    return out;
}

std::u16string Utf8ToUtf16(std::string_view s) {
    std::u16string out;
    for (size_t i = 0; i < s.size();) {
        char32_t u = DecodeUtf8(s, i);
        if (u >= 0x10000) {
            u -= 0x10000;
            out += char16_t(0xD800 + (u >> 10));
            out += char16_t(0xDC00 + (u & 0x3FF));
        } else {
            out += char16_t(u);
        }
    }
    return out;
}

std::string Utf16ToCp1252(std::u16string_view s) {
    std::string out;
    out.reserve(s.size());
    for (size_t i = 0; i < s.size(); ++i) {
        char16_t c = s[i];
        if (c >= 0xD800 && c < 0xDC00 && i + 1 < s.size() && s[i + 1] >= 0xDC00 && s[i + 1] < 0xE000) ++i;
        out += UnicodeToCp1252(c >= 0xD800 && c < 0xE000 ? 0xFFFD : c);
    }
    return out;
}

std::string Utf16ToUtf8(std::u16string_view s) {
    std::string out;
    for (size_t i = 0; i < s.size(); ++i) {
        char32_t u = s[i];
        if (u >= 0xD800 && u < 0xDC00 && i + 1 < s.size() && s[i + 1] >= 0xDC00 && s[i + 1] < 0xE000) {
            u = 0x10000 + ((u - 0xD800) << 10) + (s[i + 1] - 0xDC00);
            ++i;
        } else if (u >= 0xD800 && u < 0xE000) {
            u = 0xFFFD;
        }
        AppendUtf8(out, u);
    }
    return out;
}

char UpCase(char c) { return c >= 'a' && c <= 'z' ? char(c - 32) : c; }

std::string UpperCase(std::string_view s) {
    std::string out(s);
    for (char& c : out) c = UpCase(c);
    return out;
}

std::string LowerCase(std::string_view s) {
    std::string out(s);
    for (char& c : out)
        if (c >= 'A' && c <= 'Z') c = char(c + 32);
    return out;
}

int CompareText(std::string_view a, std::string_view b) {
    size_t n = a.size() < b.size() ? a.size() : b.size();
    for (size_t i = 0; i < n; ++i) {
        unsigned char x = UpCase(a[i]), y = UpCase(b[i]);
        if (x != y) return x < y ? -1 : 1;
    }
    return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

bool SameText(std::string_view a, std::string_view b) { return CompareText(a, b) == 0; }

std::string Trim(std::string_view s) {
    size_t b = 0, e = s.size();
    while (b < e && static_cast<unsigned char>(s[b]) <= 32) ++b;
    while (e > b && static_cast<unsigned char>(s[e - 1]) <= 32) --e;
    return std::string(s.substr(b, e - b));
}

}  // namespace tessaly

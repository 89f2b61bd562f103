#include "platform/text/FormatSettings.h"

#include <langinfo.h>
#include <locale.h>

#include <climits>
#include <cstdlib>
#include <cstring>
#include <string_view>

#include "platform/core/Cp1252.h"

namespace tessaly {

namespace {

// The locale name in force for one category, as setlocale(cat, "") would choose it.
std::string EnvironmentLocale(const char* categoryVariable) {
    for (const char* var : {"LC_ALL", categoryVariable, "LANG"}) {
        const char* v = std::getenv(var);
        if (v && *v) return v;
    }
    return "C";
}

bool IsCLocale(const std::string& name) {
    return name == "C" || name == "POSIX" || name.rfind("C.", 0) == 0;
}

// Opens the locale of one category, or returns 0 when it is C/POSIX or not installed. The
// character type comes from the same locale, so that its texts are read in their own codeset.
locale_t OpenCategory(int mask, const char* variable) {
    std::string name = EnvironmentLocale(variable);
    if (IsCLocale(name)) return locale_t(0);
    return newlocale(mask | LC_CTYPE_MASK, name.c_str(), locale_t(0));
}

class LocaleText {
public:
    explicit LocaleText(locale_t loc) : loc_(loc) {
        std::string_view codeset = nl_langinfo_l(CODESET, loc);
        utf8_ = codeset == "UTF-8" || codeset == "utf8";
    }
    std::string Get(nl_item item) const { return ToCp1252(nl_langinfo_l(item, loc_)); }
    std::string ToCp1252(const char* s) const { return utf8_ ? Utf8ToCp1252(s) : std::string(s); }
    // A one-character setting; `fallback` when the locale's text is not one cp1252 character.
    char Char(nl_item item, char fallback) const {
        std::string s = Get(item);
        return s.size() == 1 ? s[0] : fallback;
    }

private:
    locale_t loc_;
    bool utf8_ = true;
};

struct PictureResult {
    std::string picture;
    char separator = 0;
};

// Turns a strftime format into a date-time picture; the first separator character between fields
// becomes the picture's "/" (dates) or ":" (times).
PictureResult PictureFromStrftime(std::string_view fmt, char separatorMark) {
    PictureResult r;
    std::string& out = r.picture;
    for (size_t i = 0; i < fmt.size(); ++i) {
        char c = fmt[i];
        if (c != '%') {
            if (c != ' ' && !r.separator && !(c >= 'a' && c <= 'z') && !(c >= 'A' && c <= 'Z')) r.separator = c;
            if (c == r.separator)
                out += separatorMark;
            else if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '/' || c == ':')
                out += std::string("\"") + c + "\"";
            else
                out += c;
            continue;
        }
        if (++i >= fmt.size()) break;
        bool unpadded = false;
        while (i < fmt.size() && (fmt[i] == '-' || fmt[i] == '_' || fmt[i] == '0' || fmt[i] == 'E' || fmt[i] == 'O')) {
            unpadded = unpadded || fmt[i] == '-';
            ++i;
        }
        if (i >= fmt.size()) break;
        switch (fmt[i]) {
            case 'd': out += unpadded ? "d" : "dd"; break;
            case 'e': out += "d"; break;
            case 'm': out += unpadded ? "m" : "mm"; break;
            case 'y': out += "yy"; break;
            case 'Y': out += "yyyy"; break;
            case 'b': case 'h': out += "mmm"; break;
            case 'B': out += "mmmm"; break;
            case 'a': out += "ddd"; break;
            case 'A': out += "dddd"; break;
            case 'H': case 'I': out += unpadded ? "h" : "hh"; break;
            case 'k': case 'l': out += "h"; break;
            case 'M': out += "nn"; break;
            case 'S': out += "ss"; break;
            case 'p': case 'P': out += "ampm"; break;
            case 'T': out += "hh:nn:ss"; if (!r.separator) r.separator = ':'; break;
            case 'R': out += "hh:nn"; if (!r.separator) r.separator = ':'; break;
            case 'r': out += "hh:nn:ss ampm"; if (!r.separator) r.separator = ':'; break;
            case 'D': out += "mm/dd/yy"; if (!r.separator) r.separator = '/'; break;
            case 'F': out += "yyyy/mm/dd"; if (!r.separator) r.separator = '-'; break;
            case '%': out += '%'; break;
            case 'n': case 't': out += ' '; break;
            default: break;
        }
    }
    return r;
}

// The short time picture is the long one without its seconds.
std::string WithoutSeconds(std::string picture) {
    size_t s = picture.find("ss");
    if (s == std::string::npos) return picture;
    size_t from = s;
    if (from > 0 && picture[from - 1] == ':') --from;
    picture.erase(from, s + 2 - from);
    return picture;
}

void ReadNumeric(FormatSettings& fs) {
    locale_t loc = OpenCategory(LC_NUMERIC_MASK, "LC_NUMERIC");
    if (!loc) return;
    LocaleText text(loc);
    fs.DecimalSeparator = text.Char(RADIXCHAR, fs.DecimalSeparator);
    char fallback = fs.DecimalSeparator == ',' ? '.' : ',';
    fs.ThousandSeparator = text.Char(THOUSEP, fallback);
    if (fs.ThousandSeparator == fs.DecimalSeparator) fs.ThousandSeparator = fallback;
    freelocale(loc);
}

void ReadTime(FormatSettings& fs) {
    locale_t loc = OpenCategory(LC_TIME_MASK, "LC_TIME");
    if (!loc) return;
    LocaleText text(loc);
    for (int i = 0; i < 12; ++i) {
        fs.ShortMonthNames[i] = text.Get(ABMON_1 + i);
        fs.LongMonthNames[i] = text.Get(MON_1 + i);
    }
    for (int i = 0; i < 7; ++i) {
        fs.ShortDayNames[i] = text.Get(ABDAY_1 + i);
        fs.LongDayNames[i] = text.Get(DAY_1 + i);
    }
    PictureResult date = PictureFromStrftime(nl_langinfo_l(D_FMT, loc), '/');
    if (!date.picture.empty()) {
        fs.ShortDateFormat = date.picture;
        if (date.separator) fs.DateSeparator = date.separator;
        bool monthFirst = date.picture.find('m') < date.picture.find('d');
        fs.LongDateFormat = monthFirst ? "dddd, mmmm d, yyyy" : "dddd d mmmm yyyy";
    }
    PictureResult time = PictureFromStrftime(nl_langinfo_l(T_FMT, loc), ':');
    if (!time.picture.empty()) {
        fs.LongTimeFormat = time.picture;
        fs.ShortTimeFormat = WithoutSeconds(time.picture);
        if (time.separator) fs.TimeSeparator = time.separator;
    }
    fs.TimeAMString = text.Get(AM_STR);
    fs.TimePMString = text.Get(PM_STR);
    freelocale(loc);
}

int NegativeLayout(bool precedes, bool separated, int signPosition) {
    static constexpr int kLayouts[2][2][5] = {
        {{4, 5, 7, 6, 7}, {15, 8, 10, 13, 10}},   // symbol after the amount
        {{0, 1, 3, 1, 2}, {14, 9, 11, 9, 12}},    // symbol before the amount
    };
    if (signPosition < 0 || signPosition > 4) signPosition = 1;
    return kLayouts[precedes][separated][signPosition];
}

void ReadMonetary(FormatSettings& fs) {
    locale_t loc = OpenCategory(LC_MONETARY_MASK, "LC_MONETARY");
    if (!loc) return;
    LocaleText text(loc);
    locale_t old = uselocale(loc);
    const lconv* lc = localeconv();
    std::string symbol = text.ToCp1252(lc->currency_symbol);
    bool pPrecedes = lc->p_cs_precedes == 1, pSeparated = lc->p_sep_by_space == 1;
    bool nPrecedes = lc->n_cs_precedes == 1, nSeparated = lc->n_sep_by_space == 1;
    int signPosition = lc->n_sign_posn == CHAR_MAX ? 1 : lc->n_sign_posn;
    int decimals = lc->frac_digits == CHAR_MAX ? -1 : lc->frac_digits;
    uselocale(old);
    freelocale(loc);
    if (symbol.empty()) return;
    fs.CurrencyString = symbol;
    fs.CurrencyFormat = (pPrecedes ? 0 : 1) + (pSeparated ? 2 : 0);
    fs.NegCurrFormat = NegativeLayout(nPrecedes, nSeparated, signPosition);
    if (decimals >= 0 && decimals <= 4) fs.CurrencyDecimals = decimals;
}

}  // namespace

FormatSettings FormatSettings::Italian() {
    FormatSettings fs;
    fs.ShortMonthNames = {"gen", "feb", "mar", "apr", "mag", "giu", "lug", "ago", "set", "ott", "nov", "dic"};
    fs.LongMonthNames = {"gennaio", "febbraio", "marzo", "aprile",    "maggio",  "giugno",
                         "luglio",  "agosto",   "settembre", "ottobre", "novembre", "dicembre"};
    fs.ShortDayNames = {"dom", "lun", "mar", "mer", "gio", "ven", "sab"};
    fs.LongDayNames = {"domenica", "luned\xEC", "marted\xEC", "mercoled\xEC", "gioved\xEC", "venerd\xEC", "sabato"};
    return fs;
}

FormatSettings FormatSettings::FromLocale() {
    FormatSettings fs = Italian();
    ReadNumeric(fs);
    ReadTime(fs);
    ReadMonetary(fs);
    return fs;
}

FormatSettings& CurrentFormatSettings() {
    static FormatSettings current = FormatSettings::FromLocale();
    return current;
}

}  // namespace tessaly

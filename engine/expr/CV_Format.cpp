#include "engine/expr/CV_Format.h"

#include <cmath>
#include <optional>

#include "engine/expr/CV_Const.h"
#include "engine/expr/CV_Expr.h"
#include "engine/expr/CV_FormatCode.h"
#include "engine/expr/CV_PrepError.h"
#include "engine/expr/CV_TextRun.h"
#include "platform/core/Errors.h"
#include "platform/text/DateFormat.h"
#include "platform/text/FormatSettings.h"
#include "platform/text/NumberFormat.h"

namespace tessaly {

namespace {

// The significant digits of the fixed number formats before they turn to exponent form.
constexpr int kFixedPrecision = 10;

const char* const kNumberPatterns[] = {"0.##", nullptr, "0,.##", nullptr};
const char* const kDatePatterns[] = {"dd/mm/yy", "dd/mm/yyyy", "d mmm yyyy", "d mmmm yyyy"};
const char* const kTimePatterns[] = {"hh:nn:ss", "h:nn:ss", "hh:nn", "h:nn"};

// The text of a value as is; nothing when even that cannot be made (a date beyond the calendar).
AnsiString PlainText(const Variant& value) {
    try {
        return value.AsString();
    } catch (const EngineError&) {
        return {};
    }
}

AnsiString TextCategory(const Variant& value, const FormatSettings& fs) {
    if (value.Type() != VarType::Date) return value.AsString();
    const double d = value.DoubleValue();
    const bool hasDay = std::trunc(d) != 0, hasTime = d != std::trunc(d);
    if (hasDay) return FormatDateTime(hasTime ? "dd/mm/yyyy hh:nn:ss" : "dd/mm/yyyy", d, fs);
    return hasTime ? FormatDateTime("hh:nn:ss", d, fs) : AnsiString();
}

AnsiString NumberCategory(const Variant& value, uint32_t code, std::string_view formatText, const FormatSettings& fs) {
    if (value.IsString()) return AnsiString(value.StringValue());
    const double v = value.AsDouble();
    switch (const int index = FormatIndex(code)) {
        case 0: case 2: return FormatNumber(kNumberPatterns[index], v, fs);
        case 1: case 3: return FormatFixed(v, kFixedPrecision, FormatDecimals(code), index == 3, fs);
        case CustomFormatIndex: return FormatNumber(formatText, v, fs);
        default: return {};
    }
}

AnsiString DateTimeCategory(const Variant& value, const char* const patterns[4], int index,
                            std::string_view formatText, const FormatSettings& fs) {
    if (index == CustomFormatIndex) return FormatDateTime(formatText, value.AsDateTime(), fs);
    return index < CustomFormatIndex ? FormatDateTime(patterns[index], value.AsDateTime(), fs) : AnsiString();
}

// A whole number written in decimal digits, with an optional sign.
int64_t WholeNumber(std::string_view text) {
    const std::string t = Trim(text);
    size_t i = t.starts_with('-') || t.starts_with('+') ? 1 : 0;
    if (i == t.size() || t.size() > 19) throw EConvertError("'" + t + "' non \xE8 un numero intero valido");
    for (size_t k = i; k < t.size(); ++k)
        if (t[k] < '0' || t[k] > '9') throw EConvertError("'" + t + "' non \xE8 un numero intero valido");
    return std::stoll(t);
}

AnsiString TruthCategory(const Variant& value, int index) {
    switch (index) {
        case 0: return value.AsInteger() == 0 ? "0" : "1";
        case 1: return WholeNumber(value.AsString()) == 0 ? "No" : "Si";
        case 2: return value.AsInteger() == 0 ? " " : "X";
        default: return {};
    }
}

// The locale's settings with ":" as time separator and, for numbers, the code's decimal separator;
// copied only when they differ (a copy costs more than formatting a number).
class Settings {
public:
    explicit Settings(uint32_t code) : base_(CurrentFormatSettings()) {
        const bool number = FormatCategory(code) == fcNumber;
        if (base_.TimeSeparator == ':' && (!number || base_.DecimalSeparator == FormatSeparator(code))) return;
        own_ = base_;
        own_->TimeSeparator = ':';
        if (number) own_->DecimalSeparator = FormatSeparator(code);
    }
    const FormatSettings& Get() const { return own_ ? *own_ : base_; }

private:
    const FormatSettings& base_;
    std::optional<FormatSettings> own_;
};

}  // namespace

AnsiString FormatValue(const Variant& value, uint32_t code, std::string_view formatText) {
    if (value.IsNull() || value.IsEmpty()) return {};
    const Settings settings(code);
    const FormatSettings& fs = settings.Get();
    try {
        switch (FormatCategory(code)) {
            case fcText: return TextCategory(value, fs);
            case fcNumber: return NumberCategory(value, code, formatText, fs);
            case fcDate: return DateTimeCategory(value, kDatePatterns, FormatIndex(code), formatText, fs);
            case fcTime: return DateTimeCategory(value, kTimePatterns, FormatIndex(code), formatText, fs);
            case fcBoolean: return TruthCategory(value, FormatIndex(code));
            default: return {};
        }
    } catch (const EngineError&) {
        return PlainText(value);
    }
}

void ExpandValueText(std::string_view text, AnsiString& result) {
    TcvTextRun& run = TextRun();
    if (run.Error().Recorded) return;
    try {
        Variant value;
        const TcvExpr& ev = ExpressionEvaluator();
        if (ev.ResolveValue) ev.ResolveValue(ev.ResolveContext, text, nullptr, value);
        if (value.IsEmpty()) EvaluateExpression(text, value);
        if (run.Registering()) {
            result = value.AsString();
            return;
        }
        run.LastValue() = value;
        const TcvObjectFormat format = run.ObjectFormat();
        result = FormatValue(value, format.Code, format.Text);
        if (result.find_first_of("\r\n") != AnsiString::npos) run.MarkSeveralLines();
    } catch (const EngineError& e) {
        // While aggregates register, rows hold whatever is current: only the registration's own
        // errors count.
        if (!run.Registering()) ReportPreparationError(MsgExpansionError + e.Message());
    }
}

}  // namespace tessaly

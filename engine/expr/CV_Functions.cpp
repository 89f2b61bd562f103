#include "engine/expr/CV_Functions.h"

#include <cmath>
#include <unordered_map>

#include "engine/expr/CV_Aggregates.h"
#include "engine/expr/CV_Const.h"
#include "engine/expr/CV_PrepError.h"
#include "engine/expr/CV_Utils.h"
#include "engine/expr/CV_TextRun.h"
#include "platform/core/Errors.h"
#include "platform/text/DateFormat.h"
#include "platform/text/NumberFormat.h"

namespace tessaly {

namespace {

using Args = TcvFunctionArgs;

// A whole-number result that must fit 32 bits.
Variant Whole(double v) {
    if (!(v >= -2147483648.0 && v <= 2147483647.0)) throw EConvertError("Valore fuori dall'intervallo degli interi");
    return Variant(static_cast<int32_t>(v));
}

// A real result; a mathematical domain error or an overflow fails.
Variant Real(double v) {
    if (!std::isfinite(v)) throw EMathError();
    return Variant(v);
}

bool IsAsciiLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

Variant FillStr(const Args& a) {
    const AnsiString y = a.String(1);
    const int32_t x = a.Integer(0);
    if (x <= 0 || y.empty()) return Variant("");
    if (static_cast<uint64_t>(x) * y.size() > MaxFunctionText)
        throw EngineError("Il testo di FILLSTR supererebbe 1 MB");
    AnsiString s;
    s.reserve(static_cast<size_t>(x) * y.size());
    for (int32_t i = 0; i < x; ++i) s += y;
    return Variant(std::move(s));
}

Variant Ceil(const Args& a) {
    const double x = a.Number(0);
    const double t = std::trunc(x);
    return Whole(x - t > 0 ? t + 1 : t);
}

Variant Floor(const Args& a) {
    const double x = a.Number(0);
    const double t = std::trunc(x);
    return Whole(x - t < 0 ? t - 1 : t);
}

Variant Pos(const Args& a) {
    const AnsiString y = a.String(1);
    const AnsiString x = a.String(0);
    const size_t at = x.empty() ? AnsiString::npos : y.find(x);
    return Variant(at == AnsiString::npos ? 0 : static_cast<int32_t>(at + 1));
}

Variant Copy(const Args& a) {
    const int32_t from = std::max(a.Integer(1), 1);
    const int32_t count = a.Integer(2);
    const AnsiString x = a.String(0);
    if (count < 1 || static_cast<size_t>(from) > x.size()) return Variant("");
    return Variant(x.substr(from - 1, static_cast<size_t>(count)));
}

Variant NameCase(const Args& a) {
    AnsiString s = LowerCase(a.String(0));
    if (!s.empty()) s[0] = UpCase(s[0]);
    return Variant(std::move(s));
}

Variant PhraseCase(const Args& a) {
    AnsiString s = LowerCase(a.String(0));
    for (size_t i = 0; i < s.size(); ++i)
        if (i == 0 || !IsAsciiLetter(s[i - 1])) s[i] = UpCase(s[i]);
    return Variant(std::move(s));
}

Variant FormatFloat(const Args& a) {
    const double y = a.Number(1);
    return Variant(FormatNumber(a.String(0), y));
}

Variant FormatDateTimeOf(const Args& a) {
    const double y = a.Value(1).AsDateTime();
    return Variant(FormatDateTime(a.String(0), y));
}

// Only a condition whose value is 1 chooses the second argument. While aggregates register, every
// branch is evaluated (so that the aggregates in each register) and none of their errors counts.
Variant If(const Args& a) {
    if (TextRun().Registering()) {
        for (int i = 0; i < 3; ++i) {
            try {
                a.Value(i);
            } catch (const EngineError&) {
            }
        }
        return Variant(1);
    }
    const Variant condition = a.Value(0);
    const bool chosen = condition.IsNumber() && condition.AsDouble() == 1.0;
    return a.Value(chosen ? 1 : 2);
}

struct FunctionDef {
    int minArgs;
    int maxArgs;
    Variant (*run)(const Args& a);
};

const std::unordered_map<std::string_view, FunctionDef>& Functions() {
    static const std::unordered_map<std::string_view, FunctionDef> table = {
        {"STR", {1, 1, [](const Args& a) { return Variant(FormatGeneral(a.Number(0))); }}},
        {"FILLSTR", {2, 2, &FillStr}},
        {"CEIL", {1, 1, &Ceil}},
        {"FLOOR", {1, 1, &Floor}},
        {"IF", {3, 3, &If}},
        {"INT", {1, 1, [](const Args& a) { return Variant(std::trunc(a.Number(0))); }}},
        {"FRAC", {1, 1, [](const Args& a) { const double x = a.Number(0); return Variant(x - std::trunc(x)); }}},
        {"ABS", {1, 1, [](const Args& a) { return Variant(std::fabs(a.Number(0))); }}},
        {"ARCTAN", {1, 1, [](const Args& a) { return Real(std::atan(a.Number(0))); }}},
        {"COS", {1, 1, [](const Args& a) { return Real(std::cos(a.Number(0))); }}},
        {"EXP", {1, 1, [](const Args& a) { return Real(std::exp(a.Number(0))); }}},
        {"LN", {1, 1, [](const Args& a) { return Real(std::log(a.Number(0))); }}},
        {"SIN", {1, 1, [](const Args& a) { return Real(std::sin(a.Number(0))); }}},
        {"SQR", {1, 1, [](const Args& a) { const double x = a.Number(0); return Real(x * x); }}},
        {"SQRT", {1, 1, [](const Args& a) { return Real(std::sqrt(a.Number(0))); }}},
        {"POS", {2, 2, &Pos}},
        {"LENGTH", {1, 1, [](const Args& a) { return Variant(static_cast<int32_t>(a.String(0).size())); }}},
        {"ROUND", {1, 1, [](const Args& a) { return Whole(std::nearbyint(a.Number(0))); }}},
        {"TRUNC", {1, 1, [](const Args& a) { return Whole(std::trunc(a.Number(0))); }}},
        {"POWER", {2, 2, [](const Args& a) { const Variant y = a.Value(1); return VarPower(a.Value(0), y); }}},
        {"UPPERCASE", {1, 1, [](const Args& a) { return Variant(UpperCase(a.String(0))); }}},
        {"LOWERCASE", {1, 1, [](const Args& a) { return Variant(LowerCase(a.String(0))); }}},
        {"COPY", {3, 3, &Copy}},
        {"VAL", {1, 1, [](const Args& a) { return Variant(TextToNumber(a.String(0))); }}},
        {"STRTODATE", {1, 1, [](const Args& a) { return Variant::DateTime(TextToDate(a.String(0))); }}},
        {"STRTOTIME", {1, 1, [](const Args& a) { return Variant::DateTime(TextToTime(a.String(0))); }}},
        {"NAMECASE", {1, 1, &NameCase}},
        {"PHRASECASE", {1, 1, &PhraseCase}},
        {"NUMBERTOLETTER", {1, 1, [](const Args& a) { return NumberToLetter(a.Value(0)); }}},
        {"FORMATFLOAT", {2, 2, &FormatFloat}},
        {"FORMATDATETIME", {2, 2, &FormatDateTimeOf}},
        {"MONEYTOEURO", {1, 1, [](const Args& a) { return MoneyToEuroText(a.Value(0)); }}},
        {"EURO", {1, 1, [](const Args& a) { return EuroText(a.Value(0)); }}},
        {"MONEY", {1, 1, [](const Args& a) { return MoneyText(a.Value(0)); }}},
        {"EUROTOMONEY", {1, 1, [](const Args& a) { return EuroToMoneyText(a.Value(0)); }}},
        {"EUROTOMONEYVAL", {1, 1, [](const Args& a) { return EuroToMoneyValue(a.Value(0)); }}},
        {"MONEYTOEUROVAL", {1, 1, [](const Args& a) { return MoneyToEuroValue(a.Value(0)); }}},
    };
    return table;
}

bool CountFits(std::string_view key, int count, int minArgs, int maxArgs) {
    if (count >= minArgs && count <= maxArgs) return true;
    ReportPreparationError(MsgWrongArgumentCount + AnsiString(key));
    return false;
}

}  // namespace

Variant TcvFunctionArgs::Value(int i) const {
    Variant v;
    EvaluateExpression(texts_[i], v);
    return v;
}

AnsiString TcvFunctionArgs::Joined() const {
    AnsiString s;
    for (size_t i = 0; i < texts_.size(); ++i) s += (i ? "," : "") + texts_[i];
    return s;
}

bool CallBuiltInFunction(const TComponent* owner, std::string_view key, const TcvExprArgs& args, Variant& value) {
    const int aggregate = AggregateFunction(key);
    const auto& table = Functions();
    const auto found = table.find(key);
    if (aggregate < 0 && found == table.end()) return false;
    const int count = static_cast<int>(args.size());
    if (aggregate >= 0 ? !CountFits(key, count, aggregate == afCount ? 0 : 1, 1)
                       : !CountFits(key, count, found->second.minArgs, found->second.maxArgs))
        return true;
    try {
        if (aggregate >= 0)
            ResolveAggregate(owner, static_cast<TcvAggregateFunction>(aggregate), args, value);
        else
            value = found->second.run(TcvFunctionArgs(args));
    } catch (const EngineError&) {
        value.Clear();
        if (TextRun().Registering())
            value = Variant(0);
        else
            ReportPreparationError(MsgFunctionFailed + AnsiString(key) + " (" + TcvFunctionArgs(args).Joined() + ")");
    }
    return true;
}

}  // namespace tessaly

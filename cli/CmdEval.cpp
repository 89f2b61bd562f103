// tessaly-cli eval EXPR: evaluates an expression and prints the kind and text of its value.
#include <cstdio>
#include <string>
#include <vector>

#include "cli/Commands.h"
#include "engine/expr/CV_Expr.h"
#include "engine/report/CV_Report.h"
#include "engine/report/CV_Startup.h"
#include "platform/core/Cp1252.h"
#include "platform/core/Errors.h"
#include "platform/text/DateFormat.h"
#include "platform/text/NumberFormat.h"

namespace tessaly::cli {

namespace {

// Machine-readable numbers: "." as decimal point, ISO dates.
FormatSettings PlainSettings() {
    FormatSettings fs = FormatSettings::Italian();
    fs.DecimalSeparator = '.';
    fs.TimeSeparator = ':';
    return fs;
}

std::string Describe(const Variant& v) {
    const FormatSettings plain = PlainSettings();
    switch (v.Type()) {
        case VarType::Empty: return "empty";
        case VarType::Null: return "null";
        case VarType::Byte:
        case VarType::Integer: return "integer " + std::to_string(v.IntegerValue());
        case VarType::Double: return "double " + FormatGeneral(v.DoubleValue(), plain);
        case VarType::Currency: return "currency " + FormatGeneral(v.CurrencyValue(), plain);
        case VarType::Date:
            try {
                return "date-time " + FormatDateTime("yyyy\"-\"mm\"-\"dd hh:nn:ss", v.DoubleValue(), plain);
            } catch (const EngineError&) {
                return "date-time " + FormatGeneral(v.DoubleValue(), plain);  // outside the calendar
            }
        case VarType::String: return "string " + Cp1252ToUtf8(v.StringValue());
        case VarType::Boolean: return v.BooleanValue() ? "boolean true" : "boolean false";
    }
    return "?";
}

}  // namespace

int RunEval(const Args& args) {
    if (args.empty()) return kWrongUsage;
    std::string text;
    for (const std::string& a : args) text += (text.empty() ? "" : " ") + a;
    EngineUnits units(nullptr);
    Variant value;
    try {
        // A report's constructor installs its name resolver, through which names reach the
        // built-in variables and functions.
        TcvReport report(nullptr);
        EvaluateExpression(Utf8ToCp1252(text), value);
    } catch (const EngineError& e) {
        return Fail(e.Message());
    }
    std::printf("%s\n", Describe(value).c_str());
    return 0;
}

}  // namespace tessaly::cli

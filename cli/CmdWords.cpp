// tessaly-cli words NUMBER...: the Italian words of each number, one line each, as
// NUMBERTOLETTER writes them.
#include <cstdio>
#include <string>
#include <vector>

#include "cli/Commands.h"
#include "engine/expr/CV_Utils.h"
#include "platform/core/Cp1252.h"
#include "platform/core/Errors.h"
#include "platform/text/NumberFormat.h"

namespace tessaly::cli {

namespace {

// "." is always a decimal point here; the locale's own separator is accepted as well.
bool ReadNumber(const std::string& text, double& out) {
    FormatSettings dot = FormatSettings::Italian();
    dot.DecimalSeparator = '.';
    return TryTextToNumber(text, out, dot) || TryTextToNumber(text, out);
}

}  // namespace

int RunWords(const Args& args) {
    if (args.empty()) return kWrongUsage;
    for (const std::string& arg : args) {
        double number = 0;
        if (!ReadNumber(arg, number)) return Fail("'" + Utf8ToCp1252(arg) + "' non \xE8 un numero valido");
        try {
            std::printf("%s\n", Cp1252ToUtf8(NumberToLetter(Variant(number)).StringValue()).c_str());
        } catch (const EngineError& e) {
            return Fail(e.Message());
        }
    }
    return 0;
}

}  // namespace tessaly::cli

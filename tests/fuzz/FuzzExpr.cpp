// Fuzz target: the expression evaluator. The first byte chooses the error mode ("1": operator
// failures give 0; anything else: they raise), the rest is the expression text. The resolver
// answers a few names of every kind and, like the report's, evaluates the text of each argument
// through EvaluateExpression again. Every value is then turned into text, as a text object would.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "engine/expr/CV_Expr.h"
#include "platform/core/Cp1252.h"
#include "platform/core/Errors.h"
#include "platform/core/Variant.h"

using namespace tessaly;

namespace {

void Resolve(void*, std::string_view name, const TcvExprArgs* args, Variant& value) {
    if (args) {
        // A function: its value is the last argument that has one, or its argument count.
        Variant result(static_cast<int>(args->size()));
        for (const AnsiString& text : *args) {
            Variant v;
            EvaluateExpression(text, v);
            if (!v.IsEmpty()) result = v;
        }
        value = result;
        return;
    }
    if (SameText(name, "I"))
        value = Variant(7);
    else if (SameText(name, "R"))
        value = Variant(2.5);
    else if (SameText(name, "S"))
        value = Variant("testo");
    else if (SameText(name, "N"))
        value = Variant::Null();
    else if (SameText(name, "D"))
        value = Variant::DateTime(45000.75);
    else if (SameText(name, "C"))
        value = Variant(Currency::FromScaled(123456789));
    else if (SameText(name, "B"))
        value = Variant(true);
    else if (SameText(name, "\"Tab\".\"Il campo\""))
        value = Variant("campo");
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    SetExpressionResolver(&Resolve, nullptr);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    SetExpressionErrorMode(data[0] == '1' ? 1 : 0);
    std::string_view text(reinterpret_cast<const char*>(data) + 1, size - 1);
    Variant value;
    try {
        EvaluateExpression(text, value);
        value.AsString();
    } catch (const EngineError&) {
    }
    return 0;
}

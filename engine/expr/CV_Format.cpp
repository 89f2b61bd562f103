// Stand-in until the value formatting arrives: values as plain text.
#include "engine/expr/CV_Format.h"

#include "engine/expr/CV_Expr.h"
#include "engine/expr/CV_PrepError.h"
#include "engine/model/CV_View.h"
#include "engine/report/EngineState.h"
#include "platform/core/Errors.h"

namespace tessaly {

AnsiString FormatValue(const Variant& value, uint32_t, std::string_view) {
    return value.IsNull() || value.IsEmpty() ? AnsiString() : value.AsString();
}

void ExpandValueText(std::string_view text, AnsiString& result) {
    if (PreparationError.Recorded) return;
    try {
        Variant value;
        EvaluateExpression(text, value);
        CurrentValue = value;
        result = CurrentObject ? FormatValue(value, CurrentObject->Format, CurrentObject->FormatText) : value.AsString();
        if (CurrentObject && result.find("\r\n") != AnsiString::npos) CurrentObject->SeveralLines = true;
    } catch (const EngineError& e) {
        ReportPreparationError("Errore. " + e.Message());
    }
}

}  // namespace tessaly

#pragma once
// The expression evaluator: reads an expression text once, left to right, and computes its value
// while reading (no tokens, no tree, nothing cached). Literals, operators, parentheses and NOT are
// its own; every name goes to the resolver that a report installs, with the unevaluated texts of
// its arguments.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/core/Cp1252.h"
#include "platform/core/Variant.h"

namespace tessaly {

using TcvExprArgs = std::vector<AnsiString>;
class TcvTextRun;

// The name resolver: (context, name as written, argument texts or nullptr when the name had no
// parenthesis, value to fill). The value arrives empty; leaving it empty means "no such name".
using TcvResolveValue = void (*)(void* context, std::string_view name, const TcvExprArgs* args, Variant& value);

class TcvExpr {
public:
    // Nested levels (parentheses, right-associating operator runs, NOT, re-entrant evaluations
    // through the resolver) beyond this raise an error instead of exhausting the stack.
    static constexpr int MaxDepth = 1000;

    TcvResolveValue ResolveValue = nullptr;
    void* ResolveContext = nullptr;
    // The run that the texts being evaluated belong to (CV_TextRun.h); none: the quiet one.
    TcvTextRun* Run = nullptr;
    // What an operator failure does: 0 raises, 1 gives the integer 0 and goes on.
    uint8_t ErrorMode = 0;

    // Evaluates `text` (up to its first zero byte) into `value`. Raises EngineError with the
    // evaluator's messages; errors of number literals, NOT and the resolver pass unchanged.
    void Evaluate(std::string_view text, Variant& value);

private:
    friend class ExprReader;
    int depth_ = 0;  // levels open across re-entrant evaluations
};

// The one evaluator of the program: constant-initialised, so that it exists before any code runs
// and asks nothing at exit; report texts reach it, and the run beside it, at every expansion.
extern constinit TcvExpr TheExpressionEvaluator;
inline TcvExpr& ExpressionEvaluator() { return TheExpressionEvaluator; }

void EvaluateExpression(std::string_view text, Variant& value);
void SetExpressionResolver(TcvResolveValue resolver, void* context);
void SetExpressionErrorMode(uint8_t mode);

}  // namespace tessaly

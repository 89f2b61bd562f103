// bench_expr: how many times per second the evaluator computes Qta * Prezzo * (1 + Iva / 100)
// with a resolver answering the three names (goal: more than one million), and the same
// arithmetic done directly on Variants as the reference of the same run.
#include <benchmark/benchmark.h>

#include "engine/expr/CV_Expr.h"
#include "platform/core/Variant.h"

namespace {

using namespace tessaly;

void Resolve(void*, std::string_view name, const TcvExprArgs*, Variant& value) {
    if (name == "Qta")
        value = Variant(12);
    else if (name == "Prezzo")
        value = Variant(1936.27);
    else if (name == "Iva")
        value = Variant(22.0);
}

void EvaluateInvoiceLine(benchmark::State& state) {
    SetExpressionResolver(&Resolve, nullptr);
    Variant value;
    for (auto _ : state) {
        EvaluateExpression("Qta * Prezzo * (1 + Iva / 100)", value);
        benchmark::DoNotOptimize(value);
    }
    state.SetItemsProcessed(state.iterations());
    state.counters["evaluations/s"] = benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
    SetExpressionResolver(nullptr, nullptr);
}
BENCHMARK(EvaluateInvoiceLine);

void ReferenceVariantArithmetic(benchmark::State& state) {
    for (auto _ : state) {
        Variant qta, prezzo, iva;
        Resolve(nullptr, "Qta", nullptr, qta);
        Resolve(nullptr, "Prezzo", nullptr, prezzo);
        Resolve(nullptr, "Iva", nullptr, iva);
        Variant value = qta * prezzo * (Variant(1.0) + iva / Variant(100.0));
        benchmark::DoNotOptimize(value);
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(ReferenceVariantArithmetic);

}  // namespace

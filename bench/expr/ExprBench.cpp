// bench_expr: how many times per second the evaluator computes Qta * Prezzo * (1 + Iva / 100)
// with a resolver answering the three names (goal: more than one million), and the same
// arithmetic done directly on Variants as the reference of the same run; and how many times per
// second a report text with two fields, a function and a format expands (goal: one million).
#include <benchmark/benchmark.h>

#include "engine/expr/CV_Expr.h"
#include "engine/expr/CV_Format.h"
#include "engine/model/CV_ObjectRun.h"
#include "engine/model/CV_View.h"
#include "engine/report/CV_Report.h"
#include "engine/report/CV_Startup.h"
#include "platform/core/Variant.h"
#include "platform/data/DataModule.h"
#include "platform/data/MemoryDataset.h"
#include "platform/data/ModuleRegistry.h"

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

// A typical report text: two fields of a data module's dataset, one function and a format, expanded
// as a text object's bracketed part is (offered to the resolver as a name first, then evaluated and
// formatted by the object's format code). Goal: one million expansions per second.
class ReportText {
public:
    ReportText() : module_(nullptr), lines_(&module_), report_(nullptr), object_(&report_) {
        module_.SetName("Dati");
        lines_.SetName("righe");
        lines_.SetColumns({{"prezzo", data::FieldKind::Float}, {"qta", data::FieldKind::Integer}});
        lines_.AppendRow({Variant(1936.27), Variant(12)});
        lines_.Open();
        data::ApplicationModules().AddDataModule(module_);
        object_.Name = "Memo1";
        RestingRun().MakeCurrent(&object_);
    }
    ~ReportText() { RestingRun().MakeCurrent(nullptr); }

    TcvReport& Report() { return report_; }
    void Expand(AnsiString& result) { ExpandValueText(kText, result); }

    static constexpr char kText[] = "FORMATFLOAT('#,##0.00', Dati.righe.prezzo * Dati.righe.qta)";

private:
    data::TDataModule module_;
    data::MemoryDataset lines_;
    TcvReport report_;
    TcvView object_;
};

void ExpandReportText(benchmark::State& state) {
    EngineUnits units(nullptr);
    ReportText text;
    TcvReport::NameScope names(text.Report());  // as a preparation installs its report once
    AnsiString result;
    text.Expand(result);
    if (result != "23.235,24") state.SkipWithError(("unexpected text " + result).c_str());
    for (auto _ : state) {
        text.Expand(result);
        benchmark::DoNotOptimize(result);
    }
    state.counters["expansions/s"] = benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(ExpandReportText);

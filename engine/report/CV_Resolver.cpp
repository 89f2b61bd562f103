// The name resolver of TcvReport: every name of a report text, with or without arguments.
#include <cmath>
#include <numbers>

#include <QScopedValueRollback>

#include "engine/expr/CV_Const.h"
#include "engine/expr/CV_DataNames.h"
#include "engine/expr/CV_Functions.h"
#include "engine/expr/CV_PrepError.h"
#include "engine/expr/CV_TextRun.h"
#include "engine/expr/CV_Values.h"
#include "engine/model/CV_ObjectRun.h"
#include "engine/report/CV_EvaluationRun.h"
#include "engine/report/CV_Report.h"
#include "platform/core/DateTime.h"
#include "platform/core/Errors.h"
#include "platform/data/Dataset.h"

namespace tessaly {

namespace {

// The upper-case form of a name (a to z only), on the stack for names of usual length. A built-in
// variable's sub-kind may rename it.
class NameKey {
public:
    explicit NameKey(std::string_view name) {
        if (name.size() > sizeof buffer_) {
            heap_ = UpperCase(name);
            view_ = heap_;
            return;
        }
        for (size_t i = 0; i < name.size(); ++i) {
            const char c = name[i];
            buffer_[i] = c >= 'a' && c <= 'z' ? static_cast<char>(c - ('a' - 'A')) : c;
        }
        view_ = std::string_view(buffer_, name.size());
    }
    NameKey(const NameKey&) = delete;
    NameKey& operator=(const NameKey&) = delete;

    std::string_view View() const { return view_; }
    void Rename(const char* builtInName) { view_ = builtInName; }

private:
    char buffer_[128];
    std::string heap_;
    std::string_view view_;
};

std::string_view TrimmedView(std::string_view s) {
    while (!s.empty() && static_cast<unsigned char>(s.front()) <= ' ') s.remove_prefix(1);
    while (!s.empty() && static_cast<unsigned char>(s.back()) <= ' ') s.remove_suffix(1);
    return s;
}

// A null field value reads as 0 for numbers, date-times and truth values, and as "" otherwise.
Variant FieldValue(const data::Field& field) {
    Variant v = field.Value();
    if (!v.IsNull()) return v;
    switch (field.Kind()) {
        case data::FieldKind::Integer: case data::FieldKind::Float: case data::FieldKind::Currency:
        case data::FieldKind::DateTime: case data::FieldKind::Boolean:
            return Variant(0);
        default:
            return Variant("");
    }
}

// A data field of that name; a name that is only a dataset's gives the name itself.
void ResolveField(const TcvReport& report, std::string_view key, Variant& value) {
    const TcvFieldLookup found = FindDataField(report.Owner(), key);
    if (found.Field) {
        value = FieldValue(*found.Field);
    } else if (found.DataSet) {
        const TComponent* owner = found.DataSet->Owner();
        const AnsiString& name = found.DataSet->Name();
        if (SameText(key, name) || (owner && SameText(key, owner->Name() + "." + name))) value = Variant(key);
    }
}

int32_t PageNumber(const TcvReport& report, const TcvTextRun& run) {
    const std::vector<int>& order = run.PageSequence();
    if (report.Interleave && report.InterleavedNumbering)
        for (size_t i = 0; i < order.size(); ++i)
            if (order[i] == run.PageIndex()) return static_cast<int32_t>(i + 1);
    return run.PageIndex() + 1;
}

double DayPart(double dateTime) { return std::trunc(dateTime); }
double TimePart(double dateTime) { return std::fabs(dateTime - std::trunc(dateTime)); }

// The built-in variables; empty for any other name. The date and the time are the run's while the
// report is being prepared, today's otherwise.
Variant BuiltInVariable(const TcvReport& report, std::string_view key) {
    TcvTextRun& run = TextRun();
    if (key == "VALUE" || key == "VALORE") return run.LastValue();
    if (key == "PAGE#") return Variant(PageNumber(report, run));
    if (key == "DATE") return Variant::DateTime(report.Preparing ? run.RunDate() : DayPart(NowDateTime()));
    if (key == "TIME") return Variant::DateTime(report.Preparing ? run.RunTime() : TimePart(NowDateTime()));
    return run.Variable(key);
}

// A named value's own answer. A built-in variable's sub-kind only renames the key, so that a data
// field of that name still comes first.
void ResolveNamedValue(const TcvReport& report, const TcvValue& v, std::string_view name, NameKey& key,
                       Variant& value) {
    if (v.Kind == vkNone) {
        value = Variant::Null();
    } else if (v.Kind == vkDataField) {
        const TcvFieldLookup found = FindDataField(report.Owner(), v.DataSetName + ".\"" + v.FieldName + "\"");
        if (found.Field) value = FieldValue(*found.Field);
    } else if (v.Kind == vkOther && v.OtherKind == ExpressionValueKind) {
        EvaluateExpression(v.FieldName, value);
    } else if (v.Kind == vkOther && v.OtherKind >= 0 && v.OtherKind < ValueKindCount) {
        key.Rename(VariableNames[v.OtherKind]);
    } else {
        ReportPreparationError(MsgValueKind + AnsiString(name));
    }
}

void ResolveVariable(TcvReport& report, std::string_view name, NameKey& key, Variant& value) {
    if (const TcvValue* v = report.Values().FindVariable(key.View())) {
        if (report.OnGetValue) {
            Variant answer;
            report.OnGetValue(AnsiString(name), answer);
            if (!answer.IsEmpty()) value = answer;
        }
        if (value.IsEmpty()) ResolveNamedValue(report, *v, name, key, value);
    } else if (key.View() == "PI") {
        value = Variant(std::numbers::pi);
    }
    if (value.IsEmpty() && !PreparationErrorRecorded()) ResolveField(report, key.View(), value);
    if (value.IsEmpty()) value = BuiltInVariable(report, key.View());
}

// The host's answer for what no step above knows (or what failed).
void CallUserFunction(const TcvReport& report, std::string_view name, const TcvExprArgs* args, Variant& value) {
    if (!report.OnUserFunction) return;
    Variant p[3];
    for (size_t i = 0; args && i < args->size() && i < 3; ++i) EvaluateExpression((*args)[i], p[i]);
    report.OnUserFunction(AnsiString(name), p[0], p[1], p[2], value);
}

}  // namespace

void TcvReport::ResolveName(std::string_view name, const TcvExprArgs* args, Variant& value) {
    if (PreparationErrorRecorded()) return;
    const std::string_view trimmed = TrimmedView(name);
    NameKey key(trimmed);
    if (!args)
        ResolveVariable(*this, trimmed, key, value);
    else
        CallBuiltInFunction(Owner(), key.View(), *args, value);
    if (value.IsEmpty() && !PreparationErrorRecorded()) CallUserFunction(*this, trimmed, args, value);
    if (value.IsBoolean()) value = Variant(value.BooleanValue() ? 1 : 0);
}

// --- Which report answers -------------------------------------------------------------------

TcvReport::NameScope::NameScope(TcvReport& report, TcvTextRun* run)
    : resolver_(ExpressionEvaluator().ResolveValue), context_(ExpressionEvaluator().ResolveContext),
      run_(run ? run : ExpressionEvaluator().Run) {
    SetExpressionResolver(&TcvReport::ResolveNameOf, &report);
}

TcvReport::NameScope::~NameScope() { SetExpressionResolver(resolver_, context_); }

void TcvReport::Evaluate(std::string_view text, Variant& value) {
    NameScope names(*this);
    if (Preparing) return EvaluateExpression(text, value);
    TcvEvaluationRun evaluation(ObjectRun());
    Evaluating(evaluation, text, value);
}

void TcvReport::EvaluateOver(data::Dataset* dataset, std::string_view text, Variant& value) {
    NameScope names(*this);
    TcvEvaluationRun evaluation(ObjectRun(), dataset);
    Evaluating(evaluation, text, value);
}

// An evaluation keeps its own error: the failing function's message is raised, and a run that
// goes on around it (a host's handler evaluating during a preparation) keeps its own.
void TcvReport::Evaluating(TcvEvaluationRun& evaluation, std::string_view text, Variant& value) {
    TcvRunScope run(&evaluation);
    try {
        EvaluateExpression(text, value);
    } catch (const EngineError&) {
        if (evaluation.Error().Recorded) throw EngineError(evaluation.Error().Message);
        throw;
    }
    if (evaluation.Error().Recorded) throw EngineError(evaluation.Error().Message);
}

}  // namespace tessaly

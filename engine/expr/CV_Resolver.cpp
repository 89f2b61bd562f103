// The name resolver of TcvReport: every name of a report text, with or without arguments.
#include <cmath>
#include <numbers>

#include <QScopedValueRollback>

#include "engine/expr/CV_Const.h"
#include "engine/expr/CV_DataNames.h"
#include "engine/expr/CV_Functions.h"
#include "engine/expr/CV_PrepError.h"
#include "engine/expr/CV_Values.h"
#include "engine/prepare/CV_Band.h"
#include "engine/prepare/CV_PageRun.h"
#include "engine/report/CV_Report.h"
#include "engine/report/EngineState.h"
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
    const TcvFieldLookup found = FindDataField(report, key);
    if (found.Field) {
        value = FieldValue(*found.Field);
    } else if (found.DataSet) {
        const TComponent* owner = found.DataSet->Owner();
        const AnsiString& name = found.DataSet->Name();
        if (SameText(key, name) || (owner && SameText(key, owner->Name() + "." + name))) value = Variant(key);
    }
}

int32_t PageNumber(const TcvReport& report) {
    if (report.Interleave && report.InterleavedNumbering)
        for (size_t i = 0; i < PageOrder.size(); ++i)
            if (PageOrder[i] == PreparedIndex) return static_cast<int32_t>(i + 1);
    return PreparedIndex + 1;
}

double DayPart(double dateTime) { return std::trunc(dateTime); }
double TimePart(double dateTime) { return std::fabs(dateTime - std::trunc(dateTime)); }

// The built-in variables; empty for any other name.
Variant BuiltInVariable(const TcvReport& report, std::string_view key) {
    if (key == "VALUE" || key == "VALORE") return CurrentValue;
    if (key == "PAGE#") return Variant(PageNumber(report));
    if (key == "DATE") return Variant::DateTime(report.Preparing ? ReportDate : DayPart(NowDateTime()));
    if (key == "TIME") return Variant::DateTime(report.Preparing ? ReportTime : TimePart(NowDateTime()));
    if (key == "LINE#") return CurrentBand ? Variant(CurrentBand->RecordNo) : Variant();
    if (key == "LINETHROUGH#") return CurrentBand ? Variant(CurrentBand->RecordCount) : Variant();
    if (key == "COLUMN#") return CurrentPage ? Variant(CurrentPage->ColumnCounter) : Variant();
    if (key == "CURRENT#") return CurrentPage ? Variant(CurrentPage->LineCounter) : Variant();
    if (key == "TOTALPAGES") return Variant(TotalPages);
    return {};
}

// A named value's own answer. A built-in variable's sub-kind only renames the key, so that a data
// field of that name still comes first.
void ResolveNamedValue(const TcvReport& report, const TcvValue& v, std::string_view name, NameKey& key,
                       Variant& value) {
    if (v.Kind == vkNone) {
        value = Variant::Null();
    } else if (v.Kind == vkDataField) {
        const TcvFieldLookup found = FindDataField(report, v.DataSetName + ".\"" + v.FieldName + "\"");
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
    if (value.IsEmpty() && !PreparationError.Recorded) ResolveField(report, key.View(), value);
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
    if (PreparationError.Recorded) return;
    const std::string_view trimmed = TrimmedView(name);
    NameKey key(trimmed);
    if (!args)
        ResolveVariable(*this, trimmed, key, value);
    else
        CallBuiltInFunction(*this, key.View(), *args, value);
    if (value.IsEmpty() && !PreparationError.Recorded) CallUserFunction(*this, trimmed, args, value);
    if (value.IsBoolean()) value = Variant(value.BooleanValue() ? 1 : 0);
}

// --- Which report answers -------------------------------------------------------------------

TcvReport::NameScope::NameScope(TcvReport& report)
    : resolver_(ExpressionEvaluator().ResolveValue), context_(ExpressionEvaluator().ResolveContext),
      report_(CurrentReport) {
    SetExpressionResolver(&TcvReport::ResolveNameOf, &report);
    CurrentReport = &report;
}

TcvReport::NameScope::~NameScope() {
    SetExpressionResolver(resolver_, context_);
    CurrentReport = report_;
}

void TcvReport::Evaluate(std::string_view text, Variant& value) {
    NameScope names(*this);
    if (Preparing) return EvaluateExpression(text, value);
    QScopedValueRollback errors(PreparationError, TcvPreparationError{});
    try {
        EvaluateExpression(text, value);
    } catch (const EngineError&) {
        if (PreparationError.Recorded) throw EngineError(PreparationError.Message);
        throw;
    }
    if (PreparationError.Recorded) throw EngineError(PreparationError.Message);
}

}  // namespace tessaly

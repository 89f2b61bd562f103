#include "engine/expr/CV_Aggregates.h"

#include <array>

#include "engine/expr/CV_Const.h"
#include "engine/expr/CV_DataNames.h"
#include "engine/expr/CV_PrepError.h"
#include "platform/core/Component.h"
#include "platform/data/Dataset.h"

namespace tessaly {

namespace {

constexpr std::array<const char*, 5> kNames = {"SUM", "AVG", "MIN", "MAX", "COUNT"};

void CountRecords(const TComponent* owner, const AnsiString& text, Variant& value) {
    const TcvFieldLookup found = FindDataField(owner, Trim(text));
    if (!found.DataSet) return ReportPreparationError(MsgCountArgument + AnsiString(kNames[afCount]));
    value = Variant(found.DataSet->RecordCount());
}

}  // namespace

int AggregateFunction(std::string_view key) {
    for (size_t i = 0; i < kNames.size(); ++i)
        if (key == kNames[i]) return static_cast<int>(i);
    return -1;
}

const char* AggregateName(TcvAggregateFunction function) { return kNames[size_t(function)]; }

void ResolveAggregate(const TComponent* owner, TcvAggregateFunction f, const TcvExprArgs& args, Variant& value) {
    if (f == afCount && args.size() == 1) return CountRecords(owner, args[0], value);
    TextRun().Aggregate(f, args.empty() ? std::string_view() : std::string_view(args[0]), value);
}

}  // namespace tessaly

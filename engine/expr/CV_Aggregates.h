#pragma once
// The aggregate functions of report texts, SUM, AVG, MIN, MAX and COUNT: the run of the texts
// registers, keeps and reads their values (a preparation keeps them in its data bands); COUNT(X)
// counts the records of the dataset X.
#include <string_view>

#include "engine/expr/CV_Expr.h"
#include "engine/expr/CV_TextRun.h"
#include "platform/core/Variant.h"

namespace tessaly {

class TComponent;

// The aggregate function that `key` (upper case) names, or -1.
int AggregateFunction(std::string_view key);
// "SUM", "AVG", "MIN", "MAX", "COUNT".
const char* AggregateName(TcvAggregateFunction function);

// The resolver's branch for the five functions (the number of arguments is checked already).
// COUNT(X) gives the record count of the dataset that the text X names (among the datasets of
// `owner` and of the application's forms and modules); the others go to the installed run.
void ResolveAggregate(const TComponent* owner, TcvAggregateFunction function, const TcvExprArgs& args, Variant& value);

}  // namespace tessaly

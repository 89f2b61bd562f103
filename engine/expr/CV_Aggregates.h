#pragma once
// The aggregate functions SUM, AVG, MIN, MAX and COUNT in the three phases of a preparation:
// registered while the objects that a data band feeds are pre-scanned (AggregateBand set), fed by
// the band engine row by row, and read back while the dependent bands print. The values live in
// each data band's TcvAggregateStore.
#include <string_view>

#include "engine/expr/CV_Expr.h"
#include "platform/core/Variant.h"

namespace tessaly {

class TcvBand;
class TcvReport;

enum TcvAggregateFunction : int { afSum, afAvg, afMin, afMax, afCount };

// The aggregate function that `key` (upper case) names, or -1.
int AggregateFunction(std::string_view key);

// The resolver's branch for the five functions (the number of arguments is checked already).
// Registration gives the integer 1. Reading gives the accumulated value, or leaves the value empty
// when the aggregate was not registered. COUNT(X) gives the record count of the dataset that the
// text X names.
void ResolveAggregate(const TcvReport& report, TcvAggregateFunction function, const TcvExprArgs& args,
                      Variant& value);

// The band engine's calls for a data band; nothing happens while AggregatesSuspended is set.
// ResetAggregates restarts the accumulators registered with `tag`; AccumulateAggregates takes in
// the current row unless the band's dataset is at its end (a failure becomes the preparation
// error); UpdateAggregates does both for event 2 (with tag 0), only the second for event 3 and
// nothing for any other event.
void ResetAggregates(TcvBand& band, char tag);
void AccumulateAggregates(TcvBand& band);
void UpdateAggregates(TcvBand& band, int event);

// Tags: the accumulators of a group footer of `level` (0 for the innermost group) carry
// GroupTotalsTag(level); those of every other band carry 0. So a group's change restarts its own
// totals and those of the groups inside it, and the totals of page footers and summaries run over
// the whole walk of their dataset.
char GroupTotalsTag(int level);
// A walk of the band's dataset begins: every accumulator restarts (group totals too) and takes
// in the first row.
void StartAggregates(TcvBand& band);
// The group of `level` and those inside it begin again: their footers' totals restart and take in
// the group's first row.
void RestartGroupTotals(TcvBand& band, int level);

}  // namespace tessaly

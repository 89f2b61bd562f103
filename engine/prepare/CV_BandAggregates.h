#pragma once
// The band half of the aggregate functions: where an aggregate belongs (the data band that feeds
// the object's band, one value per cross column for a table total), registering it while the
// objects a data band feeds are pre-scanned, feeding the rows as the band walks its dataset, and
// reading the values back while the dependent bands print. The values live in each data band's
// TcvAggregateStore; report texts reach them through the preparation (TcvTextRun::Aggregate).
#include <string_view>

#include "engine/expr/CV_TextRun.h"
#include "platform/core/Variant.h"

namespace tessaly {

class TcvBand;
class TcvPreparationState;

// Registers the aggregate (giving 1) while a data band's objects are pre-scanned, else reads it for
// the current object; an aggregate that was not registered leaves the value empty.
void BandAggregate(TcvPreparationState& state, TcvAggregateFunction function, std::string_view argument,
                   Variant& value);

// The band engine's calls for a data band; nothing happens while the preparation's aggregates are
// suspended. ResetAggregates restarts the accumulators registered with `tag`; AccumulateAggregates
// takes in the current row unless the band's dataset is at its end (a failure becomes the
// preparation error); UpdateAggregates does both for event 2 (with tag 0), only the second for
// event 3 and nothing for any other event.
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

#pragma once
// The run-time side of a template page being prepared: its bands by type and its two counters.
#include <array>
#include <cstdint>

#include "engine/model/CV_BandType.h"

namespace tessaly {

class TcvBand;

struct TcvPageRun {
    // The first band of each type's chain (borrowed); none for a type the page has no band of.
    std::array<TcvBand*, BandTypeCount> Bands{};
    int32_t LineCounter = 1;    // CURRENT#: grows by one per printed record of any data band
    int32_t ColumnCounter = 1;  // COLUMN#: the cross-table column being produced

    TcvBand* Band(int type) const { return type >= 0 && type < BandTypeCount ? Bands[type] : nullptr; }
};

}  // namespace tessaly

#pragma once
// TcvBand: a band at run time, made from a band view when a template page is prepared. It knows
// its type, its place, its line counters, the aggregates that its objects feed, and the dataset it
// walks.
#include <cstdint>

#include "engine/expr/CV_AggregateStore.h"
#include "engine/model/CV_BandType.h"

namespace tessaly {

namespace data {
class Dataset;
}

class TcvBand {
public:
    explicit TcvBand(uint8_t bandType) : BandType(bandType) {}
    TcvBand(const TcvBand&) = delete;
    TcvBand& operator=(const TcvBand&) = delete;

    uint8_t BandType;
    int32_t RecordNo = 1;     // record within its group: LINE#
    int32_t RecordCount = 1;  // records printed in the whole report: LINETHROUGH#
    int32_t Left = 0;
    int32_t Top = 0;
    int32_t Width = 0;
    int32_t Height = 0;        // the design height
    int32_t ActualHeight = 0;  // the height measured for this print
    bool Stretched = false;    // the band grows with its text objects
    TcvAggregateStore Aggregates;
    // The database dataset the band's report dataset walks (borrowed); none for a band without one.
    data::Dataset* DataSet = nullptr;

    // True without a dataset, or when it has no current record left.
    bool DataSetEof() const;
};

}  // namespace tessaly

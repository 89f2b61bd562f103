#pragma once
// What a report object reads of the band that prints it: the band's type, whether it stretches,
// and its design and measured heights. The run-time bands of a preparation are band frames; an
// object outside a preparation has none.
#include <cstdint>

namespace tessaly {

struct TcvBandFrame {
    explicit TcvBandFrame(uint8_t bandType) : BandType(bandType) {}

    uint8_t BandType;
    bool Stretched = false;    // the band grows with its text objects
    int32_t Height = 0;        // as designed
    int32_t ActualHeight = 0;  // as measured for the print going on
};

}  // namespace tessaly

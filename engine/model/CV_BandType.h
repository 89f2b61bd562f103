#pragma once
// The band types: the code a band view keeps and a run-time band has, from the report title (0)
// to "none" (21), which holds the objects that lie in no band.
#include <cstdint>

namespace tessaly {

enum TcvBandType : uint8_t {
    btReportTitle = 0,
    btReportSummary = 1,
    btPageHeader = 2,
    btPageFooter = 3,
    btMasterHeader = 4,
    btMasterData = 5,
    btMasterFooter = 6,
    btDetailHeader = 7,
    btDetailData = 8,
    btDetailFooter = 9,
    btSubDetailHeader = 10,
    btSubDetailData = 11,
    btSubDetailFooter = 12,
    btOverlay = 13,
    btColumnHeader = 14,
    btColumnFooter = 15,
    btGroupHeader = 16,
    btGroupFooter = 17,
    btCrossHeader = 18,
    btCrossData = 19,
    btCrossFooter = 20,
    btNone = 21,
};

inline constexpr int BandTypeCount = 22;

}  // namespace tessaly

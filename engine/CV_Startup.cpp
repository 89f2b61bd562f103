#include "engine/CV_Startup.h"

#include "engine/CV_Prev.h"
#include "engine/CV_Prntr.h"
#include "engine/CV_Report.h"

namespace tessaly {

namespace {
int started = 0;
}

EngineUnits::EngineUnits(print::Printer* printer) {
    if (started++ > 0) return;
    InitPrinterUnit(printer);
    InitPreviewUnit();
    InitReportUnit();
}

EngineUnits::~EngineUnits() {
    if (--started > 0) return;
    DoneReportUnit();
    DonePreviewUnit();
    DonePrinterUnit();
}

}  // namespace tessaly

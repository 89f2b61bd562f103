#include "engine/report/CV_Startup.h"

#include <QtGlobal>

#include "engine/report/CV_Prntr.h"
#include "engine/report/EngineState.h"

// The program's resources (the blank report, cursors, glyphs) live in a static archive: naming
// their registration here keeps the linker from dropping them.
static void InitEngineResources() { Q_INIT_RESOURCE(resources); }

namespace tessaly {

namespace {
int started = 0;
}

EngineUnits::EngineUnits(print::Printer* printer) {
    if (started++ > 0) return;
    InitEngineResources();
    InitPrinterUnit(printer);
    InitReportUnit();
}

EngineUnits::~EngineUnits() {
    if (--started > 0) return;
    DoneReportUnit();
    DonePrinterUnit();
}

}  // namespace tessaly

#include "engine/ui/UiStartup.h"

#include "engine/ui/CV_Find.h"
#include "engine/ui/CV_Prev.h"
#include "engine/ui/CV_progr.h"

namespace tessaly {

namespace {
int started = 0;
}

EngineWindowUnits::EngineWindowUnits(print::Printer* printer) : core_(printer) {
    if (started++ > 0) return;
    InitFindUnit();
    InitPreviewUnit();
    InitProgressUnit();
}

EngineWindowUnits::~EngineWindowUnits() {
    if (--started > 0) return;
    DoneProgressUnit();
    DonePreviewUnit();
    DoneFindUnit();
}

}  // namespace tessaly

#include "engine/ui/UiStartup.h"

#include "engine/ui/CV_Find.h"
#include "engine/ui/CV_Prev.h"
#include "engine/ui/CV_progr.h"
#include "engine/ui/UiHooks.h"
#include "platform/core/QtStrings.h"

namespace tessaly {

namespace {
int started = 0;
}

EngineWindowUnits::EngineWindowUnits(print::Printer* printer) : core_(printer) {
    if (started++ > 0) return;
    InitFindUnit();
    InitPreviewUnit();
    InitProgressUnit();
    // The engine's own messages become message boxes.
    MessageSink = [](TMsgDlgType type, const AnsiString& caption, const AnsiString& text) {
        UiHooks().ShowMessage(type, ToQString(caption), ToQString(text));
    };
}

EngineWindowUnits::~EngineWindowUnits() {
    if (--started > 0) return;
    MessageSink = nullptr;
    DoneProgressUnit();
    DonePreviewUnit();
    DoneFindUnit();
}

}  // namespace tessaly

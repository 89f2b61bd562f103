#pragma once
// Start-up and shut-down of the whole engine with its windows: the core's units (CV_Startup.h),
// then the find unit, the preview unit (PreviewFormClass) and the progress unit (ProgressForm,
// ExportDialogClass); and the reverse at the end.
#include <memory>

#include "engine/report/CV_Startup.h"

namespace tessaly {

class EngineWindowUnits {
public:
    // `printer` as for EngineUnits. The progress dialog is made only when there is a widget
    // application by now. Nested instances share the first one's units.
    explicit EngineWindowUnits(print::Printer* printer);
    ~EngineWindowUnits();
    EngineWindowUnits(const EngineWindowUnits&) = delete;
    EngineWindowUnits& operator=(const EngineWindowUnits&) = delete;

private:
    EngineUnits core_;
};

}  // namespace tessaly

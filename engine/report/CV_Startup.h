#pragma once
// Start-up and shut-down of the engine core's units: the printer unit, then the report unit; and
// the reverse at the end. The windows' units start after these (engine/ui/UiStartup.h).
#include "platform/print/Printer.h"

namespace tessaly {

class EngineUnits {
public:
    // `printer` is the platform printer that PrinterSettings connects to (may be null: no
    // printing). Nested instances share the first one's units.
    explicit EngineUnits(print::Printer* printer);
    ~EngineUnits();
    EngineUnits(const EngineUnits&) = delete;
    EngineUnits& operator=(const EngineUnits&) = delete;
};

}  // namespace tessaly

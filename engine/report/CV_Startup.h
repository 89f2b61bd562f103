#pragma once
// Start-up and shut-down of the engine's units, in the order the program needs them: the printer
// unit, the find unit, the preview unit, the report unit; and the reverse at the end.
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

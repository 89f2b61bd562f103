#pragma once
// The spooler's printers (Qt print support over CUPS), reading their papers from the engine's
// paper table.
#include <memory>

#include "platform/print/Printer.h"

namespace tessaly {

// The spooler's printers; the default printer is current.
std::unique_ptr<print::Printer> CreateSpoolerPrinter();

}  // namespace tessaly

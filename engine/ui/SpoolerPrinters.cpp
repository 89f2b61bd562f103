#include "engine/ui/SpoolerPrinters.h"

#include "engine/report/CV_Print.h"
#include "platform/print/SpoolerPrinter.h"

namespace tessaly {

std::unique_ptr<print::Printer> CreateSpoolerPrinter() {
    return std::make_unique<print::SpoolerPrinter>(PaperTableLookup());
}

}  // namespace tessaly

#pragma once
// How a printer of ours reads a device-settings block: the sheet it asks for, as a Qt page layout,
// and what the device reports of that sheet at a resolution.
#include <functional>

#include <QMarginsF>
#include <QPageLayout>

#include "platform/print/Printer.h"

namespace tessaly::print {

// Width and height (tenths of a millimetre, portrait) of a standard paper code; false when the
// code names no paper. The table belongs to the engine, which hands it to the printers it makes.
using PaperLookup = std::function<bool(int code, int& width, int& height)>;

constexpr int kPaperCustom = 256;
// The largest sheet side we accept, in tenths of a millimetre (200 inches, what PDF can hold).
constexpr int kMaxPaperSide = 50800;

// The sheet a block asks for. A standard code takes its size from the table and turns it for
// landscape; the custom code (or a block without a paper code) takes the given width and length
// as the sheet's own shape, whatever the orientation, as the engine's custom pages are never
// turned. A size that is missing, not positive or larger than kMaxPaperSide raises EPrinter.
QPageLayout LayoutForMode(const DeviceMode& mode, const PaperLookup& papers, const QMarginsF& margins = {});

// The block that stands for a page size: its standard code when the table has the same size,
// otherwise the custom code with its width and length.
DeviceMode ModeForPageSize(const QPageSize& size, QPageLayout::Orientation orientation,
                           const PaperLookup& papers);

// The sheet, its printable area and the resolution in device pixels.
DeviceCaps CapsFor(const QPageLayout& layout, int dpi);

}  // namespace tessaly::print

#pragma once
// The printer as the engine sees it: the system's printers, the current one with its device
// settings, print jobs made of sheets, the device's capabilities and its drawing surface.
// One implementation talks to the real spooler; RecordingPrinter keeps everything for tests.
#include <cstdint>
#include <string>
#include <vector>

#include "platform/core/Errors.h"

class QPainter;

namespace tessaly::print {

// Bits of DeviceMode::fields: the fields that the driver takes from the block.
enum DeviceModeField : uint32_t {
    DM_ORIENTATION = 0x1,
    DM_PAPERSIZE = 0x2,
    DM_PAPERLENGTH = 0x4,
    DM_PAPERWIDTH = 0x8,
};

enum : int16_t { DMORIENT_PORTRAIT = 1, DMORIENT_LANDSCAPE = 2 };

// The device-settings block of a printer: which fields are meant, the orientation, the paper code
// and, for a custom paper, its length and width in tenths of a millimetre.
struct DeviceMode {
    uint32_t fields = 0;
    int16_t orientation = DMORIENT_PORTRAIT;
    int16_t paperSize = 0;
    int32_t paperLength = 0;
    int32_t paperWidth = 0;

    bool Has(uint32_t flags) const { return (fields & flags) == flags; }
    bool operator==(const DeviceMode&) const = default;
};

// Device, driver and port of a printer (UTF-8, as the system names them).
struct DeviceNames {
    std::string device;
    std::string driver;
    std::string port;
    bool operator==(const DeviceNames&) const = default;
};

// What the device reports of the sheet in its current settings, in device pixels.
struct DeviceCaps {
    int physicalWidth = 0;
    int physicalHeight = 0;
    int physicalOffsetX = 0;  // left edge of the printable area on the sheet
    int physicalOffsetY = 0;  // top edge of the printable area on the sheet
    int pixelsPerInchX = 0;
    int pixelsPerInchY = 0;
};

// The printers' messages that a user may see (cp1252).
inline constexpr char kNoPrinter[] = "Nessuna stampante disponibile.";
inline constexpr char kInvalidPrinter[] = "Stampante selezionata non valida.";
inline constexpr char kAlreadyPrinting[] = "Stampa gi\xE0 in corso.";
inline constexpr char kNotPrinting[] = "Nessuna stampa in corso.";

// Failures of the printer (no printer, a job in the wrong state, a spooler error).
class EPrinter : public EngineError {
public:
    using EngineError::EngineError;
};

class Printer {
public:
    virtual ~Printer() = default;

    // The printers the system knows, by device name; the index of the current one (-1: none).
    virtual std::vector<std::string> Printers() = 0;
    virtual int PrinterIndex() const = 0;
    virtual void SetPrinterIndex(int index) = 0;  // an index outside the list raises EPrinter

    // The current printer's names and a copy of its device settings.
    virtual void GetPrinter(DeviceNames& names, DeviceMode& mode) = 0;
    // Makes the named printer current with these settings; without settings (nullptr) it starts
    // again from the device's own defaults. Takes effect for the next print job.
    virtual void SetPrinter(const DeviceNames& names, const DeviceMode* mode) = 0;

    // A print job: BeginDoc opens the first sheet, NewPage starts another one, EndDoc sends the
    // job, Abort drops it. A call in the wrong state raises EPrinter.
    virtual void BeginDoc(const std::string& title) = 0;  // title: cp1252
    virtual void NewPage() = 0;
    virtual void EndDoc() = 0;
    virtual void Abort() = 0;
    virtual bool Printing() const = 0;

    virtual DeviceCaps Capabilities() = 0;
    // The sheet being printed, in device pixels with the origin at the printable area's corner;
    // valid from BeginDoc until EndDoc or Abort.
    virtual QPainter* Canvas() = 0;
};

}  // namespace tessaly::print

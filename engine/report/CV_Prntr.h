#pragma once
// The current paper through which every prepared page reaches the printer, and the table of the
// 67 papers. Outside printing (table mode) a named paper's size comes from the table; while a job
// runs (printer mode) the paper goes into the printer's device settings.
#include <array>
#include <cstdint>
#include <string>

#include "engine/report/EngineState.h"
#include "platform/core/Cp1252.h"
#include "platform/core/StringList.h"
#include "platform/print/Printer.h"

namespace tessaly {

struct PageInfo;
struct PageTemplate;

constexpr int PaperCustom = 256;
constexpr int PaperTableCount = 67;

struct PaperRow {
    int code;
    int width;   // tenths of a millimetre; 0 for the custom paper
    int height;
};

// Row i (0 .. 66) of the paper table; codes 1 to 66, then 256.
const PaperRow& PaperTableRow(int i);
// The paper names indexed by code 0 .. 66; entry 0 ("Personalizzato") names code 256.
const AnsiString& PaperNameOfCode(int code);

// A page template for a paper of the table (or the custom paper, `width` x `height` tenths of a
// millimetre), its size and metrics taken from the table as a template page takes them.
PageTemplate PaperTemplate(int code, int orientation = 0, int width = 0, int height = 0);

class TPrinterSettings {
public:
    TPrinterSettings();

    bool DevModeHas(uint32_t flags) const;
    void DevModeSet(uint32_t flags);

    bool IsEqual(int code, int width, int orientation, int height) const;
    void SetPrinterInfo(int code, int width, int orientation, int height);
    void ApplySettings();
    void FillPrnInfo(PageInfo& info) const;
    void SetPrinterIndex(int index);
    void FillPrinters(print::Printer* printer);

    int PaperSize() const { return paperSize_; }
    int PaperWidth() const { return paperWidth_; }
    int PaperHeight() const { return paperHeight_; }
    int Orientation() const { return orientation_; }
    int PrinterIndex() const { return printerIndex_; }
    const StringList& PaperNames() const { return paperNames_; }
    const StringList& PrinterNames() const { return printerNames_; }
    int PaperCount() const { return paperCount_; }
    int PaperCode(int i) const { return paperCodes_.at(i); }
    const print::DeviceNames& DeviceNames() const { return names_; }
    print::Printer* Printer() const { return printer_; }

private:
    void ApplyToTable();
    void ApplyToPrinter();

    print::DeviceNames names_;
    print::DeviceMode* devMode_ = nullptr;  // only inside ApplyToPrinter
    print::Printer* printer_ = nullptr;
    StringList paperNames_;
    StringList printerNames_;
    int printerIndex_ = 0;
    uint8_t orientation_ = 0;
    int paperSize_ = 0;
    int paperWidth_ = 0;
    int paperHeight_ = 0;
    std::array<int16_t, 256> paperCodes_{};
    int paperCount_ = 0;
};

void InitPrinterUnit(print::Printer* printer);
void DonePrinterUnit();

}  // namespace tessaly

#pragma once
// The system's printers through the spooler (CUPS), as Qt's print support lists them.
//
// Each job is painted into a private PDF file (vectors: text stays text) on the sheet its device
// settings ask for, with the printer's printable margins as physical offsets, and handed to the
// spooler with its title and paper when it ends; an aborted job never reaches the spooler. The
// driver's copy count is always 1: copies are the caller's business.
#include <memory>
#include <string>
#include <vector>

#include <QTemporaryFile>

#include "platform/print/PageSetup.h"
#include "platform/print/Printer.h"

class QPrinter;

namespace tessaly::print {

class PdfSheets;

class SpoolerPrinter : public Printer {
public:
    // Reads the spooler's printers; the default printer (else the first) is current.
    explicit SpoolerPrinter(PaperLookup papers, int dpi = 600);
    ~SpoolerPrinter() override;

    std::vector<std::string> Printers() override;
    int PrinterIndex() const override { return index_; }
    void SetPrinterIndex(int index) override;
    void GetPrinter(DeviceNames& names, DeviceMode& mode) override;
    void SetPrinter(const DeviceNames& names, const DeviceMode* mode) override;

    void BeginDoc(const std::string& title) override;
    void NewPage() override;
    void EndDoc() override;
    void Abort() override;
    bool Printing() const override { return static_cast<bool>(document_); }

    DeviceCaps Capabilities() override;
    QPainter* Canvas() override;

    // The spooler's id of the last job handed over (0: none yet).
    int LastJobId() const { return lastJobId_; }

private:
    struct Entry {
        DeviceNames names;
        DeviceMode defaults;
        DeviceMode mode;
    };
    Entry& Current();
    QPageLayout CurrentLayout();
    QMarginsF PrintableMargins(const QPageLayout& layout);
    void DropJob();

    PaperLookup papers_;
    int dpi_;
    std::vector<Entry> printers_;
    int index_ = -1;
    std::unique_ptr<QPrinter> device_;  // the current printer, asked for its margins
    std::string jobTitle_;
    QPageLayout jobLayout_;
    std::unique_ptr<QTemporaryFile> jobFile_;
    std::unique_ptr<PdfSheets> document_;
    int lastJobId_ = 0;
};

}  // namespace tessaly::print

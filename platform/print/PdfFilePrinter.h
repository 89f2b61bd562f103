#pragma once
// A printer that prints into one PDF file. Its only printer is "PDF"; every job adds its sheets to
// the same document, each sheet with the paper its job was started with, so a report whose paper
// changes from page to page becomes one file. Pages stay vectors: text stays text.
//
// The file appears under its name only through Finish() after complete jobs: an aborted job, a
// failure or a printer dropped without Finish() leave no file, and an older file of that name as
// it was.
#include <filesystem>
#include <memory>

#include <QSaveFile>

#include "platform/print/PageSetup.h"
#include "platform/print/Printer.h"

namespace tessaly::print {

class PdfSheets;

class PdfFilePrinter : public Printer {
public:
    PdfFilePrinter(std::filesystem::path file, PaperLookup papers, int dpi = 600);
    ~PdfFilePrinter() override;

    std::vector<std::string> Printers() override { return {"PDF"}; }
    int PrinterIndex() const override { return 0; }
    void SetPrinterIndex(int index) override;
    void GetPrinter(DeviceNames& names, DeviceMode& mode) override;
    void SetPrinter(const DeviceNames& names, const DeviceMode* mode) override;

    void BeginDoc(const std::string& title) override;
    void NewPage() override;
    void EndDoc() override;
    void Abort() override;
    bool Printing() const override { return printing_; }

    DeviceCaps Capabilities() override;
    QPainter* Canvas() override;

    // Ends the document and puts it under its name. False, and no file, when no job was completed,
    // a job was aborted or the file could not be written.
    bool Finish();
    int Sheets() const { return sheets_; }

    static DeviceMode DefaultMode();  // A4 portrait

private:
    DeviceNames Names() const;

    std::filesystem::path path_;
    PaperLookup papers_;
    int dpi_;
    DeviceMode mode_;
    QPageLayout jobLayout_;
    QSaveFile file_;
    std::unique_ptr<PdfSheets> document_;
    bool printing_ = false;
    bool failed_ = false;
    int completedJobs_ = 0;
    int sheets_ = 0;
};

}  // namespace tessaly::print

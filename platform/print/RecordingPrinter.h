#pragma once
// A printer that prints nothing: it keeps every call, every job with the settings it started
// with, and every sheet's drawing, so that tests can see what printing did.
#include <memory>
#include <string>
#include <vector>

#include <QPainter>
#include <QPicture>

#include "platform/print/Printer.h"

namespace tessaly::print {

class RecordingPrinter : public Printer {
public:
    struct Job {
        std::string title;  // cp1252
        DeviceNames names;
        DeviceMode mode;  // the settings in force when the job started
        std::vector<std::unique_ptr<QPicture>> sheets;
        bool ended = false;
        bool aborted = false;
    };

    // The printers it pretends to have, each starting from `defaults`; the first is current.
    explicit RecordingPrinter(std::vector<DeviceNames> printers = {{"PDF", "cups", "cups-pdf:/"}},
                              DeviceMode defaults = DefaultMode());
    ~RecordingPrinter() override;

    static DeviceMode DefaultMode();  // A4 portrait, orientation and paper fields set

    std::vector<std::string> Printers() override;
    int PrinterIndex() const override { return index_; }
    void SetPrinterIndex(int index) override;
    void GetPrinter(DeviceNames& names, DeviceMode& mode) override;
    void SetPrinter(const DeviceNames& names, const DeviceMode* mode) override;

    void BeginDoc(const std::string& title) override;
    void NewPage() override;
    void EndDoc() override;
    void Abort() override;
    bool Printing() const override { return printing_; }

    DeviceCaps Capabilities() override { return caps_; }
    QPainter* Canvas() override;

    void SetCapabilities(const DeviceCaps& caps) { caps_ = caps; }
    const DeviceMode& ModeOf(int index) const { return modes_.at(index); }
    const std::vector<Job>& Jobs() const { return jobs_; }
    // One line per call, e.g. "BeginDoc Corvane- Vendite", "NewPage", "SetPrinter PDF 3 2 9 0 0"
    // (device, field mask, orientation, paper code, length, width), "SetPrinter PDF default".
    const std::vector<std::string>& Log() const { return log_; }
    void ClearLog() { log_.clear(); }
    // Makes the n-th coming call of BeginDoc or NewPage (1 = the next one) raise EPrinter.
    void FailAfter(int calls) { failCountdown_ = calls; }
    // Makes the n-th coming call of EndDoc raise EPrinter with the job still open, as a spooler
    // that refuses a finished job.
    void FailAtEndDoc(int calls) { endDocFailCountdown_ = calls; }

private:
    void StartSheet();
    void FinishSheet();
    static void CheckFailure(int& countdown, const char* what);
    Job& CurrentJob();

    std::vector<DeviceNames> printers_;
    std::vector<DeviceMode> modes_;
    DeviceMode defaults_;
    int index_ = 0;
    DeviceCaps caps_;
    std::vector<Job> jobs_;
    std::vector<std::string> log_;
    std::unique_ptr<QPainter> painter_;
    bool printing_ = false;
    int failCountdown_ = 0;
    int endDocFailCountdown_ = 0;
};

}  // namespace tessaly::print

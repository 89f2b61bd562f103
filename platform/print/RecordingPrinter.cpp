#include "platform/print/RecordingPrinter.h"

namespace tessaly::print {

namespace {

std::string Describe(const DeviceMode& m) {
    return std::to_string(m.fields) + " " + std::to_string(m.orientation) + " " +
           std::to_string(m.paperSize) + " " + std::to_string(m.paperLength) + " " +
           std::to_string(m.paperWidth);
}

}  // namespace

RecordingPrinter::RecordingPrinter(std::vector<DeviceNames> printers, DeviceMode defaults)
    : printers_(std::move(printers)), modes_(printers_.size(), defaults), defaults_(defaults) {
    index_ = printers_.empty() ? -1 : 0;
    // An A4 sheet at 600 pixels per inch with a quarter-inch unprintable border.
    caps_ = {4960, 7016, 150, 150, 600, 600};
}

RecordingPrinter::~RecordingPrinter() {
    if (painter_) painter_->end();
}

DeviceMode RecordingPrinter::DefaultMode() {
    DeviceMode m;
    m.fields = DM_ORIENTATION | DM_PAPERSIZE;
    m.orientation = DMORIENT_PORTRAIT;
    m.paperSize = 9;
    return m;
}

std::vector<std::string> RecordingPrinter::Printers() {
    std::vector<std::string> names;
    for (const auto& p : printers_) names.push_back(p.device);
    return names;
}

void RecordingPrinter::SetPrinterIndex(int index) {
    if (index < 0 || index >= static_cast<int>(printers_.size()))
        throw EPrinter(kInvalidPrinter);
    index_ = index;
    log_.push_back("SetPrinterIndex " + std::to_string(index));
}

void RecordingPrinter::GetPrinter(DeviceNames& names, DeviceMode& mode) {
    if (index_ < 0) throw EPrinter(kNoPrinter);
    names = printers_[index_];
    mode = modes_[index_];
}

void RecordingPrinter::SetPrinter(const DeviceNames& names, const DeviceMode* mode) {
    for (size_t i = 0; i < printers_.size(); ++i) {
        if (printers_[i].device != names.device) continue;
        index_ = static_cast<int>(i);
        modes_[i] = mode ? *mode : defaults_;
        log_.push_back("SetPrinter " + names.device + " " + (mode ? Describe(*mode) : "default"));
        return;
    }
    throw EPrinter(kInvalidPrinter);
}

void RecordingPrinter::CheckFailure(int& countdown, const char* what) {
    if (countdown > 0 && --countdown == 0)
        throw EPrinter(std::string("Printer failure at ") + what);
}

RecordingPrinter::Job& RecordingPrinter::CurrentJob() { return jobs_.back(); }

void RecordingPrinter::StartSheet() {
    CurrentJob().sheets.push_back(std::make_unique<QPicture>());
    painter_ = std::make_unique<QPainter>(CurrentJob().sheets.back().get());
}

void RecordingPrinter::FinishSheet() {
    if (painter_) painter_->end();
    painter_.reset();
}

void RecordingPrinter::BeginDoc(const std::string& title) {
    if (printing_) throw EPrinter(kAlreadyPrinting);
    if (index_ < 0) throw EPrinter(kNoPrinter);
    log_.push_back("BeginDoc " + title);
    CheckFailure(failCountdown_, "BeginDoc");
    Job job;
    job.title = title;
    job.names = printers_[index_];
    job.mode = modes_[index_];
    jobs_.push_back(std::move(job));
    printing_ = true;
    StartSheet();
}

void RecordingPrinter::NewPage() {
    if (!printing_) throw EPrinter(kNotPrinting);
    log_.push_back("NewPage");
    CheckFailure(failCountdown_, "NewPage");
    FinishSheet();
    StartSheet();
}

void RecordingPrinter::EndDoc() {
    if (!printing_) throw EPrinter(kNotPrinting);
    log_.push_back("EndDoc");
    CheckFailure(endDocFailCountdown_, "EndDoc");
    FinishSheet();
    CurrentJob().ended = true;
    printing_ = false;
}

void RecordingPrinter::Abort() {
    if (!printing_) throw EPrinter(kNotPrinting);
    log_.push_back("Abort");
    FinishSheet();
    CurrentJob().aborted = true;
    printing_ = false;
}

QPainter* RecordingPrinter::Canvas() {
    if (!printing_) throw EPrinter(kNotPrinting);
    return painter_.get();
}

}  // namespace tessaly::print

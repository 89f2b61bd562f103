#include "platform/print/SpoolerPrinter.h"

#include <cups/cups.h>

#include <QDir>
#include <QPrinter>
#include <QPrinterInfo>

#include "platform/core/Cp1252.h"
#include "platform/print/PdfSheets.h"

namespace tessaly::print {

namespace {

// The spooler's name for the sheet: the paper's own key, or its size for a custom one.
std::string MediaOf(const QPageLayout& layout) {
    const QPageSize& size = layout.pageSize();
    if (size.id() != QPageSize::Custom) return size.key().toStdString();
    const QSizeF mm = size.size(QPageSize::Millimeter);
    return QString("Custom.%1x%2mm").arg(mm.width(), 0, 'f', 1).arg(mm.height(), 0, 'f', 1).toStdString();
}

// Hands a finished PDF file to the spooler; returns the job id.
int Submit(const std::string& printer, const std::string& file, const std::string& title, const std::string& media) {
    std::string name = printer, instance;
    if (size_t slash = name.find('/'); slash != std::string::npos) {
        instance = name.substr(slash + 1);
        name.resize(slash);
    }
    cups_option_t* options = nullptr;
    int count = 0;
    if (cups_dest_t* dest = cupsGetNamedDest(CUPS_HTTP_DEFAULT, name.c_str(), instance.empty() ? nullptr : instance.c_str())) {
        for (int i = 0; i < dest->num_options; ++i)
            count = cupsAddOption(dest->options[i].name, dest->options[i].value, count, &options);
        cupsFreeDests(1, dest);
    }
    count = cupsAddOption("media", media.c_str(), count, &options);
    count = cupsAddOption("copies", "1", count, &options);
    count = cupsAddOption("document-format", "application/pdf", count, &options);
    int job = cupsPrintFile(name.c_str(), file.c_str(), title.c_str(), count, options);
    cupsFreeOptions(count, options);
    if (job == 0) throw EPrinter("Errore di stampa: " + Utf8ToCp1252(cupsLastErrorString()));
    return job;
}

}  // namespace

SpoolerPrinter::SpoolerPrinter(PaperLookup papers, int dpi) : papers_(std::move(papers)), dpi_(dpi) {
    const QString defaultName = QPrinterInfo::defaultPrinterName();
    for (const QString& name : QPrinterInfo::availablePrinterNames()) {
        QPrinterInfo info = QPrinterInfo::printerInfo(name);
        Entry e;
        e.names = {name.toStdString(), "CUPS", info.location().toStdString()};
        e.defaults = ModeForPageSize(info.defaultPageSize().isValid() ? info.defaultPageSize() : QPageSize(QPageSize::A4),
                                     QPageLayout::Portrait, papers_);
        e.mode = e.defaults;
        if (name == defaultName) index_ = static_cast<int>(printers_.size());
        printers_.push_back(std::move(e));
    }
    if (index_ < 0 && !printers_.empty()) index_ = 0;
}

SpoolerPrinter::~SpoolerPrinter() { DropJob(); }

std::vector<std::string> SpoolerPrinter::Printers() {
    std::vector<std::string> names;
    for (const Entry& e : printers_) names.push_back(e.names.device);
    return names;
}

SpoolerPrinter::Entry& SpoolerPrinter::Current() {
    if (index_ < 0) throw EPrinter(kNoPrinter);
    return printers_[index_];
}

void SpoolerPrinter::SetPrinterIndex(int index) {
    if (index < 0 || index >= static_cast<int>(printers_.size())) throw EPrinter(kInvalidPrinter);
    if (index != index_) device_.reset();
    index_ = index;
}

void SpoolerPrinter::GetPrinter(DeviceNames& names, DeviceMode& mode) {
    const Entry& e = Current();
    names = e.names;
    mode = e.mode;
}

void SpoolerPrinter::SetPrinter(const DeviceNames& names, const DeviceMode* mode) {
    for (size_t i = 0; i < printers_.size(); ++i) {
        if (printers_[i].names.device != names.device) continue;
        DeviceMode next = mode ? *mode : printers_[i].defaults;
        LayoutForMode(next, papers_);  // refuses a paper it could not print
        SetPrinterIndex(static_cast<int>(i));
        printers_[i].mode = next;
        return;
    }
    throw EPrinter(kInvalidPrinter);
}

// The margins that the printer cannot print on, for this sheet.
QMarginsF SpoolerPrinter::PrintableMargins(const QPageLayout& layout) {
    if (!device_) {
        device_ = std::make_unique<QPrinter>(QPrinter::HighResolution);
        device_->setPrinterName(QString::fromStdString(Current().names.device));
    }
    device_->setPageSize(layout.pageSize());
    device_->setPageOrientation(layout.orientation());
    QPageLayout device = device_->pageLayout();
    device.setUnits(QPageLayout::Millimeter);
    return device.minimumMargins();
}

QPageLayout SpoolerPrinter::CurrentLayout() {
    QPageLayout layout = LayoutForMode(Current().mode, papers_);
    layout.setMinimumMargins(QMarginsF());
    layout.setMargins(PrintableMargins(layout));
    return layout;
}

DeviceCaps SpoolerPrinter::Capabilities() { return CapsFor(CurrentLayout(), dpi_); }

void SpoolerPrinter::BeginDoc(const std::string& title) {
    if (document_) throw EPrinter(kAlreadyPrinting);
    jobLayout_ = CurrentLayout();
    jobTitle_ = Cp1252ToUtf8(title);
    jobFile_ = std::make_unique<QTemporaryFile>(QDir::tempPath() + "/tessaly-job-XXXXXX.pdf");
    if (!jobFile_->open()) {
        jobFile_.reset();
        throw EPrinter("Impossibile creare il file di stampa");
    }
    try {
        document_ = std::make_unique<PdfSheets>(jobFile_.get(), QString::fromStdString(jobTitle_), jobLayout_, dpi_);
    } catch (...) {
        jobFile_.reset();
        throw;
    }
}

void SpoolerPrinter::NewPage() {
    if (!document_) throw EPrinter(kNotPrinting);
    document_->NewSheet(jobLayout_);
}

void SpoolerPrinter::EndDoc() {
    if (!document_) throw EPrinter(kNotPrinting);
    try {
        document_->Close();
        if (!jobFile_->flush()) throw EPrinter("Impossibile scrivere il file di stampa");
        lastJobId_ = Submit(Current().names.device, jobFile_->fileName().toStdString(), jobTitle_, MediaOf(jobLayout_));
    } catch (...) {
        DropJob();
        throw;
    }
    DropJob();
}

void SpoolerPrinter::Abort() {
    if (!document_) throw EPrinter(kNotPrinting);
    DropJob();
}

void SpoolerPrinter::DropJob() {
    document_.reset();
    jobFile_.reset();  // removes the file
}

QPainter* SpoolerPrinter::Canvas() {
    if (!document_) throw EPrinter(kNotPrinting);
    return document_->Painter();
}

}  // namespace tessaly::print

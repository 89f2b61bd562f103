#include "platform/print/PdfFilePrinter.h"

#include "platform/core/QtStrings.h"
#include "platform/print/PdfSheets.h"

namespace tessaly::print {

PdfFilePrinter::PdfFilePrinter(std::filesystem::path file, PaperLookup papers, int dpi)
    : path_(std::move(file)), papers_(std::move(papers)), dpi_(dpi), mode_(DefaultMode()),
      file_(QString::fromStdString(path_.string())) {}

PdfFilePrinter::~PdfFilePrinter() {
    document_.reset();
    if (file_.isOpen()) file_.cancelWriting();
}

DeviceMode PdfFilePrinter::DefaultMode() {
    DeviceMode m;
    m.fields = DM_ORIENTATION | DM_PAPERSIZE;
    m.orientation = DMORIENT_PORTRAIT;
    m.paperSize = 9;
    return m;
}

DeviceNames PdfFilePrinter::Names() const { return {"PDF", "pdf", path_.string()}; }

void PdfFilePrinter::SetPrinterIndex(int index) {
    if (index != 0) throw EPrinter(kInvalidPrinter);
}

void PdfFilePrinter::GetPrinter(DeviceNames& names, DeviceMode& mode) {
    names = Names();
    mode = mode_;
}

void PdfFilePrinter::SetPrinter(const DeviceNames& names, const DeviceMode* mode) {
    if (names.device != "PDF") throw EPrinter(kInvalidPrinter);
    DeviceMode next = mode ? *mode : DefaultMode();
    LayoutForMode(next, papers_);  // refuses a paper it could not print
    mode_ = next;
}

void PdfFilePrinter::BeginDoc(const std::string& title) {
    if (printing_) throw EPrinter(kAlreadyPrinting);
    jobLayout_ = LayoutForMode(mode_, papers_);
    try {
        if (!document_) {
            if (!file_.open(QIODevice::WriteOnly)) throw EPrinter("Impossibile creare il file PDF");
            document_ = std::make_unique<PdfSheets>(&file_, ToQString(title), jobLayout_,
                                                    dpi_);
        } else {
            document_->NewSheet(jobLayout_);
        }
    } catch (...) {
        failed_ = true;
        throw;
    }
    printing_ = true;
    ++sheets_;
}

void PdfFilePrinter::NewPage() {
    if (!printing_) throw EPrinter(kNotPrinting);
    document_->NewSheet(jobLayout_);
    ++sheets_;
}

void PdfFilePrinter::EndDoc() {
    if (!printing_) throw EPrinter(kNotPrinting);
    printing_ = false;
    ++completedJobs_;
}

void PdfFilePrinter::Abort() {
    if (!printing_) throw EPrinter(kNotPrinting);
    printing_ = false;
    failed_ = true;
}

DeviceCaps PdfFilePrinter::Capabilities() { return CapsFor(LayoutForMode(mode_, papers_), dpi_); }

QPainter* PdfFilePrinter::Canvas() {
    if (!printing_) throw EPrinter(kNotPrinting);
    return document_->Painter();
}

bool PdfFilePrinter::Finish() {
    if (printing_ || !document_ || failed_ || completedJobs_ == 0) {
        document_.reset();
        if (file_.isOpen()) file_.cancelWriting();
        return false;
    }
    try {
        document_->Close();
    } catch (const EPrinter&) {
        document_.reset();
        file_.cancelWriting();
        return false;
    }
    document_.reset();
    return file_.commit();
}

}  // namespace tessaly::print

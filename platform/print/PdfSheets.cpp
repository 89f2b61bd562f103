#include "platform/print/PdfSheets.h"

#include <QFileDevice>
#include <QIODevice>

namespace tessaly::print {

PdfSheets::PdfSheets(QIODevice* device, const QString& title, const QPageLayout& layout, int dpi)
    : device_(device), writer_(device) {
    writer_.setResolution(dpi);
    writer_.setTitle(title);
    writer_.setCreator("Tessaly");
    writer_.setPageLayout(layout);
    if (!painter_.begin(&writer_)) throw EPrinter("Impossibile scrivere il documento PDF");
    sheets_ = 1;
}

PdfSheets::~PdfSheets() {
    if (painter_.isActive()) painter_.end();
}

// A changed layout takes effect from the next sheet on; the painter keeps painting in device
// pixels, so its own mapping stays as it is.
void PdfSheets::NewSheet(const QPageLayout& layout) {
    writer_.setPageLayout(layout);
    if (!writer_.newPage()) throw EPrinter("Impossibile scrivere il documento PDF");
    ++sheets_;
}

void PdfSheets::Close() {
    bool ended = !painter_.isActive() || painter_.end();
    auto* file = qobject_cast<QFileDevice*>(device_);
    if (!ended || (file && file->error() != QFileDevice::NoError))
        throw EPrinter("Impossibile scrivere il documento PDF");
}

}  // namespace tessaly::print

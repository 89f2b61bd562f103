#pragma once
// A PDF document painted sheet by sheet at one resolution, each sheet with its own page layout.
// The painter's origin is the corner of the sheet's printable area (its layout's margins); the
// whole sheet may be painted. Both PDF-based printers use it.
#include <QPageLayout>
#include <QPainter>
#include <QPdfWriter>

#include "platform/print/Printer.h"

class QIODevice;

namespace tessaly::print {

class PdfSheets {
public:
    // Begins the first sheet on `device` (opened for writing); raises EPrinter when painting
    // cannot start.
    PdfSheets(QIODevice* device, const QString& title, const QPageLayout& layout, int dpi);
    ~PdfSheets();
    PdfSheets(const PdfSheets&) = delete;
    PdfSheets& operator=(const PdfSheets&) = delete;

    void NewSheet(const QPageLayout& layout);
    QPainter* Painter() { return &painter_; }
    int Sheets() const { return sheets_; }
    // Ends the document; raises EPrinter when it could not be written completely.
    void Close();

private:
    QIODevice* device_;
    QPdfWriter writer_;
    QPainter painter_;
    int sheets_ = 0;
};

}  // namespace tessaly::print

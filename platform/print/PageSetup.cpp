#include "platform/print/PageSetup.h"

#include <cmath>

#include <QRect>
#include <QSizeF>

namespace tessaly::print {

namespace {

void CheckSide(int tenths) {
    if (tenths <= 0 || tenths > kMaxPaperSide) throw EPrinter("Formato della carta non valido");
}

QPageSize SizeInTenths(int width, int height) {
    return QPageSize(QSizeF(width / 10.0, height / 10.0), QPageSize::Millimeter, QString(), QPageSize::FuzzyMatch);
}

int Tenths(qreal millimetres) { return static_cast<int>(std::lround(millimetres * 10)); }

}  // namespace

QPageLayout LayoutForMode(const DeviceMode& mode, const PaperLookup& papers, const QMarginsF& margins) {
    const bool custom = !mode.Has(DM_PAPERSIZE) || mode.paperSize == kPaperCustom;
    int width = 0, height = 0;
    QPageLayout::Orientation orientation = QPageLayout::Portrait;
    if (custom) {
        if (!mode.Has(DM_PAPERWIDTH | DM_PAPERLENGTH)) throw EPrinter("Formato della carta non valido");
        width = mode.paperWidth;
        height = mode.paperLength;
        CheckSide(width);
        CheckSide(height);
        if (width > height) {
            std::swap(width, height);
            orientation = QPageLayout::Landscape;
        }
    } else {
        if (!papers || !papers(mode.paperSize, width, height)) throw EPrinter("Formato della carta non valido");
        CheckSide(width);
        CheckSide(height);
        if (mode.Has(DM_ORIENTATION) && mode.orientation == DMORIENT_LANDSCAPE) orientation = QPageLayout::Landscape;
    }
    return QPageLayout(SizeInTenths(width, height), orientation, margins, QPageLayout::Millimeter);
}

DeviceMode ModeForPageSize(const QPageSize& size, QPageLayout::Orientation orientation, const PaperLookup& papers) {
    const QSizeF mm = size.size(QPageSize::Millimeter);
    const int width = Tenths(mm.width()), height = Tenths(mm.height());
    DeviceMode mode;
    mode.fields = DM_ORIENTATION | DM_PAPERSIZE;
    mode.orientation = orientation == QPageLayout::Landscape ? DMORIENT_LANDSCAPE : DMORIENT_PORTRAIT;
    for (int code = 1; papers && code < kPaperCustom; ++code) {
        int w = 0, h = 0;
        if (!papers(code, w, h)) continue;
        if (std::abs(w - width) <= 1 && std::abs(h - height) <= 1) {
            mode.paperSize = static_cast<int16_t>(code);
            return mode;
        }
    }
    mode.fields |= DM_PAPERLENGTH | DM_PAPERWIDTH;
    mode.paperSize = kPaperCustom;
    mode.paperWidth = width;
    mode.paperLength = height;
    return mode;
}

DeviceCaps CapsFor(const QPageLayout& layout, int dpi) {
    const QRect full = layout.fullRectPixels(dpi);
    const QRect paint = layout.paintRectPixels(dpi);
    return {full.width(), full.height(), paint.x(), paint.y(), dpi, dpi};
}

}  // namespace tessaly::print

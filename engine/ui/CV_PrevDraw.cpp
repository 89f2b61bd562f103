// Playing a prepared page onto a drawing surface, record by record: on the page area only the
// records that meet the area being painted, on any other surface (a printer) every record.
#include <QImage>
#include <QPainter>

#include "engine/report/CV_Pages.h"
#include "engine/report/CV_Report.h"
#include "engine/ui/CV_Prev.h"
#include "platform/core/Rounding.h"
#include "platform/emf/EmfPlayer.h"

namespace tessaly {

namespace {

using emf::RecordAction;
using emf::RecordView;

// A BITBLT or STRETCHBLT that carries its source bits is drawn through the stretch-DIB operation
// with the record's own source size (the destination size for BITBLT). False when the record has
// no source bits (it is then played as it is) or its bitmap does not lie inside it.
bool DrawBlitBits(emf::Player& dc, RecordView r) {
    const auto bitsSize = r.U32(96);
    if (!bitsSize || *bitsSize == 0) return false;
    const bool stretch = r.Type() == emf::EMR_STRETCHBLT;
    const auto xDest = r.I32(24), yDest = r.I32(28), cxDest = r.I32(32), cyDest = r.I32(36);
    const auto xSrc = r.I32(44), ySrc = r.I32(48);
    const auto rop = r.U32(40), usage = r.U32(80), offBmi = r.U32(84), cbBmi = r.U32(88), offBits = r.U32(92);
    const auto cxSrc = stretch ? r.I32(100) : cxDest, cySrc = stretch ? r.I32(104) : cyDest;
    if (!xDest || !yDest || !cxDest || !cyDest || !rop || !xSrc || !ySrc || !usage || !offBmi || !cbBmi ||
        !offBits || !cxSrc || !cySrc)
        return true;  // a truncated blit is left out
    if (!r.Has(*offBmi, *cbBmi) || !r.Has(*offBits, *bitsSize)) return true;
    const auto bytes = r.Bytes();
    dc.StretchDIBits(*xDest, *yDest, *cxDest, *cyDest, *xSrc, *ySrc, *cxSrc, *cySrc, bytes.subspan(*offBmi, *cbBmi),
                     bytes.subspan(*offBits, *bitsSize), *usage, *rop);
    return true;
}

}  // namespace

bool TStandardPreview::IsClippedDrawingRecord(uint32_t type) {
    switch (type) {
    case emf::EMR_POLYBEZIER: case emf::EMR_POLYGON: case emf::EMR_POLYLINE: case emf::EMR_POLYBEZIERTO:
    case emf::EMR_POLYLINETO: case emf::EMR_POLYPOLYLINE: case emf::EMR_POLYPOLYGON:
    case emf::EMR_SETPIXELV:
    case emf::EMR_ANGLEARC: case emf::EMR_ELLIPSE: case emf::EMR_RECTANGLE: case emf::EMR_ROUNDRECT:
    case emf::EMR_ARC: case emf::EMR_CHORD: case emf::EMR_PIE:
    case emf::EMR_EXTFLOODFILL: case emf::EMR_ARCTO: case emf::EMR_POLYDRAW:
    case emf::EMR_FILLRGN: case emf::EMR_FRAMERGN: case emf::EMR_INVERTRGN: case emf::EMR_PAINTRGN:
    case emf::EMR_MASKBLT: case emf::EMR_PLGBLT: case emf::EMR_STRETCHDIBITS:
    case emf::EMR_EXTTEXTOUTA: case emf::EMR_EXTTEXTOUTW:
    case emf::EMR_POLYBEZIER16: case emf::EMR_POLYGON16: case emf::EMR_POLYLINE16: case emf::EMR_POLYBEZIERTO16:
    case emf::EMR_POLYLINETO16: case emf::EMR_POLYPOLYLINE16: case emf::EMR_POLYPOLYGON16: case emf::EMR_POLYDRAW16:
    case emf::EMR_POLYTEXTOUTA: case emf::EMR_POLYTEXTOUTW:
        return true;
    default:
        return false;
    }
}

void TStandardPreview::DrawPage(QPainter* dc, int pageIndex, const QRect& rect) {
    if (!dc) {
        // The page area's own surface without a picture (a pass that only reads the records).
        QImage scratch(1, 1, QImage::Format_ARGB32_Premultiplied);
        QPainter painter(&scratch);
        DrawPageOn(painter, pageIndex, rect, false);
        return;
    }
    DrawPageOn(*dc, pageIndex, rect, dc->device() != PaintPanel);
}

void TStandardPreview::DrawPageOn(QPainter& dc, int pageIndex, const QRect& rect, bool otherSurface) {
    const PreparedPage& page = Report->EMFPages().Pages(pageIndex);
    if (page.Drawing.Empty()) return;
    const PageScale scale = ScaleOf(pageIndex);
    TDrawPageContext context;
    context.PageIndex = pageIndex;
    context.DestRect = rect;
    context.ScaleX = scale.scaleX;
    context.ScaleY = scale.scaleY;
    context.Preview = this;
    context.OtherSurface = otherSurface;
    emf::Player player(dc, page.Drawing, QRectF(rect));
    player.Enumerate([&](emf::Player& p, RecordView record) { return PageRecordHandler(p, record, context); });
}

emf::RecordAction TStandardPreview::PageRecordHandler(emf::Player& dc, RecordView record,
                                                      TDrawPageContext& context) {
    if (Searching) return SearchStep(dc, record, context);
    const uint32_t type = record.Type();
    // Counted as the search counts (in 64 bits, kept modulo 2^32 for reports of huge page counts).
    context.RecordNo = static_cast<int>(NextRecordNo(context.RecordNo, context.PageIndex, type));

    if (type == emf::EMR_BITBLT || type == emf::EMR_STRETCHBLT) {
        ++RecordsPlayed;
        return DrawBlitBits(dc, record) ? RecordAction::Skip : RecordAction::Play;
    }
    if (IsClippedDrawingRecord(type)) {
        if (!context.OtherSurface) {
            if (!RecordVisible(record, dc, context)) return RecordAction::Skip;
            if (HitShown && context.PageIndex == HitPage && context.RecordNo == RecordNo && BlinkCount % 2 == 1) {
                ++RecordsPlayed;
                ++DrawingRecordsPlayed;
                PlayHighlighted(dc, record);
                return RecordAction::Skip;
            }
        }
        ++DrawingRecordsPlayed;
    }
    ++RecordsPlayed;
    return RecordAction::Play;
}

bool TStandardPreview::RecordVisible(RecordView record, const emf::Player& dc, const TDrawPageContext& context) const {
    const auto bounds = record.Size() >= 24 ? record.RectAt(8) : std::nullopt;
    if (!bounds) return true;
    const PageRect c = PaintPanel->PaintClip();
    const int64_t cl = int64_t(c.left) - 1, ct = int64_t(c.top) - 1, cr = int64_t(c.right) + 1,
                  cb = int64_t(c.bottom) + 1;
    const int64_t grow = int64_t(dc.Dc().pen.width) / 2 + 4;
    const int64_t dx = context.DestRect.x(), dy = context.DestRect.y();
    const int64_t left = RoundHalfEven((bounds->left - grow) * context.ScaleX) + dx;
    const int64_t right = RoundHalfEven((bounds->right + grow) * context.ScaleX) + dx;
    const int64_t top = RoundHalfEven((bounds->top - grow) * context.ScaleY) + dy;
    const int64_t bottom = RoundHalfEven((bounds->bottom + grow) * context.ScaleY) + dy;
    return right >= cl && left <= cr && top <= cb && bottom >= ct;
}

// The search hit, in inverted colours: white text on black, or pure blue on black when the text
// is white itself.
void TStandardPreview::PlayHighlighted(emf::Player& dc, RecordView record) {
    const QColor text = dc.Dc().textColour, background = dc.Dc().bkColour;
    const uint32_t mode = dc.Dc().bkMode;
    dc.SetTextColour(text.rgb() == QColor(Qt::white).rgb() ? QColor(0, 0, 255) : QColor(Qt::white));
    dc.SetBkColour(Qt::black);
    dc.SetBkMode(emf::OPAQUE);
    dc.PlayRecord(record);
    dc.SetTextColour(text);
    dc.SetBkColour(background);
    dc.SetBkMode(mode);
}

}  // namespace tessaly

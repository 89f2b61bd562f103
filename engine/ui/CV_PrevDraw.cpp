// Playing a prepared page onto a drawing surface, record by record: on the page area only the
// records that meet the area being painted, on any other surface (a printer) every record.
#include <QImage>
#include <QPainter>

#include "engine/report/CV_Pages.h"
#include "engine/report/CV_Report.h"
#include "engine/ui/CV_Prev.h"
#include "engine/ui/CV_PrevHits.h"
#include "platform/core/Rounding.h"
#include "platform/emf/EmfPlayer.h"
#include "platform/emf/EmfRecords.h"

namespace tessaly {

namespace {

using emf::RecordAction;
using emf::RecordView;

// A BITBLT or STRETCHBLT that carries its source bits is drawn through the stretch-DIB operation
// with the record's own source size (the destination size for BITBLT). False when the record has
// no source bits: it is then played as it is. A damaged blit is left out.
bool DrawBlitBits(emf::Player& dc, RecordView r) {
    const auto b = emf::ParseBitmap(r);
    if (!b) return true;
    if (b->bitsSrc.empty()) return false;
    dc.StretchDIBits(b->xDest, b->yDest, b->cxDest, b->cyDest, b->xSrc, b->ySrc, b->cxSrc, b->cySrc, b->bmiSrc,
                     b->bitsSrc, b->usageSrc, b->rop);
    return true;
}

// The marks of the search's matches, laid over the text (multiplied, so that the text stays as
// dark as it was): every match in yellow, the current one in orange.
const QColor kMatchMark(255, 236, 64), kCurrentMatchMark(255, 150, 40);

bool IsTextRecord(uint32_t type) { return type == emf::EMR_EXTTEXTOUTA || type == emf::EMR_EXTTEXTOUTW; }

}  // namespace

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
    context.Surface = &dc;
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
    if (emf::HasDrawingBounds(type)) {
        if (!context.OtherSurface) {
            if (!RecordVisible(record, dc, context)) return RecordAction::Skip;
            const bool blinking = HitShown && context.PageIndex == HitPage && context.RecordNo == RecordNo;
            if (blinking && BlinkCount % 2 == 1) {
                ++RecordsPlayed;
                ++DrawingRecordsPlayed;
                PlayHighlighted(dc, record);
                return RecordAction::Skip;
            }
            if (IsTextRecord(type) && hits_->Matches(record)) {
                ++RecordsPlayed;
                ++DrawingRecordsPlayed;
                dc.PlayRecord(record);
                MarkHit(context, record, hits_->IsCurrent(context.PageIndex, context.RecordNo));
                return RecordAction::Skip;
            }
        }
        ++DrawingRecordsPlayed;
    }
    ++RecordsPlayed;
    return RecordAction::Play;
}

bool TStandardPreview::RecordVisible(RecordView record, const emf::Player& dc, const TDrawPageContext& context) const {
    const auto bounds = emf::ParseDrawingBounds(record);
    if (!bounds) return true;
    const PageRect c = PaintPanel->PaintClip();
    const int64_t cl = int64_t(c.left) - 1, ct = int64_t(c.top) - 1, cr = int64_t(c.right) + 1,
                  cb = int64_t(c.bottom) + 1;
    const emf::Rect64 grown = emf::GrowByPen(*bounds, dc.Dc().pen.width);
    const int64_t dx = context.DestRect.x(), dy = context.DestRect.y();
    const int64_t left = RoundHalfEven(grown.left * context.ScaleX) + dx;
    const int64_t right = RoundHalfEven(grown.right * context.ScaleX) + dx;
    const int64_t top = RoundHalfEven(grown.top * context.ScaleY) + dy;
    const int64_t bottom = RoundHalfEven(grown.bottom * context.ScaleY) + dy;
    return right >= cl && left <= cr && top <= cb && bottom >= ct;
}

void TStandardPreview::MarkHit(const TDrawPageContext& context, RecordView record, bool current) {
    const auto bounds = emf::ParseDrawingBounds(record);
    if (!bounds || !context.Surface) return;
    const double dx = context.DestRect.x(), dy = context.DestRect.y();
    const QRectF mark(QPointF(bounds->left * context.ScaleX + dx, bounds->top * context.ScaleY + dy),
                      QPointF((bounds->right + 1) * context.ScaleX + dx, (bounds->bottom + 1) * context.ScaleY + dy));
    QPainter& painter = *context.Surface;
    painter.save();
    painter.resetTransform();
    painter.setCompositionMode(QPainter::CompositionMode_Multiply);
    painter.fillRect(mark.toAlignedRect(), current ? kCurrentMatchMark : kMatchMark);
    painter.restore();
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

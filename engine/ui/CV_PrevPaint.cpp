// The preview's page area: page geometry, zoom, painting of the visible pages, scrolling and the
// mouse (dragging, auto-scroll, the context menu).
#include <QAction>
#include <QComboBox>
#include <QMenu>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QScopeGuard>
#include <QScopedValueRollback>
#include <QScrollBar>
#include <QTimer>

#include <algorithm>
#include <cmath>

#include "engine/report/CV_Pages.h"
#include "engine/report/CV_Report.h"
#include "engine/ui/CV_Prev.h"
#include "platform/core/Rounding.h"

namespace tessaly {

namespace {

constexpr int kTopMargin = 10;
constexpr int kRowGap = 12;
constexpr int kSideMargin = 10;
constexpr int kFitMargin = 20;
constexpr int kShadowOffset = 3;
constexpr int kHRangeExtra = 20;
int ClampCoordinate(int64_t v) {
    return static_cast<int>(std::clamp(v, -kLayoutCoordinateLimit, kLayoutCoordinateLimit));
}

int64_t Round64(double v) {
    if (!(std::fabs(v) < 4e18)) return v > 0 ? INT64_MAX / 4 : INT64_MIN / 4;
    return RoundHalfEven(v);
}

}  // namespace

// --- Geometry ------------------------------------------------------------------------------

TStandardPreview::PageScale TStandardPreview::ScaleOf(int index) const {
    const PreparedPage& page = Report->EMFPages().Pages(index);
    const double width = std::max(0, page.Width) * PreviewPixelsPerTenthMm;
    const double height = std::max(0, page.Height) * PreviewPixelsPerTenthMm;
    const int mfWidth = page.Drawing.Width(), mfHeight = page.Drawing.Height();
    PageScale s;
    if (mfWidth > 0) {
        s.scaleX = width / mfWidth * Zoom / 100;
        s.pw = mfWidth * s.scaleX;
    } else {
        s.pw = width * Zoom / 100;
    }
    if (mfHeight > 0) {
        s.scaleY = height / mfHeight * Zoom / 100;
        s.ph = mfHeight * s.scaleY;
    } else {
        s.ph = height * Zoom / 100;
    }
    return s;
}

int TStandardPreview::PageX(int index, double pw, int areaWidth) const {
    if (Round64(pw - areaWidth) > 0) return kSideMargin;
    if (ZoomMode != zmTwoPages) return ClampCoordinate(Round64((areaWidth - (pw + 20) - 2) / 2) + kSideMargin);
    const double half = areaWidth / 2.0;
    if (index % 2 == 0) return ClampCoordinate(Round64((half - pw - 2) / 2));
    return ClampCoordinate(Round64((half - pw - 2) / 2 + half));
}

// Two pages share a row in the two-page mode. The last page always ends its row, so that a last
// page standing alone is part of the scrolling range and can be reached.
bool TStandardPreview::RowEndsAfter(int index) const {
    return ZoomMode != zmTwoPages || index % 2 == 1 || index == PageCount() - 1;
}

bool TStandardPreview::ZoomFits(double z) const {
    if (!std::isfinite(z) || z <= 0) return false;
    const double widest = std::max(MaxPageWidth, 1) * z / 100;
    const double tallest = std::max(MaxPageHeight, 1) * z / 100;
    return widest < double(kLayoutCoordinateLimit) && tallest < double(kLayoutCoordinateLimit);
}

QPoint TStandardPreview::PageOrigin(int index) const {
    int64_t y = kTopMargin - VScroll->value();
    int64_t rowH = 0;
    for (int i = 0; i < PageCount(); ++i) {
        const PageScale s = ScaleOf(i);
        if (i == index) return QPoint(PageX(i, s.pw, PaintPanel->width()) - HScroll->value(), ClampCoordinate(y));
        rowH = std::max(rowH, Round64(s.ph));
        if (RowEndsAfter(i)) {
            y += rowH + kRowGap;
            rowH = 0;
        }
    }
    return QPoint(0, ClampCoordinate(y));
}

void TStandardPreview::ShowPage(int n) {
    if (n < 1 || n > PageCount()) return;
    int64_t y = 0, rowH = 0;
    for (int i = 0; i <= n - 2; ++i) {
        rowH = std::max(rowH, Round64(ScaleOf(i).ph));
        if (RowEndsAfter(i)) {
            y += rowH + kRowGap;
            rowH = 0;
        }
    }
    if (VScroll->value() != y) VScroll->setValue(ClampCoordinate(y));
    CurPage = n;
    PaintPagePaint();
}

void TStandardPreview::SetZoom(double z) {
    if (!ZoomFits(z)) z = Zoom;
    if (z != Zoom && HitShown) {
        const double ratio = z / Zoom;
        HitRect = {Round32(HitRect.left * ratio), Round32(HitRect.top * ratio), Round32(HitRect.right * ratio),
                   Round32(HitRect.bottom * ratio)};
    }
    {
        QScopedValueRollback layoutOnly(PaintPanel->LayoutOnly, true);
        Zoom = z;
        PaintPanel->Paint(nullptr, {});
        if (!PaintPanel->KeepPosition && isVisible()) {
            ShowPage(CurPage);
            LastVPos = VScroll->value();
        }
        PostUpdateZoomText();
        HScroll->setValue(HScroll->maximum() > 70 ? 0 : HScroll->maximum() / 2);
    }
    if (Zoom == PaintedZoom && ZoomMode == PaintedMode && !Resized) return;
    PaintPanel->repaint();  // background, then every visible page, at once
    PaintedZoom = Zoom;
    PaintedMode = ZoomMode;
    Resized = false;
}

int TStandardPreview::PageAt(QPoint at) const {
    int64_t y = kTopMargin - VScroll->value();
    int64_t rowH = 0;
    int rowFirst = 0;
    for (int i = 0; i < PageCount(); ++i) {
        rowH = std::max(rowH, Round64(ScaleOf(i).ph));
        if (!RowEndsAfter(i)) continue;
        // The row holds the point, or is the last one: its page nearest to the point across.
        if (at.y() < y + rowH + kRowGap || i == PageCount() - 1) {
            int best = rowFirst;
            int64_t bestDistance = INT64_MAX;
            for (int j = rowFirst; j <= i; ++j) {
                const PageScale s = ScaleOf(j);
                const int64_t left = PageX(j, s.pw, PaintPanel->width()) - HScroll->value();
                const int64_t distance = std::abs(left + Round64(s.pw / 2) - at.x());
                if (distance < bestDistance) best = j, bestDistance = distance;
            }
            return best;
        }
        y += rowH + kRowGap;
        rowH = 0;
        rowFirst = i + 1;
    }
    return -1;
}

// The page under the point keeps the same spot of its sheet under it: its fraction across and down
// the sheet is noted before the zoom and the bars are set to bring it back after.
void TStandardPreview::ZoomAbout(double z, QPoint at) {
    const int page = PageAt(at);
    if (page < 0 || !ZoomFits(z)) return;
    PageScale s = ScaleOf(page);
    QPoint origin = PageOrigin(page);
    const double fx = s.pw > 0 ? (at.x() - origin.x()) / s.pw : 0, fy = s.ph > 0 ? (at.y() - origin.y()) / s.ph : 0;
    {
        // One repaint at the end, not one at the new zoom and another after the bars moved.
        PaintPanel->setUpdatesEnabled(false);
        const auto enable = qScopeGuard([this] { PaintPanel->setUpdatesEnabled(true); });
        QScopedValueRollback keep(PaintPanel->KeepPosition, true);
        ZoomMode = zmPercent;
        SetZoom(z);
        s = ScaleOf(page);
        origin = PageOrigin(page);
        HScroll->setValue(ClampCoordinate(HScroll->value() + Round64(origin.x() + fx * s.pw - at.x())));
        origin = PageOrigin(page);
        VScroll->setValue(ClampCoordinate(VScroll->value() + Round64(origin.y() + fy * s.ph - at.y())));
    }
}

void TStandardPreview::ApplyZoomMode() {
    const double aw = PaintPanel->width(), ah = PaintPanel->height();
    const double mw = MaxPageWidth, mh = MaxPageHeight;
    double z = Zoom;
    if (mw > 0 && mh > 0) {
        double s = 0;
        switch (ZoomMode) {
        case zmPercent: s = Zoom / 100; break;
        case zmPageWidth: s = (aw - kFitMargin) / mw; break;
        case zmOnePage:
            s = (aw - kFitMargin) / mw;
            if (ah - kFitMargin < mh * s) s = (ah - kFitMargin) / mh;
            break;
        case zmTwoPages:
            s = (aw - kFitMargin) / (2 * mw);
            if (ah - kFitMargin < mh * s) s = (ah - kFitMargin) / mh;
            break;
        }
        z = ZoomMode == zmPercent ? Zoom : s * 100;
    }
    SetZoom(z);
}

// --- The page area -------------------------------------------------------------------------

TPaintPanel::TPaintPanel(TStandardPreview* preview) : QFrame(preview), preview_(preview) {
    setObjectName("PaintPanel");
    setFrameStyle(QFrame::NoFrame);
    QPalette grey = palette();
    grey.setColor(QPalette::Window, preview->palette().color(QPalette::Dark));
    setPalette(grey);
    setAutoFillBackground(true);
    setAttribute(Qt::WA_StaticContents);  // a resize repaints only what it uncovers
    setMouseTracking(true);
    setFocusPolicy(Qt::NoFocus);
    ScrollTimer = new QTimer(this);
    ScrollTimer->setInterval(100);
    connect(ScrollTimer, &QTimer::timeout, this, [this] { AutoScrollTick(); });
    SetCursorNumber(crHandFlat);
    lower();
}

TPaintPanel::~TPaintPanel() = default;

void TPaintPanel::SetCursorNumber(int number) {
    CursorNumber = number;
    setCursor(PreviewCursor(number));
}

void TPaintPanel::ScrollBy(int dx, int dy) {
    if (dx == 0 && dy == 0) return;
    // A scroll range changed by a paint in progress moves the picture once that paint is done.
    if (painting_)
        QMetaObject::invokeMethod(this, [this, dx, dy] { scroll(dx, dy); }, Qt::QueuedConnection);
    else
        scroll(dx, dy);
}

void TPaintPanel::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    QScopedValueRollback painting(painting_, true);
    paintClip_ = PageRect::From(event->region().boundingRect());
    try {
        Paint(&painter, paintClip_);
    } catch (...) {
        // A page that cannot be shown leaves its sheet as far as it was drawn.
    }
}

void TPaintPanel::Paint(QPainter* dc, const PageRect& clip) {
    TStandardPreview& w = *preview_;
    const int count = w.PageCount();
    const int hpos = w.HScroll->value();
    int64_t y = kTopMargin - w.VScroll->value();
    int64_t total = kTopMargin, rowH = 0;
    int cur = 1;
    if (dc) {
        dc->setBrush(Qt::white);
        dc->setPen(Qt::black);
    }
    for (int i = 0; i < count; ++i) {
        const TStandardPreview::PageScale s = w.ScaleOf(i);
        if (!LayoutOnly && dc) {
            if (y <= kTopMargin) cur = i + 1;
            const int64_t bottom = Round64(s.ph + y + 1);
            if (clip.bottom >= y && clip.top <= bottom) {
                const int x = w.PageX(i, s.pw, width()) - hpos;
                PageRect r{x, ClampCoordinate(y), ClampCoordinate(Round64(s.pw + x + 1)), ClampCoordinate(bottom)};
                // The sheet: white with a one-pixel black border, a shadow column and row beside it.
                dc->fillRect(r.ToQRect(), Qt::black);
                dc->fillRect(PageRect{r.left + 1, r.top + 1, r.right - 1, r.bottom - 1}.ToQRect(), Qt::white);
                dc->fillRect(PageRect{r.right, r.top + kShadowOffset, r.right + 1, r.bottom}.ToQRect(), Qt::black);
                dc->fillRect(PageRect{r.left + kShadowOffset, r.bottom, r.right + 1, r.bottom + 1}.ToQRect(),
                             Qt::black);
                r.right -= 1;
                r.bottom -= 1;
                w.DrawPage(dc, i, r.ToQRect());
            }
        }
        rowH = std::max(rowH, Round64(s.ph));
        if (w.RowEndsAfter(i)) {
            y += rowH + kRowGap;
            total += rowH + kRowGap;
            rowH = 0;
        }
    }
    if (!LayoutOnly && dc) {
        if (w.ZoomMode == zmTwoPages && cur % 2 == 0) --cur;
        if (w.CurPage != cur) {
            w.CurPage = cur;
            w.PaintPagePaint();
        }
    }
    const int64_t v = total - height();
    w.VScroll->setMaximum(v > 0 ? ClampCoordinate(v) : 0);
    w.VScroll->setEnabled(v > 0);
    const int64_t h = Round64(w.MaxPageWidth * w.Zoom / 100) - width();
    w.HScroll->setMaximum(h > 0 ? ClampCoordinate(h + kHRangeExtra) : 0);
    w.HScroll->setEnabled(h > 0);
}

// --- Mouse ---------------------------------------------------------------------------------

void TPaintPanel::mousePressEvent(QMouseEvent* event) {
    const QPoint p = event->position().toPoint();
    switch (event->button()) {
    case Qt::LeftButton:
        AutoScrolling = false;
        Dragging = true;
        LastX = p.x();
        LastY = p.y();
        SetCursorNumber(crHandGrab);
        break;
    case Qt::MiddleButton:
        AutoScrolling = !AutoScrolling;
        OriginX = p.x();
        OriginY = p.y();
        // The still cursor belongs to direction 0: start from there, so that the first movement
        // shows its own direction's cursor.
        Direction = 0;
        SetCursorNumber(AutoScrolling ? crMoveAll : crHandFlat);
        break;
    default:
        AutoScrolling = false;
        SetCursorNumber(crHandFlat);
        break;
    }
}

void TPaintPanel::mouseMoveEvent(QMouseEvent* event) {
    const QPoint p = event->position().toPoint();
    TStandardPreview& w = *preview_;
    if (Dragging) {
        w.VScroll->setValue(w.VScroll->value() + LastY - p.y());
        w.HScroll->setValue(w.HScroll->value() + LastX - p.x());
        LastX = p.x();
        LastY = p.y();
    }
    if (AutoScrolling) {
        const int dy = OriginY - p.y(), dx = OriginX - p.x();
        uint8_t d = 0;
        if (dy > 0)
            d = dx == 0 ? 1 : dx > 0 ? 5 : 6;
        else if (dy < 0)
            d = dx == 0 ? 2 : dx < 0 ? 7 : 8;
        else
            d = dx == 0 ? 0 : dx < 0 ? 3 : 4;
        SetDirection(d);
        SpeedY = std::abs(dy);
        SpeedX = std::abs(dx);
        if (!ScrollTimer->isActive()) ScrollTimer->start();
    } else {
        ScrollTimer->stop();
    }
}

void TPaintPanel::mouseReleaseEvent(QMouseEvent* event) {
    TStandardPreview& w = *preview_;
    if (Dragging) {
        Dragging = false;
        SetCursorNumber(crHandFlat);
    }
    w.ApplyZoomText();
    if (event->button() != Qt::RightButton) return;
    const QString zoomText = w.ZoomBtn->currentText();
    for (QAction* item : w.PopupMenu->actions()) {
        const QString caption = item->text();
        const bool checked = w.ZoomMode == zmPercent ? caption == zoomText : caption == ZoomModeText(w.ZoomMode);
        if (checked) item->setCheckable(true);
        item->setChecked(checked);
    }
    w.PopupMenu->popup(mapToGlobal(event->position().toPoint()));
}

void TPaintPanel::SetDirection(uint8_t direction) {
    static constexpr int kCursors[9] = {crMoveAll, crMoveN,  crMoveS,  crMoveE, crMoveW,
                                        crMoveNW,  crMoveNE, crMoveSE, crMoveSW};
    if (direction == Direction || direction > 8) return;
    Direction = direction;
    SetCursorNumber(kCursors[direction]);
}

void TPaintPanel::AutoScrollTick() {
    QScrollBar* v = preview_->VScroll;
    QScrollBar* h = preview_->HScroll;
    const int up = -SpeedY, down = SpeedY, left = -SpeedX, right = SpeedX;
    int dv = 0, dh = 0;
    switch (Direction) {
    case 1: dv = up; break;
    case 2: dv = down; break;
    case 3: dh = right; break;
    case 4: dh = left; break;
    case 5: dv = up, dh = left; break;
    case 6: dv = up, dh = right; break;
    case 7: dv = down, dh = right; break;
    case 8: dv = down, dh = left; break;
    default: break;
    }
    if (dv) v->setValue(v->value() + dv);
    if (dh) h->setValue(h->value() + dh);
}

}  // namespace tessaly

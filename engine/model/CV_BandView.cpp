#include "engine/model/CV_BandView.h"

#include <QRect>
#include <QScopedValueRollback>

#include "engine/expr/CV_Const.h"
#include "engine/model/CV_Caption.h"
#include "engine/model/CV_Page.h"
#include "engine/report/CV_Report.h"
#include "engine/report/EngineState.h"
#include "platform/emf/RecordingCanvas.h"

namespace tessaly {

namespace {

// Band types for which each option counts, by option bit.
struct OptionRow {
    uint16_t bit;
    const char* caption;
    uint32_t types;  // bit n: band type n
};

constexpr uint32_t Types(std::initializer_list<int> list) {
    uint32_t mask = 0;
    for (int t : list) mask |= 1u << t;
    return mask;
}

constexpr OptionRow kOptions[] = {
    {boStretched, "Adattato", Types({0, 1, 2, 4, 5, 6, 7, 8, 9, 10, 11, 12, 16, 17, 18})},
    {boForceNewPage, "Forza pagina nuova", Types({0, 1, 5, 6, 8, 9, 11, 12, 16})},
    {boPrintIfDetailEmpty, "Stampa se i dettagli sono vuoti", Types({5, 8})},
    {boCanSplit, "Banda interrotta", Types({0, 1, 4, 5, 6, 7, 8, 9, 10, 11, 12, 16, 17})},
    {boFillList, "Completa l'elenco", Types({5, 8, 11})},
};

constexpr int32_t kTabLength = 130;
constexpr int32_t kTabThickness = 18;

QRect ToQRect(const emf::RectL& r) { return QRect(QPoint(r.left, r.top), QPoint(r.right - 1, r.bottom - 1)); }

}  // namespace

bool IsDataBandType(int t) { return t == 5 || t == 8 || t == 11 || t == 19; }

bool IsVerticalBandType(int t) { return t >= 18 && t <= 20; }

bool BandOptionEffective(int bandType, uint16_t bit) {
    if (bandType < 0 || bandType >= BandTypeCount) return false;
    for (const OptionRow& row : kOptions)
        if (row.bit == bit) return row.types & (1u << bandType);
    return false;
}

TcvBandView::TcvBandView(TcvReport* report, const char* className) : TcvView(report, className) {
    ObjectType = otBand;
}

emf::RectL TcvBandView::BandRect() const {
    const TcvPage* page = Report ? Report->Pages().PageOf(this) : nullptr;
    if (IsVerticalBandType(BandType()))
        return {Left, 0, Left + Width, page ? page->PrinterInfo.ScreenPageHeight : Top + Height};
    return {0, Top, page ? page->PrinterInfo.ScreenPageWidth : Left + Width, Top + Height};
}

emf::RectL TcvBandView::CaptionRect() const {
    const emf::RectL band = BandRect();
    if (IsVerticalBandType(BandType()))
        return {band.left - kTabThickness, band.top, band.left, band.top + kTabLength};
    return {band.left, band.top - kTabThickness, band.left + kTabLength, band.top};
}

void TcvBandView::Draw(emf::RecordingCanvas& canvas) {
    if (EngineMode != emDesign) return;
    SetCanvas(&canvas);
    const QScopedValueRollback frame(FrameWidth, 1);  // drawn with 1, the stored width kept
    const emf::RectL band = BandRect();
    canvas.Pen() = SolidPen(1, clBtnFace);
    canvas.Brush() = SolidBrush(clWhite);
    canvas.Brush().pattern = BandViewBrush;
    canvas.Rectangle(band.left, band.top, band.right, band.bottom);

    const emf::RectL tab = CaptionRect();
    canvas.Brush() = SolidBrush(clBtnFace);
    canvas.FillRect(tab);
    const bool vertical = IsVerticalBandType(BandType());
    // The tab's far end is closed by a shadow line and a black one.
    for (auto [offset, color] : {std::pair{2, clBtnShadow}, std::pair{1, clBlack}}) {
        canvas.Pen() = SolidPen(1, color);
        if (vertical) {
            canvas.MoveTo(tab.left, tab.bottom - offset);
            canvas.LineTo(tab.right, tab.bottom - offset);
        } else {
            canvas.MoveTo(tab.right - offset, tab.top);
            canvas.LineTo(tab.right - offset, tab.bottom);
        }
    }
    const AnsiString name = BandType() < BandTypeCount ? BandTypeNames[BandType()] : "";
    if (vertical)
        DrawCaptionText(canvas, tab, tab.left + 2, tab.bottom - 4, name, true);
    else
        DrawCaptionText(canvas, tab, tab.left + 2, tab.top + 2, name);
}

QRegion TcvBandView::GetClipRegion(bool extended) const {
    const int32_t more = extended ? 10 : 0;
    const emf::RectL band = BandRect();
    QRegion region(ToQRect({band.left - more, band.top - more, band.right + more, band.bottom + more}));
    return region.united(ToQRect(CaptionRect()));
}

void TcvBandView::DefinePopupMenu(TcvPopupMenu& menu) {
    for (const OptionRow& row : kOptions)
        if (BandOptionEffective(BandType(), row.bit)) menu.push_back({row.caption, row.bit});
}

}  // namespace tessaly

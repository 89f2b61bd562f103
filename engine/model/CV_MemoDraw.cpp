// Text objects on a page: the drawing sequence, the highlight, and the lines as text records,
// aligned, justified, turned, clipped and split across pages.
#include <QScopedValueRollback>
#include <QScopeGuard>
#include <algorithm>
#include <vector>

#include "engine/expr/CV_Expr.h"
#include "engine/expr/CV_PrepError.h"
#include "engine/model/CV_BandFrame.h"
#include "engine/model/CV_Memo.h"
#include "engine/model/CV_ObjectRun.h"
#include "engine/report/EngineState.h"
#include "platform/core/Errors.h"
#include "platform/core/Rounding.h"

namespace tessaly {

namespace {

const char kHighlightError[] = "Espressione per il calcolo dell'evidenziatura errata";

bool IsTrue(const Variant& v) {
    return (v.IsBoolean() && v.BooleanValue()) || (v.IsNumber() && v.AsDouble() == 1);
}

struct PlacedWord {
    std::string_view text;
    int32_t offset;  // from the start of the line
};

// The words of a justified line and where each starts so that the line fills `room` pixels: the
// spaces share alike what the words leave (words measured as they are drawn, so that the last one
// ends on the room's edge). Nothing for a line without a space after a non-empty first word.
std::vector<PlacedWord> JustifiedWords(emf::RecordingCanvas& canvas, std::string_view line, int32_t room) {
    line = line.substr(0, line.find_last_not_of(' ') + 1);
    const size_t first = line.find(' ');
    if (first == 0 || first == std::string_view::npos) return {};
    std::vector<PlacedWord> words;
    std::vector<int32_t> widths;
    int64_t inked = 0;
    for (size_t from = 0; from <= line.size();) {
        const size_t end = std::min(line.find(' ', from), line.size());
        words.push_back({line.substr(from, end - from), 0});
        widths.push_back(canvas.TextWidth(AnsiString(words.back().text)));
        inked += widths.back();
        from = end + 1;
    }
    const double space = double(room - inked) / double(words.size() - 1);
    double position = 0;
    for (size_t i = 0; i < words.size(); ++i) {
        words[i].offset = Round32(position);
        position += widths[i] + space;
    }
    return words;
}

}  // namespace

// --- The band engine's calls ---------------------------------------------------------------------

int32_t TcvMemoView::Measure(emf::RecordingCanvas& canvas) {
    TextHeight = 0;
    DrawMode = dmMeasure;
    Draw(canvas);
    // Turned text grows sideways: it never needs a taller band; a hidden object needs nothing.
    if ((EngineMode == emRun && !Visible) || !(Flags & mfStretch) || (Alignment & taTurned)) return 0;
    return Top + TextHeight + 2;
}

void TcvMemoView::DrawMeasured(emf::RecordingCanvas& canvas) {
    DrawMode = dmDrawMeasured;
    Draw(canvas);
}

void TcvMemoView::DrawAll(emf::RecordingCanvas& canvas) {
    DrawMode = dmDrawAll;
    Draw(canvas);
}

void TcvMemoView::DrawRest(emf::RecordingCanvas& canvas) {
    DrawMode = dmDrawRest;
    Draw(canvas);
}

// --- Drawing --------------------------------------------------------------------------------------

void TcvMemoView::Draw(emf::RecordingCanvas& canvas) {
    const bool run = EngineMode == emRun;
    if (run && !Visible) return;
    SetCanvas(&canvas);
    const bool laysOut = DrawMode == dmDrawAll || DrawMode == dmMeasure;
    if (!run || DrawMode != dmDrawRest) FirstLine = 0;
    if (laysOut) SavedHighlight = HighlightActive != 0;
    if (!run || (laysOut && !LoadFromBinaryField())) ExpandText();
    // The highlight changes the look of this draw only.
    QScopedValueRollback style(Font.Style);
    QScopedValueRollback color(Font.Color), fill(FillColor);
    if (run && DrawMode != dmMeasure && HighlightActive && HighlightHolds()) {
        Font.Style = HighlightStyle;
        Font.Color = HighlightFontColor;
        FillColor = HighlightFillColor;
    }
    CalcDrawRect();
    if (WorkLines.Empty()) {
        if (laysOut) TextHeight = 0;
        if (DrawMode != dmMeasure) DrawEmpty();
    } else {
        if (laysOut) WrapText();
        if (DrawMode != dmMeasure) {
            DrawBackground();
            DrawFrame();
            if (!ObjectRun().InFirstPass()) DrawText();
        }
    }
    if (!run && !Visible) DrawHiddenCross();
}

bool TcvMemoView::HighlightHolds() {
    try {
        Variant value;
        EvaluateExpression(HighlightCondition, value);
        return IsTrue(value);
    } catch (const EngineError&) {
        ReportPreparationError(kHighlightError);
        return false;
    }
}

// Fill and frame of an object without text. An empty stretching object in a stretched band (a box
// or a rule that spans the band) grows as much as the band did.
void TcvMemoView::DrawEmpty() {
    const bool grows = (Flags & mfStretch) && MemoLines.Empty() && SavedHeight == Height && ParentBand &&
                       ParentBand->Stretched && ParentBand->Height > 0;
    QScopedValueRollback height(Height);
    if (grows) {
        // A band of one pixel stretched far can scale the object past any page: keep it within reach.
        Height = WithinReach(Round32(double(Height) * ParentBand->ActualHeight / ParentBand->Height));
        CalcDrawRect();
    }
    DrawBackground();
    DrawFrame();
}

void TcvMemoView::DrawText() {
    SelectFont();
    const bool transparent = Canvas->TransparentText();
    Canvas->SetTransparentText(true);
    auto restoreTextMode = qScopeGuard([&] { Canvas->SetTransparentText(transparent); });
    const bool turned = Alignment & taTurned;
    // Vertical alignment moves the object for this draw; the box keeps its place.
    int32_t& edge = turned ? Left : Top;
    QScopedValueRollback movedEdge(edge);
    const int32_t slack = (turned ? Width : Height) - TextHeight;
    if ((Alignment & taVerticalMask) == taMiddle) edge += slack / 2;
    if ((Alignment & taVerticalMask) == taBottom) edge += slack;
    const emf::RectL box{DrawRect.left + 1, DrawRect.top, DrawRect.right - 2, DrawRect.bottom - 1};
    turned ? DrawTurnedLines(box) : DrawHorizontalLines(box);
}

void TcvMemoView::DrawHorizontalLines(const emf::RectL& box) {
    const uint32_t align = Alignment & taHorizontalMask;
    const int32_t room = box.right - box.left - GapX - 1;
    int32_t y = Top + GapY;
    for (int i = std::max(FirstLine, 0); i < WorkLines.Count(); ++i, y += LineHeight) {
        if (y + LineHeight > box.bottom) {
            FirstLine = i;  // the rest goes on the next page
            return;
        }
        const AnsiString& line = WorkLines[i];
        if (align == taJustify && DrawJustified(line, Left + GapX, y, room, box)) continue;
        const int32_t width = Canvas->TextWidth(line);
        int32_t x = Left + GapX;
        if (align == taRight) x = Left + Width - GapX - width - 1;
        if (align == taCenter) x = Left + GapX + (Width - 2 * GapX - width) / 2;
        const bool inside = x >= box.left && x + width <= box.right && y >= box.top;
        if (!(Flags & mfWordWrap) && inside)
            Canvas->TextOut(x, y, line);
        else
            Canvas->TextRect(box, x, y, line);
    }
    FirstLine = WorkLines.Count();  // every line is drawn
}

// Turned lines read upwards: a line starts at its bottom end, and the lines follow from left to
// right. All of them are drawn, clipped to the box.
void TcvMemoView::DrawTurnedLines(const emf::RectL& box) {
    const uint32_t align = Alignment & taHorizontalMask;
    const int32_t bottom = Top + Height - GapY;
    int32_t x = Left + GapX;
    for (int i = 0; i < WorkLines.Count(); ++i, x += LineHeight) {
        const AnsiString& line = WorkLines[i];
        if (align == taJustify && DrawJustified(line, x, bottom, box.bottom - box.top - GapY - 1, box)) continue;
        const int32_t width = Canvas->TextWidth(line);
        int32_t y = bottom;
        if (align == taRight) y = Top + GapY + width;
        if (align == taCenter) y = bottom - (Height - 2 * GapY - width) / 2;
        Canvas->TextRect(box, x, y, line);
    }
}

// A justified line, word by word from (x, y) along the text's direction; false when the line does
// not justify (it is then aligned left).
bool TcvMemoView::DrawJustified(const AnsiString& line, int32_t x, int32_t y, int32_t room, const emf::RectL& box) {
    const std::vector<PlacedWord> words = JustifiedWords(*Canvas, line, room);
    const bool turned = Alignment & taTurned;
    for (const PlacedWord& w : words)
        if (!w.text.empty())
            Canvas->TextRect(box, turned ? x : x + w.offset, turned ? y - w.offset : y, AnsiString(w.text));
    return !words.empty();
}

}  // namespace tessaly

#include "engine/model/CV_View.h"

#include <algorithm>

#include <QRect>
#include <QScopedValueRollback>

#include "engine/expr/CV_FormatCode.h"
#include "engine/model/CV_ObjectRun.h"
#include "engine/model/CV_Page.h"
#include "engine/model/CV_StreamForms.h"
#include "engine/report/CV_Report.h"
#include "engine/report/EngineState.h"
#include "platform/core/Rounding.h"
#include "platform/emf/RecordingCanvas.h"

namespace tessaly {

bool TcvView::namingDeferred_ = false;

TcvView::DeferNaming::DeferNaming() : previous_(namingDeferred_) { namingDeferred_ = true; }
TcvView::DeferNaming::~DeferNaming() { namingDeferred_ = previous_; }

TcvView::TcvView(TcvReport* report, const char* className)
    : Report(report), Format(DefaultFormatCode()), className_(className) {
    if (!namingDeferred_) MakeName();
}

TcvView::~TcvView() = default;

AnsiString ObjectBaseName(std::string_view className) {
    if (className.size() < 7) return AnsiString(className);
    return AnsiString(className.substr(3, className.size() - 7));
}

AnsiString TcvView::BaseName() const { return ObjectBaseName(ClassName()); }

void TcvView::MakeName() {
    const AnsiString base = BaseName();
    // One pass over the report's names: the numbers taken after this base, then the first free.
    std::vector<bool> taken;
    if (Report)
        Report->Pages().ForEachObject([&](const TcvView& view) {
            if (&view == this || view.Name.size() <= base.size() || !SameText(std::string_view(view.Name).substr(0, base.size()), base))
                return;
            const std::string_view digits = std::string_view(view.Name).substr(base.size());
            if (digits[0] == '0' || digits.size() > 9 || digits.find_first_not_of("0123456789") != std::string_view::npos)
                return;
            const size_t n = std::stoul(std::string(digits));
            if (n < 1u << 20) {
                if (taken.size() <= n) taken.resize(n + 1);
                taken[n] = true;
            }
        });
    size_t n = 1;
    while (n < taken.size() && taken[n]) ++n;
    Name = base + std::to_string(n);
}

void TcvView::SetCanvas(emf::RecordingCanvas* canvas) {
    Canvas = canvas;
    ObjectRun().MakeCurrent(this);
}

// --- Geometry -----------------------------------------------------------------------------------

void TcvView::CalcDrawRect() {
    const int32_t w = std::clamp(FrameWidth, -kFarthestCoordinate, kFarthestCoordinate), h = w / 2, k = (w - 1) / 2;
    GapX = h + 2;
    GapY = h / 2 + 1;
    // Sums in 64 bits: geometry changed during a preparation (stretched, split, grown with its
    // band) is not always brought within reach first.
    DrawRect.left = WithinReach(int64_t(Left) + (FrameSides & fsLeft ? k : 0));
    DrawRect.top = WithinReach(int64_t(Top) + (FrameSides & fsTop ? k : 0));
    DrawRect.right = WithinReach(int64_t(Left) + Width + 1 - (FrameSides & fsRight ? h : 0));
    DrawRect.bottom = WithinReach(int64_t(Top) + Height + 1 - (FrameSides & fsBottom ? h : 0));
}

QRegion TcvView::GetClipRegion(bool extended) const {
    const int32_t w = std::clamp(FrameWidth, -kFarthestCoordinate, kFarthestCoordinate), k = (w - 1) / 2;
    const int32_t left = WithinReach(int64_t(Left) - (FrameSides & fsLeft ? w / 2 : 0));
    const int32_t top = WithinReach(int64_t(Top) - (FrameSides & fsTop ? w / 2 : 0));
    const int32_t right = WithinReach(int64_t(Left) + Width + 1 + (FrameSides & fsRight ? k : 0));
    const int32_t bottom = WithinReach(int64_t(Top) + Height + 1 + (FrameSides & fsBottom ? k : 0));
    const int32_t more = extended ? 10 : 0;
    return QRegion(QRect(QPoint(left - more, top - more), QPoint(right + more - 1, bottom + more - 1)));
}

// --- Drawing ------------------------------------------------------------------------------------

void TcvView::DrawBackground() {
    if (ObjectRun().InFirstPass() || !Canvas) return;
    const bool design = EngineMode == emDesign;
    if (IsNoFill(FillColor) && !design) return;
    Canvas->Brush() = SolidBrush(IsNoFill(FillColor) ? clWhite : FillColor);
    Canvas->FillRect(design ? DrawRect : emf::RectL{Left, Top, Left + Width, Top + Height});
}

void TcvView::SelectFramePen() {
    Canvas->Pen() = SolidPen(FrameWidth, FrameColor);
    Canvas->Brush().style = emf::BrushStyle::Clear;
}

void TcvView::DrawFrame() {
    if (ObjectRun().InFirstPass() || !Canvas) return;
    const uint16_t sides = FrameSides & fsAllSides;
    if (sides == 0) {
        if (EngineMode == emDesign) DrawCornerMarks();
        return;
    }
    SelectFramePen();
    const int32_t right = Left + Width, bottom = Top + Height;
    if (sides == fsAllSides) {
        Canvas->Rectangle(Left, Top, right + 1, bottom + 1);
        return;
    }
    auto line = [this](int32_t x1, int32_t y1, int32_t x2, int32_t y2) {
        Canvas->MoveTo(x1, y1);
        Canvas->LineTo(x2, y2);
    };
    if (sides & fsRight) line(right, Top, right, bottom);
    if (sides & fsLeft) line(Left, Top, Left, bottom);
    if (sides & fsBottom) line(Left, bottom, right, bottom);
    if (sides & fsTop) line(Left, Top, right, Top);
}

// Design mode shows where an object without frame lines lies: a mark at each corner, 3 pixels
// down or up and 4 across.
void TcvView::DrawCornerMarks() {
    Canvas->Pen() = SolidPen(1, clBlack);
    const int32_t right = Left + Width, bottom = Top + Height;
    for (auto [x, y, dx, dy] : {std::array{Left, Top, 4, 3}, std::array{right, Top, -4, 3},
                                std::array{Left, bottom, 4, -3}, std::array{right, bottom, -4, -3}}) {
        Canvas->MoveTo(x, y + dy);
        Canvas->LineTo(x, y);
        Canvas->LineTo(x + dx, y);
    }
}

void TcvView::DrawHiddenCross() {
    Canvas->Pen() = SolidPen(2, clRed);
    Canvas->MoveTo(Left, Top);
    Canvas->LineTo(Left + Width, Top + Height);
    Canvas->MoveTo(Left + Width, Top);
    Canvas->LineTo(Left, Top + Height);
}

// --- Copy and stream form -------------------------------------------------------------------

void TcvView::Assign(const TcvView& s) {
    ObjectType = s.ObjectType;
    Selected = s.Selected;
    Left = s.Left;
    Top = s.Top;
    Width = s.Width;
    Height = s.Height;
    FrameSides = s.FrameSides;
    Flags = s.Flags;
    FrameWidth = s.FrameWidth;
    FrameColor = s.FrameColor;
    FrameStyle = s.FrameStyle;
    FillColor = s.FillColor;
    Format = s.Format;
    FormatText = s.FormatText;
    MemoLines = s.MemoLines;
    Visible = s.Visible;
    if (!FindObjectByName(Report, s.Name, this)) Name = s.Name;
}

void TcvView::LoadFromStream(Stream& stream) {
    Left = stream.ReadI32();
    Top = stream.ReadI32();
    Width = stream.ReadI32();
    Height = stream.ReadI32();
    Flags = stream.ReadU16();
    FrameSides = stream.ReadU16();
    FrameWidth = stream.ReadI32();
    FrameColor = stream.ReadU32();
    FrameStyle = stream.ReadU16();
    FillColor = stream.ReadU32();
    Format = stream.ReadU32();
    FormatText = ReadLineField(stream);
    ReadLineList(stream, MemoLines);
    if (StreamVersion >= 23) {
        Visible = stream.ReadU8();
        Name = ReadShortString(stream);
    }
    if (StreamVersion < 24)
        for (int32_t* v : {&Left, &Top, &Width, &Height}) *v = Round32(*v * kOldStreamScale);
}

void TcvView::SaveToStream(Stream& stream) const {
    stream.WriteI32(Left);
    stream.WriteI32(Top);
    stream.WriteI32(Width);
    stream.WriteI32(Height);
    stream.WriteU16(Flags);
    stream.WriteU16(FrameSides);
    stream.WriteI32(FrameWidth);
    stream.WriteU32(FrameColor);
    stream.WriteU16(FrameStyle);
    stream.WriteU32(FillColor);
    stream.WriteU32(Format);
    WriteLineField(stream, FormatText);
    WriteLineList(stream, MemoLines);
    stream.WriteU8(Visible);
    WriteShortString(stream, Name);
}

void TcvView::CheckStreamForm() const {
    if (!FitsShortString(Name)) RefuseToSave("il nome dell'oggetto \"" + Name + "\" supera i 255 caratteri.");
    if (!FitsLineField(FormatText) || !FitsLineList(MemoLines))
        RefuseToSave("l'oggetto " + Name + " ha righe di testo oltre i 65535 caratteri o pi\xF9 di 65535 righe.");
}

// --- Lookup -------------------------------------------------------------------------------------

TcvView* FindObjectByName(const TcvReport* report, std::string_view name, const TcvView* skip) {
    if (!report) return nullptr;
    TcvView* found = nullptr;
    report->Pages().ForEachObject([&](TcvView& view) {
        if (!found && &view != skip && SameText(view.Name, name)) found = &view;
    });
    return found;
}

void ToggleSelectedOption(TcvPage& page, uint16_t bit) {
    for (int i = 0; i < page.ObjectCount(); ++i) {
        TcvView* view = page.Objects(i);
        if (view->Selected) view->Flags ^= bit;
    }
}

}  // namespace tessaly

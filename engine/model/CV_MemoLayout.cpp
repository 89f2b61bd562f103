// Text objects: the layout of their lines (font, line breaks, automatic width, word wrap,
// stretching) and the height they need.
#include <algorithm>
#include <vector>

#include "engine/model/CV_Memo.h"
#include "engine/model/CV_BandFrame.h"
#include "engine/report/CV_Report.h"
#include "engine/report/EngineState.h"
#include "platform/core/Rounding.h"

namespace tessaly {

namespace {

bool IsBreakCandidate(char c) { return c == ' ' || c == ',' || c == '-' || c == '.'; }

// The width of line[from, to) as the canvas measures that text: its advances added left to right.
double SegmentWidth(const std::vector<double>& advances, size_t from, size_t to) {
    double width = 0;
    for (size_t i = from; i < to; ++i) width += advances[i];
    return width;
}

// Appends the lines that `line` wraps into within `available` pixels. A segment breaks as soon as
// it is at least as wide as the room: after the last space, comma, hyphen or full stop inside it
// (kept at the end of the line), or else after the character that made it too wide.
void WrapLine(emf::RecordingCanvas& canvas, std::string_view line, int32_t available, StringList& out) {
    if (line.size() < 2) {
        out.Add(AnsiString(line));
        return;
    }
    const std::vector<double> advances = canvas.CharWidths(line);
    if (RoundHalfEven(SegmentWidth(advances, 0, line.size())) <= available) {
        out.Add(AnsiString(line));
        return;
    }
    size_t start = 0, candidate = 0;
    double width = 0;  // of line[start, p]
    for (size_t p = 0; p < line.size(); ++p) {
        width += advances[p];
        if (RoundHalfEven(width) >= available) {
            if (candidate == start) candidate = p;
            out.Add(AnsiString(line.substr(start, candidate - start + 1)));
            start = candidate + 1;
            candidate = start;
            width = SegmentWidth(advances, start, p + 1);
        }
        // A character already put on a line is no candidate for the next one.
        if (p >= start && IsBreakCandidate(line[p])) candidate = p;
    }
    if (start < line.size()) out.Add(AnsiString(line.substr(start)));
}

// Cuts every line at its line breaks: CR LF, and LF or CR alone, as text from Linux files and
// PostgreSQL holds it.
void SplitLineBreaks(StringList& lines) {
    StringList split;
    for (int i = 0; i < lines.Count(); ++i) {
        std::string_view line = lines[i];
        for (size_t at; (at = line.find_first_of("\r\n")) != std::string_view::npos;) {
            split.Add(AnsiString(line.substr(0, at)));
            const bool pair = line[at] == '\r' && at + 1 < line.size() && line[at + 1] == '\n';
            line.remove_prefix(at + (pair ? 2 : 1));
        }
        split.Add(AnsiString(line));
    }
    lines = std::move(split);
}

}  // namespace

// The object's font on the canvas (the object's own font is left as it is): scaled when the report
// was designed at another resolution than the screen's, turned for turned text.
void TcvMemoView::SelectFont() {
    emf::CanvasFont font = Font.ToCanvasFont();
    const int designed = Report ? Report->PixelsPerInch() : 0;
    if (Report && Report->Scaled() && designed > 0 && ScreenPixelsPerInch > 0 && designed != ScreenPixelsPerInch)
        font.height = Round32(double(font.height) * designed / ScreenPixelsPerInch);
    if (Alignment & taTurned) font.escapement = font.orientation = 900;
    Canvas->Font() = font;
}

void TcvMemoView::WrapText() {
    SelectFont();
    LineHeight = 2 - Canvas->Font().height;
    if (SeveralLines) SplitLineBreaks(WorkLines);
    const bool run = EngineMode == emRun;
    if (run && (Flags & mfAutoWidth)) {
        int32_t widest = 0;
        for (int i = 0; i < WorkLines.Count(); ++i) widest = std::max(widest, Canvas->TextWidth(WorkLines[i]));
        Width = 2 * GapX + widest;
        CalcDrawRect();
    }
    const bool turned = Alignment & taTurned;
    if (Flags & mfWordWrap) {
        const int32_t available = turned ? Height - 2 * GapY : Width - 2 * GapX;
        StringList wrapped;
        for (int i = 0; i < WorkLines.Count(); ++i) WrapLine(*Canvas, WorkLines[i], available, wrapped);
        WorkLines = std::move(wrapped);
    }
    TextHeight = WorkLines.Count() * LineHeight + 2 * (turned ? GapX : GapY);
    if (run && (Flags & mfStretch) && (turned || (ParentBand && ParentBand->Stretched))) {
        (turned ? Width : Height) = TextHeight;
        CalcDrawRect();
    }
}

int32_t TcvMemoView::SplitHeight(int32_t available) const {
    const int32_t gaps = 2 * GapY + 1;
    const int32_t lines = std::max(available - gaps, 0) / std::max(LineHeight, 1);
    return lines * LineHeight + gaps;
}

}  // namespace tessaly

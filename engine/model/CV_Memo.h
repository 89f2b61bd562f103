#pragma once
// Text objects: the fields of TcvMemoView and their stream form (CV_Memo.cpp); how a text object
// expands its bracketed expressions (CV_MemoText.cpp), lays out its lines (CV_MemoLayout.cpp) and
// draws them as text records (CV_MemoDraw.cpp).
#include <cstdint>
#include <string_view>

#include "engine/model/CV_View.h"
#include "platform/emf/RecordingCanvas.h"

namespace tessaly {

// A text object's font as it is stored: face, size in points, style (emf::FontStyle bits, as the
// canvas has them) and colour.
struct TcvFont {
    AnsiString Name = "Arial";
    int32_t Size = 10;
    uint8_t Style = 0;
    TColor Color = clBlack;

    // The font's height value at 96 pixels per inch: minus the character height in pixels.
    int32_t Height() const;
    // The canvas font that draws it (colour translated).
    emf::CanvasFont ToCanvasFont() const;
    friend bool operator==(const TcvFont&, const TcvFont&) = default;
};

// Font styles in the stream: 1 italic, 2 bold, 4 underline, 8 strike-out.
uint8_t StyleFromStream(uint16_t stored);
uint16_t StyleToStream(uint8_t style);

// Alignment bits: the horizontal alignment in bits 0-1, turned text, the vertical alignment.
enum TcvAlignment : uint32_t {
    taLeft = 0, taRight = 1, taCenter = 2, taJustify = 3, taHorizontalMask = 3,
    taTurned = 0x04,
    taMiddle = 0x08, taBottom = 0x10, taVerticalMask = 0x18,
};

// Flags of a text object.
enum TcvMemoFlag : uint16_t { mfStretch = 0x01, mfWordWrap = 0x02, mfAutoWidth = 0x04 };

// What Draw does (DrawMode): everything; only measure the text (no records); draw what the last
// measuring laid out; draw the lines of a split object from FirstLine on.
enum TcvDrawMode : uint8_t { dmDrawAll = 0, dmMeasure = 1, dmDrawMeasured = 2, dmDrawRest = 3 };

// Font sizes that a stream may hold; anything else reads as 10 points.
inline constexpr int32_t kMinFontSize = 1;
inline constexpr int32_t kMaxFontSize = 1000;

class TcvCustomMemoView : public TcvView {
public:
    explicit TcvCustomMemoView(TcvReport* report, const char* className = "TcvCustomMemoView")
        : TcvView(report, className) {}

    int32_t LineHeight = 0;
    virtual int32_t GetLineHeight() const { return LineHeight; }
    // Fills WorkLines from MemoLines.
    virtual void ExpandText() {}
};

class TcvMemoView : public TcvCustomMemoView {
public:
    explicit TcvMemoView(TcvReport* report, const char* className = "TcvMemoView");

    TcvFont Font;
    uint32_t Alignment = 0;
    uint8_t HighlightStyle = emf::fsBold;
    TColor HighlightFontColor = clBlack;
    TColor HighlightFillColor = clWhite;
    uint16_t HighlightActive = 0;
    AnsiString HighlightCondition;
    uint8_t DrawMode = 0;
    // The first line still to draw of a split object: after a draw, the first line that did not
    // fit, or the line count when all of them were drawn.
    int32_t FirstLine = 0;
    bool SavedHighlight = false;
    int32_t TextHeight = 0;

    void Assign(const TcvView& source) override;
    void LoadFromStream(Stream& stream) override;
    void SaveToStream(Stream& stream) const override;
    void CheckStreamForm() const override;
    // "Formatta variabile..." (a command), a separator, "Adattato", "A capo", "Largezza automatica".
    void DefinePopupMenu(TcvPopupMenu& menu) override;

    // --- Drawing ------------------------------------------------------------------------------
    // The whole drawing sequence in the current DrawMode: expansion (run mode, modes 0 and 1),
    // highlight, layout (modes 0 and 1), fill, frame and text (not in mode 1).
    void Draw(emf::RecordingCanvas& canvas) override;
    // WorkLines := MemoLines, each line's bracketed expressions replaced by their values in run mode.
    void ExpandText() override;
    // WorkLines := the lines of a text or large-object field.
    void LoadFromField(data::Field& field) override;
    // Lays WorkLines out on Canvas: cuts them at line breaks, sets the automatic width, wraps
    // them, and sets TextHeight, LineHeight and, for a stretching object, its height (turned
    // text: its width).
    void WrapText();

    // What the band engine calls. Each sets DrawMode and draws; the object's Top and Left are
    // where it prints. A draw stops at the first line that does not fit above the object's bottom
    // and keeps that line's index in FirstLine.
    // Lays the text out without drawing, keeping the text height in TextHeight. A stretching
    // object takes that height when its ParentBand stretches (turned text: as its width, always).
    // Returns the bottom its band needs for it: Top + text height + 2 for a stretching object of
    // text that is not turned, 0 for any other.
    int32_t Measure(emf::RecordingCanvas& canvas);
    // Draws what the last Measure laid out (a stretched band).
    void DrawMeasured(emf::RecordingCanvas& canvas);
    // Expands, lays out and draws (a band of fixed height).
    void DrawAll(emf::RecordingCanvas& canvas);
    // Draws the lines of a split object from FirstLine on.
    void DrawRest(emf::RecordingCanvas& canvas);
    // The height that shows the most whole lines within `available` pixels (lines, both gaps and
    // one pixel), and never less than the gaps alone: where a split object is cut.
    int32_t SplitHeight(int32_t available) const;

private:
    bool LoadFromBinaryField();
    bool HighlightHolds();
    void SelectFont();
    void DrawEmpty();
    void DrawText();
    void DrawHorizontalLines(const emf::RectL& box);
    void DrawTurnedLines(const emf::RectL& box);
    bool DrawJustified(const AnsiString& line, int32_t x, int32_t y, int32_t room, const emf::RectL& box);
};

}  // namespace tessaly

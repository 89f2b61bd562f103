#pragma once
// Text objects: the fields of TcvMemoView and their stream form. How a text object expands,
// lays out and draws its text is the job of its Draw (text drawing).
#include <cstdint>

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
    int32_t FirstLine = 0;
    bool SavedHighlight = false;
    int32_t TextHeight = 0;
    bool HasLineBreaks = false;

    void Assign(const TcvView& source) override;
    void LoadFromStream(Stream& stream) override;
    void SaveToStream(Stream& stream) const override;
    void CheckStreamForm() const override;
    // "Formatta variabile..." (a command), a separator, "Adattato", "A capo", "Largezza automatica".
    void DefinePopupMenu(TcvPopupMenu& menu) override;
};

}  // namespace tessaly

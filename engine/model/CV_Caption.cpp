#include "engine/model/CV_Caption.h"

#include "engine/model/CV_Colors.h"
#include "platform/emf/RecordingCanvas.h"

namespace tessaly {

void DrawCaptionText(emf::RecordingCanvas& canvas, const emf::RectL& clip, int32_t x, int32_t y,
                     const AnsiString& text, bool upwards) {
    canvas.Brush().style = emf::BrushStyle::Clear;
    emf::CanvasFont font;
    font.name = "Arial";
    font.SetSize(8);
    font.color = ColorToRGB(clBlack);
    font.escapement = font.orientation = upwards ? 900 : 0;
    canvas.Font() = font;
    canvas.TextRect(clip, x, y, text);
}

}  // namespace tessaly

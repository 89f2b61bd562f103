#pragma once
// The small captions that objects show in design mode (band names, sub-report placeholders,
// empty pictures): "Arial" 8 points, black, on a clear brush, clipped to a rectangle.
#include "platform/core/Cp1252.h"
#include "platform/emf/EmfTypes.h"

namespace tessaly {

namespace emf {
class RecordingCanvas;
}

// The text at (x, y) clipped to `clip`; `upwards` turns it by 90 degrees so that it reads upwards.
void DrawCaptionText(emf::RecordingCanvas& canvas, const emf::RectL& clip, int32_t x, int32_t y,
                     const AnsiString& text, bool upwards = false);

}  // namespace tessaly

#pragma once
// Colours as report objects store them: 0x00BBGGRR values, the "no fill" value, and the system
// colours (0x80000000 plus the index of a screen element). Whatever draws an object turns a
// stored colour into a canvas colour here, and nowhere else.
#include <cstdint>

#include "platform/emf/RecordingCanvas.h"

namespace tessaly {

using TColor = uint32_t;

inline constexpr TColor clNoFill = 0x1FFFFFFF;  // FillColor of an object that is not filled
inline constexpr TColor clBlack = 0x000000;
inline constexpr TColor clWhite = 0xFFFFFF;
inline constexpr TColor clSilver = 0xC0C0C0;
inline constexpr TColor clRed = 0x0000FF;
inline constexpr TColor clBtnFace = 0x8000000F;
inline constexpr TColor clBtnShadow = 0x80000010;

inline bool IsNoFill(TColor color) { return color == clNoFill; }
inline bool IsSystemColor(TColor color) { return (color & 0xFF000000) == 0x80000000; }

// The colour to draw with: a system colour as the classic desktop scheme shows it (an unknown
// index is black), any other value its low three bytes.
emf::ColorRef ColorToRGB(TColor color);
// A solid brush and a solid pen of a stored colour.
emf::CanvasBrush SolidBrush(TColor color);
emf::CanvasPen SolidPen(int32_t width, TColor color);

}  // namespace tessaly

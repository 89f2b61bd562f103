#include "engine/model/CV_Colors.h"

#include <array>

namespace tessaly {

namespace {

constexpr emf::ColorRef Rgb(uint32_t r, uint32_t g, uint32_t b) { return r | (g << 8) | (b << 16); }

// The screen elements by index (scroll bar, desktop, active caption, ... menu bar), in the classic
// scheme; they do not follow the user's desktop, so that pages look the same everywhere.
constexpr std::array<emf::ColorRef, 31> kSystemColors = {
    Rgb(192, 192, 192), Rgb(0, 128, 128),   Rgb(0, 0, 128),     Rgb(128, 128, 128),
    Rgb(192, 192, 192), Rgb(255, 255, 255), Rgb(0, 0, 0),       Rgb(0, 0, 0),
    Rgb(0, 0, 0),       Rgb(255, 255, 255), Rgb(192, 192, 192), Rgb(192, 192, 192),
    Rgb(128, 128, 128), Rgb(0, 0, 128),     Rgb(255, 255, 255), Rgb(192, 192, 192),
    Rgb(128, 128, 128), Rgb(128, 128, 128), Rgb(0, 0, 0),       Rgb(192, 192, 192),
    Rgb(255, 255, 255), Rgb(0, 0, 0),       Rgb(223, 223, 223), Rgb(0, 0, 0),
    Rgb(255, 255, 225), Rgb(192, 192, 192), Rgb(0, 0, 255),     Rgb(16, 132, 208),
    Rgb(181, 181, 181), Rgb(0, 0, 128),     Rgb(192, 192, 192),
};

}  // namespace

emf::ColorRef ColorToRGB(TColor color) {
    if (!IsSystemColor(color)) return color & 0xFFFFFF;
    const uint32_t index = color & 0xFFFFFF;
    return index < kSystemColors.size() ? kSystemColors[index] : 0;
}

emf::CanvasBrush SolidBrush(TColor color) {
    emf::CanvasBrush brush;
    brush.color = ColorToRGB(color);
    return brush;
}

emf::CanvasPen SolidPen(int32_t width, TColor color) { return {width, ColorToRGB(color), emf::PenStyle::Solid}; }

}  // namespace tessaly

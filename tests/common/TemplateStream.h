#pragma once
// Template streams of any version written field by field, as that version laid them out: the
// independent expectation against which the template reader is tested.
#include <string>
#include <vector>

#include "platform/core/Stream.h"

namespace tessaly::testing {

// A template stream of a given version, written field by field.
class OldStream {
public:
    explicit OldStream(int version) : v(version) {}
    const int v;
    MemoryStream s;

    void U8(uint8_t x) { s.WriteU8(x); }
    void U16(uint16_t x) { s.WriteU16(x); }
    void I32(int32_t x) { s.WriteI32(x); }
    void Short(const std::string& text) {
        U8(static_cast<uint8_t>(text.size()));
        s.WriteString(text);
    }
    // Counted from version 26, terminated (CR after each line, a zero byte at the end) before.
    void Lines(const std::vector<std::string>& lines) {
        if (v >= 26) {
            U16(static_cast<uint16_t>(lines.size()));
            for (const auto& l : lines) U16(static_cast<uint16_t>(l.size())), s.WriteString(l);
        } else {
            for (const auto& l : lines) s.WriteString(l + "\r");
            U8(0);
        }
    }
    // Version byte (none for 21) and, from 23, an empty dataset section unless datasets follow.
    void Header(bool datasetsFollow = false) {
        if (v > 21) U8(static_cast<uint8_t>(v));
        if (v >= 23 && !datasetsFollow) I32(0);
    }
    void PagesHeader(int16_t twoPass = 0, int16_t interleave = 0, int16_t numbering = 0) {
        if (v <= 28) U16(0);
        U16(static_cast<uint16_t>(twoPass));
        if (v >= 23) U16(static_cast<uint16_t>(interleave)), U16(static_cast<uint16_t>(numbering));
        if (v <= 28) Lines({"dropped"});
    }
    struct Page {
        int32_t paper = 9, width = 2100, height = 2970;
        int32_t margins[4] = {38, 38, 38, 57};
        uint8_t orientation = 0;
        int32_t columns = 0, gap = 0, scaleX = 100, scaleY = 100;
    };
    void PageRecord(const Page& p) {
        U8(255);
        I32(p.paper), I32(p.width), I32(p.height);
        for (int32_t m : p.margins) I32(m);
        U8(p.orientation);
        U16(0xFFFF), U16(0xFFFF), U16(0), U16(0);
        if (v <= 28) U16(0);
        I32(p.columns), I32(p.gap);
        if (v >= 25) I32(p.scaleX), I32(p.scaleY);
    }
    // The common part of an object: geometry, flags, frame, fill, format, texts (and, from 23,
    // visibility and name).
    void BasePart(int32_t left, int32_t top, int32_t width, int32_t height, const std::vector<std::string>& lines,
                  const std::string& name, uint16_t flags = 0, uint16_t sides = 0, const std::string& formatText = "") {
        I32(left), I32(top), I32(width), I32(height);
        U16(flags), U16(sides);
        I32(1), I32(0), U16(0), I32(0x1FFFFFFF), I32(0x22C);
        Lines({formatText});
        Lines(lines);
        if (v >= 23) U8(1), Short(name);
    }
    void MemoPart(int32_t size = 10, uint16_t style = 0) {
        Lines({"Arial"});
        I32(size), U16(style), I32(0), I32(0), U16(2), I32(0), I32(0xFFFFFF), U16(0);
        Lines({""});
    }

    std::vector<uint8_t> Bytes() const { return s.Data(); }
};

}  // namespace tessaly::testing

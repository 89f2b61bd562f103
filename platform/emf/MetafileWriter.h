#pragma once
// The writer of recorded images: appends records, keeps the handle table and the bounds of what
// was drawn, and on Finish() writes EMR_EOF and a correct 108-byte header (bounds, frame in
// hundredths of a millimetre from the pixel size through the reference device of 1024 x 768 pixels
// on 360 x 270 mm, total size, record count, handle count). Free of Qt.
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "platform/emf/EmfRecords.h"
#include "platform/emf/Metafile.h"

namespace tessaly::emf {

class MetafileWriter {
public:
    MetafileWriter(int32_t widthPx, int32_t heightPx);

    // ---- raw records: Begin, fields, End (which sets the size and pads to 4 bytes) ----
    void Begin(uint32_t type);
    void U8(uint8_t v) { out_.push_back(v); }
    void U16(uint16_t v);
    void U32(uint32_t v);
    void I32(int32_t v) { U32(static_cast<uint32_t>(v)); }
    void F32(float v);
    void Point(PointL p) { I32(p.x), I32(p.y); }
    void Rect(const RectL& r) { I32(r.left), I32(r.top), I32(r.right), I32(r.bottom); }
    void Bytes(std::span<const uint8_t> b) { out_.insert(out_.end(), b.begin(), b.end()); }
    void Zeros(size_t n) { out_.insert(out_.end(), n, 0); }
    size_t Offset() const { return out_.size() - recordStart_; }  // inside the open record
    void End();

    // ---- typed records ----
    void Value(uint32_t type, uint32_t value);  // SETBKMODE, SETROP2, SELECTOBJECT, ...
    void MoveTo(PointL p);
    void LineTo(PointL p);
    void CreatePen(uint32_t handle, uint32_t style, int32_t width, ColorRef color);
    void CreateBrush(uint32_t handle, uint32_t style, ColorRef color, uint32_t hatch);
    void CreateDibPatternBrush(uint32_t handle, std::span<const uint8_t> bmi,
                               std::span<const uint8_t> bits);
    // EMR_EXTCREATEFONTINDIRECTW of 368 bytes: the LOGFONTW, empty full name, style and script,
    // and a design vector without axes.
    void CreateFont(uint32_t handle, const LogFontW& font);
    void Box(uint32_t type, const RectL& box);  // RECTANGLE, ELLIPSE, INTERSECTCLIPRECT, ...
    // EMR_POLYLINE16 when every point fits 16 bits, else EMR_POLYLINE.
    void Polyline(const RectL& bounds, std::span<const PointL> points);
    void ExtTextOutW(const RectL& bounds, PointL reference, uint32_t options, const RectL& clip,
                     std::u16string_view text, std::span<const int32_t> dx);
    // EMR_BITBLT without source bitmap (a pattern fill such as PATCOPY).
    void PatBlt(const RectL& dest, uint32_t rop);
    void StretchDIBits(const RectL& dest, int32_t srcWidth, int32_t srcHeight,
                       std::span<const uint8_t> bmi, std::span<const uint8_t> bits, uint32_t rop);

    // ---- handle table ----
    uint32_t CreateHandle();  // the lowest free slot from 1
    void FreeHandle(uint32_t handle);

    // Adds a device rectangle (inclusive) to the bounds of what was drawn.
    void AddBounds(const RectL& r);

    uint32_t RecordCount() const { return records_; }
    int32_t WidthPx() const { return width_; }
    int32_t HeightPx() const { return height_; }

    // Writes EMR_EOF and the header, and returns the image (validated like a read one).
    Metafile Finish();

private:
    int32_t width_, height_;
    std::vector<uint8_t> out_;  // records after the header
    size_t recordStart_ = 0;
    uint32_t records_ = 0;
    std::vector<bool> used_{true};  // slot 0 is the metafile itself
    size_t handleHighWater_ = 1;
    bool haveBounds_ = false;
    RectL bounds_{0, 0, -1, -1};
};

// A device-independent bitmap in 32 bits per pixel (BI_RGB, bottom-up): the 40-byte
// BITMAPINFOHEADER and the bits, from rows of 0xAARRGGBB pixels given top row first.
struct Dib {
    std::vector<uint8_t> info;
    std::vector<uint8_t> bits;
};
Dib MakeDib32(int32_t width, int32_t height, std::span<const uint32_t> topDownPixels);
// The 40-byte BITMAPINFOHEADER of an uncompressed bottom-up bitmap.
std::vector<uint8_t> DibInfoHeader(int32_t width, int32_t height, uint16_t bitCount, uint32_t imageSize);

}  // namespace tessaly::emf

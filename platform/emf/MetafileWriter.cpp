#include "platform/emf/MetafileWriter.h"

#include <algorithm>
#include <cstring>
#include <limits>

namespace tessaly::emf {

namespace {

constexpr uint32_t kDesignVectorSignature = 0x08007664;

void Put32(std::vector<uint8_t>& b, size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) b[at + i] = uint8_t(v >> (8 * i));
}

bool Fits16(const PointL& p) {
    return p.x >= INT16_MIN && p.x <= INT16_MAX && p.y >= INT16_MIN && p.y <= INT16_MAX;
}

}  // namespace

MetafileWriter::MetafileWriter(int32_t widthPx, int32_t heightPx)
    : width_(widthPx), height_(heightPx) {}

void MetafileWriter::Begin(uint32_t type) {
    recordStart_ = out_.size();
    U32(type);
    U32(0);  // size, set by End()
}

void MetafileWriter::U16(uint16_t v) {
    out_.push_back(uint8_t(v));
    out_.push_back(uint8_t(v >> 8));
}

void MetafileWriter::U32(uint32_t v) {
    const uint8_t bytes[4] = {uint8_t(v), uint8_t(v >> 8), uint8_t(v >> 16), uint8_t(v >> 24)};
    out_.insert(out_.end(), bytes, bytes + 4);
}

void MetafileWriter::F32(float v) {
    uint32_t u;
    std::memcpy(&u, &v, 4);
    U32(u);
}

void MetafileWriter::End() {
    while ((out_.size() - recordStart_) % 4 != 0) out_.push_back(0);
    Put32(out_, recordStart_ + 4, uint32_t(out_.size() - recordStart_));
    ++records_;
}

void MetafileWriter::Value(uint32_t type, uint32_t value) {
    Begin(type);
    U32(value);
    End();
}

void MetafileWriter::MoveTo(PointL p) {
    Begin(EMR_MOVETOEX);
    Point(p);
    End();
}

void MetafileWriter::LineTo(PointL p) {
    Begin(EMR_LINETO);
    Point(p);
    End();
}

void MetafileWriter::CreatePen(uint32_t handle, uint32_t style, int32_t width, ColorRef color) {
    Begin(EMR_CREATEPEN);
    U32(handle);
    U32(style);
    Point({width, 0});
    U32(color);
    End();
}

void MetafileWriter::CreateBrush(uint32_t handle, uint32_t style, ColorRef color, uint32_t hatch) {
    Begin(EMR_CREATEBRUSHINDIRECT);
    U32(handle);
    U32(style);
    U32(color);
    U32(hatch);
    End();
}

void MetafileWriter::CreateDibPatternBrush(uint32_t handle, std::span<const uint8_t> bmi,
                                           std::span<const uint8_t> bits) {
    Begin(EMR_CREATEDIBPATTERNBRUSHPT);
    U32(handle);
    U32(DIB_RGB_COLORS);
    U32(32);
    U32(uint32_t(bmi.size()));
    U32(uint32_t(32 + bmi.size()));
    U32(uint32_t(bits.size()));
    Bytes(bmi);
    Bytes(bits);
    End();
}

void MetafileWriter::CreateFont(uint32_t handle, const LogFontW& f) {
    Begin(EMR_EXTCREATEFONTINDIRECTW);
    U32(handle);
    I32(f.height), I32(f.width), I32(f.escapement), I32(f.orientation), I32(f.weight);
    U8(f.italic), U8(f.underline), U8(f.strikeOut), U8(f.charSet);
    U8(f.outPrecision), U8(f.clipPrecision), U8(f.quality), U8(f.pitchAndFamily);
    for (size_t i = 0; i < 32; ++i) U16(i < 31 && i < f.faceName.size() ? f.faceName[i] : 0);
    Zeros(2 * (64 + 32 + 32));  // full name, style, script
    U32(kDesignVectorSignature);
    U32(0);  // no axes
    End();
}

void MetafileWriter::Box(uint32_t type, const RectL& box) {
    Begin(type);
    Rect(box);
    End();
}

void MetafileWriter::Polyline(const RectL& bounds, std::span<const PointL> points) {
    bool small = std::all_of(points.begin(), points.end(), Fits16);
    Begin(small ? EMR_POLYLINE16 : EMR_POLYLINE);
    Rect(bounds);
    U32(uint32_t(points.size()));
    for (const PointL& p : points) {
        if (small)
            U16(uint16_t(int16_t(p.x))), U16(uint16_t(int16_t(p.y)));
        else
            Point(p);
    }
    End();
}

void MetafileWriter::ExtTextOutW(const RectL& bounds, PointL reference, uint32_t options,
                                 const RectL& clip, std::u16string_view text,
                                 std::span<const int32_t> dx) {
    Begin(EMR_EXTTEXTOUTW);
    Rect(bounds);
    U32(GM_COMPATIBLE);
    F32(0), F32(0);  // scales unused in the compatible graphics mode
    Point(reference);
    uint32_t chars = uint32_t(text.size());
    uint32_t stringBytes = (2 * chars + 3) / 4 * 4;
    U32(chars);
    U32(76);  // string
    U32(options);
    Rect(clip);
    U32(chars == 0 ? 0 : 76 + stringBytes);  // advances
    for (char16_t c : text) U16(uint16_t(c));
    Zeros(stringBytes - 2 * chars);
    for (size_t i = 0; i < chars; ++i) I32(i < dx.size() ? dx[i] : 0);
    End();
}

void MetafileWriter::PatBlt(const RectL& dest, uint32_t rop) {
    Begin(EMR_BITBLT);
    Rect({dest.left, dest.top, dest.right - 1, dest.bottom - 1});
    I32(dest.left), I32(dest.top), I32(dest.right - dest.left), I32(dest.bottom - dest.top);
    U32(rop);
    I32(0), I32(0);                                 // source origin
    F32(1), F32(0), F32(0), F32(1), F32(0), F32(0);  // source transform
    U32(0), U32(0);                                 // source background colour, usage
    U32(0), U32(0), U32(0), U32(0);                 // no source bitmap
    End();
}

void MetafileWriter::StretchDIBits(const RectL& dest, int32_t srcWidth, int32_t srcHeight,
                                   std::span<const uint8_t> bmi, std::span<const uint8_t> bits,
                                   uint32_t rop) {
    Begin(EMR_STRETCHDIBITS);
    Rect({dest.left, dest.top, dest.right - 1, dest.bottom - 1});
    I32(dest.left), I32(dest.top);
    I32(0), I32(0), I32(srcWidth), I32(srcHeight);
    U32(80), U32(uint32_t(bmi.size()));
    U32(uint32_t(80 + bmi.size())), U32(uint32_t(bits.size()));
    U32(DIB_RGB_COLORS);
    U32(rop);
    I32(dest.right - dest.left), I32(dest.bottom - dest.top);
    Bytes(bmi);
    Bytes(bits);
    End();
}

uint32_t MetafileWriter::CreateHandle() {
    for (size_t i = 1; i < used_.size(); ++i)
        if (!used_[i]) {
            used_[i] = true;
            return uint32_t(i);
        }
    used_.push_back(true);
    handleHighWater_ = std::max(handleHighWater_, used_.size());
    return uint32_t(used_.size() - 1);
}

void MetafileWriter::FreeHandle(uint32_t handle) {
    if (handle > 0 && handle < used_.size()) used_[handle] = false;
}

void MetafileWriter::AddBounds(const RectL& r) {
    if (r.right < r.left || r.bottom < r.top) return;
    if (!haveBounds_) {
        bounds_ = r;
        haveBounds_ = true;
        return;
    }
    bounds_.left = std::min(bounds_.left, r.left);
    bounds_.top = std::min(bounds_.top, r.top);
    bounds_.right = std::max(bounds_.right, r.right);
    bounds_.bottom = std::max(bounds_.bottom, r.bottom);
}

Metafile MetafileWriter::Finish() {
    Begin(EMR_EOF);
    U32(0);   // palette entries
    U32(16);  // palette offset
    U32(20);  // size of this record, repeated at its end
    End();

    const size_t size = kHeaderSize + out_.size();
    ByteBlock image = AllocateByteBlock(size);
    uint8_t* at = image.get();
    auto put = [&at](uint32_t v) {
        for (int i = 0; i < 4; ++i) *at++ = uint8_t(v >> (8 * i));
    };
    auto rect = [&put](const RectL& r) {
        put(uint32_t(r.left)), put(uint32_t(r.top)), put(uint32_t(r.right)), put(uint32_t(r.bottom));
    };
    put(EMR_HEADER);
    put(kHeaderSize);
    rect(bounds_);
    // The frame holds the pixel size converted as it is (not size minus one), so that readers
    // get the same pixel size back.
    rect({0, 0, MulDiv(width_, kReferenceMillimeters.cx * 100, kReferencePixels.cx),
          MulDiv(height_, kReferenceMillimeters.cy * 100, kReferencePixels.cy)});
    put(kEmfSignature);
    put(kEmfVersion);
    put(uint32_t(size));
    put(records_ + 1);
    put(uint32_t(std::min<size_t>(handleHighWater_, 0xFFFF)));  // handles (16 bits) + reserved
    put(0), put(0), put(0);  // description chars and offset, palette entries
    put(kReferencePixels.cx), put(kReferencePixels.cy);
    put(kReferenceMillimeters.cx), put(kReferenceMillimeters.cy);
    put(0), put(0), put(0);  // pixel format size and offset, OpenGL
    put(kReferenceMillimeters.cx * 1000), put(kReferenceMillimeters.cy * 1000);
    std::copy(out_.begin(), out_.end(), at);
    out_.clear();
    const std::span<const uint8_t> bytes(image.get(), size);
    return Metafile(std::move(image), bytes);
}

Dib MakeDib32(int32_t width, int32_t height, std::span<const uint32_t> topDownPixels) {
    Dib d;
    uint32_t imageSize = uint32_t(width) * uint32_t(height) * 4;
    d.info = DibInfoHeader(width, height, 32, imageSize);
    d.bits.resize(imageSize);
    for (int32_t y = 0; y < height; ++y) {
        const uint32_t* row = topDownPixels.data() + size_t(height - 1 - y) * width;
        for (int32_t x = 0; x < width; ++x) Put32(d.bits, (size_t(y) * width + x) * 4, row[x] & 0xFFFFFF);
    }
    return d;
}

std::vector<uint8_t> DibInfoHeader(int32_t width, int32_t height, uint16_t bitCount, uint32_t imageSize) {
    std::vector<uint8_t> info(40);
    Put32(info, 0, 40);
    Put32(info, 4, uint32_t(width));
    Put32(info, 8, uint32_t(height));  // positive: bottom-up rows
    info[12] = 1;                       // planes
    info[14] = uint8_t(bitCount);       // bits per pixel
    Put32(info, 16, 0);                 // BI_RGB
    Put32(info, 20, imageSize);
    return info;
}

}  // namespace tessaly::emf

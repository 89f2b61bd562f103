#pragma once
// Enhanced-metafile basics: record type numbers and names, stock objects, the small geometric
// types of the format, and RecordView, a record's bytes with bounds-checked little-endian reads.
//
// Every field is read at an explicit byte offset, one byte at a time, never by casting the record's
// memory to a structure: records may sit at any address and the host byte order does not matter.
// Reads that would leave the record return std::nullopt.
#include <cstdint>
#include <cstring>
#include <optional>
#include <span>

namespace tessaly::emf {

// Record types 1 to 122. Numbers 69, 107 and 117 have no record of their own.
enum RecordType : uint32_t {
    EMR_HEADER = 1,
    EMR_POLYBEZIER = 2,
    EMR_POLYGON = 3,
    EMR_POLYLINE = 4,
    EMR_POLYBEZIERTO = 5,
    EMR_POLYLINETO = 6,
    EMR_POLYPOLYLINE = 7,
    EMR_POLYPOLYGON = 8,
    EMR_SETWINDOWEXTEX = 9,
    EMR_SETWINDOWORGEX = 10,
    EMR_SETVIEWPORTEXTEX = 11,
    EMR_SETVIEWPORTORGEX = 12,
    EMR_SETBRUSHORGEX = 13,
    EMR_EOF = 14,
    EMR_SETPIXELV = 15,
    EMR_SETMAPPERFLAGS = 16,
    EMR_SETMAPMODE = 17,
    EMR_SETBKMODE = 18,
    EMR_SETPOLYFILLMODE = 19,
    EMR_SETROP2 = 20,
    EMR_SETSTRETCHBLTMODE = 21,
    EMR_SETTEXTALIGN = 22,
    EMR_SETCOLORADJUSTMENT = 23,
    EMR_SETTEXTCOLOR = 24,
    EMR_SETBKCOLOR = 25,
    EMR_OFFSETCLIPRGN = 26,
    EMR_MOVETOEX = 27,
    EMR_SETMETARGN = 28,
    EMR_EXCLUDECLIPRECT = 29,
    EMR_INTERSECTCLIPRECT = 30,
    EMR_SCALEVIEWPORTEXTEX = 31,
    EMR_SCALEWINDOWEXTEX = 32,
    EMR_SAVEDC = 33,
    EMR_RESTOREDC = 34,
    EMR_SETWORLDTRANSFORM = 35,
    EMR_MODIFYWORLDTRANSFORM = 36,
    EMR_SELECTOBJECT = 37,
    EMR_CREATEPEN = 38,
    EMR_CREATEBRUSHINDIRECT = 39,
    EMR_DELETEOBJECT = 40,
    EMR_ANGLEARC = 41,
    EMR_ELLIPSE = 42,
    EMR_RECTANGLE = 43,
    EMR_ROUNDRECT = 44,
    EMR_ARC = 45,
    EMR_CHORD = 46,
    EMR_PIE = 47,
    EMR_SELECTPALETTE = 48,
    EMR_CREATEPALETTE = 49,
    EMR_SETPALETTEENTRIES = 50,
    EMR_RESIZEPALETTE = 51,
    EMR_REALIZEPALETTE = 52,
    EMR_EXTFLOODFILL = 53,
    EMR_LINETO = 54,
    EMR_ARCTO = 55,
    EMR_POLYDRAW = 56,
    EMR_SETARCDIRECTION = 57,
    EMR_SETMITERLIMIT = 58,
    EMR_BEGINPATH = 59,
    EMR_ENDPATH = 60,
    EMR_CLOSEFIGURE = 61,
    EMR_FILLPATH = 62,
    EMR_STROKEANDFILLPATH = 63,
    EMR_STROKEPATH = 64,
    EMR_FLATTENPATH = 65,
    EMR_WIDENPATH = 66,
    EMR_SELECTCLIPPATH = 67,
    EMR_ABORTPATH = 68,
    EMR_COMMENT = 70,
    EMR_FILLRGN = 71,
    EMR_FRAMERGN = 72,
    EMR_INVERTRGN = 73,
    EMR_PAINTRGN = 74,
    EMR_EXTSELECTCLIPRGN = 75,
    EMR_BITBLT = 76,
    EMR_STRETCHBLT = 77,
    EMR_MASKBLT = 78,
    EMR_PLGBLT = 79,
    EMR_SETDIBITSTODEVICE = 80,
    EMR_STRETCHDIBITS = 81,
    EMR_EXTCREATEFONTINDIRECTW = 82,
    EMR_EXTTEXTOUTA = 83,
    EMR_EXTTEXTOUTW = 84,
    EMR_POLYBEZIER16 = 85,
    EMR_POLYGON16 = 86,
    EMR_POLYLINE16 = 87,
    EMR_POLYBEZIERTO16 = 88,
    EMR_POLYLINETO16 = 89,
    EMR_POLYPOLYLINE16 = 90,
    EMR_POLYPOLYGON16 = 91,
    EMR_POLYDRAW16 = 92,
    EMR_CREATEMONOBRUSH = 93,
    EMR_CREATEDIBPATTERNBRUSHPT = 94,
    EMR_EXTCREATEPEN = 95,
    EMR_POLYTEXTOUTA = 96,
    EMR_POLYTEXTOUTW = 97,
    EMR_SETICMMODE = 98,
    EMR_CREATECOLORSPACE = 99,
    EMR_SETCOLORSPACE = 100,
    EMR_DELETECOLORSPACE = 101,
    EMR_GLSRECORD = 102,
    EMR_GLSBOUNDEDRECORD = 103,
    EMR_PIXELFORMAT = 104,
    EMR_DRAWESCAPE = 105,
    EMR_EXTESCAPE = 106,
    EMR_SMALLTEXTOUT = 108,
    EMR_FORCEUFIMAPPING = 109,
    EMR_NAMEDESCAPE = 110,
    EMR_COLORCORRECTPALETTE = 111,
    EMR_SETICMPROFILEA = 112,
    EMR_SETICMPROFILEW = 113,
    EMR_ALPHABLEND = 114,
    EMR_SETLAYOUT = 115,
    EMR_TRANSPARENTBLT = 116,
    EMR_GRADIENTFILL = 118,
    EMR_SETLINKEDUFIS = 119,
    EMR_SETTEXTJUSTIFICATION = 120,
    EMR_COLORMATCHTOTARGETW = 121,
    EMR_CREATECOLORSPACEW = 122,
};

constexpr uint32_t kMaxRecordType = 122;

// "EMR_HEADER" ... "EMR_CREATECOLORSPACEW"; "EMR_RESERVED_69" and the like for the three unused
// numbers; "EMR_UNKNOWN" outside 1..122.
const char* RecordTypeName(uint32_t type);

constexpr uint32_t kEmfSignature = 0x464D4520;  // " EMF" at offset 40 of the header
constexpr uint32_t kEmfVersion = 0x00010000;

// Stock objects are selected by 0x80000000 + n; they are never created or deleted.
constexpr uint32_t kStockObjectFlag = 0x80000000;
enum StockObject : uint32_t {
    WHITE_BRUSH = 0,
    LTGRAY_BRUSH = 1,
    GRAY_BRUSH = 2,
    DKGRAY_BRUSH = 3,
    BLACK_BRUSH = 4,
    NULL_BRUSH = 5,
    WHITE_PEN = 6,
    BLACK_PEN = 7,
    NULL_PEN = 8,
    OEM_FIXED_FONT = 10,
    ANSI_FIXED_FONT = 11,
    ANSI_VAR_FONT = 12,
    SYSTEM_FONT = 13,
    DEVICE_DEFAULT_FONT = 14,
    DEFAULT_PALETTE = 15,
    SYSTEM_FIXED_FONT = 16,
    DEFAULT_GUI_FONT = 17,
    DC_BRUSH = 18,
    DC_PEN = 19,
};
constexpr uint32_t StockHandle(StockObject n) { return kStockObjectFlag | n; }
constexpr bool IsStockHandle(uint32_t handle) { return (handle & kStockObjectFlag) != 0; }

// Values the recorder writes and the player reads.
enum : uint32_t { TRANSPARENT = 1, OPAQUE = 2 };                        // background modes
enum : uint32_t { R2_BLACK = 1, R2_NOT = 6, R2_XORPEN = 7, R2_COPYPEN = 13, R2_WHITE = 16 };
enum : uint32_t { BLACKONWHITE = 1, WHITEONBLACK = 2, COLORONCOLOR = 3, HALFTONE = 4 };
enum : uint32_t { ALTERNATE = 1, WINDING = 2 };                         // poly fill modes
enum : uint32_t { MM_TEXT = 1, MM_LOMETRIC, MM_HIMETRIC, MM_LOENGLISH, MM_HIENGLISH, MM_TWIPS,
                  MM_ISOTROPIC, MM_ANISOTROPIC };
enum : uint32_t { PS_SOLID = 0, PS_DASH = 1, PS_DOT = 2, PS_DASHDOT = 3, PS_DASHDOTDOT = 4,
                  PS_NULL = 5, PS_INSIDEFRAME = 6, PS_USERSTYLE = 7, PS_ALTERNATE = 8,
                  PS_STYLE_MASK = 0xF, PS_GEOMETRIC = 0x10000 };
enum : uint32_t { BS_SOLID = 0, BS_NULL = 1, BS_HATCHED = 2, BS_PATTERN = 3, BS_DIBPATTERN = 5,
                  BS_DIBPATTERNPT = 6 };
enum : uint32_t { DIB_RGB_COLORS = 0, DIB_PAL_COLORS = 1 };
enum : uint32_t { ETO_OPAQUE = 0x2, ETO_CLIPPED = 0x4, ETO_GLYPH_INDEX = 0x10, ETO_NO_RECT = 0x100,
                  ETO_SMALL_CHARS = 0x200, ETO_PDY = 0x2000 };
enum : uint32_t { GM_COMPATIBLE = 1, GM_ADVANCED = 2 };
enum : uint32_t { MWT_IDENTITY = 1, MWT_LEFTMULTIPLY = 2, MWT_RIGHTMULTIPLY = 3, MWT_SET = 4 };
enum : uint32_t { RGN_AND = 1, RGN_OR = 2, RGN_XOR = 3, RGN_DIFF = 4, RGN_COPY = 5 };
enum : uint32_t { SRCCOPY = 0x00CC0020, PATCOPY = 0x00F00021 };

struct PointL {
    int32_t x = 0, y = 0;
    friend bool operator==(const PointL&, const PointL&) = default;
};
struct SizeL {
    int32_t cx = 0, cy = 0;
    friend bool operator==(const SizeL&, const SizeL&) = default;
};
// Inclusive-inclusive in bounds and frames, as the format keeps them.
struct RectL {
    int32_t left = 0, top = 0, right = 0, bottom = 0;
    friend bool operator==(const RectL&, const RectL&) = default;
};
struct XForm {
    float m11 = 1, m12 = 0, m21 = 0, m22 = 1, dx = 0, dy = 0;
    friend bool operator==(const XForm&, const XForm&) = default;
};
using ColorRef = uint32_t;  // 0x00BBGGRR

// Little-endian loads from a byte pointer; the caller has checked the bounds.
inline uint16_t LoadU16(const uint8_t* p) { return uint16_t(p[0] | (p[1] << 8)); }
inline uint32_t LoadU32(const uint8_t* p) {
    return uint32_t(p[0]) | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16) | (uint32_t(p[3]) << 24);
}
inline int32_t LoadI32(const uint8_t* p) { return static_cast<int32_t>(LoadU32(p)); }
inline float LoadF32(const uint8_t* p) {
    uint32_t u = LoadU32(p);
    float f;
    std::memcpy(&f, &u, 4);
    return f;
}

// One record: its bytes from the type field to the end of the record. Copies are cheap; the view
// borrows the bytes of the metafile it came from.
class RecordView {
public:
    RecordView() = default;
    explicit RecordView(std::span<const uint8_t> bytes) : bytes_(bytes) {}

    uint32_t Type() const { return bytes_.size() >= 4 ? LoadU32(bytes_.data()) : 0; }
    uint32_t Size() const { return static_cast<uint32_t>(bytes_.size()); }
    std::span<const uint8_t> Bytes() const { return bytes_; }

    // True when [offset, offset + count) lies inside the record (no overflow for huge values).
    bool Has(uint64_t offset, uint64_t count) const {
        return offset <= bytes_.size() && count <= bytes_.size() - offset;
    }
    std::optional<uint8_t> U8(uint64_t off) const {
        if (!Has(off, 1)) return std::nullopt;
        return bytes_[off];
    }
    std::optional<uint16_t> U16(uint64_t off) const {
        if (!Has(off, 2)) return std::nullopt;
        return LoadU16(bytes_.data() + off);
    }
    std::optional<int16_t> I16(uint64_t off) const {
        if (!Has(off, 2)) return std::nullopt;
        return static_cast<int16_t>(LoadU16(bytes_.data() + off));
    }
    std::optional<uint32_t> U32(uint64_t off) const {
        if (!Has(off, 4)) return std::nullopt;
        return LoadU32(bytes_.data() + off);
    }
    std::optional<int32_t> I32(uint64_t off) const {
        if (!Has(off, 4)) return std::nullopt;
        return LoadI32(bytes_.data() + off);
    }
    std::optional<float> F32(uint64_t off) const {
        if (!Has(off, 4)) return std::nullopt;
        return LoadF32(bytes_.data() + off);
    }
    std::optional<PointL> PointAt(uint64_t off) const {
        if (!Has(off, 8)) return std::nullopt;
        const uint8_t* p = bytes_.data() + off;
        return PointL{LoadI32(p), LoadI32(p + 4)};
    }
    std::optional<SizeL> SizeAt(uint64_t off) const {
        if (!Has(off, 8)) return std::nullopt;
        const uint8_t* p = bytes_.data() + off;
        return SizeL{LoadI32(p), LoadI32(p + 4)};
    }
    std::optional<RectL> RectAt(uint64_t off) const {
        if (!Has(off, 16)) return std::nullopt;
        const uint8_t* p = bytes_.data() + off;
        return RectL{LoadI32(p), LoadI32(p + 4), LoadI32(p + 8), LoadI32(p + 12)};
    }
    std::optional<XForm> XFormAt(uint64_t off) const {
        if (!Has(off, 24)) return std::nullopt;
        const uint8_t* p = bytes_.data() + off;
        return XForm{LoadF32(p), LoadF32(p + 4), LoadF32(p + 8),
                     LoadF32(p + 12), LoadF32(p + 16), LoadF32(p + 20)};
    }
    // The bytes [offset, offset + count), or nullopt when they leave the record.
    std::optional<std::span<const uint8_t>> Slice(uint64_t off, uint64_t count) const {
        if (!Has(off, count)) return std::nullopt;
        return bytes_.subspan(off, count);
    }

private:
    std::span<const uint8_t> bytes_;
};

}  // namespace tessaly::emf

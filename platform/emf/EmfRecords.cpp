#include "platform/emf/EmfRecords.h"

#include <array>

namespace tessaly::emf {

namespace {

constexpr const char* kNames[kMaxRecordType + 1] = {
    "EMR_UNKNOWN",
    "EMR_HEADER", "EMR_POLYBEZIER", "EMR_POLYGON", "EMR_POLYLINE", "EMR_POLYBEZIERTO",
    "EMR_POLYLINETO", "EMR_POLYPOLYLINE", "EMR_POLYPOLYGON", "EMR_SETWINDOWEXTEX",
    "EMR_SETWINDOWORGEX", "EMR_SETVIEWPORTEXTEX", "EMR_SETVIEWPORTORGEX", "EMR_SETBRUSHORGEX",
    "EMR_EOF", "EMR_SETPIXELV", "EMR_SETMAPPERFLAGS", "EMR_SETMAPMODE", "EMR_SETBKMODE",
    "EMR_SETPOLYFILLMODE", "EMR_SETROP2", "EMR_SETSTRETCHBLTMODE", "EMR_SETTEXTALIGN",
    "EMR_SETCOLORADJUSTMENT", "EMR_SETTEXTCOLOR", "EMR_SETBKCOLOR", "EMR_OFFSETCLIPRGN",
    "EMR_MOVETOEX", "EMR_SETMETARGN", "EMR_EXCLUDECLIPRECT", "EMR_INTERSECTCLIPRECT",
    "EMR_SCALEVIEWPORTEXTEX", "EMR_SCALEWINDOWEXTEX", "EMR_SAVEDC", "EMR_RESTOREDC",
    "EMR_SETWORLDTRANSFORM", "EMR_MODIFYWORLDTRANSFORM", "EMR_SELECTOBJECT", "EMR_CREATEPEN",
    "EMR_CREATEBRUSHINDIRECT", "EMR_DELETEOBJECT", "EMR_ANGLEARC", "EMR_ELLIPSE",
    "EMR_RECTANGLE", "EMR_ROUNDRECT", "EMR_ARC", "EMR_CHORD", "EMR_PIE", "EMR_SELECTPALETTE",
    "EMR_CREATEPALETTE", "EMR_SETPALETTEENTRIES", "EMR_RESIZEPALETTE", "EMR_REALIZEPALETTE",
    "EMR_EXTFLOODFILL", "EMR_LINETO", "EMR_ARCTO", "EMR_POLYDRAW", "EMR_SETARCDIRECTION",
    "EMR_SETMITERLIMIT", "EMR_BEGINPATH", "EMR_ENDPATH", "EMR_CLOSEFIGURE", "EMR_FILLPATH",
    "EMR_STROKEANDFILLPATH", "EMR_STROKEPATH", "EMR_FLATTENPATH", "EMR_WIDENPATH",
    "EMR_SELECTCLIPPATH", "EMR_ABORTPATH", "EMR_RESERVED_69", "EMR_COMMENT", "EMR_FILLRGN",
    "EMR_FRAMERGN", "EMR_INVERTRGN", "EMR_PAINTRGN", "EMR_EXTSELECTCLIPRGN", "EMR_BITBLT",
    "EMR_STRETCHBLT", "EMR_MASKBLT", "EMR_PLGBLT", "EMR_SETDIBITSTODEVICE", "EMR_STRETCHDIBITS",
    "EMR_EXTCREATEFONTINDIRECTW", "EMR_EXTTEXTOUTA", "EMR_EXTTEXTOUTW", "EMR_POLYBEZIER16",
    "EMR_POLYGON16", "EMR_POLYLINE16", "EMR_POLYBEZIERTO16", "EMR_POLYLINETO16",
    "EMR_POLYPOLYLINE16", "EMR_POLYPOLYGON16", "EMR_POLYDRAW16", "EMR_CREATEMONOBRUSH",
    "EMR_CREATEDIBPATTERNBRUSHPT", "EMR_EXTCREATEPEN", "EMR_POLYTEXTOUTA", "EMR_POLYTEXTOUTW",
    "EMR_SETICMMODE", "EMR_CREATECOLORSPACE", "EMR_SETCOLORSPACE", "EMR_DELETECOLORSPACE",
    "EMR_GLSRECORD", "EMR_GLSBOUNDEDRECORD", "EMR_PIXELFORMAT", "EMR_DRAWESCAPE",
    "EMR_EXTESCAPE", "EMR_RESERVED_107", "EMR_SMALLTEXTOUT", "EMR_FORCEUFIMAPPING",
    "EMR_NAMEDESCAPE", "EMR_COLORCORRECTPALETTE", "EMR_SETICMPROFILEA", "EMR_SETICMPROFILEW",
    "EMR_ALPHABLEND", "EMR_SETLAYOUT", "EMR_TRANSPARENTBLT", "EMR_RESERVED_117",
    "EMR_GRADIENTFILL", "EMR_SETLINKEDUFIS", "EMR_SETTEXTJUSTIFICATION",
    "EMR_COLORMATCHTOTARGETW", "EMR_CREATECOLORSPACEW",
};

// Smallest valid size of each record type (type and size fields included); 8 for types whose
// layout is not checked.
constexpr uint16_t MinimumSize(uint32_t type) {
    switch (type) {
    case EMR_HEADER: return kHeaderBaseSize;
    case EMR_POLYBEZIER: case EMR_POLYGON: case EMR_POLYLINE: case EMR_POLYBEZIERTO:
    case EMR_POLYLINETO: case EMR_POLYBEZIER16: case EMR_POLYGON16: case EMR_POLYLINE16:
    case EMR_POLYBEZIERTO16: case EMR_POLYLINETO16: case EMR_POLYDRAW: case EMR_POLYDRAW16:
        return 28;
    case EMR_POLYPOLYLINE: case EMR_POLYPOLYGON: case EMR_POLYPOLYLINE16: case EMR_POLYPOLYGON16:
        return 32;
    case EMR_SETWINDOWEXTEX: case EMR_SETWINDOWORGEX: case EMR_SETVIEWPORTEXTEX:
    case EMR_SETVIEWPORTORGEX: case EMR_SETBRUSHORGEX: case EMR_OFFSETCLIPRGN: case EMR_MOVETOEX:
    case EMR_LINETO: case EMR_CREATEPALETTE: case EMR_RESIZEPALETTE: case EMR_EXTSELECTCLIPRGN:
        return 16;
    case EMR_EOF: case EMR_SETPIXELV: case EMR_SETPALETTEENTRIES: return 20;
    case EMR_SETMAPPERFLAGS: case EMR_SETMAPMODE: case EMR_SETBKMODE: case EMR_SETPOLYFILLMODE:
    case EMR_SETROP2: case EMR_SETSTRETCHBLTMODE: case EMR_SETTEXTALIGN: case EMR_SETTEXTCOLOR:
    case EMR_SETBKCOLOR: case EMR_RESTOREDC: case EMR_SELECTOBJECT: case EMR_DELETEOBJECT:
    case EMR_SELECTPALETTE: case EMR_SETARCDIRECTION: case EMR_SETMITERLIMIT:
    case EMR_SELECTCLIPPATH: case EMR_SETICMMODE: case EMR_SETLAYOUT: case EMR_COMMENT:
        return 12;
    case EMR_EXCLUDECLIPRECT: case EMR_INTERSECTCLIPRECT: case EMR_SCALEVIEWPORTEXTEX:
    case EMR_SCALEWINDOWEXTEX: case EMR_CREATEBRUSHINDIRECT: case EMR_ELLIPSE: case EMR_RECTANGLE:
    case EMR_EXTFLOODFILL: case EMR_FILLPATH: case EMR_STROKEANDFILLPATH: case EMR_STROKEPATH:
        return 24;
    case EMR_SETWORLDTRANSFORM: case EMR_ROUNDRECT: case EMR_FILLRGN:
    case EMR_CREATEMONOBRUSH: case EMR_CREATEDIBPATTERNBRUSHPT:
        return 32;
    case EMR_MODIFYWORLDTRANSFORM: case EMR_SMALLTEXTOUT: case EMR_GRADIENTFILL: return 36;
    case EMR_CREATEPEN: case EMR_ANGLEARC: case EMR_INVERTRGN: case EMR_PAINTRGN: return 28;
    case EMR_ARC: case EMR_CHORD: case EMR_PIE: case EMR_ARCTO: case EMR_FRAMERGN:
    case EMR_POLYTEXTOUTA: case EMR_POLYTEXTOUTW:
        return 40;
    case EMR_EXTCREATEPEN: return 52;
    case EMR_EXTTEXTOUTA: case EMR_EXTTEXTOUTW: return 76;
    case EMR_SETDIBITSTODEVICE: return 76;
    case EMR_STRETCHDIBITS: return 80;
    case EMR_BITBLT: return 100;
    case EMR_STRETCHBLT: case EMR_ALPHABLEND: case EMR_TRANSPARENTBLT: return 108;
    case EMR_MASKBLT: return 128;
    case EMR_PLGBLT: return 140;
    case EMR_EXTCREATEFONTINDIRECTW: return 12 + kLogFontWSize;
    default: return 8;
    }
}

constexpr auto kMinimumSizes = [] {
    std::array<uint16_t, kMaxRecordType + 1> sizes{};
    for (uint32_t t = 0; t <= kMaxRecordType; ++t) sizes[t] = MinimumSize(t);
    return sizes;
}();

// Types whose layout has counts or offsets to check beyond the fixed part.
constexpr auto kVariableLayout = [] {
    std::array<bool, kMaxRecordType + 1> v{};
    for (uint32_t t : {EMR_POLYBEZIER, EMR_POLYGON, EMR_POLYLINE, EMR_POLYBEZIERTO,
                       EMR_POLYLINETO, EMR_POLYBEZIER16, EMR_POLYGON16, EMR_POLYLINE16,
                       EMR_POLYBEZIERTO16, EMR_POLYLINETO16, EMR_POLYDRAW, EMR_POLYDRAW16,
                       EMR_POLYPOLYLINE, EMR_POLYPOLYGON, EMR_POLYPOLYLINE16, EMR_POLYPOLYGON16,
                       EMR_CREATEPALETTE, EMR_SETPALETTEENTRIES, EMR_EXTCREATEPEN,
                       EMR_CREATEMONOBRUSH, EMR_CREATEDIBPATTERNBRUSHPT, EMR_EXTTEXTOUTA,
                       EMR_EXTTEXTOUTW, EMR_POLYTEXTOUTA, EMR_POLYTEXTOUTW, EMR_SMALLTEXTOUT,
                       EMR_BITBLT, EMR_STRETCHBLT, EMR_ALPHABLEND, EMR_TRANSPARENTBLT, EMR_MASKBLT,
                       EMR_PLGBLT, EMR_SETDIBITSTODEVICE, EMR_STRETCHDIBITS, EMR_FILLRGN,
                       EMR_FRAMERGN, EMR_INVERTRGN, EMR_PAINTRGN, EMR_EXTSELECTCLIPRGN,
                       EMR_GRADIENTFILL, EMR_COMMENT, EMR_EOF})
        v[t] = true;
    return v;
}();

bool Is16Bit(uint32_t type) { return type >= EMR_POLYBEZIER16 && type <= EMR_POLYDRAW16; }

// count elements of `each` bytes starting at `offset` lie inside the record.
bool HasArray(RecordView r, uint64_t offset, uint64_t count, uint64_t each) {
    return count <= (uint64_t(1) << 32) && r.Has(offset, count * each);
}

// A bitmap part given by offset and size fields: empty when the size is 0, else inside the record.
bool HasPart(RecordView r, uint64_t offsetField, uint64_t sizeField) {
    uint32_t off = LoadU32(r.Bytes().data() + offsetField);
    uint32_t size = LoadU32(r.Bytes().data() + sizeField);
    return size == 0 || r.Has(off, size);
}
std::span<const uint8_t> Part(RecordView r, uint64_t offsetField, uint64_t sizeField) {
    uint32_t off = LoadU32(r.Bytes().data() + offsetField);
    uint32_t size = LoadU32(r.Bytes().data() + sizeField);
    if (size == 0 || !r.Has(off, size)) return {};
    return r.Bytes().subspan(off, size);
}

// Checks one EMRTEXT block at `base` of a text record whose strings have `charSize` bytes.
bool CheckText(RecordView r, uint64_t base, uint32_t charSize) {
    const uint8_t* p = r.Bytes().data() + base;
    uint32_t chars = LoadU32(p + 8);
    if (chars == 0) return true;
    uint32_t offString = LoadU32(p + 12);
    uint32_t options = LoadU32(p + 16);
    uint32_t offDx = LoadU32(p + 36);
    if (!HasArray(r, offString, chars, charSize)) return false;
    return offDx == 0 || HasArray(r, offDx, chars, (options & ETO_PDY) ? 8 : 4);
}

std::optional<EmrText> ReadText(RecordView r, uint64_t base, bool wide) {
    if (!r.Has(base, 40) || !CheckText(r, base, wide ? 2 : 1)) return std::nullopt;
    const uint8_t* p = r.Bytes().data() + base;
    EmrText t;
    t.reference = *r.PointAt(base);
    t.chars = LoadU32(p + 8);
    uint32_t offString = LoadU32(p + 12);
    t.options = LoadU32(p + 16);
    t.clip = *r.RectAt(base + 20);
    uint32_t offDx = LoadU32(p + 36);
    if (t.chars == 0) return t;
    const uint8_t* s = r.Bytes().data() + offString;
    if (wide) {
        t.wide.resize(t.chars);
        for (uint32_t i = 0; i < t.chars; ++i) t.wide[i] = char16_t(LoadU16(s + 2 * i));
    } else {
        t.ansi.assign(reinterpret_cast<const char*>(s), t.chars);
    }
    if (offDx != 0) {
        uint32_t n = (t.options & ETO_PDY) ? 2 * t.chars : t.chars;
        t.dx.resize(n);
        for (uint32_t i = 0; i < n; ++i) t.dx[i] = LoadI32(r.Bytes().data() + offDx + 4 * i);
    }
    return t;
}

// RGNDATA: a 32-byte header (size, type, count, region size, bounding rectangle), then the
// rectangles.
bool CheckRegionData(RecordView r, uint64_t offset, uint32_t size) {
    if (size == 0) return true;
    if (size < 32 || !r.Has(offset, size)) return false;
    uint32_t count = LoadU32(r.Bytes().data() + offset + 8);
    return count <= (size - 32) / 16;
}

bool CheckPolyPoly(RecordView r, uint32_t pointSize) {
    const uint8_t* p = r.Bytes().data();
    uint32_t polys = LoadU32(p + 24);
    uint32_t points = LoadU32(p + 28);
    if (!HasArray(r, 32, polys, 4)) return false;
    if (!HasArray(r, 32 + uint64_t(polys) * 4, points, pointSize)) return false;
    uint64_t sum = 0;
    for (uint32_t i = 0; i < polys; ++i) sum += LoadU32(p + 32 + 4 * i);
    return sum <= points;
}

// The vertices, then the entries of the mode's size.
bool CheckGradientFill(RecordView r) {
    const uint8_t* p = r.Bytes().data();
    const uint32_t vertices = LoadU32(p + 24), entries = LoadU32(p + 28), mode = LoadU32(p + 32);
    const uint64_t entrySize = mode == GRADIENT_FILL_TRIANGLE ? 12 : 8;
    return HasArray(r, 36, vertices, 16) && HasArray(r, 36 + uint64_t(vertices) * 16, entries, entrySize);
}

}  // namespace

std::optional<uint32_t> CheckRecordChain(const uint8_t* image, size_t size) {
    uint32_t count = 0, lastType = 0, lastLength = 0;
    for (size_t pos = 0; pos < size; pos += lastLength) {
        if (size - pos < 8) return std::nullopt;
        const uint8_t* p = image + pos;
        lastType = LoadU32(p);
        lastLength = LoadU32(p + 4);
        if (lastLength < 8 || lastLength % 4 != 0 || lastLength > size - pos) return std::nullopt;
        if (lastType == EMR_HEADER && pos != 0) return std::nullopt;
        ++count;
    }
    if (lastType != EMR_EOF || lastLength < kMinimumSizes[EMR_EOF]) return std::nullopt;
    return count;
}

const char* RecordTypeName(uint32_t type) {
    return type <= kMaxRecordType ? kNames[type] : kNames[0];
}

bool CheckRecordLayout(RecordView r) {
    uint32_t type = r.Type();
    uint32_t size = r.Size();
    if (type > kMaxRecordType) return size >= 8;
    if (size < kMinimumSizes[type]) return false;
    if (!kVariableLayout[type]) return true;
    const uint8_t* p = r.Bytes().data();
    switch (type) {
    case EMR_POLYBEZIER: case EMR_POLYGON: case EMR_POLYLINE: case EMR_POLYBEZIERTO:
    case EMR_POLYLINETO:
        return HasArray(r, 28, LoadU32(p + 24), 8);
    case EMR_POLYBEZIER16: case EMR_POLYGON16: case EMR_POLYLINE16: case EMR_POLYBEZIERTO16:
    case EMR_POLYLINETO16:
        return HasArray(r, 28, LoadU32(p + 24), 4);
    case EMR_POLYDRAW: return HasArray(r, 28, LoadU32(p + 24), 9);
    case EMR_POLYDRAW16: return HasArray(r, 28, LoadU32(p + 24), 5);
    case EMR_POLYPOLYLINE: case EMR_POLYPOLYGON: return CheckPolyPoly(r, 8);
    case EMR_POLYPOLYLINE16: case EMR_POLYPOLYGON16: return CheckPolyPoly(r, 4);
    case EMR_CREATEPALETTE: return HasArray(r, 16, LoadU16(p + 14), 4);
    case EMR_SETPALETTEENTRIES: return HasArray(r, 20, LoadU32(p + 16), 4);
    case EMR_EXTCREATEPEN:
        return HasPart(r, 12, 16) && HasPart(r, 20, 24) && HasArray(r, 52, LoadU32(p + 48), 4);
    case EMR_CREATEMONOBRUSH: case EMR_CREATEDIBPATTERNBRUSHPT:
        return HasPart(r, 16, 20) && HasPart(r, 24, 28);
    case EMR_EXTTEXTOUTA: return CheckText(r, 36, 1);
    case EMR_EXTTEXTOUTW: return CheckText(r, 36, 2);
    case EMR_POLYTEXTOUTA: case EMR_POLYTEXTOUTW: {
        uint32_t n = LoadU32(p + 36);
        if (!HasArray(r, 40, n, 40)) return false;
        for (uint32_t i = 0; i < n; ++i)
            if (!CheckText(r, 40 + uint64_t(i) * 40, type == EMR_POLYTEXTOUTW ? 2 : 1)) return false;
        return true;
    }
    case EMR_SMALLTEXTOUT: {
        uint32_t chars = LoadU32(p + 16);
        uint32_t options = LoadU32(p + 20);
        uint64_t text = (options & ETO_NO_RECT) ? 36 : 52;
        return HasArray(r, text, chars, (options & ETO_SMALL_CHARS) ? 1 : 2);
    }
    case EMR_BITBLT: case EMR_STRETCHBLT: case EMR_ALPHABLEND: case EMR_TRANSPARENTBLT:
        return HasPart(r, 84, 88) && HasPart(r, 92, 96);
    case EMR_MASKBLT:
        return HasPart(r, 84, 88) && HasPart(r, 92, 96) && HasPart(r, 112, 116) &&
               HasPart(r, 120, 124);
    case EMR_PLGBLT:
        return HasPart(r, 96, 100) && HasPart(r, 104, 108) && HasPart(r, 124, 128) &&
               HasPart(r, 132, 136);
    case EMR_SETDIBITSTODEVICE: case EMR_STRETCHDIBITS:
        return HasPart(r, 48, 52) && HasPart(r, 56, 60);
    case EMR_FILLRGN: return CheckRegionData(r, 32, LoadU32(p + 24));
    case EMR_FRAMERGN: return CheckRegionData(r, 40, LoadU32(p + 24));
    case EMR_INVERTRGN: case EMR_PAINTRGN: return CheckRegionData(r, 28, LoadU32(p + 24));
    case EMR_EXTSELECTCLIPRGN: return CheckRegionData(r, 16, LoadU32(p + 8));
    case EMR_GRADIENTFILL: return CheckGradientFill(r);
    case EMR_COMMENT: return r.Has(12, LoadU32(p + 8));
    case EMR_EOF: {
        uint32_t n = LoadU32(p + 8);
        return n == 0 || (HasArray(r, LoadU32(p + 12), n, 4) &&
                          uint64_t(LoadU32(p + 12)) + uint64_t(n) * 4 <= size - 4);
    }
    default: return true;
    }
}

std::optional<EmrHeader> ParseHeader(RecordView r) {
    if (r.Type() != EMR_HEADER || r.Size() < kHeaderBaseSize) return std::nullopt;
    const uint8_t* p = r.Bytes().data();
    EmrHeader h;
    h.bounds = *r.RectAt(8);
    h.frame = *r.RectAt(24);
    h.signature = LoadU32(p + 40);
    h.version = LoadU32(p + 44);
    h.bytes = LoadU32(p + 48);
    h.records = LoadU32(p + 52);
    h.handles = LoadU16(p + 56);
    h.reserved = LoadU16(p + 58);
    h.descriptionChars = LoadU32(p + 60);
    h.descriptionOffset = LoadU32(p + 64);
    h.paletteEntries = LoadU32(p + 68);
    h.device = *r.SizeAt(72);
    h.millimeters = *r.SizeAt(80);
    const uint64_t size = r.Size();
    const bool hasDescription =
        h.descriptionChars != 0 && HasArray(r, h.descriptionOffset, h.descriptionChars, 2);
    // An extension exists only when nothing else starts inside it.
    h.hasPixelFormat = size >= 100 && (!hasDescription || h.descriptionOffset >= 100);
    if (h.hasPixelFormat) {
        h.pixelFormatSize = LoadU32(p + 88);
        h.pixelFormatOffset = LoadU32(p + 92);
        h.openGL = LoadU32(p + 96);
        const bool hasPixelFormat = h.pixelFormatSize != 0 && r.Has(h.pixelFormatOffset, h.pixelFormatSize);
        h.hasMicrometers = size >= 108 && (!hasDescription || h.descriptionOffset >= 108) &&
                           (!hasPixelFormat || h.pixelFormatOffset >= 108);
        if (h.hasMicrometers) h.micrometers = *r.SizeAt(100);
    }
    if (hasDescription) {
        h.description.resize(h.descriptionChars);
        for (uint32_t i = 0; i < h.descriptionChars; ++i)
            h.description[i] = char16_t(LoadU16(p + h.descriptionOffset + 2 * i));
    }
    return h;
}

std::optional<EmrPoly> ParsePoly(RecordView r) {
    if (!CheckRecordLayout(r)) return std::nullopt;
    uint32_t type = r.Type();
    bool shortPoints = Is16Bit(type);
    if (!((type >= EMR_POLYBEZIER && type <= EMR_POLYLINETO) ||
          (type >= EMR_POLYBEZIER16 && type <= EMR_POLYLINETO16)))
        return std::nullopt;
    if (r.Size() < 28) return std::nullopt;
    uint32_t n = *r.U32(24);
    if (!HasArray(r, 28, n, shortPoints ? 4 : 8)) return std::nullopt;
    EmrPoly poly;
    poly.bounds = *r.RectAt(8);
    poly.points.resize(n);
    const uint8_t* p = r.Bytes().data() + 28;
    for (uint32_t i = 0; i < n; ++i) {
        if (shortPoints)
            poly.points[i] = {int16_t(LoadU16(p + 4 * i)), int16_t(LoadU16(p + 4 * i + 2))};
        else
            poly.points[i] = {LoadI32(p + 8 * i), LoadI32(p + 8 * i + 4)};
    }
    return poly;
}

std::optional<EmrPolyPoly> ParsePolyPoly(RecordView r) {
    if (!CheckRecordLayout(r)) return std::nullopt;
    uint32_t type = r.Type();
    bool shortPoints = type == EMR_POLYPOLYLINE16 || type == EMR_POLYPOLYGON16;
    if (!shortPoints && type != EMR_POLYPOLYLINE && type != EMR_POLYPOLYGON) return std::nullopt;
    if (r.Size() < 32 || !CheckPolyPoly(r, shortPoints ? 4 : 8)) return std::nullopt;
    const uint8_t* p = r.Bytes().data();
    uint32_t polys = LoadU32(p + 24);
    uint32_t n = LoadU32(p + 28);
    EmrPolyPoly pp;
    pp.bounds = *r.RectAt(8);
    pp.counts.resize(polys);
    for (uint32_t i = 0; i < polys; ++i) pp.counts[i] = LoadU32(p + 32 + 4 * i);
    const uint8_t* q = p + 32 + 4 * uint64_t(polys);
    pp.points.resize(n);
    for (uint32_t i = 0; i < n; ++i) {
        if (shortPoints)
            pp.points[i] = {int16_t(LoadU16(q + 4 * i)), int16_t(LoadU16(q + 4 * i + 2))};
        else
            pp.points[i] = {LoadI32(q + 8 * i), LoadI32(q + 8 * i + 4)};
    }
    return pp;
}

std::optional<EmrPolyDraw> ParsePolyDraw(RecordView r) {
    if (!CheckRecordLayout(r)) return std::nullopt;
    uint32_t type = r.Type();
    if (type != EMR_POLYDRAW && type != EMR_POLYDRAW16) return std::nullopt;
    bool shortPoints = type == EMR_POLYDRAW16;
    uint32_t pointSize = shortPoints ? 4 : 8;
    if (r.Size() < 28) return std::nullopt;
    uint32_t n = *r.U32(24);
    if (!HasArray(r, 28, n, pointSize + 1)) return std::nullopt;
    EmrPolyDraw pd;
    pd.bounds = *r.RectAt(8);
    pd.points.resize(n);
    const uint8_t* p = r.Bytes().data() + 28;
    for (uint32_t i = 0; i < n; ++i) {
        if (shortPoints)
            pd.points[i] = {int16_t(LoadU16(p + 4 * i)), int16_t(LoadU16(p + 4 * i + 2))};
        else
            pd.points[i] = {LoadI32(p + 8 * i), LoadI32(p + 8 * i + 4)};
    }
    const uint8_t* t = p + uint64_t(n) * pointSize;
    pd.types.assign(t, t + n);
    return pd;
}

std::optional<uint32_t> ParseValue(RecordView r) { return CheckRecordLayout(r) ? r.U32(8) : std::nullopt; }
std::optional<PointL> ParsePoint(RecordView r) { return CheckRecordLayout(r) ? r.PointAt(8) : std::nullopt; }
std::optional<SizeL> ParseSize(RecordView r) { return CheckRecordLayout(r) ? r.SizeAt(8) : std::nullopt; }
std::optional<RectL> ParseRect(RecordView r) { return CheckRecordLayout(r) ? r.RectAt(8) : std::nullopt; }

std::optional<EmrRoundRect> ParseRoundRect(RecordView r) {
    if (!CheckRecordLayout(r)) return std::nullopt;
    if (r.Size() < 32) return std::nullopt;
    return EmrRoundRect{*r.RectAt(8), *r.SizeAt(24)};
}

std::optional<EmrArc> ParseArc(RecordView r) {
    if (!CheckRecordLayout(r)) return std::nullopt;
    if (r.Size() < 40) return std::nullopt;
    return EmrArc{*r.RectAt(8), *r.PointAt(24), *r.PointAt(32)};
}

std::optional<EmrAngleArc> ParseAngleArc(RecordView r) {
    if (!CheckRecordLayout(r)) return std::nullopt;
    if (r.Size() < 28) return std::nullopt;
    return EmrAngleArc{*r.PointAt(8), *r.U32(16), *r.F32(20), *r.F32(24)};
}

std::optional<EmrSetPixel> ParseSetPixel(RecordView r) {
    if (!CheckRecordLayout(r)) return std::nullopt;
    if (r.Size() < 20) return std::nullopt;
    return EmrSetPixel{*r.PointAt(8), *r.U32(16)};
}

std::optional<EmrExtFloodFill> ParseExtFloodFill(RecordView r) {
    if (!CheckRecordLayout(r)) return std::nullopt;
    if (r.Size() < 24) return std::nullopt;
    return EmrExtFloodFill{*r.PointAt(8), *r.U32(16), *r.U32(20)};
}

std::optional<EmrScaleExtent> ParseScaleExtent(RecordView r) {
    if (!CheckRecordLayout(r)) return std::nullopt;
    if (r.Size() < 24) return std::nullopt;
    return EmrScaleExtent{*r.I32(8), *r.I32(12), *r.I32(16), *r.I32(20)};
}

std::optional<EmrWorldTransform> ParseWorldTransform(RecordView r) {
    if (!CheckRecordLayout(r)) return std::nullopt;
    if (r.Type() == EMR_SETWORLDTRANSFORM && r.Size() >= 32)
        return EmrWorldTransform{*r.XFormAt(8), MWT_SET};
    if (r.Type() == EMR_MODIFYWORLDTRANSFORM && r.Size() >= 36)
        return EmrWorldTransform{*r.XFormAt(8), *r.U32(32)};
    return std::nullopt;
}

std::optional<EmrCreatePen> ParseCreatePen(RecordView r) {
    if (!CheckRecordLayout(r)) return std::nullopt;
    if (r.Size() < 28) return std::nullopt;
    return EmrCreatePen{*r.U32(8), *r.U32(12), *r.PointAt(16), *r.U32(24)};
}

std::optional<EmrExtCreatePen> ParseExtCreatePen(RecordView r) {
    if (r.Type() != EMR_EXTCREATEPEN || !CheckRecordLayout(r)) return std::nullopt;
    const uint8_t* p = r.Bytes().data();
    EmrExtCreatePen pen;
    pen.handle = LoadU32(p + 8);
    pen.bmi = Part(r, 12, 16);
    pen.bits = Part(r, 20, 24);
    pen.style = LoadU32(p + 28);
    pen.width = LoadU32(p + 32);
    pen.brushStyle = LoadU32(p + 36);
    pen.color = LoadU32(p + 40);
    pen.hatch = LoadU32(p + 44);
    uint32_t n = LoadU32(p + 48);
    pen.styleEntries.resize(n);
    for (uint32_t i = 0; i < n; ++i) pen.styleEntries[i] = LoadU32(p + 52 + 4 * i);
    return pen;
}

std::optional<EmrCreateBrush> ParseCreateBrush(RecordView r) {
    if (!CheckRecordLayout(r)) return std::nullopt;
    if (r.Size() < 24) return std::nullopt;
    return EmrCreateBrush{*r.U32(8), *r.U32(12), *r.U32(16), *r.U32(20)};
}

std::optional<EmrCreateDibBrush> ParseCreateDibBrush(RecordView r) {
    if (!CheckRecordLayout(r)) return std::nullopt;
    if (r.Size() < 32 || !HasPart(r, 16, 20) || !HasPart(r, 24, 28)) return std::nullopt;
    return EmrCreateDibBrush{*r.U32(8), *r.U32(12), Part(r, 16, 20), Part(r, 24, 28)};
}

std::optional<EmrCreateFont> ParseCreateFont(RecordView r) {
    if (!CheckRecordLayout(r)) return std::nullopt;
    if (r.Size() < 12 + kLogFontWSize) return std::nullopt;
    const uint8_t* p = r.Bytes().data();
    EmrCreateFont f;
    f.handle = LoadU32(p + 8);
    const uint8_t* lf = p + 12;
    LogFontW& font = f.font;
    font.height = LoadI32(lf);
    font.width = LoadI32(lf + 4);
    font.escapement = LoadI32(lf + 8);
    font.orientation = LoadI32(lf + 12);
    font.weight = LoadI32(lf + 16);
    font.italic = lf[20];
    font.underline = lf[21];
    font.strikeOut = lf[22];
    font.charSet = lf[23];
    font.outPrecision = lf[24];
    font.clipPrecision = lf[25];
    font.quality = lf[26];
    font.pitchAndFamily = lf[27];
    for (int i = 0; i < 32; ++i) {
        char16_t c = char16_t(LoadU16(lf + 28 + 2 * i));
        if (c == 0) break;
        font.faceName.push_back(c);
    }
    return f;
}

std::optional<EmrCreatePalette> ParseCreatePalette(RecordView r) {
    if (!CheckRecordLayout(r)) return std::nullopt;
    if (r.Size() < 16) return std::nullopt;
    const uint8_t* p = r.Bytes().data();
    uint16_t n = LoadU16(p + 14);
    if (!HasArray(r, 16, n, 4)) return std::nullopt;
    EmrCreatePalette pal{LoadU32(p + 8), LoadU16(p + 12), {}};
    pal.entries.resize(n);
    for (uint32_t i = 0; i < n; ++i) pal.entries[i] = LoadU32(p + 16 + 4 * i);
    return pal;
}

std::optional<EmrSetPaletteEntries> ParseSetPaletteEntries(RecordView r) {
    if (!CheckRecordLayout(r)) return std::nullopt;
    if (r.Size() < 20) return std::nullopt;
    const uint8_t* p = r.Bytes().data();
    uint32_t n = LoadU32(p + 16);
    if (!HasArray(r, 20, n, 4)) return std::nullopt;
    EmrSetPaletteEntries pal{LoadU32(p + 8), LoadU32(p + 12), {}};
    pal.entries.resize(n);
    for (uint32_t i = 0; i < n; ++i) pal.entries[i] = LoadU32(p + 20 + 4 * i);
    return pal;
}

std::optional<EmrResizePalette> ParseResizePalette(RecordView r) {
    if (!CheckRecordLayout(r)) return std::nullopt;
    if (r.Size() < 16) return std::nullopt;
    return EmrResizePalette{*r.U32(8), *r.U32(12)};
}

std::optional<EmrExtTextOut> ParseExtTextOut(RecordView r) {
    if (!CheckRecordLayout(r)) return std::nullopt;
    uint32_t type = r.Type();
    if ((type != EMR_EXTTEXTOUTA && type != EMR_EXTTEXTOUTW) || r.Size() < 76) return std::nullopt;
    EmrExtTextOut t;
    t.isWide = type == EMR_EXTTEXTOUTW;
    t.bounds = *r.RectAt(8);
    t.graphicsMode = *r.U32(24);
    t.exScale = *r.F32(28);
    t.eyScale = *r.F32(32);
    auto text = ReadText(r, 36, t.isWide);
    if (!text) return std::nullopt;
    t.text = std::move(*text);
    return t;
}

std::optional<EmrTextString> ParseExtTextOutString(RecordView r) {
    const uint32_t type = r.Type();
    if ((type != EMR_EXTTEXTOUTA && type != EMR_EXTTEXTOUTW) || !CheckRecordLayout(r)) return std::nullopt;
    const uint8_t* p = r.Bytes().data();
    EmrTextString t;
    t.isWide = type == EMR_EXTTEXTOUTW;
    t.bounds = *r.RectAt(8);
    t.reference = *r.PointAt(36);
    t.chars = LoadU32(p + 44);
    t.options = LoadU32(p + 52);
    if (t.chars != 0) t.bytes = r.Bytes().subspan(LoadU32(p + 48), size_t(t.chars) * (t.isWide ? 2 : 1));
    return t;
}

std::optional<EmrPolyTextOut> ParsePolyTextOut(RecordView r) {
    if (!CheckRecordLayout(r)) return std::nullopt;
    uint32_t type = r.Type();
    if ((type != EMR_POLYTEXTOUTA && type != EMR_POLYTEXTOUTW) || r.Size() < 40)
        return std::nullopt;
    uint32_t n = *r.U32(36);
    if (!HasArray(r, 40, n, 40)) return std::nullopt;
    EmrPolyTextOut t;
    t.isWide = type == EMR_POLYTEXTOUTW;
    t.bounds = *r.RectAt(8);
    t.graphicsMode = *r.U32(24);
    t.exScale = *r.F32(28);
    t.eyScale = *r.F32(32);
    t.texts.reserve(n);
    for (uint32_t i = 0; i < n; ++i) {
        auto text = ReadText(r, 40 + uint64_t(i) * 40, t.isWide);
        if (!text) return std::nullopt;
        t.texts.push_back(std::move(*text));
    }
    return t;
}

std::optional<EmrSmallTextOut> ParseSmallTextOut(RecordView r) {
    if (r.Type() != EMR_SMALLTEXTOUT || !CheckRecordLayout(r)) return std::nullopt;
    const uint8_t* p = r.Bytes().data();
    EmrSmallTextOut t;
    t.reference = *r.PointAt(8);
    uint32_t chars = LoadU32(p + 16);
    t.options = LoadU32(p + 20);
    t.graphicsMode = LoadU32(p + 24);
    t.exScale = LoadF32(p + 28);
    t.eyScale = LoadF32(p + 32);
    uint64_t text = 36;
    if (!(t.options & ETO_NO_RECT)) {
        t.clip = *r.RectAt(36);
        text = 52;
    }
    t.text.resize(chars);
    for (uint32_t i = 0; i < chars; ++i)
        t.text[i] = (t.options & ETO_SMALL_CHARS) ? char16_t(p[text + i])
                                                  : char16_t(LoadU16(p + text + 2 * i));
    return t;
}

std::optional<EmrBitmap> ParseBitmap(RecordView r) {
    uint32_t type = r.Type();
    bool known = (type >= EMR_BITBLT && type <= EMR_STRETCHDIBITS) || type == EMR_ALPHABLEND ||
                 type == EMR_TRANSPARENTBLT;
    if (!known || !CheckRecordLayout(r)) return std::nullopt;
    const uint8_t* p = r.Bytes().data();
    auto i32 = [p](int off) { return LoadI32(p + off); };
    auto u32 = [p](int off) { return LoadU32(p + off); };
    EmrBitmap b;
    b.bounds = *r.RectAt(8);
    switch (type) {
    case EMR_BITBLT: case EMR_STRETCHBLT: case EMR_MASKBLT: case EMR_ALPHABLEND:
    case EMR_TRANSPARENTBLT:
        b.xDest = i32(24), b.yDest = i32(28), b.cxDest = i32(32), b.cyDest = i32(36);
        b.rop = u32(40);
        b.xSrc = i32(44), b.ySrc = i32(48);
        b.xformSrc = *r.XFormAt(52);
        b.bkColorSrc = u32(76);
        b.usageSrc = u32(80);
        b.bmiSrc = Part(r, 84, 88);
        b.bitsSrc = Part(r, 92, 96);
        if (type == EMR_BITBLT || type == EMR_MASKBLT) {
            b.cxSrc = b.cxDest, b.cySrc = b.cyDest;
        } else {
            b.cxSrc = i32(100), b.cySrc = i32(104);
        }
        if (type == EMR_MASKBLT) {
            b.xMask = i32(100), b.yMask = i32(104), b.usageMask = u32(108);
            b.bmiMask = Part(r, 112, 116);
            b.bitsMask = Part(r, 120, 124);
        }
        break;
    case EMR_PLGBLT:
        for (int i = 0; i < 3; ++i) b.parallelogram[i] = *r.PointAt(24 + 8 * i);
        b.xSrc = i32(48), b.ySrc = i32(52), b.cxSrc = i32(56), b.cySrc = i32(60);
        b.xformSrc = *r.XFormAt(64);
        b.bkColorSrc = u32(88);
        b.usageSrc = u32(92);
        b.bmiSrc = Part(r, 96, 100);
        b.bitsSrc = Part(r, 104, 108);
        b.xMask = i32(112), b.yMask = i32(116), b.usageMask = u32(120);
        b.bmiMask = Part(r, 124, 128);
        b.bitsMask = Part(r, 132, 136);
        break;
    case EMR_SETDIBITSTODEVICE: case EMR_STRETCHDIBITS:
        b.xDest = i32(24), b.yDest = i32(28);
        b.xSrc = i32(32), b.ySrc = i32(36), b.cxSrc = i32(40), b.cySrc = i32(44);
        b.bmiSrc = Part(r, 48, 52);
        b.bitsSrc = Part(r, 56, 60);
        b.usageSrc = u32(64);
        if (type == EMR_SETDIBITSTODEVICE) {
            b.startScan = u32(68), b.scans = u32(72);
            b.cxDest = b.cxSrc, b.cyDest = b.cySrc;
            b.rop = SRCCOPY;
        } else {
            b.rop = u32(68);
            b.cxDest = i32(72), b.cyDest = i32(76);
        }
        break;
    default: break;
    }
    return b;
}

std::optional<EmrRegion> ParseRegion(RecordView r) {
    uint32_t type = r.Type();
    if (type < EMR_FILLRGN || type > EMR_EXTSELECTCLIPRGN || !CheckRecordLayout(r))
        return std::nullopt;
    const uint8_t* p = r.Bytes().data();
    EmrRegion g;
    uint32_t dataSize = 0;
    uint64_t data = 0;
    switch (type) {
    case EMR_FILLRGN:
        g.bounds = *r.RectAt(8), dataSize = LoadU32(p + 24), g.brush = LoadU32(p + 28), data = 32;
        break;
    case EMR_FRAMERGN:
        g.bounds = *r.RectAt(8), dataSize = LoadU32(p + 24), g.brush = LoadU32(p + 28);
        g.stroke = *r.SizeAt(32), data = 40;
        break;
    case EMR_INVERTRGN: case EMR_PAINTRGN:
        g.bounds = *r.RectAt(8), dataSize = LoadU32(p + 24), data = 28;
        break;
    default:  // EMR_EXTSELECTCLIPRGN
        dataSize = LoadU32(p + 8), g.mode = LoadU32(p + 12), data = 16;
        break;
    }
    if (dataSize == 0) return g;
    g.hasRegion = true;
    g.region.bound = *r.RectAt(data + 16);
    uint32_t n = LoadU32(p + data + 8);
    g.region.rects.resize(n);
    for (uint32_t i = 0; i < n; ++i) g.region.rects[i] = *r.RectAt(data + 32 + 16 * uint64_t(i));
    return g;
}

std::optional<EmrGradientFill> ParseGradientFill(RecordView r) {
    if (r.Type() != EMR_GRADIENTFILL || !CheckRecordLayout(r)) return std::nullopt;
    const uint8_t* p = r.Bytes().data();
    EmrGradientFill g;
    g.bounds = *r.RectAt(8);
    const uint32_t vertices = LoadU32(p + 24), entries = LoadU32(p + 28);
    g.mode = LoadU32(p + 32);
    g.vertices.resize(vertices);
    for (uint32_t i = 0; i < vertices; ++i) {
        const uint8_t* v = p + 36 + 16 * uint64_t(i);
        g.vertices[i] = {{LoadI32(v), LoadI32(v + 4)}, LoadU16(v + 8), LoadU16(v + 10), LoadU16(v + 12), LoadU16(v + 14)};
    }
    const uint8_t* e = p + 36 + 16 * uint64_t(vertices);
    g.indexes.resize(size_t(entries) * g.IndexesPerEntry());
    for (size_t k = 0; k < g.indexes.size(); ++k) g.indexes[k] = LoadU32(e + 4 * k);
    return g;
}

std::optional<EmrComment> ParseComment(RecordView r) {
    if (r.Type() != EMR_COMMENT || !CheckRecordLayout(r)) return std::nullopt;
    EmrComment c;
    c.data = *r.Slice(12, *r.U32(8));
    if (c.data.size() >= 4) c.identifier = LoadU32(c.data.data());
    if (c.data.size() < 4) {
        c.kind = CommentKind::Other;
    } else if (c.identifier == kCommentEmfPlus) {
        c.kind = CommentKind::EmfPlus;
    } else if (c.identifier == kCommentPublic) {
        c.kind = CommentKind::Public;
        if (c.data.size() >= 8) c.publicType = LoadU32(c.data.data() + 4);
    } else if (c.identifier == kCommentSpool) {
        c.kind = CommentKind::Spool;
    }
    return c;
}

std::optional<EmrEof> ParseEof(RecordView r) {
    if (r.Type() != EMR_EOF || !CheckRecordLayout(r)) return std::nullopt;
    const uint8_t* p = r.Bytes().data();
    EmrEof e;
    uint32_t n = LoadU32(p + 8);
    uint32_t off = LoadU32(p + 12);
    e.palette.resize(n);
    for (uint32_t i = 0; i < n; ++i) e.palette[i] = LoadU32(p + off + 4 * i);
    e.sizeLast = LoadU32(p + r.Size() - 4);
    return e;
}

bool HasDrawingBounds(uint32_t type) {
    switch (type) {
    case EMR_POLYBEZIER: case EMR_POLYGON: case EMR_POLYLINE: case EMR_POLYBEZIERTO: case EMR_POLYLINETO:
    case EMR_POLYPOLYLINE: case EMR_POLYPOLYGON:
    case EMR_SETPIXELV:
    case EMR_ANGLEARC: case EMR_ELLIPSE: case EMR_RECTANGLE: case EMR_ROUNDRECT: case EMR_ARC: case EMR_CHORD:
    case EMR_PIE:
    case EMR_EXTFLOODFILL: case EMR_ARCTO: case EMR_POLYDRAW:
    case EMR_FILLRGN: case EMR_FRAMERGN: case EMR_INVERTRGN: case EMR_PAINTRGN:
    case EMR_MASKBLT: case EMR_PLGBLT: case EMR_STRETCHDIBITS:
    case EMR_EXTTEXTOUTA: case EMR_EXTTEXTOUTW:
    case EMR_POLYBEZIER16: case EMR_POLYGON16: case EMR_POLYLINE16: case EMR_POLYBEZIERTO16: case EMR_POLYLINETO16:
    case EMR_POLYPOLYLINE16: case EMR_POLYPOLYGON16: case EMR_POLYDRAW16:
    case EMR_POLYTEXTOUTA: case EMR_POLYTEXTOUTW:
        return true;
    default:
        return false;
    }
}

std::optional<RectL> ParseDrawingBounds(RecordView r) { return r.Size() >= 24 ? r.RectAt(8) : std::nullopt; }

Rect64 GrowByPen(const RectL& bounds, double penWidth) {
    // Pen widths come from 32-bit fields; anything else is no pen at all.
    const double width = penWidth >= 0 && penWidth <= 4294967295.0 ? penWidth : 0;
    const int64_t grow = int64_t(width) / 2 + 4;
    return {bounds.left - grow, bounds.top - grow, bounds.right + grow, bounds.bottom + grow};
}

}  // namespace tessaly::emf

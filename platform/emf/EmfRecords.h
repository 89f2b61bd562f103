#pragma once
// Field layouts of the records that the recorder writes and the player draws. Each Parse function
// takes a whole record (RecordView) and returns its fields, or std::nullopt when the record is too
// short or an offset or count inside it points outside the record: exactly when CheckRecordLayout
// refuses it, so that playing, searching and exporting leave out the same records. Arrays are
// copied out (their size is bounded by the record's own size); bitmap bits and comment data stay
// views into the record. Offsets below are from the start of the record (the type field).
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "platform/emf/EmfTypes.h"

namespace tessaly::emf {

// True when the record's fixed part fits and every offset and count inside it stays inside the
// record; a record that fails is damaged, and whatever uses it leaves it out. Record types without
// a layout here pass when they are at least 8 bytes long. Allocates nothing.
bool CheckRecordLayout(RecordView r);

// Walks the record chain of an image of `size` bytes: every record at least 8 bytes, a multiple
// of 4 and inside the image, no header after the first record, the last one EMR_EOF with its fixed
// part. Gives the number of records, or std::nullopt at the first fault. The fields inside the
// records are not looked at here (CheckRecordLayout).
std::optional<uint32_t> CheckRecordChain(const uint8_t* image, size_t size);

// EMR_HEADER. The two extensions are present only when the record is long enough and the
// description (and pixel format) do not start inside them. A description or pixel format that
// does not fit in the record is ignored (the description is only a label): then `description` is
// empty while the two description fields keep what was written.
struct EmrHeader {
    RectL bounds;  // device units, inclusive; (0, 0, -1, -1) when nothing was drawn
    RectL frame;   // hundredths of a millimetre, inclusive
    uint32_t signature = 0;
    uint32_t version = 0;
    uint32_t bytes = 0;    // total size of the image
    uint32_t records = 0;  // record count as written
    uint16_t handles = 0;  // handle-table size, slot 0 included
    uint16_t reserved = 0;
    uint32_t descriptionChars = 0;
    uint32_t descriptionOffset = 0;
    uint32_t paletteEntries = 0;
    SizeL device;       // reference device in pixels
    SizeL millimeters;  // reference device in millimetres
    bool hasPixelFormat = false;  // first extension (bytes 88..99)
    uint32_t pixelFormatSize = 0;
    uint32_t pixelFormatOffset = 0;
    uint32_t openGL = 0;
    bool hasMicrometers = false;  // second extension (bytes 100..107)
    SizeL micrometers;
    std::u16string description;
};
constexpr uint32_t kHeaderBaseSize = 88;
constexpr uint32_t kHeaderSize = 108;  // with both extensions, as the recorder writes it
std::optional<EmrHeader> ParseHeader(RecordView r);

// EMR_POLYBEZIER, _POLYGON, _POLYLINE, _POLYBEZIERTO, _POLYLINETO (bounds@8, count@24, points@28)
// and their 16-bit forms 85..89 (points of two 16-bit values, widened here).
struct EmrPoly {
    RectL bounds;
    std::vector<PointL> points;
};
std::optional<EmrPoly> ParsePoly(RecordView r);

// EMR_POLYPOLYLINE, _POLYPOLYGON and the 16-bit forms 90, 91 (bounds@8, polygon count@24,
// point count@28, counts@32, then the points). The counts add up to points.size().
struct EmrPolyPoly {
    RectL bounds;
    std::vector<uint32_t> counts;
    std::vector<PointL> points;
};
std::optional<EmrPolyPoly> ParsePolyPoly(RecordView r);

// EMR_POLYDRAW and EMR_POLYDRAW16 (bounds@8, count@24, points@28, then one type byte per point).
struct EmrPolyDraw {
    RectL bounds;
    std::vector<PointL> points;
    std::vector<uint8_t> types;
};
std::optional<EmrPolyDraw> ParsePolyDraw(RecordView r);

// One 32-bit value at offset 8: SETMAPMODE, SETBKMODE, SETPOLYFILLMODE, SETROP2,
// SETSTRETCHBLTMODE, SETTEXTALIGN, SETTEXTCOLOR, SETBKCOLOR, SETMAPPERFLAGS, RESTOREDC (signed),
// SELECTOBJECT, DELETEOBJECT, SELECTPALETTE, SELECTCLIPPATH,
// SETARCDIRECTION, SETMITERLIMIT, SETICMMODE, SETLAYOUT.
std::optional<uint32_t> ParseValue(RecordView r);
// A point at offset 8: MOVETOEX, LINETO, SETWINDOWORGEX, SETVIEWPORTORGEX, SETBRUSHORGEX,
// OFFSETCLIPRGN.
std::optional<PointL> ParsePoint(RecordView r);
// A size at offset 8: SETWINDOWEXTEX, SETVIEWPORTEXTEX.
std::optional<SizeL> ParseSize(RecordView r);
// A rectangle at offset 8: ELLIPSE and RECTANGLE (box), EXCLUDECLIPRECT and INTERSECTCLIPRECT
// (clip), FILLPATH, STROKEPATH and STROKEANDFILLPATH (bounds).
std::optional<RectL> ParseRect(RecordView r);

struct EmrRoundRect {
    RectL box;
    SizeL corner;
};
std::optional<EmrRoundRect> ParseRoundRect(RecordView r);

// EMR_ARC, _CHORD, _PIE, _ARCTO.
struct EmrArc {
    RectL box;
    PointL start, end;
};
std::optional<EmrArc> ParseArc(RecordView r);

struct EmrAngleArc {
    PointL center;
    uint32_t radius = 0;
    float startAngle = 0, sweepAngle = 0;  // degrees
};
std::optional<EmrAngleArc> ParseAngleArc(RecordView r);

struct EmrSetPixel {
    PointL point;
    ColorRef color = 0;
};
std::optional<EmrSetPixel> ParseSetPixel(RecordView r);

struct EmrExtFloodFill {
    PointL start;
    ColorRef color = 0;
    uint32_t mode = 0;
};
std::optional<EmrExtFloodFill> ParseExtFloodFill(RecordView r);

// EMR_SCALEVIEWPORTEXTEX, EMR_SCALEWINDOWEXTEX.
struct EmrScaleExtent {
    int32_t xNum = 0, xDenom = 0, yNum = 0, yDenom = 0;
};
std::optional<EmrScaleExtent> ParseScaleExtent(RecordView r);

// EMR_SETWORLDTRANSFORM (mode is MWT_SET) and EMR_MODIFYWORLDTRANSFORM.
struct EmrWorldTransform {
    XForm xform;
    uint32_t mode = MWT_SET;
};
std::optional<EmrWorldTransform> ParseWorldTransform(RecordView r);

// ---- objects ----

struct EmrCreatePen {
    uint32_t handle = 0;
    uint32_t style = 0;
    PointL width;  // only x counts
    ColorRef color = 0;
};
std::optional<EmrCreatePen> ParseCreatePen(RecordView r);

struct EmrExtCreatePen {
    uint32_t handle = 0;
    uint32_t style = 0;
    uint32_t width = 0;
    uint32_t brushStyle = 0;
    ColorRef color = 0;
    uint32_t hatch = 0;
    std::vector<uint32_t> styleEntries;  // PS_USERSTYLE dash lengths
    std::span<const uint8_t> bmi, bits;  // pattern bitmap of DIB pattern pens, else empty
};
std::optional<EmrExtCreatePen> ParseExtCreatePen(RecordView r);

struct EmrCreateBrush {
    uint32_t handle = 0;
    uint32_t style = 0;
    ColorRef color = 0;
    uint32_t hatch = 0;
};
std::optional<EmrCreateBrush> ParseCreateBrush(RecordView r);

// EMR_CREATEMONOBRUSH and EMR_CREATEDIBPATTERNBRUSHPT.
struct EmrCreateDibBrush {
    uint32_t handle = 0;
    uint32_t usage = 0;
    std::span<const uint8_t> bmi, bits;
};
std::optional<EmrCreateDibBrush> ParseCreateDibBrush(RecordView r);

// The 92-byte LOGFONTW at the start of EMR_EXTCREATEFONTINDIRECTW's font data.
struct LogFontW {
    int32_t height = 0, width = 0, escapement = 0, orientation = 0, weight = 0;
    uint8_t italic = 0, underline = 0, strikeOut = 0, charSet = 0;
    uint8_t outPrecision = 0, clipPrecision = 0, quality = 0, pitchAndFamily = 0;
    std::u16string faceName;  // up to the first zero, at most 32 units
};
constexpr uint32_t kLogFontWSize = 92;
struct EmrCreateFont {
    uint32_t handle = 0;
    LogFontW font;
};
std::optional<EmrCreateFont> ParseCreateFont(RecordView r);

struct EmrCreatePalette {
    uint32_t handle = 0;
    uint16_t version = 0;
    std::vector<uint32_t> entries;  // PALETTEENTRY: red, green, blue, flags bytes
};
std::optional<EmrCreatePalette> ParseCreatePalette(RecordView r);

struct EmrSetPaletteEntries {
    uint32_t handle = 0;
    uint32_t start = 0;
    std::vector<uint32_t> entries;
};
std::optional<EmrSetPaletteEntries> ParseSetPaletteEntries(RecordView r);

struct EmrResizePalette {
    uint32_t handle = 0;
    uint32_t entries = 0;
};
std::optional<EmrResizePalette> ParseResizePalette(RecordView r);

// ---- text ----

// The 40-byte EMRTEXT block (offsets inside it are from the start of the record).
struct EmrText {
    PointL reference;
    uint32_t chars = 0;
    uint32_t options = 0;  // ETO_*
    RectL clip;
    std::u16string wide;  // the string of a W record: UTF-16 units, or glyph numbers with ETO_GLYPH_INDEX
    std::string ansi;     // the string of an A record: bytes in the font's code page
    std::vector<int32_t> dx;  // advances: chars values, 2 × chars with ETO_PDY; empty when absent
};
// EMR_EXTTEXTOUTA and _W: bounds@8, graphics mode@24, scales@28, EMRTEXT@36 (reference@36,
// count@44, string offset@48, options@52, clip@56, advances offset@72).
struct EmrExtTextOut {
    bool isWide = false;
    RectL bounds;
    uint32_t graphicsMode = 0;
    float exScale = 0, eyScale = 0;
    EmrText text;
};
std::optional<EmrExtTextOut> ParseExtTextOut(RecordView r);

// The string of an EXTTEXTOUTA or _W record where it lies in the record, without copying it (for
// reading the text of many records): refused exactly when ParseExtTextOut refuses the record.
struct EmrTextString {
    bool isWide = false;
    RectL bounds;
    PointL reference;
    uint32_t options = 0;
    uint32_t chars = 0;
    std::span<const uint8_t> bytes;  // chars bytes, or 2 x chars (UTF-16 units) in a wide record
};
std::optional<EmrTextString> ParseExtTextOutString(RecordView r);

// EMR_POLYTEXTOUTA and _W: bounds@8, graphics mode@24, scales@28, count@36, EMRTEXTs@40.
struct EmrPolyTextOut {
    bool isWide = false;
    RectL bounds;
    uint32_t graphicsMode = 0;
    float exScale = 0, eyScale = 0;
    std::vector<EmrText> texts;
};
std::optional<EmrPolyTextOut> ParsePolyTextOut(RecordView r);

// EMR_SMALLTEXTOUT: reference@8, count@16, options@20, graphics mode@24, scales@28, then the clip
// rectangle unless ETO_NO_RECT, then the string (8-bit with ETO_SMALL_CHARS, else 16-bit).
struct EmrSmallTextOut {
    PointL reference;
    uint32_t options = 0;
    uint32_t graphicsMode = 0;
    float exScale = 0, eyScale = 0;
    RectL clip;
    std::u16string text;  // 8-bit characters widened
};
std::optional<EmrSmallTextOut> ParseSmallTextOut(RecordView r);

// ---- bitmaps ----

// EMR_BITBLT, _STRETCHBLT, _MASKBLT, _PLGBLT, _SETDIBITSTODEVICE, _STRETCHDIBITS, _ALPHABLEND,
// _TRANSPARENTBLT in one shape. Fields a record type lacks stay zero; BITBLT's source size is its
// destination size. The bitmap parts are views into the record, empty when their size is 0.
struct EmrBitmap {
    RectL bounds;
    int32_t xDest = 0, yDest = 0, cxDest = 0, cyDest = 0;
    PointL parallelogram[3];  // PLGBLT's destination corners
    uint32_t rop = 0;  // raster operation; ALPHABLEND: blend function; TRANSPARENTBLT: colour
    int32_t xSrc = 0, ySrc = 0, cxSrc = 0, cySrc = 0;
    XForm xformSrc;
    ColorRef bkColorSrc = 0;
    uint32_t usageSrc = 0;
    std::span<const uint8_t> bmiSrc, bitsSrc;
    int32_t xMask = 0, yMask = 0;
    uint32_t usageMask = 0;
    std::span<const uint8_t> bmiMask, bitsMask;
    uint32_t startScan = 0, scans = 0;  // SETDIBITSTODEVICE
};
std::optional<EmrBitmap> ParseBitmap(RecordView r);

// ---- clipping and regions ----

struct RegionData {
    RectL bound;
    std::vector<RectL> rects;
};
// EMR_FILLRGN (bounds, brush), EMR_FRAMERGN (bounds, brush, stroke), EMR_INVERTRGN and
// EMR_PAINTRGN (bounds), EMR_EXTSELECTCLIPRGN (mode; no region when its size is 0, which with
// RGN_COPY restores the default clipping).
struct EmrRegion {
    RectL bounds;
    uint32_t brush = 0;
    SizeL stroke;
    uint32_t mode = 0;
    bool hasRegion = false;
    RegionData region;
};
std::optional<EmrRegion> ParseRegion(RecordView r);

// ---- gradients ----

enum : uint32_t { GRADIENT_FILL_RECT_H = 0, GRADIENT_FILL_RECT_V = 1, GRADIENT_FILL_TRIANGLE = 2 };
struct TriVertex {
    PointL point;
    uint16_t red = 0, green = 0, blue = 0, alpha = 0;  // 16 bits per channel
};
// EMR_GRADIENTFILL: bounds@8, vertex count@24, entry count@28, mode@32, vertices@36 (16 bytes
// each), then the entries: three vertex indexes per triangle, two per rectangle (also for modes
// that are neither). Indexes are as written: they may name no vertex.
struct EmrGradientFill {
    RectL bounds;
    uint32_t mode = 0;
    std::vector<TriVertex> vertices;
    std::vector<uint32_t> indexes;  // IndexesPerEntry() per entry
    uint32_t IndexesPerEntry() const { return mode == GRADIENT_FILL_TRIANGLE ? 3 : 2; }
};
std::optional<EmrGradientFill> ParseGradientFill(RecordView r);

// ---- comments and end ----

constexpr uint32_t kCommentEmfPlus = 0x2B464D45;  // "EMF+"
constexpr uint32_t kCommentPublic = 0x43494447;   // "GDIC"
constexpr uint32_t kCommentSpool = 0x00000000;
enum class CommentKind { EmfPlus, Public, Spool, Other };
struct EmrComment {
    CommentKind kind = CommentKind::Other;
    uint32_t identifier = 0;  // first four bytes of the data, 0 when shorter
    uint32_t publicType = 0;  // for "GDIC" comments: the public comment type
    std::span<const uint8_t> data;
};
std::optional<EmrComment> ParseComment(RecordView r);

struct EmrEof {
    std::vector<uint32_t> palette;
    uint32_t sizeLast = 0;
};
std::optional<EmrEof> ParseEof(RecordView r);

// ---- drawing bounds ----

// The drawing records whose rectangle at offset 8 is their bounds (or box): the records a viewer
// may leave out when that rectangle, grown by the pen, misses the area being painted. The blits
// BITBLT and STRETCHBLT are not among them.
bool HasDrawingBounds(uint32_t type);
// The rectangle at offset 8, whatever the record's type; nullopt for a record shorter than 24 bytes.
std::optional<RectL> ParseDrawingBounds(RecordView r);

// A rectangle in 64 bits, for bounds grown or scaled beyond what 32 bits hold.
struct Rect64 {
    int64_t left = 0, top = 0, right = 0, bottom = 0;
    friend bool operator==(const Rect64&, const Rect64&) = default;
};
// Recorded bounds grown on every side by half the pen's width (in whole units, rounded down) and a
// margin of 4: what a drawing record may cover beyond the bounds its writer computed.
Rect64 GrowByPen(const RectL& bounds, double penWidth);

}  // namespace tessaly::emf

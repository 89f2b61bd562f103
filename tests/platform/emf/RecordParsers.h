#pragma once
// Each record handed to the parser that owns its type, as the player reads it: for the checks
// that every parser refuses exactly what CheckRecordLayout refuses (the records test and the
// metafile fuzz target).
#include "platform/emf/EmfRecords.h"

namespace emftest {

// Whether the record's own parser reads it; types without a parser of their own pass.
inline bool ParsesAsItsType(tessaly::emf::RecordView r) {
    using namespace tessaly::emf;
    switch (r.Type()) {
    case EMR_HEADER: return ParseHeader(r).has_value();
    case EMR_POLYBEZIER: case EMR_POLYGON: case EMR_POLYLINE: case EMR_POLYBEZIERTO:
    case EMR_POLYLINETO: case EMR_POLYBEZIER16: case EMR_POLYGON16: case EMR_POLYLINE16:
    case EMR_POLYBEZIERTO16: case EMR_POLYLINETO16:
        return ParsePoly(r).has_value();
    case EMR_POLYPOLYLINE: case EMR_POLYPOLYGON: case EMR_POLYPOLYLINE16: case EMR_POLYPOLYGON16:
        return ParsePolyPoly(r).has_value();
    case EMR_POLYDRAW: case EMR_POLYDRAW16: return ParsePolyDraw(r).has_value();
    case EMR_EXTTEXTOUTA: case EMR_EXTTEXTOUTW:
        return ParseExtTextOut(r).has_value() && ParseExtTextOutString(r).has_value();
    case EMR_POLYTEXTOUTA: case EMR_POLYTEXTOUTW: return ParsePolyTextOut(r).has_value();
    case EMR_SMALLTEXTOUT: return ParseSmallTextOut(r).has_value();
    case EMR_CREATEPEN: return ParseCreatePen(r).has_value();
    case EMR_EXTCREATEPEN: return ParseExtCreatePen(r).has_value();
    case EMR_CREATEBRUSHINDIRECT: return ParseCreateBrush(r).has_value();
    case EMR_CREATEMONOBRUSH: case EMR_CREATEDIBPATTERNBRUSHPT:
        return ParseCreateDibBrush(r).has_value();
    case EMR_EXTCREATEFONTINDIRECTW: return ParseCreateFont(r).has_value();
    case EMR_CREATEPALETTE: return ParseCreatePalette(r).has_value();
    case EMR_SETPALETTEENTRIES: return ParseSetPaletteEntries(r).has_value();
    case EMR_RESIZEPALETTE: return ParseResizePalette(r).has_value();
    case EMR_BITBLT: case EMR_STRETCHBLT: case EMR_MASKBLT: case EMR_PLGBLT:
    case EMR_SETDIBITSTODEVICE: case EMR_STRETCHDIBITS: case EMR_ALPHABLEND:
    case EMR_TRANSPARENTBLT:
        return ParseBitmap(r).has_value();
    case EMR_FILLRGN: case EMR_FRAMERGN: case EMR_INVERTRGN: case EMR_PAINTRGN:
    case EMR_EXTSELECTCLIPRGN:
        return ParseRegion(r).has_value();
    case EMR_GRADIENTFILL: return ParseGradientFill(r).has_value();
    case EMR_COMMENT: return ParseComment(r).has_value();
    case EMR_EOF: return ParseEof(r).has_value();
    case EMR_ROUNDRECT: return ParseRoundRect(r).has_value();
    case EMR_ARC: case EMR_CHORD: case EMR_PIE: case EMR_ARCTO: return ParseArc(r).has_value();
    case EMR_ANGLEARC: return ParseAngleArc(r).has_value();
    case EMR_SETPIXELV: return ParseSetPixel(r).has_value();
    case EMR_EXTFLOODFILL: return ParseExtFloodFill(r).has_value();
    case EMR_SETWORLDTRANSFORM: case EMR_MODIFYWORLDTRANSFORM:
        return ParseWorldTransform(r).has_value();
    case EMR_SCALEVIEWPORTEXTEX: case EMR_SCALEWINDOWEXTEX: return ParseScaleExtent(r).has_value();
    case EMR_MOVETOEX: case EMR_LINETO: case EMR_SETWINDOWORGEX: case EMR_SETVIEWPORTORGEX:
    case EMR_SETBRUSHORGEX: case EMR_OFFSETCLIPRGN:
        return ParsePoint(r).has_value();
    case EMR_SETWINDOWEXTEX: case EMR_SETVIEWPORTEXTEX: return ParseSize(r).has_value();
    case EMR_ELLIPSE: case EMR_RECTANGLE: case EMR_EXCLUDECLIPRECT: case EMR_INTERSECTCLIPRECT:
    case EMR_FILLPATH: case EMR_STROKEANDFILLPATH: case EMR_STROKEPATH:
        return ParseRect(r).has_value();
    case EMR_SETMAPPERFLAGS: case EMR_SETMAPMODE: case EMR_SETBKMODE: case EMR_SETPOLYFILLMODE:
    case EMR_SETROP2: case EMR_SETSTRETCHBLTMODE: case EMR_SETTEXTALIGN: case EMR_SETTEXTCOLOR:
    case EMR_SETBKCOLOR: case EMR_RESTOREDC: case EMR_SELECTOBJECT: case EMR_DELETEOBJECT:
    case EMR_SELECTPALETTE: case EMR_SETARCDIRECTION: case EMR_SETMITERLIMIT:
    case EMR_SELECTCLIPPATH: case EMR_SETICMMODE: case EMR_SETLAYOUT:
        return ParseValue(r).has_value();
    default: return true;
    }
}

}  // namespace emftest

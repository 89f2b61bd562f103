#pragma once
// The device-context state that playing a metafile keeps: mapping, selected objects, colours and
// modes, current position, clipping and the path being built. SAVEDC pushes a copy of all of it.
//
// Coordinates: "logical" are the record's own coordinates; "device" are the reference device's
// pixels that the metafile was recorded on (its frame and bounds are in these); the player maps
// device pixels onto the destination rectangle of the painter.
#include <QColor>
#include <QImage>
#include <QPainterPath>
#include <QPointF>
#include <QRegion>
#include <QString>
#include <QTransform>
#include <QVector>
#include <cstdint>
#include <vector>

#include "platform/emf/EmfTypes.h"

namespace tessaly::emf {

// Device-context values the player needs beyond those of EmfTypes.h.
// Text alignment flags.
enum : uint32_t { TA_NOUPDATECP = 0, TA_UPDATECP = 1, TA_LEFT = 0, TA_RIGHT = 2, TA_CENTER = 6, TA_TOP = 0,
                  TA_BOTTOM = 8, TA_BASELINE = 24 };
// Pen end caps, joins and types.
enum : uint32_t { PS_ENDCAP_ROUND = 0x000, PS_ENDCAP_SQUARE = 0x100, PS_ENDCAP_FLAT = 0x200, PS_ENDCAP_MASK = 0xF00,
                  PS_JOIN_ROUND = 0x0000, PS_JOIN_BEVEL = 0x1000, PS_JOIN_MITER = 0x2000, PS_JOIN_MASK = 0xF000,
                  PS_TYPE_MASK = 0xF0000 };
enum : uint32_t { HS_HORIZONTAL = 0, HS_VERTICAL, HS_FDIAGONAL, HS_BDIAGONAL, HS_CROSS, HS_DIAGCROSS };
// The binary raster operations that EmfTypes.h leaves out.
enum : uint32_t { R2_NOTMERGEPEN = 2, R2_MASKNOTPEN = 3, R2_NOTCOPYPEN = 4, R2_MASKPENNOT = 5, R2_NOTMASKPEN = 8,
                  R2_MASKPEN = 9, R2_NOTXORPEN = 10, R2_NOP = 11, R2_MERGENOTPEN = 12, R2_MERGEPENNOT = 14,
                  R2_MERGEPEN = 15 };
enum : uint32_t { AD_COUNTERCLOCKWISE = 1, AD_CLOCKWISE = 2 };
enum : uint32_t { FW_NORMAL = 400, FW_BOLD = 700 };
enum : uint8_t { ANSI_CHARSET = 0, DEFAULT_CHARSET = 1, SYMBOL_CHARSET = 2 };

struct Pen {
    uint32_t style = PS_SOLID;  // the whole style word: style, end cap, join, type
    double width = 0;                // logical units; 0 draws one device pixel
    QColor colour = Qt::black;
    std::vector<uint32_t> userStyle;  // dash and gap lengths for PS_USERSTYLE
    uint32_t Kind() const { return style & PS_STYLE_MASK; }
    bool IsNull() const { return Kind() == PS_NULL; }
    bool IsGeometric() const { return (style & PS_TYPE_MASK) == PS_GEOMETRIC; }
};

struct Brush {
    uint32_t style = BS_SOLID;
    QColor colour = Qt::white;
    uint32_t hatch = 0;
    QImage pattern;     // BS_DIBPATTERN(PT) and BS_PATTERN
    bool mono = false;  // a 1-bit pattern drawn in the text and background colours
    bool IsNull() const { return style == BS_NULL; }
};

// The fields of the logical font of EXTCREATEFONTINDIRECTW, as recorded.
struct Font {
    int32_t height = 0;
    int32_t width = 0;
    int32_t escapement = 0;   // tenths of a degree, counter-clockwise
    int32_t orientation = 0;
    int32_t weight = FW_NORMAL;
    bool italic = false;
    bool underline = false;
    bool strikeOut = false;
    uint8_t charSet = DEFAULT_CHARSET;
    uint8_t pitchAndFamily = 0;
    QString faceName;
    uint32_t serial = 0;  // tells fonts apart for the player's caches
};

// Clipping kept in device pixels: a region while it is made of rectangles, a path once a clip
// path or a rotated rectangle took part.
struct Clip {
    bool active = false;
    bool isPath = false;
    QRegion region;
    QPainterPath path;
    QPainterPath AsPath() const;
    QRectF BoundingRect() const;
};

struct DeviceContext {
    uint32_t mapMode = MM_TEXT;
    QPoint windowOrg{0, 0};
    QSize windowExt{1, 1};
    QPoint viewportOrg{0, 0};
    QSize viewportExt{1, 1};
    QTransform world;

    Pen pen;
    Brush brush;
    Font font;
    QVector<QRgb> palette;

    QColor textColour = Qt::black;
    QColor bkColour = Qt::white;
    uint32_t bkMode = OPAQUE;
    uint32_t textAlign = 0;
    uint32_t polyFillMode = ALTERNATE;
    uint32_t rop2 = R2_COPYPEN;
    uint32_t stretchMode = BLACKONWHITE;
    uint32_t arcDirection = AD_COUNTERCLOCKWISE;
    double miterLimit = 10;
    QPoint brushOrg{0, 0};
    uint32_t layout = 0;
    QPointF currentPosition{0, 0};  // logical

    Clip clip;        // device pixels
    Clip metaRegion;  // SETMETARGN: the clip that later clipping can only narrow

    // A path bracket: figures are collected in device pixels, as added.
    bool pathOpen = false;
    bool pathClosed = false;
    QPainterPath path;
};

}  // namespace tessaly::emf

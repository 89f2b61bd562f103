#pragma once
// TcvView: the base of every report object (text, picture, band, sub-report and add-in objects):
// its geometry, frame, fill, display format, text lines and name. Coordinates are page pixels.
#include <cstdint>

#include "platform/core/Cp1252.h"
#include "platform/core/StringList.h"
#include "platform/emf/EmfTypes.h"

namespace tessaly {

namespace emf {
class RecordingCanvas;
}

class TcvBand;
class TcvReport;

// Object type codes.
enum TcvObjectType : uint8_t { otMemo = 0, otPicture = 1, otBand = 2, otSubReport = 3, otAddIn = 10 };

// FrameSides bits.
enum TcvFrameSide : uint16_t { fsRight = 1, fsBottom = 2, fsLeft = 4, fsTop = 8 };

// FillColor of an object that is not filled.
inline constexpr uint32_t clNoFill = 0x1FFFFFFF;

class TcvView {
public:
    explicit TcvView(TcvReport* report);
    virtual ~TcvView() = default;
    TcvView(const TcvView&) = delete;
    TcvView& operator=(const TcvView&) = delete;

    AnsiString Name;                           // unique in the report, compared case-insensitively
    TcvReport* Report = nullptr;               // the owning report (may be none)
    TcvBand* ParentBand = nullptr;             // the run-time band printing the object
    emf::RecordingCanvas* Canvas = nullptr;    // set before every draw
    emf::RectL DrawRect;                       // inner rectangle (CalcDrawRect)
    int32_t GapX = 0;
    int32_t GapY = 0;
    StringList WorkLines;                      // the text after expansion
    int32_t SavedLeft = 0;                     // the design geometry, kept during a preparation
    int32_t SavedTop = 0;
    int32_t SavedHeight = -1;
    int32_t SavedWidth = 0;
    int32_t PushedTop = -1;                    // Top before a stretching neighbour pushed it; -1 if not
    uint8_t ParentBandType = 0;                // type of the band holding the object, while preparing
    uint16_t FrameSides = 0;                   // TcvFrameSide bits; a band view's band type
    uint8_t ObjectType = otMemo;
    uint8_t Selected = 0;
    int32_t Left = 0;
    int32_t Top = 0;
    int32_t Width = 0;
    int32_t Height = 0;
    uint16_t Flags = 0;
    int32_t FrameWidth = 1;
    uint32_t FrameColor = 0;
    uint16_t FrameStyle = 0;
    uint32_t FillColor = clNoFill;
    uint32_t Format;                           // display format code (CV_Format.h)
    AnsiString FormatText;                     // user format text; a data band's dataset name
    StringList MemoLines;                      // the text as designed
    uint8_t Visible = 1;

    // Marks of a text object set while its values are expanded: a value gave several lines, and
    // an aggregate of it reads the cross-table columns folded together (a cross footer total).
    bool SeveralLines = false;
    bool ColumnAggregate = false;
};

}  // namespace tessaly

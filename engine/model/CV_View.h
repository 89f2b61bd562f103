#pragma once
// TcvView: the base of every report object (text, picture, band, sub-report and add-in objects):
// its geometry, frame, fill, display format, text lines and name, and the common part of every
// object's stream form. Coordinates are page pixels.
//
// Objects are plain objects owned by their template page (TcvPage::AddObject); they keep a
// reference to their report (which may be absent) for names, datasets and scaling.
#include <algorithm>
#include <cstdint>
#include <string_view>
#include <vector>

#include <QRegion>

#include "engine/model/CV_Colors.h"
#include "platform/core/Cp1252.h"
#include "platform/core/Stream.h"
#include "platform/core/StringList.h"
#include "platform/emf/EmfTypes.h"

namespace tessaly {

namespace data {
class Field;
}
namespace emf {
class RecordingCanvas;
}

struct TcvBandFrame;
class TcvPage;
class TcvReport;

// Object type codes.
enum TcvObjectType : uint8_t { otMemo = 0, otPicture = 1, otBand = 2, otSubReport = 3, otAddIn = 10 };

// FrameSides bits.
enum TcvFrameSide : uint16_t { fsRight = 1, fsBottom = 2, fsLeft = 4, fsTop = 8 };
inline constexpr uint16_t fsAllSides = fsRight | fsBottom | fsLeft | fsTop;

// An entry of an editor's context menu for an object: its caption and the option bit of Flags it
// toggles on every selected object of the page (ToggleSelectedOption); a separator has an empty
// caption, a command (no option) a bit of 0.
struct TcvMenuEntry {
    AnsiString Caption;
    uint16_t Bit = 0;
};
using TcvPopupMenu = std::vector<TcvMenuEntry>;

// Far beyond any page (about 277 m at 96 pixels per inch), near enough to zero that sums of a
// few coordinates cannot overflow: a preparation brings geometry and frame widths within it.
inline constexpr int32_t kFarthestCoordinate = 1 << 20;
inline int32_t WithinReach(int64_t v) {
    return static_cast<int32_t>(std::clamp<int64_t>(v, -kFarthestCoordinate, kFarthestCoordinate));
}

class TcvView {
public:
    // Every class passes its own class name up, so that the object is named after the class it
    // is made as (Memo1, Picture2, ...: the first number that no other object of the report
    // has), unless naming is deferred (DeferNaming).
    explicit TcvView(TcvReport* report, const char* className = "TcvView");
    virtual ~TcvView();
    TcvView(const TcvView&) = delete;
    TcvView& operator=(const TcvView&) = delete;

    const char* ClassName() const { return className_; }

    AnsiString Name;                           // unique in the report, compared case-insensitively
    TcvReport* Report = nullptr;               // the owning report (may be none)
    TcvBandFrame* ParentBand = nullptr;        // the band printing the object, while preparing
    emf::RecordingCanvas* Canvas = nullptr;    // set before every draw
    emf::RectL DrawRect;                       // inner rectangle (CalcDrawRect); right, bottom excluded
    int32_t GapX = 0;
    int32_t GapY = 0;
    StringList WorkLines;                      // the text after expansion
    // The design geometry, kept during a preparation (GeometrySaved): any value, a negative height
    // from a damaged template included, is given back.
    bool GeometrySaved = false;
    int32_t SavedLeft = 0;
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
    TColor FrameColor = clBlack;
    uint16_t FrameStyle = 0;
    TColor FillColor = clNoFill;
    uint32_t Format;                           // display format code (CV_FormatCode.h)
    AnsiString FormatText;                     // user format text; a data band's dataset name
    StringList MemoLines;                      // the text as designed
    uint8_t Visible = 1;

    // Marks of a text object set while its values are expanded: a value gave several lines, and
    // an aggregate of it reads the cross-table columns folded together (a cross footer total).
    bool SeveralLines = false;
    bool ColumnAggregate = false;

    virtual bool IsDataBand() const { return false; }
    virtual void CalcDrawRect();
    virtual void DrawBackground();
    virtual void DrawFrame();
    // Copies the stored fields of another object (and Selected); its name only when no other
    // object of the report bears it.
    virtual void Assign(const TcvView& source);
    virtual void Draw(emf::RecordingCanvas& canvas) {}
    virtual void LoadFromStream(Stream& stream);
    virtual void SaveToStream(Stream& stream) const;
    virtual void LoadFromField(data::Field& field) {}
    virtual void DefinePopupMenu(TcvPopupMenu& menu) {}
    // The area the object covers with its frame lines (10 pixels more on every side when
    // extended), in page pixels.
    virtual QRegion GetClipRegion(bool extended) const;
    // Raises the error "Impossibile salvare il report: ..." when the object holds what its stream
    // form cannot keep (texts too long, too many lines); the report checks every object before
    // it writes anything.
    virtual void CheckStreamForm() const;

    void SetCanvas(emf::RecordingCanvas* canvas);
    // "Memo" for TcvMemoView: the class name without "Tcv" and "View".
    AnsiString BaseName() const;
    // Gives the object the first free name of its kind.
    void MakeName();

    // While one lives, new objects are not named (the template reader names them itself).
    class DeferNaming {
    public:
        DeferNaming();
        ~DeferNaming();
        DeferNaming(const DeferNaming&) = delete;
        DeferNaming& operator=(const DeferNaming&) = delete;

    private:
        bool previous_;
    };

protected:
    // The stored colours as the canvas takes them.
    void SelectFramePen();
    void DrawCornerMarks();
    // Design mode crosses a hidden object out: two red diagonals, 2 pixels wide, corner to corner.
    void DrawHiddenCross();

private:
    const char* className_;
    static bool namingDeferred_;
};

// What new objects of a class are named after: "Memo" for "TcvMemoView" (the class name without
// its first three and last four characters).
AnsiString ObjectBaseName(std::string_view className);

// The first object of any page of the report, other than `skip`, called `name` (case-insensitive).
TcvView* FindObjectByName(const TcvReport* report, std::string_view name, const TcvView* skip = nullptr);

// What an option entry of the context menu does: toggles `bit` on every selected object of the page.
void ToggleSelectedOption(TcvPage& page, uint16_t bit);

// Coordinates of streams before version 24 were on a smaller grid: they are multiplied by this.
inline constexpr double kOldStreamScale = 1.0321691176470588235;

}  // namespace tessaly

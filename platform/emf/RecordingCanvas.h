#pragma once
// The recording canvas: the drawing surface on which prepared pages are drawn. Every operation
// becomes the records that a device context of the platform would write into an enhanced
// metafile, with the screen (1024 x 768 pixels on 360 x 270 mm, 96 pixels per inch) as reference
// device and logical units equal to pixels.
//
// Font, pen and brush are plain values: change them freely; the next operation that needs one
// creates the new object, selects it and deletes the one it replaces (handle slots are reused,
// lowest first). A fresh canvas writes the set-up records (move to (0, 0); font "MS Sans Serif",
// height -11, weight 400, character set 1; text colour; black pen of width 1; R2_COPYPEN; solid
// white brush; background colour white; background mode opaque). Close() selects the stock black
// pen, null brush and system font and ends the image with EMR_EOF.
//
// Text is written as EMR_EXTTEXTOUTW with one advance per character, measured through Qt
// (fontconfig) with the faces of FontSubstitution.h. Measuring needs a QGuiApplication.
#include <QImage>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/core/Cp1252.h"
#include "platform/emf/Metafile.h"
#include "platform/emf/MetafileWriter.h"

class QFont;

namespace tessaly::emf {

struct CharWidthTable;

enum FontStyle : uint8_t { fsBold = 1, fsItalic = 2, fsUnderline = 4, fsStrikeOut = 8 };

struct CanvasFont {
    AnsiString name = "MS Sans Serif";
    int32_t height = -11;  // negative: character height in pixels; positive: cell height
    uint8_t style = 0;     // FontStyle bits
    ColorRef color = 0;
    uint8_t charSet = 1;
    int32_t escapement = 0, orientation = 0;  // tenths of a degree

    int32_t Size() const;          // points at 96 pixels per inch
    void SetSize(int32_t points);  // height := -points × 96 / 72, rounded
    friend bool operator==(const CanvasFont&, const CanvasFont&) = default;
};

enum class PenStyle : uint32_t { Solid, Dash, Dot, DashDot, DashDotDot, Clear, InsideFrame };
struct CanvasPen {
    int32_t width = 1;
    ColorRef color = 0;
    PenStyle style = PenStyle::Solid;
    friend bool operator==(const CanvasPen&, const CanvasPen&) = default;
};

enum class BrushStyle { Solid, Clear };
struct CanvasBrush {
    ColorRef color = 0xFFFFFF;
    BrushStyle style = BrushStyle::Solid;
    QImage pattern;  // an 8 x 8 pattern; when set, the brush is that pattern
    friend bool operator==(const CanvasBrush& a, const CanvasBrush& b) {
        return a.color == b.color && a.style == b.style && a.pattern == b.pattern;
    }
};

class RecordingCanvas {
public:
    RecordingCanvas(int32_t widthPx, int32_t heightPx);
    ~RecordingCanvas();
    RecordingCanvas(const RecordingCanvas&) = delete;
    RecordingCanvas& operator=(const RecordingCanvas&) = delete;

    CanvasFont& Font() { return font_; }
    CanvasPen& Pen() { return pen_; }
    CanvasBrush& Brush() { return brush_; }
    PointL PenPos() const { return penPos_; }

    void MoveTo(int32_t x, int32_t y);
    void LineTo(int32_t x, int32_t y);
    void Polyline(const std::vector<PointL>& points);
    void Rectangle(int32_t x1, int32_t y1, int32_t x2, int32_t y2);  // right, bottom excluded
    void Ellipse(int32_t x1, int32_t y1, int32_t x2, int32_t y2);
    void FillRect(const RectL& r);  // with the brush, no outline; right, bottom excluded

    void TextOut(int32_t x, int32_t y, const AnsiString& text);
    // Text at (x, y) clipped to the rectangle r (right, bottom excluded).
    void TextRect(const RectL& r, int32_t x, int32_t y, const AnsiString& text);
    int32_t TextWidth(const AnsiString& text);
    int32_t TextHeight(const AnsiString& text);
    SizeL TextExtent(const AnsiString& text);
    // The advances written for text in the current font (pixels; they add up to TextWidth).
    std::vector<int32_t> CharAdvances(const AnsiString& text);
    // The unrounded advance of one character in the current font: the width of a text is the
    // sum of its characters' advances, added left to right and rounded (halves to even).
    double CharWidth(char c);
    // CharWidth of each character of text, with the font looked at once.
    std::vector<double> CharWidths(std::string_view text);

    // Text background: by default it follows the brush (opaque in the brush's colour unless the
    // brush is clear); in transparent mode text never covers what lies under it, whatever the brush.
    void SetTransparentText(bool transparent) { transparentText_ = transparent; }
    bool TransparentText() const { return transparentText_; }

    // Bitmaps as device-independent bits (EMR_STRETCHDIBITS), stored as they are.
    void Draw(int32_t x, int32_t y, const QImage& image);
    void StretchDraw(const RectL& r, const QImage& image);
    void SetStretchMode(uint32_t mode);  // HALFTONE, COLORONCOLOR, ...

    // A picture stretched into r, stored at the size it is drawn (PictureStorageSize: resampled
    // smoothly when the image is larger), in 24 bits, transparent parts on white, with the halftone
    // stretch mode. The stretch mode stays HALFTONE afterwards.
    void DrawPicture(const RectL& r, const QImage& image);

    // Clipping: intersect with a rectangle; SaveDC/RestoreDC keep and bring back the clipping.
    void IntersectClipRect(const RectL& r);
    void SaveDC();
    void RestoreDC();

    // Ends the recording and gives the image; the canvas takes no more drawing afterwards.
    Metafile Close();

private:
    void RequireFont();
    void RequirePen();
    void RequireBrush();
    void WriteText(const RectL* clip, int32_t x, int32_t y, const AnsiString& text);
    void WriteImage(const RectL& dest, const QImage& image);
    void RequireBkMode(uint32_t mode);
    uint32_t BrushBkMode() const;
    void RequireStretchMode(uint32_t mode);
    void Replace(uint32_t& selected, uint32_t created);
    bool Referenced(uint32_t handle) const;
    const QFont& MeasuringFont();
    struct CharWidthTable& MeasuredFace();
    double WidthIn(struct CharWidthTable& face, char c);

    // What the device context holds; SaveDC keeps a copy that RestoreDC brings back.
    struct Selection {
        CanvasFont font;
        CanvasPen pen;
        CanvasBrush brush;
        uint32_t fontHandle, penHandle, brushHandle;
        PointL penPos;
        uint32_t bkMode, stretchMode;
    };

    MetafileWriter writer_;
    CanvasFont font_, writtenFont_;
    CanvasPen pen_, writtenPen_;
    CanvasBrush brush_, writtenBrush_;
    uint32_t fontHandle_ = 0, penHandle_ = 0, brushHandle_ = 0;
    PointL penPos_;
    uint32_t bkMode_ = OPAQUE;  // as last written (the device context starts opaque)
    uint32_t stretchMode_ = 0;  // as last written; 0 before the first
    bool transparentText_ = false;
    std::vector<Selection> saved_;
    std::vector<uint32_t> pendingDelete_;  // replaced, but still selected in a saved state
    bool closed_ = false;
    std::unique_ptr<QFont> measuringFont_;
    CanvasFont measuredFont_;
    std::shared_ptr<CharWidthTable> measuredFace_;  // the widths of measuredFont_'s characters
};

// Pixels of the pages drawn on a canvas, per inch.
constexpr int32_t kPagePixelsPerInch = 96;
// The resolution a picture keeps on a page. Printed pictures show nothing more beyond about 300
// pixels per inch (printers of 600 dots and more spend their finer dots halftoning those pixels),
// and every doubling of it would store four times the bytes on every page that shows the picture.
constexpr int32_t kPicturePixelsPerInch = 300;
// The pixels stored for an image of `image` pixels drawn into `dest` (page pixels): per axis, at
// most kPicturePixelsPerInch for each inch of the page (rounded up), never more than the image
// has. A 4,000 x 3,000 image drawn 200 x 150 keeps 625 x 469.
SizeL PictureStorageSize(SizeL image, const RectL& dest);

// The Qt font that stands for a canvas font at 96 dpi (substituted face, pixel size from the
// height, weight, italic, underline, strike-out; no kerning, as per-character advances are used).
QFont QtFontFor(const CanvasFont& font);

}  // namespace tessaly::emf

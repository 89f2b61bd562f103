#pragma once
// The player's inside: the device-context emulation that Player drives, one object per playing.
// The record families are split over EmfPlayback*.cpp: state and objects, shapes and paths,
// clipping, text, bitmaps. Records are read through the Parse functions of EmfRecords.h; a record
// they refuse is left out of the picture.
#include <QPainter>
#include <QPen>
#include <QRawFont>
#include <map>
#include <optional>
#include <unordered_map>
#include <variant>
#include <vector>

#include "platform/emf/EmfBitmap.h"
#include "platform/emf/EmfDeviceContext.h"
#include "platform/emf/EmfPlayer.h"
#include "platform/emf/EmfRecords.h"
#include "platform/emf/Metafile.h"

namespace tessaly::emf {

struct Palette {
    QVector<QRgb> colours;
};

using GdiObject = std::variant<Pen, Brush, Font, Palette>;

// How a text run is laid out and drawn (EmfPlaybackText.cpp).
struct TextAxes;
struct TextLayout;
struct GlyphParts;

class Playback {
public:
    Playback(QPainter& painter, const Metafile& metafile, const QRectF& destination);
    ~Playback();

    const Metafile& Source() const { return metafile_; }
    void Play(RecordView record);
    bool Ended() const { return ended_; }

    DeviceContext dc;
    QPainter& painter;

    // Mapping.
    QTransform PageTransform() const;
    QTransform LogicalToDevice() const { return dc.world * PageTransform(); }
    QTransform DeviceToOutput() const { return frameMap_ * base_; }
    QTransform LogicalToOutput() const { return LogicalToDevice() * DeviceToOutput(); }
    QRect InitialClipBox() const { return initialClipBox_; }

    // State changes that the painter must follow.
    void MarkClipDirty() { clipDirty_ = true; }
    void MarkBrushDirty() { brushDirty_ = true; }
    void MarkAllDirty() { transformDirty_ = clipDirty_ = penDirty_ = brushDirty_ = true; }

    void StretchDib(const QRectF& dest, int32_t xSrc, int32_t ySrc, int32_t cxSrc, int32_t cySrc,
                    std::span<const uint8_t> info, std::span<const uint8_t> bits, uint32_t usage, uint32_t rop);

private:
    // EmfPlayback.cpp: dispatch, mapping, state values, objects.
    void PlayFrame();
    void PlayMapping(RecordView r);
    void PlaySaveRestore(RecordView r);
    void PlayObject(RecordView r);
    void PlayValue(RecordView r);
    void UseObject(uint32_t type, uint32_t handle);
    void StoreObject(uint32_t handle, GdiObject object);
    Pen NewPen(const EmrCreatePen& c) const;
    Pen NewPen(const EmrExtCreatePen& c) const;
    Brush NewBrush(const EmrCreateBrush& c) const;
    Brush NewPatternBrush(const EmrCreateDibBrush& c, bool mono) const;
    Font NewFont(const LogFontW& f);
    void SetPaletteEntries(const EmrSetPaletteEntries& c);
    void SelectObject(uint32_t handle);
    void SelectStock(uint32_t index);
    QColor Colour(ColorRef ref) const;
    void ApplyMapMode(uint32_t mode);
    void FixIsotropic();

    // EmfPlaybackShapes.cpp: shapes, lines, curves, path brackets, regions, gradients.
    void PlayShape(RecordView r);
    void PlayPoly(RecordView r);
    void PlayPolyPoly(RecordView r);
    void PlayPolyDraw(RecordView r);
    void PlayArc(RecordView r);
    void PlayPath(RecordView r);
    void PlayRegion(RecordView r);
    void PlayGradient(RecordView r);
    // Draws (or, inside a path bracket, adds) a shape given in logical units.
    void Emit(const QPainterPath& logical, bool fill, bool stroke);
    void EmitRect(const QRectF& logical, bool fill, bool stroke);
    void AppendToPath(const QPainterPath& logical, bool connect);
    void DrawDevicePath(const QPainterPath& device, bool fill, bool stroke);
    void PrepareOutline(bool stroke, bool fill);

    // EmfPlaybackClip.cpp: clipping.
    void PlayClip(RecordView r);
    void CombineClip(const Clip& shape, uint32_t mode);
    Clip DeviceShape(const QRectF& logicalRect) const;
    void SyncClip();

    // EmfPlaybackText.cpp: text.
    struct TextRun;
    TextRun MakeRun(const EmrText& text, bool wide) const;
    void PlayText(RecordView r);
    void DrawTextRun(const TextRun& run);
    TextAxes AxesOfText() const;
    double EmHeight();
    std::optional<TextLayout> LayOutText(const TextRun& run, const QPointF& ref);
    bool LookUpGlyphs(const TextRun& run, TextLayout& t);
    void PlaceGlyphs(const TextRun& run, TextLayout& t) const;
    QTransform AlignedTextSpace(const TextLayout& t, const QPointF& refOut) const;
    void AdvanceCurrentPosition(const TextLayout& t, const QPointF& ref);
    void AddTextToPath(const TextLayout& t);
    bool ClipTextToRect(const QRectF& rect, const TextLayout& t);
    void PaintGlyphs(const TextLayout& t);
    bool GlyphsAsOutlines(const TextLayout& t) const;
    void PaintMissingCharacters(const TextLayout& t, const GlyphParts& parts, bool asOutlines);
    void PaintTextLines(const TextLayout& t);
    void FillTextOutline(const QPainterPath& outline, const QColor& colour);
    QRawFont RawFontFor(double pixelSize);
    QFont QtFontFor(double pixelSize) const;

    // EmfPlaybackBlit.cpp: bitmaps.
    void PlayBlit(RecordView r);
    DibDecodeOptions SourceOptions(const EmrBitmap& b) const;
    void SetDIBitsToDevice(const EmrBitmap& b);
    void ParallelogramBlit(const EmrBitmap& b);
    void SourceBlit(uint32_t type, const EmrBitmap& b);
    void PatBlt(const QRectF& dest, uint32_t rop);
    void DrawImage(const QRectF& dest, const QImage& image, const QRectF& source, uint32_t rop,
                   const QTransform* extra = nullptr);

    // Painter synchronisation.
    void SyncTransform();  // the painter maps logical units
    void SyncToOutput();   // the painter maps reference-device pixels (paths, pixels)
    void PreparePen();
    void PrepareBrush();
    bool BeginRop2();  // false when nothing is to be drawn
    void EndRop2();
    QPen MakePen(bool devicePath) const;
    QBrush MakeBrush(const Brush& brush) const;

    const Metafile& metafile_;
    QRectF destination_;
    QTransform base_;      // the painter's own transform when playing began
    QTransform frameMap_;  // reference-device pixels onto the destination
    QSizeF deviceSize_{1024, 768};
    QSizeF millimetres_{360, 270};
    bool hasInitialClip_ = false;
    QPainterPath initialClip_;  // in the painter's device pixels
    QRect initialClipBox_;
    bool rasterOps_ = false;
    bool ended_ = false;

    std::unordered_map<uint32_t, GdiObject> objects_;
    std::vector<DeviceContext> saved_;
    uint32_t selectedPalette_ = 0;
    uint32_t fontSerial_ = 0;

    // What the painter holds now.
    enum class Space { None, Logical, Device, Custom };
    Space space_ = Space::None;
    bool transformDirty_ = true;
    bool clipDirty_ = true;
    bool penDirty_ = true;
    bool brushDirty_ = true;

    struct FontKey {
        uint32_t serial;
        int64_t size64;  // pixel size in 1/64 pixels
        auto operator<=>(const FontKey&) const = default;
    };
    std::map<FontKey, QRawFont> rawFonts_;
    // How the code points of the last font that drew text are drawn (EmfPlaybackText.cpp).
    bool symbolsKnown_ = false;
    uint32_t symbolsSerial_ = 0;
    int symbols_ = 0;
};

}  // namespace tessaly::emf

#pragma once
// Plays an enhanced metafile onto any QPainter (a widget, an image, a printer, a PDF file), record
// by record, emulating the device context that recorded it.
//
// Mapping: the metafile's frame (hundredths of a millimetre) is converted to reference-device
// pixels through the header's device size in pixels and millimetres, and that pixel rectangle is
// stretched onto the destination rectangle (left and top edge to edge; width right - left, height
// bottom - top). Without a usable frame the header's bounds are used.
//
// Approximations, where QPainter has no equivalent of the device context:
// - Binary raster operations (SETROP2) and the raster operations of blits use QPainter's raster-op
//   composition modes, which only image painters have. On printers and PDF files pens and brushes
//   draw as R2_COPYPEN (R2_NOP and R2_NOT are left out); a blit source that is ANDed is drawn with
//   its white pixels transparent, one that is ORed or XORed with its black pixels transparent, so
//   that the usual mask-and-image pairs still show the image. The two operations that paint the
//   brush where a source is set or where it is clear (DSPDxax, PSDPxax: text drawn as monochrome
//   masks) work on every device, taking a pixel as set when it is light; other operations that
//   combine a source with the brush draw the source as a copy.
// - Shapes are drawn without anti-aliasing, like the device context; text is smoothed.
// - Hatch and pattern brushes keep their pattern in destination pixels whatever the mapping.
// - GRADIENTFILL triangles are filled with the mean of their corner colours; rectangles get a
//   true linear gradient.
// - EXTFLOODFILL, colour adjustment, colour management, OpenGL and escape records are not played.
// - Glyph-index text (ETO_GLYPH_INDEX) is drawn with the glyph numbers in the substituted font,
//   which shows the right glyphs only when the substitute has the same glyph order.
// - Symbol fonts that are not installed: the symbol font and Wingdings are drawn through tables of
//   their signs in Unicode (Wingdings' signs outside the Basic Multilingual Plane are left out);
//   other picture fonts (Wingdings 2 and 3, Webdings, ...) draw nothing rather than letters.
// - EMF+ comments are skipped: dual files show their EMF drawing.
#include <QPainter>
#include <QRectF>
#include <cstdint>
#include <functional>
#include <memory>
#include <span>

#include "platform/emf/EmfDeviceContext.h"
#include "platform/emf/EmfTypes.h"

namespace tessaly::emf {

class Metafile;

// What a record handler wants done with the record it was handed.
enum class RecordAction {
    Play,  // play it as it is
    Skip,  // leave it out (also after the handler played it itself)
    Stop,  // end the enumeration here
};

class Player;
using RecordHandler = std::function<RecordAction(Player& player, RecordView record)>;

class Playback;

class Player {
public:
    // The metafile and the painter are borrowed; the painter's state is restored when the player
    // is destroyed.
    Player(QPainter& painter, const Metafile& metafile, const QRectF& destination);
    ~Player();
    Player(const Player&) = delete;
    Player& operator=(const Player&) = delete;

    // Plays every record up to EMR_EOF.
    void Play();
    // Hands every record, the header first, to the handler and does what it answers. Returns
    // false when the handler stopped the enumeration.
    bool Enumerate(const RecordHandler& handler);

    // For handlers: plays one record now (normally the one being handled).
    void PlayRecord(RecordView record);

    // The current state: pen (its width in logical units), text and background colours, background
    // mode, font, mapping, clipping. Colours and modes are changed between records with the
    // setters, so that the painter follows.
    const DeviceContext& Dc() const;
    void SetTextColour(const QColor& colour);
    void SetBkColour(const QColor& colour);
    void SetBkMode(uint32_t mode);

    // Logical coordinates of the current mapping to the painter's device pixels, and back.
    QPointF LogicalToDevice(const QPointF& point) const;
    QRectF LogicalToDevice(const QRectF& rect) const;  // the bounding rectangle of the mapped corners
    QPointF DeviceToLogical(const QPointF& point) const;
    // The painter's clipping rectangle in its device pixels when the player started (the area being
    // painted); an empty rectangle when the painter did not clip.
    QRect DeviceClipBox() const;

    // The device context's stretch-DIB operation: draws the source rectangle (x, y counted from the
    // bitmap's top-left corner for a top-down bitmap, from its bottom-left corner for a bottom-up
    // one) of a device-independent bitmap into the destination rectangle (logical units), with a
    // raster operation. Unusable or hostile bitmaps are left out.
    void StretchDIBits(int32_t xDest, int32_t yDest, int32_t cxDest, int32_t cyDest, int32_t xSrc, int32_t ySrc,
                       int32_t cxSrc, int32_t cySrc, std::span<const uint8_t> info, std::span<const uint8_t> bits,
                       uint32_t usage, uint32_t rop);

private:
    std::unique_ptr<Playback> playback_;
};

// Plays the whole metafile stretched into the destination rectangle.
void PlayMetafile(QPainter& painter, const Metafile& metafile, const QRectF& destination);

}  // namespace tessaly::emf

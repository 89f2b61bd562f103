#pragma once
// Picture objects: the fields of TcvPictureView and their stream form (CV_Picture.cpp); their
// drawing and the pictures read from database fields (CV_PictureDraw.cpp).
#include <optional>

#include "engine/model/CV_View.h"
#include "platform/graphics/Picture.h"

namespace tessaly {

// Flags of a picture object.
enum TcvPictureFlag : uint16_t { pfStretch = 0x01, pfCenter = 0x02, pfKeepAspect = 0x04 };

class TcvCustomPictureView : public TcvView {
public:
    explicit TcvCustomPictureView(TcvReport* report, const char* className = "TcvCustomPictureView")
        : TcvView(report, className) {}
    // A separator, "Adattato", "Centra immagine", "Mantieni le proporzioni".
    void DefinePopupMenu(TcvPopupMenu& menu) override;
};

class TcvPictureView : public TcvCustomPictureView {
public:
    // Flags 5: scaled to the object, keeping the aspect ratio.
    explicit TcvPictureView(TcvReport* report, const char* className = "TcvPictureView");

    graphics::Picture Picture;       // stored with the template
    graphics::Picture FieldPicture;  // the last one read from a database field
    bool FromField = false;

    void Assign(const TcvView& source) override;
    // After the common part: the kind byte, the absolute stream position where the picture's
    // bytes end, the bytes. Reading takes exactly the bytes up to that position (raising
    // EReadError for a position before the bytes or past the stream) and goes on from there; an
    // unknown kind is stepped over and leaves no picture.
    void LoadFromStream(Stream& stream) override;
    void SaveToStream(Stream& stream) const override;

    // Fill, picture (from a field when the first line names a large-object field), frame; in
    // design mode "[Immagine]" for an empty picture and the cross of a hidden object.
    void Draw(emf::RecordingCanvas& canvas) override;
    // FieldPicture := the picture in the field's bytes (none for a null field), FromField := true.
    // "Formato immagine sconosciuto." for bytes of no known kind.
    void LoadFromField(data::Field& field) override;

private:
    void DrawPicture(const graphics::Picture& picture);
};

// Where a picture of `picture` pixels goes in an object at `left`, `top` of `width` x `height`
// with the inner rectangle `drawRect`: scaled into the inner rectangle (keeping the aspect from the
// object's size, then centred), or at its own size (centred). None for a picture without pixels.
std::optional<emf::RectL> PictureTarget(const emf::RectL& drawRect, int32_t width, int32_t height,
                                        emf::SizeL picture, uint16_t flags);

}  // namespace tessaly

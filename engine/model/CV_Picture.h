#pragma once
// Picture objects: the fields of TcvPictureView and their stream form. Drawing and the pictures
// read from database fields are the job of its Draw and LoadFromField (picture drawing).
#include "engine/model/CV_View.h"
#include "platform/graphics/Picture.h"

namespace tessaly {

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
};

}  // namespace tessaly

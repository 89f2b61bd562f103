#pragma once
// The picture of a picture object: one graphic of a known kind, held as the exact bytes it was
// loaded from, so that saving writes them back unchanged (never re-encoded). The size is read from
// the headers when the picture is loaded; the pixels are decoded when they are first asked for,
// and kept.
//
// Loading checks the headers against the bytes present and against kMaxPicturePixels, and raises
// EInvalidGraphic, or the metafile reader's EInvalidMetafile / EReadError, for what cannot be a
// picture of that kind. Copies share the bytes and the decoded pixels (which never change).
#include <QImage>
#include <cstdint>
#include <memory>
#include <span>
#include <vector>

#include "platform/core/Stream.h"

namespace tessaly::emf {
class Metafile;
}

namespace tessaly::graphics {

// The kinds and their codes in the stream form of picture objects.
enum class PictureKind : uint8_t { None = 0, Bitmap = 1, Metafile = 2, Icon = 3, Jpeg = 4 };

class Picture {
public:
    Picture();  // empty: kind None, no bytes, size 0 x 0
    ~Picture();
    Picture(const Picture&);
    Picture& operator=(const Picture&);

    // A picture of that kind in exactly these bytes (bitmap file, metafile, icon file, JFIF); kind
    // None gives the empty picture.
    static Picture Load(PictureKind kind, std::span<const uint8_t> bytes);
    // The stream form: the picture lies between the stream's position and `end` (an absolute
    // position). Afterwards the stream is at `end`, whatever the kind; an unknown kind code gives
    // the empty picture. An `end` before the position or past the stream raises EReadError.
    static Picture ReadFrom(Stream& stream, uint8_t kindCode, int64_t end);
    void SaveToStream(Stream& stream) const;  // Bytes(), as they were loaded

    PictureKind Kind() const;
    bool Empty() const { return Kind() == PictureKind::None; }
    std::span<const uint8_t> Bytes() const;
    // Pixels at 96 per inch: the image's own size; for a metafile, its frame through its reference
    // device (its bounds when the frame is empty).
    int32_t Width() const;
    int32_t Height() const;

    // The picture at its own size: Format_RGB32, or ARGB32_Premultiplied where it has
    // transparency (icons, metafiles, bit-field bitmaps with alpha). Null for the empty picture.
    // Raises EInvalidGraphic when the pixels cannot be decoded.
    QImage ToImage() const;
    // The picture at a given size: a metafile played into it, other kinds decoded and resampled
    // smoothly (as halftone stretching does). The last size asked for is kept. Null for a size
    // without pixels; a size above kMaxPicturePixels raises EInvalidGraphic.
    QImage ImageAt(int32_t width, int32_t height) const;
    // The metafile to play, for kind Metafile; nullptr otherwise.
    const emf::Metafile* Metafile() const;

private:
    struct Data;
    explicit Picture(std::shared_ptr<const Data> data);
    static Picture Make(PictureKind kind, std::vector<uint8_t> bytes);
    std::shared_ptr<const Data> data_;
};

}  // namespace tessaly::graphics

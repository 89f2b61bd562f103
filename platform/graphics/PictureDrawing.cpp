#include "platform/graphics/PictureDrawing.h"

namespace tessaly::graphics {

void DrawPicture(emf::RecordingCanvas& canvas, const emf::RectL& r, const Picture& picture) {
    const emf::SizeL stored = emf::PictureStorageSize({picture.Width(), picture.Height()}, r);
    if (picture.Empty() || stored.cx <= 0 || stored.cy <= 0) return;
    canvas.DrawPicture(r, picture.ImageAt(stored.cx, stored.cy));
}

}  // namespace tessaly::graphics

#pragma once
// A picture drawn on a prepared page: stretched into a rectangle of the recording canvas, with at
// most the pixels it has (a metafile: its frame at 96 pixels per inch, as large as a bitmap of it
// would be) and at most what the rectangle can show in print (PictureStorageSize). A metafile is
// played at that size, other kinds are resampled from their own pixels. The picture keeps the last
// size asked for, so that drawing it on page after page decodes and resamples it once.
#include "platform/emf/RecordingCanvas.h"
#include "platform/graphics/Picture.h"

namespace tessaly::graphics {

// Nothing for an empty picture, a picture without size or an empty rectangle; the picture's own
// errors otherwise.
void DrawPicture(emf::RecordingCanvas& canvas, const emf::RectL& r, const Picture& picture);

}  // namespace tessaly::graphics

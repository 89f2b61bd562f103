// Picture objects on a page: where the picture goes, the picture of a database field, and the
// picture as device-independent bits.
#include <QImage>

#include "engine/model/CV_Caption.h"
#include "engine/model/CV_FieldContent.h"
#include "engine/model/CV_ObjectRun.h"
#include "engine/model/CV_Picture.h"
#include "engine/report/CV_Report.h"
#include "engine/report/EngineState.h"
#include "platform/core/Rounding.h"
#include "platform/data/Field.h"
#include "platform/graphics/FieldPicture.h"
#include "platform/graphics/PictureDrawing.h"

namespace tessaly {

namespace {

emf::RectL Moved(emf::RectL r, int32_t dx, int32_t dy) {
    return {r.left + dx, r.top + dy, r.right + dx, r.bottom + dy};
}

emf::RectL Intersection(const emf::RectL& a, const emf::RectL& b) {
    return {std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right), std::min(a.bottom, b.bottom)};
}

}  // namespace

std::optional<emf::RectL> PictureTarget(const emf::RectL& drawRect, int32_t width, int32_t height,
                                        emf::SizeL picture, uint16_t flags) {
    if (picture.cx <= 0 || picture.cy <= 0) return std::nullopt;
    const int32_t roomX = drawRect.right - drawRect.left, roomY = drawRect.bottom - drawRect.top;
    if (!(flags & pfStretch)) {
        const emf::RectL own{drawRect.left, drawRect.top, drawRect.left + picture.cx, drawRect.top + picture.cy};
        return flags & pfCenter ? Moved(own, (roomX - picture.cx) / 2, (roomY - picture.cy) / 2) : own;
    }
    if (!(flags & pfKeepAspect)) return drawRect;
    const double kx = double(width) / picture.cx, ky = double(height) / picture.cy;
    emf::RectL target = drawRect;
    if (kx >= ky)
        target.right = drawRect.left + Round32(picture.cx * ky);
    else
        target.bottom = drawRect.top + Round32(picture.cy * kx);
    if (!(flags & pfCenter)) return target;
    return Moved(target, (roomX - (target.right - target.left)) / 2, (roomY - (target.bottom - target.top)) / 2);
}

void TcvPictureView::LoadFromField(data::Field& field) {
    if (field.IsNull()) {
        FieldPicture = {};
    } else {
        const std::string bytes = field.Value().AsString();
        FieldPicture = graphics::LoadFieldPicture({reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size()});
    }
    FromField = true;
}

void TcvPictureView::Draw(emf::RecordingCanvas& canvas) {
    const bool run = EngineMode == emRun;
    if (run && !Visible) return;
    SetCanvas(&canvas);
    // Only a picture read for this draw stands for the stored one.
    FromField = false;
    if (run && Report && Report->HasPictureFields)
        if (data::Field* field = ContentField(*this)) LoadFromField(*field);
    const graphics::Picture& picture = FromField ? FieldPicture : Picture;
    CalcDrawRect();
    DrawBackground();
    if (!picture.Empty())
        DrawPicture(picture);
    else if (!run)
        DrawCaptionText(canvas, DrawRect, Left + 2, Top + 2, "[Immagine]");
    DrawFrame();
    if (!run && !Visible) DrawHiddenCross();
}

// A picture at its own size is cut at the object's edges (one pixel past the right and bottom
// ones): only the part that shows is stored, so that a large picture in a small frame does not
// weigh on every page.
void TcvPictureView::DrawPicture(const graphics::Picture& picture) {
    if (ObjectRun().InFirstPass()) return;
    const std::optional<emf::RectL> target =
        PictureTarget(DrawRect, Width, Height, {picture.Width(), picture.Height()}, Flags);
    if (!target) return;
    if (Flags & pfStretch) return graphics::DrawPicture(*Canvas, *target, picture);
    const emf::RectL shown = Intersection(*target, {Left, Top, Left + Width + 1, Top + Height + 1});
    if (shown.right <= shown.left || shown.bottom <= shown.top) return;
    const QImage part = picture.ToImage().copy(shown.left - target->left, shown.top - target->top,
                                               shown.right - shown.left, shown.bottom - shown.top);
    Canvas->DrawPicture(shown, part);
}

}  // namespace tessaly

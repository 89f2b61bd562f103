#include "engine/model/CV_Picture.h"

#include "platform/core/Errors.h"

namespace tessaly {

void TcvCustomPictureView::DefinePopupMenu(TcvPopupMenu& menu) {
    menu.push_back({"", 0});
    menu.push_back({"Adattato", 0x01});
    menu.push_back({"Centra immagine", 0x02});
    menu.push_back({"Mantieni le proporzioni", 0x04});
}

TcvPictureView::TcvPictureView(TcvReport* report, const char* className) : TcvCustomPictureView(report, className) {
    ObjectType = otPicture;
    Flags = 5;
}

void TcvPictureView::Assign(const TcvView& source) {
    TcvView::Assign(source);
    if (auto* s = dynamic_cast<const TcvPictureView*>(&source)) Picture = s->Picture;
}

void TcvPictureView::LoadFromStream(Stream& stream) {
    TcvView::LoadFromStream(stream);
    const uint8_t kind = stream.ReadU8();
    const int64_t end = stream.ReadU32();
    if (end > stream.Size()) throw EReadError();
    Picture = graphics::Picture::ReadFrom(stream, kind, end);
    stream.SetPosition(end);
}

void TcvPictureView::SaveToStream(Stream& stream) const {
    TcvView::SaveToStream(stream);
    stream.WriteU8(static_cast<uint8_t>(Picture.Kind()));
    const int64_t placeholder = stream.Position();
    stream.WriteU32(0);
    Picture.SaveToStream(stream);
    const int64_t end = stream.Position();
    if (end > UINT32_MAX) throw EWriteError();
    stream.SetPosition(placeholder);
    stream.WriteU32(static_cast<uint32_t>(end));
    stream.SetPosition(end);
}

}  // namespace tessaly

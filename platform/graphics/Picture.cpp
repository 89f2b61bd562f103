#include "platform/graphics/Picture.h"

#include <QGuiApplication>
#include <QPainter>

#include "platform/emf/EmfPlayer.h"
#include "platform/emf/Metafile.h"
#include "platform/graphics/BitmapFile.h"
#include "platform/graphics/IconFile.h"
#include "platform/graphics/JpegImage.h"
#include "platform/graphics/PictureErrors.h"

namespace tessaly::graphics {

struct Picture::Data {
    PictureKind kind = PictureKind::None;
    std::vector<uint8_t> bytes;
    int32_t width = 0, height = 0;
    std::unique_ptr<emf::Metafile> metafile;
    // Decoded on demand; the bytes they come from never change.
    mutable QImage decoded;
    mutable QImage sized;
};

namespace {

// The frame's size, or the bounds' when the frame is empty (as the player maps it). May be 0.
void MetafileSize(const emf::Metafile& m, int32_t& width, int32_t& height) {
    width = m.Width(), height = m.Height();
    if (width <= 0 || height <= 0) {
        const emf::RectL& b = m.Header().bounds;
        width = std::max<int64_t>(0, int64_t(b.right) - b.left + 1);
        height = std::max<int64_t>(0, int64_t(b.bottom) - b.top + 1);
    }
    if (width > 0 && height > 0) CheckPictureSize(width, height);
}


QImage RenderMetafile(const emf::Metafile& metafile, int32_t width, int32_t height) {
    // Text in the metafile is drawn with Qt's fonts, which exist only inside an application.
    if (!QGuiApplication::instance()) throw EngineError("Playing a metafile picture needs a QGuiApplication");
    QImage image(width, height, QImage::Format_ARGB32_Premultiplied);
    if (image.isNull()) throw EInvalidGraphic("Image too large for the memory available");
    image.fill(Qt::transparent);
    QPainter painter(&image);
    emf::PlayMetafile(painter, metafile, QRectF(0, 0, width, height));
    return image;
}

// Opaque images as RGB32, others as premultiplied ARGB32: the two forms the canvas and painters
// take without another conversion.
QImage Normalized(const QImage& image) {
    return image.convertToFormat(image.hasAlphaChannel() ? QImage::Format_ARGB32_Premultiplied
                                                         : QImage::Format_RGB32);
}

}  // namespace

Picture::Picture() = default;
Picture::~Picture() = default;
Picture::Picture(const Picture&) = default;
Picture& Picture::operator=(const Picture&) = default;
Picture::Picture(std::shared_ptr<const Data> data) : data_(std::move(data)) {}

Picture Picture::Load(PictureKind kind, std::span<const uint8_t> bytes) {
    return Make(kind, std::vector<uint8_t>(bytes.begin(), bytes.end()));
}

Picture Picture::Make(PictureKind kind, std::vector<uint8_t> bytes) {
    if (kind == PictureKind::None) return Picture();
    auto data = std::make_shared<Data>();
    data->kind = kind;
    data->bytes = std::move(bytes);
    const std::span<const uint8_t> b = data->bytes;
    switch (kind) {
    case PictureKind::Bitmap: {
        const emf::DibHeader& h = ReadBitmapFile(b).header;
        data->width = h.width, data->height = h.height;
        break;
    }
    case PictureKind::Icon: {
        const QSize size = ReadIcon(b).size;
        data->width = size.width(), data->height = size.height();
        break;
    }
    case PictureKind::Jpeg: {
        const JpegInfo info = ReadJpegInfo(b);
        data->width = info.width, data->height = info.height;
        break;
    }
    case PictureKind::Metafile:
        data->metafile = std::make_unique<emf::Metafile>(emf::Metafile::FromBytes(b));
        MetafileSize(*data->metafile, data->width, data->height);
        break;
    case PictureKind::None:
        break;
    }
    return Picture(std::move(data));
}

Picture Picture::ReadFrom(Stream& stream, uint8_t kindCode, int64_t end) {
    const int64_t position = stream.Position();
    if (end < position) throw EReadError();
    std::vector<uint8_t> bytes = stream.ReadByteVector(size_t(end - position));
    if (kindCode > uint8_t(PictureKind::Jpeg)) return Picture();
    return Make(PictureKind(kindCode), std::move(bytes));
}

void Picture::SaveToStream(Stream& stream) const {
    const auto bytes = Bytes();
    stream.WriteBuffer(bytes.data(), bytes.size());
}

PictureKind Picture::Kind() const { return data_ ? data_->kind : PictureKind::None; }

std::span<const uint8_t> Picture::Bytes() const {
    return data_ ? std::span<const uint8_t>(data_->bytes) : std::span<const uint8_t>();
}

int32_t Picture::Width() const { return data_ ? data_->width : 0; }
int32_t Picture::Height() const { return data_ ? data_->height : 0; }

const emf::Metafile* Picture::Metafile() const { return data_ ? data_->metafile.get() : nullptr; }

QImage Picture::ToImage() const {
    if (Empty()) return {};
    QImage& decoded = data_->decoded;
    if (!decoded.isNull()) return decoded;
    const std::span<const uint8_t> b = data_->bytes;
    switch (data_->kind) {
    case PictureKind::Bitmap: decoded = Normalized(DecodeBitmapFile(b)); break;
    case PictureKind::Icon: decoded = DecodeIcon(b); break;
    case PictureKind::Jpeg: decoded = DecodeJpeg(b); break;
    case PictureKind::Metafile: decoded = ImageAt(Width(), Height()); break;
    case PictureKind::None: break;
    }
    return decoded;
}

QImage Picture::ImageAt(int32_t width, int32_t height) const {
    if (Empty() || width <= 0 || height <= 0) return {};
    CheckPictureSize(width, height);
    if (data_->sized.width() == width && data_->sized.height() == height) return data_->sized;
    if (data_->metafile) {
        data_->sized = RenderMetafile(*data_->metafile, width, height);
    } else {
        const QImage full = ToImage();
        data_->sized = full.width() == width && full.height() == height
                           ? full
                           : full.scaled(width, height, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    }
    return data_->sized;
}

}  // namespace tessaly::graphics

// Bitmap records: blits with raster operations, device-independent bits, masks, parallelograms,
// alpha blending and colour-keyed transparency.
#include <cmath>

#include "platform/emf/EmfBitmap.h"
#include "platform/emf/EmfPlayback.h"

namespace tessaly::emf {

namespace {

// The ternary raster operations by their index byte (bits 16 to 23 of the operation).
constexpr uint8_t I_BLACKNESS = 0x00, I_NOTSRCERASE = 0x11, I_NOTSRCCOPY = 0x33, I_SRCERASE = 0x44, I_DSTINVERT = 0x55,
                  I_PATINVERT = 0x5A, I_SRCINVERT = 0x66, I_SRCAND = 0x88, I_DSTCOPY = 0xAA, I_MERGEPAINT = 0xBB,
                  I_MERGECOPY = 0xC0, I_SRCCOPY = 0xCC, I_SRCPAINT = 0xEE, I_PATCOPY = 0xF0, I_WHITENESS = 0xFF;
// The brush where the source is set and the destination elsewhere (DSPDxax), and the other way
// round (PSDPxax): how text and symbols are drawn as monochrome masks in the brush colour.
constexpr uint8_t I_BRUSHWHERESET = 0xE2, I_BRUSHWHERECLEAR = 0xB8;
constexpr uint8_t AC_SRC_ALPHA = 0x01;

uint8_t RopIndex(uint32_t rop) {
    return uint8_t((rop >> 16) & 0xFF);
}

bool RopUsesSource(uint32_t rop) {
    return (((rop >> 2) ^ rop) & 0x330000) != 0;
}

// On devices without raster operations, a source that is ANDed leaves the destination alone where
// it is white, and one that is ORed or XORed where it is black: those pixels become transparent.
QImage KeyedOut(const QImage& image, QRgb key) {
    QImage out = image.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < out.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(out.scanLine(y));
        for (int x = 0; x < out.width(); ++x)
            if ((line[x] & 0xFFFFFF) == (key & 0xFFFFFF)) line[x] = 0;
    }
    return out;
}

// Pixels of `image` inside `source` whose mask bit is 0 become transparent.
QImage Masked(const QImage& image, const QImage& mask, int dx, int dy) {
    QImage out = image.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < out.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(out.scanLine(y));
        const int my = y + dy;
        for (int x = 0; x < out.width(); ++x) {
            const int mx = x + dx;
            const bool on = mx >= 0 && my >= 0 && mx < mask.width() && my < mask.height() && mask.pixelIndex(mx, my) != 0;
            if (!on) line[x] = 0;
        }
    }
    return out;
}

// The brush painted where the source's pixels are set (light: the 1 bits of a black-and-white mask),
// or where they are clear, and transparent elsewhere.
QImage BrushThroughSource(const QImage& source, const QBrush& brush, bool whereSet) {
    QImage out(source.size(), QImage::Format_ARGB32_Premultiplied);
    {
        QPainter p(&out);
        p.setCompositionMode(QPainter::CompositionMode_Source);
        p.fillRect(out.rect(), brush);
    }
    const QImage src = source.convertToFormat(QImage::Format_RGB32);
    for (int y = 0; y < out.height(); ++y) {
        const auto* in = reinterpret_cast<const QRgb*>(src.constScanLine(y));
        auto* line = reinterpret_cast<QRgb*>(out.scanLine(y));
        for (int x = 0; x < out.width(); ++x)
            if ((qGray(in[x]) >= 128) != whereSet) line[x] = 0;
    }
    return out;
}

// The monochrome mask of MASKBLT and PLGBLT.
QImage DecodeMask(const EmrBitmap& b) {
    DibDecodeOptions options;
    options.keepMono = true;
    options.usage = b.usageMask;
    return DecodeDib(b.bmiMask, b.bitsMask, options);
}

}  // namespace

void Playback::PatBlt(const QRectF& dest, uint32_t rop) {
    const uint8_t index = RopIndex(rop);
    if (index == I_DSTCOPY) return;
    SyncTransform();
    const QRectF rect = dest.normalized();
    switch (index) {
    case I_BLACKNESS:
        painter.fillRect(rect, Qt::black);
        return;
    case I_WHITENESS:
        painter.fillRect(rect, Qt::white);
        return;
    case I_DSTINVERT:
        if (!rasterOps_) return;
        painter.setCompositionMode(QPainter::RasterOp_NotDestination);
        painter.fillRect(rect, Qt::white);
        painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
        return;
    case I_PATCOPY:
    case I_PATINVERT: {
        if (dc.brush.IsNull()) return;
        const QBrush brush = MakeBrush(dc.brush);
        if (index == I_PATINVERT && rasterOps_) painter.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
        painter.fillRect(rect, brush);
        painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
        return;
    }
    default:
        return;  // other operations without a source are not played
    }
}

void Playback::DrawImage(const QRectF& destIn, const QImage& imageIn, const QRectF& srcIn, uint32_t rop,
                            const QTransform* extra) {
    const uint8_t index = RopIndex(rop);
    if (index == I_DSTCOPY || imageIn.isNull()) return;
    const bool flipX = (destIn.width() < 0) != (srcIn.width() < 0);
    const bool flipY = (destIn.height() < 0) != (srcIn.height() < 0);
    const QRectF dest = destIn.normalized(), src = srcIn.normalized();
    if (dest.isEmpty() || src.isEmpty()) return;
    // A source reaching outside the bitmap draws only the part inside, in proportion.
    const QRectF inter = src & QRectF(imageIn.rect());
    if (inter.isEmpty()) return;
    const double kx = dest.width() / src.width(), ky = dest.height() / src.height();
    const double left = flipX ? src.right() - inter.right() : inter.left() - src.left();
    const double top = flipY ? src.bottom() - inter.bottom() : inter.top() - src.top();
    const QRectF part(dest.left() + left * kx, dest.top() + top * ky, inter.width() * kx, inter.height() * ky);

    QImage image = imageIn;
    QPainter::CompositionMode mode = QPainter::CompositionMode_SourceOver;
    switch (index) {
    case I_SRCCOPY: break;
    case I_NOTSRCCOPY:
        image = image.convertToFormat(QImage::Format_RGB32);
        image.invertPixels();
        break;
    case I_MERGECOPY: {  // source AND brush colour
        image = image.convertToFormat(QImage::Format_RGB32);
        const QRgb colour = dc.brush.colour.rgb() | 0xFF000000u;
        for (int y = 0; y < image.height(); ++y) {
            auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
            for (int x = 0; x < image.width(); ++x) line[x] &= colour;
        }
        break;
    }
    case I_BRUSHWHERESET:
    case I_BRUSHWHERECLEAR: {
        if (dc.brush.IsNull()) return;
        QBrush brush = dc.brush.style == BS_SOLID ? QBrush(dc.brush.colour) : MakeBrush(dc.brush);
        brush.setTransform(QTransform());  // patterns in source pixels here
        image = BrushThroughSource(image, brush, index == I_BRUSHWHERESET);
        break;
    }
    case I_SRCPAINT:
        if (rasterOps_) mode = QPainter::RasterOp_SourceOrDestination;
        else image = KeyedOut(image, qRgb(0, 0, 0));
        break;
    case I_SRCAND:
        if (rasterOps_) mode = QPainter::RasterOp_SourceAndDestination;
        else image = KeyedOut(image, qRgb(255, 255, 255));
        break;
    case I_SRCINVERT:
        if (rasterOps_) mode = QPainter::RasterOp_SourceXorDestination;
        else image = KeyedOut(image, qRgb(0, 0, 0));
        break;
    case I_SRCERASE:
        if (rasterOps_) mode = QPainter::RasterOp_SourceAndNotDestination;
        break;
    case I_NOTSRCERASE:
        if (rasterOps_) mode = QPainter::RasterOp_NotSourceAndNotDestination;
        break;
    case I_MERGEPAINT:
        if (rasterOps_) mode = QPainter::RasterOp_NotSourceOrDestination;
        break;
    default:
        if (!RopUsesSource(rop)) {
            PatBlt(destIn, rop);
            return;
        }
        break;  // other operations with a source draw it as a copy
    }
    if (mode != QPainter::CompositionMode_SourceOver && image.hasAlphaChannel())
        image = image.convertToFormat(QImage::Format_RGB32);

    SyncTransform();
    QTransform t = LogicalToOutput();
    if (extra) t = *extra * t;
    if (flipX || flipY) {
        const QPointF c = part.center();
        t = QTransform(flipX ? -1 : 1, 0, 0, flipY ? -1 : 1, flipX ? 2 * c.x() : 0, flipY ? 2 * c.y() : 0) * t;
    }
    painter.setWorldTransform(t);
    space_ = Space::Custom;
    painter.setRenderHint(QPainter::SmoothPixmapTransform, dc.stretchMode == HALFTONE);
    painter.setCompositionMode(mode);
    painter.drawImage(part, image, inter);
    painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
    painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
}

void Playback::StretchDib(const QRectF& dest, int32_t xSrc, int32_t ySrc, int32_t cxSrc, int32_t cySrc,
                          std::span<const uint8_t> info, std::span<const uint8_t> bits, uint32_t usage, uint32_t rop) {
    if (dc.pathOpen) return;
    if (!RopUsesSource(rop)) {
        PatBlt(dest, rop);
        return;
    }
    DibHeader header;
    if (bits.empty() || !ReadDibHeader(info, header)) return;
    DibDecodeOptions options;
    options.usage = usage;
    options.palette = &dc.palette;
    const QImage image = DecodeDib(info, bits, options);
    if (image.isNull()) return;
    // A bottom-up bitmap counts its source rows from the bottom line.
    const double top = header.topDown ? double(ySrc) : double(header.height) - ySrc - cySrc;
    DrawImage(dest, image, QRectF(xSrc, top, cxSrc, cySrc), rop);
}

void Playback::PlayBlit(RecordView r) {
    const auto b = ParseBitmap(r);
    if (!b || dc.pathOpen) return;
    switch (r.Type()) {
    case EMR_STRETCHDIBITS:
        StretchDib(QRectF(b->xDest, b->yDest, b->cxDest, b->cyDest), b->xSrc, b->ySrc, b->cxSrc, b->cySrc, b->bmiSrc,
                   b->bitsSrc, b->usageSrc, b->rop);
        return;
    case EMR_SETDIBITSTODEVICE:
        SetDIBitsToDevice(*b);
        return;
    case EMR_PLGBLT:
        ParallelogramBlit(*b);
        return;
    default:  // BITBLT, STRETCHBLT, MASKBLT, ALPHABLEND, TRANSPARENTBLT
        SourceBlit(r.Type(), *b);
        return;
    }
}

DibDecodeOptions Playback::SourceOptions(const EmrBitmap& b) const {
    DibDecodeOptions options;
    options.palette = &dc.palette;
    options.usage = b.usageSrc;
    return options;
}

// The bits hold `scans` lines from `startScan` on: they are decoded as a bitmap of their own.
void Playback::SetDIBitsToDevice(const EmrBitmap& b) {
    DibHeader header;
    if (!ReadDibHeader(b.bmiSrc, header) || b.scans == 0 || b.scans > uint32_t(header.height)) return;
    std::vector<uint8_t> info(b.bmiSrc.begin(), b.bmiSrc.end());
    if (b.scans < uint32_t(header.height)) {
        if (header.headerSize < 40) return;
        const uint32_t h = header.topDown ? uint32_t(-int32_t(b.scans)) : b.scans;
        for (int k = 0; k < 4; ++k) info[8 + k] = uint8_t(h >> (8 * k));
    }
    const QImage image = DecodeDib(info, b.bitsSrc, SourceOptions(b));
    if (image.isNull()) return;
    const double top = header.topDown ? double(b.ySrc) - b.startScan
                                      : double(b.startScan) + image.height() - b.ySrc - b.cySrc;
    DrawImage(QRectF(b.xDest, b.yDest, b.cxDest, b.cyDest), image, QRectF(b.xSrc, top, b.cxSrc, b.cySrc), SRCCOPY);
}

// The source rectangle onto the parallelogram: p0 top-left, p1 top-right, p2 bottom-left.
void Playback::ParallelogramBlit(const EmrBitmap& b) {
    const QRectF src(b.xSrc, b.ySrc, b.cxSrc, b.cySrc);
    if (src.width() == 0 || src.height() == 0) return;
    QImage image = DecodeDib(b.bmiSrc, b.bitsSrc, SourceOptions(b));
    if (image.isNull()) return;
    const QImage mask = DecodeMask(b);
    if (!mask.isNull() && mask.format() == QImage::Format_Mono)
        image = Masked(image, mask, b.xMask - b.xSrc, b.yMask - b.ySrc);
    const PointL* p = b.parallelogram;
    const QTransform toParallelogram((p[1].x - p[0].x) / src.width(), (p[1].y - p[0].y) / src.width(),
                                     (p[2].x - p[0].x) / src.height(), (p[2].y - p[0].y) / src.height(), p[0].x,
                                     p[0].y);
    DrawImage(QRectF(0, 0, src.width(), src.height()), image, src, SRCCOPY, &toParallelogram);
}

// The blits from a source bitmap into a destination rectangle; BITBLT and STRETCHBLT without one
// paint with the brush.
void Playback::SourceBlit(uint32_t type, const EmrBitmap& b) {
    const QRectF dest(b.xDest, b.yDest, b.cxDest, b.cyDest);
    const QRectF src(b.xSrc, b.ySrc, b.cxSrc, b.cySrc);
    if (b.bitsSrc.empty() || b.bmiSrc.empty()) {
        if (type == EMR_BITBLT || type == EMR_STRETCHBLT) PatBlt(dest, b.rop);
        return;
    }
    DibDecodeOptions options = SourceOptions(b);
    options.keepAlpha = type == EMR_ALPHABLEND && (((b.rop >> 24) & 0xFF) & AC_SRC_ALPHA);
    QImage image = DecodeDib(b.bmiSrc, b.bitsSrc, options);
    if (image.isNull()) return;
    switch (type) {
    case EMR_TRANSPARENTBLT:  // the raster-operation field holds the transparent colour
        DrawImage(dest, KeyedOut(image, Colour(b.rop).rgb()), src, SRCCOPY);
        return;
    case EMR_ALPHABLEND: {  // the field holds the blend function: operation, flags, constant alpha, format
        const double opacity = ((b.rop >> 16) & 0xFF) / 255.0;
        if (opacity <= 0) return;
        painter.setOpacity(opacity);
        DrawImage(dest, image, src, SRCCOPY);
        painter.setOpacity(1.0);
        return;
    }
    case EMR_MASKBLT: {
        // The foreground operation applies where the mask is 1; a background that keeps the
        // destination makes the other pixels transparent.
        const QImage mask = DecodeMask(b);
        if (!mask.isNull() && mask.format() == QImage::Format_Mono && RopIndex(b.rop >> 8) == I_DSTCOPY)
            image = Masked(image, mask, b.xMask - b.xSrc, b.yMask - b.ySrc);
        DrawImage(dest, image, src, b.rop & 0x00FFFFFF);
        return;
    }
    default:
        DrawImage(dest, image, src, b.rop);
        return;
    }
}

}  // namespace tessaly::emf

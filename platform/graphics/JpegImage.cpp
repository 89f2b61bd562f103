#include "platform/graphics/JpegImage.h"

#include <QSysInfo>
#include <algorithm>
#include <csetjmp>
#include <cstdio>
#include <cstdlib>

// jpeglib.h needs FILE and size_t declared first.
#include <jpeglib.h>
#include <jerror.h>

#include "platform/graphics/PictureErrors.h"

#ifndef JCS_EXTENSIONS
#error "libjpeg-turbo is needed: its extended colour spaces write Qt's pixel layout directly"
#endif

namespace tessaly::graphics {

namespace {

// The library's error manager, with the place its handler returns to and the message it left.
struct Errors {
    jpeg_error_mgr manager;
    std::jmp_buf jump;
    char message[JMSG_LENGTH_MAX] = {};
};

Errors& ErrorsOf(j_common_ptr c) { return *reinterpret_cast<Errors*>(c->err); }

[[noreturn]] void OnError(j_common_ptr c) {
    (*c->err->format_message)(c, ErrorsOf(c).message);
    std::longjmp(ErrorsOf(c).jump, 1);
}

// Warnings are tolerated (real files carry stray bytes between markers), except the end of the
// data before the last scan line, which the library would paint over with grey.
void OnMessage(j_common_ptr c, int level) {
    if (level < 0 && c->err->msg_code == JWRN_JPEG_EOF) OnError(c);
}

void OnProgress(j_common_ptr c) {
    if (!c->is_decompressor) return;
    if (reinterpret_cast<j_decompress_ptr>(c)->input_scan_number <= kMaxJpegScans) return;
    std::snprintf(ErrorsOf(c).message, JMSG_LENGTH_MAX, "more than %d scans", kMaxJpegScans);
    std::longjmp(ErrorsOf(c).jump, 1);
}

jpeg_error_mgr* InitErrors(Errors& e) {
    jpeg_error_mgr* manager = jpeg_std_error(&e.manager);
    manager->error_exit = OnError;
    manager->emit_message = OnMessage;
    return manager;
}

// Runs a step of library calls. Nothing in the step may need a destructor: an error jumps from
// inside the library straight back here, past the step's frame.
template <class Step>
bool Guarded(Errors& e, Step&& step) {
    if (setjmp(e.jump)) return false;
    step();
    return true;
}

[[noreturn]] void Fail(const Errors& e) { InvalidGraphic("JPEG image", e.message); }

struct Decompressor {
    Errors errors;
    jpeg_progress_mgr progress{};
    jpeg_decompress_struct info{};

    Decompressor() {
        info.err = InitErrors(errors);
        if (!Guarded(errors, [&] { jpeg_create_decompress(&info); })) Fail(errors);
        progress.progress_monitor = OnProgress;
        info.progress = &progress;
    }
    ~Decompressor() { jpeg_destroy_decompress(&info); }
    Decompressor(const Decompressor&) = delete;
    Decompressor& operator=(const Decompressor&) = delete;

    // Reads the header and refuses a size that must not be decoded.
    void ReadHeader(std::span<const uint8_t> bytes) {
        if (!Guarded(errors, [&] {
                jpeg_mem_src(&info, bytes.data(), static_cast<unsigned long>(bytes.size()));
                jpeg_read_header(&info, TRUE);
            }))
            Fail(errors);
        CheckPictureSize(info.image_width, info.image_height);
    }
};

struct Compressor {
    Errors errors;
    jpeg_compress_struct info{};
    unsigned char* out = nullptr;  // malloc'ed by the library's memory destination
    unsigned long size = 0;

    Compressor() {
        info.err = InitErrors(errors);
        if (!Guarded(errors, [&] { jpeg_create_compress(&info); })) Fail(errors);
    }
    ~Compressor() {
        jpeg_destroy_compress(&info);
        std::free(out);
    }
    Compressor(const Compressor&) = delete;
    Compressor& operator=(const Compressor&) = delete;
};

// CMYK as Adobe writes it (the Adobe marker) is stored inverted: 255 means no ink.
void CmykToRgb(const uint8_t* cmyk, QRgb* rgb, uint32_t count, bool inverted) {
    for (uint32_t x = 0; x < count; ++x, cmyk += 4) {
        int c = cmyk[0], m = cmyk[1], y = cmyk[2], k = cmyk[3];
        if (!inverted) c = 255 - c, m = 255 - m, y = 255 - y, k = 255 - k;
        rgb[x] = qRgb(c * k / 255, m * k / 255, y * k / 255);
    }
}

}  // namespace

JpegInfo ReadJpegInfo(std::span<const uint8_t> bytes) {
    Decompressor d;
    d.ReadHeader(bytes);
    return {int32_t(d.info.image_width), int32_t(d.info.image_height), d.info.num_components,
            d.info.progressive_mode != 0};
}

QImage DecodeJpeg(std::span<const uint8_t> bytes) {
    Decompressor d;
    d.ReadHeader(bytes);
    jpeg_decompress_struct& info = d.info;
    const bool cmyk = info.jpeg_color_space == JCS_CMYK || info.jpeg_color_space == JCS_YCCK;
    // Format_RGB32 is 0xFFRRGGBB in native order: B, G, R, X in memory on little-endian machines.
    const bool little = QSysInfo::ByteOrder == QSysInfo::LittleEndian;
    info.out_color_space = cmyk ? JCS_CMYK : little ? JCS_EXT_BGRX : JCS_EXT_XRGB;
    if (!Guarded(d.errors, [&] { jpeg_start_decompress(&info); })) Fail(d.errors);

    QImage image(int(info.output_width), int(info.output_height), QImage::Format_RGB32);
    if (image.isNull()) throw EInvalidGraphic("JPEG image too large for the memory available");
    std::vector<uint8_t> cmykRow(cmyk ? size_t(info.output_width) * 4 : 0);
    uint8_t* const base = image.bits();
    const qsizetype stride = image.bytesPerLine();
    uint8_t* const row = cmykRow.data();
    const bool inverted = info.saw_Adobe_marker;
    bool stalled = false;
    const bool read = Guarded(d.errors, [&] {
        while (info.output_scanline < info.output_height) {
            auto* line = reinterpret_cast<QRgb*>(base + stride * info.output_scanline);
            JSAMPROW target = cmyk ? row : reinterpret_cast<JSAMPROW>(line);
            if (jpeg_read_scanlines(&info, &target, 1) != 1) {
                stalled = true;
                return;
            }
            if (cmyk) CmykToRgb(row, line, info.output_width, inverted);
        }
    });
    if (!read) Fail(d.errors);
    if (stalled) InvalidGraphic("JPEG image", "scan lines missing");
    // The rest of the file (markers after the last scan) is not needed: the destructor aborts.
    return image;
}

std::vector<uint8_t> EncodeJpeg(const QImage& image, const JpegOptions& options) {
    if (image.isNull()) InvalidGraphic("JPEG image", "no pixels to encode");
    const QImage source =
        image.convertToFormat(options.grayscale ? QImage::Format_Grayscale8 : QImage::Format_RGB888);
    const uint8_t* const base = source.constBits();
    const qsizetype stride = source.bytesPerLine();
    Compressor c;
    jpeg_compress_struct& info = c.info;
    const bool written = Guarded(c.errors, [&] {
        jpeg_mem_dest(&info, &c.out, &c.size);
        info.image_width = JDIMENSION(source.width());
        info.image_height = JDIMENSION(source.height());
        info.input_components = options.grayscale ? 1 : 3;
        info.in_color_space = options.grayscale ? JCS_GRAYSCALE : JCS_RGB;
        jpeg_set_defaults(&info);
        jpeg_set_quality(&info, std::clamp(options.quality, 1, 100), TRUE);
        if (options.progressive) jpeg_simple_progression(&info);
        jpeg_start_compress(&info, TRUE);
        while (info.next_scanline < info.image_height) {
            JSAMPROW line = const_cast<uint8_t*>(base + stride * info.next_scanline);
            jpeg_write_scanlines(&info, &line, 1);
        }
        jpeg_finish_compress(&info);
    });
    if (!written) Fail(c.errors);
    return std::vector<uint8_t>(c.out, c.out + c.size);
}

}  // namespace tessaly::graphics

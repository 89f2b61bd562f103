#pragma once
// JPEG images through libjpeg-turbo, called directly. The library's errors never end the process:
// each call into it runs under a jump buffer that its error handler returns to, and the failure
// becomes EInvalidGraphic ("JPEG image is not valid (<the library's message>)").
//
// Decoding reads the header first and refuses a size above kMaxPicturePixels before anything is
// allocated; a file that ends before its last scan line, or a progressive one with more than
// kMaxJpegScans scans (each costs a pass over the whole image), is refused too.
#include <QImage>
#include <cstdint>
#include <span>
#include <vector>

namespace tessaly::graphics {

constexpr int kMaxJpegScans = 500;

struct JpegInfo {
    int32_t width = 0;
    int32_t height = 0;
    int components = 0;
    bool progressive = false;
};

// Reads the header only.
JpegInfo ReadJpegInfo(std::span<const uint8_t> bytes);

// Baseline and progressive, grey, colour (YCbCr or RGB) and CMYK (Adobe's inverted form) images,
// as Format_RGB32.
QImage DecodeJpeg(std::span<const uint8_t> bytes);

struct JpegOptions {
    int quality = 90;  // 1..100
    bool progressive = false;
    bool grayscale = false;
};

// Encodes the image as JFIF (colour images as YCbCr; alpha is ignored).
std::vector<uint8_t> EncodeJpeg(const QImage& image, const JpegOptions& options = {});

}  // namespace tessaly::graphics

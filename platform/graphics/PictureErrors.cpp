#include "platform/graphics/PictureErrors.h"

namespace tessaly::graphics {

void CheckPictureSize(int64_t width, int64_t height) {
    if (width <= 0 || height <= 0)
        throw EInvalidGraphic("Image without pixels (" + std::to_string(width) + " x " +
                              std::to_string(height) + ")");
    if (width > kMaxPicturePixels || height > kMaxPicturePixels || width * height > kMaxPicturePixels)
        throw EInvalidGraphic("Image too large (" + std::to_string(width) + " x " +
                              std::to_string(height) + " pixels)");
}

void InvalidGraphic(const char* what, const std::string& why) {
    std::string message = std::string(what) + " is not valid";
    if (!why.empty()) message += " (" + why + ")";
    throw EInvalidGraphic(message);
}

}  // namespace tessaly::graphics

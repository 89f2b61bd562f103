#pragma once
// The error of an unreadable picture, and the bound on the pixels of any picture decoded here.
#include <cstdint>
#include <string>

#include "platform/core/Errors.h"
#include "platform/emf/EmfBitmap.h"

namespace tessaly::graphics {

class EInvalidGraphic : public EngineError {
public:
    using EngineError::EngineError;
};

// One bound for every kind, the one the metafile player keeps for its bitmaps: 64 Mpixels (256 MB
// as 32-bit pixels). A 4,000 x 3,000 photograph is 12 Mpixels.
constexpr int64_t kMaxPicturePixels = emf::kMaxDibPixels;

// Raises EInvalidGraphic when a picture of that size must not be decoded: no pixels, or more than
// kMaxPicturePixels. Called with the sizes a header claims, before anything is allocated.
void CheckPictureSize(int64_t width, int64_t height);

// Raises EInvalidGraphic with "<what> is not valid" and the reason, when there is one.
[[noreturn]] void InvalidGraphic(const char* what, const std::string& why = {});

}  // namespace tessaly::graphics

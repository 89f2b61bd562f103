#pragma once
// The format code of a report object, one 32-bit word:
//   bits 0-7    decimal separator of the number formats
//   bits 8-15   decimals of the fixed number formats
//   bits 16-23  format index within the category (4: the custom format, from the format text)
//   bits 24-27  category (TcvFormatCategory)
//   bits 28-31  unused, kept as they are
#include <cstdint>

#include "platform/text/FormatSettings.h"

namespace tessaly {

enum TcvFormatCategory : uint8_t { fcText = 0, fcNumber = 1, fcDate = 2, fcTime = 3, fcBoolean = 4 };
inline constexpr int FormatCategoryCount = 5;
inline constexpr int CustomFormatIndex = 4;

inline char FormatSeparator(uint32_t code) { return static_cast<char>(code & 0xFF); }
inline int FormatDecimals(uint32_t code) { return static_cast<int>((code >> 8) & 0xFF); }
inline int FormatIndex(uint32_t code) { return static_cast<int>((code >> 16) & 0xFF); }
inline int FormatCategory(uint32_t code) { return static_cast<int>((code >> 24) & 0x0F); }

inline uint32_t WithSeparator(uint32_t code, char c) { return (code & ~0xFFu) | static_cast<uint8_t>(c); }
inline uint32_t WithDecimals(uint32_t code, int n) { return (code & ~0xFF00u) | (static_cast<uint32_t>(n & 0xFF) << 8); }
inline uint32_t WithIndex(uint32_t code, int i) { return (code & ~0xFF0000u) | (static_cast<uint32_t>(i & 0xFF) << 16); }
inline uint32_t WithCategory(uint32_t code, int c) {
    return (code & ~0x0F000000u) | (static_cast<uint32_t>(c & 0x0F) << 24);
}

// A new object's code: category text, two decimals, the locale's decimal separator.
inline uint32_t DefaultFormatCode() { return 0x200u | static_cast<uint8_t>(CurrentFormatSettings().DecimalSeparator); }

}  // namespace tessaly

#pragma once
// Windows-1252, the engine's single-byte text encoding. Engine strings (std::string) hold cp1252
// bytes; convert only at the edges: UTF-8 for files names and terminals, UTF-16 for widgets and
// EXTTEXTOUTW records.
#include <string>
#include <string_view>

namespace tessaly {

using AnsiString = std::string;  // cp1252 bytes

// One cp1252 byte to its Unicode code point. The five unassigned bytes (0x81, 0x8D, 0x8F, 0x90,
// 0x9D) map to the C1 controls of the same value, as the platform's converter does.
char32_t Cp1252ToUnicode(unsigned char c);
// A code point to cp1252; characters the code page lacks become '?'.
char UnicodeToCp1252(char32_t u);

std::string Cp1252ToUtf8(std::string_view s);
std::string Utf8ToCp1252(std::string_view s);  // malformed UTF-8 bytes become '?'
// The exact conversion: false when the text is not well-formed UTF-8 or holds a character that
// cp1252 lacks (`out` is then incomplete).
bool TryUtf8ToCp1252(std::string_view s, std::string& out);
// Appends one code point (at most U+10FFFF) in UTF-8.
void AppendUtf8(std::string& out, char32_t u);
std::u16string Cp1252ToUtf16(std::string_view s);
std::u16string Utf8ToUtf16(std::string_view s);
std::string Utf16ToCp1252(std::u16string_view s);  // surrogate pairs become one '?'
std::string Utf16ToUtf8(std::u16string_view s);

// Case changes of "a" to "z" only: accented letters are left as they are.
std::string UpperCase(std::string_view s);
std::string LowerCase(std::string_view s);
char UpCase(char c);
// Case-insensitive (ASCII letters only) comparison: <0, 0, >0.
int CompareText(std::string_view a, std::string_view b);
bool SameText(std::string_view a, std::string_view b);
std::string Trim(std::string_view s);  // removes bytes 0 to 32 at both ends

}  // namespace tessaly

#pragma once
// The two sub-forms that recur in the template stream, and the limits that a stream written by
// the engine must keep to read back as it was written.
//   short string: a length byte, then that many bytes;
//   line list:    counted (a 16-bit count, then per line a 16-bit length and the bytes) from
//                 version 26 on, terminated (lines ended by CR, the list by a zero byte) before;
//                 written always counted. A single string field is a list of one line.
#include <string_view>

#include "platform/core/Cp1252.h"
#include "platform/core/Stream.h"
#include "platform/core/StringList.h"

namespace tessaly {

inline constexpr size_t kMaxShortString = 255;
inline constexpr int kMaxLineCount = 65535;
inline constexpr size_t kMaxLineLength = 65535;

AnsiString ReadShortString(Stream& stream);
// The text must fit (FitsShortString); the writer never cuts.
void WriteShortString(Stream& stream, std::string_view text);

// Read in the form of StreamVersion.
void ReadLineList(Stream& stream, StringList& lines);
void WriteLineList(Stream& stream, const StringList& lines);
// A string field: the first line of the list (empty for an empty list).
AnsiString ReadLineField(Stream& stream);
void WriteLineField(Stream& stream, const AnsiString& text);

bool FitsShortString(std::string_view text);
bool FitsLineField(std::string_view text);
bool FitsLineList(const StringList& lines);

// The template cannot be saved: raises the error "Impossibile salvare il report: " + reason.
[[noreturn]] void RefuseToSave(const AnsiString& reason);

}  // namespace tessaly

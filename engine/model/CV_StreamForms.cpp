#include "engine/model/CV_StreamForms.h"

#include "engine/report/EngineState.h"
#include "platform/core/Errors.h"

namespace tessaly {

AnsiString ReadShortString(Stream& stream) { return stream.ReadBytes(stream.ReadU8()); }

void WriteShortString(Stream& stream, std::string_view text) {
    if (!FitsShortString(text)) throw EWriteError();
    stream.WriteU8(static_cast<uint8_t>(text.size()));
    stream.WriteBuffer(text.data(), text.size());
}

void ReadLineList(Stream& stream, StringList& lines) {
    if (StreamVersion >= 26)
        ReadCountedStrings(stream, lines);
    else
        ReadTerminatedStrings(stream, lines);
}

void WriteLineList(Stream& stream, const StringList& lines) {
    if (!FitsLineList(lines)) throw EWriteError();
    WriteCountedStrings(stream, lines, kMaxLineLength);
}

AnsiString ReadLineField(Stream& stream) {
    StringList& lines = ScratchList;
    ReadLineList(stream, lines);
    AnsiString first = lines.Empty() ? AnsiString() : lines[0];
    lines.Clear();
    return first;
}

void WriteLineField(Stream& stream, const AnsiString& text) {
    if (!FitsLineField(text)) throw EWriteError();
    stream.WriteU16(1);
    stream.WriteU16(static_cast<uint16_t>(text.size()));
    stream.WriteString(text);
}

bool FitsShortString(std::string_view text) { return text.size() <= kMaxShortString; }

bool FitsLineField(std::string_view text) { return text.size() <= kMaxLineLength; }

bool FitsLineList(const StringList& lines) {
    if (lines.Count() > kMaxLineCount) return false;
    for (int i = 0; i < lines.Count(); ++i)
        if (!FitsLineField(lines[i])) return false;
    return true;
}

void RefuseToSave(const AnsiString& reason) { throw EngineError("Impossibile salvare il report: " + reason); }

}  // namespace tessaly

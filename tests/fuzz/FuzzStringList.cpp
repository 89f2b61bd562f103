// Fuzz target: both stream forms of a string list read from the same bytes. What the counted form
// reads must write and read back the same (each string cut to the 1024 bytes the writer keeps);
// what the terminated form reads must come back from its own layout.
#include <cstddef>
#include <cstdint>

#include "FuzzCheck.h"
#include "platform/core/Errors.h"
#include "platform/core/Stream.h"
#include "platform/core/StringList.h"

using namespace tessaly;

namespace {

void Counted(const uint8_t* data, size_t size) {
    ByteViewStream in(data, size);
    StringList list;
    try {
        ReadCountedStrings(in, list);
    } catch (const EngineError&) {
        return;
    }
    MemoryStream out;
    WriteCountedStrings(out, list);
    out.SetPosition(0);
    StringList back;
    ReadCountedStrings(out, back);
    FUZZ_CHECK(out.Remaining() == 0);
    FUZZ_CHECK(back.Count() == list.Count());
    for (int i = 0; i < list.Count(); ++i) FUZZ_CHECK(back[i] == list[i].substr(0, 1024));
}

void Terminated(const uint8_t* data, size_t size) {
    ByteViewStream in(data, size);
    StringList list;
    try {
        ReadTerminatedStrings(in, list);
    } catch (const EngineError&) {
        return;
    }
    MemoryStream out;
    for (int i = 0; i < list.Count(); ++i) {
        FUZZ_CHECK(list[i].size() <= 255);
        FUZZ_CHECK(list[i].find_first_of(std::string("\r\0", 2)) == std::string::npos);
        out.WriteString(list[i]);
        out.WriteU8('\r');
    }
    out.WriteU8(0);
    out.SetPosition(0);
    StringList back;
    ReadTerminatedStrings(out, back);
    FUZZ_CHECK(back.Count() == list.Count());
    for (int i = 0; i < list.Count(); ++i) FUZZ_CHECK(back[i] == list[i]);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    Counted(data, size);
    Terminated(data, size);
    return 0;
}

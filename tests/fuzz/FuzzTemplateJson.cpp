// Fuzz target: a template's JSON form, read as the viewer and tessaly-cli read it
// (JsonToTemplateStream, then TcvReport::LoadFromStream, messages discarded). Text that is not a
// template is refused with a message that names its place; JSON that parses writes back to text
// that parses to the same canonical text; a template that loads and can be saved converts to JSON
// and back to exactly the bytes it was saved to, and that JSON converts to itself.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "engine/report/CV_TemplateJson.h"
#include "engine/report/CV_Report.h"
#include "platform/core/Errors.h"
#include "platform/core/Json.h"
#include "platform/core/Stream.h"
#include "FuzzCheck.h"
#include "FuzzEngine.h"

using namespace tessaly;

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    StartQuietEngine(argc, argv);
    return 0;
}

namespace {

// The canonical layout is a fixed point of reading and writing.
void CheckWriteReadsBack(std::string_view text) {
    try {
        const std::string once = json::Write(json::Parse(text));
        FUZZ_CHECK(json::Write(json::Parse(once)) == once);
    } catch (const json::ParseError& e) {
        FUZZ_CHECK(e.Message().rfind("riga ", 0) == 0);
    }
}

void CheckLossless(const std::vector<uint8_t>& stream) {
    TcvReport report(nullptr);
    MemoryStream in(stream);
    try {
        report.LoadFromStream(in);
    } catch (const EAbort&) {
        return;
    }
    MemoryStream saved;
    try {
        report.SaveToStream(saved);
    } catch (const EngineError&) {
        return;  // holds what a save refuses
    }
    const std::string json = TemplateStreamToJson(saved.Data());
    FUZZ_CHECK(JsonToTemplateStream(json) == saved.Data());
    FUZZ_CHECK(TemplateStreamToJson(JsonToTemplateStream(json)) == json);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    CheckWriteReadsBack(text);
    std::vector<uint8_t> stream;
    try {
        stream = JsonToTemplateStream(text);
    } catch (const json::ParseError& e) {
        FUZZ_CHECK(e.Message().rfind("riga ", 0) == 0);
        return 0;
    }
    CheckLossless(stream);
    return 0;
}

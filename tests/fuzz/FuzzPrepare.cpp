// Fuzz target: a report template (".cvf") read by TcvReport::LoadFromStream and, when it loads,
// prepared against a few rows of the demo tables in memory (module "Dati"), with the engine's own
// limits of 1,000 pages and one second. The preparation finishes or ends with a preparation error,
// never past its limits, and leaves the template as it found it.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

#include "FuzzCheck.h"
#include "FuzzEngine.h"
#include "engine/report/CV_Pages.h"
#include "engine/report/CV_Report.h"
#include "engine/report/EngineState.h"
#include "platform/core/Errors.h"
#include "platform/core/Stream.h"
#include "tests/common/MemoryDemoData.h"

using namespace tessaly;

namespace {

constexpr int kMaxPages = 1000;
constexpr int kMaxMilliseconds = 1000;

std::optional<std::vector<uint8_t>> Saved(TcvReport& report) {
    MemoryStream out;
    try {
        report.SaveToStream(out);
    } catch (const EngineError&) {
        return std::nullopt;
    }
    return out.Data();
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    StartQuietEngine(argc, argv);
    static testing::MemoryDemoData demo;
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    TcvReport report(nullptr);
    ByteViewStream in(data, size);
    try {
        report.LoadFromStream(in);
    } catch (const EAbort&) {
        return 0;
    }
    report.SetShowProgress(false);
    report.MaxPages = kMaxPages;
    report.MaxPreparationMs = kMaxMilliseconds;
    const auto before = Saved(report);
    // Not guarded: only a template that cannot be read again (AutoLoad) raises, and a stream has none.
    const bool finished = report.PrepareReport();
    FUZZ_CHECK(finished != !report.PreparationErrorText().empty());
    FUZZ_CHECK(report.EMFPages().Count() <= kMaxPages + 1);
    if (before) FUZZ_CHECK(Saved(report) == before);
    return 0;
}

// Fuzz target: a report template (".cvf") read by TcvReport::LoadFromStream. A load either fails
// (EAbort, after its message) leaving one empty page, or gives a template that, when it can be
// saved, saves, loads back and saves again to the same bytes.
#include <cstddef>
#include <cstdint>

#include "engine/model/CV_Page.h"
#include "engine/report/CV_Report.h"
#include "engine/report/EngineState.h"
#include "platform/core/Errors.h"
#include "platform/core/Stream.h"
#include "FuzzCheck.h"
#include "FuzzEngine.h"

using namespace tessaly;

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    StartQuietEngine(argc, argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    TcvReport report(nullptr);
    ByteViewStream in(data, size);
    try {
        report.LoadFromStream(in);
    } catch (const EAbort&) {
        FUZZ_CHECK(report.Pages().Count() == 1 && report.DataSets().Empty());
        return 0;
    }
    MemoryStream first;
    try {
        report.SaveToStream(first);
    } catch (const EngineError&) {
        return 0;  // holds what a save refuses (a line longer than the stream form keeps)
    }
    TcvReport back(nullptr);
    first.SetPosition(0);
    back.LoadFromStream(first);
    MemoryStream second;
    back.SaveToStream(second);
    FUZZ_CHECK(first.Data() == second.Data());
    return 0;
}

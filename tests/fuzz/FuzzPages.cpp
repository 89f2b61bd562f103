// Fuzz target: a prepared report (".cvp") read by TcvEMFPages::LoadFromStream. Whatever it keeps,
// a complete load or the pages read before a failure, must save and load back to the same pages.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "engine/report/CV_Pages.h"
#include "engine/report/CV_Startup.h"
#include "platform/core/Errors.h"
#include "platform/core/Stream.h"
#include "FuzzCheck.h"
#include "FuzzGui.h"

using namespace tessaly;

namespace {

bool SamePage(const PreparedPage& a, const PreparedPage& b) {
    return a.PaperSize == b.PaperSize && a.Width == b.Width && a.Height == b.Height &&
           a.Orientation == b.Orientation && a.PageFlag == b.PageFlag &&
           a.Drawing.Bytes().size() == b.Drawing.Bytes().size() &&
           std::equal(a.Drawing.Bytes().begin(), a.Drawing.Bytes().end(), b.Drawing.Bytes().begin());
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    StartGuiApplication(argc, argv);
    static EngineUnits units(nullptr);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    TcvEMFPages pages(nullptr);
    ByteViewStream in(data, size);
    try {
        pages.LoadFromStream(in);
    } catch (const EngineError&) {
    }
    MemoryStream out;
    pages.SaveToStream(out);
    out.SetPosition(0);
    TcvEMFPages back(nullptr);
    back.LoadFromStream(out);
    FUZZ_CHECK(back.Count() == pages.Count());
    for (int i = 0; i < pages.Count(); ++i) {
        FUZZ_CHECK(SamePage(back.Pages(i), pages.Pages(i)));
        FUZZ_CHECK(back.Pages(i).Info.ScreenPageWidth == pages.Pages(i).Info.ScreenPageWidth);
    }
    return 0;
}

// Fuzz target: the named-values stream (TcvValues::ReadValues), as a template or a report's stored
// form hands it over. A failed read keeps the list it replaced; a read list writes back to exactly
// the bytes it came from, and every name finds a value of that name.
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "FuzzCheck.h"
#include "engine/expr/CV_Values.h"
#include "platform/core/Cp1252.h"
#include "platform/core/Errors.h"
#include "platform/core/Stream.h"

using namespace tessaly;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    TcvValues values;
    values.SetName(values.AddValue(), "prima");
    ByteViewStream in(data, size);
    try {
        values.ReadValues(in);
    } catch (const EngineError&) {
        FUZZ_CHECK(values.Count() == 1 && values.Names(0) == "prima");
        return 0;
    }
    MemoryStream out;
    values.WriteValues(out);
    FUZZ_CHECK(out.Data().size() == static_cast<size_t>(in.Position()));
    FUZZ_CHECK(std::memcmp(out.Data().data(), data, out.Data().size()) == 0);
    // A name finds its own value or an earlier one of the same name.
    for (int i = 0; i < values.Count(); ++i) {
        const TcvValue* found = values.FindVariable(values.Names(i));
        int j = 0;
        while (j <= i && &values.Items(j) != found) ++j;
        FUZZ_CHECK(j <= i && SameText(values.Names(j), values.Names(i)));
    }
    return 0;
}

#include "engine/report/EngineInfo.h"

namespace tessaly {
// The project's version, handed over by the build.
const char* EngineVersion() { return TESSALY_VERSION; }
}  // namespace tessaly

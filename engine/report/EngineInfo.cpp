#include "engine/report/EngineInfo.h"

namespace tessaly {
const char* EngineVersion() { return "0.1.0"; }
}  // namespace tessaly

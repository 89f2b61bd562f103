#include "engine/EngineInfo.h"

namespace tessaly {
const char* EngineVersion() { return "0.1.0"; }
}  // namespace tessaly

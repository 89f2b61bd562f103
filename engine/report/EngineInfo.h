#pragma once
// Version text shown by the programs.
namespace tessaly {
const char* EngineVersion();
}

#pragma once
// The progress bar of the command-line host: on standard error (a terminal), written over in place,
// "LABEL [##########....................] n/total".
#include <cstddef>

namespace tessaly::cli {

void DrawProgressBar(const char* label, size_t n, size_t total);

}  // namespace tessaly::cli

#include "cli/ProgressBar.h"

#include <cstdio>
#include <string>

namespace tessaly::cli {

void DrawProgressBar(const char* label, size_t n, size_t total) {
    constexpr size_t kWidth = 30;
    const size_t done = total > 0 ? std::min(n, total) * kWidth / total : 0;
    std::fprintf(stderr, "\r%s [%s%s] %zu/%zu", label, std::string(done, '#').c_str(),
                 std::string(kWidth - done, '.').c_str(), n, total);
    std::fflush(stderr);
}

}  // namespace tessaly::cli

// Reads and validates the largest metafile of ../shared/fixtures/emf repeatedly, and copies the
// same bytes into a new buffer in the same run; prints both speeds and their ratio.
// Goal: reading runs at least at a quarter of the copy's speed.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "bench/common/MedianReporter.h"
#include "platform/core/Stream.h"
#include "platform/emf/Metafile.h"

namespace fs = std::filesystem;

namespace {

fs::path FixtureDir() {
    const fs::path dir = fs::path(TESSALY_FIXTURES_DIR) / "emf";
    return fs::is_directory(dir) ? dir : fs::path();
}

// The largest file that reads as a valid metafile.
const std::vector<uint8_t>& Largest() {
    static std::vector<uint8_t> bytes = [] {
        std::vector<uint8_t> best;
        fs::path dir = FixtureDir();
        if (dir.empty()) return best;
        for (const auto& entry : fs::directory_iterator(dir)) {
            if (entry.path().extension() != ".emf") continue;
            std::ifstream in(entry.path(), std::ios::binary);
            std::vector<uint8_t> b(std::istreambuf_iterator<char>(in), {});
            try {
                tessaly::emf::Metafile::FromBytes(b);
            } catch (...) {
                continue;
            }
            if (b.size() > best.size()) best = std::move(b);
        }
        return best;
    }();
    return bytes;
}

void ReadAndValidate(benchmark::State& state) {
    const auto& bytes = Largest();
    if (bytes.empty()) return state.SkipWithError("no metafile fixtures");
    for (auto _ : state) {
        tessaly::ByteViewStream stream(bytes.data(), bytes.size());
        auto m = tessaly::emf::Metafile::ReadFrom(stream);
        benchmark::DoNotOptimize(m.RecordCount());
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(bytes.size()));
}

void PlainCopy(benchmark::State& state) {
    const auto& bytes = Largest();
    if (bytes.empty()) return state.SkipWithError("no metafile fixtures");
    for (auto _ : state) {
        std::vector<uint8_t> copy(bytes.begin(), bytes.end());
        benchmark::DoNotOptimize(copy.data());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(bytes.size()));
}

BENCHMARK(ReadAndValidate);
BENCHMARK(PlainCopy);

// Prints the ratio of the two speeds after the table.
class RatioReporter : public tessaly::bench::MedianReporter {
public:
    void Finalize() override {
        MedianReporter::Finalize();
        double read = CounterValue("ReadAndValidate", "bytes_per_second");
        double copy = CounterValue("PlainCopy", "bytes_per_second");
        if (read > 0 && copy > 0)
            std::printf("read+validate %.0f MB/s, copy %.0f MB/s, ratio %.2f (goal >= 0.25), "
                        "file %zu bytes\n",
                        read / 1e6, copy / 1e6, read / copy, Largest().size());
    }
};

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return 0;
}

// Loads a 2,000-page prepared report of about 100 MB, next to reading the same file in one piece,
// into a new buffer (the first reference) and into a buffer reused from one read to the next (what
// `cat` costs, without the memory a loaded report needs); prints the ratios of the times.
#include <benchmark/benchmark.h>

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string_view>

#include "bench/common/MedianReporter.h"
#include "bench/load/ListingReport.h"
#include "engine/report/CV_Pages.h"
#include "engine/report/CV_Report.h"
#include "engine/report/CV_Startup.h"

namespace fs = std::filesystem;
using namespace tessaly;

namespace {

fs::path ReportFile() {
    static fs::path file = fs::temp_directory_path() / ("tessaly-bench-load-" + std::to_string(::getpid()) + ".cvp");
    return file;
}

size_t ReadInto(uint8_t* buffer, size_t size) {
    std::FILE* f = std::fopen(ReportFile().c_str(), "rb");
    size_t got = std::fread(buffer, 1, size, f);
    std::fclose(f);
    return got;
}

// The reference: the whole file into one new buffer (not zero-filled), as a program that reads
// a file into memory does.
void PlainRead(benchmark::State& state) {
    const size_t size = fs::file_size(ReportFile());
    for (auto _ : state) {
        std::unique_ptr<uint8_t[]> bytes(new uint8_t[size]);
        if (ReadInto(bytes.get(), size) != size) state.SkipWithError("short read");
        benchmark::DoNotOptimize(bytes.get());
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(size));
}

// Only the copy from the system's file cache: the buffer is allocated and touched beforehand.
void PlainReadIntoReusedBuffer(benchmark::State& state) {
    const size_t size = fs::file_size(ReportFile());
    std::vector<uint8_t> bytes(size);
    for (auto _ : state) {
        if (ReadInto(bytes.data(), size) != size) state.SkipWithError("short read");
        benchmark::DoNotOptimize(bytes.data());
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(size));
}

void LoadPreparedReport(benchmark::State& state) {
    TcvReport report(nullptr);
    for (auto _ : state) {
        report.LoadPreparedReport(ReportFile());
        benchmark::DoNotOptimize(report.EMFPages().Count());
        state.PauseTiming();
        if (report.EMFPages().Count() != 2000) state.SkipWithError("pages missing");
        report.EMFPages().Clear();  // freeing is not part of loading
        state.ResumeTiming();
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(fs::file_size(ReportFile())));
}

// Medians of several repetitions, so that a busy machine does not decide the ratio.
#define TESSALY_LOAD_BENCH(fn) \
    BENCHMARK(fn)->Unit(benchmark::kMillisecond)->MinTime(0.5)->Repetitions(7)->ReportAggregatesOnly(true)
TESSALY_LOAD_BENCH(PlainRead);
TESSALY_LOAD_BENCH(PlainReadIntoReusedBuffer);
TESSALY_LOAD_BENCH(LoadPreparedReport);

// Prints the ratios of the medians after the table.
class RatioReporter : public tessaly::bench::MedianReporter {
public:
    void Finalize() override {
        MedianReporter::Finalize();
        double read = RealTime("PlainRead"), load = RealTime("LoadPreparedReport");
        double reused = RealTime("PlainReadIntoReusedBuffer");
        if (read > 0 && load > 0)
            std::printf("\nmedians: load / plain read = %.2f (goal: at most 1.5)\n", load / read);
        if (reused > 0 && load > 0)
            std::printf("load / plain read into a reused buffer = %.2f (goal: at most 2)\n", load / reused);
    }
};

}  // namespace

int main(int argc, char** argv) {
    // bench_load --write-report FILE PAGES: only writes the listing report (for bench/load/cli_load.sh).
    if (argc == 4 && std::string_view(argv[1]) == "--write-report") {
        tessaly::bench::WriteListingReport(argv[2], std::atoi(argv[3]));
        return 0;
    }
    EngineUnits units(nullptr);
    tessaly::bench::WriteListingReport(ReportFile(), 2000);
    std::printf("report: %s, %.1f MB, 2000 pages\n", ReportFile().c_str(),
                double(fs::file_size(ReportFile())) / 1e6);
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    fs::remove(ReportFile());
    return 0;
}
